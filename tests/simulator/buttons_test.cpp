#include "fake_resolver.h"
#include "sim_fixture.h"

#include "simulator/simulator.h"
#include "simulator/simulator_events.h"

#include <random>

namespace {

constexpr int32_t kPort = 0;
constexpr int32_t kExternal = 1;

struct ButtonWorld
{
    ButtonWorld()
    {
        simulation.SetMessageSink(&sink);
        simulation.SetSymbolResolver(&resolver);
    }

    CSim8051& Sim() { return simulation.Processor(); }
    uint8_t& Raw(uint32_t address) { return Sim().State().DirectSpace[address]; }
    void Code(uint32_t address, std::initializer_list<uint8_t> bytes)
    {
        for (uint8_t byte : bytes) {
            simulation.Code().WriteCodeByte(address++, byte);
        }
    }
    // A configured button; pressed when asked.
    int Button(int32_t resource, const char* address, int32_t operation, int32_t mask,
               bool pressed = true, int32_t latching = 0)
    {
        const int index = buttons.NewButton();
        VirtualButtonType fields;
        fields.resourceType = resource;
        fields.addressText = address;
        fields.operation = operation;
        fields.mask = mask;
        fields.latching = latching;
        buttons.ConfigureButton(index, fields);
        if (pressed) {
            buttons.PressButton(index);
        }
        return index;
    }

    CSimulator simulation;
    CVirtualButtonList& buttons = simulation.Buttons();
    CRecordingSink sink;
    CFakeResolver resolver;
};

class ButtonTest : public ::testing::Test, protected ButtonWorld
{
};

struct OverlayCase
{
    int32_t operation;
    int32_t mask;
    uint8_t seen; // of the stored byte A5h
};

const OverlayCase kOverlayCases[] = {
    {kButtonAnd, 0x0F, 0x05}, {kButtonOr, 0x0F, 0xAF},  {kButtonXor, 0x0F, 0xAA},
    {kButtonSet, 0x0F, 0x0F}, {kButtonSet, 0x00, 0x00}, {kButtonAnd, 0x1F0, 0xA0},
    {kButtonXor, -1, 0x5A},   {7, 0x0F, 0xA5}, // an unknown operation changes nothing
};

TEST_F(ButtonTest, PortReadsSeeTheOperationAndTheStoredByteStays)
{
    for (const OverlayCase& c : kOverlayCases) {
        ButtonWorld fresh;
        fresh.Button(kPort, "P1", c.operation, c.mask);
        fresh.Raw(sfr::kP1) = 0xA5;
        fresh.Code(0, {0xE5, 0x90}); // MOV A,P1
        fresh.Sim().ExecuteInstruction();
        EXPECT_EQ(fresh.Raw(sfr::kAcc), c.seen) << c.operation << " " << c.mask;
        EXPECT_EQ(fresh.Sim().ReadDirect(sfr::kP1), c.seen);
        EXPECT_EQ(fresh.Raw(sfr::kP1), 0xA5);
        EXPECT_EQ(fresh.Sim().ReadDirect(sfr::kP2), 0xFF);
    }
}

TEST_F(ButtonTest, ExternalReadsSeeTheOperationInProgramAndView)
{
    for (const OverlayCase& c : kOverlayCases) {
        ButtonWorld fresh;
        fresh.Button(kExternal, "1234H", c.operation, c.mask);
        fresh.Sim().WriteExternal(0x1234, 0xA5, false, false);
        fresh.Raw(sfr::kDph) = 0x12;
        fresh.Raw(sfr::kDpl) = 0x34;
        fresh.Code(0, {0xE0}); // MOVX A,@DPTR
        fresh.Sim().ExecuteInstruction();
        EXPECT_EQ(fresh.Raw(sfr::kAcc), c.seen) << c.operation << " " << c.mask;
        EXPECT_EQ(fresh.Sim().ReadExternal(0x1234, false, false), c.seen);
        EXPECT_EQ(fresh.simulation.ExternalRam()[0x1234], 0xA5);
        EXPECT_EQ(fresh.Sim().ReadExternal(0x1235, false, false), 0x00);
    }
}

TEST_F(ButtonTest, OnlyAnOpenPressedButtonOfTheRightResourceAndAddressActs)
{
    Raw(sfr::kP1) = 0xFF;
    Button(kPort, "P1", kButtonSet, 0x11, false); // not pressed
    Button(kExternal, "90H", kButtonSet, 0x22);   // other resource
    Button(kPort, "P2", kButtonSet, 0x33);        // other address
    const int closed = Button(kPort, "P1", kButtonSet, 0x44);
    buttons.CloseButton(closed);
    EXPECT_EQ(Sim().ReadDirect(sfr::kP1), 0xFF);
    Button(kPort, "P1", kButtonSet, 0x55);
    Button(kPort, "P1", kButtonSet, 0x66); // the first created wins
    EXPECT_EQ(Sim().ReadDirect(sfr::kP1), 0x55);
    EXPECT_EQ(Sim().ReadDirect(sfr::kP2), 0x33);
    EXPECT_EQ(Sim().ReadExternal(0x90, false, false), 0x22);
    EXPECT_FALSE(buttons.GetButton(closed)->pressed);
    EXPECT_FALSE(buttons.PressButton(closed));
    EXPECT_EQ(Sim().ReadDirect(sfr::kP1), 0x55);
}

TEST_F(ButtonTest, MomentaryReleasesOnMouseUpLatchingTogglesOnMouseDown)
{
    struct Step
    {
        bool down;
        bool changed;
        bool pressed;
    };
    const std::vector<Step> momentary = {
        {true, true, true}, {false, true, false}, {false, false, false}, {true, true, true}};
    const std::vector<Step> latching = {
        {true, true, true}, {false, false, true}, {true, true, false}, {false, false, false}};
    for (int32_t mode : {0, 1}) {
        const int index = Button(kPort, "P3", kButtonAnd, 0xFB, false, mode);
        Raw(sfr::kP3) = 0xFF;
        for (const Step& step : mode == 0 ? momentary : latching) {
            const bool changed =
                step.down ? buttons.PressButton(index) : buttons.ReleaseButton(index);
            EXPECT_EQ(changed, step.changed) << "mode " << mode;
            EXPECT_EQ(buttons.GetButton(index)->pressed, step.pressed) << "mode " << mode;
            EXPECT_EQ(Sim().ReadDirect(sfr::kP3), step.pressed ? 0xFB : 0xFF);
        }
        buttons.CloseButton(index);
    }
}

TEST_F(ButtonTest, PressedButtonOnP3EntersTheInt0Routine)
{
    Code(0x0000, {0x80, 0xFE}); // SJMP $
    Code(0x0003, {0x00});
    simulation.Start();
    Raw(sfr::kIe) = sfr::kEa | sfr::kEx0; // IT0 = 0: level triggered
    const int index = Button(kPort, "P3", kButtonAnd, 0xFB, false);
    for (int i = 0; i < 3; ++i) {
        Sim().ExecuteInstruction();
    }
    EXPECT_EQ(Sim().Pc(), 0x0000u);
    buttons.PressButton(index);
    for (int i = 0; i < 3 && Sim().Pc() != 0x0003; ++i) {
        Sim().ExecuteInstruction();
    }
    EXPECT_EQ(Sim().Pc(), 0x0003u);
    EXPECT_EQ(Raw(sfr::kP3), 0xFF);
}

TEST_F(ButtonTest, ExternalButtonMatchesTheEffectiveAddressAfterPaging)
{
    simulation.SetOptions(false, true, 0x30, 2, ProcessorVariant::kStandard, 100);
    simulation.Start(); // 4 pages of 64 KB
    Raw(0x30) = 0x06;   // page 2
    Raw(sfr::kDph) = 0x12;
    Raw(sfr::kDpl) = 0x34;
    Code(0, {0xE0}); // MOVX A,@DPTR reaches 21234h
    Button(kExternal, "21234H", kButtonSet, 0x5A);
    Sim().ExecuteInstruction();
    EXPECT_EQ(Raw(sfr::kAcc), 0x5A);
    EXPECT_EQ(Sim().ReadExternal(0x21234, false, false), 0x5A);
    EXPECT_EQ(Sim().ReadExternal(0x1234, false, false), 0x00);
}

TEST_F(ButtonTest, WorkspaceValueRoundTrip)
{
    const int index = buttons.LoadButton("10,20,110,220,2,Go,15,1,1,1234H");
    const VirtualButtonType& b = *buttons.GetButton(index);
    EXPECT_EQ(b.window.top, 10);
    EXPECT_EQ(b.window.left, 20);
    EXPECT_EQ(b.window.bottom, 110);
    EXPECT_EQ(b.window.right, 220);
    EXPECT_EQ(b.operation, kButtonXor);
    EXPECT_EQ(b.buttonText, "Go");
    EXPECT_EQ(b.mask, 15);
    EXPECT_EQ(b.latching, 1);
    EXPECT_EQ(b.resourceType, kExternal);
    EXPECT_EQ(b.addressText, "1234H");
    EXPECT_EQ(b.address, 0x1234);
    EXPECT_TRUE(b.windowExists);
    EXPECT_FALSE(b.pressed);
    EXPECT_EQ(buttons.FormatButton(index), "10,20,110,220,2,Go,15,1,1,1234H");
    EXPECT_EQ(buttons.GetButton(buttons.LoadButton("0,0,50,80,0,Start,251,0,0,P3"))->address, 0xB0);
}

struct LoadCase
{
    const char* value;
    const char* formatted; // after loading
};

const LoadCase kLoadCases[] = {
    {"5,6", "5,6,0,0,0,Button,0,0,0,"},
    {"", "0,0,0,0,0,Button,0,0,0,"},
    {"1,2,3,4,3,,0,0,0,P1", "1,2,3,4,3,,0,0,0,P1"},
    {" -7,+8,99999999999999,x9,-99999999999999,T,1e3,1,0,P2,extra",
     "-7,8,2147483647,0,-2147483647,T,1,1,0,P2"},
    {"1,2,3,4,1,Text with blanks ,255,0,0,  P0", "1,2,3,4,1,Text with blanks ,255,0,0,  P0"},
};

TEST_F(ButtonTest, ShortAndHostileWorkspaceValuesLoad)
{
    for (const LoadCase& c : kLoadCases) {
        EXPECT_EQ(buttons.FormatButton(buttons.LoadButton(c.value)), c.formatted) << c.value;
    }
}

TEST_F(ButtonTest, TextsAreSavedUpToTheirFirstComma)
{
    const int index = Button(kPort, "P1,junk", kButtonOr, 3, false);
    VirtualButtonType fields = *buttons.GetButton(index);
    fields.buttonText = "Stop, now";
    buttons.ConfigureButton(index, fields);
    buttons.SetWindowRect(index, WindowRectType{20, 10, 220, 110});
    const std::string value = buttons.FormatButton(index);
    EXPECT_EQ(value, "10,20,110,220,1,Stop,3,0,0,P1");
    const VirtualButtonType& reloaded = *buttons.GetButton(buttons.LoadButton(value));
    EXPECT_EQ(reloaded.buttonText, "Stop");
    EXPECT_EQ(reloaded.mask, 3);
    EXPECT_EQ(reloaded.operation, kButtonOr);
    EXPECT_EQ(reloaded.address, 0x90);
}

TEST_F(ButtonTest, ClosedButtonsAreLeftOutOfTheWorkspace)
{
    buttons.LoadButton("1,1,1,1,0,A,0,0,0,P0");
    buttons.LoadButton("2,2,2,2,0,B,0,0,0,P1");
    buttons.LoadButton("3,3,3,3,0,C,0,0,0,P2");
    buttons.CloseButton(1);
    EXPECT_EQ(buttons.WorkspaceValues(),
              (std::vector<std::string>{"1,1,1,1,0,A,0,0,0,P0", "3,3,3,3,0,C,0,0,0,P2"}));
    EXPECT_EQ(buttons.ButtonCount(), 3);
}

TEST_F(ButtonTest, SymbolicAddressesFollowTheNextAssembly)
{
    const int index = buttons.LoadButton("0,0,0,0,3,Key,0,0,1,KEYS");
    EXPECT_EQ(buttons.GetButton(index)->address, 0); // not assembled yet
    resolver.Define("KEYS", 0x8000);
    CSimulatorEvents events(simulation);
    static_cast<IAssemblerEvents&>(events).SymbolsChanged();
    EXPECT_EQ(buttons.GetButton(index)->address, 0x8000);
    Sim().WriteExternal(0x8000, 0x77, false, false);
    buttons.PressButton(index);
    EXPECT_EQ(Sim().ReadExternal(0x8000, false, false), 0x00);
}

// Random values load, save and load again to the same value: what one load
// keeps, the next one reads back unchanged.
TEST_F(ButtonTest, RandomWorkspaceValuesSettleAfterOneRoundTrip)
{
    std::mt19937 random(3006);
    const std::string alphabet = "0123456789,,,,-+ HPpx\r\n\t\x01\xFF";
    for (int round = 0; round < 2000; ++round) {
        std::string value;
        for (size_t n = random() % 80; n > 0; --n) {
            value.push_back(alphabet[random() % alphabet.size()]);
        }
        const std::string once = buttons.FormatButton(buttons.LoadButton(value));
        const std::string twice = buttons.FormatButton(buttons.LoadButton(once));
        ASSERT_EQ(once, twice) << value;
        buttons.PressButton(buttons.ButtonCount() - 1);
        Sim().ReadDirect(sfr::kP1);
        Sim().ReadExternal(0xFFFF, false, false);
    }
}

} // namespace
