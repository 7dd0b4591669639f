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
    if (file_ != nullptr && buffer_ == nullptr) {
        capacity_ = kFlushSize + 16384;
        buffer_ = std::make_unique<char[]>(capacity_);
    }
    used_ = 0;
    return file_ != nullptr;
}

void COutFile::Close()
{
    if (file_ != nullptr) {
        Flush();
        std::fclose(file_);
        file_ = nullptr;
    }
    used_ = 0;
}

void COutFile::Flush()
{
    if (file_ != nullptr && used_ > 0) {
        std::fwrite(buffer_.get(), 1, used_, file_);
    }
    used_ = 0;
}

void COutFile::WriteThrough(std::string_view text)
{
    Flush();
    std::fwrite(text.data(), 1, text.size(), file_);
}

void COutFile::MakeRoom(size_t n)
{
    Flush();
    if (capacity_ < n) {
        capacity_ = n;
        buffer_ = std::make_unique<char[]>(capacity_);
    }
}

void COutFile::Printf(const char* format, ...)
{
    if (file_ == nullptr) {
        return;
    }
    va_list args;
    va_start(args, format);
    Write(StrFormatV(format, args));
    va_end(args);
}

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

char* PutHex(char* p, unsigned value, int digits)
{
    for (int i = digits - 1; i >= 0; --i, value >>= 4) {
        p[i] = kHexDigits[value & 0xF];
    }
    return p + digits;
}

// "%*ld": value right-aligned in width columns (at most 24).
char* PutDecimal(char* p, long value, int width)
{
    // Written from the right end of a scratch buffer, then padded on the left.
    char buffer[48];
    char* end = buffer + sizeof buffer;
    char* q = end;
    unsigned long magnitude =
        value < 0 ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    do {
        *--q = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) {
        *--q = '-';
    }
    const int clampedWidth = std::min(width, 24);
    while (end - q < clampedWidth) {
        *--q = ' ';
    }
    const auto n = static_cast<size_t>(end - q);
    std::memcpy(p, q, n);
    return p + n;
}

// A listing line number, "%5d" for the numbers a source can have.
char* PutLineNumber(char* p, int value)
{
    if (value < 0 || value > 99999) {
        return PutDecimal(p, value, 5);
    }
    static constexpr auto kPairs = [] {
        std::array<char, 200> pairs{};
        for (int i = 0; i < 100; ++i) {
            pairs[static_cast<size_t>(2 * i)] = static_cast<char>('0' + i / 10);
            pairs[static_cast<size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
        }
        return pairs;
    }();
    char digits[6];
    const int high = value / 10000;
    const int middle = value / 100 % 100;
    const int low = value % 100;
    digits[0] = static_cast<char>('0' + high);
    std::memcpy(digits + 1, &kPairs[static_cast<size_t>(2 * middle)], 2);
    std::memcpy(digits + 3, &kPairs[static_cast<size_t>(2 * low)], 2);
    // Leading zeros become blanks; the last digit always stays.
    int first = 0;
    while (first < 4 && digits[first] == '0') {
        digits[first++] = ' ';
    }
    std::memcpy(p, digits, 5);
    return p + 5;
}

char* PutText(char* p, std::string_view text)
{
    std::memcpy(p, text.data(), text.size());
    return p + text.size();
}

char* PutBlanks(char* p, size_t n)
{
    std::memset(p, ' ', n);
    return p + n;
}

// Blanks up to the source column of the line that starts at start.
char* PadTo(char* p, const char* start, size_t column)
{
    const auto used = static_cast<size_t>(p - start);
    return used < column ? PutBlanks(p, column - used) : p;
}

} // namespace

void AppendDecimal(std::string& text, long value, int width)
{
    char buffer[48];
    text.append(buffer, static_cast<size_t>(PutDecimal(buffer, value, width) - buffer));
}

// --- HEX -------------------------------------------------------------------

void CHexWriter::Reset()
{
    start_ = 0;
    count_ = 0;
}

void CHexWriter::WriteRecord()
{
    if (file_.IsOpen()) {
        // ":LLAAAA00" + data + checksum + CR LF
        char* const line = file_.Claim(13 + 2 * sizeof bytes_);
        unsigned sum = static_cast<unsigned>(count_) + (start_ >> 8) + (start_ & 0xFF);
        char* p = line;
        *p++ = ':';
        p = PutHex(p, static_cast<unsigned>(count_), 2);
        p = PutHex(p, start_, 4);
        p = PutText(p, "00");
        for (size_t i = 0; i < count_; ++i) {
            p = PutHex(p, bytes_[i], 2);
            sum += bytes_[i];
        }
        p = PutHex(p, (0x100 - (sum & 0xFF)) & 0xFF, 2);
        p = PutText(p, "\r\n");
        file_.Commit(p);
    }
}

void CHexWriter::AddByte(uint8_t value)
{
    bytes_[count_++] = value;
    if (count_ == sizeof bytes_) {
        WriteRecord();
        start_ = static_cast<uint16_t>(start_ + count_);
        count_ = 0;
    }
}

void CHexWriter::Flush(int32_t address)
{
    if (count_ > 0) {
        WriteRecord();
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
    std::string out;
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
    file_.Write(out);
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

size_t CListingWriter::LineRoom(size_t prefix, std::string_view source) const
{
    // A tab takes at most tabWidth columns; the line end two more.
    return std::max<size_t>(prefix, kSourceColumn) +
           source.size() * static_cast<size_t>(std::max(tabWidth, 1)) + 2;
}

char* CListingWriter::PutSourceText(char* p, std::string_view source) const
{
    const char* const start = p;
    const char* s = source.data();
    const char* end = s + source.size();
    while (s < end) {
        const char* run = s;
        while (s < end && !kSourceStops[static_cast<unsigned char>(*s)]) {
            ++s;
        }
        p = PutText(p, std::string_view(run, static_cast<size_t>(s - run)));
        if (s == end || *s != '\t') {
            return p; // the line end
        }
        if (tabWidth > 0) {
            const auto column = static_cast<size_t>(p - start);
            p = PutBlanks(p, static_cast<size_t>(tabWidth) - column % tabWidth);
        } else {
            *p++ = '\t';
        }
        ++s;
    }
    return p;
}

// Lines are composed straight into the file's buffer.
void CListingWriter::EndLine(char* p)
{
    p = PutText(p, "\r\n");
    file_.Commit(p);
    CountLine();
}

void CListingWriter::WriteLine(int lineNumber, int32_t address, const uint8_t* bytes, size_t count,
                               std::string_view source)
{
    if (!file_.IsOpen()) {
        return;
    }
    char* const line = file_.Claim(LineRoom(12 + 3 * count, source));
    char* p = PutLineNumber(line, lineNumber);
    *p++ = ' ';
    p = PutHex(p, static_cast<unsigned>(address) & 0xFFFF, 4);
    for (size_t i = 0; i < count; ++i) {
        *p++ = ' ';
        p = PutHex(p, bytes[i], 2);
    }
    p = PadTo(p, line, kSourceColumn - 1);
    EndLine(PutSourceText(p, source));
}

void CListingWriter::WriteNumberedSource(int lineNumber, std::string_view source)
{
    if (!file_.IsOpen()) {
        return;
    }
    char* const line = file_.Claim(LineRoom(24, source));
    char* p = PutLineNumber(line, lineNumber);
    p = PadTo(p, line, kSourceColumn - 1);
    EndLine(PutSourceText(p, source));
}

void CListingWriter::WriteSource(std::string_view source)
{
    if (!file_.IsOpen()) {
        return;
    }
    char* p = PutBlanks(file_.Claim(LineRoom(0, source)), kSourceColumn - 1);
    EndLine(PutSourceText(p, source));
}

void CListingWriter::WriteRaw(std::string_view text)
{
    if (!file_.IsOpen()) {
        return;
    }
    EndLine(PutText(file_.Claim(text.size() + 2), text));
}

void CListingWriter::WriteHexRecord(int lineNumber, int32_t address, int count, int recordAddress,
                                    const std::vector<uint8_t>& data, std::string_view source)
{
    if (!file_.IsOpen()) {
        return;
    }
    char* const line = file_.Claim(LineRoom(24, source));
    char* p = PutLineNumber(line, lineNumber);
    *p++ = ' ';
    p = PutHex(p, static_cast<unsigned>(address) & 0xFFFF, 4);
    *p++ = ' ';
    p = PutHex(p, static_cast<unsigned>(count) & 0xFF, 2);
    p = PutHex(p, static_cast<unsigned>(recordAddress) & 0xFFFF, 4);
    p = PutText(p, "00");
    p = PadTo(p, line, kSourceColumn - 1);
    EndLine(PutSourceText(p, source));
    for (size_t i = 0; i < data.size(); i += 4) {
        p = PutBlanks(file_.Claim(11 + 8 + 2), 11);
        for (size_t k = i; k < data.size() && k < i + 4; ++k) {
            p = PutHex(p, data[k], 2);
        }
        EndLine(p);
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
        char* p = PutBlanks(file_.Claim(6 + 4 + 3 * perLine + 2), 6);
        p = PutHex(p, (static_cast<unsigned>(address) + static_cast<unsigned>(i)) & 0xFFFFu, 4);
        for (size_t k = i; k < bytes.size() && k < i + perLine; ++k) {
            *p++ = ' ';
            p = PutHex(p, bytes[k], 2);
        }
        EndLine(p);
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
    const std::string_view label = kind == 1 ? " **** Warning: " : " **** Error  : ";
    char* p = PutText(file_.Claim(label.size() + text.size() + 2), label);
    EndLine(PutText(p, text));
}

void CListingWriter::WriteSymbolTables(const CSymbolTable& symbols, const CSymbolTable& labels)
{
    auto table = [this](const char* heading, const CSymbolTable& names) {
        file_.Write(heading);
        names.ForEachSorted([this](const SymbolRecord& entry) {
            // "  %-40s  %06lX  %ld\r\n"
            char* const line = file_.Claim(entry.name.size() + 80);
            char* p = PutText(PutBlanks(line, 2), entry.name);
            p = PadTo(p, line, 42);
            p = PutBlanks(p, 2);
            const auto value = static_cast<uint32_t>(entry.value);
            int digits = 8;
            while (digits > 6 && (value >> (4 * (digits - 1))) == 0) {
                --digits;
            }
            p = PutBlanks(PutHex(p, value, digits), 2);
            p = PutText(PutDecimal(p, entry.value, 0), "\r\n");
            file_.Commit(p);
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
