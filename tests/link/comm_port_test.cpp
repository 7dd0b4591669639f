#include <gtest/gtest.h>

#include "link/receive_ring.h"
#include "link_test_util.h"

namespace {

TEST(CommPortTest, OpensNumberedPortsByComName)
{
    LinkRig rig;
    rig.device.missingDevices.insert("COM1");
    EXPECT_EQ(rig.port.Open(0), 0);
    EXPECT_EQ(rig.device.calls.back(), "Open COM1");
    EXPECT_EQ(rig.port.PortIndex(), -1);

    EXPECT_EQ(rig.port.Open(9), 1);
    EXPECT_EQ(rig.device.openName, "COM10");
    EXPECT_EQ(rig.port.PortIndex(), 9);
}

TEST(CommPortTest, OpenAppliesDefaultsWithTheCurrentRateAndFullBuffers)
{
    LinkRig rig;
    rig.port.SetBaudRate(19200); // while closed: only remembered
    ASSERT_EQ(rig.port.Open(2, "/dev/ttyS1"), 1);
    EXPECT_EQ(rig.device.lineSettings.baudRate, 19200);
    EXPECT_EQ(rig.device.lineSettings.dataBits, 8);
    EXPECT_EQ(rig.device.lineSettings.stopBitsCode, 0);
    EXPECT_FALSE(rig.device.lineSettings.parity);
    EXPECT_FALSE(rig.device.lineSettings.flowControl);
    EXPECT_EQ(rig.device.CountCalls("Buffers 4096 4096"), 1);
    EXPECT_EQ(rig.port.PortIndex(), 2);
    EXPECT_EQ(rig.port.PortName(), "/dev/ttyS1");
}

TEST(CommPortTest, AFailedConfigurationLeavesThePortClosed)
{
    for (bool failSettings : {true, false}) {
        LinkRig rig;
        rig.device.failApplySettings = failSettings;
        rig.device.failBufferSizes = !failSettings;
        EXPECT_EQ(rig.port.Open(0, "/dev/ttyS0"), 0);
        EXPECT_FALSE(rig.device.IsOpen());
        EXPECT_EQ(rig.port.PortIndex(), -1);
    }
}

TEST(CommPortTest, CloseThatTheDeviceRefusesKeepsThePortOpen)
{
    LinkRig rig;
    rig.OpenPlain();
    rig.device.failClose = true;
    EXPECT_EQ(rig.port.Close(), 0);
    EXPECT_TRUE(rig.port.IsOpen());
    rig.device.failClose = false;
    EXPECT_EQ(rig.port.Close(), 1);
    EXPECT_EQ(rig.port.Close(), 1);
    EXPECT_EQ(rig.port.PortIndex(), -1);
}

TEST(CommPortTest, AcceptsExactlyTheFourteenRates)
{
    const int32_t valid[] = {300,   600,   1200,  2400,   9600,   14400,  19200,
                             38400, 56000, 57600, 115200, 128000, 230400, 256000};
    const int32_t invalid[] = {0, 110, 4800, 28800, 76800, 250000, 921600, -9600};
    for (int32_t rate : valid) {
        EXPECT_TRUE(CCommPort::IsValidRate(rate)) << rate;
    }
    for (int32_t rate : invalid) {
        EXPECT_FALSE(CCommPort::IsValidRate(rate)) << rate;
    }
}

TEST(CommPortTest, InvalidRateIsReportedAndChangesNothing)
{
    LinkRig rig;
    rig.OpenPlain(19200);
    rig.port.SetBaudRate(4800);
    ASSERT_EQ(rig.sink.messages.size(), 1u);
    EXPECT_EQ(rig.sink.messages[0], "Invalid communication rate");
    EXPECT_EQ(rig.port.BaudRate(), 19200);
    EXPECT_TRUE(rig.device.calls.empty());
}

TEST(CommPortTest, SameRateDoesNothingAndANewRateKeepsTheModemLines)
{
    LinkRig rig;
    rig.OpenPlain(9600);
    rig.port.SetRts();
    rig.port.ClearDtr();
    rig.device.calls.clear();
    rig.port.SetBaudRate(9600);
    EXPECT_TRUE(rig.device.calls.empty());

    rig.port.SetBaudRate(57600);
    EXPECT_EQ(rig.device.calls, (std::vector<std::string>{"Settings 57600 0", "Rts 1", "Dtr 0"}));
    EXPECT_EQ(rig.port.RtsState(), 1);
    EXPECT_EQ(rig.port.DtrState(), 0);
    EXPECT_EQ(rig.port.BaudRate(), 57600);
}

TEST(CommPortTest, RefusedStopBitsKeepTheLineAsItWas)
{
    LinkRig rig;
    rig.OpenPlain();
    EXPECT_EQ(rig.port.SetStopBits(1), 0); // one and a half with 8 data bits
    EXPECT_EQ(rig.port.LineSettings().stopBitsCode, 0);
    EXPECT_EQ(rig.port.SetStopBits(2), 1);
    EXPECT_EQ(rig.device.lineSettings.stopBitsCode, 2);
    // Reopening applies the defaults again.
    rig.port.Open(0, "/dev/ttyS0");
    EXPECT_EQ(rig.device.lineSettings.stopBitsCode, 0);
}

TEST(CommPortTest, ModemLinesTheDeviceLacksAreNotAnError)
{
    LinkRig rig;
    rig.device.refuseModemLines = true;
    rig.OpenPlain();
    rig.port.SetRts();
    rig.port.SetDtr();
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_EQ(rig.port.RtsState(), 1);
    EXPECT_EQ(rig.port.DtrState(), 1);
    EXPECT_TRUE(rig.sink.messages.empty());
}

struct WriteCase
{
    int32_t rate;
    int count;
    int expectedWrites;
    uint32_t expectedDelayMs;
};

TEST(CommPortTest, BlockWritesUpTo9600AndByteWritesAbove)
{
    const WriteCase cases[] = {
        {9600, 13, 1, 0}, {2400, 2, 1, 0},   {19200, 13, 13, 13},
        {9600, 1, 1, 1},  {115200, 1, 1, 1}, {256000, 24, 24, 24},
    };
    for (const WriteCase& c : cases) {
        LinkRig rig;
        rig.OpenPlain(c.rate);
        std::vector<uint8_t> data(static_cast<size_t>(c.count), 0x55);
        uint32_t before = rig.clock.TickMs();
        EXPECT_EQ(rig.port.Write(data.data(), c.count), c.count);
        EXPECT_EQ(static_cast<int>(rig.device.writes.size()), c.expectedWrites) << c.rate;
        EXPECT_EQ(rig.device.WrittenText(), std::string(static_cast<size_t>(c.count), 'U'));
        EXPECT_EQ(rig.clock.TickMs() - before, c.expectedDelayMs) << c.rate << " " << c.count;
    }
}

TEST(CommPortTest, WritesNothingWhileClosed)
{
    LinkRig rig;
    EXPECT_EQ(rig.port.Write(":00000001FF\r\n"), 0);
    EXPECT_TRUE(rig.device.writes.empty());
}

TEST(CommPortTest, BridgeFlagAndPolarityFollowTheOpenedDevice)
{
    LinkRig rig;
    rig.catalog.AddPort("/dev/ttyUSB0", "ADuC84x Loader", kSiliconLabsVendor, kCp210xProduct);

    ASSERT_EQ(rig.port.Open(0, "/dev/ttyUSB0"), 1);
    EXPECT_TRUE(rig.port.IsBridge());
    EXPECT_EQ(rig.port.ResetPolarity(), 1);
    rig.port.AssertReset();
    EXPECT_TRUE(rig.device.dtr);
    rig.port.ReleaseReset();
    EXPECT_FALSE(rig.device.dtr);

    ASSERT_EQ(rig.port.Open(0, "/dev/ttyS0"), 1);
    EXPECT_FALSE(rig.port.IsBridge());
    EXPECT_EQ(rig.port.ResetPolarity(), 2);
    rig.port.AssertReset();
    EXPECT_FALSE(rig.device.dtr);
    rig.port.ReleaseReset();
    EXPECT_TRUE(rig.device.dtr);
}

TEST(CommPortTest, DiscoveryListsOnlyBoardBridgesAtEveryOpen)
{
    LinkRig rig;
    rig.catalog.AddPort("COM3", "ADUC84X LOADER", kSiliconLabsVendor, kCp210xProduct);
    rig.catalog.AddPort("/dev/ttyUSB1", "ADuC84x Loader", kSiliconLabsVendor, 0xEA61);
    rig.catalog.AddPort("/dev/ttyUSB2", "ADuC84x Loader ", kSiliconLabsVendor, kCp210xProduct);
    rig.catalog.AddPort("/dev/ttyUSB3", "ADuC84x Loader", 0x0403, kCp210xProduct);
    ASSERT_EQ(rig.port.Open(0, "/dev/ttyS0"), 1);
    ASSERT_EQ(rig.port.Bridges().size(), 1u);
    const CP2101Type& bridge = rig.port.Bridges()[0];
    EXPECT_EQ(bridge.VendorId, "10c4");
    EXPECT_EQ(bridge.ProductId, "ea60");
    EXPECT_EQ(bridge.PortName, "COM3");
    EXPECT_EQ(bridge.PortNumber, 3);

    rig.catalog.ports.erase(rig.catalog.ports.begin() + 2); // COM3 unplugged
    ASSERT_EQ(rig.port.Open(2, "COM3"), 1);
    EXPECT_TRUE(rig.port.Bridges().empty());
    EXPECT_FALSE(rig.port.IsBridge());
}

TEST(CommPortTest, AVanishedDeviceIsClosedAndReported)
{
    LinkRig rig;
    rig.OpenPlain();
    rig.device.Feed("abc");
    rig.device.pendingErrors = kLineErrorVanished;
    EXPECT_EQ(rig.port.Receive(), 0);
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_FALSE(rig.device.IsOpen());
    ASSERT_EQ(rig.sink.messages.size(), 1u);
    EXPECT_EQ(rig.sink.severities[0], IMessageSink::Severity::kError);
    EXPECT_NE(rig.port.LineErrors() & kLineErrorVanished, 0u);
    EXPECT_EQ(rig.port.Receive(), 0);
    EXPECT_EQ(rig.sink.messages.size(), 1u);
}

// ---- the receive ring ----

TEST(ReceiveRingTest, ReceiveIsBoundedByTheFreeSpaceAndDropsWhenFull)
{
    LinkRig rig;
    rig.OpenPlain();
    rig.device.Feed(std::string(5000, 'a'));
    EXPECT_EQ(rig.port.Receive(), CReceiveRing::kSize - 1);
    EXPECT_EQ(rig.port.Available(), 4095);
    EXPECT_EQ(rig.device.input.size(), 5000u - 4095u);

    // Full: the unread content goes before anything more is read.
    rig.device.input.clear();
    rig.device.Feed("new");
    EXPECT_EQ(rig.port.Receive(), 3);
    EXPECT_EQ(rig.port.Available(), 3);
    uint8_t out[8] = {};
    EXPECT_EQ(rig.port.ReadRing(out, 8), 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 3), "new");
    EXPECT_TRUE(rig.port.IsRingEmpty());
}

TEST(ReceiveRingTest, FreeSpaceAndAvailableAcrossTheWrap)
{
    CReceiveRing ring;
    std::vector<uint8_t> block(4000, 'x');
    ring.Append(block.data(), 4000);
    std::vector<uint8_t> sink(4000);
    ring.Read(sink.data(), 3990);
    EXPECT_EQ(ring.Available(), 10);
    EXPECT_EQ(ring.FreeSpace(), 4085);
    std::vector<uint8_t> more(200, 'y');
    ring.Append(more.data(), 200); // wraps: write index ends before read index
    EXPECT_LT(ring.WriteIndex(), ring.ReadIndex());
    EXPECT_EQ(ring.Available(), 210);
    EXPECT_EQ(ring.FreeSpace(), 4095 - 210);
    EXPECT_EQ(ring.Read(sink.data(), 1000), 210);
    EXPECT_EQ(std::string(sink.begin(), sink.begin() + 12), "xxxxxxxxxxyy");
}

TEST(ReceiveRingTest, ExtractsAFrameThatWrapsInOrder)
{
    CReceiveRing ring;
    std::vector<uint8_t> filler(4090, '-');
    ring.Append(filler.data(), 4090);
    ring.Read(filler.data(), 4088); // two filler bytes stay unread before the frame
    std::string frame = ":0300300002337A1E\n";
    ring.Append(reinterpret_cast<const uint8_t*>(frame.data()), static_cast<int>(frame.size()));
    ring.Append(reinterpret_cast<const uint8_t*>("tail"), 4);

    bool startFound = false;
    bool endFound = false;
    int start = -1;
    ring.FindFrame(':', '\n', startFound, endFound, start);
    ASSERT_TRUE(startFound && endFound);
    EXPECT_EQ(start, 4090);
    uint8_t out[64] = {};
    int n = ring.ExtractFrame(out, start, 64);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), static_cast<size_t>(n)), frame);
    EXPECT_EQ(ring.ReadIndex(), CReceiveRing::Wrap(4090 + static_cast<int>(frame.size())));
    EXPECT_EQ(ring.Available(), 4);
}

TEST(ReceiveRingTest, ExtractStopsAtMaxWithoutTheEndByte)
{
    CReceiveRing ring;
    std::string text = "junk:ABCDEF\n";
    ring.Append(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int>(text.size()));
    bool s = false;
    bool e = false;
    int start = 0;
    ring.FindFrame(':', '\n', s, e, start);
    uint8_t out[16] = {};
    EXPECT_EQ(ring.ExtractFrame(out, start, 7), 7);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 7), ":ABCDEF");
    EXPECT_EQ(ring.Available(), 1);             // the line feed stays, the junk is gone
    EXPECT_EQ(ring.ExtractFrame(out, 3, 7), 0); // not the recorded start byte
}

TEST(ReceiveRingTest, ExtractNeverCopiesStaleBytesPastTheWriteIndex)
{
    CReceiveRing ring;
    std::string old = "stale stale stale\n";
    ring.Append(reinterpret_cast<const uint8_t*>(old.data()), static_cast<int>(old.size()));
    ring.Drop(); // indexes back to 0, the old bytes still in the buffer
    ring.Append(reinterpret_cast<const uint8_t*>(":12"), 3);
    bool s = false;
    bool e = false;
    int start = 0;
    ring.FindFrame(':', '\n', s, e, start);
    EXPECT_TRUE(s);
    EXPECT_FALSE(e);
    uint8_t out[64] = {};
    EXPECT_EQ(ring.ExtractFrame(out, start, 64), 3);
    EXPECT_TRUE(ring.IsEmpty());
}

TEST(ReceiveRingTest, ResetZeroesTheBuffer)
{
    CReceiveRing ring;
    ring.Append(reinterpret_cast<const uint8_t*>("abc"), 3);
    ring.Reset();
    EXPECT_TRUE(ring.IsEmpty());
    EXPECT_EQ(ring.At(0), 0);
    EXPECT_EQ(ring.At(2), 0);
}

} // namespace
