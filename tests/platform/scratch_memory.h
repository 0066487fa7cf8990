#pragma once
// Real mappings with a known neighbourhood, for checking what the memory
// functions report about them.
#include <sys/mman.h>

#include <cstdint>
#include <stdexcept>

namespace scratch {

inline constexpr std::uintptr_t kPage = 0x1000;
inline constexpr std::uintptr_t kGranule = 0x10000;

// `pages` mapped pages with one unmapped page on each side, so nothing the
// kernel places nearby can join their region.
class IsolatedPages {
public:
    explicit IsolatedPages(std::size_t pages, int protection = PROT_READ | PROT_WRITE) : pages_(pages) {
        void* raw = mmap(nullptr, (pages + 2) * kPage, protection, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (raw == MAP_FAILED) throw std::runtime_error("mmap failed");
        auto* bytes = static_cast<std::uint8_t*>(raw);
        munmap(bytes, kPage);
        munmap(bytes + (pages + 1) * kPage, kPage);
        base_ = bytes + kPage;
    }
    ~IsolatedPages() { munmap(base_, pages_ * kPage); }
    IsolatedPages(const IsolatedPages&) = delete;
    IsolatedPages& operator=(const IsolatedPages&) = delete;

    std::uint8_t* base() const { return base_; }
    std::uint8_t* page(std::size_t index) const { return base_ + index * kPage; }
    std::uint8_t* end() const { return base_ + pages_ * kPage; }

private:
    std::size_t pages_;
    std::uint8_t* base_;
};

// The 64 KiB aligned start of `granules` consecutive free granules, found by
// mapping a larger span and giving it back. Valid until something else maps.
inline std::uintptr_t freeGranules(std::size_t granules) {
    const std::size_t span = (granules + 1) * kGranule;
    void* raw = mmap(nullptr, span, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::runtime_error("mmap failed");
    munmap(raw, span);
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    return (start + kGranule - 1) & ~(kGranule - 1);
}

// Writes `mov eax, value; ret` at `where` and runs it: proves the memory
// is writable and executable. Needs 6 bytes.
inline int runReturnValueStub(std::uint8_t* where, std::int32_t value) {
    where[0] = 0xB8;  // mov eax, imm32
    for (int i = 0; i < 4; ++i) where[1 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i));
    where[5] = 0xC3;  // ret
    return reinterpret_cast<int (*)()>(where)();
}

}  // namespace scratch
