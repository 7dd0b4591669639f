#include "editor/core/editor_controller.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "common/text_util.h"

namespace {

using Action = void (*)(CEditorController&, bool shift);

struct KeyRowType
{
    EditorKey key;
    bool ctrl;
    Action action;
};

int PageLines(const CEditorController& c)
{
    return c.VisibleLines() + 1;
}

TextPosType LineEnd(const CEditorController& c, int line)
{
    return {c.Doc().LineLength(line), line};
}

const KeyRowType kKeyTable[] = {
    {EditorKey::kLeft, false, [](CEditorController& c, bool s) { c.MoveCaret(-1, 0, s); }},
    {EditorKey::kLeft, true, [](CEditorController& c, bool s) { c.WordLeft(s); }},
    {EditorKey::kRight, false, [](CEditorController& c, bool s) { c.MoveCaret(1, 0, s); }},
    {EditorKey::kRight, true, [](CEditorController& c, bool s) { c.WordRight(s); }},
    {EditorKey::kUp, false, [](CEditorController& c, bool s) { c.MoveCaret(0, -1, s); }},
    {EditorKey::kUp, true, [](CEditorController& c, bool s) { c.MoveCaret(0, -1, s, true); }},
    {EditorKey::kDown, false, [](CEditorController& c, bool s) { c.MoveCaret(0, 1, s); }},
    {EditorKey::kDown, true, [](CEditorController& c, bool s) { c.MoveCaret(0, 1, s, true); }},
    {EditorKey::kPageUp, false,
     [](CEditorController& c, bool s) { c.MoveCaret(0, -PageLines(c), s, true); }},
    {EditorKey::kPageUp, true,
     [](CEditorController& c, bool s) {
         c.MoveTo({c.Caret().col, 0}, s);
     }},
    {EditorKey::kPageDown, false,
     [](CEditorController& c, bool s) { c.MoveCaret(0, PageLines(c), s, true); }},
    {EditorKey::kPageDown, true,
     [](CEditorController& c, bool s) {
         c.MoveTo({c.Caret().col, c.Doc().LineCount() - 1}, s);
     }},
    {EditorKey::kHome, false, [](CEditorController& c, bool s) { c.Home(s); }},
    {EditorKey::kHome, true,
     [](CEditorController& c, bool s) {
         c.MoveTo({0, 0}, s);
     }},
    {EditorKey::kEnd, false,
     [](CEditorController& c, bool s) { c.MoveTo(LineEnd(c, c.Caret().line), s); }},
    {EditorKey::kEnd, true,
     [](CEditorController& c, bool s) { c.MoveTo(LineEnd(c, c.Doc().LineCount() - 1), s); }},
    {EditorKey::kInsert, false, [](CEditorController& c, bool) { c.ToggleOverwrite(); }},
    {EditorKey::kDelete, false, [](CEditorController& c, bool) { c.DeleteForward(); }},
    {EditorKey::kF3, false,
     [](CEditorController& c, bool) {
         if (c.onFindNext) {
             c.onFindNext();
         }
     }},
    {EditorKey::kBackspace, false, [](CEditorController& c, bool) { c.Backspace(); }},
    {EditorKey::kEnter, false, [](CEditorController& c, bool) { c.Enter(); }},
    {EditorKey::kTab, false, [](CEditorController& c, bool s) { c.Tab(s); }},
};

struct CharRowType
{
    char prefix; // 0 for a Ctrl+character, else the pending prefix
    char ch;     // upper case
    Action action;
};

const CharRowType kCharTable[] = {
    {0, ' ', [](CEditorController& c, bool s) { c.IndentSelection(' ', s); }},
    {0, 'T', [](CEditorController& c, bool) { c.DeleteWord(); }},
    {'Q', 'B', [](CEditorController& c, bool) { c.CaretToAnchor(); }},
    {'Q', 'K', [](CEditorController& c, bool) { c.CaretToSelectionEnd(); }},
    {'Q', 'S',
     [](CEditorController& c, bool s) {
         c.MoveTo({0, c.Caret().line}, s);
     }},
    {'Q', 'D', [](CEditorController& c, bool s) { c.MoveTo(LineEnd(c, c.Caret().line), s); }},
    {'Q', 'E',
     [](CEditorController& c, bool s) {
         c.MoveTo({c.Caret().col, c.FirstVisibleLine()}, s);
     }},
    {'Q', 'X',
     [](CEditorController& c, bool s) {
         c.MoveTo({c.Caret().col, c.FirstVisibleLine() + c.VisibleLines() - 1}, s);
     }},
    {'Q', 'Y', [](CEditorController& c, bool) { c.DeleteToLineEnd(); }},
    {'K', 'I', [](CEditorController& c, bool) { c.IndentSelection(' ', false); }},
    {'K', 'U', [](CEditorController& c, bool) { c.IndentSelection(' ', true); }},
    {'K', 'T', [](CEditorController& c, bool) { c.SelectWordAtCaret(); }},
};

// Word boundaries: a word starts after one of these and ends before one of
// the second set (or a line end).
bool StopsWordStart(char c)
{
    return c == ' ' || c == '\t' || std::strchr(",#(+-*/", c) != nullptr;
}

bool StopsWordEnd(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || std::strchr(",:()+-*/", c) != nullptr;
}

bool IsWordChar(char c)
{
    return !StopsWordStart(c) && !StopsWordEnd(c);
}

} // namespace

CEditorController::CEditorController(CEditorDoc& doc, bool& overwriteMode)
    : doc_(doc), overwrite_(overwriteMode)
{}

std::string CEditorController::SelectedText() const
{
    return doc_.TextBetween(SelectionStart(), SelectionEnd());
}

void CEditorController::SetSelection(TextPosType anchor, TextPosType caret)
{
    anchor_ = doc_.Clamp(anchor);
    caret_ = doc_.Clamp(caret);
    EnsureCaretVisible();
}

void CEditorController::SetViewSize(int visibleLines, int visibleColumns)
{
    visibleLines_ = std::max(1, visibleLines);
    visibleCols_ = std::max(1, visibleColumns);
}

int CEditorController::MaxFirstLine() const
{
    return std::max(0, doc_.LineCount() - visibleLines_);
}

void CEditorController::ScrollTo(int firstLine, int firstColumn)
{
    firstLine_ = std::clamp(firstLine, 0, MaxFirstLine());
    firstCol_ = std::max(0, firstColumn);
}

void CEditorController::EnsureCaretVisible()
{
    const int margin = std::min(kHorizontalMargin, visibleCols_ - 1);
    if (caret_.col < firstCol_) {
        firstCol_ = std::max(0, caret_.col - margin);
    } else if (caret_.col >= firstCol_ + visibleCols_) {
        firstCol_ = std::max(0, caret_.col - (visibleCols_ - margin));
    }
    if (caret_.line < firstLine_) {
        firstLine_ = caret_.line;
    } else if (caret_.line >= firstLine_ + visibleLines_) {
        firstLine_ = caret_.line - visibleLines_ + 1;
    }
}

void CEditorController::MoveCaret(int dCol, int dLine, bool extend, bool scroll)
{
    const int lastLine = doc_.LineCount() - 1;
    if (scroll && dLine != 0) {
        firstLine_ =
            static_cast<int>(std::clamp<int64_t>(int64_t{firstLine_} + dLine, 0, MaxFirstLine()));
    }
    int line = static_cast<int>(std::clamp<int64_t>(int64_t{caret_.line} + dLine, 0, lastLine));
    int64_t col = int64_t{caret_.col} + dCol;
    if (dLine == 0 && dCol == 1 && caret_.col >= doc_.LineLength(line) && line < lastLine) {
        ++line;
        col = 0;
    } else if (dLine == 0 && dCol < 0 && caret_.col == 0 && line > 0) {
        --line;
        col = doc_.LineLength(line);
    }
    caret_ = {static_cast<int>(std::clamp<int64_t>(col, 0, doc_.LineLength(line))), line};
    if (!extend && !dragging_) {
        anchor_ = caret_;
    }
    EnsureCaretVisible();
}

void CEditorController::MoveTo(TextPosType target, bool extend, bool scroll)
{
    target = doc_.Clamp(target);
    MoveCaret(target.col - caret_.col, target.line - caret_.line, extend, scroll);
}

void CEditorController::Home(bool extend)
{
    const std::string_view text = doc_.Line(caret_.line);
    const size_t firstText = text.find_first_not_of(' ');
    int target = 0;
    if (firstText != std::string_view::npos && caret_.col != static_cast<int>(firstText)) {
        target = static_cast<int>(firstText);
    }
    MoveTo({target, caret_.line}, extend);
}

void CEditorController::WordRight(bool extend)
{
    const std::string_view text = doc_.Line(caret_.line);
    size_t p = static_cast<size_t>(caret_.col);
    if (p >= text.size()) {
        MoveCaret(1, 0, extend);
        return;
    }
    while (p < text.size() && IsWordChar(text[p])) {
        ++p;
    }
    while (p < text.size() && !IsWordChar(text[p])) {
        ++p;
    }
    MoveTo({static_cast<int>(p), caret_.line}, extend);
}

void CEditorController::WordLeft(bool extend)
{
    const std::string_view text = doc_.Line(caret_.line);
    size_t p = static_cast<size_t>(caret_.col);
    if (p == 0) {
        MoveCaret(-1, 0, extend);
        return;
    }
    while (p > 0 && !IsWordChar(text[p - 1])) {
        --p;
    }
    while (p > 0 && IsWordChar(text[p - 1])) {
        --p;
    }
    MoveTo({static_cast<int>(p), caret_.line}, extend);
}

void CEditorController::SelectWordAtCaret()
{
    const std::string_view text = doc_.Line(caret_.line);
    const auto col = static_cast<size_t>(std::min<int>(caret_.col, static_cast<int>(text.size())));
    size_t start = col;
    while (start > 0 && !StopsWordStart(text[start - 1])) {
        --start;
    }
    size_t end = col;
    while (end < text.size() && !StopsWordEnd(text[end])) {
        ++end;
    }
    SetSelection({static_cast<int>(start), caret_.line}, {static_cast<int>(end), caret_.line});
}

void CEditorController::CaretToAnchor()
{
    // The selected range stays; only its moving end changes sides.
    std::swap(caret_, anchor_);
    EnsureCaretVisible();
}

void CEditorController::CaretToSelectionEnd()
{
    if (caret_ < anchor_) {
        std::swap(caret_, anchor_);
    }
    EnsureCaretVisible();
}

bool CEditorController::HandleKey(EditorKey key, KeyModifiersType mods)
{
    return Guard(
        [&] {
            if (prefix_ != 0) {
                prefix_ = 0;
                return true;
            }
            for (const auto& row : kKeyTable) {
                if (row.key == key && row.ctrl == mods.ctrl) {
                    row.action(*this, mods.shift);
                    return true;
                }
            }
            return false; // left to the window, e.g. Ctrl+Insert as Copy
        },
        false);
}

bool CEditorController::HandlePrefixChar(char ch)
{
    const char prefix = prefix_;
    prefix_ = 0;
    const char upper = static_cast<char>(FoldUpper(static_cast<unsigned char>(ch)));
    for (const auto& row : kCharTable) {
        if (row.prefix == prefix && row.ch == upper) {
            row.action(*this, false);
            break;
        }
    }
    return true;
}

bool CEditorController::HandleChar(char ch, KeyModifiersType mods)
{
    return Guard(
        [&] {
            if (prefix_ != 0) {
                return HandlePrefixChar(ch);
            }
            if (mods.ctrl) {
                const char upper = static_cast<char>(FoldUpper(static_cast<unsigned char>(ch)));
                if (upper == 'Q' || upper == 'K') {
                    prefix_ = upper;
                    return true;
                }
                for (const auto& row : kCharTable) {
                    if (row.prefix == 0 && row.ch == upper) {
                        row.action(*this, mods.shift);
                        return true;
                    }
                }
                return false;
            }
            if (static_cast<unsigned char>(ch) < ' ') {
                return false;
            }
            return TypeChar(ch);
        },
        false);
}

void CEditorController::MouseDown(TextPosType at, bool shift)
{
    at = doc_.Clamp(at);
    caret_ = at;
    if (!shift) {
        anchor_ = at;
    }
    dragging_ = true;
    EnsureCaretVisible();
}

void CEditorController::MouseDrag(TextPosType at)
{
    if (dragging_) {
        caret_ = doc_.Clamp(at);
        EnsureCaretVisible();
    }
}

void CEditorController::DoubleClick(TextPosType at)
{
    SetCaret(at);
    SelectWordAtCaret();
}

PixelPointType CEditorController::CaretPixel(const CellMetricsType& cell) const
{
    return {(caret_.col - firstCol_) * cell.charWidth + cell.gutterWidth,
            (caret_.line - firstLine_) * cell.lineHeight};
}

TextPosType CEditorController::PosAtPixel(int x, int y, const CellMetricsType& cell) const
{
    const int col = std::max(0, x - cell.gutterWidth) / std::max(1, cell.charWidth);
    const int line = std::max(0, y) / std::max(1, cell.lineHeight);
    return doc_.Clamp({firstCol_ + col, firstLine_ + line});
}

void CEditorController::Wheel(int delta)
{
    ScrollTo(firstLine_ - delta / kWheelStep, firstCol_);
}
