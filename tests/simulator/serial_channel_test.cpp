#include <gtest/gtest.h>

#include "simulator/processor_state.h"
#include "simulator/serial_channel.h"

namespace {

constexpr uint8_t kScon = 0x98;
constexpr uint8_t kSbuf = 0x99;
constexpr uint8_t kPcon = 0x87;
constexpr uint8_t kTcon = 0x88;
constexpr uint8_t kTmod = 0x89;
constexpr uint8_t kTh1 = 0x8D;
constexpr uint8_t kT2con = 0xC8;
constexpr uint8_t kRcap2l = 0xCA;
constexpr uint8_t kRcap2h = 0xCB;

// Mode 1 with the receiver on, timer 1 reloading from FDh: 9600 baud at
// 11.0592 MHz, a frame of 10 bits x 32 x 3 machine cycles.
ProcessorState Mode1At9600()
{
    ProcessorState state;
    state.DirectSpace[kScon] = 0x50;
    state.DirectSpace[kTmod] = 0x20;
    state.DirectSpace[kTh1] = 0xFD;
    state.DirectSpace[kTcon] = 0x40;
    return state;
}

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

// A byte reaches SBUF a frame after the receiver is free, one at a time:
// the next waits until the program has cleared RI.
TEST(SerialChannelTest, DeliversOneByteAFrameWhileRiIsClear)
{
    CSerialChannel channel;
    ProcessorState state = Mode1At9600();
    EXPECT_EQ(channel.Feed("AB"), 2u);
    EXPECT_FALSE(channel.AdvanceReceiver(state, 2)); // the frame starts
    int cycles = 0;
    while (!channel.AdvanceReceiver(state, 2)) {
        cycles += 2;
        ASSERT_LT(cycles, 2000);
    }
    EXPECT_EQ(cycles + 2, 960);
    EXPECT_EQ(state.DirectSpace[kSbuf], 'A');
    EXPECT_EQ(state.DirectSpace[kScon] & 0x05, 0x05); // RI and the stop bit in RB8
    for (int i = 0; i < 2000; ++i) {
        EXPECT_FALSE(channel.AdvanceReceiver(state, 2));
    }
    state.DirectSpace[kScon] &= ~0x01;
    for (cycles = 0; !channel.AdvanceReceiver(state, 1); ++cycles) {
        ASSERT_LT(cycles, 2000);
    }
    EXPECT_EQ(state.DirectSpace[kSbuf], 'B');
    EXPECT_EQ(channel.Pending(), 0u);
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
