// RADIX.DAT: read over the table the settings start with, written, read
// again into a table of other contents. Both reads must give the same table,
// every code in it must be one the views have a formatter for, and each
// formats a value with the table's default.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/global_options.h"
#include "fuzz_support.h"
#include "simulator/value_format.h"

namespace {

CFuzzScratch& Scratch()
{
    static CFuzzScratch scratch("ide51-radix-fuzz");
    return scratch;
}

std::string Codes(const RadixTable& table)
{
    std::string text;
    for (uint8_t code : table) {
        text += static_cast<char>('0' + code % 10);
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::filesystem::path file = Scratch().File("RADIX.DAT");
    WriteFileBytes(file, std::string_view(reinterpret_cast<const char*>(data), size));

    RadixTable table;
    ResetRadixTable(table);
    const bool read = ReadRadixFile(file, table);
    FuzzCheck(read == (size > 0), "a file with bytes is read, an empty one is not");
    const uint8_t defaultCode = table[radix_layout::kDefaultRadix];
    FuzzCheck(IsRadixCode(defaultCode) && defaultCode != RadixCode(DisplayRadix::kDefault),
              "the default radix is a radix");
    std::string shown;
    for (size_t i = 0; i < table.size(); ++i) {
        if (!IsRadixCode(table[i])) {
            FuzzFail("every code has a formatter", Codes(table));
        }
        const auto value = static_cast<uint32_t>(i * 0x01010101u);
        shown.clear();
        FormatByte(shown, value & 0xFF, RadixFromCode(table[i]), RadixFromCode(defaultCode));
        FormatWord(shown, value & 0xFFFF, RadixFromCode(table[i]), RadixFromCode(defaultCode));
        FormatDoubleWord(shown, value, RadixFromCode(table[i]), RadixFromCode(defaultCode));
        FuzzCheck(!shown.empty(), "a value formats");
    }

    FuzzCheck(WriteRadixFile(file, table), "the table is written");
    FuzzCheck(std::filesystem::file_size(file) == kRadixTableSize, "the file holds the table");
    RadixTable reread;
    reread.fill(RadixCode(DisplayRadix::kBinary));
    FuzzCheck(ReadRadixFile(file, reread), "the written file is read");
    if (reread != table) {
        FuzzFail("writing and reading keeps the table", Codes(table) + "\n" + Codes(reread));
    }
    return 0;
}
