#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/global_options.h"
#include "scratch_dir.h"

namespace {

std::string ReadBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

TEST(RadixFileTest, WritesExactly680BytesAndReadsThemBack)
{
    CScratchDir dir;
    RadixTable table;
    ResetRadixTable(table);
    table[radix_layout::kDefaultRadix] = RadixCode(DisplayRadix::kBinary);
    table[radix_layout::kRegisterWindow + 29] = RadixCode(DisplayRadix::kHexadecimal);
    table[radix_layout::kInternalMemory + 0xFF] = RadixCode(DisplayRadix::kAscii);
    table[radix_layout::kPortWindow + 7] = RadixCode(DisplayRadix::kBinary);
    const auto file = dir.Path() / "RADIX.DAT";
    ASSERT_TRUE(WriteRadixFile(file, table));
    std::string bytes = ReadBytes(file);
    ASSERT_EQ(bytes.size(), 680u);
    EXPECT_EQ(bytes[0], 4);

    RadixTable back;
    ResetRadixTable(back);
    ASSERT_TRUE(ReadRadixFile(file, back));
    EXPECT_EQ(back, table);
}

TEST(RadixFileTest, AMissingFileLeavesTheTable)
{
    CScratchDir dir;
    RadixTable table;
    table.fill(RadixCode(DisplayRadix::kHexadecimal));
    EXPECT_FALSE(ReadRadixFile(dir.Path() / "RADIX.DAT", table));
    EXPECT_EQ(table[0], RadixCode(DisplayRadix::kHexadecimal));
    EXPECT_EQ(table[679], RadixCode(DisplayRadix::kHexadecimal));
}

TEST(RadixFileTest, AShortFileFillsOnlyItsBytesAndALongOneIsCut)
{
    CScratchDir dir;
    const auto file = dir.Path() / "RADIX.DAT";
    WriteBytes(file, std::string("\x03\x02", 2));
    RadixTable table;
    table.fill(RadixCode(DisplayRadix::kBinary));
    ASSERT_TRUE(ReadRadixFile(file, table));
    EXPECT_EQ(table[0], RadixCode(DisplayRadix::kAscii));
    EXPECT_EQ(table[1], RadixCode(DisplayRadix::kHexadecimal));
    EXPECT_EQ(table[2], RadixCode(DisplayRadix::kBinary));

    WriteBytes(file, std::string(1000, '\x02'));
    ASSERT_TRUE(ReadRadixFile(file, table));
    EXPECT_EQ(table[679], RadixCode(DisplayRadix::kHexadecimal));
}

TEST(RadixFileTest, CodesNoViewKnowsBecomeSafeOnes)
{
    CScratchDir dir;
    const auto file = dir.Path() / "RADIX.DAT";
    std::string bytes(680, '\0');
    bytes[0] = '\x09'; // not a radix
    bytes[5] = '\xFF'; // would index past the formatters
    bytes[6] = '\x04';
    WriteBytes(file, bytes);
    RadixTable table;
    ResetRadixTable(table);
    ASSERT_TRUE(ReadRadixFile(file, table));
    EXPECT_EQ(table[0], RadixCode(DisplayRadix::kDecimal));
    EXPECT_EQ(table[5], RadixCode(DisplayRadix::kDefault));
    EXPECT_EQ(table[6], RadixCode(DisplayRadix::kBinary));

    bytes[0] = '\0'; // the default radix cannot itself be "default"
    WriteBytes(file, bytes);
    ASSERT_TRUE(ReadRadixFile(file, table));
    EXPECT_EQ(table[0], RadixCode(DisplayRadix::kDecimal));
}

} // namespace
