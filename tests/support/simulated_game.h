#pragma once
// Fixtures that bring up the simulated game, and optionally load the plugin
// into it through the simulated loader. Each test case runs in a process of
// its own, so the game and the plugin start fresh every time.
#include <gtest/gtest.h>

#include <cstdint>

#include "hostsim/descriptor.h"
#include "hostsim/loader.h"

namespace lumora_test {

// The plugin's two exports as the loader finds them in this process.
const hostsim::PluginDescriptorRecord* pluginDescriptorExport();
hostsim::PluginLoadEntry pluginLoadExport();

// The game is booted; after each test the plugin's engine strings must
// balance and the game must have seen no violation (unless the test said it
// expects some).
class SimulatedGameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void expectViolations() { violationsExpected_ = true; }
    std::uint8_t* image_ = nullptr;

private:
    bool violationsExpected_ = false;
};

// As above, with the plugin loaded through the simulated loader (its load
// entry returned true) and nothing else sent yet.
class LoadedPluginTest : public SimulatedGameTest {
protected:
    void SetUp() override;
};

}  // namespace lumora_test
