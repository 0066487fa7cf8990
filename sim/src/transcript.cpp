#include "hostsim/transcript.h"

#include <cstdio>
#include <mutex>

namespace hostsim {
namespace {

struct TranscriptRecord {
    std::mutex mutex;
    std::vector<std::string> lines;
    std::vector<std::string> violations;
    std::function<void(const std::string&)> echo;
};

TranscriptRecord& record() {
    // Never destroyed: the plugin's threads may still call into the game at exit.
    static TranscriptRecord& instance = *new TranscriptRecord;
    return instance;
}

constexpr std::string_view kViolationPrefix = "violation: ";

}  // namespace

void recordTranscriptLine(std::string line) {
    auto& r = record();
    std::function<void(const std::string&)> echo;
    {
        std::lock_guard lock(r.mutex);
        if (line.starts_with(kViolationPrefix)) r.violations.push_back(line.substr(kViolationPrefix.size()));
        r.lines.push_back(line);
        echo = r.echo;
    }
    if (echo) echo(line);
}

void recordViolation(std::string_view what) { recordTranscriptLine(std::string(kViolationPrefix) + std::string(what)); }

std::vector<std::string> transcript() {
    auto& r = record();
    std::lock_guard lock(r.mutex);
    return r.lines;
}

std::vector<std::string> violations() {
    auto& r = record();
    std::lock_guard lock(r.mutex);
    return r.violations;
}

void clearTranscript() {
    auto& r = record();
    std::lock_guard lock(r.mutex);
    r.lines.clear();
    r.violations.clear();
}

void setTranscriptEcho(std::function<void(const std::string&)> echo) {
    auto& r = record();
    std::lock_guard lock(r.mutex);
    r.echo = std::move(echo);
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            default:
                if (c < 0x20 || c >= 0x7F) {
                    char hex[5];
                    std::snprintf(hex, sizeof hex, "\\x%02X", c);
                    out += hex;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
    return out;
}

}  // namespace hostsim
