#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "assembler/asm_host.h"

// Evaluates operand expressions with the assembler's own precedence rules:
// a range is split at the rightmost occurrence of the loosest operator in the
// list "+ - * / % ^ & | < > =", then not-equal and the byte/word selectors.
class CEvalEquation
{
public:
    explicit CEvalEquation(IEvalHost& host) : host_(host) {}

    // The value of the operand starting at text (a leading "#" skipped; ends
    // at ",", CR, LF, ";" or the end). wide: a negative result folds by
    // 10000h instead of 100h.
    int32_t Evaluate(std::string_view text, bool wide);

    // Bit address of bit within byteAddress; sets the dot-used flag.
    int32_t DotOperator(int32_t byteAddress, int32_t bit);

    // State of the last top-level evaluation.
    bool DotUsed() const { return dotUsed_; }
    int StepCount() const { return steps_; }

    // The operand text Evaluate would take from text: up to the first ",",
    // CR, LF or ";" outside a character constant, at most 254 characters.
    static std::string_view OperandExtent(std::string_view text);

private:
    void Prepare(std::string& text);
    int32_t EvaluateRange(const std::string& text, size_t first, size_t last);
    int32_t EvaluateTerm(const std::string& text, size_t first, size_t last);
    int32_t EvaluateNumber(std::string_view term);
    int32_t EvaluateCStyleHex(std::string_view term);
    int32_t ConvertDigits(std::string_view term, std::string_view digits, int base, size_t len);
    int32_t EvaluateQuoted(std::string_view term);
    int32_t EvaluateName(std::string_view term);
    // Whether syntax faults of a term are reported in this evaluation.
    bool ReportsSyntax() const;
    // Reports what term holds behind its first used characters, unless it
    // is only an operator.
    void CheckLeftover(std::string_view term, size_t used);
    // Prepared text as the source wrote it, for messages.
    std::string Readable(std::string_view text, int depth = 0) const;
    int32_t ApplyBinary(char op, int32_t left, int32_t right) const;

    IEvalHost& host_;
    bool dotUsed_ = false;
    int steps_ = 0;
    bool prepared_ok_ = true;
    std::string prepared_;
    std::vector<std::string> groups_;
    int depth_ = 0;
};
