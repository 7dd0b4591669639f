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

void FormatWord(std::string& out, uint32_t value, int radix, int defaultRadix)
{
    switch (Resolve(radix, defaultRadix)) {
    case kRadixDecimal:
        out += StrFormat("%u", value);
        break;
    case kRadixAscii:
        break;
    case kRadixBinary:
        AppendBinary(out, value, 16);
        break;
    default:
        out += StrFormat("%04X", value);
        break;
    }
}

void FormatDoubleWord(std::string& out, uint32_t value, int radix, int defaultRadix)
{
    switch (Resolve(radix, defaultRadix)) {
    case kRadixDecimal:
        out += StrFormat("%u", value);
        break;
    case kRadixAscii:
        break;
    case kRadixBinary:
        AppendBinary(out, value, 32);
        break;
    default:
        out += StrFormat("%08X", value);
        break;
    }
}

void FormatRegisterWord(std::string& out, uint32_t value, int radix, int defaultRadix)
{
    const int resolved = Resolve(radix, defaultRadix);
    const bool decimal = resolved == kRadixAscii || resolved == kRadixBinary;
    FormatWord(out, value, decimal ? kRadixDecimal : resolved, defaultRadix);
}
