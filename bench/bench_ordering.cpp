// Name ordering of the results: ours against the game's exchange passes
// written out pair by pair. Both must leave the same order.
#include <benchmark/benchmark.h>

#include <vector>

#include "../tests/search/literal_exchange_passes.h"
#include "../tests/search/random_entries.h"
#include "search/result_ordering.h"

using namespace lumora;

namespace {

// Lists shaped like a one-letter search: most entries hit, positions bunch up.
std::vector<ResultEntry> benchmarkEntries(std::size_t count) {
    return makeRandomEntries(count, RandomEntryShape{45, 24}, 20260 + count);
}

void BM_NameOrderingOurs(benchmark::State& state) {
    const auto entries = benchmarkEntries(static_cast<std::size_t>(state.range(0)));
    {
        auto ours = entries, literal = entries;
        orderByNameHits(ours, findNameHitGroups(ours));
        literal::orderByNameHits(literal);
        if (primaryNamesOf(ours) != primaryNamesOf(literal)) state.SkipWithError("order differs from the passes");
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto list = entries;
        state.ResumeTiming();
        orderByNameHits(list, findNameHitGroups(list));
        benchmark::DoNotOptimize(list.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_NameOrderingLiteralPasses(benchmark::State& state) {
    const auto entries = benchmarkEntries(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto list = entries;
        state.ResumeTiming();
        literal::orderByNameHits(list);
        benchmark::DoNotOptimize(list.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_NameOrderingOurs)->Arg(1000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NameOrderingLiteralPasses)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NameOrderingLiteralPasses)->Arg(20000)->Iterations(2)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
