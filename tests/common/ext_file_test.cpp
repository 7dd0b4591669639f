#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/ext_file.h"
#include "common/text_util.h"

namespace {

namespace fs = std::filesystem;

class ExtFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path_ = fs::temp_directory_path() /
                ("extfile-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { fs::remove(path_); }

    std::vector<std::string> ReadAll(const std::string& content, size_t limit = 254,
                                     bool keepCr = true)
    {
        std::ofstream(path_, std::ios::binary) << content;
        CExtFile file;
        EXPECT_TRUE(file.Open(path_));
        EXPECT_EQ(file.Length(), content.size());
        std::vector<std::string> lines;
        std::string line;
        while (file.ReadLine(line, limit, keepCr)) {
            lines.push_back(line);
        }
        EXPECT_TRUE(file.AtEnd());
        return lines;
    }

    fs::path path_;
};

TEST_F(ExtFileTest, EveryLineEndEndsALine)
{
    using Lines = std::vector<std::string>;
    const Lines expected = {"a\r", "bc\r", "\r", "d"};
    EXPECT_EQ(ReadAll("a\r\nbc\r\n\r\nd"), expected);
    EXPECT_EQ(ReadAll("a\nbc\n\nd"), expected);
    EXPECT_EQ(ReadAll("a\rbc\r\rd"), expected);
    EXPECT_EQ(ReadAll("a\r\nbc\n\rd"), expected); // mixed
    EXPECT_EQ(ReadAll("a\nb", 254, false), (Lines{"a", "b"}));
    EXPECT_TRUE(ReadAll("").empty());
}

TEST_F(ExtFileTest, CrLfSplitAcrossTheBufferIsOneLineEnd)
{
    std::string content(CExtFile::kBufferSize - 1, 'x');
    content += "\r\nnext\r\n";
    const auto lines = ReadAll(content, content.size());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), CExtFile::kBufferSize); // the text and its CR
    EXPECT_EQ(lines[1], "next\r");
}

TEST_F(ExtFileTest, LongLinesComeInPiecesOfTheLimit)
{
    const auto lines = ReadAll(std::string(10, 'a') + "\r\n" + std::string(8, 'b') + "\r\n", 4);
    EXPECT_EQ(lines, (std::vector<std::string>{"aaaa", "aaaa", "aa\r", "bbbb", "bbbb\r"}));
}

TEST_F(ExtFileTest, RewindStartsOver)
{
    std::ofstream(path_, std::ios::binary) << "one\ntwo\n";
    CExtFile file;
    ASSERT_TRUE(file.Open(path_));
    std::string line;
    ASSERT_TRUE(file.ReadLine(line, 254, true));
    ASSERT_TRUE(file.ReadLine(line, 254, true));
    EXPECT_FALSE(file.ReadLine(line, 254, true));
    file.Rewind();
    ASSERT_TRUE(file.ReadLine(line, 254, true));
    EXPECT_EQ(line, "one\r");
    EXPECT_FALSE(file.Open(fs::temp_directory_path())); // a directory is no file
}

TEST(TextUtilTest, NamesCompareFoldedToLowerCase)
{
    EXPECT_LT(CompareNoCase("A_B", "AA"), 0); // "_" sorts before any letter
    EXPECT_LT(CompareNoCase("AA", "loop"), 0);
    EXPECT_LT(CompareNoCase("loop", "Main"), 0);
    EXPECT_EQ(CompareNoCase("Loop", "lOOP"), 0);
    EXPECT_LT(CompareNoCase("ab", "abc"), 0);
    EXPECT_TRUE(EqualsNoCase("P1.3", "p1.3"));
    EXPECT_FALSE(EqualsNoCase("P1.3", "P1.4"));
    EXPECT_EQ(NoCaseHash{}("Main"), NoCaseHash{}("MAIN"));
    EXPECT_EQ(StrFormat("%-5s|%5d", "ab", 42), "ab   |   42");
    EXPECT_EQ(StrFormat("%s", std::string(1000, 'z').c_str()).size(), 1000u);
}

} // namespace

namespace {

// Line ends are searched eight characters at a time: every position of the
// line end within and across those groups, next to bytes of every value
// (a CR or LF code plus or minus one among them), must end the line there.
TEST(ExtFileLineEndTest, EndsAreFoundAtEveryPositionBesideAnyBytes)
{
    const fs::path path =
        fs::temp_directory_path() /
        ("extfile-ends-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    const std::string fillers[] = {"abcdefghijklmnopqrstuvwxyz", "\x0C\x0E\x09\x0B\x8D\x8A\xFF\x01",
                                   std::string("\x00\x80\x0D\x0A", 2) + "\x8D\x8A\x0C\x0E"};
    for (const std::string& filler : fillers) {
        for (size_t length = 0; length < 20; ++length) {
            for (const char* end : {"\r\n", "\r", "\n"}) {
                std::string text;
                for (size_t i = 0; i < length; ++i) {
                    text += filler[i % filler.size()];
                }
                std::ofstream(path, std::ios::binary) << text << end << "next" << end;
                CExtFile file;
                ASSERT_TRUE(file.Open(path));
                std::string line;
                ASSERT_TRUE(file.ReadLine(line, 254, true));
                EXPECT_EQ(line, text + "\r") << length;
                ASSERT_TRUE(file.ReadLine(line, 254, true));
                EXPECT_EQ(line, "next\r") << length;
                EXPECT_FALSE(file.ReadLine(line, 254, true));
            }
        }
    }
    fs::remove(path);
}

} // namespace
