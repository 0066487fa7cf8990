// The Windows runtime's descriptors: the plugin DLL shares them with the game.
#include "stdout_capture.h"

#include <fcntl.h>
#include <io.h>

#include <stdexcept>
#include <string>

#include "hostsim/site_code.h"
#include "hostsim/transcript.h"

namespace demo {

StdoutCapture::StdoutCapture() {
    std::fflush(stdout);
    int ends[2];
    if (_pipe(ends, 4096, _O_BINARY) != 0) throw std::runtime_error("cannot create a pipe for standard output");
    savedFd_ = _dup(1);
    original_ = _fdopen(_dup(savedFd_), "w");
    _dup2(ends[1], 1);
    _close(ends[1]);
    const int readEnd = ends[0];
    reader_ = std::thread([readEnd] {
        std::string pending;
        char buffer[512];
        int got;
        while ((got = _read(readEnd, buffer, sizeof buffer)) > 0) {
            pending.append(buffer, static_cast<std::size_t>(got));
            std::size_t newline;
            while ((newline = pending.find('\n')) != std::string::npos) {
                // The plugin's stream is in text mode: its lines end in CR LF.
                const std::size_t end = newline > 0 && pending[newline - 1] == '\r' ? newline - 1 : newline;
                hostsim::recordTranscriptLine("diagnostic: " + hostsim::nameKnownAddresses(pending.substr(0, end)));
                pending.erase(0, newline + 1);
            }
        }
        if (!pending.empty()) hostsim::recordTranscriptLine("diagnostic: " + hostsim::nameKnownAddresses(pending));
        _close(readEnd);
    });
}

StdoutCapture::~StdoutCapture() {
    std::fflush(stdout);
    _dup2(savedFd_, 1);  // closes the pipe's last write end: the reader sees the end
    _close(savedFd_);
    reader_.join();
    std::fflush(original_);
    std::fclose(original_);
}

}  // namespace demo
