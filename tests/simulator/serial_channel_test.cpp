#include <gtest/gtest.h>

#include "simulator/processor_state.h"
#include "simulator/serial_channel.h"

namespace {

constexpr uint8_t kScon = 0x98;
constexpr uint8_t kPcon = 0x87;
constexpr uint8_t kTcon = 0x88;
constexpr uint8_t kTmod = 0x89;
constexpr uint8_t kTh1 = 0x8D;
constexpr uint8_t kT2con = 0xC8;
constexpr uint8_t kRcap2l = 0xCA;
constexpr uint8_t kRcap2h = 0xCB;

struct FrameCase
{
    const char* name;
    uint8_t scon, pcon, tmod, tcon, th1, t2con, rcap2h, rcap2l;
    uint32_t cycles;
};

} // namespace

TEST(SerialChannelTest, FrameTimeFollowsModeAndBaudSource)
{
    const FrameCase cases[] = {
        {"mode 1, timer 1 reload FDh", 0x50, 0, 0x20, 0x40, 0xFD, 0, 0, 0, 960},
        {"SMOD doubles the rate", 0x50, 0x80, 0x20, 0x40, 0xFD, 0, 0, 0, 480},
        {"mode 3 has eleven bits", 0xD0, 0, 0x20, 0x40, 0xFD, 0, 0, 0, 1056},
        {"mode 0 shifts a bit a cycle", 0x10, 0, 0, 0, 0, 0, 0, 0, 8},
        {"mode 2 at a 64th of the clock", 0x90, 0, 0, 0, 0, 0, 0, 0, 59},
        {"mode 2 with SMOD", 0x90, 0x80, 0, 0, 0, 0, 0, 0, 30},
        {"timer 1 stopped", 0x50, 0, 0x20, 0x00, 0xFD, 0, 0, 0, 0},
        {"timer 1 counting pulses", 0x50, 0, 0x60, 0x40, 0xFD, 0, 0, 0, 0},
        {"timer 2 as the receive clock", 0x50, 0, 0, 0, 0, 0x24, 0xFF, 0xDC, 960},
        {"timer 2 stopped", 0x50, 0, 0x20, 0x40, 0xFD, 0x20, 0xFF, 0xDC, 0},
    };
    for (const FrameCase& c : cases) {
        ProcessorState state;
        auto& d = state.DirectSpace;
        d[kScon] = c.scon;
        d[kPcon] = c.pcon;
        d[kTmod] = c.tmod;
        d[kTcon] = c.tcon;
        d[kTh1] = c.th1;
        d[kT2con] = c.t2con;
        d[kRcap2h] = c.rcap2h;
        d[kRcap2l] = c.rcap2l;
        EXPECT_EQ(SerialFrameCycles(d), c.cycles) << c.name;
    }
}

// The processor is asked to drive the receiver only while bytes wait.
TEST(SerialChannelTest, SaysWhenBytesWait)
{
    CSerialChannel channel;
    std::vector<bool> calls;
    channel.SetWaitingChanged([&](bool waiting) { calls.push_back(waiting); });
    channel.Feed("");
    channel.Feed("ab");
    channel.Feed("c");
    channel.ClearReceive();
    EXPECT_EQ(calls, (std::vector<bool>{false, true, false}));
}

TEST(SerialChannelTest, KeepsABoundedTail)
{
    CSerialChannel channel;
    const size_t total = CSerialChannel::kTransmitKept + 10;
    for (size_t i = 0; i < total; ++i) {
        channel.Transmitted(static_cast<uint8_t>(i));
    }
    EXPECT_EQ(channel.TransmittedCount(), total);
    EXPECT_EQ(channel.FirstKept(), CSerialChannel::kTransmitKept / 2);
    EXPECT_EQ(channel.TransmittedAt(total - 1), static_cast<uint8_t>(total - 1));
    channel.ClearTransmitted();
    EXPECT_EQ(channel.TransmittedCount(), 0u);
    std::string big(CSerialChannel::kReceiveLimit + 5, 'z');
    EXPECT_EQ(channel.Feed(big), CSerialChannel::kReceiveLimit);
}
