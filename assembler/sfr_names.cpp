#include "assembler/sfr_names.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "assembler/scan_text.h"
#include "common/text_util.h"

namespace {

struct BitRegister
{
    const char* name;
    uint8_t address;
    std::vector<const char*> bitNames; // named bits 0..7; nullptr where a bit has no name
};

std::vector<NamedAddress> BuildSfrTable()
{
    return {
        {"P0", 0x80},     {"SP", 0x81},   {"DPL", 0x82},  {"DPH", 0x83},   {"PCON", 0x87},
        {"TCON", 0x88},   {"TMOD", 0x89}, {"TL0", 0x8A},  {"TL1", 0x8B},   {"TH0", 0x8C},
        {"TH1", 0x8D},    {"P1", 0x90},   {"SCON", 0x98}, {"SBUF", 0x99},  {"P2", 0xA0},
        {"IE", 0xA8},     {"P3", 0xB0},   {"IP", 0xB8},   {"T2CON", 0xC8}, {"RCAP2L", 0xCA},
        {"RCAP2H", 0xCB}, {"TL2", 0xCC},  {"TH2", 0xCD},  {"PSW", 0xD0},   {"A", 0xE0},
        {"ACC", 0xE0},    {"B", 0xF0},
    };
}

std::vector<NamedAddress> BuildBitTable()
{
    // Each register's dotted names, then the names of its individual bits.
    // The PSW bits are listed last, after B.7.
    const std::vector<BitRegister> registers = {
        {"P0", 0x80, {}},
        {"TCON", 0x88, {"IT0", "IE0", "IT1", "IE1", "TR0", "TF0", "TR1", "TF1"}},
        {"P1", 0x90, {}},
        {"SCON", 0x98, {"RI", "TI", "RB8", "TB8", "REN", "SM2", "SM1", "SM0"}},
        {"P2", 0xA0, {}},
        {"IE", 0xA8, {"EX0", "ET0", "EX1", "ET1", "ES", "ET2", nullptr, "EA"}},
        {"P3", 0xB0, {}},
        {"IP", 0xB8, {"PX0", "PT0", "PX1", "PT1", "PS", "PT2", nullptr, nullptr}},
        {"T2CON", 0xC8, {}},
        {"PSW", 0xD0, {}},
        {"ACC", 0xE0, {}},
        {"B", 0xF0, {}},
    };
    std::vector<NamedAddress> table;
    for (const BitRegister& reg : registers) {
        for (int bit = 0; bit < 8; ++bit) {
            table.push_back({std::string(reg.name) + "." + std::to_string(bit),
                             static_cast<uint8_t>(reg.address + bit)});
        }
        for (size_t bit = 0; bit < reg.bitNames.size(); ++bit) {
            if (reg.bitNames[bit] != nullptr) {
                table.push_back({reg.bitNames[bit], static_cast<uint8_t>(reg.address + bit)});
            }
        }
    }
    const char* pswNames[8] = {"P", nullptr, "OV", "RS0", "RS1", "F0", "AC", "CY"};
    for (int bit = 0; bit < 8; ++bit) {
        if (pswNames[bit] != nullptr) {
            table.push_back({pswNames[bit], static_cast<uint8_t>(0xD0 + bit)});
        }
    }
    return table;
}

// Every name is at most 8 characters: packed and found by hashing.
using NameIndex = scan::CKeywordIndex<int32_t, 512>;

NameIndex BuildIndex(const std::vector<NamedAddress>& table)
{
    NameIndex index;
    for (const NamedAddress& entry : table) {
        index.Add(scan::PackUpper(entry.name), entry.address); // the first entry wins
    }
    return index;
}

int32_t Lookup(const NameIndex& index, std::string_view name)
{
    return index.Find(scan::PackUpper(name), -1);
}

} // namespace

const std::vector<NamedAddress>& SfrNameTable()
{
    static const std::vector<NamedAddress> table = BuildSfrTable();
    return table;
}

const std::vector<NamedAddress>& BitNameTable()
{
    static const std::vector<NamedAddress> table = BuildBitTable();
    return table;
}

int32_t FindSfrName(std::string_view name)
{
    static const NameIndex index = BuildIndex(SfrNameTable());
    return Lookup(index, name);
}

int32_t FindBitName(std::string_view name)
{
    static const NameIndex index = BuildIndex(BitNameTable());
    return Lookup(index, name);
}
