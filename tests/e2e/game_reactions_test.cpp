#include <gtest/gtest.h>

#include "box_rendering.h"
#include "game_reactions.h"

namespace {

using demo::GameReaction;
using demo::reactionToLine;

TEST(GameReactions, OnlyAnOpenStarMapFocusesAndOnlyOnItsOwnRequest) {
    const std::string prefix = "focus request menu \"GalaxyStarMapMenu\" request \"SetBodyFocusForQuest\" open ";
    const auto focus = reactionToLine(prefix + "1 form 0xFFFFFFFF");
    ASSERT_TRUE(focus.has_value());
    EXPECT_EQ(focus->kind, GameReaction::Kind::FocusBody);
    EXPECT_EQ(focus->formId, 0xFFFFFFFFu);
    EXPECT_EQ(reactionToLine(prefix + "1 form 0x000E0001")->formId, 0x000E0001u);
    for (const std::string& line : {prefix + "0 form 0x000E0001", prefix + "1 form 0x000E001",
                                    prefix + "1 form 0x000E0001 ", prefix + "1 form 0x000E000G",
                                    std::string("focus request menu \"InventoryMenu\" request \"SetBodyFocusForQuest\" "
                                                "open 1 form 0x000E0001"),
                                    std::string("focus request menu \"GalaxyStarMapMenu\" request \"Other\" open 1 "
                                                "form 0x000E0001")})
        EXPECT_FALSE(reactionToLine(line).has_value()) << line;
}

TEST(GameReactions, PromptFillsTheFieldWithItsDefaultTextAndOpeningStartsEditing) {
    const auto fill = reactionToLine("prompt header \"a \\\"b\\\"\" text \"Ort \\\"oder\\\" \\xC3\\x89\" mode 0");
    ASSERT_TRUE(fill.has_value());
    EXPECT_EQ(fill->kind, GameReaction::Kind::FillEditField);
    EXPECT_EQ(fill->text, "Ort \"oder\" \xC3\x89");
    EXPECT_EQ(reactionToLine("menu opened \"TextInputMenu\"")->kind, GameReaction::Kind::StartEditing);
    EXPECT_FALSE(reactionToLine("menu closed \"TextInputMenu\"").has_value());
    EXPECT_FALSE(reactionToLine("menu opened \"MessageBoxMenu\"").has_value());
}

// Every row of a frame is as wide on screen as the top edge, multi-byte
// characters included.
std::size_t screenWidth(const std::string& text) {
    std::size_t width = 0;
    for (unsigned char c : text) width += (c & 0xC0) != 0x80;
    return width;
}

TEST(BoxRendering, FrameRowsLineUpWithWideCharactersLongLinesAndAnEmptyText) {
    const struct {
        std::string title, text, button;
    } boxes[] = {
        {"Search", "Search: \xC3\x89vora\n\nPlanets:\n[0] \xC3\x89vora Deep | Quorra Expanse", "[ OK ]"},
        {"A title far longer than the text", "x", "[ OK ]"},
        {"T", "", ""},
        {"T", "short", "a very long button caption"},
    };
    for (const auto& box : boxes) {
        const auto rows = demo::framedBox(box.title, box.text, box.button);
        ASSERT_GE(rows.size(), 3u);
        EXPECT_NE(rows.front().find(box.title), std::string::npos);
        for (const auto& row : rows) EXPECT_EQ(screenWidth(row), screenWidth(rows.front())) << row;
    }
}

TEST(BoxRendering, TranscriptLinesBecomeBoxesFocusWordsOrStayAsTheyAre) {
    const auto box = demo::renderTranscriptLine("message box title \"Search\" text \"No matches.\"");
    ASSERT_EQ(box.size(), 5u);  // top edge, text, gap, button, bottom edge
    EXPECT_NE(box[1].find("No matches."), std::string::npos);
    EXPECT_EQ(demo::renderTranscriptLine("star map focused form 0x000E0001 \"Thessa\"").at(0),
              "★ The star map turns to Thessa (form 0x000E0001)");
    EXPECT_TRUE(demo::renderTranscriptLine("key down \"Q\" 0x51").empty());
    EXPECT_EQ(demo::renderTranscriptLine("menu opened \"Console\"").at(0), "  · menu opened \"Console\"");
}

}  // namespace
