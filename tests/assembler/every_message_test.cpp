// One source raises every message of the assembler once; each must appear
// exactly once, with its text, kind and line, although both passes meet most.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "asm_test_util.h"
#include "common/text_util.h"

namespace {

struct Expected
{
    int line;
    int kind;
    const char* text;
};

const Expected kMessages[] = {
    {3, 0, " Invalid instruction -> FOO"},
    {5, 0, " Duplicate label/symbol DUP\r\n"},
    {5, 0, " Symbol already defined -> DUP"},
    {6, 0, " Symbol: 1SYM can not begin with a numeric character."},
    {7, 0, " Label: 1lab can not begin with a numeric character."},
    {9, 0, " Label/Symbol: twice has already been declared."},
    {10, 0, " Label in line 10 is made up of to many characters."},
    {11, 0, "Unable to open include file: DIR/nothere.inc"},
    {12, 0, " Unpaired parenthesis in equation"},
    {12, 0, " Undefined symbol/label: "}, // the raw text's "(1" holds no name
    {13, 0, " Invalid base"},
    {14, 0, " Invalid digit (for base 10) in number"},
    {15, 0, " Invalid digit (for base 16) in number"},
    {16, 0, " Invalid digit (for base 2) in number"},
    {17, 0, " Number to large to convert"},
    {18, 0, " Invalid use of the dot operator"},
    {19, 0, " Dot operator operand must be btween 0 to 7 (inclusive)"},
    {20, 0, " Undefined symbol/label: nowhere"},
    {21, 0, "Bit label is outside (0 - 255) range."},
    {22, 0, " Unknown source operand"},
    {23, 0, "Specified bit address is out of (0 - 255) range."},
    {24, 0, " Branch is outside relative address range of current PC."},
    {25, 0, " This CALL referenced a subroutine outside the current 2k block"},
    {26, 0, " Branch location is outside 2k page boundry"},
    {27, 0, "Data is to large to fit in a single byte."},
    {28, 1, " Immediate data to large to fit in a single byte"},
    {29, 0, " The accumulator (A) must be the destination"},
    {30, 0, " The accumulator (A) must be the first operand"},
    {31, 0, " Comma (,) expected"},
    {32, 0, " Invalid source operand"},
    {33, 0, "Immediate data is to large to fit in a single byte."},
    {34, 0, " Invalid register"},
    {35, 0, "Second operand must be immediate data (#data)"},
    {36, 0, " Unknown destination operand."},
    {37, 0, "Unknown destination bit"},
    {38, 0, " A must be source/destination"},
    {39, 0, " AB must be source/destination"},
    {40, 0, "Invalid source/destination, valid: MUL AB"},
    {41, 0, "Invalid destination, valid destination: A"},
    {42, 0, "Invalid source, valid sources: @A+DPTR or @A+PC"},
    {43, 0, "Invalid source, valid sources: @Ri and @DPTR"},
    {44, 0, "Invalid source, valid source: A"},
    {45, 0, "Inavalid destination, valid destinations: @Ri and @DPTR"},
    {46, 0, "Invalid destination, Valid destinations: A, @Ri or DPTR"},
    {47, 0, " Only the A may be rotated"},
    {48, 0, " Only A may be swapped"},
    {49, 0, " Invalid second operand, valid operands: @R0 and @R1"},
    {50, 0, " A, must be the first operand"},
    {51, 0, "Direct address is out of (0 - 255) range."},
    {52, 0, "MOV A,ACC is not a valid instruction"},
    {53, 0, "Source operand must be immediate data (#data16)"},
    {54, 0, "Undefined destination bit address."},
    {55, 0, "No source operand specified"},
    {56, 0, "Unknown source bit"},
    {57, 0, " 300 will not fit in a single byte."},
    {58, 0, "Invalid radix specifier."},
    {59, 1, "Specified page length (9) is outside limits (10 - 255)."},
    {60, 1, "Invalid TITLE format."},
    {61, 1, "Specified top margin (3) is less than the minimum of 4."},
    {62, 1, "Specified top margin (60) is invalid for current page length."},
    {63, 1, "Specified bottom margin (-4464) is less than the minimum of 0."},
    {64, 1, "Specified bottom margin (60) is invalid for current page length."},
    {65, 0, " Monitor source code not present."},
    {66, 0, " Line is to long (1024 code bytes max)."},
    {67, 0, " Address exceeds valid range (adress is greater than 10000h)."},
    {68, 0, " Unknown hex line format code."},
    {69, 0, " Invalid check sum at end of code line (calculated value does not match)."},
    {71, 0, " Code overlap has occured."},
    {73, 0, " Program counter outside memory boundry."},
    {76, 0, " IF with no ENDIF encountered."},
};

TEST(EveryMessageTest, EachMessageOnceWithItsKindAndLine)
{
    std::ifstream in(std::filesystem::path(IDE51_TEST_DATA_DIR) / "every_message.a51",
                     std::ios::binary);
    std::ostringstream source;
    source << in.rdbuf();
    CAsmFixture f;
    f.RunSource(source.str());

    const std::string dir = f.Dir().string();
    std::vector<std::string> expected;
    int errors = 0;
    int warnings = 0;
    for (const Expected& e : kMessages) {
        std::string text = e.text;
        const size_t at = text.find("DIR");
        if (at != std::string::npos) {
            text.replace(at, 3, dir);
        }
        expected.push_back(
            StrFormat("%s (%d): %s", e.kind == 0 ? "Error" : "Warning", e.line, text.c_str()));
        (e.kind == 0 ? errors : warnings)++;
    }
    // Pass 1 reports first, so sort both by line for the comparison.
    std::vector<std::string> actual = f.Messages();
    auto byLine = [](const std::string& a, const std::string& b) {
        auto line = [](const std::string& s) { return std::stoi(s.substr(s.find('(') + 1)); };
        return line(a) < line(b);
    };
    std::stable_sort(actual.begin(), actual.end(), byLine);
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(f.assembler.GetErrorCount(), errors);
    EXPECT_EQ(f.assembler.GetWarningCount(), warnings);
    EXPECT_EQ(f.Lines().back(), StrFormat("Done - %d error(s), %d warning(s)", errors, warnings));
}

} // namespace
