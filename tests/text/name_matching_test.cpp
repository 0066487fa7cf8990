#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>

#include "text/name_matching.h"
#include "text/search_terms.h"

using namespace lumora;

namespace {

struct FirstNameCase {
    const char* searchText;
    const char* name;
    bool eligible;
    MatchKind kind;
    std::int32_t position;
    bool wordStart;
    bool keyword;
};

class FirstNameTested : public ::testing::TestWithParam<FirstNameCase> {};

TEST_P(FirstNameTested, GivesKindPositionWordStartAndKeywordFlag) {
    const FirstNameCase& c = GetParam();
    const SplitSearchTerms terms = splitSearchText(c.searchText);
    MatchInfo info;
    info.keywordEligible = c.eligible;
    EXPECT_EQ(matchCandidateName(terms.lowered, info, c.name), c.kind);
    EXPECT_EQ(info.firstMatchPos, c.position);
    EXPECT_EQ(info.wordStartMatch, c.wordStart);
    EXPECT_EQ(info.keywordMatched, c.keyword);
}

using K = MatchKind;
INSTANTIATE_TEST_SUITE_P(
    NameMatching, FirstNameTested,
    ::testing::Values(FirstNameCase{"atlantis", "New Atlantis", false, K::Substring, 4, true, false},
                      FirstNameCase{"lantis", "New Atlantis", false, K::Substring, 6, false, false},
                      FirstNameCase{"NEW ATLANTIS", "New Atlantis", false, K::Substring, 0, true, false},
                      FirstNameCase{"newatlantis", "New Atlantis", false, K::IgnoringSpaces, 0, true, false},
                      FirstNameCase{"atlantis", "NewAtlantis", false, K::Substring, 3, false, false},
                      // Stripped positions count in the stripped name; only position 0 starts a word there.
                      FirstNameCase{"watl", "New Atlantis", false, K::IgnoringSpaces, 2, false, false},
                      FirstNameCase{"varuun", "Va'ruun Keep", false, K::IgnoringApostrophes, 0, true, false},
                      FirstNameCase{"varun", "Va'ruun Keep", false, K::KnownAlias, 0, true, false},
                      FirstNameCase{"varun", "Old Varuun", false, K::KnownAlias, 3, false, false},
                      // The name lacks the x, so no stripping step can hit; the alias still does.
                      FirstNameCase{"x varun", "Old Varuun", false, K::KnownAlias, 3, false, false},
                      // A term of removed bytes only is empty once stripped, and found at 0.
                      FirstNameCase{"' -", "Dust", false, K::IgnoringHyphens, 0, true, false},
                      FirstNameCase{"stonefall", "Stone-Fall Ridge", false, K::IgnoringHyphens, 0, true, false},
                      FirstNameCase{"o'hara's", "O-Hara's Rest", false, K::IgnoringHyphens, 0, true, false},
                      FirstNameCase{"o'hara's x", "O-Hara's Rest", false, K::NoMatch, -1, false, false},
                      FirstNameCase{"ohara", "O'-Hara", false, K::IgnoringHyphens, 0, true, false},
                      FirstNameCase{"outpost", "Dust Flats", true, K::OutpostKeyword, -1, false, true},
                      FirstNameCase{"outpost", "Dust Flats", false, K::NoMatch, -1, false, false},
                      FirstNameCase{"outp", "Dust Flats", true, K::OutpostKeyword, -1, false, true},
                      FirstNameCase{"out", "Dust Flats", true, K::NoMatch, -1, false, false},
                      FirstNameCase{"beacon", "Dust Flats", true, K::BeaconKeyword, -1, false, true},
                      FirstNameCase{"beac", "Dust Flats", true, K::NoMatch, -1, false, false},
                      FirstNameCase{"my decor", "Dust Flats", true, K::DecorKeyword, -1, false, true},
                      // The keyword step looks at the term with spaces removed.
                      FirstNameCase{"out post", "Dust Flats", true, K::OutpostKeyword, -1, false, true},
                      // Names without any of the term's letters take the quick road, which
                      // must strip the term too; with an exclude term it is the plain one.
                      FirstNameCase{"out-p", "Vale Ridge", true, K::OutpostKeyword, -1, false, true},
                      FirstNameCase{"beac o--zz", "Mist Hill", true, K::BeaconKeyword, -1, false, true},
                      FirstNameCase{"atlantis--city", "New Atlantis City", false, K::Excluded, 13, true, false},
                      FirstNameCase{"atlantis--city", "New Atlantis", false, K::Substring, 4, true, false},
                      FirstNameCase{"--city", "New Atlantis City", false, K::Excluded, 13, true, false},
                      FirstNameCase{"--city", "New Atlantis", false, K::NoMatch, -1, false, false},
                      FirstNameCase{"-", "Stone-Fall", false, K::Substring, 5, false, false},
                      FirstNameCase{"new atlantis -- city", "New Atlantis", false, K::IgnoringSpaces, 0, true, false},
                      FirstNameCase{" ", "Dust", false, K::IgnoringSpaces, 0, true, false},
                      FirstNameCase{"longer than the name", "Short", false, K::NoMatch, -1, false, false},
                      FirstNameCase{"\xC9toile", "\xE9toile", false, K::NoMatch, -1, false, false},
                      FirstNameCase{"\xE9toile", "\xE9TOILE", false, K::Substring, 0, true, false}));

TEST(NameMatching, FirstHitFixesPositionAndLaterHitsOnlyAddWordStart) {
    const SplitSearchTerms terms = splitSearchText("ant");
    MatchInfo info;
    EXPECT_EQ(matchCandidateName(terms.lowered, info, "Atlantis"), MatchKind::Substring);
    EXPECT_EQ(info.firstMatchPos, 3);
    EXPECT_FALSE(info.wordStartMatch);
    EXPECT_EQ(matchCandidateName(terms.lowered, info, "Ant Hill"), MatchKind::Substring);
    EXPECT_EQ(info.firstMatchPos, 3);
    EXPECT_TRUE(info.wordStartMatch);
    EXPECT_EQ(matchCandidateName(terms.lowered, info, "Dusk"), MatchKind::NoMatch);
    EXPECT_TRUE(info.wordStartMatch);
}

TEST(NameMatching, FirstHitAtPositionZeroIsKeptWhenALaterNameHitsFurtherIn) {
    const SplitSearchTerms terms = splitSearchText("ant");
    MatchInfo info;
    EXPECT_EQ(matchCandidateName(terms.lowered, info, "Ant Hill"), MatchKind::Substring);
    EXPECT_EQ(matchCandidateName(terms.lowered, info, "Atlantis"), MatchKind::Substring);
    EXPECT_EQ(info.firstMatchPos, 0);
}

TEST(NameMatching, StrippingOneNameLeavesTheTermsWholeForTheNext) {
    const SplitSearchTerms terms = splitSearchText("new atlantis -- old town");
    MatchInfo first;
    EXPECT_EQ(matchCandidateName(terms.lowered, first, "NewAtlantis"), MatchKind::IgnoringSpaces);
    EXPECT_EQ(terms.lowered.includeTerm, "new atlantis ");
    EXPECT_EQ(terms.lowered.excludeTerm, " old town");
    // The term still holds its spaces, so the plain step can hit the next name.
    MatchInfo second;
    EXPECT_EQ(matchCandidateName(terms.lowered, second, "The New Atlantis  Gate"), MatchKind::Substring);
    EXPECT_EQ(second.firstMatchPos, 4);
    EXPECT_TRUE(second.wordStartMatch);
    // An exclusion test that misses hands the name unchanged to the include test.
    MatchInfo third;
    EXPECT_EQ(matchCandidateName(terms.lowered, third, "Ring: new atlantis x"), MatchKind::Substring);
    EXPECT_EQ(third.firstMatchPos, 6);
}

TEST(NameMatching, CallerNameKeepsItsCase) {
    const SplitSearchTerms terms = splitSearchText("atlantis");
    const std::string name = "New ATLANTIS";
    MatchInfo info;
    EXPECT_EQ(matchCandidateName(terms.lowered, info, name), MatchKind::Substring);
    EXPECT_EQ(name, "New ATLANTIS");
}

TEST(NameMatching, LongNamesMatchBeyondTheInlineBuffer) {
    std::string name(600, 'x');
    name += "Far Gate";
    const SplitSearchTerms terms = splitSearchText("farg");
    MatchInfo info;
    EXPECT_EQ(matchCandidateName(terms.lowered, info, name), MatchKind::IgnoringSpaces);
    EXPECT_EQ(info.firstMatchPos, 600);
    EXPECT_FALSE(info.wordStartMatch);
}

TEST(NameMatching, ExcludeKeywordDropsEveryEligibleCandidate) {
    const SplitSearchTerms terms = splitSearchText("dust--outpost");
    MatchInfo eligible;
    eligible.keywordEligible = true;
    EXPECT_EQ(matchCandidateName(terms.lowered, eligible, "Dust Flats"), MatchKind::Excluded);
    MatchInfo plain;
    EXPECT_EQ(matchCandidateName(terms.lowered, plain, "Dust Flats"), MatchKind::Substring);
}

// The steps as written, each on fresh stripped copies: the reference for the
// shortcuts the matcher takes.
MatchKind matchTermStepByStep(std::string term, std::string name, MatchInfo& info) {
    if (term.size() <= name.size()) {
        if (const std::size_t p = name.find(term); p != std::string::npos) {
            if (p == 0 || name[p - 1] == ' ') info.wordStartMatch = true;
            if (info.firstMatchPos < 0) info.firstMatchPos = static_cast<std::int32_t>(p);
            return MatchKind::Substring;
        }
    }
    const std::pair<char, MatchKind> steps[] = {
        {' ', MatchKind::IgnoringSpaces}, {'\'', MatchKind::IgnoringApostrophes}, {'-', MatchKind::IgnoringHyphens}};
    for (const auto& [removed, kind] : steps) {
        std::erase(term, removed);
        std::erase(name, removed);
        const std::size_t p = term.size() <= name.size() ? name.find(term) : std::string::npos;
        if (p != std::string::npos) {
            if (p == 0) info.wordStartMatch = true;
            if (info.firstMatchPos < 0) info.firstMatchPos = static_cast<std::int32_t>(p);
            return kind;
        }
    }
    if (const std::size_t p = name.find("varuun"); p != std::string::npos && term.find("varun") != std::string::npos) {
        if (p == 0) info.wordStartMatch = true;
        if (info.firstMatchPos < 0) info.firstMatchPos = static_cast<std::int32_t>(p);
        return MatchKind::KnownAlias;
    }
    if (info.keywordEligible) {
        for (const auto& [word, kind] :
             {std::pair{"beaco", MatchKind::BeaconKeyword}, std::pair{"outp", MatchKind::OutpostKeyword},
              std::pair{"decor", MatchKind::DecorKeyword}}) {
            if (term.find(word) != std::string::npos) {
                info.keywordMatched = true;
                return kind;
            }
        }
    }
    return MatchKind::NoMatch;
}

MatchKind matchCandidateNameStepByStep(const SearchTerms& lowered, MatchInfo& info, const std::string& name) {
    const std::string loweredName = lowerCased(name);
    if (!lowered.excludeTerm.empty() &&
        matchTermStepByStep(lowered.excludeTerm, loweredName, info) != MatchKind::NoMatch)
        return MatchKind::Excluded;
    if (!lowered.includeTerm.empty()) return matchTermStepByStep(lowered.includeTerm, loweredName, info);
    return MatchKind::NoMatch;
}

TEST(NameMatching, RandomTextsAndNamesMatchAsTheStepsWrittenOut) {
    // Few letters in both cases, and the three removed bytes, so every step
    // and the exclude term get their hits.
    const std::string alphabet = "avrunbecotpdAVRUNB '-";
    std::mt19937_64 random(11);
    const auto randomText = [&](std::size_t maxLength) {
        std::string text(random() % (maxLength + 1), ' ');
        for (char& c : text) c = alphabet[random() % alphabet.size()];
        return text;
    };
    for (int round = 0; round < 40000; ++round) {
        const std::string text = round % 4 == 0 ? randomText(4) + "--" + randomText(4) : randomText(6);
        const std::string name = randomText(12);
        const SplitSearchTerms terms = splitSearchText(text);
        MatchInfo ours, reference;
        ours.keywordEligible = reference.keywordEligible = round % 2 == 0;
        ASSERT_EQ(matchCandidateName(terms.lowered, ours, name),
                  matchCandidateNameStepByStep(terms.lowered, reference, name))
            << "text '" << text << "' name '" << name << "'";
        ASSERT_EQ(ours.firstMatchPos, reference.firstMatchPos) << "text '" << text << "' name '" << name << "'";
        ASSERT_EQ(ours.wordStartMatch, reference.wordStartMatch) << "text '" << text << "' name '" << name << "'";
        ASSERT_EQ(ours.keywordMatched, reference.keywordMatched) << "text '" << text << "' name '" << name << "'";
    }
}

TEST(NameMatching, NameBytesLowerCaseAsTolowerDoesForEveryByteValue) {
    // A term of the lower-cased bytes finds the name: capitals A to Z are found
    // by their small letters, and every other byte only by itself.
    for (int byte = 1; byte < 256; ++byte) {
        const std::string name = {'#', static_cast<char>(byte), '#'};
        const SplitSearchTerms terms = splitSearchText({'#', static_cast<char>(std::tolower(byte)), '#'});
        MatchInfo info;
        EXPECT_EQ(matchCandidateName(terms.lowered, info, name), MatchKind::Substring) << "byte " << byte;
        EXPECT_EQ(info.firstMatchPos, 0) << "byte " << byte;
    }
}

TEST(NameMatching, TermOfMoreDifferentBytesThanTheQuickTestHoldsStillMatchesByTheSteps) {
    // 80 different bytes, none of them a capital or a stripped byte: found in
    // a name that holds them after a blank, missed by one that lacks the last.
    std::string term;
    for (int byte = 0x80; byte < 0xD0; ++byte) term += static_cast<char>(byte);
    const SplitSearchTerms terms = splitSearchText(term);
    MatchInfo info;
    EXPECT_EQ(matchCandidateName(terms.lowered, info, "x " + term), MatchKind::Substring);
    EXPECT_EQ(info.firstMatchPos, 2);
    EXPECT_TRUE(info.wordStartMatch);
    EXPECT_EQ(matchCandidateName(terms.lowered, info, term.substr(0, 79)), MatchKind::NoMatch);
}

struct SplitCase {
    const char* text;
    const char* include;
    const char* exclude;
    const char* loweredInclude;
};

TEST(SplitSearchText, SplitsAtTheFirstDoubleHyphenWithoutTrimming) {
    const SplitCase cases[] = {
        {"new atlantis -- city", "new atlantis ", " city", "new atlantis "},
        {"A--B--C", "A", "B--C", "a"},
        {"--Only", "", "Only", ""},
        {"Tail--", "Tail", "", "tail"},
        {"-", "-", "", "-"},
        {"", "", "", ""},
        {"NoSplit-Here", "NoSplit-Here", "", "nosplit-here"},
        {"---x", "", "-x", ""},
        {"--", "", "", ""},
    };
    for (const SplitCase& c : cases) {
        const SplitSearchTerms terms = splitSearchText(c.text);
        EXPECT_EQ(terms.asTyped.includeTerm, c.include) << c.text;
        EXPECT_EQ(terms.asTyped.excludeTerm, c.exclude) << c.text;
        EXPECT_EQ(terms.lowered.includeTerm, c.loweredInclude) << c.text;
        EXPECT_EQ(terms.lowered.excludeTerm, lowerCased(c.exclude)) << c.text;
    }
}

TEST(SplitSearchText, LowerCasesOnlyAsciiLetters) {
    const SplitSearchTerms terms = splitSearchText("\xC9Z@[`{--AZ\xC0");
    EXPECT_EQ(terms.lowered.includeTerm, "\xC9z@[`{");
    EXPECT_EQ(terms.lowered.excludeTerm, "az\xC0");
    EXPECT_EQ(terms.asTyped.excludeTerm, "AZ\xC0");
}

}  // namespace
