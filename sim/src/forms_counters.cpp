// Tallies of the game's form functions and of their misuse.
#include <array>
#include <atomic>
#include <mutex>

#include "hostsim/forms.h"
#include "hostsim/transcript.h"

namespace hostsim {
namespace {

constexpr std::size_t kQueryKinds = static_cast<std::size_t>(FormQuery::Count);

std::array<std::atomic<std::uint64_t>, kQueryKinds>& queryCalls() {
    static std::array<std::atomic<std::uint64_t>, kQueryKinds> calls{};
    return calls;
}

struct ViolationLog {
    std::mutex mutex;
    std::vector<std::string> entries;
};

ViolationLog& violationLog() {
    static ViolationLog log;
    return log;
}

}  // namespace

void countFormQuery(FormQuery query) {
    queryCalls()[static_cast<std::size_t>(query)].fetch_add(1, std::memory_order_relaxed);
}

std::uint64_t formQueryCalls(FormQuery query) {
    return queryCalls()[static_cast<std::size_t>(query)].load(std::memory_order_relaxed);
}

void resetFormQueryCalls() {
    for (auto& calls : queryCalls()) calls.store(0, std::memory_order_relaxed);
}

std::vector<std::string> formViolations() {
    ViolationLog& log = violationLog();
    std::lock_guard guard(log.mutex);
    return log.entries;
}

void recordFormViolation(std::string what) {
    recordViolation(what);
    ViolationLog& log = violationLog();
    std::lock_guard guard(log.mutex);
    log.entries.push_back(std::move(what));
}

void clearFormViolations() {
    ViolationLog& log = violationLog();
    std::lock_guard guard(log.mutex);
    log.entries.clear();
}

}  // namespace hostsim
