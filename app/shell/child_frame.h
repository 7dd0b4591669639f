#pragma once

#include <functional>
#include <memory>

#include <QMdiSubWindow>
#include <QRect>

#include "app/window_kinds.h"

class CSourceDocument;
class IDocumentView;

// The frame of every document window: one kind, the document it shows (for
// sources), the view widget inside, and the restored rectangle that the
// workspace and the kind's placement record, in the MDI area's coordinates.
class CChildFrame : public QMdiSubWindow
{
    Q_OBJECT

public:
    // view must implement IDocumentView; the frame takes ownership of it and
    // keeps the document alive until the view is gone.
    CChildFrame(WindowKind kind, std::shared_ptr<CSourceDocument> document, QWidget* view);
    ~CChildFrame() override;

    WindowKind Kind() const { return kind_; }
    const char* PlacementName() const;
    CSourceDocument* Document() const { return document_.get(); }
    IDocumentView* View() const { return view_; }

    // The rectangle the window has when it is neither maximised nor
    // minimised, whatever its state now.
    QRect RestoredRect() const { return restored_; }
    // Moves a normal window at once; a maximised or minimised one keeps its
    // state and takes the rectangle when it is restored.
    void SetRestoredRect(const QRect& rect);

    bool ActivatedBefore() const { return activatedBefore_; }
    void MarkActivated() { activatedBefore_ = true; }

    // The main frame decides whether a window may close (a modified
    // document asks first) and forgets it when it does.
    std::function<bool(CChildFrame*)> closeRequested;
    // Called once the window is certain to close.
    std::function<void(CChildFrame*)> closing;
    // Set when the main frame closes the window itself after asking.
    bool forceClose = false;

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool IsNormal() const;

    WindowKind kind_;
    std::shared_ptr<CSourceDocument> document_;
    IDocumentView* view_;
    QRect restored_;
    bool pendingRestore_ = false;
    bool activatedBefore_ = false;
};
