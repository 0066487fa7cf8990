#include <gtest/gtest.h>

#include "scratch_memory.h"
#include "win32_controls.h"

namespace {

using scratch::IsolatedPages;
using scratch::kPage;

DWORD protectionAt(const void* address) {
    MEMORY_BASIC_INFORMATION info{};
    EXPECT_EQ(VirtualQuery(address, &info, sizeof info), sizeof info);
    return info.Protect;
}

class VirtualProtectTest : public ::testing::Test {
protected:
    void TearDown() override {
        win32layer::failVirtualProtect(0);
        win32layer::setVirtualProtectOverride({});
    }
};

TEST_F(VirtualProtectTest, RoundTripReportsEachPreviousProtection) {
    IsolatedPages pages(1, PROT_READ | PROT_EXEC);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(pages.base() + 0x40, 5, PAGE_EXECUTE_READWRITE, &old));
    EXPECT_EQ(old, PAGE_EXECUTE_READ);
    EXPECT_EQ(protectionAt(pages.base()), PAGE_EXECUTE_READWRITE);
    EXPECT_EQ(scratch::runReturnValueStub(pages.base() + 0x40, 5), 5);
    ASSERT_TRUE(VirtualProtect(pages.base() + 0x40, 5, old, &old));
    EXPECT_EQ(old, PAGE_EXECUTE_READWRITE);
    EXPECT_EQ(protectionAt(pages.base()), PAGE_EXECUTE_READ);
}

TEST_F(VirtualProtectTest, RangeCrossingPageBoundaryChangesBothPagesAndReportsFirst) {
    IsolatedPages pages(3);
    ASSERT_EQ(mprotect(pages.page(1), kPage, PROT_READ), 0);
    DWORD old = 0;
    // 200 bytes from 100 bytes below the boundary, as a code patch would.
    ASSERT_TRUE(VirtualProtect(pages.page(1) - 100, 200, PAGE_EXECUTE_READWRITE, &old));
    EXPECT_EQ(old, PAGE_READWRITE);
    EXPECT_EQ(protectionAt(pages.page(0)), PAGE_EXECUTE_READWRITE);
    EXPECT_EQ(protectionAt(pages.page(1)), PAGE_EXECUTE_READWRITE);
    EXPECT_EQ(protectionAt(pages.page(2)), PAGE_READWRITE) << "page outside the range must keep its protection";
}

TEST_F(VirtualProtectTest, UnmappedOrPartlyUnmappedRangeFailsAndChangesNothing) {
    IsolatedPages pages(2);
    DWORD old = 0xDEAD;
    SetLastError(0);
    EXPECT_FALSE(VirtualProtect(pages.end() + 0x10, 5, PAGE_EXECUTE_READWRITE, &old)) << "wholly unmapped";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
    SetLastError(0);
    EXPECT_FALSE(VirtualProtect(pages.end() - 8, 16, PAGE_EXECUTE_READWRITE, &old)) << "runs into the hole";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
    EXPECT_EQ(old, 0xDEADu);
    EXPECT_EQ(protectionAt(pages.page(1)), PAGE_READWRITE);
}

TEST_F(VirtualProtectTest, InvalidArgumentsFailWithoutChange) {
    IsolatedPages pages(1);
    DWORD old = 0;
    struct Case {
        const char* what;
        SIZE_T size;
        DWORD protect;
        PDWORD oldOut;
        DWORD error;
    };
    const Case cases[] = {
        {"null old protection", 5, PAGE_EXECUTE_READWRITE, nullptr, ERROR_NOACCESS},
        {"zero size", 0, PAGE_EXECUTE_READWRITE, &old, ERROR_INVALID_PARAMETER},
        {"unknown protection", 5, 0x3, &old, ERROR_INVALID_PARAMETER},
        {"guard modifier", 5, PAGE_READWRITE | 0x100, &old, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_FALSE(VirtualProtect(pages.base(), c.size, c.protect, c.oldOut)) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
        EXPECT_EQ(protectionAt(pages.base()), PAGE_READWRITE) << c.what;
    }
}

TEST_F(VirtualProtectTest, RangeLeavingAnAllocationIsRefused) {
    // Find a 64 KiB-aligned spot with a free page after it: the system may
    // have put something right behind an arbitrary allocation.
    constexpr std::size_t kGranularity = 0x10000;
    void* probe = mmap(nullptr, 3 * kGranularity, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(probe, MAP_FAILED);
    auto aligned = (reinterpret_cast<std::uintptr_t>(probe) + kGranularity - 1) & ~(kGranularity - 1);
    munmap(probe, 3 * kGranularity);
    void* block = VirtualAlloc(reinterpret_cast<void*>(aligned), kPage, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_EQ(reinterpret_cast<std::uintptr_t>(block), aligned);
    auto* bytes = static_cast<std::uint8_t*>(block);
    const bool neighbourMapped = mmap(bytes + kPage, kPage, PROT_READ | PROT_WRITE,
                                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0) == bytes + kPage;
    ASSERT_TRUE(neighbourMapped);
    DWORD old = 0;
    EXPECT_FALSE(VirtualProtect(bytes + kPage - 2, 4, PAGE_EXECUTE_READWRITE, &old));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
    EXPECT_EQ(protectionAt(bytes), PAGE_READWRITE);
    munmap(bytes + kPage, kPage);
    EXPECT_TRUE(VirtualFree(block, 0, MEM_RELEASE));
}

TEST_F(VirtualProtectTest, InjectedFailureAndOverride) {
    IsolatedPages pages(1);
    DWORD old = 0;
    win32layer::failVirtualProtect(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(VirtualProtect(pages.base(), 5, PAGE_READONLY, &old));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(protectionAt(pages.base()), PAGE_READWRITE);
    win32layer::failVirtualProtect(0);

    int calls = 0;
    win32layer::setVirtualProtectOverride([&](LPVOID, SIZE_T, DWORD, PDWORD out) -> BOOL {
        ++calls;
        *out = PAGE_EXECUTE_READ;
        return TRUE;
    });
    EXPECT_TRUE(VirtualProtect(pages.base(), 5, PAGE_READONLY, &old));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(old, PAGE_EXECUTE_READ);
    EXPECT_EQ(protectionAt(pages.base()), PAGE_READWRITE) << "the stand-in replaced the real change";
}

}  // namespace
