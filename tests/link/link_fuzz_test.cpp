#include <gtest/gtest.h>

#include <random>

#include "download_test_util.h"
#include "link/board_monitor.h"

// Random and hostile streams from the board: whatever arrives, nothing may
// crash, hang or grow without bound, and every run ends in a clean state.

namespace {

constexpr uint32_t kSeed = 20261206;

class CStreamMaker
{
public:
    explicit CStreamMaker(uint32_t seed) : rng_(seed) {}

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    std::string Next()
    {
        switch (Below(8)) {
        case 0:
            return Random(Below(600));
        case 1:
            return std::string(static_cast<size_t>(Below(5000)), 'x'); // text, no line end
        case 2:
            return std::string(static_cast<size_t>(Below(3000)), ':'); // a flood of colons
        case 3:
            return ":FF" + Random(Below(40)) + "\n"; // an absurd count
        case 4:
            return Flipped(CScriptedBoard::MonitorRecord(4, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9}));
        case 5:
            return CScriptedBoard::MonitorRecord(1, static_cast<uint16_t>(Below(0x200)),
                                                 Bytes(Random(Below(20))))
                .substr(0, static_cast<size_t>(Below(60))); // truncated
        case 6:
            return "ADI" + std::to_string(Below(2) != 0 ? 841 : Below(2000)) + " V" +
                   std::to_string(Below(400)) + (Below(2) != 0 ? "\r\n" : "");
        default:
            return std::string(1, static_cast<char>(Below(2) != 0 ? 0x06 : 0x07)) +
                   (Below(2) != 0 ? ":0\r\n" : ":1\r");
        }
    }

private:
    std::string Random(int n)
    {
        std::string text(static_cast<size_t>(n), '\0');
        for (char& c : text) {
            c = static_cast<char>(Below(256));
        }
        return text;
    }

    std::string Flipped(std::string text)
    {
        if (!text.empty() && Below(3) != 0) {
            size_t at = static_cast<size_t>(Below(static_cast<int>(text.size())));
            text[at] = static_cast<char>(text[at] ^ (1 << Below(8)));
        }
        return text;
    }

    std::mt19937 rng_;
};

struct NullTarget : IMonitorTarget
{
    void SetPc(uint16_t) override {}
    void WriteIndirect(uint8_t, uint8_t) override {}
    void WriteDirect(uint8_t, uint8_t) override {}
};

struct NullHost : IMonitorHost
{
    void ResetOrStartSimulation() override {}
    void ShowExecutionPoint() override {}
    void UpdateAllWindows() override {}
    void RefreshDumpWindow() override {}
};

void ExpectBounded(const CMonitor& port)
{
    EXPECT_LE(port.Available(), 4095);
    EXPECT_LE(port.Lines().size(), CMonitor::kMaxLines);
    for (const std::string& line : port.Lines()) {
        ASSERT_LE(line.size(), CMonitor::kMaxLineLength);
    }
}

TEST(LinkFuzzTest, MonitorPollSurvivesHostileStreams)
{
    for (uint32_t run = 0; run < 40; ++run) {
        LinkRig rig;
        NullTarget target;
        NullHost host;
        CBoardMonitor monitor(rig.port, target, host, rig.clock, rig.sink);
        ConnectionSettingsType settings;
        settings.portName = "/dev/ttyS0";
        settings.monitorEnable = run % 5 != 0 ? 1 : 0;
        ASSERT_TRUE(monitor.Start(settings));
        CStreamMaker maker(kSeed + run);
        for (int poll = 0; poll < 300; ++poll) {
            if (maker.Below(4) != 0) {
                rig.device.Feed(maker.Next());
            }
            rig.clock.Advance(CBoardMonitor::kPollPeriodMs);
            monitor.Poll();
            ASSERT_LE(rig.device.input.size(), 1u << 20);
        }
        ExpectBounded(rig.port);
        for (const auto& write : rig.device.writes) {
            ASSERT_EQ(write.size(), 1u);
            EXPECT_TRUE(write[0] == 0x06 || write[0] == 0x07);
        }
        monitor.Stop();
        EXPECT_FALSE(rig.port.IsOpen());
    }
}

TEST(LinkFuzzTest, DownloadMachinesSurviveHostileAnswers)
{
    for (int loader : {kLoaderConstantEa, kLoaderPulsedEa, kLoaderAduc, kLoaderOnce}) {
        for (uint32_t run = 0; run < 25; ++run) {
            LinkRig rig;
            CCodeMemory code;
            Assemble(code, 0x40, Pattern(300, static_cast<uint8_t>(run)));
            CDownloadSession session(rig.port, code, rig.clock, rig.sink);
            CStreamMaker maker(kSeed * 3 + run + static_cast<uint32_t>(loader) * 100);
            rig.device.onWrite = [&](const std::vector<uint8_t>&) {
                if (maker.Below(3) != 0) {
                    rig.device.Feed(maker.Next());
                }
            };
            rig.OpenPlain();
            session.SetLoaderType(loader);
            ASSERT_TRUE(session.Begin());
            for (int tick = 0; tick < 6000 && session.IsRunning(); ++tick) {
                if (maker.Below(20) == 0) {
                    rig.device.Feed(maker.Next()); // unsolicited noise
                }
                rig.clock.Advance(CDownloadSession::kTimerPeriodMs);
                session.Tick();
                ASSERT_LE(session.ReceivedText().size(), 4096u);
                ASSERT_LE(session.Status().size(), 4200u);
            }
            session.Cancel();
            session.End();
            EXPECT_FALSE(rig.device.rts);
            EXPECT_TRUE(rig.device.dtr); // the board runs
            EXPECT_LE(rig.port.Available(), 4095);
            EXPECT_LE(session.CurrentAddress(), 0x10000);
        }
    }
}

} // namespace
