#pragma once
#include <string>

#include "demo_options.h"

namespace demo {

// Runs a script (a file, or standard input when `path` is "-" or empty) and
// prints the transcript. Exit status: 0 all commands ran and the session
// ended cleanly, 1 a command failed, 2 the game saw a violation or the
// engine strings did not balance, 64 the script could not be read.
int runScriptMode(const DemoOptions& options);

}  // namespace demo
