#pragma once

#include <cstdint>
#include <string_view>

#include "assembler/asm_host.h"

// The 8051 instruction set: 45 mnemonics, each with its encoder.
class CAsm8051
{
public:
    static constexpr int kMnemonicCount = 45;

    explicit CAsm8051(IEncoderHost& host);

    // Index of a mnemonic (case-insensitive), or -1.
    static int FindMnemonic(std::string_view word);
    static std::string_view MnemonicName(int index);

    // Encodes one instruction; operands is the text behind the mnemonic up
    // to the end of the line.
    void Encode(int mnemonic, std::string_view operands);

    // Bit-name lookup of an operand word: bit names, then symbols, then a
    // symbol with a dotted bit number. -1 when unresolved.
    int32_t LookupBit(std::string_view word);
};
