#include <gtest/gtest.h>

#include "script_parser.h"

namespace {

using demo::parseCommandLine;
using demo::parseScript;
using demo::ScriptError;

struct WordsCase {
    const char* line;
    const char* verb;
    std::vector<std::string> words;
    const char* rest;
};

TEST(ScriptParser, SplitsWordsQuotesEscapesAndComments) {
    const WordsCase cases[] = {
        {"type Thessa", "type", {"Thessa"}, "Thessa"},
        {"  TYPE   New  Atlantis  ", "type", {"New", "Atlantis"}, "New  Atlantis"},
        {"type \"New  Atlantis\"", "type", {"New  Atlantis"}, "\"New  Atlantis\""},
        {"type \"\"", "type", {""}, "\"\""},
        {"type \"a\\\"b\\\\c\\x41\\n\\t\"", "type", {"a\"b\\cA\n\t"}, "\"a\\\"b\\\\c\\x41\\n\\t\""},
        {"press 4 # the planet line", "press", {"4"}, "4"},
        {"type \"#not a comment\"", "type", {"#not a comment"}, "\"#not a comment\""},
        {"note a#b", "note", {"a#b"}, "a#b"},
        {"confirm", "confirm", {}, ""},
    };
    for (const auto& c : cases) {
        const auto command = parseCommandLine(c.line, 3);
        ASSERT_TRUE(command.has_value()) << c.line;
        EXPECT_EQ(command->verb, c.verb) << c.line;
        EXPECT_EQ(command->words, c.words) << c.line;
        EXPECT_EQ(command->rest, c.rest) << c.line;
        EXPECT_EQ(command->line, 3);
    }
}

TEST(ScriptParser, BlankAndCommentOnlyLinesGiveNoCommand) {
    for (const char* line : {"", "   ", "\t\r", "# just a note", "   # indented note"})
        EXPECT_FALSE(parseCommandLine(line).has_value()) << '"' << line << '"';
}

TEST(ScriptParser, MalformedQuotesAreRefusedWithTheirLine) {
    for (const char* line : {"type \"open", "type \"bad \\q escape\"", "type \"\\x4\"", "type \"\\x00\"x",
                             "type \"glued\"word", "type \"end\\"}) {
        try {
            parseScript(std::string("open map\n\n") + line + "\nconfirm\n");
            ADD_FAILURE() << "accepted: " << line;
        } catch (const ScriptError& error) {
            EXPECT_EQ(error.line(), 3) << line;
        }
    }
}

TEST(ScriptParser, ScriptKeepsOrderAndLineNumbersAcrossBlankLines) {
    const auto commands = parseScript("# header\nopen map\n\n  key down Q  \r\nexpect prompt header \"x\" *");
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].line, 2);
    EXPECT_EQ(commands[1].line, 4);
    EXPECT_EQ(commands[1].source, "key down Q");
    EXPECT_EQ(commands[2].line, 5);
    EXPECT_EQ(commands[2].rest, "prompt header \"x\" *");
}

// Each part plays in a game process of its own; restarts in a row and at
// either end make empty parts (a game started and ended with nothing done).
TEST(ScriptParser, RestartsSplitTheScriptIntoPartsInOrder) {
    const auto parts = demo::splitAtRestarts(parseScript("open map\nrestart\nkey down Q\nok\nRESTART\nrestart\n"));
    ASSERT_EQ(parts.size(), 4u);
    ASSERT_EQ(parts[0].size(), 1u);
    EXPECT_EQ(parts[0][0].verb, "open");
    ASSERT_EQ(parts[1].size(), 2u);
    EXPECT_EQ(parts[1][1].line, 4);
    EXPECT_TRUE(parts[2].empty());
    EXPECT_TRUE(parts[3].empty());
    EXPECT_EQ(demo::splitAtRestarts(parseScript("open map\nok\n")).size(), 1u);
}

}  // namespace
