#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/commands.h"
#include "app/window_kinds.h"

class CEngines;
class IViewHost;

enum class GridKey
{
    kLeft,
    kRight,
    kUp,
    kDown,
    kHome,
    kEnd,
    kPageUp,
    kPageDown
};

// How keys move the selection: by cells (register family, memories, watch,
// dump) or by whole lines (output: Left and Right do nothing, Home and End
// go to the first and last line).
enum class GridKeyRules
{
    kCells,
    kLines
};

struct GridPlaceType
{
    int column = 0;
    int line = 0; // -1: no line selected
    bool operator==(const GridPlaceType&) const = default;
};

struct GridMetricsType
{
    int lineCount = 0;
    int totalColumns = 1;
    int pageLines = 1;
    int pageColumns = 1;
};

// The place a key leads to, kept within the lines and the total width.
GridPlaceType MovePlace(GridPlaceType place, GridKey key, const GridMetricsType& metrics,
                        GridKeyRules rules);

struct ColumnSpanType
{
    int column = 0;
    int length = 0;
    bool operator==(const ColumnSpanType&) const = default;
};

struct MenuItemType
{
    int id = 0;
    std::string text;
    bool enabled = false;
    bool checked = false;
    bool separatorBefore = false;
};

// What the "New Value" dialog opens with.
struct ValueEditType
{
    std::string caption;
    std::string initialText;
};

// A slice of the display radix table that one view keeps, one code per line.
struct RadixSectionType
{
    size_t offset = 0;
    size_t length = 0;
};

// The rules of one text-grid view, without any widget: the lines and their
// texts, the selection, what keys and clicks select, what an edit writes,
// the view's menu and commands. The widget paints what this holds and turns
// input into its operations.
class CGridModel
{
public:
    explicit CGridModel(IViewHost& host) : host_(host) {}
    virtual ~CGridModel() = default;
    CGridModel(const CGridModel&) = delete;
    CGridModel& operator=(const CGridModel&) = delete;

    virtual WindowKind Kind() const = 0;

    // Re-reads the engines; true when something shown changed. Only lines
    // whose values changed are formatted again.
    bool Sync();
    int LineCount() const { return lineCount_; }
    // Empty for a line out of range.
    const std::string& LineText(int line);
    // The columns of a line whose values differ from those of the previous
    // stop of the program (empty while marking is off).
    std::vector<ColumnSpanType> ChangedSpans(int line);
    void SetMarkChanges(bool on) { markChanges_ = on; }

    // Scroll width in character cells.
    virtual int TotalColumns();
    virtual bool HighlightsSelection() const { return true; }
    // Output and dump: keep the last line in sight while no line is selected.
    virtual bool FollowsEnd() const { return false; }
    virtual GridKeyRules KeyRules() const { return GridKeyRules::kCells; }

    const GridPlaceType& Selection() const { return selection_; }
    bool LineSelected() const { return selection_.line >= 0 && selection_.line < lineCount_; }
    // The view's client area in whole cells, and its first shown line.
    void SetPage(int lines, int columns);
    void SetTopLine(int line);
    int TopLine() const { return topLine_; }
    int PageLines() const { return pageLines_; }
    int PageColumns() const { return pageColumns_; }
    // A click on a cell (scrolled coordinates): true when the selection changed.
    bool Click(int column, int line);
    bool Key(GridKey key);

    // The "New Value" dialog for the selected cell, started with a typed
    // character or empty; nothing when the view or line cannot be edited.
    std::optional<ValueEditType> BeginEdit(std::optional<char> typed);
    // OK in the dialog: evaluates and writes; false when nothing was written.
    virtual bool CommitEdit(std::string_view text)
    {
        (void)text;
        return false;
    }
    // Double click or Enter on a view that does not edit: go to what the
    // selected line names. True when something was opened.
    virtual bool GoTo() { return false; }
    // The Delete key.
    virtual bool DeleteKey() { return false; }

    virtual std::vector<MenuItemType> ContextMenu();
    // Commands routed to the view, from the frame or its context menu.
    virtual bool HandleCommand(int commandId);
    virtual void FillCommandState(CommandStateType& state) const;
    virtual std::optional<RadixSectionType> RadixSection() const { return std::nullopt; }

protected:
    IViewHost& Host() const { return host_; }
    CEngines& Engines() const;

    virtual int CountLines() = 0;
    virtual std::string FormatLine(int line) = 0;
    // Whether the values of the lines must be read again; views over the
    // simulator always read (it is cheap), the others follow revisions.
    virtual bool SourceChanged() { return true; }
    // Texts must be formatted anew though no value changed (radix, options).
    virtual bool FormatChanged() { return false; }
    // Values each line shows, compared between syncs to find the lines to
    // reformat and the values that changed since the last stop.
    virtual int UnitsPerLine() const { return 0; }
    virtual uint32_t ReadUnit(int line, int unit)
    {
        (void)line;
        (void)unit;
        return 0;
    }
    // The values of lines [first, first + count), of one line, by default
    // one ReadUnit each: views over many lines read them in one go.
    virtual void ReadUnits(int first, int count, uint32_t* units);
    virtual void ReadLineUnits(int line, uint32_t* units);
    virtual ColumnSpanType UnitSpan(int line, int unit);
    // The lines whose values are followed: [first, first + count).
    virtual std::pair<int, int> UnitLines() const { return {0, lineCount_}; }
    // Changes when the program ran (a step, a halt, an update of a run); a
    // smaller value means it was started again.
    virtual std::optional<uint64_t> StopStamp() const { return std::nullopt; }
    // The selection after the line count changed.
    virtual void LinesChanged(int oldCount, int newCount);
    // What the dialog's caption says about the selected place; nothing
    // when the place cannot be edited.
    virtual std::optional<std::string> EditCaption(GridPlaceType place)
    {
        (void)place;
        return std::nullopt;
    }
    // The radix code shown for a line of the section, 0 outside it.
    uint8_t LineRadix(int line) const;
    uint8_t DefaultRadixCode() const;

    void InvalidateTexts();
    // The next sync takes every value as it is, with nothing marked.
    void ForgetValues() { unitsFresh_ = true; }
    GridPlaceType& MutableSelection() { return selection_; }
    void SetSelectionLine(int line) { selection_.line = line; }

private:
    bool SyncUnits();
    GridMetricsType Metrics();

    IViewHost& host_;
    int lineCount_ = 0;
    std::vector<std::string> texts_;
    std::vector<uint8_t> textValid_;
    bool synced_ = false;
    bool markChanges_ = true;

    // Followed values: lines [unitFirst_, unitFirst_ + unitCount_).
    int unitFirst_ = 0;
    int unitCount_ = 0;
    std::vector<uint32_t> units_;
    std::vector<uint32_t> baseline_;  // the values of the previous stop
    std::vector<uint32_t> nextUnits_; // kept to spare an allocation per sync
    std::vector<uint32_t> nextBaseline_;
    std::optional<uint64_t> stamp_;
    bool unitsFresh_ = true;

    GridPlaceType selection_;
    int topLine_ = 0;
    int pageLines_ = 1;
    int pageColumns_ = 1;
    int widest_ = 10; // the scroll width: 10 cells, or the widest line shown
};

// A view over the simulated processor: its values change with every
// instruction, and a stop is seen through the cycle counter.
class CSimulatorGridModel : public CGridModel
{
public:
    using CGridModel::CGridModel;

protected:
    std::optional<uint64_t> StopStamp() const override;
    // After a write from the view: the simulator's revision moves and every
    // window re-reads.
    void WroteState();
};
