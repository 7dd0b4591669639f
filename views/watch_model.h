#pragma once

#include <functional>

#include "common/revision.h"
#include "simulator/watches.h"
#include "views/grid_model.h"

// The watch window's own menu items; the radix items are the radix commands.
namespace watch_menu {
inline constexpr int kMoveUp = 1;
inline constexpr int kMoveDown = 2;
inline constexpr int kAdd = 3;
inline constexpr int kDelete = 4;
inline constexpr int kModify = 5;
} // namespace watch_menu

// The fields of the Add Watch and Modify Watch dialogs.
struct WatchFieldsType
{
    std::string name;
    int32_t resourceType = -1; // -1: not chosen yet
    int32_t format = 0;
    int32_t bitIndex = 0;
    std::string byteOrderText;
    int32_t nullTerminated = 0;
    int32_t stringLength = 0;
    int32_t radix = 0;
};

// The dialog filled from a watch for Modify: the byte order as the user
// would type it for a Word or a Double Word.
WatchFieldsType FieldsOfWatch(const WatchRecordType& watch);

// "Watch": one line per watch of the simulation. The selection may rest one
// past the last watch after a delete, where nothing can be acted on.
class CWatchModel : public CSimulatorGridModel
{
public:
    explicit CWatchModel(IViewHost& host);
    WindowKind Kind() const override { return WindowKind::kWatch; }
    bool CommitEdit(std::string_view text) override;
    bool DeleteKey() override;
    std::vector<MenuItemType> ContextMenu() override;
    bool HandleCommand(int commandId) override;
    void FillCommandState(CommandStateType& state) const override;

    bool CanMoveUp() const;
    bool CanMoveDown() const;
    // Add and Modify run the dialog; the widget sets how (tests answer it).
    using DialogRunner = std::function<bool(WatchFieldsType& fields, bool modify)>;
    void SetDialogRunner(DialogRunner runner) { runDialog_ = std::move(runner); }

protected:
    int CountLines() override;
    std::string FormatLine(int line) override;
    int UnitsPerLine() const override { return 1; }
    uint32_t ReadUnit(int line, int unit) override;
    ColumnSpanType UnitSpan(int line, int unit) override;
    void LinesChanged(int oldCount, int newCount) override;
    std::optional<std::string> EditCaption(GridPlaceType place) override;

private:
    CWatchList& Watches() const;
    void Changed();
    void AddOrModify(bool modify);

    CSeenRevision listSeen_;
    DialogRunner runDialog_;
};

// Adds the dialog's watch (index -1) or replaces one.
void ApplyWatchFields(CWatchList& watches, const WatchFieldsType& fields, int index);
