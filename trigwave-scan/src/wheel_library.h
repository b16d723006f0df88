// The wheel library: the wheel files installed with the programs, found from the program's
// own place, so an installed program and one in the build tree each read their own. No
// variable or setting moves it.
#pragma once

#include <string>
#include <vector>

#include "wheel_file.h"

// <program folder>/wheels (Windows: beside the .exe), else <program folder>/../share/orix/wheels
// (Debian's /usr/bin and /usr/share, the build tree's bin/ and share/); empty when neither
// is a folder.
std::string wheel_library_folder(const std::string& program_folder);

struct wheel_library {
    std::vector<wheel_file> wheels;     // in the files' name order
    std::vector<std::string> problems;  // "FILE: line N: what is wrong", one a file left out
};

// Every *.wheel of the folder that parses.
wheel_library read_wheel_library(const std::string& folder);

// One wheel file (--wheel); throws wheel_file_error with the file named: "FILE: line N: ...".
wheel_file read_wheel_file(const std::string& path);
