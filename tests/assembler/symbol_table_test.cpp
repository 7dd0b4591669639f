#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "assembler/symbol_table.h"

namespace {

std::string Lower(std::string text)
{
    for (char& c : text) {
        c = static_cast<char>(FoldLower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string FlipCase(std::string text)
{
    for (char& c : text) {
        const auto u = static_cast<unsigned char>(c);
        c = static_cast<char>(u == FoldLower(u) ? FoldUpper(u) : FoldLower(u));
    }
    return text;
}

// Names alike in all but their last characters, as large sources number them.
std::vector<std::string> NumberedNames(size_t count)
{
    std::vector<std::string> names;
    for (size_t i = 0; i < count; ++i) {
        names.push_back((i % 2 == 0 ? "K" : "v") + std::to_string(100000 + i));
    }
    return names;
}

} // namespace

TEST(SymbolTableTest, ManyNamesAreFoundInAnyCaseAndOthersAreNot)
{
    CSymbolTable table;
    const std::vector<std::string> names = NumberedNames(20000);
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_TRUE(table.Insert(SymbolRecord{names[i], static_cast<int32_t>(i), 255, 255}));
    }
    EXPECT_FALSE(table.Insert(SymbolRecord{"k100000", -5, 255, 255})); // a new value only
    ASSERT_EQ(table.Size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const SymbolRecord* record = table.Find(FlipCase(names[i]));
        ASSERT_NE(record, nullptr) << names[i];
        EXPECT_EQ(record->name, names[i]); // as first written
        EXPECT_EQ(record->value, i == 0 ? -5 : static_cast<int32_t>(i));
    }
    for (const char* absent : {"K1000000", "K10000", "v100000", "", "K100000 "}) {
        EXPECT_EQ(table.Find(absent), nullptr) << absent;
    }
    table.Clear();
    EXPECT_EQ(table.Find(names[1]), nullptr);
    table.InsertNew(SymbolRecord{names[1], 7, 255, 255});
    ASSERT_NE(table.Find(names[1]), nullptr);
    EXPECT_EQ(table.Find(names[1])->value, 7);
}

// The listing's order: names folded to lower case, then byte by byte, a
// shorter name before its longer continuation.
TEST(SymbolTableTest, SortedOrderMatchesTheFoldedByteOrder)
{
    std::vector<std::string> names = {
        "LONGPREFIX_B",
        "longprefix_a",
        "LONGPREFIX",
        "LongPrefiy",
        "LONGPREFIX_AA",
        "a",
        "A_",
        "AB",
        "_Z",
        "Z_",
        "z0",
        "K\xE9t",
        "K\x7Ft",
        "Kat",
        "ABCDEFGHIJ1",
        "abcdefghij",
        "ABCDEFGH",
        "ABCDEFG",
    };
    std::mt19937 random(51);
    const std::string letters = "aZ_09.Q";
    for (int i = 0; i < 3000; ++i) {
        std::string name = i % 3 == 0 ? "SAMEPREFIX" : "";
        const int length = 1 + static_cast<int>(random() % 12);
        for (int k = 0; k < length; ++k) {
            name += letters[random() % letters.size()];
        }
        names.push_back(name);
    }
    CSymbolTable table;
    std::vector<std::string> expected;
    for (const std::string& name : names) {
        if (table.Insert(SymbolRecord{name, 0, 255, 255})) {
            expected.push_back(name);
        }
    }
    std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
        const std::string x = Lower(a);
        const std::string y = Lower(b);
        return std::lexicographical_compare(
            x.begin(), x.end(), y.begin(), y.end(), [](char p, char q) {
                return static_cast<unsigned char>(p) < static_cast<unsigned char>(q);
            });
    });
    std::vector<std::string> sorted;
    table.ForEachSorted([&](const SymbolRecord& record) { sorted.push_back(record.name); });
    EXPECT_EQ(sorted, expected);
}
