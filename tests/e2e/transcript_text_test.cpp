// Reading transcript lines back: patterns, quoted texts and key names.
#include <gtest/gtest.h>

#include "hostsim/transcript.h"
#include "key_names.h"
#include "line_pattern.h"
#include "quoted_text.h"

namespace {

TEST(LinePattern, MatchesWholeLinesWithStars) {
    struct Case {
        const char* line;
        const char* pattern;
        bool matches;
    };
    const Case cases[] = {
        {"menu opened \"MessageBoxMenu\"", "menu opened \"MessageBoxMenu\"", true},
        {"menu opened \"MessageBoxMenu\"", "menu opened", false},  // a prefix is not the line
        {"menu opened", "menu opened \"MessageBoxMenu\"", false},
        {"prompt header \"a\" text \"b\" mode 0", "prompt header * mode 0", true},
        {"prompt header \"a\" text \"b\" mode 1", "prompt header * mode 0", false},
        {"aXbYb", "a*b", true},  // the star must give back
        {"aXbYc", "a*b", false},
        {"abc", "*", true},
        {"", "*", true},
        {"", "", true},
        {"x", "", false},
        {"form 0x000E0001", "form 0x000E000*", true},
        {"a*b", "a*b", true},
        {"ab", "a**b", true},
        {"focus request menu x open 1 form 1", "*open 1*form 2", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(demo::lineMatches(c.line, c.pattern), c.matches) << c.line << " ~ " << c.pattern;
}

TEST(QuotedText, ReadsBackEveryByteTheTranscriptQuotes) {
    std::string every;
    for (int c = 1; c < 256; ++c) every += static_cast<char>(c);
    for (const std::string& text : {std::string(), std::string("Search: Thessa\n\n[0] x"), every}) {
        const std::string line = hostsim::quoted(text);
        std::size_t pos = 0;
        const auto back = demo::readQuoted(line, pos);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, text);
        EXPECT_EQ(pos, line.size());
    }
}

TEST(QuotedText, FieldsOfALineComeInOrderAndABrokenQuoteGivesNone) {
    EXPECT_EQ(demo::quotedFields("message box title \"t \\\" x\" text \"a\\nb\""),
              (std::vector<std::string>{"t \" x", "a\nb"}));
    EXPECT_TRUE(demo::quotedFields("message box title \"t\" text \"unterminated").empty());
    EXPECT_TRUE(demo::quotedFields("no quotes here").empty());
}

TEST(KeyNames, NamesAndCodesAtTheirBoundaries) {
    struct Case {
        const char* name;
        std::optional<int> code;
    };
    const Case cases[] = {
        {"Q", 0x51},    {"q", 0x51},    {"0", 0x30},  {"9", 0x39},   {"NUM0", 0x60}, {"num9", 0x69},
        {"TAB", 0x09},  {"esc", 0x1B},  {"F1", 0x70}, {"F12", 0x7B}, {"F13", {}},    {"F0", {}},
        {"0x51", 0x51}, {"0xFF", 0xFF}, {"0x00", {}}, {"0x100", {}}, {"NUM", {}},    {"NUM10", {}},
        {"", {}},       {"?", {}},      {"0x", {}},   {"0x5G", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(demo::parseKeyName(c.name), c.code) << c.name;
    for (int code = 1; code < 0x100; ++code) EXPECT_EQ(demo::parseKeyName(demo::keyName(code)), code) << code;
}

}  // namespace
