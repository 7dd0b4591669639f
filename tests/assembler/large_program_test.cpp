// A large generated program must give the very same output files as before
// the assembler's speed work: every instruction form, labels, symbols, data,
// includes, conditionals, listing pages and messages, 40,000 lines.
//
// The hashes below were written by the assembler at commit 40f07ce, the last
// one before the speed work, with this generator. Change them only for an
// intended change of an output file, never to follow an optimisation.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "asm_test_util.h"

namespace {

const char* const kForms[] = {
    "\tMOV A,#%d",
    "\tMOV A,R%d",
    "\tMOV R%d,A",
    "\tMOV A,@R%d",
    "\tMOV @R%d,A",
    "\tMOV R%d,#20",
    "\tMOV 30H,#%d",
    "\tMOV 40H,41H",
    "\tMOV A,V%d",
    "\tMOV V%d,A",
    "\tMOV C,P1.%d",
    "\tMOV P1.%d,C",
    "\tMOV DPTR,#table%d",
    "\tMOV DPTR,#1234H",
    "\tMOVX A,@DPTR",
    "\tMOVX @R%d,A",
    "\tMOVC A,@A+DPTR",
    "\tMOVC A,@A+PC",
    "\tADD A,#K%d",
    "\tADDC A,R%d",
    "\tSUBB A,#LOW(%d)",
    "\tANL A,#0F0H",
    "\tORL 30H,#%d",
    "\tXRL A,@R%d",
    "\tANL C,/P1.%d",
    "\tORL C,ACC.%d",
    "\tINC R%d",
    "\tDEC 31H",
    "\tINC DPTR",
    "\tMUL AB",
    "\tDIV AB",
    "\tDA A",
    "\tCLR A",
    "\tCPL C",
    "\tSETB TR%d",
    "\tCLR 20H.%d",
    "\tRL A",
    "\tRRC A",
    "\tSWAP A",
    "\tXCH A,R%d",
    "\tXCHD A,@R%d",
    "\tPUSH ACC",
    "\tPOP B",
    "\tCJNE A,#%d,$+3",
    "\tCJNE R%d,#1,$+3",
    "\tDJNZ R%d,$",
    "\tDJNZ 32H,$",
    "\tJB P3.%d,$+3",
    "\tJNB TI,$+3",
    "\tJBC TF0,$+3",
    "\tJZ $+2",
    "\tJNC $+2",
    "\tSJMP $+2",
    "\tAJMP $+2",
    "\tACALL routine%d",
    "\tLCALL routine%d",
    "\tLJMP routine%d",
    "\tCALL routine%d",
    "\tJMP @A+DPTR",
    "\tNOP",
    "\tMOV A,#0x%d",
    "\tMOV A,#'%d'",
    "\tMOV A,#HIGH(K%d*3)",
    "\tMOV CNT,#%d",
    "\tDJNZ CNT,$",
    "\tPUSH AR%d",
    "\tMOV A,#\"x\"",
    "\tRET",
};

// A small linear congruential generator: the same sequence everywhere.
struct CSequence
{
    uint32_t state = 51;
    uint32_t Next(uint32_t range)
    {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % range;
    }
};

std::string Generate(int lines)
{
    CSequence random;
    std::string text = "$TITLE(Generated program) PAGELENGTH(60)\r\n"
                       "CNT EQU R4\r\n"
                       "\tUSING 1\r\n";
    int routine = 0;
    char line[160];
    for (int i = 0; i < lines; ++i) {
        const int n = static_cast<int>(random.Next(8));
        switch (i % 40) {
        case 0:
            std::snprintf(line, sizeof line, "K%d EQU %d ; a constant", i, i % 250);
            break;
        case 1:
            std::snprintf(line, sizeof line, "V%d DATA %d", i, 0x30 + i % 0x40);
            break;
        case 2:
            std::snprintf(line, sizeof line, "routine%d:", routine);
            break;
        case 3:
            std::snprintf(line, sizeof line, "table%d: DB 1,2,'ab',\"cd\",K%d,300", routine, i - 3);
            break;
        case 4:
            std::snprintf(line, sizeof line, "\tDW routine%d,1234H,'xy'", routine++);
            break;
        case 5:
            std::snprintf(line, sizeof line, "; comment line %d\t\twith tabs", i);
            break;
        case 6:
            std::snprintf(line, sizeof line, "\tIF %d\r\n\tNOP\r\n\tELSE\r\n\tRET\r\n\tENDIF",
                          n & 1);
            break;
        case 7:
            std::snprintf(line, sizeof line, "%s", n == 0 ? "\tSJMP undefined_name" : "");
            break;
        case 8:
            std::snprintf(line, sizeof line, "%s",
                          n == 1 ? ":0400000001020304F2" : "\tINCLUDE part.inc");
            break;
        default: {
            const char* form = kForms[random.Next(std::size(kForms))];
            const bool named = std::strstr(form, "routine") || std::strstr(form, "table");
            const bool variable =
                std::strstr(form, "V%d") != nullptr || std::strstr(form, "K%d") != nullptr;
            const int operand = named ? (routine > 0 ? routine - 1 : 0)
                                : variable
                                    ? i - i % 40 + (std::strstr(form, "V%d") != nullptr ? 1 : 0)
                                    : (std::strstr(form, "'%d'") ? n : n % 2);
            std::snprintf(line, sizeof line, form, operand);
        }
        }
        text += line;
        text += "\r\n";
        if (i % 4000 == 3999) {
            text += "\tORG 0\r\n"; // stay inside 64 KB: the overlap is reported
        }
    }
    return text + "\tEND\r\n";
}

// FNV-1a over the text with the fixture's folder taken out of it.
uint64_t Hash(std::string text, const std::string& dir)
{
    for (size_t at = text.find(dir); at != std::string::npos; at = text.find(dir, at)) {
        text.replace(at, dir.size(), "DIR");
    }
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) {
        hash = (hash ^ c) * 1099511628211ull;
    }
    return hash;
}

TEST(LargeProgramTest, OutputFilesAreThoseOfTheAssemblerBeforeItsSpeedWork)
{
    CAsmFixture f;
    f.WriteFile("part.inc", "\tNOP\r\n\tMOV A,#K0\r\n");
    f.WriteFile("big.a51", Generate(40000));
    AssemblerOptions options;
    options.generateSymFile = true;
    f.Run("big.a51", options);
    std::string lines;
    for (const std::string& line : f.Lines()) {
        lines += line + "\n";
    }
    const std::string dir = f.Dir().string();
    EXPECT_EQ(Hash(f.ReadFile("big.HEX"), dir), 11242080556311318387ull);
    EXPECT_EQ(Hash(f.ReadFile("big.LST"), dir), 4216813418840519963ull);
    EXPECT_EQ(Hash(f.ReadFile("big.SYM"), dir), 4269940675409406479ull);
    EXPECT_EQ(Hash(f.ReadFile("big.LNK"), dir), 8807489242863313933ull);
    EXPECT_EQ(Hash(lines, dir), 16322359321647777809ull);
    EXPECT_EQ(f.assembler.GetErrorCount(), 1240);
    EXPECT_EQ(f.assembler.GetWarningCount(), 0);
}

} // namespace
