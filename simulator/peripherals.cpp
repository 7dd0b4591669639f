#include "simulator/sim8051.h"

#include <utility>

namespace {

bool FallingEdge(uint8_t previous, uint8_t now, uint8_t pin)
{
    return (previous & pin) != 0 && (now & pin) == 0;
}

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

constexpr std::array<TimerRowType, 2> kTimerRows = {{
    {sfr::kTl0, sfr::kTh0, sfr::kTr0, sfr::kTf0, 0, sfr::kPinInt0, sfr::kPinT0},
    {sfr::kTl1, sfr::kTh1, sfr::kTr1, sfr::kTf1, 4, sfr::kPinInt1, sfr::kPinT1},
}};

} // namespace

void CSim8051::SampleExternalInterrupts()
{
    const uint8_t p3 = ReadDirect(sfr::kP3);
    const uint8_t tcon = state_.DirectSpace[sfr::kTcon];
    const auto sample = [&](uint8_t triggerBit, uint8_t pin, bool& pending) {
        const bool levelTriggered = (tcon & triggerBit) == 0;
        if (levelTriggered && (p3 & pin) == 0) {
            pending = true;
        } else if (FallingEdge(state_.previousP3, p3, pin)) {
            pending = true;
        } else if (levelTriggered) {
            pending = false;
        }
    };
    sample(sfr::kIt0, sfr::kPinInt0, state_.int0Pending);
    sample(sfr::kIt1, sfr::kPinInt1, state_.int1Pending);
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

bool CSim8051::PollInterrupts()
{
    auto& space = state_.DirectSpace;
    const uint8_t ie = space[sfr::kIe];
    const uint8_t ip = space[sfr::kIp];
    if ((ie & 0x3F) == 0) {
        return false;
    }
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
            requested = std::exchange(state_.int1Pending, false);
            break;
        case Source::kInt0:
            requested = std::exchange(state_.int0Pending, false);
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

void CSim8051::RunTimer(size_t index, uint32_t mode, uint32_t count)
{
    const TimerRowType& row = kTimerRows[index];
    auto& space = state_.DirectSpace;
    uint8_t& low = space[row.low];
    uint8_t& high = space[row.high];
    bool overflow = false;
    if (mode == 0) {
        // 13 bits: TL counts through its low five bits into TH.
        uint32_t tl = (low & 0x1F) + count;
        if (tl >= 32) {
            tl -= 32;
            overflow = high == 0xFF;
            ++high;
        }
        low = static_cast<uint8_t>(tl);
    } else if (mode == 1) {
        const uint32_t value = (uint32_t{high} << 8 | low) + count;
        overflow = value > 0xFFFF;
        low = value & 0xFF;
        high = (value >> 8) & 0xFF;
    } else if (mode == 2) {
        const uint32_t sum = low + count;
        if (sum >= 256) {
            overflow = true;
            low = static_cast<uint8_t>(high + (sum - 256));
        } else {
            low = static_cast<uint8_t>(sum);
        }
    }
    if (overflow) {
        space[sfr::kTcon] |= row.overflow;
    }
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

void CSim8051::UpdateTimers(uint32_t cycles)
{
    auto& space = state_.DirectSpace;
    const uint8_t p1 = ReadDirect(sfr::kP1);
    const uint8_t p3 = ReadDirect(sfr::kP3);
    const uint8_t tcon = space[sfr::kTcon];
    const uint8_t tmod = space[sfr::kTmod];
    for (size_t index = 0; index < kTimerRows.size(); ++index) {
        const TimerRowType& row = kTimerRows[index];
        const uint32_t mode = (tmod >> row.modeShift) & 3;
        if (index == 0 && mode == 3) {
            RunTimer0Mode3(p3, cycles);
            continue;
        }
        const bool gate = (tmod >> row.modeShift) & 0x08;
        if ((tcon & row.runBit) == 0 || (gate && (p3 & row.gatePin) == 0) || mode == 3) {
            continue;
        }
        const bool counter = (tmod >> row.modeShift) & 0x04;
        RunTimer(index, mode,
                 counter ? FallingEdge(state_.previousP3, p3, row.counterPin) : cycles);
    }
    const uint8_t t2con = space[sfr::kT2con];
    if ((t2con & sfr::kTr2) && (t2con & (sfr::kTclk | sfr::kRclk)) == 0) {
        RunTimer2(p1, cycles);
    }
    if (state_.transmitBusy) {
        state_.transmitCountdown -= static_cast<int32_t>(cycles);
    }
    state_.previousP1 = p1;
    state_.previousP3 = p3;
}
