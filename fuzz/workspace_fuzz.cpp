// A workspace file through the application model: loaded with the recording
// window host and the real simulator, saved, and the saved file loaded by a
// second model on the same settings. The second load must leave the model as
// the first did, and saving it again must write the same bytes.
//
// The state compared (ModelText): the options (processor type, tab width,
// output file flags, font size, radix table), the project path, the default
// find folder, sector size, loader type, simulation options and coverage
// flag; the windows in the order the host recorded them (kind, document
// name, title, path, rectangle, maximized) and the source titles it lists;
// the virtual buttons' workspace values as the simulator formats them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/app_model.h"
#include "app/shell_fakes.h"
#include "app/simulator_workspace.h"
#include "common/settings_keys.h"
#include "common/settings_store.h"
#include "common/text_util.h"
#include "fuzz_support.h"
#include "simulator/simulator.h"

namespace {

CFuzzScratch& Scratch()
{
    static CFuzzScratch scratch("ide51-workspace-fuzz");
    return scratch;
}

// Files the corpus's window records name, so that their windows open.
void CreateSources()
{
    WriteFileBytes(Scratch().File("BLINK.A51"), "\tNOP\r\n");
    WriteFileBytes(Scratch().File("a,b.a51"), "\tNOP\r\n");
    WriteFileBytes(Scratch().File("board.inc"), "LED\tBIT\tP1.0\r\n");
}

void RemoveOutputs()
{
    std::error_code error;
    for (const char* name : {"first.wsp", "saved.wsp", "again.wsp", CAppModel::kRadixFileName,
                             CAppModel::kWatchFileName}) {
        std::filesystem::remove(Scratch().File(name), error);
    }
}

std::string ModelText(const CAppModel& model, const CFakeWindowHost& host,
                      const CSimulator& simulator)
{
    const GlobalOptions& o = model.Options();
    const AppStateType& s = model.State();
    const SimulationOptionsType& sim = s.simulation;
    std::string text =
        StrFormat("options %d %d %d %d %d %d\nradix ", o.processorType, o.tabWidth,
                  o.generateListFile, o.generateSymFile, o.generateHexFile, o.fontSize);
    for (uint8_t code : o.radixTable) {
        text += static_cast<char>('0' + code);
    }
    text += "\nproject " + s.projectPath + "\nfind " + s.defaultFindDir;
    text += StrFormat("\nsector %d loader %d coverage %d\nsimulation %d %d %d %d %d %d %d\n",
                      s.sectorSize, s.loaderType, s.coverageState ? 1 : 0, sim.paged8bitAddressing,
                      sim.pagedMemory, sim.controlAddress, sim.memoryPages, sim.processorVariant,
                      sim.autoUpdate, sim.updateCount);
    for (size_t i = 0; i < host.windows.size(); ++i) {
        const IWindowHost::OpenWindowType& w = host.windows[i];
        text += StrFormat("window %d %d ", static_cast<int>(host.kinds[i]), w.maximized ? 1 : 0) +
                FormatWindowRecord(w.record) + "\n";
    }
    for (const std::string& title : host.sources) {
        text += "source " + title + "\n";
    }
    for (const std::string& value : simulator.Buttons().WorkspaceValues()) {
        text += "button " + value + "\n";
    }
    return text;
}

// Loading a workspace moves the current directory to it; libFuzzer's own
// paths may be relative, so each input ends where it started.
class CKeepCurrentDirectory
{
public:
    CKeepCurrentDirectory() : path_(std::filesystem::current_path()) {}
    ~CKeepCurrentDirectory() { std::filesystem::current_path(path_); }

private:
    std::filesystem::path path_;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    CreateSources();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CSimulator simulator; // 64 KB tables: built once, set up by every load
    CKeepCurrentDirectory keepDirectory;
    CSimulatorWorkspace workspaceSimulator(simulator);
    CQuietSink sink;
    CFakeLink link;
    CMemorySettingsStore store;
    WriteSetting(store, settings::kAppDirectory, Scratch().Path().string());
    RemoveOutputs();
    const std::string first = Scratch().File("first.wsp").string();
    const std::string saved = Scratch().File("saved.wsp").string();
    WriteFileBytes(first, std::string_view(reinterpret_cast<const char*>(data), size));

    GlobalOptions firstOptions;
    CFakeWindowHost firstHost;
    CAppModel firstModel(firstOptions, store, firstHost, workspaceSimulator, link, sink);
    firstModel.LoadSettings();
    FuzzCheck(firstModel.LoadWorkspace(first), "a workspace file that exists loads");
    const std::string loaded = ModelText(firstModel, firstHost, simulator);
    FuzzCheck(firstModel.SaveWorkspace(saved), "the loaded workspace saves");

    GlobalOptions secondOptions;
    CFakeWindowHost secondHost;
    CAppModel secondModel(secondOptions, store, secondHost, workspaceSimulator, link, sink);
    secondModel.LoadSettings();
    FuzzCheck(secondModel.LoadWorkspace(saved), "the saved workspace loads");
    const std::string reloaded = ModelText(secondModel, secondHost, simulator);
    if (loaded != reloaded) {
        FuzzFail("loading the saved workspace gives the same model",
                 "\n--- first load\n" + loaded + "--- after save and load\n" + reloaded);
    }

    const std::string again = Scratch().File("again.wsp").string();
    FuzzCheck(secondModel.SaveWorkspace(again), "the reloaded workspace saves");
    FuzzCheck(ReadFileBytes(saved) == ReadFileBytes(again), "saving it again writes the same file");
    return 0;
}
