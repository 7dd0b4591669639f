#include "editor/ui/syntax_colouring.h"

#include "assembler/asm_vocabulary.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsWordChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || IsDigit(c) || c == '_' || c == '.' ||
           c == '$' || c == '%' || c == '?';
}

class CLineScanner
{
public:
    CLineScanner(std::string_view line, std::vector<TokenSpanType>& spans)
        : line_(line), spans_(spans)
    {}

    void Run()
    {
        while (SkipBlanks()) {
            const char c = line_[pos_];
            if (c == ';') {
                Add(pos_, line_.size() - pos_, TokenKind::kComment);
                return;
            }
            if (c == ':' && atStatementStart_ && pos_ == FirstNonBlank()) {
                Add(pos_, line_.size() - pos_, TokenKind::kNumber); // an Intel HEX record
                return;
            }
            if (c == '\'' || c == '"') {
                Quoted(c);
            } else if (IsWordChar(c) || c == '@' || (c == '#' && atStatementStart_)) {
                Word();
            } else {
                ++pos_;
            }
        }
    }

private:
    bool SkipBlanks()
    {
        while (pos_ < line_.size() && IsBlank(line_[pos_])) {
            ++pos_;
        }
        return pos_ < line_.size();
    }

    size_t FirstNonBlank() const
    {
        size_t p = 0;
        while (p < line_.size() && IsBlank(line_[p])) {
            ++p;
        }
        return p;
    }

    void Add(size_t start, size_t length, TokenKind kind)
    {
        if (length > 0) {
            spans_.push_back({static_cast<int>(start), static_cast<int>(length), kind});
        }
    }

    // 'x' is one character even when x is a quote or a semicolon; otherwise
    // the text runs to the closing quote or the line end.
    void Quoted(char quote)
    {
        const size_t start = pos_;
        if (quote == '\'' && pos_ + 2 < line_.size() && line_[pos_ + 2] == '\'') {
            pos_ += 3;
        } else {
            const size_t close = line_.find(quote, pos_ + 1);
            pos_ = close == std::string_view::npos ? line_.size() : close + 1;
        }
        Add(start, pos_ - start, TokenKind::kString);
        atStatementStart_ = false;
    }

    std::string_view ReadWord(size_t& start)
    {
        start = pos_;
        if (line_[pos_] == '@' || line_[pos_] == '#') {
            ++pos_;
        }
        while (pos_ < line_.size() && IsWordChar(line_[pos_])) {
            ++pos_;
        }
        return line_.substr(start, pos_ - start);
    }

    // The kind of the next word of the statement, without moving.
    AsmWordKind PeekWordKind()
    {
        const size_t saved = pos_;
        AsmWordKind kind = AsmWordKind::kNone;
        if (SkipBlanks() && IsWordChar(line_[pos_])) {
            size_t start = 0;
            kind = ClassifyAsmWord(ReadWord(start));
        }
        pos_ = saved;
        return kind;
    }

    static TokenKind KindOf(AsmWordKind kind)
    {
        switch (kind) {
        case AsmWordKind::kMnemonic:
            return TokenKind::kMnemonic;
        case AsmWordKind::kDirective:
        case AsmWordKind::kDefinition:
            return TokenKind::kDirective;
        case AsmWordKind::kRegister:
            return TokenKind::kRegister;
        case AsmWordKind::kSfr:
        case AsmWordKind::kBit:
            return TokenKind::kSfr;
        case AsmWordKind::kNone:
            break;
        }
        return TokenKind::kPlain;
    }

    void Word()
    {
        size_t start = 0;
        const std::string_view word = ReadWord(start);
        if (word.size() == 1 && (word[0] == '@' || word[0] == '#')) {
            return; // an operator, not a word
        }
        if (IsDigit(word[0])) {
            Add(start, word.size(), TokenKind::kNumber);
            atStatementStart_ = false;
            return;
        }
        if (!atStatementStart_) {
            const TokenKind kind = KindOf(ClassifyAsmWord(word));
            if (kind != TokenKind::kPlain) {
                Add(start, word.size(), kind);
            }
            return;
        }
        if (pos_ < line_.size() && line_[pos_] == ':') {
            Add(start, word.size(), TokenKind::kLabel);
            ++pos_; // a statement may follow the label
            return;
        }
        atStatementStart_ = false;
        const AsmWordKind kind = ClassifyAsmWord(word);
        if (kind != AsmWordKind::kNone) {
            Add(start, word.size(), KindOf(kind));
        } else if (word[0] == '$') {
            Add(start, word.size(), TokenKind::kDirective); // $INCLUDE and its kin
        } else if (PeekWordKind() == AsmWordKind::kDefinition) {
            Add(start, word.size(), TokenKind::kLabel); // NAME EQU value
        }
    }

    std::string_view line_;
    std::vector<TokenSpanType>& spans_;
    size_t pos_ = 0;
    bool atStatementStart_ = true;
};

} // namespace

void ColourLine(std::string_view line, std::vector<TokenSpanType>& spans)
{
    spans.clear();
    if (line.size() > static_cast<size_t>(kMaxColouredLine)) {
        return;
    }
    CLineScanner(line, spans).Run();
}
