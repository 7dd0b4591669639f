#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "tool_runner.h"

#ifdef SIM51_PATH

namespace {

namespace fs = std::filesystem;

class Sim51Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("sim51-cli-" + std::to_string(rd()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& text)
    {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    RunResult Sim(const std::string& arguments) { return RunTool(SIM51_PATH, arguments); }

    fs::path dir_;
};

TEST_F(Sim51Test, TraceLinesShowEachInstructionAndTheStateAfterIt)
{
    const std::string source = Write("mul.a51", "\tMOV A,#5\r\n"
                                                "\tMOV B,#3\r\n"
                                                "\tMOV R7,#0A5H\r\n"
                                                "\tMUL AB\r\n"
                                                "done:\tSJMP done\r\n");
    const RunResult r = Sim("--trace --until done " + source);
    EXPECT_EQ(r.status, 0) << r.out;
    // 74 05: 1 cycle; 75 F0 03: 2; 7F A5: 1; A4: 4. A=5 has even parity.
    EXPECT_NE(r.out.find("\nPC=0000 OP=7405 A=05 B=00 PSW=00 SP=07 DPTR=0000 "
                         "R=00,00,00,00,00,00,00,00 CYC=1\n"
                         "PC=0002 OP=75F003 A=05 B=03 PSW=00 SP=07 DPTR=0000 "
                         "R=00,00,00,00,00,00,00,00 CYC=3\n"
                         "PC=0005 OP=7FA5 A=05 B=03 PSW=00 SP=07 DPTR=0000 "
                         "R=00,00,00,00,00,00,00,A5 CYC=4\n"
                         "PC=0007 OP=A4 A=0F B=00 PSW=00 SP=07 DPTR=0000 "
                         "R=00,00,00,00,00,00,00,A5 CYC=8\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Instructions executed: 4\n"), std::string::npos);
    EXPECT_EQ(r.out.find("OP=80FE"), std::string::npos); // stopped at done
}

TEST_F(Sim51Test, InterruptEntriesHaveTheirOwnTraceLine)
{
    const std::string source = Write("int.a51", "\tLJMP start\r\n"
                                                "\tORG 0BH\r\n"
                                                "\tINC R0\r\n"
                                                "\tRETI\r\n"
                                                "start:\tMOV TH0,#0FFH\r\n"
                                                "\tMOV TL0,#0FEH\r\n"
                                                "\tMOV TMOD,#01H\r\n"
                                                "\tMOV IE,#82H\r\n"
                                                "\tSETB TR0\r\n"
                                                "wait:\tCJNE R0,#1,wait\r\n"
                                                "done:\tSJMP done\r\n");
    const RunResult r = Sim("--trace --until done --max-instructions 1000 " + source);
    EXPECT_EQ(r.status, 0) << r.out;
    const size_t entry = r.out.find(" INT=000B ");
    ASSERT_NE(entry, std::string::npos) << r.out;
    // The return address is on the stack after the entry.
    EXPECT_NE(r.out.find("SP=09", entry), std::string::npos);
    EXPECT_NE(r.out.find("PC=000B OP=08 "), std::string::npos);
}

TEST_F(Sim51Test, UartPrintsWhatTheProgramSends)
{
    const std::string source = Write("uart.a51", "\tMOV SBUF,#'H'\r\n"
                                                 "\tMOV SBUF,#'i'\r\n"
                                                 "done:\tSJMP done\r\n");
    const RunResult r = Sim("--uart --until done " + source);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\nHi\n"), std::string::npos) << r.out;
}

TEST_F(Sim51Test, BlinkRunsAndWritesCoverage)
{
    const fs::path example = fs::path(IDE51_SOURCE_DIR) / "examples/blink";
    fs::copy_file(example / "blink.a51", dir_ / "blink.a51");
    fs::copy_file(example / "board.inc", dir_ / "board.inc");
    const std::string report = (dir_ / "blink.rep").string();
    // Ten 50 ms overflows make one toggle: 500,000 cycles at 12 MHz.
    const RunResult r =
        Sim("--max-instructions 300000 --coverage " + report + " " + (dir_ / "blink.a51").string());
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("P1=FE"), std::string::npos) << r.out; // LED on after one toggle
    EXPECT_NE(r.out.find("Instructions executed: 300000\n"), std::string::npos);
    std::ifstream in(report);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str().rfind("Coverage report", 0), 0u);
}

TEST_F(Sim51Test, RunsTheTestProgramsToTheirDoneLabel)
{
    const fs::path programs = fs::path(IDE51_TEST_DATA_DIR) / "programs";
    const RunResult timer = Sim("--until done " + (programs / "timer_count.a51").string());
    EXPECT_EQ(timer.status, 0) << timer.out;
    // Worked out by hand: three overflows serviced, 44 cycles to "done".
    EXPECT_NE(timer.out.find("\nPC=0043 A=03 B=00 PSW=00 SP=07 DPTR=0000 "
                             "R=00,00,00,00,00,00,00,00 CYC=44\n"),
              std::string::npos)
        << timer.out;
    const RunResult paged = Sim("--paged --page-control 30H --pages 4 --until done " +
                                (programs / "paged_memory.a51").string());
    EXPECT_EQ(paged.status, 0) << paged.out;
    EXPECT_NE(paged.out.find(" A=A2 "), std::string::npos) << paged.out;
    EXPECT_NE(paged.out.find("CYC=40\n"), std::string::npos);
}

TEST_F(Sim51Test, PolledTransmitWithInterruptsOff)
{
    const fs::path program = fs::path(IDE51_TEST_DATA_DIR) / "programs" / "serial_poll.a51";
    const RunResult r = Sim("--uart --until done --max-instructions 10000 " + program.string());
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("\nOK\r\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Instructions executed: 10000"), std::string::npos); // no hang
}

TEST_F(Sim51Test, StatusCodes)
{
    EXPECT_EQ(Sim("").status, 2);
    EXPECT_EQ(Sim("--processor 8051 x.a51").status, 2);
    EXPECT_EQ(Sim("--pages 3 x.a51").status, 2);
    EXPECT_EQ(Sim("--max-instructions -5 x.a51").status, 2);
    EXPECT_EQ(Sim((dir_ / "missing.a51").string()).status, 2);
    EXPECT_EQ(Sim("--help").status, 0);

    const std::string ok = Write("ok.a51", "done:\tSJMP done\r\n");
    EXPECT_EQ(Sim("--until nowhere " + ok).status, 2);
    EXPECT_EQ(Sim("--until 17Q " + ok).status, 2);
    EXPECT_EQ(Sim("--until 0 " + ok).status, 0);
    EXPECT_EQ(Sim("--max-instructions 10 --processor 8031 --variant aduc84x " + ok).status, 0);

    const std::string bad = Write("bad.a51", "\tFOO\r\n");
    const RunResult assembled = Sim(bad);
    EXPECT_EQ(assembled.status, 1);
    EXPECT_NE(assembled.out.find("Invalid instruction -> FOO"), std::string::npos);

    // A call loop overflows the stack: the message halts the run.
    const std::string overflow = Write("overflow.a51", "loop:\tLCALL loop\r\n");
    const RunResult halted = Sim("--max-instructions 100000 " + overflow);
    EXPECT_EQ(halted.status, 3);
    EXPECT_NE(halted.out.find("sim51: PUSH accessed unavialable memory"), std::string::npos);
}

} // namespace

#endif
