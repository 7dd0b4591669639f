#include "simulator/serial_channel.h"

#include <algorithm>

#include "simulator/processor_state.h"

namespace {

// The serial port's registers and bits the receiver reads and sets.
constexpr uint8_t kScon = 0x98;
constexpr uint8_t kSbuf = 0x99;
constexpr uint8_t kPcon = 0x87;
constexpr uint8_t kTcon = 0x88;
constexpr uint8_t kTmod = 0x89;
constexpr uint8_t kTl1 = 0x8B;
constexpr uint8_t kTh1 = 0x8D;
constexpr uint8_t kT2con = 0xC8;
constexpr uint8_t kRcap2l = 0xCA;
constexpr uint8_t kRcap2h = 0xCB;
constexpr uint8_t kRi = 0x01;
constexpr uint8_t kRb8 = 0x04;
constexpr uint8_t kRen = 0x10;
constexpr uint8_t kSmod = 0x80; // PCON.7 doubles the rate
constexpr uint8_t kTr1 = 0x40;
constexpr uint8_t kTr2 = 0x04;
constexpr uint8_t kCt2 = 0x02;
constexpr uint8_t kRclk = 0x20;
constexpr uint32_t kOscPerCycle = 12;

uint64_t CeilDiv(uint64_t a, uint64_t b)
{
    return (a + b - 1) / b;
}

// Machine cycles between two overflows of timer 1, 0 when it gives none.
uint64_t Timer1Period(const std::array<uint8_t, 256>& space)
{
    const uint8_t control = space[kTmod] >> 4;
    if ((space[kTcon] & kTr1) == 0 || (control & 0x04) != 0) {
        return 0; // stopped, or counting pulses on T1 that nothing drives
    }
    switch (control & 0x03) {
    case 0: // 13 bits: the time to the next overflow
        return 8192 - ((uint32_t{space[kTh1]} << 5) | (space[kTl1] & 0x1F));
    case 1:
        return 65536 - ((uint32_t{space[kTh1]} << 8) | space[kTl1]);
    case 2: // auto-reload: the usual baud-rate generator
        return 256 - uint32_t{space[kTh1]};
    default: // mode 3 holds timer 1
        return 0;
    }
}

} // namespace

uint32_t SerialFrameCycles(const std::array<uint8_t, 256>& space)
{
    const uint8_t mode = space[kScon] >> 6;
    const bool smod = (space[kPcon] & kSmod) != 0;
    uint64_t cycles = 0;
    if (mode == 0) {
        cycles = 8; // eight bits shifted at one a machine cycle
    } else if (mode == 2) {
        cycles = CeilDiv(11ull * (smod ? 32 : 64), kOscPerCycle);
    } else {
        const uint64_t bits = mode == 1 ? 10 : 11;
        const uint8_t t2con = space[kT2con];
        if (t2con & kRclk) {
            // Timer 2 as the receive clock: 16 overflows a bit, counting at
            // half the oscillator.
            if ((t2con & kTr2) == 0 || (t2con & kCt2) != 0) {
                return 0;
            }
            const uint64_t reload = (uint32_t{space[kRcap2h]} << 8) | space[kRcap2l];
            cycles = CeilDiv(bits * 16 * 2 * (65536 - reload), kOscPerCycle);
        } else {
            cycles = bits * (smod ? 16 : 32) * Timer1Period(space);
        }
    }
    return static_cast<uint32_t>(std::min<uint64_t>(cycles, UINT32_MAX));
}

void CSerialChannel::Transmitted(uint8_t byte)
{
    transmitted_.push_back(byte);
    if (transmitted_.size() > kTransmitKept) {
        // The oldest half goes: a program that talks forever must not grow
        // the console without bound.
        const size_t half = kTransmitKept / 2;
        transmitted_.erase(transmitted_.begin(), transmitted_.begin() + half);
        dropped_ += half;
    }
    revision_.Raise();
}

void CSerialChannel::ClearTransmitted()
{
    transmitted_.clear();
    dropped_ = 0;
    revision_.Raise();
}

size_t CSerialChannel::Feed(std::string_view bytes)
{
    const size_t taken = std::min(bytes.size(), kReceiveLimit - pending_.size());
    pending_.insert(pending_.end(), bytes.begin(), bytes.begin() + taken);
    NotifyWaiting();
    return taken;
}

void CSerialChannel::ClearReceive()
{
    pending_.clear();
    frameLeft_ = -1;
    NotifyWaiting();
}

void CSerialChannel::SetWaitingChanged(std::function<void(bool)> changed)
{
    waitingChanged_ = std::move(changed);
    waiting_ = !pending_.empty();
    if (waitingChanged_) {
        waitingChanged_(waiting_);
    }
}

void CSerialChannel::NotifyWaiting()
{
    const bool waiting = !pending_.empty();
    if (waiting != waiting_) {
        waiting_ = waiting;
        if (waitingChanged_) {
            waitingChanged_(waiting);
        }
    }
}

bool CSerialChannel::AdvanceReceiver(ProcessorState& state, uint32_t cycles)
{
    if (pending_.empty()) {
        return false;
    }
    uint8_t& scon = state.DirectSpace[kScon];
    if ((scon & kRen) == 0) {
        frameLeft_ = -1; // the receiver is off: a frame in progress is lost
        return false;
    }
    if (frameLeft_ < 0) {
        // One byte at a time: the next frame starts once the program took
        // the last byte.
        if ((scon & kRi) != 0) {
            return false;
        }
        const uint32_t frame = SerialFrameCycles(state.DirectSpace);
        if (frame == 0) {
            return false;
        }
        frameLeft_ = frame;
        return false;
    }
    frameLeft_ = std::max<int64_t>(0, frameLeft_ - cycles);
    // RI set again by the program during the frame: the byte waits for it.
    if (frameLeft_ > 0 || (scon & kRi) != 0) {
        return false;
    }
    state.DirectSpace[kSbuf] = pending_.front();
    pending_.pop_front();
    // Modes 1-3 latch the stop bit (or ninth bit) of an idle line, 1.
    scon = static_cast<uint8_t>(scon | kRi | ((scon >> 6) != 0 ? kRb8 : 0));
    frameLeft_ = -1;
    NotifyWaiting();
    return true;
}
