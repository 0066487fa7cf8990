#include "game_reactions.h"

#include <cstdlib>

#include "quoted_text.h"

namespace demo {

std::optional<GameReaction> reactionToLine(const std::string& line) {
    if (line == "menu opened \"TextInputMenu\"") return GameReaction{GameReaction::Kind::StartEditing, {}, 0};
    if (line.starts_with("prompt header ")) {
        const auto fields = quotedFields(line);
        if (fields.size() != 2) return std::nullopt;
        return GameReaction{GameReaction::Kind::FillEditField, fields[1], 0};
    }
    // Only a request to the star map that says it is open moves the map.
    static constexpr std::string_view kFocus =
        "focus request menu \"GalaxyStarMapMenu\" request \"SetBodyFocusForQuest\" open 1 form 0x";
    if (line.starts_with(kFocus) && line.size() == kFocus.size() + 8) {
        char* end = nullptr;
        const unsigned long id = std::strtoul(line.c_str() + kFocus.size(), &end, 16);
        if (*end != '\0') return std::nullopt;
        return GameReaction{GameReaction::Kind::FocusBody, {}, static_cast<std::uint32_t>(id)};
    }
    return std::nullopt;
}

}  // namespace demo
