#include "sim_fixture.h"

// The peripheral work around an instruction takes a short path while no
// button is attached, both INT pins are high, nothing is pending, timer 0
// is not in mode 3, timer 2 is not counting and no transmission is in
// progress. Each test here breaks one of those conditions and checks that
// the full rules still apply, alongside the ones the short path keeps.

namespace {

using PeripheralPathsTest = NopFixture;

TEST_F(PeripheralPathsTest, ButtonOnInt0RequestsWhileTheStoredPinIsHigh)
{
    RawD(sfr::kIe) = sfr::kEa | sfr::kEx0; // INT0 level-triggered (IT0 = 0)
    Step();
    EXPECT_EQ(sim.State().pc, 1u);
    CP3PinsLow button(sfr::kPinInt0);
    sim.SetPortOverride(&button);
    Step();
    EXPECT_EQ(D(sfr::kP3), 0xFF);
    EXPECT_TRUE(sim.State().interruptTaken);
    EXPECT_EQ(sim.State().pc, 0x03u);
    EXPECT_FALSE(sim.State().Int0Pending()); // cleared by the acceptance
}

TEST_F(PeripheralPathsTest, ButtonEdgeOnT0CountsInCounterMode)
{
    RawD(sfr::kTmod) = 0x15; // timer 0 counter mode 1, timer 1 timer mode 1
    RawD(sfr::kTcon) = sfr::kTr0 | sfr::kTr1;
    Step();
    EXPECT_EQ(D(sfr::kTl0), 0);
    EXPECT_EQ(D(sfr::kTl1), 1);
    CP3PinsLow button(sfr::kPinT0);
    sim.SetPortOverride(&button);
    Step(2); // only the first step sees the falling edge
    EXPECT_EQ(D(sfr::kTl0), 1);
    EXPECT_EQ(D(sfr::kTl1), 3);
    EXPECT_EQ(sim.State().previousP3, 0xFF & ~sfr::kPinT0);
    sim.SetPortOverride(nullptr);
    Step();
    EXPECT_EQ(sim.State().previousP3, 0xFF);
}

TEST_F(PeripheralPathsTest, Timer2CountsBesideTimers0And1)
{
    RawD(sfr::kTmod) = 0x21; // timer 1 mode 2, timer 0 mode 1
    RawD(sfr::kTcon) = sfr::kTr0 | sfr::kTr1;
    RawD(sfr::kTh1) = 0xF0;
    RawD(sfr::kTl1) = 0xFF;
    Step();
    RawD(sfr::kT2con) = sfr::kTr2;
    Load(1, {0x75, 0x30, 0x55}); // MOV 30h,#55h: two cycles
    Step();
    EXPECT_EQ(D(sfr::kTl2), 2);
    EXPECT_EQ(D(sfr::kTl0), 3);
    EXPECT_EQ(D(sfr::kTl1), 0xF2);              // reloaded from TH1 on the first step
    RawD(sfr::kT2con) = sfr::kTr2 | sfr::kRclk; // baud-rate mode stops timer 2
    Step();
    EXPECT_EQ(D(sfr::kTl2), 2);
    EXPECT_EQ(D(sfr::kTl0), 4);
}

TEST_F(PeripheralPathsTest, TransmissionCountsDownBesideTimer0)
{
    RawD(sfr::kTmod) = 0x01;
    RawD(sfr::kTcon) = sfr::kTr0;
    const int32_t start = 10; // armed by the write while the interrupt is masked
    Load(0, {0xF5, 0x99});    // MOV SBUF,A: one cycle
    Step();
    EXPECT_TRUE(sim.State().transmitBusy);
    EXPECT_EQ(sim.State().transmitCountdown, start - 1);
    Step(3);
    EXPECT_EQ(sim.State().transmitCountdown, start - 4);
    EXPECT_EQ(D(sfr::kTl0), 4);
}

TEST_F(PeripheralPathsTest, Timer0Mode3WrittenBetweenInstructions)
{
    RawD(sfr::kTmod) = 0x01;
    RawD(sfr::kTcon) = sfr::kTr0 | sfr::kTr1;
    RawD(sfr::kTl0) = 0xFE;
    Step();
    EXPECT_EQ(D(sfr::kTl0), 0xFF);
    EXPECT_EQ(D(sfr::kTh0), 0x00);
    RawD(sfr::kTmod) = 0x03; // TL0 8 bits under TR0, TH0 counting on TR1
    Step();
    EXPECT_EQ(D(sfr::kTl0), 0x00);
    EXPECT_EQ(D(sfr::kTh0), 0x01);
    EXPECT_TRUE(D(sfr::kTcon) & sfr::kTf0);
    EXPECT_FALSE(D(sfr::kTcon) & sfr::kTf1);
}

TEST_F(PeripheralPathsTest, PollSeesOnlyEnabledRequestsAndTheSerialPort)
{
    // TF1 stays raised with ET1 off, as with timer 1 as a baud generator.
    RawD(sfr::kIe) = sfr::kEa | sfr::kEt0;
    RawD(sfr::kTcon) = sfr::kTf1;
    Step(3);
    EXPECT_EQ(sim.State().pc, 3u);
    EXPECT_TRUE(D(sfr::kTcon) & sfr::kTf1);
    RawD(sfr::kTcon) |= sfr::kTf0;
    Step();
    EXPECT_EQ(sim.State().pc, 0x0Bu);
    // With ES on, RI alone requests the serial vector.
    RawD(sfr::kIe) = sfr::kEa | sfr::kEs;
    sim.State().lowInService = false;
    RawD(sfr::kScon) = sfr::kRi;
    Step();
    EXPECT_EQ(sim.State().pc, 0x23u);
}

} // namespace
