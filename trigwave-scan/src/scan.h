// One scan from the options to the reports; returns the exit status.
#pragma once

#include <cstdio>

#include "options.h"

int run_scan(const scan_options& opts, FILE* out, FILE* err);
