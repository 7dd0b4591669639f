#include <gtest/gtest.h>

#include "asm_test_util.h"

#include "assembler/asm_symbol_resolver.h"
#include "simulator/sfr.h"
#include "simulator/simulator.h"
#include "simulator/simulator_events.h"
#include "simulator/value_format.h"

#include <chrono>
#include <random>

namespace {

// Watches and buttons of a simulation wired to the assembler as the
// application wires them.
class WatchResolverTest : public ::testing::Test
{
protected:
    WatchResolverTest()
    {
        simulation.SetSymbolResolver(&resolver);
        fixture.assembler.SetEvents(&events);
        fixture.RunSource("COUNT   DATA 30H\r\n"
                          "FLAG    BIT 0AH\r\n"
                          "KEYS    EQU 8000H\r\n"
                          "        ORG 0\r\n"
                          "START:  SJMP START\r\n");
    }
    uint8_t& Raw(uint32_t address) { return simulation.Processor().State().DirectSpace[address]; }
    int Add(const char* name, int32_t resource, int32_t format, const char* order = "")
    {
        return watches.AddWatch(name, resource, format, 0, order, 0, 0, DisplayRadix::kHexadecimal,
                                -1);
    }

    CAsmFixture fixture;
    CSimulator simulation;
    CSimulatorEvents events{simulation};
    CAsmSymbolResolver resolver{fixture.assembler};
    CWatchList& watches = simulation.Watches();
    CVirtualButtonList& buttons = simulation.Buttons();
};

TEST_F(WatchResolverTest, MisspelledNamesShowNoValue)
{
    Raw(0x00) = 0x55; // what an undefined name, read as 0, would show
    for (int32_t resource : {kWatchDirectMemory, kWatchIndirectMemory, kWatchExternalMemory}) {
        const std::string shown = watches.FormatWatch(Add("COUNTT", resource, kWatchByte));
        EXPECT_EQ(shown.find("55"), std::string::npos) << shown;
        EXPECT_NE(shown.find("***"), std::string::npos) << shown;
    }
    EXPECT_EQ(watches.FormatWatch(Add("COUNT+0", kWatchIndirectMemory, kWatchByte)), "COUNT+0 00");
}

TEST_F(WatchResolverTest, NamesResolveThroughTheAssemblersTables)
{
    Raw(0x30) = 0x12;
    Raw(0x31) = 0x34;
    Raw(0x21) = 0x04;
    simulation.Processor().WriteExternal(0x8000, 0x99, false, false);
    EXPECT_EQ(watches.FormatWatch(Add("COUNT", kWatchDirectMemory, kWatchByte)), "COUNT 12");
    EXPECT_EQ(watches.FormatWatch(Add("COUNT+1", kWatchDirectMemory, kWatchByte)), "COUNT+1 34");
    EXPECT_EQ(watches.FormatWatch(Add("count", kWatchDirectMemory, kWatchWord, "1,0")),
              "count 3412");
    EXPECT_EQ(watches.FormatWatch(Add("FLAG", kWatchDirectMemory, kWatchBit)), "FLAG  1");
    EXPECT_EQ(watches.FormatWatch(Add("TR0", kWatchDirectMemory, kWatchBit)), "TR0   0");
    EXPECT_EQ(watches.FormatWatch(Add("KEYS", kWatchExternalMemory, kWatchByte)), "KEYS  99");
    EXPECT_EQ(watches.FormatWatch(Add("30H", kWatchIndirectMemory, kWatchByte)), "30H   12");
    EXPECT_EQ(watches.GetWatch(3)->location, 0x21);
    EXPECT_EQ(watches.GetWatch(3)->bitIndex, 2);
}

TEST_F(WatchResolverTest, WrittenTextsAreEvaluatedLikeOperands)
{
    watches.WriteWatch(Add("COUNT", kWatchDirectMemory, kWatchByte), "#12H, junk");
    EXPECT_EQ(Raw(0x30), 0x12);
    watches.WriteWatch(Add("40H", kWatchDirectMemory, kWatchDoubleWord, "0,1,2,3"), "0A1B2C3D4H");
    EXPECT_EQ(Raw(0x40), 0xA1);
    EXPECT_EQ(Raw(0x41), 0xB2);
    EXPECT_EQ(Raw(0x42), 0xC3);
    EXPECT_EQ(Raw(0x43), 0xD4);
    watches.WriteWatch(Add("50H", kWatchDirectMemory, kWatchWord, "0,1"), "-2");
    EXPECT_EQ(Raw(0x50), 0xFF);
    EXPECT_EQ(Raw(0x51), 0xFE);
}

TEST_F(WatchResolverTest, ReassemblyMovesWatchesAndButtons)
{
    const int watch = Add("COUNT", kWatchDirectMemory, kWatchByte);
    Raw(0x30) = 0x11;
    Raw(0x40) = 0x22;
    EXPECT_EQ(watches.FormatWatch(watch), "COUNT 11");
    const int button = buttons.LoadButton("0,0,40,80,3,Key,90,0,1,KEYS");
    const int port = buttons.LoadButton("0,0,40,80,0,P1 low,254,0,0,P1");
    EXPECT_EQ(buttons.GetButton(button)->address, 0x8000);
    EXPECT_EQ(buttons.GetButton(port)->address, 0x90);
    fixture.RunSource("COUNT   DATA 40H\r\n"
                      "KEYS    EQU 9000H\r\n"
                      "        SJMP $\r\n");
    EXPECT_EQ(watches.FormatWatch(watch), "COUNT 22");
    EXPECT_EQ(buttons.GetButton(button)->address, 0x9000);
}

// Hostile names and address texts go through the real evaluator for every
// resource type and format; each line stays within its capacity.
TEST_F(WatchResolverTest, RandomTextsAreHandled)
{
    std::mt19937 random(4711);
    const std::vector<std::string> pieces = {"(",
                                             ")",
                                             "'",
                                             "''",
                                             "'A'",
                                             "#",
                                             ",",
                                             ".",
                                             ".9",
                                             "$",
                                             "+",
                                             "-",
                                             "*",
                                             "/",
                                             "%",
                                             "^",
                                             "&",
                                             "|",
                                             "<",
                                             ">",
                                             "=",
                                             "<>",
                                             "!=",
                                             "HIGH ",
                                             "LOW ",
                                             "HIGHWORD ",
                                             "LOWWORD ",
                                             " AND ",
                                             " OR ",
                                             " MOD ",
                                             "0",
                                             "9",
                                             "0FFFFH",
                                             "1B",
                                             "77Q",
                                             "99999999999999999999999",
                                             "P1.3",
                                             "ACC.7",
                                             "TR0",
                                             "COUNT",
                                             "FLAG",
                                             "KEYS",
                                             "START",
                                             "COUNT.3",
                                             "\t",
                                             " ",
                                             "\x01",
                                             "\xFF",
                                             ";",
                                             "\r",
                                             std::string(40, 'x'),
                                             std::string(12, '(')};
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (size_t n = random() % 24; n > 0; --n) {
            text += pieces[random() % pieces.size()];
        }
        const auto resource = static_cast<int32_t>(random() % 5);
        const auto format = static_cast<int32_t>(random() % 5);
        const int index =
            watches.AddWatch(text, resource, format, static_cast<int32_t>(random() % 8), text,
                             static_cast<int32_t>(random() % 2), 40,
                             RadixFromCode(static_cast<int>(random() % 5)), -1);
        EXPECT_LE(watches.FormatWatch(index).size(), kWatchLineCapacity);
        watches.WriteWatch(index, text);
        watches.DeleteWatch(index);
        VirtualButtonType fields;
        fields.addressText = text;
        fields.resourceType = static_cast<int32_t>(random() % 2);
        const int button = buttons.NewButton();
        buttons.ConfigureButton(button, fields);
        buttons.LoadButton("0,0,0,0,0,B,0,0,1," + text);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

} // namespace
