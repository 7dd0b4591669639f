#pragma once

#include <string>
#include <vector>

#include "assembler/assembler.h"
#include "assembler/eval_equation.h"

// Lets the simulator's watches and virtual buttons evaluate texts and look
// names up in the last assembly's tables, outside any pass: undefined names
// are not reported, other messages are kept for the caller to show.
class CAsmSymbolResolver : public ISymbolResolver
{
public:
    explicit CAsmSymbolResolver(const CAssembler& assembler)
        : assembler_(assembler), host_(assembler), eval_(host_)
    {}

    int32_t EvaluateText(std::string_view text, bool wide) override;
    std::optional<int32_t> EvaluateDefined(std::string_view text, bool wide) override;
    std::optional<SymbolRecord> FindSymbol(std::string_view name) const override;
    int32_t FindBitName(std::string_view name) const override;
    int32_t FindSfrName(std::string_view name) const override;

    // Messages of the last EvaluateText.
    const std::vector<std::string>& Messages() const { return host_.messages; }

private:
    class CIdleHost : public IEvalHost
    {
    public:
        explicit CIdleHost(const CAssembler& assembler) : assembler_(assembler) {}
        int Pass() const override { return 0; }
        int Radix() const override { return 10; }
        int32_t StatementAddress() const override { return assembler_.GetStatementAddress(); }
        bool DefiningSymbol() const override { return false; }
        const SymbolRecord* FindSymbol(std::string_view name) const override
        {
            return assembler_.Symbols().Find(name);
        }
        const SymbolRecord* FindLabel(std::string_view name) const override
        {
            return assembler_.Labels().Find(name);
        }
        void ReportMessage(const std::string& text, int) override { messages.push_back(text); }
        void NameNotFound(std::string_view) override { undefinedName = true; }

        std::vector<std::string> messages;
        bool undefinedName = false;

    private:
        const CAssembler& assembler_;
    };

    const CAssembler& assembler_;
    CIdleHost host_;
    CEvalEquation eval_;
};
