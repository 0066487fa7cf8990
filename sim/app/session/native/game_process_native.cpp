#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>

#include "game_process.h"

extern char** environ;

namespace demo {

int runThisProgramAgain(const std::vector<std::string>& arguments) {
    std::vector<std::string> words{"/proc/self/exe"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    // The parts' lines reach the shared output in order.
    std::fflush(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    if (waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace demo
