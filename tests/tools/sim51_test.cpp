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
    // Standard output alone; standard error goes to err.
    RunResult SimSplit(const std::string& arguments, std::string& err)
    {
        const fs::path errFile = dir_ / "stderr.txt";
        RunResult result;
        FILE* pipe = popen(
            (std::string(SIM51_PATH) + " " + arguments + " 2>" + errFile.string()).c_str(), "r");
        char buffer[4096];
        size_t n = 0;
        while (pipe != nullptr && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            result.out.append(buffer, n);
        }
        const int status = pipe != nullptr ? pclose(pipe) : -1;
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        err = Read(errFile);
        return result;
    }
    static std::string Read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

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

TEST_F(Sim51Test, UartBytesAloneOnStdoutOrInTheirFile)
{
    const std::string source = Write("uart.a51", "\tMOV SBUF,#'H'\r\n"
                                                 "\tMOV SBUF,#'i'\r\n"
                                                 "done:\tSJMP done\r\n");
    std::string err;
    const RunResult r = SimSplit("--uart --until done " + source, err);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Hi");
    EXPECT_NE(err.find("Done - 0 error(s)"), std::string::npos) << err;
    EXPECT_NE(err.find("Instructions executed: 2\n"), std::string::npos) << err;

    const fs::path sent = dir_ / "sent.bin";
    const RunResult file = SimSplit("--uart-out " + sent.string() + " --until done " + source, err);
    EXPECT_EQ(file.status, 0);
    EXPECT_EQ(Read(sent), "Hi");
    EXPECT_NE(file.out.find("Instructions executed: 2\n"), std::string::npos) << file.out;
    EXPECT_EQ(err, "");
    EXPECT_EQ(Sim("--uart-out " + (dir_ / "no/such/dir/x").string() + " " + source).status, 2);
}

// Echoes what it receives until a full stop, at the fastest rate timer 1
// gives (a frame of 160 cycles).
const char kEchoSource[] = "\tMOV PCON,#80H\r\n"
                           "\tMOV TMOD,#20H\r\n"
                           "\tMOV TH1,#0FFH\r\n"
                           "\tSETB TR1\r\n"
                           "\tMOV SCON,#50H\r\n"
                           "next:\tJNB RI,$\r\n"
                           "\tMOV A,SBUF\r\n"
                           "\tCLR RI\r\n"
                           "\tMOV SBUF,A\r\n"
                           "\tJNB TI,$\r\n"
                           "\tCLR TI\r\n"
                           "\tCJNE A,#'.',next\r\n"
                           "done:\tSJMP done\r\n";

// Every byte of the input comes back, binary ones too, from a file or from
// standard input; more than the reader queues at once.
TEST_F(Sim51Test, UartInFeedsTheReceiver)
{
    const std::string source = Write("echo.a51", kEchoSource);
    std::string text("line one\r\n\x00\x01\xFF\x80 bytes\r\n", 23);
    for (int i = 0; text.size() < 20000; ++i) {
        text += "filler " + std::to_string(i) + "\r\n";
    }
    text += ".";
    const std::string input = Write("input.bin", text + "after the stop");
    std::string err;
    const RunResult fromFile =
        SimSplit("--uart --until done --uart-in " + input + " " + source, err);
    EXPECT_EQ(fromFile.status, 0) << err;
    EXPECT_EQ(fromFile.out.size(), text.size());
    EXPECT_TRUE(fromFile.out == text);
    const RunResult fromStdin =
        SimSplit("--uart --until done --uart-in - " + source + " <" + input, err);
    EXPECT_EQ(fromStdin.status, 0) << err;
    EXPECT_TRUE(fromStdin.out == text);

    // Input that ends early leaves the program waiting, up to the limit.
    const std::string partial = Write("partial.txt", "abc");
    const RunResult waiting = SimSplit(
        "--uart --until done --max-instructions 50000 --uart-in " + partial + " " + source, err);
    EXPECT_EQ(waiting.status, 0) << err;
    EXPECT_EQ(waiting.out, "abc");
    EXPECT_NE(err.find("Instructions executed: 50000"), std::string::npos) << err;

    for (const std::string& bad : {(dir_ / "missing.txt").string(), dir_.string()}) {
        const RunResult refused = Sim("--uart-in " + bad + " " + source);
        EXPECT_EQ(refused.status, 2) << bad;
        EXPECT_NE(refused.out.find("sim51: cannot read " + bad), std::string::npos) << refused.out;
    }
}

// A write to SBUF inside the timer routine, then JNB TI,$: the frame ends
// though the serial interrupt is enabled and cannot be taken.
TEST_F(Sim51Test, TransmitInsideATimerRoutineLeavesItsWait)
{
    const std::string source = Write("t0send.a51", "\tORG 0\r\n"
                                                   "\tLJMP MAIN\r\n"
                                                   "\tORG 0BH\r\n"
                                                   "\tMOV SBUF,#'A'\r\n"
                                                   "\tJNB TI,$\r\n"
                                                   "\tCLR TI\r\n"
                                                   "\tCLR TR0\r\n"
                                                   "\tRETI\r\n"
                                                   "\tORG 23H\r\n"
                                                   "\tRETI\r\n"
                                                   "\tORG 30H\r\n"
                                                   "MAIN:\tMOV SCON,#50H\r\n"
                                                   "\tMOV TMOD,#22H\r\n"
                                                   "\tMOV TH1,#0FDH\r\n"
                                                   "\tSETB TR1\r\n"
                                                   "\tMOV IE,#92H\r\n"
                                                   "\tSETB TR0\r\n"
                                                   "\tSJMP $\r\n"
                                                   "\tEND\r\n");
    const fs::path sent = dir_ / "sent.bin";
    const RunResult r = Sim("--max-instructions 5000 --uart-out " + sent.string() + " --coverage " +
                            (dir_ / "t0.rep").string() + " " + source);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Read(sent), "A");
    EXPECT_NE(r.out.find("\nPC=0040 "), std::string::npos) << r.out;
    // JNB at 000EH: five passes while the frame lasts, the sixth leaves.
    EXPECT_NE(Read(dir_ / "t0.rep").find("\r\n    14          6\r\n"), std::string::npos);
}

// LJMP 0005H, then MOV A,#5 ; INC A ; SJMP $ at 0005H.
const char kHexProgram[] = ":03000000020005F6\r\n"
                           ":0500050074050480FEFB\r\n"
                           ":00000001FF\r\n";

TEST_F(Sim51Test, RunsAHexImageWithoutAssemblingOrWritingFiles)
{
    for (const char* name : {"prog.hex", "prog.HEX", "prog.ihx"}) {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        const std::string image = Write(name, kHexProgram);
        const std::string report = (dir_ / "c.rep").string();
        const RunResult r = Sim("--trace --until 0008H --coverage " + report + " " + image);
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(r.out.find("Assembling"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.rfind("PC=0000 OP=020005 A=00 B=00 PSW=00 SP=07 DPTR=0000 "
                              "R=00,00,00,00,00,00,00,00 CYC=2\n"
                              "PC=0005 OP=7405 A=05 B=00 PSW=00 SP=07 DPTR=0000 "
                              "R=00,00,00,00,00,00,00,00 CYC=3\n"
                              "PC=0007 OP=04 A=06 B=00 PSW=00 SP=07 DPTR=0000 "
                              "R=00,00,00,00,00,00,00,00 CYC=4\n",
                              0),
                  0u)
            << r.out;
        EXPECT_NE(r.out.find("Instructions executed: 3\n"), std::string::npos);
        EXPECT_NE(Read(report).find("-\r\n     0          1\r\n     5          1\r\n"
                                    "     7          1\r\n"),
                  std::string::npos);
        int files = 0;
        for ([[maybe_unused]] const fs::directory_entry& entry : fs::directory_iterator(dir_)) {
            ++files;
        }
        EXPECT_EQ(files, 2) << name; // the image and the coverage report only
    }
    Write("image.txt", kHexProgram);
    const RunResult named = Sim("--hex " + (dir_ / "image.txt").string() + " --until 8");
    EXPECT_EQ(named.status, 0) << named.out;
    EXPECT_NE(named.out.find("Instructions executed: 3\n"), std::string::npos);
    // A HEX image has no labels.
    const RunResult label = Sim("--until done " + (dir_ / "prog.ihx").string());
    EXPECT_EQ(label.status, 2);
    EXPECT_NE(label.out.find("no labels"), std::string::npos) << label.out;
}

TEST_F(Sim51Test, MalformedHexIsNamedByItsLineAndNothingRuns)
{
    struct Case
    {
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {":03000000020005F6\r\n:0500050074050480FEFC\r\n:00000001FF\r\n",
         ":2: checksum FC, the record needs FB"},
        {":0300000002X005F6\n:00000001FF\n", ":1: bad hex digit 'X'"},
        {"\n:10FFF800" + std::string(32, '0') + "F9\n:00000001FF\n",
         ":2: 16 bytes at FFF8 run past 64 KB"},
        {":03000000020005F6\r\n", ":2: no end record (:00000001FF)"},
        {":00000007F9\n", ":1: unknown record type 07"},
    };
    for (const Case& c : cases) {
        const std::string image = Write("bad.hex", c.text);
        const RunResult r = Sim(image);
        EXPECT_EQ(r.status, 1) << r.out;
        EXPECT_NE(r.out.find("sim51: " + image + c.message + "\n"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("Instructions executed"), std::string::npos) << r.out;
    }
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
    // Too large to hold: refused, not quietly taken as the largest count.
    EXPECT_EQ(Sim("--max-instructions 99999999999999999999 x.a51").status, 2);
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
