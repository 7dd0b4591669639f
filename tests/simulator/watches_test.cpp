#include "fake_resolver.h"
#include "sim_fixture.h"

#include "simulator/simulator.h"
#include "simulator/simulator_events.h"
#include "simulator/value_format.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

namespace fs = std::filesystem;

constexpr int32_t R = kWatchRegister;
constexpr int32_t I = kWatchIndirectMemory;
constexpr int32_t D = kWatchDirectMemory;
constexpr int32_t X = kWatchExternalMemory;
constexpr int32_t S = kWatchSimulationResult;

// A simulation in a known state, with the watch names of a small program.
struct WatchWorld
{
    WatchWorld()
    {
        simulation.SetMessageSink(&sink);
        simulation.SetSymbolResolver(&resolver);
        resolver.Define("COUNT", 0x0B, 0, 2);  // DATA
        resolver.Define("FLAG", 0x0A, 4, 255); // BIT
        resolver.Define("BUF", 0x2000, 0, 3);  // XDATA
        resolver.Define("PTR", 0x90, 0, 1);    // IDATA

        CSim8051& sim = simulation.Processor();
        Raw(0x30) = 0x12;
        Raw(0x31) = 0x34;
        for (uint8_t i = 0; i < 4; ++i) {
            Raw(0x40 + i) = 0x12 + 0x22 * i; // 12 34 56 78
        }
        Raw(0x0A) = 0xFF; // a bit name read as a byte address would show 1
        Raw(0x21) = 0x08;
        Raw(0x50) = 'A';
        Raw(0x51) = 0x07;
        Raw(sfr::kTcon) = 0x10;
        Raw(sfr::kP1) = 0xF7;
        sim.State().UpperRam[0x10] = 0x5A; // 90h
        sim.WriteDirect(sfr::kPsw, 0x08);  // bank 1: R3 is 0Bh
        Raw(0x0B) = 0x77;
        Raw(sfr::kB) = 0x42;
        sim.State().pc = 0x1234;
        Raw(sfr::kDph) = 0xAB;
        Raw(sfr::kDpl) = 0xCD;
        sim.State().totalCycles = 123456;
        sim.State().maxSp = 0x2F;
        External(0x2000, "AB\0XYZ");
        External(0x3000, "HELLO\0");
    }

    uint8_t& Raw(uint32_t address) { return simulation.Processor().State().DirectSpace[address]; }
    uint8_t Ext(uint32_t address) { return simulation.Processor().ReadExternal(address, 0, 0); }
    void External(uint32_t address, std::string_view bytes)
    {
        for (char c : std::string(bytes.data(), bytes.size() + 1)) {
            simulation.Processor().WriteExternal(address++, static_cast<uint8_t>(c), false, false);
        }
    }
    int Add(std::string_view name, int32_t resource, int32_t format, std::string_view order = "",
            DisplayRadix radix = DisplayRadix::kDefault, int32_t bitIndex = 0,
            int32_t nullTerminated = 0, int32_t length = 0)
    {
        return watches.AddWatch(name, resource, format, bitIndex, order, nullTerminated, length,
                                radix, -1);
    }

    CSimulator simulation;
    CWatchList& watches = simulation.Watches();
    CRecordingSink sink;
    CFakeResolver resolver;
};

class WatchTest : public ::testing::Test, protected WatchWorld
{
};

struct FormatCase
{
    const char* name;
    int32_t resource;
    int32_t format;
    const char* order;
    DisplayRadix radix;
    int32_t bitIndex;
    int32_t nullTerminated;
    int32_t length;
    const char* line;
};

// Expected lines worked out from the state the fixture sets up; the default
// radix is decimal.
const FormatCase kFormatCases[] = {
    {"30H", D, kWatchByte, "", DisplayRadix::kDecimal, 0, 0, 0, "30H   18"},
    {"30H", D, kWatchByte, "", DisplayRadix::kHexadecimal, 0, 0, 0, "30H   12"},
    {"30H", D, kWatchByte, "", DisplayRadix::kDefault, 0, 0, 0, "30H   18"},
    {"50H", D, kWatchByte, "", DisplayRadix::kAscii, 0, 0, 0, "50H   A"},
    {"51H", D, kWatchByte, "", DisplayRadix::kAscii, 0, 0, 0, "51H   07"},
    {"50H", D, kWatchByte, "", DisplayRadix::kBinary, 0, 0, 0, "50H   01000001"},
    {"30H", D, kWatchWord, "0,1", DisplayRadix::kDecimal, 0, 0, 0, "30H   4660"},
    {"30H", D, kWatchWord, "1,0", DisplayRadix::kDecimal, 0, 0, 0, "30H   13330"},
    {"30H", D, kWatchWord, "0,1", DisplayRadix::kHexadecimal, 0, 0, 0, "30H   1234"},
    {"30H", D, kWatchWord, "1,0", DisplayRadix::kBinary, 0, 0, 0, "30H   0011010000010010"},
    {"30H", D, kWatchWord, "0,1", DisplayRadix::kAscii, 0, 0, 0, "30H   "},
    {"40H", D, kWatchDoubleWord, "0,1,2,3", DisplayRadix::kHexadecimal, 0, 0, 0, "40H   12345678"},
    {"40H", D, kWatchDoubleWord, "3,2,1,0", DisplayRadix::kHexadecimal, 0, 0, 0, "40H   78563412"},
    {"40H", D, kWatchDoubleWord, "1,0,3,2", DisplayRadix::kHexadecimal, 0, 0, 0, "40H   34127856"},
    {"40H", D, kWatchDoubleWord, "0,1,2,3", DisplayRadix::kDecimal, 0, 0, 0, "40H   305419896"},
    {"40H", D, kWatchDoubleWord, "0,1,2,3", DisplayRadix::kBinary, 0, 0, 0,
     "40H   00010010001101000101011001111000"},
    {"40H", D, kWatchDoubleWord, "0,1,2,3", DisplayRadix::kAscii, 0, 0, 0, "40H   "},
    {"BUF", X, kWatchString, "", DisplayRadix::kDefault, 0, 0, 5, "BUF   AB"},
    {"3000H", X, kWatchString, "", DisplayRadix::kDefault, 0, 1, 0, "3000H HELLO"},
    {"3000H", X, kWatchString, "", DisplayRadix::kDefault, 0, 0, 3, "3000H HEL"},
    {"TR0", D, kWatchBit, "", DisplayRadix::kDefault, 0, 0, 0, "TR0   1"},
    {"P1.3", D, kWatchBit, "", DisplayRadix::kDefault, 0, 0, 0, "P1.3  0"},
    // A number is a byte address even for a bit: 21h bit 3, not 24h bit 1.
    {"21H", D, kWatchBit, "", DisplayRadix::kDefault, 3, 0, 0, "21H   1"},
    {"21H", D, kWatchBit, "", DisplayRadix::kDefault, 2, 0, 0, "21H   0"},
    {"FLAG", D, kWatchBit, "", DisplayRadix::kDefault, 0, 0, 0, "FLAG  0"}, // bit 0Ah: 21h bit 2
    {"COUNT", D, kWatchBit, "", DisplayRadix::kDefault, 0, 0, 0,
     "COUNT 1"}, // 0Bh below 80h: 21h bit 3
    {"COUNT", D, kWatchByte, "", DisplayRadix::kHexadecimal, 0, 0, 0, "COUNT 77"},
    {"PC", R, kWatchWord, "0,1", DisplayRadix::kHexadecimal, 0, 0, 0, "PC    1234"},
    {"PC", R, kWatchDoubleWord, "0,1,2,3", DisplayRadix::kDecimal, 0, 0, 0, "PC    4660"},
    {"DPTR", R, kWatchByte, "", DisplayRadix::kHexadecimal, 0, 0, 0, "DPTR  ABCD"},
    {"r3", R, kWatchByte, "", DisplayRadix::kHexadecimal, 0, 0, 0, "r3    77"},
    {"1", R, kWatchByte, "", DisplayRadix::kHexadecimal, 0, 0, 0, "1     42"},
    {"Total Cycles", S, kWatchByte, "", DisplayRadix::kDecimal, 0, 0, 0, "Total Cycles 123456"},
    {"max sp", S, kWatchByte, "", DisplayRadix::kHexadecimal, 0, 0, 0, "max sp 2F"},
    {"90H", I, kWatchByte, "", DisplayRadix::kHexadecimal, 0, 0, 0, "90H   5A"},
    {"PTR", I, kWatchByte, "", DisplayRadix::kHexadecimal, 0, 0, 0, "PTR   5A"},
    {"90H", D, kWatchByte, "", DisplayRadix::kHexadecimal, 0, 0, 0, "90H   F7"},
    {"XYZ", R, kWatchByte, "", DisplayRadix::kDefault, 0, 0, 0, "XYZ   ***"},
    {"Foo", S, kWatchByte, "", DisplayRadix::kDefault, 0, 0, 0, "Foo   ***"},
    {"1FFH", D, kWatchByte, "", DisplayRadix::kDefault, 0, 0, 0, "1FFH  ***"},
    {"10000H", X, kWatchByte, "", DisplayRadix::kDefault, 0, 0, 0, "10000H ***"},
    {"", D, kWatchByte, "", DisplayRadix::kDefault, 0, 0, 0, "      ***"},
    // The second byte lies outside the direct space.
    {"0FFH", D, kWatchWord, "0,1", DisplayRadix::kDefault, 0, 0, 0, "0FFH  ***"},
};

TEST_F(WatchTest, FormatsEveryResourceFormatAndRadix)
{
    for (const FormatCase& c : kFormatCases) {
        const int index = watches.AddWatch(c.name, c.resource, c.format, c.bitIndex, c.order,
                                           c.nullTerminated, c.length, c.radix, -1);
        EXPECT_EQ(watches.FormatWatch(index), c.line) << c.name << " format " << c.format;
    }
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(WatchTest, LineIsCutAtTheCapacity)
{
    External(0x4000, std::string(200, 'x'));
    const int index = Add("4000H", X, kWatchString, "", DisplayRadix::kDefault, 0, 1);
    const std::string line = watches.FormatWatch(index);
    EXPECT_EQ(line, "4000H " + std::string(kWatchLineCapacity - 6, 'x'));
    EXPECT_EQ(watches.FormatWatch(index, 10), "4000H xxxx");
    Add(std::string(100, 'N'), D, kWatchByte);
    EXPECT_EQ(watches.FormatWatch(1, 20), std::string(20, 'N'));
}

struct OrderCase
{
    int32_t format;
    const char* text;
    std::array<int32_t, 4> order;
    bool message;
};

const OrderCase kOrderCases[] = {
    {kWatchWord, "0,1", {0, 1, 2, 3}, false},
    {kWatchWord, "1,0", {1, 0, 2, 3}, false},
    {kWatchWord, "1 / 0", {1, 0, 2, 3}, false},
    {kWatchWord, "", {0, 1, 2, 3}, false},
    {kWatchWord, "0,0", {0, 0, 2, 3}, false},
    {kWatchWord, "0,2", {0, 1, 2, 3}, true},
    {kWatchWord, "2", {0, 1, 2, 3}, true},
    {kWatchWord, "99999999999999,0", {0, 1, 2, 3}, true},
    {kWatchDoubleWord, "3-2-1-0", {3, 2, 1, 0}, false},
    {kWatchDoubleWord, "1,0", {1, 0, 2, 3}, false},
    {kWatchDoubleWord, "3,2,1,0,7", {3, 2, 1, 0}, false},
    {kWatchDoubleWord, "0,1,2,4", {0, 1, 2, 3}, true},
    {kWatchDoubleWord, "0,1,2,3,", {0, 1, 2, 3}, false},
    {kWatchByte, "9,9", {9, 9, 2, 3}, false},
};

TEST_F(WatchTest, ByteOrderTextIsParsedAndChecked)
{
    for (const OrderCase& c : kOrderCases) {
        sink.messages.clear();
        const int index = Add("30H", D, c.format, c.text);
        EXPECT_EQ(watches.GetWatch(index)->byteOrder, c.order) << c.text;
        const std::vector<std::string> expected =
            c.message ? std::vector<std::string>{kByteOrderMessage} : std::vector<std::string>{};
        EXPECT_EQ(sink.messages, expected) << c.text;
    }
}

struct WriteCase
{
    const char* name;
    int32_t resource;
    int32_t format;
    const char* order;
    int32_t bitIndex;
    int32_t nullTerminated;
    int32_t length;
    const char* text;
    int32_t space; // D, I or X: where the expected bytes are
    uint32_t address;
    std::vector<uint8_t> bytes;
};

// clang-format off
const WriteCase kWriteCases[] = {
    {"30H", D, kWatchByte, "", 0, 0, 0, "-1", D, 0x30, {0xFF, 0x34}},
    {"30H", D, kWatchWord, "0,1", 0, 0, 0, "0ABCDH", D, 0x30, {0xAB, 0xCD}},
    {"30H", D, kWatchWord, "1,0", 0, 0, 0, "0ABCDH", D, 0x30, {0xCD, 0xAB}},
    {"40H", D, kWatchDoubleWord, "3,2,1,0", 0, 0, 0, "0A1B2C3D4H", D, 0x40,
     {0xD4, 0xC3, 0xB2, 0xA1}},
    {"40H", D, kWatchDoubleWord, "1,0,3,2", 0, 0, 0, "0A1B2C3D4H", D, 0x40,
     {0xB2, 0xA1, 0xD4, 0xC3}},
    {"90H", I, kWatchByte, "", 0, 0, 0, "0A5H", I, 0x90, {0xA5}},
    {"90H", D, kWatchByte, "", 0, 0, 0, "0A5H", I, 0x90, {0x5A}},
    {"3000H", X, kWatchString, "", 0, 1, 0, "HI", X, 0x3000, {'H', 'I', 'L', 'L', 'O', 0}},
    {"3000H", X, kWatchString, "", 0, 0, 4, "AB", X, 0x3000, {'A', 'B', ' ', ' ', 'O', 0}},
    {"3000H", X, kWatchString, "", 0, 0, 2, "WXYZ", X, 0x3000, {'W', 'X', 'L', 'L'}},
    {"TR0", D, kWatchBit, "", 0, 0, 0, "0", D, 0x88, {0x00}},
    {"21H", D, kWatchBit, "", 5, 0, 0, "7", D, 0x21, {0x28}},
    {"r3", R, kWatchByte, "", 0, 0, 0, "99H", D, 0x0B, {0x99}},
    {"1FFH", D, kWatchByte, "", 0, 0, 0, "1", D, 0xFF, {0x00}},
};
// clang-format on

TEST_F(WatchTest, WritesReachTheUnitsInByteOrder)
{
    for (const WriteCase& c : kWriteCases) {
        WatchWorld fresh;
        CWatchList& list = fresh.simulation.Watches();
        const int index = list.AddWatch(c.name, c.resource, c.format, c.bitIndex, c.order,
                                        c.nullTerminated, c.length, DisplayRadix::kHexadecimal, -1);
        list.WriteWatch(index, c.text);
        std::vector<uint8_t> actual;
        for (uint32_t i = 0; i < c.bytes.size(); ++i) {
            CSim8051& sim = fresh.simulation.Processor();
            const uint32_t at = c.address + i;
            actual.push_back(c.space == X   ? fresh.Ext(at)
                             : c.space == I ? sim.ReadIndirect(at)
                                            : sim.State().DirectSpace[at]);
        }
        EXPECT_EQ(actual, c.bytes) << c.name << " <- " << c.text;
    }
}

TEST_F(WatchTest, RegisterAndResultWrites)
{
    watches.WriteWatch(Add("PC", R, kWatchWord, "1,0"), "0200H");
    EXPECT_EQ(simulation.Processor().Pc(), 0x0200u);
    EXPECT_EQ(simulation.StopTarget(), 0x0200);
    watches.WriteWatch(Add("dptr", R, kWatchWord, "1,0"), "1234H");
    EXPECT_EQ(Raw(sfr::kDph), 0x12);
    EXPECT_EQ(Raw(sfr::kDpl), 0x34);
    watches.WriteWatch(Add("A", R, kWatchByte), "3");
    EXPECT_EQ(Raw(sfr::kAcc), 3);
    EXPECT_EQ(Raw(sfr::kPsw) & sfr::kParity, 0); // even parity through the ACC write
    watches.WriteWatch(Add("Cycles", S, kWatchByte), "99");
    EXPECT_EQ(simulation.Processor().ReadResult(0), 99);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(WatchTest, StringLengthBeyondTheResourceStopsAtItsEnd)
{
    const int index = Add("0FFFEH", X, kWatchString, "", DisplayRadix::kDefault, 0, 0, INT32_MAX);
    const auto start = std::chrono::steady_clock::now();
    watches.WriteWatch(index, "Z");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(Ext(0xFFFE), 'Z');
    EXPECT_EQ(Ext(0xFFFF), ' ');
    EXPECT_EQ(Ext(0x0000), 0);
}

TEST_F(WatchTest, LocationsAreCachedUntilSymbolsChange)
{
    const int index = Add("COUNT", D, kWatchByte, "", DisplayRadix::kHexadecimal);
    EXPECT_EQ(watches.FormatWatch(index), "COUNT 77");
    resolver.Define("COUNT", 0x30, 0, 2);
    EXPECT_EQ(watches.FormatWatch(index), "COUNT 77");
    CSimulatorEvents events(simulation);
    static_cast<IAssemblerEvents&>(events).SymbolsChanged();
    EXPECT_EQ(watches.GetWatch(index)->location, -1);
    EXPECT_EQ(watches.FormatWatch(index), "COUNT 12");
}

TEST_F(WatchTest, ListOperations)
{
    Add("A", R, kWatchByte);
    Add("B", R, kWatchByte);
    Add("SP", R, kWatchByte);
    auto names = [this] {
        std::string all;
        for (int i = 0; i < watches.WatchCount(); ++i) {
            all += watches.GetWatch(i)->name + ";";
        }
        return all;
    };
    EXPECT_EQ(watches.AddWatch("R7", R, kWatchByte, 0, "", 0, 0, DisplayRadix::kDefault, 1), 1);
    EXPECT_EQ(watches.AddWatch("R6", R, kWatchByte, 0, "", 0, 0, DisplayRadix::kDefault, 3), -1);
    EXPECT_EQ(names(), "A;R7;SP;");
    watches.MoveWatch(0, 1);
    watches.MoveWatch(2, 1);  // no neighbour below
    watches.MoveWatch(1, 2);  // not a step
    watches.MoveWatch(-1, 1); // no such watch
    EXPECT_EQ(names(), "R7;A;SP;");
    watches.MoveWatch(2, -1);
    EXPECT_EQ(names(), "R7;SP;A;");
    watches.DeleteWatch(1);
    watches.DeleteWatch(5);
    EXPECT_EQ(names(), "R7;A;");
    EXPECT_FALSE(watches.GetWatch(2).has_value());
    EXPECT_EQ(watches.FormatWatch(7), "");
    watches.WriteWatch(7, "1");
}

class WatchFileTest : public WatchTest
{
protected:
    WatchFileTest()
    {
        dir = fs::temp_directory_path() /
              ("watch_file_test_" + std::to_string(reinterpret_cast<uintptr_t>(this)));
        fs::create_directories(dir);
        path = dir / "WATCH.DAT";
    }
    ~WatchFileTest() override { fs::remove_all(dir); }
    void Write(std::string_view bytes)
    {
        std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    }
    std::string Read() const
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    fs::path dir;
    fs::path path;
};

TEST_F(WatchFileTest, SavedLinesHaveTheFileFormat)
{
    Add("30H", D, kWatchWord, "1,0", DisplayRadix::kDecimal);
    Add("BUF", X, kWatchString, "", DisplayRadix::kDefault, 0, 1, 12);
    EXPECT_TRUE(watches.SaveWatches(path));
    EXPECT_EQ(Read(), "2, 1, 0, -1, 1, 0, 2, 3, 0, 0, 1, 30H\r\n"
                      "3, 3, 0, -1, 0, 1, 2, 3, 1, 12, 0, BUF\r\n");
}

TEST_F(WatchFileTest, RoundTripKeepsEveryFieldButTheLocation)
{
    Add("TR0", D, kWatchBit, "", DisplayRadix::kBinary, 4);
    Add("40H", D, kWatchDoubleWord, "3,2,1,0", DisplayRadix::kHexadecimal);
    Add("3000H", X, kWatchString, "", DisplayRadix::kAscii, 0, 0, 5);
    Add("Total Cycles", S, kWatchByte, "", DisplayRadix::kDecimal);
    Add("r0, r1", R, kWatchByte, "", DisplayRadix::kDefault);
    watches.FormatWatch(0); // resolves a location that must not survive
    std::vector<WatchRecordType> before;
    for (int i = 0; i < watches.WatchCount(); ++i) {
        before.push_back(*watches.GetWatch(i));
        before.back().location = -1;
    }
    ASSERT_TRUE(watches.SaveWatches(path));
    watches.LoadWatches(path);
    std::vector<WatchRecordType> after;
    for (int i = 0; i < watches.WatchCount(); ++i) {
        after.push_back(*watches.GetWatch(i));
    }
    EXPECT_EQ(after, before);
    EXPECT_EQ(watches.FormatWatch(1), "40H   78563412");
}

TEST_F(WatchFileTest, LoadReadsEveryLineEndAndSkipsEmptyLines)
{
    Write("2,0,0,-1,0,1,2,3,0,0,2,30H\n\n"
          "0 0 0 5 0 1 2 3 0 0 2   A\r"
          "\r\n4;0;0;1;0;1;2;3;0;0;1,, Max SP");
    watches.LoadWatches(path);
    ASSERT_EQ(watches.WatchCount(), 3);
    EXPECT_EQ(watches.GetWatch(1)->name, "A");
    EXPECT_EQ(watches.GetWatch(1)->location, -1);
    EXPECT_EQ(watches.GetWatch(2)->name, "Max SP");
    EXPECT_EQ(watches.FormatWatch(0), "30H   12");
    EXPECT_EQ(watches.FormatWatch(2), "Max SP 47");
}

// A zero ends a name where a save would end it, and a name too long for a
// saved line keeps what fits: otherwise saving would change the list.
TEST_F(WatchFileTest, ALoadedListSavesAndLoadsUnchanged)
{
    Write("4, 0, 0, -1, 0, 1, 2, 3, 0, 0, 2, Cycles" + std::string("\0tail", 5) + "\r\n" +
          "2,0,0,1,0,1,2,3,0,0,1," + std::string(480, 'N') + "\r\n");
    auto records = [&] {
        std::vector<WatchRecordType> list;
        for (int i = 0; i < watches.WatchCount(); ++i) {
            list.push_back(*watches.GetWatch(i));
        }
        return list;
    };
    watches.LoadWatches(path);
    ASSERT_EQ(watches.WatchCount(), 2);
    EXPECT_EQ(watches.GetWatch(0)->name, "Cycles");
    const std::vector<WatchRecordType> loaded = records();
    ASSERT_TRUE(watches.SaveWatches(path));
    watches.LoadWatches(path);
    EXPECT_EQ(records(), loaded);
}

TEST_F(WatchFileTest, MissingFileEmptiesTheList)
{
    Add("A", R, kWatchByte);
    watches.LoadWatches(dir / "none.dat");
    EXPECT_EQ(watches.WatchCount(), 0);
}

TEST_F(WatchFileTest, FailedSaveKeepsTheOldFile)
{
    Add("A", R, kWatchByte);
    EXPECT_FALSE(watches.SaveWatches(dir / "no_such_dir" / "WATCH.DAT"));
    // A directory in the way: the new list cannot replace it.
    fs::create_directory(dir / "taken");
    fs::create_directory(dir / "taken" / "inside");
    EXPECT_FALSE(watches.SaveWatches(dir / "taken"));
    EXPECT_TRUE(fs::is_directory(dir / "taken" / "inside"));
    EXPECT_FALSE(fs::exists(dir / "taken.~sav"));
}

TEST_F(WatchFileTest, CorruptAndTruncatedLinesLoadSafely)
{
    // A line is read in pieces of 510 characters; the rest is a line of its own.
    const std::string longName(600, 'N');
    Write("2, 0, 0, -1, 0, 1, 2, 3, 0, 0, 1, " + longName + "\r\n" +
          "2, 0\r\n"                                             // truncated
          "9, 9, 99, 7, 88, 77, 66, 55, 1, 4294967296, 9, Q\r\n" // values out of range
          "1, 4, 99999999999999999999, 0, 0, 1, 2, 3, 0, 0, 0, 30H\r\n");
    watches.LoadWatches(path);
    ASSERT_EQ(watches.WatchCount(), 5);
    EXPECT_EQ(watches.GetWatch(0)->name, std::string(367, 'N')); // what a saved line can hold
    EXPECT_EQ(watches.GetWatch(1)->name, "");
    EXPECT_EQ(watches.GetWatch(2)->resourceType, 2);
    EXPECT_EQ(watches.GetWatch(2)->name, "");
    EXPECT_EQ(watches.GetWatch(4)->bitIndex, INT32_MAX);
    EXPECT_EQ(watches.FormatWatch(2), "      ***");
    EXPECT_EQ(watches.FormatWatch(3), "Q     ***");
    EXPECT_EQ(watches.FormatWatch(4), "30H   ***");
    watches.WriteWatch(3, "1");
    watches.WriteWatch(4, "1");
    EXPECT_EQ(Raw(0x30), 0x12);
}

// Random bytes as WATCH.DAT, and random names, byte orders and fields: every
// line stays within its capacity and nothing reads outside the memories.
TEST_F(WatchFileTest, RandomFilesAndFieldsAreHandled)
{
    std::mt19937 random(20261206);
    const std::string alphabet = "0123456789,- #HhABFx.\r\n\t\x01\xFF";
    auto text = [&](size_t length, bool anyByte) {
        std::string out;
        for (size_t i = 0; i < length; ++i) {
            out.push_back(anyByte ? static_cast<char>(random() & 0xFF)
                                  : alphabet[random() % alphabet.size()]);
        }
        return out;
    };
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < 300; ++round) {
        Write(text(random() % 2000, round % 2 == 0));
        watches.LoadWatches(path);
        for (int i = 0; i < 20; ++i) {
            WatchRecordType record;
            record.resourceType = static_cast<int32_t>(random() % 7) - 1;
            record.format = static_cast<int32_t>(random() % 7) - 1;
            record.bitIndex = static_cast<int32_t>(random() % 12) - 2;
            record.location = static_cast<int32_t>(random());
            for (int32_t& offset : record.byteOrder) {
                offset = static_cast<int32_t>(random() % 8) - 2;
            }
            record.nullTerminated = static_cast<int32_t>(random() % 2);
            record.stringLength = static_cast<int32_t>(random());
            record.radix = static_cast<int32_t>(random() % 8) - 1;
            record.name = text(random() % 40, false);
            watches.SetWatch(watches.AddWatch("", 0, 0, 0, "", 0, 0, DisplayRadix::kDefault, -1),
                             record);
        }
        for (int i = 0; i < watches.WatchCount(); ++i) {
            EXPECT_LE(watches.FormatWatch(i).size(), kWatchLineCapacity);
            if (i % 2 == 0) {
                watches.InvalidateWatchLocations();
            }
            watches.WriteWatch(i, text(random() % 20, false));
        }
        ASSERT_TRUE(watches.SaveWatches(path));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

} // namespace
