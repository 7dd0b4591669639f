#pragma once

#include <cstddef>
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

// A slash or a backslash: names from sources written elsewhere use either.
inline bool HasPathSeparator(std::string_view path)
{
    return path.find_first_of("/\\") != std::string_view::npos;
}

} // namespace scan
