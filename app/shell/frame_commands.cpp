// What each command does. Enable rules live in the command table; a command
// arrives here only while its action is enabled.
#include <QApplication>
#include <QMdiArea>
#include <QStatusBar>
#include <QTextBrowser>
#include <QToolBar>
#include <QWhatsThis>

#include "app/engines.h"
#include "app/shell/child_frame.h"
#include "app/shell/dialogs.h"
#include "app/shell/help_window.h"
#include "app/shell/main_frame.h"
#include "app/shell/recovery_keeper.h"
#include "app/shell/shell_services.h"
#include "app/shell/view_factory.h"
#include "app/source_document.h"
#include "editor/ui/editor_view.h"
#include "editor/ui/find_in_files_dialog.h"
#include "link/board_link_controller.h"
#include "views/tool_views.h"

namespace {

constexpr const char* kOpenFilter =
    "Assemler Files (*.a51)|*.a51|Project Files (*.p51)|*.p51|All Files (*.*)|*.*||";
constexpr const char* kWorkspaceFilter = "Workspace Files (*.wsp)|*.wsp|All Files (*.*)|*.*||";
constexpr const char* kProjectFilter = "Project Files (*.p51)|*.p51|All Files (*.*)|*.*||";

// The commands the active view carries out itself.
bool IsViewCommand(int id)
{
    switch (id) {
    case cmd::kUndo:
    case cmd::kRedo:
    case cmd::kCut:
    case cmd::kCopy:
    case cmd::kPaste:
    case cmd::kFind:
    case cmd::kReplace:
    case cmd::kPrint:
    case cmd::kPrintPreview:
    case cmd::kClearDump:
        return true;
    default:
        return id >= cmd::kRadixDefault && id <= cmd::kRadixBinary;
    }
}

template <size_t N> int SlotOf(const std::array<int, N>& ids, int id)
{
    for (size_t i = 0; i < N; ++i) {
        if (ids[i] == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::optional<WindowKind> KindOfViewCommand(int id)
{
    switch (id) {
    case cmd::kViewOutput:
        return WindowKind::kOutput;
    case cmd::kViewDump:
        return WindowKind::kDump;
    case cmd::kViewRegisters:
        return WindowKind::kRegister;
    case cmd::kViewControlRegisters:
        return WindowKind::kConReg;
    case cmd::kViewPorts:
        return WindowKind::kPort;
    case cmd::kViewDirectMemory:
        return WindowKind::kDram;
    case cmd::kViewInternalMemory:
        return WindowKind::kIram;
    case cmd::kViewExternalMemory:
        return WindowKind::kXram;
    case cmd::kViewWatch:
        return WindowKind::kWatch;
    case cmd::kViewStack:
        return WindowKind::kStack;
    case cmd::kViewSerial:
        return WindowKind::kSerial;
    default:
        return std::nullopt;
    }
}

} // namespace

bool CMainFrame::RouteToView(int id)
{
    CChildFrame* active = ActiveChild();
    return active != nullptr && active->View() != nullptr && active->View()->HandleCommand(id);
}

void CMainFrame::OnCommand(int id)
{
    // Keys reach disabled commands only through a stale state: check again.
    const CommandType* command = FindCommand(id);
    if (command == nullptr || !CommandEnabled(*command, CurrentCommandState())) {
        return;
    }
    if (IsViewCommand(id)) {
        RouteToView(id);
    } else if (auto kind = KindOfViewCommand(id)) {
        ShowToolWindow(*kind);
    } else if (int slot = SlotOf(cmd::kRecentFiles, id); slot >= 0) {
        OpenRecentFile(slot);
    } else if (int slot = SlotOf(cmd::kRecentWorkspaces, id); slot >= 0) {
        engines_.WorkspaceSimulator().EndSimulation();
        model_.OpenRecentWorkspace(slot);
        RestoreButtonWindows();
    } else if (int slot = SlotOf(cmd::kEditFiles, id); slot >= 0) {
        EditFile(slot);
    } else {
        switch (id) {
        case cmd::kNew:
            NewSourceDocument();
            break;
        case cmd::kOpen:
            FileOpen();
            break;
        case cmd::kClose:
            if (CChildFrame* active = ActiveChild()) {
                if (active->Document() != nullptr) {
                    CloseDocument(active->Document());
                } else {
                    active->close();
                }
            }
            break;
        case cmd::kOpenWorkspace:
            OpenWorkspaceDialog();
            break;
        case cmd::kSaveWorkspace:
            SaveWorkspaceCommand();
            break;
        case cmd::kCloseWorkspace:
            model_.CloseWorkspace();
            RestoreButtonWindows();
            break;
        case cmd::kSave:
        case cmd::kSaveAs:
            if (CChildFrame* active = ActiveChild(); active && active->Document()) {
                if (id == cmd::kSave) {
                    SaveDocument(*active->Document());
                } else {
                    SaveDocumentAs(*active->Document(),
                                   "Source Files (*.a51)|*.a51|Project Files (*.p51)|*.p51|All "
                                   "Files (*.*)|*.*||",
                                   "a51");
                }
            }
            break;
        case cmd::kSaveAll:
            SaveModifiedSources();
            break;
        case cmd::kPrintSetup:
            PrintSetupDialog(this);
            break;
        case cmd::kExit:
            close();
            break;
        case cmd::kFindInFiles:
            FindInFiles();
            break;
        case cmd::kToolbar:
            toolBar_->setVisible(toolBar_->isHidden());
            break;
        case cmd::kStatusBar:
            statusBar()->setVisible(statusBar()->isHidden());
            break;
        case cmd::kVirtualButton:
            NewVirtualButton(*this, this);
            break;
        case cmd::kProject:
            ProjectDialog();
            break;
        case cmd::kCloseProject:
            model_.CloseProject();
            break;
        case cmd::kDefaults:
            DefaultSettingsDialog();
            break;
        case cmd::kSimulatorOptions:
            SimulatorOptionsDialog();
            break;
        case cmd::kNewWindow:
            NewWindow();
            break;
        case cmd::kCascade:
            mdiArea_->cascadeSubWindows();
            break;
        case cmd::kTile:
            mdiArea_->tileSubWindows();
            break;
        case cmd::kArrangeIcons:
            ArrangeIcons();
            break;
        case cmd::kArrangeWindows:
            ArrangeWindows();
            break;
        case cmd::kHelpTopics:
        case cmd::kHelp:
            ShowHelp();
            break;
        case cmd::kAbout:
            ShowAbout();
            break;
        case cmd::kContextHelp:
            QWhatsThis::enterWhatsThisMode();
            break;
        case cmd::kNextPane:
            mdiArea_->activateNextSubWindow();
            break;
        case cmd::kPrevPane:
            mdiArea_->activatePreviousSubWindow();
            break;
        case cmd::kDownload:
            link_->Download();
            break;
        case cmd::kMonitorStart:
            link_->Start();
            break;
        case cmd::kMonitorReset:
            link_->Reset();
            break;
        case cmd::kMonitorStop:
            link_->Stop();
            break;
        default:
            RunCommand(id);
            break;
        }
    }
    if (!closing_) {
        KickIdle();
        UpdateActions();
        UpdateStatusPanes();
    }
}

void CMainFrame::FileOpen()
{
    std::string directory;
    std::string title = "Open";
    if (!model_.State().workspacePath.empty()) {
        directory = model_.WorkspaceDirectory().string();
        title = "Default folder: " + directory;
    }
    if (auto path = dialogs_.OpenFileName(title, directory, kOpenFilter)) {
        OpenDroppedOrNamedFile(*path);
    }
}

void CMainFrame::OpenRecentFile(int slot)
{
    const std::string path = model_.State().recentFiles.Entry(slot);
    if (path.empty()) {
        return;
    }
    if (CSourceDocument* document = OpenSourceFile(path)) {
        model_.AddToRecentList(document->Path(), false);
    }
}

void CMainFrame::OpenWorkspaceDialog()
{
    if (auto path = dialogs_.OpenFileName("Open Workspace", model_.WorkspaceDirectory().string(),
                                          kWorkspaceFilter)) {
        model_.OpenWorkspaceCommand(*path);
        RestoreButtonWindows();
    }
}

void CMainFrame::SaveWorkspaceCommand()
{
    model_.SaveWorkspaceCommand([this]() -> std::optional<std::string> {
        return dialogs_.SaveFileName("Save Workspace", model_.WorkspaceDirectory().string(),
                                     kWorkspaceFilter, "wsp");
    });
    if (CChildFrame* active = ActiveChild()) {
        SetMainTitle(active->windowTitle().toStdString());
    }
}

void CMainFrame::EditFile(int slot)
{
    COpenFileList& list = model_.OpenFileList();
    if (static_cast<size_t>(slot) >= list.Size()) {
        return;
    }
    const QString title = QString::fromStdString(list.Titles()[static_cast<size_t>(slot)]);
    for (const auto& document : documents_) {
        if (QString::fromStdString(document->Title()).compare(title, Qt::CaseInsensitive) == 0) {
            ActivateChild(FirstViewOf(document.get()));
            list.MoveToFront(static_cast<size_t>(slot));
            return;
        }
    }
}

void CMainFrame::ProjectDialog()
{
    if (auto path = dialogs_.OpenFileName("Project", model_.WorkspaceDirectory().string(),
                                          kProjectFilter)) {
        model_.SetProjectPath(*path);
    }
}

void CMainFrame::DefaultSettingsDialog()
{
    CDefaultSettingsDlg dialog(FillDefaultSettings(store_, engines_.Options()), messages_, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    ApplyDefaultSettings(dialog.Values(), engines_.Options(), store_);
    recovery_->ApplySettings();
    UpdateAllWindows();
}

void CMainFrame::SimulatorOptionsDialog()
{
    CSimulatorOptionsDlg dialog(model_.State().simulation, messages_, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    model_.ApplySimulatorOptions(dialog.Values());
    UpdateAllWindows();
}

void CMainFrame::FindInFiles()
{
    if (!SaveModifiedSources()) {
        return;
    }
    CChildFrame* active = ActiveChild();
    const auto* source =
        active != nullptr ? dynamic_cast<const CEditorView*>(active->View()) : nullptr;
    const auto request = RunFindInFilesDialog(this, store_, source, model_.State().defaultFindDir);
    if (!request) {
        return;
    }
    // A search started from a source window makes its folder the new default.
    if (source != nullptr) {
        model_.State().defaultFindDir = request->folder;
    }
    StartFindInFiles(engines_, *request);
    RefreshOutputWindow();
}

void CMainFrame::RestoreButtonWindows()
{
    RestoreVirtualButtons(*this, this);
}

void CMainFrame::ShowHelp(const QString& topic)
{
    if (helpWindow_ == nullptr) {
        helpWindow_ = new CHelpWindow(this);
    }
    if (!topic.isEmpty()) {
        // Headings carry no anchors in the rendered manual: find the heading.
        QTextBrowser* browser = static_cast<CHelpWindow*>(helpWindow_)->Browser();
        browser->moveCursor(QTextCursor::Start);
        browser->find(topic);
    }
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
}

void CMainFrame::ShowAbout()
{
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMainFrame::NewWindow()
{
    CChildFrame* active = ActiveChild();
    if (active == nullptr) {
        return;
    }
    std::shared_ptr<CSourceDocument> document;
    for (const auto& open : documents_) {
        if (open.get() == active->Document()) {
            document = open;
        }
    }
    CreateChild(active->Kind(), document, RectType{});
}
