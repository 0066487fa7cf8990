#pragma once
// What the name tests of one candidate found out, and how a single test hit.
#include <cstdint>

namespace lumora {

struct MatchInfo {
    bool keywordEligible = false;     // input: lets the keyword step hit
    bool keywordMatched = false;      // the keyword step hit
    std::int32_t firstMatchPos = -1;  // where the first name hit began
    bool wordStartMatch = false;      // some hit began a word
};

// Callers rely only on the sign: positive is a hit, negative drops the candidate.
enum class MatchKind : std::int8_t {
    Excluded = -1,
    NoMatch = 0,
    Substring = 1,
    IgnoringSpaces = 2,
    IgnoringApostrophes = 3,
    IgnoringHyphens = 4,
    KnownAlias = 5,
    BeaconKeyword = 6,
    OutpostKeyword = 7,
    DecorKeyword = 8,
};

}  // namespace lumora
