#include "hostsim/answer_faults.h"

#include <array>
#include <mutex>

namespace hostsim {
namespace {

struct PlannedFault {
    AnswerFault fault = AnswerFault::None;
    double share = 0;
    std::uint64_t state = 0;
};

struct FaultPlan {
    std::mutex mutex;
    std::array<PlannedFault, static_cast<std::size_t>(FormQuery::Count)> queries;
};

FaultPlan& plan() {
    static FaultPlan& instance = *new FaultPlan;  // queries may run during exit
    return instance;
}

// splitmix64: a fixed sequence per seed.
double nextUnit(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) / static_cast<double>(1ull << 53);
}

}  // namespace

void setAnswerFault(FormQuery query, AnswerFault fault, double share, std::uint64_t seed) {
    FaultPlan& p = plan();
    std::lock_guard lock(p.mutex);
    p.queries[static_cast<std::size_t>(query)] = {fault, share, seed};
}

void clearAnswerFaults() {
    FaultPlan& p = plan();
    std::lock_guard lock(p.mutex);
    p.queries.fill({});
}

AnswerFault takeAnswerFault(FormQuery query) {
    FaultPlan& p = plan();
    std::lock_guard lock(p.mutex);
    PlannedFault& planned = p.queries[static_cast<std::size_t>(query)];
    if (planned.fault == AnswerFault::None) return AnswerFault::None;
    return nextUnit(planned.state) < planned.share ? planned.fault : AnswerFault::None;
}

}  // namespace hostsim
