#include "support/simulated_game.h"

#include <dlfcn.h>

#include "hostsim/boot.h"
#include "hostsim/engine_strings.h"
#include "hostsim/transcript.h"

namespace lumora_test {

const hostsim::PluginDescriptorRecord* pluginDescriptorExport() {
    return static_cast<const hostsim::PluginDescriptorRecord*>(dlsym(RTLD_DEFAULT, "ObrixPlugin_Version"));
}

hostsim::PluginLoadEntry pluginLoadExport() {
    return reinterpret_cast<hostsim::PluginLoadEntry>(dlsym(RTLD_DEFAULT, "ObrixPlugin_Load"));
}

void SimulatedGameTest::SetUp() {
    image_ = hostsim::bootGame();
    ASSERT_NE(image_, nullptr);
}

void SimulatedGameTest::TearDown() {
    const auto ledger = hostsim::engineStringLedger();
    EXPECT_TRUE(hostsim::engineStringLedgerBalanced())
        << "created " << ledger.created << ", released " << ledger.released << ", unknown releases "
        << ledger.releasedUnknown;
    if (!violationsExpected_) {
        for (const auto& violation : hostsim::violations()) ADD_FAILURE() << "game saw: " << violation;
    }
}

void LoadedPluginTest::SetUp() {
    SimulatedGameTest::SetUp();
    const auto outcome = hostsim::loadPlugin(pluginDescriptorExport(), pluginLoadExport());
    ASSERT_TRUE(outcome.descriptorAccepted);
    ASSERT_TRUE(outcome.loadReturned);
}

}  // namespace lumora_test
