#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/message_sink.h"
#include "common/revision.h"
#include "editor/core/undo_ring.h"

// The text of one source file: one contiguous buffer in which lines are
// separated by a single CR and tabs are already blanks, plus a table of line
// starts so every line is reached in constant time.
class CEditorDoc
{
public:
    static constexpr uint32_t kMaxCapacity = 0x7FFFFFF0u;
    static constexpr uint32_t kInitialCapacity = 65536;
    static constexpr uint32_t kLoadHeadroom = 65536;
    static constexpr uint32_t kTypingHeadroom = 1024;
    static constexpr uint32_t kGrowStep = 16384;
    static constexpr uint32_t kMinFreeToType = 100;
    static constexpr size_t kLineTableInitial = 2500;
    static constexpr size_t kLineTableGrow = 512;
    static constexpr size_t kLineTableMargin = 256;
    static constexpr int kMaxTypedTabBlanks = 20;
    static constexpr int kMaxTabWidth = 64;
    static constexpr size_t kReadBlock = 1024;

    explicit CEditorDoc(IMessageSink* messages = nullptr);
    CEditorDoc(const CEditorDoc&) = delete;
    CEditorDoc& operator=(const CEditorDoc&) = delete;

    // Raised by every change of the text and of the modified flag; each view
    // of the document redraws when it moves.
    const CRevision& Revision() const { return revision_; }

    bool Load(const std::filesystem::path& path);
    // Loads text held in memory as Load reads a file (a recovered text).
    bool LoadText(std::string_view text);
    bool Save(const std::filesystem::path& path);
    // The text as Save writes it, with the document's line ends.
    std::string SavedText() const;
    bool IsLoaded() const { return loaded_; }
    // True when the last load found LF-only line ends; saving keeps them.
    bool HasLfLineEnds() const { return lfLineEnds_; }

    void SetTitle(std::string title) { title_ = std::move(title); }
    const std::string& Title() const { return title_; }
    bool IsModified() const { return modified_; }
    void SetModified(bool modified);

    // The tab width setting; values outside 1..kMaxTabWidth are clamped so a
    // damaged setting can neither divide by zero nor flood the buffer.
    void SetTabWidth(int width);
    int TabWidth() const { return tabWidth_; }
    int NextTabStop(int column) const;
    int PrevTabStop(int column) const;

    // Memory ceiling for the buffer; an allocation above it fails like one
    // the system refuses. Never above kMaxCapacity, so columns fit in 32 bits.
    void SetCapacityLimit(uint32_t limit) { capacityLimit_ = std::min(limit, kMaxCapacity); }

    uint32_t Capacity() const { return capacity_; }
    uint32_t Free() const { return capacity_ - length_; }
    size_t LineTableSize() const { return lineTableSize_; }
    const char* Text() const { return text_ ? text_.get() : ""; }
    size_t TextLength() const { return length_; }
    std::string_view TextView() const { return {Text(), length_}; }

    int LineCount() const { return static_cast<int>(lineStarts_.size()); }
    int LineLength(int line) const;
    std::string_view Line(int line) const;
    // The character at a column of a line: CR at the line end, 0 past the text.
    char CharAt(int col, int line) const;
    int CurrentLine() const { return currentLine_; }
    // Clamps a place to the document: line to the lines, column to the line.
    TextPosType Clamp(TextPosType pos) const;
    size_t Offset(TextPosType pos) const;
    TextPosType PosOf(size_t offset) const;
    std::string TextBetween(TextPosType from, TextPosType to) const;

    // Makes room for chars more characters, growing when needed; tells the
    // user when there is none.
    bool Reserve(size_t chars);

    void ReportNoRoom();

    // Editing primitives. Each returns false when refused (with its message).
    struct TypeResultType
    {
        bool done = false;
        char replaced = 0;      // the character overwritten, 0 when none
        bool overwrote = false; // also when the character overwritten was a NUL
        TextPosType after;
    };
    TypeResultType TypeChar(TextPosType at, char ch, bool overwrite);
    // Returns the deleted character, 0 when there was none.
    char DeleteChar(TextPosType at);
    bool InsertBlock(TextPosType at, std::string_view block, TextPosType* after = nullptr);
    bool DeleteRange(TextPosType from, TextPosType to);
    // Replaces lines first..last (line ends kept) with the given text in one
    // move, used by indenting so large blocks stay linear.
    bool ReplaceLines(int first, int last, std::string_view text);

    // Leftmost match in the first line from the start column, then whole lines
    // in the given direction, wrapping; (-1,-1) when there is none.
    TextPosType Find(std::string_view what, TextPosType start, bool matchCase, bool wholeWords,
                     bool forward, bool report);
    // Position of the first match in a line at or after col, or -1.
    int FindInLine(int line, int col, std::string_view what, bool matchCase, bool wholeWords) const;

    CUndoRing& Undo() { return undo_; }
    const CUndoRing& Undo() const { return undo_; }

private:
    static size_t CountCr(const char* text, size_t length);
    bool Allocate(uint32_t capacity, const char* failMessage);
    bool Grow(uint32_t request);
    bool EnsureFreeForTyping();
    bool Splice(size_t offset, size_t removeLen, std::string_view insert);
    bool ReserveLineTable(size_t lines);
    void RebuildLineStarts();
    void Changed();
    void Report(const std::string& text, IMessageSink::Severity severity);
    bool LoadFrom(std::FILE* file, uint64_t fileLength);
    bool ReadConverted(std::FILE* file);
    bool WriteTo(std::FILE* file) const;
    void ResetEmpty();

    IMessageSink* messages_;
    std::unique_ptr<char[]> text_;
    uint32_t capacity_ = 0;
    uint32_t length_ = 0;
    uint32_t capacityLimit_ = kMaxCapacity;
    std::vector<uint32_t> lineStarts_;
    size_t lineTableSize_ = kLineTableInitial;
    int currentLine_ = 0;
    int tabWidth_ = 8;
    bool loaded_ = false;
    bool modified_ = false;
    bool lfLineEnds_ = false;
    std::string title_;
    CUndoRing undo_;
    CRevision revision_;
};
