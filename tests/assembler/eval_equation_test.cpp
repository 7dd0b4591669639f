#include <gtest/gtest.h>

#include <map>

#include "assembler/eval_equation.h"
#include "assembler/symbol_table.h"

namespace {

class CFakeEvalHost : public IEvalHost
{
public:
    int Pass() const override { return pass; }
    int Radix() const override { return radix; }
    int32_t StatementAddress() const override { return statementAddress; }
    bool DefiningSymbol() const override { return defining; }
    const SymbolRecord* FindSymbol(std::string_view name) const override
    {
        return symbols.Find(name);
    }
    const SymbolRecord* FindLabel(std::string_view name) const override
    {
        return labels.Find(name);
    }
    void ReportMessage(const std::string& text, int kind) override
    {
        messages.push_back(text);
        kinds.push_back(kind);
    }

    int pass = 2;
    int radix = 10;
    int32_t statementAddress = 0x1234;
    bool defining = false;
    CSymbolTable symbols;
    CSymbolTable labels;
    std::vector<std::string> messages;
    std::vector<int> kinds;
};

class EvalTest : public ::testing::Test
{
protected:
    int32_t Eval(const std::string& text, bool wide = true)
    {
        host.messages.clear();
        return eval.Evaluate(text, wide);
    }

    CFakeEvalHost host;
    CEvalEquation eval{host};
};

struct Case
{
    const char* text;
    int32_t value;
};

TEST_F(EvalTest, OwnPrecedenceSplitsAtTheRightmostLoosestOperator)
{
    host.symbols.Insert({"A", 10, 255, 255});
    host.symbols.Insert({"B", 4, 255, 255});
    host.symbols.Insert({"C", 3, 255, 255});
    host.symbols.Insert({"X", 0x5A, 255, 255});
    const Case cases[] = {
        {"A-B+C", 9},       // (A-B)+C
        {"2*7/2", 6},       // 2*(7/2)
        {"X&0F0H+1", 0x51}, // (X AND F0h)+1
        {"A+B=C", 10},      // A+(B=C)
        {"A+B=4", 11},      // A+(B=4)
        {"(1+2)*3", 9},
        {"1+2*3", 7},
        {"5+-3", 2}, // right part of + is the unary -3
        {"2^3", 8},  // power, not exclusive or
        {"10/0", 0},
        {"10%0", 0},
        {"17 MOD 5", 2},
        {"6 AND 3", 2},
        {"6 OR 3", 7},
        {"3 <> 4", 1},
        {"3 != 3", 0},
        {"2<3", 1},
        {"2>3", 0},
        {"-2*3", 0xFFFA}, // the negated product, folded into 16 bits
        {"5*-3", 0xFFF1}, // a sign after an operator stays a sign
        {"((2+3)*(4-1))", 15},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Eval(c.text), c.value) << c.text;
        EXPECT_TRUE(host.messages.empty()) << c.text;
    }
}

TEST_F(EvalTest, SelectorsAndFolding)
{
    const Case cases[] = {
        {"HIGH(1234H)", 0x12},         {"LOW 1234H", 0x34},      {"HIGHWORD 12345678H", 0x1234},
        {"LOWWORD 12345678H", 0x5678}, {"high 1234h + 1", 0x13}, {"LOW(-1)", 0xFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Eval(c.text), c.value) << c.text;
    }
    EXPECT_EQ(Eval("-1", false), 0xFF);
    EXPECT_EQ(Eval("-1", true), 0xFFFF);
    EXPECT_EQ(Eval("-70000", true), -70000 + 0x10000); // folded once only
}

TEST_F(EvalTest, NumbersInEveryBaseAndRadix)
{
    EXPECT_EQ(Eval("1010B"), 10);
    EXPECT_EQ(Eval("0FFH"), 255);
    EXPECT_EQ(Eval("99D"), 99);
    EXPECT_EQ(Eval("#12"), 12);
    EXPECT_EQ(Eval("  #0AH ; comment"), 10);
    EXPECT_EQ(Eval("12,34"), 12);

    host.radix = 16;
    EXPECT_EQ(Eval("10"), 16);
    EXPECT_EQ(Eval("1B"), 1);   // B suffix wins over the hex digit
    EXPECT_EQ(Eval("12D"), 12); // likewise D
    host.radix = 2;
    EXPECT_EQ(Eval("101"), 5);
    EXPECT_TRUE(host.messages.empty());

    // Base 8 is not converted.
    host.radix = 10;
    EXPECT_EQ(Eval("17Q"), 0);
    EXPECT_EQ(host.messages, std::vector<std::string>{" Invalid base"});
    EXPECT_EQ(Eval("17o"), 0);
}

TEST_F(EvalTest, BadDigitsAddNothingButKeepTheirPlace)
{
    EXPECT_EQ(Eval("1A3"), 103);
    EXPECT_EQ(host.messages, std::vector<std::string>{" Invalid digit (for base 10) in number"});
    EXPECT_EQ(Eval("1021B"), 0b1001);
    EXPECT_EQ(host.messages, std::vector<std::string>{" Invalid digit (for base 2) in number"});

    // Digit errors are reported in pass 2 only.
    host.pass = 1;
    EXPECT_EQ(Eval("1A3"), 103);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(EvalTest, OverlongNumbersAreNotConverted)
{
    // Twenty digits still convert, wrapping in 32 bits (then folded: negative).
    EXPECT_EQ(Eval("12345678901234567890", false),
              static_cast<int32_t>(12345678901234567890ull & 0xFFFFFFFF) + 0x100);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(Eval("123456789012345678901"), 0);
    EXPECT_EQ(host.messages, std::vector<std::string>{" Number to large to convert"});
    EXPECT_EQ(Eval(std::string(600, '9')), 0); // any length is safe
}

TEST_F(EvalTest, CharacterConstantsIgnoreTheRadix)
{
    for (int radix : {2, 10, 16}) {
        host.radix = radix;
        EXPECT_EQ(Eval("'A'"), 0x41);
    }
    host.radix = 10;
    EXPECT_EQ(Eval("'A'+1"), 0x42);
    EXPECT_EQ(Eval("' '"), 0x20);
    EXPECT_EQ(Eval("','"), 0x2C);           // a quoted comma does not end the operand
    EXPECT_EQ(Eval("HIGH('A'*256)"), 0x41); // parentheses around a constant pair up
    EXPECT_EQ(Eval("')'"), 0x29);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(EvalTest, DotOperatorAndBitNames)
{
    const Case cases[] = {
        {"20H.3", 3},  {"2FH.7", 0x7F}, {"P1.3", 0x93}, {"ACC.7", 0xE7},
        {"tr0", 0x8C}, {"CY", 0xD7},    {"P1", 0x90},   {"acc", 0xE0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Eval(c.text), c.value) << c.text;
        EXPECT_TRUE(host.messages.empty()) << c.text;
    }
    EXPECT_EQ(Eval("20H.3"), 3);
    EXPECT_TRUE(eval.DotUsed());
    EXPECT_LT(eval.StepCount(), 2);

    Eval("0E0H.9");
    EXPECT_EQ(host.messages,
              std::vector<std::string>{" Dot operator operand must be btween 0 to 7 (inclusive)"});
    Eval("20H.");
    EXPECT_EQ(host.messages, std::vector<std::string>{" Invalid use of the dot operator"});

    host.symbols.Insert({"FLAGS", 0x21, 255, 255});
    EXPECT_EQ(Eval("FLAGS.2"), 0x0A);
    EXPECT_TRUE(eval.DotUsed());
}

TEST_F(EvalTest, NamesLookupOrderAndUndefinedReports)
{
    host.symbols.Insert({"Value", 7, 255, 255});
    host.labels.Insert({"value", 9, 255, 255});
    host.labels.Insert({"Loop", 0x100, 255, 255});
    EXPECT_EQ(Eval("VALUE"), 7); // symbols before labels
    EXPECT_EQ(Eval("LOOP+1"), 0x101);
    EXPECT_EQ(Eval("$"), 0x1234);
    EXPECT_EQ(Eval("$+3"), 0x1237);

    EXPECT_EQ(Eval("LOW_ADDR"), 0); // not the LOW operator
    EXPECT_EQ(host.messages, std::vector<std::string>{" Undefined symbol/label: LOW_ADDR"});
    EXPECT_EQ(Eval("FFH"), 0); // a name, not a number
    EXPECT_EQ(host.messages, std::vector<std::string>{" Undefined symbol/label: FFH"});

    // A missing operand is an empty name.
    EXPECT_EQ(Eval("  ; nothing"), 0);
    EXPECT_EQ(host.messages, std::vector<std::string>{" Undefined symbol/label: "});

    // In pass 1 only symbol definitions report undefined names.
    host.pass = 1;
    EXPECT_EQ(Eval("LATER"), 0);
    EXPECT_TRUE(host.messages.empty());
    host.defining = true;
    Eval("LATER");
    EXPECT_EQ(host.messages, std::vector<std::string>{" Undefined symbol/label: LATER"});
}

TEST_F(EvalTest, MalformedExpressionsNeverFail)
{
    Eval("(1+2");
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ(host.messages[0], " Unpaired parenthesis in equation");

    // More than ten groups, deep nesting, stray operators and junk.
    std::string many;
    for (int i = 0; i < 14; ++i) {
        many += "(1)+";
    }
    many += "(1)";
    EXPECT_EQ(Eval(many), 15);
    EXPECT_EQ(Eval(std::string(120, '(') + "7" + std::string(120, ')')), 7);
    for (const char* junk : {"+", "-", "*", "()", "((()))", "1+", "'", "''", "HIGH", "@R0",
                             "\x01\x02", "5 HIGH 3", "$$", "1..2", "2^-1", "2^99"}) {
        Eval(junk); // must return, whatever the value
    }
    EXPECT_EQ(Eval("2147483647+1", false), static_cast<int32_t>(0x80000000u) + 0x100); // wraps
}

} // namespace
