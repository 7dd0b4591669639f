// Small whole programs written as sources, assembled into the simulation and
// run to their "done" line. Expected values are worked out by hand from the
// instruction timings (interrupt entries advance the timers by two cycles but
// are not counted).
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>

#include "asm_test_util.h"
#include "simulator/sfr.h"
#include "simulator/simulator.h"
#include "simulator/simulator_events.h"

namespace {

namespace fs = std::filesystem;

// The code image of an Intel HEX file (data records only).
std::map<uint32_t, uint8_t> ReadImage(const fs::path& path)
{
    std::map<uint32_t, uint8_t> image;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() < 11 || line[0] != ':' || line.substr(7, 2) != "00") {
            continue;
        }
        const auto byte = [&](size_t at) {
            return static_cast<uint8_t>(std::stoi(line.substr(at, 2), nullptr, 16));
        };
        const uint32_t address = byte(3) * 256u + byte(5);
        for (int i = 0; i < byte(1); ++i) {
            image[address + i] = byte(9 + 2 * i);
        }
    }
    return image;
}

class ProgramsTest : public ::testing::Test
{
protected:
    ProgramsTest()
    {
        // The sources are assembled in a copy: the link file is always written.
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("asm51-programs-" + std::to_string(rd()));
        fs::create_directories(dir_);
        for (const auto& entry :
             fs::directory_iterator(fs::path(IDE51_TEST_DATA_DIR) / "programs")) {
            if (entry.is_regular_file()) {
                fs::copy_file(entry.path(), dir_ / entry.path().filename());
            }
        }
    }
    ~ProgramsTest() override
    {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // The code memory against the image an independent assembler (as31) made
    // from a translation of the source by hand.
    void ExpectImage(const std::string& name)
    {
        const auto expected =
            ReadImage(fs::path(IDE51_TEST_DATA_DIR) / "programs" / "expected" / (name + ".hex"));
        ASSERT_FALSE(expected.empty());
        const uint32_t end = std::max<uint32_t>(
            expected.rbegin()->first, static_cast<uint32_t>(simulation.Code().HighestAddress()));
        for (uint32_t address = 0; address <= end; ++address) {
            const auto it = expected.find(address);
            ASSERT_EQ(simulation.Code().ReadCodeByte(address),
                      it == expected.end() ? 0 : it->second)
                << name << " at " << address;
        }
    }

    void Run(const std::string& name)
    {
        const fs::path source = dir_ / name;
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

    fs::path dir_;
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

// The serial interrupt fills a ring buffer, the main loop echoes it in upper
// case; timer 0 plays the terminal. Written with C-style hex, double quotes,
// $ controls, and USING with AR0 in the interrupt routine.
TEST_F(ProgramsTest, SerialEchoWithAnInterruptRoutine)
{
    std::string line;
    simulation.Processor().SetSbufTap([&line](uint8_t value) { line += static_cast<char>(value); });
    Run("serial_echo.a51");
    ExpectImage("serial_echo");
    EXPECT_EQ(line, "HELLO, 8051!\r\n");
    const std::string typed = "Hello, 8051!\r\n";
    for (size_t i = 0; i < typed.size(); ++i) {
        EXPECT_EQ(D(0x40 + i), static_cast<uint8_t>(typed[i])) << i;
    }
    EXPECT_EQ(D(0x31), 14);          // HEAD
    EXPECT_EQ(D(0x32), 14);          // TAIL
    EXPECT_EQ(D(0x33), 14);          // SENT
    EXPECT_EQ(D(0x34), 14);          // RECEIVED
    EXPECT_EQ(D(0x20) & 0x03, 0x02); // TXBUSY clear, LINEEND set
    EXPECT_EQ(D(sfr::kSp), 0x5F);
    EXPECT_EQ(D(sfr::kPsw) & 0x18, 0); // back in bank 0
    EXPECT_EQ(D(sfr::kIe), 0x12);      // EA cleared at the end
}

// A display driver whose registers are named by what they hold.
TEST_F(ProgramsTest, DisplayDriverWithRegisterSymbols)
{
    Run("lcd_driver.a51");
    ExpectImage("lcd_driver");
    const std::string shown = "Temp: 23\xDF"
                              "C      ";
    for (size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(D(0x50 + i), static_cast<uint8_t>(shown[i])) << i;
    }
    EXPECT_EQ(D(0x4F), 10); // CURSOR
    EXPECT_EQ(D(sfr::kP2), 'C');
    EXPECT_EQ(D(sfr::kP3), 0xDF); // RS high, E low
    EXPECT_EQ(D(0x07), 'C');      // CHAR (R7)
    EXPECT_EQ(D(0x04), 3);        // UNITS (R4)
    EXPECT_EQ(D(0x05), 0);        // WAITS ran out
    EXPECT_EQ(D(sfr::kSp), 0x2F);
}

// Every control of the dialect's include-file prologue, with the register
// names coming from the include file.
TEST_F(ProgramsTest, ChecksumUnderDollarControls)
{
    Run("checksum.a51");
    ExpectImage("checksum");
    EXPECT_EQ(D(0x32), 0x01); // STATUS: good
    EXPECT_EQ(D(0x30), 0x62);
    EXPECT_EQ(D(0x31), 0xE2);
    EXPECT_EQ(D(0x07), 0);
    EXPECT_EQ(assembler_.GetWarningCount(), 0); // every control accepted as written
}

} // namespace
