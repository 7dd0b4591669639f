#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/revision.h"
#include "simulator/value_format.h"

class CSimulator;
class IMessageSink;
class ISymbolResolver;

enum WatchResource : int32_t
{
    kWatchRegister = 0,
    kWatchIndirectMemory = 1,
    kWatchDirectMemory = 2,
    kWatchExternalMemory = 3,
    kWatchSimulationResult = 4,
};

enum WatchFormat : int32_t
{
    kWatchByte = 0,
    kWatchWord = 1,
    kWatchDoubleWord = 2,
    kWatchString = 3,
    kWatchBit = 4,
};

// One watch, its fields in the order of WATCH.DAT.
struct WatchRecordType
{
    int32_t resourceType = kWatchDirectMemory;
    int32_t format = kWatchByte;
    int32_t bitIndex = 0;
    int32_t location = -1; // resolved address or index; -1 until resolved
    std::array<int32_t, 4> byteOrder = {0, 1, 2, 3};
    int32_t nullTerminated = 0;
    int32_t stringLength = 0;
    int32_t radix = 0; // a DisplayRadix code, as WATCH.DAT stores it
    std::string name;

    bool operator==(const WatchRecordType&) const = default;
};

inline constexpr const char* kByteOrderMessage = "Invalid values specified for watch byte order.";
// The watch window shows at most this many characters of a line.
inline constexpr size_t kWatchLineCapacity = 77;

// The ordered watch list of the simulation: resolves each name to a location
// of the simulated processor, formats and writes its value, and keeps the
// list in WATCH.DAT.
class CWatchList
{
public:
    explicit CWatchList(CSimulator& simulation) : simulation_(simulation) {}
    CWatchList(const CWatchList&) = delete;
    CWatchList& operator=(const CWatchList&) = delete;

    void SetSymbolResolver(ISymbolResolver* resolver) { resolver_ = resolver; }
    void SetMessageSink(IMessageSink* sink) { sink_ = sink; }
    // The application's default radix, used by watches set to Default.
    void SetDefaultRadix(DisplayRadix radix) { defaultRadix_ = radix; }

    // index < 0 appends, a valid index replaces (Modify Watch); returns the
    // record's index, or -1 for an index past the end.
    int AddWatch(std::string_view name, int32_t resourceType, int32_t format, int32_t bitIndex,
                 std::string_view byteOrderText, int32_t nullTerminated, int32_t stringLength,
                 DisplayRadix radix, int index);
    void DeleteWatch(int index);
    void MoveWatch(int index, int step);
    std::optional<WatchRecordType> GetWatch(int index) const;
    void SetWatch(int index, const WatchRecordType& record);
    int WatchCount() const { return static_cast<int>(watches_.size()); }
    // Raised when watches are added, removed, moved, replaced or loaded; the
    // values follow the simulator's revision.
    const CRevision& Revision() const { return revision_; }

    std::string FormatWatch(int index, size_t capacity = kWatchLineCapacity);
    void WriteWatch(int index, std::string_view text);
    void InvalidateWatchLocations();

    // False when the file cannot be written; an older file is then kept.
    bool SaveWatches(const std::filesystem::path& path) const;
    void LoadWatches(const std::filesystem::path& path);

private:
    bool Valid(int index) const { return index >= 0 && index < WatchCount(); }
    std::array<int32_t, 4> ParseByteOrder(std::string_view text, int32_t format);
    void Resolve(WatchRecordType& watch);
    int32_t ResolveDirect(WatchRecordType& watch);
    int32_t Evaluate(std::string_view text);
    int64_t ReadUnit(int32_t resource, int64_t location) const;
    void WriteUnit(int32_t resource, int64_t location, uint32_t value);
    // A Word or Double Word in byte order; empty when a unit cannot be read.
    std::optional<uint32_t> AssembleValue(const WatchRecordType& watch, int bytes) const;
    std::string FormatValue(const WatchRecordType& watch, int32_t format, size_t room) const;
    void WriteValue(const WatchRecordType& watch, int32_t format, std::string_view text);

    CSimulator& simulation_;
    ISymbolResolver* resolver_ = nullptr;
    IMessageSink* sink_ = nullptr;
    DisplayRadix defaultRadix_ = DisplayRadix::kDecimal;
    std::vector<WatchRecordType> watches_;
    CRevision revision_;
};
