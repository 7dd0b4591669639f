// Assembles a generated source of realistic lines (instructions, labels, EQUs,
// DB and DW) through both passes with all output files on.
//
//   build/bench/assembler/asm_bench [--lines N]
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "assembler/assembler.h"

namespace fs = std::filesystem;

namespace {

int gLines = 100000;

std::string GenerateSource(int lines)
{
    static const char* const kBody[] = {
        "\tMOV A,#%d",    "\tADD A,R%d", "\tMOV R%d,A",       "\tMOV DPTR,#table%d",
        "\tMOVX A,@DPTR", "\tINC DPTR",  "\tCJNE A,#%d,$+3",  "\tDJNZ R%d,$",
        "\tSETB P1.%d",   "\tCLR TR0",   "\tANL A,#0F0H",     "\tORL 30H,#%d",
        "\tMOV 40H,41H",  "\tXRL A,@R1", "\tSUBB A,#LOW(%d)", "\tPUSH ACC",
        "\tPOP ACC",      "\tRL A",      "\tLCALL routine%d", "\tSJMP $+2",
    };
    std::mt19937 random(51);
    std::string text;
    text.reserve(static_cast<size_t>(lines) * 24);
    int label = 0;
    char line[128];
    for (int i = 0; i < lines; ++i) {
        const int n = static_cast<int>(random() % 8);
        switch (i % 50) {
        case 0:
            std::snprintf(line, sizeof line, "K%d EQU %d", i, i % 256);
            break;
        case 1:
            std::snprintf(line, sizeof line, "routine%d:", label);
            break;
        case 2:
            std::snprintf(line, sizeof line, "table%d: DB 1,2,3,'ab',K%d", label, i - 2);
            break;
        case 3:
            std::snprintf(line, sizeof line, "\tDW routine%d,1234H", label++);
            break;
        case 4:
            std::snprintf(line, sizeof line, "; comment line %d", i);
            break;
        default: {
            const char* format = kBody[random() % std::size(kBody)];
            // Names refer to tables and routines already defined.
            const bool named = std::strstr(format, "%d") != nullptr &&
                               (std::strstr(format, "routine") || std::strstr(format, "table"));
            const int operand = named ? (label > 0 ? label - 1 : 0) : n;
            std::snprintf(line, sizeof line, format, operand);
        }
        }
        text += line;
        text += "\r\n";
        if (i % 5000 == 4999) {
            // Keep PC inside 64 KB; the one overlap message this causes is
            // the benchmark's only error.
            text += "\tORG 0\r\n";
        }
    }
    return text;
}

void BM_AssembleBothPasses(benchmark::State& state)
{
    const fs::path dir = fs::temp_directory_path() / "asm51-bench";
    fs::create_directories(dir);
    const fs::path source = dir / "bench.a51";
    std::ofstream(source, std::ios::binary) << GenerateSource(gLines);

    COutputText output;
    CCodeMemory code;
    CModuleList modules;
    CAssembler assembler(output, code, modules);
    AssemblerOptions options;
    options.generateListFile = options.generateSymFile = options.generateHexFile = true;
    assembler.SetOptions(options);
    for (auto _ : state) {
        assembler.Assemble(source.string());
        while (assembler.AssembleStep()) {
        }
    }
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(gLines) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
    state.counters["errors"] = assembler.GetErrorCount();
    if (std::getenv("ASM_BENCH_KEEP") == nullptr) {
        fs::remove_all(dir);
    }
}
BENCHMARK(BM_AssembleBothPasses)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--lines") {
            gLines = std::atoi(argv[i + 1]);
            for (int k = i; k + 2 < argc; ++k) {
                argv[k] = argv[k + 2];
            }
            argc -= 2;
            break;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
