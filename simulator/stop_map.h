#pragma once

#include <cstdint>
#include <vector>

// The code addresses at which a run hands control back to its caller, one
// byte per address, so that the test after each instruction is one load.
// A PC past FFFFh (a program that ran off the end) always hands back: the
// next step wraps it with a message.
class CStopMap
{
public:
    static constexpr uint32_t kMask = 0x1FFFF; // covers every PC an instruction can leave
    static constexpr uint8_t kWide = 0x80;

    CStopMap() : marks_(kMask + 1, 0)
    {
        for (uint32_t address = 0x10000; address <= kMask; ++address) {
            marks_[address] = kWide;
        }
    }

    uint8_t At(uint32_t pc) const { return marks_[pc & kMask]; }
    const uint8_t* Data() const { return marks_.data(); }
    // Marks within 0000h-FFFFh; the bits are the caller's own.
    void Set(uint32_t address, uint8_t bits)
    {
        if (address <= 0xFFFF) {
            marks_[address] |= bits;
        }
    }
    void Clear(uint32_t address, uint8_t bits)
    {
        if (address <= 0xFFFF) {
            marks_[address] &= static_cast<uint8_t>(~bits);
        }
    }
    void ClearAll(uint8_t bits)
    {
        for (uint32_t address = 0; address <= 0xFFFF; ++address) {
            marks_[address] &= static_cast<uint8_t>(~bits);
        }
    }

private:
    std::vector<uint8_t> marks_;
};
