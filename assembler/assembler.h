#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "assembler/asm8051.h"
#include "assembler/asm_host.h"
#include "assembler/eval_equation.h"
#include "assembler/output_files.h"
#include "assembler/symbol_table.h"
#include "common/ext_file.h"
#include "common/output_text.h"
#include "simulator/code_memory.h"
#include "simulator/module_list.h"

// Which output files an assembly writes (the link file is always written).
struct AssemblerOptions
{
    bool generateListFile = true;
    bool generateSymFile = false;
    bool generateHexFile = true;
    int tabWidth = 8; // tab stops of the listing's source text
};

// One reported message: its kind and text as given to ReportMessage, and
// the output line that shows it (its location is kept there).
struct AsmMessageType
{
    size_t outputLine;
    int kind; // kMessageError or kMessageWarning
    std::string text;
};

// One open source file; the include stack holds the suspended parents.
struct srcmod_type
{
    std::unique_ptr<CExtFile> file;
    std::string lineText; // the current line, CR kept at its end
    bool lineValid = false;
    std::string path;
    int32_t lineNumber = 0; // 0-based
    size_t scanPos = 0;
    int32_t moduleIndex = -1;
};

// The two-pass assembler. Started by Assemble, advanced slice by slice by
// AssembleStep from the idle loop, ended by FinishAssembly.
class CAssembler : public IEncoderHost
{
public:
    static constexpr int kLineSlice = 5000;
    static constexpr int kMaxIncludeDepth = 256;
    static constexpr size_t kLineLimit = 254;
    static constexpr size_t kMaxName = 32;

    CAssembler(COutputText& output, CCodeMemory& code, CModuleList& modules);
    ~CAssembler() override;

    void SetEvents(IAssemblerEvents* events) { events_ = events; }
    // Read when the output files are opened.
    void SetOptions(const AssemblerOptions& options) { options_ = options; }
    // Time source of the listing header; the local time when not set.
    void SetClock(std::function<std::tm()> clock) { listing_.SetClock(std::move(clock)); }

    void Assemble(const std::string& path);
    bool IsAssembling() const { return busy_; }
    // One slice of at most kLineSlice lines; true while work remains.
    bool AssembleStep();
    void FinishAssembly();

    int GetErrorCount() const { return errorCount_; }
    int GetWarningCount() const { return warningCount_; }
    // The messages of the running or last assembly, in the order shown.
    const std::vector<AsmMessageType>& Messages() const { return messages_; }
    int32_t GetStatementAddress() const { return statementAddress_; }
    const std::string& HexPath() const { return hexPath_; }
    std::filesystem::path ListPath() const { return OutputPath(".LST"); }
    std::filesystem::path SymPath() const { return OutputPath(".SYM"); }
    std::filesystem::path LinkPath() const { return OutputPath(".LNK"); }

    // The directive table's names, read-only, for tools that show source text
    // (asm_vocabulary.h); definesName marks EQU, SET and the other directives
    // that define the statement's first word.
    struct DirectiveNameType
    {
        std::string_view name;
        bool definesName;
    };
    static std::vector<DirectiveNameType> DirectiveNames();

    std::optional<SymbolRecord> LookupSymbol(std::string_view name) const;
    const CSymbolTable& Symbols() const { return symbols_; }
    const CSymbolTable& Labels() const { return labels_; }

    // IEvalHost / IEncoderHost
    int Pass() const override { return pass_; }
    int Radix() const override { return radix_; }
    int32_t StatementAddress() const override { return statementAddress_; }
    bool DefiningSymbol() const override { return definingSymbol_; }
    const SymbolRecord* FindSymbol(std::string_view name) const override;
    const SymbolRecord* FindLabel(std::string_view name) const override;
    void ReportMessage(const std::string& text, int kind) override;
    int32_t Pc() const override { return pc_; }
    void EmitByte(uint8_t value) override;
    CEvalEquation& Evaluator() override { return eval_; }
    void LinkReference(std::string_view operandWord) override;
    int RegisterSymbol(std::string_view name) const override;
    bool IsRegisterSymbol(std::string_view name) const override;
    int32_t BankRegisterAddress(std::string_view name) const override;

private:
    using DirectiveHandler = void (CAssembler::*)(std::string_view word, std::string_view rest);
    struct DirectiveEntry
    {
        const char* name;
        DirectiveHandler handler;
    };
    static const DirectiveEntry kDirectives[];

    // Driver
    std::filesystem::path OutputPath(const char* extension) const;
    bool OpenSource(srcmod_type& module, const std::string& path);
    void ProcessLine();
    void ProcessStatement(size_t pos, size_t statementEnd);
    void ClassifyWord(const std::string& word, size_t afterWord, size_t statementEnd);
    void DefineLabel(const std::string& name, bool tooLong);
    void DefineSymbol(const std::string& name, const std::string& kind, std::string_view operand);
    void Redefine(const std::string& name, size_t afterWord, size_t statementEnd);
    bool DefineRegisterSymbol(const std::string& name, size_t afterWord, size_t statementEnd);
    void AdvanceLine();
    void AdvanceLineOf(srcmod_type& module);
    void EndOfFile();
    void EndOfPass();
    void SkipConditionalLine();
    void CloseAllSources();
    void ProcessHexRecord(size_t pos);
    std::string ResolveInclude(const std::string& name) const;
    // Output files: none may replace a file the assembly reads or another output.
    bool MayWrite(const std::filesystem::path& path);
    void CreateOutput(const std::filesystem::path& path,
                      const std::function<bool(const std::filesystem::path&)>& create);
    void CreateEarlyOutputs();
    bool IsOutputFile(const std::string& path) const;
    // False when the file could not be opened; the parent then goes on.
    bool Include(const std::string& name, bool listLine = true);

    // Listing helpers
    // Listing lines are written: pass 2, a listing, and not turned off by $NOLIST.
    bool Listing() const { return pass_ == 2 && listing_.IsOpen() && listOn_; }
    // The listing's layout may be changed.
    bool ListingOpen() const { return pass_ == 2 && listing_.IsOpen(); }
    void ListStatement();
    void ListAddressOnly();
    void ListNumberedSource();
    void ListSourceOnly();

    // Directives
    // key: the word packed by scan::PackUpper.
    const DirectiveEntry* FindDirective(uint64_t key) const;
    void DoEnd(std::string_view word, std::string_view rest);
    void DoOrg(std::string_view word, std::string_view rest);
    void DoDataOrg(std::string_view word, std::string_view rest);
    void DoDefineWithoutName(std::string_view word, std::string_view rest);
    void DoDb(std::string_view word, std::string_view rest);
    void DoDw(std::string_view word, std::string_view rest);
    void DoData(std::string_view rest, bool words);
    std::string_view FileNameOperand(std::string_view rest) const;
    void DoPage(std::string_view word, std::string_view rest);
    void DoTitle(std::string_view word, std::string_view rest);
    void DoMargin(std::string_view word, std::string_view rest);
    void DoInclude(std::string_view word, std::string_view rest);
    void DoRadix(std::string_view word, std::string_view rest);
    void DoIgnored(std::string_view word, std::string_view rest);
    void DoIf(std::string_view word, std::string_view rest);
    void DoElse(std::string_view word, std::string_view rest);
    void DoEndif(std::string_view word, std::string_view rest);
    void DoBreak(std::string_view word, std::string_view rest);
    void DoMemType(std::string_view word, std::string_view rest);
    void DoHexFile(std::string_view word, std::string_view rest);
    void DoUsing(std::string_view word, std::string_view rest);

    // $ controls
    struct ControlType;
    static const ControlType* FindControl(std::string_view name);
    void ProcessControls(size_t dollar);
    void ApplyControl(const ControlType& control, std::string_view argument,
                      std::string& includeName);
    void ControlProblem(const std::string& text, bool include);

    COutputText& output_;
    CCodeMemory& code_;
    CModuleList& modules_;
    IAssemblerEvents* events_ = nullptr;
    AssemblerOptions options_;
    CEvalEquation eval_;
    CAsm8051 encoder_;

    // Assembler object state
    bool busy_ = false;
    std::string sourcePath_;
    std::filesystem::path sourceDirectory_;
    std::string hexPath_;
    std::vector<srcmod_type> includeStack_;
    srcmod_type current_;

    // Assembly state
    int pass_ = 0;
    int32_t pc_ = 0;
    int32_t dataOrigin_ = 0;
    int32_t statementAddress_ = -1;
    int errorCount_ = 0;
    int warningCount_ = 0;
    int pass1ErrorMark_ = 0;
    bool addressErrorReported_ = false;
    int radix_ = 10;
    uint8_t memType_ = 255;
    bool definingSymbol_ = false;
    bool endMet_ = false;
    bool includeStarted_ = false; // the directive made an included file current
    bool skipping_ = false;       // inside the false part of IF/ELSE
    bool monitorBreakUsed_ = false;
    uint16_t monitorBreakAddress_ = 0;
    bool endRecordWritten_ = false;
    std::vector<uint8_t> statementBytes_;
    std::vector<AsmMessageType> messages_;
    std::set<std::string> readFiles_;                 // every source opened so far
    std::vector<std::filesystem::path> writtenFiles_; // outputs of this assembly

    CSymbolTable symbols_;
    CSymbolTable labels_;
    // Names that stand for a register, as defined so far in this pass: each
    // pass starts empty, so both passes give a use the same length.
    std::unordered_map<std::string, int, NoCaseHash, NoCaseEqual> registerSymbols_;
    // Where pass 1 defined a register symbol (module, line), for pass 2 to
    // define it again at the same place.
    std::set<std::pair<int32_t, int32_t>> registerLines_;
    int registerBank_ = 0;        // chosen by USING for AR0..AR7
    bool listOn_ = true;          // $LIST / $NOLIST
    bool listSymbols_ = true;     // $SYMBOLS / $NOSYMBOLS: the listing's closing tables
    std::vector<bool> listSaved_; // $SAVE / $RESTORE
    CHexWriter hex_;
    CListingWriter listing_;
    CSymbolFileWriter symFile_;
    CLinkFileWriter linkFile_;
};
