#include "sim_fixture.h"

#include "simulator/simulator.h"
#include "simulator/simulator_events.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

constexpr const char* kMain = "C:\\work\\main.a51";

// Builds a program line by line into the simulation's code memory, as the
// assembler's second pass would.
class RunControlTest : public ::testing::Test
{
protected:
    RunControlTest()
    {
        simulation.SetMessageSink(&sink);
        simulation.SetProcessorType(1);
        simulation.Modules().AddModule(kMain);
    }

    void Line(int32_t line, uint32_t address, std::initializer_list<uint8_t> bytes)
    {
        for (uint8_t byte : bytes) {
            simulation.Code().StoreCode(address++, byte, line, 0, 2, true);
        }
    }
    uint32_t Pc() const { return simulation.Processor().Pc(); }
    uint8_t D(uint32_t address) const
    {
        return simulation.Processor().State().DirectSpace[address];
    }
    // What the application's idle processing does while executing.
    void RunIdle(int maxCalls = 1000)
    {
        for (int i = 0; i < maxCalls && simulation.IsExecuting(); ++i) {
            simulation.ContinueRun();
        }
    }

    CSimulator simulation;
    CRecordingSink sink;
};

// 0000 LCALL 0010h / 0003 SJMP $ / 0010 LCALL 0020h / 0013 RET / 0020 NOP / 0021 RET
class CallProgramTest : public RunControlTest
{
protected:
    CallProgramTest()
    {
        Line(0, 0x0000, {0x12, 0x00, 0x10});
        Line(1, 0x0003, {0x80, 0xFE});
        Line(2, 0x0010, {0x12, 0x00, 0x20});
        Line(3, 0x0013, {0x22});
        Line(4, 0x0020, {0x00});
        Line(5, 0x0021, {0x22});
        simulation.Start();
    }
};

TEST_F(CallProgramTest, StartHaltsAtZero)
{
    EXPECT_TRUE(simulation.IsHalted());
    EXPECT_EQ(Pc(), 0u);
    EXPECT_EQ(simulation.PcLine(), 0);
    EXPECT_EQ(simulation.PcModule(), 0);
}

TEST_F(CallProgramTest, StepOverRunsTheWholeCall)
{
    simulation.StepOver();
    RunIdle();
    EXPECT_TRUE(simulation.IsHalted());
    EXPECT_EQ(Pc(), 3u);
    EXPECT_EQ(D(sfr::kSp), 0x07);
    EXPECT_EQ(simulation.Processor().State().cycles, 2u + 2 + 1 + 2 + 2);
}

TEST_F(CallProgramTest, StepOverStopsAtABreakPointInsideTheCall)
{
    simulation.ToggleBreakpoint(kMain, 4, kBreakPoint);
    simulation.StepOver();
    RunIdle();
    EXPECT_TRUE(simulation.IsHalted());
    EXPECT_EQ(Pc(), 0x20u);
}

TEST_F(CallProgramTest, StepOutReturnsOnlyFromTheCurrentRoutine)
{
    simulation.StepInto();
    ASSERT_EQ(Pc(), 0x10u);
    simulation.StepOut();
    RunIdle();
    EXPECT_TRUE(simulation.IsHalted());
    EXPECT_EQ(Pc(), 3u);

    simulation.Restart();
    simulation.StepInto();
    simulation.StepInto();
    ASSERT_EQ(Pc(), 0x20u);
    simulation.StepOut();
    RunIdle();
    EXPECT_EQ(Pc(), 0x13u);
    EXPECT_FALSE(simulation.CanStepOut()); // RET at PC
}

TEST_F(CallProgramTest, ContinueFromABreakPointExecutesBeforeStoppingAgain)
{
    simulation.ToggleBreakpoint(kMain, 1, kBreakPoint);
    simulation.Continue();
    RunIdle();
    ASSERT_EQ(Pc(), 3u);
    const uint32_t before = simulation.Processor().State().totalCycles;
    simulation.Continue();
    RunIdle();
    EXPECT_TRUE(simulation.IsHalted());
    EXPECT_EQ(Pc(), 3u);
    EXPECT_EQ(simulation.Processor().State().totalCycles, before + 2);
}

TEST_F(CallProgramTest, RunToCursorHaltsAtTheLineAndIgnoresLinesWithoutCode)
{
    simulation.RunToCursor(kMain, 42);
    EXPECT_TRUE(simulation.IsHalted());
    EXPECT_EQ(Pc(), 0u);
    simulation.RunToCursor(kMain, 5);
    RunIdle();
    EXPECT_TRUE(simulation.IsHalted());
    EXPECT_EQ(Pc(), 0x21u);
}

TEST_F(CallProgramTest, BreakHaltsAtTheNextIdleCall)
{
    simulation.Continue(); // SJMP $ forever
    EXPECT_TRUE(simulation.IsExecuting());
    simulation.Break();
    simulation.ContinueRun();
    EXPECT_TRUE(simulation.IsHalted());
    EXPECT_EQ(Pc(), 3u);
}

TEST_F(CallProgramTest, BreakpointRecordsAndToggling)
{
    simulation.ToggleBreakpoint(kMain, 2, kBreakPoint);
    simulation.ToggleBreakpoint(kMain, 7, kBreakPoint); // no code: nothing
    simulation.ToggleBreakpoint("other.a51", 2, kBreakPoint);
    ASSERT_EQ(simulation.Breakpoints().size(), 1u);
    EXPECT_EQ(simulation.BreakpointAt(0x10), kBreakPoint);
    EXPECT_EQ(simulation.FindBreakpoint(0, 2, kAnyBreak), 0);
    EXPECT_EQ(simulation.FindBreakpoint(0, 2, kSoftBreak), -1);
    // A soft break on a line with a break point removes the break point.
    simulation.ToggleBreakpoint(kMain, 2, kSoftBreak);
    EXPECT_FALSE(simulation.HasBreakpoints());
    EXPECT_EQ(simulation.BreakpointAt(0x10), 0);
}

TEST_F(CallProgramTest, ALineThatTookOverABreakPointsAddressRemovesThatBreakPoint)
{
    simulation.ToggleBreakpoint(kMain, 4, kBreakPoint); // 0020h
    // Reassembled: line 4 moved on, line 9 now produces 0020h.
    Line(9, 0x0020, {0x00});
    Line(4, 0x0030, {0x00});
    simulation.ToggleBreakpoint(kMain, 9, kBreakPoint);
    EXPECT_EQ(simulation.BreakpointAt(0x20), 0);
    EXPECT_EQ(simulation.FindBreakpoint(0, 4, kAnyBreak), -1);
    EXPECT_EQ(simulation.FindBreakpoint(0, 9, kAnyBreak), -1);
}

TEST_F(CallProgramTest, BreakPointsSurviveStopAndAreMappedAgainAtStart)
{
    simulation.ToggleBreakpoint(kMain, 4, kBreakPoint);
    simulation.Stop();
    EXPECT_TRUE(simulation.IsIdle());
    Line(4, 0x0020, {0x00}); // unchanged program
    simulation.Start();
    EXPECT_EQ(simulation.BreakpointAt(0x20), kBreakPoint);
    simulation.RemoveAllBreakpoints();
    EXPECT_EQ(simulation.BreakpointAt(0x20), 0);
    EXPECT_FALSE(simulation.HasBreakpoints());
}

TEST_F(CallProgramTest, SetPcKeepsTheSimulationHalted)
{
    simulation.SetPc(0x20);
    EXPECT_TRUE(simulation.IsHalted());
    EXPECT_EQ(simulation.PcLine(), 4);
    simulation.SetPc(0x10000);
    EXPECT_EQ(Pc(), 0x20u);
}

TEST_F(CallProgramTest, ResetSimulationHaltsAtZero)
{
    simulation.StepInto();
    simulation.ResetSimulation();
    EXPECT_TRUE(simulation.IsHalted());
    EXPECT_EQ(Pc(), 0u);
    EXPECT_EQ(D(sfr::kSp), 0x07);
}

// 0000 LJMP 0030h / 000B INC 31h, RETI / 0030 MOV IE,#82h / 0033 NOP /
// 0034 NOP / 0035 SJMP $
class InterruptProgramTest : public RunControlTest
{
protected:
    InterruptProgramTest()
    {
        Line(0, 0x0000, {0x02, 0x00, 0x30});
        Line(1, 0x000B, {0x05, 0x31});
        Line(2, 0x000D, {0x32});
        Line(3, 0x0030, {0x75, 0xA8, 0x82});
        Line(4, 0x0033, {0x00});
        Line(5, 0x0034, {0x00});
        Line(6, 0x0035, {0x80, 0xFE});
        simulation.Start();
        simulation.StepInto();
        simulation.StepInto();
        simulation.Processor().State().DirectSpace[sfr::kTcon] |= sfr::kTf0;
    }
};

TEST_F(InterruptProgramTest, StepOverRunsTheRoutineAndTheInterruptedInstruction)
{
    simulation.StepOver();
    EXPECT_TRUE(simulation.IsExecuting());
    RunIdle();
    EXPECT_TRUE(simulation.IsHalted());
    EXPECT_EQ(D(0x31), 1);
    EXPECT_EQ(Pc(), 0x34u);
}

TEST_F(InterruptProgramTest, StepIntoHaltsAtTheVector)
{
    simulation.StepInto();
    RunIdle();
    EXPECT_TRUE(simulation.IsHalted());
    EXPECT_EQ(Pc(), 0x0Bu);
    EXPECT_EQ(D(0x31), 0);
}

TEST_F(RunControlTest, SoftBreakReportsAndKeepsRunning)
{
    Line(0, 0x0000, {0x05, 0x30});       // INC 30h
    Line(1, 0x0002, {0x80, 0xFC});       // SJMP 0000h
    simulation.SetAutoUpdate(true, 100); // chunks of 100 instructions
    simulation.Start();
    simulation.ToggleBreakpoint(kMain, 1, kSoftBreak);
    simulation.Continue();
    EXPECT_TRUE(simulation.SoftBreakHit());
    EXPECT_TRUE(simulation.IsExecuting());
    EXPECT_EQ(simulation.RemainingCount(), 99);
    simulation.ContinueRun();
    EXPECT_TRUE(simulation.SoftBreakHit());
    EXPECT_EQ(simulation.RemainingCount(), 97);
    EXPECT_EQ(D(0x30), 2);
}

TEST_F(RunControlTest, ZeroUpdateCountRunsChunksOfAThousand)
{
    Line(0, 0x0000, {0x80, 0xFE});
    simulation.SetAutoUpdate(true, 0);
    simulation.Start();
    simulation.Continue();
    EXPECT_EQ(simulation.UpdateCount(), 1000);
    EXPECT_EQ(simulation.Processor().State().cycles, 2000u);
}

TEST_F(RunControlTest, AMessageDuringARunHaltsThereAndContinueGoesOn)
{
    Line(0, 0x0000, {0xC0, 0xE0}); // PUSH ACC
    Line(1, 0x0002, {0x80, 0xFC}); // SJMP 0000h
    simulation.SetProcessorType(2);
    simulation.Start();
    simulation.Continue();
    RunIdle();
    EXPECT_TRUE(simulation.IsHalted());
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0], "PUSH accessed unavialable memory (128) at addr: 0.");
    EXPECT_EQ(Pc(), 2u);
    simulation.Continue();
    RunIdle();
    EXPECT_EQ(sink.messages.size(), 2u);
    EXPECT_TRUE(simulation.IsHalted());
}

TEST_F(RunControlTest, RunningOffTheEndHalts)
{
    Line(0, 0x0000, {0x02, 0xFF, 0xFF});
    simulation.Start();
    simulation.Continue();
    RunIdle();
    EXPECT_TRUE(simulation.IsHalted());
    EXPECT_EQ(sink.messages.size(), 1u);
}

TEST_F(RunControlTest, CoverageReportListsInstructionStarts)
{
    Line(0, 0x0000, {0x00});
    Line(1, 0x0001, {0x02, 0x00, 0x01}); // LJMP 0001h
    simulation.SetAutoUpdate(true, 7);
    simulation.Start();
    simulation.Continue();
    const std::string path =
        (std::filesystem::temp_directory_path() / "sim_coverage_test.rep").string();
    ASSERT_TRUE(simulation.CreateCoverageReport(path));
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "Coverage report\r\n\r\nAddress   Execution Count\r\n"
                          "-------------------------------\r\n"
                          "     0          1\r\n"
                          "     1          6\r\n");
    std::filesystem::remove(path);
    EXPECT_FALSE(simulation.CreateCoverageReport("/nonexistent-dir/x.rep"));
    EXPECT_EQ(sink.messages.back(), "Unable to open file to save report into.");
    simulation.ResetCoverage();
    EXPECT_EQ(simulation.Code().ExecutionCount(1), 0u);
}

TEST_F(RunControlTest, PagedMemorySizesTheExternalRamAtStart)
{
    Line(0, 0x0000, {0x00});
    simulation.SetOptions(false, true, 0x30, 3, ProcessorVariant::kStandard, 10);
    EXPECT_EQ(simulation.ExternalRam().size(), 0x10000u);
    simulation.Start();
    EXPECT_EQ(simulation.ExternalRam().size(), 8u * 0x10000);
}

} // namespace

namespace {

TEST(SimulatorEventsTest, AssemblerCallsReachTheSimulation)
{
    CSimulator simulation;
    int symbolChanges = 0;
    CSimulatorEvents events(simulation, [&] { ++symbolChanges; });
    IAssemblerEvents& link = events;
    simulation.Processor().State().DirectSpace[sfr::kSp] = 0x30;
    link.ResetProcessor();
    EXPECT_EQ(simulation.Processor().State().DirectSpace[sfr::kSp], 0x07);
    link.SetMonitorBreakAddress(true, 0x1234);
    EXPECT_TRUE(simulation.Processor().MonitorBreakUsed());
    EXPECT_EQ(simulation.Processor().MonitorBreakAddress(), 0x1234);
    link.SymbolsChanged();
    EXPECT_EQ(symbolChanges, 1);
}

} // namespace
