// The game's string pool and the ledger over the plugin's strings.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "hostsim/engine_strings.h"
#include "hostsim/transcript.h"
#include "support/simulated_game.h"

namespace {

using namespace hostsim;
using lumora_test::SimulatedGameTest;

class EngineStrings : public SimulatedGameTest {};

TEST_F(EngineStrings, EqualTextsGiveEqualHandlesAndDifferentTextsDifferentOnes) {
    EXPECT_EQ(internEngineString("MessageBoxMenu"),
              internEngineString(std::string("MessageBox").append("Menu").c_str()));
    EXPECT_NE(internEngineString("MessageBoxMenu"), internEngineString("messageboxmenu"));
    EXPECT_EQ(internEngineString(nullptr), nullptr);
}

TEST_F(EngineStrings, EntryHoldsLengthFlagsAndTextAtTheGamesOffsets) {
    struct Case {
        const char* text;
        std::uint64_t length;
    };
    for (const Case& c : {Case{"", 0}, Case{"Jemison", 7}, Case{"Caf\xE9 \"Nova\"", 11}}) {
        auto* entry = static_cast<const std::uint8_t*>(internEngineString(c.text));
        std::uint64_t length = 0;
        std::memcpy(&length, entry + 0x08, sizeof length);
        EXPECT_EQ(length, c.length) << c.text;
        EXPECT_EQ(entry[0x14], 0) << c.text;
        EXPECT_STREQ(reinterpret_cast<const char*>(entry + 0x18), c.text);
        EXPECT_EQ(engineStringText(const_cast<std::uint8_t*>(entry)), c.text);
    }
    EngineStringHandle wide = internEngineString("wide entry");
    setEngineStringFlags(wide, 0x02);
    EXPECT_EQ(static_cast<const std::uint8_t*>(wide)[0x14], 0x02);
}

TEST_F(EngineStrings, NullTextMakesANullHandleThatIsNotCounted) {
    EngineStringHandle handle = internEngineString("stale");
    createEngineString(&handle, nullptr, 0);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(engineStringLedger().created, 0u);
    releaseEngineString(&handle);  // releasing a null handle is harmless
    EXPECT_EQ(engineStringLedger().releasedUnknown, 0u);
}

TEST_F(EngineStrings, TwoReferencesToOneTextNeedTwoReleases) {
    EngineStringHandle first = nullptr;
    EngineStringHandle second = nullptr;
    createEngineString(&first, "TextInputMenu", 0);
    createEngineString(&second, "TextInputMenu", 0);
    ASSERT_EQ(first, second);
    releaseEngineString(&first);
    EXPECT_FALSE(engineStringLedgerBalanced());
    EXPECT_TRUE(engineStringHeld(second));
    EXPECT_EQ(outstandingEngineStrings(), std::vector<std::string>{"TextInputMenu"});
    releaseEngineString(&second);
    EXPECT_TRUE(engineStringLedgerBalanced());
    EXPECT_FALSE(engineStringHeld(internEngineString("TextInputMenu")));
}

TEST_F(EngineStrings, ReleasingTwiceOrReleasingAGameStringIsCountedAsUnknown) {
    EngineStringHandle handle = nullptr;
    createEngineString(&handle, "Console", 0);
    EngineStringHandle copy = handle;
    releaseEngineString(&handle);
    releaseEngineString(&copy);  // the same reference a second time
    EngineStringHandle gameOwned = internEngineString("GalaxyStarMapMenu");
    releaseEngineString(&gameOwned);  // never created by the plugin
    const auto ledger = engineStringLedger();
    EXPECT_EQ(ledger.created, 1u);
    EXPECT_EQ(ledger.released, 1u);
    EXPECT_EQ(ledger.releasedUnknown, 2u);
    EXPECT_FALSE(engineStringLedgerBalanced());
    resetEngineStringLedger();  // the fixture checks balance afterwards
}

TEST_F(EngineStrings, ALeakedHandleLeavesTheLedgerUnbalanced) {
    EngineStringHandle handle = nullptr;
    createEngineString(&handle, "leak", 0);
    EXPECT_FALSE(engineStringLedgerBalanced());
    EXPECT_EQ(outstandingEngineStrings(), std::vector<std::string>{"leak"});
    resetEngineStringLedger();
}

TEST_F(EngineStrings, ConcurrentCreatesAndReleasesOfTheSameTextsBalance) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            const char* texts[] = {"GalaxyStarMapMenu", "MessageBoxMenu", "TextInputMenu"};
            for (int i = 0; i < kRounds; ++i) {
                EngineStringHandle handle = nullptr;
                createEngineString(&handle, texts[(i + t) % 3], 0);
                releaseEngineString(&handle);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    const auto ledger = engineStringLedger();
    EXPECT_EQ(ledger.created, std::uint64_t{kThreads} * kRounds);
    EXPECT_EQ(ledger.released, ledger.created);
    EXPECT_EQ(ledger.releasedUnknown, 0u);
}

}  // namespace
