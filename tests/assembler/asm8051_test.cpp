#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "assembler/asm8051.h"
#include "assembler/scan_text.h"
#include "fake_encoder_host.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Msg = CFakeEncoderHost::Message;
using Msgs = std::vector<Msg>;

Msg E(const char* text)
{
    return {text, kMessageError};
}

Msg W(const char* text)
{
    return {text, kMessageWarning};
}

const Msg kDataWarning = W(" Immediate data to large to fit in a single byte");
const Msg kDirectRange = E("Direct address is out of (0 - 255) range.");

// One line assembled in pass 1 and then in pass 2 at address 0: the bytes
// must agree between the passes, and each pass reports its own messages.
struct LineCase
{
    const char* line;
    Bytes bytes;
    Msgs pass1;
    Msgs pass2;
};

void RunLineCases(const std::vector<LineCase>& cases)
{
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.line);
        CFakeEncoderHost host;
        host.DefineSymbol("BIGBIT", 300);
        EXPECT_EQ(host.Assemble(c.line, 1), c.bytes);
        EXPECT_EQ(host.Messages(), c.pass1);
        host.ClearMessages();
        EXPECT_EQ(host.Assemble(c.line, 2), c.bytes);
        EXPECT_EQ(host.Messages(), c.pass2);
    }
}

TEST(Asm8051Test, MnemonicTableKeepsItsOrderAndIgnoresCase)
{
    const char* expected[] = {"ACALL", "ADD",  "ADDC", "AJMP", "ANL",  "CALL", "CJNE",  "CLR",
                              "CPL",   "DA",   "DEC",  "DIV",  "DJNZ", "INC",  "JB",    "JBC",
                              "JC",    "JMP",  "JNB",  "JNC",  "JNZ",  "JZ",   "LCALL", "LJMP",
                              "MOV",   "MOVC", "MOVX", "MUL",  "NOP",  "ORL",  "POP",   "PUSH",
                              "RET",   "RETI", "RL",   "RLC",  "RR",   "RRC",  "SETB",  "SJMP",
                              "SUBB",  "SWAP", "XCH",  "XCHD", "XRL"};
    ASSERT_EQ(std::size(expected), static_cast<size_t>(CAsm8051::kMnemonicCount));
    for (int i = 0; i < CAsm8051::kMnemonicCount; ++i) {
        EXPECT_EQ(CAsm8051::MnemonicName(i), expected[i]);
        EXPECT_EQ(CAsm8051::FindMnemonic(expected[i]), i);
    }
    EXPECT_EQ(CAsm8051::FindMnemonic("movx"), 26);
    EXPECT_EQ(CAsm8051::FindMnemonic("Djnz"), 12);
    EXPECT_EQ(CAsm8051::FindMnemonic("MOVE"), -1);
    EXPECT_EQ(CAsm8051::FindMnemonic(""), -1);
    EXPECT_EQ(CAsm8051::MnemonicName(45), "");
    EXPECT_EQ(CAsm8051::MnemonicName(-1), "");
}

// A small index fills up and wraps around, so probing, duplicate keys and
// misses inside a full cluster are all exercised.
TEST(KeywordIndexTest, FindsEveryKeyOnceAndRefusesToOverfill)
{
    scan::CKeywordIndex<int, 8> index;
    const char* words[] = {"MOV", "ADD", "MOVX", "DB"};
    for (int i = 0; i < 4; ++i) {
        index.Add(scan::PackUpper(words[i]), i);
    }
    index.Add(scan::PackUpper("mov"), 99); // the first value stays
    index.Add(0, 7);                       // a word too long to pack is never stored
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(index.Find(scan::PackUpper(words[i]), -1), i) << words[i];
    }
    for (const char* missing : {"ADDC", "DW", "MOVC", "X", "LONGERTHAN8"}) {
        EXPECT_EQ(index.Find(scan::PackUpper(missing), -1), -1) << missing;
    }
    EXPECT_EQ(index.Find(0, -1), -1);
    EXPECT_THROW(index.Add(scan::PackUpper("NOP"), 4), std::length_error);
}

TEST(Asm8051Test, WorkedExamples)
{
    RunLineCases({
        {"SJMP $", {0x80, 0xFE}, {}, {}},
        {"CJNE A,#10,$", {0xB4, 0x0A, 0xFD}, {}, {}},
        {"CALL 1234H", {0x12, 0x12, 0x34}, {}, {}},
        {"LCALL 1234H", {0x12, 0x12, 0x34}, {}, {}},
        {"JMP @A+DPTR", {0x73}, {}, {}},
        {"JMP @ A + DPTR", {0x73}, {}, {}},
        {"jmp @a+dptr", {0x73}, {}, {}},
        {"JMP 1234H", {0x02, 0x12, 0x34}, {}, {}},
        {"JMP 0010H", {0x02, 0x00, 0x10}, {}, {}}, // never shortened to AJMP or SJMP
        {"MOV A,ACC",
         {0xE5, 0xE0},
         {E("MOV A,ACC is not a valid instruction")},
         {E("MOV A,ACC is not a valid instruction")}},
        {"MOV 30H,40H", {0x85, 0x40, 0x30}, {}, {}},
        {"MOV C,P1.3", {0xA2, 0x93}, {}, {}},
        {"SETB 20H.0", {0xD2, 0x00}, {}, {}},
        {"CLR ACC.7", {0xC2, 0xE7}, {}, {}},
        {"MOV A,#300", {0x74, 0x2C}, {}, {kDataWarning}},
        {"ADD A,#300",
         {0x24, 0x2C},
         {E("Data is to large to fit in a single byte.")},
         {E("Data is to large to fit in a single byte.")}},
        {"MOVX @DPTR,A", {0xF0}, {}, {}},
        {"MOVX A,@R2",
         {},
         {E("Invalid source, valid sources: @Ri and @DPTR")},
         {E("Invalid source, valid sources: @Ri and @DPTR")}},
        {"INC DPTR", {0xA3}, {}, {}},
        {"DEC DPTR", {0x15, 0x00}, {}, {E(" Undefined symbol/label: DPTR")}},
    });
}

TEST(Asm8051Test, RefusedFormsReportTheirMessageAndKeepBothPassesInStep)
{
    const Msg accDest = E(" The accumulator (A) must be the destination");
    const Msg accFirst = E(" The accumulator (A) must be the first operand");
    const Msg invalidRegister = E(" Invalid register");
    const Msg notImmediate = E("Second operand must be immediate data (#data)");
    RunLineCases({
        {"ADD B,#1", {}, {accDest}, {accDest}},
        {"ADDC R0,A", {}, {accDest}, {accDest}},
        {"SUBB B,A", {}, {accFirst}, {accFirst}},
        {"XCH B,A", {}, {accFirst}, {accFirst}},
        {"ANL 30H", {}, {}, {E(" Comma (,) expected")}},
        {"ORL 30H,R1", {}, {}, {E(" Invalid source operand")}},
        {"XRL 30H,", {}, {}, {E(" Invalid source operand")}},
        {"CJNE B,#1,$", {0xB8}, {invalidRegister}, {invalidRegister}},
        {"CJNE R3,30H,$", {0xBB}, {notImmediate}, {notImmediate}},
        {"CJNE @R1,40H,$", {0xB7}, {notImmediate}, {notImmediate}},
        {"CJNE @R2,#1,$", {0xB6, 0x01, 0xFD}, {invalidRegister}, {invalidRegister}},
        {"CJNE A,#300,$",
         {0xB4, 0x2C, 0xFD},
         {E("Immediate data is to large to fit in a single byte.")},
         {E("Immediate data is to large to fit in a single byte.")}},
        {"CLR NOBIT",
         {0xC2, 0xFF},
         {E(" Unknown destination operand.")},
         {E(" Unknown destination operand.")}},
        {"CPL NOBIT",
         {0xB2, 0xFF},
         {E(" Unknown destination operand.")},
         {E(" Unknown destination operand.")}},
        {"SETB NOBIT",
         {0xD2, 0xFF},
         {E("Unknown destination bit")},
         {E("Unknown destination bit")}},
        {"SETB A", {0xD2, 0xFF}, {E("Unknown destination bit")}, {E("Unknown destination bit")}},
        {"DA B", {}, {E(" A must be source/destination")}, {E(" A must be source/destination")}},
        {"DIV A", {}, {E(" AB must be source/destination")}, {E(" AB must be source/destination")}},
        {"MUL A,B",
         {},
         {E("Invalid source/destination, valid: MUL AB")},
         {E("Invalid source/destination, valid: MUL AB")}},
        {"RRC B", {}, {E(" Only the A may be rotated")}, {E(" Only the A may be rotated")}},
        {"SWAP B", {}, {E(" Only A may be swapped")}, {E(" Only A may be swapped")}},
        {"XCHD A,@R2",
         {},
         {E(" Invalid second operand, valid operands: @R0 and @R1")},
         {E(" Invalid second operand, valid operands: @R0 and @R1")}},
        {"XCHD B,@R0",
         {},
         {E(" A, must be the first operand")},
         {E(" A, must be the first operand")}},
        {"MOVC B,@A+PC",
         {},
         {E("Invalid destination, valid destination: A")},
         {E("Invalid destination, valid destination: A")}},
        {"MOVC A,@DPTR",
         {},
         {E("Invalid source, valid sources: @A+DPTR or @A+PC")},
         {E("Invalid source, valid sources: @A+DPTR or @A+PC")}},
        {"MOVX @R0,B",
         {},
         {E("Invalid source, valid source: A")},
         {E("Invalid source, valid source: A")}},
        {"MOVX @R4,A",
         {},
         {E("Inavalid destination, valid destinations: @Ri and @DPTR")},
         {E("Inavalid destination, valid destinations: @Ri and @DPTR")}},
        {"MOVX B,A",
         {},
         {E("Invalid destination, Valid destinations: A, @Ri or DPTR")},
         {E("Invalid destination, Valid destinations: A, @Ri or DPTR")}},
        {"MOV DPTR,1234H",
         {0x90},
         {E("Source operand must be immediate data (#data16)")},
         {E("Source operand must be immediate data (#data16)")}},
        {"MOV NOBIT,C",
         {},
         {E("Undefined destination bit address.")},
         {E("Undefined destination bit address.")}},
        {"MOV 30H,  ", {}, {E("No source operand specified")}, {E("No source operand specified")}},
        {"MOV 30H ; no source",
         {},
         {E("No source operand specified")},
         {E("No source operand specified")}},
        {"MOV C,NOBIT", {}, {E("Unknown source bit")}, {E("Unknown source bit")}},
        {"ADD A,@R3", {0x26}, {invalidRegister}, {invalidRegister}},
        {"INC @DPTR", {0x06}, {invalidRegister}, {invalidRegister}},
        {"MOV @R7,A", {0xF6}, {invalidRegister}, {invalidRegister}},
    });
}

TEST(Asm8051Test, RangeChecksOfDirectAndImmediateOperands)
{
    const Msg dataError = E("Data is to large to fit in a single byte.");
    RunLineCases({
        // Direct-address error in both passes.
        {"ADD A,300", {0x25, 0x2C}, {kDirectRange}, {kDirectRange}},
        {"ANL A,300", {0x55, 0x2C}, {kDirectRange}, {kDirectRange}},
        {"XCH A,300", {0xC5, 0x2C}, {kDirectRange}, {kDirectRange}},
        {"INC 300", {0x05, 0x2C}, {kDirectRange}, {kDirectRange}},
        {"DEC 256", {0x15, 0x00}, {kDirectRange}, {kDirectRange}},
        {"DEC 255", {0x15, 0xFF}, {}, {}},
        // Forms without a range test.
        {"ANL 300,A", {0x52, 0x2C}, {}, {}},
        {"DJNZ 300,$", {0xD5, 0x2C, 0xFD}, {}, {}},
        // The data warning belongs to pass 2.
        {"ANL 30H,#300", {0x53, 0x30, 0x2C}, {}, {kDataWarning}},
        {"PUSH 300", {0xC0, 0x2C}, {}, {kDataWarning}},
        {"POP 255", {0xD0, 0xFF}, {}, {}},
        {"MOV R0,300", {0xA8, 0x2C}, {}, {kDataWarning}},
        {"MOV 300,#1", {0x75, 0x2C, 0x01}, {kDirectRange}, {kDirectRange, kDataWarning}},
        {"MOV 300,40H", {0x85, 0x40, 0x2C}, {kDirectRange}, {kDirectRange, kDataWarning}},
        {"MOV 30H,400", {0x85, 0x90, 0x30}, {}, {kDataWarning}},
        // Immediate data of the MOV forms is checked like MOV A,#data.
        {"MOV R0,#300", {0x78, 0x2C}, {}, {kDataWarning}},
        {"MOV @R1,#300", {0x77, 0x2C}, {}, {kDataWarning}},
        {"MOV 30H,#300", {0x75, 0x30, 0x2C}, {}, {kDataWarning}},
        {"ORL A,#255", {0x44, 0xFF}, {}, {}},
        {"XRL A,#256", {0x64, 0x00}, {dataError}, {dataError}},
        // A negative byte folds to its 8-bit value.
        {"MOV A,#-1", {0x74, 0xFF}, {}, {}},
        {"SUBB A,#-2", {0x94, 0xFE}, {}, {}},
    });
}

TEST(Asm8051Test, BitOperands)
{
    const Msg bitRange = E("Specified bit address is out of (0 - 255) range.");
    const Msg bitLabel = E("Bit label is outside (0 - 255) range.");
    RunLineCases({
        {"ORL C,TR0", {0x72, 0x8C}, {}, {}},
        {"ANL C,/P3.2", {0xB0, 0xB2}, {}, {}},
        {"ANL C, / ov", {0xB0, 0xD2}, {}, {}},
        {"ORL C,/CY", {0xA0, 0xD7}, {}, {}},
        {"JBC TF1,$", {0x10, 0x8F, 0xFD}, {}, {}},
        {"MOV P1.0,C", {0x92, 0x90}, {}, {}},
        {"MOV 2FH.7,C", {0x92, 0x7F}, {}, {}},
        {"CPL C", {0xB3}, {}, {}},
        {"CLR c", {0xC3}, {}, {}},
        // A computed bit address of 256 or more is refused in every bit form.
        {"JB 300,$", {0x20, 0x2C, 0xFD}, {bitRange}, {bitRange}},
        {"CLR 300", {0xC2, 0x2C}, {bitRange}, {bitRange}},
        // A bit symbol that large has its own message and is used as it is.
        {"CLR BIGBIT", {0xC2, 0x2C}, {bitLabel}, {bitLabel}},
        // The fallback evaluates what the name lookup cannot resolve; a
        // value still negative becomes 0.
        {"JNB 0-300,$", {0x30, 0x00, 0xFD}, {}, {E(" Unknown source operand")}},
        {"JB NOBIT,$", {0x20, 0x00, 0xFD}, {}, {E(" Undefined symbol/label: NOBIT")}},
    });
}

TEST(Asm8051Test, BitLookupOrder)
{
    CFakeEncoderHost host;
    host.DefineSymbol("FLAGS", 0x21);
    host.DefineSymbol("READY", 5);
    host.DefineSymbol("PORTBITS", 0x90);
    host.DefineLabel("LBL", 3);
    CAsm8051& enc = host.Encoder();
    EXPECT_EQ(enc.LookupBit("TR0"), 0x8C);
    EXPECT_EQ(enc.LookupBit("acc.7"), 0xE7);
    EXPECT_EQ(enc.LookupBit("CY"), 0xD7);
    EXPECT_EQ(enc.LookupBit("READY"), 5);
    EXPECT_EQ(enc.LookupBit("ready"), 5);
    EXPECT_EQ(enc.LookupBit("FLAGS.3"), 0x0B); // (21h - 20h) * 8 + 3
    EXPECT_EQ(enc.LookupBit("PORTBITS.4"), 0x94);
    EXPECT_EQ(enc.LookupBit("20H.5"), 5);
    EXPECT_EQ(enc.LookupBit("LBL"), -1); // labels are no bit names
    EXPECT_EQ(enc.LookupBit("C"), -1);
    EXPECT_EQ(enc.LookupBit("P1.8"), -1);
    EXPECT_EQ(enc.LookupBit("PSW.1"), 0xD1);
    EXPECT_EQ(enc.LookupBit("FLAGS."), -1);
    EXPECT_EQ(enc.LookupBit("FLAGS.X"), -1);
    EXPECT_EQ(enc.LookupBit(""), -1);
    EXPECT_TRUE(host.Messages().empty());

    EXPECT_EQ(host.Assemble("JB FLAGS.3,$"), (Bytes{0x20, 0x0B, 0xFD}));
    EXPECT_EQ(host.Assemble("SETB READY"), (Bytes{0xD2, 0x05}));
    EXPECT_EQ(host.Assemble("JNB LBL,$"), (Bytes{0x30, 0x03, 0xFD})); // via the fallback
    EXPECT_TRUE(host.Messages().empty());
}

TEST(Asm8051Test, RelativeTargetLimits)
{
    // SJMP at 200h: the next instruction is at 202h.
    const Msg outside = E(" Branch is outside relative address range of current PC.");
    struct Case
    {
        const char* line;
        Bytes bytes;
        bool reported;
    };
    const Case cases[] = {
        {"SJMP 0182H", {0x80, 0x80}, false}, // 128 back
        {"SJMP 0181H", {0x80, 0x7F}, true},  // 129 back
        {"SJMP 0281H", {0x80, 0x7F}, false}, // 127 ahead
        {"SJMP 0282H", {0x80, 0x80}, true},  // 128 ahead
        {"JNZ $+2", {0x70, 0x00}, false},
        {"DJNZ R5,$", {0xDD, 0xFE}, false},
        {"DJNZ 30H,$", {0xD5, 0x30, 0xFD}, false},
        {"JB P1.0,0183H", {0x20, 0x90, 0x80}, false}, // base 203h
        {"JB P1.0,0182H", {0x20, 0x90, 0x7F}, true},
        {"CJNE R0,#1,0283H", {0xB8, 0x01, 0x80}, true},
        {"CJNE R0,#1,0282H", {0xB8, 0x01, 0x7F}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        CFakeEncoderHost host;
        EXPECT_EQ(host.Assemble(c.line, 1, 0x200), c.bytes);
        EXPECT_TRUE(host.Messages().empty()); // silent in pass 1
        EXPECT_EQ(host.Assemble(c.line, 2, 0x200), c.bytes);
        EXPECT_EQ(host.Messages(), c.reported ? Msgs{outside} : Msgs{});
    }
}

TEST(Asm8051Test, AbsoluteTargetsCompareTheBlockOfTheNextInstruction)
{
    const Msg callOutside = E(" This CALL referenced a subroutine outside the current 2k block");
    const Msg jumpOutside = E(" Branch location is outside 2k page boundry");
    struct Case
    {
        const char* line;
        int32_t address;
        Bytes bytes;
        Msgs pass2;
    };
    const Case cases[] = {
        {"ACALL 0900H", 0x100, {0x31, 0x00}, {callOutside}},
        {"ACALL 07FFH", 0x100, {0xF1, 0xFF}, {}},
        // At 7FEh the instruction ends on the next 2K block: that block counts.
        {"AJMP 07F0H", 0x7FE, {0xE1, 0xF0}, {jumpOutside}},
        {"AJMP 0800H", 0x7FE, {0x01, 0x00}, {}},
        {"AJMP 0F234H", 0xF000, {0x41, 0x34}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        CFakeEncoderHost host;
        EXPECT_EQ(host.Assemble(c.line, 1, c.address), c.bytes);
        EXPECT_TRUE(host.Messages().empty());
        EXPECT_EQ(host.Assemble(c.line, 2, c.address), c.bytes);
        EXPECT_EQ(host.Messages(), c.pass2);
    }
}

TEST(Asm8051Test, LinkReferencesFollowTheOpcodeOfLongForms)
{
    CFakeEncoderHost host;
    host.DefineLabel("START", 0x0100);
    host.DefineSymbol("TABLE", 0x0456);
    EXPECT_EQ(host.Assemble("LJMP START"), (Bytes{0x02, 0x01, 0x00}));
    EXPECT_EQ(host.Assemble("call start"), (Bytes{0x12, 0x01, 0x00}));
    EXPECT_EQ(host.Assemble("JMP START ; go"), (Bytes{0x02, 0x01, 0x00}));
    EXPECT_EQ(host.Assemble("MOV DPTR,#TABLE"), (Bytes{0x90, 0x04, 0x56}));
    EXPECT_EQ(host.Assemble("MOV DPTR, # TABLE+2"), (Bytes{0x90, 0x04, 0x58}));
    EXPECT_EQ(host.Assemble("MOV DPTR,#-1"), (Bytes{0x90, 0xFF, 0xFF})); // 16-bit context
    EXPECT_EQ(host.Assemble("JMP @A+DPTR"), (Bytes{0x73}));
    EXPECT_EQ(host.Assemble("AJMP START"), (Bytes{0x21, 0x00}));
    EXPECT_EQ(host.Assemble("MOV DPTR,TABLE"), (Bytes{0x90}));
    const std::vector<std::string> expected = {"START", "start", "START", "TABLE", "TABLE+2", "-1"};
    EXPECT_EQ(host.LinkWords(), expected);
}

TEST(Asm8051Test, OperandSpellings)
{
    RunLineCases({
        {"MOV A, # 1 + 2", {0x74, 0x03}, {}, {}},
        {"ADD A , R3", {0x2B}, {}, {}},
        {"mov a,@r1", {0xE7}, {}, {}},
        {"MOV A,@ R1", {0xE7}, {}, {}},
        {"MOV 30H ,R2", {0x8A, 0x30}, {}, {}},
        {"MOV 20H + 1 , 40H - 1", {0x85, 0x3F, 0x21}, {}, {}},
        {"\tINC\tA\t; comment, with a comma", {0x04}, {}, {}},
        {"CJNE A, #1 + 1, $ ; done", {0xB4, 0x02, 0xFD}, {}, {}},
        {"MOVC A , @ A + PC", {0x83}, {}, {}},
        // A comma or semicolon inside a character constant ends nothing.
        {"CJNE A,#',',$", {0xB4, 0x2C, 0xFD}, {}, {}},
        {"MOV A,#';' ; comment", {0x74, 0x3B}, {}, {}},
        {"movx a,@dptr", {0xE0}, {}, {}},
        {"INC R7\r", {0x0F}, {}, {}},
        {"NOP anything, at all", {0x00}, {}, {}},
        {"RET", {0x22}, {}, {}},
        // R8 and ACC are no register keywords: they are direct addresses.
        {"INC ACC", {0x05, 0xE0}, {}, {}},
        {"MOV ACC,#5", {0x75, 0xE0, 0x05}, {}, {}},
        {"MOV R8,#5", {0x75, 0x00, 0x05}, {}, {E(" Undefined symbol/label: R8")}},
    });
}

// Whatever the operand text, an encoder emits at most three bytes and the
// same number in both passes.
TEST(Asm8051Test, HostileOperandsNeverOverrunOrDesynchronise)
{
    const std::string longWord(300, 'X');
    const std::vector<std::string> operands = {
        "",
        ",",
        ",,,,,,",
        "@",
        "#",
        "/",
        "@@@@",
        "A,",
        "A,,",
        "A,@",
        "@R0,#",
        "C,/",
        ":::",
        "((((",
        "''''",
        "#'",
        "A,#'A",
        longWord,
        "A," + longWord,
        "@" + longWord,
        "A,@A+",
        "DPTR,#",
        std::string("A\0B", 3),
        "\xff\xfe\x80",
        "R0,#1,",
        "$$$$",
    };
    // Plus random text over the characters the scanner gives a meaning to.
    std::vector<std::string> all = operands;
    static const char kChars[] = "  \t,,:;@#/'AaBCDPTRr0179+-.$()\r\n\0\xff";
    const std::string alphabet(kChars, sizeof kChars - 1);
    std::mt19937 random(51);
    for (int i = 0; i < 300; ++i) {
        std::string text(random() % 24, ' ');
        for (char& c : text) {
            c = alphabet[random() % alphabet.size()];
        }
        all.push_back(text);
    }
    for (int m = 0; m < CAsm8051::kMnemonicCount; ++m) {
        for (const std::string& operand : all) {
            const std::string line = std::string(CAsm8051::MnemonicName(m)) + " " + operand;
            SCOPED_TRACE(line);
            CFakeEncoderHost host;
            const Bytes pass1 = host.Assemble(line, 1);
            const Bytes pass2 = host.Assemble(line, 2);
            EXPECT_LE(pass2.size(), 3u);
            EXPECT_EQ(pass1.size(), pass2.size());
        }
    }
}

} // namespace
