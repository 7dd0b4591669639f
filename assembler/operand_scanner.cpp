#include "assembler/operand_scanner.h"

#include "common/text_util.h"

namespace {

constexpr size_t kMaxField = 78;

} // namespace

COperandScanner::COperandScanner(std::string_view text) : m_text(text)
{
    // Everything behind the statement end is a comment or the line end.
    size_t end = 0;
    while (end < m_text.size() && !IsStatementEnd(m_text[end])) {
        ++end;
    }
    m_text = m_text.substr(0, end);
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
    const size_t comma = m_text.find(',', m_pos);
    const size_t end = comma == std::string_view::npos ? m_text.size() : comma;
    return m_text.substr(m_pos, end - m_pos);
}

bool COperandScanner::SkipField()
{
    const size_t comma = m_text.find(',', m_pos);
    if (comma == std::string_view::npos) {
        m_pos = m_text.size();
        return false;
    }
    m_pos = comma + 1;
    return true;
}

bool COperandScanner::CommaAhead() const
{
    return m_text.find(',', m_pos) != std::string_view::npos;
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
