#pragma once

// The peripheral work around every instruction, inline because it runs that
// often. Included by the instruction dispatch and the peripherals only.

#include "simulator/sim8051.h"

namespace sim_detail {

inline bool FallingEdge(uint8_t previous, uint8_t now, uint8_t pin)
{
    return (previous & pin) != 0 && (now & pin) == 0;
}

// Timers 0 and 1 differ only in their registers and bits.
struct TimerRowType
{
    uint8_t low;
    uint8_t high;
    uint8_t runBit;     // TCON
    uint8_t overflow;   // TCON
    uint8_t modeShift;  // TMOD nibble
    uint8_t gatePin;    // P3
    uint8_t counterPin; // P3
};

inline constexpr std::array<TimerRowType, 2> kTimerRows = {{
    {sfr::kTl0, sfr::kTh0, sfr::kTr0, sfr::kTf0, 0, sfr::kPinInt0, sfr::kPinT0},
    {sfr::kTl1, sfr::kTh1, sfr::kTr1, sfr::kTf1, 4, sfr::kPinInt1, sfr::kPinT1},
}};

} // namespace sim_detail

template <size_t Index>
inline void CSim8051::RunTimer(uint8_t p3, uint32_t cycles, uint8_t tcon, uint8_t tmod)
{
    constexpr sim_detail::TimerRowType row = sim_detail::kTimerRows[Index];
    auto& space = state_.DirectSpace;
    if ((tcon & row.runBit) == 0) {
        return;
    }
    const uint32_t control = tmod >> row.modeShift;
    uint32_t count = cycles;
    // GATE and C/T are seldom set: one test passes over both.
    if (control & 0x0C) [[unlikely]] {
        if ((control & 0x08) && (p3 & row.gatePin) == 0) {
            return;
        }
        if (control & 0x04) {
            count = sim_detail::FallingEdge(state_.previousP3, p3, row.counterPin);
        }
    }
    uint8_t& low = space[row.low];
    uint8_t& high = space[row.high];
    bool overflow = false;
    switch (control & 3) {
    case 0: {
        // 13 bits: TL counts through its low five bits into TH.
        uint32_t tl = (low & 0x1F) + count;
        if (tl >= 32) {
            tl -= 32;
            overflow = high == 0xFF;
            ++high;
        }
        low = static_cast<uint8_t>(tl);
        break;
    }
    case 1: {
        const uint32_t value = (uint32_t{high} << 8 | low) + count;
        overflow = value > 0xFFFF;
        low = value & 0xFF;
        high = (value >> 8) & 0xFF;
        break;
    }
    case 2: {
        const uint32_t sum = low + count;
        overflow = sum >= 256;
        low = static_cast<uint8_t>(overflow ? high + (sum - 256) : sum);
        break;
    }
    default: // mode 3 holds timer 1
        break;
    }
    if (overflow) {
        space[sfr::kTcon] |= row.overflow;
    }
}

inline void CSim8051::RunTimers01(uint8_t p3, uint32_t cycles, uint8_t tcon, uint8_t tmod)
{
    if ((tmod & 3) == 3) [[unlikely]] {
        RunTimer0Mode3(p3, cycles);
    } else {
        RunTimer<0>(p3, cycles, tcon, tmod);
    }
    RunTimer<1>(p3, cycles, tcon, tmod);
}

// The peripheral checks run around every instruction; their common case
// (nothing requested, no timer running) stays inline.

inline void CSim8051::SampleExternalInterrupts()
{
    constexpr uint8_t kPins = sfr::kPinInt0 | sfr::kPinInt1;
    uint8_t p3 = state_.DirectSpace[sfr::kP3];
    if (buttons_ != nullptr) [[unlikely]] {
        p3 = ReadDirect(sfr::kP3);
    }
    // Both pins high and nothing pending: no request can start or end.
    if (((~p3 & kPins) | state_.externalPending) == 0) [[likely]] {
        return;
    }
    const uint8_t tcon = state_.DirectSpace[sfr::kTcon];
    // IT0 (TCON bit 0) and IT1 (bit 2) moved onto their pins (P3 bits 2, 3).
    const uint8_t edgeTriggered =
        static_cast<uint8_t>((tcon & sfr::kIt0) << 2 | (tcon & sfr::kIt1) << 1);
    const uint8_t fallen = state_.previousP3 & ~p3;
    // A falling edge always requests; a level-triggered request follows the
    // pin; an edge-triggered one stays until accepted.
    state_.externalPending =
        static_cast<uint8_t>((fallen & kPins) | (~edgeTriggered & ~p3 & kPins) |
                             (edgeTriggered & state_.externalPending));
}

namespace sim_detail {

// Nearly every instruction finds interrupts off, or no request flag raised
// and the serial port off (while it is on, its transmit check may raise TI),
// so this cheap test goes before the others. One branch, not several.
inline bool InterruptMayBeDue(const ProcessorState& state)
{
    const auto& space = state.DirectSpace;
    const uint8_t ie = space[sfr::kIe];
    const bool raised = ((space[sfr::kTcon] & (sfr::kTf1 | sfr::kTf0)) |
                         (space[sfr::kT2con] & (sfr::kTf2 | sfr::kExf2)) |
                         (space[sfr::kScon] & (sfr::kTi | sfr::kRi)) | state.externalPending |
                         (ie & sfr::kEs)) != 0;
    return ((ie & sfr::kEa) != 0) & raised;
}

} // namespace sim_detail

inline bool CSim8051::PollInterrupts()
{
    const auto& space = state_.DirectSpace;
    const uint8_t ie = space[sfr::kIe];
    const uint8_t tcon = space[sfr::kTcon];
    const uint8_t t2con = space[sfr::kT2con];
    const uint8_t scon = space[sfr::kScon];
    const uint8_t pending = state_.externalPending;
    // The transmit check counts as a request whenever it would act.
    const bool transmitDue =
        (ie & sfr::kEs) &&
        (state_.transmitBusy ? state_.transmitCountdown < 0 : state_.transmitCountdown != 10);
    // Each request moved onto its IE bit: TF1 -> ET1, TF0 -> ET0, INT1 -> EX1, INT0 -> EX0.
    const uint8_t requests =
        static_cast<uint8_t>(((tcon >> 4) & (sfr::kEt1 | sfr::kEt0)) |
                             ((pending >> 1) & sfr::kEx1) | ((pending >> 2) & sfr::kEx0)) |
        ((t2con & (sfr::kTf2 | sfr::kExf2)) ? sfr::kEt2 : 0) |
        (((scon & (sfr::kTi | sfr::kRi)) || transmitDue) ? sfr::kEs : 0);
    return (requests & ie) != 0 && AcceptInterrupt();
}

inline void CSim8051::UpdateTimers(uint32_t cycles)
{
    const auto& space = state_.DirectSpace;
    uint8_t p1 = space[sfr::kP1];
    uint8_t p3 = space[sfr::kP3];
    if (buttons_ != nullptr) [[unlikely]] {
        p1 = ReadDirect(sfr::kP1);
        p3 = ReadDirect(sfr::kP3);
    }
    const uint8_t tcon = space[sfr::kTcon];
    const uint8_t tmod = space[sfr::kTmod];
    if ((tcon & (sfr::kTr0 | sfr::kTr1)) || (tmod & 0x03) == 0x03) {
        RunTimers01(p3, cycles, tcon, tmod);
    }
    const uint8_t t2con = space[sfr::kT2con];
    if ((t2con & (sfr::kTr2 | sfr::kTclk | sfr::kRclk)) == sfr::kTr2) [[unlikely]] {
        RunTimer2(p1, cycles);
    }
    if (state_.transmitBusy) [[unlikely]] {
        state_.transmitCountdown -= static_cast<int32_t>(cycles);
    }
    state_.previousP1 = p1;
    state_.previousP3 = p3;
}
