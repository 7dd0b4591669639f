#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// What a stretch of source text is, for colouring. The names come from the
// assembler's own tables (assembler/asm_vocabulary.h).
enum class TokenKind : uint8_t
{
    kPlain,
    kMnemonic,
    kDirective,
    kSfr, // SFR and bit names
    kRegister,
    kNumber,
    kString, // strings and character constants
    kComment,
    kLabel,
};

struct TokenSpanType
{
    int start = 0;
    int length = 0;
    TokenKind kind = TokenKind::kPlain;

    friend bool operator==(const TokenSpanType&, const TokenSpanType&) = default;
};

// Lines longer than this stay plain: a window shows a few hundred columns,
// and scanning a megabyte-long line on every paint would stall typing.
inline constexpr int kMaxColouredLine = 4096;

// The coloured spans of one line (without its CR), left to right; text
// between them is plain. Reads the line as the assembler does: labels end in
// ":", ";" starts a comment, 'x' is a character and '...' a string.
void ColourLine(std::string_view line, std::vector<TokenSpanType>& spans);
