#include "link/board_monitor.h"

#include <array>
#include <cctype>

#include "common/text_util.h"
#include "link/download_format.h"

namespace {

constexpr uint32_t kRingResetQuietMs = 1000;
constexpr uint32_t kRedrawQuietMs = 500;

constexpr uint8_t kRecordStart = ':';
constexpr uint8_t kLineFeed = 0x0A;
constexpr uint8_t kAccept = 0x06;
constexpr uint8_t kRefuse = 0x07;

constexpr const char* kOnceResetRecord = ":00000003FD\r\n";

constexpr int kTypeInternalRam = 1;
constexpr int kTypeProcessorState = 4;

// Where the bytes of a processor-state record go, after the two of the PC.
constexpr std::array<uint8_t, 7> kStateRegisters = {
    0xA8, // IE
    0xE0, // ACC
    0x81, // SP
    0xD0, // PSW
    0xF0, // B
    0x82, // DPL
    0x83, // DPH
};

// Digits are not validated: the board's monitor only ever sends hex, and
// anything else reads as its upper-case code minus 55.
int HexDigit(uint8_t c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    return std::toupper(c) - 55;
}

uint8_t HexByte(const uint8_t* text)
{
    return static_cast<uint8_t>(HexDigit(text[0]) * 16 + HexDigit(text[1]));
}

} // namespace

CBoardMonitor::CBoardMonitor(CMonitor& port, IMonitorTarget& target, IMonitorHost& host,
                             ITickSource& clock, IMessageSink& messages)
    : port_(port), target_(target), host_(host), clock_(clock), messages_(messages)
{}

bool CBoardMonitor::OpenPort()
{
    bool opened = settings_.portName.empty()
                      ? port_.Open(settings_.portIndex) != 0
                      : port_.Open(settings_.portIndex, settings_.portName) != 0;
    if (!opened) {
        messages_.ShowMessage(kOpenFailedMessage, IMessageSink::Severity::kError);
    }
    return opened;
}

bool CBoardMonitor::Start(const ConnectionSettingsType& settings)
{
    if (!StartBegin(settings)) {
        return false;
    }
    DelayMs(clock_, kResetPulseMs);
    StartEnd();
    return true;
}

bool CBoardMonitor::StartBegin(const ConnectionSettingsType& settings)
{
    settings_ = settings;
    if (port_.IsOpen()) {
        port_.Close();
    }
    if (!OpenPort()) {
        return false;
    }
    port_.SetCapture(settings_.monitorEnable);
    port_.SetBaudRate(settings_.monitorRate);
    port_.SetStopBits(1);
    port_.AssertReset();
    return true;
}

void CBoardMonitor::StartEnd()
{
    port_.ReleaseReset();
    if (settings_.monitorEnable != 0) {
        StartMonitoring();
    }
}

void CBoardMonitor::StartMonitoring()
{
    // From a last tick of 0 the first poll sees a long silence and empties the ring.
    quietTime_ = 0;
    lastTick_ = 0;
    boardStateFlag_ = false;
    port_.ClearLines();
    port_.SetCapture(settings_.monitorEnable);
    host_.RefreshDumpWindow();
    host_.ResetOrStartSimulation();
    host_.ShowExecutionPoint();
    host_.UpdateAllWindows();
}

void CBoardMonitor::Reset()
{
    DelayMs(clock_, ResetBegin());
    ResetEnd();
}

uint32_t CBoardMonitor::ResetBegin()
{
    if (settings_.loaderType == 3) {
        // The ONCE loader resets the board on a command record instead of a line.
        port_.Write(kOnceResetRecord);
        return kOnceResetMs;
    }
    port_.AssertReset();
    port_.ClearLines();
    port_.SetCapture(settings_.monitorEnable);
    return kResetPulseMs;
}

void CBoardMonitor::ResetEnd()
{
    if (settings_.loaderType == 3) {
        port_.Write(kEndOfFileRecord);
    } else {
        host_.ResetOrStartSimulation();
        port_.ReleaseReset();
    }
    host_.RefreshDumpWindow();
    host_.ShowExecutionPoint();
    host_.UpdateAllWindows();
}

void CBoardMonitor::Stop()
{
    if (port_.IsOpen()) {
        port_.Close();
    }
}

void CBoardMonitor::ShowBoardState()
{
    if (boardStateFlag_) {
        host_.ShowExecutionPoint();
        host_.UpdateAllWindows();
        boardStateFlag_ = false;
    }
}

void CBoardMonitor::Poll()
{
    // During a transfer the loader's replies belong to the download: a poll
    // would take them from the shared ring and answer them with 07h.
    if (!port_.IsOpen() || downloading_) {
        return;
    }
    uint32_t now = clock_.TickMs();
    int32_t step = static_cast<int32_t>(now - lastTick_);
    if (lastTick_ == 0 || step > 0) {
        uint32_t add = now - lastTick_;
        quietTime_ = add > UINT32_MAX - quietTime_ ? UINT32_MAX : quietTime_ + add;
    }
    lastTick_ = now;
    if (quietTime_ > kRingResetQuietMs) {
        port_.ResetRing();
    }
    int n = port_.Receive();
    if (n != 0) {
        quietTime_ = 0;
    }
    if (settings_.monitorEnable == 0 || !port_.IsOpen()) {
        return;
    }
    if (n > 0) {
        host_.RefreshDumpWindow();
    }
    if (quietTime_ > kRedrawQuietMs && port_.IsRingEmpty()) {
        ShowBoardState();
        return;
    }
    bool startFound = false;
    bool endFound = false;
    int startOffset = 0;
    port_.FindFrame(kRecordStart, kLineFeed, startFound, endFound, startOffset);
    if (!startFound || !endFound) {
        return;
    }
    std::array<uint8_t, kMaxRecordLength> record;
    int length = port_.ExtractFrame(record.data(), startOffset, kMaxRecordLength);
    if (ParseRecord(record.data(), length)) {
        port_.Write(&kAccept, 1);
        ShowBoardState();
    } else {
        port_.Write(&kRefuse, 1);
    }
}

bool CBoardMonitor::ParseRecord(const uint8_t* text, int length)
{
    constexpr int kHeaderLength = 9; // ":" count address type
    if (length < kHeaderLength + 2 || text[0] != kRecordStart) {
        return false;
    }
    int count = HexByte(text + 1);
    // A count the frame cannot hold is a truncated or corrupted record.
    if (length < kHeaderLength + 2 * count + 2) {
        return false;
    }
    uint8_t addressHigh = HexByte(text + 3);
    uint8_t addressLow = HexByte(text + 5);
    int type = HexByte(text + 7);
    std::array<uint8_t, 256> data{};
    uint32_t sum = static_cast<uint32_t>(count) + ((addressLow + addressHigh) & 0xFF) +
                   static_cast<uint32_t>(type);
    for (int i = 0; i < count; ++i) {
        data[static_cast<size_t>(i)] = HexByte(text + kHeaderLength + 2 * i);
        sum += data[static_cast<size_t>(i)];
    }
    uint8_t checksum = HexByte(text + kHeaderLength + 2 * count);
    if (static_cast<uint8_t>(-sum) != checksum) {
        return false;
    }
    int address = addressHigh * 256 + addressLow;
    if (type == kTypeInternalRam) {
        for (int i = 0; i < count && address + i <= 0xFF; ++i) {
            target_.WriteIndirect(static_cast<uint8_t>(address + i), data[static_cast<size_t>(i)]);
        }
    } else if (type == kTypeProcessorState) {
        // A short record sets what it carries and leaves the rest as it was.
        if (count >= 2) {
            target_.SetPc(static_cast<uint16_t>(data[0] + 256 * data[1]));
        }
        for (int i = 0; i < static_cast<int>(kStateRegisters.size()) && i + 2 < count; ++i) {
            target_.WriteDirect(kStateRegisters[static_cast<size_t>(i)],
                                data[static_cast<size_t>(i + 2)]);
        }
    } else {
        return false;
    }
    boardStateFlag_ = true;
    return true;
}

bool CBoardMonitor::PrepareDownload(const ConnectionSettingsType* chosen)
{
    if (!port_.IsOpen()) {
        if (chosen == nullptr) {
            return false;
        }
        settings_ = *chosen;
        if (!OpenPort()) {
            return false;
        }
    }
    port_.SetBaudRate(settings_.downloadRate);
    port_.SetStopBits(1);
    port_.SetCapture(0);
    host_.RefreshDumpWindow();
    downloading_ = true;
    return true;
}

void CBoardMonitor::FinishDownload(bool programHasBreak)
{
    FinishDownloadBegin();
    DelayMs(clock_, kResetPulseMs);
    FinishDownloadEnd(programHasBreak);
}

bool CBoardMonitor::FinishDownloadBegin()
{
    downloading_ = false;
    port_.SetBaudRate(settings_.monitorRate);
    port_.SetStopBits(1);
    port_.AssertReset();
    return port_.IsOpen();
}

void CBoardMonitor::FinishDownloadEnd(bool programHasBreak)
{
    port_.ReleaseReset();
    if (settings_.monitorEnable != 0 && programHasBreak) {
        StartMonitoring();
    } else {
        port_.SetCapture(0);
    }
    port_.ClearLines();
    port_.SetCapture(settings_.monitorEnable);
    host_.RefreshDumpWindow();
}
