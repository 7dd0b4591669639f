#include "sim_fixture.h"

#include "simulator/value_format.h"

namespace {

// A pressed button that ANDs a mask into one address of one resource.
class CFakeButton : public IPortOverride
{
public:
    CFakeButton(ButtonResource resource, uint32_t address, uint8_t andMask)
        : resource_(resource), address_(address), andMask_(andMask)
    {}
    uint8_t PortReadOverride(ButtonResource resource, uint32_t address,
                             uint8_t stored) const override
    {
        return (resource == resource_ && address == address_) ? (stored & andMask_) : stored;
    }

private:
    ButtonResource resource_;
    uint32_t address_;
    uint8_t andMask_;
};

using MemoryTest = SimFixture;

TEST_F(MemoryTest, IndirectUpperHalfIsRamAndDirectUpperHalfIsSfr)
{
    sim.WriteDirect(sfr::kAcc, 0x5A);
    RawD(0) = 0x90;
    Load(0, {0xF6, 0xF5, 0x90}); // MOV @R0,A ; MOV 90h,A
    Step();
    EXPECT_EQ(Upper(0x90), 0x5A);
    EXPECT_EQ(D(sfr::kP1), 0xFF);
    sim.WriteDirect(sfr::kAcc, 0x33);
    Step();
    EXPECT_EQ(D(sfr::kP1), 0x33);
    EXPECT_EQ(Upper(0x90), 0x5A);
}

TEST_F(MemoryTest, OutOfRangeAddressesAreIgnored)
{
    sim.WriteDirect(0x100, 0x12);
    sim.WriteIndirect(0x100, 0x12);
    EXPECT_EQ(sim.ReadDirect(0x100), 0);
    EXPECT_EQ(sim.ReadIndirect(0x1FF), 0);
    EXPECT_EQ(D(0x00), 0);
}

TEST_F(MemoryTest, PortButtonOverlaysReadsButLeavesTheStoredByte)
{
    CFakeButton button(ButtonResource::kPort, sfr::kP1, 0xFE);
    sim.SetPortOverride(&button);
    EXPECT_EQ(sim.ReadDirect(sfr::kP1), 0xFE);
    EXPECT_EQ(D(sfr::kP1), 0xFF);
    EXPECT_EQ(sim.ReadDirect(sfr::kP3), 0xFF);
    Load(0, {0xE5, 0x90}); // MOV A,P1
    Step();
    EXPECT_EQ(D(sfr::kAcc), 0xFE);
}

TEST_F(MemoryTest, BitAddressesMapToBitBytesAndSfrs)
{
    EXPECT_EQ(CSim8051::BitByteAddress(0x00), 0x20);
    EXPECT_EQ(CSim8051::BitByteAddress(0x7F), 0x2F);
    EXPECT_EQ(CSim8051::BitByteAddress(0x97), 0x90);
    EXPECT_EQ(CSim8051::BitByteAddress(0xE7), 0xE0);
    sim.WriteBit(0x7F, true);
    EXPECT_EQ(D(0x2F), 0x80);
    sim.WriteBit(0x92, false);
    EXPECT_EQ(D(sfr::kP1), 0xFB);
    EXPECT_FALSE(sim.ReadBit(0x92));
    EXPECT_TRUE(sim.ReadBit(0x93));
}

TEST_F(MemoryTest, MovxViaRiUsesP2OnlyWhenAsked)
{
    RawD(sfr::kP2) = 0x12;
    RawD(1) = 0x34;
    externalRam[0x0034] = 0xAA;
    externalRam[0x1234] = 0xBB;
    Load(0, {0xE3, 0xE3}); // MOVX A,@R1 twice
    Step();
    EXPECT_EQ(D(sfr::kAcc), 0xAA);
    MemoryOptionsType options;
    options.useP2ForRi = true;
    sim.SetMemoryOptions(options);
    Step();
    EXPECT_EQ(D(sfr::kAcc), 0xBB);
}

TEST_F(MemoryTest, PagedMemoryAddsTheControlBytePageForProgramAccessOnly)
{
    externalRam.assign(4 * 0x10000, 0);
    MemoryOptionsType options;
    options.pagedEnable = true;
    options.controlAddress = 0x30;
    options.pagesIndex = 2; // 4 pages
    sim.SetMemoryOptions(options);
    RawD(0x30) = 0x06; // page mask 3 leaves page 2
    externalRam[0x21234] = 0x77;
    Load(0, {0x90, 0x12, 0x34, 0xE0}); // MOV DPTR,#1234h ; MOVX A,@DPTR
    Step(2);
    EXPECT_EQ(D(sfr::kAcc), 0x77);
    EXPECT_EQ(sim.ReadExternal(0x1234, false, false), 0);
    sim.WriteExternal(0x1234, 0x55, false, true);
    EXPECT_EQ(externalRam[0x21234], 0x55);
}

TEST_F(MemoryTest, ExternalAccessBeyondTheArrayIsIgnored)
{
    externalRam.assign(0x100, 0);
    sim.WriteExternal(0x1000, 0x12, false, false);
    EXPECT_EQ(sim.ReadExternal(0x1000, false, false), 0);
    sim.WriteExternalRam(0x10000, 1);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0], "Invalid external RAM address.");
}

TEST_F(MemoryTest, ExternalMemoryButtonSeesTheEffectiveAddress)
{
    CFakeButton button(ButtonResource::kExternalMemory, 0x1234, 0x0F);
    sim.SetPortOverride(&button);
    externalRam[0x1234] = 0xAB;
    EXPECT_EQ(sim.ReadExternal(0x1234, false, false), 0x0B);
    EXPECT_EQ(externalRam[0x1234], 0xAB);
}

TEST_F(MemoryTest, PswWriteSelectsTheBankButKeepsTheParityFlag)
{
    sim.WriteDirect(sfr::kAcc, 0x01); // odd: P = 1
    ASSERT_EQ(D(sfr::kPsw) & 1, 1);
    sim.WriteDirect(sfr::kPsw, 0x18);
    EXPECT_EQ(sim.State().bankBase, 0x18);
    EXPECT_EQ(D(sfr::kPsw), 0x18);
    RawD(0x18) = 0x42;
    EXPECT_EQ(sim.ReadRegister(2), 0x42);
    sim.WriteDirect(sfr::kAcc, 0x03);
    EXPECT_EQ(D(sfr::kPsw), 0x18);
}

TEST_F(MemoryTest, StackOn8031StillReachesUpperRamButReports)
{
    sim.SetProcessorType(2);
    RawD(sfr::kSp) = 0x7F;
    RawD(0x30) = 0x99;
    sim.State().pc = 0x0200;
    Load(0x0200, {0xC0, 0x30}); // PUSH 30h
    Step();
    EXPECT_EQ(Upper(0x80), 0x99);
    EXPECT_EQ(sim.State().maxSp, 128u);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0], "PUSH accessed unavialable memory (128) at addr: 512.");
}

class AducTest : public SimFixture
{
protected:
    AducTest()
    {
        MemoryOptionsType options;
        options.variant = ProcessorVariant::kAduc84x;
        sim.SetMemoryOptions(options);
        sim.ResetProcessor();
    }
};

TEST_F(AducTest, DpconSwapsOnEveryWrite)
{
    sim.WriteRegister(12, 0x1111);
    sim.WriteDirect(sfr::kDpcon, 0x01); // DPTR0 shadow <- 1111h, DPTR <- shadow 1
    sim.WriteRegister(12, 0x2222);
    sim.WriteDirect(sfr::kDpcon, 0x01); // DPTR0 shadow <- 2222h again
    EXPECT_EQ(sim.State().dptr0Shadow, 0x2222);
    sim.WriteDirect(sfr::kDpcon, 0x00); // DPTR1 shadow <- current, DPTR <- 2222h
    EXPECT_EQ(sim.ReadRegister(12), 0x2222);
}

TEST_F(AducTest, EconCommandsActOnTheAddressedPage)
{
    RawD(sfr::kEadrh) = 0x01;
    RawD(sfr::kEadrl) = 0x02; // page 258, offset 1032
    for (int i = 0; i < 4; ++i) {
        RawD(sfr::kEdata1 + i) = static_cast<uint8_t>(0x10 + i);
    }
    sim.WriteDirect(sfr::kEcon, 2);
    EXPECT_EQ(sim.State().DataFlash[1032], 0x10);
    EXPECT_EQ(sim.State().DataFlash[1035], 0x13);
    sim.WriteDirect(sfr::kEcon, 4);
    EXPECT_EQ(D(sfr::kEcon), 0x00);
    RawD(sfr::kEdata1) = 0;
    sim.WriteDirect(sfr::kEcon, 4);
    EXPECT_EQ(D(sfr::kEcon), 0xFF);
    sim.WriteDirect(sfr::kEcon, 1);
    EXPECT_EQ(D(sfr::kEdata1), 0x10);
    sim.WriteDirect(sfr::kEcon, 5);
    EXPECT_EQ(sim.State().DataFlash[1033], 0xFF);
    sim.State().DataFlash[0] = 0;
    sim.WriteDirect(sfr::kEcon, 6);
    EXPECT_EQ(sim.State().DataFlash[0], 0xFF);
}

TEST_F(AducTest, EconPageBeyondTheDataFlashTouchesNothing)
{
    RawD(sfr::kEadrh) = 0xFF;
    RawD(sfr::kEadrl) = 0xFF;
    RawD(sfr::kEdata1) = 0x5A;
    const auto before = sim.State();
    sim.WriteDirect(sfr::kEcon, 2);
    sim.WriteDirect(sfr::kEcon, 5);
    EXPECT_EQ(sim.State().DataFlash, before.DataFlash);
    EXPECT_EQ(sim.State().UpperRam, before.UpperRam);
    sim.WriteDirect(sfr::kEcon, 4);
    EXPECT_EQ(D(sfr::kEcon), 0xFF);
}

TEST_F(MemoryTest, DpconIsPlainStorageOnTheStandardVariant)
{
    sim.WriteRegister(12, 0x1234);
    sim.WriteDirect(sfr::kDpcon, 0x01);
    EXPECT_EQ(sim.ReadRegister(12), 0x1234);
}

TEST_F(MemoryTest, ResetSetsRegistersAndKeepsRam)
{
    RawD(0x30) = 0x12;
    sim.State().UpperRam[5] = 0x34;
    RawD(sfr::kSp) = 0x50;
    RawD(sfr::kP1) = 0;
    RawD(sfr::kTh1) = 9;
    sim.State().totalCycles = 99;
    sim.ResetProcessor();
    EXPECT_EQ(D(0x30), 0x12);
    EXPECT_EQ(sim.State().UpperRam[5], 0x34);
    EXPECT_EQ(D(sfr::kSp), 0x07);
    EXPECT_EQ(D(sfr::kP1), 0xFF);
    EXPECT_EQ(D(sfr::kTh1), 0);
    EXPECT_EQ(sim.State().totalCycles, 0u);
    EXPECT_EQ(sim.State().priorityLevel, -1);
}

TEST_F(MemoryTest, AccessByIndexAndItsMessages)
{
    sim.WriteRegister(13, 1);
    sim.WritePort(4, 1);
    sim.WriteControlRegister(13, 1);
    sim.WriteFlag(8, true);
    sim.WriteInternalRam(256, 1);
    sim.WriteDirectRam(-1, 1);
    const std::vector<std::string> expected = {"Unknown register.",   "Unknown port.",
                                               "Invalid location.",   "Unknown flag.",
                                               "Invalid RAM address", "Invalid RAM address"};
    EXPECT_EQ(sink.messages, expected);
    EXPECT_EQ(sim.ReadRegister(13), -1);

    sim.WriteControlRegister(9, 0xABCD); // T0
    EXPECT_EQ(D(sfr::kTl0), 0xCD);
    EXPECT_EQ(D(sfr::kTh0), 0xAB);
    EXPECT_EQ(sim.ReadControlRegister(12), 0);
    sim.WriteFlag(0, true);
    EXPECT_EQ(D(sfr::kPsw), 0x80);
    EXPECT_EQ(sim.ReadFlag(0), 1);
    sim.WriteFlag(4, true); // RS0 moves the bank
    EXPECT_EQ(sim.State().bankBase, 8);
    sim.WriteInternalRam(0x85, 0x11);
    EXPECT_EQ(Upper(0x85), 0x11);
    sim.WriteDirectRam(0x85, 0x22);
    EXPECT_EQ(D(0x85), 0x22);
    sim.WritePort(2, 0x0F);
    EXPECT_EQ(sim.ReadPort(2), 0x0F);
    sim.WriteResult(2, 1234);
    EXPECT_EQ(sim.ReadResult(2), 1234);
    EXPECT_EQ(sim.ReadResult(3), -1);
}

struct FormatCase
{
    int width; // 1 byte, 2 word, 4 double word
    uint32_t value;
    DisplayRadix radix;
    const char* text;
};

TEST(ValueFormatTest, EveryRadixAndWidth)
{
    const FormatCase cases[] = {
        {1, 0x41, DisplayRadix::kDecimal, "65"},
        {1, 0x41, DisplayRadix::kHexadecimal, "41"},
        {1, 0x41, DisplayRadix::kAscii, "A"},
        {1, 0x1F, DisplayRadix::kAscii, "1F"},
        {1, 0x05, DisplayRadix::kBinary, "00000101"},
        {1, 0x105, DisplayRadix::kBinary, "0000000100000101"},
        {1, 0x0A, DisplayRadix::kDefault, "0A"},
        {2, 0x1234, DisplayRadix::kDecimal, "4660"},
        {2, 0x00AB, DisplayRadix::kHexadecimal, "00AB"},
        {2, 0x4142, DisplayRadix::kAscii, ""},
        {2, 0x8001, DisplayRadix::kBinary, "1000000000000001"},
        {4, 0x12345678, DisplayRadix::kDecimal, "305419896"},
        {4, 0xAB, DisplayRadix::kHexadecimal, "000000AB"},
        {4, 0x41424344, DisplayRadix::kAscii, ""},
        {4, 0x80000001, DisplayRadix::kBinary, "10000000000000000000000000000001"},
    };
    for (const FormatCase& c : cases) {
        std::string out = "x";
        if (c.width == 1) {
            FormatByte(out, c.value, c.radix, DisplayRadix::kHexadecimal);
        } else if (c.width == 2) {
            FormatWord(out, c.value, c.radix, DisplayRadix::kHexadecimal);
        } else {
            FormatDoubleWord(out, c.value, c.radix, DisplayRadix::kHexadecimal);
        }
        EXPECT_EQ(out, std::string("x") + c.text)
            << c.width << " " << c.value << " " << int(RadixCode(c.radix));
    }
    std::string out;
    FormatByte(out, 200, DisplayRadix::kDefault, DisplayRadix::kDecimal);
    EXPECT_EQ(out, "200");
    out.clear();
    FormatRegisterWord(out, 0x1234, DisplayRadix::kBinary, DisplayRadix::kHexadecimal);
    FormatRegisterWord(out, 0x1234, DisplayRadix::kDefault, DisplayRadix::kAscii);
    FormatRegisterWord(out, 0x1234, DisplayRadix::kDefault, DisplayRadix::kHexadecimal);
    EXPECT_EQ(out, "466046601234");
}

} // namespace
