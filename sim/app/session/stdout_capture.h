#pragma once
// Turns what the process writes to its standard output (the plugin's one-line
// diagnostics) into transcript lines "diagnostic: <line>", with the addresses
// the game knows written by name (hostsim::nameKnownAddresses). While it lives,
// file descriptor 1 is a pipe read by a thread of its own; `original()` is a
// stream on the real standard output for the transcript itself.
#include <cstdio>
#include <thread>

namespace demo {

class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    std::FILE* original() const { return original_; }

private:
    int savedFd_ = -1;
    std::FILE* original_ = nullptr;
    std::thread reader_;
};

}  // namespace demo
