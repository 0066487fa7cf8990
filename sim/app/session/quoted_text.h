#pragma once
// Reading back the quoted texts of transcript lines and script commands:
// "..." with \n, \t, \", \\ and \xHH escapes.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace demo {

// Reads a quoted text starting at `pos` (which must point at the opening
// quote); on success moves `pos` past the closing quote.
std::optional<std::string> readQuoted(std::string_view line, std::size_t& pos);

// Every quoted text of a transcript line, in order; empty when a quote is
// malformed.
std::vector<std::string> quotedFields(std::string_view line);

}  // namespace demo
