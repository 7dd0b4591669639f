#include "views/memory_models.h"

#include <algorithm>
#include <limits>

#include "app/engines.h"
#include "app/view_host.h"
#include "common/text_util.h"
#include "views/value_entry.h"

namespace {

constexpr int kFirstByteLimit = 93; // column of byte 31's second digit, from byte 0's first

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

// External RAM view.

int CXramModel::AddressDigits() const
{
    return Engines().Simulator().Processor().MemoryOptions().pagedEnable ? 6 : 4;
}

int CXramModel::CountLines()
{
    const CVirtualButtonList& buttons = Engines().Simulator().Buttons();
    overlaid_ = false;
    for (int i = 0; i < buttons.ButtonCount(); ++i) {
        const VirtualButtonType* button = buttons.GetButton(i);
        overlaid_ = overlaid_ ||
                    (button->windowExists && button->pressed &&
                     button->resourceType == static_cast<int32_t>(ButtonResource::kExternalMemory));
    }
    return static_cast<int>(Engines().Simulator().ExternalRam().size() / kBytesPerLine);
}

void CXramModel::ReadLineUnits(int line, uint32_t* units)
{
    const CSimulator& simulator = Engines().Simulator();
    const std::vector<uint8_t>& ram = simulator.ExternalRam();
    const size_t first = static_cast<size_t>(line) * kBytesPerLine;
    // Without a pressed button the program reads what is stored.
    if (!overlaid_ && first + kBytesPerLine <= ram.size()) {
        std::copy_n(ram.begin() + static_cast<std::ptrdiff_t>(first), kBytesPerLine, units);
        return;
    }
    for (int k = 0; k < kBytesPerLine; ++k) {
        units[k] =
            simulator.Processor().ReadExternal(static_cast<uint32_t>(first) + k, false, false);
    }
}

int CXramModel::TotalColumns()
{
    return AddressDigits() + 1 + 3 * kBytesPerLine;
}

std::string CXramModel::FormatLine(int line)
{
    const CSim8051& cpu = Engines().Simulator().Processor();
    const auto first = static_cast<uint32_t>(line) * kBytesPerLine;
    std::string text = StrFormat("%0*X:", AddressDigits(), first);
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (uint32_t i = 0; i < kBytesPerLine; ++i) {
        const uint8_t value = cpu.ReadExternal(first + i, false, false);
        text += ' ';
        text += kHex[value >> 4];
        text += kHex[value & 15];
    }
    return text;
}

uint32_t CXramModel::ReadUnit(int line, int unit)
{
    const auto address = static_cast<uint32_t>(line * kBytesPerLine + unit);
    return Engines().Simulator().Processor().ReadExternal(address, false, false);
}

ColumnSpanType CXramModel::UnitSpan(int line, int unit)
{
    (void)line;
    return {AddressDigits() + 2 + 3 * unit, 2};
}

int64_t CXramModel::AddressOfPlace(GridPlaceType place) const
{
    // The first byte's digits follow the address, its colon and a blank.
    const int offset = std::clamp(place.column - (AddressDigits() + 2), 0, kFirstByteLimit);
    return int64_t{place.line} * kBytesPerLine + offset / 3;
}

std::optional<std::string> CXramModel::EditCaption(GridPlaceType place)
{
    return StrFormat("External RAM - %04X", static_cast<unsigned>(AddressOfPlace(place)));
}

bool CXramModel::CommitEdit(std::string_view text)
{
    if (!LineSelected()) {
        return false;
    }
    const std::optional<int32_t> value =
        EvaluateValue(Engines().Assembler(), Host().Messages(), text, false);
    if (!value) {
        return false;
    }
    CSimulator& simulator = Engines().Simulator();
    const int64_t address = AddressOfPlace(Selection());
    const auto byte = static_cast<uint32_t>(*value);
    // Every page the view shows can be edited; beyond the RAM the
    // simulator refuses with its message.
    if (address > 0xFFFF && address < static_cast<int64_t>(simulator.ExternalRam().size())) {
        simulator.Processor().WriteExternal(static_cast<uint32_t>(address), byte, false, false);
    } else {
        simulator.Processor().WriteExternalRam(
            static_cast<int32_t>(std::min<int64_t>(address, std::numeric_limits<int32_t>::max())),
            byte);
    }
    WroteState();
    return true;
}

// Output view.

COutputModel::COutputModel(IViewHost& host) : CGridModel(host)
{
    SetSelectionLine(-1);
}

int COutputModel::CountLines()
{
    return static_cast<int>(Engines().Output().GetLineCount());
}

std::string COutputModel::FormatLine(int line)
{
    return Engines().Output().GetLine(static_cast<size_t>(line));
}

int COutputModel::TotalColumns()
{
    return static_cast<int>(Engines().Output().GetLongestLength()) + 10;
}

bool COutputModel::SourceChanged()
{
    return seen_.Update(Engines().Output().Revision());
}

void COutputModel::LinesChanged(int oldCount, int newCount)
{
    // Fewer lines: the store was cleared for a new assembly or search.
    if (newCount < oldCount || Selection().line >= newCount) {
        SetSelectionLine(-1);
    }
}

bool COutputModel::GoTo()
{
    if (!LineSelected()) {
        return false;
    }
    const OutputLocationType& place =
        Engines().Output().GetLocation(static_cast<size_t>(Selection().line));
    if (!place.IsSet()) {
        return false;
    }
    Host().OpenSourceAtLine(place.path, place.line);
    return true;
}

// Messages as text.

std::optional<MessagePlaceType> ParseMessagePlace(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    const size_t colon = text.find(':');
    const std::string_view keyword =
        text.substr(0, std::min<size_t>(colon == std::string_view::npos ? text.size() : colon, 38));
    std::string_view rest = text;
    if (colon != std::string_view::npos &&
        (EqualsNoCase(keyword, "error") || EqualsNoCase(keyword, "warning"))) {
        rest = text.substr(colon + 1);
    }
    while (!rest.empty() && IsBlank(rest.front())) {
        rest.remove_prefix(1);
    }
    const size_t open = rest.find('(');
    if (open == std::string_view::npos || open > 256) {
        return std::nullopt;
    }
    // The blank in front of the parenthesis is not part of the name.
    std::string_view name = rest.substr(0, open);
    while (!name.empty() && IsBlank(name.back())) {
        name.remove_suffix(1);
    }
    int64_t number = 0;
    for (size_t i = open + 1; i < rest.size() && rest[i] >= '0' && rest[i] <= '9'; ++i) {
        number = std::min<int64_t>(number * 10 + (rest[i] - '0'), std::numeric_limits<int>::max());
    }
    if (name.empty() || number < 1) {
        return std::nullopt;
    }
    return MessagePlaceType{std::string(name), static_cast<int>(number - 1)};
}

// Dump view.

CDumpModel::CDumpModel(IViewHost& host) : CGridModel(host)
{
    SetSelectionLine(-1);
}

int CDumpModel::CountLines()
{
    return static_cast<int>(Engines().Monitor().Lines().size());
}

std::string CDumpModel::FormatLine(int line)
{
    return Engines().Monitor().Lines()[static_cast<size_t>(line)];
}

int CDumpModel::TotalColumns()
{
    return static_cast<int>(Engines().Monitor().LongestLineLength()) + 10;
}

bool CDumpModel::SourceChanged()
{
    return seen_.Update(Engines().Monitor().LinesRevision());
}

void CDumpModel::LinesChanged(int oldCount, int newCount)
{
    if (newCount == 0 || newCount < oldCount || Selection().line >= newCount) {
        SetSelectionLine(-1);
    }
}

bool CDumpModel::GoTo()
{
    if (!LineSelected()) {
        return false;
    }
    const std::optional<MessagePlaceType> place = ParseMessagePlace(LineText(Selection().line));
    if (!place) {
        return false;
    }
    Host().OpenSourceAtLine(place->path, place->line);
    return true;
}

std::vector<MenuItemType> CDumpModel::ContextMenu()
{
    return {{cmd::kClearDump, "Clear", true, false, false}};
}

bool CDumpModel::HandleCommand(int commandId)
{
    if (commandId != cmd::kClearDump) {
        return false;
    }
    Engines().Monitor().ClearLines();
    Host().UpdateAllWindows();
    return true;
}
