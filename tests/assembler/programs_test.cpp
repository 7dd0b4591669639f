// Small whole programs written as sources, assembled into the simulation and
// run to their "done" line. Expected values are worked out by hand from the
// instruction timings (interrupt entries advance the timers by two cycles but
// are not counted).
#include <gtest/gtest.h>

#include "asm_test_util.h"
#include "simulator/sfr.h"
#include "simulator/simulator.h"
#include "simulator/simulator_events.h"

namespace {

namespace fs = std::filesystem;

class ProgramsTest : public ::testing::Test
{
protected:
    void Run(const std::string& name)
    {
        const fs::path source = fs::path(IDE51_TEST_DATA_DIR) / "programs" / name;
        assembler_.SetEvents(&events_);
        assembler_.SetOptions(AssemblerOptions{false, false, false, 8});
        assembler_.Assemble(source.string());
        while (assembler_.AssembleStep()) {
        }
        ASSERT_EQ(assembler_.GetErrorCount(), 0);
        const SymbolRecord* done = assembler_.Labels().Find("done");
        ASSERT_NE(done, nullptr);
        simulation.SetLastCodeAddress(assembler_.GetStatementAddress());
        simulation.Start();
        const int32_t line = simulation.Code().LineOfAddress(static_cast<uint32_t>(done->value));
        simulation.RunToCursor(source.string(), line);
        for (int i = 0; i < 100 && simulation.IsExecuting(); ++i) {
            simulation.ContinueRun();
        }
        ASSERT_TRUE(simulation.IsHalted());
        ASSERT_EQ(simulation.Processor().Pc(), static_cast<uint32_t>(done->value));
    }
    uint8_t D(uint32_t address) const
    {
        return simulation.Processor().State().DirectSpace[address];
    }
    uint32_t TotalCycles() const { return simulation.Processor().State().totalCycles; }

    CSimulator simulation;
    COutputText output_;
    CAssembler assembler_{output_, simulation.Code(), simulation.Modules()};
    CSimulatorEvents events_{simulation};
};

TEST_F(ProgramsTest, TableLookupWithMovc)
{
    Run("movc_table.a51");
    EXPECT_EQ(D(0x30), 0x00);
    EXPECT_EQ(D(0x31), 0x01);
    EXPECT_EQ(D(0x32), 0x04);
    EXPECT_EQ(D(0x33), 0x09);
    EXPECT_EQ(D(0x00), 0x34); // R0
    EXPECT_EQ(D(0x03), 0x04); // R3
    EXPECT_EQ(D(sfr::kAcc), 0x09);
    EXPECT_EQ(D(sfr::kPsw), 0x00); // CY clear, 09h has even parity
    // 2+1+1 to set up, then 1+2+1+1+1+2 per entry.
    EXPECT_EQ(TotalCycles(), 4u + 4 * 8);
}

TEST_F(ProgramsTest, TimerInterruptCounting)
{
    Run("timer_count.a51");
    // Mode 2 reloads F6h: an overflow every 10 cycles. Three are serviced,
    // the fourth is pending as the last CJNE falls through.
    EXPECT_EQ(D(0x40), 3);
    EXPECT_EQ(D(sfr::kAcc), 3);
    EXPECT_EQ(D(sfr::kTl0), 0xF6);
    EXPECT_EQ(D(sfr::kTcon), sfr::kTr0 | sfr::kTf0);
    EXPECT_EQ(D(sfr::kSp), 0x07);
    EXPECT_EQ(TotalCycles(), 44u);
}

TEST_F(ProgramsTest, SerialTransmitWithTheInterrupt)
{
    Run("serial_send.a51");
    // Each byte: 2 (MOV SBUF) + 9 waiting until TI + 4 in the routine + 8.
    EXPECT_EQ(TotalCycles(), 5u + 3 * 23);
    EXPECT_EQ(D(0x07), 0x44); // R7
    EXPECT_EQ(D(sfr::kSbuf), 0x43);
    EXPECT_EQ(D(sfr::kScon), 0x00);
    EXPECT_EQ(D(0x40), 0x00);
    EXPECT_EQ(D(sfr::kAcc), 0x01);
    EXPECT_EQ(D(sfr::kSp), 0x07);
}

TEST_F(ProgramsTest, PagedExternalMemory)
{
    simulation.SetOptions(false, true, 0x30, 2, ProcessorVariant::kStandard, 10000); // 4 pages
    Run("paged_memory.a51");
    const std::vector<uint8_t>& ram = simulation.ExternalRam();
    ASSERT_EQ(ram.size(), 4u * 0x10000);
    EXPECT_EQ(ram[0x01234], 0xA0);
    EXPECT_EQ(ram[0x11234], 0xA1);
    EXPECT_EQ(ram[0x21234], 0xA2);
    EXPECT_EQ(ram[0x31234], 0xA3);
    EXPECT_EQ(D(sfr::kAcc), 0xA2); // read back from page 2
    EXPECT_EQ(TotalCycles(), 4u + 4 * 8 + 4);
}

} // namespace
