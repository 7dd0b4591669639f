#include "assembler/output_files.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstring>

#include "common/text_util.h"

bool COutFile::Create(const std::filesystem::path& path)
{
    Close();
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ != nullptr) {
        buffer_.clear();
        buffer_.reserve(kFlushSize + 4096);
    }
    return file_ != nullptr;
}

void COutFile::Close()
{
    if (file_ != nullptr) {
        Flush();
        std::fclose(file_);
        file_ = nullptr;
    }
    buffer_.clear();
}

void COutFile::Flush()
{
    if (file_ != nullptr && !buffer_.empty()) {
        std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
    }
    buffer_.clear();
}

void COutFile::WriteBytes(const void* data, size_t size)
{
    if (file_ != nullptr) {
        buffer_.append(static_cast<const char*>(data), size);
        FlushIfFull();
    }
}

void COutFile::Printf(const char* format, ...)
{
    if (file_ == nullptr) {
        return;
    }
    va_list args;
    va_start(args, format);
    buffer_ += StrFormatV(format, args);
    va_end(args);
    FlushIfFull();
}

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

void AppendHex(std::string& text, unsigned value, int digits)
{
    char buffer[8];
    for (int i = digits - 1; i >= 0; --i, value >>= 4) {
        buffer[i] = kHexDigits[value & 0xF];
    }
    text.append(buffer, static_cast<size_t>(digits));
}

} // namespace

void AppendDecimal(std::string& text, long value, int width)
{
    // Written from the right end of the buffer, then padded on the left.
    char buffer[48];
    char* end = buffer + sizeof buffer;
    char* p = end;
    unsigned long magnitude =
        value < 0 ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) {
        *--p = '-';
    }
    const int clampedWidth = std::min(width, 24);
    while (end - p < clampedWidth) {
        *--p = ' ';
    }
    text.append(p, static_cast<size_t>(end - p));
}

// --- HEX -------------------------------------------------------------------

void CHexWriter::Reset()
{
    start_ = 0;
    count_ = 0;
}

std::string CHexWriter::FormatRecord(uint16_t address, const uint8_t* data, size_t count)
{
    std::string line;
    AppendRecord(line, address, data, count);
    return line;
}

void CHexWriter::AppendRecord(std::string& line, uint16_t address, const uint8_t* data,
                              size_t count)
{
    unsigned sum = static_cast<unsigned>(count) + (address >> 8) + (address & 0xFF);
    line += ':';
    AppendHex(line, static_cast<unsigned>(count) & 0xFF, 2);
    AppendHex(line, address, 4);
    line += "00";
    for (size_t i = 0; i < count; ++i) {
        AppendHex(line, data[i], 2);
        sum += data[i];
    }
    AppendHex(line, (0x100 - (sum & 0xFF)) & 0xFF, 2);
    line += "\r\n";
}

void CHexWriter::AddByte(uint8_t value)
{
    bytes_[count_++] = value;
    if (count_ == sizeof bytes_) {
        if (file_.IsOpen()) {
            AppendRecord(file_.Buffer(), start_, bytes_, count_);
            file_.FlushIfFull();
        }
        start_ = static_cast<uint16_t>(start_ + count_);
        count_ = 0;
    }
}

void CHexWriter::Flush(int32_t address)
{
    if (count_ > 0) {
        if (file_.IsOpen()) {
            AppendRecord(file_.Buffer(), start_, bytes_, count_);
            file_.FlushIfFull();
        }
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
        // Converted once a second: a long listing has thousands of pages.
        const std::time_t t = std::time(nullptr);
        if (t != headerTime_) {
            headerTime_ = t;
            localtime_r(&t, &headerTm_);
        }
        now = headerTm_;
    }
    lineOnPage_ = topMargin + 1;
    if (!file_.IsOpen()) {
        return;
    }
    // "%s Assembler           Version %d.%02d   %s %s    Page %d" with the
    // date as %02d/%02d/%02d and the time as %02d:%02d:%02d.
    const auto two = [](std::string& out, int value) {
        if (value >= 0 && value < 10) {
            out += '0';
        }
        AppendDecimal(out, value, 0);
    };
    std::string& out = file_.Buffer();
    out += "8051 Assembler           Version 1.00   ";
    two(out, now.tm_mon + 1);
    out += '/';
    two(out, now.tm_mday);
    out += '/';
    two(out, now.tm_year % 100);
    out += ' ';
    two(out, now.tm_hour);
    out += ':';
    two(out, now.tm_min);
    out += ':';
    two(out, now.tm_sec);
    out += "    Page ";
    AppendDecimal(out, page_, 0);
    out += "\r\n";
    out += mainPath_;
    out += "\r\n";
    out += title;
    out += "\r\n";
    if (page_ != 1) {
        out += subtitle;
    }
    out += "\r\n";
    for (int n = 5; n <= topMargin; ++n) {
        out += "\r\n";
    }
    file_.FlushIfFull();
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

namespace {

// The characters that end a run of plain source text.
constexpr std::array<bool, 256> MakeSourceStops()
{
    std::array<bool, 256> stops{};
    stops['\t'] = stops['\r'] = stops['\n'] = true;
    return stops;
}
constexpr std::array<bool, 256> kSourceStops = MakeSourceStops();

} // namespace

void CListingWriter::AppendSourceText(std::string& line, std::string_view source) const
{
    const size_t start = line.size();
    const char* p = source.data();
    const char* end = p + source.size();
    while (p < end) {
        const char* run = p;
        while (p < end && !kSourceStops[static_cast<unsigned char>(*p)]) {
            ++p;
        }
        line.append(run, static_cast<size_t>(p - run));
        if (p == end || *p != '\t') {
            return; // the line end
        }
        if (tabWidth > 0) {
            const size_t column = line.size() - start;
            line.append(static_cast<size_t>(tabWidth) - column % tabWidth, ' ');
        } else {
            line += '\t';
        }
        ++p;
    }
}

void CListingWriter::PadToSourceColumn(std::string& line, size_t start) const
{
    const size_t used = line.size() - start;
    if (used < kSourceColumn - 1) {
        line.append(kSourceColumn - 1 - used, ' ');
    }
}

// Lines are composed straight into the file's buffer.
void CListingWriter::EndLine()
{
    file_.Buffer().append("\r\n", 2);
    file_.FlushIfFull();
    CountLine();
}

void CListingWriter::WriteLine(int lineNumber, int32_t address, const uint8_t* bytes, size_t count,
                               std::string_view source)
{
    if (!file_.IsOpen()) {
        return;
    }
    std::string& out = file_.Buffer();
    const size_t start = out.size();
    AppendDecimal(out, lineNumber, 5);
    out += ' ';
    AppendHex(out, static_cast<unsigned>(address) & 0xFFFF, 4);
    for (size_t i = 0; i < count; ++i) {
        out += ' ';
        AppendHex(out, bytes[i], 2);
    }
    PadToSourceColumn(out, start);
    AppendSourceText(out, source);
    EndLine();
}

void CListingWriter::WriteNumberedSource(int lineNumber, std::string_view source)
{
    if (!file_.IsOpen()) {
        return;
    }
    std::string& out = file_.Buffer();
    const size_t start = out.size();
    AppendDecimal(out, lineNumber, 5);
    PadToSourceColumn(out, start);
    AppendSourceText(out, source);
    EndLine();
}

void CListingWriter::WriteSource(std::string_view source)
{
    if (!file_.IsOpen()) {
        return;
    }
    std::string& out = file_.Buffer();
    out.append(kSourceColumn - 1, ' ');
    AppendSourceText(out, source);
    EndLine();
}

void CListingWriter::WriteRaw(std::string_view text)
{
    if (!file_.IsOpen()) {
        return;
    }
    file_.Buffer() += text;
    EndLine();
}

void CListingWriter::WriteHexRecord(int lineNumber, int32_t address, int count, int recordAddress,
                                    const std::vector<uint8_t>& data, std::string_view source)
{
    if (!file_.IsOpen()) {
        return;
    }
    std::string& out = file_.Buffer();
    const size_t start = out.size();
    AppendDecimal(out, lineNumber, 5);
    out += ' ';
    AppendHex(out, static_cast<unsigned>(address) & 0xFFFF, 4);
    out += ' ';
    AppendHex(out, static_cast<unsigned>(count) & 0xFF, 2);
    AppendHex(out, static_cast<unsigned>(recordAddress) & 0xFFFF, 4);
    out += "00";
    PadToSourceColumn(out, start);
    AppendSourceText(out, source);
    EndLine();
    for (size_t i = 0; i < data.size(); i += 4) {
        file_.Buffer().append(11, ' ');
        for (size_t k = i; k < data.size() && k < i + 4; ++k) {
            AppendHex(file_.Buffer(), data[k], 2);
        }
        EndLine();
    }
}

void CListingWriter::WriteDataLines(int lineNumber, int32_t address,
                                    const std::vector<uint8_t>& bytes, size_t perLine,
                                    std::string_view source)
{
    const size_t first = std::min(bytes.size(), perLine);
    WriteLine(lineNumber, address, bytes.data(), first, source);
    if (!file_.IsOpen()) {
        return;
    }
    for (size_t i = first; i < bytes.size(); i += perLine) {
        std::string& out = file_.Buffer();
        out.append(6, ' ');
        AppendHex(out, (static_cast<unsigned>(address) + static_cast<unsigned>(i)) & 0xFFFFu, 4);
        for (size_t k = i; k < bytes.size() && k < i + perLine; ++k) {
            out += ' ';
            AppendHex(out, bytes[k], 2);
        }
        EndLine();
    }
}

void CListingWriter::WriteMessage(std::string_view source, std::string_view text, int kind)
{
    if (!file_.IsOpen()) {
        return;
    }
    file_.Write("\r\n");
    CountLine();
    WriteSource(source);
    file_.Buffer() += kind == 1 ? " **** Warning: " : " **** Error  : ";
    file_.Buffer() += text;
    EndLine();
}

void CListingWriter::WriteSymbolTables(const CSymbolTable& symbols, const CSymbolTable& labels)
{
    auto table = [this](const char* heading, const CSymbolTable& names) {
        file_.Write(heading);
        names.ForEachSorted([this](const SymbolRecord& entry) {
            const SymbolRecord* record = &entry;
            // "  %-40s  %06lX  %ld\r\n"
            std::string& out = file_.Buffer();
            out += "  ";
            out += record->name;
            if (record->name.size() < 40) {
                out.append(40 - record->name.size(), ' ');
            }
            out += "  ";
            const auto value = static_cast<uint32_t>(record->value);
            int digits = 8;
            while (digits > 6 && (value >> (4 * (digits - 1))) == 0) {
                --digits;
            }
            AppendHex(out, value, digits);
            out += "  ";
            AppendDecimal(out, record->value, 0);
            out += "\r\n";
            file_.FlushIfFull();
        });
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
    // "%-10s %5ld\r\n"
    text_ += name;
    if (name.size() < 10) {
        text_.append(10 - name.size(), ' ');
    }
    text_ += ' ';
    AppendDecimal(text_, value, 5);
    text_ += "\r\n";
}

void CSymbolFileWriter::WriteLabel(const std::string& name, int32_t value)
{
    // "%s %ld\r\n"
    text_ += name;
    text_ += ' ';
    AppendDecimal(text_, value, 0);
    text_ += "\r\n";
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
