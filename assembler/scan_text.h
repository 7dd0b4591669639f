#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
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

// Keywords packed by PackUpper, each with a value, found by hashing: the
// first word of every line is looked up among the mnemonics and the
// directives. kSlots, a power of two, should be at least twice the count.
template <typename Value, size_t kSlots> class CKeywordIndex
{
    static_assert(std::has_single_bit(kSlots));

public:
    // The first value added for a key stays, as a search from the top finds it.
    constexpr void Add(uint64_t key, Value value)
    {
        if (key == 0) {
            return;
        }
        size_t i = Home(key);
        while (keys_[i] != 0) {
            if (keys_[i] == key) {
                return;
            }
            i = (i + 1) & (kSlots - 1);
        }
        // At most half full, so that a search for a missing key ends.
        if (count_ * 2 >= kSlots) {
            throw std::length_error("keyword index too small");
        }
        keys_[i] = key;
        values_[i] = value;
        ++count_;
    }

    // The value of key, or missing for 0 and unknown keys.
    constexpr Value Find(uint64_t key, Value missing) const
    {
        if (key == 0) {
            return missing;
        }
        for (size_t i = Home(key);; i = (i + 1) & (kSlots - 1)) {
            if (keys_[i] == key) {
                return values_[i];
            }
            if (keys_[i] == 0) {
                return missing;
            }
        }
    }

private:
    static constexpr size_t Home(uint64_t key)
    {
        return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >>
                                   (64 - std::countr_zero(kSlots)));
    }

    std::array<uint64_t, kSlots> keys_{};
    std::array<Value, kSlots> values_{};
    size_t count_ = 0;
};

// A slash or a backslash: names from sources written elsewhere use either.
inline bool HasPathSeparator(std::string_view path)
{
    return path.find_first_of("/\\") != std::string_view::npos;
}

} // namespace scan
