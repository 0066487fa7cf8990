#pragma once
// "halcyra_sim.exe --scenario no-messaging": the loader has no messaging
// interface to give. The plugin's load must fail with both call sites left as
// the game's own, so that the loader can unload it and the game goes on
// calling through both sites. Prints every finding; returns the exit code.
namespace hostsim {

int runNoMessagingScenario();

}  // namespace hostsim
