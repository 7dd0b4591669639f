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

// Any byte sequence is a program, and the run commands over it must neither
// fault nor stop the simulation. Run under the sanitizer build to catch stray
// accesses. (The simulator's fuzz target runs random bytes under every
// processor and memory option.)
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
