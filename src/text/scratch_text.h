#pragma once
// A private, editable copy of a name or term. Names of the game's forms are
// short, so the copy normally lives on the stack and matching does not allocate.
#include <array>
#include <cstddef>
#include <memory>
#include <string_view>

namespace lumora {

class ScratchText {
public:
    explicit ScratchText(std::string_view text);
    ScratchText(const ScratchText&) = delete;
    ScratchText& operator=(const ScratchText&) = delete;

    std::string_view view() const { return {m_data, m_size}; }
    char* data() { return m_data; }
    // Keeps the first `size` bytes; never grows the text.
    void shrinkTo(std::size_t size) { m_size = size < m_size ? size : m_size; }
    void lowerCase();
    // Lower-cases and folds accented letters (see foldAccentedLetters); the
    // text may get shorter.
    void foldAccentedLetters();
    // Removes every occurrence of the byte, keeping the order of the rest;
    // true when something was removed.
    bool removeAll(char removed);

private:
    static constexpr std::size_t kInlineCapacity = 256;
    std::array<char, kInlineCapacity> m_inline;
    std::unique_ptr<char[]> m_heap;
    char* m_data;
    std::size_t m_size;
};

}  // namespace lumora
