#pragma once

// The command line read, the file written; the exit status.
int run_trigwave(const char* name, int argc, char* argv[]);
