#pragma once

#include <cstdint>
#include <string_view>

// What a word of source text is to the assembler, read from its own tables:
// the mnemonics, the directives, the SFR and bit names, and the operand
// keywords of the instruction set. Read-only: for tools that show source
// text, such as the editor's colouring; an assembly never goes through here.
enum class AsmWordKind : uint8_t
{
    kNone,
    kMnemonic,
    kDirective,
    kDefinition, // a directive that names its statement's first word (EQU, SET, BIT...)
    kRegister,   // A, AB, C, DPTR, PC, R0-R7
    kSfr,
    kBit,
};

// Case-insensitive, like the assembler; a leading "@" (indirect) is not part
// of the word.
AsmWordKind ClassifyAsmWord(std::string_view word);
