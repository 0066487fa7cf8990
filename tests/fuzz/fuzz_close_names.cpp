// Any term and name, with and without folding: the close-name test's edit
// count must equal a plain dynamic-programming reading of the rule, the
// restricted edit distance of the stripped term to every part of the stripped
// name, for every limit.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "text/accent_folding.h"
#include "text/close_names.h"

using namespace lumora;

namespace {

// Few bytes, so that names come close to terms often; the two bytes of an
// accented letter among them.
constexpr char kSmallAlphabet[] = {'a', 'b', 'c', 'A', 'B', ' ', '\'', '-', '\xC3', '\x89', '\xA9'};

std::string readText(FuzzedDataProvider& bytes, std::size_t most, bool small) {
    std::string text = bytes.ConsumeRandomLengthString(most);
    if (small)
        for (char& c : text) c = kSmallAlphabet[static_cast<unsigned char>(c) % sizeof kSmallAlphabet];
    return text;
}

// Folding is the product's own (its table has a test of its own); lower-casing
// and stripping are done here again.
std::string stripped(std::string text, bool fold) {
    if (fold) text = foldedAccentedLetters(text);
    std::string out;
    for (const char c : text) {
        const char lowered = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lowered != ' ' && lowered != '\'' && lowered != '-') out += lowered;
    }
    return out;
}

// The fewest edits of the term to any part of the name, up to `most`: for each
// start in the name, the whole table of the restricted edit distance of the
// term to every prefix of the rest, and the best of its last row. A part more
// than `most` bytes longer than the term is more than `most` edits away.
int referenceEdits(const std::string& term, const std::string& name, int most) {
    const std::size_t m = term.size();
    int best = static_cast<int>(m);
    std::vector<int> table;
    for (std::size_t start = 0; start <= name.size(); ++start) {
        const std::string part = name.substr(start, m + static_cast<std::size_t>(most));
        const std::size_t n = part.size();
        table.assign((m + 1) * (n + 1), 0);
        const auto d = [&](std::size_t i, std::size_t j) -> int& { return table[i * (n + 1) + j]; };
        for (std::size_t i = 0; i <= m; ++i) d(i, 0) = static_cast<int>(i);
        for (std::size_t j = 0; j <= n; ++j) d(0, j) = static_cast<int>(j);
        for (std::size_t i = 1; i <= m; ++i)
            for (std::size_t j = 1; j <= n; ++j) {
                d(i, j) = std::min({d(i - 1, j) + 1, d(i, j - 1) + 1, d(i - 1, j - 1) + (term[i - 1] != part[j - 1])});
                if (i > 1 && j > 1 && term[i - 1] == part[j - 2] && term[i - 2] == part[j - 1])
                    d(i, j) = std::min(d(i, j), d(i - 2, j - 2) + 1);
            }
        for (std::size_t j = 0; j <= n; ++j) best = std::min(best, d(m, j));
    }
    return best;
}

// The term with a few edits, between two other texts: names that come close,
// long terms included, which random names hardly ever do.
std::string derivedName(FuzzedDataProvider& bytes, const std::string& term, bool small) {
    std::string core = term;
    const int edits = bytes.ConsumeIntegralInRange(0, 3);
    for (int e = 0; e < edits; ++e) {
        const std::size_t at = bytes.ConsumeIntegralInRange<std::size_t>(0, core.size());
        const char byte = static_cast<char>(bytes.ConsumeIntegral<std::uint8_t>());
        switch (bytes.ConsumeIntegralInRange(0, 3)) {
            case 0: core.insert(at, 1, byte); break;
            case 1:
                if (at < core.size()) core.erase(at, 1);
                break;
            case 2:
                if (at < core.size()) core[at] = byte;
                break;
            default:
                if (at + 1 < core.size()) std::swap(core[at], core[at + 1]);
                break;
        }
    }
    return readText(bytes, 16, small) + core + readText(bytes, 16, small);
}

int referenceAllowedEdits(std::size_t size) {
    if (size < 4) return -1;
    return size <= 7 ? 1 : 2;
}

[[noreturn]] void report(const char* what, const std::string& term, const std::string& name, bool fold, int limit,
                         int expected, int actual) {
    std::fprintf(stderr, "%s: term of %zu bytes, name of %zu bytes, fold %d, limit %d: expected %d, got %d\n", what,
                 term.size(), name.size(), fold ? 1 : 0, limit, expected, actual);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider bytes(data, size);
    const bool fold = bytes.ConsumeBool();
    const bool small = bytes.ConsumeBool();
    const bool derived = bytes.ConsumeBool();
    // Terms past 64 bytes take the column-by-column road.
    const std::string term = readText(bytes, 80, small);
    const std::string name = derived ? derivedName(bytes, term, small) : readText(bytes, 96, small);

    // The test is given the term as the matching sees it: lower-cased and,
    // with folding, folded.
    std::string matchingTerm = term;
    for (char& c : matchingTerm) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (fold) matchingTerm = foldedAccentedLetters(matchingTerm);
    const CloseNameTest test(matchingTerm, fold);

    const std::string strippedTerm = stripped(term, fold);
    const int allowed = referenceAllowedEdits(strippedTerm.size());
    if (test.allowedEdits() != allowed) report("allowed edits", term, name, fold, -1, allowed, test.allowedEdits());
    constexpr int kMostLimit = 3;
    const int edits = allowed < 0 ? -1 : referenceEdits(strippedTerm, stripped(name, fold), kMostLimit + 1);
    for (int limit = 0; limit <= kMostLimit; ++limit) {
        const int expected = allowed < 0 ? limit + 1 : std::min(edits, limit + 1);
        const int actual = test.editsWithin(name, limit);
        if (actual != expected) report("edits", term, name, fold, limit, expected, actual);
    }
    return 0;
}
