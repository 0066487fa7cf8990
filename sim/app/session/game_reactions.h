#pragma once
// What the game does on its own in answer to what it showed or received:
// editing starts the frame after the text input menu opens, the edit field
// starts out holding the prompt's default text, and the star map focuses the
// body a focus request names. Read off the transcript lines as they come.
#include <cstdint>
#include <optional>
#include <string>

namespace demo {

struct GameReaction {
    enum class Kind { StartEditing, FillEditField, FocusBody } kind;
    std::string text;          // FillEditField: the default text
    std::uint32_t formId = 0;  // FocusBody
};

std::optional<GameReaction> reactionToLine(const std::string& line);

}  // namespace demo
