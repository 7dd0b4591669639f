#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// A place in the text: 0-based column and line. Lines are kept in 32 bits so
// that undo stays exact in files of more than 65,535 lines.
struct TextPosType
{
    int32_t col = 0;
    int32_t line = 0;

    friend bool operator==(const TextPosType&, const TextPosType&) = default;
    friend bool operator<(const TextPosType& a, const TextPosType& b)
    {
        return a.line != b.line ? a.line < b.line : a.col < b.col;
    }
};

enum class UndoKind : uint8_t
{
    kEmpty = 0,
    kDeletedChar = 1,
    kDeletedBlock = 2,
    kTypedChar = 3,
    kInsertedBlock = 4,
    kIndent = 5,
    kUnindent = 6,
};

struct UndoRecordType
{
    UndoKind kind = UndoKind::kEmpty;
    // kDeletedChar: the deleted character; kTypedChar: the typed one;
    // kIndent/kUnindent: the indent character (blank or tab).
    char character = 0;
    // kTypedChar: the character overwritten in overwrite mode (0 when none).
    char replacedChar = 0;
    bool overwrite = false;
    // Where the edit took place; for kIndent/kUnindent the first line.
    TextPosType pos;
    // kIndent/kUnindent: the last line.
    int32_t lastLine = 0;
    // kInsertedBlock: the inserted block.
    std::string insertedText;
    // kDeletedBlock: the deleted block; kTypedChar and kInsertedBlock: the
    // selection (or overwritten run) the edit replaced, empty when none.
    std::string deletedText;
    // kIndent/kUnindent: blanks added or removed per line, so that undo puts
    // back exactly what changed even where a line had fewer leading blanks.
    std::vector<uint16_t> lineCounts;

    TextPosType caretBefore;
    TextPosType anchorBefore;
    TextPosType caretAfter;
    TextPosType anchorAfter;
};

// The last edits of a document. One slot stays unused to tell a full ring
// from an empty one, so 100 slots keep 99 edits.
class CUndoRing
{
public:
    static constexpr int kSlots = 100;

    void Clear();
    void Push(UndoRecordType record);

    bool CanUndo() const { return current_ != oldest_; }
    bool CanRedo() const { return current_ != newest_; }
    // The record the next undo or redo acts on; null when there is none.
    const UndoRecordType* NextUndo() const;
    const UndoRecordType* NextRedo() const;
    // Move the index once the undo or redo has been carried out.
    void StepBack();
    void StepForward();

    int UndoCount() const { return (current_ - oldest_ + kSlots) % kSlots; }
    int RedoCount() const { return (newest_ - current_ + kSlots) % kSlots; }

private:
    static int Next(int index) { return (index + 1) % kSlots; }
    static int Prev(int index) { return (index + kSlots - 1) % kSlots; }

    std::array<UndoRecordType, kSlots> records_{};
    int current_ = 0;
    int oldest_ = 0;
    int newest_ = 0;
};
