// The assembler writes straight into the simulation's code memory; a program
// is then run and stepped by source file and line.
#include <gtest/gtest.h>

#include "asm_test_util.h"
#include "simulator/simulator.h"
#include "simulator/simulator_events.h"

namespace {

class SourceLevelTest : public ::testing::Test
{
protected:
    void Assemble(const std::string& main, const std::string& include)
    {
        WriteFile("sub.inc", include);
        mainPath_ = WriteFile("main.a51", main);
        assembler_.SetEvents(&events_);
        assembler_.Assemble(mainPath_);
        while (assembler_.AssembleStep()) {
        }
        ASSERT_EQ(assembler_.GetErrorCount(), 0) << output_.GetLine(2);
        simulator_.SetLastCodeAddress(assembler_.GetStatementAddress());
    }
    std::string WriteFile(const std::string& name, const std::string& text)
    {
        return files_.WriteFile(name, text);
    }
    // Runs until the simulation halts (breakpoint, step end) or a bound.
    void RunToHalt()
    {
        for (int i = 0; i < 1000 && simulator_.IsExecuting(); ++i) {
            simulator_.ContinueRun();
        }
    }
    std::string PcFile() const { return simulator_.Modules().ModulePath(simulator_.PcModule()); }

    CAsmFixture files_; // only for its temporary folder
    COutputText output_;
    CSimulator simulator_;
    CAssembler assembler_{output_, simulator_.Code(), simulator_.Modules()};
    int symbolChanges_ = 0;
    CSimulatorEvents events_{simulator_, [this] { ++symbolChanges_; }};
    std::string mainPath_;
};

const char kMain[] = "        ORG   0\r\n"         // 0
                     "start:  MOV   A,#1\r\n"      // 1  0000
                     "        LCALL twice\r\n"     // 2  0002
                     "        MOV   30H,A\r\n"     // 3  0005
                     "        INCLUDE sub.inc\r\n" // 4
                     "done:   SJMP  done\r\n";     // 5
const char kSub[] = "; doubles A\r\n"              // 0
                    "twice:  ADD   A,ACC\r\n"      // 1
                    "        RET\r\n";             // 2

TEST_F(SourceLevelTest, StepsFollowSourceLinesAcrossFiles)
{
    Assemble(kMain, kSub);
    EXPECT_EQ(symbolChanges_, 1);
    simulator_.Start();
    EXPECT_EQ(simulator_.PcLine(), 1);
    EXPECT_EQ(PcFile(), mainPath_);

    simulator_.StepInto(); // MOV A,#1
    EXPECT_EQ(simulator_.PcLine(), 2);
    simulator_.StepInto(); // LCALL twice: into the include
    EXPECT_EQ(PcFile(), files_.Dir() / "sub.inc");
    EXPECT_EQ(simulator_.PcLine(), 1);
    simulator_.StepOut();
    RunToHalt();
    EXPECT_EQ(PcFile(), mainPath_);
    EXPECT_EQ(simulator_.PcLine(), 3);
    EXPECT_EQ(simulator_.Processor().ReadDirect(0xE0), 2);
}

TEST_F(SourceLevelTest, BreakpointsAreSetByFileAndLine)
{
    Assemble(kMain, kSub);
    simulator_.Start();
    const std::string sub = (files_.Dir() / "sub.inc").string();
    simulator_.ToggleBreakpoint(sub, 2, kBreakPoint);       // the RET
    simulator_.ToggleBreakpoint(mainPath_, 0, kBreakPoint); // ORG: no code, no breakpoint
    ASSERT_EQ(simulator_.Breakpoints().size(), 1u);
    EXPECT_EQ(simulator_.Breakpoints()[0].address, 0x09); // 74 01, 12 00 07, F5 30, 25 E0, then RET

    simulator_.Continue();
    RunToHalt();
    EXPECT_TRUE(simulator_.IsHalted());
    EXPECT_EQ(simulator_.Processor().Pc(), 0x09u);
    EXPECT_EQ(PcFile(), sub);
    EXPECT_EQ(simulator_.PcLine(), 2);

    // Stepping over the call from the start runs through the breakpoint.
    simulator_.Restart();
    simulator_.StepInto();
    simulator_.StepOver();
    RunToHalt();
    EXPECT_EQ(simulator_.Processor().Pc(), 0x09u);
}

TEST_F(SourceLevelTest, AssemblingResetsTheProcessorAndTheMonitorBreak)
{
    Assemble("        BREAK\r\nbreak:  RET\r\n", "");
    EXPECT_TRUE(simulator_.Processor().MonitorBreakUsed());
    EXPECT_EQ(simulator_.Processor().MonitorBreakAddress(), 3);
    simulator_.Processor().State().pc = 0x1234;
    Assemble("        NOP\r\n", "");
    EXPECT_EQ(simulator_.Processor().Pc(), 0u); // reset at the start of the assembly
    EXPECT_FALSE(simulator_.Processor().MonitorBreakUsed());
}

} // namespace
