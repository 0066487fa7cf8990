#include <gtest/gtest.h>

#include "scratch_memory.h"
#include "win32_controls.h"

namespace {

using scratch::IsolatedPages;
using scratch::kPage;

MEMORY_BASIC_INFORMATION query(const void* address) {
    MEMORY_BASIC_INFORMATION info{};
    EXPECT_EQ(VirtualQuery(address, &info, sizeof info), sizeof info) << "error " << GetLastError();
    return info;
}

std::uintptr_t regionEnd(const MEMORY_BASIC_INFORMATION& info) {
    return reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize;
}

class VirtualQueryTest : public ::testing::Test {
protected:
    void TearDown() override {
        win32layer::failVirtualQuery(0);
        win32layer::setVirtualQueryOverride({});
    }
};

TEST_F(VirtualQueryTest, ByteJustBelowMappingIsFreePageEndingAtMapping) {
    IsolatedPages pages(2);
    const MEMORY_BASIC_INFORMATION info = query(pages.base() - 1);
    EXPECT_EQ(info.State, MEM_FREE);
    EXPECT_EQ(info.BaseAddress, pages.base() - kPage);
    EXPECT_EQ(info.RegionSize, kPage);
    EXPECT_EQ(info.AllocationBase, nullptr);
}

TEST_F(VirtualQueryTest, AddressInsideMappingStartsRegionAtItsPage) {
    IsolatedPages pages(4);
    const MEMORY_BASIC_INFORMATION info = query(pages.page(1) + 0x123);
    EXPECT_EQ(info.State, MEM_COMMIT);
    EXPECT_EQ(info.BaseAddress, pages.page(1));
    EXPECT_EQ(info.RegionSize, 3 * kPage);
    EXPECT_EQ(info.Protect, PAGE_READWRITE);
    EXPECT_EQ(info.Type, MEM_PRIVATE);
}

TEST_F(VirtualQueryTest, RegionStopsWhereProtectionChanges) {
    IsolatedPages pages(4);
    ASSERT_EQ(mprotect(pages.page(2), kPage, PROT_READ), 0);
    const MEMORY_BASIC_INFORMATION low = query(pages.base());
    EXPECT_EQ(low.RegionSize, 2 * kPage);
    EXPECT_EQ(low.Protect, PAGE_READWRITE);
    const MEMORY_BASIC_INFORMATION middle = query(pages.page(2) + kPage - 1);
    EXPECT_EQ(middle.BaseAddress, pages.page(2));
    EXPECT_EQ(middle.RegionSize, kPage);
    EXPECT_EQ(middle.Protect, PAGE_READONLY);
    const MEMORY_BASIC_INFORMATION high = query(pages.page(3));
    EXPECT_EQ(high.RegionSize, kPage);
    EXPECT_EQ(high.Protect, PAGE_READWRITE);
}

TEST_F(VirtualQueryTest, ProtectionOfEachPermissionSet) {
    struct Case {
        int posix;
        DWORD windows;
    };
    const Case cases[] = {
        {PROT_NONE, PAGE_NOACCESS},
        {PROT_READ, PAGE_READONLY},
        {PROT_READ | PROT_WRITE, PAGE_READWRITE},
        {PROT_EXEC, PAGE_EXECUTE},
        {PROT_READ | PROT_EXEC, PAGE_EXECUTE_READ},
        {PROT_READ | PROT_WRITE | PROT_EXEC, PAGE_EXECUTE_READWRITE},
    };
    for (const Case& c : cases) {
        IsolatedPages pages(1, c.posix);
        const MEMORY_BASIC_INFORMATION info = query(pages.base());
        EXPECT_EQ(info.State, MEM_COMMIT) << "prot " << c.posix;
        EXPECT_EQ(info.Protect, c.windows) << "prot " << c.posix;
        EXPECT_EQ(info.RegionSize, kPage) << "prot " << c.posix;
    }
}

TEST_F(VirtualQueryTest, GapBetweenTwoMappingsIsOneFreeRegion) {
    IsolatedPages pages(5);
    ASSERT_EQ(munmap(pages.page(1), 3 * kPage), 0);
    const MEMORY_BASIC_INFORMATION info = query(pages.page(2) + 7);
    EXPECT_EQ(info.State, MEM_FREE);
    EXPECT_EQ(info.BaseAddress, pages.page(2));
    EXPECT_EQ(regionEnd(info), reinterpret_cast<std::uintptr_t>(pages.page(4)));
    // Re-map so the destructor's munmap covers what it expects.
    ASSERT_NE(mmap(pages.page(1), 3 * kPage, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0), MAP_FAILED);
}

TEST_F(VirtualQueryTest, AddressesAtAndAboveUserRangeFailWithInvalidParameter) {
    const std::uintptr_t rejected[] = {0x7FFFFFFFF000, 0x800000000000, 0xFFFFFFFFFF600000};
    for (std::uintptr_t address : rejected) {
        MEMORY_BASIC_INFORMATION info{};
        SetLastError(0);
        EXPECT_EQ(VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof info), 0u) << std::hex << address;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << std::hex << address;
    }
}

TEST_F(VirtualQueryTest, LastUserByteGivesRegionEndingAtTopOfUserRange) {
    const MEMORY_BASIC_INFORMATION info = query(reinterpret_cast<void*>(0x7FFFFFFFEFFF));
    EXPECT_EQ(info.BaseAddress, reinterpret_cast<void*>(0x7FFFFFFFE000));
    EXPECT_EQ(regionEnd(info), 0x7FFFFFFFF000u);
}

TEST_F(VirtualQueryTest, BufferShorterThanRecordFailsWithBadLength) {
    MEMORY_BASIC_INFORMATION info{};
    EXPECT_EQ(VirtualQuery(&info, &info, sizeof info - 1), 0u);
    EXPECT_EQ(GetLastError(), ERROR_BAD_LENGTH);
    EXPECT_EQ(VirtualQuery(&info, nullptr, sizeof info), 0u);
    EXPECT_EQ(GetLastError(), ERROR_BAD_LENGTH);
}

TEST_F(VirtualQueryTest, InjectedFailureReturnsZeroWithCodeUntilCleared) {
    IsolatedPages pages(1);
    MEMORY_BASIC_INFORMATION info{};
    win32layer::failVirtualQuery(ERROR_ACCESS_DENIED);
    EXPECT_EQ(VirtualQuery(pages.base(), &info, sizeof info), 0u);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    win32layer::failVirtualQuery(0);
    EXPECT_EQ(VirtualQuery(pages.base(), &info, sizeof info), sizeof info);
    EXPECT_EQ(info.State, MEM_COMMIT);
}

TEST_F(VirtualQueryTest, OverrideAnswersUntilEmptyFunctionRestoresRealMap) {
    IsolatedPages pages(1);
    const void* seen = nullptr;
    win32layer::setVirtualQueryOverride([&](LPCVOID address, MEMORY_BASIC_INFORMATION* info) -> SIZE_T {
        seen = address;
        *info = {};
        info->BaseAddress = reinterpret_cast<void*>(0x5000);
        info->RegionSize = 128;
        info->State = MEM_FREE;
        return sizeof *info;
    });
    MEMORY_BASIC_INFORMATION info{};
    ASSERT_EQ(VirtualQuery(pages.base() + 9, &info, sizeof info), sizeof info);
    EXPECT_EQ(seen, pages.base() + 9);
    EXPECT_EQ(info.RegionSize, 128u);

    win32layer::failVirtualQuery(ERROR_INVALID_PARAMETER);
    EXPECT_EQ(VirtualQuery(pages.base(), &info, sizeof info), 0u) << "failure must win over an override";
    win32layer::failVirtualQuery(0);

    win32layer::setVirtualQueryOverride({});
    info = query(pages.base());
    EXPECT_EQ(info.BaseAddress, pages.base());
    EXPECT_EQ(info.State, MEM_COMMIT);
}

}  // namespace
