#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

// Names in source files, symbol tables and path lists compare without regard
// to letter case: both sides are folded to lower case, then compared as
// unsigned bytes (so "_" sorts before any letter).

inline unsigned char FoldLower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

inline unsigned char FoldUpper(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - ('a' - 'A')) : c;
}

// Inline: symbol lookups in the assembler compare a name on every hit.
inline int CompareNoCase(std::string_view a, std::string_view b)
{
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        if (a[i] == b[i]) {
            continue;
        }
        const unsigned char ca = FoldLower(static_cast<unsigned char>(a[i]));
        const unsigned char cb = FoldLower(static_cast<unsigned char>(b[i]));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

inline bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldLower(static_cast<unsigned char>(a[i])) !=
            FoldLower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix);
std::string ToLower(std::string_view text);
std::string ToUpper(std::string_view text);

// Ordering for std::map and std::set keyed by names.
struct NoCaseLess
{
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const
    {
        return CompareNoCase(a, b) < 0;
    }
};

// Hash and equality for unordered containers keyed case-insensitively.
struct NoCaseHash
{
    using is_transparent = void;
    size_t operator()(std::string_view text) const;
};
struct NoCaseEqual
{
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return EqualsNoCase(a, b); }
};

// printf-style formatting into a std::string; the system's message and file
// formats are given as printf formats.
std::string StrFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string StrFormatV(const char* format, va_list args);

// A whole decimal number from low to high, the entire text: command-line
// option values. False, with value untouched, for anything else.
bool ParseDecimal(const char* text, long long low, long long high, long long& value);
