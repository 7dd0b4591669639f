#include <gtest/gtest.h>

#include "bench/simulator/timer_loop.h"
#include "run_programs.h"

#include <cinttypes>
#include <cstdio>
#include <sstream>

// Fingerprints of whole runs by single steps: the trace (what a trace line
// shows after every step) and the full state at the end, execution counts and
// external RAM included. They were produced by the stepping loop as it was
// before the run loop existed (commit 1128a72), so any change to what a
// program does under the simulator shows here. A failure prints the new
// values; take them only for an intended change of behaviour.
//
// The programs under data/programs are assembled by asm51: blink.hex from
// examples/blink, simbench.hex from bench/simbench.a51 with OUTER EQU 1,
// peripherals.hex from peripherals.a51 beside it.

namespace {

namespace fs = std::filesystem;
using namespace run_programs;

struct RunPrintType
{
    uint64_t trace = 0;
    uint64_t state = 0;
};

RunPrintType StepThrough(const ProgramType& program)
{
    CSimulator simulation;
    CCountingSink sink;
    Start(simulation, program, sink);
    CInt0Low button;
    if (program.buttonOnInt0) {
        simulation.Processor().SetPortOverride(&button);
    }
    CFingerprint trace;
    ProcessorState& state = simulation.Processor().State();
    for (int64_t i = 0; i < program.steps; ++i) {
        state.interruptTaken = false;
        state.pcWrapped = false;
        simulation.Processor().ExecuteInstruction();
        AddStep(trace, state);
    }
    trace.Add(sink.count);
    simulation.Processor().SetPortOverride(nullptr);
    return {trace.Value(), FullState(simulation)};
}

ProgramType TimerLoop()
{
    CCodeMemory code;
    bench::LoadTimerLoop(code);
    return {"timer loop", std::vector<uint8_t>(code.Bytes(), code.Bytes() + 0x100), 1, {}, 300'000};
}

std::vector<ProgramType> NamedPrograms()
{
    const fs::path dir = fs::path(IDE51_TEST_DATA_DIR) / "programs";
    std::vector<ProgramType> programs = {
        TimerLoop(),
        FromHex(dir / "simbench.hex", 400'000),
        FromHex(dir / "blink.hex", 300'000),
        FromHex(dir / "peripherals.hex", 450'000),
    };
    for (uint32_t seed = 1; seed <= 16; ++seed) {
        programs.push_back(Biased(seed, 100'000));
    }
    ProgramType pressed = Biased(17, 100'000);
    pressed.name += " with INT0 held low";
    pressed.buttonOnInt0 = true;
    programs.push_back(pressed);
    return programs;
}

struct GoldenType
{
    const char* name;
    uint64_t trace;
    uint64_t state;
};

// clang-format off
const GoldenType kGolden[] = {
    {"timer loop", 0xCF57804E83EBD330, 0x0BA8673266DA4444},
    {"simbench.hex", 0xFD811C091CF4084B, 0x6DB053BE289D73C5},
    {"blink.hex", 0x16122CEE0B2DC662, 0xF3A682629300D9B8},
    {"peripherals.hex", 0x487095A9653B64F7, 0x62597E688182A17D},
    {"biased 1", 0xE5CAB99146BB79A4, 0x42DBC74FFC51EEB3},
    {"biased 2", 0x8D84E6B95F4F80C3, 0xFD0C18ABC6DB9FC7},
    {"biased 3", 0x28E05C9A34A6DE72, 0xE159B9A31617EDA9},
    {"biased 4", 0x451750E0B4DFC083, 0x22E55A0CCCAB5A0B},
    {"biased 5", 0xAEDCADA174A6A8E3, 0x8AD595549CAB2205},
    {"biased 6", 0x3515767B6D80E48F, 0x41AE7357FB65C0C5},
    {"biased 7", 0xFEAF75414373F9A9, 0x29645ECCB447BC20},
    {"biased 8", 0x4790B1FA00C3E644, 0x880447786ED779FD},
    {"biased 9", 0x901639399B496DAD, 0x7F89DD8084A6466B},
    {"biased 10", 0x4458F3904D9F37D3, 0x01B47B734AB79987},
    {"biased 11", 0xF07B0B84C8DA7C6A, 0x8A6A1766E9249CAC},
    {"biased 12", 0xAFFCC1A229D1DCE7, 0xAC229FDC1D267FED},
    {"biased 13", 0xBF5AAB65462297C3, 0xCF445FEF1C323622},
    {"biased 14", 0x4F04EA02C49F9508, 0x1932B557AEAC9E43},
    {"biased 15", 0x5EDFECADD25E82FB, 0x2D408CFEF303B59A},
    {"biased 16", 0x7024802C52B9EFF1, 0x8470A89E1D208CC9},
    {"biased 17 with INT0 held low", 0xA23C7073BC7B1AFC, 0x376E52BC4AD1F191},
};
// clang-format on

void Check(const std::string& name, const RunPrintType& got, uint64_t trace, uint64_t state,
           std::string& update)
{
    if (got.trace != trace || got.state != state) {
        ADD_FAILURE() << name << " ran differently";
        char line[160];
        std::snprintf(line, sizeof line, "    {\"%s\", 0x%016" PRIX64 ", 0x%016" PRIX64 "},\n",
                      name.c_str(), got.trace, got.state);
        update += line;
    }
}

TEST(RunGoldenTest, ProgramsRunAsTheyAlwaysHave)
{
    std::string update;
    const std::vector<ProgramType> programs = NamedPrograms();
    EXPECT_EQ(programs.size(), std::size(kGolden));
    for (size_t i = 0; i < programs.size(); ++i) {
        ASSERT_FALSE(programs[i].code.empty()) << programs[i].name;
        const GoldenType golden = i < std::size(kGolden) ? kGolden[i] : GoldenType{"", 0, 0};
        EXPECT_EQ(programs[i].name, golden.name);
        Check(programs[i].name, StepThrough(programs[i]), golden.trace, golden.state, update);
    }
    if (!update.empty()) {
        std::printf("New fingerprints:\n%s", update.c_str());
    }
}

// The run commands over programs whose every address is a source line:
// chunks, break points, soft breaks, steps, Step Out and Run to Cursor, in
// a fixed random order, with the state after each command.
uint64_t DriveRunCommands(const ProgramType& program, uint32_t seed, int32_t updateCount)
{
    CSimulator simulation;
    CCountingSink sink;
    Start(simulation, program, sink);
    simulation.Modules().AddModule("prog.a51");
    for (uint32_t address = 0; address < program.code.size(); ++address) {
        simulation.Code().StoreCode(static_cast<int32_t>(address), program.code[address],
                                    static_cast<int32_t>(address), 0, 2, true);
    }
    simulation.SetAutoUpdate(true, updateCount);
    simulation.Start();
    std::mt19937 random(seed);
    const auto line = [&] { return static_cast<int32_t>(random() % program.code.size()); };
    for (int i = 0; i < 6; ++i) {
        simulation.ToggleBreakpoint("prog.a51", line(), 1 + i % 2);
    }
    CFingerprint print;
    const auto note = [&] {
        const ProcessorState& s = simulation.Processor().State();
        for (int64_t field :
             {int64_t{s.pc}, int64_t{simulation.RemainingCount()},
              int64_t{simulation.SoftBreakHit()}, simulation.StopTarget(),
              int64_t{simulation.IsExecuting()}, int64_t{s.cycles}, int64_t{s.totalCycles},
              int64_t{s.interruptTaken}, int64_t{s.CallDepth}}) {
            print.Add(field);
        }
    };
    const auto idle = [&] {
        for (int n = 0; n < 20 && simulation.IsExecuting(); ++n) {
            simulation.ContinueRun();
            note();
        }
    };
    for (int round = 0; round < 300; ++round) {
        switch (random() % 10) {
        case 0:
        case 1:
        case 2:
            simulation.Continue();
            break;
        case 3:
            simulation.StepInto();
            break;
        case 4:
            simulation.StepOver();
            break;
        case 5:
            if (simulation.CanStepOut()) {
                simulation.StepOut();
            }
            break;
        case 6:
            simulation.RunToCursor("prog.a51", line());
            break;
        case 7:
            simulation.ToggleBreakpoint("prog.a51", line(), 1 + random() % 2);
            break;
        case 8:
            simulation.Break();
            break;
        default:
            simulation.SetPc(line());
            break;
        }
        note();
        idle();
    }
    print.Add(FullState(simulation));
    print.Add(sink.count);
    return print.Value();
}

TEST(RunGoldenTest, RunCommandsAsTheyAlwaysHave)
{
    const fs::path dir = fs::path(IDE51_TEST_DATA_DIR) / "programs";
    struct Case
    {
        ProgramType program;
        int32_t updateCount;
        uint64_t expected;
    };
    // clang-format off
    const Case cases[] = {
        {FromHex(dir / "peripherals.hex", 0), 10000, 0x995A61E9E2DC9EC3},
        {FromHex(dir / "simbench.hex", 0), 997, 0xA765E4F8648A3BD1},
        {FromHex(dir / "blink.hex", 0), 0, 0xDCE0BD2D077BCD07},
        {Biased(21, 0), 10000, 0x8C635AA3E8E9B5EB},
        {Biased(22, 0), 50, 0x2050C5A066A78CA8},
        {Biased(23, 0), 3000, 0xF43DD29803D6E606},
        {Biased(24, 0), 1, 0x8B428B7FDEF32D71},
    };
    // clang-format on
    std::string update;
    for (const Case& c : cases) {
        ProgramType program = c.program;
        program.code.resize(0x1000);
        const uint64_t got = DriveRunCommands(program, 5, c.updateCount);
        if (got != c.expected) {
            ADD_FAILURE() << program.name << " ran differently under the run commands";
            char text[80];
            std::snprintf(text, sizeof text, "0x%016" PRIX64 "\n", got);
            update += program.name + " " + text;
        }
    }
    if (!update.empty()) {
        std::printf("New fingerprints:\n%s", update.c_str());
    }
}

// Part of the fuzz corpus, 20,000 steps each as the fuzz target runs them;
// data/corpus_prints.txt holds one "name trace state" line per input.
TEST(RunGoldenTest, FuzzInputsRunAsTheyAlwaysHave)
{
    std::ifstream list(fs::path(IDE51_TEST_DATA_DIR) / "corpus_prints.txt");
    const fs::path corpus = fs::path(IDE51_SOURCE_DIR) / "fuzz/corpus/sim";
    std::string update;
    std::string name;
    uint64_t trace = 0;
    uint64_t state = 0;
    int checked = 0;
    while (list >> name >> std::hex >> trace >> state) {
        ASSERT_TRUE(fs::exists(corpus / name)) << name;
        Check(name, StepThrough(FromFuzzInput(corpus / name, 20'000)), trace, state, update);
        ++checked;
    }
    EXPECT_GT(checked, 50);
    if (!update.empty()) {
        std::printf("New fingerprints:\n%s", update.c_str());
    }
}

} // namespace
