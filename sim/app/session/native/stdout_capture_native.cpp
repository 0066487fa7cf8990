#include "stdout_capture.h"

#include <unistd.h>

#include <stdexcept>
#include <string>

#include "hostsim/site_code.h"
#include "hostsim/transcript.h"

namespace demo {

StdoutCapture::StdoutCapture() {
    std::fflush(stdout);
    int ends[2];
    if (pipe(ends) != 0) throw std::runtime_error("cannot create a pipe for standard output");
    savedFd_ = dup(STDOUT_FILENO);
    original_ = fdopen(dup(savedFd_), "w");
    dup2(ends[1], STDOUT_FILENO);
    close(ends[1]);
    const int readEnd = ends[0];
    reader_ = std::thread([readEnd] {
        std::string pending;
        char buffer[512];
        ssize_t got;
        while ((got = read(readEnd, buffer, sizeof buffer)) > 0) {
            pending.append(buffer, static_cast<std::size_t>(got));
            std::size_t newline;
            while ((newline = pending.find('\n')) != std::string::npos) {
                hostsim::recordTranscriptLine("diagnostic: " + hostsim::nameKnownAddresses(pending.substr(0, newline)));
                pending.erase(0, newline + 1);
            }
        }
        if (!pending.empty()) hostsim::recordTranscriptLine("diagnostic: " + hostsim::nameKnownAddresses(pending));
        close(readEnd);
    });
}

StdoutCapture::~StdoutCapture() {
    std::fflush(stdout);
    dup2(savedFd_, STDOUT_FILENO);  // closes the pipe's last write end: the reader sees the end
    close(savedFd_);
    reader_.join();
    std::fflush(original_);
    std::fclose(original_);
}

}  // namespace demo
