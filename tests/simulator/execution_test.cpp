#include "sim_fixture.h"

namespace {

using ExecutionTest = SimFixture;

TEST_F(ExecutionTest, DivideByZeroSetsOverflowAndKeepsOperands)
{
    sim.WriteDirect(sfr::kAcc, 0x40);
    RawD(sfr::kB) = 0;
    RawD(sfr::kPsw) |= sfr::kCy;
    Load(0, {0x84});
    Step();
    EXPECT_EQ(D(sfr::kAcc), 0x40);
    EXPECT_EQ(D(sfr::kB), 0);
    EXPECT_TRUE(D(sfr::kPsw) & sfr::kOv);
    EXPECT_FALSE(Cy());
    EXPECT_EQ(sim.State().totalCycles, 4u);
}

TEST_F(ExecutionTest, RunningOffTheTopWrapsWithOneMessage)
{
    Load(0, {0x02, 0xFF, 0xFF}); // LJMP 0FFFFh
    Load(0xFFFF, {0x00});        // NOP
    Step(2);
    EXPECT_EQ(sim.State().pc, 0x10000u);
    EXPECT_TRUE(sink.messages.empty());
    Step();
    EXPECT_TRUE(sim.State().pcWrapped);
    EXPECT_EQ(sim.State().pc, 0xFFFFu); // the LJMP at 0000h ran
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0], "Program counter wrapped around from 0xFFFF to 0x0000");
    Step();
    EXPECT_FALSE(sim.State().pcWrapped);
}

TEST_F(ExecutionTest, JumpIndirectBeyondTheTopIsCaughtByTheNextStep)
{
    sim.WriteRegister(12, 0xFFF0);
    sim.WriteDirect(sfr::kAcc, 0x20);
    Load(0, {0x73});
    Load(0x10, {0x04}); // INC A
    Step();
    EXPECT_EQ(sim.State().pc, 0x10010u);
    Step();
    EXPECT_EQ(sim.State().pc, 0x11u);
    EXPECT_EQ(D(sfr::kAcc), 0x21);
    EXPECT_EQ(sink.messages.size(), 1u);
}

TEST_F(ExecutionTest, UndefinedOpcodeReportsEachTimeAndMovesOn)
{
    Load(0, {0xA5, 0xA5});
    Step(2);
    EXPECT_EQ(sim.State().pc, 2u);
    EXPECT_EQ(sim.State().totalCycles, 2u);
    const std::vector<std::string> expected = {"Undefined instruction at address 0",
                                               "Undefined instruction at address 1"};
    EXPECT_EQ(sink.messages, expected);
}

TEST_F(ExecutionTest, MonitorBreakCallDoesNothingAndCostsNothing)
{
    sim.SetMonitorBreakAddress(true, 0x0800);
    Load(0, {0x12, 0x08, 0x00, 0x12, 0x09, 0x00});
    Step();
    EXPECT_EQ(sim.State().pc, 3u);
    EXPECT_EQ(D(sfr::kSp), 0x07);
    EXPECT_EQ(sim.State().CallDepth, 0);
    EXPECT_EQ(sim.State().totalCycles, 0u);
    Step(); // another target is an ordinary call
    EXPECT_EQ(sim.State().pc, 0x0900u);
    EXPECT_EQ(D(sfr::kSp), 0x09);
    EXPECT_EQ(D(0x08), 0x06);
    EXPECT_EQ(sim.State().CallDepth, 1);
}

TEST_F(ExecutionTest, CallsAndReturnsTrackDepthAndMaxSp)
{
    Load(0, {0x12, 0x00, 0x10}); // LCALL 0010h
    Load(0x10, {0x11, 0x20});    // ACALL 0020h
    Load(0x20, {0x22});          // RET
    Step(3);
    EXPECT_EQ(sim.State().pc, 0x12u);
    EXPECT_EQ(sim.State().CallDepth, 1);
    EXPECT_EQ(sim.State().maxSp, 0x0Bu);
    EXPECT_EQ(D(sfr::kSp), 0x09);
}

TEST_F(ExecutionTest, RetiEndsOnlyTheHighLevelWhenBothAreInService)
{
    sim.State().lowInService = true;
    sim.State().highInService = true;
    sim.State().priorityLevel = 1;
    RawD(sfr::kSp) = 0x09;
    Load(0, {0x32, 0x32});
    Step();
    EXPECT_TRUE(sim.State().lowInService);
    EXPECT_FALSE(sim.State().highInService);
    EXPECT_EQ(sim.State().priorityLevel, 0);
    sim.State().pc = 0;
    Step();
    EXPECT_FALSE(sim.State().lowInService);
    EXPECT_EQ(sim.State().priorityLevel, -1);
}

TEST_F(ExecutionTest, CoverageCountsInstructionStartsOnly)
{
    Load(0, {0x02, 0x00, 0x00}); // LJMP 0000h
    Step(5);
    EXPECT_EQ(code.ExecutionCount(0), 5u);
    EXPECT_EQ(code.ExecutionCount(1), 0u);
}

TEST_F(ExecutionTest, PushAndPopOfSpFollowTheirStepOrder)
{
    Load(0, {0xC0, 0x81, 0xD0, 0x81}); // PUSH SP ; POP SP
    Step();
    EXPECT_EQ(D(0x08), 0x08); // the incremented SP is pushed
    Step();
    EXPECT_EQ(D(sfr::kSp), 0x07); // popped 08h, then decremented
}

TEST_F(ExecutionTest, CarryLogicAndBitWritesOnPortsGoThroughTheSfr)
{
    Load(0, {0xC2, 0x90, 0xB2, 0x91, 0x10, 0x92, 0x00}); // CLR P1.0 ; CPL P1.1 ; JBC P1.2,+0
    Step(3);
    EXPECT_EQ(D(sfr::kP1), 0xF8);
}

TEST_F(ExecutionTest, ParityFollowsEveryAccValue)
{
    for (uint32_t value = 0; value < 0x100; ++value) {
        int ones = 0;
        for (uint32_t bits = value; bits != 0; bits >>= 1) {
            ones += static_cast<int>(bits & 1);
        }
        RawD(sfr::kPsw) = static_cast<uint8_t>(value); // P before the write is arbitrary
        Load(0, {0x74, static_cast<uint8_t>(value)});  // MOV A,#value
        sim.State().pc = 0;
        Step();
        EXPECT_EQ((D(sfr::kPsw) & sfr::kParity) != 0, ones % 2 == 1) << value;
        EXPECT_EQ(D(sfr::kPsw) & ~sfr::kParity, value & ~sfr::kParity) << value;
    }
}

} // namespace
