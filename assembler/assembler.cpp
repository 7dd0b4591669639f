#include "assembler/assembler.h"
#include "assembler/scan_text.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "common/text_util.h"

namespace fs = std::filesystem;

namespace {

// What ends a word (kWordEnd) and what ends a statement (kStatementEnd).
constexpr uint8_t kWordEnd = 1;
constexpr uint8_t kStatementEnd = 2;
constexpr std::array<uint8_t, 256> MakeCharClasses()
{
    std::array<uint8_t, 256> classes{};
    for (const char c : {' ', '\t', ',', ':', ';', '\r', '\n'}) {
        classes[static_cast<unsigned char>(c)] |= kWordEnd;
    }
    for (const char c : {';', '\r', '\n'}) {
        classes[static_cast<unsigned char>(c)] |= kStatementEnd;
    }
    return classes;
}
constexpr std::array<uint8_t, 256> kCharClasses = MakeCharClasses();

bool IsSeparator(char c)
{
    return (kCharClasses[static_cast<unsigned char>(c)] & kWordEnd) != 0;
}

bool IsDecimalDigit(char c)
{
    return c >= '0' && c <= '9';
}

size_t StatementEnd(std::string_view text, size_t pos)
{
    while (pos < text.size() &&
           (kCharClasses[static_cast<unsigned char>(text[pos])] & kStatementEnd) == 0) {
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

bool IsDefinitionWord(std::string_view word)
{
    static const uint64_t kWords[] = {scan::PackUpper("EQU"), scan::PackUpper("SET"),
                                      scan::PackUpper("DS"),  scan::PackUpper("DD"),
                                      scan::PackUpper("BIT"), scan::PackUpper("DATA")};
    const uint64_t key = scan::PackUpper(word);
    return key != 0 && std::find(std::begin(kWords), std::end(kWords), key) != std::end(kWords);
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
    messages_.clear();
    readFiles_.clear();
    writtenFiles_.clear();
    symFile_.Discard();
    CloseAllSources();
    endRecordWritten_ = false;
    monitorBreakUsed_ = false;
    monitorBreakAddress_ = 0;
    memType_ = 255;
    endMet_ = skipping_ = definingSymbol_ = false;
    registerSymbols_.clear();
    registerLines_.clear();
    registerBank_ = 0;
    listOn_ = listSymbols_ = true;
    listSaved_.clear();
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
    if (options_.generateSymFile) {
        symFile_.Begin();
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
        // Every file pass 1 reads is known now: no output may replace one.
        CreateEarlyOutputs();
        if (options_.generateHexFile) {
            CreateOutput(hexPath_, [this](const fs::path& path) { return hex_.Create(path); });
        }
        if (options_.generateListFile) {
            CreateOutput(ListPath(), [this](const fs::path& path) {
                if (!listing_.Create(path)) {
                    return false;
                }
                listing_.WritePageHeader();
                return true;
            });
        }
        pc_ = 0;
        dataOrigin_ = 0;
        radix_ = 10;
        registerSymbols_.clear();
        registerBank_ = 0;
        listOn_ = true;
        listSaved_.clear();
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
        if (listSymbols_) {
            listing_.WriteSymbolTables(symbols_, labels_);
        }
        listing_.Close();
    }
    if (pass_ == 1) {
        CreateEarlyOutputs(); // stopped in pass 1: what it has written so far
    }
    output_.AddLine("");
    output_.AddLine(StrFormat("Done - %d error(s), %d warning(s)", errorCount_, warningCount_));
    CloseAllSources();
    linkFile_.Close();
    busy_ = false;
    pass_ = 0;
    skipping_ = endMet_ = false;
    if (events_ != nullptr) {
        events_->SymbolsChanged();
    }
}

bool CAssembler::MayWrite(const fs::path& path)
{
    std::error_code ec;
    // equivalent() resolves links and spellings: the same file under any name.
    for (const std::string& read : readFiles_) {
        if (fs::equivalent(path, read, ec)) {
            ReportMessage(" Output skipped, it would overwrite a source: " + path.string(),
                          kMessageWarning);
            return false;
        }
    }
    for (const fs::path& written : writtenFiles_) {
        if (fs::equivalent(path, written, ec)) {
            ReportMessage(" Output skipped, another output has the same file: " + path.string(),
                          kMessageWarning);
            return false;
        }
    }
    return true;
}

void CAssembler::CreateOutput(const fs::path& path,
                              const std::function<bool(const fs::path&)>& create)
{
    if (!MayWrite(path)) {
        return;
    }
    if (!create(path)) {
        ReportMessage(" Unable to create output file: " + path.string(), kMessageWarning);
        return;
    }
    writtenFiles_.push_back(path);
}

// The symbol file, collected during pass 1, and the link file of pass 2.
void CAssembler::CreateEarlyOutputs()
{
    if (symFile_.IsOpen()) {
        CreateOutput(SymPath(), [this](const fs::path& path) { return symFile_.Save(path); });
        symFile_.Discard();
    }
    CreateOutput(LinkPath(), [this](const fs::path& path) { return linkFile_.Create(path); });
}

bool CAssembler::IsOutputFile(const std::string& path) const
{
    std::error_code ec;
    for (const fs::path& written : writtenFiles_) {
        if (fs::equivalent(path, written, ec)) {
            return true;
        }
    }
    return false;
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
    messages_.push_back(AsmMessageType{output_.GetLineCount() - 1, kind, text});
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
        if (line[pos] == '$') {
            includeStarted_ = false;
            ProcessControls(pos);
            if (!includeStarted_) {
                AdvanceLine();
            }
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

    const uint64_t key = scan::PackUpper(word);
    const int mnemonic = CAsm8051::FindMnemonicKey(key);
    if (mnemonic >= 0) {
        encoder_.Encode(mnemonic, rest);
        ListStatement();
        AdvanceLine();
        return;
    }
    if (const DirectiveEntry* directive = FindDirective(key)) {
        includeStarted_ = false;
        (this->*directive->handler)(word, rest);
        if (!includeStarted_) {
            AdvanceLine();
        }
        return;
    }

    const std::string name = Truncate(word, kMaxName);
    if (DefineRegisterSymbol(name, afterWord, statementEnd)) {
        ListAddressOnly();
        AdvanceLine();
        return;
    }
    size_t pos = scan::SkipBlanks(line, afterWord);
    const std::string_view kind = ScanWord(line.substr(0, statementEnd), pos);
    if (pass_ == 2 && IsDefinitionWord(kind)) {
        // Listed alike whether the name is known or not: no need to look.
        ListAddressOnly();
        AdvanceLine();
        return;
    }
    if (symbols_.Find(name) != nullptr) {
        if (pass_ == 1) {
            Redefine(name, afterWord, statementEnd);
        } else {
            ListAddressOnly();
        }
        AdvanceLine();
        return;
    }
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
    if (pass_ == 2) {
        labels_.Insert(SymbolRecord{name, pc_, 255, 255}); // the final value
        return;
    }
    const bool known =
        labels_.Find(name) != nullptr || symbols_.Find(name) != nullptr || IsRegisterSymbol(name);
    if (known) {
        ReportMessage(StrFormat(" Label/Symbol: %s has already been declared.", name.c_str()),
                      kMessageError);
        return;
    }
    labels_.InsertNew(SymbolRecord{name, pc_, 255, 255});
    if (symFile_.IsOpen()) {
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

// name EQU reg / name SET reg, with reg a register or a symbol for one. True
// when the line was such a definition (or a redefinition of such a name)
// and has been handled; the caller lists it.
bool CAssembler::DefineRegisterSymbol(const std::string& name, size_t afterWord,
                                      size_t statementEnd)
{
    const std::string_view line = current_.lineText;
    size_t pos = scan::SkipBlanks(line, afterWord);
    const std::string_view kind = ScanWord(line.substr(0, statementEnd), pos);
    std::string_view operand = line.substr(pos, statementEnd - pos);
    operand.remove_prefix(scan::SkipBlanks(operand, 0));
    while (!operand.empty() && scan::IsBlank(operand.back())) {
        operand.remove_suffix(1);
    }
    int reg = RegisterKeyword(operand);
    if (reg == kRegNone) {
        if (registerSymbols_.empty()) {
            return false; // the common case: no register in sight
        }
        reg = RegisterSymbol(operand);
    }
    const bool equ = EqualsNoCase(kind, "EQU");
    const bool set = EqualsNoCase(kind, "SET");
    const auto known = registerSymbols_.find(name);

    if (reg == kRegNone || !(equ || set)) {
        if (known == registerSymbols_.end()) {
            return false;
        }
        if (set) {
            registerSymbols_.erase(known); // a value from here on
            return false;
        }
        if (pass_ == 1 && IsDefinitionWord(kind)) {
            Redefine(name, afterWord, statementEnd);
            return true;
        }
        return false;
    }

    const std::pair<int32_t, int32_t> here{current_.moduleIndex, current_.lineNumber};
    if (pass_ == 2) {
        if (registerLines_.contains(here)) {
            registerSymbols_.insert_or_assign(name, reg);
        }
        return true;
    }
    if (IsDecimalDigit(name[0])) {
        ReportMessage(
            StrFormat(" Symbol: %s can not begin with a numeric character.", name.c_str()),
            kMessageError);
        return true;
    }
    const bool valueTaken = symbols_.Find(name) != nullptr;
    if (labels_.Find(name) != nullptr || (equ && (known != registerSymbols_.end() || valueTaken))) {
        ReportMessage(StrFormat(" Duplicate label/symbol %s\r\n", name.c_str()), kMessageError);
        ReportMessage(StrFormat(" Symbol already defined -> %s", name.c_str()), kMessageError);
        ++pass1ErrorMark_;
        return true;
    }
    if (reg == kRegA) {
        // Where a direct address is allowed it stays the address E0h it has
        // always been, so it keeps its value in the tables too.
        if (valueTaken) {
            Redefine(name, afterWord, statementEnd);
        } else {
            DefineSymbol(name, ToUpper(kind), operand);
        }
    }
    registerSymbols_.insert_or_assign(name, reg);
    registerLines_.insert(here);
    return true;
}

int CAssembler::RegisterSymbol(std::string_view name) const
{
    if (registerSymbols_.empty()) {
        return kRegNone;
    }
    const auto it = registerSymbols_.find(name);
    return it == registerSymbols_.end() ? kRegNone : it->second;
}

bool CAssembler::IsRegisterSymbol(std::string_view name) const
{
    return !registerSymbols_.empty() && registerSymbols_.contains(name);
}

int32_t CAssembler::BankRegisterAddress(std::string_view name) const
{
    if (name.size() == 3 && (name[0] == 'A' || name[0] == 'a') &&
        (name[1] == 'R' || name[1] == 'r') && name[2] >= '0' && name[2] <= '7') {
        return registerBank_ * 8 + (name[2] - '0');
    }
    return -1;
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
    symbols_.InsertNew(record); // both tables were searched for the name first
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
