#include "search/location_candidate_list.h"

#include <bit>
#include <functional>
#include <string_view>

namespace {

std::uint64_t combineHashes(std::uint64_t a, std::uint64_t b) {
    return a ^ (b + 0x9E3779B97F4A7C15ull + (a << 6) + (a >> 2));
}

std::uint64_t nameAndTargetFormHash(const ResultEntry& e) {
    return combineHashes(std::hash<std::string_view>{}(e.primaryName), std::hash<const void*>{}(e.targetForm));
}

std::uint64_t nameAndTargetNameHash(const ResultEntry& e) {
    return combineHashes(std::hash<std::string_view>{}(e.primaryName),
                         combineHashes(0x51ED270B27ull, std::hash<std::string_view>{}(e.targetName)));
}

std::uint64_t primaryFormKey(const ResultEntry& e) { return reinterpret_cast<std::uintptr_t>(e.primaryForm); }

bool sameNameAndTarget(const ResultEntry& a, const ResultEntry& b) {
    return a.primaryName == b.primaryName && (a.targetForm == b.targetForm || a.targetName == b.targetName);
}

// Form pointers share their low bits; mixing spreads them over the table.
std::size_t slotIndex(std::uint64_t key, std::size_t mask) {
    key ^= key >> 33;
    key *= 0xFF51AFD7ED558CCDull;
    key ^= key >> 33;
    return static_cast<std::size_t>(key) & mask;
}

}  // namespace

const EntryChains::Slot* EntryChains::find(std::uint64_t key) const {
    if (m_slots.empty()) return nullptr;
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = slotIndex(key, mask);; i = (i + 1) & mask) {
        const Slot& slot = m_slots[i];
        if (slot.first == kNone) return nullptr;
        if (slot.key == key) return &slot;
    }
}

std::uint32_t EntryChains::first(std::uint64_t key) const {
    const Slot* slot = find(key);
    return slot != nullptr ? slot->first : kNone;
}

std::uint32_t EntryChains::last(std::uint64_t key) const {
    const Slot* slot = find(key);
    return slot != nullptr ? slot->last : kNone;
}

EntryChains::Slot& EntryChains::slotFor(std::uint64_t key) {
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = slotIndex(key, mask);; i = (i + 1) & mask) {
        Slot& slot = m_slots[i];
        if (slot.first == kNone || slot.key == key) return slot;
    }
}

void EntryChains::grow() {
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(old.empty() ? 64 : old.size() * 2, Slot{});
    for (const Slot& slot : old)
        if (slot.first != kNone) slotFor(slot.key) = slot;
}

void EntryChains::file(std::uint64_t key, std::uint32_t at) {
    if (m_next.size() <= at) m_next.resize(at + 1, kNone);
    if ((m_used + 1) * 2 > m_slots.size()) grow();
    Slot& slot = slotFor(key);
    if (slot.first == kNone) {
        slot = Slot{key, at, at};
        ++m_used;
        return;
    }
    m_next[slot.last] = at;
    slot.last = at;
}

void EntryChains::clear() {
    m_slots.clear();
    m_used = 0;
    m_next.clear();
}

std::optional<std::uint32_t> LocationCandidateList::firstSameNameAndTarget(
    const ResultEntry& candidate, std::optional<std::uint32_t> skipped) const {
    std::optional<std::uint32_t> first;
    const auto scan = [&](const EntryChains& index, std::uint64_t hash) {
        for (std::uint32_t at = index.first(hash); at != EntryChains::kNone; at = index.next(at)) {
            if (first && at >= *first) return;  // chains are in list order
            if (m_removed[at] || at == skipped) continue;
            if (sameNameAndTarget(m_entries[at], candidate)) {
                first = at;
                return;
            }
        }
    };
    scan(m_byNameAndTargetForm, nameAndTargetFormHash(candidate));
    scan(m_byNameAndTargetName, nameAndTargetNameHash(candidate));
    return first;
}

bool LocationCandidateList::offer(ResultEntry&& candidate) {
    std::optional<std::uint32_t> samePrimary;
    if (const std::uint32_t last = m_byPrimaryForm.last(primaryFormKey(candidate));
        last != EntryChains::kNone && !m_removed[last])
        samePrimary = last;
    const std::optional<std::uint32_t> sameNameTarget = firstSameNameAndTarget(candidate, samePrimary);

    // At most one entry shares the primary form: a second one is never appended.
    if (samePrimary && (!sameNameTarget || *samePrimary < *sameNameTarget)) {
        const ResultEntry& earlier = m_entries[*samePrimary];
        if (earlier.keywordEligible || !candidate.keywordEligible) return false;
        m_removed[*samePrimary] = true;
        if (sameNameTarget) return false;  // met further down the list
    } else if (sameNameTarget) {
        return false;
    }

    const auto at = static_cast<std::uint32_t>(m_entries.size());
    m_byPrimaryForm.file(primaryFormKey(candidate), at);
    m_byNameAndTargetForm.file(nameAndTargetFormHash(candidate), at);
    m_byNameAndTargetName.file(nameAndTargetNameHash(candidate), at);
    m_entries.push_back(std::move(candidate));
    m_removed.push_back(false);
    return true;
}

std::vector<ResultEntry> LocationCandidateList::takeEntries() {
    // Compacted in place and handed over whole: a search that keeps tens of
    // thousands of entries does not copy them into a fresh block.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_removed[i]) continue;
        if (kept != i) m_entries[kept] = std::move(m_entries[i]);
        ++kept;
    }
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(kept), m_entries.end());
    std::vector<ResultEntry> entries = std::move(m_entries);
    m_entries.clear();
    m_removed.clear();
    m_byPrimaryForm.clear();
    m_byNameAndTargetForm.clear();
    m_byNameAndTargetName.clear();
    return entries;
}
