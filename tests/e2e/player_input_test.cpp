#include <gtest/gtest.h>

#include "player_input.h"

namespace {

using demo::ScreenState;

std::vector<std::string> sources(const std::string& line, const ScreenState& screen) {
    std::vector<std::string> out;
    for (const auto& command : demo::commandsForInput(line, screen)) out.push_back(command.source);
    return out;
}

using Sources = std::vector<std::string>;

TEST(PlayerInput, WhileThePromptIsOpenEveryLineIsTheSearchText) {
    const ScreenState prompt{true, false, true, false};
    EXPECT_EQ(sources("map", prompt), (Sources{"type \"map\"", "confirm"}));
    EXPECT_EQ(sources("  Va'ruun \"Drift\"  ", prompt), (Sources{"type \"Va'ruun \\\"Drift\\\"\"", "confirm"}));
    EXPECT_EQ(sources("3", prompt), (Sources{"type \"3\"", "confirm"}));
    EXPECT_EQ(sources("", prompt), Sources{});
    EXPECT_EQ(sources("/esc", prompt), (Sources{"press esc"}));
    EXPECT_EQ(sources("/cancel", prompt), (Sources{"cancel"}));
    EXPECT_EQ(sources("/", prompt), Sources{});
}

TEST(PlayerInput, InAMessageBoxDigitsChooseAndEnterAnswersOk) {
    const ScreenState box{true, false, false, true};
    EXPECT_EQ(sources("", box), (Sources{"ok"}));
    EXPECT_EQ(sources("OK", box), (Sources{"ok"}));
    EXPECT_EQ(sources("0", box), (Sources{"press 0"}));
    EXPECT_EQ(sources("9", box), (Sources{"press 9"}));
    EXPECT_EQ(sources("k5", box), (Sources{"press NUM5"}));
    EXPECT_EQ(sources("num0", box), (Sources{"press NUM0"}));
    EXPECT_EQ(sources("k55", box), (Sources{"k55"}));  // not a key: left to the command language
    EXPECT_EQ(sources("search Orun", box), (Sources{"search Orun"}));
}

TEST(PlayerInput, ElsewhereShortcutsToggleMenusAndPressKeys) {
    const ScreenState nothing{};
    const ScreenState map{true, false, false, false};
    const ScreenState mapAndConsole{true, true, false, false};
    EXPECT_EQ(sources("map", nothing), (Sources{"open map"}));
    EXPECT_EQ(sources("MAP", map), (Sources{"close map"}));
    EXPECT_EQ(sources("console", map), (Sources{"open console"}));
    EXPECT_EQ(sources("console", mapAndConsole), (Sources{"close console"}));
    EXPECT_EQ(sources("q", map), (Sources{"press q"}));
    EXPECT_EQ(sources("tab", map), (Sources{"press tab"}));
    EXPECT_EQ(sources("", map), Sources{});
    EXPECT_EQ(sources("key down Q", map), (Sources{"key down Q"}));
    EXPECT_EQ(sources("?", map), (Sources{"?"}));  // no such key: the runner says so
}

TEST(PlayerInput, MalformedCommandIsRefused) {
    EXPECT_THROW(demo::commandsForInput("/type \"open", ScreenState{true, false, true, false}), demo::ScriptError);
}

}  // namespace
