#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Character tests shared by the driver and the directives.
namespace scan {

inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The position of the first character at or after pos that is no blank.
inline size_t SkipBlanks(std::string_view text, size_t pos)
{
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    return pos;
}

// Character constants and strings are written in single or double quotes.
inline bool IsQuote(char c)
{
    return c == '\'' || c == '"';
}

// A quote, one character and the same quote again: one character constant,
// even when the character is a comma or a semicolon.
inline bool IsCharConstant(std::string_view text, size_t i)
{
    return IsQuote(text[i]) && i + 2 < text.size() && text[i + 2] == text[i];
}

// A word of at most 8 characters folded to upper case and packed into one
// number, so that keyword tables compare numbers; 0 for any other word.
constexpr uint64_t PackUpper(std::string_view word)
{
    if (word.empty() || word.size() > 8) {
        return 0;
    }
    uint64_t key = 0;
    for (size_t i = 0; i < word.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(word[i]);
        if (c == 0) {
            return 0;
        }
        if (c >= 'a' && c <= 'z') {
            c = static_cast<unsigned char>(c - ('a' - 'A'));
        }
        key |= static_cast<uint64_t>(c) << (8 * i);
    }
    return key;
}

// A slash or a backslash: names from sources written elsewhere use either.
inline bool HasPathSeparator(std::string_view path)
{
    return path.find_first_of("/\\") != std::string_view::npos;
}

} // namespace scan
