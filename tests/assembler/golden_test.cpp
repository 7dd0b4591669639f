// A two-file example assembled with every output file on and compared with
// files written out by hand:
//
//   main.a51 includes defs.inc (COUNT EQU 3, LED BIT P1.0 = 90h).
//   0000 74 03      MOV A,#COUNT
//   0002 12 00 20   LCALL delay           link record: value 20h, operand at 0003h
//   0005 80 F9      SJMP start            0 - 7 = -7
//   level SET 1 / SET 2: no message; the symbol file keeps the first value
//   0020 7F 02      MOV R7,#level         2, the last SET
//   0022 DF FE      DJNZ R7,wait
//   0024 B2 90      CPL LED
//   0026 22         RET
//   IF COUNT > 2 (3>2 is 1): DB 'Y' = 59h at 0027, the ELSE part skipped
//   0028 00 00 20 00  DW start,delay
//   002C 03 00 00 00 01 02 03   the embedded record :03000000010203F7
//   0033 2C         DB 300: error, low byte kept
//   0034 02 00 00   LJMP missing: undefined in pass 2, no link record
//   END at 0037: "Ending address: 55".
// HEX records: 7 bytes at 0000 (cut by ORG 20H), 16 at 0020, 7 at 0030
// (flushed by END), then the end record.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "asm_test_util.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFileAt(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(GoldenTest, TwoFileExampleMatchesTheHandWrittenFiles)
{
    const fs::path data = fs::path(IDE51_TEST_DATA_DIR) / "golden";
    CAsmFixture f;
    f.WriteFile("main.a51", ReadFileAt(data / "main.a51"));
    f.WriteFile("defs.inc", ReadFileAt(data / "defs.inc"));
    AssemblerOptions options;
    options.generateSymFile = true;
    f.Run("main.a51", options);

    const std::string path = (f.Dir() / "main.a51").string();
    EXPECT_EQ(f.Lines(),
              (std::vector<std::string>{
                  "Assembling " + path, "Pass 1 complete",
                  "Error: " + path + " (21):  300 will not fit in a single byte.",
                  "Error: " + path + " (22):  Undefined symbol/label: missing", "Pass 2 complete",
                  "Ending address: 55", "", "Done - 2 error(s), 0 warning(s)"}));

    EXPECT_EQ(f.ReadFile("main.HEX"), ReadFileAt(data / "expected/main.HEX"));
    EXPECT_EQ(f.ReadFile("main.SYM"), ReadFileAt(data / "expected/main.SYM"));

    // The link record's padding is not significant.
    const std::string link = f.ReadFile("main.LNK");
    const std::string expectedLink = ReadFileAt(data / "expected/main.LNK");
    ASSERT_EQ(link.size(), expectedLink.size());
    EXPECT_EQ(link.substr(0, 45), expectedLink.substr(0, 45));

    // The listing's first line carries the date and time; the path follows.
    std::string listing = f.ReadFile("main.LST");
    std::string expected = ReadFileAt(data / "expected/main.LST");
    const size_t firstEnd = listing.find("\r\n");
    ASSERT_NE(firstEnd, std::string::npos);
    EXPECT_EQ(listing.substr(0, firstEnd),
              "8051 Assembler           Version 1.00   12/05/26 09:08:07    Page 1");
    listing.erase(0, firstEnd + 2);
    expected.replace(0, 4, path);
    EXPECT_EQ(listing, expected);
}

} // namespace
