#include "sim_fixture.h"

namespace {

class PeripheralsTest : public NopFixture
{
protected:
    uint8_t Tcon() const { return D(sfr::kTcon); }
};

TEST_F(PeripheralsTest, Mode1OverflowEntersTheTimer0VectorOnTheNextStep)
{
    RawD(sfr::kTmod) = 0x01;
    RawD(sfr::kTcon) = sfr::kTr0;
    RawD(sfr::kTh0) = 0xFF;
    RawD(sfr::kTl0) = 0xFE;
    RawD(sfr::kIe) = sfr::kEa | sfr::kEt0;
    Load(0, {0x80, 0xFE}); // SJMP $
    Step();
    EXPECT_EQ(D(sfr::kTh0), 0);
    EXPECT_EQ(D(sfr::kTl0), 0);
    EXPECT_TRUE(Tcon() & sfr::kTf0);
    Step();
    EXPECT_TRUE(sim.State().interruptTaken);
    EXPECT_EQ(sim.State().pc, 0x0Bu);
    EXPECT_FALSE(Tcon() & sfr::kTf0);
    EXPECT_EQ(D(sfr::kTl0), 2); // the entry advances the timers by 2
    EXPECT_EQ(sim.State().totalCycles, 2u);
    EXPECT_EQ(D(sfr::kSp), 0x09);
    EXPECT_EQ(D(0x08), 0x00);
    EXPECT_EQ(sim.State().CallDepth, 1);
    EXPECT_EQ(code.ExecutionCount(0), 1u);
}

TEST_F(PeripheralsTest, Mode0KeepsFiveBitsOfTl0)
{
    RawD(sfr::kTcon) = sfr::kTr0;
    RawD(sfr::kTl0) = 0xE5;
    Step();
    EXPECT_EQ(D(sfr::kTl0), 0x06);
    RawD(sfr::kTl0) = 0x1F;
    RawD(sfr::kTh0) = 0xFF;
    Step();
    EXPECT_EQ(D(sfr::kTl0), 0x00);
    EXPECT_EQ(D(sfr::kTh0), 0x00);
    EXPECT_TRUE(Tcon() & sfr::kTf0);
}

TEST_F(PeripheralsTest, Mode2ReloadsFromTh)
{
    RawD(sfr::kTmod) = 0x02;
    RawD(sfr::kTcon) = sfr::kTr0;
    RawD(sfr::kTh0) = 0x80;
    RawD(sfr::kTl0) = 0xFF;
    Load(0, {0x80, 0xFE}); // 2 cycles
    Step();
    EXPECT_EQ(D(sfr::kTl0), 0x81);
    EXPECT_TRUE(Tcon() & sfr::kTf0);
}

TEST_F(PeripheralsTest, Timer1SharesTheTimerRules)
{
    RawD(sfr::kTmod) = 0x20; // timer 1 mode 2
    RawD(sfr::kTcon) = sfr::kTr1;
    RawD(sfr::kTh1) = 0xFD;
    RawD(sfr::kTl1) = 0xFF;
    Step();
    EXPECT_EQ(D(sfr::kTl1), 0xFD);
    EXPECT_TRUE(Tcon() & sfr::kTf1);
    EXPECT_FALSE(Tcon() & sfr::kTf0);
    RawD(sfr::kTmod) = 0x30; // mode 3 holds
    Step();
    EXPECT_EQ(D(sfr::kTl1), 0xFD);
}

TEST_F(PeripheralsTest, GateWithInt0HeldLowStopsTimer0)
{
    CP3PinsLow button(sfr::kPinInt0);
    sim.SetPortOverride(&button);
    RawD(sfr::kTmod) = 0x09; // GATE, mode 1
    RawD(sfr::kTcon) = sfr::kTr0;
    Step(3);
    EXPECT_EQ(D(sfr::kTl0), 0);
    sim.SetPortOverride(nullptr);
    Step();
    EXPECT_EQ(D(sfr::kTl0), 1);
}

TEST_F(PeripheralsTest, CounterModeCountsFallingEdgesOfT0)
{
    RawD(sfr::kTmod) = 0x05; // counter, mode 1
    RawD(sfr::kTcon) = sfr::kTr0;
    Step();
    EXPECT_EQ(D(sfr::kTl0), 0);
    RawD(sfr::kP3) = 0xEF; // P3.4 falls
    Step(2);               // only the first step sees an edge
    EXPECT_EQ(D(sfr::kTl0), 1);
}

TEST_F(PeripheralsTest, Timer0Mode3RunsTh0OnTimer1sBits)
{
    RawD(sfr::kTmod) = 0x03;
    RawD(sfr::kTcon) = sfr::kTr0 | sfr::kTr1;
    RawD(sfr::kTl0) = 0xFF;
    RawD(sfr::kTh0) = 0xFF;
    Step();
    EXPECT_EQ(D(sfr::kTl0), 0);
    EXPECT_EQ(D(sfr::kTh0), 0);
    EXPECT_TRUE(Tcon() & sfr::kTf0);
    EXPECT_TRUE(Tcon() & sfr::kTf1);
    RawD(sfr::kTcon) = sfr::kTr1; // TH0 keeps running without TR0
    Step();
    EXPECT_EQ(D(sfr::kTl0), 0);
    EXPECT_EQ(D(sfr::kTh0), 1);
}

TEST_F(PeripheralsTest, Timer2ReloadsOnEveryOverflow)
{
    RawD(sfr::kT2con) = sfr::kTr2;
    RawD(sfr::kRcap2h) = 0xFF;
    RawD(sfr::kRcap2l) = 0xF0;
    RawD(sfr::kTh2) = 0xFF;
    RawD(sfr::kTl2) = 0xFF;
    Step();
    EXPECT_EQ(D(sfr::kTl2), 0xF0);
    EXPECT_EQ(D(sfr::kTh2), 0xFF);
    EXPECT_TRUE(D(sfr::kT2con) & sfr::kTf2);
    // TF2 left set: the next overflow still reloads.
    RawD(sfr::kTl2) = 0xFF;
    Step();
    EXPECT_EQ(D(sfr::kTl2), 0xF0);
}

TEST_F(PeripheralsTest, Timer2CaptureOnT2exFallingEdge)
{
    RawD(sfr::kT2con) = sfr::kTr2 | sfr::kExen2 | sfr::kCpRl2;
    RawD(sfr::kTh2) = 0x12;
    RawD(sfr::kTl2) = 0x34;
    RawD(sfr::kP1) = 0xFD; // P1.1 falls
    Step();
    EXPECT_TRUE(D(sfr::kT2con) & sfr::kExf2);
    EXPECT_EQ(D(sfr::kRcap2h), 0x12);
    EXPECT_EQ(D(sfr::kRcap2l), 0x34);
    EXPECT_EQ(D(sfr::kTl2), 0x35);
}

TEST_F(PeripheralsTest, Timer2ExternalReloadAndBaudRateMode)
{
    RawD(sfr::kT2con) = sfr::kTr2 | sfr::kExen2;
    RawD(sfr::kRcap2h) = 0xAB;
    RawD(sfr::kRcap2l) = 0xCD;
    RawD(sfr::kP1) = 0xFD;
    Step();
    EXPECT_TRUE(D(sfr::kT2con) & sfr::kExf2);
    EXPECT_EQ(D(sfr::kTh2), 0xAB);
    EXPECT_EQ(D(sfr::kTl2), 0xCD);
    RawD(sfr::kT2con) = sfr::kTr2 | sfr::kTclk;
    Step();
    EXPECT_EQ(D(sfr::kTl2), 0xCD);
}

TEST_F(PeripheralsTest, PollOrderBeatsPriorityThenHighPreemptsLow)
{
    RawD(sfr::kIe) = sfr::kEa | sfr::kEt0 | sfr::kEt2;
    RawD(sfr::kIp) = sfr::kEt0; // timer 0 high, timer 2 low
    RawD(sfr::kTcon) = sfr::kTf0;
    RawD(sfr::kT2con) = sfr::kTf2;
    Step();
    EXPECT_EQ(sim.State().pc, 0x2Bu);
    EXPECT_TRUE(sim.State().lowInService);
    EXPECT_EQ(sim.State().priorityLevel, 0);
    Step();
    EXPECT_EQ(sim.State().pc, 0x0Bu);
    EXPECT_TRUE(sim.State().highInService);
    EXPECT_EQ(sim.State().priorityLevel, 1);
    EXPECT_TRUE(D(sfr::kT2con) & sfr::kTf2); // timer 2's flag is the program's to clear
    Step();                                  // nothing preempts a high-level routine
    EXPECT_EQ(sim.State().pc, 0x0Cu);
}

TEST_F(PeripheralsTest, EdgeTriggeredInt1WaitsForItsEnable)
{
    RawD(sfr::kTcon) = sfr::kIt1;
    RawD(sfr::kIe) = sfr::kEa;
    Step();
    RawD(sfr::kP3) = 0xF7; // P3.3 falls
    Step();
    EXPECT_TRUE(sim.State().Int1Pending());
    EXPECT_FALSE(sim.State().Int0Pending());
    RawD(sfr::kP3) = 0xFF;
    Step(3);
    EXPECT_TRUE(sim.State().Int1Pending());
    RawD(sfr::kIe) = sfr::kEa | sfr::kEx1;
    Step();
    EXPECT_EQ(sim.State().pc, 0x13u);
    EXPECT_FALSE(sim.State().Int1Pending());
}

TEST_F(PeripheralsTest, LevelTriggeredInt0FollowsThePin)
{
    RawD(sfr::kP3) = 0xFB;
    Step();
    EXPECT_TRUE(sim.State().Int0Pending());
    RawD(sfr::kP3) = 0xFF;
    Step();
    EXPECT_FALSE(sim.State().Int0Pending());
}

TEST_F(PeripheralsTest, TransmitCompletesWithTheSerialInterruptMaskedToo)
{
    // MOV SBUF,A ; wait: JNB TI,wait -- the usual polled transmit.
    Load(0, {0xF5, 0x99, 0x30, 0x99, 0xFD});
    for (uint8_t ie : {uint8_t{0}, uint8_t{sfr::kEa}, uint8_t{sfr::kEs}}) {
        sim.ResetProcessor();
        RawD(sfr::kIe) = ie;
        Step();  // MOV: 1 cycle of the 10 armed at the write
        Step(4); // JNB: 2 cycles each, 9 cycles after the write
        EXPECT_FALSE(D(sfr::kScon) & sfr::kTi) << int(ie);
        Step(); // 11 cycles: the transmission is over
        EXPECT_TRUE(D(sfr::kScon) & sfr::kTi) << int(ie);
        EXPECT_FALSE(sim.State().transmitBusy);
        Step();
        EXPECT_EQ(sim.State().pc, 5u); // the loop ends; no interrupt was taken
    }
}

// A write to SBUF inside an interrupt routine, then JNB TI,$: the frame ends
// whether or not the serial interrupt can be taken, and the wait ends with it.
TEST_F(PeripheralsTest, TransmitFromATimerRoutineEndsItsWait)
{
    struct Case
    {
        uint8_t ie;
        uint8_t ip;
        uint32_t serialEntries;
    };
    const Case cases[] = {
        {0x92, 0x00, 0}, // EA ES ET0, both low: blocked by the timer's service
        {0x82, 0x00, 0}, // ES clear
        {0x92, 0x02, 0}, // timer 0 high: blocked by a high-priority service
        {0x92, 0x10, 1}, // serial high: the poll completes it and takes the vector
    };
    for (const Case& c : cases) {
        code.ClearCode();
        Load(0x00, {0x02, 0x00, 0x30});     // LJMP main
        Load(0x0B, {0x75, 0x99, 'A',        // MOV SBUF,#'A'
                    0x30, 0x99, 0xFD,       // JNB TI,$
                    0xC2, 0x99, 0xC2, 0x8C, // CLR TI ; CLR TR0
                    0x32});                 // RETI
        Load(0x23, {0xC2, 0xAC, 0x32});     // CLR ES ; RETI: TI is left to the wait
        Load(0x30, {0x75, 0x98, 0x50,       // main: MOV SCON,#50H
                    0x75, 0x89, 0x22,       // MOV TMOD,#22H
                    0x75, 0x8D, 0xFD,       // MOV TH1,#0FDH
                    0xD2, 0x8E,             // SETB TR1
                    0x75, 0xA8, c.ie,       // MOV IE,#..
                    0x75, 0xB8, c.ip,       // MOV IP,#..
                    0xD2, 0x8C,             // SETB TR0
                    0x80, 0xFE});           // SJMP $
        sim.ResetProcessor();
        Step(1000);
        // The write counts 2 of the 10 cycles, each JNB 2: the fifth ends
        // the frame, the sixth leaves the loop.
        EXPECT_EQ(code.ExecutionCount(0x0E), 6u) << int(c.ie) << " " << int(c.ip);
        EXPECT_EQ(code.ExecutionCount(0x15), 1u) << int(c.ie) << " " << int(c.ip);
        EXPECT_EQ(code.ExecutionCount(0x23), c.serialEntries);
        EXPECT_EQ(sim.State().pc, 0x43u);
        EXPECT_FALSE(D(sfr::kScon) & sfr::kTi);
        EXPECT_FALSE(sim.State().transmitBusy);
    }
}

// The same wait inside the serial routine itself, at either priority.
TEST_F(PeripheralsTest, TransmitFromTheSerialRoutineEndsItsWait)
{
    Load(0x00, {0x02, 0x00, 0x30});     // LJMP main
    Load(0x23, {0xC2, 0x99,             // CLR TI
                0x75, 0x99, 'B',        // MOV SBUF,#'B'
                0x30, 0x99, 0xFD,       // JNB TI,$
                0xC2, 0x99, 0x05, 0x30, // CLR TI ; INC 30H
                0x32});                 // RETI
    for (uint8_t ip : {uint8_t{0x00}, uint8_t{sfr::kEs}}) {
        Load(0x30, {0x75, 0xB8, ip,   // main: MOV IP,#..
                    0x75, 0xA8, 0x90, // MOV IE,#90H
                    0xD2, 0x99,       // SETB TI
                    0x80, 0xFE});     // SJMP $
        code.ResetExecutionCounts();
        sim.ResetProcessor();
        RawD(0x30) = 0;
        Step(200);
        EXPECT_EQ(code.ExecutionCount(0x28), 6u) << int(ip);
        EXPECT_EQ(code.ExecutionCount(0x23), 1u) << int(ip);
        EXPECT_EQ(D(0x30), 1) << int(ip);
        EXPECT_EQ(sim.State().pc, 0x38u);
    }
}

TEST_F(PeripheralsTest, TransmitSetsTiAfterMoreThanTenCycles)
{
    RawD(sfr::kIe) = sfr::kEa | sfr::kEs;
    Load(0, {0x00, 0xF5, 0x99}); // NOP (its poll arms the countdown) ; MOV SBUF,A
    Step(2);
    Step(10); // 11 cycles since the write, counted after each instruction
    EXPECT_FALSE(D(sfr::kScon) & sfr::kTi);
    EXPECT_EQ(sim.State().pc, 0x0Du);
    Step();
    EXPECT_TRUE(D(sfr::kScon) & sfr::kTi);
    EXPECT_EQ(sim.State().pc, 0x23u);
    EXPECT_FALSE(sim.State().transmitBusy);
}

TEST_F(PeripheralsTest, NoInterruptIsTakenOnRetiItself)
{
    RawD(sfr::kIe) = sfr::kEa | sfr::kEt0;
    RawD(sfr::kTcon) = sfr::kTf0;
    RawD(sfr::kSp) = 0x09;
    RawD(0x08) = 0x80; // return to 0080h
    RawD(0x09) = 0x00;
    Load(0, {0x32});
    Step();
    EXPECT_EQ(sim.State().pc, 0x80u);
    EXPECT_FALSE(sim.State().interruptTaken);
    Step();
    EXPECT_EQ(sim.State().pc, 0x0Bu);
}

} // namespace
