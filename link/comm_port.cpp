#include "link/comm_port.h"

#include <algorithm>
#include <array>

#include "common/text_util.h"

namespace {

constexpr std::array<int32_t, 14> kValidRates = {
    300, 600, 1200, 2400, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000, 230400, 256000};

// Above this rate the board's loaders cannot take a block at full speed.
constexpr int32_t kBlockWriteMaxRate = 9600;

// The driver gives up on a write after 1 ms per byte plus this.
constexpr int kWriteTimeoutConstantMs = 100;

} // namespace

CCommPort::CCommPort(ISerialDevice& device, IPortCatalog& catalog, ITickSource& clock,
                     IMessageSink& messages)
    : device_(device), catalog_(catalog), clock_(clock), messages_(messages)
{}

int CCommPort::Open(int index)
{
    return Open(index, StrFormat("COM%d", index + 1));
}

int CCommPort::Open(int index, const std::string& deviceName)
{
    if (IsOpen()) {
        Close();
    }
    bridges_.clear();
    EnumerateBridges(catalog_, bridges_);

    if (!device_.Open(deviceName)) {
        portIndex_ = -1;
        return 0;
    }
    LineSettingsType defaults;
    defaults.baudRate = baudRate_;
    if (!device_.ApplyLineSettings(defaults)) {
        FailOpen();
        return 0;
    }
    settings_ = defaults;
    if (!device_.SetBufferSizes(kBufferSize, kBufferSize)) {
        FailOpen();
        return 0;
    }
    portIndex_ = std::max(index, 0);
    portName_ = deviceName;
    isBridge_ = std::any_of(bridges_.begin(), bridges_.end(), [&](const CP2101Type& bridge) {
        return SameDevice(bridge.PortName, deviceName);
    });
    return 1;
}

void CCommPort::FailOpen()
{
    device_.Close();
    portIndex_ = -1;
}

int CCommPort::Close()
{
    if (!IsOpen()) {
        return 1;
    }
    if (!device_.Close()) {
        return 0;
    }
    portIndex_ = -1;
    DropTransmitQueue();
    return 1;
}

bool CCommPort::IsValidRate(int32_t rate)
{
    return std::find(kValidRates.begin(), kValidRates.end(), rate) != kValidRates.end();
}

void CCommPort::SetBaudRate(int32_t rate)
{
    if (!IsValidRate(rate)) {
        messages_.ShowMessage(kInvalidRateMessage, IMessageSink::Severity::kInformation);
        return;
    }
    if (rate == baudRate_) {
        return;
    }
    baudRate_ = rate;
    LineSettingsType changed = settings_;
    changed.baudRate = rate;
    if (IsOpen() && device_.ApplyLineSettings(changed)) {
        settings_ = changed;
    }
    // Some drivers drop the modem lines when the rate changes.
    DriveRts(rts_);
    DriveDtr(dtr_);
}

int CCommPort::SetStopBits(int code)
{
    LineSettingsType changed = settings_;
    changed.stopBitsCode = code;
    if (!IsOpen() || !device_.ApplyLineSettings(changed)) {
        return 0;
    }
    settings_ = changed;
    return 1;
}

void CCommPort::DriveRts(int level)
{
    rts_ = level;
    // A line the device does not have (a pseudo-terminal) is no reason to fail.
    if (IsOpen()) {
        device_.SetRts(level != 0);
    }
}

void CCommPort::DriveDtr(int level)
{
    dtr_ = level;
    if (IsOpen()) {
        device_.SetDtr(level != 0);
    }
}

int CCommPort::Write(const uint8_t* bytes, int count)
{
    if (!IsOpen() || count <= 0) {
        return 0;
    }
    if (queuedWrites_) {
        transmitQueue_.push_back({std::vector<uint8_t>(bytes, bytes + count),
                                  baudRate_ <= kBlockWriteMaxRate && count >= 2});
        PumpTransmit();
        return count;
    }
    if (baudRate_ <= kBlockWriteMaxRate && count >= 2) {
        return device_.Write(bytes, count, count + kWriteTimeoutConstantMs);
    }
    for (int i = 0; i < count && IsOpen(); ++i) {
        device_.Write(bytes + i, 1, 1 + kWriteTimeoutConstantMs);
        DelayMs(clock_, 1);
    }
    return count;
}

void CCommPort::SetQueuedWrites(bool on)
{
    if (!on) {
        // What is queued still goes out, as the blocking writes would have sent it.
        while (TransmitPending()) {
            PumpTransmit();
            clock_.SpinOnce();
        }
    }
    queuedWrites_ = on;
}

bool CCommPort::PreviousWriteDone()
{
    if (byteGap_) {
        if (clock_.TickMs() - lastByteTime_ < 1) {
            return false;
        }
        byteGap_ = false;
    }
    if (blockDraining_) {
        const bool late = static_cast<int32_t>(clock_.TickMs() - blockDeadline_) >= 0;
        if (IsOpen() && device_.PendingOutput() > 0) {
            if (!late) {
                return false;
            }
            // The driver's write time-out: what did not go out is dropped.
            device_.PurgeOutput();
        }
        blockDraining_ = false;
    }
    return true;
}

bool CCommPort::TransmitPending()
{
    return !transmitQueue_.empty() || !PreviousWriteDone();
}

void CCommPort::PumpTransmit()
{
    while (!transmitQueue_.empty() && PreviousWriteDone()) {
        if (!IsOpen()) {
            DropTransmitQueue();
            return;
        }
        QueuedWriteType& front = transmitQueue_.front();
        if (front.block) {
            const int count = static_cast<int>(front.bytes.size());
            device_.Write(front.bytes.data(), count, 0);
            blockDraining_ = true;
            blockDeadline_ =
                clock_.TickMs() + static_cast<uint32_t>(count + kWriteTimeoutConstantMs);
            transmitQueue_.pop_front();
            continue;
        }
        device_.Write(front.bytes.data() + transmitOffset_, 1, 1 + kWriteTimeoutConstantMs);
        byteGap_ = true;
        lastByteTime_ = clock_.TickMs();
        if (++transmitOffset_ == front.bytes.size()) {
            transmitQueue_.pop_front();
            transmitOffset_ = 0;
        }
    }
}

void CCommPort::DropTransmitQueue()
{
    transmitQueue_.clear();
    transmitOffset_ = 0;
    byteGap_ = false;
    blockDraining_ = false;
}

void CCommPort::PurgeReceive()
{
    if (IsOpen()) {
        device_.PurgeInput();
    }
}

void CCommPort::PurgeTransmit()
{
    DropTransmitQueue();
    if (IsOpen()) {
        device_.PurgeOutput();
    }
}

void CCommPort::NoteErrors(uint32_t errorBits)
{
    lineErrors_ |= errorBits;
    if ((errorBits & kLineErrorVanished) != 0 && IsOpen()) {
        // The other end is gone: close so that nothing keeps polling a dead line.
        device_.Close();
        portIndex_ = -1;
        DropTransmitQueue();
        messages_.ShowMessage(kPortVanishedMessage, IMessageSink::Severity::kError);
    }
}

int CCommPort::Receive()
{
    droppedOnReceive_ = false;
    lastReceiveCount_ = 0;
    if (!IsOpen()) {
        return 0;
    }
    uint32_t errorBits = 0;
    int queued = device_.QueuedInput(errorBits);
    NoteErrors(errorBits);
    if (!IsOpen()) {
        return 0;
    }
    int free = ring_.FreeSpace();
    if (free == 0) {
        ring_.Drop();
        droppedOnReceive_ = true;
        free = ring_.FreeSpace();
    }
    int n = std::min(queued, free);
    if (n <= 0) {
        return 0;
    }
    std::array<uint8_t, kBufferSize> chunk;
    int got = std::clamp(device_.Read(chunk.data(), n), 0, n);
    ring_.Append(chunk.data(), got);
    lastReceiveCount_ = got;
    return got;
}
