#pragma once

#include <cstdint>
#include <string_view>

#include "assembler/asm_host.h"

// Evaluates operand expressions with the assembler's own precedence rules.
class CEvalEquation
{
public:
    explicit CEvalEquation(IEvalHost& host);

    // The value of the operand starting at text (a leading "#" skipped; ends
    // at ",", CR, LF, ";" or the end). wide: a negative result folds by
    // 10000h instead of 100h.
    int32_t Evaluate(std::string_view text, bool wide);

    // Bit address of bit within byteAddress; sets the dot-used flag.
    int32_t DotOperator(int32_t byteAddress, int32_t bit);

    // State of the last top-level evaluation.
    bool DotUsed() const;
    int StepCount() const;
};
