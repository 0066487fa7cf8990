#pragma once
// A 256-byte block of executable memory just below the game's image, within
// rel32 reach of the game's code. Each entry is an absolute jump to one of our
// hooks; a patched 5-byte call in the game's code lands on an entry.
#include <cstdint>

namespace lumora {

class BranchTrampoline {
public:
    BranchTrampoline() = default;
    BranchTrampoline(const BranchTrampoline&) = delete;
    BranchTrampoline& operator=(const BranchTrampoline&) = delete;
    // Releases the block at process exit; patched sites are left as they are.
    ~BranchTrampoline();

    // Takes the top 256 bytes of the nearest free region below the image in
    // which an allocation succeeds, searching at most 0x78000000 bytes down.
    // Does nothing once the block exists. Leaves m_base null on failure.
    void createBelowImage();

    // Points the next entry at `target` and overwrites the 5 bytes at `site`
    // with a relative call to that entry. Returns true; every failure stops
    // the process through assertionFailed.
    bool writeRelCall(std::uintptr_t site, std::uintptr_t target);

    // The block (null until created), its size and the bytes handed out.
    void* base() const { return m_base; }
    std::uint64_t capacity() const { return m_capacity; }
    std::uint64_t used() const { return m_used; }

    // Tests hand the trampoline a block of their own, and take it back (null)
    // before destruction so that VirtualFree never sees it.
    void setBlockForTesting(void* base, std::uint64_t capacity, std::uint64_t used) {
        m_base = base;
        m_capacity = capacity;
        m_used = used;
    }

private:
    void* m_base = nullptr;
    std::uint64_t m_capacity = 0;
    std::uint64_t m_used = 0;
};

// The plugin's one trampoline.
extern BranchTrampoline g_branchTrampoline;

inline constexpr std::uint64_t kTrampolineBlockSize = 256;
inline constexpr std::uint64_t kTrampolineEntrySize = 14;
inline constexpr std::uintptr_t kTrampolineSearchSpan = 0x78000000;

}  // namespace lumora
