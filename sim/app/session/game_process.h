#pragma once
// Starting the game again: this program run once more, as a new process with
// the same standard output and error, for a part of a script that follows a
// `restart`.
#include <string>
#include <vector>

namespace demo {

// Runs this program with the arguments and waits for it to end. Results: its
// exit status, or -1 when it could not be started or did not exit normally.
int runThisProgramAgain(const std::vector<std::string>& arguments);

}  // namespace demo
