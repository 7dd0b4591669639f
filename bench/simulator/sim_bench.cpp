#include <benchmark/benchmark.h>

#include "bench/simulator/timer_loop.h"
#include "simulator/sim8051.h"

#include <vector>

namespace {

constexpr int kInstructionsPerIteration = 1'000'000;

// The run loop, as the IDE and sim51 drive it, or one ExecuteInstruction at
// a time.
template <bool Stepping> void BM_TimerInterruptLoop(benchmark::State& state)
{
    CCodeMemory code;
    std::vector<uint8_t> externalRam(0x10000);
    CSim8051 sim(code, externalRam);
    const CStopMap stops;
    bench::LoadTimerLoop(code);
    sim.SetProcessorType(1);
    sim.ResetProcessor();
    for (auto _ : state) {
        if constexpr (Stepping) {
            for (int i = 0; i < kInstructionsPerIteration; ++i) {
                sim.ExecuteInstruction();
            }
        } else {
            sim.Run(kInstructionsPerIteration, stops);
        }
    }
    benchmark::DoNotOptimize(sim.State().DirectSpace[0x30]);
    state.SetItemsProcessed(state.iterations() * kInstructionsPerIteration);
    state.counters["timer_interrupts"] = sim.State().DirectSpace[0x30];
}

// 200 iterations of a million: at least 100 million simulated instructions.
// Five repetitions give a median on a machine shared with other work.
BENCHMARK(BM_TimerInterruptLoop<false>)
    ->Name("BM_TimerInterruptLoop")
    ->Iterations(200)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TimerInterruptLoop<true>)
    ->Name("BM_TimerInterruptSteps")
    ->Iterations(200)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
