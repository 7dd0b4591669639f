#include <gtest/gtest.h>

#include "simulator/code_memory.h"
#include "simulator/intel_hex.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

namespace {

// As the assembler writes it: LJMP 0030H, then a gap, then 18 bytes at 0030H.
const char kProgram[] = ":03000000020030CB\r\n"
                        ":1000300075A8827581075A1B2B3B4B5B6B7B8B9B97\r\n"
                        ":0200400080FE40\r\n"
                        ":00000001FF\r\n";

TEST(IntelHexTest, ReadsTheAssemblersRecordsAndWritesThemBack)
{
    const IntelHexReadType read = ReadIntelHex(kProgram);
    ASSERT_TRUE(read.Ok()) << read.errorLine << ": " << read.error;
    EXPECT_EQ(read.image.WrittenCount(), 3u + 16 + 2);
    EXPECT_EQ(read.image.bytes[0x0001], 0x00);
    EXPECT_EQ(read.image.bytes[0x0002], 0x30);
    EXPECT_TRUE(read.image.written[0x0002]);
    EXPECT_FALSE(read.image.written[0x0003]);
    EXPECT_EQ(read.image.bytes[0x0041], 0xFE);
    EXPECT_EQ(WriteIntelHex(read.image), kProgram);
}

TEST(IntelHexTest, LineEndsCaseBlankLinesAndWhatFollowsTheEnd)
{
    const std::string variants[] = {
        ":03000000020030CB\n:0200400080fe40\n:00000001FF\n",
        ":03000000020030CB\r:0200400080FE40\r:00000001FF",
        "\r\n  :03000000020030CB  \r\n\r\n:0200400080FE40\n\t:00000001ff\r\nnot read\r\n",
        // A zero linear base and a start address change nothing.
        ":020000040000FA\n:03000000020030CB\n:0400000500000030C7\n:0200400080FE40\n"
        ":00000001FF\n",
    };
    for (const std::string& text : variants) {
        const IntelHexReadType read = ReadIntelHex(text);
        ASSERT_TRUE(read.Ok()) << text << "\n" << read.errorLine << ": " << read.error;
        EXPECT_EQ(read.image.WrittenCount(), 5u) << text;
        EXPECT_EQ(read.image.bytes[0x40], 0x80) << text;
    }
    // A segment base shifts the record's address by 16 times the segment.
    const IntelHexReadType segment = ReadIntelHex(":020000020100FB\n:01002000558A\n:00000001FF\n");
    ASSERT_TRUE(segment.Ok()) << segment.error;
    EXPECT_TRUE(segment.image.written[0x1020]);
}

TEST(IntelHexTest, MalformedRecordsNameTheirLine)
{
    struct Case
    {
        const char* text;
        int32_t line;
        const char* message;
    };
    const Case cases[] = {
        {":03000000020030CB\n:0200400080FE41\n:00000001FF\n", 2,
         "checksum 41, the record needs 40"},
        {":0300000002G030CB\n", 1, "bad hex digit 'G'"},
        {":03000000020030C\n", 1, "odd number of hex digits"},
        {":04000000020030CB\n", 1, "byte count 04 does not match the record's 3 data bytes"},
        {":0000\n", 1, "record too short"},
        {"\n03000000020030CB\n", 2, "a record starts with ':', not '0'"},
        {":10FFF80000000000000000000000000000000000F9\n", 1, "16 bytes at FFF8 run past 64 KB"},
        {":00000006FA\n", 1, "unknown record type 06"},
        {":03000000020030CB\n:0200400080FE40\n", 3, "no end record (:00000001FF)"},
        {"", 1, "no end record (:00000001FF)"},
        {":0100000100FE\n", 1, "end record with data"},
        {":020000040001F9\n", 1, "extended address 0001 lies past 64 KB"},
        {":0100000400FB\n", 1, "extended address record without its 2 bytes"},
        {":020000050000F9\n", 1, "start address record without its 4 bytes"},
        {":03000000020030CB\r\n:\x01\r\n", 2, "bad hex digit '\\x01'"},
    };
    for (const Case& c : cases) {
        const IntelHexReadType read = ReadIntelHex(c.text);
        EXPECT_FALSE(read.Ok()) << c.text;
        EXPECT_EQ(read.errorLine, c.line) << c.text;
        EXPECT_EQ(read.error, c.message) << c.text;
    }
    const std::string overlong = ":" + std::string(CIntelHexReader::kMaxLine, '0') + "\n";
    EXPECT_EQ(ReadIntelHex(overlong).error, "line too long for a record");
}

TEST(IntelHexTest, WriterSplitsRunsAtGapsAndSixteenBytes)
{
    IntelHexImageType image;
    EXPECT_EQ(WriteIntelHex(image), ":00000001FF\r\n");
    for (uint32_t a = 0xFFEE; a <= 0xFFFF; ++a) {
        image.Set(a, static_cast<uint8_t>(a));
    }
    image.Set(0x0005, 0xAB);
    EXPECT_EQ(WriteIntelHex(image), ":01000500AB4F\r\n"
                                    ":10FFEE00EEEFF0F1F2F3F4F5F6F7F8F9FAFBFCFDAB\r\n"
                                    ":02FFFE00FEFF04\r\n"
                                    ":00000001FF\r\n");
    // Any image survives the round trip.
    std::mt19937 random(3);
    IntelHexImageType scattered;
    for (int i = 0; i < 5000; ++i) {
        scattered.Set(random() & 0xFFFF, static_cast<uint8_t>(random()));
    }
    const IntelHexReadType again = ReadIntelHex(WriteIntelHex(scattered));
    ASSERT_TRUE(again.Ok());
    EXPECT_EQ(again.image.bytes, scattered.bytes);
    EXPECT_EQ(again.image.written, scattered.written);
}

TEST(IntelHexTest, FilesAndCodeMemory)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("intel_hex_" + std::to_string(::getpid()));
    std::ofstream(path, std::ios::binary) << ":03000000020030CB\r:00000001FF";
    const IntelHexReadType read = ReadIntelHexFile(path);
    std::filesystem::remove(path);
    ASSERT_TRUE(read.Ok()) << read.error;
    CCodeMemory code;
    code.WriteCodeByte(0x10, 0x77); // untouched: not in the image
    StoreIntelHexImage(read.image, code);
    EXPECT_EQ(code.ReadCodeByte(0), 0x02);
    EXPECT_EQ(code.ReadCodeByte(2), 0x30);
    EXPECT_EQ(code.ReadCodeByte(0x10), 0x77);
    EXPECT_EQ(code.HighestAddress(), 2);
    EXPECT_EQ(code.LineOfAddress(0), -1);

    const IntelHexReadType missing = ReadIntelHexFile(path);
    EXPECT_EQ(missing.errorLine, 0);
    EXPECT_EQ(missing.error, "cannot read " + path.string());
}

} // namespace
