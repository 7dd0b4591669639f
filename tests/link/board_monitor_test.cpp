#include <gtest/gtest.h>

#include "link/board_monitor.h"
#include "link/simulator_monitor_target.h"
#include "link_test_util.h"
#include "scripted_board.h"

namespace {

// The processor state the monitor writes, as plain memories.
struct FakeTarget : IMonitorTarget
{
    void SetPc(uint16_t address) override
    {
        pc = address;
        calls.push_back("SetPc");
    }
    void WriteIndirect(uint8_t address, uint8_t value) override
    {
        indirect[address] = value;
        calls.push_back("WriteIndirect");
    }
    void WriteDirect(uint8_t address, uint8_t value) override
    {
        direct[address] = value;
        directOrder.push_back(address);
        calls.push_back("WriteDirect");
    }
    int pc = -1;
    std::map<int, uint8_t> indirect;
    std::map<int, uint8_t> direct;
    std::vector<uint8_t> directOrder;
    std::vector<std::string> calls;
};

struct FakeHost : IMonitorHost
{
    void ResetOrStartSimulation() override { calls.push_back("Reset"); }
    void ShowExecutionPoint() override { calls.push_back("Show"); }
    void UpdateAllWindows() override { calls.push_back("Update"); }
    void RefreshDumpWindow() override { calls.push_back("Dump"); }
    int Count(const std::string& name) const
    {
        return static_cast<int>(std::count(calls.begin(), calls.end(), name));
    }
    std::vector<std::string> calls;
};

struct MonitorRig : LinkRig
{
    FakeTarget target;
    FakeHost host;
    CBoardMonitor monitor{port, target, host, clock, sink};

    ConnectionSettingsType Settings(int loaderType = 0, int enable = 1)
    {
        ConnectionSettingsType s;
        s.portName = "/dev/ttyS1";
        s.portIndex = 1;
        s.loaderType = loaderType;
        s.monitorEnable = enable;
        s.monitorRate = 19200;
        s.downloadRate = 57600;
        return s;
    }

    void StartMonitor(int loaderType = 0, int enable = 1)
    {
        ASSERT_TRUE(monitor.Start(Settings(loaderType, enable)));
        monitor.Poll(); // the first poll sees a long silence and empties the ring
        host.calls.clear();
        target.calls.clear();
        device.ClearWrites();
    }

    // One poll after 220 ms with the given bytes from the board.
    void PollWith(const std::string& bytes)
    {
        device.Feed(bytes);
        clock.Advance(CBoardMonitor::kPollPeriodMs);
        monitor.Poll();
    }
};

std::string Record(int type, uint16_t address, const std::vector<uint8_t>& data)
{
    return CScriptedBoard::MonitorRecord(type, address, data);
}

TEST(BoardMonitorTest, StartOpensResetsTheBoardAndStartsMonitoring)
{
    MonitorRig rig;
    uint32_t before = rig.clock.TickMs();
    ASSERT_TRUE(rig.monitor.Start(rig.Settings()));
    EXPECT_EQ(rig.device.openName, "/dev/ttyS1");
    EXPECT_EQ(rig.device.lineSettings.baudRate, 19200);
    EXPECT_EQ(rig.clock.TickMs() - before, 250u);
    EXPECT_TRUE(rig.device.dtr); // reset released on a plain port
    EXPECT_EQ(rig.port.CaptureFlag(), 1);
    EXPECT_EQ(rig.host.calls, (std::vector<std::string>{"Dump", "Reset", "Show", "Update"}));
}

TEST(BoardMonitorTest, StartFailureIsReported)
{
    MonitorRig rig;
    rig.device.missingDevices.insert("/dev/ttyS1");
    EXPECT_FALSE(rig.monitor.Start(rig.Settings()));
    EXPECT_EQ(rig.sink.messages,
              std::vector<std::string>{"Unable to open specified communications port."});
    EXPECT_EQ(rig.sink.severities[0], IMessageSink::Severity::kError);
    EXPECT_FALSE(rig.port.IsOpen());
}

TEST(BoardMonitorTest, ProcessorStateRecordSetsPcAndRegistersInOrder)
{
    MonitorRig rig;
    rig.StartMonitor();
    std::vector<uint8_t> data = {0x00, 0x12, 0x81, 0x55, 0x2F, 0x18, 0x03, 0x34, 0x12};
    rig.PollWith("PC?\r\n" + Record(4, 0, data));
    EXPECT_EQ(rig.target.pc, 0x1200);
    EXPECT_EQ(rig.target.directOrder,
              (std::vector<uint8_t>{0xA8, 0xE0, 0x81, 0xD0, 0xF0, 0x82, 0x83}));
    for (size_t i = 0; i < rig.target.directOrder.size(); ++i) {
        EXPECT_EQ(rig.target.direct[rig.target.directOrder[i]], data[i + 2]);
    }
    EXPECT_EQ(rig.device.WrittenText(), "\x06");
    EXPECT_EQ(rig.host.calls, (std::vector<std::string>{"Dump", "Show", "Update"}));
    EXPECT_FALSE(rig.monitor.BoardStateChanged());
}

TEST(BoardMonitorTest, RecordsReachTheSimulatedProcessor)
{
    MonitorRig rig;
    CSimulator simulator;
    simulator.Start();
    CSimulatorMonitorTarget target(simulator);
    CBoardMonitor monitor{rig.port, target, rig.host, rig.clock, rig.sink};
    ASSERT_TRUE(monitor.Start(rig.Settings()));
    monitor.Poll(); // the first poll sees a long silence and empties the ring
    // IE, A, SP, PSW (bank 3), B, DPL, DPH; then upper RAM through @Ri.
    for (const std::string& bytes :
         {Record(4, 0, {0x00, 0x12, 0x81, 0x55, 0x2F, 0x18, 0x03, 0x34, 0x12}),
          Record(1, 0x90, {0xAB})}) {
        rig.device.Feed(bytes);
        rig.clock.Advance(CBoardMonitor::kPollPeriodMs);
        monitor.Poll();
    }
    const CSim8051& cpu = simulator.Processor();
    EXPECT_EQ(cpu.Pc(), 0x1200u);
    EXPECT_TRUE(simulator.IsHalted());
    EXPECT_EQ(cpu.ReadDirect(0xE0), 0x55);
    EXPECT_EQ(cpu.State().bankBase, 0x18); // PSW's side effect
    EXPECT_EQ(cpu.ReadDirect(0x83), 0x12);
    EXPECT_EQ(cpu.ReadIndirect(0x90), 0xAB);
    EXPECT_EQ(cpu.ReadDirect(0x90), 0xFF); // P1 is untouched
}

TEST(BoardMonitorTest, InternalRamRecordGoesThroughIndirectWrites)
{
    MonitorRig rig;
    rig.StartMonitor();
    rig.PollWith(Record(1, 0x7E, {1, 2, 3, 4}));
    EXPECT_EQ(rig.target.indirect,
              (std::map<int, uint8_t>{{0x7E, 1}, {0x7F, 2}, {0x80, 3}, {0x81, 4}}));
    EXPECT_TRUE(rig.target.direct.empty());

    rig.target.indirect.clear();
    rig.PollWith(Record(1, 0xFE, {9, 8, 7})); // past FFh is ignored
    EXPECT_EQ(rig.target.indirect, (std::map<int, uint8_t>{{0xFE, 9}, {0xFF, 8}}));
    rig.PollWith(Record(1, 0x0100, {5}));
    EXPECT_EQ(rig.target.indirect.size(), 2u);
    EXPECT_EQ(rig.device.WrittenText(), "\x06\x06\x06");
}

TEST(BoardMonitorTest, BadRecordsAreRefusedAndChangeNothing)
{
    std::string good = Record(4, 0, {0, 0x12, 1, 2, 3, 4, 5, 6, 7});
    std::string badSum = good;
    badSum[badSum.size() - 3] = badSum[badSum.size() - 3] == '0' ? '1' : '0';
    const std::string cases[] = {
        badSum,
        Record(0, 0x30, {1, 2}), // a data record
        Record(5, 0, {}),        // an unknown type
        ":FF000004\r\n",         // a count the frame cannot hold
        ":0\n",                  // truncated
        ":\n",                   // a colon alone
    };
    for (const std::string& text : cases) {
        MonitorRig rig;
        rig.StartMonitor();
        rig.PollWith(text);
        EXPECT_EQ(rig.device.WrittenText(), "\x07") << text;
        EXPECT_TRUE(rig.target.calls.empty()) << text;
        EXPECT_FALSE(rig.monitor.BoardStateChanged());
        EXPECT_EQ(rig.port.Available(), 0) << text;
    }
}

TEST(BoardMonitorTest, HexDigitsAreReadWithoutValidation)
{
    MonitorRig rig;
    // Lower-case digits read as upper case; a "G" reads as 16.
    std::string record = Record(1, 0x20, {0xAB});
    for (char& c : record) {
        c = static_cast<char>(std::tolower(c));
    }
    EXPECT_TRUE(rig.monitor.ParseRecord(reinterpret_cast<const uint8_t*>(record.data()),
                                        static_cast<int>(record.size())));
    EXPECT_EQ(rig.target.indirect[0x20], 0xAB);
    // "0G" is 16: count 1, address 0x0030, type 1, data 0x10, checksum 0xBE.
    std::string odd = ":01003001"
                      "0G"
                      "BE\r\n";
    EXPECT_TRUE(rig.monitor.ParseRecord(reinterpret_cast<const uint8_t*>(odd.data()),
                                        static_cast<int>(odd.size())));
    EXPECT_EQ(rig.target.indirect[0x30], 0x10);
}

TEST(BoardMonitorTest, ShortStateRecordSetsOnlyWhatItCarries)
{
    MonitorRig rig;
    std::string record = Record(4, 0, {0x34, 0x12, 0x80});
    ASSERT_TRUE(rig.monitor.ParseRecord(reinterpret_cast<const uint8_t*>(record.data()),
                                        static_cast<int>(record.size())));
    EXPECT_EQ(rig.target.pc, 0x1234);
    EXPECT_EQ(rig.target.direct, (std::map<int, uint8_t>{{0xA8, 0x80}}));
}

TEST(BoardMonitorTest, TextWithoutRecordsIsOnlyShown)
{
    MonitorRig rig;
    rig.StartMonitor();
    rig.PollWith("Hello from the board\r\nvalue 12\r\n");
    EXPECT_TRUE(rig.device.writes.empty());
    ASSERT_GE(rig.port.Lines().size(), 2u);
    EXPECT_EQ(rig.port.Lines()[0], "Hello from the board");
    EXPECT_EQ(rig.port.Lines()[1], "value 12");
    EXPECT_EQ(rig.host.Count("Dump"), 1);
}

TEST(BoardMonitorTest, OneRecordPerPollAndPartialRecordsWait)
{
    MonitorRig rig;
    rig.StartMonitor();
    std::string first = Record(1, 0x10, {1});
    std::string second = Record(1, 0x11, {2});
    rig.PollWith(first + second.substr(0, 5));
    EXPECT_EQ(rig.device.WrittenText(), "\x06");
    rig.PollWith("");
    EXPECT_EQ(rig.device.WrittenText(), "\x06"); // half a record: no answer yet
    rig.PollWith(second.substr(5));
    EXPECT_EQ(rig.device.WrittenText(), "\x06\x06");
    EXPECT_EQ(rig.target.indirect, (std::map<int, uint8_t>{{0x10, 1}, {0x11, 2}}));
}

TEST(BoardMonitorTest, APartialRecordWaitsUntilASecondOfSilence)
{
    MonitorRig rig;
    rig.StartMonitor();
    std::string record = Record(1, 0x10, {1});
    rig.PollWith(record.substr(0, 6));
    rig.PollWith("");
    rig.PollWith(""); // 440 ms quiet: the partial record waits
    EXPECT_EQ(rig.port.Available(), 6);
    rig.PollWith("");
    rig.PollWith(""); // 880 ms
    EXPECT_EQ(rig.port.Available(), 6);
    rig.PollWith(""); // 1100 ms: the ring is reset
    EXPECT_TRUE(rig.port.IsRingEmpty());
    rig.PollWith(record.substr(6));
    EXPECT_TRUE(rig.device.writes.empty()); // the tail alone is no record
}

TEST(BoardMonitorTest, BoardStateRedrawWaitsForQuietWhenTheAnswerCameEarly)
{
    MonitorRig rig;
    rig.StartMonitor();
    std::string record = Record(1, 0x10, {1});
    // Two records in one burst: the first is answered and drawn at once.
    rig.PollWith(record + record);
    EXPECT_EQ(rig.host.Count("Show"), 1);
    rig.PollWith("");
    EXPECT_EQ(rig.host.Count("Show"), 2);
    rig.PollWith("");
    rig.PollWith("");
    rig.PollWith("");
    EXPECT_EQ(rig.host.Count("Show"), 2); // nothing new to draw
}

TEST(BoardMonitorTest, MonitorEnableOffReadsButNeitherShowsNorParses)
{
    MonitorRig rig;
    rig.StartMonitor(0, 0);
    rig.PollWith("text\r\n" + Record(1, 0x10, {1}));
    EXPECT_TRUE(rig.device.writes.empty());
    EXPECT_TRUE(rig.port.Lines().empty());
    EXPECT_TRUE(rig.target.calls.empty());
    EXPECT_TRUE(rig.host.calls.empty());
    EXPECT_GT(rig.port.Available(), 0);
    for (int i = 0; i < 6; ++i) {
        rig.PollWith("");
    }
    EXPECT_TRUE(rig.port.IsRingEmpty()); // dropped after a second of silence
}

TEST(BoardMonitorTest, ResetPulsesTheResetLine)
{
    MonitorRig rig;
    rig.StartMonitor();
    rig.port.SetCapture(1);
    rig.PollWith("old\r");
    rig.device.calls.clear();
    rig.host.calls.clear();
    uint32_t before = rig.clock.TickMs();
    rig.monitor.Reset();
    EXPECT_EQ(rig.clock.TickMs() - before, 250u);
    EXPECT_EQ(rig.device.calls, (std::vector<std::string>{"Dtr 0", "Dtr 1"}));
    EXPECT_TRUE(rig.port.Lines().empty());
    EXPECT_TRUE(rig.device.writes.empty());
    EXPECT_EQ(rig.host.calls, (std::vector<std::string>{"Reset", "Dump", "Show", "Update"}));
}

TEST(BoardMonitorTest, OnceLoaderResetSendsCommandRecordsTwoSecondsApart)
{
    MonitorRig rig;
    rig.StartMonitor(3);
    rig.port.SetBaudRate(9600); // block writes: one per record
    std::vector<uint32_t> times;
    rig.device.onWrite = [&](const std::vector<uint8_t>&) { times.push_back(rig.clock.TickMs()); };
    rig.device.calls.clear();
    rig.monitor.Reset();
    ASSERT_EQ(rig.device.writes.size(), 2u);
    EXPECT_EQ(rig.device.WrittenText(), ":00000003FD\r\n:00000001FF\r\n");
    EXPECT_EQ(times[1] - times[0], 2000u);
    EXPECT_EQ(rig.device.CountCalls("Dtr"), 0);
    EXPECT_EQ(rig.host.calls, (std::vector<std::string>{"Dump", "Show", "Update"}));
}

TEST(BoardMonitorTest, StopClosesTheLinkAndPollThenDoesNothing)
{
    MonitorRig rig;
    rig.StartMonitor();
    rig.monitor.Stop();
    EXPECT_FALSE(rig.port.IsOpen());
    rig.PollWith(Record(1, 0x10, {1}));
    EXPECT_TRUE(rig.device.writes.empty());
}

TEST(BoardMonitorTest, DownloadCommandStepsAroundTheTransfer)
{
    MonitorRig rig;
    // Link closed and the Connection dialog cancelled: nothing happens.
    EXPECT_FALSE(rig.monitor.PrepareDownload(nullptr));
    EXPECT_FALSE(rig.port.IsOpen());

    ConnectionSettingsType chosen = rig.Settings();
    ASSERT_TRUE(rig.monitor.PrepareDownload(&chosen));
    EXPECT_EQ(rig.port.BaudRate(), 57600);
    EXPECT_EQ(rig.port.CaptureFlag(), 0);

    for (bool hasBreak : {false, true}) {
        rig.host.calls.clear();
        rig.port.SetCapture(1);
        rig.PollWith("stale\r");
        rig.monitor.FinishDownload(hasBreak);
        EXPECT_EQ(rig.port.BaudRate(), 19200);
        EXPECT_TRUE(rig.port.Lines().empty());
        EXPECT_EQ(rig.port.CaptureFlag(), 1);
        EXPECT_EQ(rig.host.Count("Reset"), hasBreak ? 1 : 0);
    }
    // With the link open the stored settings hold and no dialog is needed.
    EXPECT_TRUE(rig.monitor.PrepareDownload(nullptr));
    EXPECT_EQ(rig.port.BaudRate(), 57600);
}

TEST(BoardMonitorTest, PollLeavesTheLoaderRepliesToTheDownload)
{
    MonitorRig rig;
    rig.StartMonitor();
    ASSERT_TRUE(rig.monitor.PrepareDownload(nullptr));
    rig.device.ClearWrites();
    for (int i = 0; i < 8; ++i) {
        rig.PollWith(i == 0 ? ":0\r\n" : "");
    }
    EXPECT_TRUE(rig.device.writes.empty()); // no 07h into the loader
    EXPECT_EQ(rig.device.input.size(), 4u); // the reply waits for the download
    rig.device.input.clear();               // taken by the download
    rig.monitor.FinishDownload(false);
    rig.PollWith(Record(1, 0x10, {1}));
    EXPECT_EQ(rig.device.WrittenText(), "\x06");
}

} // namespace
