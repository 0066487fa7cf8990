#include <gtest/gtest.h>

#include "scratch_memory.h"
#include "win32_controls.h"

namespace {

using scratch::kGranule;
using scratch::kPage;

void* at(std::uintptr_t address) { return reinterpret_cast<void*>(address); }

MEMORY_BASIC_INFORMATION query(std::uintptr_t address) {
    MEMORY_BASIC_INFORMATION info{};
    EXPECT_EQ(VirtualQuery(at(address), &info, sizeof info), sizeof info);
    return info;
}

class VirtualAllocTest : public ::testing::Test {
protected:
    void TearDown() override {
        win32layer::failVirtualAlloc(0);
        win32layer::setVirtualAllocOverride({});
        win32layer::setVirtualFreeOverride({});
    }
};

TEST_F(VirtualAllocTest, AddressIsLoweredToGranuleAndCommittedThroughLastPage) {
    struct Case {
        std::uintptr_t offset;
        SIZE_T size;
        std::uintptr_t committed;
    };
    const Case cases[] = {
        {kGranule - 0x100, 0x100, kGranule},  // top 256 bytes of a granule
        {0x1F80, 0x100, 0x3000},              // straddles a page boundary
        {0, 1, kPage},
        {kGranule - 1, 2, kGranule + kPage},  // spills one byte into the next granule
    };
    for (const Case& c : cases) {
        const std::uintptr_t granule = scratch::freeGranules(2);
        void* got = VirtualAlloc(at(granule + c.offset), c.size, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
        ASSERT_EQ(got, at(granule)) << std::hex << c.offset << " error " << GetLastError();
        const MEMORY_BASIC_INFORMATION info = query(granule);
        EXPECT_EQ(info.State, MEM_COMMIT);
        EXPECT_EQ(info.RegionSize, c.committed) << std::hex << c.offset;
        EXPECT_EQ(info.AllocationBase, got);
        EXPECT_EQ(info.AllocationProtect, PAGE_EXECUTE_READWRITE);
        EXPECT_EQ(info.Type, MEM_PRIVATE);
        auto* bytes = static_cast<std::uint8_t*>(got);
        EXPECT_EQ(scratch::runReturnValueStub(bytes + c.committed - 6, 77), 77);
        EXPECT_TRUE(VirtualFree(got, 0, MEM_RELEASE));
    }
}

TEST_F(VirtualAllocTest, RangeOverlappingAMappingIsRefusedAndMappingKept) {
    const std::uintptr_t granule = scratch::freeGranules(1);
    auto* occupant = static_cast<std::uint8_t*>(mmap(at(granule + 0x8000), kPage, PROT_READ | PROT_WRITE,
                                                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0));
    ASSERT_EQ(occupant, at(granule + 0x8000));
    occupant[0] = 0xA5;

    SetLastError(0);
    EXPECT_EQ(VirtualAlloc(at(granule + kGranule - 0x100), 0x100, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
    EXPECT_EQ(occupant[0], 0xA5);
    EXPECT_EQ(query(granule).State, MEM_FREE) << "nothing may be left mapped by the failed attempt";
    munmap(occupant, kPage);
}

TEST_F(VirtualAllocTest, SecondAllocationInSameGranuleIsRefused) {
    const std::uintptr_t granule = scratch::freeGranules(1);
    void* first = VirtualAlloc(at(granule), 0x100, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_EQ(first, at(granule));
    // Lands in the unused tail of the first allocation's granule, which
    // Windows lowers to the same start.
    EXPECT_EQ(VirtualAlloc(at(granule + 0x8000), 0x100, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
    EXPECT_TRUE(VirtualFree(first, 0, MEM_RELEASE));
}

TEST_F(VirtualAllocTest, AdjacentAllocationsReportSeparateRegions) {
    const std::uintptr_t granule = scratch::freeGranules(2);
    void* low = VirtualAlloc(at(granule), kGranule, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    void* high = VirtualAlloc(at(granule + kGranule), kGranule, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    ASSERT_EQ(low, at(granule));
    ASSERT_EQ(high, at(granule + kGranule));
    const MEMORY_BASIC_INFORMATION lowInfo = query(granule + 0x10);
    EXPECT_EQ(lowInfo.RegionSize, kGranule);
    EXPECT_EQ(lowInfo.AllocationBase, low);
    EXPECT_EQ(query(granule + kGranule).AllocationBase, high);
    EXPECT_TRUE(VirtualFree(low, 0, MEM_RELEASE));
    EXPECT_TRUE(VirtualFree(high, 0, MEM_RELEASE));
}

TEST_F(VirtualAllocTest, WithoutAddressGivesGranuleAlignedBlockReleasedByFree) {
    const SIZE_T sizes[] = {1, 256, kPage + 1, 3 * kGranule};
    for (SIZE_T size : sizes) {
        void* block = VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        ASSERT_NE(block, nullptr) << size;
        const auto address = reinterpret_cast<std::uintptr_t>(block);
        EXPECT_EQ(address % kGranule, 0u) << size;
        const MEMORY_BASIC_INFORMATION info = query(address);
        EXPECT_EQ(info.RegionSize, (size + kPage - 1) & ~(kPage - 1)) << size;
        static_cast<std::uint8_t*>(block)[size - 1] = 1;
        ASSERT_TRUE(VirtualFree(block, 0, MEM_RELEASE)) << size;
        EXPECT_EQ(query(address).State, MEM_FREE) << size;
    }
}

TEST_F(VirtualAllocTest, UnsupportedRequestsFailWithInvalidParameter) {
    struct Case {
        const char* what;
        SIZE_T size;
        DWORD type;
        DWORD protect;
    };
    const Case cases[] = {
        {"zero size", 0, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE},
        {"no allocation type", 0x100, 0, PAGE_READWRITE},
        {"release as allocation type", 0x100, MEM_RELEASE, PAGE_READWRITE},
        {"reserve only", 0x100, MEM_RESERVE, PAGE_READWRITE},
        {"guard page protection", 0x100, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE | 0x100},
        {"no protection", 0x100, MEM_COMMIT | MEM_RESERVE, 0},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(VirtualAlloc(nullptr, c.size, c.type, c.protect), nullptr) << c.what;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << c.what;
    }
}

TEST_F(VirtualAllocTest, RangeReachingPastUserSpaceIsRefused) {
    SetLastError(0);
    EXPECT_EQ(VirtualAlloc(at(0x7FFFFFFFE000), 0x2000, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
    EXPECT_EQ(VirtualAlloc(at(UINTPTR_MAX - 0x10), 0x100, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
}

TEST_F(VirtualAllocTest, CommitAloneInsideOwnAllocationChangesProtectionOnly) {
    void* block = VirtualAlloc(nullptr, 4 * kPage, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(block, nullptr);
    auto* bytes = static_cast<std::uint8_t*>(block);
    EXPECT_EQ(VirtualAlloc(bytes + kPage + 5, 1, MEM_COMMIT, PAGE_READONLY), bytes + kPage);
    EXPECT_EQ(query(reinterpret_cast<std::uintptr_t>(bytes + kPage)).Protect, PAGE_READONLY);
    EXPECT_EQ(VirtualAlloc(bytes + 3 * kPage, 2 * kPage, MEM_COMMIT, PAGE_READONLY), nullptr)
        << "commit past the end of the allocation";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
    EXPECT_TRUE(VirtualFree(block, 0, MEM_RELEASE));

    scratch::IsolatedPages foreign(1);
    EXPECT_EQ(VirtualAlloc(foreign.base(), 1, MEM_COMMIT, PAGE_READONLY), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
}

TEST_F(VirtualAllocTest, FreeOfAnythingButWholeAllocationFailsAndKeepsIt) {
    void* block = VirtualAlloc(nullptr, 2 * kPage, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(block, nullptr);
    auto* bytes = static_cast<std::uint8_t*>(block);
    struct Case {
        const char* what;
        void* address;
        SIZE_T size;
        DWORD type;
    };
    const Case cases[] = {
        {"inner address", bytes + kPage, 0, MEM_RELEASE},
        {"non-zero size", bytes, 2 * kPage, MEM_RELEASE},
        {"decommit", bytes, 0, MEM_DECOMMIT},
        {"null", nullptr, 0, MEM_RELEASE},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_FALSE(VirtualFree(c.address, c.size, c.type)) << c.what;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << c.what;
        bytes[2 * kPage - 1] = 9;  // still mapped
    }
    EXPECT_TRUE(VirtualFree(block, 0, MEM_RELEASE));
    EXPECT_FALSE(VirtualFree(block, 0, MEM_RELEASE)) << "second release";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    scratch::IsolatedPages foreign(1);
    EXPECT_FALSE(VirtualFree(foreign.base(), 0, MEM_RELEASE)) << "mapping not made by VirtualAlloc";
    foreign.base()[0] = 1;
}

TEST_F(VirtualAllocTest, InjectedFailureReturnsNullWithCodeAndAllocatesNothing) {
    const std::uintptr_t granule = scratch::freeGranules(1);
    win32layer::failVirtualAlloc(ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(VirtualAlloc(at(granule), 0x100, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(query(granule).State, MEM_FREE);
    win32layer::failVirtualAlloc(0);
    void* block = VirtualAlloc(at(granule), 0x100, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    EXPECT_EQ(block, at(granule));
    EXPECT_TRUE(VirtualFree(block, 0, MEM_RELEASE));
}

TEST_F(VirtualAllocTest, OverridesReceiveArgumentsAndMayDelegate) {
    std::vector<std::uintptr_t> asked;
    win32layer::setVirtualAllocOverride([&](LPVOID address, SIZE_T size, DWORD type, DWORD protect) -> LPVOID {
        asked.push_back(reinterpret_cast<std::uintptr_t>(address));
        return win32layer::realVirtualAlloc(nullptr, size, type, protect);
    });
    int frees = 0;
    win32layer::setVirtualFreeOverride([&](LPVOID address, SIZE_T size, DWORD type) -> BOOL {
        ++frees;
        return win32layer::realVirtualFree(address, size, type);
    });
    void* block = VirtualAlloc(at(0x12345678), 0x100, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(asked, std::vector<std::uintptr_t>{0x12345678});
    EXPECT_TRUE(VirtualFree(block, 0, MEM_RELEASE));
    EXPECT_EQ(frees, 1);
}

}  // namespace
