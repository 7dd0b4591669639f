#include <gtest/gtest.h>

#include "assembler/asm_vocabulary.h"

TEST(AsmVocabularyTest, WordsAreClassifiedFromTheAssemblersTables)
{
    EXPECT_EQ(ClassifyAsmWord("mov"), AsmWordKind::kMnemonic);
    EXPECT_EQ(ClassifyAsmWord("ACALL"), AsmWordKind::kMnemonic);
    EXPECT_EQ(ClassifyAsmWord("org"), AsmWordKind::kDirective);
    EXPECT_EQ(ClassifyAsmWord("%TITLE"), AsmWordKind::kDirective);
    EXPECT_EQ(ClassifyAsmWord("#include"), AsmWordKind::kDirective);
    for (const char* word : {"EQU", "SET", "BIT", "DATA", "DS", "DD"}) {
        EXPECT_EQ(ClassifyAsmWord(word), AsmWordKind::kDefinition) << word;
    }
    // A is an SFR name too; as an operand it is the accumulator keyword.
    EXPECT_EQ(ClassifyAsmWord("a"), AsmWordKind::kRegister);
    EXPECT_EQ(ClassifyAsmWord("@R1"), AsmWordKind::kRegister);
    EXPECT_EQ(ClassifyAsmWord("DPTR"), AsmWordKind::kRegister);
    EXPECT_EQ(ClassifyAsmWord("R8"), AsmWordKind::kNone);
    EXPECT_EQ(ClassifyAsmWord("psw"), AsmWordKind::kSfr);
    EXPECT_EQ(ClassifyAsmWord("RCAP2H"), AsmWordKind::kSfr);
    EXPECT_EQ(ClassifyAsmWord("TR0"), AsmWordKind::kBit);
    EXPECT_EQ(ClassifyAsmWord("acc.7"), AsmWordKind::kBit);
    EXPECT_EQ(ClassifyAsmWord("CY"), AsmWordKind::kBit);
    EXPECT_EQ(ClassifyAsmWord("LOOP"), AsmWordKind::kNone);
    EXPECT_EQ(ClassifyAsmWord(""), AsmWordKind::kNone);
    EXPECT_EQ(ClassifyAsmWord("@"), AsmWordKind::kNone);
}
