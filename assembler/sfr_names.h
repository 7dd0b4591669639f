#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The assembler's built-in names: 27 SFRs and 132 bit names, in table order.
struct NamedAddress
{
    std::string name;
    uint8_t address;
};

const std::vector<NamedAddress>& SfrNameTable();
const std::vector<NamedAddress>& BitNameTable();

// Direct address of an SFR name, or -1 (case-insensitive).
int32_t FindSfrName(std::string_view name);
// Bit address of a bit name such as "TR0" or "ACC.7", or -1 (case-insensitive).
int32_t FindBitName(std::string_view name);
