// The one place that opens files. Paths are UTF-8; on Windows they reach the system as wide
// characters (libsndfile's sf_wchar_open, _wfopen).
#pragma once

#include <cstdio>
#include <string>

#include <sndfile.h>

// Whether the path names a folder, which no system opens as a recording alike.
bool is_folder(const std::string& path);
FILE* open_for_reading(const std::string& path);
FILE* open_for_writing(const std::string& path);
SNDFILE* open_sound(const std::string& path, SF_INFO* info);
