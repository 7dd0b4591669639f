// Runs arbitrary bytes as a program: the first bytes pick the processor,
// variant and memory options, the rest fill code memory from 0000h. The
// program runs twice, by the run loop in runs of lengths taken from the
// input and by single steps, and the two must end in the same state.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/message_sink.h"
#include "simulator/simulator.h"
#include "simulator/stop_map.h"

namespace {

class CQuietSink : public IMessageSink
{
public:
    void ShowMessage(const std::string&, Severity) override { ++count; }
    int count = 0;
};

constexpr int64_t kSteps = 10000; // each way: the work of 20,000 single steps

void Load(CSimulator& simulator, CQuietSink& sink, const uint8_t* data, size_t size)
{
    sink.count = 0;
    simulator.SetMessageSink(&sink);
    simulator.Code().ClearCode();
    const uint8_t flags = data[0];
    simulator.SetProcessorType(flags & 3);
    simulator.SetOptions((flags & 4) != 0, (flags & 8) != 0, data[1], data[2] % 5,
                         (flags & 16) ? ProcessorVariant::kAduc84x : ProcessorVariant::kStandard,
                         1000);
    for (size_t i = 3; i < size && i - 3 < 0x10000; ++i) {
        simulator.Code().WriteCodeByte(static_cast<uint32_t>(i - 3), data[i]);
    }
    simulator.Start();
}

bool SameState(const CSimulator& a, const CSimulator& b)
{
    const ProcessorState& x = a.Processor().State();
    const ProcessorState& y = b.Processor().State();
    if (x.DirectSpace != y.DirectSpace || x.UpperRam != y.UpperRam || x.pc != y.pc ||
        x.cycles != y.cycles || x.totalCycles != y.totalCycles || x.maxSp != y.maxSp ||
        x.lowInService != y.lowInService || x.highInService != y.highInService ||
        x.externalPending != y.externalPending || x.priorityLevel != y.priorityLevel ||
        x.transmitBusy != y.transmitBusy || x.transmitCountdown != y.transmitCountdown ||
        x.previousP1 != y.previousP1 || x.previousP3 != y.previousP3 || x.bankBase != y.bankBase ||
        x.CallDepth != y.CallDepth || x.dptr0Shadow != y.dptr0Shadow ||
        x.dptr1Shadow != y.dptr1Shadow || x.DataFlash != y.DataFlash ||
        a.ExternalRam() != b.ExternalRam()) {
        return false;
    }
    for (uint32_t address = 0; address < 0x10000; ++address) {
        if (a.Code().ExecutionCount(address) != b.Code().ExecutionCount(address)) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4) {
        return 0;
    }
    // 64 KB tables: built once, reset per input.
    static CSimulator fast;
    static CSimulator stepped;
    static CStopMap stops;
    static CQuietSink fastSink;
    static CQuietSink steppedSink;
    Load(fast, fastSink, data, size);
    Load(stepped, steppedSink, data, size);

    CSim8051& cpu = fast.Processor();
    int64_t done = 0;
    size_t at = 3;
    while (done < kSteps) {
        // Run lengths from the input's own bytes: short and long runs alike.
        const int64_t length = 1 + data[at] * 37 % 4096;
        at = at + 1 < size ? at + 1 : 3;
        const int64_t steps = cpu.Run(length, stops).steps;
        done += steps;
        for (int64_t i = 0; i < steps; ++i) {
            ProcessorState& state = stepped.Processor().State();
            state.interruptTaken = false;
            state.pcWrapped = false;
            stepped.Processor().ExecuteInstruction();
        }
    }
    if (!SameState(fast, stepped) || fastSink.count != steppedSink.count) {
        std::abort(); // the run loop went another way than single steps
    }

    // The debug views' reads and writes by index and address.
    for (int i = 0; i < 300; ++i) {
        cpu.ReadDirect(static_cast<uint32_t>(i));
        cpu.ReadIndirect(static_cast<uint32_t>(i));
        cpu.ReadRegister(i % 16 - 1);
        cpu.ReadPort(i % 6 - 1);
        cpu.ReadControlRegister(i % 40 - 1);
        cpu.ReadFlag(i % 40 - 1);
    }
    fast.Stop();
    stepped.Stop();
    return 0;
}
