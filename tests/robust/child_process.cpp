#include "robust/child_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace lumora_test {

ChildReport runInChild(const std::function<std::string()>& work, int timeoutSeconds) {
    int channel[2];
    if (pipe(channel) != 0) return {false, "no pipe"};
    std::fflush(stdout);  // or the child would print the parent's pending lines again
    std::fflush(stderr);
    const pid_t child = fork();
    if (child < 0) return {false, "no fork"};
    if (child == 0) {
        close(channel[0]);
        const std::string report = work();
        std::fflush(stdout);
        const bool written = write(channel[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
        _exit(written ? 0 : 3);
    }
    close(channel[1]);
    std::string report;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    bool hung = false;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            hung = true;
            break;
        }
        pollfd readable{channel[0], POLLIN, 0};
        if (poll(&readable, 1, static_cast<int>(left.count())) <= 0) continue;
        char buffer[4096];
        const ssize_t got = read(channel[0], buffer, sizeof buffer);
        if (got <= 0) break;
        report.append(buffer, static_cast<std::size_t>(got));
    }
    close(channel[0]);
    if (hung) kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    if (hung) return {false, "the game hung (killed after " + std::to_string(timeoutSeconds) + " s)"};
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {false, "the game died (wait status " + std::to_string(status) + ")"};
    return {true, report};
}

}  // namespace lumora_test
