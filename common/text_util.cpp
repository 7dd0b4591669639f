#include "common/text_util.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string ToLower(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(FoldLower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string ToUpper(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(FoldUpper(static_cast<unsigned char>(c)));
    }
    return out;
}

size_t NoCaseHash::operator()(std::string_view text) const
{
    // FNV-1a over the folded bytes.
    size_t hash = 1469598103934665603ull;
    for (char c : text) {
        hash ^= FoldLower(static_cast<unsigned char>(c));
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string StrFormatV(const char* format, va_list args)
{
    char small[256];
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (needed < 0) {
        return {};
    }
    if (static_cast<size_t>(needed) < sizeof small) {
        return std::string(small, static_cast<size_t>(needed));
    }
    std::vector<char> big(static_cast<size_t>(needed) + 1);
    std::vsnprintf(big.data(), big.size(), format, args);
    return std::string(big.data(), static_cast<size_t>(needed));
}

std::string StrFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string out = StrFormatV(format, args);
    va_end(args);
    return out;
}

bool ParseDecimal(const char* text, long long low, long long high, long long& value)
{
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text, &end, 10);
    if (*text == '\0' || *end != '\0' || errno != 0 || parsed < low || parsed > high) {
        return false;
    }
    value = parsed;
    return true;
}
