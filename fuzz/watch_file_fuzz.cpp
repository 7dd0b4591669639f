// WATCH.DAT through the watch list of a simulation wired to an assembled
// program, as the IDE wires it: load, save, load must give the same records.
// Then every watch is shown (which resolves its name against the program's
// symbols and reads the simulated memories), the list saved and loaded
// again, and shown again: the records and the shown lines must not change.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "assembler/asm_symbol_resolver.h"
#include "assembler/assembler.h"
#include "common/output_text.h"
#include "fuzz_support.h"
#include "simulator/simulator.h"

namespace {

// Names of every kind a watch can resolve: data and bit symbols, an external
// address, a label.
constexpr const char* kProgram = "COUNT   DATA 30H\r\n"
                                 "TABLE   IDATA 90H\r\n"
                                 "FLAG    BIT 0AH\r\n"
                                 "KEYS    EQU 8000H\r\n"
                                 "        ORG 0\r\n"
                                 "START:  SJMP START\r\n";

// Past this many watches the list is only loaded and saved, not shown, so
// that one input stays quick.
constexpr int kShownWatches = 200;

struct RigType
{
    CFuzzScratch scratch{"ide51-watch-fuzz"};
    CSimulator simulator;
    COutputText output;
    CAssembler assembler{output, simulator.Code(), simulator.Modules()};
    CAsmSymbolResolver resolver{assembler};
    CQuietSink sink;

    RigType()
    {
        const std::filesystem::path source = scratch.File("watch.a51");
        WriteFileBytes(source, kProgram);
        AssemblerOptions options;
        options.generateListFile = options.generateHexFile = false;
        assembler.SetOptions(options);
        assembler.Assemble(source.string());
        while (assembler.AssembleStep()) {
        }
        simulator.SetMessageSink(&sink);
        simulator.SetSymbolResolver(&resolver);
        simulator.Watches().SetMessageSink(&sink);
        simulator.Start();
        // Values that differ at every address, so a wrong read shows.
        CSim8051& cpu = simulator.Processor();
        for (uint32_t a = 0; a < 0x100; ++a) {
            cpu.WriteIndirect(a, static_cast<uint8_t>(a * 7 + 1));
        }
        for (uint32_t a = 0x7FF0; a < 0x8010; ++a) {
            cpu.WriteExternal(a, static_cast<uint8_t>(a + 3), false, false);
        }
    }
};

RigType& Rig()
{
    static RigType rig;
    return rig;
}

std::vector<WatchRecordType> Records(const CWatchList& watches)
{
    std::vector<WatchRecordType> records;
    for (int i = 0; i < watches.WatchCount(); ++i) {
        records.push_back(*watches.GetWatch(i));
    }
    return records;
}

std::vector<std::string> Shown(CWatchList& watches)
{
    std::vector<std::string> lines;
    for (int i = 0; i < watches.WatchCount() && i < kShownWatches; ++i) {
        lines.push_back(watches.FormatWatch(i));
        FuzzCheck(lines.back().size() <= kWatchLineCapacity, "a shown watch fits its line");
    }
    return lines;
}

void SaveAndLoad(CWatchList& watches, const std::filesystem::path& file)
{
    FuzzCheck(watches.SaveWatches(file), "the watch list saves");
    watches.LoadWatches(file);
}

std::string Difference(const std::vector<WatchRecordType>& a, const std::vector<WatchRecordType>& b)
{
    if (a.size() != b.size()) {
        return std::to_string(a.size()) + " watches, then " + std::to_string(b.size());
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (!(a[i] == b[i])) {
            return "watch " + std::to_string(i) + " named \"" + a[i].name + "\", then \"" +
                   b[i].name + "\"";
        }
    }
    return {};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    RigType& rig = Rig();
    CWatchList& watches = rig.simulator.Watches();
    const std::filesystem::path file = rig.scratch.File("WATCH.DAT");
    WriteFileBytes(file, std::string_view(reinterpret_cast<const char*>(data), size));

    watches.LoadWatches(file);
    const std::vector<WatchRecordType> loaded = Records(watches);
    SaveAndLoad(watches, file);
    const std::vector<WatchRecordType> reloaded = Records(watches);
    if (loaded != reloaded) {
        FuzzFail("saving and loading keeps the watches", Difference(loaded, reloaded));
    }

    const std::vector<std::string> shown = Shown(watches);
    const std::vector<WatchRecordType> resolved = Records(watches);
    SaveAndLoad(watches, file);
    const std::vector<std::string> shownAgain = Shown(watches);
    if (Records(watches) != resolved) {
        FuzzFail("shown watches are kept as shown", Difference(resolved, Records(watches)));
    }
    FuzzCheck(shown == shownAgain, "a saved and loaded watch shows the same value");
    return 0;
}
