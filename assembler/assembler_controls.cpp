// The "$" controls of the classic Intel dialect: $INCLUDE(file), $TITLE(text),
// $NOLIST and the like, several to a line. Those that mean something here
// act; the others are accepted and change nothing.
#include <string>
#include <system_error>

#include "assembler/assembler.h"
#include "assembler/scan_text.h"
#include "common/text_util.h"

namespace {

constexpr size_t kMaxTitle = 80;
constexpr size_t kMaxSaved = 64;

bool IsControlNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view text)
{
    text.remove_prefix(scan::SkipBlanks(text, 0));
    while (!text.empty() && scan::IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// 'text' or "text" as the text inside the quotes.
std::string_view Unquote(std::string_view text)
{
    if (text.size() >= 2 && scan::IsQuote(text.front()) && text.back() == text.front()) {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

// The position of the ")" that closes the "(" at open; quotes and inner
// parentheses are stepped over. npos when the line ends first.
size_t ClosingParenthesis(std::string_view line, size_t open)
{
    int depth = 0;
    char quote = 0;
    for (size_t i = open; i < line.size() && !IsLineEnd(line[i]); ++i) {
        const char c = line[i];
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (scan::IsQuote(c)) {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && --depth == 0) {
            return i;
        }
    }
    return std::string_view::npos;
}

} // namespace

struct CAssembler::ControlType
{
    enum class Argument
    {
        kNone,
        kOptional,
        kRequired,
    };
    enum class Action
    {
        kNothing,
        kInclude,
        kTitle,
        kList,
        kNoList,
        kEject,
        kPageLength,
        kPageWidth,
        kPaging,
        kNoPaging,
        kSymbols,
        kNoSymbols,
        kSave,
        kRestore,
    };

    const char* name;
    const char* shortName; // the abbreviation the dialect allows, or nullptr
    Argument argument;
    Action action;
};

const CAssembler::ControlType* CAssembler::FindControl(std::string_view name)
{
    using Arg = ControlType::Argument;
    using Act = ControlType::Action;
    static const ControlType kControls[] = {
        {"INCLUDE", "IC", Arg::kRequired, Act::kInclude},
        {"TITLE", "TT", Arg::kRequired, Act::kTitle},
        {"LIST", "LI", Arg::kNone, Act::kList},
        {"NOLIST", "NOLI", Arg::kNone, Act::kNoList},
        {"EJECT", "EJ", Arg::kNone, Act::kEject},
        {"PAGELENGTH", "PL", Arg::kRequired, Act::kPageLength},
        {"PAGEWIDTH", "PW", Arg::kRequired, Act::kPageWidth},
        {"PAGING", "PI", Arg::kNone, Act::kPaging},
        {"NOPAGING", "NOPI", Arg::kNone, Act::kNoPaging},
        {"SYMBOLS", "SB", Arg::kNone, Act::kSymbols},
        {"NOSYMBOLS", "NOSB", Arg::kNone, Act::kNoSymbols},
        {"SAVE", "SA", Arg::kNone, Act::kSave},
        {"RESTORE", "RS", Arg::kNone, Act::kRestore},
        // The code, the HEX file and the listing do not depend on these.
        {"MOD51", "MO", Arg::kNone, Act::kNothing},
        {"NOMOD51", "NOMO", Arg::kNone, Act::kNothing},
        {"MOD52", nullptr, Arg::kNone, Act::kNothing},
        {"DEBUG", "DB", Arg::kNone, Act::kNothing},
        {"NODEBUG", "NODB", Arg::kNone, Act::kNothing},
        {"OBJECT", "OJ", Arg::kOptional, Act::kNothing},
        {"NOOBJECT", "NOOJ", Arg::kNone, Act::kNothing},
        {"PRINT", "PR", Arg::kOptional, Act::kNothing},
        {"NOPRINT", "NOPR", Arg::kNone, Act::kNothing},
        {"ERRORPRINT", "EP", Arg::kOptional, Act::kNothing},
        {"NOERRORPRINT", "NOEP", Arg::kNone, Act::kNothing},
        {"XREF", "XR", Arg::kNone, Act::kNothing},
        {"NOXREF", "NOXR", Arg::kNone, Act::kNothing},
        {"GEN", "GE", Arg::kNone, Act::kNothing},
        {"NOGEN", "NOGE", Arg::kNone, Act::kNothing},
        {"GENONLY", "GO", Arg::kNone, Act::kNothing},
        {"MACRO", "MR", Arg::kOptional, Act::kNothing},
        {"NOMACRO", "NOMR", Arg::kNone, Act::kNothing},
        {"COND", nullptr, Arg::kNone, Act::kNothing},
        {"NOCOND", nullptr, Arg::kNone, Act::kNothing},
        {"CONDONLY", nullptr, Arg::kNone, Act::kNothing},
        {"REGISTERBANK", "RB", Arg::kRequired, Act::kNothing},
        {"NOREGISTERBANK", "NORB", Arg::kNone, Act::kNothing},
        {"WORKFILES", "WF", Arg::kRequired, Act::kNothing},
        {"DATE", "DA", Arg::kRequired, Act::kNothing},
    };
    for (const ControlType& control : kControls) {
        if (EqualsNoCase(name, control.name) ||
            (control.shortName != nullptr && EqualsNoCase(name, control.shortName))) {
            return &control;
        }
    }
    return nullptr;
}

void CAssembler::ControlProblem(const std::string& text, bool include)
{
    // An include acts in both passes; the rest is about the listing, which
    // pass 2 writes, so that is where the warning is placed.
    if (include) {
        ReportMessage(text, kMessageError);
    } else if (pass_ == 2) {
        ReportMessage(text, kMessageWarning);
    }
}

void CAssembler::ProcessControls(size_t dollar)
{
    const std::string_view line = current_.lineText;
    size_t pos = dollar + 1;
    size_t nameEnd = pos;
    while (nameEnd < line.size() && IsControlNameChar(line[nameEnd])) {
        ++nameEnd;
    }
    // "$name" has always included the file name: it still does when the name
    // is no control, or when such a file exists.
    size_t wordEnd = pos;
    while (wordEnd < line.size() && !scan::IsBlank(line[wordEnd]) && line[wordEnd] != ',' &&
           line[wordEnd] != ':' && line[wordEnd] != ';' && !IsLineEnd(line[wordEnd])) {
        ++wordEnd;
    }
    const std::string word(line.substr(pos, wordEnd - pos));
    std::error_code ec;
    if (FindControl(line.substr(pos, nameEnd - pos)) == nullptr ||
        (!word.empty() && std::filesystem::is_regular_file(ResolveInclude(word), ec))) {
        includeStarted_ = Include(word);
        return;
    }

    ListSourceOnly();
    std::string includeName;
    while (true) {
        pos = scan::SkipBlanks(line, pos);
        if (pos >= line.size() || line[pos] == ';' || IsLineEnd(line[pos])) {
            break;
        }
        nameEnd = pos;
        while (nameEnd < line.size() && IsControlNameChar(line[nameEnd])) {
            ++nameEnd;
        }
        const std::string name(line.substr(pos, nameEnd - pos));
        if (name.empty()) {
            size_t end = pos;
            while (end < line.size() && !scan::IsBlank(line[end]) && !IsLineEnd(line[end])) {
                ++end;
            }
            ControlProblem(" Unknown control: " + std::string(line.substr(pos, end - pos)), false);
            break;
        }
        const ControlType* control = FindControl(name);
        const bool include = control != nullptr && control->action == ControlType::Action::kInclude;
        pos = nameEnd;
        std::string_view argument;
        bool hasArgument = false;
        const size_t open = scan::SkipBlanks(line, pos);
        if (open < line.size() && line[open] == '(') {
            const size_t close = ClosingParenthesis(line, open);
            if (close == std::string_view::npos) {
                ControlProblem(" Missing ) after the argument of control: " + name, include);
                break;
            }
            argument = Trim(line.substr(open + 1, close - open - 1));
            hasArgument = true;
            pos = close + 1;
        }
        if (control == nullptr) {
            ControlProblem(" Unknown control: " + name, false);
            continue;
        }
        if (control->argument == ControlType::Argument::kRequired && argument.empty()) {
            ControlProblem(" Missing argument of control: " + name, include);
            continue;
        }
        if (control->argument == ControlType::Argument::kNone && hasArgument) {
            ControlProblem(" Control takes no argument: " + name, false);
            continue;
        }
        ApplyControl(*control, argument, includeName);
    }
    if (!includeName.empty()) {
        includeStarted_ = Include(includeName, false);
    }
}

void CAssembler::ApplyControl(const ControlType& control, std::string_view argument,
                              std::string& includeName)
{
    switch (control.action) {
    case ControlType::Action::kNothing:
        break;
    case ControlType::Action::kInclude:
        // The file is read once the rest of the line has been taken.
        if (includeName.empty()) {
            includeName = std::string(Unquote(argument));
        } else {
            ControlProblem(" One INCLUDE to a line; not read: " + std::string(argument), true);
        }
        break;
    case ControlType::Action::kTitle: {
        // Set in both passes, so that the first page header has it too.
        const std::string_view text = Unquote(argument);
        listing_.title = std::string(text.substr(0, std::min(text.size(), kMaxTitle)));
        break;
    }
    case ControlType::Action::kList:
        listOn_ = true;
        break;
    case ControlType::Action::kNoList:
        listOn_ = false;
        break;
    case ControlType::Action::kEject:
        if (Listing()) {
            listing_.NewPage();
        }
        break;
    case ControlType::Action::kPageLength: {
        const int32_t value = eval_.Evaluate(argument, true);
        if (value >= 10 && value <= 255) {
            listing_.pageLength = value;
        } else {
            ControlProblem(StrFormat("Specified page length (%ld) is outside limits (10 - 255).",
                                     static_cast<long>(value)),
                           false);
        }
        break;
    }
    case ControlType::Action::kPageWidth:
        eval_.Evaluate(argument, true); // for its messages: the width is not used here
        break;
    case ControlType::Action::kPaging:
        listing_.paging = true;
        break;
    case ControlType::Action::kNoPaging:
        listing_.paging = false;
        break;
    case ControlType::Action::kSymbols:
        listSymbols_ = true;
        break;
    case ControlType::Action::kNoSymbols:
        listSymbols_ = false;
        break;
    case ControlType::Action::kSave:
        if (listSaved_.size() < kMaxSaved) {
            listSaved_.push_back(listOn_);
        } else {
            ControlProblem(" Too many SAVE controls without RESTORE", false);
        }
        break;
    case ControlType::Action::kRestore:
        if (listSaved_.empty()) {
            ControlProblem(" RESTORE without SAVE", false);
        } else {
            listOn_ = listSaved_.back();
            listSaved_.pop_back();
        }
        break;
    }
}
