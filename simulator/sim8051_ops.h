#pragma once

// Instruction handlers; included only by the dispatch.

#include "simulator/opcode_table.h"
#include "simulator/sim8051.h"

#include "common/text_util.h"

namespace sim_detail {

// Operand locations that a handler template reads or writes.
enum class Loc : uint8_t
{
    kA,
    kRn,
    kAtRi,
    kDirect,
    kImm
};
enum class AluOp : uint8_t
{
    kAdd,
    kAddc,
    kSubb,
    kOrl,
    kAnl,
    kXrl
};

} // namespace sim_detail

struct CSim8051::Ops
{
    using S = CSim8051;
    using Loc = sim_detail::Loc;
    using AluOp = sim_detail::AluOp;

    template <Loc L>
    static constexpr uint32_t kBytes = (L == Loc::kDirect || L == Loc::kImm) ? 1 : 0;

    static uint8_t Fetch(const S& s, uint32_t offset)
    {
        return s.code_.ReadCodeByte(s.state_.pc + offset);
    }
    static uint8_t& Reg(S& s, uint8_t op)
    {
        return s.state_.DirectSpace[s.state_.bankBase + (op & 7)];
    }
    static uint8_t RiAddress(const S& s, uint8_t op)
    {
        return s.state_.DirectSpace[s.state_.bankBase + (op & 1)];
    }
    // Relative targets count from the next instruction; PC stays wide so
    // running off either end is caught by the next fetch.
    static void Branch(S& s, uint32_t length, uint8_t rel)
    {
        s.state_.pc +=
            length + static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(rel)));
    }

    // `operand` is the operand byte for direct and immediate locations.
    template <Loc L> static uint8_t Get(S& s, uint8_t op, uint8_t operand)
    {
        if constexpr (L == Loc::kA) {
            return s.Acc();
        } else if constexpr (L == Loc::kRn) {
            return Reg(s, op);
        } else if constexpr (L == Loc::kAtRi) {
            return s.ReadIndirect(RiAddress(s, op));
        } else if constexpr (L == Loc::kDirect) {
            return s.ReadDirectOperand(operand);
        } else {
            return operand;
        }
    }

    template <Loc L>
    [[gnu::always_inline]] static void Put(S& s, uint8_t op, uint8_t operand, uint8_t value)
    {
        if constexpr (L == Loc::kA) {
            s.SetAcc(value);
        } else if constexpr (L == Loc::kRn) {
            Reg(s, op) = value;
        } else if constexpr (L == Loc::kAtRi) {
            s.WriteIndirect(RiAddress(s, op), value);
        } else if constexpr (L == Loc::kDirect) {
            s.WriteDirect(operand, value);
        }
    }

    [[gnu::cold]] [[gnu::noinline]] static void Undefined(S& s, uint8_t)
    {
        s.Report(StrFormat(kUndefinedInstructionMessage, static_cast<int>(s.state_.pc)));
        s.state_.pc += 1;
    }

    // NOP   0000 0000
    [[gnu::always_inline]] static void Nop(S& s, uint8_t) { s.state_.pc += 1; }

    static uint32_t PageTarget(const S& s, uint8_t op)
    {
        return ((s.state_.pc + 2) & 0xF800) | (uint32_t{op} >> 5) << 8 | Fetch(s, 1);
    }

    // AJMP addr11   aaa0 0001
    [[gnu::always_inline]] static void Ajmp(S& s, uint8_t op) { s.state_.pc = PageTarget(s, op); }

    // ACALL addr11   aaa1 0001
    [[gnu::always_inline]] static void Acall(S& s, uint8_t op)
    {
        s.Call(s.state_.pc + 2, PageTarget(s, op));
    }

    // LJMP addr16   0000 0010
    [[gnu::always_inline]] static void Ljmp(S& s, uint8_t)
    {
        s.state_.pc = Fetch(s, 1) << 8 | Fetch(s, 2);
    }

    // LCALL addr16   0001 0010
    [[gnu::always_inline]] static void Lcall(S& s, uint8_t)
    {
        const uint32_t target = Fetch(s, 1) << 8 | Fetch(s, 2);
        if (s.monitorBreakUsed_ && target == s.monitorBreakAddress_) {
            // A call into the board monitor is a no-op here.
            s.state_.pc += 3;
            s.cycles_ = 0;
            return;
        }
        s.Call(s.state_.pc + 3, target);
    }

    // RET   0010 0010
    [[gnu::always_inline]] static void Ret(S& s, uint8_t)
    {
        const uint8_t high = s.Pop();
        const uint8_t low = s.Pop();
        s.state_.pc = high << 8 | low;
        --s.state_.CallDepth;
    }

    // RETI   0011 0010
    [[gnu::always_inline]] static void Reti(S& s, uint8_t op)
    {
        Ret(s, op);
        if (s.state_.lowInService && s.state_.highInService) {
            s.state_.highInService = false;
            s.state_.priorityLevel = 0;
        } else {
            s.state_.lowInService = false;
            s.state_.highInService = false;
            s.state_.priorityLevel = -1;
        }
    }

    // SJMP rel   1000 0000
    [[gnu::always_inline]] static void Sjmp(S& s, uint8_t) { Branch(s, 2, Fetch(s, 1)); }

    // JMP @A+DPTR   0111 0011
    [[gnu::always_inline]] static void JmpIndirect(S& s, uint8_t)
    {
        s.state_.pc = uint32_t{s.Dptr()} + s.Acc();
    }

    // JC/JNC/JZ/JNZ rel
    template <Mn M> [[gnu::always_inline]] static void JumpIf(S& s, uint8_t)
    {
        bool taken = false;
        if constexpr (M == Mn::kJc || M == Mn::kJnc) {
            taken = s.Carry() == (M == Mn::kJc);
        } else {
            taken = (s.Acc() == 0) == (M == Mn::kJz);
        }
        if (taken) {
            Branch(s, 2, Fetch(s, 1));
        } else {
            s.state_.pc += 2;
        }
    }

    // JB/JNB/JBC bit,rel
    template <Mn M> [[gnu::always_inline]] static void JumpBit(S& s, uint8_t)
    {
        const uint8_t bit = Fetch(s, 1);
        const bool set = s.ReadBitOperand(bit);
        if (M == Mn::kJbc && set) {
            s.WriteBit(bit, false);
        }
        if (set == (M != Mn::kJnb)) {
            Branch(s, 3, Fetch(s, 2));
        } else {
            s.state_.pc += 3;
        }
    }

    // CJNE A,#data / A,direct / @Ri,#data / Rn,#data, rel
    template <Loc First, Loc Second> [[gnu::always_inline]] static void Cjne(S& s, uint8_t op)
    {
        const uint8_t x = Get<First>(s, op, 0);
        const uint8_t y = Get<Second>(s, op, Fetch(s, 1));
        s.SetFlag(sfr::kCy, x < y);
        if (x != y) {
            Branch(s, 3, Fetch(s, 2));
        } else {
            s.state_.pc += 3;
        }
    }

    // DJNZ Rn,rel   1101 1rrr  /  DJNZ direct,rel   1101 0101
    template <Loc L> [[gnu::always_inline]] static void Djnz(S& s, uint8_t op)
    {
        const uint8_t address = Fetch(s, 1);
        const uint8_t value = static_cast<uint8_t>(Get<L>(s, op, address) - 1);
        Put<L>(s, op, address, value);
        constexpr uint32_t length = 2 + kBytes<L>;
        if (value != 0) {
            Branch(s, length, Fetch(s, length - 1));
        } else {
            s.state_.pc += length;
        }
    }

    // RR/RRC/RL/RLC/SWAP A
    template <Mn M> [[gnu::always_inline]] static void Rotate(S& s, uint8_t)
    {
        const uint8_t a = s.Acc();
        const uint8_t carry = s.Carry() ? 1 : 0;
        uint8_t result = 0;
        if constexpr (M == Mn::kRr) {
            result = static_cast<uint8_t>(a >> 1 | a << 7);
        } else if constexpr (M == Mn::kRl) {
            result = static_cast<uint8_t>(a << 1 | a >> 7);
        } else if constexpr (M == Mn::kRrc) {
            result = static_cast<uint8_t>(a >> 1 | carry << 7);
            s.SetFlag(sfr::kCy, a & 0x01);
        } else if constexpr (M == Mn::kRlc) {
            result = static_cast<uint8_t>(a << 1 | carry);
            s.SetFlag(sfr::kCy, a & 0x80);
        } else {
            result = static_cast<uint8_t>(a << 4 | a >> 4);
        }
        s.SetAcc(result);
        s.state_.pc += 1;
    }

    // INC/DEC A, direct, @Ri, Rn
    template <int Delta, Loc L> [[gnu::always_inline]] static void Step(S& s, uint8_t op)
    {
        const uint8_t address = kBytes<L> ? Fetch(s, 1) : 0;
        Put<L>(s, op, address, static_cast<uint8_t>(Get<L>(s, op, address) + Delta));
        s.state_.pc += 1 + kBytes<L>;
    }

    // INC DPTR   1010 0011
    [[gnu::always_inline]] static void IncDptr(S& s, uint8_t)
    {
        s.SetDptr(static_cast<uint16_t>(s.Dptr() + 1));
        s.state_.pc += 1;
    }

    [[gnu::always_inline]] static uint8_t Combine(S& s, AluOp alu, uint8_t x, uint8_t y)
    {
        AluResult r{};
        switch (alu) {
        case AluOp::kOrl:
            return x | y;
        case AluOp::kAnl:
            return x & y;
        case AluOp::kXrl:
            return x ^ y;
        case AluOp::kAdd:
            r = Add8(x, y, false);
            break;
        case AluOp::kAddc:
            r = Add8(x, y, s.Carry());
            break;
        case AluOp::kSubb:
            r = Subb8(x, y, s.Carry());
            break;
        }
        uint8_t& psw = s.state_.DirectSpace[sfr::kPsw];
        psw =
            static_cast<uint8_t>((psw & ~(sfr::kCy | sfr::kAc | sfr::kOv)) | (r.cy ? sfr::kCy : 0) |
                                 (r.ac ? sfr::kAc : 0) | (r.ov ? sfr::kOv : 0));
        return r.value;
    }

    // ADD/ADDC/SUBB/ORL/ANL/XRL A,src
    template <AluOp Alu, Loc L> [[gnu::always_inline]] static void AluA(S& s, uint8_t op)
    {
        const uint8_t y = Get<L>(s, op, kBytes<L> ? Fetch(s, 1) : 0);
        s.SetAcc(Combine(s, Alu, s.Acc(), y));
        s.state_.pc += 1 + kBytes<L>;
    }

    // ORL/ANL/XRL direct,A and direct,#data
    template <AluOp Alu, Loc L> [[gnu::always_inline]] static void AluDirect(S& s, uint8_t op)
    {
        const uint8_t address = Fetch(s, 1);
        const uint8_t y = Get<L>(s, op, kBytes<L> ? Fetch(s, 2) : 0);
        s.WriteDirect(address, Combine(s, Alu, s.ReadDirectOperand(address), y));
        s.state_.pc += 2 + kBytes<L>;
    }

    // ORL/ANL C,bit and C,/bit
    template <AluOp Alu, bool Inverted> [[gnu::always_inline]] static void AluCarry(S& s, uint8_t)
    {
        const bool bit = s.ReadBitOperand(Fetch(s, 1)) != Inverted;
        s.SetFlag(sfr::kCy, Alu == AluOp::kOrl ? (s.Carry() || bit) : (s.Carry() && bit));
        s.state_.pc += 2;
    }

    // MOV dst,src in source order of operand bytes
    template <Loc D, Loc Src> [[gnu::always_inline]] static void Mov(S& s, uint8_t op)
    {
        const uint8_t dstByte = kBytes<D> ? Fetch(s, 1) : 0;
        const uint8_t srcByte = kBytes<Src> ? Fetch(s, 1 + kBytes<D>) : 0;
        Put<D>(s, op, dstByte, Get<Src>(s, op, srcByte));
        s.state_.pc += 1 + kBytes<D> + kBytes<Src>;
    }

    // MOV direct,direct   1000 0101 src dst
    [[gnu::always_inline]] static void MovDirectDirect(S& s, uint8_t)
    {
        s.WriteDirect(Fetch(s, 2), s.ReadDirectOperand(Fetch(s, 1)));
        s.state_.pc += 3;
    }

    // MOV DPTR,#data16   1001 0000
    [[gnu::always_inline]] static void MovDptr(S& s, uint8_t)
    {
        s.SetDptr(static_cast<uint16_t>(Fetch(s, 1) << 8 | Fetch(s, 2)));
        s.state_.pc += 3;
    }

    // MOV bit,C   1001 0010
    [[gnu::always_inline]] static void MovBitCarry(S& s, uint8_t)
    {
        s.WriteBit(Fetch(s, 1), s.Carry());
        s.state_.pc += 2;
    }

    // MOV C,bit   1010 0010
    [[gnu::always_inline]] static void MovCarryBit(S& s, uint8_t)
    {
        s.SetFlag(sfr::kCy, s.ReadBitOperand(Fetch(s, 1)));
        s.state_.pc += 2;
    }

    // MOVC A,@A+PC   1000 0011
    [[gnu::always_inline]] static void MovcPc(S& s, uint8_t)
    {
        s.state_.pc += 1;
        s.SetAcc(s.code_.ReadCodeByte(s.state_.pc + s.Acc()));
    }

    // MOVC A,@A+DPTR   1001 0011
    [[gnu::always_inline]] static void MovcDptr(S& s, uint8_t)
    {
        s.SetAcc(s.code_.ReadCodeByte(uint32_t{s.Dptr()} + s.Acc()));
        s.state_.pc += 1;
    }

    // MOVX A,@DPTR / A,@Ri / @DPTR,A / @Ri,A
    template <bool Read, bool ViaRi> [[gnu::always_inline]] static void Movx(S& s, uint8_t op)
    {
        const uint32_t address = ViaRi ? RiAddress(s, op) : s.Dptr();
        if constexpr (Read) {
            s.SetAcc(s.ReadExternal(address, ViaRi, true));
        } else {
            s.WriteExternal(address, s.Acc(), ViaRi, true);
        }
        s.state_.pc += 1;
    }

    // PUSH direct   1100 0000
    [[gnu::always_inline]] static void Push(S& s, uint8_t)
    {
        s.StackCheck(1);
        uint8_t& sp = s.state_.DirectSpace[sfr::kSp];
        ++sp; // before the read: PUSH SP stores the incremented value
        s.WriteIndirect(sp, s.ReadDirectOperand(Fetch(s, 1)));
        s.state_.pc += 2;
    }

    // POP direct   1101 0000
    [[gnu::always_inline]] static void Pop(S& s, uint8_t)
    {
        auto& space = s.state_.DirectSpace;
        s.WriteDirect(Fetch(s, 1), s.ReadIndirect(space[sfr::kSp]));
        --space[sfr::kSp]; // after the write: POP SP decrements the popped value
        s.state_.pc += 2;
    }

    // CLR/CPL/SETB bit
    template <Mn M> [[gnu::always_inline]] static void BitOp(S& s, uint8_t)
    {
        const uint8_t bit = Fetch(s, 1);
        s.WriteBit(bit, M == Mn::kSetb || (M == Mn::kCpl && !s.ReadBitOperand(bit)));
        s.state_.pc += 2;
    }

    // CLR/CPL/SETB C
    template <Mn M> [[gnu::always_inline]] static void CarryOp(S& s, uint8_t)
    {
        s.SetFlag(sfr::kCy, M == Mn::kSetb || (M == Mn::kCpl && !s.Carry()));
        s.state_.pc += 1;
    }

    // CLR A   1110 0100  /  CPL A   1111 0100
    template <Mn M> [[gnu::always_inline]] static void AccOp(S& s, uint8_t)
    {
        s.SetAcc(M == Mn::kClr ? 0 : static_cast<uint8_t>(~s.Acc()));
        s.state_.pc += 1;
    }

    // DA A   1101 0100
    [[gnu::always_inline]] static void Da(S& s, uint8_t)
    {
        const uint8_t psw = s.state_.DirectSpace[sfr::kPsw];
        const DecimalAdjustResult r = DecimalAdjust(s.Acc(), psw & sfr::kCy, psw & sfr::kAc);
        s.SetAcc(r.value);
        s.SetFlag(sfr::kCy, r.cy);
        s.state_.pc += 1;
    }

    // MUL AB   1010 0100
    [[gnu::always_inline]] static void Mul(S& s, uint8_t)
    {
        const uint32_t product = uint32_t{s.Acc()} * s.state_.DirectSpace[sfr::kB];
        s.SetAcc(product & 0xFF);
        s.state_.DirectSpace[sfr::kB] = static_cast<uint8_t>(product >> 8);
        s.SetFlag(sfr::kOv, product > 0xFF);
        s.SetFlag(sfr::kCy, false);
        s.state_.pc += 1;
    }

    // DIV AB   1000 0100
    [[gnu::always_inline]] static void Div(S& s, uint8_t)
    {
        const uint8_t a = s.Acc();
        const uint8_t b = s.state_.DirectSpace[sfr::kB];
        s.SetFlag(sfr::kCy, false);
        s.SetFlag(sfr::kOv, b == 0);
        if (b != 0) {
            s.SetAcc(a / b);
            s.state_.DirectSpace[sfr::kB] = a % b;
        }
        s.state_.pc += 1;
    }

    // XCH A,direct / A,@Ri / A,Rn
    template <Loc L> [[gnu::always_inline]] static void Xch(S& s, uint8_t op)
    {
        const uint8_t address = kBytes<L> ? Fetch(s, 1) : 0;
        const uint8_t other = Get<L>(s, op, address);
        Put<L>(s, op, address, s.Acc());
        s.SetAcc(other);
        s.state_.pc += 1 + kBytes<L>;
    }

    // XCHD A,@Ri   1101 011i
    [[gnu::always_inline]] static void Xchd(S& s, uint8_t op)
    {
        const uint8_t address = RiAddress(s, op);
        const uint8_t memory = s.ReadIndirect(address);
        const uint8_t a = s.Acc();
        s.WriteIndirect(address, (memory & 0xF0) | (a & 0x0F));
        s.SetAcc(static_cast<uint8_t>((a & 0xF0) | (memory & 0x0F)));
        s.state_.pc += 1;
    }
};
