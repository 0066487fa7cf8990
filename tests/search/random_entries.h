#pragma once
// Random result lists for the ordering tests and benchmarks. Each entry's
// primaryName is its collection index, so orders can be compared by name.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "search/result_entry.h"

using namespace lumora;

struct RandomEntryShape {
    int flagPercent = 40;     // chance of each name-hit flag and of the word-start flag
    std::int32_t maxPos = 8;  // positions are drawn from -1..maxPos; a small range gives many ties
};

inline std::vector<ResultEntry> makeRandomEntries(std::size_t count, RandomEntryShape shape, std::uint64_t seed) {
    std::mt19937_64 random(seed);
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<std::int32_t> position(-1, shape.maxPos);
    std::vector<ResultEntry> entries(count);
    for (std::size_t i = 0; i < count; ++i) {
        ResultEntry& e = entries[i];
        e.primaryName = std::to_string(i);
        e.primaryNameHit = percent(random) < shape.flagPercent;
        e.secondaryNameHit = percent(random) < shape.flagPercent;
        e.tertiaryNameHit = percent(random) < shape.flagPercent;
        e.wordStartMatch = percent(random) < shape.flagPercent + 20;
        e.firstMatchPos = position(random);
    }
    return entries;
}

inline std::vector<std::string> primaryNamesOf(const std::vector<ResultEntry>& entries) {
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (const ResultEntry& e : entries) names.push_back(e.primaryName);
    return names;
}
