#pragma once
#include "demo_options.h"

namespace demo {

// The interactive session on a terminal. Returns the exit status.
int runTerminalSession(const DemoOptions& options);

}  // namespace demo
