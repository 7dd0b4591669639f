#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "simulator/assembler_link.h"

class CEvalEquation;

inline constexpr int kMessageError = 0;
inline constexpr int kMessageWarning = 1;

// What the expression evaluator needs of the assembly in progress.
class IEvalHost
{
public:
    virtual ~IEvalHost() = default;
    virtual int Pass() const = 0;  // 0 when idle, else 1 or 2
    virtual int Radix() const = 0; // 2, 10 or 16
    virtual int32_t StatementAddress() const = 0;
    // True while the operand of EQU, SET, DATA, BIT, DS or DD is evaluated:
    // undefined names are then reported in pass 1 too.
    virtual bool DefiningSymbol() const = 0;
    virtual const SymbolRecord* FindSymbol(std::string_view name) const = 0;
    virtual const SymbolRecord* FindLabel(std::string_view name) const = 0;
    // kind: kMessageError or kMessageWarning.
    virtual void ReportMessage(const std::string& text, int kind) = 0;
    // Every name the evaluator could not find, reported or not.
    virtual void NameNotFound(std::string_view /*name*/) {}
    // A name defined to stand for a register (COUNT EQU R3): no value of its own.
    virtual bool IsRegisterSymbol(std::string_view /*name*/) const { return false; }
    // AR0..AR7: the direct address of that register in the bank USING chose;
    // -1 for any other name.
    virtual int32_t BankRegisterAddress(std::string_view /*name*/) const { return -1; }
};

// The registers a symbol may stand for (COUNT EQU R3); R0..R7 are 0..7.
inline constexpr int kRegNone = -1;
inline constexpr int kRegA = 8;
inline constexpr int kRegAB = 9;
inline constexpr int kRegC = 10;
inline constexpr int kRegDptr = 11;

// The register a keyword names (R0..R7, A, AB, C, DPTR, any case), or kRegNone.
int RegisterKeyword(std::string_view word);

// What the instruction encoders need besides evaluation.
class IEncoderHost : public IEvalHost
{
public:
    // The register a symbol stands for at this point of the pass, or kRegNone.
    virtual int RegisterSymbol(std::string_view /*name*/) const { return kRegNone; }
    virtual int32_t Pc() const = 0;
    // Emits one byte at PC and advances PC (code memory, HEX record, listing).
    virtual void EmitByte(uint8_t value) = 0;
    virtual CEvalEquation& Evaluator() = 0;
    // Called right after the opcode of LJMP, LCALL/CALL, long JMP and
    // MOV DPTR,#data16 is emitted, with the first word of the operand; in
    // pass 2 writes a link record when the word names a symbol or label.
    virtual void LinkReference(std::string_view operandWord) = 0;
};
