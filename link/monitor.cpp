#include "link/monitor.h"

#include <algorithm>

#include "common/text_util.h"

namespace {

constexpr int kBridgePolarity = 1;
constexpr int kComPortPolarity = 2;

constexpr uint8_t kCarriageReturn = 0x0D;
constexpr uint8_t kLineFeed = 0x0A;

} // namespace

int CMonitor::Open(int index)
{
    return Open(index, StrFormat("COM%d", index + 1));
}

int CMonitor::Open(int index, const std::string& deviceName)
{
    if (CCommPort::Open(index, deviceName) == 0) {
        return 0;
    }
    resetPolarity_ = IsBridge() ? kBridgePolarity : kComPortPolarity;
    return 1;
}

int CMonitor::Receive()
{
    int n = CCommPort::Receive();
    if (droppedOnReceive_) {
        capturePosition_ = 0;
    }
    if (capture_ == 0) {
        return n;
    }
    // Everything from the capture position to the write index is new to the
    // capture, also when capture was switched on with bytes still unread.
    const CReceiveRing& ring = Ring();
    if (capturePosition_ != ring.WriteIndex()) {
        linesRevision_.Raise();
    }
    while (capturePosition_ != ring.WriteIndex()) {
        if (lines_.empty()) {
            lines_.emplace_back();
        }
        CaptureByte(ring.At(capturePosition_));
        capturePosition_ = CReceiveRing::Wrap(capturePosition_ + 1);
    }
    return n;
}

void CMonitor::CaptureByte(uint8_t byte)
{
    if (byte == kCarriageReturn) {
        CloseLine();
        return;
    }
    if (byte == kLineFeed) {
        return;
    }
    if (lines_.back().size() >= kMaxLineLength) {
        CloseLine();
    }
    lines_.back().push_back(static_cast<char>(byte));
}

void CMonitor::CloseLine()
{
    longest_ = std::max(longest_, lines_.back().size());
    ++closedLines_;
    lines_.emplace_back();
    if (lines_.size() > kMaxLines) {
        lines_.pop_front();
    }
}

void CMonitor::ResetRing()
{
    CCommPort::ResetRing();
    capturePosition_ = 0;
}

void CMonitor::AssertReset()
{
    // A bridge's reset input is driven through an inverter.
    if (resetPolarity_ == kBridgePolarity) {
        SetDtr();
    } else {
        ClearDtr();
    }
}

void CMonitor::ReleaseReset()
{
    if (resetPolarity_ == kBridgePolarity) {
        ClearDtr();
    } else {
        SetDtr();
    }
}

void CMonitor::SetCapture(int flag)
{
    capture_ = flag != 0 ? 1 : 0;
    capturePosition_ = Ring().ReadIndex();
}

void CMonitor::ClearLines()
{
    lines_.clear();
    longest_ = 0;
    linesRevision_.Raise();
}
