#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What the assembler asks of the simulator during an assembly. The
// application wires the simulation object in; until then it is absent.
class IAssemblerEvents
{
public:
    virtual ~IAssemblerEvents() = default;
    virtual void ResetProcessor() = 0;
    virtual void SetMonitorBreakAddress(bool used, uint16_t address) = 0;
    // Symbol values may have moved: cached watch locations are stale.
    virtual void SymbolsChanged() = 0;
};

// One name of the assembler's symbol or label table.
struct SymbolRecord
{
    std::string name; // as first written
    int32_t value = 0;
    uint8_t type = 255;    // 0 byte, 1 word, 2 double word, 4 bit, 255 untyped
    uint8_t memType = 255; // 1 iram, 2 dram, 3 xram, 255 none
};

// Expression evaluation and name lookup for the watches and virtual buttons;
// the assembler implements it, the simulator uses it.
class ISymbolResolver
{
public:
    virtual ~ISymbolResolver() = default;
    // Evaluates an operand the way the assembler does (a leading "#" skipped,
    // ending at the first comma); wide selects the 16-bit folding of
    // negative results.
    virtual int32_t EvaluateText(std::string_view text, bool wide) = 0;
    // As EvaluateText, but nothing when the text names something undefined,
    // so a misspelled watch does not show the byte at address 0.
    virtual std::optional<int32_t> EvaluateDefined(std::string_view text, bool wide)
    {
        return EvaluateText(text, wide);
    }
    virtual std::optional<SymbolRecord> FindSymbol(std::string_view name) const = 0;
    // Bit address of a bit name such as "TR0" or "P1.3", or -1.
    virtual int32_t FindBitName(std::string_view name) const = 0;
    // Direct address of an SFR name such as "P1", or -1.
    virtual int32_t FindSfrName(std::string_view name) const = 0;
};
