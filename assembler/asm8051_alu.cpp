// Encoders of the arithmetic, logic, compare, increment, exchange and
// single-operand instructions.
#include "assembler/asm8051.h"
#include "assembler/asm8051_info.h"
#include "assembler/eval_equation.h"

void CAsm8051::EncodeArith(const MnemonicInfo& info)
{
    if (!IsAccumulator(NextOperand())) {
        Error(info.message);
        return;
    }
    EncodeAccumulatorSource(info.op[0]);
}

// A,#data base+4 | A,direct base+5 | A,@Ri base+6+i | A,Rn base+8+n
void CAsm8051::EncodeAccumulatorSource(int base)
{
    EncodeAccumulatorSource(base, NextOperand());
}

void CAsm8051::EncodeAccumulatorSource(int base, const Operand& source)
{
    switch (source.kind) {
    case OperandKind::Immediate:
        Emit(base + 4);
        EmitByteOperand(source, Check::DataError);
        break;
    case OperandKind::Indirect:
    case OperandKind::AtDptr:
    case OperandKind::AtOther:
        Emit(base + 6 + IndirectRegister(source));
        break;
    case OperandKind::Register:
        Emit(base + 8 + source.reg);
        break;
    default:
        Emit(base + 5);
        EmitByteOperand(source, Check::DirectRange);
        break;
    }
}

// ANL/ORL/XRL: the accumulator forms share the ADD layout; direct,A base+2;
// direct,#data base+3; ANL and ORL also take C,bit and C,/bit.
void CAsm8051::EncodeLogic(const MnemonicInfo& info)
{
    const Operand dest = NextOperand();
    if (dest.kind == OperandKind::A) {
        EncodeAccumulatorSource(info.op[0]);
        return;
    }
    if (dest.kind == OperandKind::C && info.op[1] != kNoOpcode) {
        EncodeLogicBit(info);
        return;
    }
    EncodeLogicDirect(info, dest);
}

void CAsm8051::EncodeLogicBit(const MnemonicInfo& info)
{
    scan_.SkipSeparators();
    const bool complement = scan_.Peek() == '/';
    if (complement) {
        scan_.Advance();
    }
    const Operand bit = NextOperand();
    const int32_t address = ResolveBit(bit, true);
    Emit(complement ? info.op[2] : info.op[1]);
    Emit(address);
}

void CAsm8051::EncodeLogicDirect(const MnemonicInfo& info, const Operand& dest)
{
    if (!dest.commaAfter) {
        Pass2Error(" Comma (,) expected");
        return;
    }
    const Operand source = NextOperand();
    if (IsAccumulator(source)) {
        Emit(info.op[0] + 2);
        Emit(EvalNarrow(dest.field));
    } else if (source.kind == OperandKind::Immediate) {
        Emit(info.op[0] + 3);
        Emit(EvalNarrow(dest.field));
        EmitByteOperand(source, Check::DataWarning);
    } else if (dest.accumulatorSymbol) {
        EncodeAccumulatorSource(info.op[0], source);
    } else {
        Pass2Error(" Invalid source operand");
    }
}

// CJNE A,#data,rel B4 | A,direct,rel B5 | @Ri,#data,rel B6+i | Rn,#data,rel B8+n
void CAsm8051::EncodeCjne(const MnemonicInfo& info)
{
    const Operand first = NextOperand();
    if (IsAccumulator(first)) {
        const Operand source = NextOperand();
        Emit(source.kind == OperandKind::Immediate ? info.op[0] : info.op[0] + 1);
        EmitByteOperand(source, Check::CjneData);
        EmitRelative(NextOperand(), 3);
        return;
    }
    int opcode = 0;
    switch (first.kind) {
    case OperandKind::Indirect:
    case OperandKind::AtDptr:
    case OperandKind::AtOther:
        opcode = info.op[0] + 2 + IndirectRegister(first);
        break;
    case OperandKind::Register:
        opcode = info.op[0] + 4 + first.reg;
        break;
    default:
        Error(" Invalid register");
        Emit(info.op[0] + 4);
        return;
    }
    const Operand source = NextOperand();
    Emit(opcode);
    if (source.kind != OperandKind::Immediate) {
        Error("Second operand must be immediate data (#data)");
        return;
    }
    EmitByteOperand(source, Check::CjneData);
    EmitRelative(NextOperand(), 3);
}

// CLR/CPL A | C | bit; SETB C | bit. An unknown bit still takes two bytes.
void CAsm8051::EncodeBitOp(const MnemonicInfo& info)
{
    const Operand operand = NextOperand();
    if (operand.kind == OperandKind::A && info.op[0] != kNoOpcode) {
        Emit(info.op[0]);
        return;
    }
    if (operand.kind == OperandKind::C) {
        Emit(info.op[1]);
        return;
    }
    int32_t bit = ResolveBit(operand, false);
    if (bit < 0) {
        Error(info.message);
        bit = 0xFF;
    }
    Emit(info.op[2]);
    Emit(bit);
}

// DA, RL, RLC, RR, RRC, SWAP: A only.
void CAsm8051::EncodeAccumulator(const MnemonicInfo& info)
{
    if (IsAccumulator(NextOperand())) {
        Emit(info.op[0]);
    } else {
        Error(info.message);
    }
}

// DIV, MUL: AB only.
void CAsm8051::EncodeAb(const MnemonicInfo& info)
{
    if (NextOperand().kind == OperandKind::AB) {
        Emit(info.op[0]);
    } else {
        Error(info.message);
    }
}

// INC/DEC A base+4 | direct base+5 | @Ri base+6+i | Rn base+8+n; INC DPTR A3
void CAsm8051::EncodeIncDec(const MnemonicInfo& info)
{
    const int base = info.op[0];
    const Operand operand = NextOperand();
    switch (operand.kind) {
    case OperandKind::A:
        Emit(base + 4);
        break;
    case OperandKind::Indirect:
    case OperandKind::AtDptr:
    case OperandKind::AtOther:
        Emit(base + 6 + IndirectRegister(operand));
        break;
    case OperandKind::Register:
        Emit(base + 8 + operand.reg);
        break;
    default:
        if (operand.kind == OperandKind::Dptr && info.op[1] != kNoOpcode) {
            Emit(info.op[1]);
            break;
        }
        Emit(base + 5);
        EmitByteOperand(operand, Check::DirectRange);
        break;
    }
}

// DJNZ Rn,rel D8+n (2 bytes) | direct,rel D5 (3 bytes, no range test)
void CAsm8051::EncodeDjnz(const MnemonicInfo& info)
{
    const Operand counter = NextOperand();
    if (counter.kind == OperandKind::Register) {
        Emit(info.op[0] + counter.reg);
        EmitRelative(NextOperand(), 2);
        return;
    }
    Emit(info.op[1]);
    EmitByteOperand(counter, Check::None);
    EmitRelative(NextOperand(), 3);
}

void CAsm8051::EncodeFixed(const MnemonicInfo& info)
{
    Emit(info.op[0]);
}

// PUSH/POP direct
void CAsm8051::EncodeStack(const MnemonicInfo& info)
{
    const Operand operand = NextOperand();
    Emit(info.op[0]);
    EmitByteOperand(operand, Check::DataWarning);
}

// XCH A,direct C5 | A,@Ri C6+i | A,Rn C8+n; "#" has no form of its own here.
void CAsm8051::EncodeXch(const MnemonicInfo& info)
{
    if (!IsAccumulator(NextOperand())) {
        Error(info.message);
        return;
    }
    const Operand source = NextOperand();
    switch (source.kind) {
    case OperandKind::Indirect:
    case OperandKind::AtDptr:
    case OperandKind::AtOther:
        Emit(info.op[0] + 6 + IndirectRegister(source));
        break;
    case OperandKind::Register:
        Emit(info.op[0] + 8 + source.reg);
        break;
    default:
        Emit(info.op[0] + 5);
        EmitByteOperand(source, Check::DirectRange);
        break;
    }
}

// XCHD A,@Ri D6+i
void CAsm8051::EncodeXchd(const MnemonicInfo& info)
{
    if (!IsAccumulator(NextOperand())) {
        Error(" A, must be the first operand");
        return;
    }
    const Operand source = NextOperand();
    if (source.kind != OperandKind::Indirect) {
        Error(" Invalid second operand, valid operands: @R0 and @R1");
        return;
    }
    Emit(info.op[0] + source.reg);
}
