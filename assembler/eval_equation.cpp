#include "assembler/eval_equation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "assembler/scan_text.h"
#include "assembler/sfr_names.h"
#include "common/text_util.h"

namespace {

// Internal operator codes: characters that cannot occur in source text.
constexpr char kNotEqual = '\x01';
constexpr char kHigh = '\x02';
constexpr char kLow = '\x03';
constexpr char kHighWord = '\x04';
constexpr char kLowWord = '\x05';
// A parenthesised group cut out of the text: marker, then 0x80 + index.
constexpr char kGroupMarker = '\x06';

// Loosest binding first.
constexpr char kOperators[] = {'+', '-', '*', '/',       '%',   '^',  '&',       '|',
                               '<', '>', '=', kNotEqual, kHigh, kLow, kHighWord, kLowWord};

constexpr size_t kMaxOperand = 254;
constexpr size_t kMaxName = 32;
constexpr size_t kMaxNumberDigits = 20;

constexpr std::array<bool, 256> MakeOperatorTable()
{
    std::array<bool, 256> table{};
    for (char c : kOperators) {
        table[static_cast<unsigned char>(c)] = true;
    }
    return table;
}
constexpr std::array<bool, 256> kIsOperator = MakeOperatorTable();

bool IsOperator(char c)
{
    return kIsOperator[static_cast<unsigned char>(c)];
}

bool IsSelector(char c)
{
    return c == kHigh || c == kLow || c == kHighWord || c == kLowWord;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsAlpha(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsWordDelimiter(char c)
{
    return c == ' ' || c == '\t' || c == '(' || c == ')' || c == '+' || c == '-' || c == '%' ||
           c == '/' || c == ',';
}

bool IsNumberChar(char c, size_t lengthSoFar)
{
    const char u = static_cast<char>(FoldUpper(static_cast<unsigned char>(c)));
    if (IsDigit(c) || (u >= 'A' && u <= 'F') || u == 'H' || u == 'Q') {
        return true;
    }
    return u == 'O' && lengthSoFar < 32;
}

bool IsCharConstant(std::string_view text, size_t i)
{
    return scan::IsCharConstant(text, i);
}

bool IsHexDigit(char c)
{
    const char u = static_cast<char>(FoldUpper(static_cast<unsigned char>(c)));
    return IsDigit(c) || (u >= 'A' && u <= 'F');
}

bool IsNameChar(char c)
{
    return IsAlpha(c) || IsDigit(c) || c == '_' || c == '.';
}

int32_t Wrap(int64_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

struct OperatorWord
{
    std::string_view word;
    char code;
};

constexpr OperatorWord kOperatorWords[] = {
    {"HIGHWORD", kHighWord},
    {"LOWWORD", kLowWord},
    {"HIGH", kHigh},
    {"LOW", kLow},
    {"AND", '&'},
    {"OR", '|'},
    {"MOD", '%'},
    {"<>", kNotEqual},
    {"!=", kNotEqual},
};

constexpr std::array<uint64_t, std::size(kOperatorWords)> MakeWordKeys()
{
    std::array<uint64_t, std::size(kOperatorWords)> keys{};
    for (size_t i = 0; i < keys.size(); ++i) {
        keys[i] = scan::PackUpper(kOperatorWords[i].word);
    }
    return keys;
}
constexpr auto kWordKeys = MakeWordKeys();

// Most operands are one number or name: nothing for the preparation to do.
bool IsPlainTerm(std::string_view text)
{
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        if (!IsAlpha(c) && !IsDigit(c) && c != '_' && c != '.' && c != '$') {
            return false;
        }
    }
    // A plain term holds only letters and digits, so of the operator words
    // only the spelled ones can match it, and they are at most 8 long.
    const uint64_t key = scan::PackUpper(text);
    return key == 0 || std::find(kWordKeys.begin(), kWordKeys.end(), key) == kWordKeys.end();
}

// Whether any operator word can occur in text at all: each one begins with
// one of these characters, and most operands hold none of them.
bool MayHoldOperatorWord(std::string_view text)
{
    for (char c : text) {
        switch (FoldUpper(static_cast<unsigned char>(c))) {
        case 'H':
        case 'L':
        case 'A':
        case 'O':
        case 'M':
        case '<':
        case '!':
            return true;
        default:
            break;
        }
    }
    return false;
}

} // namespace

std::string_view CEvalEquation::OperandExtent(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && i < kMaxOperand) {
        if (IsCharConstant(text, i)) {
            i += 3;
            continue;
        }
        const char c = text[i];
        if (c == ',' || c == '\r' || c == '\n' || c == ';' || c == '\0') {
            break;
        }
        ++i;
    }
    return text.substr(0, i < kMaxOperand ? i : kMaxOperand);
}

int32_t CEvalEquation::Evaluate(std::string_view text, bool wide)
{
    dotUsed_ = false;
    steps_ = 0;
    prepared_ok_ = true;
    size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) {
        ++start;
    }
    if (start < text.size() && text[start] == '#') {
        ++start;
    }
    const std::string_view operand = OperandExtent(text.substr(start));
    prepared_.assign(operand);
    if (!IsPlainTerm(operand)) {
        Prepare(prepared_);
    }

    int32_t value = 0;
    if (!prepared_.empty()) {
        value = EvaluateRange(prepared_, 0, prepared_.size() - 1);
    } else {
        value = EvaluateName(prepared_); // a missing operand: an empty, undefined name
    }
    if (value < 0) {
        value += wide ? 0x10000 : 0x100;
    }
    return value;
}

void CEvalEquation::Prepare(std::string& text)
{
    groups_.clear();

    // Parentheses inside character constants such as '(' do not count.
    int open = 0;
    int close = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsCharConstant(text, i)) {
            i += 2;
        } else if (text[i] == '(') {
            ++open;
        } else if (text[i] == ')') {
            ++close;
        }
    }
    if (open != close) {
        host_.ReportMessage(" Unpaired parenthesis in equation", kMessageError);
        prepared_ok_ = false; // the raw text is read as it stands: no further complaints
        return;
    }

    // Character constants become decimal numbers, whatever the radix.
    if (std::any_of(text.begin(), text.end(), scan::IsQuote)) {
        std::string out;
        out.reserve(text.size() + 8);
        for (size_t i = 0; i < text.size(); ++i) {
            if (IsCharConstant(text, i)) {
                out += std::to_string(static_cast<unsigned char>(text[i + 1]));
                out += 'D';
                i += 2;
            } else {
                out += text[i];
            }
        }
        text.swap(out);
    }

    // Operator words, each only up to its first occurrence that is not delimited.
    const bool words = MayHoldOperatorWord(text);
    for (const OperatorWord& op : kOperatorWords) {
        if (!words) {
            break;
        }
        const size_t len = op.word.size();
        const unsigned char head = static_cast<unsigned char>(op.word[0]);
        size_t from = 0;
        while (from + len <= text.size()) {
            size_t at = std::string::npos;
            for (size_t i = from; i + len <= text.size(); ++i) {
                if (FoldUpper(static_cast<unsigned char>(text[i])) == head &&
                    EqualsNoCase(std::string_view(text).substr(i, len), op.word)) {
                    at = i;
                    break;
                }
            }
            if (at == std::string::npos) {
                break;
            }
            const bool before = at == 0 || IsWordDelimiter(text[at - 1]);
            const bool after = at + len == text.size() || IsWordDelimiter(text[at + len]);
            if (!before || !after) {
                break;
            }
            text[at] = op.code;
            for (size_t k = 1; k < len; ++k) {
                text[at + k] = ' ';
            }
            from = at + len;
        }
    }

    std::erase_if(text, [](char c) { return c == ' ' || c == '\t'; });

    // Cut groups out from the inside; a group may refer to earlier groups.
    while (true) {
        size_t openAt = std::string::npos;
        size_t closeAt = std::string::npos;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '(') {
                openAt = i;
            } else if (text[i] == ')' && openAt != std::string::npos) {
                closeAt = i;
                break;
            }
        }
        if (openAt == std::string::npos || closeAt == std::string::npos) {
            break;
        }
        const size_t index = groups_.size();
        groups_.push_back(text.substr(openAt + 1, closeAt - openAt - 1));
        const char token[2] = {kGroupMarker, static_cast<char>(0x80 + (index & 0x7F))};
        text.replace(openAt, closeAt - openAt + 1, token, 2);
    }
}

int32_t CEvalEquation::EvaluateRange(const std::string& text, size_t first, size_t last)
{
    ++steps_;
    if (first > last || last >= text.size()) {
        return 0; // an empty operand, as left of a leading "-"
    }

    bool operatorInside = false;
    for (size_t i = first; i < last; ++i) {
        if (IsOperator(text[i])) {
            operatorInside = true;
            break;
        }
    }
    if (!operatorInside) {
        return EvaluateTerm(text, first, last);
    }

    auto unary = [&]() -> int32_t {
        const char op = text[first];
        const int32_t value = EvaluateRange(text, first + 1, last);
        switch (op) {
        case kHigh:
            return (value >> 8) & 0xFF;
        case kLow:
            return value & 0xFF;
        case kHighWord:
            return (value >> 16) & 0xFFFF;
        case kLowWord:
            return value & 0xFFFF;
        case '+':
            return value;
        case '-':
            return Wrap(-static_cast<int64_t>(value));
        default:
            return 1;
        }
    };

    if (IsOperator(text[first])) {
        bool more = false;
        for (size_t i = first + 1; i < last; ++i) {
            if (IsOperator(text[i])) {
                more = true;
                break;
            }
        }
        if (!more) {
            return unary();
        }
    }

    for (size_t k = 0; k < sizeof kOperators; ++k) {
        const char op = kOperators[k];
        if (k > 0 && text[last] == op) {
            return 1;
        }
        if (IsSelector(op)) {
            continue; // selectors take no left operand: never a split point
        }
        for (size_t i = last; i-- > first;) {
            if (text[i] != op) {
                continue;
            }
            // A sign right after another operator is unary, as in 5*-3.
            if ((op == '+' || op == '-') && i > first && IsOperator(text[i - 1])) {
                continue;
            }
            const int32_t left = i > first ? EvaluateRange(text, first, i - 1) : 0;
            const int32_t right = EvaluateRange(text, i + 1, last);
            return ApplyBinary(op, left, right);
        }
    }
    if (IsOperator(text[first])) {
        return unary();
    }
    return EvaluateTerm(text, first, last);
}

int32_t CEvalEquation::ApplyBinary(char op, int32_t left, int32_t right) const
{
    const int64_t l = left;
    const int64_t r = right;
    switch (op) {
    case '+':
        return Wrap(l + r);
    case '-':
        return Wrap(l - r);
    case '*':
        return Wrap(l * r);
    case '/':
        return right == 0 ? 0 : Wrap(l / r);
    case '%':
        return right == 0 ? 0 : Wrap(l % r);
    case '^': {
        const double p = std::pow(static_cast<double>(left), static_cast<double>(right));
        if (!std::isfinite(p) || std::fabs(p) >= 9.0e18) {
            return 0;
        }
        return Wrap(static_cast<int64_t>(p));
    }
    case '&':
        return left & right;
    case '|':
        return left | right;
    case '<':
        return left < right ? 1 : 0;
    case '>':
        return left > right ? 1 : 0;
    case '=':
        return left == right ? 1 : 0;
    case kNotEqual:
        return left != right ? 1 : 0;
    default:
        return 0;
    }
}

int32_t CEvalEquation::EvaluateTerm(const std::string& text, size_t first, size_t last)
{
    const std::string_view term = std::string_view(text).substr(first, last - first + 1);
    const char c = term[0];
    if (IsDigit(c)) {
        return EvaluateNumber(term);
    }
    if (c == '$') {
        CheckLeftover(term, 1);
        return host_.StatementAddress();
    }
    if (c == '\'' && term.size() >= 2) {
        return static_cast<unsigned char>(term[1]);
    }
    if (c == '"') {
        return EvaluateQuoted(term);
    }
    if (c == kGroupMarker && term.size() >= 2) {
        CheckLeftover(term, 2);
        const size_t index = static_cast<unsigned char>(term[1]) - 0x80u;
        if (index < groups_.size() && depth_ < 200) {
            const std::string& group = groups_[index];
            if (group.empty()) {
                return 0;
            }
            ++depth_;
            const int32_t value = EvaluateRange(group, 0, group.size() - 1);
            --depth_;
            return value;
        }
        return 0;
    }
    return EvaluateName(term);
}

bool CEvalEquation::ReportsSyntax() const
{
    // As undefined names: pass 2, and pass 1 for symbol definitions, whose
    // operands pass 2 does not evaluate again.
    return prepared_ok_ && (host_.Pass() == 2 || (host_.Pass() == 1 && host_.DefiningSymbol()));
}

void CEvalEquation::CheckLeftover(std::string_view term, size_t used)
{
    // A term may end in an operator character (a range's last one); anything
    // else behind the number or name would otherwise be dropped unseen.
    const std::string_view rest = term.substr(std::min(used, term.size()));
    const bool stray = std::any_of(rest.begin(), rest.end(), [](char c) { return !IsOperator(c); });
    if (stray && ReportsSyntax()) {
        host_.ReportMessage(StrFormat(" Unexpected text after %s: %s",
                                      Readable(term.substr(0, used)).c_str(),
                                      Readable(rest).c_str()),
                            kMessageError);
    }
}

std::string CEvalEquation::Readable(std::string_view text, int depth) const
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == kGroupMarker && i + 1 < text.size()) {
            const size_t index = static_cast<unsigned char>(text[++i]) - 0x80u;
            const bool known = index < groups_.size() && depth < 16;
            out += '(';
            out += known ? Readable(groups_[index], depth + 1) : "...";
            out += ')';
            continue;
        }
        const OperatorWord* word = nullptr;
        for (const OperatorWord& op : kOperatorWords) {
            if (op.code == c && op.code < ' ') {
                word = &op;
                break;
            }
        }
        if (word != nullptr) {
            out += word->word;
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

int32_t CEvalEquation::EvaluateQuoted(std::string_view term)
{
    // A complete "x" was replaced by its code while preparing; what is left
    // has no closing quote or more than one character.
    if (term.size() == 3 && term[2] == '"') {
        return static_cast<unsigned char>(term[1]);
    }
    if (ReportsSyntax()) {
        const bool closed = term.find('"', 1) != std::string_view::npos;
        host_.ReportMessage(
            StrFormat(closed ? " Invalid character constant: %s" : " Missing closing quote: %s",
                      Readable(term).c_str()),
            kMessageError);
    }
    return term.size() >= 2 ? static_cast<unsigned char>(term[1]) : 0;
}

int32_t CEvalEquation::EvaluateCStyleHex(std::string_view term)
{
    size_t len = 2;
    while (len < term.size() && IsHexDigit(term[len])) {
        ++len;
    }
    const std::string_view digits = term.substr(2, len - 2);
    if (digits.empty()) {
        if (ReportsSyntax()) {
            host_.ReportMessage(
                StrFormat(" Missing hexadecimal digits: %s", Readable(term).c_str()),
                kMessageError);
        }
        return 0;
    }
    return ConvertDigits(term, digits, 16, len);
}

int32_t CEvalEquation::EvaluateNumber(std::string_view term)
{
    if (term.size() >= 2 && term[0] == '0' && (term[1] == 'x' || term[1] == 'X')) {
        return EvaluateCStyleHex(term);
    }
    size_t len = 0;
    while (len < term.size() && IsNumberChar(term[len], len)) {
        ++len;
    }
    std::string_view token = term.substr(0, len);

    int base = host_.Radix();
    std::string_view digits = token;
    switch (FoldUpper(static_cast<unsigned char>(token.back()))) {
    case 'B':
        base = 2;
        digits.remove_suffix(1);
        break;
    case 'D':
        base = 10;
        digits.remove_suffix(1);
        break;
    case 'H':
        base = 16;
        digits.remove_suffix(1);
        break;
    case 'O':
    case 'Q':
        base = 8;
        break;
    default:
        break;
    }
    return ConvertDigits(term, digits, base, len);
}

// The digits of a number token of length len at the start of term, then a
// dot operator or stray text behind it.
int32_t CEvalEquation::ConvertDigits(std::string_view term, std::string_view digits, int base,
                                     size_t len)
{
    const bool pass2 = host_.Pass() == 2;
    uint32_t value = 0;
    if (base == 8) {
        host_.ReportMessage(" Invalid base", kMessageError);
    } else if (digits.size() > kMaxNumberDigits) {
        if (pass2) {
            host_.ReportMessage(" Number to large to convert", kMessageError);
        }
    } else {
        uint32_t place = 1;
        for (size_t i = digits.size(); i-- > 0;) {
            const char u = static_cast<char>(FoldUpper(static_cast<unsigned char>(digits[i])));
            int digit = 99;
            if (IsDigit(u)) {
                digit = u - '0';
            } else if (u >= 'A' && u <= 'F') {
                digit = u - 'A' + 10;
            }
            if (digit < base) {
                value += static_cast<uint32_t>(digit) * place;
            } else if (pass2) {
                host_.ReportMessage(StrFormat(" Invalid digit (for base %d) in number", base),
                                    kMessageError);
            }
            place *= static_cast<uint32_t>(base);
        }
    }

    int32_t result = static_cast<int32_t>(value);
    if (len < term.size() && term[len] == '.') {
        size_t d = len + 1;
        int32_t bit = 0;
        while (d < term.size() && IsDigit(term[d]) && bit < 1000) {
            bit = bit * 10 + (term[d] - '0');
            ++d;
        }
        while (d < term.size() && IsDigit(term[d])) {
            ++d;
        }
        if (d > len + 1) {
            result = DotOperator(result, bit);
            CheckLeftover(term, d);
        } else {
            host_.ReportMessage(" Invalid use of the dot operator", kMessageError);
        }
        return result;
    }
    CheckLeftover(term, len);
    return result;
}

int32_t CEvalEquation::DotOperator(int32_t byteAddress, int32_t bit)
{
    if (bit < 0 || bit > 7) {
        host_.ReportMessage(" Dot operator operand must be btween 0 to 7 (inclusive)",
                            kMessageError);
    }
    dotUsed_ = true;
    if (byteAddress < 0x30) {
        return Wrap((static_cast<int64_t>(byteAddress) - 0x20) * 8 + bit);
    }
    return Wrap(static_cast<int64_t>(byteAddress) + bit);
}

int32_t CEvalEquation::EvaluateName(std::string_view term)
{
    size_t len = 0;
    while (len < term.size() && IsNameChar(term[len])) {
        ++len;
    }
    // Characters beyond the 32 that count still belong to the name.
    const std::string_view name = term.substr(0, len < kMaxName ? len : kMaxName);
    if (!name.empty()) {
        CheckLeftover(term, len);
    }

    if (!name.empty()) {
        if (const SymbolRecord* symbol = host_.FindSymbol(name)) {
            return symbol->value;
        }
        if (const SymbolRecord* label = host_.FindLabel(name)) {
            return label->value;
        }
        int32_t value = FindSfrName(name);
        if (value <= 0) {
            value = FindBitName(name);
        }
        if (value > 0) {
            return value;
        }
        // AR0 of bank 0 is address 0, a value the lookups above take as none.
        const int32_t bankRegister = host_.BankRegisterAddress(name);
        if (bankRegister >= 0) {
            return bankRegister;
        }
        // NAME.bit with NAME a symbol: first at the first dot, then at the last.
        for (size_t dot : {name.find('.'), name.rfind('.')}) {
            if (dot == std::string_view::npos || dot == 0 || dot + 1 >= name.size() ||
                !IsDigit(name[dot + 1])) {
                continue;
            }
            if (const SymbolRecord* symbol = host_.FindSymbol(name.substr(0, dot))) {
                value = DotOperator(symbol->value, name[dot + 1] - '0');
                if (value != 0) {
                    return value;
                }
            }
        }
    }

    host_.NameNotFound(name);
    if (host_.Pass() == 2 || (host_.Pass() == 1 && host_.DefiningSymbol())) {
        const char* format = host_.IsRegisterSymbol(name) ? " Register symbol used as a value: %.*s"
                                                          : " Undefined symbol/label: %.*s";
        host_.ReportMessage(StrFormat(format, static_cast<int>(name.size()), name.data()),
                            kMessageError);
    }
    return 0;
}
