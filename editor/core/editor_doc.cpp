#include "editor/core/editor_doc.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <system_error>

#include "common/text_util.h"

namespace {

constexpr const char* kNoMemoryForBuffer = "Unable to allocate memory for text buffer.";
constexpr const char* kBufferFull = "Text buffer full, unable to add character(s)";
constexpr const char* kNoRoom = "Insufficient room in text buffer.";
constexpr const char* kUnableToFind = "Unable to find: %s";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

size_t CEditorDoc::CountCr(const char* text, size_t length)
{
    size_t count = 0;
    const char* end = text + length;
    for (const char* p = text; p < end;) {
        const void* hit = std::memchr(p, '\r', static_cast<size_t>(end - p));
        if (hit == nullptr) {
            break;
        }
        ++count;
        p = static_cast<const char*>(hit) + 1;
    }
    return count;
}

CEditorDoc::CEditorDoc(IMessageSink* messages) : messages_(messages)
{
    ResetEmpty();
}

void CEditorDoc::ResetEmpty()
{
    text_.reset();
    capacity_ = length_ = 0;
    Allocate(kInitialCapacity, kNoMemoryForBuffer);
    lineTableSize_ = kLineTableInitial;
    RebuildLineStarts();
    currentLine_ = 0;
    lfLineEnds_ = false;
    undo_.Clear();
    revision_.Raise();
}

bool CEditorDoc::Allocate(uint32_t capacity, const char* failMessage)
{
    std::unique_ptr<char[]> buffer;
    if (capacity <= capacityLimit_) {
        buffer.reset(new (std::nothrow) char[static_cast<size_t>(capacity) + 2]);
    }
    if (!buffer) {
        Report(failMessage, IMessageSink::Severity::kError);
        return false;
    }
    buffer[0] = '\0';
    text_ = std::move(buffer);
    capacity_ = capacity;
    length_ = 0;
    return true;
}

void CEditorDoc::Report(const std::string& text, IMessageSink::Severity severity)
{
    if (messages_ != nullptr) {
        messages_->ShowMessage(text, severity);
    }
}

void CEditorDoc::SetModified(bool modified)
{
    if (modified != modified_) {
        modified_ = modified;
        revision_.Raise();
    }
}

void CEditorDoc::SetTabWidth(int width)
{
    tabWidth_ = std::clamp(width, 1, kMaxTabWidth);
}

int CEditorDoc::NextTabStop(int column) const
{
    return ((column - 1) / tabWidth_ + 1) * tabWidth_ + 1;
}

int CEditorDoc::PrevTabStop(int column) const
{
    int stop = (column - 1) / tabWidth_ * tabWidth_ + 1;
    if (stop == column) {
        stop -= tabWidth_;
    }
    return std::max(stop, 1);
}

// --- line access -----------------------------------------------------------

void CEditorDoc::RebuildLineStarts()
{
    lineStarts_.clear();
    ReserveLineTable(CountCr(Text(), length_) + 1);
    lineStarts_.push_back(0);
    const char* base = Text();
    const char* end = base + length_;
    for (const char* p = base; p < end;) {
        const void* hit = std::memchr(p, '\r', static_cast<size_t>(end - p));
        if (hit == nullptr) {
            break;
        }
        p = static_cast<const char*>(hit) + 1;
        lineStarts_.push_back(static_cast<uint32_t>(p - base));
    }
}

bool CEditorDoc::ReserveLineTable(size_t lines)
{
    if (lines + kLineTableMargin >= lineTableSize_) {
        const size_t steps = (lines + kLineTableMargin - lineTableSize_) / kLineTableGrow + 1;
        lineTableSize_ += steps * kLineTableGrow;
    }
    try {
        lineStarts_.reserve(lineTableSize_);
    } catch (const std::bad_alloc&) {
        return lineStarts_.capacity() >= lines;
    }
    return true;
}

int CEditorDoc::LineLength(int line) const
{
    if (line < 0 || line >= LineCount()) {
        return 0;
    }
    const size_t i = static_cast<size_t>(line);
    const uint32_t end = i + 1 < lineStarts_.size() ? lineStarts_[i + 1] - 1 : length_;
    return static_cast<int>(end - lineStarts_[i]);
}

std::string_view CEditorDoc::Line(int line) const
{
    if (line < 0 || line >= LineCount()) {
        return {};
    }
    return {Text() + lineStarts_[static_cast<size_t>(line)], static_cast<size_t>(LineLength(line))};
}

char CEditorDoc::CharAt(int col, int line) const
{
    if (line < 0 || line >= LineCount() || col < 0) {
        return '\0';
    }
    const size_t offset = lineStarts_[static_cast<size_t>(line)] + static_cast<size_t>(col);
    return col <= LineLength(line) && offset < length_ ? Text()[offset] : '\0';
}

TextPosType CEditorDoc::Clamp(TextPosType pos) const
{
    pos.line = std::clamp(pos.line, 0, LineCount() - 1);
    pos.col = std::clamp(pos.col, 0, LineLength(pos.line));
    return pos;
}

size_t CEditorDoc::Offset(TextPosType pos) const
{
    pos = Clamp(pos);
    return lineStarts_[static_cast<size_t>(pos.line)] + static_cast<size_t>(pos.col);
}

TextPosType CEditorDoc::PosOf(size_t offset) const
{
    offset = std::min<size_t>(offset, length_);
    const auto it = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
    const auto line = static_cast<int32_t>(it - lineStarts_.begin()) - 1;
    return {static_cast<int32_t>(offset - lineStarts_[static_cast<size_t>(line)]), line};
}

std::string CEditorDoc::TextBetween(TextPosType from, TextPosType to) const
{
    size_t a = Offset(from);
    size_t b = Offset(to);
    if (b < a) {
        std::swap(a, b);
    }
    return std::string(Text() + a, b - a);
}

// --- editing primitives ------------------------------------------------------

void CEditorDoc::Changed()
{
    SetModified(true);
    revision_.Raise();
}

bool CEditorDoc::Grow(uint32_t request)
{
    const uint64_t add = std::max(request, kGrowStep);
    const uint64_t newCapacity = uint64_t{capacity_} + add;
    if (newCapacity > capacityLimit_) {
        return false;
    }
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[newCapacity + 2]);
    if (!buffer) {
        return false;
    }
    std::memcpy(buffer.get(), Text(), length_);
    buffer[length_] = '\0';
    text_ = std::move(buffer);
    capacity_ = static_cast<uint32_t>(newCapacity);
    return true;
}

void CEditorDoc::ReportNoRoom()
{
    Report(kNoRoom, IMessageSink::Severity::kError);
}

bool CEditorDoc::Reserve(size_t chars)
{
    if (chars <= Free() || (chars <= UINT32_MAX && Grow(static_cast<uint32_t>(chars)))) {
        return true;
    }
    Report(kNoRoom, IMessageSink::Severity::kError);
    return false;
}

bool CEditorDoc::EnsureFreeForTyping()
{
    if (Free() < kTypingHeadroom) {
        Grow(kTypingHeadroom);
    }
    if (Free() < kMinFreeToType) {
        Report(kBufferFull, IMessageSink::Severity::kError);
        return false;
    }
    return true;
}

// Every edit ends here: one move of the tail, then the line starts of the
// touched lines are replaced and those after shifted.
bool CEditorDoc::Splice(size_t offset, size_t removeLen, std::string_view insert)
{
    if (offset > length_ || removeLen > length_ - offset || insert.size() > Free() + removeLen ||
        !text_) {
        return false;
    }
    char* base = text_.get();
    const size_t removedLines = CountCr(base + offset, removeLen);
    const size_t addedLines = CountCr(insert.data(), insert.size());
    const size_t newLineCount = lineStarts_.size() - removedLines + addedLines;
    if (!ReserveLineTable(newLineCount)) {
        return false;
    }
    const size_t line = static_cast<size_t>(
        std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset) - lineStarts_.begin() - 1);

    const size_t tail = length_ - offset - removeLen + 1; // with the terminator
    std::memmove(base + offset + insert.size(), base + offset + removeLen, tail);
    if (!insert.empty()) {
        std::memcpy(base + offset, insert.data(), insert.size());
    }
    length_ = static_cast<uint32_t>(length_ - removeLen + insert.size());

    const auto first = lineStarts_.begin() + static_cast<std::ptrdiff_t>(line + 1);
    if (addedLines > removedLines) {
        lineStarts_.insert(first, addedLines - removedLines, 0);
    } else if (removedLines > addedLines) {
        lineStarts_.erase(first, first + static_cast<std::ptrdiff_t>(removedLines - addedLines));
    }
    size_t slot = line + 1;
    for (size_t i = 0; i < insert.size(); ++i) {
        if (insert[i] == '\r') {
            lineStarts_[slot++] = static_cast<uint32_t>(offset + i + 1);
        }
    }
    const auto delta = static_cast<uint32_t>(insert.size() - removeLen); // wraps as intended
    for (size_t i = slot; i < lineStarts_.size(); ++i) {
        lineStarts_[i] += delta;
    }
    currentLine_ = static_cast<int>(line);
    Changed();
    return true;
}

CEditorDoc::TypeResultType CEditorDoc::TypeChar(TextPosType at, char ch, bool overwrite)
{
    TypeResultType result;
    at = Clamp(at);
    currentLine_ = at.line;
    if (!EnsureFreeForTyping()) {
        return result;
    }
    // Only a CR ends a line in the buffer; a LF kept there would turn into a
    // blank when an undo puts it back.
    if (ch == '\n') {
        ch = '\r';
    }
    const size_t offset = Offset(at);
    if (ch == '\t') {
        const int blanks =
            std::clamp(NextTabStop(at.col + 1) - (at.col + 1), 1, kMaxTypedTabBlanks);
        result.done = Splice(offset, 0, std::string(static_cast<size_t>(blanks), ' '));
        result.after = {at.col + blanks, at.line};
        return result;
    }
    const bool replace = overwrite && offset < length_ && Text()[offset] != '\r';
    if (replace) {
        result.replaced = Text()[offset];
        result.overwrote = true;
    }
    result.done = Splice(offset, replace ? 1 : 0, std::string_view(&ch, 1));
    result.after = ch == '\r' ? TextPosType{0, at.line + 1} : TextPosType{at.col + 1, at.line};
    return result;
}

char CEditorDoc::DeleteChar(TextPosType at)
{
    at = Clamp(at);
    currentLine_ = at.line;
    const size_t offset = Offset(at);
    if (offset >= length_) {
        return '\0';
    }
    const char deleted = Text()[offset];
    return Splice(offset, 1, {}) ? deleted : '\0';
}

bool CEditorDoc::InsertBlock(TextPosType at, std::string_view block, TextPosType* after)
{
    at = Clamp(at);
    currentLine_ = at.line;
    std::string clean(block);
    size_t tabs = 0;
    for (char& c : clean) {
        if (c == '\t' || c == '\n') {
            tabs += c == '\t' ? 1 : 0;
            c = ' ';
        }
    }
    const uint64_t room = clean.size() + tabs * static_cast<uint64_t>(tabWidth_ - 1);
    if (room > Free() && (room > UINT32_MAX || !Grow(static_cast<uint32_t>(room)))) {
        Report(kNoRoom, IMessageSink::Severity::kError);
        return false;
    }
    if (!Splice(Offset(at), 0, clean)) {
        Report(kNoRoom, IMessageSink::Severity::kError);
        return false;
    }
    if (after != nullptr) {
        const size_t lastCr = clean.rfind('\r');
        const auto newLines = static_cast<int32_t>(CountCr(clean.data(), clean.size()));
        *after =
            lastCr == std::string::npos
                ? TextPosType{at.col + static_cast<int32_t>(clean.size()), at.line}
                : TextPosType{static_cast<int32_t>(clean.size() - lastCr - 1), at.line + newLines};
    }
    return true;
}

bool CEditorDoc::DeleteRange(TextPosType from, TextPosType to)
{
    size_t a = Offset(from);
    size_t b = Offset(to);
    if (b < a) {
        std::swap(a, b);
    }
    return Splice(a, b - a, {});
}

bool CEditorDoc::ReplaceLines(int first, int last, std::string_view text)
{
    if (first < 0 || last < first || last >= LineCount()) {
        return false;
    }
    const size_t a = Offset({0, first});
    const size_t b = Offset({LineLength(last), last});
    if (text.size() > b - a + Free() && !Grow(static_cast<uint32_t>(text.size() - (b - a)))) {
        Report(kNoRoom, IMessageSink::Severity::kError);
        return false;
    }
    return Splice(a, b - a, text);
}

// --- finding ---------------------------------------------------------------------

int CEditorDoc::FindInLine(int line, int col, std::string_view what, bool matchCase,
                           bool wholeWords) const
{
    const std::string_view text = Line(line);
    const size_t m = what.size();
    if (m == 0 || col < 0 || static_cast<size_t>(col) > text.size() || m > text.size()) {
        return -1;
    }
    const auto first = static_cast<unsigned char>(what[0]);
    const unsigned char firstUpper = FoldUpper(first);
    for (size_t p = static_cast<size_t>(col); p + m <= text.size(); ++p) {
        const auto c = static_cast<unsigned char>(text[p]);
        if (matchCase ? c != first : FoldUpper(c) != firstUpper) {
            continue;
        }
        bool equal = true;
        for (size_t i = 1; i < m && equal; ++i) {
            const auto a = static_cast<unsigned char>(text[p + i]);
            const auto b = static_cast<unsigned char>(what[i]);
            equal = matchCase ? a == b : FoldUpper(a) == FoldUpper(b);
        }
        if (!equal) {
            continue;
        }
        // Whole words stand between blanks; the line's start and end count as
        // blanks, the end of the text included.
        if (wholeWords &&
            ((p > 0 && !IsBlank(text[p - 1])) || (p + m < text.size() && !IsBlank(text[p + m])))) {
            continue;
        }
        return static_cast<int>(p);
    }
    return -1;
}

TextPosType CEditorDoc::Find(std::string_view what, TextPosType start, bool matchCase,
                             bool wholeWords, bool forward, bool report)
{
    const TextPosType notFound{-1, -1};
    if (LineCount() == 0) {
        return notFound;
    }
    if (!what.empty()) {
        start = Clamp(start);
        int line = start.line;
        int col = start.col;
        int wraps = 0;
        while (wraps < 2) {
            const int hit = FindInLine(line, col, what, matchCase, wholeWords);
            if (hit >= 0) {
                return {hit, line};
            }
            col = 0;
            line += forward ? 1 : -1;
            if (line >= LineCount() || line < 0) {
                line = forward ? 0 : LineCount() - 1;
                ++wraps;
            }
        }
    }
    if (report) {
        Report(StrFormat(kUnableToFind, std::string(what).c_str()),
               IMessageSink::Severity::kInformation);
    }
    return notFound;
}
