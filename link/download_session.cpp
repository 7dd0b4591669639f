#include "link/download_session.h"

#include <algorithm>
#include <cstring>

#include "common/text_util.h"
#include "link/download_format.h"
#include "simulator/code_memory.h"

namespace {

constexpr uint32_t kResetSettleMs = 250;
constexpr uint32_t kLoaderStartMs = 4000;
constexpr uint32_t kRecordGapMs = 500;
constexpr uint32_t kAckTimeoutMs = 1000;
constexpr uint32_t kRunPulseMs = 50;
constexpr uint32_t kCloseDelayMs = 1000;
constexpr uint32_t kAducTimeoutMs = 500;

constexpr int kMaxRecordData = 255;
constexpr int kProgressEvery = 4;
constexpr int kReopenEvery = 4;

constexpr uint8_t kAccept = 0x06;
constexpr uint8_t kRefuse = 0x07;
constexpr uint8_t kAducHello[] = {0x21, 0x5A, 0x00, 0xA6};

// Steps of the HEX loaders' machine.
enum HexStep
{
    kHexResetPause = 1,
    kHexSelectLoader,
    kHexReleaseReset,
    kHexFirstRecord,
    kHexAwaitReply,
    kHexEndReset,
    kHexShowTime,
    kHexClose,
};

// Steps of the ADuC machine.
enum AducStep
{
    kAducAssert = 1,
    kAducRaiseRts,
    kAducRelease,
    kAducDropRts,
    kAducHelloStep,
    kAducIdent,
    kAducErase,
    kAducEraseReply,
    kAducData,
    kAducDataReply,
    kAducRun,
    kAducRunReply,
    kAducShowTime,
    kAducClose,
};

} // namespace

CDownloadSession::CDownloadSession(CMonitor& port, const CCodeMemory& code, ITickSource& clock,
                                   IMessageSink& messages)
    : port_(port), code_(code), clock_(clock), messages_(messages)
{}

bool CDownloadSession::Begin()
{
    if (!port_.IsOpen() || !ReopenPort()) {
        return false;
    }
    recordLength_ = loaderType_ == kLoaderAduc ? kAducBlockSize : sectorSize_;
    // A sector size of 0 would never advance the address, and a HEX record
    // counts its data bytes in one byte.
    recordLength_ = std::clamp(recordLength_, 1, kMaxRecordData);
    receivedCount_ = 0;
    currentAddress_ = FirstBlockAddress(code_, recordLength_);
    endBound_ = code_.HighestAddress() + 1;
    port_.AssertReset();
    startTime_ = clock_.TickMs();
    GoTo(1);
    running_ = true;
    return true;
}

bool CDownloadSession::ReopenPort()
{
    int index = port_.PortIndex();
    std::string name = port_.PortName();
    int32_t rate = port_.BaudRate();
    port_.Close();
    if (port_.Open(index, name) == 0) {
        return false;
    }
    port_.SetBaudRate(rate);
    return true;
}

void CDownloadSession::Tick()
{
    // A tick that arrives while a message box is up must not run a second step.
    if (busy_ || !running_) {
        return;
    }
    if (!port_.IsOpen()) {
        // The line went away under the transfer: nothing is left to retry on.
        running_ = false;
        return;
    }
    if (awaitingWrite_) {
        port_.PumpTransmit();
        if (port_.TransmitPending()) {
            return;
        }
        // Out now: the step's time starts here, as after a blocking write.
        awaitingWrite_ = false;
        stepTime_ = clock_.TickMs();
    }
    busy_ = true;
    if (loaderType_ == kLoaderAduc) {
        AducStep();
    } else {
        HexStep();
    }
    busy_ = false;
    awaitingWrite_ = port_.QueuedWrites() && port_.TransmitPending();
}

void CDownloadSession::End()
{
    running_ = false;
    if (ended_) {
        return;
    }
    ended_ = true;
    // A record still queued would reach the board after the transfer ended.
    if (port_.QueuedWrites()) {
        port_.PurgeTransmit();
    }
    port_.ClearRts();
    port_.ReleaseReset();
}

void CDownloadSession::GoTo(int step)
{
    step_ = step;
    stepTime_ = clock_.TickMs();
}

void CDownloadSession::Finish()
{
    running_ = false;
    finished_ = true;
}

void CDownloadSession::ClearReceived()
{
    receivedCount_ = 0;
    received_.fill(0);
}

void CDownloadSession::ReceiveIntoBuffer()
{
    port_.Receive();
    int n = std::min(port_.Available(), kReceiveBufferSize - receivedCount_);
    receivedCount_ += port_.ReadRing(received_.data() + receivedCount_, n);
    received_[static_cast<size_t>(receivedCount_)] = 0;
}

void CDownloadSession::CountProgress()
{
    if (--progressCountdown_ < 1) {
        progress_ = StrFormat("Sending bytes at address: %d", currentAddress_);
        Refresh();
        progressCountdown_ = kProgressEvery;
    }
}

void CDownloadSession::ShowCompletion()
{
    progress_ = StrFormat("Sending bytes at address: %d", code_.HighestAddress());
    status_ = StrFormat("Download time %d mS", static_cast<int>(clock_.TickMs() - startTime_));
    Refresh();
}

// ---- Intel HEX text loaders ----

void CDownloadSession::HexStep()
{
    switch (step_) {
    case kHexResetPause:
        if (Elapsed() > kResetSettleMs) {
            port_.SetRts();
            GoTo(kHexSelectLoader);
        }
        break;
    case kHexSelectLoader:
        if (Elapsed() > kResetSettleMs) {
            port_.ReleaseReset();
            GoTo(kHexReleaseReset);
        }
        break;
    case kHexReleaseReset:
        if (loaderType_ == kLoaderOnce || Elapsed() > kLoaderStartMs) {
            // Constant EA keeps the loader selected through the whole transfer.
            if (loaderType_ != kLoaderConstantEa) {
                port_.ClearRts();
            }
            GoTo(kHexFirstRecord);
        }
        break;
    case kHexFirstRecord:
        if (Elapsed() > kRecordGapMs) {
            endBound_ = code_.HighestAddress() + 1;
            HexSendRecord();
            GoTo(kHexAwaitReply);
        }
        break;
    case kHexAwaitReply:
        HexAwaitReply();
        break;
    case kHexEndReset:
        if (Elapsed() > kRecordGapMs) {
            port_.AssertReset();
            GoTo(kHexShowTime);
        }
        break;
    case kHexShowTime:
        if (Elapsed() > kRunPulseMs) {
            port_.ClearRts();
            ShowCompletion();
            GoTo(kHexClose);
        }
        break;
    case kHexClose:
        if (Elapsed() > kCloseDelayMs) {
            succeeded_ = true;
            Finish();
        }
        break;
    default:
        break;
    }
}

void CDownloadSession::HexSendRecord()
{
    port_.ResetRing();
    port_.PurgeReceive();
    port_.PurgeTransmit();
    ClearReceived();
    countedFailAt_ = -1;
    int n = std::clamp(endBound_ - currentAddress_, 0, recordLength_);
    std::array<uint8_t, 256> data{};
    n = std::min(n, static_cast<int>(data.size()));
    for (int i = 0; i < n; ++i) {
        data[static_cast<size_t>(i)] =
            code_.ReadCodeByte(static_cast<uint32_t>(currentAddress_ + i));
    }
    lastRecordCount_ = n;
    port_.Write(FormatHexRecord(static_cast<uint32_t>(currentAddress_), data.data(), n));
    CountProgress();
}

void CDownloadSession::HexAwaitReply()
{
    if (currentAddress_ >= endBound_ && Elapsed() > kRecordGapMs) {
        port_.Write(kEndOfFileRecord);
        GoTo(kHexEndReset);
        return;
    }
    ReceiveIntoBuffer();
    if (receivedCount_ > 0) {
        receivedText_ = reinterpret_cast<const char*>(received_.data());
        Refresh();
    }
    // The reply is the last record-like text, ignoring a trailing CR LF.
    int colon = 0;
    for (int i = receivedCount_ - 3; i >= 0; --i) {
        if (received_[static_cast<size_t>(i)] == ':') {
            colon = i;
            break;
        }
    }
    const uint8_t* reply = received_.data() + colon;
    if (receivedCount_ >= 2 && reply[0] == ':' && reply[1] == '0') {
        currentAddress_ += lastRecordCount_;
        retryCount_ = 0;
        if (lastRecordCount_ == 0) {
            // The empty record at the end bound was taken: sending it again
            // would never end; the end-of-file record follows after the gap.
            ClearReceived();
            return;
        }
        HexSendRecord();
        GoTo(kHexAwaitReply);
        return;
    }
    if (reply[0] == ':' && colon + 2 < receivedCount_ && reply[2] == '\r' &&
        colon != countedFailAt_) {
        // Counted once per reply, not once per tick it stays in the buffer.
        countedFailAt_ = colon;
        ++failCount_;
        status_ = StrFormat("Fail Count: %d, %s", failCount_, reinterpret_cast<const char*>(reply));
        Refresh();
    }
    if (Elapsed() > kAckTimeoutMs) {
        HexRetry();
    }
}

void CDownloadSession::HexRetry()
{
    ++retryCount_;
    status_ = StrFormat("Retry Count: %d", retryCount_);
    receivedText_ = reinterpret_cast<const char*>(received_.data());
    Refresh();
    if (retryCount_ % kReopenEvery != 0) {
        HexSendRecord();
        GoTo(kHexAwaitReply);
        return;
    }
    // The loader may have lost its place: start it again from reset.
    if (!ReopenPort()) {
        running_ = false;
        messages_.ShowMessage(kOpenFailedMessage, IMessageSink::Severity::kError);
        return;
    }
    port_.SetStopBits(2);
    port_.AssertReset();
    GoTo(kHexResetPause);
}

// ---- ADuC8xx serial download ----

void CDownloadSession::AducStep()
{
    ReceiveIntoBuffer();
    switch (step_) {
    case kAducAssert:
        port_.AssertReset();
        GoTo(kAducRaiseRts);
        break;
    case kAducRaiseRts:
        port_.SetRts();
        GoTo(kAducRelease);
        break;
    case kAducRelease:
        port_.ReleaseReset();
        GoTo(kAducDropRts);
        break;
    case kAducDropRts:
        port_.ClearRts();
        GoTo(kAducHelloStep);
        break;
    case kAducHelloStep:
        port_.ReleaseReset();
        ClearReceived();
        port_.Write(kAducHello, sizeof kAducHello);
        GoTo(kAducIdent);
        break;
    case kAducIdent:
        AducIdentify();
        break;
    case kAducErase: {
        ClearReceived();
        std::vector<uint8_t> erase = AducPacket('C', {});
        port_.Write(erase.data(), static_cast<int>(erase.size()));
        GoTo(kAducEraseReply);
        break;
    }
    case kAducEraseReply:
        AducAwaitAnswer(kAducData, kAducErase);
        break;
    case kAducData:
        AducSendData();
        GoTo(kAducDataReply);
        break;
    case kAducDataReply:
        AducAwaitDataAnswer();
        break;
    case kAducRun: {
        ClearReceived();
        std::vector<uint8_t> run = AducPacket('U', {0x00, 0x00, 0x00});
        port_.Write(run.data(), static_cast<int>(run.size()));
        GoTo(kAducRunReply);
        break;
    }
    case kAducRunReply:
        AducAwaitAnswer(kAducShowTime, kAducRun);
        break;
    case kAducShowTime:
        if (Elapsed() > kRunPulseMs) {
            ShowCompletion();
            GoTo(kAducClose);
        }
        break;
    case kAducClose:
        if (Elapsed() > kCloseDelayMs) {
            succeeded_ = true;
            Finish();
        }
        break;
    default:
        break;
    }
}

void CDownloadSession::AducIdentify()
{
    AducIdentType ident =
        ParseAducIdent(std::string(reinterpret_cast<const char*>(received_.data())));
    const char* message = nullptr;
    switch (ident.result) {
    case AducIdentResult::kOk:
        GoTo(kAducErase);
        return;
    case AducIdentResult::kUnknownChip:
        message = kUnknownChipMessage;
        break;
    case AducIdentResult::kNoRevision:
        message = kUnknownRevisionMessage;
        break;
    case AducIdentResult::kOldRevision:
        message = kUnsupportedRevisionMessage;
        break;
    case AducIdentResult::kIncomplete:
    case AducIdentResult::kNoIdent:
        if (Elapsed() > kAducTimeoutMs) {
            GoTo(kAducAssert);
        }
        return;
    }
    // The dialog closes with OK after the message.
    Finish();
    messages_.ShowMessage(message, IMessageSink::Severity::kInformation);
}

void CDownloadSession::AducAwaitAnswer(int acceptedStep, int refusedStep)
{
    if (receivedCount_ > 0 && received_[0] == kAccept) {
        GoTo(acceptedStep);
    } else if ((receivedCount_ > 0 && received_[0] == kRefuse) || Elapsed() > kAducTimeoutMs) {
        GoTo(refusedStep);
    }
}

void CDownloadSession::AducAwaitDataAnswer()
{
    if (receivedCount_ > 0 && received_[0] == kAccept) {
        currentAddress_ += kAducBlockSize;
        GoTo(currentAddress_ < endBound_ ? kAducData : kAducRun);
    } else if ((receivedCount_ > 0 && received_[0] == kRefuse) || Elapsed() > kAducTimeoutMs) {
        GoTo(kAducData);
    }
}

void CDownloadSession::AducSendData()
{
    port_.ResetRing();
    port_.PurgeReceive();
    port_.PurgeTransmit();
    ClearReceived();
    std::vector<uint8_t> packet =
        AducDataPacket(code_, static_cast<uint32_t>(currentAddress_), kAducBlockSize);
    port_.Write(packet.data(), static_cast<int>(packet.size()));
    CountProgress();
}
