#include "views/text_grid_view.h"

#include <algorithm>

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "app/engines.h"
#include "common/settings_keys.h"
#include "views/get_value_dlg.h"

namespace {

const QColor kBand(0, 0, 128);
const QColor kSelectedText(0, 0, 255);
const QColor kChanged(204, 0, 0);
const QColor kChangedOnBand(255, 160, 160);
// While a program runs the windows redraw at most this often; the values
// keep up between redraws.
constexpr int kRunRepaintMs = 40;

QString Printable(const std::string& text)
{
    QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    for (QChar& c : shown) {
        if (c.unicode() < 32 || c.unicode() == 127) {
            c = QLatin1Char('.'); // control bytes from the board draw as dots
        }
    }
    return shown;
}

std::optional<GridKey> GridKeyOf(int key)
{
    switch (key) {
    case Qt::Key_Left:
        return GridKey::kLeft;
    case Qt::Key_Right:
        return GridKey::kRight;
    case Qt::Key_Up:
        return GridKey::kUp;
    case Qt::Key_Down:
        return GridKey::kDown;
    case Qt::Key_Home:
        return GridKey::kHome;
    case Qt::Key_End:
        return GridKey::kEnd;
    case Qt::Key_PageUp:
        return GridKey::kPageUp;
    case Qt::Key_PageDown:
        return GridKey::kPageDown;
    default:
        return std::nullopt;
    }
}

int RunMenu(const std::vector<MenuItemType>& items, QPoint at, QWidget* parent)
{
    QMenu menu(parent);
    for (const MenuItemType& item : items) {
        if (item.separatorBefore) {
            menu.addSeparator();
        }
        QAction* action = menu.addAction(QString::fromStdString(item.text));
        action->setData(item.id);
        action->setEnabled(item.enabled);
        action->setCheckable(item.checked);
        action->setChecked(item.checked);
    }
    const QAction* chosen = menu.exec(at);
    return chosen != nullptr ? chosen->data().toInt() : 0;
}

} // namespace

int FontPixelHeight(int pointSize, int pixelsPerInch)
{
    // MulDiv: the product over 72, rounded half away from zero.
    return (pointSize * pixelsPerInch + 36) / 72;
}

CTextGridView::CTextGridView(std::unique_ptr<CGridModel> model, IViewHost& host, QWidget* parent)
    : QAbstractScrollArea(parent), model_(std::move(model)), host_(host)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(1);
    repaintTimer_.setSingleShot(true);
    repaintTimer_.setInterval(kRunRepaintMs);
    connect(&repaintTimer_, &QTimer::timeout, this, &CTextGridView::ShowChanges);
    valueDialog_ = [this](const QString& caption, const QString& initialText) {
        return CGetValueDlg::Ask(caption, initialText, this);
    };
    menuChooser_ = [this](const std::vector<MenuItemType>& items, QPoint at) {
        return RunMenu(items, at, this);
    };
    ApplyFont();
    model_->Sync();
    UpdateGeometry();
    FollowEnd();
}

CTextGridView::~CTextGridView() = default;

QSize CTextGridView::sizeHint() const
{
    const int columns = std::clamp(model_->TotalColumns(), 12, 60);
    const int lines = std::clamp(model_->LineCount(), 4, 16);
    return {columns * cellWidth_ + verticalScrollBar()->sizeHint().width() + 2 * frameWidth(),
            lines * cellHeight_ + 2 * frameWidth()};
}

void CTextGridView::ApplyFont()
{
    fontSize_ = host_.Engines().Options().fontSize;
    font_ = QFont(QStringLiteral("Courier New"));
    font_.setStyleHint(QFont::TypeWriter);
    font_.setFixedPitch(true);
    font_.setPixelSize(std::max(1, FontPixelHeight(std::max(1, fontSize_), logicalDpiY())));
    // Glyphs advance by a fraction of a pixel; spacing them to a whole cell
    // keeps every character on the grid that clicks and the caret use.
    const qreal advance = QFontMetricsF(font_).horizontalAdvance(QLatin1Char('H'));
    cellWidth_ = std::max(1, qRound(advance));
    font_.setLetterSpacing(QFont::AbsoluteSpacing, cellWidth_ - advance);
    const QFontMetrics metrics(font_);
    cellHeight_ = std::max(1, metrics.boundingRect(QStringLiteral("Hg")).height());
    cellHeight_ = std::max(cellHeight_, metrics.height());
    ascent_ = metrics.ascent();
}

void CTextGridView::UpdateGeometry()
{
    const int pageLines = std::max(1, viewport()->height() / cellHeight_);
    const int pageColumns = std::max(1, viewport()->width() / cellWidth_);
    model_->SetPage(pageLines, pageColumns);
    QScrollBar* vertical = verticalScrollBar();
    vertical->setPageStep(pageLines);
    vertical->setRange(0, std::max(0, model_->LineCount() - pageLines));
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setPageStep(pageColumns);
    horizontal->setRange(0, std::max(0, model_->TotalColumns() - pageColumns));
    model_->SetTopLine(vertical->value());
}

void CTextGridView::FollowEnd()
{
    if (model_->FollowsEnd() && model_->Selection().line < 0) {
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        horizontalScrollBar()->setValue(0);
    }
}

void CTextGridView::Refresh()
{
    if (host_.Engines().Options().fontSize != fontSize_) {
        ApplyFont();
        model_->Sync();
        ShowChanges();
        return;
    }
    if (!model_->Sync()) {
        return;
    }
    // While a program runs the values are followed at every update, but
    // lines are formatted and drawn at most every kRunRepaintMs.
    if (host_.Engines().Simulator().IsExecuting()) {
        if (!repaintTimer_.isActive()) {
            repaintTimer_.start();
        }
        return;
    }
    ShowChanges();
}

void CTextGridView::ShowChanges()
{
    repaintTimer_.stop();
    UpdateGeometry();
    FollowEnd();
    // Lines that scrolled into sight are read now.
    if (model_->TopLine() != verticalScrollBar()->value()) {
        model_->SetTopLine(verticalScrollBar()->value());
        model_->Sync();
    }
    viewport()->update();
}

void CTextGridView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateGeometry();
    FollowEnd();
    model_->Sync();
}

void CTextGridView::scrollContentsBy(int dx, int dy)
{
    (void)dx;
    (void)dy;
    model_->SetTopLine(verticalScrollBar()->value());
    model_->Sync();
    viewport()->update();
}

void CTextGridView::PaintLine(QPainter& painter, int line, int y, bool selected)
{
    const std::string& text = model_->LineText(line);
    const int x0 = -horizontalScrollBar()->value() * cellWidth_;
    const QString shown = Printable(text);
    const int width = static_cast<int>(shown.size()) * cellWidth_;
    if (selected) {
        painter.fillRect(0, y, viewport()->width(), cellHeight_, kBand);
        painter.fillRect(x0, y, width, cellHeight_, kSelectedText);
        painter.setPen(Qt::white);
    } else {
        painter.setPen(palette().color(QPalette::Text));
    }
    painter.drawText(x0, y + ascent_, shown);
    for (const ColumnSpanType& span : model_->ChangedSpans(line)) {
        const int length = std::min<int>(span.length, static_cast<int>(shown.size()) - span.column);
        if (length <= 0) {
            continue;
        }
        const int x = x0 + span.column * cellWidth_;
        painter.fillRect(x, y, length * cellWidth_, cellHeight_,
                         selected ? kSelectedText : palette().color(QPalette::Base));
        painter.setPen(selected ? kChangedOnBand : kChanged);
        painter.drawText(x, y + ascent_, shown.mid(span.column, length));
    }
}

void CTextGridView::paintEvent(QPaintEvent* event)
{
    (void)event;
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
    painter.setFont(font_);
    model_->SetMarkChanges(ReadSetting(host_.Settings(), settings::kHighlightChanges) != 0);
    const int top = verticalScrollBar()->value();
    const int last = std::min(model_->LineCount(), top + model_->PageLines() + 1);
    const GridPlaceType& selection = model_->Selection();
    for (int line = top; line < last; ++line) {
        const bool selected = line == selection.line && model_->HighlightsSelection();
        PaintLine(painter, line, (line - top) * cellHeight_, selected);
    }
    // The caret: a bar at the selected cell; without a band it alone marks
    // the selection, so it stays when the view loses focus.
    if (model_->LineSelected() && (hasFocus() || !model_->HighlightsSelection())) {
        const int x = (selection.column - horizontalScrollBar()->value()) * cellWidth_;
        const int y = (selection.line - top) * cellHeight_;
        const bool onBand = model_->HighlightsSelection();
        painter.fillRect(x, y, 2, cellHeight_,
                         onBand ? QColor(Qt::white) : palette().color(QPalette::Text));
        if (!onBand) {
            painter.fillRect(x, y + cellHeight_ - 2, 2 * cellWidth_, 2,
                             palette().color(QPalette::Highlight));
        }
    }
}

QPoint CTextGridView::CellAt(QPoint position) const
{
    return {position.x() / cellWidth_ + horizontalScrollBar()->value(),
            position.y() / cellHeight_ + verticalScrollBar()->value()};
}

void CTextGridView::EnsureSelectionVisible()
{
    const GridPlaceType& place = model_->Selection();
    if (place.line < 0) {
        return;
    }
    QScrollBar* vertical = verticalScrollBar();
    const int pageLines = model_->PageLines();
    if (place.line < vertical->value()) {
        vertical->setValue(place.line);
    } else if (place.line >= vertical->value() + pageLines) {
        vertical->setValue(place.line - pageLines + 1);
    }
    QScrollBar* horizontal = horizontalScrollBar();
    const int pageColumns = model_->PageColumns();
    if (place.column < horizontal->value()) {
        horizontal->setValue(place.column);
    } else if (place.column >= horizontal->value() + pageColumns) {
        horizontal->setValue(place.column - pageColumns + 1);
    }
}

void CTextGridView::SelectionMoved(bool changed)
{
    EnsureSelectionVisible();
    if (changed) {
        viewport()->update();
        host_.CommandStateChanged();
    }
}

void CTextGridView::keyPressEvent(QKeyEvent* event)
{
    if (const std::optional<GridKey> key = GridKeyOf(event->key())) {
        SelectionMoved(model_->Key(*key));
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Activate();
        return;
    }
    if (event->key() == Qt::Key_Menu ||
        (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        // The menu of the selected line, opened from the keyboard.
        const GridPlaceType& place = model_->Selection();
        const QPoint cell((place.column - horizontalScrollBar()->value()) * cellWidth_,
                          (std::max(0, place.line) - verticalScrollBar()->value() + 1) *
                              cellHeight_);
        ShowContextMenu(viewport()->mapToGlobal(cell));
        return;
    }
    if (event->key() == Qt::Key_Delete) {
        if (model_->DeleteKey()) {
            Refresh();
        }
        return;
    }
    const QString text = event->text();
    // Characters below 32 other than Enter do nothing.
    if (!text.isEmpty() && text.front().unicode() >= 32 && text.front().unicode() <= 255 &&
        text.front().unicode() != 127) {
        Edit(static_cast<char>(text.front().unicode()));
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void CTextGridView::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton) {
        const QPoint cell = CellAt(event->position().toPoint());
        SelectionMoved(model_->Click(cell.x(), cell.y()));
    }
}

void CTextGridView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint cell = CellAt(event->position().toPoint());
    SelectionMoved(model_->Click(cell.x(), cell.y()));
    Activate();
}

void CTextGridView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton) {
        return;
    }
    const QPoint cell = CellAt(event->position().toPoint());
    SelectionMoved(model_->Click(cell.x(), cell.y()));
    ShowContextMenu(event->globalPosition().toPoint());
}

void CTextGridView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void CTextGridView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void CTextGridView::ShowContextMenu(QPoint at)
{
    const std::vector<MenuItemType> items = model_->ContextMenu();
    if (items.empty()) {
        return;
    }
    viewport()->repaint(); // the new selection shows before the menu opens
    if (const int id = menuChooser_(items, at); id != 0) {
        HandleCommand(id);
    }
}

void CTextGridView::Activate()
{
    if (model_->BeginEdit(std::nullopt)) {
        Edit(std::nullopt);
    } else {
        model_->GoTo();
    }
}

void CTextGridView::Edit(std::optional<char> typed)
{
    const std::optional<ValueEditType> edit = model_->BeginEdit(typed);
    if (!edit) {
        return;
    }
    const std::optional<QString> text = valueDialog_(
        QString::fromLatin1(edit->caption.data(), static_cast<qsizetype>(edit->caption.size())),
        QString::fromLatin1(edit->initialText.data(),
                            static_cast<qsizetype>(edit->initialText.size())));
    if (text && model_->CommitEdit(text->toLatin1().toStdString())) {
        Refresh();
    }
}

bool CTextGridView::HandleCommand(int commandId)
{
    if (!model_->HandleCommand(commandId)) {
        return false;
    }
    Refresh();
    viewport()->update();
    host_.CommandStateChanged();
    return true;
}

void CTextGridView::FillCommandState(CommandStateType& state) const
{
    model_->FillCommandState(state);
}
