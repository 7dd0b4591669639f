#pragma once

#include "simulator/code_memory.h"

#include <cstdint>
#include <initializer_list>

namespace bench {

inline void Load(CCodeMemory& code, uint32_t address, std::initializer_list<uint8_t> bytes)
{
    for (uint8_t byte : bytes) {
        code.WriteCodeByte(address++, byte);
    }
}

// A register/stack/ALU loop with timer 0 in mode 1 interrupting it; the
// execution counts (coverage) are kept on every instruction as always.
inline void LoadTimerLoop(CCodeMemory& code)
{
    Load(code, 0x0000, {0x02, 0x00, 0x30}); // LJMP start
    Load(code, 0x000B, {0x05, 0x30, 0x32}); // INC 30h ; RETI
    Load(code, 0x0030,
         {0x75, 0x89, 0x01,   // MOV TMOD,#01h
          0xD2, 0x8C,         // SETB TR0
          0x75, 0xA8, 0x82}); // MOV IE,#82h
    Load(code, 0x0038,
         {0xE8,         // loop: MOV A,R0
          0x24, 0x03,   // ADD A,#3
          0xF8,         // MOV R0,A
          0x09,         // INC R1
          0x69,         // XRL A,R1
          0xC0, 0xE0,   // PUSH ACC
          0xD0, 0xF0,   // POP B
          0xDA, 0xF4,   // DJNZ R2,loop
          0x80, 0xF2}); // SJMP loop
}

} // namespace bench
