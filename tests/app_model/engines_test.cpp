#include <gtest/gtest.h>

#include <fstream>

#include "app/engines.h"
#include "app_fakes.h"
#include "link/null_serial_line.h"
#include "scratch_dir.h"

namespace {

class EnginesTest : public ::testing::Test
{
protected:
    EnginesTest() { engines.Options().tabWidth = 8; }

    std::string Write(const std::string& name, const std::string& text)
    {
        std::ofstream(dir.Path() / name, std::ios::binary) << text;
        return dir.File(name);
    }
    void Assemble(const std::string& path)
    {
        engines.StartAssembly(path);
        for (int i = 0; i < 100 && engines.Assembler().IsAssembling(); ++i) {
            engines.IdleStep(false);
        }
        ASSERT_FALSE(engines.Assembler().IsAssembling());
    }
    void Start(int updateCount = kManualUpdateCount)
    {
        SimulatorSetupType setup;
        setup.updateCount = setup.remainingCount = updateCount;
        engines.StartSimulation(setup);
    }

    CScratchDir dir;
    CRecordingSink sink;
    CNullSerialDevice device;
    CNullPortCatalog catalog;
    CFakeTickSource clock;
    CEngines engines{{sink, device, catalog, clock}};
};

// A loop of 3 instructions: INC A / NOP / SJMP back.
constexpr const char* kLoop = "\tORG 0\nLOOP:\tINC A\n\tNOP\n\tSJMP LOOP\n\tEND\n";

TEST_F(EnginesTest, OneIdleStepAdvancesSearchAndAssemblyTogether)
{
    std::string source = "\tORG 0\n";
    for (int i = 0; i < 2 * CAssembler::kLineSlice; ++i) {
        source += "\tNOP\n";
    }
    source += "\tEND\n";
    const std::string path = Write("big.a51", source);
    engines.Finder().Start("NOP", dir.Path(), "*.a51", &engines.Output(), false, false, false);
    engines.StartAssembly(path);
    ASSERT_TRUE(engines.Busy().assembling);
    ASSERT_TRUE(engines.Busy().searching);

    const IdleResultType first = engines.IdleStep(false);
    EXPECT_TRUE(first.moreWork);
    EXPECT_TRUE(first.outputChanged); // hit lines of the search
    EXPECT_FALSE(first.assemblyEnded);
    int steps = 1;
    IdleResultType last;
    while ((last = engines.IdleStep(false)).moreWork) {
        ASSERT_LT(++steps, 1000);
    }
    EXPECT_FALSE(engines.Busy().assembling);
    EXPECT_FALSE(engines.Busy().searching);
    EXPECT_TRUE(engines.Busy().assemblyGood);
    // Two passes of two and a bit slices each, at least.
    EXPECT_GE(steps, 4);
    // The two engines' lines interleave in the one output text.
    EXPECT_TRUE(engines.Output().ContainsNoCase("Done - 0 error(s), 0 warning(s)"));
    EXPECT_TRUE(engines.Output().ContainsNoCase("10000 occurrences have been found."));
}

TEST_F(EnginesTest, AssemblingEndsALoadedSimulation)
{
    const std::string path = Write("loop.a51", kLoop);
    Assemble(path);
    Start();
    ASSERT_TRUE(engines.Busy().simulating);
    engines.StartAssembly(path);
    EXPECT_FALSE(engines.Busy().simulating);
}

TEST_F(EnginesTest, ARunRedrawsOnlyWhenItStopsUnlessAutoUpdateIsOn)
{
    const std::string path = Write("loop.a51", kLoop);
    Assemble(path);
    Start();
    engines.Simulator().Continue();
    ASSERT_TRUE(engines.Busy().running);
    // Auto update off: slices go by without a redraw.
    for (int i = 0; i < 5; ++i) {
        const IdleResultType step = engines.IdleStep(false);
        EXPECT_TRUE(step.moreWork);
        EXPECT_FALSE(step.showStop) << "slice " << i;
    }
    engines.Simulator().Break();
    const IdleResultType stop = engines.IdleStep(false);
    EXPECT_FALSE(stop.moreWork);
    EXPECT_TRUE(stop.showStop);
    EXPECT_FALSE(engines.Busy().running);
    EXPECT_TRUE(engines.Busy().simulating);

    // Auto update on with an update count of 100: every slice ends with the
    // count used up, so every slice redraws while the run goes on.
    Start(100);
    engines.Simulator().Continue();
    for (int i = 0; i < 3; ++i) {
        const IdleResultType step = engines.IdleStep(true);
        EXPECT_TRUE(step.moreWork);
        EXPECT_TRUE(step.showStop);
    }
}

TEST_F(EnginesTest, ASoftBreakRedrawsAndTheRunGoesOn)
{
    const std::string path = Write("loop.a51", kLoop);
    Assemble(path);
    Start();
    engines.Simulator().ToggleBreakpoint(path, 2, kSoftBreak); // NOP
    engines.Simulator().Continue();
    const IdleResultType step = engines.IdleStep(false);
    EXPECT_TRUE(step.showStop);
    EXPECT_TRUE(step.moreWork);
    EXPECT_TRUE(engines.Busy().running);
}

TEST_F(EnginesTest, WatchesReachTheLastAssemblysSymbols)
{
    const std::string path = Write("sym.a51", "COUNT\tEQU 30H\n\tORG 0\n\tMOV COUNT,#7\n\tEND\n");
    Assemble(path);
    Start();
    engines.Simulator().StepInto();
    CWatchList& watches = engines.Simulator().Watches();
    const int index = watches.AddWatch("COUNT", kWatchDirectMemory, kWatchByte, 0, "", 0, 0,
                                       DisplayRadix::kHexadecimal, -1);
    EXPECT_EQ(watches.FormatWatch(index), "COUNT 07");
}

} // namespace
