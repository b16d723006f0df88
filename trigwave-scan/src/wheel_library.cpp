#include "wheel_library.h"

#include <cerrno>
#include <cstring>

#include "open_file.h"
#include "wheel_text.h"

namespace {

#ifdef _WIN32
const char* const separator = "\\";
#else
const char* const separator = "/";
#endif

}  // namespace

std::string wheel_library_folder(const std::string& program_folder) {
    if (program_folder.empty()) return {};
    for (const std::string& folder : {program_folder + separator + "wheels",
                                      program_folder + separator + ".." + separator + "share" + separator + "orix" +
                                          separator + "wheels"})
        if (is_folder(folder)) return folder;
    return {};
}

wheel_file read_wheel_file(const std::string& path) {
    std::string text;
    errno = 0;
    if (!read_whole_file(path, text, wheel_text_limit))
        throw wheel_file_error(0, path + (errno == EFBIG ? ": it is over 1 MiB, far more than any wheel"
                                                         : ": cannot read it" + (errno ? std::string(": ") + std::strerror(errno) : std::string())));
    try {
        return parse_wheel_file(text);
    } catch (const wheel_file_error& e) {
        throw wheel_file_error(0, path + ": " + e.what());
    }
}

wheel_library read_wheel_library(const std::string& folder) {
    wheel_library out;
    if (folder.empty()) return out;
    for (const std::string& name : files_in_folder(folder, ".wheel")) {
        try {
            out.wheels.push_back(read_wheel_file(folder + separator + name));
        } catch (const wheel_file_error& e) {
            out.problems.push_back(e.what());
        }
    }
    return out;
}
