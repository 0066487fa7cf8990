#include "text/lower_case_table.h"

#include <cctype>

namespace lumora {

const std::array<char, 256>& lowerCaseTable() {
    static const std::array<char, 256> lowered = [] {
        std::array<char, 256> table{};
        for (int c = 0; c < 256; ++c) table[static_cast<std::size_t>(c)] = static_cast<char>(std::tolower(c));
        return table;
    }();
    return lowered;
}

}  // namespace lumora
