#pragma once
// The location entries collected so far, with the duplicate rules applied as
// each candidate arrives. Equivalent to comparing the candidate with every
// entry in list order, but indexed, so a search that keeps thousands of
// locations does not compare every pair.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "search/result_entry.h"

namespace lumora {

// Entries filed under 64-bit keys, each key's entries linked in list order.
// One flat table and one link per entry: filing allocates nothing per key,
// which matters when a one-letter search keeps tens of thousands of entries.
class EntryChains {
public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;

    // First and last entry filed under the key; kNone when there is none.
    std::uint32_t first(std::uint64_t key) const;
    std::uint32_t last(std::uint64_t key) const;
    // The entry filed under the same key after this one, or kNone.
    std::uint32_t next(std::uint32_t at) const { return m_next[at]; }
    // Files an entry after every entry filed so far.
    void file(std::uint64_t key, std::uint32_t at);
    void clear();

private:
    struct Slot {
        std::uint64_t key = 0;
        std::uint32_t first = kNone;  // kNone: the slot is free
        std::uint32_t last = kNone;
    };
    const Slot* find(std::uint64_t key) const;
    Slot& slotFor(std::uint64_t key);
    void grow();

    std::vector<Slot> m_slots;  // a power of two long, at most half full
    std::size_t m_used = 0;
    std::vector<std::uint32_t> m_next;  // by entry
};

class LocationCandidateList {
public:
    // Compares the candidate with the entries in list order: an entry with the
    // same primary form is replaced when it is not keyword-eligible and the
    // candidate is (comparison then goes on), otherwise the candidate is
    // dropped; an entry with the same primary name and the same target form or
    // target name drops it. True when the candidate was appended.
    bool offer(ResultEntry&& candidate);

    // What the duplicate rules read of a candidate.
    struct Identity {
        const void* primaryForm;
        std::string_view primaryName;
        const void* targetForm;
        std::string_view targetName;
        bool keywordEligible;
    };
    // The same rules before the entry exists: when the candidate is to be
    // appended, returns its new entry at the end of the list, default-made,
    // for the caller to fill at once (so that it is never moved in); null
    // when the candidate is dropped. The filled entry must carry `identity`.
    ResultEntry* append(const Identity& identity);

    // The surviving entries in list order; the list is empty afterwards.
    std::vector<ResultEntry> takeEntries();

private:
    std::optional<std::uint32_t> firstSameNameAndTarget(const Identity& candidate, std::uint64_t nameKey,
                                                        std::optional<std::uint32_t> skipped) const;

    std::vector<ResultEntry> m_entries;  // removed entries stay until takeEntries, marked
    std::vector<bool> m_removed;
    // By primary form: at most one entry with a given primary form is ever
    // live, and it is the last one filed under it.
    EntryChains m_byPrimaryForm;
    // By hash of the primary name: the entries that share it, in list order,
    // hold the first one with the same target too. Collisions are sorted out
    // by comparing fields.
    EntryChains m_byPrimaryName;
};

}  // namespace lumora
