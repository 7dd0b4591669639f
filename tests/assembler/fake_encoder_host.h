#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "assembler/asm8051.h"
#include "assembler/asm_host.h"
#include "assembler/eval_equation.h"
#include "common/text_util.h"

// An assembly in miniature for the encoder: a symbol and a label table, the
// emitted bytes and every reported message (no de-duplication, so that the
// tests see what each pass reports).
class CFakeEncoderHost : public IEncoderHost
{
public:
    struct Message
    {
        std::string text;
        int kind;
        bool operator==(const Message&) const = default;
    };

    CFakeEncoderHost() : eval_(*this), asm_(*this) {}

    void DefineSymbol(const std::string& name, int32_t value)
    {
        SymbolRecord record;
        record.name = name;
        record.value = value;
        symbols_[name] = record;
    }
    void DefineLabel(const std::string& name, int32_t value)
    {
        SymbolRecord record;
        record.name = name;
        record.value = value;
        labels_[name] = record;
    }

    // Assembles one "MNEMONIC operands" line at the given address in the
    // given pass; returns the bytes it emitted. Messages accumulate in
    // messages until ClearMessages.
    std::vector<uint8_t> Assemble(std::string_view line, int pass = 2, int32_t address = 0)
    {
        pass_ = pass;
        pc_ = address;
        statementAddress_ = address;
        bytes_.clear();
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string_view::npos) {
            return {};
        }
        size_t end = line.find_first_of(" \t", start);
        if (end == std::string_view::npos) {
            end = line.size();
        }
        const int mnemonic = CAsm8051::FindMnemonic(line.substr(start, end - start));
        if (mnemonic < 0) {
            messages_.push_back({"not a mnemonic", -1});
            return {};
        }
        asm_.Encode(mnemonic, line.substr(end));
        return bytes_;
    }

    // Both passes, as the driver runs them; the bytes of pass 2.
    std::vector<uint8_t> AssembleBothPasses(std::string_view line, int32_t address = 0)
    {
        const std::vector<uint8_t> pass1 = Assemble(line, 1, address);
        pass1Bytes_ = pass1;
        return Assemble(line, 2, address);
    }

    const std::vector<Message>& Messages() const { return messages_; }
    void ClearMessages() { messages_.clear(); }
    const std::vector<std::string>& LinkWords() const { return linkWords_; }
    const std::vector<uint8_t>& Pass1Bytes() const { return pass1Bytes_; }
    CAsm8051& Encoder() { return asm_; }
    void SetPass(int pass) { pass_ = pass; }

    // IEvalHost
    int Pass() const override { return pass_; }
    int Radix() const override { return 10; }
    int32_t StatementAddress() const override { return statementAddress_; }
    bool DefiningSymbol() const override { return false; }
    const SymbolRecord* FindSymbol(std::string_view name) const override
    {
        auto it = symbols_.find(name);
        return it == symbols_.end() ? nullptr : &it->second;
    }
    const SymbolRecord* FindLabel(std::string_view name) const override
    {
        auto it = labels_.find(name);
        return it == labels_.end() ? nullptr : &it->second;
    }
    void ReportMessage(const std::string& text, int kind) override
    {
        messages_.push_back({text, kind});
    }

    // IEncoderHost
    int32_t Pc() const override { return pc_; }
    void EmitByte(uint8_t value) override
    {
        bytes_.push_back(value);
        ++pc_;
    }
    CEvalEquation& Evaluator() override { return eval_; }
    void LinkReference(std::string_view operandWord) override
    {
        linkWords_.emplace_back(operandWord);
    }

private:
    std::map<std::string, SymbolRecord, NoCaseLess> symbols_;
    std::map<std::string, SymbolRecord, NoCaseLess> labels_;
    std::vector<Message> messages_;
    std::vector<std::string> linkWords_;
    std::vector<uint8_t> bytes_;
    std::vector<uint8_t> pass1Bytes_;
    int pass_ = 2;
    int32_t pc_ = 0;
    int32_t statementAddress_ = 0;
    CEvalEquation eval_;
    CAsm8051 asm_;
};
