// Text for the JSON documents both programs write (trigwave's truth, trigwave-scan's report).
#pragma once

#include <string>

// A JSON string with its quotes: quotes, backslashes and control characters escaped, other
// bytes as they are (a name that is not UTF-8 stays as the system gave it).
std::string json_string(const std::string& text);
