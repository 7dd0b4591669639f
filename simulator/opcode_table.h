#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The MCS-51 instruction set as data: the simulator builds its dispatch from
// it, and a disassembler or the assembler's tests read the same rows.

enum class Mn : uint8_t
{
    kAcall,
    kAdd,
    kAddc,
    kAjmp,
    kAnl,
    kCjne,
    kClr,
    kCpl,
    kDa,
    kDec,
    kDiv,
    kDjnz,
    kInc,
    kJb,
    kJbc,
    kJc,
    kJmp,
    kJnb,
    kJnc,
    kJnz,
    kJz,
    kLcall,
    kLjmp,
    kMov,
    kMovc,
    kMovx,
    kMul,
    kNop,
    kOrl,
    kPop,
    kPush,
    kRet,
    kReti,
    kRl,
    kRlc,
    kRr,
    kRrc,
    kSetb,
    kSjmp,
    kSubb,
    kSwap,
    kUndefined,
    kXch,
    kXchd,
    kXrl,
    kCount
};

inline constexpr std::array<std::string_view, static_cast<size_t>(Mn::kCount)> kMnemonicText = {
    "ACALL", "ADD",  "ADDC", "AJMP",  "ANL",  "CJNE", "CLR",  "CPL",  "DA",
    "DEC",   "DIV",  "DJNZ", "INC",   "JB",   "JBC",  "JC",   "JMP",  "JNB",
    "JNC",   "JNZ",  "JZ",   "LCALL", "LJMP", "MOV",  "MOVC", "MOVX", "MUL",
    "NOP",   "ORL",  "POP",  "PUSH",  "RET",  "RETI", "RL",   "RLC",  "RR",
    "RRC",   "SETB", "SJMP", "SUBB",  "SWAP", "DB",   "XCH",  "XCHD", "XRL",
};

// Operand forms. Rn takes its register from opcode bits 2-0, @Ri from bit 0,
// addr11 its page from opcode bits 7-5.
enum class O : uint8_t
{
    kNone,
    kA,
    kAB,
    kC,
    kDptr,
    kAtDptr,
    kAtADptr,
    kAtAPc,
    kRn,
    kAtRi, // no operand byte
    kDirect,
    kImm8,
    kBit,
    kNotBit,
    kRel,
    kAddr11, // one byte
    kImm16,
    kAddr16, // two bytes, high first
};

constexpr int OperandBytes(O kind)
{
    if (kind >= O::kImm16) {
        return 2;
    }
    return kind >= O::kDirect ? 1 : 0;
}

struct OpcodeInfo
{
    Mn mnemonic;
    std::array<O, 3> operands; // in source order
    uint8_t length;            // bytes, opcode included
    uint8_t cycles;            // machine cycles
};

// Operand bytes follow the source order, except MOV direct,direct (85h),
// whose source byte comes before its destination byte.
inline constexpr uint8_t kMovDirectDirect = 0x85;

// clang-format off
inline constexpr std::array<OpcodeInfo, 256> OpcodeTable = {{
    {Mn::kNop, {O::kNone, O::kNone, O::kNone}, 1, 1}, // 00
    {Mn::kAjmp, {O::kAddr11, O::kNone, O::kNone}, 2, 2}, // 01
    {Mn::kLjmp, {O::kAddr16, O::kNone, O::kNone}, 3, 2}, // 02
    {Mn::kRr, {O::kA, O::kNone, O::kNone}, 1, 1}, // 03
    {Mn::kInc, {O::kA, O::kNone, O::kNone}, 1, 1}, // 04
    {Mn::kInc, {O::kDirect, O::kNone, O::kNone}, 2, 1}, // 05
    {Mn::kInc, {O::kAtRi, O::kNone, O::kNone}, 1, 1}, // 06
    {Mn::kInc, {O::kAtRi, O::kNone, O::kNone}, 1, 1}, // 07
    {Mn::kInc, {O::kRn, O::kNone, O::kNone}, 1, 1}, // 08
    {Mn::kInc, {O::kRn, O::kNone, O::kNone}, 1, 1}, // 09
    {Mn::kInc, {O::kRn, O::kNone, O::kNone}, 1, 1}, // 0A
    {Mn::kInc, {O::kRn, O::kNone, O::kNone}, 1, 1}, // 0B
    {Mn::kInc, {O::kRn, O::kNone, O::kNone}, 1, 1}, // 0C
    {Mn::kInc, {O::kRn, O::kNone, O::kNone}, 1, 1}, // 0D
    {Mn::kInc, {O::kRn, O::kNone, O::kNone}, 1, 1}, // 0E
    {Mn::kInc, {O::kRn, O::kNone, O::kNone}, 1, 1}, // 0F
    {Mn::kJbc, {O::kBit, O::kRel, O::kNone}, 3, 2}, // 10
    {Mn::kAcall, {O::kAddr11, O::kNone, O::kNone}, 2, 2}, // 11
    {Mn::kLcall, {O::kAddr16, O::kNone, O::kNone}, 3, 2}, // 12
    {Mn::kRrc, {O::kA, O::kNone, O::kNone}, 1, 1}, // 13
    {Mn::kDec, {O::kA, O::kNone, O::kNone}, 1, 1}, // 14
    {Mn::kDec, {O::kDirect, O::kNone, O::kNone}, 2, 1}, // 15
    {Mn::kDec, {O::kAtRi, O::kNone, O::kNone}, 1, 1}, // 16
    {Mn::kDec, {O::kAtRi, O::kNone, O::kNone}, 1, 1}, // 17
    {Mn::kDec, {O::kRn, O::kNone, O::kNone}, 1, 1}, // 18
    {Mn::kDec, {O::kRn, O::kNone, O::kNone}, 1, 1}, // 19
    {Mn::kDec, {O::kRn, O::kNone, O::kNone}, 1, 1}, // 1A
    {Mn::kDec, {O::kRn, O::kNone, O::kNone}, 1, 1}, // 1B
    {Mn::kDec, {O::kRn, O::kNone, O::kNone}, 1, 1}, // 1C
    {Mn::kDec, {O::kRn, O::kNone, O::kNone}, 1, 1}, // 1D
    {Mn::kDec, {O::kRn, O::kNone, O::kNone}, 1, 1}, // 1E
    {Mn::kDec, {O::kRn, O::kNone, O::kNone}, 1, 1}, // 1F
    {Mn::kJb, {O::kBit, O::kRel, O::kNone}, 3, 2}, // 20
    {Mn::kAjmp, {O::kAddr11, O::kNone, O::kNone}, 2, 2}, // 21
    {Mn::kRet, {O::kNone, O::kNone, O::kNone}, 1, 2}, // 22
    {Mn::kRl, {O::kA, O::kNone, O::kNone}, 1, 1}, // 23
    {Mn::kAdd, {O::kA, O::kImm8, O::kNone}, 2, 1}, // 24
    {Mn::kAdd, {O::kA, O::kDirect, O::kNone}, 2, 1}, // 25
    {Mn::kAdd, {O::kA, O::kAtRi, O::kNone}, 1, 1}, // 26
    {Mn::kAdd, {O::kA, O::kAtRi, O::kNone}, 1, 1}, // 27
    {Mn::kAdd, {O::kA, O::kRn, O::kNone}, 1, 1}, // 28
    {Mn::kAdd, {O::kA, O::kRn, O::kNone}, 1, 1}, // 29
    {Mn::kAdd, {O::kA, O::kRn, O::kNone}, 1, 1}, // 2A
    {Mn::kAdd, {O::kA, O::kRn, O::kNone}, 1, 1}, // 2B
    {Mn::kAdd, {O::kA, O::kRn, O::kNone}, 1, 1}, // 2C
    {Mn::kAdd, {O::kA, O::kRn, O::kNone}, 1, 1}, // 2D
    {Mn::kAdd, {O::kA, O::kRn, O::kNone}, 1, 1}, // 2E
    {Mn::kAdd, {O::kA, O::kRn, O::kNone}, 1, 1}, // 2F
    {Mn::kJnb, {O::kBit, O::kRel, O::kNone}, 3, 2}, // 30
    {Mn::kAcall, {O::kAddr11, O::kNone, O::kNone}, 2, 2}, // 31
    {Mn::kReti, {O::kNone, O::kNone, O::kNone}, 1, 2}, // 32
    {Mn::kRlc, {O::kA, O::kNone, O::kNone}, 1, 1}, // 33
    {Mn::kAddc, {O::kA, O::kImm8, O::kNone}, 2, 1}, // 34
    {Mn::kAddc, {O::kA, O::kDirect, O::kNone}, 2, 1}, // 35
    {Mn::kAddc, {O::kA, O::kAtRi, O::kNone}, 1, 1}, // 36
    {Mn::kAddc, {O::kA, O::kAtRi, O::kNone}, 1, 1}, // 37
    {Mn::kAddc, {O::kA, O::kRn, O::kNone}, 1, 1}, // 38
    {Mn::kAddc, {O::kA, O::kRn, O::kNone}, 1, 1}, // 39
    {Mn::kAddc, {O::kA, O::kRn, O::kNone}, 1, 1}, // 3A
    {Mn::kAddc, {O::kA, O::kRn, O::kNone}, 1, 1}, // 3B
    {Mn::kAddc, {O::kA, O::kRn, O::kNone}, 1, 1}, // 3C
    {Mn::kAddc, {O::kA, O::kRn, O::kNone}, 1, 1}, // 3D
    {Mn::kAddc, {O::kA, O::kRn, O::kNone}, 1, 1}, // 3E
    {Mn::kAddc, {O::kA, O::kRn, O::kNone}, 1, 1}, // 3F
    {Mn::kJc, {O::kRel, O::kNone, O::kNone}, 2, 2}, // 40
    {Mn::kAjmp, {O::kAddr11, O::kNone, O::kNone}, 2, 2}, // 41
    {Mn::kOrl, {O::kDirect, O::kA, O::kNone}, 2, 1}, // 42
    {Mn::kOrl, {O::kDirect, O::kImm8, O::kNone}, 3, 2}, // 43
    {Mn::kOrl, {O::kA, O::kImm8, O::kNone}, 2, 1}, // 44
    {Mn::kOrl, {O::kA, O::kDirect, O::kNone}, 2, 1}, // 45
    {Mn::kOrl, {O::kA, O::kAtRi, O::kNone}, 1, 1}, // 46
    {Mn::kOrl, {O::kA, O::kAtRi, O::kNone}, 1, 1}, // 47
    {Mn::kOrl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 48
    {Mn::kOrl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 49
    {Mn::kOrl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 4A
    {Mn::kOrl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 4B
    {Mn::kOrl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 4C
    {Mn::kOrl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 4D
    {Mn::kOrl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 4E
    {Mn::kOrl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 4F
    {Mn::kJnc, {O::kRel, O::kNone, O::kNone}, 2, 2}, // 50
    {Mn::kAcall, {O::kAddr11, O::kNone, O::kNone}, 2, 2}, // 51
    {Mn::kAnl, {O::kDirect, O::kA, O::kNone}, 2, 1}, // 52
    {Mn::kAnl, {O::kDirect, O::kImm8, O::kNone}, 3, 2}, // 53
    {Mn::kAnl, {O::kA, O::kImm8, O::kNone}, 2, 1}, // 54
    {Mn::kAnl, {O::kA, O::kDirect, O::kNone}, 2, 1}, // 55
    {Mn::kAnl, {O::kA, O::kAtRi, O::kNone}, 1, 1}, // 56
    {Mn::kAnl, {O::kA, O::kAtRi, O::kNone}, 1, 1}, // 57
    {Mn::kAnl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 58
    {Mn::kAnl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 59
    {Mn::kAnl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 5A
    {Mn::kAnl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 5B
    {Mn::kAnl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 5C
    {Mn::kAnl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 5D
    {Mn::kAnl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 5E
    {Mn::kAnl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 5F
    {Mn::kJz, {O::kRel, O::kNone, O::kNone}, 2, 2}, // 60
    {Mn::kAjmp, {O::kAddr11, O::kNone, O::kNone}, 2, 2}, // 61
    {Mn::kXrl, {O::kDirect, O::kA, O::kNone}, 2, 1}, // 62
    {Mn::kXrl, {O::kDirect, O::kImm8, O::kNone}, 3, 2}, // 63
    {Mn::kXrl, {O::kA, O::kImm8, O::kNone}, 2, 1}, // 64
    {Mn::kXrl, {O::kA, O::kDirect, O::kNone}, 2, 1}, // 65
    {Mn::kXrl, {O::kA, O::kAtRi, O::kNone}, 1, 1}, // 66
    {Mn::kXrl, {O::kA, O::kAtRi, O::kNone}, 1, 1}, // 67
    {Mn::kXrl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 68
    {Mn::kXrl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 69
    {Mn::kXrl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 6A
    {Mn::kXrl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 6B
    {Mn::kXrl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 6C
    {Mn::kXrl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 6D
    {Mn::kXrl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 6E
    {Mn::kXrl, {O::kA, O::kRn, O::kNone}, 1, 1}, // 6F
    {Mn::kJnz, {O::kRel, O::kNone, O::kNone}, 2, 2}, // 70
    {Mn::kAcall, {O::kAddr11, O::kNone, O::kNone}, 2, 2}, // 71
    {Mn::kOrl, {O::kC, O::kBit, O::kNone}, 2, 2}, // 72
    {Mn::kJmp, {O::kAtADptr, O::kNone, O::kNone}, 1, 2}, // 73
    {Mn::kMov, {O::kA, O::kImm8, O::kNone}, 2, 1}, // 74
    {Mn::kMov, {O::kDirect, O::kImm8, O::kNone}, 3, 2}, // 75
    {Mn::kMov, {O::kAtRi, O::kImm8, O::kNone}, 2, 1}, // 76
    {Mn::kMov, {O::kAtRi, O::kImm8, O::kNone}, 2, 1}, // 77
    {Mn::kMov, {O::kRn, O::kImm8, O::kNone}, 2, 1}, // 78
    {Mn::kMov, {O::kRn, O::kImm8, O::kNone}, 2, 1}, // 79
    {Mn::kMov, {O::kRn, O::kImm8, O::kNone}, 2, 1}, // 7A
    {Mn::kMov, {O::kRn, O::kImm8, O::kNone}, 2, 1}, // 7B
    {Mn::kMov, {O::kRn, O::kImm8, O::kNone}, 2, 1}, // 7C
    {Mn::kMov, {O::kRn, O::kImm8, O::kNone}, 2, 1}, // 7D
    {Mn::kMov, {O::kRn, O::kImm8, O::kNone}, 2, 1}, // 7E
    {Mn::kMov, {O::kRn, O::kImm8, O::kNone}, 2, 1}, // 7F
    {Mn::kSjmp, {O::kRel, O::kNone, O::kNone}, 2, 2}, // 80
    {Mn::kAjmp, {O::kAddr11, O::kNone, O::kNone}, 2, 2}, // 81
    {Mn::kAnl, {O::kC, O::kBit, O::kNone}, 2, 2}, // 82
    {Mn::kMovc, {O::kA, O::kAtAPc, O::kNone}, 1, 2}, // 83
    {Mn::kDiv, {O::kAB, O::kNone, O::kNone}, 1, 4}, // 84
    {Mn::kMov, {O::kDirect, O::kDirect, O::kNone}, 3, 2}, // 85
    {Mn::kMov, {O::kDirect, O::kAtRi, O::kNone}, 2, 2}, // 86
    {Mn::kMov, {O::kDirect, O::kAtRi, O::kNone}, 2, 2}, // 87
    {Mn::kMov, {O::kDirect, O::kRn, O::kNone}, 2, 2}, // 88
    {Mn::kMov, {O::kDirect, O::kRn, O::kNone}, 2, 2}, // 89
    {Mn::kMov, {O::kDirect, O::kRn, O::kNone}, 2, 2}, // 8A
    {Mn::kMov, {O::kDirect, O::kRn, O::kNone}, 2, 2}, // 8B
    {Mn::kMov, {O::kDirect, O::kRn, O::kNone}, 2, 2}, // 8C
    {Mn::kMov, {O::kDirect, O::kRn, O::kNone}, 2, 2}, // 8D
    {Mn::kMov, {O::kDirect, O::kRn, O::kNone}, 2, 2}, // 8E
    {Mn::kMov, {O::kDirect, O::kRn, O::kNone}, 2, 2}, // 8F
    {Mn::kMov, {O::kDptr, O::kImm16, O::kNone}, 3, 2}, // 90
    {Mn::kAcall, {O::kAddr11, O::kNone, O::kNone}, 2, 2}, // 91
    {Mn::kMov, {O::kBit, O::kC, O::kNone}, 2, 2}, // 92
    {Mn::kMovc, {O::kA, O::kAtADptr, O::kNone}, 1, 2}, // 93
    {Mn::kSubb, {O::kA, O::kImm8, O::kNone}, 2, 1}, // 94
    {Mn::kSubb, {O::kA, O::kDirect, O::kNone}, 2, 1}, // 95
    {Mn::kSubb, {O::kA, O::kAtRi, O::kNone}, 1, 1}, // 96
    {Mn::kSubb, {O::kA, O::kAtRi, O::kNone}, 1, 1}, // 97
    {Mn::kSubb, {O::kA, O::kRn, O::kNone}, 1, 1}, // 98
    {Mn::kSubb, {O::kA, O::kRn, O::kNone}, 1, 1}, // 99
    {Mn::kSubb, {O::kA, O::kRn, O::kNone}, 1, 1}, // 9A
    {Mn::kSubb, {O::kA, O::kRn, O::kNone}, 1, 1}, // 9B
    {Mn::kSubb, {O::kA, O::kRn, O::kNone}, 1, 1}, // 9C
    {Mn::kSubb, {O::kA, O::kRn, O::kNone}, 1, 1}, // 9D
    {Mn::kSubb, {O::kA, O::kRn, O::kNone}, 1, 1}, // 9E
    {Mn::kSubb, {O::kA, O::kRn, O::kNone}, 1, 1}, // 9F
    {Mn::kOrl, {O::kC, O::kNotBit, O::kNone}, 2, 2}, // A0
    {Mn::kAjmp, {O::kAddr11, O::kNone, O::kNone}, 2, 2}, // A1
    {Mn::kMov, {O::kC, O::kBit, O::kNone}, 2, 1}, // A2
    {Mn::kInc, {O::kDptr, O::kNone, O::kNone}, 1, 2}, // A3
    {Mn::kMul, {O::kAB, O::kNone, O::kNone}, 1, 4}, // A4
    {Mn::kUndefined, {O::kNone, O::kNone, O::kNone}, 1, 1}, // A5
    {Mn::kMov, {O::kAtRi, O::kDirect, O::kNone}, 2, 2}, // A6
    {Mn::kMov, {O::kAtRi, O::kDirect, O::kNone}, 2, 2}, // A7
    {Mn::kMov, {O::kRn, O::kDirect, O::kNone}, 2, 2}, // A8
    {Mn::kMov, {O::kRn, O::kDirect, O::kNone}, 2, 2}, // A9
    {Mn::kMov, {O::kRn, O::kDirect, O::kNone}, 2, 2}, // AA
    {Mn::kMov, {O::kRn, O::kDirect, O::kNone}, 2, 2}, // AB
    {Mn::kMov, {O::kRn, O::kDirect, O::kNone}, 2, 2}, // AC
    {Mn::kMov, {O::kRn, O::kDirect, O::kNone}, 2, 2}, // AD
    {Mn::kMov, {O::kRn, O::kDirect, O::kNone}, 2, 2}, // AE
    {Mn::kMov, {O::kRn, O::kDirect, O::kNone}, 2, 2}, // AF
    {Mn::kAnl, {O::kC, O::kNotBit, O::kNone}, 2, 2}, // B0
    {Mn::kAcall, {O::kAddr11, O::kNone, O::kNone}, 2, 2}, // B1
    {Mn::kCpl, {O::kBit, O::kNone, O::kNone}, 2, 1}, // B2
    {Mn::kCpl, {O::kC, O::kNone, O::kNone}, 1, 1}, // B3
    {Mn::kCjne, {O::kA, O::kImm8, O::kRel}, 3, 2}, // B4
    {Mn::kCjne, {O::kA, O::kDirect, O::kRel}, 3, 2}, // B5
    {Mn::kCjne, {O::kAtRi, O::kImm8, O::kRel}, 3, 2}, // B6
    {Mn::kCjne, {O::kAtRi, O::kImm8, O::kRel}, 3, 2}, // B7
    {Mn::kCjne, {O::kRn, O::kImm8, O::kRel}, 3, 2}, // B8
    {Mn::kCjne, {O::kRn, O::kImm8, O::kRel}, 3, 2}, // B9
    {Mn::kCjne, {O::kRn, O::kImm8, O::kRel}, 3, 2}, // BA
    {Mn::kCjne, {O::kRn, O::kImm8, O::kRel}, 3, 2}, // BB
    {Mn::kCjne, {O::kRn, O::kImm8, O::kRel}, 3, 2}, // BC
    {Mn::kCjne, {O::kRn, O::kImm8, O::kRel}, 3, 2}, // BD
    {Mn::kCjne, {O::kRn, O::kImm8, O::kRel}, 3, 2}, // BE
    {Mn::kCjne, {O::kRn, O::kImm8, O::kRel}, 3, 2}, // BF
    {Mn::kPush, {O::kDirect, O::kNone, O::kNone}, 2, 2}, // C0
    {Mn::kAjmp, {O::kAddr11, O::kNone, O::kNone}, 2, 2}, // C1
    {Mn::kClr, {O::kBit, O::kNone, O::kNone}, 2, 1}, // C2
    {Mn::kClr, {O::kC, O::kNone, O::kNone}, 1, 1}, // C3
    {Mn::kSwap, {O::kA, O::kNone, O::kNone}, 1, 1}, // C4
    {Mn::kXch, {O::kA, O::kDirect, O::kNone}, 2, 1}, // C5
    {Mn::kXch, {O::kA, O::kAtRi, O::kNone}, 1, 1}, // C6
    {Mn::kXch, {O::kA, O::kAtRi, O::kNone}, 1, 1}, // C7
    {Mn::kXch, {O::kA, O::kRn, O::kNone}, 1, 1}, // C8
    {Mn::kXch, {O::kA, O::kRn, O::kNone}, 1, 1}, // C9
    {Mn::kXch, {O::kA, O::kRn, O::kNone}, 1, 1}, // CA
    {Mn::kXch, {O::kA, O::kRn, O::kNone}, 1, 1}, // CB
    {Mn::kXch, {O::kA, O::kRn, O::kNone}, 1, 1}, // CC
    {Mn::kXch, {O::kA, O::kRn, O::kNone}, 1, 1}, // CD
    {Mn::kXch, {O::kA, O::kRn, O::kNone}, 1, 1}, // CE
    {Mn::kXch, {O::kA, O::kRn, O::kNone}, 1, 1}, // CF
    {Mn::kPop, {O::kDirect, O::kNone, O::kNone}, 2, 2}, // D0
    {Mn::kAcall, {O::kAddr11, O::kNone, O::kNone}, 2, 2}, // D1
    {Mn::kSetb, {O::kBit, O::kNone, O::kNone}, 2, 1}, // D2
    {Mn::kSetb, {O::kC, O::kNone, O::kNone}, 1, 1}, // D3
    {Mn::kDa, {O::kA, O::kNone, O::kNone}, 1, 1}, // D4
    {Mn::kDjnz, {O::kDirect, O::kRel, O::kNone}, 3, 2}, // D5
    {Mn::kXchd, {O::kA, O::kAtRi, O::kNone}, 1, 1}, // D6
    {Mn::kXchd, {O::kA, O::kAtRi, O::kNone}, 1, 1}, // D7
    {Mn::kDjnz, {O::kRn, O::kRel, O::kNone}, 2, 2}, // D8
    {Mn::kDjnz, {O::kRn, O::kRel, O::kNone}, 2, 2}, // D9
    {Mn::kDjnz, {O::kRn, O::kRel, O::kNone}, 2, 2}, // DA
    {Mn::kDjnz, {O::kRn, O::kRel, O::kNone}, 2, 2}, // DB
    {Mn::kDjnz, {O::kRn, O::kRel, O::kNone}, 2, 2}, // DC
    {Mn::kDjnz, {O::kRn, O::kRel, O::kNone}, 2, 2}, // DD
    {Mn::kDjnz, {O::kRn, O::kRel, O::kNone}, 2, 2}, // DE
    {Mn::kDjnz, {O::kRn, O::kRel, O::kNone}, 2, 2}, // DF
    {Mn::kMovx, {O::kA, O::kAtDptr, O::kNone}, 1, 2}, // E0
    {Mn::kAjmp, {O::kAddr11, O::kNone, O::kNone}, 2, 2}, // E1
    {Mn::kMovx, {O::kA, O::kAtRi, O::kNone}, 1, 2}, // E2
    {Mn::kMovx, {O::kA, O::kAtRi, O::kNone}, 1, 2}, // E3
    {Mn::kClr, {O::kA, O::kNone, O::kNone}, 1, 1}, // E4
    {Mn::kMov, {O::kA, O::kDirect, O::kNone}, 2, 1}, // E5
    {Mn::kMov, {O::kA, O::kAtRi, O::kNone}, 1, 1}, // E6
    {Mn::kMov, {O::kA, O::kAtRi, O::kNone}, 1, 1}, // E7
    {Mn::kMov, {O::kA, O::kRn, O::kNone}, 1, 1}, // E8
    {Mn::kMov, {O::kA, O::kRn, O::kNone}, 1, 1}, // E9
    {Mn::kMov, {O::kA, O::kRn, O::kNone}, 1, 1}, // EA
    {Mn::kMov, {O::kA, O::kRn, O::kNone}, 1, 1}, // EB
    {Mn::kMov, {O::kA, O::kRn, O::kNone}, 1, 1}, // EC
    {Mn::kMov, {O::kA, O::kRn, O::kNone}, 1, 1}, // ED
    {Mn::kMov, {O::kA, O::kRn, O::kNone}, 1, 1}, // EE
    {Mn::kMov, {O::kA, O::kRn, O::kNone}, 1, 1}, // EF
    {Mn::kMovx, {O::kAtDptr, O::kA, O::kNone}, 1, 2}, // F0
    {Mn::kAcall, {O::kAddr11, O::kNone, O::kNone}, 2, 2}, // F1
    {Mn::kMovx, {O::kAtRi, O::kA, O::kNone}, 1, 2}, // F2
    {Mn::kMovx, {O::kAtRi, O::kA, O::kNone}, 1, 2}, // F3
    {Mn::kCpl, {O::kA, O::kNone, O::kNone}, 1, 1}, // F4
    {Mn::kMov, {O::kDirect, O::kA, O::kNone}, 2, 1}, // F5
    {Mn::kMov, {O::kAtRi, O::kA, O::kNone}, 1, 1}, // F6
    {Mn::kMov, {O::kAtRi, O::kA, O::kNone}, 1, 1}, // F7
    {Mn::kMov, {O::kRn, O::kA, O::kNone}, 1, 1}, // F8
    {Mn::kMov, {O::kRn, O::kA, O::kNone}, 1, 1}, // F9
    {Mn::kMov, {O::kRn, O::kA, O::kNone}, 1, 1}, // FA
    {Mn::kMov, {O::kRn, O::kA, O::kNone}, 1, 1}, // FB
    {Mn::kMov, {O::kRn, O::kA, O::kNone}, 1, 1}, // FC
    {Mn::kMov, {O::kRn, O::kA, O::kNone}, 1, 1}, // FD
    {Mn::kMov, {O::kRn, O::kA, O::kNone}, 1, 1}, // FE
    {Mn::kMov, {O::kRn, O::kA, O::kNone}, 1, 1}, // FF
}};
// clang-format on

constexpr bool OpcodeTableIsConsistent()
{
    for (size_t op = 0; op < OpcodeTable.size(); ++op) {
        const OpcodeInfo& row = OpcodeTable[op];
        int length = 1;
        for (O kind : row.operands) {
            length += OperandBytes(kind);
        }
        if (length != row.length || row.length > 3) {
            return false;
        }
        if (row.cycles != 1 && row.cycles != 2 && row.cycles != 4) {
            return false;
        }
        // Register forms must put the register where the opcode says it is.
        for (O kind : row.operands) {
            if (kind == O::kRn && (op & 0x08) == 0) {
                return false;
            }
            if (kind == O::kAtRi && (op & 0x0E) != 0x06 && (op & 0x0E) != 0x02) {
                return false;
            }
        }
    }
    return true;
}

static_assert(OpcodeTableIsConsistent());
static_assert(OpcodeTable[0xA5].mnemonic == Mn::kUndefined);
static_assert(OpcodeTable[0x12].length == 3 && OpcodeTable[0x12].mnemonic == Mn::kLcall);
