#pragma once
// Pieces of the term steps that the matching and the terms prepared for a
// search share.
#include <string>
#include <string_view>

#include "text/match_info.h"

namespace lumora {

// The bytes the stripping steps remove: blanks, apostrophes and hyphens.
inline bool isStrippedByte(char c) { return c == ' ' || c == '\'' || c == '-'; }

// What the stripped term must hold for the alias step.
inline constexpr std::string_view kAliasTermPart = "varun";

// The text without the bytes the stripping steps remove.
std::string strippedOfRemovedBytes(std::string_view text);

// The keyword step's kind for a stripped term (NoMatch when it names none);
// it hits only eligible candidates.
MatchKind keywordStepKind(std::string_view strippedTerm);

}  // namespace lumora
