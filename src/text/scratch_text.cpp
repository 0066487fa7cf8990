#include "text/scratch_text.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "text/accent_folding.h"
#include "text/lower_case_table.h"

namespace lumora {

ScratchText::ScratchText(std::string_view text) : m_size(text.size()) {
    if (text.size() <= m_inline.size()) {
        m_data = m_inline.data();
    } else {
        m_heap = std::make_unique<char[]>(text.size());
        m_data = m_heap.get();
    }
    if (!text.empty()) std::memcpy(m_data, text.data(), text.size());
}

void ScratchText::lowerCase() {
    static const std::array<char, 256>& lowered = lowerCaseTable();
    for (std::size_t i = 0; i < m_size; ++i) m_data[i] = lowered[static_cast<unsigned char>(m_data[i])];
}

void ScratchText::foldAccentedLetters() {
    // Folding writes no further than it has read, so it can work in place.
    m_size = lumora::foldAccentedLetters(view(), m_data);
}

bool ScratchText::removeAll(char removed) {
    char* end = std::remove(m_data, m_data + m_size, removed);
    const std::size_t newSize = static_cast<std::size_t>(end - m_data);
    const bool changed = newSize != m_size;
    m_size = newSize;
    return changed;
}

}  // namespace lumora
