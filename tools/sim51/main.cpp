// sim51: assembles a source, or loads an Intel HEX image, and runs it in the
// IDE's simulator, headless.
#include <cctype>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "app/engines.h"
#include "common/message_sink.h"
#include "common/text_util.h"
#include "common/tick_source.h"
#include "link/null_serial_line.h"
#include "sim51_options.h"
#include "simulator/intel_hex.h"
#include "simulator/opcode_table.h"
#include "simulator/stop_map.h"
#include "uart_input.h"

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
bool ResolveAddress(CAsmSymbolResolver& resolver, const std::string& text, int32_t& address,
                    std::string& error)
{
    if (text.empty()) {
        error = "empty address";
        return false;
    }
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

// A HEX image has no labels: its addresses are numbers, read as the
// assembler reads them (0100H, 256).
bool ResolveNumber(CAsmSymbolResolver& resolver, const std::string& text, int32_t& address,
                   std::string& error)
{
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) {
        error = "a program loaded from a HEX file has no labels: give a number such as 0100H, "
                "not " +
                text;
        return false;
    }
    return ResolveAddress(resolver, text, address, error);
}

// Assembles the source into the simulator's code memory through the idle
// step the IDE uses, without output files, printing the assembler's lines;
// false on errors.
bool Assemble(CEngines& engines, const std::string& source, FILE* report)
{
    GlobalOptions& options = engines.Options();
    options.generateListFile = options.generateSymFile = options.generateHexFile = 0;
    options.tabWidth = AssemblerOptions{}.tabWidth;
    engines.StartAssembly(source);
    while (engines.Assembler().IsAssembling()) {
        engines.IdleStep(false);
    }
    const COutputText& output = engines.Output();
    for (size_t i = 0; i < output.GetLineCount(); ++i) {
        std::fprintf(report, "%s\n", output.GetLine(i).c_str());
    }
    return engines.Assembler().GetErrorCount() == 0;
}

// Loads an Intel HEX image into code memory; false after naming the fault.
bool LoadHex(CSimulator& simulator, const std::string& path)
{
    const IntelHexReadType read = ReadIntelHexFile(path);
    if (!read.Ok()) {
        if (read.errorLine > 0) {
            std::fprintf(stderr, "sim51: %s:%d: %s\n", path.c_str(), read.errorLine,
                         read.error.c_str());
        } else {
            std::fprintf(stderr, "sim51: %s\n", read.error.c_str());
        }
        return false;
    }
    simulator.Code().ClearCode();
    StoreIntelHexImage(read.image, simulator.Code());
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

void PrintTraceLine(FILE* out, const CSim8051& cpu, uint32_t pc)
{
    const ProcessorState& state = cpu.State();
    if (state.interruptTaken) {
        std::fprintf(out, "PC=%04X INT=%04X ", pc & 0xFFFF, cpu.Pc() & 0xFFFF);
    } else {
        std::fprintf(out, "PC=%04X OP=", pc & 0xFFFF);
        const uint8_t op = cpu.ReadCodeByte(pc);
        for (int i = 0; i < OpcodeTable[op].length; ++i) {
            std::fprintf(out, "%02X", cpu.ReadCodeByte(pc + static_cast<uint32_t>(i)));
        }
        std::fprintf(out, " ");
    }
    PrintRegisters(out, state);
}

void PrintSummary(FILE* out, const CSimulator& simulator, int64_t executed, double seconds)
{
    const CSim8051& cpu = simulator.Processor();
    const ProcessorState& state = cpu.State();
    std::fprintf(out, "\nPC=%04X ", cpu.Pc() & 0xFFFF);
    PrintRegisters(out, state);
    std::fprintf(out, "P0=%02X P1=%02X P2=%02X P3=%02X\n", state.DirectSpace[0x80],
                 state.DirectSpace[0x90], state.DirectSpace[0xA0], state.DirectSpace[0xB0]);
    std::fprintf(out, "Cycles: %u  Total Cycles: %u  Max SP: %u\n", state.cycles, state.totalCycles,
                 state.maxSp);
    std::fprintf(out, "Instructions executed: %lld\n", static_cast<long long>(executed));
    if (seconds > 0) {
        std::fprintf(out, "Simulated instructions per second: %.0f\n",
                     static_cast<double>(executed) / seconds);
    }
}

// Steps between two looks at the --uart-in input.
constexpr int64_t kInputSlice = 20000;

// Runs until the instruction limit, the until address or a message; returns
// the instructions executed (interrupt entries are no instructions).
int64_t RunProgram(CSimulator& simulator, const Sim51OptionsType& options, int32_t until,
                   const CStderrSink& sink, FILE* report, CUartInput& input)
{
    CSim8051& cpu = simulator.Processor();
    ProcessorState& state = cpu.State();
    const auto reached = [&] { return until >= 0 && cpu.Pc() == static_cast<uint32_t>(until); };
    // Without input the run loop goes on to the limit in one call.
    const int64_t slice = input.IsOpen() ? kInputSlice : options.maxInstructions;
    int64_t executed = 0;
    int64_t untilTopUp = 0;
    if (options.trace) {
        while (executed < options.maxInstructions && !reached()) {
            if (--untilTopUp <= 0) {
                input.TopUp(simulator.Serial());
                untilTopUp = slice;
            }
            const uint32_t pc = cpu.Pc();
            state.interruptTaken = false;
            cpu.ExecuteInstruction();
            executed += state.interruptTaken ? 0 : 1;
            PrintTraceLine(report, cpu, pc);
            if (sink.shown) {
                break;
            }
        }
        return executed;
    }
    // The run loop hands back at the until address; steps that entered an
    // interrupt leave the instruction count short of the limit.
    const auto stops = std::make_unique<CStopMap>();
    if (until >= 0) {
        stops->Set(static_cast<uint32_t>(until), 1);
    }
    while (executed < options.maxInstructions && !reached()) {
        input.TopUp(simulator.Serial());
        const CSim8051::RunResultType run =
            cpu.Run(std::min(options.maxInstructions - executed, slice), *stops);
        executed += run.steps - run.interrupts;
        if (sink.shown) {
            break;
        }
    }
    return executed;
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
    // With --uart, stdout carries only the bytes the program sends.
    FILE* report = options.uart ? stderr : stdout;

    CStderrSink sink;
    CNullSerialDevice serialLine;
    CNullPortCatalog ports;
    CSteadyTickSource clock;
    CEngines engines({sink, serialLine, ports, clock});
    CSimulator& simulator = engines.Simulator();
    if (options.hex ? !LoadHex(simulator, options.source)
                    : !Assemble(engines, options.source, report)) {
        return 1;
    }

    int32_t until = -1;
    int32_t pageControl = 0;
    const auto resolve = options.hex ? ResolveNumber : ResolveAddress;
    if (!options.until.empty() && !resolve(engines.Resolver(), options.until, until, error)) {
        return UsageError("--until: " + error);
    }
    if (!resolve(engines.Resolver(), options.pageControl, pageControl, error)) {
        return UsageError("--page-control: " + error);
    }

    std::unique_ptr<FILE, int (*)(FILE*)> uartFile(nullptr, std::fclose);
    if (!options.uartOut.empty()) {
        uartFile.reset(std::fopen(options.uartOut.c_str(), "wb"));
        if (!uartFile) {
            std::fprintf(stderr, "sim51: cannot write %s\n", options.uartOut.c_str());
            return 2;
        }
    }

    CUartInput input;
    if (!options.uartIn.empty() && !input.Open(options.uartIn, error)) {
        std::fprintf(stderr, "sim51: %s\n", error.c_str());
        return 2;
    }

    engines.Options().processorType = options.processorType;
    SimulatorSetupType setup;
    setup.paged8bitAddressing = options.useP2ForRi ? 1 : 0;
    setup.pagedMemory = options.paged ? 1 : 0;
    setup.controlAddress = pageControl;
    setup.memoryPages = options.pagesIndex;
    setup.processorVariant = options.variant == ProcessorVariant::kAduc84x ? 1 : 0;
    // Nothing assembled (a HEX image) leaves no statement address: the code
    // then ends at its highest byte.
    engines.StartSimulation(setup);
    CSim8051& cpu = simulator.Processor();
    if (options.uart || uartFile) {
        cpu.SetSbufTap([&options, file = uartFile.get()](uint8_t value) {
            if (options.uart) {
                std::fputc(value, stdout);
                std::fflush(stdout);
            }
            if (file != nullptr) {
                std::fputc(value, file);
            }
        });
    }

    const auto start = std::chrono::steady_clock::now();
    const int64_t executed = RunProgram(simulator, options, until, sink, report, input);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    PrintSummary(report, simulator, executed, seconds);
    if (uartFile && std::fclose(uartFile.release()) != 0) {
        std::fprintf(stderr, "sim51: cannot write %s\n", options.uartOut.c_str());
        return 2;
    }
    if (!options.coverageFile.empty() && !simulator.CreateCoverageReport(options.coverageFile)) {
        return 2;
    }
    if (!input.Error().empty()) {
        std::fprintf(stderr, "sim51: %s\n", input.Error().c_str());
        return 2;
    }
    return sink.shown ? 3 : 0;
}
