#include <gtest/gtest.h>

#include "asm_test_util.h"

namespace {

using Strings = std::vector<std::string>;

TEST(DriverTest, LabelsAloneOrBeforeAStatementAndIgnoringCase)
{
    CAsmFixture f;
    f.RunSource("start:\r\n"
                "\tNOP\r\n"
                "Loop: SJMP LOOP\r\n"
                "\tLJMP start\r\n");
    EXPECT_EQ(Hex(f.Bytes()), "00 80 FE 02 00 00");
    EXPECT_TRUE(f.Messages().empty());
    ASSERT_NE(f.assembler.Labels().Find("LOOP"), nullptr);
    EXPECT_EQ(f.assembler.Labels().Find("LOOP")->name, "Loop"); // as written
    EXPECT_EQ(f.assembler.Labels().Find("loop")->value, 1);
}

TEST(DriverTest, OverlongLabelIsReportedInPass2AndKeptUnder32Characters)
{
    CAsmFixture f;
    const std::string name(40, 'L');
    f.RunSource("\tNOP\r\n" + name + ": NOP\r\n\tSJMP " + name.substr(0, 32) + "\r\n");
    EXPECT_EQ(f.Messages(),
              Strings{"Error (2):  Label in line 2 is made up of to many characters."});
    ASSERT_NE(f.assembler.Labels().Find(name.substr(0, 32)), nullptr);
    EXPECT_EQ(Hex(f.Bytes()), "00 00 80 FD");
}

TEST(DriverTest, SymbolDefinitionMessages)
{
    CAsmFixture f;
    f.RunSource("1ABC EQU 5\r\n"
                "X EQU 1\r\n"
                "X EQU 2\r\n"
                "\tMOV A,#X\r\n"
                "9lab: NOP\r\n"
                "Y:\r\n"
                "Y: NOP\r\n");
    EXPECT_EQ(f.Messages(),
              (Strings{"Error (1):  Symbol: 1ABC can not begin with a numeric character.",
                       "Error (3):  Duplicate label/symbol X\r\n",
                       "Error (3):  Symbol already defined -> X",
                       "Error (5):  Label: 9lab can not begin with a numeric character.",
                       "Error (7):  Label/Symbol: Y has already been declared."}));
    EXPECT_EQ(f.assembler.GetErrorCount(), 5);
    // The line after the duplicate is still assembled, with the first value.
    EXPECT_EQ(Hex(f.Bytes()), "74 01 00 00");
}

TEST(DriverTest, SetRedefinesWithoutMessageAndPass2SeesTheLastValue)
{
    CAsmFixture f;
    f.RunSource("V SET 1\r\n"
                "\tMOV A,#V\r\n"
                "V SET 2\r\n"
                "\tMOV A,#V\r\n");
    EXPECT_TRUE(f.Messages().empty());
    EXPECT_EQ(Hex(f.Bytes()), "74 02 74 02");
}

TEST(DriverTest, WordsThatAreNoStatement)
{
    CAsmFixture f;
    f.RunSource("FOO 12\r\n"
                "BAR,1\r\n"
                "\tNOP\r\n");
    EXPECT_EQ(f.Messages(), (Strings{"Error (1):  Invalid instruction -> FOO",
                                     "Error (2):  Invalid instruction -> BAR"}));
    EXPECT_EQ(Hex(f.Bytes()), "00");
}

TEST(DriverTest, MessagesOfBothPassesAreShownAndCountedOnce)
{
    CAsmFixture f;
    f.RunSource("\tADD A,#300\r\n"
                "\tMOV A,ACC\r\n");
    EXPECT_EQ(f.Messages(), (Strings{"Error (1): Data is to large to fit in a single byte.",
                                     "Error (2): MOV A,ACC is not a valid instruction"}));
    EXPECT_EQ(f.assembler.GetErrorCount(), 2);
    EXPECT_EQ(f.Lines().back(), "Done - 2 error(s), 0 warning(s)");
}

TEST(DriverTest, OutputLinesOfAGoodAssembly)
{
    CAsmFixture f;
    f.RunSource("\tNOP\r\n\tNOP\r\n");
    const std::string path = (f.Dir() / "test.a51").string();
    EXPECT_EQ(f.Lines(), (Strings{"Assembling " + path, "Pass 1 complete", "Pass 2 complete",
                                  "Ending address: 2", "", "Done - 0 error(s), 0 warning(s)"}));
    EXPECT_EQ(f.assembler.GetStatementAddress(), 1); // the last statement's address
}

TEST(DriverTest, LineEndsOfEveryKindGiveTheSameBytes)
{
    const char* lines[] = {"X EQU 5", "start: MOV A,#X", "\tDB 'a;b',1 ; comment", "\tSJMP start"};
    std::vector<uint8_t> reference;
    for (const char* end : {"\r\n", "\n", "\r"}) {
        CAsmFixture f;
        std::string text;
        for (const char* line : lines) {
            text += std::string(line) + end;
        }
        f.RunSource(text);
        EXPECT_TRUE(f.Messages().empty()) << f.Messages().front();
        if (reference.empty()) {
            reference = f.Bytes();
            EXPECT_EQ(Hex(reference), "74 05 61 3B 62 01 80 F8");
        } else {
            EXPECT_EQ(f.Bytes(), reference);
        }
    }
}

TEST(DriverTest, LastLineWithoutLineBreakAndLongLinesAreRead)
{
    CAsmFixture f;
    f.RunSource("\tNOP\r\n\tRET");
    EXPECT_EQ(Hex(f.Bytes()), "00 22");

    // A line longer than 254 characters goes on as a further line.
    CAsmFixture g;
    g.RunSource(std::string(254, ' ') + "NOP\r\n\tRET\r\n");
    EXPECT_EQ(Hex(g.Bytes()), "00 22");
    EXPECT_TRUE(g.Messages().empty());
}

TEST(DriverTest, IncludesNestResumeAndEndOnlyThemselves)
{
    CAsmFixture f;
    f.WriteFile("inner.inc", "\tDB 2\r\n\tEND\r\n\tDB 99\r\n");
    f.WriteFile("sub/outer.inc", "\tDB 1\r\n$inner.inc\r\n\tDB 3\r\n");
    f.WriteFile("missing.a51", "\tINCLUDE nothere.inc ; comment\r\n\tDB 4\r\n");
    f.RunSource("\tINCLUDE \"sub\\outer.inc\"\r\n"
                "\t#INCLUDE missing.a51\r\n"
                "\tDB 5\r\n");
    EXPECT_EQ(Hex(f.Bytes()), "01 02 03 04 05");
    const std::string missing = (f.Dir() / "nothere.inc").string();
    EXPECT_EQ(f.Messages(), Strings{"Error (1): Unable to open include file: " + missing});
    // Each file is one module, and every byte knows its module and line.
    EXPECT_EQ(f.modules.Count(), 5);
    EXPECT_EQ(f.code.LineOfAddress(2), 2);
    EXPECT_EQ(f.modules.FindModule((f.Dir() / "INNER.INC").string()), f.code.ModuleOfAddress(1));
}

// Each message keeps the file and 0-based line its text names, also inside
// an include and for an include that cannot be opened; the texts stay as they are.
TEST(DriverTest, MessagesKeepTheFileAndLineTheyName)
{
    CAsmFixture f;
    const std::string inc = f.WriteFile("defs.inc", "\tNOP\r\n\tMOV A,#1Q\r\n");
    const std::string main = f.WriteFile("main.a51", "\tNOP\r\n"
                                                     "\tINCLUDE defs.inc\r\n"
                                                     "\tINCLUDE gone.inc\r\n"
                                                     "\tPAGE 5\r\n"
                                                     "\tSJMP nowhere\r\n");
    f.Run("main.a51");
    std::vector<std::pair<std::string, OutputLocationType>> located;
    for (size_t i = 0; i < f.output.GetLineCount(); ++i) {
        const OutputLocationType& at = f.output.GetLocation(i);
        const std::string& text = f.output.GetLine(i);
        const bool message = text.rfind("Error: ", 0) == 0 || text.rfind("Warning: ", 0) == 0;
        EXPECT_EQ(at.IsSet(), message) << text;
        if (at.IsSet()) {
            located.emplace_back(text, at);
        }
    }
    const std::string gone = (f.Dir() / "gone.inc").string();
    EXPECT_EQ(located,
              (std::vector<std::pair<std::string, OutputLocationType>>{
                  {"Error: " + inc + " (2):  Invalid base", {inc, 1}},
                  {"Error: " + main + " (3): Unable to open include file: " + gone, {main, 2}},
                  {"Warning: " + main +
                       " (4): Specified page length (5) is outside limits "
                       "(10 - 255).",
                   {main, 3}},
                  {"Error: " + main + " (5):  Undefined symbol/label: nowhere", {main, 4}}}));
}

TEST(DriverTest, IncludeFindsNamesInAnotherCaseAndStopsCycles)
{
    CAsmFixture f;
    f.WriteFile("Defs.INC", "K EQU 7\r\n");
    f.WriteFile("self.a51", "\tDB 1\r\n\tINCLUDE self.a51\r\n\tINCLUDE self.a51\r\n");
    f.RunSource("\tINCLUDE defs.inc\r\n\tMOV A,#K\r\n\tINCLUDE self.a51\r\n");
    EXPECT_EQ(Hex(f.Bytes()), "74 07 01");
    const std::string self = (f.Dir() / "self.a51").string();
    EXPECT_EQ(f.Messages(), (Strings{"Error (2):  Include file includes itself: " + self,
                                     "Error (3):  Include file includes itself: " + self}));
    EXPECT_FALSE(f.assembler.IsAssembling());
}

TEST(DriverTest, DevicesAreNoSources)
{
    CAsmFixture f;
    f.RunSource("\tINCLUDE /dev/zero\r\n\tNOP\r\n");
    EXPECT_EQ(f.Messages(), Strings{"Error (1): Unable to open include file: /dev/zero"});
    EXPECT_EQ(Hex(f.Bytes()), "00");
}

TEST(DriverTest, StopDuringPass1LeavesNoHexOrListing)
{
    CAsmFixture f;
    f.WriteFile("big.a51", Repeat("\tNOP\r\n", 6000));
    f.assembler.Assemble((f.Dir() / "big.a51").string());
    EXPECT_TRUE(f.assembler.AssembleStep()); // 5000 lines, still pass 1
    EXPECT_EQ(f.assembler.Pass(), 1);
    f.assembler.FinishAssembly();
    EXPECT_FALSE(f.assembler.IsAssembling());
    EXPECT_EQ(f.Lines().back(), "Done - 0 error(s), 0 warning(s)");
    EXPECT_FALSE(f.Exists("big.HEX"));
    EXPECT_FALSE(f.Exists("big.LST"));
    EXPECT_TRUE(f.Exists("big.LNK"));
}

TEST(DriverTest, StopDuringPass2CompletesTheHexFile)
{
    CAsmFixture f;
    f.WriteFile("big.a51", Repeat("\tNOP\r\n", 6000));
    f.assembler.Assemble((f.Dir() / "big.a51").string());
    while (f.assembler.Pass() != 2) {
        f.assembler.AssembleStep();
    }
    f.assembler.AssembleStep(); // 5000 NOPs of pass 2
    f.assembler.FinishAssembly();
    const std::string hex = f.ReadFile("big.HEX");
    EXPECT_EQ(hex.size(), 312u * 45 + 1 * (11 + 16 + 2) + 13); // 5000 = 312*16 + 8
    EXPECT_EQ(hex.substr(hex.size() - 13), ":00000001FF\r\n");
}

TEST(DriverTest, EachAssemblyNamesItsOwnOutputFiles)
{
    CAsmFixture f;
    f.WriteFile("one.a51", "\tNOP\r\n");
    f.WriteFile("two.src.a51", "\tRET\r\n");
    f.Run("one.a51");
    f.Run("two.src.a51");
    EXPECT_EQ(f.assembler.HexPath(), (f.Dir() / "two.src.HEX").string());
    EXPECT_EQ(f.ReadFile("two.src.HEX"), ":0100000022DD\r\n:00000001FF\r\n");
    EXPECT_EQ(f.ReadFile("one.HEX"), ":0100000000FF\r\n:00000001FF\r\n");
}

TEST(DriverTest, CodeOverlapIsReportedOnceAndTheLaterByteWins)
{
    CAsmFixture f;
    f.RunSource("\tORG 0\r\n\tDB 1,2\r\n\tORG 1\r\n\tDB 3,4\r\n\tORG 0\r\n\tDB 5\r\n");
    EXPECT_EQ(f.Messages(), Strings{"Error (4):  Code overlap has occured."});
    EXPECT_EQ(Hex(f.Bytes()), "05 03 04");
    EXPECT_EQ(f.code.LineOfAddress(1), 3);
}

TEST(DriverTest, ProgramCounterOutsideMemoryIsReportedOnce)
{
    CAsmFixture f;
    f.RunSource("\tORG 0FFFFH\r\n\tDB 1,2,3\r\n\tNOP\r\n");
    // Pass 1 stores the NOP beyond FFFFh first; the pass-2 repeat is silent.
    EXPECT_EQ(f.Messages(), Strings{"Error (3):  Program counter outside memory boundry."});
    EXPECT_EQ(f.code.HighestAddress(), 0xFFFF);
    EXPECT_EQ(f.code.ReadCodeByte(0xFFFF), 1);
}

TEST(DriverTest, AddressOfLineFollowsLabelsAndCode)
{
    CAsmFixture f;
    f.RunSource("; comment\r\nlonely:\r\n\tNOP\r\nboth: RET\r\n");
    const int module = f.code.ModuleOfAddress(0);
    EXPECT_EQ(f.code.AddressOfLine(module, 1, f.assembler.GetStatementAddress()), -1);
    EXPECT_EQ(f.code.AddressOfLine(module, 2, f.assembler.GetStatementAddress()), 0);
    EXPECT_EQ(f.code.AddressOfLine(module, 3, f.assembler.GetStatementAddress()), 1);
}

TEST(DriverTest, BinaryAndHostileSourcesEndCleanly)
{
    std::string binary;
    for (int i = 0; i < 4096; ++i) {
        binary += static_cast<char>((i * 131 + 7) & 0xFF);
    }
    const std::string hostile[] = {
        binary,
        std::string(100000, 'x'),
        "\tDB '" + std::string(600, 'a'),
        "\tMOV A,#((((((((((((((1)))))))))))))\r\n\tDB (1\r\n",
        ":FFFF\r\n:~~000000\r\n:\r\n:10000000\r\n",
        "\tIF 0\r\n\tNOP\r\n",
        std::string("\tNOP\0\tRET\r\n", 11),
    };
    for (const std::string& text : hostile) {
        CAsmFixture f;
        f.RunSource(text);
        EXPECT_FALSE(f.assembler.IsAssembling());
        EXPECT_EQ(f.Lines().back().rfind("Done - ", 0), 0u);
    }
}

} // namespace

namespace {

size_t OpenDescriptors()
{
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

TEST(DriverTest, StopInsideNestedIncludesClosesEveryFile)
{
    CAsmFixture f;
    f.WriteFile("c.inc", Repeat("\tNOP\r\n", 6000));
    f.WriteFile("b.inc", "\tINCLUDE c.inc\r\n");
    f.WriteFile("a.a51", "\tINCLUDE b.inc\r\n");
    const size_t before = OpenDescriptors();
    AssemblerOptions options;
    options.generateSymFile = true;
    f.assembler.SetOptions(options);
    f.assembler.Assemble((f.Dir() / "a.a51").string());
    f.assembler.AssembleStep(); // stops inside c.inc, two files deep
    EXPECT_GT(OpenDescriptors(), before);
    f.assembler.FinishAssembly();
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_EQ(f.Lines().back(), "Done - 0 error(s), 0 warning(s)");

    // The next assembly starts afresh at depth 0.
    f.WriteFile("ok.a51", "\tRET\r\n");
    f.Run("ok.a51");
    EXPECT_EQ(Hex(f.Bytes()), "22");
    EXPECT_EQ(OpenDescriptors(), before);
}

} // namespace
