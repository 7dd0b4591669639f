#pragma once

// The mnemonic table row, shared by the encoder's source files only.
#include <array>
#include <string_view>

#include "assembler/asm8051.h"

// The encoder of one mnemonic and the opcodes and message it is
// parameterised with (their meaning is the encoder's).
struct CAsm8051::MnemonicInfo
{
    std::string_view name;
    Handler handler;
    std::array<int, 3> op;
    const char* message;
};

inline constexpr int kNoOpcode = -1;
