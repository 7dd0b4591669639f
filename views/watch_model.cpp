#include "views/watch_model.h"

#include <algorithm>
#include <functional>

#include "app/engines.h"
#include "app/view_host.h"
#include "common/text_util.h"
#include "views/value_entry.h"

namespace {

constexpr size_t kNameWidth = 6; // a watch line's name field, its blank included

uint32_t HashText(std::string_view text)
{
    uint32_t hash = 2166136261u; // FNV-1a
    for (unsigned char c : text) {
        hash = (hash ^ c) * 16777619u;
    }
    return hash;
}

} // namespace

WatchFieldsType FieldsOfWatch(const WatchRecordType& watch)
{
    WatchFieldsType fields;
    fields.name = watch.name;
    fields.resourceType = watch.resourceType;
    fields.format = watch.format;
    fields.bitIndex = watch.bitIndex;
    const auto& order = watch.byteOrder;
    if (watch.format == kWatchWord) {
        fields.byteOrderText = StrFormat("%d,%d", order[0], order[1]);
    } else if (watch.format == kWatchDoubleWord) {
        fields.byteOrderText = StrFormat("%d,%d,%d,%d", order[0], order[1], order[2], order[3]);
    }
    fields.nullTerminated = watch.nullTerminated;
    fields.stringLength = watch.stringLength;
    fields.radix = watch.radix;
    return fields;
}

void ApplyWatchFields(CWatchList& watches, const WatchFieldsType& fields, int index)
{
    watches.AddWatch(fields.name, fields.resourceType, fields.format, fields.bitIndex,
                     fields.byteOrderText, fields.nullTerminated, fields.stringLength,
                     RadixFromCode(fields.radix), index);
}

CWatchModel::CWatchModel(IViewHost& host) : CSimulatorGridModel(host) {}

CWatchList& CWatchModel::Watches() const
{
    return Engines().Simulator().Watches();
}

int CWatchModel::CountLines()
{
    // Watches set to Default follow the application's default radix.
    Watches().SetDefaultRadix(RadixFromCode(DefaultRadixCode()));
    if (listSeen_.Update(Watches().Revision())) {
        ForgetValues(); // lines now stand for other watches
    }
    return Watches().WatchCount();
}

std::string CWatchModel::FormatLine(int line)
{
    return Watches().FormatWatch(line);
}

uint32_t CWatchModel::ReadUnit(int line, int unit)
{
    (void)unit;
    const std::string text = Watches().FormatWatch(line);
    const size_t start =
        std::min(text.size(), std::max(kNameWidth, Watches().GetWatch(line)->name.size() + 1));
    return HashText(std::string_view(text).substr(start));
}

ColumnSpanType CWatchModel::UnitSpan(int line, int unit)
{
    (void)unit;
    const std::optional<WatchRecordType> watch = Watches().GetWatch(line);
    const int length = static_cast<int>(LineText(line).size());
    const int start =
        watch ? std::min(length, static_cast<int>(std::max(kNameWidth, watch->name.size() + 1)))
              : length;
    return {start, length - start};
}

void CWatchModel::LinesChanged(int oldCount, int newCount)
{
    (void)oldCount;
    int line = Selection().line;
    if (line > newCount) {
        line = newCount;
    }
    if (line < 0 && newCount > 0) {
        line = 0;
    }
    SetSelectionLine(line);
}

std::optional<std::string> CWatchModel::EditCaption(GridPlaceType place)
{
    return ValueCaption("Watch - ", Watches().FormatWatch(place.line));
}

bool CWatchModel::CommitEdit(std::string_view text)
{
    const std::optional<WatchRecordType> watch = Watches().GetWatch(Selection().line);
    if (!watch) {
        return false;
    }
    // A string takes the text as typed; every other format is a value.
    if (watch->format != kWatchString &&
        !EvaluateValue(Engines().Assembler(), Host().Messages(), text, true)) {
        return false;
    }
    Watches().WriteWatch(Selection().line, text);
    WroteState();
    return true;
}

bool CWatchModel::CanMoveUp() const
{
    // An item that would move nothing stays disabled, also when the
    // selection rests past the last watch.
    return Selection().line >= 1 && LineSelected();
}

bool CWatchModel::CanMoveDown() const
{
    return Selection().line >= 0 && Selection().line + 1 < LineCount();
}

std::vector<MenuItemType> CWatchModel::ContextMenu()
{
    const bool valid = LineSelected();
    std::vector<MenuItemType> items = {
        {watch_menu::kMoveUp, "Move Up", CanMoveUp(), false, false},
        {watch_menu::kMoveDown, "Move Down", CanMoveDown(), false, false},
        {watch_menu::kAdd, "Add", true, false, true},
        {watch_menu::kDelete, "Delete", valid, false, false},
        {watch_menu::kModify, "Modify", valid, false, false},
    };
    static constexpr const char* kNames[] = {"Default", "Decimal", "Hexadecimal", "ASCII",
                                             "Binary"};
    const std::optional<WatchRecordType> watch = Watches().GetWatch(Selection().line);
    for (int code = 0; code < 5; ++code) {
        items.push_back({cmd::kRadixDefault + code, kNames[code], valid,
                         watch && watch->radix == code, code == 0});
    }
    return items;
}

void CWatchModel::Changed()
{
    Engines().Simulator().MarkChanged();
    Host().UpdateAllWindows();
}

void CWatchModel::AddOrModify(bool modify)
{
    const int index = modify ? Selection().line : -1;
    WatchFieldsType fields;
    if (modify) {
        fields = FieldsOfWatch(*Watches().GetWatch(index));
    } else {
        fields.resourceType = kWatchRegister;
    }
    if (runDialog_ && runDialog_(fields, modify)) {
        ApplyWatchFields(Watches(), fields, index);
        Changed();
    }
}

bool CWatchModel::HandleCommand(int commandId)
{
    const int line = Selection().line;
    const bool valid = LineSelected();
    switch (commandId) {
    case watch_menu::kMoveUp:
    case watch_menu::kMoveDown: {
        const int step = commandId == watch_menu::kMoveUp ? -1 : 1;
        if (step < 0 ? CanMoveUp() : CanMoveDown()) {
            Watches().MoveWatch(line, step);
            SetSelectionLine(line + step);
            Changed();
        }
        return true;
    }
    case watch_menu::kAdd:
        AddOrModify(false);
        return true;
    case watch_menu::kDelete:
        DeleteKey();
        return true;
    case watch_menu::kModify:
        if (valid) {
            AddOrModify(true);
        }
        return true;
    default:
        break;
    }
    if (commandId < cmd::kRadixDefault || commandId > cmd::kRadixBinary) {
        return false;
    }
    if (std::optional<WatchRecordType> watch = Watches().GetWatch(line)) {
        watch->radix = commandId - cmd::kRadixDefault;
        Watches().SetWatch(line, *watch);
        Changed();
    }
    return true;
}

bool CWatchModel::DeleteKey()
{
    if (!LineSelected()) {
        return false;
    }
    Watches().DeleteWatch(Selection().line);
    // Past the end the selection rests on the count: nothing is selected.
    SetSelectionLine(std::min(Selection().line, Watches().WatchCount()));
    Changed();
    return true;
}

void CWatchModel::FillCommandState(CommandStateType& state) const
{
    state.radixView = true;
    state.lineSelected = LineSelected();
}
