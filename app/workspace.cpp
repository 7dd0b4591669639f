// The workspace in use: loading, saving and switching workspace files.
#include <fstream>
#include <system_error>

#include "app/app_model.h"
#include "common/settings_keys.h"

namespace {

// The process's current directory follows the workspace, so a relative
// workspace path would point elsewhere after the first load.
std::string AbsolutePath(const std::string& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error || path.empty() ? path : absolute.string();
}

// A workspace written by hand (or shipped with an example) may name its
// files relative to itself; they must not depend on the current directory.
void ResolveRelativePaths(WorkspaceContentType& content, const std::string& directory)
{
    const auto resolve = [&](std::string& path) {
        if (!path.empty() && std::filesystem::path(path).is_relative()) {
            path = (std::filesystem::path(directory) / path).lexically_normal().string();
        }
    };
    resolve(content.projectPath);
    for (WindowRecord& record : content.windows) {
        resolve(record.path);
    }
}

} // namespace

bool CAppModel::LoadWorkspace(const std::string& requestedPath)
{
    const std::string path = AbsolutePath(requestedPath);
    // Only a plain file: a directory reads as nothing, a pipe or device
    // could block the program.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    state_.coverageState = false;
    state_.simulation = SimulationOptionsType{};
    state_.defaultFindDir = DirectoryPart(path);
    state_.projectPath.clear();
    state_.workspaceLoading = true;
    // The buttons of the workspace left behind were saved with it; keeping
    // them would add them to this one at its next save.
    simulator_.ClearButtons();

    WorkspaceContentType content = ReadWorkspace(in, CurrentSettings());
    ResolveRelativePaths(content, DirectoryPart(path));
    ApplyWorkspace(content);
    in.close();
    state_.workspaceLoading = false;
    windows_.ActivateFirstSource();

    std::filesystem::current_path(DirectoryPart(path), error);
    ReadRadixFile();
    simulator_.ReadWatchFile(WatchFilePath());
    WriteSetting(store_, settings::kProjectFile, state_.projectPath);
    WriteSetting(store_, settings::kSectorSize, state_.sectorSize);
    WriteLoaderType(store_, state_.loaderType);
    if (link_.IsOpen()) {
        link_.Close();
    }
    HandSimulatorSetup();
    openFiles_.Rebuild(windows_.SourceTitles());
    return true;
}

void CAppModel::ApplyWorkspace(const WorkspaceContentType& content)
{
    state_.projectPath = content.projectPath;
    options_.processorType = content.processorType;
    state_.defaultFindDir = content.defaultFindDir;
    state_.sectorSize = content.sectorSize;
    state_.simulation = content.simulation;
    state_.loaderType = content.loaderType;
    for (const WindowRecord& record : content.windows) {
        const WindowKindInfoType* kind = FindKindByDocumentName(record.documentName);
        if (!record.documentName.empty() && kind != nullptr) {
            windows_.OpenWindow(kind->kind, record);
        }
    }
    for (const std::string& button : content.buttons) {
        simulator_.LoadButton(button);
    }
}

namespace {

// A workspace reached through a link is replaced where it really lies, so
// that the link survives the save.
std::filesystem::path SaveTarget(const std::string& path)
{
    std::error_code error;
    if (std::filesystem::is_symlink(path, error)) {
        std::filesystem::path target = std::filesystem::canonical(path, error);
        if (!error) {
            return target;
        }
    }
    return path;
}

bool ReplaceFile(const std::filesystem::path& temporary, const std::filesystem::path& target)
{
    std::error_code error;
    std::filesystem::file_status old = std::filesystem::status(target, error);
    if (!error && std::filesystem::exists(old)) {
        std::filesystem::permissions(temporary, old.permissions(), error);
    }
    std::filesystem::rename(temporary, target, error);
    return !error;
}

} // namespace

WorkspaceContentType CAppModel::CollectWorkspace()
{
    // The file always carries the connection choices currently stored.
    state_.sectorSize = ReadSetting(store_, settings::kSectorSize);
    state_.loaderType = ReadLoaderType(store_, state_.sectorSize);

    WorkspaceContentType content = CurrentSettings();
    content.projectPath = state_.projectPath;
    for (const IWindowHost::OpenWindowType& window : windows_.ListWindows()) {
        // Each kind's placement is remembered whenever a workspace is saved.
        const WindowKindInfoType* kind = FindKindByDocumentName(window.record.documentName);
        if (kind != nullptr) {
            RectType rect{window.record.left, window.record.top, window.record.right,
                          window.record.bottom};
            store_.WriteString(settings::kWindowPlacement, kind->placementName,
                               FormatChildPlacement(rect));
        }
        WriteSetting(store_, settings::kOpenClientMaximized, window.maximized ? 1 : 0);
        content.windows.push_back(window.record);
    }
    content.buttons = simulator_.ButtonValues();
    return content;
}

bool CAppModel::SaveWorkspace(const std::string& path)
{
    const std::filesystem::path target = SaveTarget(path);
    const std::filesystem::path temporary = target.string() + ".tmp";
    auto fail = [&](bool removeTemporary) {
        std::error_code error;
        if (removeTemporary) {
            std::filesystem::remove(temporary, error);
        }
        messages_.ShowMessage(kSaveFailedMessage, IMessageSink::Severity::kError);
        return false;
    };
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
        return fail(false);
    }
    const std::string text = FormatWorkspace(CollectWorkspace());
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (out.fail() || !ReplaceFile(temporary, target)) {
        return fail(true);
    }
    WriteRadixFile();
    simulator_.WriteWatchFile(WatchFilePath());
    return true;
}

bool CAppModel::OpenWorkspaceFile(const std::string& path)
{
    if (!state_.workspacePath.empty()) {
        SaveWorkspace(state_.workspacePath);
    }
    SaveModifiedState();
    // Closing regardless of a Cancel would lose the user's unsaved edits.
    if (!windows_.SaveModifiedAndCloseAll()) {
        return false;
    }
    state_.workspacePath = AbsolutePath(path);
    state_.defaultWorkspace = false;
    LoadWorkspace(state_.workspacePath);
    WriteSetting(store_, settings::kLastWorkspace, state_.workspacePath);
    return true;
}

void CAppModel::LoadLastWorkspace()
{
    std::string last = ReadSetting(store_, settings::kLastWorkspace);
    state_.defaultWorkspace = last.empty();
    state_.workspacePath = AbsolutePath(last.empty() ? DefaultWorkspacePath().string() : last);
    LoadWorkspace(state_.workspacePath);
}

void CAppModel::OpenWorkspaceCommand(const std::string& path)
{
    const std::string chosen = path;
    simulator_.EndSimulation();
    if (OpenWorkspaceFile(chosen)) {
        AddToRecentList(state_.workspacePath, true);
    }
}

void CAppModel::OpenRecentWorkspace(int slot)
{
    const std::string path = state_.recentWorkspaces.Entry(slot);
    if (!path.empty() && OpenWorkspaceFile(path)) {
        AddToRecentList(state_.workspacePath, true);
    }
}

void CAppModel::SaveWorkspaceCommand(const std::function<std::optional<std::string>()>& askName)
{
    if (!state_.defaultWorkspace && !state_.workspacePath.empty()) {
        SaveWorkspace(state_.workspacePath);
    } else {
        std::optional<std::string> name = askName();
        if (!name || name->empty()) {
            return;
        }
        // RADIX.DAT and WATCH.DAT follow the new name; a failed save keeps
        // the workspace that still exists.
        const std::string previous = state_.workspacePath;
        state_.workspacePath = AbsolutePath(*name);
        if (!SaveWorkspace(state_.workspacePath)) {
            state_.workspacePath = previous;
            return;
        }
    }
    WriteSetting(store_, settings::kLastWorkspace, state_.workspacePath);
    state_.defaultWorkspace = false;
}

void CAppModel::CloseWorkspace()
{
    if (!state_.workspacePath.empty()) {
        SaveWorkspace(state_.workspacePath);
    }
    SaveModifiedState();
    if (!windows_.SaveModifiedAndCloseAll()) {
        return;
    }
    simulator_.EndSimulation();
    state_.defaultWorkspace = true;
    state_.workspacePath = AbsolutePath(DefaultWorkspacePath().string());
    WriteSetting(store_, settings::kLastWorkspace, "");
    LoadWorkspace(state_.workspacePath);
}

WorkspaceContentType CAppModel::CurrentSettings() const
{
    WorkspaceContentType content;
    content.processorType = options_.processorType;
    content.defaultFindDir = state_.defaultFindDir;
    content.sectorSize = state_.sectorSize;
    content.simulation = state_.simulation;
    content.loaderType = state_.loaderType;
    return content;
}
