#pragma once

#include <cstdint>
#include <string>

// Display radix codes of the views, the watches and RADIX.DAT. Files store
// the numeric codes, so the values are fixed.
enum class DisplayRadix : uint8_t
{
    kDefault = 0, // the application's default radix
    kDecimal = 1,
    kHexadecimal = 2,
    kAscii = 3, // printable characters as themselves, the rest in hexadecimal
    kBinary = 4,
};

inline constexpr uint8_t RadixCode(DisplayRadix radix)
{
    return static_cast<uint8_t>(radix);
}

inline constexpr bool IsRadixCode(int code)
{
    return code >= RadixCode(DisplayRadix::kDefault) && code <= RadixCode(DisplayRadix::kBinary);
}

// A stored code as a radix; a code no formatter knows shows hexadecimal.
inline constexpr DisplayRadix RadixFromCode(int code)
{
    return IsRadixCode(code) ? static_cast<DisplayRadix>(code) : DisplayRadix::kHexadecimal;
}

// Each formatter appends to out. Default resolves to defaultRadix; a default
// that is itself Default shows hexadecimal.
void FormatByte(std::string& out, uint32_t value, DisplayRadix radix, DisplayRadix defaultRadix);
void FormatWord(std::string& out, uint32_t value, DisplayRadix radix, DisplayRadix defaultRadix);
void FormatDoubleWord(std::string& out, uint32_t value, DisplayRadix radix,
                      DisplayRadix defaultRadix);

// 16-bit registers (PC, DPTR, the timer and capture pairs) show ASCII and
// Binary, given or as the default, in decimal.
void FormatRegisterWord(std::string& out, uint32_t value, DisplayRadix radix,
                        DisplayRadix defaultRadix);
