#include "search/result_ordering.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string_view>

#include "search/exchange_pass.h"

namespace lumora {

namespace {

constexpr std::string_view kOverlayTemplateName = "Outpost overlay template";

// One pass: among the entries `inDomain` accepts, x is exchanged before y when
// key(x) < key(y). Entries outside the domain are never exchanged, so the
// pass acts on the domain's entries as if they stood side by side.
template <typename Entry, typename InDomain, typename Key>
void runExchangePass(const std::vector<Entry>& entries, std::vector<std::uint32_t>& order, InDomain inDomain, Key key) {
    std::vector<std::uint32_t> positions;
    std::vector<std::int64_t> keys;
    for (std::uint32_t p = 0; p < order.size(); ++p) {
        const Entry& entry = entries[order[p]];
        if (!inDomain(entry)) continue;
        positions.push_back(p);
        keys.push_back(key(entry));
    }
    const std::vector<std::uint32_t> passOrder = exchangePassOrder(keys);
    std::vector<std::uint32_t> moved(positions.size());
    for (std::size_t k = 0; k < positions.size(); ++k) moved[k] = order[positions[passOrder[k]]];
    for (std::size_t k = 0; k < positions.size(); ++k) order[positions[k]] = moved[k];
}

// Puts entries[order[p]] at position p, following the permutation's cycles so
// that no second list of entries is needed.
void moveIntoOrder(std::vector<ResultEntry>& entries, const std::vector<std::uint32_t>& order) {
    std::vector<bool> placed(order.size(), false);
    for (std::size_t start = 0; start < order.size(); ++start) {
        if (placed[start] || order[start] == start) continue;
        ResultEntry carried = std::move(entries[start]);
        std::size_t at = start;
        while (order[at] != start) {
            entries[at] = std::move(entries[order[at]]);
            placed[at] = true;
            at = order[at];
        }
        entries[at] = std::move(carried);
        placed[at] = true;
    }
}

// Flag keys: the entry with the flag is the smaller.
std::int64_t flagFirst(bool flag) { return flag ? 0 : 1; }

// Eligible entries first; within each part, "Outpost overlay template"
// first; otherwise prior order.
std::vector<std::uint32_t> keywordEligibilityOrder(const std::vector<ResultEntry>& entries) {
    std::vector<std::uint32_t> order(entries.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_partition(order.begin(), order.end(),
                          [&](std::uint32_t i) { return entries[i].extraName == kOverlayTemplateName; });
    std::stable_partition(order.begin(), order.end(), [&](std::uint32_t i) { return entries[i].keywordEligible; });
    return order;
}

// What the name ordering reads of an entry, side by side for all entries:
// the passes visit them in an order that jumps about, and an entry's own
// fields lie far apart.
struct NameHitFacts {
    bool primaryNameHit;
    bool secondaryNameHit;
    bool tertiaryNameHit;
    bool wordStartMatch;
    std::int32_t firstMatchPos;
};

std::vector<NameHitFacts> nameHitFactsOf(const std::vector<ResultEntry>& entries) {
    std::vector<NameHitFacts> facts;
    facts.reserve(entries.size());
    for (const ResultEntry& e : entries)
        facts.push_back({e.primaryNameHit, e.secondaryNameHit, e.tertiaryNameHit, e.wordStartMatch, e.firstMatchPos});
    return facts;
}

std::vector<std::uint32_t> nameHitOrder(const std::vector<ResultEntry>& entries, NameHitGroups groups) {
    std::vector<std::uint32_t> order(entries.size());
    std::iota(order.begin(), order.end(), 0u);
    if (entries.size() < 2) return order;
    const std::vector<NameHitFacts> facts = nameHitFactsOf(entries);

    const auto all = [](const NameHitFacts&) { return true; };
    const auto byWordStart = [](const NameHitFacts& e) { return flagFirst(e.wordStartMatch); };
    const auto byPosition = [](const NameHitFacts& e) { return std::int64_t{e.firstMatchPos}; };

    if (groups.anyPrimary) {
        runExchangePass(facts, order, all, [](const NameHitFacts& e) { return flagFirst(e.primaryNameHit); });
        runExchangePass(
            facts, order, [](const NameHitFacts& e) { return e.primaryNameHit; }, byWordStart);
        runExchangePass(
            facts, order, [](const NameHitFacts& e) { return e.primaryNameHit && e.wordStartMatch; }, byPosition);
    }
    if (groups.anySecondary) {
        runExchangePass(
            facts, order, [](const NameHitFacts& e) { return !e.primaryNameHit; },
            [](const NameHitFacts& e) { return flagFirst(e.secondaryNameHit); });
        runExchangePass(
            facts, order, [](const NameHitFacts& e) { return !e.primaryNameHit && e.secondaryNameHit; }, byWordStart);
        runExchangePass(
            facts, order,
            [](const NameHitFacts& e) { return !e.primaryNameHit && e.secondaryNameHit && e.wordStartMatch; },
            byPosition);
    }
    if (groups.anyTertiary) {
        runExchangePass(
            facts, order, [](const NameHitFacts& e) { return !e.primaryNameHit && !e.secondaryNameHit; },
            [](const NameHitFacts& e) { return flagFirst(e.tertiaryNameHit); });
        runExchangePass(
            facts, order,
            [](const NameHitFacts& e) { return !e.primaryNameHit && !e.secondaryNameHit && e.tertiaryNameHit; },
            byWordStart);
        runExchangePass(
            facts, order,
            [](const NameHitFacts& e) {
                return !e.primaryNameHit && !e.secondaryNameHit && e.tertiaryNameHit && e.wordStartMatch;
            },
            byPosition);
    }
    return order;
}

}  // namespace

NameHitGroups findNameHitGroups(const std::vector<ResultEntry>& entries) {
    NameHitGroups groups;
    for (const ResultEntry& entry : entries) {
        groups.anyPrimary |= entry.primaryNameHit;
        groups.anySecondary |= entry.secondaryNameHit;
        groups.anyTertiary |= entry.tertiaryNameHit;
    }
    return groups;
}

void orderByKeywordEligibility(std::vector<ResultEntry>& entries) {
    std::stable_partition(entries.begin(), entries.end(),
                          [](const ResultEntry& e) { return e.extraName == kOverlayTemplateName; });
    std::stable_partition(entries.begin(), entries.end(), [](const ResultEntry& e) { return e.keywordEligible; });
}

void orderByNameHits(std::vector<ResultEntry>& entries, NameHitGroups groups) {
    if (entries.size() < 2) return;
    moveIntoOrder(entries, nameHitOrder(entries, groups));
}

void orderResults(std::vector<ResultEntry>& entries, bool anyKeywordMatched, NameHitGroups groups) {
    if (anyKeywordMatched) orderByKeywordEligibility(entries);
    else orderByNameHits(entries, groups);
}

std::vector<std::uint32_t> resultOrder(const std::vector<ResultEntry>& entries, bool anyKeywordMatched,
                                       NameHitGroups groups) {
    return anyKeywordMatched ? keywordEligibilityOrder(entries) : nameHitOrder(entries, groups);
}

}  // namespace lumora
