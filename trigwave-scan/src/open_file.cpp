#include "open_file.h"

FILE* open_for_reading(const std::string& path) { return std::fopen(path.c_str(), "rb"); }

FILE* open_for_writing(const std::string& path) { return std::fopen(path.c_str(), "wb"); }

SNDFILE* open_sound(const std::string& path, SF_INFO* info) { return sf_open(path.c_str(), SFM_READ, info); }
