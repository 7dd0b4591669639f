#include "simulator/value_format.h"

#include "common/text_util.h"

namespace {

int Resolve(int radix, int defaultRadix)
{
    if (radix == kRadixDefault) {
        radix = defaultRadix;
    }
    return (radix >= kRadixDecimal && radix <= kRadixBinary) ? radix : kRadixHexadecimal;
}

void AppendBinary(std::string& out, uint32_t value, int digits)
{
    for (int bit = digits - 1; bit >= 0; --bit) {
        out.push_back(((value >> bit) & 1) ? '1' : '0');
    }
}

} // namespace

void FormatByte(std::string& out, uint32_t value, int radix, int defaultRadix)
{
    switch (Resolve(radix, defaultRadix)) {
    case kRadixDecimal:
        out += StrFormat("%u", value);
        break;
    case kRadixAscii:
        if (value >= 32) {
            out.push_back(static_cast<char>(value));
        } else {
            out += StrFormat("%02X", value);
        }
        break;
    case kRadixBinary:
        AppendBinary(out, value, value >= 256 ? 16 : 8);
        break;
    default:
        out += StrFormat("%02X", value);
        break;
    }
}

namespace {

// Words and double words: ASCII shows nothing, the others by width.
void FormatWide(std::string& out, uint32_t value, int radix, int defaultRadix, int bits)
{
    switch (Resolve(radix, defaultRadix)) {
    case kRadixDecimal:
        out += StrFormat("%u", value);
        break;
    case kRadixAscii:
        break;
    case kRadixBinary:
        AppendBinary(out, value, bits);
        break;
    default:
        out += StrFormat("%0*X", bits / 4, value);
        break;
    }
}

} // namespace

void FormatWord(std::string& out, uint32_t value, int radix, int defaultRadix)
{
    FormatWide(out, value, radix, defaultRadix, 16);
}

void FormatDoubleWord(std::string& out, uint32_t value, int radix, int defaultRadix)
{
    FormatWide(out, value, radix, defaultRadix, 32);
}

void FormatRegisterWord(std::string& out, uint32_t value, int radix, int defaultRadix)
{
    const int resolved = Resolve(radix, defaultRadix);
    const bool decimal = resolved == kRadixAscii || resolved == kRadixBinary;
    FormatWord(out, value, decimal ? kRadixDecimal : resolved, defaultRadix);
}
