// The child windows: documents and their views, the window host the
// workspace works through, placement and arrangement.
#include <QFileInfo>
#include <QMdiArea>
#include <QScrollBar>
#include <QStyle>

#include "app/engines.h"
#include "app/shell/child_frame.h"
#include "app/shell/main_frame.h"
#include "app/shell/shell_services.h"
#include "app/shell/view_factory.h"
#include "app/source_document.h"
#include "app/window_geometry.h"

namespace {

bool SamePath(const std::string& a, const std::string& b)
{
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

RectType RectOf(const QRect& rect)
{
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

QRect QRectOf(const RectType& rect)
{
    return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

// A fresh window without a saved place gets a useful size.
QSize DefaultSize(WindowKind kind)
{
    switch (kind) {
    case WindowKind::kSource:
        return {560, 400};
    case WindowKind::kOutput:
    case WindowKind::kDump:
        return {560, 160};
    default:
        return {240, 260};
    }
}

} // namespace

CChildFrame* CMainFrame::CreateChild(WindowKind kind, std::shared_ptr<CSourceDocument> document,
                                     const RectType& recordRect)
{
    const bool otherActive = mdiArea_->currentSubWindow() != nullptr;
    QWidget* view = CreateView(kind, document.get(), *this, nullptr);
    auto* child = new CChildFrame(kind, std::move(document), view);
    child->closeRequested = [this](CChildFrame* c) { return ChildCloseRequested(c); };
    child->closing = [this](CChildFrame* c) { ChildClosing(c); };
    mdiArea_->addSubWindow(child);
    children_.push_back(child);
    if (child->Document() == nullptr) {
        child->setWindowTitle(QString::fromLatin1(KindInfo(kind).documentName));
    }
    UpdateChildTitles(child->Document());
    if (auto start = ChooseChildStartRect(recordRect, child->PlacementName(), store_)) {
        child->SetRestoredRect(QRect(start->x, start->y, start->width, start->height));
    } else {
        child->resize(DefaultSize(kind));
    }
    if (ChildStartsMaximized(otherActive, child->ActivatedBefore(), store_)) {
        child->showMaximized();
    } else {
        child->show();
    }
    child->MarkActivated();
    ActivateChild(child);
    return child;
}

void CMainFrame::ActivateChild(CChildFrame* child)
{
    if (child == nullptr) {
        return;
    }
    mdiArea_->setActiveSubWindow(child);
    child->raise();
}

void CMainFrame::OnChildActivated()
{
    if (closing_) {
        return;
    }
    if (CChildFrame* active = ActiveChild()) {
        if (active->Kind() == WindowKind::kSource) {
            LogEvent("active " + active->windowTitle().toStdString());
        }
        SetMainTitle(active->windowTitle().toStdString());
    }
    UpdateActions();
}

void CMainFrame::UpdateChildTitles(const CSourceDocument* document)
{
    if (document == nullptr) {
        return;
    }
    std::vector<CChildFrame*> views;
    for (CChildFrame* child : children_) {
        if (child->Document() == document) {
            views.push_back(child);
        }
    }
    // Two windows on one document are told apart by a number.
    for (size_t i = 0; i < views.size(); ++i) {
        QString title = QString::fromStdString(document->Title());
        if (views.size() > 1) {
            title += QStringLiteral(":%1").arg(i + 1);
        }
        views[i]->setWindowTitle(title);
    }
}

CChildFrame* CMainFrame::FirstViewOf(const CSourceDocument* document) const
{
    for (CChildFrame* child : children_) {
        if (child->Document() == document) {
            return child;
        }
    }
    return nullptr;
}

std::shared_ptr<CSourceDocument> CMainFrame::FindDocument(const std::string& path) const
{
    for (const auto& document : documents_) {
        if (!document->Path().empty() && SamePath(document->Path(), path)) {
            return document;
        }
    }
    return nullptr;
}

std::shared_ptr<CSourceDocument> CMainFrame::LoadDocument(const std::string& path)
{
    // Paths are kept absolute: the current directory follows the workspace.
    const std::string absolute =
        QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString();
    auto document = std::make_shared<CSourceDocument>(&messages_);
    document->Doc().SetTabWidth(engines_.Options().tabWidth);
    if (!QFileInfo(QString::fromStdString(absolute)).isFile()) {
        messages_.ShowMessage("Unable to locate specified file: " + path,
                              IMessageSink::Severity::kWarning);
        return nullptr;
    }
    if (!document->Load(absolute)) {
        return nullptr;
    }
    documents_.push_back(document);
    model_.OpenFileList().AddOpenFile(document->Title());
    return document;
}

CSourceDocument* CMainFrame::OpenSourceFile(const std::string& path)
{
    const std::string absolute =
        QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString();
    if (auto open = FindDocument(absolute)) {
        ActivateChild(FirstViewOf(open.get()));
        return open.get();
    }
    auto document = LoadDocument(absolute);
    if (!document) {
        return nullptr;
    }
    CreateChild(WindowKind::kSource, document, RectType{});
    UpdateActions();
    return document.get();
}

CSourceDocument* CMainFrame::NewSourceDocument()
{
    auto document = std::make_shared<CSourceDocument>(&messages_);
    document->Doc().SetTabWidth(engines_.Options().tabWidth);
    document->Doc().SetTitle("Untitled" + std::to_string(++untitledCount_));
    documents_.push_back(document);
    model_.OpenFileList().AddOpenFile(document->Title());
    CreateChild(WindowKind::kSource, document, RectType{});
    UpdateActions();
    return document.get();
}

CChildFrame* CMainFrame::ShowToolWindow(WindowKind kind)
{
    CChildFrame* child = CreateChild(kind, nullptr, RectType{});
    UpdateActions();
    return child;
}

void CMainFrame::OpenDroppedOrNamedFile(const std::string& path)
{
    if (CSourceDocument* document = OpenSourceFile(path)) {
        model_.AddToRecentList(document->Path(), false);
    }
}

bool CMainFrame::ChildCloseRequested(CChildFrame* child)
{
    CSourceDocument* document = child->Document();
    if (document == nullptr || closing_ || !document->Doc().IsModified()) {
        return true;
    }
    int views = 0;
    for (CChildFrame* other : children_) {
        views += other->Document() == document ? 1 : 0;
    }
    if (views > 1) {
        return true;
    }
    switch (dialogs_.AskSaveChanges(document->Title())) {
    case IShellDialogs::SaveChoice::kSave:
        return SaveDocument(*document);
    case IShellDialogs::SaveChoice::kDiscard:
        return true;
    case IShellDialogs::SaveChoice::kCancel:
        break;
    }
    return false;
}

void CMainFrame::ChildClosing(CChildFrame* child)
{
    children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
    CSourceDocument* document = child->Document();
    if (document != nullptr && FirstViewOf(document) == nullptr) {
        model_.OpenFileList().RemoveOpenFile(document->Title());
        documents_.erase(std::remove_if(documents_.begin(), documents_.end(),
                                        [document](const auto& d) { return d.get() == document; }),
                         documents_.end());
    } else if (document != nullptr) {
        UpdateChildTitles(document);
    }
    if (children_.empty()) {
        mainTitleText_.clear();
    }
    if (!closing_) {
        ScheduleIdleUpdate();
    }
}

void CMainFrame::CloseDocument(CSourceDocument* document)
{
    // Asked once for the document, then every window on it closes.
    if (document->Doc().IsModified()) {
        const auto choice = dialogs_.AskSaveChanges(document->Title());
        if (choice == IShellDialogs::SaveChoice::kCancel ||
            (choice == IShellDialogs::SaveChoice::kSave && !SaveDocument(*document))) {
            return;
        }
    }
    for (CChildFrame* child : std::vector<CChildFrame*>(children_)) {
        if (child->Document() == document) {
            child->forceClose = true;
            child->close();
        }
    }
}

bool CMainFrame::OpenWindow(WindowKind kind, const WindowRecord& record)
{
    const RectType rect{record.left, record.top, record.right, record.bottom};
    if (kind != WindowKind::kSource) {
        CreateChild(kind, nullptr, rect);
        return true;
    }
    if (record.path.empty()) {
        auto document = std::make_shared<CSourceDocument>(&messages_);
        document->Doc().SetTabWidth(engines_.Options().tabWidth);
        document->Doc().SetTitle("Untitled" + std::to_string(++untitledCount_));
        documents_.push_back(document);
        CreateChild(kind, document, rect);
        return true;
    }
    std::shared_ptr<CSourceDocument> document = FindDocument(record.path);
    if (!document) {
        document = LoadDocument(record.path);
    }
    if (!document) {
        return false;
    }
    CreateChild(kind, document, rect);
    return true;
}

std::vector<IWindowHost::OpenWindowType> CMainFrame::ListWindows() const
{
    std::vector<OpenWindowType> windows;
    const auto add = [&](CChildFrame* child) {
        OpenWindowType window;
        WindowRecord& record = window.record;
        record.documentName = KindInfo(child->Kind()).documentName;
        if (const CSourceDocument* document = child->Document()) {
            record.title = document->Title();
            record.path = document->Path();
        } else {
            record.title = record.documentName;
        }
        const RectType rect = RectOf(child->RestoredRect());
        record.top = rect.top;
        record.left = rect.left;
        record.bottom = rect.bottom;
        record.right = rect.right;
        window.maximized = child->isMaximized();
        windows.push_back(window);
    };
    for (const auto& document : documents_) {
        for (CChildFrame* child : children_) {
            if (child->Document() == document.get()) {
                add(child);
            }
        }
    }
    for (const WindowKindInfoType& info : kWindowKinds) {
        for (CChildFrame* child : children_) {
            if (info.kind != WindowKind::kSource && child->Kind() == info.kind) {
                add(child);
            }
        }
    }
    return windows;
}

std::vector<std::string> CMainFrame::SourceTitles() const
{
    std::vector<std::string> titles;
    for (const auto& document : documents_) {
        titles.push_back(document->Title());
    }
    return titles;
}

void CMainFrame::ActivateFirstSource()
{
    if (!documents_.empty()) {
        ActivateChild(FirstViewOf(documents_.front().get()));
    }
}

bool CMainFrame::SaveModifiedAndCloseAll()
{
    for (const auto& document : std::vector<std::shared_ptr<CSourceDocument>>(documents_)) {
        if (!document->Doc().IsModified()) {
            continue;
        }
        ActivateChild(FirstViewOf(document.get()));
        const auto choice = dialogs_.AskSaveChanges(document->Title());
        if (choice == IShellDialogs::SaveChoice::kCancel ||
            (choice == IShellDialogs::SaveChoice::kSave && !SaveDocument(*document))) {
            return false;
        }
    }
    for (CChildFrame* child : std::vector<CChildFrame*>(children_)) {
        child->forceClose = true;
        child->close();
    }
    return true;
}

bool CMainFrame::SaveDocumentAs(CSourceDocument& document, const char* filter,
                                const char* extension)
{
    const std::string directory = document.Path().empty() ? model_.WorkspaceDirectory().string()
                                                          : DirectoryPart(document.Path());
    std::optional<std::string> name;
    do {
        name = dialogs_.SaveFileName("Save As", directory, filter, extension);
        if (!name) {
            return false;
        }
    } while (name->empty());
    const std::string oldTitle = document.Title();
    if (!document.SaveAs(*name)) {
        return false;
    }
    DocumentRenamed(oldTitle, document.Title());
    UpdateChildTitles(&document);
    return true;
}

bool CMainFrame::SaveDocument(CSourceDocument& document)
{
    if (document.Path().empty()) {
        return SaveDocumentAs(document,
                              "Source Files (*.a51)|*.a51|Project Files (*.p51)|*.p51|All Files "
                              "(*.*)|*.*||",
                              "a51");
    }
    return document.Save();
}

void CMainFrame::DocumentRenamed(const std::string& oldTitle, const std::string& newTitle)
{
    if (oldTitle == newTitle) {
        return;
    }
    COpenFileList& list = model_.OpenFileList();
    list.RemoveOpenFile(oldTitle);
    list.AddOpenFile(newTitle);
    if (CChildFrame* active = ActiveChild()) {
        SetMainTitle(active->windowTitle().toStdString());
    }
}

bool CMainFrame::SaveModifiedSources()
{
    for (const auto& document : std::vector<std::shared_ptr<CSourceDocument>>(documents_)) {
        if (!document->Doc().IsModified()) {
            continue;
        }
        const bool saved =
            document->Path().empty()
                ? SaveDocumentAs(*document, "Project Files (*.a51)|*.a51|All Files (*.*)|*.*||",
                                 "a51")
                : document->Save();
        if (!saved) {
            return false;
        }
    }
    UpdateStatusPanes();
    return true;
}

void CMainFrame::UpdateAllWindows()
{
    for (CChildFrame* child : children_) {
        if (child->View() != nullptr) {
            child->View()->Refresh();
        }
    }
    UpdateActions();
    UpdateStatusPanes();
}

void CMainFrame::RefreshOutputWindow()
{
    bool any = false;
    for (CChildFrame* child : children_) {
        if (child->Kind() == WindowKind::kOutput && child->View() != nullptr) {
            child->View()->Refresh();
            any = true;
        }
    }
    if (!any) {
        // Opening the window takes the focus from the source; give it back.
        CChildFrame* previous = ActiveChild();
        ShowToolWindow(WindowKind::kOutput);
        ActivateChild(previous);
    }
}

void CMainFrame::OpenSourceAtLine(const std::string& path, int line)
{
    std::shared_ptr<CSourceDocument> document = FindDocument(path);
    COpenFileList& list = model_.OpenFileList();
    if (document) {
        const int index = list.IndexOf(document->Title());
        if (index >= 0) {
            list.MoveToFront(static_cast<size_t>(index));
        }
    } else {
        if (OpenSourceFile(path) == nullptr) {
            return;
        }
        document =
            FindDocument(QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString());
        if (!document) {
            return;
        }
    }
    CChildFrame* view = FirstViewOf(document.get());
    if (view != nullptr && view->View() != nullptr && line >= 0) {
        view->View()->GoToLine(line);
    }
    ActivateChild(view);
    UpdateActions();
}

void CMainFrame::ShowExecutionPoint()
{
    const CSimulator& simulator = engines_.Simulator();
    const std::string path = simulator.Modules().ModulePath(simulator.PcModule());
    LogEvent(
        "stop pc=" + QString::asprintf("%04X", simulator.Processor().Pc() & 0xFFFF).toStdString() +
        " line=" + std::to_string(simulator.PcLine() + 1));
    if (path.empty()) {
        return;
    }
    std::shared_ptr<CSourceDocument> document = FindDocument(path);
    if (!document) {
        if (OpenSourceFile(path) == nullptr) {
            return;
        }
        document =
            FindDocument(QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString());
    }
    CChildFrame* view = document ? FirstViewOf(document.get()) : nullptr;
    if (view == nullptr) {
        return;
    }
    ActivateChild(view);
    if (view->View() != nullptr && simulator.PcLine() >= 0) {
        view->View()->GoToLine(simulator.PcLine());
    }
}

void CMainFrame::ArrangeWindows()
{
    const QRect viewport = mdiArea_->viewport()->rect();
    const RectType area{0, 0, viewport.width(), viewport.height()};
    for (CChildFrame* child : children_) {
        FrameMetricsType metrics;
        metrics.frameWidth = child->width();
        metrics.frameHeight = child->height();
        const QWidget* client = child->widget();
        metrics.clientWidth = client != nullptr ? client->width() : child->width();
        metrics.clientHeight = client != nullptr ? client->height() : child->height();
        if (child->isMaximized() || child->isMinimized()) {
            // A maximised or minimised frame has no borders now; take those
            // a normal frame of this style has.
            const int frame =
                child->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, child);
            const int title =
                child->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, child);
            metrics.frameWidth = 100 + 2 * frame;
            metrics.clientWidth = 100;
            metrics.frameHeight = 100 + title + frame;
            metrics.clientHeight = 100;
        }
        const RectType current = RectOf(child->RestoredRect());
        const RectType target = ArrangeDefault(child->Kind(), area, metrics, current);
        if (!(target == current)) {
            child->SetRestoredRect(QRectOf(target));
        }
    }
}

void CMainFrame::ArrangeIcons()
{
    // Minimised windows line up along the bottom of the area.
    const QRect viewport = mdiArea_->viewport()->rect();
    int x = 0;
    int y = viewport.height();
    for (CChildFrame* child : children_) {
        if (!child->isMinimized()) {
            continue;
        }
        const QSize size = child->size();
        if (x > 0 && x + size.width() > viewport.width()) {
            x = 0;
            y -= size.height();
        }
        child->move(x, y - size.height());
        x += size.width();
    }
}
