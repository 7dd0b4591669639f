#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "app/app_state.h"
#include "app/busy_state.h"
#include "app/global_options.h"
#include "app/open_file_list.h"
#include "app/window_host.h"
#include "app/workspace_simulator.h"
#include "common/message_sink.h"
#include "common/settings_store.h"

// The application's state without its windows: options, recent and open-file
// lists, the workspace in use and its files. The shell owns one, hands it
// its services and drives it from its commands.
class CAppModel
{
public:
    static constexpr const char* kSaveFailedMessage = "Unable to open file to save workspace into.";
    static constexpr const char* kDefaultWorkspaceName = "DEFAULT.WSP";
    static constexpr const char* kRadixFileName = "RADIX.DAT";
    static constexpr const char* kWatchFileName = "WATCH.DAT";
    static constexpr const char* kControlAddressMessage =
        "Paged memory control address must be between 0 and 255 inclusive.";

    // The options are the engines' (CEngines owns them); the model fills and
    // stores them.
    CAppModel(GlobalOptions& options, ISettingsStore& store, IWindowHost& windows,
              IWorkspaceSimulator& simulator, ILinkControl& link, IMessageSink& messages);

    GlobalOptions& Options() { return options_; }
    const GlobalOptions& Options() const { return options_; }
    AppStateType& State() { return state_; }
    const AppStateType& State() const { return state_; }
    COpenFileList& OpenFileList() { return openFiles_; }
    const COpenFileList& OpenFileList() const { return openFiles_; }

    // Start-up: the settings, then (after the main window exists) the last
    // workspace and the radix table.
    void LoadSettings();
    void LoadLastWorkspace();
    void ReadRadixFile();
    void WriteRadixFile();

    std::filesystem::path WorkspaceDirectory() const;
    std::filesystem::path DefaultWorkspacePath() const;
    std::filesystem::path RadixFilePath() const { return WorkspaceDirectory() / kRadixFileName; }
    std::filesystem::path WatchFilePath() const { return WorkspaceDirectory() / kWatchFileName; }

    // False when the file could not be opened; nothing has changed then.
    bool LoadWorkspace(const std::string& path);
    // Replaces the file only when the whole new text was written; on failure
    // the old file stays and the user is told.
    bool SaveWorkspace(const std::string& path);
    // False when the user kept a document open by cancelling.
    bool OpenWorkspaceFile(const std::string& path);

    // Commands.
    void OpenWorkspaceCommand(const std::string& path);
    void OpenRecentWorkspace(int slot);
    // askName is the Save As dialog: nothing when the user cancels.
    void SaveWorkspaceCommand(const std::function<std::optional<std::string>()>& askName);
    bool CanCloseWorkspace() const { return !state_.defaultWorkspace; }
    void CloseWorkspace();
    void AddToRecentList(const std::string& path, bool isWorkspace);
    void SetProjectPath(const std::string& path);
    void CloseProject() { SetProjectPath(""); }
    void ToggleCoverageDisplay();
    // Before a simulation starts, and after a workspace load.
    void HandSimulatorSetup();
    // OK of the Simulator Options dialog: a control address outside 0-255
    // is refused with a message and paging switched off, the pages index is
    // clamped, the simulator gets the values at once and the two update
    // settings are stored.
    void ApplySimulatorOptions(const SimulationOptionsType& values);

    // Shutdown, before the documents are offered for saving.
    void SaveStateAtExit();

    // The main window caption: workspace name without directory and
    // extension, " - ", then text.
    std::string MainTitle(const std::string& text) const;

private:
    void SaveModifiedState();
    void ApplyWorkspace(const WorkspaceContentType& content);
    // The workspace as it is now; remembers each window kind's placement.
    WorkspaceContentType CollectWorkspace();
    // The options a workspace carries, as they stand now (no project, no windows).
    WorkspaceContentType CurrentSettings() const;

    ISettingsStore& store_;
    IWindowHost& windows_;
    IWorkspaceSimulator& simulator_;
    ILinkControl& link_;
    IMessageSink& messages_;

    GlobalOptions& options_;
    AppStateType state_;
    COpenFileList openFiles_;
};

// The directory part of a path: everything before its last separator (a
// backslash counts as one); the current directory when there is none.
std::string DirectoryPart(const std::string& path);
