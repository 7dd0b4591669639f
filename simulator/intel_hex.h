#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class CCodeMemory;

// A 64 KB program image and which of its addresses were given.
struct IntelHexImageType
{
    static constexpr uint32_t kSize = 0x10000;

    std::vector<uint8_t> bytes = std::vector<uint8_t>(kSize, 0);
    std::vector<bool> written = std::vector<bool>(kSize, false);

    void Set(uint32_t address, uint8_t value)
    {
        bytes[address] = value;
        written[address] = true;
    }
    size_t WrittenCount() const;
};

// Either the image or the first fault, with its 1-based line number (0 when
// the file itself could not be read).
struct IntelHexReadType
{
    IntelHexImageType image;
    int32_t errorLine = 0;
    std::string error;

    bool Ok() const { return error.empty(); }
};

// Reads Intel HEX records line by line: data (00) and end (01) records, the
// extended address records (02, 04) when they keep to the first 64 KB, and
// start address records (03, 05), which are ignored. Hex digits may be of
// either case; a line ends with CR LF, LF or CR; blank lines are passed over;
// nothing after the end record is read. A record that does not fit its
// fields, fails its checksum or reaches past 64 KB is an error, and so is a
// missing end record.
class CIntelHexReader
{
public:
    // The longest line a record can take: 255 data bytes.
    static constexpr size_t kMaxLine = 1 + 2 * (1 + 2 + 1 + 255 + 1);

    // False once an error has been found or the end record read.
    bool WantsMore() const { return !done_ && result_.Ok(); }
    // One line without its line break.
    void AddLine(std::string_view line);
    // Call after the last line; reports a missing end record.
    IntelHexReadType Finish();

private:
    void Fail(std::string text);
    bool DecodeBytes(std::string_view digits, std::vector<uint8_t>& bytes);
    void Apply(const std::vector<uint8_t>& record);

    IntelHexReadType result_;
    int32_t line_ = 0;
    uint32_t base_ = 0; // from the extended address records: always 0 here
    bool done_ = false;
};

// The value of one hex digit of either case; -1 for any other character.
int IntelHexDigitValue(char c);

IntelHexReadType ReadIntelHex(std::string_view text);
// Reads a regular file through the line reader; never reads more of it than
// a record can take per line.
IntelHexReadType ReadIntelHexFile(const std::filesystem::path& path);

// The written bytes as records of up to 16 bytes, a new record after every
// gap, then the end record: upper-case digits, CR LF line ends.
std::string WriteIntelHex(const IntelHexImageType& image);

// Stores the written bytes into code memory without source lines.
void StoreIntelHexImage(const IntelHexImageType& image, CCodeMemory& code);
