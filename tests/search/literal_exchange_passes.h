#pragma once
// The name ordering written out as the game's exchange passes, pair by pair.
// Quadratic; kept as the reference that the fast ordering must reproduce.
#include <utility>
#include <vector>

#include "search/result_entry.h"

using namespace lumora;

namespace literal {

template <typename Condition>
void exchangePass(std::vector<ResultEntry>& entries, Condition condition) {
    for (std::size_t i = 0; i < entries.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (condition(entries[i], entries[j])) std::swap(entries[i], entries[j]);
}

inline void orderByNameHits(std::vector<ResultEntry>& entries) {
    bool anyP = false, anyS = false, anyT = false;
    for (const ResultEntry& e : entries) {
        anyP |= e.primaryNameHit;
        anyS |= e.secondaryNameHit;
        anyT |= e.tertiaryNameHit;
    }
    if (anyP) {
        exchangePass(entries,
                     [](const ResultEntry& x, const ResultEntry& y) { return x.primaryNameHit && !y.primaryNameHit; });
        exchangePass(entries, [](const ResultEntry& x, const ResultEntry& y) {
            return x.primaryNameHit && y.primaryNameHit && x.wordStartMatch && !y.wordStartMatch;
        });
        exchangePass(entries, [](const ResultEntry& x, const ResultEntry& y) {
            return x.primaryNameHit && y.primaryNameHit && x.wordStartMatch && y.wordStartMatch &&
                   x.firstMatchPos < y.firstMatchPos;
        });
    }
    if (anyS) {
        exchangePass(entries, [](const ResultEntry& x, const ResultEntry& y) {
            return !x.primaryNameHit && !y.primaryNameHit && x.secondaryNameHit && !y.secondaryNameHit;
        });
        exchangePass(entries, [](const ResultEntry& x, const ResultEntry& y) {
            return !x.primaryNameHit && !y.primaryNameHit && x.secondaryNameHit && y.secondaryNameHit &&
                   x.wordStartMatch && !y.wordStartMatch;
        });
        exchangePass(entries, [](const ResultEntry& x, const ResultEntry& y) {
            return !x.primaryNameHit && !y.primaryNameHit && x.secondaryNameHit && y.secondaryNameHit &&
                   x.wordStartMatch && y.wordStartMatch && x.firstMatchPos < y.firstMatchPos;
        });
    }
    if (anyT) {
        exchangePass(entries, [](const ResultEntry& x, const ResultEntry& y) {
            return !x.primaryNameHit && !y.primaryNameHit && !x.secondaryNameHit && !y.secondaryNameHit &&
                   x.tertiaryNameHit && !y.tertiaryNameHit;
        });
        exchangePass(entries, [](const ResultEntry& x, const ResultEntry& y) {
            return !x.primaryNameHit && !y.primaryNameHit && !x.secondaryNameHit && !y.secondaryNameHit &&
                   x.tertiaryNameHit && y.tertiaryNameHit && x.wordStartMatch && !y.wordStartMatch;
        });
        exchangePass(entries, [](const ResultEntry& x, const ResultEntry& y) {
            return !x.primaryNameHit && !y.primaryNameHit && !x.secondaryNameHit && !y.secondaryNameHit &&
                   x.tertiaryNameHit && y.tertiaryNameHit && x.wordStartMatch && y.wordStartMatch &&
                   x.firstMatchPos < y.firstMatchPos;
        });
    }
}

}  // namespace literal
