#include "views/add_watch_model.h"

#include <algorithm>

#include "assembler/sfr_names.h"
#include "common/settings_keys.h"
#include "common/text_util.h"
#include "simulator/assembler_link.h"
#include "simulator/sim8051.h"

namespace {

constexpr int32_t kResourceTypes = 5;
constexpr int32_t kFormats = 5;
constexpr int32_t kRadixes = 5;
constexpr uint8_t kNoMemoryClass = 255;
constexpr uint8_t kBitType = 4;
constexpr size_t kLengthDigits = 5;
constexpr int32_t kLengthLimit = 65535;

template <size_t N> bool InNames(const std::array<std::string_view, N>& names, std::string_view s)
{
    return std::any_of(names.begin(), names.end(),
                       [s](std::string_view name) { return EqualsNoCase(name, s); });
}

template <size_t N> std::vector<std::string> NameList(const std::array<std::string_view, N>& names)
{
    return {names.begin(), names.end()};
}

} // namespace

void CAddWatchModel::Open(const WatchFieldsType& fields)
{
    fields_ = fields;
    fields_.bitIndex = fields_.bitIndex < 0 ? 0 : std::min(fields_.bitIndex, 7);
    fields_.format = fields_.format < 0 || fields_.format >= kFormats ? 0 : fields_.format;
    fields_.radix = std::clamp(fields_.radix, 0, kRadixes - 1);
    if (fields_.name.size() > kNameLimit) {
        fields_.name.resize(kNameLimit);
    }
    if (fields_.resourceType < 0 || fields_.resourceType >= kResourceTypes) {
        fields_.resourceType = -1;
        DeriveResourceType();
    }
    if (fields_.byteOrderText.empty()) {
        LoadByteOrder();
    }
}

void CAddWatchModel::DeriveResourceType()
{
    const std::string& name = fields_.name;
    if (name.empty()) {
        return;
    }
    if (InNames(RegisterNames, name)) {
        fields_.resourceType = kWatchRegister;
    } else if (const int32_t bit = resolver_.FindBitName(name); bit >= 0) {
        fields_.resourceType = kWatchDirectMemory;
        fields_.format = kWatchBit;
        fields_.bitIndex = bit & 7;
    } else if (resolver_.FindSfrName(name) >= 0) {
        fields_.resourceType = kWatchDirectMemory;
    } else if (const std::optional<SymbolRecord> symbol = resolver_.FindSymbol(name)) {
        switch (symbol->memType) {
        case 1:
            fields_.resourceType = kWatchIndirectMemory;
            break;
        case 2:
            fields_.resourceType = kWatchDirectMemory;
            break;
        case 3:
            fields_.resourceType = kWatchExternalMemory;
            break;
        default:
            // A bit without a memory class is a bit of the direct space.
            if (symbol->memType == kNoMemoryClass && symbol->type == kBitType) {
                fields_.resourceType = kWatchDirectMemory;
            }
            break;
        }
        if (symbol->type <= kWatchDoubleWord) {
            fields_.format = symbol->type;
        } else if (symbol->type == kBitType) {
            fields_.format = kWatchBit;
            fields_.bitIndex = symbol->value & 7;
        }
    }
}

void CAddWatchModel::LoadByteOrder()
{
    if (fields_.format == kWatchWord) {
        fields_.byteOrderText = ReadSetting(settings_, settings::kWordByteOrder);
    } else if (fields_.format == kWatchDoubleWord) {
        fields_.byteOrderText = ReadSetting(settings_, settings::kDWordByteOrder);
    }
}

void CAddWatchModel::SetName(std::string name)
{
    if (name.size() > kNameLimit) {
        name.resize(kNameLimit);
    }
    fields_.name = std::move(name);
}

void CAddWatchModel::SetResourceType(int32_t type)
{
    if (type >= 0 && type < kResourceTypes) {
        fields_.resourceType = type;
    }
}

void CAddWatchModel::SetFormat(int32_t format)
{
    if (format < 0 || format >= kFormats || format == fields_.format) {
        return;
    }
    fields_.format = format;
    LoadByteOrder();
}

void CAddWatchModel::SetBitIndex(int32_t index)
{
    fields_.bitIndex = std::clamp(index, 0, 7);
}

void CAddWatchModel::SetRadix(int32_t radix)
{
    fields_.radix = std::clamp(radix, 0, kRadixes - 1);
}

bool CAddWatchModel::SetStringLengthText(const std::string& text)
{
    if (text.empty() || text.size() > kLengthDigits ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    const int32_t length = std::stoi(text);
    if (length > kLengthLimit) {
        return false;
    }
    fields_.stringLength = length;
    return true;
}

void CAddWatchModel::PickAddress(const std::string& entry)
{
    SetName(entry);
    if (fields_.resourceType == kWatchDirectMemory && fields_.format == kWatchBit) {
        if (const int32_t bit = resolver_.FindBitName(entry); bit >= 0) {
            fields_.bitIndex = bit & 7;
        }
    }
}

std::vector<std::string> CAddWatchModel::AddressList() const
{
    std::vector<std::string> names;
    switch (fields_.resourceType) {
    case kWatchRegister:
        return NameList(RegisterNames);
    case kWatchDirectMemory:
        for (const NamedAddress& entry :
             fields_.format == kWatchBit ? BitNameTable() : SfrNameTable()) {
            names.push_back(entry.name);
        }
        return names;
    case kWatchSimulationResult:
        return NameList(ResultNames);
    default:
        return names;
    }
}

AddWatchEnablesType CAddWatchModel::Enables() const
{
    AddWatchEnablesType e;
    e.ok =
        !fields_.name.empty() && fields_.resourceType >= 0 && fields_.resourceType < kResourceTypes;
    if (fields_.resourceType == kWatchSimulationResult) {
        e.format = e.radix = false;
        return e;
    }
    const int32_t f = fields_.format;
    e.bitIndex = f == kWatchBit;
    e.nullTerminated = f == kWatchString;
    e.stringLength = f == kWatchString && fields_.nullTerminated == 0;
    e.radix = f != kWatchBit && f != kWatchString;
    e.byteOrder = f == kWatchWord || f == kWatchDoubleWord;
    return e;
}

bool CAddWatchModel::Accept()
{
    if (!Enables().ok) {
        return false;
    }
    // A result is one counter: a format chosen before switching to it,
    // now disabled, would only show "***".
    if (fields_.resourceType == kWatchSimulationResult) {
        fields_.format = kWatchByte;
    }
    if (fields_.format == kWatchWord) {
        WriteSetting(settings_, settings::kWordByteOrder, fields_.byteOrderText);
    } else if (fields_.format == kWatchDoubleWord) {
        WriteSetting(settings_, settings::kDWordByteOrder, fields_.byteOrderText);
    }
    return true;
}
