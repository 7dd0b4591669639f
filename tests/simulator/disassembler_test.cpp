#include <gtest/gtest.h>

#include "simulator/disassembler.h"

#include <vector>

namespace {

struct DisassemblyCase
{
    uint32_t address;
    std::vector<uint8_t> bytes;
    const char* text;
};

TEST(DisassemblerTest, OperandFormsReadBackAsSource)
{
    const DisassemblyCase cases[] = {
        {0x0100, {0x85, 0x30, 0x31}, "MOV 31H,30H"},
        {0x0100, {0x80, 0xFE}, "SJMP 0100H"},
        {0x0900, {0x11, 0x34}, "ACALL 0834H"},
        {0x0000, {0xE1, 0xFF}, "AJMP 07FFH"},
        {0x0000, {0x90, 0xAB, 0xCD}, "MOV DPTR,#0ABCDH"},
        {0x0000, {0x12, 0x12, 0x34}, "LCALL 1234H"},
        {0x0100, {0xB4, 0x3C, 0x10}, "CJNE A,#3CH,0113H"},
        {0x0100, {0xB7, 0x3C, 0xFD}, "CJNE @R1,#3CH,0100H"},
        {0x0100, {0x10, 0x00, 0x10}, "JBC 00H,0113H"},
        {0x0100, {0xD5, 0x30, 0x10}, "DJNZ 30H,0113H"},
        {0x0000, {0xA0, 0x01}, "ORL C,/01H"},
        {0x0000, {0x92, 0xE7}, "MOV 0E7H,C"},
        {0x0000, {0x93}, "MOVC A,@A+DPTR"},
        {0x0000, {0x83}, "MOVC A,@A+PC"},
        {0x0000, {0xF2}, "MOVX @R0,A"},
        {0x0000, {0xE6}, "MOV A,@R0"},
        {0x0000, {0xFF}, "MOV R7,A"},
        {0x0000, {0x75, 0x89, 0x01}, "MOV 89H,#01H"},
        {0x0000, {0x84}, "DIV AB"},
        {0x0000, {0x00}, "NOP"},
        {0x0000, {0xA5}, "DB 0A5H"},
    };
    for (const DisassemblyCase& c : cases) {
        CCodeMemory code;
        uint32_t address = c.address;
        for (uint8_t byte : c.bytes) {
            code.WriteCodeByte(address++, byte);
        }
        const DisassembledType result = Disassemble(code, c.address);
        EXPECT_EQ(result.text, c.text);
        EXPECT_EQ(result.length, c.bytes.size()) << c.text;
    }
}

} // namespace
