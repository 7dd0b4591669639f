#include "app/shell/main_frame.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include "app/engines.h"
#include "app/shell/child_frame.h"
#include "app/shell/shell_services.h"
#include "app/source_document.h"
#include "app/window_geometry.h"
#include "common/settings_keys.h"
#include "link/board_link_controller.h"
#include "link/ui/board_link_ui.h"
#include "views/tool_views.h"

// The resources live in a static library: nothing would pull them in.
static void InitShellResources()
{
    Q_INIT_RESOURCE(shell);
}

namespace {

QString Centred(const std::string& paneText)
{
    // The stored pane texts start with a tab that centres them.
    QString text = QString::fromStdString(paneText);
    if (text.startsWith(QLatin1Char('\t'))) {
        text.remove(0, 1);
    }
    return text;
}

QLabel* MakePane(const QString& sizingText, const QString& name)
{
    auto* pane = new QLabel;
    pane->setObjectName(name);
    pane->setAlignment(Qt::AlignCenter);
    pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(sizingText) + 12);
    return pane;
}

bool IsInputEvent(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::FocusIn:
        return true;
    default:
        return false;
    }
}

} // namespace

CMainFrame::CMainFrame(CEngines& engines, ISettingsStore& store, IMessageSink& messages,
                       IShellDialogs& dialogs)
    : engines_(engines), store_(store), messages_(messages), dialogs_(dialogs),
      model_(engines.Options(), store, *this, engines.WorkspaceSimulator(), engines.LinkControl(),
             messages)
{
    if (const char* log = std::getenv("IDE51_EVENT_LOG")) {
        eventLog_ = log;
    }
    InitShellResources();
    model_.LoadSettings();

    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    setWindowIcon(QIcon(QStringLiteral(":/icons/ide51.svg")));
    setAcceptDrops(true);
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName(QStringLiteral("mdiArea"));
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea_);
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this] { OnChildActivated(); });

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    RestorePlacement();

    CMonitor& port = engines.Monitor();
    linkUi_ = std::make_unique<CBoardLinkUi>(
        port.Catalog(), store, messages,
        [this] { ShowHelp(QStringLiteral("Board download and monitor")); }, this);
    link_ = std::make_unique<CBoardLinkController>(port, engines.Simulator(), *this, *linkUi_,
                                                   port.Clock(), messages);
    linkUi_->Attach(*link_);

    idleTimer_.setInterval(0);
    connect(&idleTimer_, &QTimer::timeout, this, [this] { OnIdle(); });
    monitorTimer_.setInterval(220);
    connect(&monitorTimer_, &QTimer::timeout, this, [this] { OnMonitorTimer(); });

    QClipboard* clipboard = QGuiApplication::clipboard();
    const auto clipboardChanged = [this, clipboard] {
        const QMimeData* data = clipboard->mimeData();
        clipboardHasText_ = data != nullptr && data->hasText();
        CommandStateChanged();
    };
    connect(clipboard, &QClipboard::dataChanged, this, clipboardChanged);
    clipboardChanged();
    CreateRecoveryKeeper();
    qApp->installEventFilter(this);
    UpdateActions();
    UpdateStatusPanes();
}

CMainFrame::~CMainFrame()
{
    qApp->removeEventFilter(this);
    closing_ = true;
    // Children hold documents and read the engines: they go first.
    for (CChildFrame* child : std::vector<CChildFrame*>(children_)) {
        delete child;
    }
    children_.clear();
}

void CMainFrame::CreateActions()
{
    for (const CommandType& command : Commands()) {
        auto* action = new QAction(this);
        action->setData(command.id);
        QString name = QString::fromLatin1(command.name);
        if (command.slot >= 0) {
            name += QStringLiteral(".%1").arg(command.slot + 1);
        }
        action->setObjectName(name);
        action->setStatusTip(QString::fromLatin1(command.prompt));
        action->setWhatsThis(QString::fromLatin1(command.prompt));
        action->setToolTip(QString::fromLatin1(command.tooltip));
        action->setIconText(QString::fromLatin1(command.tooltip));
        if (*command.icon != '\0') {
            action->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(command.icon)));
        }
        action->setCheckable(command.checked != nullptr);
        // A key acts on the first command that binds it.
        QList<QKeySequence> keys;
        for (const char* key : command.keys) {
            if (key != nullptr && CommandOfKey(key) == command.id) {
                keys.append(QKeySequence(QString::fromLatin1(key), QKeySequence::PortableText));
            }
        }
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        const int id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        // Keys work whichever menu bar is shown.
        addAction(action);
        actions_[id] = action;
    }
}

QAction* CMainFrame::Action(int id) const
{
    auto found = actions_.find(id);
    return found == actions_.end() ? nullptr : found->second;
}

QMenu* CMainFrame::BuildMenu(MenuId id, bool shortMenu)
{
    const char* title = "";
    for (const MenuInfoType& info : kMenus) {
        if (info.id == id) {
            title = info.title;
        }
    }
    auto* menu = new QMenu(QString::fromLatin1(title), this);
    menu->setObjectName(QStringLiteral("menu.%1%2")
                            .arg(QString::fromLatin1(title).remove(QLatin1Char('&')))
                            .arg(shortMenu ? QStringLiteral(".short") : QString()));
    for (const MenuEntryType& entry : MenuLayout(id, shortMenu)) {
        switch (entry.kind) {
        case MenuEntryType::kSeparator:
            menu->addSeparator();
            break;
        case MenuEntryType::kCommand:
            menu->addAction(Action(entry.id));
            break;
        case MenuEntryType::kSubmenu:
            menu->addMenu(BuildMenu(entry.submenu, shortMenu));
            break;
        }
    }
    (shortMenu ? shortMenus_ : fullMenus_)[id] = menu;
    return menu;
}

void CMainFrame::CreateMenus()
{
    for (bool shortMenu : {false, true}) {
        for (MenuId id : MenuBar(shortMenu)) {
            BuildMenu(id, shortMenu);
        }
    }
}

void CMainFrame::CreateToolBar()
{
    toolBar_ = new QToolBar(QStringLiteral("Toolbar"), this);
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setIconSize(QSize(24, 24));
    for (int id : ToolbarLayout()) {
        if (id == 0) {
            toolBar_->addSeparator();
        } else {
            toolBar_->addAction(Action(id));
        }
    }
    addToolBar(Qt::TopToolBarArea, toolBar_);
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    caretPane_ = MakePane(QStringLiteral("Ln 0000, Col 0000"), QStringLiteral("pane.caret"));
    overwritePane_ = MakePane(QStringLiteral("OVR"), QStringLiteral("pane.overwrite"));
    busyPane_ = MakePane(QStringLiteral("Ready"), QStringLiteral("pane.busy"));
    bar->addPermanentWidget(caretPane_);
    bar->addPermanentWidget(overwritePane_);
    bar->addPermanentWidget(busyPane_);
}

void CMainFrame::RestorePlacement()
{
    const QRect screen = QGuiApplication::primaryScreen() != nullptr
                             ? QGuiApplication::primaryScreen()->virtualGeometry()
                             : QRect(0, 0, 1280, 800);
    const QRect available = QGuiApplication::primaryScreen() != nullptr
                                ? QGuiApplication::primaryScreen()->availableGeometry()
                                : screen;
    // Without a stored placement the window takes most of the screen.
    const QSize size(std::min(1180, available.width() * 9 / 10),
                     std::min(800, available.height() * 9 / 10));
    const QRect initial(available.left() + (available.width() - size.width()) / 2,
                        available.top() + (available.height() - size.height()) / 2, size.width(),
                        size.height());
    WindowPlacementType current;
    current.normal = {initial.left(), initial.top(), initial.right() + 1, initial.bottom() + 1};
    const WindowPlacementType placement =
        RestoreMainFramePlacement(store_, current, screen.width(), screen.height());
    const RectType& r = placement.normal;
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    setGeometry(width > 0 && height > 0 ? QRect(r.left, r.top, width, height) : initial);
}

void CMainFrame::SavePlacement()
{
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    WindowPlacementType placement;
    placement.maximized = isMaximized() ? 1 : 0;
    placement.showState = isMaximized() ? 3 : (isMinimized() ? 2 : 1);
    placement.minX = placement.minY = placement.maxX = placement.maxY = -1;
    placement.normal = {normal.left(), normal.top(), normal.left() + normal.width(),
                        normal.top() + normal.height()};
    SaveMainFramePlacement(store_, placement, isMaximized());
}

CChildFrame* CMainFrame::ActiveChild() const
{
    return dynamic_cast<CChildFrame*>(mdiArea_->currentSubWindow());
}

CommandStateType CMainFrame::CurrentCommandState() const
{
    CommandStateType state;
    state.busy = engines_.Busy();
    const CSimulator& simulator = engines_.Simulator();
    state.halted = simulator.IsHalted();
    state.returnAtPc = simulator.OpcodeAtPcIsReturn();
    state.breakpointsExist = simulator.HasBreakpoints();
    const AppStateType& app = model_.State();
    state.projectPath = app.projectPath;
    state.defaultWorkspace = app.defaultWorkspace;
    state.anyDocument = !children_.empty();
    state.clipboardHasText = clipboardHasText_;
    state.recentFiles = app.recentFiles.Entries();
    state.recentWorkspaces = app.recentWorkspaces.Entries();
    state.openFiles = model_.OpenFileList().Titles();
    state.coverageDisplay = app.coverageState;
    state.toolbarVisible = !toolBar_->isHidden();
    state.statusBarVisible = !statusBar()->isHidden();
    if (CChildFrame* active = ActiveChild()) {
        state.activeKind = active->Kind();
        if (active->View() != nullptr) {
            active->View()->FillCommandState(state);
        }
    }
    return state;
}

void CMainFrame::UpdateActions()
{
    const CommandStateType state = CurrentCommandState();
    const int shortBar = state.anyDocument ? 0 : 1;
    if (shortBar != shownBar_) {
        shownBar_ = shortBar;
        menuBar()->clear();
        for (MenuId id : MenuBar(shortBar == 1)) {
            menuBar()->addMenu((shortBar == 1 ? shortMenus_ : fullMenus_)[id]);
        }
    }
    for (const CommandType& command : Commands()) {
        QAction* action = actions_[command.id];
        const bool enabled = CommandEnabled(command, state);
        if (action->isEnabled() != enabled) {
            action->setEnabled(enabled);
        }
        if (command.checked != nullptr) {
            action->setChecked(CommandChecked(command, state));
        }
        const std::string text = CommandText(command, state);
        QString shown = QString::fromStdString(text);
        if (*command.keyText != '\0' && command.menu != MenuId::kNone) {
            shown += QLatin1Char('\t') + QString::fromLatin1(command.keyText);
        }
        if (action->text() != shown) {
            action->setText(shown);
        }
        const bool numbered = command.slot >= 0 && (command.menu == MenuId::kRecentFiles ||
                                                    command.menu == MenuId::kRecentWorkspaces ||
                                                    command.menu == MenuId::kWindow);
        // Free recent slots and Edit file items beyond the list have no item.
        if (numbered && action->isVisible() == text.empty()) {
            action->setVisible(!text.empty());
        }
    }
    for (auto* menus : {&fullMenus_, &shortMenus_}) {
        for (MenuId id : {MenuId::kRecentFiles, MenuId::kRecentWorkspaces}) {
            const auto& entries =
                id == MenuId::kRecentFiles ? state.recentFiles : state.recentWorkspaces;
            bool any = false;
            for (const std::string& entry : entries) {
                any = any || !entry.empty();
            }
            if (QMenu* menu = (*menus)[id]) {
                menu->menuAction()->setEnabled(any);
            }
        }
    }
    lastBusy_ = state.busy;
}

QString CMainFrame::PaneText(int pane) const
{
    switch (pane) {
    case 0:
        return caretPane_->text();
    case 1:
        return overwritePane_->text();
    default:
        return busyPane_->text();
    }
}

void CMainFrame::UpdateStatusPanes()
{
    QString caret;
    CChildFrame* active = ActiveChild();
    if (active != nullptr && active->Kind() == WindowKind::kSource && active->View() != nullptr) {
        if (auto place = active->View()->CaretPlace()) {
            caret = Centred(CaretPaneText(place->first, place->second));
        }
    }
    const QString overwrite = Centred(OverwritePaneText(model_.State().overwriteMode));
    const QString busy = Centred(GetStatusText(engines_.Busy()));
    if (caretPane_->text() != caret) {
        caretPane_->setText(caret);
    }
    if (overwritePane_->text() != overwrite) {
        overwritePane_->setText(overwrite);
    }
    if (busyPane_->text() != busy) {
        busyPane_->setText(busy);
        LogEvent("status " + busy.toStdString());
    }
    // A modified active source shows in the caption.
    QString title = QString::fromStdString(model_.MainTitle(mainTitleText_));
    if (mainTitleText_.empty()) {
        title = QString::fromLatin1(kApplicationTitle);
    } else if (active != nullptr && active->Document() != nullptr &&
               active->Document()->Doc().IsModified()) {
        title += QStringLiteral(" *");
    }
    if (windowTitle() != title) {
        setWindowTitle(title);
    }
}

void CMainFrame::SetMainTitle(const std::string& text)
{
    mainTitleText_ = text;
    UpdateStatusPanes();
}

void CMainFrame::CommandStateChanged()
{
    ScheduleIdleUpdate();
}

void CMainFrame::ScheduleIdleUpdate()
{
    if (idleUpdateScheduled_ || closing_) {
        return;
    }
    idleUpdateScheduled_ = true;
    QTimer::singleShot(0, this, [this] { IdleUpdate(); });
}

void CMainFrame::IdleUpdate()
{
    idleUpdateScheduled_ = false;
    if (closing_) {
        return;
    }
    UpdateActions();
    UpdateStatusPanes();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    // The enable states and the panes follow every input, once the event
    // queue is empty again.
    if (IsInputEvent(event->type())) {
        ScheduleIdleUpdate();
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::LogEvent(const std::string& text) const
{
    if (eventLog_.empty()) {
        return;
    }
    std::ofstream log(eventLog_, std::ios::app);
    log << text << '\n';
}

void CMainFrame::StartUp(const std::vector<std::string>& arguments)
{
    if (MainFrameStartsMaximized(store_)) {
        showMaximized();
    } else {
        show();
    }
    monitorTimer_.start();
    if (!monitorTimer_.isActive()) {
        messages_.ShowMessage("Unable to create timer for data transfer",
                              IMessageSink::Severity::kError);
    }
    std::string workspace;
    for (const std::string& argument : arguments) {
        if (argument.empty()) {
            continue;
        }
        if (QFileInfo(QString::fromStdString(argument))
                .suffix()
                .compare(QLatin1String("wsp"), Qt::CaseInsensitive) == 0) {
            workspace = argument;
            continue;
        }
        std::ifstream probe(argument, std::ios::binary);
        if (!QFileInfo(QString::fromStdString(argument)).isFile() || !probe) {
            messages_.ShowMessage("Unable to locate specified file: " + argument,
                                  IMessageSink::Severity::kWarning);
            continue;
        }
        if (OpenSourceFile(argument) != nullptr) {
            model_.AddToRecentList(FindDocument(argument)->Path(), false);
        }
    }
    if (!workspace.empty() && QFileInfo(QString::fromStdString(workspace)).isFile()) {
        // In place of the last workspace: there is no workspace in use yet
        // whose files would have to be written first.
        const std::string path =
            QFileInfo(QString::fromStdString(workspace)).absoluteFilePath().toStdString();
        model_.State().workspacePath = path;
        model_.State().defaultWorkspace = false;
        model_.LoadWorkspace(path);
        WriteSetting(store_, settings::kLastWorkspace, path);
        model_.AddToRecentList(path, true);
    } else {
        if (!workspace.empty()) {
            messages_.ShowMessage("Unable to locate specified file: " + workspace,
                                  IMessageSink::Severity::kWarning);
        }
        model_.LoadLastWorkspace();
    }
    engines_.WorkspaceSimulator().ReadWatchFile(model_.WatchFilePath());
    model_.ReadRadixFile();
    RestoreButtonWindows();
    UpdateAllWindows();
    LogEvent("started");
    OfferRecovery();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    StoreVirtualButtonPositions(this);
    model_.SaveStateAtExit();
    for (const auto& document : std::vector<std::shared_ptr<CSourceDocument>>(documents_)) {
        if (!document->Doc().IsModified()) {
            continue;
        }
        ActivateChild(FirstViewOf(document.get()));
        const auto choice = dialogs_.AskSaveChanges(document->Title());
        if (choice == IShellDialogs::SaveChoice::kCancel ||
            (choice == IShellDialogs::SaveChoice::kSave && !SaveDocument(*document))) {
            event->ignore();
            return;
        }
    }
    SavePlacement();
    closing_ = true;
    idleTimer_.stop();
    monitorTimer_.stop();
    if (helpWindow_ != nullptr) {
        helpWindow_->close();
    }
    for (CChildFrame* child : std::vector<CChildFrame*>(children_)) {
        child->forceClose = true;
        child->close();
    }
    LogEvent("closed");
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    OpenDroppedFiles(urls);
}

void CMainFrame::OpenDroppedFiles(const QList<QUrl>& urls)
{
    for (const QUrl& url : urls) {
        if (url.isLocalFile()) {
            OpenDroppedOrNamedFile(url.toLocalFile().toStdString());
        }
    }
    UpdateActions();
}
