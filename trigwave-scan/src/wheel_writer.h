// A wheel as the text of a wheel file (docs/wheel-files.md), which parse_wheel_file reads
// back as the same wheel. Pure.
#pragma once

#include <string>

#include "wheel_file.h"

// Every tooth as "crank tooth RISE FALL [full]" and "cam tooth RISE FALL", angles in fixed
// point with three decimals, written from whole thousandths so no locale or rounding of
// the C library's enters. A name or source with a '#' or a control character (which would
// end the line or start a comment) has it replaced by '_'.
std::string wheel_file_text(const wheel_file& w);

// 12500 as "12.500".
std::string degrees_text(int32_t millidegrees);
