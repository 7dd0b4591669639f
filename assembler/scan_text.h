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

// A slash or a backslash: names from sources written elsewhere use either.
inline bool HasPathSeparator(std::string_view path)
{
    return path.find_first_of("/\\") != std::string_view::npos;
}

} // namespace scan
