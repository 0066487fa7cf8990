#pragma once
// The location entries collected so far, with the duplicate rules applied as
// each candidate arrives. Equivalent to comparing the candidate with every
// entry in list order, but indexed, so a search that keeps thousands of
// locations does not compare every pair.
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "search/result_entry.h"

namespace lumora {

class LocationCandidateList {
public:
    // Compares the candidate with the entries in list order: an entry with the
    // same primary form is replaced when it is not keyword-eligible and the
    // candidate is (comparison then goes on), otherwise the candidate is
    // dropped; an entry with the same primary name and the same target form or
    // target name drops it. True when the candidate was appended.
    bool offer(ResultEntry&& candidate);

    // The surviving entries in list order; the list is empty afterwards.
    std::vector<ResultEntry> takeEntries();

private:
    std::optional<std::uint32_t> firstSameNameAndTarget(const ResultEntry& candidate,
                                                        std::optional<std::uint32_t> skipped) const;

    std::vector<ResultEntry> m_entries;  // removed entries stay until takeEntries, marked
    std::vector<bool> m_removed;
    std::unordered_map<const void*, std::uint32_t> m_byPrimaryForm;
    // Hash of (primary name, target form) and of (primary name, target name)
    // to entries in list order; collisions are sorted out by comparing fields.
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> m_byNameAndTargetForm;
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> m_byNameAndTargetName;
};

}  // namespace lumora
