// The trampoline's walk below the image, its entries and its assertions, over
// a fake memory map served through the Win32 layer's seams.
#include <gtest/gtest.h>

#include <unistd.h>
#include <csignal>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "hook/branch_trampoline.h"
#include "win32_controls.h"
#include "win32_layer.h"

using namespace lumora;

namespace {

struct FakeRegion {
    std::uintptr_t base;
    std::size_t size;
    DWORD state;
};

// A memory map of fake regions plus a record of the allocations requested.
class FakeAddressSpace {
public:
    explicit FakeAddressSpace(std::vector<FakeRegion> regions) : m_regions(std::move(regions)) {
        win32layer::setVirtualQueryOverride([this](LPCVOID address, MEMORY_BASIC_INFORMATION* info) -> SIZE_T {
            const auto a = reinterpret_cast<std::uintptr_t>(address);
            for (const FakeRegion& r : m_regions) {
                if (a >= r.base && a - r.base < r.size) {
                    *info = {};
                    info->BaseAddress = reinterpret_cast<void*>(r.base);
                    info->RegionSize = r.size;
                    info->State = r.state;
                    return sizeof *info;
                }
            }
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        });
        win32layer::setVirtualAllocOverride([this](LPVOID address, SIZE_T size, DWORD, DWORD) -> LPVOID {
            requests.push_back(reinterpret_cast<std::uintptr_t>(address));
            auto it = answers.find(reinterpret_cast<std::uintptr_t>(address));
            if (it == answers.end() || it->second == 0) {
                SetLastError(ERROR_INVALID_ADDRESS);
                return nullptr;
            }
            return reinterpret_cast<LPVOID>(it->second);
        });
    }
    ~FakeAddressSpace() {
        win32layer::setVirtualQueryOverride({});
        win32layer::setVirtualAllocOverride({});
        win32layer::overrideModuleHandle(nullptr);
    }

    std::vector<std::uintptr_t> requests;
    std::map<std::uintptr_t, std::uintptr_t> answers;  // requested address -> returned block

private:
    std::vector<FakeRegion> m_regions;
};

// A trampoline that never hands its fake block to VirtualFree.
struct ScopedTrampoline {
    BranchTrampoline trampoline;
    ~ScopedTrampoline() { trampoline.setBlockForTesting(nullptr, 0, 0); }
};

constexpr std::uintptr_t kImage = 0x140000000;

std::string runCreate(BranchTrampoline& trampoline) {
    testing::internal::CaptureStdout();
    trampoline.createBelowImage();
    return testing::internal::GetCapturedStdout();
}

TEST(TrampolinePlacement, FreePageBelowImageGivesTopBytesAndSystemAddress) {
    win32layer::overrideModuleHandle(reinterpret_cast<void*>(kImage));
    FakeAddressSpace space({{kImage - 0x1000, 0x1000, MEM_FREE}});
    space.answers[kImage - 0x100] = kImage - 0x10000;  // rounded down to the granularity
    ScopedTrampoline t;
    EXPECT_EQ(runCreate(t.trampoline), "");
    ASSERT_EQ(space.requests, std::vector<std::uintptr_t>{kImage - 0x100});
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(t.trampoline.base()), kImage - 0x10000);
    EXPECT_EQ(t.trampoline.capacity(), 256u);
    EXPECT_EQ(t.trampoline.used(), 0u);
}

TEST(TrampolinePlacement, FreeRegionSmallerThan256IsSkipped) {
    win32layer::overrideModuleHandle(reinterpret_cast<void*>(kImage));
    FakeAddressSpace space({{kImage - 0x80, 0x80, MEM_FREE},
                            {kImage - 0x2080, 0x2000, MEM_COMMIT},
                            {kImage - 0x3080, 0x1000, MEM_FREE}});
    space.answers[kImage - 0x2080 - 0x100] = kImage - 0x2180;
    ScopedTrampoline t;
    EXPECT_EQ(runCreate(t.trampoline), "");
    EXPECT_EQ(space.requests, std::vector<std::uintptr_t>{kImage - 0x2180});
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(t.trampoline.base()), kImage - 0x2180);
}

TEST(TrampolinePlacement, FailedAllocationIsReportedAndSearchGoesOn) {
    win32layer::overrideModuleHandle(reinterpret_cast<void*>(kImage));
    FakeAddressSpace space({{kImage - 0x1000, 0x1000, MEM_FREE},
                            {kImage - 0x11000, 0x10000, MEM_COMMIT},
                            {kImage - 0x21000, 0x10000, MEM_FREE}});
    space.answers[kImage - 0x11000 - 0x100] = kImage - 0x20000;
    ScopedTrampoline t;
    EXPECT_EQ(runCreate(t.trampoline), "trampoline alloc 000000013FFFFF00x0000000000000100 failed (000001E7)\n");
    EXPECT_EQ(space.requests, (std::vector<std::uintptr_t>{kImage - 0x100, kImage - 0x11100}));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(t.trampoline.base()), kImage - 0x20000);
}

TEST(TrampolinePlacement, NoFreeSpaceWithinReachLeavesNoBlock) {
    win32layer::overrideModuleHandle(reinterpret_cast<void*>(kImage));
    // One occupied region reaching further down than the search may go.
    FakeAddressSpace space({{kImage - 0x79000000, 0x79000000, MEM_COMMIT}});
    ScopedTrampoline t;
    EXPECT_EQ(runCreate(t.trampoline), "couldn't allocate trampoline, no free space before image\n");
    EXPECT_EQ(t.trampoline.base(), nullptr);
    EXPECT_TRUE(space.requests.empty());
}

TEST(TrampolinePlacement, QueryFailureIsReportedWithItsCode) {
    win32layer::overrideModuleHandle(reinterpret_cast<void*>(kImage));
    FakeAddressSpace space({});
    ScopedTrampoline t;
    EXPECT_EQ(runCreate(t.trampoline), "VirtualQuery failed: 00000057\n");
    EXPECT_EQ(t.trampoline.base(), nullptr);
}

TEST(TrampolinePlacement, ImageBelowSearchSpanSearchesDownToTheLowestRegion) {
    constexpr std::uintptr_t lowImage = 0x10000000;
    win32layer::overrideModuleHandle(reinterpret_cast<void*>(lowImage));
    FakeAddressSpace space({{0x10000, lowImage - 0x10000, MEM_COMMIT}, {0, 0x10000, MEM_FREE}});
    space.answers[0x10000 - 0x100] = 0x1000;
    ScopedTrampoline t;
    EXPECT_EQ(runCreate(t.trampoline), "");
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(t.trampoline.base()), 0x1000u);
}

TEST(TrampolinePlacement, BlockJustBeyondReachIsKeptWithADiagnostic) {
    win32layer::overrideModuleHandle(reinterpret_cast<void*>(kImage));
    // The only free region lies partly below the lower bound; its top is above.
    const std::uintptr_t lower = kImage - kTrampolineSearchSpan;
    FakeAddressSpace space({{lower + 0x80, kImage - lower - 0x80, MEM_COMMIT},
                            {lower - 0x1000, 0x1000 + 0x80, MEM_FREE}});
    space.answers[lower - 0x80] = lower - 0x10000;
    ScopedTrampoline t;
    EXPECT_EQ(runCreate(t.trampoline), "couldn't allocate trampoline, no free space before image\n");
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(t.trampoline.base()), lower - 0x10000);
}

TEST(TrampolinePlacement, SecondCreateChangesNothing) {
    win32layer::overrideModuleHandle(reinterpret_cast<void*>(kImage));
    FakeAddressSpace space({{kImage - 0x1000, 0x1000, MEM_FREE}});
    space.answers[kImage - 0x100] = kImage - 0x10000;
    ScopedTrampoline t;
    runCreate(t.trampoline);
    t.trampoline.setBlockForTesting(t.trampoline.base(), t.trampoline.capacity(), 28);
    EXPECT_EQ(runCreate(t.trampoline), "");
    EXPECT_EQ(space.requests.size(), 1u);
    EXPECT_EQ(t.trampoline.used(), 28u);
}

// Entries and patched sites, on real memory.
alignas(16) std::uint8_t g_block[256];
alignas(16) std::uint8_t g_code[64];

TEST(TrampolineEntries, EntryJumpsToTargetAndSiteCallsEntry) {
    ScopedTrampoline t;
    t.trampoline.setBlockForTesting(g_block, 256, 0);
    const auto site = reinterpret_cast<std::uintptr_t>(g_code + 8);
    const std::uintptr_t target = 0x1122334455667788;
    ASSERT_TRUE(t.trampoline.writeRelCall(site, target));
    const std::uint8_t expectedEntry[14] = {0xFF, 0x25, 0, 0, 0, 0, 0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11};
    EXPECT_EQ(std::memcmp(g_block, expectedEntry, 14), 0);
    EXPECT_EQ(g_code[8], 0xE8);
    std::int32_t displacement;
    std::memcpy(&displacement, g_code + 9, 4);
    EXPECT_EQ(site + 5 + displacement, reinterpret_cast<std::uintptr_t>(g_block));
    EXPECT_EQ(t.trampoline.used(), 14u);
}

TEST(TrampolineEntries, EighteenthEntryStillFits) {
    ScopedTrampoline t;
    t.trampoline.setBlockForTesting(g_block, 256, 0);
    for (int i = 0; i < 18; ++i)
        ASSERT_TRUE(t.trampoline.writeRelCall(reinterpret_cast<std::uintptr_t>(g_code), 0x1000 + i));
    EXPECT_EQ(t.trampoline.used(), 252u);
    std::uintptr_t lastTarget;
    std::memcpy(&lastTarget, g_block + 17 * 14 + 6, 8);
    EXPECT_EQ(lastTarget, 0x1000u + 17);
}

// Death tests: the diagnostic goes to stdout, which the child points at stderr.
void redirectStdoutToStderr() {
    std::fflush(stdout);
    dup2(2, 1);
}

TEST(TrampolineAssertionsDeathTest, NineteenthEntryStopsTheProcess) {
    EXPECT_EXIT(
        {
            redirectStdoutToStderr();
            BranchTrampoline trampoline;
            trampoline.setBlockForTesting(g_block, 256, 0);
            for (int i = 0; i < 19; ++i) trampoline.writeRelCall(reinterpret_cast<std::uintptr_t>(g_code), 0x1000);
        },
        testing::KilledBySignal(SIGILL), "Assertion failed in obrix_common/BranchTrampoline \\(255\\): result\n");
}

TEST(TrampolineAssertionsDeathTest, PatchWithoutBlockStopsTheProcess) {
    EXPECT_EXIT(
        {
            redirectStdoutToStderr();
            BranchTrampoline trampoline;
            trampoline.writeRelCall(reinterpret_cast<std::uintptr_t>(g_code), 0x1000);
        },
        testing::KilledBySignal(SIGILL), "Assertion failed in obrix_common/BranchTrampoline \\(125\\): m_base\n");
}

TEST(TrampolineAssertionsDeathTest, EntryOutOfReachStopsTheProcessBeforeWritingTheSite) {
    EXPECT_EXIT(
        {
            redirectStdoutToStderr();
            BranchTrampoline trampoline;
            trampoline.setBlockForTesting(g_block, 256, 0);
            trampoline.writeRelCall(reinterpret_cast<std::uintptr_t>(g_block) + 0x100000000ull, 0x1000);
        },
        testing::KilledBySignal(SIGILL),
        "Assertion failed in obrix_common/BranchTrampoline \\(245\\): "
        "\\(trampolineDispl >= _I32_MIN\\) && \\(trampolineDispl <= _I32_MAX\\)\n");
}

// The real address space: the block lands below the simulated image, in reach.
TEST(TrampolineRealMemory, BlockLandsBelowImageWithinRelCallReach) {
    BranchTrampoline trampoline;
    testing::internal::CaptureStdout();
    trampoline.createBelowImage();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_NE(trampoline.base(), nullptr);
    const auto image = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
    const auto base = reinterpret_cast<std::uintptr_t>(trampoline.base());
    EXPECT_LT(base, image);
    EXPECT_LE(image - base, kTrampolineSearchSpan);
    MEMORY_BASIC_INFORMATION info{};
    ASSERT_NE(VirtualQuery(trampoline.base(), &info, sizeof info), 0u);
    EXPECT_EQ(info.State, MEM_COMMIT);
    EXPECT_EQ(info.Protect, PAGE_EXECUTE_READWRITE);
}

}  // namespace
