#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>
#include <set>

#include "app/commands.h"

namespace {

using S = CommandStateType;

// The enable rules written out a second time from the command list, so that
// a slip in the table (a rule pointer on the wrong row, say) is caught.
const std::map<int, std::function<bool(const S&)>>& ExpectedRules()
{
    static const std::map<int, std::function<bool(const S&)>> rules = [] {
        std::map<int, std::function<bool(const S&)>> r;
        const auto always = [](const S&) { return true; };
        const auto source = [](const S& s) { return s.activeKind == WindowKind::kSource; };
        const auto window = [](const S& s) { return s.activeKind.has_value(); };
        const auto canStart = [](const S& s) {
            return !s.busy.simulating && !s.busy.assembling && s.busy.assemblyGood;
        };
        const auto halted = [](const S& s) { return s.busy.simulating && !s.busy.running; };
        const auto asContinue = [=](const S& s) { return halted(s) || canStart(s); };
        for (int id : {cmd::kNew,
                       cmd::kOpen,
                       cmd::kOpenWorkspace,
                       cmd::kSaveWorkspace,
                       cmd::kSaveAll,
                       cmd::kPrintSetup,
                       cmd::kExit,
                       cmd::kToolbar,
                       cmd::kStatusBar,
                       cmd::kViewOutput,
                       cmd::kViewDump,
                       cmd::kViewRegisters,
                       cmd::kViewControlRegisters,
                       cmd::kViewPorts,
                       cmd::kViewDirectMemory,
                       cmd::kViewInternalMemory,
                       cmd::kViewExternalMemory,
                       cmd::kViewWatch,
                       cmd::kViewStack,
                       cmd::kViewSerial,
                       cmd::kVirtualButton,
                       cmd::kProject,
                       cmd::kDefaults,
                       cmd::kSimulatorOptions,
                       cmd::kCascade,
                       cmd::kTile,
                       cmd::kArrangeIcons,
                       cmd::kArrangeWindows,
                       cmd::kHelpTopics,
                       cmd::kAbout,
                       cmd::kHelp,
                       cmd::kContextHelp,
                       cmd::kShowCoverage,
                       cmd::kResetCoverage,
                       cmd::kCoverageReport}) {
            r[id] = always;
        }
        for (int id : {cmd::kSave, cmd::kSaveAs, cmd::kPrint, cmd::kPrintPreview, cmd::kFind,
                       cmd::kReplace, cmd::kAddWatch}) {
            r[id] = source;
        }
        for (int id : {cmd::kClose, cmd::kNewWindow, cmd::kNextPane, cmd::kPrevPane}) {
            r[id] = window;
        }
        r[cmd::kCloseWorkspace] = [](const S& s) { return !s.defaultWorkspace; };
        r[cmd::kUndo] = [=](const S& s) { return source(s) && s.canUndo; };
        r[cmd::kRedo] = [=](const S& s) { return source(s) && s.canRedo; };
        r[cmd::kCut] = r[cmd::kCopy] = [=](const S& s) { return source(s) && s.hasSelection; };
        r[cmd::kPaste] = [=](const S& s) { return source(s) && s.clipboardHasText; };
        r[cmd::kFindInFiles] = [](const S& s) { return !s.busy.assembling && !s.busy.searching; };
        r[cmd::kAssemble] = [=](const S& s) {
            return source(s) && !s.busy.assembling && !s.busy.running && !s.busy.searching;
        };
        r[cmd::kBuild] = [](const S& s) {
            return !s.busy.assembling && !s.busy.running && !s.busy.searching &&
                   !s.projectPath.empty();
        };
        r[cmd::kStopAssembly] = [](const S& s) { return s.busy.assembling; };
        r[cmd::kCloseProject] = [](const S& s) { return !s.projectPath.empty(); };
        r[cmd::kStartSimulator] = canStart;
        r[cmd::kRestart] = halted;
        r[cmd::kStopSimulator] = [](const S& s) { return s.busy.simulating; };
        r[cmd::kContinue] = r[cmd::kStepInto] = r[cmd::kStepOver] = asContinue;
        r[cmd::kBreak] = [](const S& s) { return s.busy.simulating && s.busy.running; };
        r[cmd::kStepOut] = [=](const S& s) { return halted(s) && !s.returnAtPc; };
        r[cmd::kRunToCursor] = [=](const S& s) { return source(s) && halted(s); };
        r[cmd::kToggleBreakPoint] =
            r[cmd::kSoftBreak] = [=](const S& s) { return source(s) && s.busy.simulating; };
        r[cmd::kRemoveAllBreakPoints] = [=](const S& s) {
            return source(s) && s.busy.simulating && s.breakpointsExist;
        };
        r[cmd::kDownload] = [](const S& s) {
            return !s.busy.running && !s.busy.assembling && s.busy.assemblyGood;
        };
        r[cmd::kMonitorStart] = [](const S& s) { return !s.busy.linkOpen; };
        r[cmd::kMonitorReset] = r[cmd::kMonitorStop] = [](const S& s) { return s.busy.linkOpen; };
        for (int code = 0; code < 5; ++code) {
            r[cmd::kRadixDefault + code] = [](const S& s) { return s.radixView && s.lineSelected; };
        }
        r[cmd::kClearDump] = [](const S& s) { return s.activeKind == WindowKind::kDump; };
        for (size_t slot = 0; slot < 4; ++slot) {
            r[cmd::kRecentFiles[slot]] = [slot](const S& s) {
                return !s.recentFiles[slot].empty();
            };
            r[cmd::kRecentWorkspaces[slot]] = [slot](const S& s) {
                return !s.recentWorkspaces[slot].empty();
            };
        }
        for (size_t slot = 0; slot < cmd::kEditFiles.size(); ++slot) {
            r[cmd::kEditFiles[slot]] = [slot](const S& s) { return slot < s.openFiles.size(); };
        }
        return r;
    }();
    return rules;
}

// States the application can be in: the simulator halted exactly when it is
// loaded and not executing, executing only while loaded.
S RandomState(std::mt19937& random)
{
    const auto coin = [&] { return (random() & 1) != 0; };
    S s;
    s.busy.assembling = coin();
    s.busy.assemblyGood = coin();
    s.busy.simulating = coin();
    s.busy.running = s.busy.simulating && coin();
    s.busy.searching = coin();
    s.busy.linkOpen = coin();
    s.halted = s.busy.simulating && !s.busy.running;
    s.returnAtPc = coin();
    s.breakpointsExist = coin();
    s.projectPath = coin() ? "/w/blink.p51" : "";
    s.defaultWorkspace = coin();
    switch (random() % 4) {
    case 0:
        s.activeKind.reset();
        break;
    case 1:
        s.activeKind = WindowKind::kSource;
        break;
    case 2:
        s.activeKind = WindowKind::kDump;
        break;
    default:
        s.activeKind = WindowKind::kRegister;
        break;
    }
    s.canUndo = coin();
    s.canRedo = coin();
    s.hasSelection = coin();
    s.clipboardHasText = coin();
    s.radixView = coin();
    s.lineSelected = coin();
    for (size_t i = 0; i < 4; ++i) {
        s.recentFiles[i] = coin() ? "f" + std::to_string(i) : "";
        s.recentWorkspaces[i] = coin() ? "w" + std::to_string(i) : "";
    }
    s.openFiles.resize(random() % 23, "x.a51");
    return s;
}

TEST(CommandTableTest, EveryRuleAgreesWithItsStatementOverManyStates)
{
    std::mt19937 random(51);
    std::set<int> checked;
    for (int round = 0; round < 3000; ++round) {
        const S state = RandomState(random);
        for (const CommandType& command : Commands()) {
            const auto rule = ExpectedRules().find(command.id);
            ASSERT_NE(rule, ExpectedRules().end()) << command.id << " has no expected rule";
            ASSERT_EQ(CommandEnabled(command, state), rule->second(state))
                << command.name << " (" << command.id << ") in round " << round;
            checked.insert(command.id);
        }
    }
    EXPECT_EQ(checked.size(), ExpectedRules().size()) << "a command is missing from the table";
}

TEST(CommandTableTest, IdsAreUniqueAndKeysActOnTheirFirstCommand)
{
    std::set<int> ids;
    std::set<std::string> keys;
    for (const CommandType& command : Commands()) {
        EXPECT_TRUE(ids.insert(command.id).second) << command.id;
        for (const char* key : command.keys) {
            if (key != nullptr) {
                EXPECT_TRUE(keys.insert(key).second) << key << " bound twice";
            }
        }
    }
    // The key table as users know it, and the keys given to Stop and Break.
    const std::pair<const char*, int> table[] = {
        {"Ctrl+N", cmd::kNew},
        {"Ctrl+O", cmd::kOpen},
        {"Ctrl+S", cmd::kSave},
        {"Ctrl+P", cmd::kPrint},
        {"Ctrl+Z", cmd::kUndo},
        {"Alt+Backspace", cmd::kUndo},
        {"Ctrl+Y", cmd::kRedo},
        {"Ctrl+X", cmd::kCut},
        {"Shift+Del", cmd::kCut},
        {"Ctrl+C", cmd::kCopy},
        {"Ctrl+Ins", cmd::kCopy},
        {"Ctrl+V", cmd::kPaste},
        {"Shift+Ins", cmd::kPaste},
        {"Ctrl+F", cmd::kFind},
        {"F7", cmd::kBuild},
        {"F8", cmd::kDownload},
        {"Ctrl+F5", cmd::kStartSimulator},
        {"F5", cmd::kContinue},
        {"F11", cmd::kStepInto},
        {"F10", cmd::kStepOver},
        {"Shift+F11", cmd::kStepOut},
        {"Ctrl+F10", cmd::kRunToCursor},
        {"F9", cmd::kToggleBreakPoint},
        {"Shift+F9", cmd::kSoftBreak},
        {"F6", cmd::kNextPane},
        {"Shift+F6", cmd::kPrevPane},
        {"F1", cmd::kHelp},
        {"Shift+F1", cmd::kContextHelp},
        {"Shift+F5", cmd::kStopSimulator},
        {"Ctrl+F9", cmd::kBreak},
        {"Ctrl+F7", cmd::kAssemble},
        {"Ctrl+Shift+F5", cmd::kRestart},
    };
    for (const auto& [key, id] : table) {
        EXPECT_EQ(CommandOfKey(key), id) << key;
    }
    EXPECT_EQ(CommandOfKey("Ctrl+F6"), 0);
}

std::vector<std::string> Texts(MenuId menu, bool shortMenu, const S& state = {})
{
    std::vector<std::string> texts;
    for (const MenuEntryType& entry : MenuLayout(menu, shortMenu)) {
        if (entry.kind == MenuEntryType::kSeparator) {
            texts.push_back("-");
        } else if (entry.kind == MenuEntryType::kSubmenu) {
            for (const MenuInfoType& info : kMenus) {
                if (info.id == entry.submenu) {
                    texts.push_back(std::string(">") + info.title);
                }
            }
        } else {
            const CommandType* command = FindCommand(entry.id);
            std::string text = CommandText(*command, state);
            if (*command->keyText != '\0') {
                text += std::string("\t") + command->keyText;
            }
            texts.push_back(text);
        }
    }
    return texts;
}

using V = std::vector<std::string>;

TEST(CommandTableTest, ShortMenuWhileNoDocumentIsOpen)
{
    ASSERT_EQ(MenuBar(true), (std::vector<MenuId>{MenuId::kFile, MenuId::kView, MenuId::kHelp}));
    EXPECT_EQ(Texts(MenuId::kFile, true),
              (V{"&New\tCtrl+N", "&Open...\tCtrl+O", "-", "Open &Workspace", "Sa&ve Workspace",
                 "Close Wor&kspace", "-", "P&rint Setup...", "-", ">Recent &Files",
                 ">Recent Wor&kspaces", "-", "E&xit"}));
    EXPECT_EQ(Texts(MenuId::kView, true), (V{"&Toolbar", "Status &Bar"}));
    EXPECT_EQ(Texts(MenuId::kHelp, true), (V{"&Help Topics", "-", "&About 8051..."}));
}

TEST(CommandTableTest, FullMenuTexts)
{
    const std::vector<MenuId> bar = MenuBar(false);
    ASSERT_EQ(bar.size(), 9u);
    EXPECT_EQ(bar[kWindowMenuPosition], MenuId::kWindow);
    S state;
    state.projectPath = "/work/blink.p51";
    EXPECT_EQ(Texts(MenuId::kEdit, false),
              (V{"&Undo\tCtrl+Z", "&Redo\tCtrl+Y", "-", "Cu&t\tCtrl+X", "&Copy\tCtrl+C",
                 "&Paste\tCtrl+V", "-", "&Find\tCtrl+F", "F&ind in Files", "R&eplace"}));
    EXPECT_EQ(Texts(MenuId::kAssemble, false, state),
              (V{"&Assemble\tCtrl+F7", "&Build\tF7", "&Stop", "-", "&Project: /work/blink.p51",
                 "&Close Project"}));
    EXPECT_EQ(Texts(MenuId::kSimulate, false),
              (V{"&Start Simulator\tCtrl+F5", "R&estart\tCrtl+Shift+F5", "S&top\tShift+F5", "-",
                 "&Continue\tF5", "&Break\tCtrl+F9", "Soft Break\tShift+F9", "-", "Step &Into\tF11",
                 "Step &Over\tF10", "Step O&ut\tShift+F11", "&Run to Cursor\tCtrl+F10", "-",
                 "Toggle Break &Point\tF9", "Remove &All Break Points", "-", ">Co&verage"}));
    EXPECT_EQ(Texts(MenuId::kCoverage, false),
              (V{"&Show Coverage", "&Reset Coverage", "&Create Coverage Report..."}));
    EXPECT_EQ(Texts(MenuId::kMonitor, false),
              (V{"&Download\tF8", "-", "&Start", "&Reset", "S&top"}));
    EXPECT_EQ(Texts(MenuId::kView, false).back(), ">&Virtual");
}

TEST(CommandTableTest, NumberedItemsShowTheirEntriesAndTheTwentyFirstFileHasNone)
{
    S state;
    state.recentFiles = {"/w/a.a51", "", "/w/c.a51", ""};
    state.recentWorkspaces = {"/w/x.wsp", "", "", ""};
    for (int i = 1; i <= 21; ++i) {
        state.openFiles.push_back("F" + std::to_string(i) + ".A51");
    }
    EXPECT_EQ(Texts(MenuId::kRecentFiles, false, state), (V{"&1 /w/a.a51", "", "&3 /w/c.a51", ""}));
    EXPECT_EQ(Texts(MenuId::kRecentWorkspaces, false, state), (V{"&1 /w/x.wsp", "", "", ""}));
    const V window = Texts(MenuId::kWindow, false, state);
    ASSERT_EQ(window.size(), 5u + 1u + 20u);
    EXPECT_EQ(window[6], "&1 F1.A51");
    EXPECT_EQ(window.back(), "&20 F20.A51");
    const CommandType* last = FindCommand(32889);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->slot, 19);
    EXPECT_EQ(FindCommand(32869), nullptr); // the gaps in the Edit file ids
    EXPECT_EQ(FindCommand(32873), nullptr);
}

TEST(CommandTableTest, ToolbarOrderPromptsAndTooltips)
{
    V names;
    for (int id : ToolbarLayout()) {
        names.push_back(id == 0 ? "|" : FindCommand(id)->name);
    }
    EXPECT_EQ(names, (V{"file.new",
                        "file.open",
                        "file.save",
                        "file.saveAll",
                        "|",
                        "edit.cut",
                        "edit.copy",
                        "edit.paste",
                        "|",
                        "edit.findInFiles",
                        "|",
                        "assemble.assemble",
                        "assemble.build",
                        "|",
                        "monitor.download",
                        "monitor.stop",
                        "|",
                        "simulate.addWatch",
                        "|",
                        "simulate.stepInto",
                        "simulate.stepOver",
                        "simulate.stepOut",
                        "simulate.runToCursor",
                        "|",
                        "simulate.continue",
                        "simulate.toggleBreakPoint",
                        "|",
                        "simulate.restart",
                        "simulate.stop",
                        "simulate.break",
                        "|",
                        "window.arrangeWindows",
                        "|",
                        "help.about",
                        "help.whatsThis"}));
    const std::pair<int, const char*> prompts[] = {
        {cmd::kAssemble, "Assemble active file or project"},
        {cmd::kBuild, "Assemble the project file"},
        {cmd::kProject, "Specify primary project file"},
        {cmd::kStopAssembly, "Stop assembler"},
        {cmd::kArrangeWindows, "Positions windows on screen based on type"},
        {cmd::kDownload, "Transfer assembled program code to developement board"},
    };
    for (const auto& [id, prompt] : prompts) {
        EXPECT_STREQ(FindCommand(id)->prompt, prompt);
    }
    EXPECT_STREQ(FindCommand(cmd::kAssemble)->tooltip, "Assemble (Ctrl+F7)");
    EXPECT_STREQ(FindCommand(cmd::kSoftBreak)->tooltip, "Soft Break");
    for (const CommandType& command : Commands()) {
        EXPECT_NE(*command.prompt, '\0') << command.name;
        EXPECT_NE(*command.tooltip, '\0') << command.name;
        if (command.toolbarPosition >= 0) {
            EXPECT_NE(*command.icon, '\0') << command.name << " is on the toolbar without icon";
        }
    }
}

TEST(CommandTableTest, CheckMarksFollowTheirFlags)
{
    S state;
    state.coverageDisplay = true;
    state.toolbarVisible = false;
    EXPECT_TRUE(CommandChecked(*FindCommand(cmd::kShowCoverage), state));
    EXPECT_FALSE(CommandChecked(*FindCommand(cmd::kToolbar), state));
    EXPECT_TRUE(CommandChecked(*FindCommand(cmd::kStatusBar), state));
    EXPECT_FALSE(CommandChecked(*FindCommand(cmd::kNew), state));
}

} // namespace
