#pragma once

#include <cstdint>
#include <string>

// Display radix codes shared by the views and the watches.
enum DisplayRadix : int
{
    kRadixDefault = 0,
    kRadixDecimal = 1,
    kRadixHexadecimal = 2,
    kRadixAscii = 3,
    kRadixBinary = 4,
};

// Each formatter appends to out. Default resolves to defaultRadix; an unknown
// code (or a default that is itself Default) shows hexadecimal.
void FormatByte(std::string& out, uint32_t value, int radix, int defaultRadix);
void FormatWord(std::string& out, uint32_t value, int radix, int defaultRadix);
void FormatDoubleWord(std::string& out, uint32_t value, int radix, int defaultRadix);

// 16-bit registers (PC, DPTR, the timer and capture pairs) show ASCII and
// Binary, given or as the default, in decimal.
void FormatRegisterWord(std::string& out, uint32_t value, int radix, int defaultRadix);
