// Notations of the classic Intel dialect that real sources use: C-style hex,
// register symbols, "$" controls, double quotes and USING with AR0..AR7; and
// stray text behind a term, which is reported instead of being dropped.
#include <gtest/gtest.h>

#include <algorithm>

#include "asm_test_util.h"

namespace {

using Strings = std::vector<std::string>;

struct LineCase
{
    std::string source;
    const char* bytes;
    const char* message; // the one message expected, or nullptr
};

void RunCases(const std::string& prelude, const std::vector<LineCase>& cases)
{
    for (const LineCase& c : cases) {
        CAsmFixture f;
        f.RunSource(prelude + c.source + "\r\n");
        const int line = static_cast<int>(std::count(prelude.begin(), prelude.end(), '\n')) + 1;
        EXPECT_EQ(Hex(f.Bytes()), c.bytes) << c.source;
        const Strings expected =
            c.message == nullptr ? Strings{}
                                 : Strings{"Error (" + std::to_string(line) + "): " + c.message};
        EXPECT_EQ(f.Messages(), expected) << c.source;
    }
}

TEST(DialectTest, CStyleHexAndStrayTextBehindATerm)
{
    RunCases("", {
                     {"\tMOV A,#0x30", "74 30", nullptr},
                     {"\tMOV A,#0X3f", "74 3F", nullptr},
                     {"\tMOV DPTR,#0xBEEF+1", "90 BE F0", nullptr},
                     {"\tSETB 0x20.3", "D2 03", nullptr},
                     {"\tMOV A,#0x", "74 00", " Missing hexadecimal digits: 0x"},
                     {"\tMOV A,#0xZ1", "74 00", " Missing hexadecimal digits: 0xZ1"},
                     {"\tMOV A,#12x", "74 0C", " Unexpected text after 12: x"},
                     {"\tMOV A,#5 garbage", "74 05", " Unexpected text after 5: garbage"},
                     {"\tMOV A,#0x30H", "74 30", " Unexpected text after 0x30: H"},
                     {"\tMOV A,#20H.3z", "74 03", " Unexpected text after 20H.3: z"},
                     {"\tMOV A,#P1?", "74 90", " Unexpected text after P1: ?"},
                     {"\tMOV A,#$@", "74 00", " Unexpected text after $: @"},
                     {"\tMOV A,#(1+2)3", "74 03", " Unexpected text after (1+2): 3"},
                     {"\tMOV A,#HIGH(1234H)x", "74 12", " Unexpected text after (1234H): x"},
                     // A name's characters beyond the 32 that count are no stray text.
                     {"\tSJMP " + std::string(40, 'Z'), "80 FE",
                      " Undefined symbol/label: ZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZ"},
                 });
    // A definition's operand is read in pass 1 only, and checked there.
    CAsmFixture f;
    f.RunSource("K EQU 7 junk\r\n\tMOV A,#K\r\n");
    EXPECT_EQ(f.Messages(), Strings{"Error (1):  Unexpected text after 7: junk"});
    EXPECT_EQ(Hex(f.Bytes()), "74 07");
}

TEST(DialectTest, DoubleQuotesReadLikeSingleQuotes)
{
    RunCases("", {
                     {"\tMOV A,#\"Y\"", "74 59", nullptr},
                     {"\tCJNE A,#\",\",$", "B4 2C FD", nullptr},
                     {"\tMOV A,#\";\"+1", "74 3C", nullptr},
                     {"\tDB \"It's\",0,\"\",'\"'", "49 74 27 73 00 22", nullptr},
                     {"\tDB \"a;b\" ; comment", "61 3B 62", nullptr},
                     {"\tDW \"AB\"", "41 00 42 00", nullptr},
                     {"\tMOV A,#\"Y", "74 59", " Missing closing quote: \"Y"},
                     {"\tMOV A,#\"AB\"", "74 41", " Invalid character constant: \"AB\""},
                     {"\tDB \"open", "6F 70 65 6E", " Missing closing quote: \"open"},
                 });
}

// Every instruction form that takes a register, with the register named by
// a symbol; a symbol for A stands for A only where nothing else is allowed,
// and stays the direct address E0h it has always been elsewhere.
TEST(DialectTest, RegisterSymbolsInEveryFormThatTakesARegister)
{
    const std::string defs = "CNT EQU R3\r\nPTR EQU r1\r\nACCU EQU A\r\nFLAGC EQU C\r\n"
                             "PAIR EQU AB\r\nDP EQU DPTR\r\nCNT2 EQU CNT\r\n";
    RunCases(defs, {
                       {"\tADD A,CNT", "2B", nullptr},
                       {"\tADDC A,CNT", "3B", nullptr},
                       {"\tSUBB A,CNT", "9B", nullptr},
                       {"\tANL A,CNT", "5B", nullptr},
                       {"\tORL A,CNT", "4B", nullptr},
                       {"\tXRL A,CNT", "6B", nullptr},
                       {"\tCJNE CNT,#7,$", "BB 07 FD", nullptr},
                       {"\tDEC CNT", "1B", nullptr},
                       {"\tINC CNT2", "0B", nullptr},
                       {"\tDJNZ CNT,$", "DB FE", nullptr},
                       {"\tMOV A,CNT", "EB", nullptr},
                       {"\tMOV CNT,A", "FB", nullptr},
                       {"\tMOV CNT,#5", "7B 05", nullptr},
                       {"\tMOV CNT,30H", "AB 30", nullptr},
                       {"\tMOV 30H,CNT", "8B 30", nullptr},
                       {"\tXCH A,cnt", "CB", nullptr},
                       {"\tADD A,@PTR", "27", nullptr},
                       {"\tANL A,@PTR", "57", nullptr},
                       {"\tCJNE @PTR,#7,$", "B7 07 FD", nullptr},
                       {"\tINC @PTR", "07", nullptr},
                       {"\tMOV @PTR,A", "F7", nullptr},
                       {"\tMOV @PTR,#5", "77 05", nullptr},
                       {"\tMOV @PTR,30H", "A7 30", nullptr},
                       {"\tMOV 30H,@PTR", "87 30", nullptr},
                       {"\tMOVX A,@PTR", "E3", nullptr},
                       {"\tMOVX @PTR,A", "F3", nullptr},
                       {"\tXCHD A,@PTR", "D7", nullptr},
                       {"\tADD ACCU,#1", "24 01", nullptr},
                       {"\tSUBB ACCU,@R0", "96", nullptr},
                       {"\tCJNE ACCU,#1,$", "B4 01 FD", nullptr},
                       {"\tDA ACCU", "D4", nullptr},
                       {"\tRLC ACCU", "33", nullptr},
                       {"\tSWAP ACCU", "C4", nullptr},
                       {"\tXCH ACCU,R2", "CA", nullptr},
                       {"\tMOVX ACCU,@DPTR", "E0", nullptr},
                       {"\tMOVX @DPTR,ACCU", "F0", nullptr},
                       {"\tMOVC ACCU,@A+DPTR", "93", nullptr},
                       {"\tANL 30H,ACCU", "52 30", nullptr},
                       {"\tANL ACCU,R3", "5B", nullptr},
                       {"\tMOV ACCU,#5", "75 E0 05", nullptr},
                       {"\tINC ACCU", "05 E0", nullptr},
                       {"\tPUSH ACCU", "C0 E0", nullptr},
                       {"\tADD A,ACCU", "25 E0", nullptr},
                       {"\tMOV A,ACCU", "E5 E0", "MOV A,ACC is not a valid instruction"},
                       {"\tCLR FLAGC", "C3", nullptr},
                       {"\tCPL FLAGC", "B3", nullptr},
                       {"\tSETB FLAGC", "D3", nullptr},
                       {"\tMOV FLAGC,P1.0", "A2 90", nullptr},
                       {"\tMOV P1.0,FLAGC", "92 90", nullptr},
                       {"\tANL FLAGC,P1.1", "82 91", nullptr},
                       {"\tORL FLAGC,/P1.2", "A0 92", nullptr},
                       {"\tMUL PAIR", "A4", nullptr},
                       {"\tDIV PAIR", "84", nullptr},
                       {"\tINC DP", "A3", nullptr},
                       {"\tMOV DP,#1234H", "90 12 34", nullptr},
                       {"\tMOVX A,@DP", "E0", nullptr},
                       {"\tMOVX @DP,A", "F0", nullptr},
                       {"\tMOV A,#CNT", "74 00", " Register symbol used as a value: CNT"},
                       {"\tPUSH CNT", "C0 00", " Register symbol used as a value: CNT"},
                   });
}

TEST(DialectTest, RegisterSymbolsRedefinedBySetAndTheirMistakes)
{
    CAsmFixture f;
    AssemblerOptions options;
    options.generateSymFile = true;
    f.RunSource("R SET R1\r\n"
                "\tMOV A,R\r\n"
                "R SET R2\r\n"
                "\tMOV A,R\r\n"
                "R SET 30H\r\n" // a value from here on: a two-byte form
                "\tMOV A,R\r\n"
                "R SET R7\r\n"
                "\tMOV A,R\r\n"
                "\tMOV A,LATER\r\n" // not yet a register: a direct address in both passes
                "LATER EQU R4\r\n"
                "here: SJMP here\r\n"
                "C1 EQU R3\r\n"
                "C1 EQU R4\r\n"
                "BAD EQU R9\r\n"
                "1R EQU R1\r\n"
                "ACCU EQU A\r\n",
                options);
    EXPECT_EQ(Hex(f.Bytes()), "E9 EA E5 30 EF E5 00 80 FE");
    EXPECT_EQ(f.assembler.Labels().Find("here")->value, 7);
    EXPECT_EQ(f.Messages(), (Strings{"Error (13):  Duplicate label/symbol C1\r\n",
                                     "Error (13):  Symbol already defined -> C1",
                                     "Error (14):  Undefined symbol/label: R9",
                                     "Error (15):  Symbol: 1R can not begin with a numeric "
                                     "character.",
                                     "Error (9):  Undefined symbol/label: LATER"}));
    // A register has no value to write: only the symbols with one are listed.
    EXPECT_EQ(f.ReadFile("test.SYM"), "R             48\r\n"
                                      "here 7\r\n"
                                      "BAD            0\r\n"
                                      "ACCU         224\r\n");
}

TEST(DialectTest, UsingChoosesTheBankOfAr0ToAr7)
{
    RunCases("",
             {
                 {"\tPUSH AR3", "C0 03", nullptr},
                 {"\tUSING 1\r\n\tPUSH AR3\r\n\tPOP ar7", "C0 0B D0 0F", nullptr},
                 {"\tUSING 3\r\n\tMOV A,AR0\r\n\tUSING 0\r\n\tMOV A,AR0", "E5 18 E5 00", nullptr},
                 {"AR3 EQU 40H\r\n\tUSING 1\r\n\tPUSH AR3", "C0 40", nullptr}, // own name wins
             });
    CAsmFixture f;
    f.RunSource("\tUSING 2\r\n\tUSING 5\r\n\tUSING\r\n\tPUSH AR1\r\n");
    EXPECT_EQ(f.Messages(), (Strings{"Error (2):  Register bank out of range (0 - 3): 5",
                                     "Error (3):  Missing register bank after USING"}));
    EXPECT_EQ(Hex(f.Bytes()), "C0 11");
}

TEST(DialectTest, ControlsThatChangeNothingHereAreAccepted)
{
    const char* const controls[] = {
        "$NOMOD51",        "$MOD51",
        "$MOD52",          "$DEBUG",
        "$NODEBUG",        "$NOSYMBOLS",
        "$PAGEWIDTH(132)", "$PW (80) ; comment",
        "$NOPAGING",       "$OBJECT(x.obj)",
        "$NOOBJECT",       "$XREF",
        "$NOPRINT",        "$REGISTERBANK(0,1)",
        "$DATE(1-JAN-26)", "$mod51 nomod51 db",
        "$GEN NOCOND",     "$ERRORPRINT",
        "$EJECT",          "$NOLIST LIST",
    };
    for (const char* control : controls) {
        CAsmFixture f;
        f.RunSource(std::string(control) + "\r\n\tNOP\r\n");
        EXPECT_TRUE(f.Messages().empty()) << control << ": " << f.Messages().front();
        EXPECT_EQ(Hex(f.Bytes()), "00") << control;
    }
}

TEST(DialectTest, IncludeControlsAndDollarNamesOfRealFiles)
{
    CAsmFixture f;
    f.WriteFile("reg.inc", "K1 EQU 1\r\n");
    f.WriteFile("two.inc", "K2 EQU 2\r\n");
    f.WriteFile("three.inc", "K3 EQU 3\r\n");
    f.WriteFile("MOD51", "K4 EQU 4\r\n"); // a file of a control's name is still included
    f.RunSource("$INCLUDE(reg.inc)\r\n"
                "$NOLIST INCLUDE (two.inc) LIST\r\n"
                "$IC('three.inc')\r\n"
                "$MOD51\r\n"
                "\tDB K1,K2,K3,K4\r\n");
    EXPECT_TRUE(f.Messages().empty());
    EXPECT_EQ(Hex(f.Bytes()), "01 02 03 04");
}

TEST(DialectTest, MalformedControlsAreReportedAndTheAssemblyGoesOn)
{
    CAsmFixture f;
    f.RunSource("$INCLUDE(\r\n"
                "$INCLUDE()\r\n"
                "$TITLE(" +
                std::string(10000, 'x') +
                ")\r\n"
                "$LIST BOGUS(1)\r\n"
                "$EJECT(3)\r\n"
                "$RESTORE\r\n"
                "$LIST !\r\n"
                "\tNOP\r\n");
    const Strings messages = f.Messages();
    const Strings expected = {
        "Error (1):  Missing ) after the argument of control: INCLUDE",
        "Error (2):  Missing argument of control: INCLUDE",
        "Warning (3):  Missing ) after the argument of control: TITLE",
        "Warning (43):  Unknown control: BOGUS",
        "Warning (44):  Control takes no argument: EJECT",
        "Warning (45):  RESTORE without SAVE",
        "Warning (46):  Unknown control: !",
    };
    for (const std::string& m : expected) {
        EXPECT_NE(std::find(messages.begin(), messages.end(), m), messages.end()) << m;
    }
    // The rest of the long line comes as further lines of 254 characters.
    EXPECT_EQ(f.assembler.GetWarningCount(), 5);
    EXPECT_EQ(f.BytesAt(0, 1), std::vector<uint8_t>{0x00});
    EXPECT_FALSE(f.assembler.IsAssembling());
}

TEST(DialectTest, ListingControlsShapeTheListing)
{
    CAsmFixture f;
    f.RunSource("$TITLE('Serial: echo (v2)') NOSYMBOLS\r\n"
                "$NOLIST\r\n"
                "hidden: NOP\r\n"
                "$LIST\r\n"
                "\tINC A\r\n"
                "$SAVE NOLIST\r\n"
                "\tDEC A\r\n"
                "$RESTORE\r\n"
                "\tRL A\r\n"
                "$EJECT\r\n"
                "\tRR A\r\n");
    EXPECT_TRUE(f.Messages().empty());
    const std::string listing = f.ReadFile("test.LST");
    // The title is on the first page already; the controls are listed as written.
    EXPECT_NE(listing.find("\r\nSerial: echo (v2)\r\n"), std::string::npos);
    EXPECT_EQ(listing.find("hidden"), std::string::npos);
    EXPECT_EQ(listing.find("DEC A"), std::string::npos);
    EXPECT_NE(listing.find("    5 0001 04                   INC A\r\n"), std::string::npos);
    EXPECT_NE(listing.find("    9 0003 23                   RL A\r\n"), std::string::npos);
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\x0C'), 1);
    EXPECT_EQ(listing.find("Defined Symbols"), std::string::npos);

    // A page length of 20 pages a long listing; without paging there is one page.
    const std::string body = Repeat("\tNOP\r\n", 60);
    CAsmFixture paged;
    paged.RunSource("$PAGELENGTH(20)\r\n" + body);
    const std::string pages = paged.ReadFile("test.LST");
    EXPECT_GE(std::count(pages.begin(), pages.end(), '\x0C'), 5);
    CAsmFixture unpaged;
    unpaged.RunSource("$PL(20) NOPAGING\r\n" + body);
    const std::string one = unpaged.ReadFile("test.LST");
    EXPECT_EQ(std::count(one.begin(), one.end(), '\x0C'), 0);
}

} // namespace
