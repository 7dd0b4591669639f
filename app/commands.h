#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/busy_state.h"
#include "app/window_kinds.h"

// The application's commands as data: one row per command, menu item or not.
// The shell builds its menus, toolbar, key table, status prompts and the
// enable state of every action from this table alone.

namespace cmd {

// File
inline constexpr int kNew = 57600;
inline constexpr int kOpen = 57601;
inline constexpr int kClose = 57602;
inline constexpr int kSave = 57603;
inline constexpr int kSaveAs = 57604;
inline constexpr int kPrintSetup = 57606;
inline constexpr int kPrint = 57607;
inline constexpr int kPrintPreview = 57609;
inline constexpr int kExit = 57665;
inline constexpr int kOpenWorkspace = 32831;
inline constexpr int kSaveWorkspace = 32832;
inline constexpr int kCloseWorkspace = 32833;
inline constexpr int kSaveAll = 32830;
inline constexpr std::array<int, 4> kRecentFiles{57616, 57617, 57618, 57619};
inline constexpr std::array<int, 4> kRecentWorkspaces{32840, 32842, 32843, 32844};
// Edit
inline constexpr int kUndo = 57643;
inline constexpr int kRedo = 57644;
inline constexpr int kCut = 57635;
inline constexpr int kCopy = 57634;
inline constexpr int kPaste = 57637;
inline constexpr int kFind = 57636;
inline constexpr int kFindInFiles = 32772;
inline constexpr int kReplace = 57641;
// View
inline constexpr int kToolbar = 59392;
inline constexpr int kStatusBar = 59393;
inline constexpr int kViewOutput = 32783;
inline constexpr int kViewDump = 32858;
inline constexpr int kViewRegisters = 32784;
inline constexpr int kViewControlRegisters = 32828;
inline constexpr int kViewPorts = 32788;
inline constexpr int kViewDirectMemory = 32789;
inline constexpr int kViewInternalMemory = 32790;
inline constexpr int kViewExternalMemory = 32791;
inline constexpr int kViewWatch = 32816;
inline constexpr int kViewStack = 32900;
inline constexpr int kViewSerial = 32901;
inline constexpr int kVirtualButton = 32856;
// Assemble
inline constexpr int kAssemble = 32773;
inline constexpr int kBuild = 32800;
inline constexpr int kStopAssembly = 32799;
inline constexpr int kProject = 32774;
inline constexpr int kCloseProject = 32827;
// Simulate
inline constexpr int kStartSimulator = 32777;
inline constexpr int kRestart = 32803;
inline constexpr int kStopSimulator = 32778;
inline constexpr int kContinue = 32809;
inline constexpr int kBreak = 32802;
inline constexpr int kSoftBreak = 32890;
inline constexpr int kStepInto = 32780;
inline constexpr int kStepOver = 32781;
inline constexpr int kStepOut = 32797;
inline constexpr int kRunToCursor = 32779;
inline constexpr int kToggleBreakPoint = 32782;
inline constexpr int kRemoveAllBreakPoints = 32850;
inline constexpr int kResetCoverage = 32852;
inline constexpr int kShowCoverage = 32853;
inline constexpr int kCoverageReport = 32854;
inline constexpr int kAddWatch = 32817;
// Monitor
inline constexpr int kDownload = 32829;
inline constexpr int kMonitorStart = 32837;
inline constexpr int kMonitorReset = 32835;
inline constexpr int kMonitorStop = 32836;
// Options
inline constexpr int kDefaults = 32776;
inline constexpr int kSimulatorOptions = 32860;
// Window
inline constexpr int kNewWindow = 32874;
inline constexpr int kCascade = 32875;
inline constexpr int kTile = 32876;
inline constexpr int kArrangeIcons = 32877;
inline constexpr int kArrangeWindows = 32878;
// "Edit file 1" to "Edit file 20". 32869 and 32873-32878 belong to other
// commands, hence the gaps.
inline constexpr std::array<int, 20> kEditFiles{32863, 32864, 32865, 32866, 32867, 32868, 32870,
                                                32871, 32872, 32879, 32880, 32881, 32882, 32883,
                                                32884, 32885, 32886, 32887, 32888, 32889};
// Help and the framework's keys
inline constexpr int kHelpTopics = 57667;
inline constexpr int kAbout = 57664;
inline constexpr int kHelp = 57670;
inline constexpr int kContextHelp = 57669;
inline constexpr int kNextPane = 57680;
inline constexpr int kPrevPane = 57681;
// The display radix of the selected line (views with a radix section) and
// the dump window's Clear.
inline constexpr int kRadixDefault = 32822;
inline constexpr int kRadixDecimal = 32823;
inline constexpr int kRadixHexadecimal = 32824;
inline constexpr int kRadixAscii = 32825;
inline constexpr int kRadixBinary = 32826;
inline constexpr int kClearDump = 32859;

} // namespace cmd

enum class MenuId
{
    kNone, // a command without a menu item (keys, toolbar, context menus)
    kFile,
    kRecentFiles, // submenus
    kRecentWorkspaces,
    kEdit,
    kView,
    kVirtual,
    kAssemble,
    kSimulate,
    kCoverage,
    kMonitor,
    kOptions,
    kWindow,
    kHelp,
};

struct MenuInfoType
{
    MenuId id;
    MenuId parent; // kNone for the menu bar
    const char* title;
};

// Menu bar order; the Window menu is the eighth pop-up (position 7).
inline constexpr std::array<MenuInfoType, 13> kMenus{{
    {MenuId::kFile, MenuId::kNone, "&File"},
    {MenuId::kRecentFiles, MenuId::kFile, "Recent &Files"},
    {MenuId::kRecentWorkspaces, MenuId::kFile, "Recent Wor&kspaces"},
    {MenuId::kEdit, MenuId::kNone, "&Edit"},
    {MenuId::kView, MenuId::kNone, "&View"},
    {MenuId::kVirtual, MenuId::kView, "&Virtual"},
    {MenuId::kAssemble, MenuId::kNone, "&Assemble"},
    {MenuId::kSimulate, MenuId::kNone, "&Simulate"},
    {MenuId::kCoverage, MenuId::kSimulate, "Co&verage"},
    {MenuId::kMonitor, MenuId::kNone, "&Monitor"},
    {MenuId::kOptions, MenuId::kNone, "&Options"},
    {MenuId::kWindow, MenuId::kNone, "&Window"},
    {MenuId::kHelp, MenuId::kNone, "&Help"},
}};
inline constexpr int kWindowMenuPosition = 7;

// Everything an enable rule, a check mark or a varying item text depends on.
struct CommandStateType
{
    BusyStateType busy;
    bool halted = false;     // a simulation is loaded and not executing
    bool returnAtPc = false; // the opcode at PC is RET or RETI
    bool breakpointsExist = false;
    std::string projectPath;
    bool defaultWorkspace = true;
    std::optional<WindowKind> activeKind; // kind of the active window's view
    bool anyDocument = false;             // some window is open: the full menu is shown
    // Of the active source view.
    bool canUndo = false;
    bool canRedo = false;
    bool hasSelection = false;
    bool clipboardHasText = false;
    // Of the active tool view.
    bool radixView = false; // it keeps a radix per line
    bool lineSelected = false;
    // Lists and flags.
    std::array<std::string, 4> recentFiles;
    std::array<std::string, 4> recentWorkspaces;
    std::vector<std::string> openFiles; // OpenFileList, index 0 first
    bool coverageDisplay = false;
    bool toolbarVisible = true;
    bool statusBarVisible = true;

    bool SourceActive() const { return activeKind == WindowKind::kSource; }
    // Start Simulator's condition, which Continue and the steps share.
    bool CanStart() const { return !busy.simulating && !busy.assembling && busy.assemblyGood; }
};

using CommandRule = bool (*)(const CommandStateType& state, int slot);

struct CommandType
{
    int id;
    const char* name; // stable readable name: action object name, help, tests
    MenuId menu;
    const char* text;    // menu item text; for slot rows see CommandText()
    const char* keyText; // accelerator text shown in the menu, may be empty
    // Keys that act, in QKeySequence's portable text. The first command to
    // bind a key is the one that acts.
    std::array<const char*, 2> keys;
    int toolbarPosition;  // -1 when not on the toolbar
    bool separatorBefore; // in its menu; on the toolbar for toolbarPosition
    bool inShortMenu;     // shown while no document is open
    const char* prompt;   // status bar text while highlighted
    const char* tooltip;
    const char* icon; // toolbar and menu icon name, may be empty
    CommandRule enabled;
    CommandRule checked; // nullptr: not checkable
    int slot = -1;       // index within a family of numbered items
};

// Every command, in menu order within each menu.
std::span<const CommandType> Commands();
const CommandType* FindCommand(int id);

bool CommandEnabled(const CommandType& command, const CommandStateType& state);
bool CommandChecked(const CommandType& command, const CommandStateType& state);
// The item text as the menu shows it now: the project path after "&Project: ",
// "&%d " and the entry for recent and Edit file items (empty for a free slot).
std::string CommandText(const CommandType& command, const CommandStateType& state);

// The toolbar, left to right; 0 stands for a separator.
std::vector<int> ToolbarLayout();
struct MenuEntryType
{
    enum Kind
    {
        kCommand,
        kSeparator,
        kSubmenu,
    } kind;
    int id;         // kCommand
    MenuId submenu; // kSubmenu
};

// One menu's items in order, with its separators and submenus.
std::vector<MenuEntryType> MenuLayout(MenuId menu, bool shortMenu);
// The menus shown while no document is open, and at other times.
std::vector<MenuId> MenuBar(bool shortMenu);
// The command a key sequence (portable text) acts on: the first that binds it.
int CommandOfKey(const std::string& key);
