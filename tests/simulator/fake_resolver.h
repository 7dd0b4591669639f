#pragma once

#include "common/text_util.h"
#include "simulator/assembler_link.h"

#include <map>
#include <string>
#include <vector>

// Names and numbers the way the assembler's evaluator reads the simple
// cases: decimal, or hexadecimal with an H suffix, an optional "#" and
// minus, ending at the first comma; SFR, bit and user names by table.
class CFakeResolver : public ISymbolResolver
{
public:
    int32_t EvaluateText(std::string_view text, bool wide) override
    {
        evaluated.emplace_back(text);
        if (!text.empty() && text.front() == '#') {
            text.remove_prefix(1);
        }
        text = text.substr(0, text.find(','));
        const bool negative = !text.empty() && text.front() == '-';
        if (negative) {
            text.remove_prefix(1);
        }
        int64_t value = 0;
        if (!text.empty() && text.front() >= '0' && text.front() <= '9') {
            const bool hex = FoldUpper(text.back()) == 'H';
            for (char c : hex ? text.substr(0, text.size() - 1) : text) {
                const int digit = c <= '9' ? c - '0' : FoldUpper(c) - 'A' + 10;
                value = (value * (hex ? 16 : 10) + digit) & 0xFFFFFFFF;
            }
        } else if (const auto symbol = FindSymbol(text)) {
            value = symbol->value;
        } else if (const int32_t sfr = FindSfrName(text); sfr > 0) {
            value = sfr;
        } else if (const int32_t bit = FindBitName(text); bit > 0) {
            value = bit;
        }
        auto result = static_cast<int32_t>(negative ? -value : value);
        if (result < 0) {
            result += wide ? 0x10000 : 0x100;
        }
        return result;
    }
    std::optional<SymbolRecord> FindSymbol(std::string_view name) const override
    {
        const auto found = symbols.find(std::string(name));
        if (found == symbols.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    int32_t FindBitName(std::string_view name) const override
    {
        const auto found = bits.find(std::string(name));
        return found == bits.end() ? -1 : found->second;
    }
    int32_t FindSfrName(std::string_view name) const override
    {
        const auto found = sfrs.find(std::string(name));
        return found == sfrs.end() ? -1 : found->second;
    }

    void Define(const std::string& name, int32_t value, uint8_t type = 255, uint8_t memType = 255)
    {
        symbols[name] = SymbolRecord{name, value, type, memType};
    }

    std::map<std::string, SymbolRecord, NoCaseLess> symbols;
    std::map<std::string, int32_t, NoCaseLess> bits = {{"TR0", 0x8C}, {"P1.3", 0x93}, {"EA", 0xAF}};
    std::map<std::string, int32_t, NoCaseLess> sfrs = {{"P0", 0x80}, {"P1", 0x90},   {"P2", 0xA0},
                                                       {"P3", 0xB0}, {"TCON", 0x88}, {"ACC", 0xE0}};
    std::vector<std::string> evaluated;
};
