#include <gtest/gtest.h>

#include "asm_test_util.h"

namespace {

using Strings = std::vector<std::string>;

TEST(DirectivesTest, DataDirectives)
{
    CAsmFixture f;
    f.RunSource("\tDW 1234H\r\n"
                "\tDB 'AB',0\r\n"
                "\tDB 'A'\r\n"
                "\tDW 'a',\x27\xC4\x27\r\n" // a one-character item is a value (unsigned)
                "\tDW 'ab'\r\n"             // string characters: FFh above 7Fh
                "\tDB -1,','\r\n");
    EXPECT_EQ(Hex(f.Bytes()), "34 12 41 42 00 41 61 00 C4 00 61 00 62 00 FF 2C");
    EXPECT_TRUE(f.Messages().empty());
}

TEST(DirectivesTest, DbItemsAboveAByteKeepBothPassesAligned)
{
    CAsmFixture f;
    f.RunSource("\tDB 300,1\r\nafter: SJMP after\r\n");
    EXPECT_EQ(f.Messages(), Strings{"Error (1):  300 will not fit in a single byte."});
    EXPECT_EQ(Hex(f.Bytes()), "2C 01 80 FE");
    EXPECT_EQ(f.assembler.Labels().Find("after")->value, 2);
}

TEST(DirectivesTest, DataSpaceSymbolsAndMemoryTypes)
{
    CAsmFixture f;
    f.RunSource("\tDATAORG 30H\r\n"
                "X DS 2\r\n"
                "\tMEMTYPE xram\r\n"
                "Y DS 1\r\n"
                "\tMEMTYPE none\r\n"
                "Z DD 3\r\n"
                "W DS 4\r\n"
                "B1 BIT 20H.3\r\n"
                "B2 EQU 21H.1\r\n"
                "D1 DATA 40H\r\n"
                "E1 EQU 20H.3+1\r\n"
                "\tNOP\r\n");
    struct Expect
    {
        const char* name;
        int32_t value;
        int type;
        int memType;
    };
    const Expect expected[] = {{"X", 0x30, 1, 255},  {"Y", 0x32, 0, 3},  {"Z", 0x33, 255, 255},
                               {"W", 0x39, 2, 255},  {"B1", 3, 4, 255},  {"B2", 9, 4, 255},
                               {"D1", 0x40, 0, 255}, {"E1", 4, 255, 255}};
    for (const Expect& e : expected) {
        const SymbolRecord* record = f.assembler.Symbols().Find(e.name);
        ASSERT_NE(record, nullptr) << e.name;
        EXPECT_EQ(record->value, e.value) << e.name;
        EXPECT_EQ(record->type, e.type) << e.name;
        EXPECT_EQ(record->memType, e.memType) << e.name;
    }
    EXPECT_EQ(Hex(f.Bytes()), "00"); // DS and DD reserve data space only
}

TEST(DirectivesTest, RadixAppliesFromTheNextLineInEachPass)
{
    CAsmFixture f;
    f.RunSource("\tDB 10\r\n\tRADIX HEX\r\n\tDB 10\r\n\tRADIX BIN\r\n\tDB 10\r\n"
                "\tRADIX DEC\r\n\tDB 10\r\n\tRADIX OCT\r\n");
    EXPECT_EQ(Hex(f.Bytes()), "0A 10 02 0A");
    EXPECT_EQ(f.Messages(), Strings{"Error (8): Invalid radix specifier."});
}

TEST(DirectivesTest, ConditionalAssemblyDoesNotNest)
{
    CAsmFixture f;
    f.RunSource("\tIF 0\r\n\tDB 1\r\n\tELSE\r\n\tDB 2\r\n\tENDIF\r\n"
                "\tIF 1\r\n\tDB 3\r\n\tELSE\r\n\tDB 4\r\n\tENDIF\r\n"
                "\tIF LATER\r\n\tDB 5\r\n\tENDIF\r\n"
                "\tIF 0\r\n\tIF 1\r\n\tDB 6\r\n\tENDIF\r\n\tDB 7\r\n\tENDIF\r\n"
                "LATER EQU 1\r\n");
    // A forward name is 0 in pass 1 and 1 in pass 2; the inner IF of a false
    // block does not nest, so its ENDIF ends the skipping.
    EXPECT_EQ(Hex(f.Bytes()), "02 03 05 07");
}

TEST(DirectivesTest, IfWithoutEndifSkipsToTheEnd)
{
    CAsmFixture f;
    f.RunSource("\tNOP\r\n\tIF 0\r\n\tNOP\r\n");
    EXPECT_EQ(f.Messages(), Strings{"Error (4):  IF with no ENDIF encountered."});
    EXPECT_EQ(Hex(f.Bytes()), "00");
}

TEST(DirectivesTest, ListingControlWarnings)
{
    CAsmFixture f;
    f.RunSource("\tPAGE 9\r\n\tPAGE 256\r\n\tPAGE 10\r\n\tPAGE 66\r\n"
                "\t%TOPMAR 3\r\n\t%TOPMAR 53\r\n\t%TOPMAR 52\r\n\t%TOPMAR 5\r\n"
                "\t%BOTMAR 0\r\n\t%BOTMAR -1\r\n\t%BOTMAR 52\r\n"
                "\t%TITLE no quotes\r\n\t%SUBTTL\r\n\t%TITLE \"Fine\"\r\n");
    EXPECT_EQ(
        f.Messages(),
        (Strings{"Warning (1): Specified page length (9) is outside limits (10 - 255).",
                 "Warning (2): Specified page length (256) is outside limits (10 - 255).",
                 "Warning (5): Specified top margin (3) is less than the minimum of 4.",
                 "Warning (6): Specified top margin (53) is invalid for current page length.",
                 // -1 folds to 65535 in the 16-bit context
                 "Warning (10): Specified bottom margin (65535) is invalid for current page "
                 "length.",
                 "Warning (11): Specified bottom margin (52) is invalid for current page "
                 "length.",
                 "Warning (12): Invalid TITLE format.", "Warning (13): Invalid SUBTITLE format."}));
    EXPECT_EQ(f.assembler.GetWarningCount(), 8);
    EXPECT_EQ(f.assembler.GetErrorCount(), 0);

    // Without a listing these directives do nothing at all.
    CAsmFixture g;
    AssemblerOptions noList;
    noList.generateListFile = false;
    g.RunSource("\tPAGE 9\r\n\t%TITLE x\r\n", noList);
    EXPECT_TRUE(g.Messages().empty());
}

TEST(DirectivesTest, DollarWordsThatAreNoControlIncludeAndIgnoredDirectives)
{
    CAsmFixture f;
    f.RunSource("$NOSUCH\r\n\tNAME x\r\n\tPUBLIC a,b\r\n\tEXTERN c\r\n\tRSEG code\r\n\tNOP\r\n");
    EXPECT_EQ(f.Messages(),
              Strings{"Error (1): Unable to open include file: " + (f.Dir() / "NOSUCH").string()});
    EXPECT_EQ(Hex(f.Bytes()), "00");
}

TEST(DirectivesTest, BreakCallsTheMonitorLabel)
{
    CAsmFixture f;
    f.RunSource("\tBREAK\r\n");
    EXPECT_EQ(f.Messages(), Strings{"Error (1):  Monitor source code not present."});
    EXPECT_EQ(Hex(f.Bytes()), "12 00 00");

    class CRecorder : public IAssemblerEvents
    {
    public:
        void ResetProcessor() override { ++resets; }
        void SetMonitorBreakAddress(bool isUsed, uint16_t value) override
        {
            used = isUsed;
            address = value;
        }
        void SymbolsChanged() override { ++changes; }
        int resets = 0;
        int changes = 0;
        bool used = false;
        uint16_t address = 0;
    } events;
    CAsmFixture g;
    g.assembler.SetEvents(&events);
    g.RunSource("\tBREAK\r\n\tORG 123H\r\nBreak: RET\r\n");
    EXPECT_TRUE(g.Messages().empty());
    EXPECT_EQ(Hex(g.BytesAt(0, 3)), "12 01 23");
    EXPECT_TRUE(events.used);
    EXPECT_EQ(events.address, 0x123);
    EXPECT_EQ(events.resets, 1);
    EXPECT_EQ(events.changes, 1);
}

TEST(DirectivesTest, HexFileRenamesTheImageAndEndStopsReading)
{
    CAsmFixture f;
    f.RunSource("\tHEXFILE \"first.hex\"\r\n\tNOP\r\n\tHEXFILE out\\image.hex ; comment\r\n"
                "\tEND\r\n\tDB 1\r\n");
    EXPECT_EQ(f.assembler.HexPath(), (f.Dir() / "out/image.hex").string());
    EXPECT_EQ(Hex(f.Bytes()), "00");
    EXPECT_FALSE(f.Exists("first.hex"));
}

TEST(DirectivesTest, EmbeddedHexRecords)
{
    CAsmFixture f;
    f.RunSource("\tNOP\r\n"
                ":0400000001020304F2\r\n"
                ":00000001FF\r\n"
                ":0400000001020304F3\r\n"
                ":04000002010203040F\r\n"
                ":04FFFF000102030400\r\n");
    EXPECT_EQ(Hex(f.Bytes()), "00 04 00 00 00 01 02 03 04 00 00 00 00");
    EXPECT_EQ(
        f.Messages(),
        (Strings{"Error (4):  Invalid check sum at end of code line (calculated value "
                 "does not match).",
                 "Error (5):  Unknown hex line format code.",
                 "Error (6):  Address exceeds valid range (adress is greater than 10000h)."}));
}

} // namespace
