#include <gtest/gtest.h>

#include <optional>

#include "download_test_util.h"
#include "link/board_link_controller.h"
#include "simulator/simulator.h"

// The Monitor commands' timed parts run as steps of a millisecond timer:
// the same lines and bytes at the same times as the busy waits gave, while
// the rest of the application keeps going.

namespace {

struct RecordingHost : IMonitorHost
{
    void ResetOrStartSimulation() override { calls.push_back("Reset"); }
    void ShowExecutionPoint() override { calls.push_back("Show"); }
    void UpdateAllWindows() override { calls.push_back("Update"); }
    void RefreshDumpWindow() override { calls.push_back("Dump"); }
    std::vector<std::string> calls;
};

// The windows, scripted: the Connection dialog's answer and a transfer
// ticked on the fake clock.
struct ScriptedUi : IBoardLinkUi
{
    std::optional<ConnectionSettingsType> ChooseConnection() override
    {
        ++dialogs;
        return answer;
    }
    void RunDownload(CDownloadSession& session) override
    {
        ++downloads;
        if (session.Begin()) {
            while (session.IsRunning() && onTick) {
                onTick(session);
            }
        }
        session.End();
    }
    void WakeSteps() override { ++wakes; }

    std::optional<ConnectionSettingsType> answer;
    std::function<void(CDownloadSession&)> onTick;
    int dialogs = 0;
    int downloads = 0;
    int wakes = 0;
};

struct ControllerRig : LinkRig
{
    CSimulator simulator;
    RecordingHost host;
    ScriptedUi ui;
    CScriptedBoard board{CScriptedBoard::Role::kHexLoader};
    CBoardLinkController controller{port, simulator, host, ui, clock, sink};
    // Times of the reset line's changes (DTR high releases a plain port's reset).
    std::vector<std::pair<uint32_t, std::string>> lineEvents;

    ControllerRig()
    {
        ConnectionSettingsType settings;
        settings.portName = "/dev/ttyS1";
        settings.portIndex = 1;
        settings.loaderType = kLoaderOnce;
        settings.monitorRate = 19200;
        settings.downloadRate = 115200;
        ui.answer = settings;
        ui.onTick = [this](CDownloadSession& session) {
            clock.Advance(1);
            session.PumpTransmit();
            session.Tick();
        };
        device.onWrite = [this](const std::vector<uint8_t>& bytes) {
            device.Feed(board.Consume(bytes));
        };
    }

    // The controller's 1 ms timer, until its timed work is done.
    void StepUntilIdle(uint32_t limitMs = 10000)
    {
        for (uint32_t ms = 0; controller.HasTimedWork() && ms < limitMs; ++ms) {
            clock.Advance(1);
            bool dtr = device.dtr;
            controller.Step();
            if (device.dtr != dtr) {
                lineEvents.emplace_back(clock.TickMs(), device.dtr ? "release" : "assert");
            }
        }
    }
};

TEST(BoardLinkControllerTest, StartPulsesTheResetWithoutBlocking)
{
    ControllerRig rig;
    const uint32_t start = rig.clock.TickMs();
    rig.controller.Start();
    // Start returned at once with the board held in reset.
    EXPECT_EQ(rig.clock.TickMs(), start);
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_FALSE(rig.device.dtr);
    EXPECT_TRUE(rig.controller.IsBusy());
    EXPECT_GE(rig.ui.wakes, 1);
    rig.StepUntilIdle();
    ASSERT_EQ(rig.lineEvents.size(), 1u);
    EXPECT_EQ(rig.lineEvents[0].second, "release");
    EXPECT_EQ(rig.lineEvents[0].first - start, CBoardMonitor::kResetPulseMs);
    EXPECT_EQ(rig.host.calls, (std::vector<std::string>{"Dump", "Reset", "Show", "Update"}));
    EXPECT_EQ(rig.port.BaudRate(), 19200);
}

TEST(BoardLinkControllerTest, OnceResetWaitsTwoSecondsAfterItsRecordIsOut)
{
    ControllerRig rig;
    rig.controller.Start();
    rig.StepUntilIdle();
    rig.device.ClearWrites();
    std::vector<uint32_t> recordTimes;
    rig.device.onWrite = [&](const std::vector<uint8_t>& bytes) {
        if (bytes[0] == ':') {
            recordTimes.push_back(rig.clock.TickMs());
        }
    };
    rig.controller.Reset();
    // The poll keeps out of the command's wait.
    rig.device.Feed(CScriptedBoard::MonitorRecord(1, 0x10, {1}));
    rig.controller.Poll();
    rig.StepUntilIdle();
    EXPECT_EQ(rig.device.WrittenText(), ":00000003FD\r\n:00000001FF\r\n");
    ASSERT_EQ(recordTimes.size(), 2u);
    // 13 bytes a millisecond apart at 19200, then the two seconds.
    EXPECT_EQ(recordTimes[1] - recordTimes[0], 13u + CBoardMonitor::kOnceResetMs);
    rig.controller.Poll();
    EXPECT_EQ(rig.device.WrittenText().back(), '\x06'); // the record's turn came
}

TEST(BoardLinkControllerTest, StopEndsATimedCommand)
{
    ControllerRig rig;
    rig.controller.Start();
    rig.controller.Stop();
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_FALSE(rig.controller.HasTimedWork());
    rig.StepUntilIdle();
    EXPECT_TRUE(rig.host.calls.empty()); // monitoring never started
}

TEST(BoardLinkControllerTest, DownloadThenTheMonitorRateAndAResetPulse)
{
    for (bool withBreak : {false, true}) {
        ControllerRig rig;
        Assemble(rig.simulator.Code(), 0, Pattern(200, 3));
        rig.simulator.Processor().SetMonitorBreakAddress(withBreak, 0x100);
        rig.controller.Download();
        EXPECT_EQ(rig.ui.dialogs, 1);
        EXPECT_EQ(rig.ui.downloads, 1);
        for (uint32_t a = 0; a < 200; ++a) {
            ASSERT_EQ(rig.board.image[a], rig.simulator.Code().ReadCodeByte(a)) << a;
        }
        EXPECT_EQ(rig.port.BaudRate(), 19200);
        EXPECT_FALSE(rig.device.dtr); // held in reset until the pulse ends
        const uint32_t held = rig.clock.TickMs();
        rig.StepUntilIdle();
        ASSERT_EQ(rig.lineEvents.size(), 1u);
        EXPECT_EQ(rig.lineEvents[0].first - held, CBoardMonitor::kResetPulseMs);
        const bool monitored = std::find(rig.host.calls.begin(), rig.host.calls.end(), "Reset") !=
                               rig.host.calls.end();
        EXPECT_EQ(monitored, withBreak);
        EXPECT_EQ(rig.port.CaptureFlag(), 1);
    }
}

} // namespace
