// Reading a wheel file for trigwave: the text from the disk (wav_file.cpp, with the WAV),
// then the wheel drawn from it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "wheel_sampler.h"

// No wheel comes near this; a bigger file is not a wheel file.
constexpr std::size_t wheel_text_limit = 1 << 20;

// The file's text; false with the system's words (or what is wrong) in error.
bool read_wheel_text(const char* path, std::string& text, std::string& error);

// The wheel file's crank and cam drawn, or none with "PATH: line N: what is wrong" on
// standard error.
std::unique_ptr<wheel_sampler> load_wheel(const char* path);

// A path's last part, without its folders (either slash).
std::string base_name(const std::string& path);

// The output name's first part: the file's name without its folders and its ".wheel".
std::string wheel_label(const char* path);
