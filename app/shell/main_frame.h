#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QTimer>
#include <QUrl>

#include "app/app_model.h"
#include "app/commands.h"
#include "app/view_host.h"
#include "app/window_host.h"
#include "link/monitor_target.h"

class CBoardLinkController;
class CBoardLinkUi;
class CChildFrame;
class CEngines;
class CRecoveryKeeper;
struct RecoveryEntryType;
class CSourceDocument;
class IShellDialogs;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;

// The main window: a multiple-document frame whose menus, toolbar, keys and
// enable states all come from the command table. It is the application's
// window host (workspaces open and list windows through it) and the host
// every view asks for the application's services, and the board monitor's
// host (a board that stops shows its state in the simulator's windows).
class CMainFrame : public QMainWindow, public IViewHost, public IWindowHost, public IMonitorHost
{
    Q_OBJECT

public:
    // Loads the settings first: the frame is built after them.
    CMainFrame(CEngines& engines, ISettingsStore& store, IMessageSink& messages,
               IShellDialogs& dialogs);
    ~CMainFrame() override;

    // The rest of start-up: show, timers, the command-line file (a workspace
    // file opens as the workspace), the last workspace, watches and radixes.
    void StartUp(const std::vector<std::string>& arguments);

    CAppModel& Model() { return model_; }
    QMdiArea* MdiArea() const { return mdiArea_; }
    QToolBar* ToolBar() const { return toolBar_; }
    QAction* Action(int id) const;
    // Every child window, in the order they were opened.
    const std::vector<CChildFrame*>& Children() const { return children_; }
    CChildFrame* ActiveChild() const;
    CommandStateType CurrentCommandState() const;
    // The three status panes after the message pane: caret, OVR/INS, Busy/Ready.
    QString PaneText(int pane) const;
    bool IdleWorkPending() const;
    CRecoveryKeeper& Recovery() const { return *recovery_; }
    // The recovery files left by a session that ended with unsaved changes,
    // offered for restoring (at start).
    void OfferRecovery();

    void OnCommand(int id);
    // The enable state, check marks, texts and visibility of every action,
    // from the command table and CurrentCommandState(); the only place
    // actions are enabled or disabled.
    void UpdateActions();
    void UpdateStatusPanes();

    CChildFrame* ShowToolWindow(WindowKind kind);
    // Files dropped on the window open as sources.
    void OpenDroppedFiles(const QList<QUrl>& urls);
    // An open document of that path (compared without case) comes to the
    // front; otherwise the file is opened. Nothing when it cannot be read.
    CSourceDocument* OpenSourceFile(const std::string& path);
    CSourceDocument* NewSourceDocument();
    void ArrangeWindows();
    bool SaveModifiedSources();
    void RefreshOutputWindow();
    void SetMainTitle(const std::string& text);

    // IViewHost
    CEngines& Engines() override { return engines_; }
    ISettingsStore& Settings() override { return store_; }
    IMessageSink& Messages() override { return messages_; }
    bool& OverwriteMode() override { return model_.State().overwriteMode; }
    void UpdateAllWindows() override;
    void OpenSourceAtLine(const std::string& path, int line) override;
    void ShowExecutionPoint() override;
    void CommandStateChanged() override;
    bool CoverageDisplay() const override { return model_.State().coverageState; }

    // IWindowHost
    bool OpenWindow(WindowKind kind, const WindowRecord& record) override;
    std::vector<OpenWindowType> ListWindows() const override;
    std::vector<std::string> SourceTitles() const override;
    void ActivateFirstSource() override;
    bool SaveModifiedAndCloseAll() override;

    // IMonitorHost (ShowExecutionPoint and UpdateAllWindows above serve both)
    void ResetOrStartSimulation() override;
    void RefreshDumpWindow() override;

    CBoardLinkController& BoardLink() { return *link_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Construction.
    void CreateActions();
    void CreateMenus();
    QMenu* BuildMenu(MenuId id, bool shortMenu);
    void CreateToolBar();
    void CreateStatusBar();
    void RestorePlacement();
    void SavePlacement();

    // Windows.
    CChildFrame* CreateChild(WindowKind kind, std::shared_ptr<CSourceDocument> document,
                             const RectType& recordRect);
    CChildFrame* FirstViewOf(const CSourceDocument* document) const;
    std::shared_ptr<CSourceDocument> FindDocument(const std::string& path) const;
    std::shared_ptr<CSourceDocument> LoadDocument(const std::string& path);
    bool ChildCloseRequested(CChildFrame* child);
    void ChildClosing(CChildFrame* child);
    void CloseDocument(CSourceDocument* document);
    void UpdateChildTitles(const CSourceDocument* document);
    void OnChildActivated();
    void ActivateChild(CChildFrame* child);
    bool SaveDocument(CSourceDocument& document);
    bool SaveDocumentAs(CSourceDocument& document, const char* filter, const char* extension);
    void DocumentRenamed(const std::string& oldTitle, const std::string& newTitle);
    void ArrangeIcons();
    void OpenDroppedOrNamedFile(const std::string& path);

    // Commands.
    bool RouteToView(int id);
    void FileOpen();
    void OpenRecentFile(int slot);
    void OpenWorkspaceDialog();
    void SaveWorkspaceCommand();
    void EditFile(int slot);
    void ProjectDialog();
    void DefaultSettingsDialog();
    void SimulatorOptionsDialog();
    // Opens the manual, at the heading topic when one is given.
    void ShowHelp(const QString& topic = {});
    void ShowAbout();
    void NewWindow();
    void FindInFiles();
    // After a workspace was opened or closed: its virtual buttons' windows.
    void RestoreButtonWindows();

    // Assembly and simulation.
    void Assemble(const std::string& path);
    void StartSimulation();
    void RunCommand(int id);
    void SourceLineCommand(int id);
    void CoverageReport();
    void KickIdle();
    void OnIdle();
    void OnMonitorTimer();
    void ScheduleIdleUpdate();
    void IdleUpdate();
    void LogEvent(const std::string& text) const;

    // Recovery of unsaved sources (frame_recovery.cpp).
    void CreateRecoveryKeeper();
    bool RestoreRecovered(const RecoveryEntryType& entry);

    CEngines& engines_;
    ISettingsStore& store_;
    IMessageSink& messages_;
    IShellDialogs& dialogs_;
    CAppModel model_;

    QMdiArea* mdiArea_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    std::map<int, QAction*> actions_;
    std::map<MenuId, QMenu*> fullMenus_;
    std::map<MenuId, QMenu*> shortMenus_;
    int shownBar_ = -1; // 1 short, 0 full
    QLabel* caretPane_ = nullptr;
    QLabel* overwritePane_ = nullptr;
    QLabel* busyPane_ = nullptr;
    QWidget* helpWindow_ = nullptr;
    CRecoveryKeeper* recovery_ = nullptr;

    std::vector<std::shared_ptr<CSourceDocument>> documents_; // in open order
    std::vector<CChildFrame*> children_;                      // in open order
    int untitledCount_ = 0;
    bool clipboardHasText_ = false;
    bool idleUpdateScheduled_ = false;
    bool closing_ = false;
    // A message box shown from inside a slice runs an event loop of its own;
    // no slice may start inside another.
    bool inIdle_ = false;
    BusyStateType lastBusy_;
    std::string mainTitleText_;

    // The board link: its dialogs and the controller over the engines' port.
    std::unique_ptr<CBoardLinkUi> linkUi_;
    std::unique_ptr<CBoardLinkController> link_;

    QTimer idleTimer_;
    QTimer monitorTimer_;
    std::string eventLog_;
};
