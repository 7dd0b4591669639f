#include <gtest/gtest.h>

#include <cstring>

#include "asm_test_util.h"

namespace {

using Strings = std::vector<std::string>;

std::string Nops(int count)
{
    return Repeat("\tNOP\r\n", count);
}

Strings SplitCrLf(const std::string& text)
{
    Strings lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

TEST(HexFileTest, RecordsAreCutAt16BytesAndAtOrg)
{
    CAsmFixture f;
    f.RunSource("\tDB 0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19\r\n"
                "\tORG 100H\r\n\tLJMP 30H\r\n");
    EXPECT_EQ(f.ReadFile("test.HEX"), ":10000000000102030405060708090A0B0C0D0E0F78\r\n"
                                      ":0400100010111213A6\r\n"
                                      ":03010000020030CA\r\n"
                                      ":00000001FF\r\n");

    CAsmFixture g;
    g.RunSource("\tLJMP 30H\r\n\tEND\r\n");
    EXPECT_EQ(g.ReadFile("test.HEX"), ":03000000020030CB\r\n:00000001FF\r\n");

    CAsmFixture empty;
    empty.RunSource("\tEND\r\n");
    EXPECT_EQ(empty.ReadFile("test.HEX"), ":00000001FF\r\n");
    EXPECT_EQ(empty.code.HighestAddress(), -1);
}

TEST(ListingTest, LineLayoutAndPagination)
{
    CAsmFixture f;
    f.RunSource(Nops(6) + "\tORG 10H\r\nhere:\tNOP ; seven\r\n");
    const Strings lines = SplitCrLf(f.ReadFile("test.LST"));
    ASSERT_GE(lines.size(), 14u);
    EXPECT_EQ(lines[0], "8051 Assembler           Version 1.00   12/05/26 09:08:07    Page 1");
    EXPECT_EQ(lines[1], (f.Dir() / "test.a51").string());
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], "    1 0000 00                   NOP");
    EXPECT_EQ(lines[11], "    7 0010                      ORG 10H");
    // Tabs in the source are expanded to the stops from the source column.
    EXPECT_EQ(lines[12], "    8 0010 00           here:   NOP ; seven");

    // 66 lines, margins 5 and 4: 57 counted lines fit after the header.
    CAsmFixture g;
    g.RunSource(Nops(58));
    const std::string listing = g.ReadFile("test.LST");
    const size_t feed = listing.find('\x0C');
    ASSERT_NE(feed, std::string::npos);
    const Strings page1 = SplitCrLf(listing.substr(0, feed));
    EXPECT_EQ(page1.size(), 5u + 57u);
    EXPECT_EQ(page1.back().substr(0, 10), "   57 0038");
    const Strings page2 = SplitCrLf(listing.substr(feed + 1));
    EXPECT_EQ(page2[0].substr(page2[0].size() - 6), "Page 2");
    EXPECT_EQ(page2[5].substr(0, 10), "   58 0039");
}

TEST(ListingTest, TitlesMessagesDataAndRecordLines)
{
    CAsmFixture f;
    f.RunSource("\t%TITLE \"Blinker\"\r\n"
                "\t%SUBTTL \"Part two\"\r\n"
                "\tDB 1,2,3,4,5,6,7\r\n"
                "\tDW 1,2\r\n"
                "\tSJMP nowhere\r\n"
                ":0400000001020304F2\r\n"
                "X EQU 5\r\n"
                "\tEQU 7\r\n"
                "\tINCLUDE none.inc\r\n"
                "\tPAGE\r\n");
    const std::string listing = f.ReadFile("test.LST");
    const Strings lines = SplitCrLf(listing);
    const Strings expected = {
        "    3 0000 01 02 03             DB 1,2,3,4,5,6,7",
        "      0003 04 05 06",
        "      0006 07",
        "    4 0007 01 00                DW 1,2",
        "      0009 02 00",
        "",
        "                                SJMP nowhere",
        " **** Error  :  Undefined symbol/label: nowhere",
        "    5 000B 80 F3                SJMP nowhere",
        "    6 000D 04000000     :0400000001020304F2",
        "           01020304",
        "    7 0015              X EQU 5",
        "    8                           EQU 7",
        // The missing include was reported in pass 1 already: no message here.
        "                                INCLUDE none.inc",
    };
    ASSERT_GE(lines.size(), 5u + expected.size());
    EXPECT_EQ(lines[2], "");
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(lines[5 + i], expected[i]) << i;
    }
    // PAGE starts page 2, whose header carries the title and the subtitle.
    const size_t feed = listing.find('\x0C');
    ASSERT_NE(feed, std::string::npos);
    const Strings page2 = SplitCrLf(listing.substr(feed + 1));
    EXPECT_EQ(page2[2], "Blinker");
    EXPECT_EQ(page2[3], "Part two");
}

TEST(ListingTest, SymbolTablesAreSortedIgnoringCase)
{
    CAsmFixture f;
    f.RunSource("Main: NOP\r\nloop: NOP\r\nAA: NOP\r\nA_B: NOP\r\nzed EQU -1\r\nALPHA EQU 10H\r\n");
    const std::string listing = f.ReadFile("test.LST");
    const size_t at = listing.find("\r\nDefined Symbols:\r\n");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(listing.substr(at), "\r\nDefined Symbols:\r\n"
                                  "  ALPHA                                     000010  16\r\n"
                                  "  zed                                       00FFFF  65535\r\n"
                                  "\r\nDefined Labels:\r\n"
                                  "  A_B                                       000003  3\r\n"
                                  "  AA                                        000002  2\r\n"
                                  "  loop                                      000001  1\r\n"
                                  "  Main                                      000000  0\r\n");
}

TEST(SymbolFileTest, FirstDefinitionsInOrder)
{
    CAsmFixture f;
    AssemblerOptions options;
    options.generateSymFile = true;
    f.RunSource("Count EQU 12\r\nstart: NOP\r\nCount SET 3\r\nV SET 1\r\nV SET 2\r\n"
                "LongSymbolName DATA 30H\r\n",
                options);
    EXPECT_EQ(f.ReadFile("test.SYM"), "Count         12\r\n"
                                      "start 0\r\n"
                                      "V              1\r\n"
                                      "LongSymbolName    48\r\n");
    CAsmFixture g;
    g.RunSource("\tNOP\r\n");
    EXPECT_FALSE(g.Exists("test.SYM")); // off by default
}

TEST(LinkFileTest, RecordsForNamedAbsoluteReferences)
{
    CAsmFixture f;
    f.RunSource("\tORG 100H\r\n"
                "target: LCALL target\r\n"
                "\tLCALL 100H\r\n"
                "\tLJMP target+2\r\n"
                "\tMOV DPTR,#Table\r\n"
                "\tJMP Target\r\n"
                "Table EQU 1234H\r\n");
    const std::string link = f.ReadFile("test.LNK");
    ASSERT_EQ(link.size(), 3u * 48);
    auto field = [&link](size_t record, size_t offset) {
        int32_t value = 0;
        std::memcpy(&value, link.data() + record * 48 + offset, 4);
        return value;
    };
    auto name = [&link](size_t record) { return std::string(link.c_str() + record * 48 + 12); };
    EXPECT_EQ(field(0, 0), 0);
    EXPECT_EQ(field(0, 4), 0x100);
    EXPECT_EQ(field(0, 8), 0x101);
    EXPECT_EQ(name(0), "target");
    EXPECT_EQ(field(1, 4), 0x1234);
    EXPECT_EQ(field(1, 8), 0x10A);
    EXPECT_EQ(name(1), "Table");
    EXPECT_EQ(field(2, 8), 0x10D);
    EXPECT_EQ(name(2), "Target"); // as written in the operand
}

TEST(OutputFilesTest, SwitchedOffFilesAreNotWritten)
{
    CAsmFixture f;
    AssemblerOptions options;
    options.generateHexFile = false;
    options.generateListFile = false;
    f.RunSource("\tNOP\r\n", options);
    EXPECT_FALSE(f.Exists("test.HEX"));
    EXPECT_FALSE(f.Exists("test.LST"));
    EXPECT_TRUE(f.Exists("test.LNK"));
    EXPECT_EQ(f.assembler.GetErrorCount(), 0);
}

} // namespace

namespace {

TEST(OutputFilesTest, AFileThatCannotBeCreatedIsReported)
{
    CAsmFixture f;
    f.RunSource("\tHEXFILE nodir/image.hex\r\n\tNOP\r\n");
    const std::string path = (f.Dir() / "nodir/image.hex").string();
    EXPECT_EQ(f.Messages(),
              std::vector<std::string>{"Warning (3):  Unable to create output file: " + path});
    EXPECT_EQ(f.assembler.GetErrorCount(), 0);
    EXPECT_EQ(Hex(f.Bytes()), "00"); // the code is there all the same
}

} // namespace

namespace {

// No output may replace a file the assembly reads, whatever name leads to it;
// the warning names the file, and the rest of the assembly is unchanged.
TEST(OutputFilesTest, NoOutputReplacesAFileTheAssemblyReads)
{
    struct Case
    {
        const char* what;
        const char* source;  // its name; it holds "\tNOP\r\n" behind the prelude
        const char* prelude; // lines before the NOP
        const char* kept;    // the file that must keep its content
        const char* skipped; // the output path the warning names, relative
    };
    const Case cases[] = {
        {"a source named like its HEX", "prog.HEX", "", "prog.HEX", "prog.HEX"},
        {"like its listing", "prog.LST", "", "prog.LST", "prog.LST"},
        {"like its symbol file", "prog.SYM", "", "prog.SYM", "prog.SYM"},
        {"like its link file", "prog.LNK", "", "prog.LNK", "prog.LNK"},
        {"HEXFILE naming the source", "prog.a51", "\tHEXFILE prog.a51\r\n", "prog.a51", "prog.a51"},
        {"HEXFILE spelling it otherwise", "prog.a51", "\tHEXFILE sub/../prog.a51\r\n", "prog.a51",
         "sub/../prog.a51"},
        {"HEXFILE naming an include", "prog.a51", "\tINCLUDE defs.inc\r\n\tHEXFILE defs.inc\r\n",
         "defs.inc", "defs.inc"},
    };
    for (const Case& c : cases) {
        CAsmFixture f;
        f.WriteFile("sub/keep", "");
        const std::string defs = "K EQU 1\r\n";
        f.WriteFile("defs.inc", defs);
        const std::string text = std::string(c.prelude) + "\tNOP\r\n";
        f.WriteFile(c.source, text);
        AssemblerOptions options;
        options.generateSymFile = true;
        f.Run(c.source, options);
        const std::string kept = std::string(c.kept) == "defs.inc" ? defs : text;
        EXPECT_EQ(f.ReadFile(c.kept), kept) << c.what;
        const std::vector<std::string> messages = f.Messages();
        ASSERT_EQ(messages.size(), 1u) << c.what;
        EXPECT_NE(messages[0].find("):  Output skipped, it would overwrite a source: " +
                                   (f.Dir() / c.skipped).string()),
                  std::string::npos)
            << messages[0];
        EXPECT_EQ(f.assembler.GetErrorCount(), 0) << c.what;
        EXPECT_EQ(Hex(f.Bytes()), "00") << c.what;
        // The other outputs are written as always.
        const std::string base = std::string(c.source).substr(0, std::string(c.source).find('.'));
        for (const char* ext : {".HEX", ".LST", ".SYM", ".LNK"}) {
            if (base + ext != c.source &&
                std::string(c.prelude).find("HEXFILE") == std::string::npos) {
                EXPECT_TRUE(f.Exists(base + ext)) << c.what << ext;
            }
        }
    }
}

TEST(OutputFilesTest, ALinkToTheSourceIsNotWrittenThrough)
{
    CAsmFixture f;
    const std::string source = f.WriteFile("test.a51", "\tNOP\r\n");
    std::filesystem::create_symlink(source, f.Dir() / "test.HEX");
    f.Run("test.a51");
    EXPECT_EQ(f.ReadFile("test.a51"), "\tNOP\r\n");
    EXPECT_TRUE(std::filesystem::is_symlink(f.Dir() / "test.HEX"));
    EXPECT_EQ(f.Messages(),
              std::vector<std::string>{"Warning (2):  Output skipped, it would overwrite a "
                                       "source: " +
                                       (f.Dir() / "test.HEX").string()});
}

TEST(OutputFilesTest, OutputsNeverShareAFileNorAreReadBack)
{
    // HEXFILE naming the listing: the first created keeps the file.
    CAsmFixture f;
    f.RunSource("\tHEXFILE test.LST\r\n\tNOP\r\n");
    EXPECT_EQ(f.Messages(),
              std::vector<std::string>{"Warning (3):  Output skipped, another output has the "
                                       "same file: " +
                                       (f.Dir() / "test.LST").string()});
    EXPECT_EQ(f.ReadFile("test.LST"), ":0100000000FF\r\n:00000001FF\r\n");

    // An include met in pass 2 only that names an output being written: read,
    // it would grow while it is read.
    CAsmFixture g;
    g.RunSource("\tIF LATER\r\n\tINCLUDE test.LST\r\n\tENDIF\r\nLATER EQU 1\r\n\tNOP\r\n");
    EXPECT_EQ(g.Messages(),
              std::vector<std::string>{"Error (2):  Include file is an output of this assembly: " +
                                       (g.Dir() / "test.LST").string()});
    EXPECT_EQ(Hex(g.Bytes()), "00");
    EXPECT_FALSE(g.assembler.IsAssembling());
}

} // namespace
