// Edits made through the controller: each one fills a single undo record with
// the caret and selection before and after, so undo and redo restore both.
#include <algorithm>

#include "editor/core/editor_controller.h"

UndoRecordType CEditorController::BeginRecord(UndoKind kind) const
{
    UndoRecordType record;
    record.kind = kind;
    record.caretBefore = caret_;
    record.anchorBefore = anchor_;
    return record;
}

void CEditorController::PushRecord(UndoRecordType& record)
{
    record.caretAfter = caret_;
    record.anchorAfter = anchor_;
    doc_.Undo().Push(std::move(record));
}

TextPosType CEditorController::Advance(TextPosType from, size_t chars) const
{
    return doc_.PosOf(doc_.Offset(from) + chars);
}

bool CEditorController::TypeChar(char ch)
{
    // Typing over a selection inserts even in overwrite mode.
    return TypeRecorded(ch, overwrite_ && !HasSelection());
}

bool CEditorController::TypeRecorded(char ch, bool overwrite)
{
    UndoRecordType record = BeginRecord(UndoKind::kTypedChar);
    const TextPosType at = SelectionStart();
    if (HasSelection()) {
        record.deletedText = SelectedText();
        if (!doc_.Reserve(CEditorDoc::kTypingHeadroom) || !doc_.DeleteRange(at, SelectionEnd())) {
            return false;
        }
    }
    const auto result = doc_.TypeChar(at, ch, overwrite);
    if (!result.done) {
        if (!record.deletedText.empty()) {
            doc_.InsertBlock(at, record.deletedText);
        }
        return false;
    }
    record.character = ch;
    record.pos = at;
    if (ch == '\t') {
        // A typed tab is stored as the blanks it became, so undo takes them all.
        record.kind = UndoKind::kInsertedBlock;
        record.insertedText.assign(static_cast<size_t>(result.after.col - at.col), ' ');
    }
    record.overwrite = result.overwrote;
    record.replacedChar = result.replaced;
    SetCaret(result.after);
    PushRecord(record);
    return true;
}

bool CEditorController::DeleteRangeRecorded(TextPosType from, TextPosType to)
{
    UndoRecordType record = BeginRecord(UndoKind::kDeletedBlock);
    record.pos = std::min(doc_.Clamp(from), doc_.Clamp(to));
    record.deletedText = doc_.TextBetween(from, to);
    if (record.deletedText.empty() || !doc_.DeleteRange(from, to)) {
        return false;
    }
    SetCaret(record.pos);
    PushRecord(record);
    return true;
}

bool CEditorController::ReplaceRangeRecorded(TextPosType from, TextPosType to,
                                             std::string_view text)
{
    UndoRecordType record = BeginRecord(UndoKind::kInsertedBlock);
    record.pos = std::min(doc_.Clamp(from), doc_.Clamp(to));
    record.deletedText = doc_.TextBetween(from, to);
    // The block is stored as the buffer will hold it, so undo removes exactly it.
    record.insertedText.assign(text);
    std::replace(record.insertedText.begin(), record.insertedText.end(), '\t', ' ');
    std::replace(record.insertedText.begin(), record.insertedText.end(), '\n', ' ');
    if (!doc_.Reserve(record.insertedText.size())) {
        return false;
    }
    if (!record.deletedText.empty() && !doc_.DeleteRange(from, to)) {
        return false;
    }
    TextPosType after;
    if (!doc_.InsertBlock(record.pos, record.insertedText, &after)) {
        doc_.InsertBlock(record.pos, record.deletedText);
        return false;
    }
    SetCaret(after);
    PushRecord(record);
    return true;
}

bool CEditorController::DeleteSelection()
{
    return HasSelection() && DeleteRangeRecorded(SelectionStart(), SelectionEnd());
}

bool CEditorController::ReplaceSelection(std::string_view text)
{
    return Guard([&] { return ReplaceRangeRecorded(SelectionStart(), SelectionEnd(), text); },
                 false);
}

void CEditorController::DeleteForward()
{
    if (DeleteSelection()) {
        return;
    }
    UndoRecordType record = BeginRecord(UndoKind::kDeletedChar);
    if (doc_.Offset(caret_) >= doc_.TextLength()) {
        return;
    }
    record.pos = caret_;
    record.character = doc_.DeleteChar(caret_);
    SetCaret(caret_);
    PushRecord(record);
}

void CEditorController::Backspace()
{
    if (caret_ == TextPosType{0, 0}) {
        return;
    }
    UndoRecordType record = BeginRecord(UndoKind::kDeletedChar);
    MoveCaret(-1, 0, false);
    record.pos = caret_;
    record.character = doc_.DeleteChar(caret_);
    SetCaret(caret_);
    PushRecord(record);
}

void CEditorController::Enter()
{
    // A line end is always inserted: overwriting would swallow a character.
    TypeRecorded('\r', false);
}

void CEditorController::Tab(bool shift)
{
    if (HasSelection()) {
        IndentSelection('\t', shift); // refused inside a single line
        return;
    }
    const int column = caret_.col + 1;
    if (shift) {
        MoveTo({doc_.PrevTabStop(column) - 1, caret_.line}, false);
        return;
    }
    const int blanks = doc_.NextTabStop(column) - column;
    TextPosType replaceEnd = caret_;
    if (overwrite_) {
        replaceEnd.col = std::min(caret_.col + blanks, doc_.LineLength(caret_.line));
    }
    ReplaceRangeRecorded(caret_, replaceEnd, std::string(static_cast<size_t>(blanks), ' '));
}

void CEditorController::DeleteWord()
{
    SelectWordAtCaret();
    DeleteSelection();
}

void CEditorController::DeleteToLineEnd()
{
    DeleteRangeRecorded(caret_, {doc_.LineLength(caret_.line), caret_.line});
}

// --- indenting ---------------------------------------------------------------

CEditorController::LineRangeType CEditorController::SelectedLines() const
{
    const TextPosType start = SelectionStart();
    const TextPosType end = SelectionEnd();
    if (start.line == end.line) {
        return {};
    }
    return {start.line, end.col == 0 ? end.line - 1 : end.line};
}

bool CEditorController::AdjustLines(int first, const std::vector<uint16_t>& counts, bool add)
{
    const int last = first + static_cast<int>(counts.size()) - 1;
    std::string text;
    for (int line = first; line <= last; ++line) {
        const size_t count = counts[static_cast<size_t>(line - first)];
        const std::string_view body = doc_.Line(line);
        if (add) {
            text.append(count, ' ');
            text.append(body);
        } else {
            text.append(body.substr(std::min(count, body.size())));
        }
        if (line < last) {
            text.push_back('\r');
        }
    }
    return doc_.ReplaceLines(first, last, text);
}

bool CEditorController::IndentSelection(char indentChar, bool unindent)
{
    const LineRangeType lines = SelectedLines();
    if (lines.last < lines.first) {
        return false;
    }
    UndoRecordType record = BeginRecord(unindent ? UndoKind::kUnindent : UndoKind::kIndent);
    record.character = indentChar;
    record.pos = {0, lines.first};
    record.lastLine = lines.last;
    const int width = indentChar == '\t' ? doc_.TabWidth() : 1;
    bool changes = !unindent;
    for (int line = lines.first; line <= lines.last; ++line) {
        int count = width;
        if (unindent) {
            const std::string_view body = doc_.Line(line);
            const size_t blanks = std::min(body.find_first_not_of(' '), body.size());
            count = std::min(width, static_cast<int>(blanks));
            changes = changes || count > 0;
        }
        record.lineCounts.push_back(static_cast<uint16_t>(count));
    }
    if (!changes || !AdjustLines(lines.first, record.lineCounts, !unindent)) {
        return false;
    }
    // Caret and anchor stay on their characters.
    auto shift = [&](TextPosType pos) {
        if (pos.line >= lines.first && pos.line <= lines.last) {
            const int count = record.lineCounts[static_cast<size_t>(pos.line - lines.first)];
            pos.col = std::max(0, pos.col + (unindent ? -count : count));
        }
        return pos;
    };
    SetSelection(shift(anchor_), shift(caret_));
    PushRecord(record);
    return true;
}

// --- undo and redo ---------------------------------------------------------------

namespace {

size_t LineCountSum(const UndoRecordType& r)
{
    size_t sum = 0;
    for (const uint16_t count : r.lineCounts) {
        sum += count;
    }
    return sum;
}

// The characters undoing (or redoing) an edit puts into the text. Only these
// need room: asking for more would refuse to undo, in a full buffer, the very
// edit that filled it. Undone in order, each edit finds the room it freed.
size_t RoomToUndo(const UndoRecordType& r)
{
    switch (r.kind) {
    case UndoKind::kDeletedChar:
        return 1;
    case UndoKind::kTypedChar:
        return r.deletedText.size() + (r.overwrite ? 1 : 0);
    case UndoKind::kUnindent:
        return LineCountSum(r);
    default:
        return r.deletedText.size();
    }
}

size_t RoomToRedo(const UndoRecordType& r)
{
    switch (r.kind) {
    case UndoKind::kTypedChar:
        // What typing over a selection reserved; typing alone checks its own room.
        return r.deletedText.empty() ? 0 : CEditorDoc::kTypingHeadroom;
    case UndoKind::kInsertedBlock:
        return r.insertedText.size();
    case UndoKind::kIndent:
        return LineCountSum(r);
    default:
        return 0;
    }
}

} // namespace

// Room is made first so that an inverse edit never stops half way.
bool CEditorController::ApplyUndo(const UndoRecordType& r)
{
    if (!doc_.Reserve(RoomToUndo(r))) {
        return false;
    }
    switch (r.kind) {
    case UndoKind::kDeletedChar:
        return doc_.InsertBlock(r.pos, std::string_view(&r.character, 1));
    case UndoKind::kDeletedBlock:
        return doc_.InsertBlock(r.pos, r.deletedText);
    case UndoKind::kTypedChar:
        doc_.DeleteChar(r.pos);
        if (r.overwrite) {
            doc_.InsertBlock(r.pos, std::string_view(&r.replacedChar, 1));
        }
        return r.deletedText.empty() || doc_.InsertBlock(r.pos, r.deletedText);
    case UndoKind::kInsertedBlock:
        doc_.DeleteRange(r.pos, Advance(r.pos, r.insertedText.size()));
        return r.deletedText.empty() || doc_.InsertBlock(r.pos, r.deletedText);
    case UndoKind::kIndent:
    case UndoKind::kUnindent:
        return AdjustLines(r.pos.line, r.lineCounts, r.kind == UndoKind::kUnindent);
    case UndoKind::kEmpty:
        break;
    }
    return false;
}

bool CEditorController::ApplyRedo(const UndoRecordType& r)
{
    if (!doc_.Reserve(RoomToRedo(r))) {
        return false;
    }
    switch (r.kind) {
    case UndoKind::kDeletedChar:
        return doc_.DeleteChar(r.pos) == r.character;
    case UndoKind::kDeletedBlock:
        return doc_.DeleteRange(r.pos, Advance(r.pos, r.deletedText.size()));
    case UndoKind::kTypedChar:
        if (!r.deletedText.empty()) {
            doc_.DeleteRange(r.pos, Advance(r.pos, r.deletedText.size()));
        }
        return doc_.TypeChar(r.pos, r.character, r.overwrite).done;
    case UndoKind::kInsertedBlock:
        if (!r.deletedText.empty()) {
            doc_.DeleteRange(r.pos, Advance(r.pos, r.deletedText.size()));
        }
        return doc_.InsertBlock(r.pos, r.insertedText);
    case UndoKind::kIndent:
    case UndoKind::kUnindent:
        return AdjustLines(r.pos.line, r.lineCounts, r.kind == UndoKind::kIndent);
    case UndoKind::kEmpty:
        break;
    }
    return false;
}

bool CEditorController::Undo()
{
    return Guard(
        [&] {
            const UndoRecordType* record = doc_.Undo().NextUndo();
            if (record == nullptr || !ApplyUndo(*record)) {
                return false;
            }
            doc_.Undo().StepBack();
            SetSelection(record->anchorBefore, record->caretBefore);
            return true;
        },
        false);
}

bool CEditorController::Redo()
{
    return Guard(
        [&] {
            const UndoRecordType* record = doc_.Undo().NextRedo();
            if (record == nullptr || !ApplyRedo(*record)) {
                return false;
            }
            doc_.Undo().StepForward();
            SetSelection(record->anchorAfter, record->caretAfter);
            return true;
        },
        false);
}

// --- clipboard text -------------------------------------------------------------

std::string CEditorController::CopyText() const
{
    return Guard(
        [&] {
            std::string out;
            for (const char c : SelectedText()) {
                out.push_back(c);
                if (c == '\r') {
                    out.push_back('\n');
                }
            }
            return out;
        },
        std::string());
}

std::string CEditorController::Cut()
{
    return Guard(
        [&] {
            std::string text = CopyText();
            DeleteSelection();
            return text;
        },
        std::string());
}

bool CEditorController::Paste(std::string_view clipboardText)
{
    return Guard(
        [&] {
            // The LF of a CR LF goes; a LF alone, as other programs here write
            // lines, still ends a line.
            std::string text;
            text.reserve(clipboardText.size());
            char previous = 0;
            for (const char c : clipboardText) {
                if (c != '\n') {
                    text.push_back(c);
                } else if (previous != '\r') {
                    text.push_back('\r');
                }
                previous = c;
            }
            if (text.empty()) {
                return false;
            }
            return ReplaceRangeRecorded(SelectionStart(), SelectionEnd(), text);
        },
        false);
}
