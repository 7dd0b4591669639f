#include "assembler/assembler.h"
#include "assembler/scan_text.h"

#include <algorithm>
#include <system_error>

#include "common/text_util.h"

namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c)
{
    return c == ' ' || c == '\t' || c == ',' || c == ':' || c == ';' || c == '\r' || c == '\n';
}

bool IsDecimalDigit(char c)
{
    return c >= '0' && c <= '9';
}

size_t StatementEnd(std::string_view text, size_t pos)
{
    while (pos < text.size() && text[pos] != '\r' && text[pos] != '\n' && text[pos] != ';') {
        ++pos;
    }
    return pos;
}

// The word at pos up to a separator; pos moves behind it.
std::string_view ScanWord(std::string_view text, size_t& pos)
{
    const size_t start = pos;
    while (pos < text.size() && !IsSeparator(text[pos])) {
        ++pos;
    }
    return text.substr(start, pos - start);
}

std::string Truncate(std::string_view text, size_t limit)
{
    return std::string(text.substr(0, std::min(text.size(), limit)));
}

constexpr const char* kDefinitionWords[] = {"EQU", "SET", "DS", "DD", "BIT", "DATA"};

bool IsDefinitionWord(std::string_view word)
{
    for (const char* w : kDefinitionWords) {
        if (EqualsNoCase(word, w)) {
            return true;
        }
    }
    return false;
}

// The name written in the source, or a name of the same letters in another
// case when the directory holds one (sources from case-insensitive systems).
} // namespace

CAssembler::CAssembler(COutputText& output, CCodeMemory& code, CModuleList& modules)
    : output_(output), code_(code), modules_(modules), eval_(*this), encoder_(*this)
{}

CAssembler::~CAssembler()
{
    CloseAllSources();
}

fs::path CAssembler::OutputPath(const char* extension) const
{
    std::string base = sourcePath_;
    const size_t slash = base.find_last_of("/\\");
    const size_t dot = base.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        base.erase(dot);
    }
    return fs::path(base + extension);
}

const SymbolRecord* CAssembler::FindSymbol(std::string_view name) const
{
    return symbols_.Find(name);
}

const SymbolRecord* CAssembler::FindLabel(std::string_view name) const
{
    return labels_.Find(name);
}

std::optional<SymbolRecord> CAssembler::LookupSymbol(std::string_view name) const
{
    if (const SymbolRecord* record = symbols_.Find(name)) {
        return *record;
    }
    return std::nullopt;
}

void CAssembler::Assemble(const std::string& path)
{
    if (busy_) {
        return;
    }
    sourcePath_ = path;
    if (!scan::HasPathSeparator(sourcePath_)) {
        std::error_code ec;
        sourcePath_ = (fs::current_path(ec) / sourcePath_).string();
    }
    sourceDirectory_ = fs::path(sourcePath_).parent_path();
    hexPath_ = OutputPath(".HEX").string();

    modules_.ClearModules();
    hex_.Reset();
    code_.ClearCode();
    symbols_.Clear();
    labels_.Clear();
    listing_.Reset(sourcePath_);
    listing_.tabWidth = options_.tabWidth;
    errorCount_ = warningCount_ = pass1ErrorMark_ = 0;
    addressErrorReported_ = false;
    output_.Clear();
    CloseAllSources();
    endRecordWritten_ = false;
    monitorBreakUsed_ = false;
    monitorBreakAddress_ = 0;
    memType_ = 255;
    endMet_ = skipping_ = definingSymbol_ = false;
    if (events_ != nullptr) {
        events_->ResetProcessor();
        events_->SetMonitorBreakAddress(false, 0);
    }

    busy_ = true;
    pass_ = 1;
    current_ = srcmod_type{};
    current_.path = sourcePath_;
    if (OpenSource(current_, sourcePath_)) {
        current_.path = sourcePath_;
    }

    radix_ = 10;
    pc_ = 0;
    dataOrigin_ = 0;
    if (options_.generateSymFile && !symFile_.Create(SymPath())) {
        ReportMessage(StrFormat(" Unable to create output file: %s", SymPath().c_str()),
                      kMessageWarning);
    }
    if (!linkFile_.Create(LinkPath())) {
        ReportMessage(StrFormat(" Unable to create output file: %s", LinkPath().c_str()),
                      kMessageWarning);
    }
    output_.AddLine("Assembling " + sourcePath_);
}

bool CAssembler::AssembleStep()
{
    if (!busy_) {
        return false;
    }
    int taken = 0;
    while (current_.lineValid && taken < kLineSlice && !endMet_) {
        if (skipping_) {
            SkipConditionalLine();
        } else {
            ProcessLine();
        }
        ++taken;
    }
    if (taken < kLineSlice || endMet_) {
        EndOfFile();
    }
    return busy_;
}

void CAssembler::EndOfFile()
{
    if (skipping_ && !endMet_) {
        ReportMessage(" IF with no ENDIF encountered.", kMessageError);
    }
    skipping_ = false;
    endMet_ = false;
    if (!includeStack_.empty()) {
        current_ = std::move(includeStack_.back());
        includeStack_.pop_back();
        AdvanceLine();
        return;
    }
    EndOfPass();
}

void CAssembler::EndOfPass()
{
    if (pass_ == 1) {
        output_.AddLine("Pass 1 complete");
        symFile_.Close();
        if (options_.generateHexFile && !hex_.Create(hexPath_)) {
            ReportMessage(StrFormat(" Unable to create output file: %s", hexPath_.c_str()),
                          kMessageWarning);
        }
        if (options_.generateListFile) {
            if (listing_.Create(ListPath())) {
                listing_.WritePageHeader();
            } else {
                ReportMessage(StrFormat(" Unable to create output file: %s", ListPath().c_str()),
                              kMessageWarning);
            }
        }
        pc_ = 0;
        dataOrigin_ = 0;
        radix_ = 10;
        pass_ = 2;
        if (current_.file != nullptr) {
            current_.file->Rewind();
        }
        current_.lineNumber = -1;
        AdvanceLine();
        return;
    }
    output_.AddLine("Pass 2 complete");
    output_.AddLine(StrFormat("Ending address: %d", pc_));
    FinishAssembly();
}

void CAssembler::FinishAssembly()
{
    if (!busy_) {
        return;
    }
    if (hex_.IsOpen()) {
        if (!endRecordWritten_) {
            hex_.Flush(pc_);
            hex_.WriteEndRecord();
        }
        hex_.Close();
    }
    if (listing_.IsOpen()) {
        listing_.WriteSymbolTables(symbols_, labels_);
        listing_.Close();
    }
    output_.AddLine("");
    output_.AddLine(StrFormat("Done - %d error(s), %d warning(s)", errorCount_, warningCount_));
    CloseAllSources();
    symFile_.Close();
    linkFile_.Close();
    busy_ = false;
    pass_ = 0;
    skipping_ = endMet_ = false;
    if (events_ != nullptr) {
        events_->SymbolsChanged();
    }
}

void CAssembler::ReportMessage(const std::string& text, int kind)
{
    std::string line = kind == kMessageWarning ? "Warning: " : "Error: ";
    line += StrFormat("%s (%d): ", current_.path.c_str(), current_.lineNumber + 1);
    line += text;
    if (output_.ContainsNoCase(line)) {
        return;
    }
    output_.AddLine(line, OutputLocationType{current_.path, current_.lineNumber});
    if (listing_.IsOpen()) {
        listing_.WriteMessage(current_.lineText, text, kind);
    }
    if (kind == kMessageWarning) {
        ++warningCount_;
    } else {
        ++errorCount_;
    }
}

void CAssembler::EmitByte(uint8_t value)
{
    const auto result =
        code_.StoreCode(pc_, value, current_.lineNumber, current_.moduleIndex, pass_, true);
    if (result == CCodeMemory::StoreResult::kOutOfRange) {
        if (!addressErrorReported_) {
            addressErrorReported_ = true;
            ReportMessage(" Program counter outside memory boundry.", kMessageError);
        }
    } else {
        if (result == CCodeMemory::StoreResult::kOverlap) {
            ReportMessage(kCodeOverlapMessage, kMessageError);
        }
        if (pass_ == 2 && hex_.IsOpen()) {
            hex_.AddByte(value);
        }
    }
    if (statementBytes_.size() < 8) {
        statementBytes_.push_back(value);
    }
    pc_ = static_cast<int32_t>(static_cast<uint32_t>(pc_) + 1u);
}

void CAssembler::LinkReference(std::string_view operandWord)
{
    if (pass_ != 2 || !linkFile_.IsOpen()) {
        return;
    }
    const std::string name = Truncate(operandWord, kMaxName);
    const SymbolRecord* record = symbols_.Find(name);
    if (record == nullptr) {
        record = labels_.Find(name);
    }
    if (record != nullptr) {
        linkFile_.WriteRecord(record->value, pc_, name);
    }
}

// --- Lines -------------------------------------------------------------------

void CAssembler::ProcessLine()
{
    const std::string& line = current_.lineText;
    size_t pos = current_.scanPos;
    while (true) {
        pos = scan::SkipBlanks(line, pos);
        const size_t end = StatementEnd(line, pos);
        statementAddress_ = pc_;
        statementBytes_.clear();
        if (pos >= end) {
            ListAddressOnly();
            AdvanceLine();
            return;
        }
        if (line[pos] == ':') {
            ProcessHexRecord(pos);
            AdvanceLine();
            return;
        }
        const std::string_view word = ScanWord(line, pos);
        const char stop = pos < line.size() ? line[pos] : '\0';
        if (stop == ':') {
            DefineLabel(Truncate(word, kMaxName), word.size() > kMaxName);
            current_.scanPos = ++pos;
            continue;
        }
        if (stop == ',') {
            ReportMessage(" Invalid instruction -> " + Truncate(word, kMaxName), kMessageError);
            if (pass_ == 1) {
                ++pass1ErrorMark_;
            }
            ListSourceOnly();
            AdvanceLine();
            return;
        }
        ClassifyWord(std::string(word), pos, end);
        return;
    }
}

void CAssembler::ClassifyWord(const std::string& word, size_t afterWord, size_t statementEnd)
{
    const std::string_view line = current_.lineText;
    const std::string_view rest = line.substr(afterWord);

    const int mnemonic = CAsm8051::FindMnemonic(word);
    if (mnemonic >= 0) {
        encoder_.Encode(mnemonic, rest);
        ListStatement();
        AdvanceLine();
        return;
    }
    if (const DirectiveEntry* directive = FindDirective(word)) {
        includeStarted_ = false;
        (this->*directive->handler)(word, rest);
        if (!includeStarted_) {
            AdvanceLine();
        }
        return;
    }

    const std::string name = Truncate(word, kMaxName);
    if (symbols_.Find(name) != nullptr) {
        if (pass_ == 1) {
            Redefine(name, afterWord, statementEnd);
        } else {
            ListAddressOnly();
        }
        AdvanceLine();
        return;
    }

    size_t pos = scan::SkipBlanks(line, afterWord);
    const std::string_view kind = ScanWord(line.substr(0, statementEnd), pos);
    if (IsDefinitionWord(kind)) {
        if (pass_ == 1 && labels_.Find(name) != nullptr) {
            Redefine(name, afterWord, statementEnd);
        } else if (pass_ == 1) {
            DefineSymbol(name, ToUpper(kind), line.substr(pos, statementEnd - pos));
        } else {
            ListAddressOnly();
        }
        AdvanceLine();
        return;
    }
    ReportMessage(" Invalid instruction -> " + name, kMessageError);
    if (pass_ == 1) {
        ++pass1ErrorMark_;
    }
    ListSourceOnly();
    AdvanceLine();
}

void CAssembler::DefineLabel(const std::string& name, bool tooLong)
{
    if (tooLong && pass_ == 2) {
        ReportMessage(StrFormat(" Label in line %ld is made up of to many characters.",
                                static_cast<long>(current_.lineNumber) + 1),
                      kMessageError);
    }
    if (name.empty()) {
        return;
    }
    if (IsDecimalDigit(name[0])) {
        ReportMessage(StrFormat(" Label: %s can not begin with a numeric character.", name.c_str()),
                      kMessageError);
        return;
    }
    const bool known = labels_.Find(name) != nullptr || symbols_.Find(name) != nullptr;
    if (known && pass_ == 1) {
        ReportMessage(StrFormat(" Label/Symbol: %s has already been declared.", name.c_str()),
                      kMessageError);
        return;
    }
    const bool inserted = labels_.Insert(SymbolRecord{name, pc_, 255, 255});
    if (inserted && pass_ == 1 && symFile_.IsOpen()) {
        symFile_.WriteLabel(name, pc_);
    }
}

void CAssembler::Redefine(const std::string& name, size_t afterWord, size_t statementEnd)
{
    const std::string_view line = current_.lineText;
    size_t pos = scan::SkipBlanks(line, afterWord);
    const std::string_view kind = ScanWord(line.substr(0, statementEnd), pos);
    if (EqualsNoCase(kind, "SET")) {
        definingSymbol_ = true;
        const int32_t value = eval_.Evaluate(line.substr(pos, statementEnd - pos), true);
        definingSymbol_ = false;
        symbols_.Insert(SymbolRecord{name, value, 255, memType_});
        return;
    }
    if (IsDefinitionWord(kind)) {
        ReportMessage(StrFormat(" Duplicate label/symbol %s\r\n", name.c_str()), kMessageError);
        ReportMessage(StrFormat(" Symbol already defined -> %s", name.c_str()), kMessageError);
        ++pass1ErrorMark_;
        return;
    }
    ReportMessage(" Invalid instruction -> " + name, kMessageError);
    ++pass1ErrorMark_;
}

void CAssembler::DefineSymbol(const std::string& name, const std::string& kind,
                              std::string_view operand)
{
    if (IsDecimalDigit(name[0])) {
        ReportMessage(
            StrFormat(" Symbol: %s can not begin with a numeric character.", name.c_str()),
            kMessageError);
        return;
    }
    SymbolRecord record{name, pc_, 255, memType_};
    definingSymbol_ = true;
    const int32_t value = eval_.Evaluate(operand, true);
    definingSymbol_ = false;
    if (kind == "EQU" || kind == "SET") {
        record.value = value;
        if (eval_.DotUsed() && eval_.StepCount() < 2) {
            record.type = 4;
        }
    } else if (kind == "DATA") {
        record.value = value;
        record.type = 0;
    } else if (kind == "BIT") {
        record.value = value;
        record.type = 4;
    } else if (kind == "DS") {
        record.value = dataOrigin_;
        record.type = value == 1 ? 0 : value == 2 ? 1 : value == 4 ? 2 : 255;
        dataOrigin_ =
            static_cast<int32_t>(static_cast<uint32_t>(dataOrigin_) + static_cast<uint32_t>(value));
    } else { // DD
        record.value = dataOrigin_;
        dataOrigin_ = static_cast<int32_t>(static_cast<uint32_t>(dataOrigin_) +
                                           2u * static_cast<uint32_t>(value));
    }
    symbols_.Insert(record);
    if (symFile_.IsOpen()) {
        symFile_.WriteSymbol(record.name, record.value);
    }
}

void CAssembler::SkipConditionalLine()
{
    const std::string_view line = current_.lineText;
    statementAddress_ = pc_;
    ListAddressOnly();
    size_t pos = scan::SkipBlanks(line, 0);
    std::string_view word = ScanWord(line, pos);
    if (pos < line.size() && line[pos] == ':') {
        pos = scan::SkipBlanks(line, pos + 1);
        word = ScanWord(line, pos);
    }
    const std::string upper = ToUpper(word.substr(0, std::min(word.size(), kMaxName)));
    if (upper == "ELSE" || upper == "ENDIF") {
        skipping_ = false;
    }
    AdvanceLine();
}

// --- Embedded HEX records ------------------------------------------------------

void CAssembler::ProcessHexRecord(size_t pos)
{
    const HexRecordType record = ParseHexRecord(std::string_view(current_.lineText).substr(pos));
    if (record.error != nullptr) {
        ListSourceOnly();
        ReportMessage(record.error, kMessageError);
        return;
    }
    EmitByte(static_cast<uint8_t>(record.count));
    EmitByte(static_cast<uint8_t>(record.address >> 8));
    EmitByte(static_cast<uint8_t>(record.address));
    EmitByte(0);
    for (uint8_t value : record.data) {
        EmitByte(value);
    }
    if (Listing()) {
        listing_.WriteHexRecord(current_.lineNumber + 1, statementAddress_, record.count,
                                record.address, record.data, current_.lineText);
    }
}

// --- Listing -------------------------------------------------------------------

void CAssembler::ListStatement()
{
    if (Listing()) {
        listing_.WriteLine(current_.lineNumber + 1, statementAddress_, statementBytes_.data(),
                           std::min<size_t>(statementBytes_.size(), 3), current_.lineText);
    }
}

void CAssembler::ListAddressOnly()
{
    if (Listing()) {
        listing_.WriteLine(current_.lineNumber + 1, pc_, nullptr, 0, current_.lineText);
    }
}

void CAssembler::ListNumberedSource()
{
    if (Listing()) {
        listing_.WriteNumberedSource(current_.lineNumber + 1, current_.lineText);
    }
}

void CAssembler::ListSourceOnly()
{
    if (Listing()) {
        listing_.WriteSource(current_.lineText);
    }
}
