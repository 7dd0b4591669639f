#include <gtest/gtest.h>

#include <filesystem>

#include "board_test_util.h"
#include "simulator/intel_hex.h"
#include "tool_runner.h"

#if defined(DL51_PATH) && defined(BOARD51_PATH)

// dl51 against board51 on a pseudo-terminal, in real time: the loaders'
// waits (four seconds for the EA loaders) make these the slow tests.

namespace {

namespace fs = std::filesystem;

class Dl51Test : public ::testing::Test
{
protected:
    bool StartBoard(int loader, const std::string& script = "")
    {
        std::vector<std::string> arguments = {"--loader", std::to_string(loader), "--image-out",
                                              Path("board.hex")};
        if (!script.empty()) {
            arguments.push_back("--script");
            arguments.push_back(dir_.Write("faults.txt", script));
        }
        return board_.Start(BOARD51_PATH, arguments, Path("board.err"));
    }
    // Standard output and error together.
    RunResult Dl51(const std::string& arguments) { return RunTool(DL51_PATH, arguments); }
    std::string Path(const std::string& name) const { return (dir_.Path() / name).string(); }

    // The board's image against the assembler's HEX file: every byte of the
    // file arrived, and what the records carried besides (the rest of their
    // blocks) is the empty code memory.
    void ExpectBoardHolds(const std::string& hexFile)
    {
        const IntelHexReadType assembled = ReadIntelHexFile(hexFile);
        const IntelHexReadType received = ReadIntelHexFile(Path("board.hex"));
        ASSERT_TRUE(assembled.Ok()) << assembled.error;
        ASSERT_TRUE(received.Ok()) << received.error;
        for (uint32_t a = 0; a < IntelHexImageType::kSize; ++a) {
            if (assembled.image.written[a]) {
                ASSERT_TRUE(received.image.written[a]) << std::hex << a;
                ASSERT_EQ(received.image.bytes[a], assembled.image.bytes[a]) << std::hex << a;
            } else if (received.image.written[a]) {
                ASSERT_EQ(received.image.bytes[a], 0) << std::hex << a;
            }
        }
    }

    CScratchDir dir_;
    CBoardProcess board_;
};

// Counts on the serial line: short, with an ORG gap, and something to hear
// once the host listens (about 1.6 s after it starts: the ADuC transfer
// reads the line for a second after the run packet).
constexpr const char* kProgram = "\tORG 0\n\tLJMP main\n\tORG 80H\n"
                                 "main:\tMOV SCON,#50H\n\tMOV TMOD,#20H\n\tMOV TH1,#0FDH\n"
                                 "\tSETB TR1\n\tMOV R4,#12\n"
                                 "wait:\tDJNZ R5,wait\n\tDJNZ R6,wait\n\tDJNZ R4,wait\n"
                                 "\tMOV R7,#'0'\n"
                                 "next:\tMOV A,R7\n\tCLR TI\n\tMOV SBUF,A\n\tJNB TI,$\n"
                                 "\tMOV A,#0DH\n\tCLR TI\n\tMOV SBUF,A\n\tJNB TI,$\n"
                                 "\tINC R7\n\tCJNE R7,#'9'+1,next\n"
                                 "here:\tSJMP here\n\tEND\n";

class Dl51LoaderTest : public Dl51Test, public ::testing::WithParamInterface<int>
{
};

TEST_P(Dl51LoaderTest, DownloadsASourceAndThenItsHexFile)
{
    const int loader = GetParam();
    ASSERT_TRUE(StartBoard(loader));
    const std::string source = dir_.Write("count.a51", kProgram);
    const std::string common =
        "--port " + board_.Device() + " --loader " + std::to_string(loader) + " ";

    RunResult r = Dl51(common + "--monitor-for 1 " + source);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Done - 0 error(s), 0 warning(s)\n"), std::string::npos);
    EXPECT_NE(r.out.find("Sending bytes at address: 0\n"), std::string::npos);
    EXPECT_NE(r.out.find("Download time "), std::string::npos);
    // What the program sent, line by line, as the dump window shows it.
    EXPECT_NE(r.out.find("\n0\n1\n2\n3\n4\n5\n6\n7\n8\n9\n"), std::string::npos) << r.out;
    ExpectBoardHolds(Path("count.HEX"));

    // The same program as a HEX file: the running board is taken back to its loader.
    fs::rename(Path("count.HEX"), Path("again.hex"));
    fs::remove(Path("board.hex"));
    r = Dl51(common + "--rate 19200 --sector-size 128 " + Path("again.hex"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("Done - "), std::string::npos); // nothing was assembled
    ExpectBoardHolds(Path("again.hex"));
}

INSTANTIATE_TEST_SUITE_P(EachLoader, Dl51LoaderTest, ::testing::Values(0, 1, 2, 3));

TEST_F(Dl51Test, ARefusedTransferExitsWithOne)
{
    const std::string source = dir_.Write("count.a51", kProgram);
    ASSERT_TRUE(StartBoard(3, "fail 1-100000\n"));
    RunResult r = Dl51("--port " + board_.Device() + " --loader 3 --timeout 2 " + source);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("Fail Count: 1, :1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Retry Count: 1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("dl51: the board took nothing for 2 s; transfer cancelled\n"),
              std::string::npos);
    board_.Stop();

    ASSERT_TRUE(StartBoard(2, "ident ADI999 V210\n"));
    r = Dl51("--port " + board_.Device() + " --loader 2 " + source);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("dl51: Unknown chip identifier\n"), std::string::npos) << r.out;
}

TEST_F(Dl51Test, AMissingDeviceExitsWithOneAndUsageErrorsWithTwo)
{
    const std::string source = dir_.Write("count.a51", kProgram);
    RunResult r = Dl51("--port /dev/no-such-board --loader 0 " + source);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("dl51: Unable to open specified communications port.\n"),
              std::string::npos)
        << r.out;

    const std::pair<std::string, std::string> usage[] = {
        {"--loader 0 " + source, "--port is required"},
        {"--port /dev/null " + source, "--loader is required"},
        {"--port /dev/null --loader 4 " + source, "--loader wants 0, 1, 2 or 3"},
        {"--port /dev/null --loader 0 --rate 4800 " + source, "Invalid communication rate"},
        {"--port /dev/null --loader 0 --sector-size 32 " + source, "--sector-size wants 64"},
        {"--port /dev/null --loader 0 " + Path("missing.a51"), "cannot read"},
        {"--port /dev/null --loader 0 " + dir_.Write("bad.a51", "\tMOV A,@R7\n"), ""},
        {"--port /dev/null --loader 0 " + dir_.Write("bad.hex", ":0300000002\n"), "bad.hex:1"},
    };
    for (const auto& [arguments, message] : usage) {
        r = Dl51(arguments);
        EXPECT_EQ(r.status, 2) << arguments << "\n" << r.out;
        EXPECT_NE(r.out.find(message), std::string::npos) << arguments << "\n" << r.out;
    }
}

} // namespace

#endif
