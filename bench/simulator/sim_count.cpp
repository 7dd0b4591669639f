// Runs the benchmark program for a given number of instructions without the
// benchmark library, so that an instruction-counting profiler sees only the
// simulator: usage `sim_count N [--step]`; compare two values of N to get the
// cost of one simulated instruction. It runs through the run loop, as the
// IDE and sim51 do, or with --step one ExecuteInstruction at a time. It also reports the
// allocations made while the instructions ran (there must be none) and the fastest chunk of 200,000
// instructions, the least disturbed rate on a shared machine.

#include "bench/simulator/timer_loop.h"
#include "simulator/sim8051.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

long allocations = 0;

} // namespace

void* operator new(std::size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

int main(int argc, char** argv)
{
    const long count = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1'000'000;
    const bool step = argc > 2 && std::string(argv[2]) == "--step";
    constexpr long kChunk = 200'000;
    auto code = std::make_unique<CCodeMemory>();
    std::vector<uint8_t> externalRam(0x10000);
    auto sim = std::make_unique<CSim8051>(*code, externalRam);
    const auto stops = std::make_unique<CStopMap>();
    bench::LoadTimerLoop(*code);
    sim->SetProcessorType(1);
    sim->ResetProcessor();
    using Clock = std::chrono::steady_clock;
    double fastest = 0;
    const long allocationsBefore = allocations;
    const Clock::time_point start = Clock::now();
    for (long done = 0; done < count;) {
        const long n = std::min(kChunk, count - done);
        const Clock::time_point chunkStart = Clock::now();
        if (step) {
            for (long i = 0; i < n; ++i) {
                sim->ExecuteInstruction();
            }
        } else {
            sim->Run(n, *stops);
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - chunkStart).count();
        if (n == kChunk && seconds > 0) {
            fastest = std::max(fastest, n / seconds);
        }
        done += n;
    }
    const double total = std::chrono::duration<double>(Clock::now() - start).count();
    const long allocated = allocations - allocationsBefore;
    const ProcessorState& state = sim->State();
    std::printf("instructions %ld pc %04X acc %02X timer interrupts %u total cycles %u\n", count,
                static_cast<unsigned>(state.pc), state.DirectSpace[0xE0], state.DirectSpace[0x30],
                static_cast<unsigned>(state.totalCycles));
    std::printf("allocations while running %ld\n", allocated);
    std::printf("overall %.1f M/s, fastest 200k chunk %.1f M/s (wall clock)\n", count / total / 1e6,
                fastest / 1e6);
    return allocated == 0 ? 0 : 1;
}
