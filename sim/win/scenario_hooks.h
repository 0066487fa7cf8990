#pragma once
// "halcyra_sim.exe --scenario hooks <galaxy file>": loads the plugin, looks
// at the game's two patched call sites and their trampoline entries, passes
// the prompt site, then makes the player's search text at the capture site
// once right after editing ended on the star map and once well after it.
// Prints every finding and effect; returns the process exit code.
namespace hostsim {

int runHooksScenario(const char* galaxyPath);

}  // namespace hostsim
