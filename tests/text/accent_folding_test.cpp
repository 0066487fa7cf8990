// The source is UTF-8: each letter below is the two bytes the game's names
// hold for it.
#include <gtest/gtest.h>

#include <string>

#include "text/accent_folding.h"
#include "text/name_matching.h"
#include "text/search_terms.h"

using namespace lumora;

namespace {

struct FoldRow {
    const char* letter;
    const char* folded;
};

// Every code point of U+00C0..U+017F, capitals and small letters, with the
// plain letters it must compare as; the two signs stay as they are. Eight
// code points a row.
// clang-format off
const FoldRow kFoldTable[] = {
    {"À", "a"},  {"Á", "a"},  {"Â", "a"},  {"Ã", "a"},  {"Ä", "a"},  {"Å", "a"},  {"Æ", "ae"}, {"Ç", "c"},
    {"È", "e"},  {"É", "e"},  {"Ê", "e"},  {"Ë", "e"},  {"Ì", "i"},  {"Í", "i"},  {"Î", "i"},  {"Ï", "i"},
    {"Ð", "d"},  {"Ñ", "n"},  {"Ò", "o"},  {"Ó", "o"},  {"Ô", "o"},  {"Õ", "o"},  {"Ö", "o"},  {"×", "×"},
    {"Ø", "o"},  {"Ù", "u"},  {"Ú", "u"},  {"Û", "u"},  {"Ü", "u"},  {"Ý", "y"},  {"Þ", "th"}, {"ß", "ss"},
    {"à", "a"},  {"á", "a"},  {"â", "a"},  {"ã", "a"},  {"ä", "a"},  {"å", "a"},  {"æ", "ae"}, {"ç", "c"},
    {"è", "e"},  {"é", "e"},  {"ê", "e"},  {"ë", "e"},  {"ì", "i"},  {"í", "i"},  {"î", "i"},  {"ï", "i"},
    {"ð", "d"},  {"ñ", "n"},  {"ò", "o"},  {"ó", "o"},  {"ô", "o"},  {"õ", "o"},  {"ö", "o"},  {"÷", "÷"},
    {"ø", "o"},  {"ù", "u"},  {"ú", "u"},  {"û", "u"},  {"ü", "u"},  {"ý", "y"},  {"þ", "th"}, {"ÿ", "y"},
    {"Ā", "a"},  {"ā", "a"},  {"Ă", "a"},  {"ă", "a"},  {"Ą", "a"},  {"ą", "a"},  {"Ć", "c"},  {"ć", "c"},
    {"Ĉ", "c"},  {"ĉ", "c"},  {"Ċ", "c"},  {"ċ", "c"},  {"Č", "c"},  {"č", "c"},  {"Ď", "d"},  {"ď", "d"},
    {"Đ", "d"},  {"đ", "d"},  {"Ē", "e"},  {"ē", "e"},  {"Ĕ", "e"},  {"ĕ", "e"},  {"Ė", "e"},  {"ė", "e"},
    {"Ę", "e"},  {"ę", "e"},  {"Ě", "e"},  {"ě", "e"},  {"Ĝ", "g"},  {"ĝ", "g"},  {"Ğ", "g"},  {"ğ", "g"},
    {"Ġ", "g"},  {"ġ", "g"},  {"Ģ", "g"},  {"ģ", "g"},  {"Ĥ", "h"},  {"ĥ", "h"},  {"Ħ", "h"},  {"ħ", "h"},
    {"Ĩ", "i"},  {"ĩ", "i"},  {"Ī", "i"},  {"ī", "i"},  {"Ĭ", "i"},  {"ĭ", "i"},  {"Į", "i"},  {"į", "i"},
    {"İ", "i"},  {"ı", "i"},  {"Ĳ", "ij"}, {"ĳ", "ij"}, {"Ĵ", "j"},  {"ĵ", "j"},  {"Ķ", "k"},  {"ķ", "k"},
    {"ĸ", "k"},  {"Ĺ", "l"},  {"ĺ", "l"},  {"Ļ", "l"},  {"ļ", "l"},  {"Ľ", "l"},  {"ľ", "l"},  {"Ŀ", "l"},
    {"ŀ", "l"},  {"Ł", "l"},  {"ł", "l"},  {"Ń", "n"},  {"ń", "n"},  {"Ņ", "n"},  {"ņ", "n"},  {"Ň", "n"},
    {"ň", "n"},  {"ŉ", "n"},  {"Ŋ", "n"},  {"ŋ", "n"},  {"Ō", "o"},  {"ō", "o"},  {"Ŏ", "o"},  {"ŏ", "o"},
    {"Ő", "o"},  {"ő", "o"},  {"Œ", "oe"}, {"œ", "oe"}, {"Ŕ", "r"},  {"ŕ", "r"},  {"Ŗ", "r"},  {"ŗ", "r"},
    {"Ř", "r"},  {"ř", "r"},  {"Ś", "s"},  {"ś", "s"},  {"Ŝ", "s"},  {"ŝ", "s"},  {"Ş", "s"},  {"ş", "s"},
    {"Š", "s"},  {"š", "s"},  {"Ţ", "t"},  {"ţ", "t"},  {"Ť", "t"},  {"ť", "t"},  {"Ŧ", "t"},  {"ŧ", "t"},
    {"Ũ", "u"},  {"ũ", "u"},  {"Ū", "u"},  {"ū", "u"},  {"Ŭ", "u"},  {"ŭ", "u"},  {"Ů", "u"},  {"ů", "u"},
    {"Ű", "u"},  {"ű", "u"},  {"Ų", "u"},  {"ų", "u"},  {"Ŵ", "w"},  {"ŵ", "w"},  {"Ŷ", "y"},  {"ŷ", "y"},
    {"Ÿ", "y"},  {"Ź", "z"},  {"ź", "z"},  {"Ż", "z"},  {"ż", "z"},  {"Ž", "z"},  {"ž", "z"},  {"ſ", "s"},
};
// clang-format on

TEST(AccentFolding, EveryCodePointOfBothBlocksFoldsAsTheTableSays) {
    static_assert(std::size(kFoldTable) == 0x180 - 0xC0);
    char32_t codePoint = 0xC0;
    for (const FoldRow& row : kFoldTable) {
        // The table's order is the code points' order.
        const std::string utf8{static_cast<char>(0xC0 | (codePoint >> 6)),
                               static_cast<char>(0x80 | (codePoint & 0x3F))};
        ASSERT_EQ(std::string(row.letter), utf8) << std::hex << static_cast<unsigned>(codePoint);
        EXPECT_EQ(foldedAccentedLetters(row.letter), row.folded) << row.letter;
        // Inside a name, with capitals A-Z lower-cased around it.
        EXPECT_EQ(foldedAccentedLetters(std::string("X") + row.letter + "Y"), std::string("x") + row.folded + "y")
            << row.letter;
        ++codePoint;
    }
}

struct BytesRow {
    const char* text;
    const char* folded;
};

TEST(AccentFolding, BytesThatAreNotSuchLettersStayAsTheyAre) {
    const BytesRow rows[] = {
        {"\xC3", "\xC3"},  // a lead byte at the end
        {"\xC3"
         "A",
         "\xC3"
         "a"},  // a lead byte before a byte that cannot continue it
        {"\xC3\xC3\xA9",
         "\xC3"
         "e"},                                     // a broken sequence, then a whole letter
        {"\xA9\x89", "\xA9\x89"},                  // continuation bytes alone
        {"\xC0\x80\xC1\xBF", "\xC0\x80\xC1\xBF"},  // over-long encodings
        {"\xC2\xA9\xC6\x80", "\xC2\xA9\xC6\x80"},  // the code points just below and above the blocks
        {"\xE2\x82\xAC", "\xE2\x82\xAC"},          // a letter of three bytes
        {"\xE0\xC3\xA9",
         "\xE0"
         "e"},  // a three-byte lead cut short by a letter
        {"\xF0\x9F\x9A\x80", "\xF0\x9F\x9A\x80"},
        {"AZ@[`{", "az@[`{"},
        {"", ""},
    };
    for (const BytesRow& row : rows) EXPECT_EQ(foldedAccentedLetters(row.text), row.folded) << row.text;
}

struct FoldedMatchRow {
    const char* searchText;
    const char* name;
    MatchKind kind;
    std::int32_t position;
    bool wordStart;
};

// Every step of the matching sees both sides folded; positions count in the
// folded name.
TEST(AccentFolding, FoldedMatchingFindsPlainAndAccentedSpellingsBothWays) {
    using K = MatchKind;
    const FoldedMatchRow rows[] = {
        {"etoile", "Étoile", K::Substring, 0, true},
        {"etoile", "ÉTOILE", K::Substring, 0, true},
        {"Étoile", "etoile", K::Substring, 0, true},
        {"ÉTOILE", "Place de l'étoile", K::Substring, 11, false},
        {"harbour", "Ærø Harbour", K::Substring, 5, true},  // "aero harbour"
        {"aeroharbour", "Ærø Harbour", K::IgnoringSpaces, 0, true},
        {"lodz", "Łódź-Kaliska", K::Substring, 0, true},
        {"strasse", "Hauptstraße", K::Substring, 5, false},
        {"ostrov", "Os'trŏv", K::IgnoringApostrophes, 0, true},
        {"varun", "Värüün", K::KnownAlias, 0, true},
        {"étoile--Œuvre", "L'étoile oeuvre", K::Excluded, 9, true},
        {"×", "a×b", K::Substring, 1, false},  // not a letter: matched as bytes
        {"x", "a×b", K::NoMatch, -1, false},
        {"e",
         "\xC3"
         "E",
         K::Substring, 1, false},  // a broken sequence: the E is a plain E
    };
    for (const FoldedMatchRow& row : rows) {
        const SplitSearchTerms terms = splitSearchText(row.searchText);
        MatchInfo info;
        EXPECT_EQ(matchFoldedCandidateName(foldedTerms(terms.lowered), info, row.name), row.kind)
            << row.searchText << " / " << row.name;
        EXPECT_EQ(info.firstMatchPos, row.position) << row.searchText << " / " << row.name;
        EXPECT_EQ(info.wordStartMatch, row.wordStart) << row.searchText << " / " << row.name;
    }
}

// A one-letter term is found in the name as given until an accented letter
// stands before it; a longer one settles names without accented letters
// unfolded. Either way the result is that of the folded name.
TEST(AccentFolding, NamesSettledWithoutFoldingMatchAsTheirFoldedSpelling) {
    using K = MatchKind;
    const FoldedMatchRow rows[] = {
        {"a", "Bay Ámar", K::Substring, 1, false},
        {"a", "Ámar", K::Substring, 0, true},
        {"a", "Ø Ámar", K::Substring, 2, true},
        {"e", "Café", K::Substring, 3, false},
        {"é", "Cafe", K::Substring, 3, false},
        {"\xC3",
         "\xC3\x81"
         "b",
         K::NoMatch, -1, false},  // a stray lead byte is never half of a letter
        {"nyxdri", "Kalor", K::NoMatch, -1, false},
        {"nyxdri", "Old Nyxdria", K::Substring, 4, true},
        {"nyxdri", "Nyxdrí", K::Substring, 0, true},
        {"nyxdri", "Nyxdr Ísle", K::IgnoringSpaces, 0, true},
    };
    for (const FoldedMatchRow& row : rows) {
        const SplitSearchTerms terms = splitSearchText(row.searchText);
        MatchInfo info;
        EXPECT_EQ(matchFoldedCandidateName(foldedTerms(terms.lowered), info, row.name), row.kind)
            << row.searchText << " / " << row.name;
        EXPECT_EQ(info.firstMatchPos, row.position) << row.searchText << " / " << row.name;
        EXPECT_EQ(info.wordStartMatch, row.wordStart) << row.searchText << " / " << row.name;
    }
}

}  // namespace
