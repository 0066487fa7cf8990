#include "search/location_candidate_list.h"

#include <functional>
#include <string_view>

namespace lumora {

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

bool sameNameAndTarget(const ResultEntry& a, const ResultEntry& b) {
    return a.primaryName == b.primaryName && (a.targetForm == b.targetForm || a.targetName == b.targetName);
}

}  // namespace

std::optional<std::uint32_t> LocationCandidateList::firstSameNameAndTarget(
    const ResultEntry& candidate, std::optional<std::uint32_t> skipped) const {
    std::optional<std::uint32_t> first;
    const auto scan = [&](const auto& index, std::uint64_t hash) {
        const auto bucket = index.find(hash);
        if (bucket == index.end()) return;
        for (std::uint32_t at : bucket->second) {
            if (first && at >= *first) return;  // buckets are in list order
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
    if (auto found = m_byPrimaryForm.find(candidate.primaryForm); found != m_byPrimaryForm.end())
        samePrimary = found->second;
    const std::optional<std::uint32_t> sameNameTarget = firstSameNameAndTarget(candidate, samePrimary);

    // At most one entry shares the primary form: a second one is never appended.
    if (samePrimary && (!sameNameTarget || *samePrimary < *sameNameTarget)) {
        const ResultEntry& earlier = m_entries[*samePrimary];
        if (earlier.keywordEligible || !candidate.keywordEligible) return false;
        m_removed[*samePrimary] = true;
        m_byPrimaryForm.erase(candidate.primaryForm);
        if (sameNameTarget) return false;  // met further down the list
    } else if (sameNameTarget) {
        return false;
    }

    const auto at = static_cast<std::uint32_t>(m_entries.size());
    m_byPrimaryForm.emplace(candidate.primaryForm, at);
    m_byNameAndTargetForm[nameAndTargetFormHash(candidate)].push_back(at);
    m_byNameAndTargetName[nameAndTargetNameHash(candidate)].push_back(at);
    m_entries.push_back(std::move(candidate));
    m_removed.push_back(false);
    return true;
}

std::vector<ResultEntry> LocationCandidateList::takeEntries() {
    std::vector<ResultEntry> entries;
    entries.reserve(m_entries.size());
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (!m_removed[i]) entries.push_back(std::move(m_entries[i]));
    m_entries.clear();
    m_removed.clear();
    m_byPrimaryForm.clear();
    m_byNameAndTargetForm.clear();
    m_byNameAndTargetName.clear();
    return entries;
}

}  // namespace lumora
