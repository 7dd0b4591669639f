#include <gtest/gtest.h>

#include "bench/simulator/timer_loop.h"
#include "run_programs.h"

#include <algorithm>
#include <memory>

// The run loop against plain single steps of the same program: runs of
// random lengths with random stop marks must end on the same step, with the
// same state, as stepping one instruction at a time and testing after each.

namespace {

namespace fs = std::filesystem;
using namespace run_programs;

CSim8051::RunResultType StepOneByOne(CSim8051& cpu, int64_t maxSteps, const CStopMap& stops)
{
    CSim8051::RunResultType result;
    ProcessorState& state = cpu.State();
    while (result.steps < maxSteps) {
        state.interruptTaken = false;
        state.pcWrapped = false;
        cpu.ExecuteInstruction();
        ++result.steps;
        result.interrupts += state.interruptTaken ? 1 : 0;
        if (state.messageShown || stops.At(state.pc) != 0) {
            break;
        }
    }
    return result;
}

// Two simulations, built once for many programs.
struct PairType
{
    CSimulator reference;
    CSimulator fast;
};

// Runs the program both ways; false after the first difference.
bool RunsAlike(PairType& pair, const ProgramType& program, uint32_t seed)
{
    CSimulator& reference = pair.reference;
    CSimulator& fast = pair.fast;
    CCountingSink referenceSink;
    CCountingSink fastSink;
    Start(reference, program, referenceSink);
    Start(fast, program, fastSink);
    std::mt19937 random(seed);
    CStopMap stops;
    const uint32_t span =
        static_cast<uint32_t>(std::clamp<size_t>(program.code.size(), 1, 0x10000));
    for (int i = 0; i < 4; ++i) {
        stops.Set(random() % span, 1);
    }
    int64_t done = 0;
    int runs = 0;
    while (done < program.steps) {
        const int64_t length = (random() % 4 == 0) ? 1 + random() % 8 : 1 + random() % 5000;
        const CSim8051::RunResultType expected = StepOneByOne(reference.Processor(), length, stops);
        const CSim8051::RunResultType got = fast.Processor().Run(length, stops);
        // The registers after every run, all memories now and then.
        const ProcessorState& x = fast.Processor().State();
        const ProcessorState& y = reference.Processor().State();
        const bool same = got.steps == expected.steps && got.interrupts == expected.interrupts &&
                          fastSink.count == referenceSink.count && Scalars(x) == Scalars(y) &&
                          x.DirectSpace == y.DirectSpace &&
                          (++runs % 64 != 0 || SameState(fast, reference));
        if (!same) {
            ADD_FAILURE() << program.name << ": differs after step " << done + expected.steps
                          << " (run of " << length << " from step " << done << "; " << got.steps
                          << " steps, " << got.interrupts << " entries; expected " << expected.steps
                          << ", " << expected.interrupts << ")";
            return false;
        }
        done += expected.steps;
        if (random() % 16 == 0) {
            // Between runs the caller may change anything, as the views do.
            const uint8_t address = static_cast<uint8_t>(0x80 + random() % 0x80);
            const uint8_t value = static_cast<uint8_t>(random());
            reference.Processor().WriteDirect(address, value);
            fast.Processor().WriteDirect(address, value);
        }
    }
    EXPECT_TRUE(SameState(fast, reference)) << program.name;
    return true;
}

TEST(RunLoopTest, NamedProgramsRunAsBySingleSteps)
{
    const fs::path dir = fs::path(IDE51_TEST_DATA_DIR) / "programs";
    CCodeMemory timerLoop;
    bench::LoadTimerLoop(timerLoop);
    const ProgramType programs[] = {
        {"timer loop",
         std::vector<uint8_t>(timerLoop.Bytes(), timerLoop.Bytes() + 0x100),
         1,
         {},
         300'000},
        FromHex(dir / "simbench.hex", 400'000),
        FromHex(dir / "blink.hex", 300'000),
        FromHex(dir / "peripherals.hex", 450'000),
    };
    auto pair = std::make_unique<PairType>();
    for (const ProgramType& program : programs) {
        ASSERT_FALSE(program.code.empty()) << program.name;
        EXPECT_TRUE(RunsAlike(*pair, program, 1));
    }
}

// Timer 1 as a baud generator (its flag stays raised while it overflows on)
// under every kind of reload value, beside timer 0 interrupting, a polled
// transmission and reads of both timers; instructions of 1, 2 and 4 cycles.
TEST(RunLoopTest, BaudGeneratorsRunAsBySingleSteps)
{
    auto pair = std::make_unique<PairType>();
    for (uint8_t reload : {0x00, 0x80, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF}) {
        ProgramType program{
            "baud " + std::to_string(reload), std::vector<uint8_t>(0x100), 1, {}, 40'000};
        std::vector<uint8_t>& code = program.code;
        const auto load = [&](size_t at, std::initializer_list<uint8_t> bytes) {
            std::copy(bytes.begin(), bytes.end(), code.begin() + static_cast<ptrdiff_t>(at));
        };
        load(0x00, {0x02, 0x00, 0x30}); // LJMP 0030H
        load(0x0B, {0x05, 0x40, 0x32}); // INC 40H ; RETI
        load(0x30, {0x75, 0x89, 0x22,
                    0x75, 0x8D, reload,                        // TMOD = 22H, TH1
                    0x75, 0x8C, static_cast<uint8_t>(~reload), // TH0
                    0x75, 0x98, 0x50,
                    0x75, 0xA8, 0x82, // SCON = 50H, IE = 82H
                    0xD2, 0x8E, 0xD2,
                    0x8C, // SETB TR1, SETB TR0
                    0xA4, 0x00, 0xE5,
                    0x8B, 0xF5, 0x99, // MUL AB, NOP, MOV A,TL1, MOV SBUF,A
                    0x30, 0x99, 0xFD,
                    0xC2, 0x99, // JNB TI,$ ; CLR TI
                    0x25, 0x8A, 0xA4,
                    0x80, 0xF0}); // ADD A,TL0, MUL AB, SJMP 0043H
        if (!RunsAlike(*pair, program, reload)) {
            break;
        }
    }
}

// Timer 1 in mode 2 near its overflow, its flag clear or raised, under
// loops of 1-, 2- and 4-cycle instructions: the reload after an overflow
// within one instruction, and the wrap of a reload past FCh.
TEST(RunLoopTest, Mode2ReloadsRunAsBySingleSteps)
{
    const std::vector<std::vector<uint8_t>> loops = {
        {0xA4, 0x80, 0xFD},                   // MUL AB ; SJMP back
        {0x00, 0x80, 0xFD},                   // NOP ; SJMP back
        {0x80, 0xFE},                         // SJMP $
        {0x84, 0x00, 0xE5, 0x8B, 0x80, 0xF9}, // DIV AB ; NOP ; MOV A,TL1 ; SJMP back
    };
    auto pair = std::make_unique<PairType>();
    uint32_t seed = 0;
    for (const std::vector<uint8_t>& loop : loops) {
        for (uint8_t reload : {0x00, 0x80, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF}) {
            for (uint8_t start : {0xF8, 0xFB, 0xFD, 0xFE, 0xFF}) {
                for (uint8_t raised : {0x00, 0x80}) {
                    // MOV TMOD,#20H ; MOV TH1,#r ; MOV TL1,#s ; MOV TCON,#40H|TF1 ; loop
                    std::vector<uint8_t> code = {
                        0x75, 0x89, 0x20,  0x75, 0x8D, reload,
                        0x75, 0x8B, start, 0x75, 0x88, static_cast<uint8_t>(0x40 | raised)};
                    for (uint8_t byte : loop) {
                        code.push_back(byte);
                    }
                    const ProgramType program{"mode 2 reload " + std::to_string(reload) + " from " +
                                                  std::to_string(start),
                                              code,
                                              1,
                                              {},
                                              600};
                    ASSERT_TRUE(RunsAlike(*pair, program, ++seed));
                }
            }
        }
    }
}

// Random programs, from ones that lean on every peripheral to calm ones that
// the fast part carries almost alone. (The fuzz target makes the same
// comparison over its corpus.)
TEST(RunLoopTest, RandomProgramsRunAsBySingleSteps)
{
    auto pair = std::make_unique<PairType>();
    for (uint32_t seed = 100; seed < 220; ++seed) {
        ProgramType program = seed < 160 ? Biased(seed, 60'000) : Calm(seed + 40, 60'000);
        program.code.resize(0x1000);
        if (!RunsAlike(*pair, program, seed)) {
            break;
        }
    }
}

} // namespace
