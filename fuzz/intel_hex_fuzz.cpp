// An Intel HEX file, read from memory and from a file as dl51 reads it: both
// reads must agree to the line and the byte. A file that reads is written
// back, and the written text must read to the same image, keep to the
// writer's own form, and write again to the same text; stored into code
// memory, the image gives exactly its bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/text_util.h"
#include "fuzz_support.h"
#include "simulator/code_memory.h"
#include "simulator/intel_hex.h"

namespace {

CFuzzScratch& Scratch()
{
    static CFuzzScratch scratch("ide51-hex-fuzz");
    return scratch;
}

// The first address where two images differ, or -1.
int32_t FirstDifference(const IntelHexImageType& a, const IntelHexImageType& b)
{
    for (uint32_t address = 0; address < IntelHexImageType::kSize; ++address) {
        if (a.written[address] != b.written[address] ||
            (a.written[address] && a.bytes[address] != b.bytes[address])) {
            return static_cast<int32_t>(address);
        }
    }
    return -1;
}

void CheckSameImage(const IntelHexImageType& a, const IntelHexImageType& b, const char* property)
{
    const int32_t address = FirstDifference(a, b);
    if (address >= 0) {
        FuzzFail(property, StrFormat("first at %04X", static_cast<unsigned>(address)));
    }
}

// The writer's form: ':' and upper-case digits, CR LF after every record,
// each short enough for the line reader, ending with the end record.
void CheckWrittenForm(const std::string& text)
{
    static constexpr std::string_view kEnd = ":00000001FF\r\n";
    FuzzCheck(text.size() >= kEnd.size() &&
                  text.compare(text.size() - kEnd.size(), kEnd.size(), kEnd) == 0,
              "the written text ends with the end record");
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        FuzzCheck(end != std::string::npos, "every written record ends with CR LF");
        const std::string_view line(text.data() + start, end - start);
        FuzzCheck(line.size() <= CIntelHexReader::kMaxLine && line.size() >= 11 &&
                      line.front() == ':',
                  "a written record fits a line and starts with ':'");
        for (char c : line.substr(1)) {
            FuzzCheck((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'),
                      "a written record holds only upper-case hex digits");
        }
        start = end + 2;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const IntelHexReadType read = ReadIntelHex(text);

    const std::filesystem::path file = Scratch().File("PROGRAM.HEX");
    WriteFileBytes(file, text);
    const IntelHexReadType fromFile = ReadIntelHexFile(file);
    if (read.Ok() != fromFile.Ok() || read.errorLine != fromFile.errorLine ||
        read.error != fromFile.error) {
        FuzzFail("a file reads as its text does",
                 StrFormat("%d: %s / %d: %s", read.errorLine, read.error.c_str(),
                           fromFile.errorLine, fromFile.error.c_str()));
    }
    if (!read.Ok()) {
        // A fault names a line of the text, or the one after its last.
        const auto lines = static_cast<int32_t>(std::count(text.begin(), text.end(), '\n') +
                                                std::count(text.begin(), text.end(), '\r'));
        FuzzCheck(read.errorLine >= 1 && read.errorLine <= lines + 2,
                  "a fault names a line of the file");
        return 0;
    }
    CheckSameImage(read.image, fromFile.image, "a file reads to the image its text does");
    for (uint32_t address = 0; address < IntelHexImageType::kSize; ++address) {
        FuzzCheck(read.image.written[address] || read.image.bytes[address] == 0,
                  "an address no record gave stays zero");
    }

    const std::string written = WriteIntelHex(read.image);
    CheckWrittenForm(written);
    const IntelHexReadType reread = ReadIntelHex(written);
    if (!reread.Ok()) {
        FuzzFail("the written text reads",
                 StrFormat("%d: %s", reread.errorLine, reread.error.c_str()));
    }
    CheckSameImage(read.image, reread.image, "writing and reading keeps the image");
    FuzzCheck(WriteIntelHex(reread.image) == written, "an image read back writes the same text");

    // What board51 and the simulator load.
    static CCodeMemory code; // too large for the stack
    code.ClearCode();
    StoreIntelHexImage(read.image, code);
    int32_t highest = -1;
    for (uint32_t address = 0; address < IntelHexImageType::kSize; ++address) {
        if (read.image.written[address]) {
            highest = static_cast<int32_t>(address);
        }
        FuzzCheck(code.ReadCodeByte(address) == read.image.bytes[address],
                  "code memory holds the image's bytes");
    }
    FuzzCheck(code.HighestAddress() == highest, "code memory ends where the image does");
    return 0;
}
