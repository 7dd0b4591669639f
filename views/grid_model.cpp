#include "views/grid_model.h"

#include <algorithm>

#include "app/engines.h"
#include "app/view_host.h"

GridPlaceType MovePlace(GridPlaceType place, GridKey key, const GridMetricsType& metrics,
                        GridKeyRules rules)
{
    const int page = std::max(1, metrics.pageLines);
    const bool cells = rules == GridKeyRules::kCells;
    switch (key) {
    case GridKey::kLeft:
        place.column -= cells ? 1 : 0;
        break;
    case GridKey::kRight:
        place.column += cells ? 1 : 0;
        break;
    case GridKey::kUp:
        place.line -= 1;
        break;
    case GridKey::kDown:
        place.line += 1;
        break;
    case GridKey::kHome:
        (cells ? place.column : place.line) = 0;
        break;
    case GridKey::kEnd:
        if (cells) {
            place.column = metrics.pageColumns;
        } else {
            place.line = metrics.lineCount - 1;
        }
        break;
    case GridKey::kPageUp:
        place.line -= page;
        break;
    case GridKey::kPageDown:
        place.line += page;
        break;
    }
    place.line = metrics.lineCount > 0 ? std::clamp(place.line, 0, metrics.lineCount - 1) : -1;
    place.column = std::clamp(place.column, 0, std::max(0, metrics.totalColumns - 1));
    return place;
}

CEngines& CGridModel::Engines() const
{
    return host_.Engines();
}

bool CGridModel::Sync()
{
    bool changed = !synced_;
    const int count = std::max(0, CountLines());
    if (count != lineCount_) {
        const int old = lineCount_;
        lineCount_ = count;
        texts_.assign(static_cast<size_t>(count), {});
        textValid_.assign(static_cast<size_t>(count), 0);
        LinesChanged(old, count);
        changed = true;
    }
    if (FormatChanged()) {
        InvalidateTexts();
        changed = true;
    }
    if (!synced_ || SourceChanged()) {
        changed = SyncUnits() || changed;
    }
    synced_ = true;
    return changed;
}

bool CGridModel::SyncUnits()
{
    const int per = UnitsPerLine();
    if (per <= 0) {
        InvalidateTexts();
        return true;
    }
    auto [first, count] = UnitLines();
    first = std::clamp(first, 0, lineCount_);
    count = std::clamp(count, 0, lineCount_ - first);

    const std::optional<uint64_t> stamp = StopStamp();
    const bool ran = stamp != stamp_;
    // Started again: what the previous run left is no change to show.
    const bool restarted = ran && stamp && stamp_ && *stamp < *stamp_;
    stamp_ = stamp;

    const auto width = static_cast<size_t>(per);
    nextUnits_.resize(static_cast<size_t>(count) * width);
    ReadUnits(first, count, nextUnits_.data());
    nextBaseline_.resize(nextUnits_.size());
    bool changed = first != unitFirst_ || count != unitCount_;
    for (int l = 0; l < count; ++l) {
        const int line = first + l;
        const int old = line - unitFirst_;
        const bool known = !unitsFresh_ && old >= 0 && old < unitCount_;
        const uint32_t* now = nextUnits_.data() + static_cast<size_t>(l) * width;
        const uint32_t* before = known ? units_.data() + static_cast<size_t>(old) * width : now;
        const uint32_t* base = known ? baseline_.data() + static_cast<size_t>(old) * width : now;
        if (ran) {
            base = restarted ? now : before;
        }
        std::copy_n(base, width, nextBaseline_.data() + static_cast<size_t>(l) * width);
        if (!known || !std::equal(now, now + width, before)) {
            textValid_[static_cast<size_t>(line)] = 0;
            changed = true;
        }
    }
    units_.swap(nextUnits_);
    baseline_.swap(nextBaseline_);
    unitFirst_ = first;
    unitCount_ = count;
    unitsFresh_ = false;
    return changed;
}

void CGridModel::ReadLineUnits(int line, uint32_t* units)
{
    for (int k = 0; k < UnitsPerLine(); ++k) {
        units[k] = ReadUnit(line, k);
    }
}

void CGridModel::ReadUnits(int first, int count, uint32_t* units)
{
    const int per = UnitsPerLine();
    for (int l = 0; l < count; ++l) {
        ReadLineUnits(first + l, units + static_cast<size_t>(l) * per);
    }
}

const std::string& CGridModel::LineText(int line)
{
    static const std::string kEmpty;
    if (line < 0 || line >= lineCount_) {
        return kEmpty;
    }
    const auto at = static_cast<size_t>(line);
    if (!textValid_[at]) {
        texts_[at] = FormatLine(line);
        textValid_[at] = 1;
    }
    return texts_[at];
}

void CGridModel::InvalidateTexts()
{
    std::fill(textValid_.begin(), textValid_.end(), 0);
}

std::vector<ColumnSpanType> CGridModel::ChangedSpans(int line)
{
    std::vector<ColumnSpanType> spans;
    const int per = UnitsPerLine();
    const int at = line - unitFirst_;
    if (!markChanges_ || per <= 0 || at < 0 || at >= unitCount_) {
        return spans;
    }
    for (int k = 0; k < per; ++k) {
        const size_t index = static_cast<size_t>(at) * per + k;
        if (units_[index] != baseline_[index]) {
            spans.push_back(UnitSpan(line, k));
        }
    }
    return spans;
}

ColumnSpanType CGridModel::UnitSpan(int line, int unit)
{
    (void)unit;
    return {0, static_cast<int>(LineText(line).size())};
}

int CGridModel::TotalColumns()
{
    // Never narrower than the text, so that a long line can be scrolled to;
    // and never narrower than before, so that the scroll bar does not come
    // and go while a program runs.
    for (int line = topLine_; line < std::min(lineCount_, topLine_ + pageLines_ + 1); ++line) {
        widest_ = std::max(widest_, static_cast<int>(LineText(line).size()));
    }
    return widest_;
}

void CGridModel::SetPage(int lines, int columns)
{
    pageLines_ = std::max(1, lines);
    pageColumns_ = std::max(1, columns);
}

void CGridModel::SetTopLine(int line)
{
    topLine_ = std::max(0, line);
}

GridMetricsType CGridModel::Metrics()
{
    return {lineCount_, TotalColumns(), pageLines_, pageColumns_};
}

bool CGridModel::Click(int column, int line)
{
    const GridPlaceType before = selection_;
    if (line < 0 || line >= lineCount_) {
        selection_.line = -1; // a click below the lines selects nothing
    } else {
        selection_.line = line;
        selection_.column = std::clamp(column, 0, std::max(0, TotalColumns() - 1));
    }
    return selection_ != before;
}

bool CGridModel::Key(GridKey key)
{
    const GridPlaceType before = selection_;
    selection_ = MovePlace(selection_, key, Metrics(), KeyRules());
    return selection_ != before;
}

void CGridModel::LinesChanged(int oldCount, int newCount)
{
    (void)oldCount;
    if (selection_.line >= newCount) {
        selection_.line = newCount - 1;
    }
}

std::optional<ValueEditType> CGridModel::BeginEdit(std::optional<char> typed)
{
    if (!LineSelected()) {
        return std::nullopt;
    }
    std::optional<std::string> caption = EditCaption(selection_);
    if (!caption) {
        return std::nullopt;
    }
    ValueEditType edit;
    edit.caption = std::move(*caption);
    if (typed) {
        edit.initialText = std::string(1, *typed);
    }
    return edit;
}

uint8_t CGridModel::LineRadix(int line) const
{
    const std::optional<RadixSectionType> section = RadixSection();
    if (!section || line < 0 || static_cast<size_t>(line) >= section->length) {
        return 0;
    }
    return host_.Engines().Options().radixTable[section->offset + static_cast<size_t>(line)];
}

uint8_t CGridModel::DefaultRadixCode() const
{
    return host_.Engines().Options().radixTable[radix_layout::kDefaultRadix];
}

std::vector<MenuItemType> CGridModel::ContextMenu()
{
    std::vector<MenuItemType> items;
    if (!RadixSection()) {
        return items;
    }
    static constexpr const char* kNames[] = {"Default", "Decimal", "Hexadecimal", "ASCII",
                                             "Binary"};
    const uint8_t current = LineRadix(selection_.line);
    for (int code = 0; code < 5; ++code) {
        items.push_back({cmd::kRadixDefault + code, kNames[code], LineSelected(),
                         LineSelected() && current == code, false});
    }
    return items;
}

bool CGridModel::HandleCommand(int commandId)
{
    const std::optional<RadixSectionType> section = RadixSection();
    if (!section || commandId < cmd::kRadixDefault || commandId > cmd::kRadixBinary) {
        return false;
    }
    if (LineSelected() && static_cast<size_t>(selection_.line) < section->length) {
        host_.Engines()
            .Options()
            .radixTable[section->offset + static_cast<size_t>(selection_.line)] =
            static_cast<uint8_t>(commandId - cmd::kRadixDefault);
        host_.UpdateAllWindows();
    }
    return true;
}

void CGridModel::FillCommandState(CommandStateType& state) const
{
    state.radixView = RadixSection().has_value();
    state.lineSelected = LineSelected();
}

std::optional<uint64_t> CSimulatorGridModel::StopStamp() const
{
    return Engines().Simulator().Processor().State().totalCycles;
}

void CSimulatorGridModel::WroteState()
{
    Engines().Simulator().MarkChanged();
    Host().UpdateAllWindows();
}
