#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class CAssembler;
class IMessageSink;

// The dialog caption: the prefix and the line's text without its leading
// and trailing blanks, at most 78 characters in all.
std::string ValueCaption(std::string_view prefix, std::string_view lineText);

// The part of a typed value the evaluator reads, as an immediate operand: a
// leading "#" skipped, cut at a comma or a comment, blanks trimmed.
std::string_view ValueOperand(std::string_view text);

// A typed value evaluated like an immediate operand of the assembler, with
// the names of its last assembly. An empty operand is refused silently;
// text the evaluator complains about is refused after its first message,
// as an assembly would report it (undefined names, bad digits, numbers too
// large, unpaired parentheses). wide: negative values fold to 16 bits
// instead of 8.
std::optional<int32_t> EvaluateValue(const CAssembler& assembler, IMessageSink& messages,
                                     std::string_view text, bool wide);
