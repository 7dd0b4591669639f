#include "simulator/sim8051_ops.h"
#include "simulator/timers_inline.h"

#include "common/text_util.h"

#include <algorithm>

struct CSim8051::Dispatch
{
    using Handler = void (*)(CSim8051&, uint8_t);
    using S = CSim8051;
    using Ops = CSim8051::Ops;
    using Loc = sim_detail::Loc;
    using AluOp = sim_detail::AluOp;

    // The dispatch table is derived from the opcode table: mnemonic and
    // operand kinds pick the handler, so the two cannot drift apart.
    template <class Pick> static constexpr Handler ByLoc(O kind, Pick pick)
    {
        switch (kind) {
        case O::kA:
            return pick.template operator()<Loc::kA>();
        case O::kRn:
            return pick.template operator()<Loc::kRn>();
        case O::kAtRi:
            return pick.template operator()<Loc::kAtRi>();
        case O::kDirect:
            return pick.template operator()<Loc::kDirect>();
        case O::kImm8:
            return pick.template operator()<Loc::kImm>();
        default:
            return &Ops::Undefined;
        }
    }

    template <AluOp Alu> static constexpr Handler SelectAlu(const OpcodeInfo& row)
    {
        const O first = row.operands[0];
        const O second = row.operands[1];
        if (first == O::kA) {
            return ByLoc(second, []<Loc L>() { return &Ops::AluA<Alu, L>; });
        }
        if (first == O::kDirect) {
            return ByLoc(second, []<Loc L>() { return &Ops::AluDirect<Alu, L>; });
        }
        if constexpr (Alu == AluOp::kOrl || Alu == AluOp::kAnl) {
            return second == O::kNotBit ? &Ops::AluCarry<Alu, true> : &Ops::AluCarry<Alu, false>;
        }
        return &Ops::Undefined;
    }

    template <Mn M> static constexpr Handler SelectBitFamily(O operand)
    {
        if (operand == O::kC) {
            return &Ops::CarryOp<M>;
        }
        if (operand == O::kBit) {
            return &Ops::BitOp<M>;
        }
        if constexpr (M != Mn::kSetb) {
            return &Ops::AccOp<M>;
        }
        return &Ops::Undefined;
    }

    static constexpr Handler SelectMov(uint8_t opcode, const OpcodeInfo& row)
    {
        const O first = row.operands[0];
        const O second = row.operands[1];
        if (opcode == kMovDirectDirect) {
            return &Ops::MovDirectDirect;
        }
        if (first == O::kDptr) {
            return &Ops::MovDptr;
        }
        if (first == O::kBit) {
            return &Ops::MovBitCarry;
        }
        if (first == O::kC) {
            return &Ops::MovCarryBit;
        }
        return ByLoc(first, [second]<Loc D>() {
            return ByLoc(second, []<Loc Src>() { return &Ops::Mov<D, Src>; });
        });
    }

    static constexpr Handler SelectMovx(const OpcodeInfo& row)
    {
        const bool read = row.operands[0] == O::kA;
        const bool viaRi = row.operands[read ? 1 : 0] == O::kAtRi;
        if (read) {
            return viaRi ? &Ops::Movx<true, true> : &Ops::Movx<true, false>;
        }
        return viaRi ? &Ops::Movx<false, true> : &Ops::Movx<false, false>;
    }

    static constexpr Handler Select(uint8_t opcode)
    {
        const OpcodeInfo& row = OpcodeTable[opcode];
        const O first = row.operands[0];
        const O second = row.operands[1];
        switch (row.mnemonic) {
        case Mn::kNop:
            return &Ops::Nop;
        case Mn::kAjmp:
            return &Ops::Ajmp;
        case Mn::kAcall:
            return &Ops::Acall;
        case Mn::kLjmp:
            return &Ops::Ljmp;
        case Mn::kLcall:
            return &Ops::Lcall;
        case Mn::kRet:
            return &Ops::Ret;
        case Mn::kReti:
            return &Ops::Reti;
        case Mn::kSjmp:
            return &Ops::Sjmp;
        case Mn::kJmp:
            return &Ops::JmpIndirect;
        case Mn::kJc:
            return &Ops::JumpIf<Mn::kJc>;
        case Mn::kJnc:
            return &Ops::JumpIf<Mn::kJnc>;
        case Mn::kJz:
            return &Ops::JumpIf<Mn::kJz>;
        case Mn::kJnz:
            return &Ops::JumpIf<Mn::kJnz>;
        case Mn::kJb:
            return &Ops::JumpBit<Mn::kJb>;
        case Mn::kJnb:
            return &Ops::JumpBit<Mn::kJnb>;
        case Mn::kJbc:
            return &Ops::JumpBit<Mn::kJbc>;
        case Mn::kCjne:
            return ByLoc(first, [second]<Loc A>() {
                return ByLoc(second, []<Loc B>() { return &Ops::Cjne<A, B>; });
            });
        case Mn::kDjnz:
            return ByLoc(first, []<Loc L>() { return &Ops::Djnz<L>; });
        case Mn::kRr:
            return &Ops::Rotate<Mn::kRr>;
        case Mn::kRrc:
            return &Ops::Rotate<Mn::kRrc>;
        case Mn::kRl:
            return &Ops::Rotate<Mn::kRl>;
        case Mn::kRlc:
            return &Ops::Rotate<Mn::kRlc>;
        case Mn::kSwap:
            return &Ops::Rotate<Mn::kSwap>;
        case Mn::kInc:
            return first == O::kDptr ? &Ops::IncDptr
                                     : ByLoc(first, []<Loc L>() { return &Ops::Step<1, L>; });
        case Mn::kDec:
            return ByLoc(first, []<Loc L>() { return &Ops::Step<-1, L>; });
        case Mn::kAdd:
            return SelectAlu<AluOp::kAdd>(row);
        case Mn::kAddc:
            return SelectAlu<AluOp::kAddc>(row);
        case Mn::kSubb:
            return SelectAlu<AluOp::kSubb>(row);
        case Mn::kOrl:
            return SelectAlu<AluOp::kOrl>(row);
        case Mn::kAnl:
            return SelectAlu<AluOp::kAnl>(row);
        case Mn::kXrl:
            return SelectAlu<AluOp::kXrl>(row);
        case Mn::kMov:
            return SelectMov(opcode, row);
        case Mn::kMovc:
            return second == O::kAtAPc ? &Ops::MovcPc : &Ops::MovcDptr;
        case Mn::kMovx:
            return SelectMovx(row);
        case Mn::kPush:
            return &Ops::Push;
        case Mn::kPop:
            return &Ops::Pop;
        case Mn::kClr:
            return SelectBitFamily<Mn::kClr>(first);
        case Mn::kCpl:
            return SelectBitFamily<Mn::kCpl>(first);
        case Mn::kSetb:
            return SelectBitFamily<Mn::kSetb>(first);
        case Mn::kDa:
            return &Ops::Da;
        case Mn::kMul:
            return &Ops::Mul;
        case Mn::kDiv:
            return &Ops::Div;
        case Mn::kXch:
            return ByLoc(second, []<Loc L>() { return &Ops::Xch<L>; });
        case Mn::kXchd:
            return &Ops::Xchd;
        case Mn::kUndefined:
        case Mn::kCount:
            return &Ops::Undefined;
        }
        return &Ops::Undefined;
    }

    static constexpr std::array<Handler, 256> MakeDispatch()
    {
        std::array<Handler, 256> table{};
        for (int opcode = 0; opcode < 256; ++opcode) {
            table[opcode] = Select(static_cast<uint8_t>(opcode));
        }
        return table;
    }

    static const std::array<Handler, 256> kTable;

    static constexpr bool OnlyA5IsUndefined();

    // A switch over constant handlers lets the compiler inline each one.
    // Counting, it also adds the instruction's cycles, a constant but for
    // LCALL (none for a call of the monitor's break routine).
    template <bool Counting> [[gnu::always_inline]] static inline void Run(CSim8051& s, uint8_t op);

    // The common cases of the peripheral work around each instruction. With
    // no virtual buttons attached a port reads as its stored byte. Each test
    // is one branch: with fewer taken branches between two dispatches the
    // dispatch jump is predicted better.

    // Both INT pins high and nothing pending: no request can start or end.
    [[gnu::always_inline]] static bool SamplingIsIdle(const S& s)
    {
        constexpr uint8_t kPins = sfr::kPinInt0 | sfr::kPinInt1;
        return (reinterpret_cast<uintptr_t>(s.buttons_) |
                (~s.state_.DirectSpace[sfr::kP3] & kPins) | s.state_.externalPending) == 0;
    }

    // No buttons, timer 0 not in mode 3, timer 2 not counting, no
    // transmission in progress and no byte waiting for the receiver: only
    // timers 0 and 1 in modes 0-2 may count.
    [[gnu::always_inline]] static bool TimersAreSimple(const S& s)
    {
        const auto& space = s.state_.DirectSpace;
        return (reinterpret_cast<uintptr_t>(s.buttons_) |
                static_cast<uintptr_t>((space[sfr::kTmod] & 0x03) == 0x03) |
                static_cast<uintptr_t>(
                    (space[sfr::kT2con] & (sfr::kTr2 | sfr::kTclk | sfr::kRclk)) == sfr::kTr2) |
                static_cast<uintptr_t>(s.state_.transmitBusy) |
                static_cast<uintptr_t>(s.receiverWaiting_)) == 0;
    }

    // UpdateTimers for that case.
    [[gnu::always_inline]] static void RunSimpleTimers(S& s, uint32_t cycles)
    {
        auto& space = s.state_.DirectSpace;
        const uint8_t p3 = space[sfr::kP3];
        const uint8_t tcon = space[sfr::kTcon];
        if (tcon & (sfr::kTr0 | sfr::kTr1)) {
            const uint8_t tmod = space[sfr::kTmod];
            s.RunTimer<0>(p3, cycles, tcon, tmod);
            s.RunTimer<1>(p3, cycles, tcon, tmod);
        }
        s.state_.previousP1 = space[sfr::kP1];
        s.state_.previousP3 = p3;
    }

    // The rest of the poll's entry conditions, then the poll. A raised flag
    // of a disabled source (TF1 of timer 1 as a baud generator stays up) is
    // passed over here without the call; with ES on the poll may still act.
    [[gnu::noinline]] static bool Interrupt(S& s, uint8_t op)
    {
        const uint8_t ie = s.state_.DirectSpace[sfr::kIe];
        if (((sim_detail::RequestsOnEnableBits(s.state_) & ie) | (ie & sfr::kEs)) == 0) {
            return false;
        }
        return !s.state_.highInService && op != 0x32 && s.PollInterrupts();
    }

    [[gnu::cold]] [[gnu::noinline]] static void StackMessage(S& s, uint32_t top)
    {
        s.Report(StrFormat(kStackMessage, static_cast<int>(top), s.state_.pc));
    }

    [[gnu::cold]] [[gnu::noinline]] static void WrapPc(S& s)
    {
        s.Report(kPcWrapMessage);
        s.state_.pc &= 0xFFFF;
        s.state_.pcWrapped = true;
    }
};

constexpr std::array<CSim8051::Dispatch::Handler, 256> CSim8051::Dispatch::kTable = MakeDispatch();

constexpr bool CSim8051::Dispatch::OnlyA5IsUndefined()
{
    for (int opcode = 0; opcode < 256; ++opcode) {
        if ((kTable[opcode] == &Ops::Undefined) != (opcode == 0xA5)) {
            return false;
        }
    }
    return true;
}

template <bool Counting> inline void CSim8051::Dispatch::Run(CSim8051& s, uint8_t op)
{
#define IDE51_OP(n)                                                                                \
    case n: {                                                                                      \
        constexpr Handler handler = kTable[n];                                                     \
        constexpr uint32_t cycles = OpcodeTable[n].cycles;                                         \
        if constexpr (!Counting) {                                                                 \
            handler(s, n);                                                                         \
        } else if constexpr (n == 0x12) {                                                          \
            s.cycles_ = cycles;                                                                    \
            handler(s, n);                                                                         \
            s.state_.cycles += s.cycles_;                                                          \
            s.state_.totalCycles += s.cycles_;                                                     \
        } else {                                                                                   \
            if constexpr (cycles > 2) {                                                            \
                s.EndLazyCountingForLongStep();                                                    \
            }                                                                                      \
            handler(s, n);                                                                         \
            s.state_.cycles += cycles;                                                             \
            s.state_.totalCycles += cycles;                                                        \
        }                                                                                          \
        break;                                                                                     \
    }
#define IDE51_OP4(n) IDE51_OP(n) IDE51_OP(n + 1) IDE51_OP(n + 2) IDE51_OP(n + 3)
#define IDE51_OP16(n) IDE51_OP4(n) IDE51_OP4(n + 4) IDE51_OP4(n + 8) IDE51_OP4(n + 12)
#define IDE51_OP64(n) IDE51_OP16(n) IDE51_OP16(n + 16) IDE51_OP16(n + 32) IDE51_OP16(n + 48)
    switch (op) {
        IDE51_OP64(0)
        IDE51_OP64(64)
        IDE51_OP64(128)
        IDE51_OP64(192)
    }
#undef IDE51_OP64
#undef IDE51_OP16
#undef IDE51_OP4
#undef IDE51_OP
}

// Inline in the handlers that push: the message is the rare part.
inline void CSim8051::StackCheck(uint32_t pushes)
{
    const uint32_t top = state_.DirectSpace[sfr::kSp] + pushes;
    if (top > state_.maxSp) {
        state_.maxSp = top;
    }
    if (top >= static_cast<uint32_t>(ramSize_)) [[unlikely]] {
        Dispatch::StackMessage(*this, top);
    }
}

void CSim8051::Push(uint8_t value)
{
    uint8_t& sp = state_.DirectSpace[sfr::kSp];
    ++sp;
    WriteIndirect(sp, value);
}

inline uint8_t CSim8051::Pop()
{
    uint8_t& sp = state_.DirectSpace[sfr::kSp];
    const uint8_t value = ReadIndirect(sp);
    --sp;
    return value;
}

void CSim8051::Call(uint32_t returnAddress, uint32_t target)
{
    StackCheck(2);
    Push(returnAddress & 0xFF);
    Push((returnAddress >> 8) & 0xFF);
    ++state_.CallDepth;
    state_.pc = target;
}

void CSim8051::ExecuteInstruction()
{
#if !defined(__SANITIZE_ADDRESS__) // sanitized builds cannot compare function addresses here
    static_assert(Dispatch::OnlyA5IsUndefined());
#endif
    state_.pcWrapped = false;
    state_.messageShown = false;
    if (!Dispatch::SamplingIsIdle(*this)) [[unlikely]] {
        SampleExternalInterrupts();
    }
    if (state_.pc > 0xFFFF) [[unlikely]] {
        Dispatch::WrapPc(*this);
    }
    const uint8_t op = code_.ReadCodeByte(state_.pc);
    if (sim_detail::InterruptMayBeDue(state_)) [[unlikely]] {
        if (Dispatch::Interrupt(*this, op)) {
            state_.interruptTaken = true;
            return;
        }
    }
    code_.AddExecution(state_.pc);
    cycles_ = OpcodeTable[op].cycles;
    Dispatch::Run<false>(*this, op);
    state_.cycles += cycles_;
    state_.totalCycles += cycles_;
    if (Dispatch::TimersAreSimple(*this)) [[likely]] {
        Dispatch::RunSimpleTimers(*this, cycles_);
    } else {
        UpdateTimers(cycles_);
    }
    UpdateBankBase();
}

CSim8051::RunResultType CSim8051::Run(int64_t maxSteps, const CStopMap& stops)
{
    int64_t steps = 0;
    int64_t interrupts = 0;
    const uint8_t* marks = stops.Data();
    // While the fast part cannot take over, asking again after every step
    // costs more than the step: the asks grow sparser, up to every 64th.
    int32_t untilAsk = 0;
    int32_t askEvery = 1;
    while (steps < maxSteps) {
        // Every run starts with a full step, and a full step follows
        // whenever the fast part gives up.
        state_.interruptTaken = false;
        state_.pcWrapped = false;
        ExecuteInstruction();
        ++steps;
        interrupts += state_.interruptTaken ? 1 : 0;
        if (state_.messageShown || marks[state_.pc & CStopMap::kMask] != 0) {
            break;
        }
        if (steps == maxSteps || --untilAsk > 0) {
            continue;
        }
        stepUpdate_ = false;
        if (!PrepareFast()) {
            askEvery = std::min(askEvery * 2, 64);
            untilAsk = askEvery;
            continue;
        }
        askEvery = 1;
        state_.interruptTaken = false;
        steps = RunFast(steps, maxSteps, marks);
        if (state_.messageShown || marks[state_.pc & CStopMap::kMask] != 0) {
            break;
        }
    }
    return {steps, interrupts};
}

int64_t CSim8051::RunFast(int64_t steps, int64_t maxSteps, const uint8_t* marks)
{
    // Locals: the stores of the instructions (bytes, which may alias
    // anything) do not force them to be loaded again.
    const uint8_t* const bytes = code_.Bytes();
    uint32_t* const counts = code_.ExecutionCounts();
    lazy_ = true;
    SetLazyHooks(true);
    syncedAt_ = state_.totalCycles;
    for (;;) {
        const uint32_t pc = state_.pc & 0xFFFF; // a wider PC is marked and never gets here
        const uint8_t op = bytes[pc];
        ++counts[pc];
        Dispatch::Run<true>(*this, op);
        ++steps;
        if (static_cast<int32_t>(state_.totalCycles - eventAt_) >= 0) [[unlikely]] {
            if (!TimerEvent()) {
                break;
            }
        }
        if ((marks[state_.pc & CStopMap::kMask] != 0) | (steps == maxSteps)) [[unlikely]] {
            break;
        }
    }
    CatchUp();
    SetLazyHooks(false);
    lazy_ = false;
    return steps;
}
