#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/app_model.h"
#include "app/default_settings_model.h"
#include "app_fakes.h"
#include "common/settings_keys.h"
#include "common/settings_store.h"

namespace {

std::string ReadText(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const std::filesystem::path& file, const std::string& text)
{
    std::ofstream out(file, std::ios::binary);
    out << text;
}

class WorkspaceTest : public testing::Test
{
protected:
    WorkspaceTest() : model(options, store, host, simulator, link, sink)
    {
        store.WriteString("Settings", "AppDirectory", dir.Path().string());
        model.LoadSettings();
    }

    std::string Source(const std::string& name)
    {
        WriteText(dir.Path() / name, "\tNOP\r\n");
        return dir.File(name);
    }

    CScratchDir dir;
    GlobalOptions options;
    CMemorySettingsStore store;
    CFakeWindowHost host;
    CFakeSimulator simulator;
    CFakeLink link;
    CRecordingSink sink;
    CAppModel model;
};

TEST_F(WorkspaceTest, AFullWorkspaceSurvivesSaveAndLoad)
{
    const std::string blink = Source("BLINK.A51");
    const std::string other = Source("a,b.a51");
    host.windows.push_back({{"8051", "BLINK.A51", blink, 0, 0, 420, 600}, false});
    host.windows.push_back({{"8051", "a,b.a51", other, 10, 20, 300, 400}, true});
    host.windows.push_back({{"Output", "Output", "", 420, 0, 560, 800}, false});
    host.windows.push_back({{"Watch", "Watch", "", 0, 600, 200, 800}, false});
    simulator.buttons = {"100,200,150,300,0,Go,251,0,0,P3", "1,2,3,4,3,Set,0,1,1,8000H"};
    model.Options().processorType = 3;
    model.Options().radixTable[0] = RadixCode(DisplayRadix::kBinary);
    AppStateType& state = model.State();
    state.projectPath = blink;
    state.defaultFindDir = "/find/here";
    state.simulation = {1, 1, 0x90, 3, 1, 1, 250};
    store.WriteInt("Settings", "SectorSize", 128);
    state.workspacePath = dir.File("full.wsp");
    ASSERT_TRUE(model.SaveWorkspace(state.workspacePath));
    EXPECT_TRUE(sink.messages.empty());
    // The file carries the stored connection choices, not stale ones.
    EXPECT_EQ(state.sectorSize, 128);
    EXPECT_EQ(state.loaderType, 1);
    EXPECT_EQ(store.ReadString("WindowPlacement", "WatchWindow", ""), "0,600,200,800");
    EXPECT_EQ(ReadText(dir.Path() / "RADIX.DAT")[0], 4);
    ASSERT_EQ(simulator.watchWrites.size(), 1u);
    EXPECT_EQ(simulator.watchWrites[0], dir.Path() / "WATCH.DAT");

    const auto saved = host.windows;
    const auto savedButtons = simulator.buttons;
    host.windows.clear();
    host.sources.clear();
    simulator.buttons = {"stale"};
    model.Options().processorType = 0;
    model.Options().radixTable[0] = RadixCode(DisplayRadix::kDecimal);
    state.simulation = {};
    state.projectPath.clear();
    ASSERT_TRUE(model.LoadWorkspace(state.workspacePath));

    ASSERT_EQ(host.windows.size(), saved.size());
    for (size_t i = 0; i < saved.size(); ++i) {
        EXPECT_EQ(host.windows[i].record, saved[i].record) << i;
    }
    EXPECT_EQ(simulator.buttons, savedButtons);
    EXPECT_EQ(model.Options().processorType, 3);
    EXPECT_EQ(model.Options().radixTable[0], RadixCode(DisplayRadix::kBinary));
    EXPECT_EQ(state.projectPath, blink);
    EXPECT_EQ(state.defaultFindDir, "/find/here");
    EXPECT_EQ(state.simulation.controlAddress, 0x90);
    EXPECT_EQ(state.simulation.memoryPages, 3);
    EXPECT_EQ(state.simulation.updateCount, 250);
    EXPECT_EQ(model.OpenFileList().Titles(), (std::vector<std::string>{"a,b.a51", "BLINK.A51"}));
}

TEST_F(WorkspaceTest, LoadingResetsStateAndHandsTheOptionsOn)
{
    const std::string path = dir.File("w.wsp");
    WriteText(path, "Project=/p/x.p51\r\nSectorSize=128\r\nEnableAutoUpdate=1\r\n"
                    "UpdateCount=500\r\nEnablePagedMemory=1\r\n");
    model.State().coverageState = true;
    model.State().simulation.memoryPages = 4;
    link.open = true;
    ASSERT_TRUE(model.LoadWorkspace(path));

    EXPECT_FALSE(model.State().coverageState);
    EXPECT_FALSE(link.open);
    EXPECT_EQ(model.State().simulation.memoryPages, 1);
    EXPECT_EQ(model.State().defaultFindDir, dir.Path().string());
    EXPECT_EQ(std::filesystem::current_path(), dir.Path());
    EXPECT_EQ(store.ReadString("Settings", "ProjectFile", ""), "/p/x.p51");
    EXPECT_EQ(store.ReadInt("Settings", "SectorSize", 0), 128);
    EXPECT_EQ(store.ReadInt("Settings", "LoaderType", 9), 0);
    ASSERT_EQ(simulator.setupCalls, 1);
    EXPECT_EQ(simulator.setup.updateCount, 500);
    EXPECT_EQ(simulator.setup.remainingCount, 500);
    EXPECT_EQ(simulator.setup.pagedMemory, 1);
    EXPECT_EQ(simulator.setup.memoryPages, 1);
    EXPECT_EQ(host.activations, 1);
}

TEST_F(WorkspaceTest, AWindowForAMissingSourceOpensNothingAndReadingGoesOn)
{
    const std::string path = dir.File("w.wsp");
    const std::string kept = Source("KEPT.A51");
    WriteText(path, "Window=8051,GONE.A51," + dir.File("GONE.A51") + ",0,0,100,100\r\n" +
                        "Window=Bogus,x,,0,0,1,1\r\n" + "Window=,x,,0,0,1,1\r\n" +
                        "Window=8051,KEPT.A51," + kept + ",0,0,100,100\r\n" +
                        "ProcessorType=0\r\n");
    ASSERT_TRUE(model.LoadWorkspace(path));
    EXPECT_EQ(host.failedOpens, 1);
    ASSERT_EQ(host.windows.size(), 1u);
    EXPECT_EQ(host.windows[0].record.title, "KEPT.A51");
    EXPECT_EQ(model.Options().processorType, 0);
}

TEST_F(WorkspaceTest, RelativePathsAreTakenFromTheWorkspaceDirectory)
{
    Source("main.a51");
    std::filesystem::create_directories(dir.Path() / "ws");
    WriteText(dir.Path() / "ws" / "rel.wsp",
              "Project=../main.a51\r\nWindow=8051,main.a51,../main.a51,0,0,100,100\r\n");
    ASSERT_TRUE(model.LoadWorkspace(dir.File("ws/rel.wsp")));
    ASSERT_EQ(host.windows.size(), 1u);
    EXPECT_EQ(host.windows[0].record.path, (dir.Path() / "main.a51").string());
    EXPECT_EQ(model.State().projectPath, (dir.Path() / "main.a51").string());
}

TEST_F(WorkspaceTest, AFileThatCannotBeOpenedChangesNothing)
{
    model.State().coverageState = true;
    model.State().projectPath = "/keep.p51";
    EXPECT_FALSE(model.LoadWorkspace(dir.File("missing.wsp")));
    EXPECT_FALSE(model.LoadWorkspace(dir.Path().string()));
    EXPECT_FALSE(model.LoadWorkspace("/dev/zero"));
    EXPECT_TRUE(model.State().coverageState);
    EXPECT_EQ(model.State().projectPath, "/keep.p51");
    EXPECT_EQ(simulator.setupCalls, 0);
}

TEST_F(WorkspaceTest, AFailedSaveKeepsTheOldFileAndSaysSo)
{
    const std::string path = dir.File("w.wsp");
    WriteText(path, "Project=/old.p51\r\n");
    // The temporary file cannot be created where a directory stands.
    std::filesystem::create_directory(path + ".tmp");
    EXPECT_FALSE(model.SaveWorkspace(path));
    EXPECT_EQ(sink.messages,
              (std::vector<std::string>{"Unable to open file to save workspace into."}));
    EXPECT_EQ(ReadText(path), "Project=/old.p51\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "RADIX.DAT"));
    EXPECT_TRUE(simulator.watchWrites.empty());

    // Nor can a file be renamed over a directory.
    std::filesystem::remove(path + ".tmp");
    const std::string blocked = dir.File("blocked.wsp");
    std::filesystem::create_directories(std::filesystem::path(blocked) / "inside");
    EXPECT_FALSE(model.SaveWorkspace(blocked));
    EXPECT_EQ(sink.messages.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(blocked + ".tmp"));
}

TEST_F(WorkspaceTest, SavingThroughALinkReplacesTheTargetAndKeepsItsMode)
{
    const auto real = dir.Path() / "real.wsp";
    const auto link = dir.Path() / "link.wsp";
    WriteText(real, "Project=/old.p51\r\n");
    std::filesystem::permissions(real, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write);
    std::filesystem::create_symlink(real, link);
    model.State().projectPath = "/new.p51";
    ASSERT_TRUE(model.SaveWorkspace(link.string()));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadText(real).substr(0, 18), "Project=/new.p51\r\n");
    EXPECT_EQ(std::filesystem::status(real).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(WorkspaceTest, LastWorkspaceOrTheDefaultOneIsLoadedAtStart)
{
    WriteText(dir.Path() / "DEFAULT.WSP", "Project=/d.p51\r\n");
    model.LoadLastWorkspace();
    EXPECT_TRUE(model.State().defaultWorkspace);
    EXPECT_EQ(model.State().workspacePath, (dir.Path() / "DEFAULT.WSP").string());
    EXPECT_EQ(model.State().projectPath, "/d.p51");

    const std::string named = dir.File("named.wsp");
    WriteText(named, "Project=/n.p51\r\n");
    store.WriteString("Settings", "LastWorkspace", named);
    model.LoadLastWorkspace();
    EXPECT_FALSE(model.State().defaultWorkspace);
    EXPECT_EQ(model.State().projectPath, "/n.p51");
}

TEST_F(WorkspaceTest, SavingTheDefaultWorkspaceUnderANewNameMakesItTheOneInUse)
{
    model.LoadLastWorkspace();
    ASSERT_TRUE(model.State().defaultWorkspace);
    const std::string named = dir.File("sub.wsp");
    model.SaveWorkspaceCommand([&] { return std::optional<std::string>(named); });
    EXPECT_FALSE(model.State().defaultWorkspace);
    EXPECT_EQ(model.State().workspacePath, named);
    EXPECT_EQ(store.ReadString("Settings", "LastWorkspace", ""), named);
    EXPECT_TRUE(std::filesystem::exists(named));
    EXPECT_TRUE(model.CanCloseWorkspace());
    // The recent list is not touched by a save.
    EXPECT_EQ(model.State().recentWorkspaces.Entry(0), "");

    // The next start opens it.
    GlobalOptions nextOptions;
    CAppModel next(nextOptions, store, host, simulator, link, sink);
    next.LoadSettings();
    next.LoadLastWorkspace();
    EXPECT_EQ(next.State().workspacePath, named);
    EXPECT_FALSE(next.State().defaultWorkspace);
}

TEST_F(WorkspaceTest, CancellingOrFailingSaveAsKeepsTheDefaultWorkspace)
{
    model.LoadLastWorkspace();
    const std::string before = model.State().workspacePath;
    model.SaveWorkspaceCommand([] { return std::optional<std::string>(); });
    EXPECT_TRUE(model.State().defaultWorkspace);

    const std::string unwritable = dir.File("no/such/dir/x.wsp");
    model.SaveWorkspaceCommand([&] { return std::optional<std::string>(unwritable); });
    EXPECT_TRUE(model.State().defaultWorkspace);
    EXPECT_EQ(model.State().workspacePath, before);
    EXPECT_EQ(store.ReadString("Settings", "LastWorkspace", "unset"), "unset");
}

TEST_F(WorkspaceTest, OpeningAWorkspaceSavesTheOldOneAndSwitches)
{
    model.LoadLastWorkspace();
    host.windows.push_back({{"Output", "Output", "", 1, 2, 3, 4}, false});
    const std::string next = dir.File("next.wsp");
    WriteText(next, "Project=/next.p51\r\n");
    simulator.simulating = true;
    model.OpenWorkspaceCommand(next);

    EXPECT_EQ(simulator.endCalls, 1);
    EXPECT_NE(ReadText(dir.Path() / "DEFAULT.WSP").find("Window=Output"), std::string::npos);
    EXPECT_TRUE(host.windows.empty());
    EXPECT_EQ(model.State().workspacePath, next);
    EXPECT_FALSE(model.State().defaultWorkspace);
    EXPECT_EQ(model.State().projectPath, "/next.p51");
    EXPECT_EQ(store.ReadString("Settings", "LastWorkspace", ""), next);
    EXPECT_EQ(model.State().recentWorkspaces.Entry(0), next);

    model.OpenRecentWorkspace(0);
    EXPECT_EQ(model.State().recentWorkspaces.Entry(0), next);
    EXPECT_EQ(model.State().recentWorkspaces.Entry(1), "");
}

TEST_F(WorkspaceTest, ARelativeWorkspacePathStillPointsThereAfterTheDirectoryChanges)
{
    std::filesystem::create_directory(dir.Path() / "sub");
    WriteText(dir.Path() / "sub" / "w.wsp", "Project=/s.p51\r\n");
    std::filesystem::current_path(dir.Path());
    model.OpenWorkspaceCommand("sub/w.wsp");
    EXPECT_EQ(std::filesystem::current_path(), dir.Path() / "sub");
    EXPECT_EQ(model.WorkspaceDirectory(), dir.Path() / "sub");
    EXPECT_EQ(model.State().recentWorkspaces.Entry(0), (dir.Path() / "sub" / "w.wsp").string());
}

TEST_F(WorkspaceTest, CancellingTheDocumentSavePromptKeepsTheWorkspace)
{
    model.LoadLastWorkspace();
    const std::string before = model.State().workspacePath;
    host.allowClose = false;
    model.OpenWorkspaceCommand(dir.File("other.wsp"));
    EXPECT_EQ(model.State().workspacePath, before);
    EXPECT_EQ(model.State().recentWorkspaces.Entry(0), "");
}

TEST_F(WorkspaceTest, ClosingAWorkspaceReturnsToTheDefaultOne)
{
    const std::string named = dir.File("named.wsp");
    WriteText(named, "Project=/n.p51\r\n");
    model.OpenWorkspaceFile(named);
    simulator.simulating = true;
    model.CloseWorkspace();
    EXPECT_TRUE(model.State().defaultWorkspace);
    EXPECT_FALSE(model.CanCloseWorkspace());
    EXPECT_EQ(model.State().workspacePath, (dir.Path() / "DEFAULT.WSP").string());
    EXPECT_EQ(store.ReadString("Settings", "LastWorkspace", "unset"), "");
    EXPECT_FALSE(simulator.simulating);
    EXPECT_TRUE(std::filesystem::exists(named));
}

TEST_F(WorkspaceTest, ButtonsOfTheWorkspaceLeftBehindDoNotFollow)
{
    const std::string a = dir.File("a.wsp");
    const std::string b = dir.File("b.wsp");
    WriteText(a, "VirtButton=1,2,3,4,0,A,1,0,0,P1\r\n");
    WriteText(b, "VirtButton=5,6,7,8,0,B,1,0,0,P2\r\n");
    model.OpenWorkspaceFile(a);
    model.OpenWorkspaceFile(b);
    model.OpenWorkspaceFile(a);
    EXPECT_EQ(simulator.buttons, (std::vector<std::string>{"1,2,3,4,0,A,1,0,0,P1"}));
    EXPECT_EQ(ReadText(b), "Project=\r\nProcessorType=1\r\nDefaultFindDir=" + dir.Path().string() +
                               "\r\nSectorSize=64\r\nEnablePagedMemory=0\r\n"
                               "EnablePaged8bitAddressing=0\r\nPagedMemoryControlAddress=0\r\n"
                               "NumberOfMemoryPages=1\r\nProcessorVariant=0\r\nLoaderType=0\r\n"
                               "EnableAutoUpdate=0\r\nUpdateCount=10000\r\n"
                               "VirtButton=5,6,7,8,0,B,1,0,0,P2\r\n");
}

TEST_F(WorkspaceTest, WorkspaceDirectoryAndDefaultPath)
{
    EXPECT_EQ(model.WorkspaceDirectory(), dir.Path());
    store.WriteString("Settings", "AppDirectory", "");
    EXPECT_EQ(model.WorkspaceDirectory(), std::filesystem::current_path());
    EXPECT_EQ(model.DefaultWorkspacePath(), std::filesystem::current_path() / "DEFAULT.WSP");

    model.State().workspacePath = "/a/b/c.wsp";
    EXPECT_EQ(model.WorkspaceDirectory(), "/a/b");
    EXPECT_EQ(model.RadixFilePath(), std::filesystem::path("/a/b/RADIX.DAT"));
    model.State().workspacePath = "/c.wsp";
    EXPECT_EQ(model.WatchFilePath(), std::filesystem::path("/WATCH.DAT"));
    model.State().workspacePath = "c.wsp"; // not the root directory
    EXPECT_EQ(model.WorkspaceDirectory(), std::filesystem::current_path());
    model.State().workspacePath = "C:\\work\\x.wsp";
    EXPECT_EQ(model.WorkspaceDirectory(), "C:\\work");
    // No length cap: a long path is used whole.
    std::string longDir = "/" + std::string(300, 'd');
    model.State().workspacePath = longDir + "/w.wsp";
    EXPECT_EQ(model.WorkspaceDirectory(), longDir);
}

TEST_F(WorkspaceTest, SimulatorOptionsDialogOk)
{
    SimulationOptionsType values{1, 1, 300, 7, 1, 1, 50};
    model.ApplySimulatorOptions(values);
    EXPECT_EQ(sink.messages,
              (std::vector<std::string>{"Paged memory control address must be between 0 and 255 "
                                        "inclusive."}));
    EXPECT_EQ(model.State().simulation.pagedMemory, 0);
    EXPECT_EQ(model.State().simulation.memoryPages, 4);
    EXPECT_EQ(simulator.setup.pagedMemory, 0);
    EXPECT_EQ(simulator.setup.updateCount, 50);
    EXPECT_EQ(store.ReadInt("Settings", "EnableAutoUpdate", 0), 1);
    EXPECT_EQ(store.ReadInt("Settings", "UpdateCount", 0), 50);

    values = {0, 1, 0xA0, -2, 0, 0, 50};
    model.ApplySimulatorOptions(values);
    EXPECT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(simulator.setup.pagedMemory, 1);
    EXPECT_EQ(simulator.setup.memoryPages, 0);
    EXPECT_EQ(simulator.setup.updateCount, 10000);
}

TEST_F(WorkspaceTest, ProjectCoverageAndTitle)
{
    model.SetProjectPath("/p/q.p51");
    EXPECT_EQ(store.ReadString("Settings", "ProjectFile", ""), "/p/q.p51");
    model.CloseProject();
    EXPECT_EQ(model.State().projectPath, "");
    EXPECT_EQ(store.ReadString("Settings", "ProjectFile", "unset"), "");
    model.ToggleCoverageDisplay();
    EXPECT_EQ(store.ReadInt("Settings", "CoverageState", 0), 1);
    model.State().workspacePath = "/w/my.proj.wsp";
    EXPECT_EQ(model.MainTitle("BLINK.A51"), "my.proj - BLINK.A51");
}

} // namespace
