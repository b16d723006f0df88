// The one place that opens files. Paths are UTF-8; on Windows they reach the system as wide
// characters (libsndfile's sf_wchar_open, _wfopen).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <sndfile.h>

// Whether the path names a folder, which no system opens as a recording alike.
bool is_folder(const std::string& path);
FILE* open_for_reading(const std::string& path);
FILE* open_for_writing(const std::string& path);
SNDFILE* open_sound(const std::string& path, SF_INFO* info);

// The whole of a file as bytes; false when it cannot be read.
// A small file whole; false when it cannot be read or holds more than limit bytes (errno
// EFBIG), so a device or a huge file named by mistake is not read for ever.
bool read_whole_file(const std::string& path, std::string& out, std::size_t limit);
// The names (not paths) of the files in a folder whose names end with suffix, sorted
// bytewise; empty when the folder cannot be read.
std::vector<std::string> files_in_folder(const std::string& folder, const std::string& suffix);
// The folder that holds the running program, without a trailing separator; empty when the
// system does not say.
std::string program_folder();
