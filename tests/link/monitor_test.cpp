#include <gtest/gtest.h>

#include "link_test_util.h"

namespace {

std::vector<std::string> LinesOf(const CMonitor& port)
{
    return {port.Lines().begin(), port.Lines().end()};
}

TEST(MonitorCaptureTest, CarriageReturnsSplitLinesAndLineFeedsVanish)
{
    LinkRig rig;
    rig.OpenPlain();
    rig.port.SetCapture(1);
    rig.device.Feed("Hello\r\nboard\r");
    rig.port.Receive();
    rig.device.Feed("run");
    rig.port.Receive();
    EXPECT_EQ(LinesOf(rig.port), (std::vector<std::string>{"Hello", "board", "run"}));
    EXPECT_EQ(rig.port.LongestLineLength(), 5u); // "run" is not closed yet

    rig.port.ClearLines();
    EXPECT_TRUE(rig.port.Lines().empty());
    EXPECT_EQ(rig.port.LongestLineLength(), 0u);
}

TEST(MonitorCaptureTest, NothingIsCapturedWhileCaptureIsOff)
{
    LinkRig rig;
    rig.OpenPlain();
    rig.device.Feed("quiet\r");
    EXPECT_EQ(rig.port.Receive(), 6);
    EXPECT_TRUE(rig.port.Lines().empty());
    EXPECT_EQ(rig.port.Available(), 6);
}

TEST(MonitorCaptureTest, UnreadBytesAtSetCaptureAreCapturedOnce)
{
    LinkRig rig;
    rig.OpenPlain();
    rig.device.Feed("early ");
    rig.port.Receive();
    rig.port.SetCapture(1);
    rig.device.Feed("late");
    rig.port.Receive();
    rig.device.Feed("r\r");
    rig.port.Receive();
    EXPECT_EQ(LinesOf(rig.port), (std::vector<std::string>{"early later", ""}));
}

TEST(MonitorCaptureTest, CaptureFollowsTheRingWhenAFullRingDrops)
{
    LinkRig rig;
    rig.OpenPlain();
    rig.port.SetCapture(1);
    rig.device.Feed(std::string(4095, 'a'));
    rig.port.Receive();
    rig.device.Feed("\rafter drop\r");
    rig.port.Receive();
    // Exactly what was sent: no stale byte of the buffer slips in at the drop.
    EXPECT_EQ(LinesOf(rig.port),
              (std::vector<std::string>{std::string(4095, 'a'), "after drop", ""}));
}

TEST(MonitorCaptureTest, TextWithoutLineEndsStaysBounded)
{
    LinkRig rig;
    rig.OpenPlain();
    rig.port.SetCapture(1);
    for (int i = 0; i < 50; ++i) {
        rig.device.Feed(std::string(4000, 'x'));
        rig.port.Receive();
        rig.port.ResetRing();
    }
    size_t total = 0;
    for (const std::string& line : rig.port.Lines()) {
        EXPECT_LE(line.size(), CMonitor::kMaxLineLength);
        total += line.size();
    }
    EXPECT_EQ(total, 50u * 4000u);

    for (int i = 0; i < 10; ++i) {
        rig.device.Feed(std::string(4000, '\r'));
        rig.port.Receive();
        rig.port.ResetRing();
    }
    EXPECT_EQ(rig.port.Lines().size(), CMonitor::kMaxLines);
}

TEST(MonitorCaptureTest, RingResetRestartsCaptureAtTheBufferStart)
{
    LinkRig rig;
    rig.OpenPlain();
    rig.port.SetCapture(1);
    rig.device.Feed("abc");
    rig.port.Receive();
    rig.port.ResetRing();
    EXPECT_EQ(rig.port.CapturePosition(), 0);
    rig.device.Feed("de\r");
    rig.port.Receive();
    EXPECT_EQ(rig.port.Lines().front(), "abcde");
}

} // namespace
