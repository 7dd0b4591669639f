#include "app/shell/child_frame.h"

#include <QCloseEvent>
#include <QTimer>

#include "app/view_host.h"

CChildFrame::CChildFrame(WindowKind kind, std::shared_ptr<CSourceDocument> document, QWidget* view)
    : kind_(kind), document_(std::move(document)), view_(dynamic_cast<IDocumentView*>(view))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(view);
    setWindowIcon(QIcon(kind == WindowKind::kSource ? QStringLiteral(":/icons/source.svg")
                                                    : QStringLiteral(":/icons/toolwindow.svg")));
    setObjectName(QStringLiteral("child.") + QString::fromLatin1(KindInfo(kind).documentName));
}

CChildFrame::~CChildFrame()
{
    // The view goes before the document it shows.
    delete widget();
}

const char* CChildFrame::PlacementName() const
{
    return KindInfo(kind_).placementName;
}

bool CChildFrame::IsNormal() const
{
    return !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized));
}

void CChildFrame::SetRestoredRect(const QRect& rect)
{
    restored_ = rect;
    if (IsNormal()) {
        setGeometry(rect);
    } else {
        pendingRestore_ = true;
    }
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    if (!forceClose && closeRequested && !closeRequested(this)) {
        event->ignore();
        return;
    }
    if (closing) {
        closing(this);
    }
    QMdiSubWindow::closeEvent(event);
}

void CChildFrame::moveEvent(QMoveEvent* event)
{
    QMdiSubWindow::moveEvent(event);
    if (IsNormal() && !pendingRestore_) {
        restored_ = geometry();
    }
}

void CChildFrame::resizeEvent(QResizeEvent* event)
{
    QMdiSubWindow::resizeEvent(event);
    if (IsNormal() && !pendingRestore_) {
        restored_ = geometry();
    }
}

void CChildFrame::changeEvent(QEvent* event)
{
    QMdiSubWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !IsNormal() || !pendingRestore_) {
        return;
    }
    // The MDI area puts back its own idea of the old geometry after this
    // event; the rectangle given while maximised wins once that is done.
    QTimer::singleShot(0, this, [this] {
        pendingRestore_ = false;
        if (IsNormal()) {
            setGeometry(restored_);
        }
    });
}
