#pragma once

#include <cstdint>
#include <functional>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "editor/core/editor_doc.h"

enum class EditorKey : uint8_t
{
    kLeft,
    kRight,
    kUp,
    kDown,
    kPageUp,
    kPageDown,
    kHome,
    kEnd,
    kInsert,
    kDelete,
    kF3,
    kBackspace,
    kEnter,
    kTab,
};

struct KeyModifiersType
{
    bool shift = false;
    bool ctrl = false;
};

struct CellMetricsType
{
    int charWidth = 1;
    int lineHeight = 1;
    int gutterWidth = 0;
};

struct PixelPointType
{
    int x = 0;
    int y = 0;
};

// The dead zone of dragging: moves of less than 3 pixels both ways are ignored.
inline bool IsDragBeyondDeadZone(int lastX, int lastY, int x, int y)
{
    const int dx = x > lastX ? x - lastX : lastX - x;
    const int dy = y > lastY ? y - lastY : lastY - y;
    return dx >= 3 || dy >= 3;
}

// The non-visual half of an editor window: caret, selection, scrolling, keys,
// mouse positions, undo and redo, and the clipboard's text. The view supplies
// its size in lines and columns and turns pixels into (column, line).
class CEditorController
{
public:
    static constexpr int kHorizontalMargin = 10;
    static constexpr int kWheelStep = 120;

    // overwriteMode is the application's one flag shared by all editors.
    CEditorController(CEditorDoc& doc, bool& overwriteMode);

    CEditorDoc& Doc() { return doc_; }
    const CEditorDoc& Doc() const { return doc_; }
    bool Overwrite() const { return overwrite_; }
    void ToggleOverwrite() { overwrite_ = !overwrite_; }

    // F3 goes to the search, which the owner wires in.
    std::function<void()> onFindNext;

    // --- caret, selection, scrolling ---
    TextPosType Caret() const { return caret_; }
    TextPosType Anchor() const { return anchor_; }
    bool HasSelection() const { return !(caret_ == anchor_); }
    TextPosType SelectionStart() const { return caret_ < anchor_ ? caret_ : anchor_; }
    TextPosType SelectionEnd() const { return caret_ < anchor_ ? anchor_ : caret_; }
    std::string SelectedText() const;
    // Places anchor and caret directly (clamped), then scrolls the caret into view.
    void SetSelection(TextPosType anchor, TextPosType caret);
    void SetCaret(TextPosType caret) { SetSelection(caret, caret); }

    void SetViewSize(int visibleLines, int visibleColumns);
    int FirstVisibleLine() const { return firstLine_; }
    int FirstVisibleColumn() const { return firstCol_; }
    int VisibleLines() const { return visibleLines_; }
    int VisibleColumns() const { return visibleCols_; }
    void ScrollTo(int firstLine, int firstColumn);
    void EnsureCaretVisible();

    // The one caret move: column and line deltas, extend the selection, and
    // scroll the window along by the line delta first.
    void MoveCaret(int dCol, int dLine, bool extend, bool scroll = false);
    void MoveTo(TextPosType target, bool extend, bool scroll = false);

    // --- input ---
    bool HandleKey(EditorKey key, KeyModifiersType mods);
    // Characters, and Ctrl with a character (Ctrl+Space, Ctrl+T, Ctrl+Q, Ctrl+K).
    bool HandleChar(char ch, KeyModifiersType mods);
    bool InPrefix() const { return prefix_ != 0; }

    // Between pixels of the text area and places in the text; the view
    // measures its font into the cell metrics.
    PixelPointType CaretPixel(const CellMetricsType& cell) const;
    TextPosType PosAtPixel(int x, int y, const CellMetricsType& cell) const;

    void MouseDown(TextPosType at, bool shift);
    // The view calls this only for moves beyond the dead zone.
    void MouseDrag(TextPosType at);
    void MouseUp() { dragging_ = false; }
    void DoubleClick(TextPosType at);
    void Wheel(int delta);

    // --- editing with undo ---
    bool TypeChar(char ch);
    bool DeleteSelection();
    bool ReplaceSelection(std::string_view text);
    bool IndentSelection(char indentChar, bool unindent);
    void SelectWordAtCaret();

    bool CanUndo() const { return doc_.Undo().CanUndo(); }
    bool CanRedo() const { return doc_.Undo().CanRedo(); }
    bool Undo();
    bool Redo();

    // --- clipboard text ---
    // The selection with every CR followed by LF; empty without a selection.
    std::string CopyText() const;
    std::string Cut();
    bool Paste(std::string_view clipboardText);

    // --- key actions, also used by the key table ---
    void WordLeft(bool extend);
    void WordRight(bool extend);
    void Home(bool extend);
    void DeleteForward();
    void Backspace();
    void Enter();
    void Tab(bool shift);
    void DeleteWord();
    void DeleteToLineEnd();
    void CaretToAnchor();
    void CaretToSelectionEnd();

private:
    struct LineRangeType
    {
        int first = 0;
        int last = -1;
    };

    // A refused allocation ends the operation before it changes the text
    // (every edit copies what it needs first) and is told like a full buffer.
    template <typename F> auto Guard(F&& f, decltype(f()) failed) const -> decltype(f())
    {
        try {
            return f();
        } catch (const std::bad_alloc&) {
            doc_.ReportNoRoom();
            return failed;
        }
    }

    UndoRecordType BeginRecord(UndoKind kind) const;
    void PushRecord(UndoRecordType& record);
    bool TypeRecorded(char ch, bool overwrite);
    bool DeleteRangeRecorded(TextPosType from, TextPosType to);
    bool ReplaceRangeRecorded(TextPosType from, TextPosType to, std::string_view text);
    TextPosType Advance(TextPosType from, size_t chars) const;
    bool AdjustLines(int first, const std::vector<uint16_t>& counts, bool add);
    LineRangeType SelectedLines() const;
    bool ApplyUndo(const UndoRecordType& record);
    bool ApplyRedo(const UndoRecordType& record);
    bool HandlePrefixChar(char ch);
    int MaxFirstLine() const;

    CEditorDoc& doc_;
    bool& overwrite_;
    TextPosType caret_;
    TextPosType anchor_;
    int firstLine_ = 0;
    int firstCol_ = 0;
    int visibleLines_ = 1;
    int visibleCols_ = 80;
    bool dragging_ = false;
    char prefix_ = 0; // 'Q' or 'K' while waiting for the second key
};
