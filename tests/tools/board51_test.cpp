#include <gtest/gtest.h>

#include <sstream>

#include "board_test_util.h"
#include "simulator/intel_hex.h"
#include "simulator/simulator.h"
#include "virtual_board.h"

// board51's board without its terminal: the loaders' answers, the program
// run at the crystal's speed, its serial line both ways, the monitor records
// of the example monitor, and the faults a script injects.

namespace {

using Phase = CVirtualBoard::Phase;

constexpr uint64_t kMs = 1000;

// Runs the board from `from` for `ms` milliseconds in steps of one, as
// board51's loop does; returns what it sent.
std::string RunFor(CVirtualBoard& board, uint64_t& nowUs, uint64_t ms)
{
    std::string out;
    for (uint64_t i = 0; i < ms; ++i) {
        nowUs += kMs;
        out += board.Advance(nowUs);
    }
    return out;
}

std::string Answer(CVirtualBoard& board, const std::string& bytes, uint64_t nowUs = 0)
{
    board.FromHost(bytes, nowUs);
    return board.Advance(nowUs);
}

// Downloads a program's image to a HEX loader as a host does, record by
// record. Every data record must be taken; returns what the board sent
// after the end record (the program's first output).
std::string Download(CVirtualBoard& board, const CCodeMemory& code, uint64_t nowUs)
{
    IntelHexImageType image;
    for (int32_t a = 0; a <= code.HighestAddress(); ++a) {
        if (code.LineOfAddress(static_cast<uint32_t>(a)) >= 0) {
            image.Set(static_cast<uint32_t>(a), code.ReadCodeByte(static_cast<uint32_t>(a)));
        }
    }
    std::istringstream lines(WriteIntelHex(image));
    std::string line;
    std::string last;
    while (std::getline(lines, line)) {
        last = Answer(board, line + "\n", nowUs);
        if (!line.starts_with(":00000001")) {
            EXPECT_EQ(last, ":0\r\n") << line;
        }
    }
    return last;
}

class BoardTest : public ::testing::Test
{
protected:
    // Assembles source and downloads it to a HEX loader board, which then
    // runs it; returns what the program sent at once.
    std::string Load(CVirtualBoard& board, const std::string& source)
    {
        EXPECT_TRUE(program_.Assemble(dir_.Write("program.a51", source)))
            << program_.output.GetLine(program_.output.GetLineCount() - 1);
        const std::string first = Download(board, program_.code, now_);
        EXPECT_EQ(board.CurrentPhase(), Phase::kRunning);
        return first;
    }

    CScratchDir dir_;
    AssembledProgram program_;
    uint64_t now_ = 1'000'000;
};

// A serial port in mode 1 with the receiver on, as mon_init leaves it.
constexpr const char* kSerialInit = "\tMOV SCON,#50H\n\tMOV TMOD,#20H\n\tMOV TH1,#0FDH\n"
                                    "\tSETB TR1\n";

TEST_F(BoardTest, HexLoadersAnswerEveryRecord)
{
    struct Case
    {
        const char* record;
        const char* reply;
    };
    const Case cases[] = {
        {":03000000020030CB\r\n", ":0\r\n"},   // taken
        {":03000300AABBCCC9\r\n", ":0\r\n"},   // taken
        {":0300060001020300\r\n", ":1\r\n"},   // wrong checksum: nothing written
        {":0300000002003\r\n", ":2\r\n"},      // cut short
        {":03000000020030CBXY\r\n", ":2\r\n"}, // not hex
        {":02FFFF000102FD\r\n", ":3\r\n"},     // past 64 KB
        {"noise between records\r\n", ""},     // not a record: not answered
        {":00000A00F6\r\n", ":0\r\n"},         // no data: taken
    };
    for (int loader : {0, 1, 3}) {
        CVirtualBoard board({.loaderType = loader});
        for (const Case& c : cases) {
            EXPECT_EQ(Answer(board, c.record), c.reply) << loader << " " << c.record;
        }
        EXPECT_EQ(board.Image().WrittenCount(), 6u);
        EXPECT_EQ(board.Image().bytes[0x05], 0xCC);
        EXPECT_FALSE(board.Image().written[0x06]);
        EXPECT_EQ(board.CurrentPhase(), Phase::kLoader);
        // The end record is not answered; the board runs what it has.
        EXPECT_EQ(Answer(board, ":00000001FF\r\n"), "");
        EXPECT_EQ(board.TransfersEnded(), 1);
        EXPECT_EQ(board.CurrentPhase(), Phase::kRunning);
        EXPECT_EQ(board.Simulator().Code().ReadCodeByte(0), 0x02);
    }
}

TEST_F(BoardTest, ALineWithoutEndIsRefusedOnceAndTheLoaderGoesOn)
{
    CVirtualBoard board({.loaderType = 0});
    board.FromHost(std::string(100000, 'A'), 0);
    EXPECT_EQ(board.Advance(0), "");
    EXPECT_EQ(Answer(board, "\r\n"), ":2\r\n");
    EXPECT_EQ(Answer(board, ":03000000020030CB\r\n"), ":0\r\n");
}

std::string Packet(char command, const std::vector<uint8_t>& data)
{
    std::string packet = {'\x07', '\x0E', static_cast<char>(data.size() + 1), command};
    unsigned sum = static_cast<unsigned>(data.size() + 1) + static_cast<uint8_t>(command);
    for (uint8_t b : data) {
        packet.push_back(static_cast<char>(b));
        sum += b;
    }
    packet.push_back(static_cast<char>(-sum & 0xFF));
    return packet;
}

TEST_F(BoardTest, AducLoaderIdentifiesErasesWritesAndRuns)
{
    CVirtualBoard board({.loaderType = 2});
    EXPECT_EQ(Answer(board, std::string("!Z\0\xA6", 4)), "ADI841  V210\r\n");
    EXPECT_EQ(Answer(board, "\x07\x0E\x01\x43\xBC"), "\x06"); // erase, as the host sends it
    std::vector<uint8_t> block = {0x00, 0x00, 0x00, 0x02, 0x00, 0x30};
    block.resize(3 + 16, 0xFF);
    // Noise before the preamble is passed over; a packet may come in pieces.
    const std::string write = Packet('W', block);
    EXPECT_EQ(Answer(board, "xx" + write.substr(0, 7)), "");
    EXPECT_EQ(Answer(board, write.substr(7)), "\x06");
    std::string bad = Packet('W', block);
    bad.back() ^= 1;
    EXPECT_EQ(Answer(board, bad), "\x07");
    EXPECT_EQ(Answer(board, Packet('Z', {})), "\x07");
    EXPECT_EQ(Answer(board, Packet('W', {0x00, 0xFF, 0xF8, 1, 2, 3, 4, 5, 6, 7, 8, 9})), "\x07");
    EXPECT_EQ(board.Image().WrittenCount(), 16u);
    EXPECT_EQ(board.CurrentPhase(), Phase::kLoader);
    EXPECT_EQ(Packet('U', {0, 0, 0}), std::string("\x07\x0E\x04\x55\x00\x00\x00\xA7", 8));
    EXPECT_EQ(Answer(board, Packet('U', {0, 0, 0})), "\x06"); // run from 0
    EXPECT_EQ(board.CurrentPhase(), Phase::kRunning);
    EXPECT_EQ(board.TransfersEnded(), 1);
}

TEST_F(BoardTest, OutputLeavesAtTheLineRate)
{
    CVirtualBoard board({.loaderType = 0, .lineRate = 9600});
    Load(board, std::string(kSerialInit) + "\tMOV DPTR,#text\n"
                                           "next:\tCLR A\n\tMOVC A,@A+DPTR\n\tJZ done\n"
                                           "\tCLR TI\n\tMOV SBUF,A\n\tJNB TI,$\n"
                                           "\tINC DPTR\n\tSJMP next\n"
                                           "done:\tSJMP done\n"
                                           "text:\tDB 'Hello, board',0DH,0AH,0\n");
    // Fourteen characters of ten bits at 9600 baud: about 14.6 ms.
    std::string out = RunFor(board, now_, 8);
    EXPECT_GE(out.size(), 6u);
    EXPECT_LE(out.size(), 9u);
    out += RunFor(board, now_, 20);
    EXPECT_EQ(out, "Hello, board\r\n");
}

TEST_F(BoardTest, TheProgramRunsAtTheCrystalsSpeedOrAsFastAsItGoes)
{
    // 180 x (1 + 256 x 2 + 2) = 92700 machine cycles: 100.6 ms at 11.0592 MHz.
    const std::string source = std::string(kSerialInit) +
                               "\tMOV R6,#180\nouter:\tMOV R5,#0\ninner:\tDJNZ R5,inner\n"
                               "\tDJNZ R6,outer\n\tMOV SBUF,#'X'\nhere:\tSJMP here\n";
    CVirtualBoard real({.loaderType = 0});
    Load(real, source);
    EXPECT_EQ(RunFor(real, now_, 99), "");
    EXPECT_EQ(RunFor(real, now_, 4), "X");

    CVirtualBoard fast({.loaderType = 0, .realSpeed = false});
    EXPECT_EQ(Load(fast, source) + RunFor(fast, now_, 2), "X");
}

TEST_F(BoardTest, BytesFromTheLineReachTheProgramsReceiver)
{
    CVirtualBoard board({.loaderType = 3});
    Load(board, std::string(kSerialInit) + "wait:\tJNB RI,wait\n\tMOV A,SBUF\n\tCLR RI\n"
                                           "\tINC A\n\tCLR TI\n\tMOV SBUF,A\n\tJNB TI,$\n"
                                           "\tSJMP wait\n");
    board.FromHost("abc\x06", now_);
    EXPECT_EQ(RunFor(board, now_, 20), "bcd\x07");
}

// The example board monitor and the counter that uses it.
class MonitorExampleTest : public BoardTest
{
protected:
    void SetUp() override
    {
        const std::filesystem::path examples =
            std::filesystem::path(IDE51_SOURCE_DIR) / "examples" / "monitor";
        dir_.Copy(examples / "monitor.inc");
        ASSERT_TRUE(program_.Assemble(dir_.Copy(examples / "counter.a51")));
        Download(board_, program_.code, now_);
        ASSERT_EQ(board_.CurrentPhase(), Phase::kRunning);
    }

    // Runs until the program has sent a whole record line; answers nothing.
    std::string NextRecord(uint64_t limitMs = 5000)
    {
        for (uint64_t ms = 0; ms < limitMs; ++ms) {
            text_ += RunFor(board_, now_, 1);
            const size_t colon = text_.find(':');
            const size_t end = text_.find('\n', colon == std::string::npos ? 0 : colon);
            if (colon != std::string::npos && end != std::string::npos) {
                std::string record = text_.substr(colon, end + 1 - colon);
                text_.erase(0, end + 1);
                return record;
            }
        }
        return {};
    }

    static std::vector<uint8_t> Bytes(const std::string& record)
    {
        std::vector<uint8_t> bytes;
        for (size_t i = 1; i + 1 < record.size() && std::isxdigit(record[i]); i += 2) {
            bytes.push_back(static_cast<uint8_t>(std::stoi(record.substr(i, 2), nullptr, 16)));
        }
        return bytes;
    }

    CVirtualBoard board_{{.loaderType = 0}};
    std::string text_;
};

TEST_F(MonitorExampleTest, BreakReportsTheStateAndTheRamAndTheProgramGoesOn)
{
    const std::string state = NextRecord();
    ASSERT_FALSE(state.empty());
    EXPECT_TRUE(state.ends_with("\r\n"));
    const std::vector<uint8_t> s = Bytes(state);
    ASSERT_EQ(s.size(), 5u + 9u) << state;
    unsigned sum = 0;
    for (uint8_t b : s) {
        sum += b;
    }
    EXPECT_EQ(sum & 0xFF, 0u);
    EXPECT_EQ(s[0], 9);
    EXPECT_EQ(s[3], 4);
    const int32_t at = program_.Label("at_break");
    EXPECT_EQ(s[4] + 256 * s[5], at);       // PC: the BREAK itself
    EXPECT_EQ(s[6], 0x00);                  // IE
    EXPECT_EQ(s[7], 0x10);                  // ACC: the count
    EXPECT_EQ(s[8], 0x60);                  // SP before the BREAK
    EXPECT_EQ(s[9], 0x01);                  // PSW: odd parity of 10h
    EXPECT_EQ(s[10], 0x01);                 // B: one hit
    EXPECT_EQ(s[11] + 256 * s[12], 0x1234); // DPTR
    // Refused: the same record again.
    board_.FromHost("\x07", now_);
    EXPECT_EQ(NextRecord(), state);
    board_.FromHost("\x06", now_);

    const CSim8051& cpu = board_.Simulator().Processor();
    for (int address = 0; address < 0x80; address += 16) {
        const std::string ram = NextRecord();
        const std::vector<uint8_t> r = Bytes(ram);
        ASSERT_EQ(r.size(), 5u + 16u) << ram;
        EXPECT_EQ(r[0], 16);
        EXPECT_EQ(r[2], address);
        EXPECT_EQ(r[3], 1);
        if (address == 0x30) {
            EXPECT_EQ(r[4], 0x10); // COUNT
            EXPECT_EQ(r[5], 0x01); // HITS
        }
        // Below the stack the RAM is as the program has it.
        for (int i = 0; i < 16 && address + i < 0x60; ++i) {
            EXPECT_EQ(r[4 + static_cast<size_t>(i)],
                      cpu.ReadIndirect(static_cast<uint32_t>(address + i)))
                << std::hex << address + i;
        }
        board_.FromHost("\x06", now_);
    }
    // Back in the program with its registers as they were.
    for (int ms = 0; ms < 1000 && text_.find("Count 11\r\n") == std::string::npos; ++ms) {
        text_ += RunFor(board_, now_, 1);
    }
    EXPECT_NE(text_.find("Count 11\r\n"), std::string::npos) << text_;
}

TEST_F(MonitorExampleTest, AnUnansweredRecordIsSentAgainAfterAboutTwoSeconds)
{
    const std::string state = NextRecord();
    ASSERT_FALSE(state.empty());
    const uint64_t sent = now_;
    EXPECT_EQ(NextRecord(4000), state);
    const uint64_t waited = (now_ - sent) / kMs;
    EXPECT_GE(waited, 2000u);
    EXPECT_LE(waited, 2700u);
}

TEST_F(BoardTest, ADownloadOnARunningBoardTakesItBackToTheLoader)
{
    CVirtualBoard hex({.loaderType = 1});
    Load(hex, "here:\tSJMP here\n");
    RunFor(hex, now_, 5);
    // Monitor answers and text are the program's; a record is the host's.
    EXPECT_EQ(Answer(hex, "\x06\x07text\r\n", now_), "");
    EXPECT_EQ(hex.CurrentPhase(), Phase::kRunning);
    EXPECT_EQ(Answer(hex, ":03000300AABBCCC9\r\n", now_), ":0\r\n");
    EXPECT_EQ(hex.CurrentPhase(), Phase::kLoader);
    EXPECT_EQ(hex.Image().WrittenCount(), 3u); // a new image
    EXPECT_EQ(Answer(hex, ":00000001FF\r\n", now_), "");
    EXPECT_EQ(hex.TransfersEnded(), 2);

    // The ONCE loader's reset record stops the program; the end record runs it again.
    CVirtualBoard once({.loaderType = 3});
    Load(once, "here:\tSJMP here\n");
    EXPECT_EQ(Answer(once, ":00000003FD\r\n", now_), "");
    EXPECT_EQ(once.CurrentPhase(), Phase::kLoader);
    EXPECT_EQ(Answer(once, ":00000001FF\r\n", now_), "");
    EXPECT_EQ(once.CurrentPhase(), Phase::kRunning);
    EXPECT_EQ(once.TransfersEnded(), 1); // nothing new was received
    EXPECT_EQ(once.Image().WrittenCount(), 2u);

    CVirtualBoard aduc({.loaderType = 2});
    Answer(aduc, Packet('U', {0, 0, 0}));
    ASSERT_EQ(aduc.CurrentPhase(), Phase::kRunning);
    EXPECT_EQ(Answer(aduc, std::string("!Z\0\xA6", 4), now_), "ADI841  V210\r\n");
    EXPECT_EQ(aduc.CurrentPhase(), Phase::kLoader);
}

TEST(BoardScriptTest, FaultsApplyToTheRecordsTheyNumber)
{
    BoardScriptType script;
    std::string error;
    ASSERT_TRUE(ParseBoardScript("# faults\n drop-ack 2\nfail 3-4 # refused twice\n"
                                 "hangup 6\nident ADI999 V210\n",
                                 script, error))
        << error;
    CVirtualBoard board({.loaderType = 0}, script);
    const std::string records[] = {":03000000020030CB\r\n", ":03000300AABBCCC9\r\n"};
    EXPECT_EQ(Answer(board, records[0]), ":0\r\n");
    EXPECT_EQ(Answer(board, records[1]), "");       // 2: dropped
    EXPECT_EQ(Answer(board, records[1]), ":1\r\n"); // 3: refused
    EXPECT_EQ(Answer(board, records[1]), ":1\r\n"); // 4
    EXPECT_EQ(Answer(board, records[1]), ":0\r\n");
    EXPECT_FALSE(board.HungUp());
    EXPECT_EQ(Answer(board, records[1]), "");
    EXPECT_TRUE(board.HungUp());
    EXPECT_EQ(Answer(board, records[1]), ""); // a hung-up board says nothing more

    CVirtualBoard aduc({.loaderType = 2}, script);
    EXPECT_EQ(Answer(aduc, std::string("!Z\0\xA6", 4)), "ADI999 V210\r\n");
}

TEST(BoardScriptTest, MonitorRecordsTheProgramSendsAreGarbledOrCut)
{
    BoardScriptType script;
    std::string error;
    ASSERT_TRUE(ParseBoardScript("garble 1\ntruncate 3\n", script, error));
    CScratchDir dir;
    AssembledProgram program;
    ASSERT_TRUE(program.Assemble(dir.Write(
        "records.a51", std::string(kSerialInit) +
                           "\tMOV DPTR,#text\nnext:\tCLR A\n\tMOVC A,@A+DPTR\n\tJZ done\n"
                           "\tCLR TI\n\tMOV SBUF,A\n\tJNB TI,$\n\tINC DPTR\n\tSJMP next\n"
                           "done:\tSJMP done\n"
                           "text:\tDB ':0100300110BE',0DH,0AH,'Text :not a record',0DH,0AH\n"
                           "\tDB ':0100300110BE',0DH,0AH,':0100300110BE',0DH,0AH,0\n")));
    CVirtualBoard board({.loaderType = 0, .lineRate = 115200}, script);
    uint64_t now = 0;
    Download(board, program.code, now);
    EXPECT_EQ(RunFor(board, now, 20), ":0100310110BE\r\nText :not a record\r\n"
                                      ":0100300110BE\r\n:010030\r\n");
}

TEST(BoardScriptTest, ScriptFaultsAreReportedWithTheirLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"\n\nfail 0\n", "line 3: 'fail' wants a number or a range N-M counted from 1"},
        {"hangup 5-2\n", "line 1: 'hangup' wants a number or a range N-M counted from 1"},
        {"explode 1\n", "line 1: unknown action 'explode'"},
    };
    for (const auto& [text, message] : cases) {
        BoardScriptType script;
        std::string error;
        EXPECT_FALSE(ParseBoardScript(text, script, error)) << text;
        EXPECT_EQ(error, message);
    }
}

} // namespace
