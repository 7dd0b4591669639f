#pragma once

#include <cstddef>
#include <string_view>

// Walks the operand text of one statement. Keywords are read as words
// (ending at a separator); expressions are taken as whole fields (ending at
// a comma), so blanks inside an expression do not split it. Nothing is ever
// read past the statement end (CR, LF, ";", NUL or the end of the text).
class COperandScanner
{
public:
    static constexpr size_t kMaxWord = 32;

    COperandScanner() = default;
    explicit COperandScanner(std::string_view text);

    static bool IsStatementEnd(char c) { return c == '\r' || c == '\n' || c == ';' || c == '\0'; }
    static bool IsBlank(char c) { return c == ' ' || c == '\t'; }
    static bool IsSeparator(char c)
    {
        return IsBlank(c) || c == ',' || c == ':' || c == ';' || c == '\r';
    }

    // Skips blanks, tabs, commas and colons.
    void SkipSeparators();
    void SkipBlanks();
    bool AtEnd() const;
    // The current character, or NUL at the statement end.
    char Peek() const;
    void Advance();

    // The word at the current position (at most 32 characters; longer words
    // are cut, their rest skipped), then one separator and the blanks behind it.
    std::string_view ReadWord();
    // The word at the current position without moving.
    std::string_view PeekWord() const;

    // From the current position up to the next comma or the statement end.
    std::string_view Field() const;
    // Moves behind the next comma; false when the statement ends first.
    bool SkipField();
    // A comma follows somewhere before the statement end.
    bool CommaAhead() const;

    size_t Position() const { return pos_; }
    void SetPosition(size_t pos) { pos_ = pos < text_.size() ? pos : text_.size(); }

private:
    size_t WordEnd() const;

    std::string_view text_;
    size_t pos_ = 0;
};

// True when the field (up to a comma or the statement end, at most 78
// characters) equals keyword once blanks and tabs are dropped; no case.
bool FieldMatchesIgnoringBlanks(std::string_view field, std::string_view keyword);
