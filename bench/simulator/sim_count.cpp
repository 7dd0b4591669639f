// Runs the benchmark program for a given number of instructions without the
// benchmark library, so that an instruction-counting profiler sees only the
// simulator: usage `sim_count N`; compare two values of N to get the cost
// of one simulated instruction.

#include "bench/simulator/timer_loop.h"
#include "simulator/sim8051.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    const long count = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1'000'000;
    CCodeMemory code;
    std::vector<uint8_t> externalRam(0x10000);
    CSim8051 sim(code, externalRam);
    bench::LoadTimerLoop(code);
    sim.SetProcessorType(1);
    sim.ResetProcessor();
    for (long i = 0; i < count; ++i) {
        sim.ExecuteInstruction();
    }
    const ProcessorState& state = sim.State();
    std::printf("instructions %ld pc %04X acc %02X timer interrupts %u total cycles %u\n", count,
                static_cast<unsigned>(state.pc), state.DirectSpace[0xE0], state.DirectSpace[0x30],
                static_cast<unsigned>(state.totalCycles));
    return 0;
}
