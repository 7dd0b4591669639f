// The directive table and its handlers.
#include <algorithm>

#include "assembler/assembler.h"
#include "assembler/scan_text.h"
#include "common/text_util.h"

namespace {

// The operand text up to the end of the statement, blanks trimmed.
std::string_view StatementOperand(std::string_view rest)
{
    size_t start = scan::SkipBlanks(rest, 0);
    size_t end = rest.find_first_of("\r\n;", start);
    if (end == std::string_view::npos) {
        end = rest.size();
    }
    while (end > start && scan::IsBlank(rest[end - 1])) {
        --end;
    }
    return rest.substr(start, end - start);
}

// A word at the start of the operand, ending at a blank, separator or the
// end of the statement.
std::string_view OperandWord(std::string_view rest, size_t limit)
{
    const size_t start = scan::SkipBlanks(rest, 0);
    size_t end = start;
    while (end < rest.size() && !scan::IsBlank(rest[end]) && rest[end] != ',' && rest[end] != ':' &&
           rest[end] != ';' && rest[end] != '\r' && rest[end] != '\n') {
        ++end;
    }
    return rest.substr(start, std::min(end - start, limit));
}

} // namespace

const CAssembler::DirectiveEntry CAssembler::kDirectives[] = {
    {"END", &CAssembler::DoEnd},
    {"ORG", &CAssembler::DoOrg},
    {"DATAORG", &CAssembler::DoDataOrg},
    {"SET", &CAssembler::DoDefineWithoutName},
    {"DB", &CAssembler::DoDb},
    {"DW", &CAssembler::DoDw},
    {"DS", &CAssembler::DoDefineWithoutName},
    {"DD", &CAssembler::DoDefineWithoutName},
    {"EQU", &CAssembler::DoDefineWithoutName},
    {"PAGE", &CAssembler::DoPage},
    {"%TITLE", &CAssembler::DoTitle},
    {"%SUBTTL", &CAssembler::DoTitle},
    {"%TOPMAR", &CAssembler::DoMargin},
    {"%BOTMAR", &CAssembler::DoMargin},
    {"INCLUDE", &CAssembler::DoInclude},
    {"#INCLUDE", &CAssembler::DoInclude},
    {"RADIX", &CAssembler::DoRadix},
    {"NAME", &CAssembler::DoIgnored},
    {"PUBLIC", &CAssembler::DoIgnored},
    {"EXTERN", &CAssembler::DoIgnored},
    {"RSEG", &CAssembler::DoIgnored},
    {"IF", &CAssembler::DoIf},
    {"ELSE", &CAssembler::DoElse},
    {"ENDIF", &CAssembler::DoEndif},
    {"BREAK", &CAssembler::DoBreak},
    {"BIT", &CAssembler::DoDefineWithoutName},
    {"DATA", &CAssembler::DoDefineWithoutName},
    {"MEMTYPE", &CAssembler::DoMemType},
    {"HEXFILE", &CAssembler::DoHexFile},
    {"USING", &CAssembler::DoUsing},
};

std::vector<CAssembler::DirectiveNameType> CAssembler::DirectiveNames()
{
    std::vector<DirectiveNameType> names;
    for (const DirectiveEntry& entry : kDirectives) {
        names.push_back({entry.name, entry.handler == &CAssembler::DoDefineWithoutName});
    }
    return names;
}

const CAssembler::DirectiveEntry* CAssembler::FindDirective(uint64_t key) const
{
    static const auto index = [] {
        scan::CKeywordIndex<const DirectiveEntry*, 128> built;
        for (const DirectiveEntry& entry : kDirectives) {
            built.Add(scan::PackUpper(entry.name), &entry);
        }
        return built;
    }();
    return index.Find(key, nullptr);
}

void CAssembler::DoEnd(std::string_view, std::string_view)
{
    endMet_ = true;
    if (pass_ != 2) {
        return;
    }
    hex_.Flush(pc_);
    if (includeStack_.empty() && hex_.IsOpen()) {
        hex_.WriteEndRecord();
        endRecordWritten_ = true;
    }
    ListAddressOnly();
}

void CAssembler::DoOrg(std::string_view, std::string_view rest)
{
    pc_ = eval_.Evaluate(rest, true);
    if (pass_ == 2) {
        hex_.Flush(pc_);
        ListAddressOnly();
    }
}

void CAssembler::DoDataOrg(std::string_view, std::string_view rest)
{
    dataOrigin_ = eval_.Evaluate(rest, true);
}

void CAssembler::DoDefineWithoutName(std::string_view, std::string_view)
{
    // Nothing to name: the line defines nothing and is only listed.
    ListNumberedSource();
}

void CAssembler::DoDb(std::string_view, std::string_view rest)
{
    DoData(rest, false);
}

void CAssembler::DoDw(std::string_view, std::string_view rest)
{
    DoData(rest, true);
}

void CAssembler::DoData(std::string_view rest, bool words)
{
    const int32_t firstAddress = pc_;
    std::vector<uint8_t> listed;
    auto emit = [&](uint8_t value) {
        if (pass_ == 2) {
            EmitByte(value);
            listed.push_back(value);
        } else {
            pc_ = static_cast<int32_t>(static_cast<uint32_t>(pc_) + 1u);
        }
    };
    auto emitItem = [&](int32_t value, bool character) {
        if (!words) {
            emit(static_cast<uint8_t>(value));
            return;
        }
        emit(static_cast<uint8_t>(value));
        if (character) {
            emit(static_cast<uint8_t>(value) >= 0x80 ? 0xFF : 0x00);
        } else {
            emit(static_cast<uint8_t>(static_cast<uint32_t>(value) >> 8));
        }
    };

    size_t pos = 0;
    while (true) {
        pos = scan::SkipBlanks(rest, pos);
        if (pos >= rest.size() || rest[pos] == ';' || rest[pos] == '\r' || rest[pos] == '\n') {
            break;
        }
        statementAddress_ = pc_;
        const char quote = rest[pos];
        const bool isString =
            scan::IsQuote(quote) && !(pos + 2 < rest.size() && rest[pos + 2] == quote);
        if (isString) {
            const size_t open = pos++;
            while (pos < rest.size() && rest[pos] != quote && rest[pos] != '\r' &&
                   rest[pos] != '\n') {
                statementAddress_ = pc_;
                emitItem(static_cast<unsigned char>(rest[pos]), true);
                ++pos;
            }
            if (pos < rest.size() && rest[pos] == quote) {
                ++pos;
            } else if (quote == '"' && pass_ == 2) {
                // An open single quote has always run to the line end unreported.
                ReportMessage(StrFormat(" Missing closing quote: %.*s",
                                        static_cast<int>(pos - open), rest.data() + open),
                              kMessageError);
            }
            pos = scan::SkipBlanks(rest, pos);
        } else {
            const std::string_view operand = CEvalEquation::OperandExtent(rest.substr(pos));
            if (pass_ == 2) {
                const int32_t value = eval_.Evaluate(operand, words);
                if (!words && (value < 0 || value > 255)) {
                    ReportMessage(
                        StrFormat(" %ld will not fit in a single byte.", static_cast<long>(value)),
                        kMessageError);
                }
                emitItem(value, false);
            } else {
                emitItem(0, false);
            }
            pos += operand.size();
        }
        if (pos < rest.size() && rest[pos] == ',') {
            ++pos;
            continue;
        }
        break;
    }
    if (Listing()) {
        listing_.WriteDataLines(current_.lineNumber + 1, firstAddress, listed, words ? 2 : 3,
                                current_.lineText);
    }
}

void CAssembler::DoPage(std::string_view, std::string_view rest)
{
    if (!ListingOpen()) {
        return;
    }
    const std::string_view operand = StatementOperand(rest);
    if (operand.empty()) {
        listing_.NewPage();
        return;
    }
    const int32_t value = eval_.Evaluate(operand, true);
    if (value >= 10 && value <= 255) {
        listing_.pageLength = value;
    } else {
        ReportMessage(StrFormat("Specified page length (%ld) is outside limits (10 - 255).",
                                static_cast<long>(value)),
                      kMessageWarning);
    }
}

void CAssembler::DoTitle(std::string_view word, std::string_view rest)
{
    if (!ListingOpen()) {
        return;
    }
    const bool isTitle = EqualsNoCase(word, "%TITLE");
    const std::string_view operand = StatementOperand(rest);
    if (operand.empty() || operand[0] != '"') {
        ReportMessage(StrFormat("Invalid %s format.", isTitle ? "TITLE" : "SUBTITLE"),
                      kMessageWarning);
        return;
    }
    std::string_view text = operand.substr(1);
    text = text.substr(0, std::min({text.find('"'), text.size(), size_t{80}}));
    (isTitle ? listing_.title : listing_.subtitle) = std::string(text);
}

void CAssembler::DoMargin(std::string_view word, std::string_view rest)
{
    if (!ListingOpen()) {
        return;
    }
    const bool top = EqualsNoCase(word, "%TOPMAR");
    const int32_t value = eval_.Evaluate(rest, true);
    const int minimum = top ? 4 : 0;
    const int other = top ? listing_.bottomMargin : listing_.topMargin;
    const char* what = top ? "top" : "bottom";
    if (value < minimum) {
        ReportMessage(StrFormat("Specified %s margin (%ld) is less than the minimum of %d.", what,
                                static_cast<long>(value), minimum),
                      kMessageWarning);
    } else if (static_cast<int64_t>(listing_.pageLength) - value - other < 10) {
        ReportMessage(StrFormat("Specified %s margin (%ld) is invalid for current page length.",
                                what, static_cast<long>(value)),
                      kMessageWarning);
    } else {
        (top ? listing_.topMargin : listing_.bottomMargin) = value;
    }
}

std::string_view CAssembler::FileNameOperand(std::string_view rest) const
{
    size_t start = scan::SkipBlanks(rest, 0);
    const bool quoted = start < rest.size() && rest[start] == '"';
    if (quoted) {
        ++start;
    }
    size_t end = start;
    while (end < rest.size() && rest[end] != '"' && rest[end] != ';' && rest[end] != '\r' &&
           rest[end] != '\n') {
        ++end;
    }
    if (!quoted) {
        while (end > start && scan::IsBlank(rest[end - 1])) {
            --end;
        }
    }
    return rest.substr(start, end - start);
}

void CAssembler::DoInclude(std::string_view, std::string_view rest)
{
    includeStarted_ = Include(std::string(FileNameOperand(rest)));
}

void CAssembler::DoRadix(std::string_view, std::string_view rest)
{
    const std::string_view word = OperandWord(rest, 60);
    if (EqualsNoCase(word, "HEX")) {
        radix_ = 16;
    } else if (EqualsNoCase(word, "DEC")) {
        radix_ = 10;
    } else if (EqualsNoCase(word, "BIN")) {
        radix_ = 2;
    } else {
        ReportMessage("Invalid radix specifier.", kMessageError);
    }
}

void CAssembler::DoIgnored(std::string_view, std::string_view) {}

void CAssembler::DoIf(std::string_view, std::string_view rest)
{
    ListAddressOnly();
    if (eval_.Evaluate(rest, true) == 0) {
        skipping_ = true;
    }
}

void CAssembler::DoElse(std::string_view, std::string_view)
{
    ListAddressOnly();
    skipping_ = true;
}

void CAssembler::DoEndif(std::string_view, std::string_view)
{
    ListAddressOnly();
}

void CAssembler::DoBreak(std::string_view, std::string_view)
{
    if (pass_ == 2) {
        if (const SymbolRecord* label = labels_.Find("break")) {
            monitorBreakAddress_ = static_cast<uint16_t>(label->value);
        } else {
            ReportMessage(" Monitor source code not present.", kMessageError);
            monitorBreakAddress_ = 0;
        }
    }
    monitorBreakUsed_ = true;
    EmitByte(0x12);
    EmitByte(static_cast<uint8_t>(monitorBreakAddress_ >> 8));
    EmitByte(static_cast<uint8_t>(monitorBreakAddress_));
    ListStatement();
    if (events_ != nullptr) {
        events_->SetMonitorBreakAddress(true, monitorBreakAddress_);
    }
}

void CAssembler::DoMemType(std::string_view, std::string_view rest)
{
    const std::string_view word = OperandWord(rest, 62);
    if (EqualsNoCase(word, "iram")) {
        memType_ = 1;
    } else if (EqualsNoCase(word, "dram")) {
        memType_ = 2;
    } else if (EqualsNoCase(word, "xram")) {
        memType_ = 3;
    } else {
        memType_ = 255;
    }
}

void CAssembler::DoHexFile(std::string_view, std::string_view rest)
{
    std::string name(FileNameOperand(rest));
    std::replace(name.begin(), name.end(), '\\', '/');
    // Relative to the source's directory, so a name with a folder in it does
    // not compound when the directive is met again in pass 2.
    hexPath_ = (sourceDirectory_ / name).string();
    ListSourceOnly();
}

// USING n: the register bank that AR0..AR7 address from here on.
void CAssembler::DoUsing(std::string_view, std::string_view rest)
{
    const std::string_view operand = StatementOperand(rest);
    if (operand.empty()) {
        if (pass_ == 2) {
            ReportMessage(" Missing register bank after USING", kMessageError);
        }
    } else {
        const int32_t bank = eval_.Evaluate(operand, true);
        if (bank >= 0 && bank <= 3) {
            registerBank_ = bank;
        } else if (pass_ == 2) {
            ReportMessage(StrFormat(" Register bank out of range (0 - 3): %.*s",
                                    static_cast<int>(operand.size()), operand.data()),
                          kMessageError);
        }
    }
    ListAddressOnly();
}
