// Encoders of the data moves: MOV, MOVC and MOVX.
#include "assembler/asm8051.h"
#include "assembler/asm8051_info.h"

#include "common/text_util.h"

// The destination decides the family; its keywords are tested before any
// expression, so A, @Ri, Rn, DPTR and C never reach the direct forms.
void CAsm8051::EncodeMov(const MnemonicInfo&)
{
    const Operand dest = NextOperand();
    switch (dest.kind) {
    case OperandKind::A:
        EncodeMovToA();
        return;
    case OperandKind::Indirect:
    case OperandKind::AtDptr:
    case OperandKind::AtOther:
        EncodeMovToIndirect(dest);
        return;
    case OperandKind::Register:
        EncodeMovToRegister(dest);
        return;
    case OperandKind::Dptr:
        EncodeMovToDptr();
        return;
    case OperandKind::C:
        EncodeMovFromBit();
        return;
    default:
        break;
    }
    const Operand source = NextOperand();
    if (source.kind == OperandKind::C) {
        EncodeMovToBit(dest);
    } else {
        EncodeMovToDirect(dest, source);
    }
}

// MOV A,Rn E8+n | A,#data 74 | A,@Ri E6+i | A,direct E5
void CAsm8051::EncodeMovToA()
{
    const Operand source = NextOperand();
    switch (source.kind) {
    case OperandKind::Register:
        Emit(0xE8 + source.reg);
        return;
    case OperandKind::Immediate:
        Emit(0x74);
        EmitByteOperand(source, Check::DataWarning);
        return;
    case OperandKind::Indirect:
    case OperandKind::AtDptr:
    case OperandKind::AtOther:
        Emit(0xE6 + IndirectRegister(source));
        return;
    default:
        break;
    }
    const int32_t address = EvalNarrow(source.field);
    if (address == 0xE0) {
        Error("MOV A,ACC is not a valid instruction");
    }
    Emit(0xE5);
    Emit(address);
}

// MOV @Ri,A F6+i | @Ri,#data 76+i | @Ri,direct A6+i
void CAsm8051::EncodeMovToIndirect(const Operand& dest)
{
    const int reg = IndirectRegister(dest);
    const Operand source = NextOperand();
    if (source.kind == OperandKind::A) {
        Emit(0xF6 + reg);
    } else if (source.kind == OperandKind::Immediate) {
        Emit(0x76 + reg);
        EmitByteOperand(source, Check::DataWarning);
    } else {
        Emit(0xA6 + reg);
        EmitByteOperand(source, Check::None);
    }
}

// MOV Rn,A F8+n | Rn,#data 78+n | Rn,direct A8+n
void CAsm8051::EncodeMovToRegister(const Operand& dest)
{
    const Operand source = NextOperand();
    if (source.kind == OperandKind::A) {
        Emit(0xF8 + dest.reg);
    } else if (source.kind == OperandKind::Immediate) {
        Emit(0x78 + dest.reg);
        EmitByteOperand(source, Check::DataWarning);
    } else {
        Emit(0xA8 + dest.reg);
        EmitByteOperand(source, Check::DataWarning);
    }
}

// MOV DPTR,#data16 90, high byte first
void CAsm8051::EncodeMovToDptr()
{
    Emit(0x90);
    scan_.SkipSeparators();
    if (scan_.Peek() != '#') {
        Error("Source operand must be immediate data (#data16)");
        return;
    }
    const Operand source = NextOperand();
    host_.LinkReference(source.word);
    EmitLong(source);
}

// MOV C,bit A2
void CAsm8051::EncodeMovFromBit()
{
    const int32_t bit = ResolveBit(NextOperand(), false);
    if (bit < 0) {
        Error("Unknown source bit");
        return;
    }
    Emit(0xA2);
    Emit(bit);
}

// MOV bit,C 92
void CAsm8051::EncodeMovToBit(const Operand& dest)
{
    const int32_t bit = ResolveBit(dest, false);
    if (bit < 0) {
        Error("Undefined destination bit address.");
        return;
    }
    Emit(0x92);
    Emit(bit);
}

// MOV direct,A F5 | direct,Rn 88+n | direct,@Ri 86+i | direct,#data 75
// | direct,direct 85 with the source address first.
void CAsm8051::EncodeMovToDirect(const Operand& dest, const Operand& source)
{
    if (source.kind == OperandKind::None) {
        Error("No source operand specified");
        return;
    }
    const int32_t address = EvalNarrow(dest.field);
    CheckByte(address, Check::DirectRange);
    switch (source.kind) {
    case OperandKind::A:
        Emit(0xF5);
        break;
    case OperandKind::Register:
        Emit(0x88 + source.reg);
        break;
    case OperandKind::Indirect:
    case OperandKind::AtDptr:
    case OperandKind::AtOther:
        Emit(0x86 + IndirectRegister(source));
        break;
    case OperandKind::Immediate:
        Emit(0x75);
        CheckByte(address, Check::DataWarning);
        Emit(address);
        EmitByteOperand(source, Check::DataWarning);
        return;
    default:
        Emit(0x85);
        EmitByteOperand(source, Check::DataWarning);
        CheckByte(address, Check::DataWarning);
        break;
    }
    Emit(address);
}

// MOVC A,@A+DPTR 93 | A,@A+PC 83
void CAsm8051::EncodeMovc(const MnemonicInfo& info)
{
    if (!IsAccumulator(NextOperand())) {
        Error("Invalid destination, valid destination: A");
        return;
    }
    scan_.SkipSeparators();
    const std::string_view source = scan_.Field();
    if (FieldMatchesIgnoringBlanks(source, "@A+DPTR")) {
        Emit(info.op[0]);
    } else if (FieldMatchesIgnoringBlanks(source, "@A+PC")) {
        Emit(info.op[1]);
    } else {
        Error("Invalid source, valid sources: @A+DPTR or @A+PC");
    }
}

// MOVX A,@DPTR E0 | A,@Ri E2+i | @DPTR,A F0 | @Ri,A F2+i
void CAsm8051::EncodeMovx(const MnemonicInfo&)
{
    const Operand dest = NextOperand();
    const Operand source = NextOperand();
    if (IsAccumulator(dest)) {
        if (source.kind == OperandKind::Indirect) {
            Emit(0xE2 + source.reg);
        } else if (source.kind == OperandKind::AtDptr) {
            Emit(0xE0);
        } else {
            Error("Invalid source, valid sources: @Ri and @DPTR");
        }
        return;
    }
    const bool atDest = dest.kind == OperandKind::Indirect || dest.kind == OperandKind::AtDptr ||
                        dest.kind == OperandKind::AtOther;
    if (!atDest) {
        Error("Invalid destination, Valid destinations: A, @Ri or DPTR");
    } else if (!IsAccumulator(source)) {
        Error("Invalid source, valid source: A");
    } else if (dest.kind == OperandKind::Indirect) {
        Emit(0xF2 + dest.reg);
    } else if (dest.kind == OperandKind::AtDptr) {
        Emit(0xF0);
    } else {
        Error("Inavalid destination, valid destinations: @Ri and @DPTR");
    }
}
