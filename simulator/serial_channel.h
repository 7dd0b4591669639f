#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string_view>
#include <vector>

#include "common/revision.h"

struct ProcessorState;

// Machine cycles one frame of the serial port takes in its current mode and
// baud-rate source (timer 1, or timer 2 when RCLK is set); 0 when the
// source gives no rate (stopped, or counting external pulses).
uint32_t SerialFrameCycles(const std::array<uint8_t, 256>& space);

// The simulated serial line as seen from outside the processor: the bytes
// the program transmits, kept for a console, and the bytes fed to the
// receiver, which it delivers to the program as the 8051 receives: one at a
// time into SBUF with RI, only while REN is set and RI is clear, each taking
// a whole frame. With nothing fed the processor never asks the receiver.
class CSerialChannel
{
public:
    static constexpr size_t kTransmitKept = 256 * 1024;
    static constexpr size_t kReceiveLimit = 1024 * 1024;

    // The tail's room is taken at once: a transmitting program never
    // allocates within its run.
    CSerialChannel() { transmitted_.reserve(kTransmitKept + 1); }

    // The processor's transmit side: every byte written to SBUF.
    void Transmitted(uint8_t byte);
    // Bytes transmitted since the last clear; those before FirstKept are
    // gone from the console's memory.
    uint64_t TransmittedCount() const { return dropped_ + transmitted_.size(); }
    uint64_t FirstKept() const { return dropped_; }
    uint8_t TransmittedAt(uint64_t index) const { return transmitted_[index - dropped_]; }
    void ClearTransmitted();
    // Raised when transmitted bytes are added or cleared.
    const CRevision& Revision() const { return revision_; }

    // Queues bytes for the receiver; returns how many were taken (the queue
    // holds at most kReceiveLimit).
    size_t Feed(std::string_view bytes);
    size_t Pending() const { return pending_.size(); }
    void ClearReceive();
    // While bytes wait the processor must drive the receiver; the callback
    // says when that starts and stops.
    void SetWaitingChanged(std::function<void(bool waiting)> changed);

    // The processor was reset: a frame being received is lost, the queue stays.
    void AbortFrame() { frameLeft_ = -1; }

    // One instruction's machine cycles, after the timers: true when a byte
    // reached SBUF.
    bool AdvanceReceiver(ProcessorState& state, uint32_t cycles);

private:
    void NotifyWaiting();

    std::vector<uint8_t> transmitted_;
    uint64_t dropped_ = 0;
    CRevision revision_;

    std::deque<uint8_t> pending_;
    int64_t frameLeft_ = -1; // -1: no frame in progress
    bool waiting_ = false;
    std::function<void(bool)> waitingChanged_;
};
