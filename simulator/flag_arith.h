#pragma once

#include <cstdint>

// The ALU's flag arithmetic as pure functions, so the rules can be checked
// over every input without a processor around them.

struct AluResult
{
    uint8_t value;
    bool cy;
    bool ac;
    bool ov;
};

// ADD (carryIn false) and ADDC.
constexpr AluResult Add8(uint8_t x, uint8_t y, bool carryIn)
{
    const unsigned c = carryIn ? 1 : 0;
    const bool cy = x + y + c >= 0x100;
    const bool ac = (x & 0x0F) + (y & 0x0F) + c >= 0x10;
    const bool carryIntoBit7 = (x & 0x7F) + (y & 0x7F) + c >= 0x80;
    return {static_cast<uint8_t>(x + y + c), cy, ac, carryIntoBit7 != cy};
}

constexpr AluResult Subb8(uint8_t x, uint8_t y, bool borrowIn)
{
    const unsigned c = borrowIn ? 1 : 0;
    const unsigned r = y + c;
    const bool cy = x < r;
    const bool ac = (x & 0x0F) < (y & 0x0F) + c;
    const bool borrowIntoBit7 = (x & 0x7F) < (y & 0x7F) + c;
    return {static_cast<uint8_t>(x - r), cy, ac, borrowIntoBit7 != cy};
}

struct DecimalAdjustResult
{
    uint8_t value;
    bool cy; // never cleared: a carry in stays set
};

constexpr DecimalAdjustResult DecimalAdjust(uint8_t a, bool cy, bool ac)
{
    unsigned low = a & 0x0F;
    unsigned high = a >> 4;
    if (low > 9 || ac) {
        low += 6;
        if (low > 15) {
            ++high;
            low &= 0x0F;
        }
    }
    if (high > 9 || cy) {
        high += 6;
    }
    if (high > 15) {
        cy = true;
    }
    return {static_cast<uint8_t>(((high & 0x0F) << 4) | low), cy};
}

constexpr bool OddParity(uint8_t value)
{
    value ^= value >> 4;
    value ^= value >> 2;
    value ^= value >> 1;
    return (value & 1) != 0;
}
