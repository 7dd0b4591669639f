// Runs arbitrary bytes as a program: the first bytes pick the processor,
// variant and memory options, the rest fill code memory from 0000h.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/message_sink.h"
#include "simulator/simulator.h"

namespace {

class CQuietSink : public IMessageSink
{
public:
    void ShowMessage(const std::string&, Severity) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4) {
        return 0;
    }
    static CSimulator simulator; // 64 KB tables: built once, reset per input
    static CQuietSink sink;
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
    CSim8051& cpu = simulator.Processor();
    for (int i = 0; i < 20000; ++i) {
        cpu.ExecuteInstruction();
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
    simulator.Stop();
    return 0;
}
