#include "app/commands.h"

#include <algorithm>

#include "common/text_util.h"

namespace {

using S = CommandStateType;

// The enable rules, named after what they say.
bool Always(const S&, int)
{
    return true;
}
bool AnyWindow(const S& s, int)
{
    return s.activeKind.has_value();
}
bool Source(const S& s, int)
{
    return s.SourceActive();
}
// Print and Print Preview: tool views disable them.
bool Printable(const S& s, int)
{
    return s.SourceActive();
}
bool NamedWorkspace(const S& s, int)
{
    return !s.defaultWorkspace;
}
bool RecentFile(const S& s, int slot)
{
    return !s.recentFiles[static_cast<size_t>(slot)].empty();
}
bool RecentWorkspace(const S& s, int slot)
{
    return !s.recentWorkspaces[static_cast<size_t>(slot)].empty();
}
bool EditFile(const S& s, int slot)
{
    return static_cast<size_t>(slot) < s.openFiles.size();
}
bool CanUndo(const S& s, int)
{
    return s.SourceActive() && s.canUndo;
}
bool CanRedo(const S& s, int)
{
    return s.SourceActive() && s.canRedo;
}
bool Selection(const S& s, int)
{
    return s.SourceActive() && s.hasSelection;
}
bool CanPaste(const S& s, int)
{
    return s.SourceActive() && s.clipboardHasText;
}
bool NoBuildOrSearch(const S& s, int)
{
    return !s.busy.assembling && !s.busy.searching;
}
bool CanAssemble(const S& s, int)
{
    return s.SourceActive() && !s.busy.assembling && !s.busy.running && !s.busy.searching;
}
bool CanBuild(const S& s, int)
{
    return !s.busy.assembling && !s.busy.running && !s.busy.searching && !s.projectPath.empty();
}
bool Assembling(const S& s, int)
{
    return s.busy.assembling;
}
bool ProjectSet(const S& s, int)
{
    return !s.projectPath.empty();
}
bool CanStart(const S& s, int)
{
    return s.CanStart();
}
bool Halted(const S& s, int)
{
    return s.halted;
}
bool Simulating(const S& s, int)
{
    return s.busy.simulating;
}
bool HaltedOrCanStart(const S& s, int)
{
    return s.halted || s.CanStart();
}
bool Executing(const S& s, int)
{
    return s.busy.running;
}
bool CanStepOut(const S& s, int)
{
    return s.halted && !s.returnAtPc;
}
bool SourceAndHalted(const S& s, int)
{
    return s.SourceActive() && s.halted;
}
bool SourceAndSimulating(const S& s, int)
{
    return s.SourceActive() && s.busy.simulating;
}
bool CanRemoveBreakpoints(const S& s, int)
{
    return s.SourceActive() && s.busy.simulating && s.breakpointsExist;
}
bool CanDownload(const S& s, int)
{
    return !s.busy.running && !s.busy.assembling && s.busy.assemblyGood;
}
bool LinkClosed(const S& s, int)
{
    return !s.busy.linkOpen;
}
bool LinkOpen(const S& s, int)
{
    return s.busy.linkOpen;
}
bool RadixLine(const S& s, int)
{
    return s.radixView && s.lineSelected;
}
bool DumpActive(const S& s, int)
{
    return s.activeKind == WindowKind::kDump;
}
bool ToolbarShown(const S& s, int)
{
    return s.toolbarVisible;
}
bool StatusBarShown(const S& s, int)
{
    return s.statusBarVisible;
}
bool CoverageShown(const S& s, int)
{
    return s.coverageDisplay;
}

constexpr std::array<const char*, 2> kNoKeys{nullptr, nullptr};

struct RowBuilder
{
    std::vector<CommandType> rows;

    CommandType& Add(int id, const char* name, MenuId menu, const char* text, const char* keyText,
                     std::array<const char*, 2> keys, const char* prompt, const char* tooltip,
                     CommandRule enabled)
    {
        rows.push_back(CommandType{id, name, menu, text, keyText, keys, -1, false, false, prompt,
                                   tooltip, "", enabled, nullptr, -1});
        return rows.back();
    }
};

CommandType& Sep(CommandType& row)
{
    row.separatorBefore = true;
    return row;
}
CommandType& Short(CommandType& row)
{
    row.inShortMenu = true;
    return row;
}
CommandType& Icon(CommandType& row, const char* icon)
{
    row.icon = icon;
    return row;
}

// The toolbar's order; 0 is a separator.
constexpr int kToolbarOrder[] = {
    cmd::kNew,
    cmd::kOpen,
    cmd::kSave,
    cmd::kSaveAll,
    0,
    cmd::kCut,
    cmd::kCopy,
    cmd::kPaste,
    0,
    cmd::kFindInFiles,
    0,
    cmd::kAssemble,
    cmd::kBuild,
    0,
    cmd::kDownload,
    cmd::kMonitorStop,
    0,
    cmd::kAddWatch,
    0,
    cmd::kStepInto,
    cmd::kStepOver,
    cmd::kStepOut,
    cmd::kRunToCursor,
    0,
    cmd::kContinue,
    cmd::kToggleBreakPoint,
    0,
    cmd::kRestart,
    cmd::kStopSimulator,
    cmd::kBreak,
    0,
    cmd::kArrangeWindows,
    0,
    cmd::kAbout,
    cmd::kContextHelp,
};

std::vector<CommandType> BuildTable()
{
    using M = MenuId;
    RowBuilder b;
    // --- File ---
    Icon(Short(b.Add(cmd::kNew, "file.new", M::kFile, "&New", "Ctrl+N", {"Ctrl+N"},
                     "Create a new document", "New", Always)),
         "new");
    Icon(Short(b.Add(cmd::kOpen, "file.open", M::kFile, "&Open...", "Ctrl+O", {"Ctrl+O"},
                     "Open an existing document", "Open", Always)),
         "open");
    b.Add(cmd::kClose, "file.close", M::kFile, "&Close", "", kNoKeys, "Close the active document",
          "Close", AnyWindow);
    Sep(Short(b.Add(cmd::kOpenWorkspace, "file.openWorkspace", M::kFile, "Open &Workspace", "",
                    kNoKeys, "Open a workspace file", "Open Workspace", Always)));
    Short(b.Add(cmd::kSaveWorkspace, "file.saveWorkspace", M::kFile, "Sa&ve Workspace", "", kNoKeys,
                "Save the workspace: project, options and windows", "Save Workspace", Always));
    Short(b.Add(cmd::kCloseWorkspace, "file.closeWorkspace", M::kFile, "Close Wor&kspace", "",
                kNoKeys, "Close the workspace and return to the default workspace",
                "Close Workspace", NamedWorkspace));
    Icon(Sep(b.Add(cmd::kSave, "file.save", M::kFile, "&Save", "Ctrl+S", {"Ctrl+S"},
                   "Save the active document", "Save", Source)),
         "save");
    b.Add(cmd::kSaveAs, "file.saveAs", M::kFile, "Save &As...", "", kNoKeys,
          "Save the active document with a new name", "Save As", Source);
    Icon(b.Add(cmd::kSaveAll, "file.saveAll", M::kFile, "Save A&ll", "", kNoKeys,
               "Save all modified source files", "Save All", Always),
         "saveall");
    Sep(b.Add(cmd::kPrint, "file.print", M::kFile, "&Print...", "Ctrl+P", {"Ctrl+P"},
              "Print the active document", "Print", Printable));
    b.Add(cmd::kPrintPreview, "file.printPreview", M::kFile, "Print Preview", "", kNoKeys,
          "Display full pages", "Print Preview", Printable);
    Short(b.Add(cmd::kPrintSetup, "file.printSetup", M::kFile, "P&rint Setup...", "", kNoKeys,
                "Change the printer and printing options", "Print Setup", Always));
    for (int slot = 0; slot < 4; ++slot) {
        CommandType& row = Short(b.Add(cmd::kRecentFiles[static_cast<size_t>(slot)],
                                       "file.recentFile", M::kRecentFiles, "Recent File", "",
                                       kNoKeys, "Open this document", "Recent File", RecentFile));
        row.slot = slot;
        row.separatorBefore = slot == 0;
    }
    for (int slot = 0; slot < 4; ++slot) {
        CommandType& row =
            Short(b.Add(cmd::kRecentWorkspaces[static_cast<size_t>(slot)], "file.recentWorkspace",
                        M::kRecentWorkspaces, "Recent Workspace", "", kNoKeys,
                        "Open this workspace", "Recent Workspace", RecentWorkspace));
        row.slot = slot;
    }
    Sep(Short(b.Add(cmd::kExit, "file.exit", M::kFile, "E&xit", "", kNoKeys,
                    "Quit the application; prompts to save documents", "Exit", Always)));

    // --- Edit ---
    b.Add(cmd::kUndo, "edit.undo", M::kEdit, "&Undo", "Ctrl+Z", {"Ctrl+Z", "Alt+Backspace"},
          "Undo the last action", "Undo", CanUndo);
    b.Add(cmd::kRedo, "edit.redo", M::kEdit, "&Redo", "Ctrl+Y", {"Ctrl+Y"},
          "Redo the previously undone action", "Redo", CanRedo);
    Icon(Sep(b.Add(cmd::kCut, "edit.cut", M::kEdit, "Cu&t", "Ctrl+X", {"Ctrl+X", "Shift+Del"},
                   "Cut the selection and put it on the Clipboard", "Cut", Selection)),
         "cut");
    Icon(b.Add(cmd::kCopy, "edit.copy", M::kEdit, "&Copy", "Ctrl+C", {"Ctrl+C", "Ctrl+Ins"},
               "Copy the selection and put it on the Clipboard", "Copy", Selection),
         "copy");
    Icon(b.Add(cmd::kPaste, "edit.paste", M::kEdit, "&Paste", "Ctrl+V", {"Ctrl+V", "Shift+Ins"},
               "Insert Clipboard contents", "Paste", CanPaste),
         "paste");
    Sep(b.Add(cmd::kFind, "edit.find", M::kEdit, "&Find", "Ctrl+F", {"Ctrl+F"},
              "Find the specified text", "Find", Source));
    Icon(b.Add(cmd::kFindInFiles, "edit.findInFiles", M::kEdit, "F&ind in Files", "", kNoKeys,
               "Search for text in the files of a folder", "Find in Files", NoBuildOrSearch),
         "findinfiles");
    b.Add(cmd::kReplace, "edit.replace", M::kEdit, "R&eplace", "", kNoKeys,
          "Replace specific text with different text", "Replace", Source);

    // --- View ---
    b.Add(cmd::kToolbar, "view.toolbar", M::kView, "&Toolbar", "", kNoKeys,
          "Show or hide the toolbar", "Toggle ToolBar", Always)
        .checked = ToolbarShown;
    b.Add(cmd::kStatusBar, "view.statusBar", M::kView, "Status &Bar", "", kNoKeys,
          "Show or hide the status bar", "Toggle StatusBar", Always)
        .checked = StatusBarShown;
    Short(b.rows[b.rows.size() - 2]);
    Short(b.rows.back());
    Sep(b.Add(cmd::kViewOutput, "view.output", M::kView, "&Output", "", kNoKeys,
              "Open an output window", "Output", Always));
    b.Add(cmd::kViewDump, "view.dump", M::kView, "D&ump", "", kNoKeys,
          "Open a window on the text the board sends", "Dump", Always);
    b.Add(cmd::kViewRegisters, "view.registers", M::kView, "&Registers", "", kNoKeys,
          "Open a register window", "Registers", Always);
    b.Add(cmd::kViewControlRegisters, "view.controlRegisters", M::kView, "&Control Registers", "",
          kNoKeys, "Open a control register window", "Control Registers", Always);
    b.Add(cmd::kViewPorts, "view.ports", M::kView, "&Ports", "", kNoKeys, "Open a port window",
          "Ports", Always);
    b.Add(cmd::kViewDirectMemory, "view.directMemory", M::kView, "&Direct Memory", "", kNoKeys,
          "Open a window on the direct address space", "Direct Memory", Always);
    b.Add(cmd::kViewInternalMemory, "view.internalMemory", M::kView, "&Internal Memory", "",
          kNoKeys, "Open a window on the internal RAM", "Internal Memory", Always);
    b.Add(cmd::kViewExternalMemory, "view.externalMemory", M::kView, "&External Memory", "",
          kNoKeys, "Open a window on the external RAM", "External Memory", Always);
    b.Add(cmd::kViewWatch, "view.watch", M::kView, "&Watch Window", "", kNoKeys,
          "Open a watch window", "Watch Window", Always);
    b.Add(cmd::kViewStack, "view.stack", M::kView, "&Stack", "", kNoKeys,
          "Open a window on the stack and the calls it returns to", "Stack", Always);
    b.Add(cmd::kViewSerial, "view.serial", M::kView, "Seria&l", "", kNoKeys,
          "Open a window on the serial line: what the program sends, and a line to send it",
          "Serial", Always);
    Sep(b.Add(cmd::kVirtualButton, "view.virtualButton", M::kVirtual, "Button", "", kNoKeys,
              "Create a virtual push button that drives a port pin or memory bit", "Button",
              Always));

    // --- Assemble ---
    Icon(b.Add(cmd::kAssemble, "assemble.assemble", M::kAssemble, "&Assemble", "Ctrl+F7",
               {"Ctrl+F7"}, "Assemble active file or project", "Assemble (Ctrl+F7)", CanAssemble),
         "assemble");
    Icon(b.Add(cmd::kBuild, "assemble.build", M::kAssemble, "&Build", "F7", {"F7"},
               "Assemble the project file", "Build (F7)", CanBuild),
         "build");
    b.Add(cmd::kStopAssembly, "assemble.stop", M::kAssemble, "&Stop", "", kNoKeys, "Stop assembler",
          "Stop", Assembling);
    Sep(b.Add(cmd::kProject, "assemble.project", M::kAssemble, "&Project:", "", kNoKeys,
              "Specify primary project file", "Project", Always));
    b.Add(cmd::kCloseProject, "assemble.closeProject", M::kAssemble, "&Close Project", "", kNoKeys,
          "Forget the primary project file", "Close Project", ProjectSet);

    // --- Simulate ---
    b.Add(cmd::kStartSimulator, "simulate.start", M::kSimulate, "&Start Simulator", "Ctrl+F5",
          {"Ctrl+F5"}, "Load the assembled program into the simulator", "Start Simulator",
          CanStart);
    Icon(b.Add(cmd::kRestart, "simulate.restart", M::kSimulate, "R&estart", "Crtl+Shift+F5",
               {"Ctrl+Shift+F5"}, "Reset the processor and start the program again", "Restart",
               Halted),
         "restart");
    Icon(b.Add(cmd::kStopSimulator, "simulate.stop", M::kSimulate, "S&top", "Shift+F5",
               {"Shift+F5"}, "End the simulation", "Stop Simulation", Simulating),
         "stop");
    Icon(Sep(b.Add(cmd::kContinue, "simulate.continue", M::kSimulate, "&Continue", "F5", {"F5"},
                   "Run the program until a break point, Break or the cursor line", "Continue (F5)",
                   HaltedOrCanStart)),
         "continue");
    Icon(b.Add(cmd::kBreak, "simulate.break", M::kSimulate, "&Break", "Ctrl+F9",
               {"Ctrl+F9", "Ctrl+Pause"}, "Stop the running program at the next instruction",
               "Break (Ctrl+F9)", Executing),
         "break");
    b.Add(cmd::kSoftBreak, "simulate.softBreak", M::kSimulate, "Soft Break", "Shift+F9",
          {"Shift+F9"},
          "When code execution reaches this line simulation windows are updated without stopping "
          "program execution",
          "Soft Break", SourceAndSimulating);
    Icon(Sep(b.Add(cmd::kStepInto, "simulate.stepInto", M::kSimulate, "Step &Into", "F11", {"F11"},
                   "Execute one instruction, entering subroutines", "Step Into (F11)",
                   HaltedOrCanStart)),
         "stepinto");
    Icon(b.Add(cmd::kStepOver, "simulate.stepOver", M::kSimulate, "Step &Over", "F10", {"F10"},
               "Execute one instruction, running subroutine calls to their return",
               "Step Over (F10)", HaltedOrCanStart),
         "stepover");
    Icon(b.Add(cmd::kStepOut, "simulate.stepOut", M::kSimulate, "Step O&ut", "Shift+F11",
               {"Shift+F11"}, "Run to the return of the current subroutine", "Step Out (Shift+F11)",
               CanStepOut),
         "stepout");
    Icon(b.Add(cmd::kRunToCursor, "simulate.runToCursor", M::kSimulate, "&Run to Cursor",
               "Ctrl+F10", {"Ctrl+F10"}, "Run the program to the line of the cursor",
               "Run to Cursor (Ctrl+F10)", SourceAndHalted),
         "runtocursor");
    Icon(Sep(b.Add(cmd::kToggleBreakPoint, "simulate.toggleBreakPoint", M::kSimulate,
                   "Toggle Break &Point", "F9", {"F9"},
                   "Set or remove a break point at the line of the cursor",
                   "Toggle Break Point (F9)", SourceAndSimulating)),
         "breakpoint");
    b.Add(cmd::kRemoveAllBreakPoints, "simulate.removeAllBreakPoints", M::kSimulate,
          "Remove &All Break Points", "", kNoKeys, "Remove every break point",
          "Remove All Break Points", CanRemoveBreakpoints);
    Sep(b.Add(cmd::kShowCoverage, "simulate.showCoverage", M::kCoverage, "&Show Coverage", "",
              kNoKeys, "Mark the source lines the program has not executed", "Show Coverage",
              Always))
        .checked = CoverageShown;
    b.Add(cmd::kResetCoverage, "simulate.resetCoverage", M::kCoverage, "&Reset Coverage", "",
          kNoKeys, "Clear the execution counts", "Reset Coverage", Always);
    b.Add(cmd::kCoverageReport, "simulate.coverageReport", M::kCoverage,
          "&Create Coverage Report...", "", kNoKeys,
          "Write the execution count of every executed address to a report file",
          "Create Coverage Report", Always);
    Icon(b.Add(cmd::kAddWatch, "simulate.addWatch", M::kNone, "Add Watch", "", kNoKeys,
               "Add the word at the cursor to the watch window", "Add Watch", Source),
         "addwatch");

    // --- Monitor ---
    Icon(b.Add(cmd::kDownload, "monitor.download", M::kMonitor, "&Download", "F8", {"F8"},
               "Transfer assembled program code to developement board", "Download", CanDownload),
         "download");
    Sep(b.Add(cmd::kMonitorStart, "monitor.start", M::kMonitor, "&Start", "", kNoKeys,
              "Open the link to the board and show what it sends", "Start Monitor", LinkClosed));
    b.Add(cmd::kMonitorReset, "monitor.reset", M::kMonitor, "&Reset", "", kNoKeys,
          "Reset the board", "Reset Board", LinkOpen);
    Icon(b.Add(cmd::kMonitorStop, "monitor.stop", M::kMonitor, "S&top", "", kNoKeys,
               "Close the link to the board", "Stop Monitor", LinkOpen),
         "monitorstop");

    // --- Options ---
    b.Add(cmd::kDefaults, "options.defaults", M::kOptions, "&Defaults", "", kNoKeys,
          "Font size, tab size, default radix, processor type and output files", "Defaults",
          Always);
    b.Add(cmd::kSimulatorOptions, "options.simulator", M::kOptions, "&Simulator", "", kNoKeys,
          "Paged memory, processor variant and automatic window updates", "Simulator Options",
          Always);

    // --- Window ---
    b.Add(cmd::kNewWindow, "window.newWindow", M::kWindow, "&New Window", "", kNoKeys,
          "Open another window for the active document", "New Window", AnyWindow);
    b.Add(cmd::kCascade, "window.cascade", M::kWindow, "&Cascade", "", kNoKeys,
          "Arrange windows so they overlap", "Cascade Windows", Always);
    b.Add(cmd::kTile, "window.tile", M::kWindow, "&Tile", "", kNoKeys,
          "Arrange windows as non-overlapping tiles", "Tile Windows", Always);
    b.Add(cmd::kArrangeIcons, "window.arrangeIcons", M::kWindow, "&Arrange Icons", "", kNoKeys,
          "Arrange icons at the bottom of the window", "Arrange Icons", Always);
    Icon(b.Add(cmd::kArrangeWindows, "window.arrangeWindows", M::kWindow, "Arrange Windows", "",
               kNoKeys, "Positions windows on screen based on type", "Arrange Windows", Always),
         "arrange");
    for (int slot = 0; slot < static_cast<int>(cmd::kEditFiles.size()); ++slot) {
        CommandType& row =
            b.Add(cmd::kEditFiles[static_cast<size_t>(slot)], "window.editFile", M::kWindow,
                  "Edit file", "", kNoKeys, "Activate this source window", "Edit file", EditFile);
        row.slot = slot;
        row.separatorBefore = slot == 0;
    }

    // --- Help ---
    Short(b.Add(cmd::kHelpTopics, "help.topics", M::kHelp, "&Help Topics", "", kNoKeys,
                "List Help topics", "Help Topics", Always));
    Icon(Sep(Short(b.Add(cmd::kAbout, "help.about", M::kHelp, "&About 8051...", "", kNoKeys,
                         "Display program information, version number and copyright", "About",
                         Always))),
         "about");

    // --- keys and buttons without a menu item ---
    b.Add(cmd::kHelp, "help.help", M::kNone, "Help", "F1", {"F1"},
          "Display help for the current task or command", "Help", Always);
    Icon(b.Add(cmd::kContextHelp, "help.whatsThis", M::kNone, "What's This?", "Shift+F1",
               {"Shift+F1"}, "Display help for clicked on buttons, menus and windows",
               "Help (Shift+F1)", Always),
         "contexthelp");
    b.Add(cmd::kNextPane, "window.nextPane", M::kNone, "Next Pane", "F6", {"F6"},
          "Switch to the next window", "Next Pane", AnyWindow);
    b.Add(cmd::kPrevPane, "window.prevPane", M::kNone, "Previous Pane", "Shift+F6", {"Shift+F6"},
          "Switch back to the previous window", "Previous Pane", AnyWindow);
    const char* radixNames[] = {"Default", "Decimal", "Hexadecimal", "ASCII", "Binary"};
    for (int code = 0; code < 5; ++code) {
        CommandType& row =
            b.Add(cmd::kRadixDefault + code, "view.radix", M::kNone, radixNames[code], "", kNoKeys,
                  "Display the selected line in this radix", radixNames[code], RadixLine);
        row.slot = code;
    }
    b.Add(cmd::kClearDump, "dump.clear", M::kNone, "Clear", "", kNoKeys,
          "Clear the text the board sent", "Clear", DumpActive);

    // Toolbar positions and the separators in front of buttons.
    int position = 0;
    bool gap = false;
    for (int id : kToolbarOrder) {
        if (id == 0) {
            gap = true;
            continue;
        }
        auto row = std::find_if(b.rows.begin(), b.rows.end(),
                                [id](const CommandType& c) { return c.id == id; });
        row->toolbarPosition = position++;
        if (gap && row->menu == MenuId::kNone) {
            row->separatorBefore = true;
        }
        gap = false;
    }
    return std::move(b.rows);
}

const std::vector<CommandType>& Table()
{
    static const std::vector<CommandType> table = BuildTable();
    return table;
}

} // namespace

std::span<const CommandType> Commands()
{
    return Table();
}

const CommandType* FindCommand(int id)
{
    for (const CommandType& command : Table()) {
        if (command.id == id) {
            return &command;
        }
    }
    return nullptr;
}

bool CommandEnabled(const CommandType& command, const CommandStateType& state)
{
    return command.enabled(state, command.slot);
}

bool CommandChecked(const CommandType& command, const CommandStateType& state)
{
    return command.checked != nullptr && command.checked(state, command.slot);
}

std::string CommandText(const CommandType& command, const CommandStateType& state)
{
    const auto numbered = [&](const std::string& entry) {
        return entry.empty() ? std::string() : StrFormat("&%d ", command.slot + 1) + entry;
    };
    const auto slot = static_cast<size_t>(command.slot);
    switch (command.menu) {
    case MenuId::kRecentFiles:
        return numbered(state.recentFiles[slot]);
    case MenuId::kRecentWorkspaces:
        return numbered(state.recentWorkspaces[slot]);
    default:
        break;
    }
    if (command.id == cmd::kProject) {
        return "&Project: " + state.projectPath;
    }
    if (command.slot >= 0 && command.menu == MenuId::kWindow) {
        return numbered(slot < state.openFiles.size() ? state.openFiles[slot] : std::string());
    }
    return command.text;
}

std::vector<int> ToolbarLayout()
{
    std::vector<int> layout(std::begin(kToolbarOrder), std::end(kToolbarOrder));
    return layout;
}

std::vector<MenuEntryType> MenuLayout(MenuId menu, bool shortMenu)
{
    const auto parentOf = [](MenuId id) {
        for (const MenuInfoType& info : kMenus) {
            if (info.id == id) {
                return info.parent;
            }
        }
        return MenuId::kNone;
    };
    std::vector<MenuEntryType> layout;
    std::vector<MenuId> placed;
    bool separator = false; // owed by a row the short menu leaves out
    for (const CommandType& command : Table()) {
        if (shortMenu && !command.inShortMenu) {
            separator = separator || (command.menu == menu && command.separatorBefore);
            continue;
        }
        MenuEntryType entry;
        if (command.menu == menu) {
            entry = {MenuEntryType::kCommand, command.id, MenuId::kNone};
        } else if (command.menu != MenuId::kNone && parentOf(command.menu) == menu &&
                   std::find(placed.begin(), placed.end(), command.menu) == placed.end()) {
            // A submenu stands where its first item would.
            placed.push_back(command.menu);
            entry = {MenuEntryType::kSubmenu, 0, command.menu};
        } else {
            continue;
        }
        if ((separator || command.separatorBefore) && !layout.empty()) {
            layout.push_back({MenuEntryType::kSeparator, 0, MenuId::kNone});
        }
        separator = false;
        layout.push_back(entry);
    }
    return layout;
}

std::vector<MenuId> MenuBar(bool shortMenu)
{
    std::vector<MenuId> bar;
    for (const MenuInfoType& menu : kMenus) {
        if (menu.parent != MenuId::kNone) {
            continue;
        }
        const bool inShort =
            menu.id == MenuId::kFile || menu.id == MenuId::kView || menu.id == MenuId::kHelp;
        if (!shortMenu || inShort) {
            bar.push_back(menu.id);
        }
    }
    return bar;
}

int CommandOfKey(const std::string& key)
{
    for (const CommandType& command : Table()) {
        for (const char* bound : command.keys) {
            if (bound != nullptr && key == bound) {
                return command.id;
            }
        }
    }
    return 0;
}
