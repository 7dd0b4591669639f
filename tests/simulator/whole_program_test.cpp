#include "sim_fixture.h"

#include "simulator/simulator.h"

namespace {

constexpr const char* kSource = "prog.a51";

struct ProgramLine
{
    uint32_t address;
    std::vector<uint8_t> bytes;
};

// Small programs, hand-assembled (source in the comments), each stored one
// line per instruction and run to the line of its last instruction. The
// expected cycles are counted by hand from the instruction timings, the
// timer counts and the interrupt entries (which advance the timers by two
// but are not counted as cycles).
class WholeProgramTest : public ::testing::Test
{
protected:
    WholeProgramTest()
    {
        simulation.SetMessageSink(&sink);
        simulation.SetProcessorType(1);
        simulation.Modules().AddModule(kSource);
    }

    // Runs until the last line's instruction is reached.
    void Run(const std::vector<ProgramLine>& program)
    {
        int32_t line = 0;
        for (const ProgramLine& row : program) {
            uint32_t address = row.address;
            for (uint8_t byte : row.bytes) {
                simulation.Code().StoreCode(address++, byte, line, 0, 2, true);
            }
            ++line;
        }
        simulation.Start();
        simulation.RunToCursor(kSource, line - 1);
        for (int i = 0; i < 100 && simulation.IsExecuting(); ++i) {
            simulation.ContinueRun();
        }
        ASSERT_TRUE(simulation.IsHalted());
        ASSERT_EQ(simulation.Processor().Pc(), program.back().address);
    }
    uint8_t D(uint32_t address) const
    {
        return simulation.Processor().State().DirectSpace[address];
    }
    uint32_t TotalCycles() const { return simulation.Processor().State().totalCycles; }

    CSimulator simulation;
    CRecordingSink sink;
};

TEST_F(WholeProgramTest, TableLookupWithMovc)
{
    Run({
        {0x0000, {0x90, 0x00, 0x20}},       //       MOV  DPTR,#table
        {0x0003, {0x78, 0x30}},             //       MOV  R0,#30h
        {0x0005, {0x7B, 0x00}},             //       MOV  R3,#0
        {0x0007, {0xEB}},                   // loop: MOV  A,R3
        {0x0008, {0x93}},                   //       MOVC A,@A+DPTR
        {0x0009, {0xF6}},                   //       MOV  @R0,A
        {0x000A, {0x08}},                   //       INC  R0
        {0x000B, {0x0B}},                   //       INC  R3
        {0x000C, {0xBB, 0x04, 0xF8}},       //       CJNE R3,#4,loop
        {0x0020, {0x00, 0x01, 0x04, 0x09}}, // table: DB 0,1,4,9
        {0x000F, {0x80, 0xFE}},             //       SJMP $
    });
    EXPECT_EQ(D(0x30), 0x00);
    EXPECT_EQ(D(0x31), 0x01);
    EXPECT_EQ(D(0x32), 0x04);
    EXPECT_EQ(D(0x33), 0x09);
    EXPECT_EQ(D(0x00), 0x34); // R0
    EXPECT_EQ(D(0x03), 0x04); // R3
    EXPECT_EQ(D(sfr::kAcc), 0x09);
    EXPECT_EQ(D(sfr::kPsw), 0x00); // CY clear, 09h has even parity
    EXPECT_EQ(TotalCycles(), 4u + 4 * 8);
}

TEST_F(WholeProgramTest, TimerInterruptCounting)
{
    Run({
        {0x0000, {0x02, 0x00, 0x30}}, //       LJMP start
        {0x000B, {0x05, 0x40}},       //       INC  40h
        {0x000D, {0x32}},             //       RETI
        {0x0030, {0x75, 0x89, 0x02}}, // start: MOV TMOD,#02h
        {0x0033, {0x75, 0x8C, 0xF6}}, //       MOV  TH0,#0F6h
        {0x0036, {0x75, 0x8A, 0xF6}}, //       MOV  TL0,#0F6h
        {0x0039, {0x75, 0xA8, 0x82}}, //       MOV  IE,#82h
        {0x003C, {0xD2, 0x8C}},       //       SETB TR0
        {0x003E, {0xE5, 0x40}},       // wait: MOV  A,40h
        {0x0040, {0xB4, 0x03, 0xFB}}, //       CJNE A,#3,wait
        {0x0043, {0x80, 0xFE}},       //       SJMP $
    });
    // Overflows after 10 timer counts: three are serviced (one of them
    // between MOV and CJNE), the fourth comes with the final CJNE.
    EXPECT_EQ(D(0x40), 3);
    EXPECT_EQ(D(sfr::kAcc), 3);
    EXPECT_EQ(D(sfr::kTl0), 0xF6);
    EXPECT_EQ(D(sfr::kTcon), sfr::kTr0 | sfr::kTf0);
    EXPECT_EQ(D(sfr::kSp), 0x07);
    EXPECT_EQ(TotalCycles(), 44u);
}

TEST_F(WholeProgramTest, SerialTransmitWaitsForEachByte)
{
    Run({
        {0x0000, {0x02, 0x00, 0x30}}, //       LJMP start
        {0x0023, {0xC2, 0x99}},       //       CLR  TI
        {0x0025, {0x05, 0x40}},       //       INC  40h
        {0x0027, {0x32}},             //       RETI
        {0x0030, {0x75, 0xA8, 0x90}}, // start: MOV IE,#90h
        {0x0033, {0x7F, 0x41}},       //       MOV  R7,#'A'
        {0x0035, {0x8F, 0x99}},       // next: MOV  SBUF,R7
        {0x0037, {0xE5, 0x40}},       // wait: MOV  A,40h
        {0x0039, {0x60, 0xFC}},       //       JZ   wait
        {0x003B, {0x75, 0x40, 0x00}}, //       MOV  40h,#0
        {0x003E, {0x0F}},             //       INC  R7
        {0x003F, {0xBF, 0x44, 0xF3}}, //       CJNE R7,#'D',next
        {0x0042, {0x80, 0xFE}},       //       SJMP $
    });
    // Each byte: 2 (MOV SBUF) + 9 waiting until TI + 4 in the routine + 8.
    EXPECT_EQ(TotalCycles(), 5u + 3 * 23);
    EXPECT_EQ(D(0x07), 0x44);
    EXPECT_EQ(D(sfr::kSbuf), 0x43);
    EXPECT_EQ(D(sfr::kScon), 0x00);
    EXPECT_EQ(D(0x40), 0x00);
    EXPECT_EQ(D(sfr::kAcc), 0x01);
    EXPECT_EQ(D(sfr::kSp), 0x07);
}

TEST_F(WholeProgramTest, PagedExternalMemory)
{
    simulation.SetOptions(false, true, 0x30, 2, ProcessorVariant::kStandard, 10000);
    Run({
        {0x0000, {0x90, 0x12, 0x34}}, //       MOV  DPTR,#1234h
        {0x0003, {0x75, 0x30, 0x00}}, //       MOV  30h,#0      ; page select
        {0x0006, {0xE5, 0x30}},       // loop: MOV  A,30h
        {0x0008, {0x24, 0xA0}},       //       ADD  A,#0A0h
        {0x000A, {0xF0}},             //       MOVX @DPTR,A
        {0x000B, {0x05, 0x30}},       //       INC  30h
        {0x000D, {0xE5, 0x30}},       //       MOV  A,30h
        {0x000F, {0xB4, 0x04, 0xF4}}, //       CJNE A,#4,loop
        {0x0012, {0x75, 0x30, 0x02}}, //       MOV  30h,#2
        {0x0015, {0xE0}},             //       MOVX A,@DPTR
        {0x0016, {0x80, 0xFE}},       //       SJMP $
    });
    const std::vector<uint8_t>& ram = simulation.ExternalRam();
    ASSERT_EQ(ram.size(), 4u * 0x10000);
    EXPECT_EQ(ram[0x01234], 0xA0);
    EXPECT_EQ(ram[0x11234], 0xA1);
    EXPECT_EQ(ram[0x21234], 0xA2);
    EXPECT_EQ(ram[0x31234], 0xA3);
    EXPECT_EQ(D(sfr::kAcc), 0xA2);
    EXPECT_EQ(TotalCycles(), 4u + 4 * 8 + 4);
}

} // namespace
