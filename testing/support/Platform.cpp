#include "Platform.h"

#include <cstdlib>
#include <system_error>

namespace platform {

bool SetEnv(const char* name, const char* value)
{
#ifdef _WIN32
    return _putenv_s(name, value) == 0;
#else
    return setenv(name, value, 1) == 0;
#endif
}

std::string MakeSymlink(const std::filesystem::path& target, const std::filesystem::path& link)
{
    std::error_code error;
    // A link to a folder is another kind of object on Windows.
    if (std::filesystem::is_directory(link.parent_path() / target))
        std::filesystem::create_directory_symlink(target, link, error);
    else
        std::filesystem::create_symlink(target, link, error);
    return error ? "this system makes no symbolic link here: " + error.message() : std::string();
}

} // namespace platform
