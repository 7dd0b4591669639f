#include <gtest/gtest.h>

#include "simulator/sfr.h"
#include "simulator/simulator.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

// The receiver wired into the processor: programs that read what is fed to
// the serial line, by the run loop and by single steps alike.

namespace {

// Timer 1 in mode 2 reloading from FDh (9600 baud at 11.0592 MHz), the port
// in mode 1 with the receiver on: 11 bytes, then the given code.
std::vector<uint8_t> AfterSerialSetup(std::vector<uint8_t> code)
{
    const std::vector<uint8_t> setup = {0x75, 0x89, 0x20, 0x75, 0x8D, 0xFD,
                                        0xD2, 0x8E, 0x75, 0x98, 0x50};
    code.insert(code.begin(), setup.begin(), setup.end());
    return code;
}

const std::vector<uint8_t> kPolledEcho = AfterSerialSetup({
    0x30, 0x98, 0xFD, // 0Bh: JNB RI,$
    0xE5, 0x99,       //      MOV A,SBUF
    0xC2, 0x98,       //      CLR RI
    0xF5, 0x99,       //      MOV SBUF,A
    0x30, 0x99, 0xFD, //      JNB TI,$
    0xC2, 0x99,       //      CLR TI
    0x80, 0xF0,       //      SJMP 0Bh
});

// The serial routine copies a received byte back and clears TI after each
// byte sent; the main program at 30h only waits.
const std::vector<uint8_t> kInterruptEcho = [] {
    std::vector<uint8_t> code = {0x02, 0x00, 0x30}; // LJMP 30h
    code.resize(0x23);
    const std::vector<uint8_t> routine = {
        0x10, 0x98, 0x03, // 23h: JBC RI,29h
        0xC2, 0x99,       //      CLR TI
        0x32,             //      RETI
        0xE5, 0x99,       // 29h: MOV A,SBUF
        0xF5, 0x99,       //      MOV SBUF,A
        0x32,             //      RETI
    };
    code.insert(code.end(), routine.begin(), routine.end());
    code.resize(0x30);
    const std::vector<uint8_t> main = AfterSerialSetup({
        0x75, 0xA8, 0x90, // MOV IE,#90h: EA and ES
        0x80, 0xFE,       // SJMP $
    });
    code.insert(code.end(), main.begin(), main.end());
    return code;
}();

void Load(CSimulator& simulation, const std::vector<uint8_t>& code)
{
    simulation.Code().ClearCode();
    for (size_t i = 0; i < code.size(); ++i) {
        simulation.Code().WriteCodeByte(static_cast<uint32_t>(i), code[i]);
    }
    simulation.SetProcessorType(1);
    simulation.Start();
}

std::string TransmittedText(const CSerialChannel& channel)
{
    std::string text;
    for (uint64_t i = channel.FirstKept(); i < channel.TransmittedCount(); ++i) {
        text.push_back(static_cast<char>(channel.TransmittedAt(i)));
    }
    return text;
}

// Drives the processor by the run loop (chunks of varying length, bytes fed
// between them as a console does) or one step at a time.
int64_t Drive(CSimulator& simulation, bool runLoop, int64_t steps)
{
    CSim8051& cpu = simulation.Processor();
    const auto stops = std::make_unique<CStopMap>();
    int64_t interrupts = 0;
    for (int64_t done = 0, chunk = 1; done < steps; chunk = chunk * 3 % 9973 + 1) {
        const int64_t n = std::min(chunk, steps - done);
        if (runLoop) {
            interrupts += cpu.Run(n, *stops).interrupts;
        } else {
            for (int64_t i = 0; i < n; ++i) {
                cpu.State().interruptTaken = false;
                cpu.ExecuteInstruction();
                interrupts += cpu.State().interruptTaken ? 1 : 0;
            }
        }
        done += n;
    }
    return interrupts;
}

} // namespace

struct EchoCase
{
    const char* name;
    const std::vector<uint8_t>* code;
    bool interrupts;
};

class SerialEchoTest : public ::testing::TestWithParam<EchoCase>
{
};

// What goes in comes back, in order, a byte per frame; the run loop and
// single steps agree to the cycle.
TEST_P(SerialEchoTest, EchoesWhatItReceives)
{
    const EchoCase& c = GetParam();
    const std::string line = "Hello, 8051!\r";
    std::vector<std::unique_ptr<CSimulator>> results;
    for (bool runLoop : {false, true}) {
        auto simulation = std::make_unique<CSimulator>();
        Load(*simulation, *c.code);
        CSerialChannel& serial = simulation->Serial();
        serial.Feed(line.substr(0, 5));
        const int64_t entries = Drive(*simulation, runLoop, 3000);
        serial.Feed(line.substr(5));
        Drive(*simulation, runLoop, 20000);
        EXPECT_EQ(TransmittedText(serial), line) << (runLoop ? "run loop" : "steps");
        EXPECT_EQ(serial.Pending(), 0u);
        if (c.interrupts) {
            EXPECT_GT(entries, 0) << "the first bytes came in by the serial interrupt";
        }
        results.push_back(std::move(simulation));
    }
    const ProcessorState& steps = results[0]->Processor().State();
    const ProcessorState& run = results[1]->Processor().State();
    EXPECT_EQ(run.totalCycles, steps.totalCycles);
    EXPECT_EQ(run.pc, steps.pc);
    EXPECT_EQ(run.DirectSpace, steps.DirectSpace);
}

INSTANTIATE_TEST_SUITE_P(Programs, SerialEchoTest,
                         ::testing::Values(EchoCase{"polled", &kPolledEcho, false},
                                           EchoCase{"interrupt", &kInterruptEcho, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Without REN, or without a rate from timer 1, the line brings nothing: SBUF
// and RI stay as the program left them and the bytes wait.
TEST(SerialReceiveTest, NothingArrivesWithoutReceiverOrRate)
{
    struct
    {
        const char* name;
        uint8_t address;
        uint8_t value;
    } const cases[] = {
        {"REN clear", 0x0A, 0x40},       // MOV SCON,#40h
        {"timer 1 stopped", 0x07, 0x8C}, // SETB TR0 instead of TR1
    };
    for (const auto& c : cases) {
        CSimulator simulation;
        std::vector<uint8_t> code = kPolledEcho;
        code[c.address] = c.value;
        Load(simulation, code);
        simulation.Serial().Feed("abc");
        Drive(simulation, true, 20000);
        const ProcessorState& state = simulation.Processor().State();
        EXPECT_EQ(state.pc, 0x0Bu) << c.name; // still waiting for RI
        EXPECT_EQ(state.DirectSpace[sfr::kSbuf], 0) << c.name;
        EXPECT_EQ(simulation.Serial().Pending(), 3u) << c.name;
        EXPECT_EQ(simulation.Serial().TransmittedCount(), 0u) << c.name;
    }
}

// A program that takes each byte at once still gets them a frame apart:
// 10 bits x 32 (16 with SMOD) x (256 - TH1) machine cycles.
TEST(SerialReceiveTest, BytesComeNoFasterThanTheFrameTime)
{
    struct
    {
        uint8_t th1;
        bool smod;
        uint32_t frame;
    } const cases[] = {{0xFD, false, 960}, {0xFD, true, 480}, {0xE8, false, 7680}};
    for (const auto& c : cases) {
        CSimulator simulation;
        std::vector<uint8_t> code = {
            0x75, 0x87, static_cast<uint8_t>(c.smod ? 0x80 : 0), // MOV PCON,#..
            0x75, 0x89, 0x20,
            0x75, 0x8D, c.th1,
            0xD2, 0x8E, 0x75,
            0x98, 0x50, 0x30,
            0x98, 0xFD, // JNB RI,$
            0xC2, 0x98, // CLR RI
            0x80, 0xF9, // SJMP back to JNB
        };
        Load(simulation, code);
        simulation.Serial().Feed("wxyz");
        CSim8051& cpu = simulation.Processor();
        std::vector<uint32_t> arrivals;
        uint32_t receiverOn = 0;
        for (int i = 0; i < 40000 && arrivals.size() < 4; ++i) {
            const bool before = (cpu.State().DirectSpace[sfr::kScon] & sfr::kRi) != 0;
            cpu.ExecuteInstruction();
            const ProcessorState& state = cpu.State();
            if (receiverOn == 0 && (state.DirectSpace[sfr::kScon] & 0x10) != 0) {
                receiverOn = state.totalCycles;
            }
            if (!before && (state.DirectSpace[sfr::kScon] & sfr::kRi) != 0) {
                arrivals.push_back(state.totalCycles);
                EXPECT_NE(state.DirectSpace[sfr::kScon] & 0x04, 0) << "RB8: the stop bit";
            }
        }
        ASSERT_EQ(arrivals.size(), 4u) << int{c.th1};
        uint32_t previous = receiverOn;
        for (uint32_t at : arrivals) {
            // A frame starts at most one instruction (2 cycles) after RI was cleared.
            EXPECT_GE(at - previous, c.frame) << int{c.th1} << " smod " << c.smod;
            EXPECT_LE(at - previous, c.frame + 8) << int{c.th1} << " smod " << c.smod;
            previous = at;
        }
    }
}

// A new simulation starts with an empty console and nothing queued; a reset
// of the processor loses the frame on the line, not the bytes behind it.
TEST(SerialReceiveTest, RestartClearsTheLine)
{
    CSimulator simulation;
    Load(simulation, kPolledEcho);
    simulation.Serial().Feed("12345");
    Drive(simulation, true, 700); // the first byte is echoed
    ASSERT_EQ(TransmittedText(simulation.Serial()), "1");
    simulation.ResetSimulation();
    EXPECT_EQ(simulation.Serial().Pending(), 4u);
    Drive(simulation, true, 20000);
    EXPECT_EQ(TransmittedText(simulation.Serial()), "12345");
    simulation.Serial().Feed("more");
    simulation.Restart();
    EXPECT_EQ(simulation.Serial().TransmittedCount(), 0u);
    EXPECT_EQ(simulation.Serial().Pending(), 0u);
}
