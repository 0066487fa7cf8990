#pragma once
// "halcyra_sim.exe --script FILE [--galaxy FILE] [--workdir DIR] [--hold MS]":
// a play session of the command language with the real plugin DLL, loaded
// from DIR\Data\Obrix\Plugins (DIR defaults to a fresh temporary folder), on
// a real window titled "Halcyra" with real keys, the plugin's clock driven by
// the script. Prints each command as "> command" and every transcript line.
// Returns 0 when every command ran and the session ended cleanly, 1 when a
// command or an expectation failed, 2 when the game saw a violation or the
// engine strings did not balance, 64 for a bad command line or script.
namespace hostsim {

int runScriptSession(int argc, char** argv);

}  // namespace hostsim
