#include "assembler/operand_scanner.h"

#include "common/text_util.h"

namespace {

constexpr size_t kMaxField = 78;

// 'x' is one character constant, even when x is a comma or a semicolon: the
// evaluator reads it that way, so the operand boundaries must agree.
bool IsCharConstant(std::string_view text, size_t i)
{
    return text[i] == '\'' && i + 2 < text.size() && text[i + 2] == '\'';
}

// The first position at or after from that holds one of stops, outside
// character constants; text.size() when there is none.
size_t FindOutsideConstants(std::string_view text, size_t from, bool (*stops)(char))
{
    size_t i = from;
    while (i < text.size()) {
        if (IsCharConstant(text, i)) {
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

COperandScanner::COperandScanner(std::string_view text) : m_text(text)
{
    // Everything behind the statement end is a comment or the line end.
    m_text = m_text.substr(0, FindOutsideConstants(m_text, 0, &IsStatementEnd));
}

void COperandScanner::SkipSeparators()
{
    while (m_pos < m_text.size() && IsSeparator(m_text[m_pos])) {
        ++m_pos;
    }
}

void COperandScanner::SkipBlanks()
{
    while (m_pos < m_text.size() && IsBlank(m_text[m_pos])) {
        ++m_pos;
    }
}

bool COperandScanner::AtEnd() const
{
    return m_pos >= m_text.size();
}

char COperandScanner::Peek() const
{
    return AtEnd() ? '\0' : m_text[m_pos];
}

void COperandScanner::Advance()
{
    if (m_pos < m_text.size()) {
        ++m_pos;
    }
}

size_t COperandScanner::WordEnd() const
{
    size_t end = m_pos;
    while (end < m_text.size() && !IsSeparator(m_text[end])) {
        ++end;
    }
    return end;
}

std::string_view COperandScanner::PeekWord() const
{
    const size_t length = WordEnd() - m_pos;
    return m_text.substr(m_pos, length < kMaxWord ? length : kMaxWord);
}

std::string_view COperandScanner::ReadWord()
{
    const std::string_view word = PeekWord();
    m_pos = WordEnd();
    Advance(); // the separator that ended the word
    SkipBlanks();
    return word;
}

std::string_view COperandScanner::Field() const
{
    const size_t end = FindOutsideConstants(m_text, m_pos, &IsComma);
    return m_text.substr(m_pos, end - m_pos);
}

bool COperandScanner::SkipField()
{
    const size_t comma = FindOutsideConstants(m_text, m_pos, &IsComma);
    if (comma >= m_text.size()) {
        m_pos = m_text.size();
        return false;
    }
    m_pos = comma + 1;
    return true;
}

bool COperandScanner::CommaAhead() const
{
    return FindOutsideConstants(m_text, m_pos, &IsComma) < m_text.size();
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
