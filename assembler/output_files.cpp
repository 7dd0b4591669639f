#include "assembler/output_files.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>

#include "common/text_util.h"

bool COutFile::Create(const std::filesystem::path& path)
{
    Close();
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ != nullptr) {
        buffer_.resize(1 << 16);
        std::setvbuf(file_, buffer_.data(), _IOFBF, buffer_.size());
    }
    return file_ != nullptr;
}

void COutFile::Close()
{
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

void COutFile::Write(std::string_view text)
{
    if (file_ != nullptr && !text.empty()) {
        std::fwrite(text.data(), 1, text.size(), file_);
    }
}

void COutFile::WriteBytes(const void* data, size_t size)
{
    if (file_ != nullptr && size > 0) {
        std::fwrite(data, 1, size, file_);
    }
}

void COutFile::Printf(const char* format, ...)
{
    if (file_ == nullptr) {
        return;
    }
    va_list args;
    va_start(args, format);
    std::vfprintf(file_, format, args);
    va_end(args);
}

// --- HEX -------------------------------------------------------------------

void CHexWriter::Reset()
{
    start_ = 0;
    count_ = 0;
}

std::string CHexWriter::FormatRecord(uint16_t address, const uint8_t* data, size_t count)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string line;
    line.reserve(11 + 2 * count + 2);
    unsigned sum = static_cast<unsigned>(count) + (address >> 8) + (address & 0xFF);
    auto put = [&](unsigned byte) {
        line += kHex[(byte >> 4) & 0xF];
        line += kHex[byte & 0xF];
    };
    line += ':';
    put(static_cast<unsigned>(count));
    put(address >> 8);
    put(address & 0xFF);
    put(0);
    for (size_t i = 0; i < count; ++i) {
        put(data[i]);
        sum += data[i];
    }
    put((0x100 - (sum & 0xFF)) & 0xFF);
    line += "\r\n";
    return line;
}

void CHexWriter::AddByte(uint8_t value)
{
    bytes_[count_++] = value;
    if (count_ == sizeof bytes_) {
        file_.Write(FormatRecord(start_, bytes_, count_));
        start_ = static_cast<uint16_t>(start_ + count_);
        count_ = 0;
    }
}

void CHexWriter::Flush(int32_t address)
{
    if (count_ > 0) {
        file_.Write(FormatRecord(start_, bytes_, count_));
        count_ = 0;
    }
    start_ = static_cast<uint16_t>(address);
}

void CHexWriter::WriteEndRecord()
{
    file_.Write(":00000001FF\r\n");
}

// --- Listing ---------------------------------------------------------------

void CListingWriter::Reset(const std::string& mainPath)
{
    mainPath_ = mainPath;
    pageLength = 66;
    topMargin = 5;
    bottomMargin = 4;
    paging = true;
    title.clear();
    subtitle.clear();
    page_ = 1;
    lineOnPage_ = 1;
}

void CListingWriter::WritePageHeader()
{
    std::tm now{};
    if (clock_) {
        now = clock_();
    } else {
        const std::time_t t = std::time(nullptr);
        localtime_r(&t, &now);
    }
    const std::string date =
        StrFormat("%02d/%02d/%02d", now.tm_mon + 1, now.tm_mday, now.tm_year % 100);
    const std::string time = StrFormat("%02d:%02d:%02d", now.tm_hour, now.tm_min, now.tm_sec);
    file_.Printf("%s Assembler           Version %d.%02d   %s %s    Page %d\r\n", "8051", 1, 0,
                 date.c_str(), time.c_str(), page_);
    file_.Printf("%s\r\n", mainPath_.c_str());
    file_.Printf("%s\r\n", title.c_str());
    file_.Printf("%s\r\n", page_ == 1 ? "" : subtitle.c_str());
    for (int n = 5; n <= topMargin; ++n) {
        file_.Write("\r\n");
    }
    lineOnPage_ = topMargin + 1;
}

void CListingWriter::NewPage()
{
    file_.Write("\x0C");
    ++page_;
    lineOnPage_ = 1;
    WritePageHeader();
}

void CListingWriter::CountLine()
{
    ++lineOnPage_;
    if (paging && lineOnPage_ > pageLength - bottomMargin) {
        NewPage();
    }
}

std::string CListingWriter::SourceText(std::string_view source) const
{
    std::string text;
    AppendSourceText(text, source);
    return text;
}

void CListingWriter::AppendSourceText(std::string& line, std::string_view source) const
{
    size_t end = 0;
    while (end < source.size() && source[end] != '\r' && source[end] != '\n') {
        ++end;
    }
    source = source.substr(0, end);
    const size_t start = line.size();
    for (char c : source) {
        if (c == '\t' && tabWidth > 0) {
            const size_t column = line.size() - start;
            line.append(static_cast<size_t>(tabWidth) - column % tabWidth, ' ');
        } else {
            line += c;
        }
    }
}

void CListingWriter::PadToSourceColumn(std::string& line) const
{
    if (line.size() < kSourceColumn - 1) {
        line.append(kSourceColumn - 1 - line.size(), ' ');
    }
}

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

void AppendHex(std::string& text, unsigned value, int digits)
{
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
        text += kHexDigits[(value >> shift) & 0xF];
    }
}

} // namespace

void CListingWriter::WriteLine(int lineNumber, int32_t address, const uint8_t* bytes, size_t count,
                               std::string_view source)
{
    // The listing's hottest path: formatted by hand.
    char number[16];
    std::snprintf(number, sizeof number, "%5d ", lineNumber);
    line_.assign(number);
    AppendHex(line_, static_cast<unsigned>(address) & 0xFFFF, 4);
    for (size_t i = 0; i < count; ++i) {
        line_ += ' ';
        AppendHex(line_, bytes[i], 2);
    }
    PadToSourceColumn(line_);
    AppendSourceText(line_, source);
    WriteRaw(line_);
}

void CListingWriter::WriteNumberedSource(int lineNumber, std::string_view source)
{
    std::string line = StrFormat("%5d", lineNumber);
    PadToSourceColumn(line);
    line += SourceText(source);
    WriteRaw(line);
}

void CListingWriter::WriteSource(std::string_view source)
{
    std::string line(kSourceColumn - 1, ' ');
    line += SourceText(source);
    WriteRaw(line);
}

void CListingWriter::WriteRaw(std::string_view text)
{
    file_.Write(text);
    file_.Write("\r\n");
    CountLine();
}

void CListingWriter::WriteHexRecord(int lineNumber, int32_t address, int count, int recordAddress,
                                    const std::vector<uint8_t>& data, std::string_view source)
{
    std::string line = StrFormat(
        "%5d %04X %02X%04X00", lineNumber, static_cast<unsigned>(address) & 0xFFFF,
        static_cast<unsigned>(count) & 0xFF, static_cast<unsigned>(recordAddress) & 0xFFFF);
    PadToSourceColumn(line);
    line += SourceText(source);
    WriteRaw(line);
    for (size_t i = 0; i < data.size(); i += 4) {
        line.assign(11, ' ');
        for (size_t k = i; k < data.size() && k < i + 4; ++k) {
            line += StrFormat("%02X", data[k]);
        }
        WriteRaw(line);
    }
}

void CListingWriter::WriteDataLines(int lineNumber, int32_t address,
                                    const std::vector<uint8_t>& bytes, size_t perLine,
                                    std::string_view source)
{
    const size_t first = std::min(bytes.size(), perLine);
    WriteLine(lineNumber, address, bytes.data(), first, source);
    for (size_t i = first; i < bytes.size(); i += perLine) {
        std::string line = StrFormat(
            "      %04X", (static_cast<unsigned>(address) + static_cast<unsigned>(i)) & 0xFFFFu);
        for (size_t k = i; k < bytes.size() && k < i + perLine; ++k) {
            line += StrFormat(" %02X", bytes[k]);
        }
        WriteRaw(line);
    }
}

void CListingWriter::WriteMessage(std::string_view source, std::string_view text, int kind)
{
    file_.Write("\r\n");
    CountLine();
    WriteSource(source);
    std::string line = kind == 1 ? " **** Warning: " : " **** Error  : ";
    line += text;
    WriteRaw(line);
}

void CListingWriter::WriteSymbolTables(const CSymbolTable& symbols, const CSymbolTable& labels)
{
    auto table = [this](const char* heading, const CSymbolTable& names) {
        file_.Write(heading);
        for (const auto& [key, record] : names) {
            file_.Printf("  %-40s", record.name.c_str());
            file_.Printf("  %06lX  %ld\r\n",
                         static_cast<unsigned long>(static_cast<uint32_t>(record.value)),
                         static_cast<long>(record.value));
        }
    };
    table("\r\nDefined Symbols:\r\n", symbols);
    table("\r\nDefined Labels:\r\n", labels);
}

// --- Symbol and link files ---------------------------------------------------

void CSymbolFileWriter::Begin()
{
    collecting_ = true;
    text_.clear();
}

void CSymbolFileWriter::WriteSymbol(const std::string& name, int32_t value)
{
    text_ += StrFormat("%-10s %5ld\r\n", name.c_str(), static_cast<long>(value));
}

void CSymbolFileWriter::WriteLabel(const std::string& name, int32_t value)
{
    text_ += StrFormat("%s %ld\r\n", name.c_str(), static_cast<long>(value));
}

bool CSymbolFileWriter::Save(const std::filesystem::path& path)
{
    COutFile file;
    if (!file.Create(path)) {
        return false;
    }
    file.Write(text_);
    return true;
}

void CSymbolFileWriter::Discard()
{
    collecting_ = false;
    text_.clear();
}

void CLinkFileWriter::WriteRecord(int32_t value, int32_t operandAddress, std::string_view name)
{
    uint8_t record[kRecordSize] = {};
    auto put32 = [&record](size_t offset, int32_t v) {
        const auto u = static_cast<uint32_t>(v);
        for (int i = 0; i < 4; ++i) {
            record[offset + i] = static_cast<uint8_t>(u >> (8 * i));
        }
    };
    put32(0, 0);
    put32(4, value);
    put32(8, operandAddress);
    const size_t n = name.size() < 32 ? name.size() : 32;
    std::memcpy(record + 12, name.data(), n);
    file_.WriteBytes(record, sizeof record);
}

// --- Embedded HEX records ----------------------------------------------------

namespace {

// A character that is no hex digit counts as its upper-case code minus 55,
// so such records fail a later check.
int HexDigitValue(char c)
{
    const unsigned char u = FoldUpper(static_cast<unsigned char>(c));
    if (u >= '0' && u <= '9') {
        return u - '0';
    }
    return static_cast<int>(u) - 55;
}

} // namespace

HexRecordType ParseHexRecord(std::string_view text)
{
    static const char* const kChecksum =
        " Invalid check sum at end of code line (calculated value does not match).";
    static const char* const kRange =
        " Address exceeds valid range (adress is greater than 10000h).";
    HexRecordType record;
    size_t pos = 1; // behind the colon
    bool shortLine = false;
    auto pair = [&]() -> int {
        if (pos + 2 > text.size()) {
            shortLine = true;
            pos += 2;
            return 0;
        }
        const int value = HexDigitValue(text[pos]) * 16 + HexDigitValue(text[pos + 1]);
        pos += 2;
        return value;
    };

    record.count = pair();
    if (shortLine) {
        record.count = 0;
        record.error = kChecksum;
        return record;
    }
    if (record.count == 0) {
        return record;
    }
    if (record.count > 1024) {
        record.error = " Line is to long (1024 code bytes max).";
        return record;
    }
    const int high = pair();
    const int low = pair();
    record.address = high * 256 + low;
    if (record.address >= 0x10000) {
        record.error = kRange;
        return record;
    }
    if (pair() != 0 || shortLine) {
        record.error = " Unknown hex line format code.";
        return record;
    }
    int sum = record.count + high + low;
    for (int i = 0; i < record.count; ++i) {
        const int value = pair();
        if (record.address + i >= 0x10000) {
            record.error = kRange;
            return record;
        }
        record.data.push_back(static_cast<uint8_t>(value));
        sum += value;
    }
    const int checksum = pair();
    if (shortLine || checksum != ((0x100 - (sum & 0xFF)) & 0xFF)) {
        record.error = kChecksum;
        return record;
    }
    return record;
}
