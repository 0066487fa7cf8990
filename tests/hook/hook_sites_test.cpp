// What the game's code looks like after the load entry: both call sites hold
// a relative call to a trampoline entry below the image, each entry an
// absolute jump to its hook.
#include <gtest/gtest.h>

#include <cstring>

#include "hook/branch_trampoline.h"
#include "hook/search_hooks.h"
#include "hostsim/call_sites.h"
#include "hostsim/image.h"
#include "hostsim/offsets.h"
#include "support/simulated_game.h"
#include "win/windows_api.h"

using namespace lumora;

namespace {

using lumora_test::LoadedPluginTest;

struct SiteView {
    std::uint8_t opcode;
    std::uintptr_t entry;  // where the rel32 call lands
};

SiteView readSite(std::uintptr_t offset) {
    const std::uint8_t* site = hostsim::at(offset);
    std::int32_t displacement;
    std::memcpy(&displacement, site + 1, 4);
    return {site[0], reinterpret_cast<std::uintptr_t>(site) + 5 + static_cast<std::intptr_t>(displacement)};
}

std::uintptr_t absoluteJumpTarget(std::uintptr_t entry) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(entry);
    const std::uint8_t jumpOpcode[6] = {0xFF, 0x25, 0, 0, 0, 0};  // jmp qword ptr [rip+0]
    EXPECT_EQ(std::memcmp(bytes, jumpOpcode, 6), 0) << "entry does not start with FF 25 00000000";
    std::uintptr_t target;
    std::memcpy(&target, bytes + 6, 8);
    return target;
}

using HookSitesAfterLoad = LoadedPluginTest;

TEST_F(HookSitesAfterLoad, BothSitesCallEntriesThatJumpToTheirHooks) {
    const SiteView prompt = readSite(hostsim::offsets::HostCallSite_PromptHook);
    const SiteView capture = readSite(hostsim::offsets::HostCallSite_TextCaptureHook);
    ASSERT_EQ(prompt.opcode, 0xE8);
    ASSERT_EQ(capture.opcode, 0xE8);

    EXPECT_EQ(absoluteJumpTarget(prompt.entry), reinterpret_cast<std::uintptr_t>(&promptHook));
    EXPECT_EQ(absoluteJumpTarget(capture.entry), reinterpret_cast<std::uintptr_t>(&textCaptureHook));
    // Two 14-byte entries, in load order, from the start of the block.
    const auto block = reinterpret_cast<std::uintptr_t>(g_branchTrampoline.base());
    EXPECT_EQ(prompt.entry, block);
    EXPECT_EQ(capture.entry, block + 14);
    EXPECT_EQ(g_branchTrampoline.used(), 28u);
    EXPECT_EQ(g_branchTrampoline.capacity(), 256u);
}

TEST_F(HookSitesAfterLoad, BlockLiesBelowTheImageWithinRel32ReachOfBothSites) {
    const auto image = reinterpret_cast<std::uintptr_t>(image_);
    const auto block = reinterpret_cast<std::uintptr_t>(g_branchTrampoline.base());
    ASSERT_NE(block, 0u);
    EXPECT_LT(block + 256, image + 1);
    EXPECT_LE(image - block, 0x78000000u);
    for (std::uintptr_t offset :
         {hostsim::offsets::HostCallSite_PromptHook, hostsim::offsets::HostCallSite_TextCaptureHook}) {
        const std::int64_t farthest = static_cast<std::int64_t>(block) - static_cast<std::int64_t>(image + offset + 5);
        EXPECT_GE(farthest, INT32_MIN) << std::hex << offset;
    }
    MEMORY_BASIC_INFORMATION info{};
    ASSERT_NE(VirtualQuery(g_branchTrampoline.base(), &info, sizeof info), 0u);
    EXPECT_EQ(info.State, static_cast<DWORD>(MEM_COMMIT));
    EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_EXECUTE_READWRITE));
}

TEST_F(HookSitesAfterLoad, OnlyTheFiveBytesOfEachSiteChanged) {
    // The routine around each site: sub rsp,28h before, add rsp,28h / ret after.
    const std::uint8_t before[4] = {0x48, 0x83, 0xEC, 0x28};
    const std::uint8_t after[5] = {0x48, 0x83, 0xC4, 0x28, 0xC3};
    for (std::uint8_t* routine : {hostsim::promptRoutine(), hostsim::captureRoutine()}) {
        EXPECT_EQ(std::memcmp(routine, before, 4), 0);
        EXPECT_EQ(std::memcmp(routine + 9, after, 5), 0);
    }
}

}  // namespace
