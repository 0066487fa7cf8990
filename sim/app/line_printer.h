#pragma once
// Writes lines from every thread of the session without tearing them apart.
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace demo {

class LinePrinter {
public:
    void print(std::FILE* out, const std::vector<std::string>& lines) {
        std::lock_guard lock(mutex_);
        for (const auto& line : lines) {
            std::fputs(line.c_str(), out);
            std::fputc('\n', out);
        }
        std::fflush(out);
    }
    void printRaw(std::FILE* out, const std::string& text) {
        std::lock_guard lock(mutex_);
        std::fputs(text.c_str(), out);
        std::fflush(out);
    }

private:
    std::mutex mutex_;
};

}  // namespace demo
