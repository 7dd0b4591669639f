// Encoders of the jumps and calls.
#include "assembler/asm8051.h"
#include "assembler/asm8051_info.h"

// ACALL/AJMP addr11: base + 20h * A10..A8, then A7..A0
void CAsm8051::EncodeAbsolute(const MnemonicInfo& info)
{
    const Operand target = NextOperand();
    const int32_t address = EvalWide(target.field);
    if (((address >> 11) & 0x1F) != (((address_ + 2) >> 11) & 0x1F)) {
        Pass2Error(info.message);
    }
    Emit(info.op[0] + 0x20 * ((address >> 8) & 7));
    Emit(address);
}

// LCALL/CALL 12, LJMP 02: addr16, high byte first. Never shortened.
void CAsm8051::EncodeLong(const MnemonicInfo& info)
{
    const Operand target = NextOperand();
    Emit(info.op[0]);
    host_.LinkReference(target.word);
    EmitLong(target);
}

// JMP @A+DPTR 73; any other JMP is LJMP.
void CAsm8051::EncodeJmp(const MnemonicInfo& info)
{
    scan_.SkipSeparators();
    if (FieldMatchesIgnoringBlanks(scan_.Field(), "@A+DPTR")) {
        Emit(info.op[1]);
        return;
    }
    EncodeLong(info);
}

// JC, JNC, JZ, JNZ, SJMP rel
void CAsm8051::EncodeRelative(const MnemonicInfo& info)
{
    const Operand target = NextOperand();
    Emit(info.op[0]);
    EmitRelative(target, 2);
}

// JB, JBC, JNB bit,rel
void CAsm8051::EncodeBitJump(const MnemonicInfo& info)
{
    const Operand bit = NextOperand();
    const Operand target = NextOperand();
    const int32_t address = ResolveBit(bit, true);
    Emit(info.op[0]);
    Emit(address);
    EmitRelative(target, 3);
}
