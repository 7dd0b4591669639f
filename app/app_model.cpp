#include "app/app_model.h"

#include <algorithm>
#include <system_error>

#include "common/settings_keys.h"

namespace {

std::string CurrentDirectory()
{
    std::error_code error;
    std::filesystem::path current = std::filesystem::current_path(error);
    return error ? std::string(".") : current.string();
}

} // namespace

std::string DirectoryPart(const std::string& path)
{
    size_t separator = path.find_last_of("/\\");
    if (separator == std::string::npos) {
        // A bare file name lies in the current directory, not in the root.
        return CurrentDirectory();
    }
    return separator == 0 ? path.substr(0, 1) : path.substr(0, separator);
}

CAppModel::CAppModel(GlobalOptions& options, ISettingsStore& store, IWindowHost& windows,
                     IWorkspaceSimulator& simulator, ILinkControl& link, IMessageSink& messages)
    : store_(store), windows_(windows), simulator_(simulator), link_(link), messages_(messages),
      options_(options)
{
    state_.defaultFindDir = CurrentDirectory();
}

void CAppModel::LoadSettings()
{
    ::LoadSettings(store_, options_, state_);
}

void CAppModel::ReadRadixFile()
{
    ::ReadRadixFile(RadixFilePath(), options_.radixTable);
}

void CAppModel::WriteRadixFile()
{
    ::WriteRadixFile(RadixFilePath(), options_.radixTable);
}

std::filesystem::path CAppModel::WorkspaceDirectory() const
{
    if (!state_.workspacePath.empty()) {
        return DirectoryPart(state_.workspacePath);
    }
    std::string appDirectory = ReadSetting(store_, settings::kAppDirectory);
    return appDirectory.empty() ? CurrentDirectory() : appDirectory;
}

std::filesystem::path CAppModel::DefaultWorkspacePath() const
{
    std::string appDirectory = ReadSetting(store_, settings::kAppDirectory);
    std::filesystem::path directory = appDirectory.empty() ? CurrentDirectory() : appDirectory;
    return directory / kDefaultWorkspaceName;
}

void CAppModel::AddToRecentList(const std::string& path, bool isWorkspace)
{
    // Copied: path may be an entry of the list being rewritten.
    std::string entry = path;
    (isWorkspace ? state_.recentWorkspaces : state_.recentFiles).Add(store_, entry);
}

void CAppModel::SetProjectPath(const std::string& path)
{
    state_.projectPath = path;
    WriteSetting(store_, settings::kProjectFile, path);
}

void CAppModel::ToggleCoverageDisplay()
{
    state_.coverageState = !state_.coverageState;
    WriteSetting(store_, settings::kCoverageState, state_.coverageState ? 1 : 0);
}

void CAppModel::HandSimulatorSetup()
{
    simulator_.SetSetup(SimulatorSetupFor(state_.simulation));
}

void CAppModel::ApplySimulatorOptions(const SimulationOptionsType& values)
{
    SimulationOptionsType& options = state_.simulation;
    options = values;
    if (options.controlAddress < 0 || options.controlAddress > 255) {
        messages_.ShowMessage(kControlAddressMessage, IMessageSink::Severity::kWarning);
        options.pagedMemory = 0;
    }
    options.memoryPages = std::clamp(options.memoryPages, 0, kMaxMemoryPagesIndex);
    HandSimulatorSetup();
    WriteSetting(store_, settings::kEnableAutoUpdate, options.autoUpdate);
    WriteSetting(store_, settings::kUpdateCount, options.updateCount);
}

void CAppModel::SaveModifiedState()
{
    simulator_.WriteWatchFile(WatchFilePath());
    WriteRadixFile();
}

void CAppModel::SaveStateAtExit()
{
    SaveModifiedState();
    if (!state_.workspacePath.empty()) {
        SaveWorkspace(state_.workspacePath);
    }
}

std::string CAppModel::MainTitle(const std::string& text) const
{
    std::string name = state_.workspacePath;
    size_t separator = name.find_last_of("/\\");
    if (separator != std::string::npos) {
        name.erase(0, separator + 1);
    }
    size_t dot = name.rfind('.');
    if (dot != std::string::npos) {
        name.erase(dot);
    }
    return name + " - " + text;
}
