#include "simulator/value_format.h"

#include "common/text_util.h"

namespace {

DisplayRadix Resolve(DisplayRadix radix, DisplayRadix defaultRadix)
{
    if (radix == DisplayRadix::kDefault) {
        radix = defaultRadix;
    }
    return radix == DisplayRadix::kDefault ? DisplayRadix::kHexadecimal : radix;
}

void AppendBinary(std::string& out, uint32_t value, int digits)
{
    for (int bit = digits - 1; bit >= 0; --bit) {
        out.push_back(((value >> bit) & 1) ? '1' : '0');
    }
}

} // namespace

void FormatByte(std::string& out, uint32_t value, DisplayRadix radix, DisplayRadix defaultRadix)
{
    switch (Resolve(radix, defaultRadix)) {
    case DisplayRadix::kDecimal:
        out += StrFormat("%u", value);
        break;
    case DisplayRadix::kAscii:
        if (value >= 32) {
            out.push_back(static_cast<char>(value));
        } else {
            out += StrFormat("%02X", value);
        }
        break;
    case DisplayRadix::kBinary:
        AppendBinary(out, value, value >= 256 ? 16 : 8);
        break;
    default:
        out += StrFormat("%02X", value);
        break;
    }
}

namespace {

// Words and double words: ASCII shows nothing, the others by width.
void FormatWide(std::string& out, uint32_t value, DisplayRadix radix, DisplayRadix defaultRadix,
                int bits)
{
    switch (Resolve(radix, defaultRadix)) {
    case DisplayRadix::kDecimal:
        out += StrFormat("%u", value);
        break;
    case DisplayRadix::kAscii:
        break;
    case DisplayRadix::kBinary:
        AppendBinary(out, value, bits);
        break;
    default:
        out += StrFormat("%0*X", bits / 4, value);
        break;
    }
}

} // namespace

void FormatWord(std::string& out, uint32_t value, DisplayRadix radix, DisplayRadix defaultRadix)
{
    FormatWide(out, value, radix, defaultRadix, 16);
}

void FormatDoubleWord(std::string& out, uint32_t value, DisplayRadix radix,
                      DisplayRadix defaultRadix)
{
    FormatWide(out, value, radix, defaultRadix, 32);
}

void FormatRegisterWord(std::string& out, uint32_t value, DisplayRadix radix,
                        DisplayRadix defaultRadix)
{
    const DisplayRadix resolved = Resolve(radix, defaultRadix);
    const bool decimal = resolved == DisplayRadix::kAscii || resolved == DisplayRadix::kBinary;
    FormatWord(out, value, decimal ? DisplayRadix::kDecimal : resolved, defaultRadix);
}
