#include "sim_fixture.h"

#include "simulator/simulator.h"

#include <random>

namespace {

class CSilentSink : public IMessageSink
{
public:
    void ShowMessage(const std::string&, Severity) override { ++count; }
    int count = 0;
};

// Any byte sequence is a program: it must run without faulting. Run under
// the sanitizer build to catch stray accesses.
TEST(RandomCodeTest, RandomBytesRunWithoutFaulting)
{
    for (uint32_t seed : {1u, 2u, 3u, 4u}) {
        CCodeMemory code;
        std::vector<uint8_t> externalRam(0x10000);
        CSim8051 sim(code, externalRam);
        CSilentSink sink;
        sim.SetMessageSink(&sink);
        MemoryOptionsType options;
        options.useP2ForRi = seed & 1;
        options.pagedEnable = seed & 2; // RAM stays one page: accesses beyond it are dropped
        options.pagesIndex = 4;
        options.controlAddress = 0x90;
        options.variant = (seed & 1) ? ProcessorVariant::kAduc84x : ProcessorVariant::kStandard;
        sim.SetMemoryOptions(options);
        sim.SetProcessorType(static_cast<int>(seed & 3));
        sim.ResetProcessor();
        std::mt19937 random(seed);
        for (uint32_t address = 0; address < 0x10000; ++address) {
            code.WriteCodeByte(address, static_cast<uint8_t>(random()));
        }
        constexpr int kSteps = 500'000;
        int interrupts = 0;
        for (int i = 0; i < kSteps; ++i) {
            sim.State().interruptTaken = false;
            sim.ExecuteInstruction();
            interrupts += sim.State().interruptTaken ? 1 : 0;
            if ((i & 0xFFFF) == 0) {
                // Stir the interrupt system and the ports now and then.
                sim.WriteDirect(random() & 0xFF, random());
            }
        }
        // Every step either entered an interrupt or counted one instruction.
        uint64_t executed = 0;
        for (uint32_t address = 0; address < 0x10000; ++address) {
            executed += code.ExecutionCount(address);
        }
        EXPECT_EQ(executed + interrupts, static_cast<uint64_t>(kSteps));
    }
}

TEST(RandomCodeTest, RandomBytesUnderRunControl)
{
    CSimulator simulation;
    CSilentSink sink;
    simulation.SetMessageSink(&sink);
    simulation.Modules().AddModule("random.a51");
    std::mt19937 random(7);
    for (uint32_t address = 0; address < 0x10000; ++address) {
        simulation.Code().StoreCode(address, static_cast<uint8_t>(random()), address / 3, 0, 2,
                                    true);
    }
    simulation.Start();
    simulation.ToggleBreakpoint("random.a51", 100, kSoftBreak);
    simulation.ToggleBreakpoint("random.a51", 200, kBreakPoint);
    for (int i = 0; i < 200; ++i) {
        simulation.Continue();
        for (int idle = 0; idle < 10 && simulation.IsExecuting(); ++idle) {
            simulation.ContinueRun();
        }
        simulation.StepOver();
        simulation.StepInto();
    }
    EXPECT_TRUE(simulation.IsRunning());
}

} // namespace
