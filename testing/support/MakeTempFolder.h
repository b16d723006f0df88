// A new, empty folder below the system's temporary folder, on Linux and on Windows.
#pragma once

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

inline std::filesystem::path MakeTempFolder(const std::string& prefix)
{
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                           (prefix + "-" + std::to_string(random()));
        // Made here or not at all: a name that exists is never shared with another run.
        if (std::filesystem::create_directory(path))
            return path;
    }
    throw std::runtime_error("cannot create a temporary folder");
}
