#pragma once

#include "simulator/code_memory.h"

#include <cstdint>
#include <string>

// One instruction as source text, e.g. "MOV 31H,30H" or "SJMP 0100H", read
// from the opcode table. Numbers are hexadecimal with an H suffix and a
// leading 0 before a letter, so the assembler reads them back.
struct DisassembledType
{
    std::string text;
    uint32_t length = 1;
};

DisassembledType Disassemble(const CCodeMemory& code, uint32_t address);
