// What keywright answers instead of opening its window: the help or the version, when
// one of them is the only argument. Plain text, decided before the toolkit starts, so
// neither needs a display.
#pragma once

#include <optional>
#include <string>

std::optional<std::string> StartUpAnswer(int argc, const char* const* argv);
