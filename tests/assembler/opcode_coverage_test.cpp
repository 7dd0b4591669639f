// Every opcode of the MCS-51 instruction set, assembled from source text and
// compared byte for byte with the published encoding.
//
// The table below is written from the published instruction set, not from
// the encoder's tables. Notes on how the rows are reached:
// - 01h..E1h (AJMP) and 11h..F1h (ACALL) come only from AJMP and ACALL: the
//   page bits 8..10 of the target pick the opcode. The generic JMP and CALL
//   never choose them (CALL is always LCALL 12h; JMP is LJMP 02h, or 73h for
//   @A+DPTR), nor does JMP ever choose SJMP 80h.
// - MOV direct,direct (85h) puts the source address first, the destination
//   second; MOV direct,#data (75h) the destination, then the data.
// - MOV A,direct is E5h and MOV direct,A F5h; the destination word is tested
//   for A, @Ri, Rn, DPTR and C before anything is read as an address.
// - Relative targets are written as $+n, so each row is independent of its
//   address; each row is assembled at its own ORG (opcode * 4) inside the
//   first 2K block, where all absolute targets lie too.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "asm_test_util.h"
#include "common/text_util.h"

namespace {

struct OpcodeRow
{
    int opcode;
    const char* source; // nullptr: undefined opcode
    std::vector<uint8_t> bytes;
};

const std::vector<OpcodeRow>& OpcodeTable()
{
    static const std::vector<OpcodeRow> rows = {
        {0x00, "NOP", {0x00}},
        {0x01, "AJMP 0012H", {0x01, 0x12}},
        {0x02, "LJMP 1234H", {0x02, 0x12, 0x34}},
        {0x03, "RR A", {0x03}},
        {0x04, "INC A", {0x04}},
        {0x05, "INC 30H", {0x05, 0x30}},
        {0x06, "INC @R0", {0x06}},
        {0x07, "INC @R1", {0x07}},
        {0x08, "INC R0", {0x08}},
        {0x09, "INC R1", {0x09}},
        {0x0A, "INC R2", {0x0A}},
        {0x0B, "INC R3", {0x0B}},
        {0x0C, "INC R4", {0x0C}},
        {0x0D, "INC R5", {0x0D}},
        {0x0E, "INC R6", {0x0E}},
        {0x0F, "INC R7", {0x0F}},
        {0x10, "JBC TF0,$+13H", {0x10, 0x8D, 0x10}},
        {0x11, "ACALL 0034H", {0x11, 0x34}},
        {0x12, "LCALL 5678H", {0x12, 0x56, 0x78}},
        {0x13, "RRC A", {0x13}},
        {0x14, "DEC A", {0x14}},
        {0x15, "DEC 31H", {0x15, 0x31}},
        {0x16, "DEC @R0", {0x16}},
        {0x17, "DEC @R1", {0x17}},
        {0x18, "DEC R0", {0x18}},
        {0x19, "DEC R1", {0x19}},
        {0x1A, "DEC R2", {0x1A}},
        {0x1B, "DEC R3", {0x1B}},
        {0x1C, "DEC R4", {0x1C}},
        {0x1D, "DEC R5", {0x1D}},
        {0x1E, "DEC R6", {0x1E}},
        {0x1F, "DEC R7", {0x1F}},
        {0x20, "JB P1.2,$+23H", {0x20, 0x92, 0x20}},
        {0x21, "AJMP 0156H", {0x21, 0x56}},
        {0x22, "RET", {0x22}},
        {0x23, "RL A", {0x23}},
        {0x24, "ADD A,#11H", {0x24, 0x11}},
        {0x25, "ADD A,32H", {0x25, 0x32}},
        {0x26, "ADD A,@R0", {0x26}},
        {0x27, "ADD A,@R1", {0x27}},
        {0x28, "ADD A,R0", {0x28}},
        {0x29, "ADD A,R1", {0x29}},
        {0x2A, "ADD A,R2", {0x2A}},
        {0x2B, "ADD A,R3", {0x2B}},
        {0x2C, "ADD A,R4", {0x2C}},
        {0x2D, "ADD A,R5", {0x2D}},
        {0x2E, "ADD A,R6", {0x2E}},
        {0x2F, "ADD A,R7", {0x2F}},
        {0x30, "JNB ACC.7,$+33H", {0x30, 0xE7, 0x30}},
        {0x31, "ACALL 0178H", {0x31, 0x78}},
        {0x32, "RETI", {0x32}},
        {0x33, "RLC A", {0x33}},
        {0x34, "ADDC A,#22H", {0x34, 0x22}},
        {0x35, "ADDC A,33H", {0x35, 0x33}},
        {0x36, "ADDC A,@R0", {0x36}},
        {0x37, "ADDC A,@R1", {0x37}},
        {0x38, "ADDC A,R0", {0x38}},
        {0x39, "ADDC A,R1", {0x39}},
        {0x3A, "ADDC A,R2", {0x3A}},
        {0x3B, "ADDC A,R3", {0x3B}},
        {0x3C, "ADDC A,R4", {0x3C}},
        {0x3D, "ADDC A,R5", {0x3D}},
        {0x3E, "ADDC A,R6", {0x3E}},
        {0x3F, "ADDC A,R7", {0x3F}},
        {0x40, "JC $+42H", {0x40, 0x40}},
        {0x41, "AJMP 029AH", {0x41, 0x9A}},
        {0x42, "ORL 34H,A", {0x42, 0x34}},
        {0x43, "ORL 35H,#44H", {0x43, 0x35, 0x44}},
        {0x44, "ORL A,#45H", {0x44, 0x45}},
        {0x45, "ORL A,36H", {0x45, 0x36}},
        {0x46, "ORL A,@R0", {0x46}},
        {0x47, "ORL A,@R1", {0x47}},
        {0x48, "ORL A,R0", {0x48}},
        {0x49, "ORL A,R1", {0x49}},
        {0x4A, "ORL A,R2", {0x4A}},
        {0x4B, "ORL A,R3", {0x4B}},
        {0x4C, "ORL A,R4", {0x4C}},
        {0x4D, "ORL A,R5", {0x4D}},
        {0x4E, "ORL A,R6", {0x4E}},
        {0x4F, "ORL A,R7", {0x4F}},
        {0x50, "JNC $+52H", {0x50, 0x50}},
        {0x51, "ACALL 02BCH", {0x51, 0xBC}},
        {0x52, "ANL 37H,A", {0x52, 0x37}},
        {0x53, "ANL 38H,#55H", {0x53, 0x38, 0x55}},
        {0x54, "ANL A,#56H", {0x54, 0x56}},
        {0x55, "ANL A,39H", {0x55, 0x39}},
        {0x56, "ANL A,@R0", {0x56}},
        {0x57, "ANL A,@R1", {0x57}},
        {0x58, "ANL A,R0", {0x58}},
        {0x59, "ANL A,R1", {0x59}},
        {0x5A, "ANL A,R2", {0x5A}},
        {0x5B, "ANL A,R3", {0x5B}},
        {0x5C, "ANL A,R4", {0x5C}},
        {0x5D, "ANL A,R5", {0x5D}},
        {0x5E, "ANL A,R6", {0x5E}},
        {0x5F, "ANL A,R7", {0x5F}},
        {0x60, "JZ $-10H", {0x60, 0xEE}},
        {0x61, "AJMP 03DEH", {0x61, 0xDE}},
        {0x62, "XRL 3AH,A", {0x62, 0x3A}},
        {0x63, "XRL 3BH,#66H", {0x63, 0x3B, 0x66}},
        {0x64, "XRL A,#67H", {0x64, 0x67}},
        {0x65, "XRL A,3CH", {0x65, 0x3C}},
        {0x66, "XRL A,@R0", {0x66}},
        {0x67, "XRL A,@R1", {0x67}},
        {0x68, "XRL A,R0", {0x68}},
        {0x69, "XRL A,R1", {0x69}},
        {0x6A, "XRL A,R2", {0x6A}},
        {0x6B, "XRL A,R3", {0x6B}},
        {0x6C, "XRL A,R4", {0x6C}},
        {0x6D, "XRL A,R5", {0x6D}},
        {0x6E, "XRL A,R6", {0x6E}},
        {0x6F, "XRL A,R7", {0x6F}},
        {0x70, "JNZ $+72H", {0x70, 0x70}},
        {0x71, "ACALL 03F0H", {0x71, 0xF0}},
        {0x72, "ORL C,TR1", {0x72, 0x8E}},
        {0x73, "JMP @A+DPTR", {0x73}},
        {0x74, "MOV A,#77H", {0x74, 0x77}},
        {0x75, "MOV 3DH,#78H", {0x75, 0x3D, 0x78}},
        {0x76, "MOV @R0,#79H", {0x76, 0x79}},
        {0x77, "MOV @R1,#7AH", {0x77, 0x7A}},
        {0x78, "MOV R0,#80H", {0x78, 0x80}},
        {0x79, "MOV R1,#81H", {0x79, 0x81}},
        {0x7A, "MOV R2,#82H", {0x7A, 0x82}},
        {0x7B, "MOV R3,#83H", {0x7B, 0x83}},
        {0x7C, "MOV R4,#84H", {0x7C, 0x84}},
        {0x7D, "MOV R5,#85H", {0x7D, 0x85}},
        {0x7E, "MOV R6,#86H", {0x7E, 0x86}},
        {0x7F, "MOV R7,#87H", {0x7F, 0x87}},
        {0x80, "SJMP $+7EH", {0x80, 0x7C}},
        {0x81, "AJMP 0401H", {0x81, 0x01}},
        {0x82, "ANL C,P3.4", {0x82, 0xB4}},
        {0x83, "MOVC A,@A+PC", {0x83}},
        {0x84, "DIV AB", {0x84}},
        {0x85, "MOV 3EH,3FH", {0x85, 0x3F, 0x3E}},
        {0x86, "MOV 40H,@R0", {0x86, 0x40}},
        {0x87, "MOV 41H,@R1", {0x87, 0x41}},
        {0x88, "MOV 50H,R0", {0x88, 0x50}},
        {0x89, "MOV 51H,R1", {0x89, 0x51}},
        {0x8A, "MOV 52H,R2", {0x8A, 0x52}},
        {0x8B, "MOV 53H,R3", {0x8B, 0x53}},
        {0x8C, "MOV 54H,R4", {0x8C, 0x54}},
        {0x8D, "MOV 55H,R5", {0x8D, 0x55}},
        {0x8E, "MOV 56H,R6", {0x8E, 0x56}},
        {0x8F, "MOV 57H,R7", {0x8F, 0x57}},
        {0x90, "MOV DPTR,#9ABCH", {0x90, 0x9A, 0xBC}},
        {0x91, "ACALL 0423H", {0x91, 0x23}},
        {0x92, "MOV P2.5,C", {0x92, 0xA5}},
        {0x93, "MOVC A,@A+DPTR", {0x93}},
        {0x94, "SUBB A,#94H", {0x94, 0x94}},
        {0x95, "SUBB A,42H", {0x95, 0x42}},
        {0x96, "SUBB A,@R0", {0x96}},
        {0x97, "SUBB A,@R1", {0x97}},
        {0x98, "SUBB A,R0", {0x98}},
        {0x99, "SUBB A,R1", {0x99}},
        {0x9A, "SUBB A,R2", {0x9A}},
        {0x9B, "SUBB A,R3", {0x9B}},
        {0x9C, "SUBB A,R4", {0x9C}},
        {0x9D, "SUBB A,R5", {0x9D}},
        {0x9E, "SUBB A,R6", {0x9E}},
        {0x9F, "SUBB A,R7", {0x9F}},
        {0xA0, "ORL C,/EA", {0xA0, 0xAF}},
        {0xA1, "AJMP 0545H", {0xA1, 0x45}},
        {0xA2, "MOV C,RI", {0xA2, 0x98}},
        {0xA3, "INC DPTR", {0xA3}},
        {0xA4, "MUL AB", {0xA4}},
        {0xA5, nullptr, {}}, // undefined
        {0xA6, "MOV @R0,43H", {0xA6, 0x43}},
        {0xA7, "MOV @R1,44H", {0xA7, 0x44}},
        {0xA8, "MOV R0,60H", {0xA8, 0x60}},
        {0xA9, "MOV R1,61H", {0xA9, 0x61}},
        {0xAA, "MOV R2,62H", {0xAA, 0x62}},
        {0xAB, "MOV R3,63H", {0xAB, 0x63}},
        {0xAC, "MOV R4,64H", {0xAC, 0x64}},
        {0xAD, "MOV R5,65H", {0xAD, 0x65}},
        {0xAE, "MOV R6,66H", {0xAE, 0x66}},
        {0xAF, "MOV R7,67H", {0xAF, 0x67}},
        {0xB0, "ANL C,/TI", {0xB0, 0x99}},
        {0xB1, "ACALL 0567H", {0xB1, 0x67}},
        {0xB2, "CPL 20H.3", {0xB2, 0x03}},
        {0xB3, "CPL C", {0xB3}},
        {0xB4, "CJNE A,#0B4H,$+10H", {0xB4, 0xB4, 0x0D}},
        {0xB5, "CJNE A,45H,$-20H", {0xB5, 0x45, 0xDD}},
        {0xB6, "CJNE @R0,#1,$+3", {0xB6, 0x01, 0x00}},
        {0xB7, "CJNE @R1,#2,$", {0xB7, 0x02, 0xFD}},
        {0xB8, "CJNE R0,#10H,$+20H", {0xB8, 0x10, 0x1D}},
        {0xB9, "CJNE R1,#11H,$+20H", {0xB9, 0x11, 0x1D}},
        {0xBA, "CJNE R2,#12H,$+20H", {0xBA, 0x12, 0x1D}},
        {0xBB, "CJNE R3,#13H,$+20H", {0xBB, 0x13, 0x1D}},
        {0xBC, "CJNE R4,#14H,$+20H", {0xBC, 0x14, 0x1D}},
        {0xBD, "CJNE R5,#15H,$+20H", {0xBD, 0x15, 0x1D}},
        {0xBE, "CJNE R6,#16H,$+20H", {0xBE, 0x16, 0x1D}},
        {0xBF, "CJNE R7,#17H,$+20H", {0xBF, 0x17, 0x1D}},
        {0xC0, "PUSH ACC", {0xC0, 0xE0}},
        {0xC1, "AJMP 0689H", {0xC1, 0x89}},
        {0xC2, "CLR 2FH.0", {0xC2, 0x78}},
        {0xC3, "CLR C", {0xC3}},
        {0xC4, "SWAP A", {0xC4}},
        {0xC5, "XCH A,46H", {0xC5, 0x46}},
        {0xC6, "XCH A,@R0", {0xC6}},
        {0xC7, "XCH A,@R1", {0xC7}},
        {0xC8, "XCH A,R0", {0xC8}},
        {0xC9, "XCH A,R1", {0xC9}},
        {0xCA, "XCH A,R2", {0xCA}},
        {0xCB, "XCH A,R3", {0xCB}},
        {0xCC, "XCH A,R4", {0xCC}},
        {0xCD, "XCH A,R5", {0xCD}},
        {0xCE, "XCH A,R6", {0xCE}},
        {0xCF, "XCH A,R7", {0xCF}},
        {0xD0, "POP PSW", {0xD0, 0xD0}},
        {0xD1, "ACALL 06ABH", {0xD1, 0xAB}},
        {0xD2, "SETB IT0", {0xD2, 0x88}},
        {0xD3, "SETB C", {0xD3}},
        {0xD4, "DA A", {0xD4}},
        {0xD5, "DJNZ 47H,$-7DH", {0xD5, 0x47, 0x80}},
        {0xD6, "XCHD A,@R0", {0xD6}},
        {0xD7, "XCHD A,@R1", {0xD7}},
        {0xD8, "DJNZ R0,$", {0xD8, 0xFE}},
        {0xD9, "DJNZ R1,$", {0xD9, 0xFE}},
        {0xDA, "DJNZ R2,$", {0xDA, 0xFE}},
        {0xDB, "DJNZ R3,$", {0xDB, 0xFE}},
        {0xDC, "DJNZ R4,$", {0xDC, 0xFE}},
        {0xDD, "DJNZ R5,$", {0xDD, 0xFE}},
        {0xDE, "DJNZ R6,$", {0xDE, 0xFE}},
        {0xDF, "DJNZ R7,$", {0xDF, 0xFE}},
        {0xE0, "MOVX A,@DPTR", {0xE0}},
        {0xE1, "AJMP 07CDH", {0xE1, 0xCD}},
        {0xE2, "MOVX A,@R0", {0xE2}},
        {0xE3, "MOVX A,@R1", {0xE3}},
        {0xE4, "CLR A", {0xE4}},
        {0xE5, "MOV A,48H", {0xE5, 0x48}},
        {0xE6, "MOV A,@R0", {0xE6}},
        {0xE7, "MOV A,@R1", {0xE7}},
        {0xE8, "MOV A,R0", {0xE8}},
        {0xE9, "MOV A,R1", {0xE9}},
        {0xEA, "MOV A,R2", {0xEA}},
        {0xEB, "MOV A,R3", {0xEB}},
        {0xEC, "MOV A,R4", {0xEC}},
        {0xED, "MOV A,R5", {0xED}},
        {0xEE, "MOV A,R6", {0xEE}},
        {0xEF, "MOV A,R7", {0xEF}},
        {0xF0, "MOVX @DPTR,A", {0xF0}},
        {0xF1, "ACALL 07EFH", {0xF1, 0xEF}},
        {0xF2, "MOVX @R0,A", {0xF2}},
        {0xF3, "MOVX @R1,A", {0xF3}},
        {0xF4, "CPL A", {0xF4}},
        {0xF5, "MOV 49H,A", {0xF5, 0x49}},
        {0xF6, "MOV @R0,A", {0xF6}},
        {0xF7, "MOV @R1,A", {0xF7}},
        {0xF8, "MOV R0,A", {0xF8}},
        {0xF9, "MOV R1,A", {0xF9}},
        {0xFA, "MOV R2,A", {0xFA}},
        {0xFB, "MOV R3,A", {0xFB}},
        {0xFC, "MOV R4,A", {0xFC}},
        {0xFD, "MOV R5,A", {0xFD}},
        {0xFE, "MOV R6,A", {0xFE}},
        {0xFF, "MOV R7,A", {0xFF}},
    };
    return rows;
}

constexpr int kRowSpacing = 4;

std::string SourceOf(const std::vector<OpcodeRow>& rows)
{
    std::string source;
    for (const OpcodeRow& row : rows) {
        if (row.source != nullptr) {
            source += StrFormat("\tORG\t%04XH\r\n\t%s\r\n", row.opcode * kRowSpacing, row.source);
        }
    }
    return source + "\tEND\r\n";
}

TEST(OpcodeCoverageTest, TableHoldsEveryOpcodeOnceAndOnlyA5IsUndefined)
{
    const std::vector<OpcodeRow>& rows = OpcodeTable();
    ASSERT_EQ(rows.size(), 256u);
    std::set<int> firstBytes;
    for (size_t i = 0; i < rows.size(); ++i) {
        const OpcodeRow& row = rows[i];
        EXPECT_EQ(row.opcode, static_cast<int>(i));
        if (row.source == nullptr) {
            EXPECT_EQ(row.opcode, 0xA5);
            continue;
        }
        ASSERT_GE(row.bytes.size(), 1u) << row.source;
        EXPECT_LE(row.bytes.size(), 3u) << row.source;
        EXPECT_EQ(row.bytes[0], row.opcode) << row.source;
        firstBytes.insert(row.bytes[0]);
    }
    EXPECT_EQ(firstBytes.size(), 255u);
}

TEST(OpcodeCoverageTest, EveryDefinedOpcodeAssemblesToItsPublishedBytes)
{
    const std::vector<OpcodeRow>& rows = OpcodeTable();
    CAsmFixture fixture;
    fixture.RunSource(SourceOf(rows));
    EXPECT_TRUE(fixture.Messages().empty()) << ::testing::PrintToString(fixture.Messages());
    ASSERT_FALSE(fixture.Lines().empty());
    EXPECT_EQ(fixture.Lines().back(), "Done - 0 error(s), 0 warning(s)");

    int covered = 0;
    for (const OpcodeRow& row : rows) {
        if (row.source == nullptr) {
            continue;
        }
        SCOPED_TRACE(row.source);
        const int address = row.opcode * kRowSpacing;
        const int length = static_cast<int>(row.bytes.size());
        EXPECT_EQ(Hex(fixture.BytesAt(address, length)), Hex(row.bytes));
        // Exactly the instruction's bytes were stored, none beyond them.
        for (int i = 0; i < kRowSpacing; ++i) {
            const bool stored = fixture.code.LineOfAddress(address + i) >= 0;
            EXPECT_EQ(stored, i < length) << "offset " << i;
        }
        ++covered;
    }
    EXPECT_EQ(covered, 255);
}

// The generic mnemonics never pick a short form, however near the target.
TEST(OpcodeCoverageTest, GenericCallAndJmpChooseTheLongForms)
{
    const std::vector<OpcodeRow> rows = {
        {0x12, "CALL 0012H", {0x12, 0x00, 0x12}},
        {0x12, "call 0FFFFH", {0x12, 0xFF, 0xFF}},
        {0x02, "JMP 0012H", {0x02, 0x00, 0x12}},
        {0x02, "JMP $", {0x02, 0x00, 0x00}},
        {0x73, "JMP @A+DPTR", {0x73}},
        {0x73, "JMP @ A + DPTR", {0x73}},
    };
    for (const OpcodeRow& row : rows) {
        SCOPED_TRACE(row.source);
        CAsmFixture fixture;
        fixture.RunSource(std::string("\t") + row.source + "\r\n");
        EXPECT_TRUE(fixture.Messages().empty()) << ::testing::PrintToString(fixture.Messages());
        EXPECT_EQ(Hex(fixture.Bytes()), Hex(row.bytes));
    }
}

} // namespace
