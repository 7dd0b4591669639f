#include <gtest/gtest.h>

#include "download_test_util.h"
#include "link/download_format.h"

namespace {

using Role = CScriptedBoard::Role;
using Reply = CScriptedBoard::Reply;

constexpr uint32_t kMinute = 60000;

std::map<uint32_t, uint8_t> ImageOf(const CCodeMemory& code, uint32_t from, uint32_t to)
{
    std::map<uint32_t, uint8_t> image;
    for (uint32_t a = from; a < to; ++a) {
        image[a] = code.ReadCodeByte(a);
    }
    return image;
}

TEST(HexFormatTest, RecordsCarryCountAddressDataAndChecksum)
{
    const uint8_t data[] = {0x02, 0x00, 0x30};
    EXPECT_EQ(FormatHexRecord(0x0000, data, 3), ":03000000020030CB\r\n");
    EXPECT_EQ(FormatHexRecord(0x000A, nullptr, 0), ":00000A00F6\r\n");
    // The empty record after an image that ends at FFFFh keeps four digits.
    EXPECT_EQ(FormatHexRecord(0x10000, nullptr, 0), ":0000000000\r\n");
    std::vector<uint8_t> full(64, 0xFF);
    EXPECT_EQ(FormatHexRecord(0x1FC0, full.data(), 64).size(), 2u * 64 + 13);
}

TEST(HexFormatTest, AducPacketsSumToZeroFromTheCountOn)
{
    EXPECT_EQ(AducPacket('C', {}), (std::vector<uint8_t>{0x07, 0x0E, 0x01, 0x43, 0xBC}));
    EXPECT_EQ(AducPacket('U', {0, 0, 0}),
              (std::vector<uint8_t>{0x07, 0x0E, 0x04, 0x55, 0x00, 0x00, 0x00, 0xA7}));
    CCodeMemory code;
    Assemble(code, 0x1230, Pattern(16, 3));
    std::vector<uint8_t> packet = AducDataPacket(code, 0x1230, 16);
    ASSERT_EQ(packet.size(), 24u);
    EXPECT_EQ(packet[2], 20);
    EXPECT_EQ(packet[3], 'W');
    EXPECT_EQ(packet[5], 0x12);
    EXPECT_EQ(packet[6], 0x30);
    unsigned sum = 0;
    for (size_t i = 2; i < packet.size(); ++i) {
        sum += packet[i];
    }
    EXPECT_EQ(sum & 0xFF, 0u);
}

TEST(HexFormatTest, FirstBlockIsTheFirstHoldingAssembledCode)
{
    CCodeMemory code;
    EXPECT_EQ(FirstBlockAddress(code, 64), 0); // nothing assembled
    Assemble(code, 0x1000, Pattern(5, 1));
    EXPECT_EQ(FirstBlockAddress(code, 64), 0x1000);
    EXPECT_EQ(FirstBlockAddress(code, 16), 0x1000);
    Assemble(code, 0x0FF0, {0xAA});
    EXPECT_EQ(FirstBlockAddress(code, 128), 0x0F80);
    // A byte stored without a line (a first-pass guess) does not count.
    CCodeMemory guesses;
    guesses.StoreCode(0x20, 0x12, 3, 0, 1, true);
    EXPECT_EQ(FirstBlockAddress(guesses, 16), 0x30);
}

TEST(AducIdentTest, ChipAndRevisionDecideTheAnswer)
{
    struct Case
    {
        const char* text;
        AducIdentResult result;
    };
    const Case cases[] = {
        {"ADI841  V210", AducIdentResult::kIncomplete}, // no carriage return yet
        {"hello\r", AducIdentResult::kNoIdent},
        {"ADI999 V210\r", AducIdentResult::kUnknownChip},
        {"ADI 99999999999999999999\r", AducIdentResult::kUnknownChip},
        {"ADI841\r", AducIdentResult::kNoRevision},
        {"ADI832 V199\r", AducIdentResult::kOldRevision},
        {"ADI832 V 200\r", AducIdentResult::kOk},
        {"xxADI   848 -V3000\r\n", AducIdentResult::kOk},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseAducIdent(c.text).result, c.result) << c.text;
    }
}

TEST(DownloadTest, TenByteImageWithSectorSize64)
{
    DownloadRig rig(Role::kHexLoader);
    Assemble(rig.code, 0, Pattern(10, 0x40));
    ASSERT_TRUE(rig.Start(kLoaderConstantEa, 64));
    rig.RunFor(kMinute);
    ASSERT_TRUE(rig.session.IsFinished());

    auto records = rig.RecordWrites();
    ASSERT_EQ(records.size(), 3u);
    std::vector<uint8_t> data = Pattern(10, 0x40);
    EXPECT_EQ(records[0].text, FormatHexRecord(0, data.data(), 10));
    EXPECT_EQ(records[1].text, ":00000A00F6\r\n");
    EXPECT_EQ(records[2].text, ":00000001FF\r\n");
    // The end-of-file record follows 500 ms without an answer.
    EXPECT_GT(records[2].time - records[1].time, 500u);
    EXPECT_LE(records[2].time - records[1].time, 510u);
    EXPECT_EQ(rig.board.image, ImageOf(rig.code, 0, 10));
    EXPECT_EQ(rig.board.endOfFileRecords, 1);
    EXPECT_EQ(rig.session.Progress(), "Sending bytes at address: 9");
    EXPECT_EQ(rig.session.Status().rfind("Download time ", 0), 0u);
}

TEST(DownloadTest, AnAcknowledgedEmptyRecordStillEndsTheTransfer)
{
    DownloadRig rig(Role::kHexLoader);
    rig.board.ackEmptyRecords = true;
    Assemble(rig.code, 0, Pattern(70, 1));
    ASSERT_TRUE(rig.Start(kLoaderPulsedEa, 64));
    rig.RunFor(kMinute);
    EXPECT_TRUE(rig.session.IsFinished());
    EXPECT_EQ(rig.board.endOfFileRecords, 1);
    EXPECT_EQ(rig.board.records.size(), 4u); // 64 bytes, 6 bytes, empty, end of file
}

// A record's count is one byte; a sector size of 0 would never advance.
TEST(DownloadTest, SectorSizesOutsideARecordStillSendTheWholeImage)
{
    for (int sectorSize : {0, -64, 255, 256, 1000}) {
        DownloadRig rig(Role::kHexLoader);
        Assemble(rig.code, 0, Pattern(600, 3));
        ASSERT_TRUE(rig.Start(kLoaderConstantEa, sectorSize));
        rig.RunFor(kMinute);
        ASSERT_TRUE(rig.session.IsFinished()) << sectorSize;
        EXPECT_EQ(rig.board.image, ImageOf(rig.code, 0, 600)) << sectorSize;
        for (const auto& record : rig.RecordWrites()) {
            ASSERT_LE(record.text.size(), 2u * (5 + 255) + 3) << sectorSize;
        }
    }
}

TEST(DownloadTest, CodeOnlyFrom1000hStartsThere)
{
    for (int loader : {kLoaderConstantEa, kLoaderAduc}) {
        DownloadRig rig(loader == kLoaderAduc ? Role::kAducLoader : Role::kHexLoader);
        Assemble(rig.code, 0x1000, Pattern(40, 9));
        ASSERT_TRUE(rig.Start(loader, 128));
        rig.RunFor(kMinute);
        ASSERT_TRUE(rig.session.IsFinished()) << loader;
        ASSERT_FALSE(rig.board.image.empty());
        EXPECT_EQ(rig.board.image.begin()->first, 0x1000u) << loader;
        for (uint32_t a = 0x1000; a < 0x1000 + 40; ++a) {
            EXPECT_EQ(rig.board.image[a], rig.code.ReadCodeByte(a));
        }
    }
}

TEST(DownloadTest, AcknowledgementAndFailureReplies)
{
    DownloadRig rig(Role::kHexLoader);
    Assemble(rig.code, 0, Pattern(100, 5));
    rig.board.replies = {Reply::kAccept, Reply::kRefuse};
    ASSERT_TRUE(rig.Start(kLoaderPulsedEa, 64));
    rig.RunUntil([&] { return rig.session.FailCount() > 0; }, kMinute);
    EXPECT_EQ(rig.session.Status(), "Fail Count: 1, :1\r\n");
    EXPECT_EQ(rig.session.ReceivedText(), ":1\r\n");
    // The refusal stays in the buffer for the rest of the second; it counts once.
    rig.RunUntil([&] { return rig.session.RetryCount() > 0; }, kMinute);
    EXPECT_EQ(rig.session.FailCount(), 1);
    EXPECT_EQ(rig.session.Status(), "Retry Count: 1");
    rig.RunFor(kMinute);
    EXPECT_TRUE(rig.session.IsFinished());
    EXPECT_EQ(rig.board.image, ImageOf(rig.code, 0, 100));
}

TEST(DownloadTest, FourSilentSecondsResendThreeTimesThenReopenAndReset)
{
    DownloadRig rig(Role::kHexLoader);
    Assemble(rig.code, 0, Pattern(64, 2));
    rig.board.replies = {Reply::kSilent, Reply::kSilent, Reply::kSilent, Reply::kSilent};
    ASSERT_TRUE(rig.Start(kLoaderConstantEa, 64));
    rig.RunUntil([&] { return rig.session.RetryCount() == 4; }, kMinute);
    auto records = rig.RecordWrites();
    ASSERT_EQ(records.size(), 4u); // the record and three resends
    for (size_t i = 1; i < records.size(); ++i) {
        EXPECT_EQ(records[i].text, records[0].text);
        EXPECT_GT(records[i].time - records[i - 1].time, 1000u);
        EXPECT_LE(records[i].time - records[i - 1].time, 1010u);
    }
    // The fourth retry reopens the port and holds the board in reset.
    EXPECT_EQ(rig.device.openCount, 3); // the rig, Begin, the retry
    EXPECT_EQ(rig.device.lineSettings.stopBitsCode, 2);
    EXPECT_EQ(rig.session.Step(), 1);
    EXPECT_FALSE(rig.device.dtr); // plain port: reset asserted by a low DTR

    rig.RunFor(kMinute);
    ASSERT_TRUE(rig.session.IsFinished());
    records = rig.RecordWrites();
    ASSERT_GE(records.size(), 5u);
    EXPECT_EQ(records[4].text, records[0].text);
    // The loader got its full start-up again: reset, select, 4 s, 500 ms.
    EXPECT_GT(records[4].time - records[3].time, 1000u + 250 + 250 + 4000 + 500);
    EXPECT_EQ(rig.board.image, ImageOf(rig.code, 0, 64));
}

TEST(DownloadTest, RetryWhoseReopenFailsStopsTheTransfer)
{
    DownloadRig rig(Role::kHexLoader);
    Assemble(rig.code, 0, Pattern(8, 2));
    rig.board.replies.assign(8, Reply::kSilent);
    ASSERT_TRUE(rig.Start(kLoaderOnce, 64));
    rig.RunUntil([&] { return rig.session.RetryCount() == 3; }, kMinute);
    rig.device.missingDevices.insert("/dev/ttyS0");
    rig.RunFor(kMinute);
    EXPECT_FALSE(rig.session.IsRunning());
    EXPECT_FALSE(rig.session.IsFinished());
    ASSERT_EQ(rig.sink.messages.size(), 1u);
    EXPECT_EQ(rig.sink.messages[0], "Unable to open specified communications port.");
}

struct RtsCase
{
    int loader;
    bool rtsDuringRecords;
    bool waitsFourSeconds;
};

TEST(DownloadTest, RtsAndStartUpPerLoaderType)
{
    const RtsCase cases[] = {
        {kLoaderConstantEa, true, true},
        {kLoaderPulsedEa, false, true},
        {kLoaderOnce, false, false},
    };
    for (const RtsCase& c : cases) {
        DownloadRig rig(Role::kHexLoader);
        Assemble(rig.code, 0, Pattern(200, 4));
        uint32_t begin = rig.clock.TickMs();
        ASSERT_TRUE(rig.Start(c.loader, 64));
        rig.RunFor(kMinute);
        ASSERT_TRUE(rig.session.IsFinished());
        auto records = rig.RecordWrites();
        ASSERT_EQ(records.size(), 6u);
        for (const auto& record : records) {
            EXPECT_EQ(record.rts, c.rtsDuringRecords) << c.loader << record.text;
            EXPECT_TRUE(record.dtr); // out of reset while loading
        }
        uint32_t firstRecord = records[0].time - begin;
        EXPECT_EQ(firstRecord > 4000, c.waitsFourSeconds) << c.loader;
        EXPECT_GT(firstRecord, 1000u); // reset and select take their time anyway
        EXPECT_FALSE(rig.device.rts);
        EXPECT_EQ(rig.board.image, ImageOf(rig.code, 0, 200));
    }
}

TEST(DownloadTest, ProgressTextChangesOnTheFirstRecordAndEveryFourth)
{
    DownloadRig rig(Role::kHexLoader);
    Assemble(rig.code, 0, Pattern(64 * 9, 4));
    std::vector<std::string> seen;
    rig.afterWrite = [&] {
        if (seen.empty() || seen.back() != rig.session.Progress()) {
            seen.push_back(rig.session.Progress());
        }
    };
    ASSERT_TRUE(rig.Start(kLoaderOnce, 64));
    rig.RunFor(kMinute);
    // The progress text is set right after each write; it shows at the next.
    EXPECT_EQ(seen, (std::vector<std::string>{"", "Sending bytes at address: 0",
                                              "Sending bytes at address: 256",
                                              "Sending bytes at address: 512"}));
}

TEST(DownloadTest, ByteWritesAboveNineHundredAndSixtyBaud)
{
    DownloadRig rig(Role::kHexLoader, 19200);
    Assemble(rig.code, 0, Pattern(64, 4));
    ASSERT_TRUE(rig.Start(kLoaderOnce, 64));
    rig.RunFor(kMinute);
    ASSERT_TRUE(rig.session.IsFinished());
    // Byte by byte: the fake board still sees whole records.
    EXPECT_EQ(rig.board.image, ImageOf(rig.code, 0, 64));
    EXPECT_GT(rig.device.writes.size(), 141u);
}

TEST(DownloadTest, AducTransferWithRefusalsAndSilence)
{
    DownloadRig rig(Role::kAducLoader);
    Assemble(rig.code, 0, Pattern(40, 8));
    // Erase refused once, the first data packet unanswered, then all accepted.
    rig.board.replies = {Reply::kRefuse, Reply::kAccept, Reply::kSilent};
    ASSERT_TRUE(rig.Start(kLoaderAduc));
    rig.RunFor(kMinute);
    ASSERT_TRUE(rig.session.IsFinished());
    EXPECT_TRUE(rig.board.erased);
    EXPECT_TRUE(rig.board.ran);
    EXPECT_EQ(rig.board.packets, (std::vector<char>{'C', 'W', 'W', 'W', 'U'}));
    EXPECT_EQ(rig.board.packetAddresses, (std::vector<uint32_t>{0, 16, 32}));
    EXPECT_EQ(rig.board.badPackets, 0);
    // Every packet carries 16 bytes, the last one past the end too.
    EXPECT_EQ(rig.board.image, ImageOf(rig.code, 0, 48));
    EXPECT_TRUE(rig.sink.messages.empty());
}

TEST(DownloadTest, AducIdentificationFailuresCloseTheDialog)
{
    struct Case
    {
        const char* ident;
        const char* message;
    };
    const Case cases[] = {
        {"ADI999 V210\r\n", "Unknown chip identifier"},
        {"ADI841\r\n", "Unknown loader revision"},
        {"ADI841 V150\r\n", "Unsupported loader revision"},
    };
    for (const Case& c : cases) {
        DownloadRig rig(Role::kAducLoader);
        rig.board.identText = c.ident;
        Assemble(rig.code, 0, Pattern(16, 8));
        ASSERT_TRUE(rig.Start(kLoaderAduc));
        rig.RunFor(kMinute);
        EXPECT_TRUE(rig.session.IsFinished());
        EXPECT_EQ(rig.sink.messages, std::vector<std::string>{c.message});
        EXPECT_FALSE(rig.board.erased);
    }
}

TEST(DownloadTest, SilentAducLoaderIsAskedAgainFromReset)
{
    DownloadRig rig(Role::kAducLoader);
    rig.board.identText = "";
    Assemble(rig.code, 0, Pattern(16, 8));
    ASSERT_TRUE(rig.Start(kLoaderAduc));
    rig.RunFor(2000);
    EXPECT_TRUE(rig.session.IsRunning());
    // Five ticks of reset sequence plus just over 500 ms of waiting per round.
    EXPECT_GE(rig.board.identRequests, 3);
    EXPECT_LE(rig.board.identRequests, 4);
}

TEST(DownloadTest, TickDuringAMessageBoxIsSkipped)
{
    DownloadRig rig(Role::kAducLoader);
    rig.board.identText = "ADI999 V210\r\n";
    Assemble(rig.code, 0, Pattern(16, 8));
    struct ReenteringSink : IMessageSink
    {
        CDownloadSession* session = nullptr;
        CFakeTickSource* clock = nullptr;
        int shown = 0;
        void ShowMessage(const std::string&, Severity) override
        {
            ++shown;
            for (int i = 0; i < 10; ++i) {
                clock->Advance(5);
                session->Tick(); // the modal box lets timer messages through
            }
        }
    } sink;
    CDownloadSession session(rig.port, rig.code, rig.clock, sink);
    sink.session = &session;
    sink.clock = &rig.clock;
    session.SetLoaderType(kLoaderAduc);
    ASSERT_TRUE(session.Begin());
    for (int i = 0; i < 400 && session.IsRunning(); ++i) {
        rig.clock.Advance(5);
        session.Tick();
    }
    EXPECT_EQ(sink.shown, 1);
}

TEST(DownloadTest, CancelAtAnyStepDropsRtsAndReleasesReset)
{
    struct Case
    {
        int loader;
        std::vector<uint32_t> cancelTimes; // spread over the steps of each machine
    };
    const Case cases[] = {{kLoaderConstantEa, {3, 300, 600, 4700, 5400, 6000}},
                          {kLoaderAduc, {3, 10, 20, 30, 100, 600}}};
    for (const auto& [loader, cancelTimes] : cases) {
        for (uint32_t cancelAt : cancelTimes) {
            DownloadRig rig(loader == kLoaderAduc ? Role::kAducLoader : Role::kHexLoader);
            Assemble(rig.code, 0, Pattern(3000, 8));
            ASSERT_TRUE(rig.Start(loader));
            rig.RunFor(cancelAt);
            ASSERT_TRUE(rig.session.IsRunning());
            rig.session.Cancel();
            rig.session.End();
            EXPECT_FALSE(rig.device.rts) << loader << " at " << cancelAt;
            EXPECT_TRUE(rig.device.dtr) << loader << " at " << cancelAt;
            size_t writes = rig.device.writes.size();
            rig.RunFor(2000);
            rig.session.Tick();
            EXPECT_EQ(rig.device.writes.size(), writes);
            EXPECT_FALSE(rig.session.IsFinished());
        }
    }
}

TEST(DownloadTest, NoTransferWithoutAnOpenPort)
{
    DownloadRig rig(Role::kHexLoader);
    rig.port.Close();
    EXPECT_FALSE(rig.Start(kLoaderConstantEa));
    EXPECT_FALSE(rig.session.IsRunning());

    DownloadRig gone(Role::kHexLoader);
    gone.device.missingDevices.insert("/dev/ttyS0");
    EXPECT_FALSE(gone.Start(kLoaderConstantEa));
    EXPECT_FALSE(gone.port.IsOpen());
}

TEST(DownloadTest, BeginReopensAtTheSameRateAndHoldsTheBoardInReset)
{
    DownloadRig rig(Role::kHexLoader, 57600);
    ASSERT_TRUE(rig.Start(kLoaderConstantEa));
    EXPECT_EQ(rig.device.openCount, 2);
    EXPECT_EQ(rig.device.lineSettings.baudRate, 57600);
    EXPECT_FALSE(rig.device.dtr);
    EXPECT_EQ(rig.session.CurrentAddress(), 0);
    EXPECT_EQ(rig.session.EndBound(), 0);
}

} // namespace
