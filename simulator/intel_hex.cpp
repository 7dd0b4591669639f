#include "simulator/intel_hex.h"

#include "common/ext_file.h"
#include "common/text_util.h"
#include "simulator/code_memory.h"

#include <algorithm>

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

std::string_view Trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string Shown(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 0x21 && u < 0x7F) ? std::string(1, c) : StrFormat("\\x%02X", u);
}

enum RecordKind : uint8_t
{
    kData = 0,
    kEnd = 1,
    kSegment = 2,
    kSegmentStart = 3,
    kLinear = 4,
    kLinearStart = 5,
};

void AppendRecord(std::string& out, uint32_t address, const uint8_t* data, size_t count)
{
    unsigned sum = static_cast<unsigned>(count) + (address >> 8) + (address & 0xFF);
    auto put = [&](unsigned byte) {
        out += kDigits[(byte >> 4) & 0xF];
        out += kDigits[byte & 0xF];
    };
    out += ':';
    put(static_cast<unsigned>(count));
    put((address >> 8) & 0xFF);
    put(address & 0xFF);
    put(kData);
    for (size_t i = 0; i < count; ++i) {
        put(data[i]);
        sum += data[i];
    }
    put((0x100 - (sum & 0xFF)) & 0xFF);
    out += "\r\n";
}

} // namespace

int IntelHexDigitValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

size_t IntelHexImageType::WrittenCount() const
{
    return static_cast<size_t>(std::count(written.begin(), written.end(), true));
}

void CIntelHexReader::Fail(std::string text)
{
    result_.errorLine = line_;
    result_.error = std::move(text);
}

bool CIntelHexReader::DecodeBytes(std::string_view digits, std::vector<uint8_t>& bytes)
{
    for (char c : digits) {
        if (IntelHexDigitValue(c) < 0) {
            Fail("bad hex digit '" + Shown(c) + "'");
            return false;
        }
    }
    if (digits.size() % 2 != 0) {
        Fail("odd number of hex digits");
        return false;
    }
    bytes.clear();
    for (size_t i = 0; i < digits.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(IntelHexDigitValue(digits[i]) << 4 |
                                             IntelHexDigitValue(digits[i + 1])));
    }
    return true;
}

void CIntelHexReader::AddLine(std::string_view raw)
{
    ++line_;
    if (!WantsMore()) {
        return;
    }
    if (raw.size() > kMaxLine) {
        Fail("line too long for a record");
        return;
    }
    const std::string_view line = Trim(raw);
    if (line.empty()) {
        return;
    }
    if (line.front() != ':') {
        Fail("a record starts with ':', not '" + Shown(line.front()) + "'");
        return;
    }
    std::vector<uint8_t> record;
    if (!DecodeBytes(line.substr(1), record)) {
        return;
    }
    if (record.size() < 5) {
        Fail("record too short");
        return;
    }
    const size_t count = record[0];
    if (record.size() != count + 5) {
        Fail(StrFormat("byte count %02X does not match the record's %zu data bytes",
                       static_cast<unsigned>(count), record.size() - 5));
        return;
    }
    unsigned sum = 0;
    for (size_t i = 0; i + 1 < record.size(); ++i) {
        sum += record[i];
    }
    const unsigned expected = (0x100 - (sum & 0xFF)) & 0xFF;
    if (record.back() != expected) {
        Fail(StrFormat("checksum %02X, the record needs %02X", record.back(), expected));
        return;
    }
    Apply(record);
}

void CIntelHexReader::Apply(const std::vector<uint8_t>& record)
{
    const size_t count = record[0];
    const uint32_t offset = uint32_t{record[1]} << 8 | record[2];
    const uint8_t* data = record.data() + 4;
    const uint32_t word = count >= 2 ? (uint32_t{data[0]} << 8 | data[1]) : 0;
    switch (record[3]) {
    case kData: {
        const uint32_t address = base_ + offset;
        if (address + count > IntelHexImageType::kSize) {
            Fail(StrFormat("%zu bytes at %04X run past 64 KB", count, address));
            return;
        }
        for (size_t i = 0; i < count; ++i) {
            result_.image.Set(address + static_cast<uint32_t>(i), data[i]);
        }
        return;
    }
    case kEnd:
        if (count != 0) {
            Fail("end record with data");
            return;
        }
        done_ = true;
        return;
    case kSegment:
    case kLinear:
        if (count != 2) {
            Fail("extended address record without its 2 bytes");
            return;
        }
        base_ = record[3] == kSegment ? word << 4 : word << 16;
        if (base_ >= IntelHexImageType::kSize) {
            Fail(StrFormat("extended address %04X lies past 64 KB", word));
        }
        return;
    case kSegmentStart:
    case kLinearStart:
        if (count != 4) {
            Fail("start address record without its 4 bytes");
        }
        return;
    default:
        Fail(StrFormat("unknown record type %02X", record[3]));
        return;
    }
}

IntelHexReadType CIntelHexReader::Finish()
{
    if (result_.Ok() && !done_) {
        line_ += 1;
        Fail("no end record (:00000001FF)");
    }
    return std::move(result_);
}

IntelHexReadType ReadIntelHex(std::string_view text)
{
    CIntelHexReader reader;
    size_t start = 0;
    while (start < text.size() && reader.WantsMore()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        reader.AddLine(text.substr(start, end - start));
        // CR LF is one line end; CR or LF alone is one too.
        start = end + ((text.substr(end, 2) == "\r\n") ? 2 : 1);
    }
    return reader.Finish();
}

IntelHexReadType ReadIntelHexFile(const std::filesystem::path& path)
{
    CExtFile file;
    if (!file.Open(path)) {
        IntelHexReadType result;
        result.error = "cannot read " + path.string();
        return result;
    }
    CIntelHexReader reader;
    std::string line;
    // One more than a record can take, so an overlong line is seen whole.
    while (reader.WantsMore() && file.ReadLine(line, CIntelHexReader::kMaxLine + 1, false)) {
        reader.AddLine(line);
    }
    return reader.Finish();
}

std::string WriteIntelHex(const IntelHexImageType& image)
{
    std::string out;
    uint32_t address = 0;
    while (address < IntelHexImageType::kSize) {
        if (!image.written[address]) {
            ++address;
            continue;
        }
        uint32_t end = address;
        while (end < IntelHexImageType::kSize && end - address < 16 && image.written[end]) {
            ++end;
        }
        AppendRecord(out, address, image.bytes.data() + address, end - address);
        address = end;
    }
    out += ":00000001FF\r\n";
    return out;
}

void StoreIntelHexImage(const IntelHexImageType& image, CCodeMemory& code)
{
    for (uint32_t address = 0; address < IntelHexImageType::kSize; ++address) {
        if (image.written[address]) {
            code.StoreCode(static_cast<int32_t>(address), image.bytes[address], -1, -1, 1, false);
        }
    }
}
