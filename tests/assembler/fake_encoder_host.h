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

    CFakeEncoderHost() : m_eval(*this), m_asm(*this) {}

    void DefineSymbol(const std::string& name, int32_t value)
    {
        SymbolRecord record;
        record.name = name;
        record.value = value;
        m_symbols[name] = record;
    }
    void DefineLabel(const std::string& name, int32_t value)
    {
        SymbolRecord record;
        record.name = name;
        record.value = value;
        m_labels[name] = record;
    }

    // Assembles one "MNEMONIC operands" line at the given address in the
    // given pass; returns the bytes it emitted. Messages accumulate in
    // messages until ClearMessages.
    std::vector<uint8_t> Assemble(std::string_view line, int pass = 2, int32_t address = 0)
    {
        m_pass = pass;
        m_pc = address;
        m_statementAddress = address;
        m_bytes.clear();
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
            m_messages.push_back({"not a mnemonic", -1});
            return {};
        }
        m_asm.Encode(mnemonic, line.substr(end));
        return m_bytes;
    }

    // Both passes, as the driver runs them; the bytes of pass 2.
    std::vector<uint8_t> AssembleBothPasses(std::string_view line, int32_t address = 0)
    {
        const std::vector<uint8_t> pass1 = Assemble(line, 1, address);
        m_pass1Bytes = pass1;
        return Assemble(line, 2, address);
    }

    const std::vector<Message>& Messages() const { return m_messages; }
    void ClearMessages() { m_messages.clear(); }
    const std::vector<std::string>& LinkWords() const { return m_linkWords; }
    const std::vector<uint8_t>& Pass1Bytes() const { return m_pass1Bytes; }
    CAsm8051& Encoder() { return m_asm; }
    void SetPass(int pass) { m_pass = pass; }

    // IEvalHost
    int Pass() const override { return m_pass; }
    int Radix() const override { return 10; }
    int32_t StatementAddress() const override { return m_statementAddress; }
    bool DefiningSymbol() const override { return false; }
    const SymbolRecord* FindSymbol(std::string_view name) const override
    {
        auto it = m_symbols.find(name);
        return it == m_symbols.end() ? nullptr : &it->second;
    }
    const SymbolRecord* FindLabel(std::string_view name) const override
    {
        auto it = m_labels.find(name);
        return it == m_labels.end() ? nullptr : &it->second;
    }
    void ReportMessage(const std::string& text, int kind) override
    {
        m_messages.push_back({text, kind});
    }

    // IEncoderHost
    int32_t Pc() const override { return m_pc; }
    void EmitByte(uint8_t value) override
    {
        m_bytes.push_back(value);
        ++m_pc;
    }
    CEvalEquation& Evaluator() override { return m_eval; }
    void LinkReference(std::string_view operandWord) override
    {
        m_linkWords.emplace_back(operandWord);
    }

private:
    std::map<std::string, SymbolRecord, NoCaseLess> m_symbols;
    std::map<std::string, SymbolRecord, NoCaseLess> m_labels;
    std::vector<Message> m_messages;
    std::vector<std::string> m_linkWords;
    std::vector<uint8_t> m_bytes;
    std::vector<uint8_t> m_pass1Bytes;
    int m_pass = 2;
    int32_t m_pc = 0;
    int32_t m_statementAddress = 0;
    CEvalEquation m_eval;
    CAsm8051 m_asm;
};
