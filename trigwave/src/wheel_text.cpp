#include "wheel_text.h"

#include <cstdio>

#include "wheel_file.h"

std::unique_ptr<wheel_sampler> load_wheel(const char* path) {
    std::string text, error;
    if (!read_wheel_text(path, text, error)) {
        std::fprintf(stderr, "%s: %s\n", path, error.c_str());
        return nullptr;
    }
    try {
        const wheel_file wheel = parse_wheel_file(text);
        std::fprintf(stderr, "wheel file %s: %s, %zu crank teeth per %d degrees, %zu cam teeth\n",
                     path, wheel.name.c_str(), wheel.crank.size(), static_cast<int>(wheel.cycle),
                     wheel.cam.size());
        return std::make_unique<wheel_sampler>(wheel);
    } catch (const wheel_file_error& e) {
        std::fprintf(stderr, "%s: %s\n", path, e.what());
        return nullptr;
    }
}

std::string base_name(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string wheel_label(const char* path) {
    std::string name = base_name(path);
    const std::string suffix = ".wheel";
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        name.erase(name.size() - suffix.size());
    return name;
}
