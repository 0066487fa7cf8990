#include "line_pattern.h"

namespace demo {

bool lineMatches(std::string_view line, std::string_view pattern) {
    // Greedy match with backtracking to the last star: linear in practice.
    std::size_t l = 0, p = 0;
    std::size_t starP = std::string_view::npos, starL = 0;
    while (l < line.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starL = l;
        } else if (p < pattern.size() && pattern[p] == line[l]) {
            ++p;
            ++l;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            l = ++starL;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace demo
