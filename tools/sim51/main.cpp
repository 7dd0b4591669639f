// sim51: assembles a source and runs it in the IDE's simulator, headless.
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

#include "assembler/asm_symbol_resolver.h"
#include "assembler/assembler.h"
#include "common/message_sink.h"
#include "common/text_util.h"
#include "sim51_options.h"
#include "simulator/opcode_table.h"
#include "simulator/simulator.h"
#include "simulator/simulator_events.h"

namespace {

// The engine's message boxes become lines on stderr; a message halts the run.
class CStderrSink : public IMessageSink
{
public:
    void ShowMessage(const std::string& text, Severity) override
    {
        std::fflush(stdout);
        std::fprintf(stderr, "sim51: %s\n", text.c_str());
        shown = true;
    }
    bool shown = false;
};

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "sim51: %s\nTry 'sim51 --help'.\n", message.c_str());
    return 2;
}

// An address as the assembler reads it; every name in it must exist.
bool ResolveAddress(const CAssembler& assembler, const std::string& text, int32_t& address,
                    std::string& error)
{
    if (text.empty()) {
        error = "empty address";
        return false;
    }
    CAsmSymbolResolver resolver(assembler);
    const std::optional<int32_t> value = resolver.EvaluateDefined(text, true);
    if (!resolver.Messages().empty()) {
        error = text + ":" + resolver.Messages().front();
        return false;
    }
    if (!value) {
        error = "unknown name in " + text;
        return false;
    }
    address = *value;
    return true;
}

void PrintRegisters(FILE* out, const ProcessorState& state)
{
    const auto& d = state.DirectSpace;
    std::fprintf(out, "A=%02X B=%02X PSW=%02X SP=%02X DPTR=%04X R=", d[0xE0], d[0xF0], d[0xD0],
                 d[0x81], d[0x83] << 8 | d[0x82]);
    for (int r = 0; r < 8; ++r) {
        std::fprintf(out, r == 0 ? "%02X" : ",%02X", d[state.bankBase + r]);
    }
    std::fprintf(out, " CYC=%u\n", state.totalCycles);
}

void PrintTraceLine(const CSim8051& cpu, uint32_t pc)
{
    const ProcessorState& state = cpu.State();
    if (state.interruptTaken) {
        std::printf("PC=%04X INT=%04X ", pc & 0xFFFF, cpu.Pc() & 0xFFFF);
    } else {
        std::printf("PC=%04X OP=", pc & 0xFFFF);
        const uint8_t op = cpu.ReadCodeByte(pc);
        for (int i = 0; i < OpcodeTable[op].length; ++i) {
            std::printf("%02X", cpu.ReadCodeByte(pc + static_cast<uint32_t>(i)));
        }
        std::printf(" ");
    }
    PrintRegisters(stdout, state);
}

void PrintSummary(const CSimulator& simulator, int64_t executed, double seconds)
{
    const CSim8051& cpu = simulator.Processor();
    const ProcessorState& state = cpu.State();
    std::printf("\nPC=%04X ", cpu.Pc() & 0xFFFF);
    PrintRegisters(stdout, state);
    std::printf("P0=%02X P1=%02X P2=%02X P3=%02X\n", state.DirectSpace[0x80],
                state.DirectSpace[0x90], state.DirectSpace[0xA0], state.DirectSpace[0xB0]);
    std::printf("Cycles: %u  Total Cycles: %u  Max SP: %u\n", state.cycles, state.totalCycles,
                state.maxSp);
    std::printf("Instructions executed: %lld\n", static_cast<long long>(executed));
    if (seconds > 0) {
        std::printf("Simulated instructions per second: %.0f\n",
                    static_cast<double>(executed) / seconds);
    }
}

} // namespace

int main(int argc, char** argv)
{
    Sim51OptionsType options;
    std::string error;
    if (!ParseSim51Options(argc, argv, options, error)) {
        return UsageError(error);
    }
    if (options.help) {
        std::fputs(kSim51Usage, stdout);
        return 0;
    }
    CExtFile probe;
    if (!probe.Open(options.source)) {
        std::fprintf(stderr, "sim51: cannot read %s\n", options.source.c_str());
        return 2;
    }
    probe.Close();

    CSimulator simulator;
    CStderrSink sink;
    simulator.SetMessageSink(&sink);
    COutputText output;
    CAssembler assembler(output, simulator.Code(), simulator.Modules());
    CSimulatorEvents events(simulator);
    assembler.SetEvents(&events);
    AssemblerOptions asmOptions;
    asmOptions.generateListFile = asmOptions.generateHexFile = false;
    assembler.SetOptions(asmOptions);
    assembler.Assemble(options.source);
    while (assembler.AssembleStep()) {
    }
    for (size_t i = 0; i < output.GetLineCount(); ++i) {
        std::printf("%s\n", output.GetLine(i).c_str());
    }
    if (assembler.GetErrorCount() > 0) {
        return 1;
    }

    int32_t until = -1;
    int32_t pageControl = 0;
    if (!options.until.empty() && !ResolveAddress(assembler, options.until, until, error)) {
        return UsageError("--until: " + error);
    }
    if (!ResolveAddress(assembler, options.pageControl, pageControl, error)) {
        return UsageError("--page-control: " + error);
    }

    simulator.SetProcessorType(options.processorType);
    simulator.SetOptions(options.useP2ForRi, options.paged, pageControl, options.pagesIndex,
                         options.variant, kDefaultChunk);
    simulator.SetLastCodeAddress(assembler.GetStatementAddress());
    simulator.Start();
    CSim8051& cpu = simulator.Processor();
    if (options.uart) {
        cpu.SetSbufTap([](uint8_t value) {
            std::fputc(value, stdout);
            std::fflush(stdout);
        });
    }

    ProcessorState& state = cpu.State();
    int64_t executed = 0;
    const auto start = std::chrono::steady_clock::now();
    while (executed < options.maxInstructions) {
        const uint32_t pc = cpu.Pc();
        if (until >= 0 && pc == static_cast<uint32_t>(until)) {
            break;
        }
        state.interruptTaken = false;
        cpu.ExecuteInstruction();
        if (!state.interruptTaken) {
            ++executed;
        }
        if (options.trace) {
            PrintTraceLine(cpu, pc);
        }
        if (sink.shown) {
            break;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (options.uart) {
        std::printf("\n");
    }
    PrintSummary(simulator, executed, seconds);
    if (!options.coverageFile.empty() && !simulator.CreateCoverageReport(options.coverageFile)) {
        return 2;
    }
    return sink.shown ? 3 : 0;
}
