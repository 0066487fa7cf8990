#include "text/prepared_terms.h"

#include "text/accent_folding.h"
#include "text/lower_case_table.h"
#include "text/term_steps.h"

namespace lumora {

PreparedTerms::PreparedTerms(SearchTerms terms) : m_terms(std::move(terms)), m_lowerCase(&lowerCaseTable()) {
    const std::string_view include = m_terms.includeTerm;
    std::size_t keptBytes = 0;
    std::array<std::uint64_t, 256> bitOfTermByte{};
    for (const char c : include) {
        if (isStrippedByte(c)) continue;
        std::uint64_t& bit = bitOfTermByte[static_cast<unsigned char>(c)];
        if (bit != 0) continue;
        if (keptBytes == 64) return;  // the test falls back to lower-casing the name
        bit = std::uint64_t{1} << keptBytes++;
        m_allKeptBits |= bit;
    }
    for (int b = 0; b < 256; ++b)
        m_keptByteBits[static_cast<std::size_t>(b)] = bitOfTermByte[static_cast<unsigned char>((*m_lowerCase)[b])];
    m_keptBytesCounted = true;
    // A bit no kept byte uses marks the bytes that can begin an accented
    // letter, so that one pass over a name tells both.
    if (keptBytes < 64) {
        m_accentLeadBit = std::uint64_t{1} << 63;
        for (const unsigned char lead : {0xC3, 0xC4, 0xC5}) m_keptByteBits[lead] |= m_accentLeadBit;
    }

    const std::string stripped = strippedOfRemovedBytes(include);
    m_aliasNeedsTheName = stripped.find(kAliasTermPart) != std::string::npos;
    m_keywordKind = keywordStepKind(stripped);
}

bool PreparedTerms::nameLacksAKeptIncludeByte(std::string_view name) const {
    if (!m_keptBytesCounted) return false;
    std::uint64_t seen = 0;
    for (const char c : name) seen |= m_keptByteBits[static_cast<unsigned char>(c)];
    return (seen & m_allKeptBits) != m_allKeptBits;
}

PreparedTerms::NameScan PreparedTerms::scanName(std::string_view name) const {
    if (m_accentLeadBit == 0) return {nameLacksAKeptIncludeByte(name), mayHoldAccentedLetter(name)};
    std::uint64_t seen = 0;
    for (const char c : name) seen |= m_keptByteBits[static_cast<unsigned char>(c)];
    return {(seen & m_allKeptBits) != m_allKeptBits, (seen & m_accentLeadBit) != 0};
}

std::optional<MatchKind> PreparedTerms::includeResultWithoutTheName(MatchInfo& info) const {
    if (m_aliasNeedsTheName) return std::nullopt;
    if (!info.keywordEligible || m_keywordKind == MatchKind::NoMatch) return MatchKind::NoMatch;
    info.keywordMatched = true;
    return m_keywordKind;
}

std::size_t PreparedTerms::findIncludeIgnoringCase(std::string_view name) const {
    const std::string_view term = m_terms.includeTerm;
    if (term.empty() || term.size() > name.size()) return std::string_view::npos;
    const std::array<char, 256>& lower = *m_lowerCase;
    const std::size_t last = name.size() - term.size();
    for (std::size_t p = 0; p <= last; ++p) {
        if (lower[static_cast<unsigned char>(name[p])] != term[0]) continue;
        std::size_t i = 1;
        while (i < term.size() && lower[static_cast<unsigned char>(name[p + i])] == term[i]) ++i;
        if (i == term.size()) return p;
    }
    return std::string_view::npos;
}

}  // namespace lumora
