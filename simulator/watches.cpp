#include "simulator/watches.h"

#include "common/ext_file.h"
#include "common/message_sink.h"
#include "common/text_util.h"
#include "simulator/assembler_link.h"
#include "simulator/simulator.h"
#include "simulator/value_format.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

namespace {

// Highest valid location of each resource type.
constexpr std::array<int64_t, 5> kHighestLocation = {12, 0xFF, 0xFF, 0xFFFF, 2};
constexpr int32_t kRegisterPc = 11;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool InRange(int32_t resource, int64_t location)
{
    return resource >= 0 && resource < static_cast<int32_t>(kHighestLocation.size()) &&
           location >= 0 && location <= kHighestLocation[resource];
}

// The decimal digit run at pos, saturating instead of wrapping so that a
// long run never turns into a small, valid-looking number.
int32_t ReadDigitRun(std::string_view text, size_t& pos)
{
    constexpr int32_t kSaturated = std::numeric_limits<int32_t>::max();
    int32_t number = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        const int32_t digit = text[pos] - '0';
        number = number > (kSaturated - digit) / 10 ? kSaturated : number * 10 + digit;
    }
    return number;
}

template <size_t N>
int32_t IndexOfName(const std::array<std::string_view, N>& names, std::string_view name)
{
    for (size_t i = 0; i < N; ++i) {
        if (EqualsNoCase(names[i], name)) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

// The byte order may come from a file or SetWatch: only offsets inside the
// value may index its bytes.
bool OrderFits(const WatchRecordType& watch, int bytes)
{
    return std::all_of(watch.byteOrder.begin(), watch.byteOrder.begin() + bytes,
                       [bytes](int32_t offset) { return offset >= 0 && offset < bytes; });
}

int32_t DisplayedFormat(const WatchRecordType& watch)
{
    // Registers are single units: PC and DPTR already hold their whole value.
    if (watch.resourceType == kWatchRegister &&
        (watch.format == kWatchWord || watch.format == kWatchDoubleWord)) {
        return kWatchByte;
    }
    return watch.format;
}

} // namespace

std::array<int32_t, 4> CWatchList::ParseByteOrder(std::string_view text, int32_t format)
{
    std::array<int32_t, 4> order = {0, 1, 2, 3};
    size_t pos = 0;
    for (size_t k = 0; k < order.size() && pos < text.size(); ++k) {
        order[k] = ReadDigitRun(text, pos);
        while (pos < text.size() && !IsDigit(text[pos])) {
            ++pos;
        }
    }
    WatchRecordType probe;
    probe.byteOrder = order;
    const bool bad = (format == kWatchWord && !OrderFits(probe, 2)) ||
                     (format == kWatchDoubleWord && !OrderFits(probe, 4));
    if (bad) {
        if (sink_ != nullptr) {
            sink_->ShowMessage(kByteOrderMessage, IMessageSink::Severity::kWarning);
        }
        order = {0, 1, 2, 3};
    }
    return order;
}

int CWatchList::AddWatch(std::string_view name, int32_t resourceType, int32_t format,
                         int32_t bitIndex, std::string_view byteOrderText, int32_t nullTerminated,
                         int32_t stringLength, DisplayRadix radix, int index)
{
    revision_.Raise();
    if (index >= WatchCount()) {
        return -1;
    }
    WatchRecordType record;
    record.resourceType = resourceType;
    record.format = format;
    record.bitIndex = bitIndex;
    record.location = -1;
    record.byteOrder = ParseByteOrder(byteOrderText, format);
    record.nullTerminated = nullTerminated;
    record.stringLength = stringLength;
    record.radix = RadixCode(radix);
    record.name = std::string(name);
    if (index < 0) {
        watches_.push_back(std::move(record));
        return WatchCount() - 1;
    }
    watches_[index] = std::move(record);
    return index;
}

void CWatchList::DeleteWatch(int index)
{
    revision_.Raise();
    if (Valid(index)) {
        watches_.erase(watches_.begin() + index);
    }
}

void CWatchList::MoveWatch(int index, int step)
{
    revision_.Raise();
    const int other = index + step;
    if ((step == 1 || step == -1) && Valid(index) && Valid(other)) {
        std::swap(watches_[index], watches_[other]);
    }
}

std::optional<WatchRecordType> CWatchList::GetWatch(int index) const
{
    if (!Valid(index)) {
        return std::nullopt;
    }
    return watches_[index];
}

void CWatchList::SetWatch(int index, const WatchRecordType& record)
{
    revision_.Raise();
    if (Valid(index)) {
        watches_[index] = record;
    }
}

void CWatchList::InvalidateWatchLocations()
{
    for (WatchRecordType& watch : watches_) {
        watch.location = -1;
    }
}

int32_t CWatchList::Evaluate(std::string_view text)
{
    if (resolver_ == nullptr) {
        return -1;
    }
    return resolver_->EvaluateDefined(text, true).value_or(-1);
}

int32_t CWatchList::ResolveDirect(WatchRecordType& watch)
{
    if (resolver_ == nullptr) {
        return -1;
    }
    auto bitLocation = [&watch](int32_t bit) -> int32_t {
        if (bit < 0 || bit > 0xFF) {
            return -1;
        }
        watch.bitIndex = bit & 7;
        return CSim8051::BitByteAddress(static_cast<uint8_t>(bit));
    };
    int32_t value = 0;
    if (const auto symbol = resolver_->FindSymbol(watch.name)) {
        // An untyped memory class with type bit is a bit of the direct space.
        if (symbol->type == 4 && symbol->memType == 255) {
            return bitLocation(symbol->value);
        }
        value = symbol->value;
    } else if (const int32_t bit = resolver_->FindBitName(watch.name); bit >= 0) {
        return bitLocation(bit);
    } else {
        value = Evaluate(watch.name);
    }
    if (watch.format == kWatchBit && value >= 0 && value < 0x80) {
        watch.bitIndex = value & 7;
        return 0x20 + value / 8;
    }
    return value;
}

void CWatchList::Resolve(WatchRecordType& watch)
{
    const std::string_view name = watch.name;
    int32_t location = -1;
    if (name.empty()) {
        location = -1; // nothing to look up; the evaluator would say 0
    } else if (IsDigit(name.front())) {
        location = Evaluate(name);
    } else if (watch.resourceType == kWatchRegister) {
        location = IndexOfName(RegisterNames, name);
    } else if (watch.resourceType == kWatchDirectMemory) {
        location = ResolveDirect(watch);
    } else if (watch.resourceType == kWatchIndirectMemory ||
               watch.resourceType == kWatchExternalMemory) {
        const auto symbol = resolver_ != nullptr ? resolver_->FindSymbol(name) : std::nullopt;
        location = symbol ? symbol->value : Evaluate(name);
    } else if (watch.resourceType == kWatchSimulationResult) {
        location = IndexOfName(ResultNames, name);
    }
    watch.location = location;
}

int64_t CWatchList::ReadUnit(int32_t resource, int64_t location) const
{
    if (!InRange(resource, location)) {
        return -1;
    }
    const CSim8051& sim = simulation_.Processor();
    const auto at = static_cast<uint32_t>(location);
    switch (resource) {
    case kWatchRegister:
        return sim.ReadRegister(static_cast<int>(at));
    case kWatchIndirectMemory:
        return sim.ReadIndirect(at);
    case kWatchDirectMemory:
        return sim.ReadDirect(at);
    case kWatchExternalMemory:
        return sim.ReadExternal(at, false, false);
    default:
        return sim.ReadResult(static_cast<int>(at));
    }
}

void CWatchList::WriteUnit(int32_t resource, int64_t location, uint32_t value)
{
    if (!InRange(resource, location)) {
        return;
    }
    CSim8051& sim = simulation_.Processor();
    simulation_.MarkChanged();
    const auto at = static_cast<uint32_t>(location);
    switch (resource) {
    case kWatchRegister:
        if (at == kRegisterPc) {
            simulation_.SetPc(value & 0xFFFF); // the new PC is where the simulation stands
        } else {
            sim.WriteRegister(static_cast<int>(at), value);
        }
        break;
    case kWatchIndirectMemory:
        sim.WriteIndirect(at, value);
        break;
    case kWatchDirectMemory:
        sim.WriteDirect(at, value);
        break;
    case kWatchExternalMemory:
        sim.WriteExternal(at & 0xFFFF, value, false, false);
        break;
    default:
        sim.WriteResult(static_cast<int>(at), value);
        break;
    }
}

std::optional<uint32_t> CWatchList::AssembleValue(const WatchRecordType& watch, int bytes) const
{
    if (!OrderFits(watch, bytes)) {
        return std::nullopt;
    }
    std::array<int64_t, 4> units{};
    for (int i = 0; i < bytes; ++i) {
        units[i] = ReadUnit(watch.resourceType, int64_t{watch.location} + i);
        if (units[i] < 0) {
            return std::nullopt;
        }
    }
    uint64_t value = 0;
    for (int k = 0; k < bytes; ++k) {
        value = value * 256 + static_cast<uint64_t>(units[watch.byteOrder[k]]);
    }
    return static_cast<uint32_t>(value);
}

std::string CWatchList::FormatValue(const WatchRecordType& watch, int32_t format, size_t room) const
{
    const int32_t resource = watch.resourceType;
    const int64_t first = watch.location;
    std::string out;
    switch (format) {
    case kWatchByte:
        FormatByte(out, static_cast<uint32_t>(ReadUnit(resource, first)),
                   RadixFromCode(watch.radix), defaultRadix_);
        return out;
    case kWatchWord:
        if (const auto value = AssembleValue(watch, 2)) {
            FormatWord(out, *value, RadixFromCode(watch.radix), defaultRadix_);
            return out;
        }
        return "***";
    case kWatchDoubleWord:
        if (const auto value = AssembleValue(watch, 4)) {
            FormatDoubleWord(out, *value, RadixFromCode(watch.radix), defaultRadix_);
            return out;
        }
        return "***";
    case kWatchString:
        for (int64_t i = 0; out.size() < room; ++i) {
            if (watch.nullTerminated == 0 && i >= watch.stringLength) {
                break;
            }
            const int64_t unit = ReadUnit(resource, first + i);
            if (unit <= 0) {
                break; // the terminating zero, or the end of the resource
            }
            out.push_back(static_cast<char>(unit));
        }
        return out;
    case kWatchBit:
        if (watch.bitIndex < 0 || watch.bitIndex > 7) {
            return "***";
        }
        return ((ReadUnit(resource, first) >> watch.bitIndex) & 1) ? "1" : "0";
    default:
        return "***";
    }
}

std::string CWatchList::FormatWatch(int index, size_t capacity)
{
    if (!Valid(index)) {
        return {};
    }
    WatchRecordType& watch = watches_[index];
    std::string line = watch.name + ' ';
    if (line.size() < 6) {
        line.resize(6, ' ');
    }
    if (watch.location == -1) {
        Resolve(watch);
    }
    if (watch.location == -1 || ReadUnit(watch.resourceType, watch.location) < 0) {
        line += "***";
    } else {
        const size_t room = capacity > line.size() ? capacity - line.size() : 0;
        line += FormatValue(watch, DisplayedFormat(watch), room);
    }
    if (line.size() > capacity) {
        line.resize(capacity);
    }
    return line;
}

void CWatchList::WriteValue(const WatchRecordType& watch, int32_t format, std::string_view text)
{
    const int32_t resource = watch.resourceType;
    const int64_t first = watch.location;
    if (format == kWatchString) {
        const int64_t count =
            watch.nullTerminated != 0 ? static_cast<int64_t>(text.size()) : watch.stringLength;
        // A length beyond the resource stops at its end instead of looping on.
        for (int64_t i = 0; i < count && InRange(resource, first + i); ++i) {
            const char c = i < static_cast<int64_t>(text.size()) ? text[i] : ' ';
            WriteUnit(resource, first + i, static_cast<unsigned char>(c));
        }
        return;
    }
    if (resolver_ == nullptr) {
        return;
    }
    int64_t result = resolver_->EvaluateText(text, true);
    // The evaluator adds 10000h to a negative result; a double word needs
    // the 32 bits the user typed back.
    if (format == kWatchDoubleWord && result < 0) {
        result -= 0x10000;
    }
    const auto value = static_cast<uint32_t>(result);
    switch (format) {
    case kWatchByte:
        WriteUnit(resource, first, value);
        break;
    case kWatchWord:
    case kWatchDoubleWord: {
        const int bytes = format == kWatchWord ? 2 : 4;
        if (!OrderFits(watch, bytes)) {
            break;
        }
        // The least significant byte goes to the offset named last.
        for (int k = bytes - 1; k >= 0; --k) {
            const int shift = 8 * (bytes - 1 - k);
            WriteUnit(resource, first + watch.byteOrder[k], (value >> shift) & 0xFF);
        }
        break;
    }
    case kWatchBit: {
        const int64_t unit = ReadUnit(resource, first);
        if (unit < 0 || watch.bitIndex < 0 || watch.bitIndex > 7) {
            break;
        }
        const uint32_t mask = 1u << watch.bitIndex;
        const auto old = static_cast<uint32_t>(unit);
        WriteUnit(resource, first, value != 0 ? (old | mask) : (old & ~mask));
        break;
    }
    default:
        break;
    }
}

void CWatchList::WriteWatch(int index, std::string_view text)
{
    if (!Valid(index)) {
        return;
    }
    WatchRecordType& watch = watches_[index];
    if (watch.location == -1) {
        Resolve(watch);
    }
    if (watch.location != -1) {
        WriteValue(watch, DisplayedFormat(watch), text);
    }
}

namespace {

constexpr size_t kWatchFileLineLimit = 510;
// Eleven numbers of up to eleven characters, each followed by ", ".
constexpr size_t kWidestSavedNumbers = 11 * (11 + 2);

// What a saved line keeps of a name: a line end or a zero would split or cut
// the line, and a line longer than a read takes would come back as two
// watches. Loading keeps the same, so a list saved and loaded is unchanged.
std::string_view SavedName(std::string_view name)
{
    name = name.substr(0, name.find_first_of(std::string_view("\r\n\0", 3)));
    return name.substr(0, kWatchFileLineLimit - kWidestSavedNumbers);
}

WatchRecordType ParseWatchLine(std::string_view line)
{
    WatchRecordType watch;
    const std::array<int32_t*, 11> fields = {
        &watch.resourceType,   &watch.format,       &watch.bitIndex,     &watch.location,
        &watch.byteOrder[0],   &watch.byteOrder[1], &watch.byteOrder[2], &watch.byteOrder[3],
        &watch.nullTerminated, &watch.stringLength, &watch.radix};
    size_t pos = 0;
    for (int32_t* field : fields) {
        while (pos < line.size() && !IsDigit(line[pos])) {
            ++pos;
        }
        *field = ReadDigitRun(line, pos);
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == ',')) {
            ++pos;
        }
    }
    watch.name = std::string(SavedName(line.substr(pos)));
    return watch;
}

} // namespace

bool CWatchList::SaveWatches(const std::filesystem::path& path) const
{
    std::string text;
    for (const WatchRecordType& w : watches_) {
        const std::string_view name = SavedName(w.name);
        text += StrFormat("%d, %d, %d, %d, %d, %d, %d, %d, %d, %d, %d, %.*s\r\n", w.resourceType,
                          w.format, w.bitIndex, w.location, w.byteOrder[0], w.byteOrder[1],
                          w.byteOrder[2], w.byteOrder[3], w.nullTerminated, w.stringLength, w.radix,
                          static_cast<int>(name.size()), name.data());
    }
    // Written beside the old file and renamed over it, so a failed save
    // leaves the old list intact.
    std::error_code ec;
    std::filesystem::path temp = path;
    temp += ".~sav";
    std::filesystem::remove(temp, ec);
    std::FILE* file = std::fopen(temp.c_str(), "wbx");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (written && closed) {
        std::filesystem::rename(temp, path, ec);
        if (!ec) {
            return true;
        }
    }
    std::filesystem::remove(temp, ec);
    return false;
}

void CWatchList::LoadWatches(const std::filesystem::path& path)
{
    revision_.Raise();
    watches_.clear();
    CExtFile file;
    if (!file.Open(path)) {
        return;
    }
    std::string line;
    while (file.ReadLine(line, kWatchFileLineLimit, false)) {
        if (!line.empty()) {
            watches_.push_back(ParseWatchLine(line));
        }
    }
    InvalidateWatchLocations();
}
