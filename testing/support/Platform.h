// What the tests expect differently on Linux and on Windows, in one place.
#pragma once

#include <filesystem>
#include <set>
#include <string>

namespace platform {

#ifdef _WIN32
// keywright joins a folder and a file name with the native separator.
inline constexpr char separator[] = "\\";
// Windows resolves "missing/.." by the text alone, where Linux wants the folder to exist.
inline constexpr bool dotDotByText = true;
// The window's icon comes from the program's resource, at the system's icon size.
inline const std::set<int> windowIconSizes = {32};
// Folders are made with _wmkdir, which takes no permission mode.
inline constexpr bool folderModes = false;
// A trailing dot is dropped from a file name: "README." is "README".
inline constexpr bool trailingDotKept = false;
#else
inline constexpr char separator[] = "/";
inline constexpr bool dotDotByText = false;
inline const std::set<int> windowIconSizes = {16, 24, 32, 48, 72, 96};
inline constexpr bool folderModes = true;
inline constexpr bool trailingDotKept = true;
#endif

// Sets an environment variable of this process.
bool SetEnv(const char* name, const char* value);

// Makes a symbolic link, or says why the system would not.
std::string MakeSymlink(const std::filesystem::path& target, const std::filesystem::path& link);

} // namespace platform
