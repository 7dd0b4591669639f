#include "assembler/asm_symbol_resolver.h"

#include "assembler/sfr_names.h"

int32_t CAsmSymbolResolver::EvaluateText(std::string_view text, bool wide)
{
    host_.messages.clear();
    host_.undefinedName = false;
    return eval_.Evaluate(text, wide);
}

std::optional<int32_t> CAsmSymbolResolver::EvaluateDefined(std::string_view text, bool wide)
{
    const int32_t value = EvaluateText(text, wide);
    if (host_.undefinedName) {
        return std::nullopt;
    }
    return value;
}

std::optional<SymbolRecord> CAsmSymbolResolver::FindSymbol(std::string_view name) const
{
    return assembler_.LookupSymbol(name);
}

int32_t CAsmSymbolResolver::FindBitName(std::string_view name) const
{
    return ::FindBitName(name);
}

int32_t CAsmSymbolResolver::FindSfrName(std::string_view name) const
{
    return ::FindSfrName(name);
}
