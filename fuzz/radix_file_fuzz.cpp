// RADIX.DAT: read over the table the settings start with, written, read
// again into a table of other contents. Both reads must give the same table,
// and every code in it must be one the views have a formatter for.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/global_options.h"
#include "fuzz_support.h"

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
    FuzzCheck(table[radix_layout::kDefaultRadix] >= kRadixDecimal &&
                  table[radix_layout::kDefaultRadix] <= kRadixBinary,
              "the default radix is a radix");
    for (uint8_t code : table) {
        if (code > kRadixBinary) {
            FuzzFail("every code has a formatter", Codes(table));
        }
    }

    FuzzCheck(WriteRadixFile(file, table), "the table is written");
    FuzzCheck(std::filesystem::file_size(file) == kRadixTableSize, "the file holds the table");
    RadixTable reread;
    reread.fill(kRadixBinary);
    FuzzCheck(ReadRadixFile(file, reread), "the written file is read");
    if (reread != table) {
        FuzzFail("writing and reading keeps the table", Codes(table) + "\n" + Codes(reread));
    }
    return 0;
}
