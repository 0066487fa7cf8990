#pragma once
// Puts the collected entries in the order the player sees them.
#include <cstdint>
#include <vector>

#include "search/result_entry.h"

namespace lumora {

// Which name groups occur in the list; a group no entry belongs to is skipped.
struct NameHitGroups {
    bool anyPrimary = false;
    bool anySecondary = false;
    bool anyTertiary = false;
};

NameHitGroups findNameHitGroups(const std::vector<ResultEntry>& entries);

// Keyword ordering when some entry hit through a keyword, else name ordering.
void orderResults(std::vector<ResultEntry>& entries, bool anyKeywordMatched, NameHitGroups groups);

// The same order as indices into `entries`, which stay where they are:
// position p of the ordered list holds entries[order[p]].
std::vector<std::uint32_t> resultOrder(const std::vector<ResultEntry>& entries, bool anyKeywordMatched,
                                       NameHitGroups groups);

// Eligible entries first; within each part, "Outpost overlay template" first;
// otherwise prior order.
void orderByKeywordEligibility(std::vector<ResultEntry>& entries);

// Primary, then secondary, then tertiary name hits; within each group word
// starts first, and among those smaller positions first. Ties and the
// entries of no group end up exactly where the game's exchange passes put them.
void orderByNameHits(std::vector<ResultEntry>& entries, NameHitGroups groups);

}  // namespace lumora
