#pragma once
// Patterns for transcript lines: the whole line must match; * stands for any
// run of characters (also none), every other character for itself.
#include <string_view>

namespace demo {

bool lineMatches(std::string_view line, std::string_view pattern);

}  // namespace demo
