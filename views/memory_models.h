#pragma once

#include "common/revision.h"
#include "views/grid_model.h"

// "XRAM": the external RAM, 32 bytes a line, always in hexadecimal. Only
// the lines in sight are read and formatted: paged memory spans up to
// sixteen 64 KB pages.
class CXramModel : public CSimulatorGridModel
{
public:
    static constexpr int kBytesPerLine = 32;

    using CSimulatorGridModel::CSimulatorGridModel;
    WindowKind Kind() const override { return WindowKind::kXram; }
    int TotalColumns() override;
    bool HighlightsSelection() const override { return false; }
    bool CommitEdit(std::string_view text) override;

    // The byte a cell stands for: columns left of the first byte give byte
    // 0 of the line, columns right of the last give byte 31.
    int64_t AddressOfPlace(GridPlaceType place) const;

protected:
    int CountLines() override;
    std::string FormatLine(int line) override;
    int UnitsPerLine() const override { return kBytesPerLine; }
    uint32_t ReadUnit(int line, int unit) override;
    void ReadLineUnits(int line, uint32_t* units) override;
    ColumnSpanType UnitSpan(int line, int unit) override;
    std::pair<int, int> UnitLines() const override { return {TopLine(), PageLines() + 1}; }
    std::optional<std::string> EditCaption(GridPlaceType place) override;

private:
    // Address digits: two more for bits 23-16 while paged memory is on.
    int AddressDigits() const;

    bool overlaid_ = false; // a pressed button overlays external memory
};

// "Output": the assembler's and the search's messages; a message that keeps
// a location opens its source at that line.
class COutputModel : public CGridModel
{
public:
    explicit COutputModel(IViewHost& host);
    WindowKind Kind() const override { return WindowKind::kOutput; }
    int TotalColumns() override;
    bool FollowsEnd() const override { return true; }
    GridKeyRules KeyRules() const override { return GridKeyRules::kLines; }
    bool GoTo() override;

protected:
    int CountLines() override;
    std::string FormatLine(int line) override;
    bool SourceChanged() override;
    void LinesChanged(int oldCount, int newCount) override;

private:
    CSeenRevision seen_;
};

// The file and 0-based line a line of text names, read as a message:
// "Error: path (12): ..." or "path (12) ..."; nothing when it names none.
struct MessagePlaceType
{
    std::string path;
    int line = -1;
};
std::optional<MessagePlaceType> ParseMessagePlace(std::string_view text);

// "Dump": the text the board sent. Its lines keep no location, so going to
// a line reads the place from the text as a message.
class CDumpModel : public CGridModel
{
public:
    explicit CDumpModel(IViewHost& host);
    WindowKind Kind() const override { return WindowKind::kDump; }
    int TotalColumns() override;
    bool FollowsEnd() const override { return true; }
    bool GoTo() override;
    std::vector<MenuItemType> ContextMenu() override;
    bool HandleCommand(int commandId) override;

protected:
    int CountLines() override;
    std::string FormatLine(int line) override;
    bool SourceChanged() override;
    void LinesChanged(int oldCount, int newCount) override;

private:
    CSeenRevision seen_;
};
