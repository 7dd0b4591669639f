#include <gtest/gtest.h>

#include "common/message_sink.h"
#include "fake_resolver.h"
#include "simulator/simulator.h"

namespace {

class CQuietSink : public IMessageSink
{
public:
    void ShowMessage(const std::string&, Severity) override {}
};

// Views redraw only when a revision moves: every command that changes what
// they show must move one, and reading must not.
TEST(SimulatorRevisionTest, CommandsThatChangeStateMoveItReadsDoNot)
{
    CSimulator simulation;
    CQuietSink sink;
    CFakeResolver resolver;
    simulation.SetMessageSink(&sink);
    simulation.SetSymbolResolver(&resolver);
    simulation.Modules().AddModule("main.a51");
    // 0000: INC A ; 0001: SJMP 0000
    const uint8_t program[] = {0x04, 0x80, 0xFD};
    for (uint32_t a = 0; a < sizeof program; ++a) {
        simulation.Code().StoreCode(a, program[a], a == 0 ? 0 : 1, 0, 2, true);
    }
    CSeenRevision seen;
    seen.Update(simulation.Revision());

    const auto moved = [&](const char* what) {
        EXPECT_TRUE(seen.Update(simulation.Revision())) << what;
    };
    simulation.Start();
    moved("Start");
    simulation.StepInto();
    moved("Step Into");
    simulation.ToggleBreakpoint("main.a51", 0, kBreakPoint);
    moved("Toggle Break Point");
    simulation.Continue();
    moved("Continue");
    simulation.ResetCoverage();
    moved("Reset Coverage");
    simulation.Watches().AddWatch("A", kWatchRegister, kWatchByte, 0, "", 0, 0,
                                  DisplayRadix::kDefault, -1);
    EXPECT_FALSE(seen.Update(simulation.Revision())) << "adding a watch changes no state";
    simulation.Watches().WriteWatch(0, "5");
    moved("a watch written");
    (void)simulation.Watches().FormatWatch(0);
    (void)simulation.Processor().ReadDirect(0xE0);
    EXPECT_FALSE(seen.Update(simulation.Revision())) << "reads";
    simulation.Stop();
    moved("Stop");
}

} // namespace
