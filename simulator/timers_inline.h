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

// The raised request flags moved onto their IE bits: TF2 or EXF2 -> ET2,
// TI or RI -> ES, TF1 -> ET1, INT1 -> EX1, INT0 -> EX0, TF0 -> ET0.
inline uint8_t RequestsOnEnableBits(const ProcessorState& state)
{
    const auto& space = state.DirectSpace;
    const uint8_t tcon = space[sfr::kTcon];
    const uint8_t pending = state.externalPending;
    return static_cast<uint8_t>(((tcon >> 4) & (sfr::kEt1 | sfr::kEt0)) |
                                ((pending >> 1) & sfr::kEx1) | ((pending >> 2) & sfr::kEx0) |
                                ((space[sfr::kT2con] & (sfr::kTf2 | sfr::kExf2)) ? sfr::kEt2 : 0) |
                                ((space[sfr::kScon] & (sfr::kTi | sfr::kRi)) ? sfr::kEs : 0));
}

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

namespace sim_detail {

// Nearly every instruction finds interrupts off, or no request flag raised
// and the serial port off (while it is on, its transmit check may raise TI),
// so this cheap test goes before the poll.
inline bool InterruptMayBeDue(const ProcessorState& state)
{
    const auto& space = state.DirectSpace;
    const uint8_t ie = space[sfr::kIe];
    const uint32_t raised = (space[sfr::kTcon] & (sfr::kTf1 | sfr::kTf0)) |
                            (space[sfr::kT2con] & (sfr::kTf2 | sfr::kExf2)) |
                            (space[sfr::kScon] & (sfr::kTi | sfr::kRi)) | state.externalPending |
                            (ie & sfr::kEs);
    // EA masks the rest without a branch of its own.
    return (raised & (0u - (ie >> 7))) != 0;
}

} // namespace sim_detail
