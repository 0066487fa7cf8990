#include "search/location_candidate_list.h"

#include <functional>
#include <string_view>

namespace lumora {

namespace {

using Identity = LocationCandidateList::Identity;

std::uint64_t primaryNameKey(const Identity& e) { return std::hash<std::string_view>{}(e.primaryName); }

std::uint64_t primaryFormKey(const Identity& e) { return reinterpret_cast<std::uintptr_t>(e.primaryForm); }

bool sameNameAndTarget(const ResultEntry& a, const Identity& b) {
    return a.primaryName == b.primaryName && (a.targetForm == b.targetForm || a.targetName == b.targetName);
}

Identity identityOf(const ResultEntry& e) {
    return {e.primaryForm, e.primaryName, e.targetForm, e.targetName, e.keywordEligible};
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
    // Entries are filed in list order, so this adds one link at a time.
    while (m_next.size() <= at) m_next.push_back(kNone);
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

std::optional<std::uint32_t> LocationCandidateList::firstSameNameAndTarget(const Identity& candidate,
                                                                           std::uint64_t nameKey,
                                                                           std::optional<std::uint32_t> skipped) const {
    for (std::uint32_t at = m_byPrimaryName.first(nameKey); at != EntryChains::kNone; at = m_byPrimaryName.next(at)) {
        if (m_removed[at] || at == skipped) continue;
        if (sameNameAndTarget(m_entries[at], candidate)) return at;
    }
    return std::nullopt;
}

bool LocationCandidateList::offer(ResultEntry&& candidate) {
    ResultEntry* entry = append(identityOf(candidate));
    if (entry == nullptr) return false;
    *entry = std::move(candidate);
    return true;
}

ResultEntry* LocationCandidateList::append(const Identity& candidate) {
    const std::uint64_t formKey = primaryFormKey(candidate);
    const std::uint64_t nameKey = primaryNameKey(candidate);
    std::optional<std::uint32_t> samePrimary;
    if (const std::uint32_t last = m_byPrimaryForm.last(formKey); last != EntryChains::kNone && !m_removed[last])
        samePrimary = last;
    const std::optional<std::uint32_t> sameNameTarget = firstSameNameAndTarget(candidate, nameKey, samePrimary);

    // At most one entry shares the primary form: a second one is never appended.
    if (samePrimary && (!sameNameTarget || *samePrimary < *sameNameTarget)) {
        const ResultEntry& earlier = m_entries[*samePrimary];
        if (earlier.keywordEligible || !candidate.keywordEligible) return nullptr;
        m_removed[*samePrimary] = true;
        if (sameNameTarget) return nullptr;  // met further down the list
    } else if (sameNameTarget) {
        return nullptr;
    }

    const auto at = static_cast<std::uint32_t>(m_entries.size());
    m_entries.emplace_back();
    m_removed.push_back(false);
    m_byPrimaryForm.file(formKey, at);
    m_byPrimaryName.file(nameKey, at);
    return &m_entries.back();
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
    m_byPrimaryName.clear();
    return entries;
}

}  // namespace lumora
