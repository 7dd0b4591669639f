#include "sim_fixture.h"

#include "simulator/opcode_table.h"

#include <cstdlib>
#include <sstream>

namespace {

// Lengths and machine cycles from the MCS-51 opcode map, row = high nibble.
constexpr const char* kLengthGrid[16] = {
    "1231121111111111", "3231121111111111", "3211221111111111", "3211221111111111",
    "2223221111111111", "2223221111111111", "2223221111111111", "2221232222222222",
    "2221132222222222", "3221221111111111", "2221112222222222", "2221333333333333",
    "2221121111111111", "2221131122222222", "1211121111111111", "1211121111111111",
};
constexpr const char* kCycleGrid[16] = {
    "1221111111111111", "2221111111111111", "2221111111111111", "2221111111111111",
    "2212111111111111", "2212111111111111", "2212111111111111", "2222121111111111",
    "2222422222222222", "2222111111111111", "2212412222222222", "2211222222222222",
    "2211111111111111", "2211121122222222", "2222111111111111", "2222111111111111",
};

int GridValue(const char* const grid[16], int op)
{
    return grid[op >> 4][op & 15] - '0';
}

TEST(OpcodeTableTest, LengthsAndCyclesMatchTheOpcodeMap)
{
    for (int op = 0; op < 256; ++op) {
        EXPECT_EQ(OpcodeTable[op].length, GridValue(kLengthGrid, op)) << std::hex << op;
        EXPECT_EQ(OpcodeTable[op].cycles, GridValue(kCycleGrid, op)) << std::hex << op;
    }
}

TEST(OpcodeTableTest, MnemonicTextsOfSomeRows)
{
    EXPECT_EQ(kMnemonicText[static_cast<size_t>(OpcodeTable[0x85].mnemonic)], "MOV");
    EXPECT_EQ(kMnemonicText[static_cast<size_t>(OpcodeTable[0xD6].mnemonic)], "XCHD");
    EXPECT_EQ(kMnemonicText[static_cast<size_t>(OpcodeTable[0x73].mnemonic)], "JMP");
    EXPECT_EQ(OpcodeTable[0x73].operands[0], O::kAtADptr);
    EXPECT_EQ(OpcodeTable[0xB6].operands[0], O::kAtRi);
    EXPECT_EQ(OpcodeTable[0xB6].operands[2], O::kRel);
}

// One opcode (or a family of 8 Rn / 2 @Ri opcodes) run from 0100h on the
// state below. Rn under test and direct 30h hold 3Ch; @Ri points at 40h,
// which holds 3Ch; the other registers hold 77h.
//   A=C5 B=12 SP=61 (61h=23, 60h=45) DPTR=1234 20h=01 X:1234=AB X:0040=CD
// `expect` keys: A B SP DPTR PC (hex), CY AC OV (0/1), R (register under
// test), Dxx direct byte, Ixx indirect byte, Xxxxx external, Cxxxx code.
// PC defaults to the next instruction.
struct OpcodeCase
{
    uint8_t op;
    int family; // 1, 2 (@Ri) or 8 (Rn)
    std::vector<uint8_t> operands;
    const char* pre;
    const char* expect;
};

const std::vector<OpcodeCase> kCases = {
    {0x00, 1, {}, "", ""},
    {0x02, 1, {0x23, 0x45}, "", "PC=2345"},
    {0x03, 1, {}, "", "A=E2"},
    {0x04, 1, {}, "", "A=C6"},
    {0x05, 1, {0x30}, "", "D30=3D"},
    {0x06, 2, {}, "", "I40=3D"},
    {0x08, 8, {}, "", "R=3D"},
    {0x10, 1, {0x00, 0x10}, "", "D20=00 PC=0113"},
    {0x12, 1, {0x23, 0x45}, "", "PC=2345 SP=63 I62=03 I63=01"},
    {0x13, 1, {}, "", "A=62 CY=1"},
    {0x14, 1, {}, "", "A=C4"},
    {0x15, 1, {0x30}, "", "D30=3B"},
    {0x16, 2, {}, "", "I40=3B"},
    {0x18, 8, {}, "", "R=3B"},
    {0x20, 1, {0x00, 0x10}, "", "PC=0113 D20=01"},
    {0x22, 1, {}, "", "PC=2345 SP=5F"},
    {0x23, 1, {}, "", "A=8B"},
    {0x24, 1, {0x3C}, "", "A=01 CY=1 AC=1 OV=0"},
    {0x25, 1, {0x30}, "", "A=01 CY=1 AC=1 OV=0"},
    {0x26, 2, {}, "", "A=01 CY=1 AC=1 OV=0"},
    {0x28, 8, {}, "", "A=01 CY=1 AC=1 OV=0"},
    {0x30, 1, {0x01, 0x10}, "", "PC=0113"},
    {0x32, 1, {}, "", "PC=2345 SP=5F"},
    {0x33, 1, {}, "", "A=8A CY=1"},
    {0x34, 1, {0x3C}, "CY=1", "A=02 CY=1 AC=1 OV=0"},
    {0x35, 1, {0x30}, "CY=1", "A=02 CY=1 AC=1 OV=0"},
    {0x36, 2, {}, "CY=1", "A=02 CY=1 AC=1 OV=0"},
    {0x38, 8, {}, "CY=1", "A=02 CY=1 AC=1 OV=0"},
    {0x40, 1, {0x10}, "", "PC=0102"},
    {0x42, 1, {0x30}, "", "D30=FD"},
    {0x43, 1, {0x30, 0x0F}, "", "D30=3F"},
    {0x44, 1, {0x3C}, "", "A=FD"},
    {0x45, 1, {0x30}, "", "A=FD"},
    {0x46, 2, {}, "", "A=FD"},
    {0x48, 8, {}, "", "A=FD"},
    {0x50, 1, {0x10}, "", "PC=0112"},
    {0x52, 1, {0x30}, "", "D30=04"},
    {0x53, 1, {0x30, 0x0F}, "", "D30=0C"},
    {0x54, 1, {0x3C}, "", "A=04"},
    {0x55, 1, {0x30}, "", "A=04"},
    {0x56, 2, {}, "", "A=04"},
    {0x58, 8, {}, "", "A=04"},
    {0x60, 1, {0x10}, "", "PC=0102"},
    {0x62, 1, {0x30}, "", "D30=F9"},
    {0x63, 1, {0x30, 0x0F}, "", "D30=33"},
    {0x64, 1, {0x3C}, "", "A=F9"},
    {0x65, 1, {0x30}, "", "A=F9"},
    {0x66, 2, {}, "", "A=F9"},
    {0x68, 8, {}, "", "A=F9"},
    {0x70, 1, {0x10}, "", "PC=0112"},
    {0x72, 1, {0x00}, "", "CY=1"},
    {0x73, 1, {}, "", "PC=12F9"},
    {0x74, 1, {0x3C}, "", "A=3C"},
    {0x75, 1, {0x30, 0x99}, "", "D30=99"},
    {0x76, 2, {0x99}, "", "I40=99"},
    {0x78, 8, {0x99}, "", "R=99"},
    {0x80, 1, {0xFE}, "", "PC=0100"},
    {0x82, 1, {0x01}, "CY=1", "CY=0"},
    {0x83, 1, {}, "C01C6=5D", "A=5D"},
    {0x84, 1, {}, "", "A=0A B=11 CY=0 OV=0"},
    {0x85, 1, {0x30, 0x31}, "", "D31=3C D30=3C"},
    {0x86, 2, {0x31}, "", "D31=3C"},
    {0x88, 8, {0x31}, "", "D31=3C"},
    {0x90, 1, {0xAB, 0xCD}, "", "DPTR=ABCD"},
    {0x92, 1, {0x01}, "CY=1", "D20=03"},
    {0x93, 1, {}, "C12F9=6E", "A=6E"},
    {0x94, 1, {0x3C}, "", "A=89 CY=0 AC=1 OV=0"},
    {0x95, 1, {0x30}, "", "A=89 CY=0 AC=1 OV=0"},
    {0x96, 2, {}, "", "A=89 CY=0 AC=1 OV=0"},
    {0x98, 8, {}, "", "A=89 CY=0 AC=1 OV=0"},
    {0xA0, 1, {0x01}, "", "CY=1"},
    {0xA2, 1, {0x00}, "", "CY=1"},
    {0xA3, 1, {}, "", "DPTR=1235"},
    {0xA4, 1, {}, "", "A=DA B=0D OV=1 CY=0"},
    {0xA5, 1, {}, "", ""},
    {0xA6, 2, {0x31}, "D31=99", "I40=99"},
    {0xA8, 8, {0x31}, "D31=99", "R=99"},
    {0xB0, 1, {0x00}, "CY=1", "CY=0"},
    {0xB2, 1, {0x00}, "", "D20=00"},
    {0xB3, 1, {}, "", "CY=1"},
    {0xB4, 1, {0x3C, 0x10}, "", "PC=0113 CY=0"},
    {0xB5, 1, {0x30, 0x10}, "", "PC=0113 CY=0"},
    {0xB6, 2, {0x3D, 0x10}, "", "PC=0113 CY=1"},
    {0xB8, 8, {0x3D, 0x10}, "", "PC=0113 CY=1"},
    {0xC0, 1, {0x30}, "", "SP=62 I62=3C"},
    {0xC2, 1, {0x00}, "", "D20=00"},
    {0xC3, 1, {}, "CY=1", "CY=0"},
    {0xC4, 1, {}, "", "A=5C"},
    {0xC5, 1, {0x30}, "", "A=3C D30=C5"},
    {0xC6, 2, {}, "", "A=3C I40=C5"},
    {0xC8, 8, {}, "", "A=3C R=C5"},
    {0xD0, 1, {0x31}, "", "SP=60 D31=23"},
    {0xD2, 1, {0x01}, "", "D20=03"},
    {0xD3, 1, {}, "", "CY=1"},
    {0xD4, 1, {}, "", "A=25 CY=1"},
    {0xD5, 1, {0x30, 0x10}, "", "D30=3B PC=0113"},
    {0xD6, 2, {}, "", "A=CC I40=35"},
    {0xD8, 8, {0x10}, "", "R=3B PC=0112"},
    {0xE0, 1, {}, "", "A=AB"},
    {0xE2, 2, {}, "", "A=CD"},
    {0xE4, 1, {}, "", "A=00"},
    {0xE5, 1, {0x30}, "", "A=3C"},
    {0xE6, 2, {}, "", "A=3C"},
    {0xE8, 8, {}, "", "A=3C"},
    {0xF0, 1, {}, "", "X1234=C5"},
    {0xF2, 2, {}, "", "X0040=C5"},
    {0xF4, 1, {}, "", "A=3A"},
    {0xF5, 1, {0x31}, "", "D31=C5"},
    {0xF6, 2, {}, "", "I40=C5"},
    {0xF8, 8, {}, "", "R=C5"},
};

class OpcodeEffectTest : public SimFixture
{
protected:
    void Prepare(uint8_t op, int family, const std::vector<uint8_t>& operands, const char* pre)
    {
        sim.State().CallDepth = 0;
        sim.WriteDirect(sfr::kAcc, 0xC5);
        RawD(sfr::kB) = 0x12;
        RawD(sfr::kSp) = 0x61;
        RawD(0x61) = 0x23;
        RawD(0x60) = 0x45;
        RawD(sfr::kDph) = 0x12;
        RawD(sfr::kDpl) = 0x34;
        for (int r = 0; r < 8; ++r) {
            RawD(r) = 0x77;
        }
        RawD(0x77) = 0x11;
        RawD(0x40) = 0x3C;
        RawD(0x30) = 0x3C;
        RawD(0x20) = 0x01;
        externalRam[0x1234] = 0xAB;
        externalRam[0x0040] = 0xCD;
        if (family == 8) {
            reg = op & 7;
            RawD(reg) = 0x3C;
        } else if (family == 2) {
            reg = op & 1;
            RawD(reg) = 0x40;
        }
        sim.State().pc = 0x100;
        code.WriteCodeByte(0x100, op);
        for (size_t i = 0; i < operands.size(); ++i) {
            code.WriteCodeByte(0x101 + i, operands[i]);
        }
        Apply(pre, true);
    }

    // Applies (set) or checks each KEY=VALUE item.
    void Apply(const char* items, bool set)
    {
        std::istringstream in(items);
        std::string item;
        while (in >> item) {
            const size_t eq = item.find('=');
            const std::string key = item.substr(0, eq);
            const uint32_t value = std::strtoul(item.c_str() + eq + 1, nullptr, 16);
            uint32_t* wide = nullptr;
            uint8_t* byte = nullptr;
            uint32_t actual = 0;
            if (key == "A") {
                byte = &RawD(sfr::kAcc);
            } else if (key == "B") {
                byte = &RawD(sfr::kB);
            } else if (key == "SP") {
                byte = &RawD(sfr::kSp);
            } else if (key == "R") {
                byte = &RawD(reg);
            } else if (key == "PC") {
                wide = &sim.State().pc;
            } else if (key[0] == 'D' && key != "DPTR") {
                byte = &RawD(std::strtoul(key.c_str() + 1, nullptr, 16));
            } else if (key[0] == 'X') {
                byte = &externalRam[std::strtoul(key.c_str() + 1, nullptr, 16)];
            } else if (key[0] == 'C' && key.size() > 2) {
                code.WriteCodeByte(std::strtoul(key.c_str() + 1, nullptr, 16), value);
                continue;
            } else if (key[0] == 'I') {
                const uint32_t address = std::strtoul(key.c_str() + 1, nullptr, 16);
                actual = sim.ReadIndirect(address);
            } else if (key == "DPTR") {
                actual = sim.ReadRegister(12);
            } else {
                const uint8_t mask = key == "CY" ? sfr::kCy : key == "AC" ? sfr::kAc : sfr::kOv;
                if (set) {
                    RawD(sfr::kPsw) = value ? (D(sfr::kPsw) | mask) : (D(sfr::kPsw) & ~mask);
                    continue;
                }
                actual = (D(sfr::kPsw) & mask) ? 1 : 0;
            }
            if (byte != nullptr) {
                set ? void(*byte = value) : void(actual = *byte);
            } else if (wide != nullptr) {
                set ? void(*wide = value) : void(actual = *wide);
            }
            if (!set) {
                EXPECT_EQ(actual, value) << key;
            }
        }
    }

    int reg = 0;
};

TEST_F(OpcodeEffectTest, EveryOpcodeOnTheRepresentativeState)
{
    std::array<int, 256> covered{};
    for (const OpcodeCase& c : kCases) {
        for (int i = 0; i < c.family; ++i) {
            const uint8_t op = c.op + i;
            SCOPED_TRACE(testing::Message() << "opcode " << std::hex << int{op});
            ++covered[op];
            sim.ResetProcessor();
            Prepare(op, c.family, c.operands, c.pre);
            sim.ExecuteInstruction();
            EXPECT_EQ(sim.State().totalCycles, static_cast<uint32_t>(GridValue(kCycleGrid, op)));
            if (std::string(c.expect).find("PC=") == std::string::npos) {
                EXPECT_EQ(sim.State().pc, 0x100u + GridValue(kLengthGrid, op));
            }
            EXPECT_EQ((D(sfr::kPsw) & 1) != 0, OddParity(D(sfr::kAcc)));
            Apply(c.expect, false);
        }
    }
    for (int op = 0; op < 256; ++op) {
        if ((op & 0x0F) != 0x01) {
            EXPECT_EQ(covered[op], 1) << "opcode " << std::hex << op;
        }
    }
}

TEST_F(OpcodeEffectTest, AjmpAndAcallTakeTheirPageFromTheOpcode)
{
    for (int page = 0; page < 8; ++page) {
        for (bool call : {false, true}) {
            const uint8_t op = static_cast<uint8_t>(page << 5 | (call ? 0x11 : 0x01));
            sim.ResetProcessor();
            Prepare(op, 1, {0x34}, "");
            sim.State().pc = 0x0900;
            Load(0x0900, {op, 0x34});
            sim.ExecuteInstruction();
            EXPECT_EQ(sim.State().pc, 0x0800u + page * 0x100 + 0x34) << std::hex << int{op};
            EXPECT_EQ(sim.State().totalCycles, 2u);
            if (call) {
                EXPECT_EQ(D(sfr::kSp), 0x63);
                EXPECT_EQ(D(0x62), 0x02);
                EXPECT_EQ(D(0x63), 0x09);
                EXPECT_EQ(sim.State().CallDepth, 1);
            }
        }
    }
}

} // namespace
