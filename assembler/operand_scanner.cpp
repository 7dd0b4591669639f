#include "assembler/operand_scanner.h"

#include "assembler/scan_text.h"
#include "common/text_util.h"

namespace {

constexpr size_t kMaxField = 78;

// The first position at or after from that holds one of stops, outside
// character constants; text.size() when there is none.
size_t FindOutsideConstants(std::string_view text, size_t from, bool (*stops)(char))
{
    size_t i = from;
    while (i < text.size()) {
        // The evaluator reads 'x' as one constant, so the boundaries must agree.
        if (scan::IsCharConstant(text, i)) {
            i += 3;
            continue;
        }
        if (stops(text[i])) {
            return i;
        }
        ++i;
    }
    return text.size();
}

bool IsComma(char c)
{
    return c == ',';
}

} // namespace

COperandScanner::COperandScanner(std::string_view text) : text_(text)
{
    // Everything behind the statement end is a comment or the line end.
    text_ = text_.substr(0, FindOutsideConstants(text_, 0, &IsStatementEnd));
}

void COperandScanner::SkipSeparators()
{
    while (pos_ < text_.size() && IsSeparator(text_[pos_])) {
        ++pos_;
    }
}

void COperandScanner::SkipBlanks()
{
    while (pos_ < text_.size() && IsBlank(text_[pos_])) {
        ++pos_;
    }
}

bool COperandScanner::AtEnd() const
{
    return pos_ >= text_.size();
}

char COperandScanner::Peek() const
{
    return AtEnd() ? '\0' : text_[pos_];
}

void COperandScanner::Advance()
{
    if (pos_ < text_.size()) {
        ++pos_;
    }
}

size_t COperandScanner::WordEnd() const
{
    size_t end = pos_;
    while (end < text_.size() && !IsSeparator(text_[end])) {
        ++end;
    }
    return end;
}

std::string_view COperandScanner::PeekWord() const
{
    const size_t length = WordEnd() - pos_;
    return text_.substr(pos_, length < kMaxWord ? length : kMaxWord);
}

std::string_view COperandScanner::ReadWord()
{
    const std::string_view word = PeekWord();
    pos_ = WordEnd();
    Advance(); // the separator that ended the word
    SkipBlanks();
    return word;
}

std::string_view COperandScanner::Field() const
{
    const size_t end = FindOutsideConstants(text_, pos_, &IsComma);
    return text_.substr(pos_, end - pos_);
}

bool COperandScanner::SkipField()
{
    const size_t comma = FindOutsideConstants(text_, pos_, &IsComma);
    if (comma >= text_.size()) {
        pos_ = text_.size();
        return false;
    }
    pos_ = comma + 1;
    return true;
}

bool COperandScanner::CommaAhead() const
{
    return FindOutsideConstants(text_, pos_, &IsComma) < text_.size();
}

bool FieldMatchesIgnoringBlanks(std::string_view field, std::string_view keyword)
{
    size_t k = 0;
    for (size_t i = 0; i < field.size() && i < kMaxField; ++i) {
        const char c = field[i];
        if (c == ',' || COperandScanner::IsStatementEnd(c)) {
            break;
        }
        if (COperandScanner::IsBlank(c)) {
            continue;
        }
        if (k >= keyword.size() || FoldLower(static_cast<unsigned char>(c)) !=
                                       FoldLower(static_cast<unsigned char>(keyword[k]))) {
            return false;
        }
        ++k;
    }
    return k == keyword.size();
}
