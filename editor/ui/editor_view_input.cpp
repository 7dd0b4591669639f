// Keys and mouse: the command keys of the application's table first, then
// the editor's own keys through the controller.
#include <algorithm>

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QScrollBar>

#include "app/commands.h"
#include "app/engines.h"
#include "editor/ui/editor_view.h"

namespace {

struct KeyMapType
{
    int qtKey;
    EditorKey key;
    bool changesText;
};

constexpr KeyMapType kKeys[] = {
    {Qt::Key_Left, EditorKey::kLeft, false},     {Qt::Key_Right, EditorKey::kRight, false},
    {Qt::Key_Up, EditorKey::kUp, false},         {Qt::Key_Down, EditorKey::kDown, false},
    {Qt::Key_PageUp, EditorKey::kPageUp, false}, {Qt::Key_PageDown, EditorKey::kPageDown, false},
    {Qt::Key_Home, EditorKey::kHome, false},     {Qt::Key_End, EditorKey::kEnd, false},
    {Qt::Key_Insert, EditorKey::kInsert, false}, {Qt::Key_Delete, EditorKey::kDelete, true},
    {Qt::Key_F3, EditorKey::kF3, false},         {Qt::Key_Backspace, EditorKey::kBackspace, true},
    {Qt::Key_Return, EditorKey::kEnter, true},   {Qt::Key_Enter, EditorKey::kEnter, true},
    {Qt::Key_Tab, EditorKey::kTab, true},        {Qt::Key_Backtab, EditorKey::kTab, true},
};

// The commands of the table whose keys the view honours by itself when no
// frame action took them first (a lone view, or a disabled action).
constexpr int kViewKeyCommands[] = {cmd::kUndo, cmd::kRedo,  cmd::kCut,
                                    cmd::kCopy, cmd::kPaste, cmd::kFind};

bool IsModifierKey(int key)
{
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
           key == Qt::Key_Meta || key == Qt::Key_AltGr;
}

bool IsLetter(int key)
{
    return key >= Qt::Key_A && key <= Qt::Key_Z;
}

char LetterOf(int key)
{
    return static_cast<char>('A' + (key - Qt::Key_A));
}

// Which second keys of Ctrl+Q and Ctrl+K change the text.
bool PrefixPairChangesText(char prefix, char second)
{
    return (prefix == 'Q' && second == 'Y') || (prefix == 'K' && (second == 'I' || second == 'U'));
}

} // namespace

bool CEditorView::focusNextPrevChild(bool)
{
    return false; // Tab indents here; it does not move the focus
}

bool CEditorView::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // The editor's own Ctrl keys, and any key that completes a Ctrl+Q or
        // Ctrl+K pair (Ctrl+Q Ctrl+Y is not Redo), come here, not to the menus.
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool ctrl = key->modifiers().testFlag(Qt::ControlModifier);
        const int k = key->key();
        if (controller_.InPrefix() ||
            (ctrl && (k == Qt::Key_Q || k == Qt::Key_K || k == Qt::Key_T || k == Qt::Key_Space))) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void CEditorView::keyPressEvent(QKeyEvent* event)
{
    if (IsModifierKey(event->key())) {
        event->ignore();
        return; // Shift for an upper-case second key keeps a pair waiting
    }
    if (HandleCommandKey(event) || HandleEditorKey(event)) {
        event->accept();
        AfterEdit();
        return;
    }
    event->ignore();
}

bool CEditorView::HandleCommandKey(QKeyEvent* event)
{
    if (controller_.InPrefix()) {
        return false;
    }
    const QString sequence =
        QKeySequence(event->keyCombination()).toString(QKeySequence::PortableText);
    const int command = CommandOfKey(sequence.toStdString());
    for (const int id : kViewKeyCommands) {
        if (id == command) {
            if (CommandAllowed(id)) {
                HandleCommand(id);
            }
            return true; // a disabled command's key does nothing else either
        }
    }
    return false;
}

bool CEditorView::HandleEditorKey(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers.testFlag(Qt::AltModifier)) {
        return false; // menu mnemonics
    }
    const KeyModifiersType mods{modifiers.testFlag(Qt::ShiftModifier),
                                modifiers.testFlag(Qt::ControlModifier)};
    const int key = event->key();

    if (controller_.InPrefix()) {
        const char prefix = pendingPrefix_;
        pendingPrefix_ = 0;
        const char second = IsLetter(key) ? LetterOf(key) : '\0';
        if (PrefixPairChangesText(prefix, second) && RefuseChange()) {
            controller_.HandleChar('\0', {}); // ends the pair
            return true;
        }
        return controller_.HandleChar(second, {});
    }
    for (const KeyMapType& entry : kKeys) {
        if (entry.qtKey == key) {
            if (entry.changesText && RefuseChange()) {
                return true;
            }
            return controller_.HandleKey(entry.key, mods);
        }
    }
    if (mods.ctrl) {
        if (key == Qt::Key_Space || key == Qt::Key_T) {
            if (RefuseChange()) {
                return true;
            }
            return controller_.HandleChar(key == Qt::Key_Space ? ' ' : 'T', mods);
        }
        if (key == Qt::Key_Q || key == Qt::Key_K) {
            pendingPrefix_ = LetterOf(key);
            return controller_.HandleChar(pendingPrefix_, mods);
        }
        return false;
    }
    const QString text = event->text();
    bool handled = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // Bytes of the text: printable ASCII and Latin-1, no control codes.
        if (u < 0x20 || (u >= 0x7F && u < 0xA0) || u > 0xFF) {
            continue;
        }
        if (RefuseChange()) {
            return true;
        }
        controller_.HandleChar(static_cast<char>(u), {});
        handled = true;
    }
    return handled;
}

// --- mouse ---------------------------------------------------------------------

TextPosType CEditorView::PosAt(QPoint point) const
{
    return controller_.PosAtPixel(point.x(), point.y(), cell_);
}

// A point inside the whole lines and columns shown, so that placing the
// caret there never scrolls: scrolling while dragging is the timer's.
QPoint CEditorView::ClampToText(QPoint point) const
{
    const int right = cell_.gutterWidth + controller_.VisibleColumns() * cell_.charWidth - 1;
    const int bottom = controller_.VisibleLines() * cell_.lineHeight - 1;
    return {std::clamp(point.x(), 0, std::max(0, right)),
            std::clamp(point.y(), 0, std::max(0, bottom))};
}

void CEditorView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    controller_.MouseDown(PosAt(ClampToText(event->pos())),
                          event->modifiers().testFlag(Qt::ShiftModifier));
    dragging_ = true;
    lastDragPoint_ = lastMousePoint_ = event->pos();
    AfterEdit();
}

void CEditorView::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_ || !event->buttons().testFlag(Qt::LeftButton)) {
        return;
    }
    const QPoint point = event->pos();
    lastMousePoint_ = point;
    if (!viewport()->rect().contains(point) && !autoScrollTimer_.isActive()) {
        autoScrollTimer_.start();
    }
    if (!IsDragBeyondDeadZone(lastDragPoint_.x(), lastDragPoint_.y(), point.x(), point.y())) {
        return;
    }
    lastDragPoint_ = point;
    controller_.MouseDrag(PosAt(ClampToText(point)));
    AfterEdit();
}

void CEditorView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        StopDragging();
    }
}

void CEditorView::StopDragging()
{
    dragging_ = false;
    autoScrollTimer_.stop();
    controller_.MouseUp();
}

// One step of the drag's scrolling, toward where the pointer left the
// window, extending the selection.
void CEditorView::AutoScrollStep()
{
    const QRect area = viewport()->rect();
    const QPoint point = lastMousePoint_;
    const int dx = point.x() > area.right() ? 1 : (point.x() < area.left() ? -1 : 0);
    const int dy = point.y() > area.bottom() ? 1 : (point.y() < area.top() ? -1 : 0);
    if (!dragging_ || (dx == 0 && dy == 0)) {
        autoScrollTimer_.stop();
        return;
    }
    controller_.ScrollTo(controller_.FirstVisibleLine() + dy,
                         controller_.FirstVisibleColumn() + dx);
    controller_.MouseDrag(PosAt(ClampToText(point)));
    AfterEdit();
}

void CEditorView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        return;
    }
    controller_.DoubleClick(PosAt(ClampToText(event->pos())));
    AfterEdit();
}

void CEditorView::wheelEvent(QWheelEvent* event)
{
    // Fine-grained wheels send less than 120 at a time; their parts add up.
    wheelRemainder_ += event->angleDelta().y();
    const int steps = wheelRemainder_ / CEditorController::kWheelStep;
    wheelRemainder_ -= steps * CEditorController::kWheelStep;
    if (steps != 0) {
        controller_.Wheel(steps * CEditorController::kWheelStep);
        UpdateScrollBars();
        viewport()->update();
    }
    event->accept();
}

void CEditorView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    const int items[] = {cmd::kUndo,  cmd::kRedo, 0,          cmd::kCut,         cmd::kCopy,
                         cmd::kPaste, 0,          cmd::kFind, cmd::kFindInFiles, cmd::kReplace};
    for (const int id : items) {
        if (id == 0) {
            menu.addSeparator();
            continue;
        }
        const CommandType* command = FindCommand(id);
        QString text = QString::fromUtf8(command->text);
        if (command->keyText[0] != '\0') {
            text += '\t' + QString::fromUtf8(command->keyText);
        }
        QAction* action = menu.addAction(text);
        action->setData(id);
        action->setEnabled(CommandAllowed(id));
    }
    const QAction* chosen = menu.exec(event->globalPos());
    if (chosen == nullptr) {
        return;
    }
    const int id = chosen->data().toInt();
    if (id == cmd::kFindInFiles) {
        emit CommandRequested(id);
    } else {
        HandleCommand(id);
    }
}
