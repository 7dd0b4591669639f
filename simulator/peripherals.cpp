#include "simulator/serial_channel.h"
#include "simulator/timers_inline.h"

#include <algorithm>
#include <utility>

namespace {

using sim_detail::FallingEdge;
using sim_detail::kTimerRows;
using sim_detail::TimerRowType;

enum class Source : uint8_t
{
    kTimer2,
    kSerial,
    kTimer1,
    kInt1,
    kInt0,
    kTimer0
};

struct InterruptRowType
{
    Source source;
    uint8_t enableMask; // also the IP bit
    uint8_t vector;
};

// Poll order decides among simultaneous requests, whatever their priorities.
constexpr std::array<InterruptRowType, 6> kInterruptRows = {{
    {Source::kTimer2, sfr::kEt2, 0x2B},
    {Source::kSerial, sfr::kEs, 0x23},
    {Source::kTimer1, sfr::kEt1, 0x1B},
    {Source::kInt1, sfr::kEx1, 0x13},
    {Source::kInt0, sfr::kEx0, 0x03},
    {Source::kTimer0, sfr::kEt0, 0x0B},
}};

} // namespace

void CSim8051::SampleExternalInterrupts()
{
    constexpr uint8_t kPins = sfr::kPinInt0 | sfr::kPinInt1;
    const uint8_t p3 = ReadDirect(sfr::kP3);
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

bool CSim8051::PollInterrupts()
{
    const uint8_t ie = state_.DirectSpace[sfr::kIe];
    // The transmit check counts as a request whenever it would act.
    const bool transmitDue =
        (ie & sfr::kEs) &&
        (state_.transmitBusy ? state_.transmitCountdown < 0 : state_.transmitCountdown != 10);
    const uint8_t requests =
        sim_detail::RequestsOnEnableBits(state_) | (transmitDue ? sfr::kEs : 0);
    return (requests & ie) != 0 && AcceptInterrupt();
}

void CSim8051::UpdateTimers(uint32_t cycles)
{
    const auto& space = state_.DirectSpace;
    uint8_t p1 = space[sfr::kP1];
    uint8_t p3 = space[sfr::kP3];
    if (buttons_ != nullptr) {
        p1 = ReadDirect(sfr::kP1);
        p3 = ReadDirect(sfr::kP3);
    }
    const uint8_t tcon = space[sfr::kTcon];
    const uint8_t tmod = space[sfr::kTmod];
    if ((tcon & (sfr::kTr0 | sfr::kTr1)) || (tmod & 0x03) == 0x03) {
        RunTimers01(p3, cycles, tcon, tmod);
    }
    const uint8_t t2con = space[sfr::kT2con];
    if ((t2con & (sfr::kTr2 | sfr::kTclk | sfr::kRclk)) == sfr::kTr2) {
        RunTimer2(p1, cycles);
    }
    if (state_.transmitBusy) {
        state_.transmitCountdown -= static_cast<int32_t>(cycles);
        // While the poll cannot reach the serial check (masked, or blocked by
        // an interrupt in service) the frame still ends: programs that poll
        // TI must see it.
        if (!PollReachesSerial() && state_.transmitCountdown < 0) {
            TransmitCheck();
        }
    }
    state_.previousP1 = p1;
    state_.previousP3 = p3;
    if (receiverWaiting_) [[unlikely]] {
        // After the timers: a frame starts at the rate they now give.
        serial_->AdvanceReceiver(state_, cycles);
    }
}

void CSim8051::TransmitCheck()
{
    if (!state_.transmitBusy) {
        state_.transmitCountdown = 10;
    } else if (state_.transmitCountdown < 0) {
        state_.DirectSpace[sfr::kScon] |= sfr::kTi;
        state_.transmitBusy = false;
        state_.transmitCountdown = 10;
    }
}

bool CSim8051::AcceptInterrupt()
{
    auto& space = state_.DirectSpace;
    const uint8_t ie = space[sfr::kIe];
    const uint8_t ip = space[sfr::kIp];
    for (const InterruptRowType& row : kInterruptRows) {
        if ((ie & row.enableMask) == 0 || (state_.lowInService && (ip & row.enableMask) == 0)) {
            continue;
        }
        bool requested = false;
        switch (row.source) {
        case Source::kTimer2:
            requested = (space[sfr::kT2con] & (sfr::kTf2 | sfr::kExf2)) != 0;
            break;
        case Source::kSerial:
            TransmitCheck();
            requested = (space[sfr::kScon] & (sfr::kTi | sfr::kRi)) != 0;
            break;
        case Source::kTimer1:
            requested = (space[sfr::kTcon] & sfr::kTf1) != 0;
            space[sfr::kTcon] &= requested ? ~sfr::kTf1 : 0xFF;
            break;
        case Source::kInt1:
            requested = state_.Int1Pending();
            state_.externalPending &= ~sfr::kPinInt1;
            break;
        case Source::kInt0:
            requested = state_.Int0Pending();
            state_.externalPending &= ~sfr::kPinInt0;
            break;
        case Source::kTimer0:
            requested = (space[sfr::kTcon] & sfr::kTf0) != 0;
            space[sfr::kTcon] &= requested ? ~sfr::kTf0 : 0xFF;
            break;
        }
        if (requested) {
            EnterInterrupt(row.vector, (ip & row.enableMask) != 0);
            return true;
        }
    }
    return false;
}

void CSim8051::EnterInterrupt(uint32_t vector, bool highPriority)
{
    state_.priorityLevel = highPriority ? 1 : 0;
    (highPriority ? state_.highInService : state_.lowInService) = true;
    Call(state_.pc, state_.pc);
    UpdateTimers(2);
    state_.pc = vector;
}

void CSim8051::RunTimer0Mode3(uint8_t p3, uint32_t cycles)
{
    auto& space = state_.DirectSpace;
    const uint8_t tcon = space[sfr::kTcon];
    const uint8_t tmod = space[sfr::kTmod];
    const TimerRowType& row = kTimerRows[0];
    if ((tcon & sfr::kTr0) && (!(tmod & 0x08) || (p3 & row.gatePin))) {
        const uint32_t count =
            (tmod & 0x04) ? FallingEdge(state_.previousP3, p3, row.counterPin) : cycles;
        const uint32_t tl = space[sfr::kTl0] + count;
        space[sfr::kTl0] = static_cast<uint8_t>(tl);
        if (tl > 0xFF) {
            space[sfr::kTcon] |= sfr::kTf0;
        }
    }
    // TH0 borrows timer 1's run bit and overflow flag.
    if (tcon & sfr::kTr1) {
        const uint32_t th = space[sfr::kTh0] + cycles;
        space[sfr::kTh0] = static_cast<uint8_t>(th);
        if (th > 0xFF) {
            space[sfr::kTcon] |= sfr::kTf1;
        }
    }
}

void CSim8051::RunTimer2(uint8_t p1, uint32_t cycles)
{
    auto& space = state_.DirectSpace;
    uint8_t t2con = space[sfr::kT2con];
    const bool counter = (t2con & sfr::kCt2) != 0;
    const uint32_t count = counter ? FallingEdge(state_.previousP1, p1, sfr::kPinT2) : cycles;
    const bool externalEdge =
        (t2con & sfr::kExen2) && FallingEdge(state_.previousP1, p1, sfr::kPinT2ex);
    const bool capture = (t2con & sfr::kCpRl2) != 0;
    bool reload = false;
    if (externalEdge) {
        t2con |= sfr::kExf2;
        if (capture) {
            space[sfr::kRcap2l] = space[sfr::kTl2];
            space[sfr::kRcap2h] = space[sfr::kTh2];
        } else {
            reload = true;
        }
    }
    const uint32_t value = (uint32_t{space[sfr::kTh2]} << 8 | space[sfr::kTl2]) + count;
    space[sfr::kTl2] = value & 0xFF;
    space[sfr::kTh2] = (value >> 8) & 0xFF;
    if (value > 0xFFFF) {
        t2con |= sfr::kTf2;
        // Every timer-mode overflow reloads, whether or not TF2 was cleared.
        reload = reload || (!capture && !counter);
    }
    if (reload) {
        space[sfr::kTl2] = space[sfr::kRcap2l];
        space[sfr::kTh2] = space[sfr::kRcap2h];
    }
    space[sfr::kT2con] = t2con;
}

bool CSim8051::PrepareFast()
{
    const auto& space = state_.DirectSpace;
    constexpr uint8_t kIntPins = sfr::kPinInt0 | sfr::kPinInt1;
    // No sampling, no wrap and a poll that would do nothing. Buttons, a low
    // INT pin, a pending request, timer 0 in mode 3, timer 2 counting or
    // bytes waiting for the receiver need the full step.
    if (buttons_ != nullptr || receiverWaiting_ || (~space[sfr::kP3] & kIntPins) != 0 ||
        state_.externalPending != 0 || (space[sfr::kTmod] & 0x03) == 0x03 ||
        (space[sfr::kT2con] & (sfr::kTr2 | sfr::kTclk | sfr::kRclk)) == sfr::kTr2) {
        return false;
    }
    const uint8_t ie = space[sfr::kIe];
    const bool serialCheck = (ie & (sfr::kEa | sfr::kEs)) == (sfr::kEa | sfr::kEs);
    if ((ie & sfr::kEa) != 0 && (sim_detail::RequestsOnEnableBits(state_) & ie) != 0) {
        return false;
    }
    if (serialCheck &&
        (state_.transmitBusy ? state_.transmitCountdown < 0 : state_.transmitCountdown != 10)) {
        return false; // the poll's transmit check would act
    }
    // Cycles until a timer overflows with its flag still clear, or the
    // transmission ends: then the timers must count again. A flag already
    // raised stays raised: such a timer counts on untouched, as a baud
    // generator does.
    uint32_t horizon = 1u << 30;
    fragileReload_ = false;
    const uint8_t tcon = space[sfr::kTcon];
    for (const TimerRowType& row : kTimerRows) {
        if ((tcon & row.runBit) == 0) {
            continue;
        }
        const uint32_t control = space[sfr::kTmod] >> row.modeShift;
        if ((control & 0x0C) != 0) {
            return false; // gated or counting pin edges
        }
        const bool raised = (tcon & row.overflow) != 0;
        switch (control & 3) {
        case 0:
            return false;
        case 1:
            if (!raised) {
                horizon =
                    std::min(horizon, 0x10000 - (uint32_t{space[row.high]} << 8 | space[row.low]));
            }
            break;
        case 2:
            // A reload of FFh may overflow twice within any instruction, FDh
            // and FEh within MUL and DIV only (see the dispatch).
            if (!raised || space[row.high] == 0xFF) {
                horizon = std::min(horizon, 0x100 - uint32_t{space[row.low]});
            } else {
                fragileReload_ = fragileReload_ || space[row.high] > 0xFC;
            }
            break;
        default: // timer 1 in mode 3 holds
            break;
        }
    }
    if (state_.transmitBusy) {
        const int32_t left = state_.transmitCountdown;
        horizon = left < 0 ? 0 : std::min(horizon, static_cast<uint32_t>(left) + 1);
    }
    eventAt_ = state_.totalCycles + horizon;
    return true;
}

void CSim8051::CountLazily(uint32_t cycles)
{
    // What UpdateTimers does over as many instructions, for the timers and
    // the transmission that PrepareFast lets count lazily.
    auto& space = state_.DirectSpace;
    const uint8_t tcon = space[sfr::kTcon];
    const uint8_t tmod = space[sfr::kTmod];
    for (const TimerRowType& row : kTimerRows) {
        if ((tcon & row.runBit) == 0) {
            continue;
        }
        uint8_t& low = space[row.low];
        uint8_t& high = space[row.high];
        const uint32_t mode = (tmod >> row.modeShift) & 3;
        if (mode == 1) {
            const uint32_t value = (uint32_t{high} << 8 | low) + cycles;
            space[sfr::kTcon] |= value > 0xFFFF ? row.overflow : 0;
            low = value & 0xFF;
            high = (value >> 8) & 0xFF;
        } else if (mode == 2 && low + cycles >= 0x100) {
            // With its flag clear the timer overflowed once, in the last
            // instruction, and the reload may wrap TL as in a full step. With
            // it raised it ran on through TH..FFh, and no instruction counted
            // more than that period (see PrepareFast).
            const uint32_t excess = low + cycles - 0x100;
            const bool ranOn = (tcon & row.overflow) != 0 && high != 0xFF;
            low = static_cast<uint8_t>(high + (ranOn ? excess % (0x100u - high) : excess));
            space[sfr::kTcon] |= row.overflow;
        } else if (mode == 2) {
            low = static_cast<uint8_t>(low + cycles);
        }
    }
    if (state_.transmitBusy) {
        state_.transmitCountdown -= static_cast<int32_t>(cycles);
        if (!PollReachesSerial() && state_.transmitCountdown < 0) {
            TransmitCheck();
        }
    }
    state_.previousP1 = space[sfr::kP1];
    state_.previousP3 = space[sfr::kP3];
}

bool CSim8051::TimerEvent()
{
    // Always, even for no cycles: the timer update that ends the step. After
    // a hook it covers this step alone, under settings it may have changed.
    const uint32_t cycles = state_.totalCycles - syncedAt_;
    if (stepUpdate_) {
        UpdateTimers(cycles);
        stepUpdate_ = false;
    } else {
        CountLazily(cycles);
    }
    syncedAt_ = state_.totalCycles;
    return !state_.messageShown && PrepareFast();
}
