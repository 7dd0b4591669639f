#include <gtest/gtest.h>

#include "download_test_util.h"

// Queued writes put the same bytes on the wire with the same pace as the
// blocking writes, but leave the caller's loop running in between.

namespace {

using Role = CScriptedBoard::Role;
using Reply = CScriptedBoard::Reply;

struct QueuedRig : LinkRig
{
    std::vector<uint32_t> writeTimes;

    explicit QueuedRig(int32_t rate)
    {
        device.onWrite = [this](const std::vector<uint8_t>&) {
            writeTimes.push_back(clock.TickMs());
        };
        OpenPlain(rate);
        port.SetQueuedWrites(true);
    }

    // What a 1 ms window timer does until the queue is out.
    uint32_t PumpUntilDone(uint32_t limitMs = 10000)
    {
        uint32_t start = clock.TickMs();
        while (port.TransmitPending() && clock.TickMs() - start < limitMs) {
            clock.Advance(1);
            port.PumpTransmit();
        }
        return clock.TickMs() - start;
    }
};

TEST(QueuedWriteTest, BytesKeepTheirPaceAndBlocksGoWhole)
{
    struct Case
    {
        int32_t rate;
        int count;
        size_t writes;
        uint32_t busyMs; // how long the write stays pending
    };
    const Case cases[] = {
        {9600, 13, 1, 0}, {19200, 13, 13, 13}, {115200, 1, 1, 1}, {9600, 1, 1, 1}};
    for (const Case& c : cases) {
        QueuedRig rig(c.rate);
        const std::string text(static_cast<size_t>(c.count), 'Q');
        // Write returns at once, with the first byte (or the block) already out.
        EXPECT_EQ(rig.port.Write(text), c.count);
        EXPECT_EQ(rig.writeTimes.size(), 1u) << c.rate;
        EXPECT_EQ(rig.PumpUntilDone(), c.busyMs) << c.rate << " " << c.count;
        EXPECT_EQ(rig.device.writes.size(), c.writes);
        EXPECT_EQ(rig.device.WrittenText(), text);
        for (size_t i = 1; i < rig.writeTimes.size(); ++i) {
            EXPECT_GE(rig.writeTimes[i] - rig.writeTimes[i - 1], 1u);
        }
    }
}

TEST(QueuedWriteTest, PumpingOftenNeverSendsTwoBytesInOneMillisecond)
{
    QueuedRig rig(57600);
    rig.port.Write(":00000001FF\r\n");
    rig.port.Write("\x06");
    for (int i = 0; i < 100; ++i) {
        rig.port.PumpTransmit(); // the clock does not move: nothing more goes
    }
    EXPECT_EQ(rig.device.writes.size(), 1u);
    rig.PumpUntilDone();
    EXPECT_EQ(rig.device.WrittenText(), ":00000001FF\r\n\x06");
    EXPECT_EQ(rig.writeTimes.back() - rig.writeTimes.front(), 13u);
}

TEST(QueuedWriteTest, ABlockTheDeviceCannotSendIsDroppedAtTheWriteTimeout)
{
    QueuedRig rig(9600);
    rig.device.pendingOutput = 5; // the other end stopped reading
    rig.port.Write(":00000001FF\r\n");
    rig.port.Write("\x07");
    // 1 ms a byte plus 100 ms; then the 07h and its millisecond.
    EXPECT_EQ(rig.PumpUntilDone(), 13u + 100u + 1u);
    EXPECT_EQ(rig.device.CountCalls("PurgeOutput"), 1);
    // What came after it still goes, in order.
    EXPECT_EQ(rig.device.WrittenText(), ":00000001FF\r\n\x07");
}

TEST(QueuedWriteTest, CloseAndPurgeDropTheQueueAndSwitchingOffSendsIt)
{
    QueuedRig closing(115200);
    closing.port.Write("ABCDEF");
    closing.port.Close();
    EXPECT_FALSE(closing.port.TransmitPending());
    EXPECT_EQ(closing.device.WrittenText(), "A");

    QueuedRig purging(115200);
    purging.port.Write("ABCDEF");
    purging.port.PurgeTransmit();
    EXPECT_FALSE(purging.port.TransmitPending());

    QueuedRig off(115200);
    off.port.Write("ABCDEF");
    off.port.SetQueuedWrites(false);
    EXPECT_EQ(off.device.WrittenText(), "ABCDEF");
    EXPECT_FALSE(off.port.TransmitPending());
}

// A transfer on a port with queued writes, pumped every millisecond as the
// Download Progress dialog does, and ticked every 5 ms.
struct QueuedDownloadRig : DownloadRig
{
    using DownloadRig::DownloadRig;

    void RunQueued(uint32_t limitMs)
    {
        uint32_t until = clock.TickMs() + limitMs;
        for (int ms = 1; session.IsRunning() && static_cast<int32_t>(until - clock.TickMs()) > 0;
             ++ms) {
            clock.Advance(1);
            session.PumpTransmit();
            if (ms % 5 == 0) {
                session.Tick();
            }
        }
    }
};

TEST(QueuedWriteTest, ATransferTakesAsLongAsWithBlockingWrites)
{
    DownloadRig blocking(Role::kHexLoader, 115200);
    QueuedDownloadRig queued(Role::kHexLoader, 115200);
    queued.port.SetQueuedWrites(true);
    for (DownloadRig* rig : {&blocking, static_cast<DownloadRig*>(&queued)}) {
        Assemble(rig->code, 0, Pattern(1024, 9));
        ASSERT_TRUE(rig->Start(kLoaderOnce, 64));
    }
    blocking.RunFor(60000);
    queued.RunQueued(60000);
    ASSERT_TRUE(blocking.session.Succeeded());
    ASSERT_TRUE(queued.session.Succeeded());
    EXPECT_EQ(queued.board.image, blocking.board.image);
    EXPECT_EQ(queued.device.WrittenText(), blocking.device.WrittenText());
    // Sixteen records of 141 bytes, a millisecond each, in both.
    const uint32_t blockingMs = blocking.events.back().time - blocking.events.front().time;
    const uint32_t queuedMs = queued.events.back().time - queued.events.front().time;
    EXPECT_GE(blockingMs, 16u * 141);
    EXPECT_NEAR(static_cast<double>(queuedMs), static_cast<double>(blockingMs), 0.02 * blockingMs);
}

TEST(QueuedWriteTest, TheAcknowledgementTimeoutCountsFromTheEndOfTheRecord)
{
    QueuedDownloadRig rig(Role::kHexLoader, 115200);
    rig.port.SetQueuedWrites(true);
    Assemble(rig.code, 0, Pattern(64, 4));
    rig.board.replies = {Reply::kSilent};
    ASSERT_TRUE(rig.Start(kLoaderOnce, 64));
    rig.RunQueued(60000);
    ASSERT_TRUE(rig.session.Succeeded());
    const auto records = rig.RecordWrites(); // the first byte of each record
    ASSERT_GE(records.size(), 2u);
    // 141 paced bytes, then a second without an answer, then the resend.
    EXPECT_GE(records[1].time - records[0].time, 141u + 1000u);
    EXPECT_LE(records[1].time - records[0].time, 141u + 1000u + 10u);
    EXPECT_EQ(rig.session.RetryCount(), 0);
}

} // namespace
