#include "views/register_models.h"

#include <algorithm>
#include <cstring>

#include "app/engines.h"
#include "app/view_host.h"
#include "common/text_util.h"
#include "views/value_entry.h"

namespace {

constexpr int kPcLine = 11;
constexpr int kDptrLine = 12;
constexpr std::array<uint8_t, 4> kPortAddresses = {0x80, 0x90, 0xA0, 0xB0};

std::string HexAddressPrefix(int line)
{
    return StrFormat(" %02X: ", static_cast<unsigned>(line));
}

} // namespace

std::string CValueLineModel::FormatLine(int line)
{
    std::string text = LinePrefix(line);
    const auto value = static_cast<uint32_t>(LineValue(line));
    const DisplayRadix radix = RadixFromCode(LineRadix(line));
    const DisplayRadix defaultRadix = RadixFromCode(DefaultRadixCode());
    if (IsWord(line)) {
        FormatRegisterWord(text, value, radix, defaultRadix);
    } else {
        FormatByte(text, value, radix, defaultRadix);
    }
    return text;
}

bool CValueLineModel::FormatChanged()
{
    std::array<uint8_t, 257> now{};
    now[0] = DefaultRadixCode();
    if (const std::optional<RadixSectionType> section = RadixSection()) {
        const auto& table = Engines().Options().radixTable;
        const size_t length = std::min<size_t>(section->length, now.size() - 1);
        std::memcpy(now.data() + 1, table.data() + section->offset, length);
    }
    const bool changed = !radixKnown_ || now != radixSeen_;
    radixSeen_ = now;
    radixKnown_ = true;
    return changed;
}

uint32_t CValueLineModel::ReadUnit(int line, int unit)
{
    (void)unit;
    return static_cast<uint32_t>(LineValue(line));
}

ColumnSpanType CValueLineModel::UnitSpan(int line, int unit)
{
    (void)unit;
    const int start = static_cast<int>(LinePrefix(line).size());
    return {start, static_cast<int>(LineText(line).size()) - start};
}

std::optional<std::string> CValueLineModel::EditCaption(GridPlaceType place)
{
    return ValueCaption(CaptionPrefix(), LineText(place.line));
}

bool CValueLineModel::CommitEdit(std::string_view text)
{
    if (!LineSelected()) {
        return false;
    }
    const int line = Selection().line;
    const std::optional<int32_t> value =
        EvaluateValue(Engines().Assembler(), Host().Messages(), text, IsWord(line));
    if (!value) {
        return false;
    }
    WriteLine(line, static_cast<uint32_t>(*value));
    WroteState();
    return true;
}

// Register view.

std::optional<RadixSectionType> CRegisterModel::RadixSection() const
{
    return RadixSectionType{radix_layout::kRegisterWindow, radix_layout::kRegisterLines};
}

int CRegisterModel::CountLines()
{
    return static_cast<int>(RegisterNames.size());
}

std::string CRegisterModel::LinePrefix(int line) const
{
    const std::string_view name = RegisterNames[static_cast<size_t>(line)];
    return StrFormat(" %.*s  ", static_cast<int>(name.size()), name.data());
}

int64_t CRegisterModel::LineValue(int line) const
{
    return Engines().Simulator().Processor().ReadRegister(line);
}

bool CRegisterModel::IsWord(int line) const
{
    return line == kPcLine || line == kDptrLine;
}

void CRegisterModel::WriteLine(int line, uint32_t value)
{
    CSimulator& simulator = Engines().Simulator();
    if (line == kPcLine) {
        // The simulation stands where the new PC is; a bare PC write would
        // leave the old stop target behind and set the program running.
        simulator.SetPc(value & 0xFFFF);
    } else {
        simulator.Processor().WriteRegister(line, value);
    }
}

// Port view.

std::optional<RadixSectionType> CPortModel::RadixSection() const
{
    return RadixSectionType{radix_layout::kPortWindow, radix_layout::kPortLines};
}

int CPortModel::CountLines()
{
    return static_cast<int>(PortNames.size());
}

std::string CPortModel::LinePrefix(int line) const
{
    const std::string_view name = PortNames[static_cast<size_t>(line)];
    return StrFormat(" %.*s ", static_cast<int>(name.size()), name.data());
}

int64_t CPortModel::LineValue(int line) const
{
    return Engines().Simulator().Processor().ReadDirect(kPortAddresses[static_cast<size_t>(line)]);
}

void CPortModel::WriteLine(int line, uint32_t value)
{
    Engines().Simulator().Processor().WritePort(line, value);
}

// Control-register view.

std::optional<RadixSectionType> CControlRegisterModel::RadixSection() const
{
    return RadixSectionType{radix_layout::kControlRegisterWindow,
                            radix_layout::kControlRegisterLines};
}

int CControlRegisterModel::CountLines()
{
    return static_cast<int>(ControlRegisterTable.size());
}

std::string CControlRegisterModel::LinePrefix(int line) const
{
    const std::string_view name = ControlRegisterTable[static_cast<size_t>(line)].name;
    return StrFormat("%-6.*s", static_cast<int>(name.size()), name.data());
}

int64_t CControlRegisterModel::LineValue(int line) const
{
    return Engines().Simulator().Processor().ReadControlRegister(line);
}

bool CControlRegisterModel::IsWord(int line) const
{
    return ControlRegisterTable[static_cast<size_t>(line)].highAddress != 0;
}

void CControlRegisterModel::WriteLine(int line, uint32_t value)
{
    Engines().Simulator().Processor().WriteControlRegister(line, value);
}

// Direct RAM view.

std::optional<RadixSectionType> CDramModel::RadixSection() const
{
    return RadixSectionType{radix_layout::kDirectMemory, 256};
}

std::string CDramModel::LinePrefix(int line) const
{
    return HexAddressPrefix(line);
}

int64_t CDramModel::LineValue(int line) const
{
    return Engines().Simulator().Processor().ReadDirect(static_cast<uint32_t>(line));
}

void CDramModel::ReadUnits(int first, int count, uint32_t* units)
{
    const CSim8051& cpu = Engines().Simulator().Processor();
    for (int l = 0; l < count; ++l) {
        units[l] = cpu.ReadDirect(static_cast<uint32_t>(first + l));
    }
}

void CDramModel::WriteLine(int line, uint32_t value)
{
    Engines().Simulator().Processor().WriteDirectRam(line, value);
}

// Internal RAM view.

std::optional<RadixSectionType> CIramModel::RadixSection() const
{
    return RadixSectionType{radix_layout::kInternalMemory, 256};
}

int CIramModel::CountLines()
{
    // The 8752 and 8032 carry the upper 128 bytes.
    const int type = Engines().Options().processorType;
    return type == 1 || type == 3 ? 256 : 128;
}

std::string CIramModel::LinePrefix(int line) const
{
    return HexAddressPrefix(line);
}

int64_t CIramModel::LineValue(int line) const
{
    return Engines().Simulator().Processor().ReadIndirect(static_cast<uint32_t>(line));
}

void CIramModel::ReadUnits(int first, int count, uint32_t* units)
{
    const CSim8051& cpu = Engines().Simulator().Processor();
    for (int l = 0; l < count; ++l) {
        units[l] = cpu.ReadIndirect(static_cast<uint32_t>(first + l));
    }
}

void CIramModel::WriteLine(int line, uint32_t value)
{
    Engines().Simulator().Processor().WriteInternalRam(line, value);
}
