// Drawing: the text in runs (before, inside and after the selection, and by
// token kind when colouring), the gray gutter with its marks, the caret.
#include <QHelpEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

#include "app/engines.h"
#include "app/source_document.h"
#include "editor/ui/editor_view.h"

namespace {

const QColor kGutter(0xC0, 0xC0, 0xC0);
// Lines with code the program never ran, while the coverage display is on.
const QColor kNotExecuted(0x90, 0x90, 0x90);
const QColor kBreakPointColour(0xFF, 0x00, 0x00);
const QColor kSoftBreakColour(0x00, 0xFF, 0x00);
const QColor kExecutionPoint(0x00, 0x00, 0xFF);
const QColor kErrorMark(0xE0, 0x00, 0x00);
const QColor kWarningMark(0xFF, 0x98, 0x00);
constexpr int kMessageMarkWidth = 3;

QColor TokenColour(TokenKind kind)
{
    switch (kind) {
    case TokenKind::kMnemonic:
        return {0x00, 0x00, 0xC0};
    case TokenKind::kDirective:
        return {0x80, 0x00, 0x80};
    case TokenKind::kSfr:
        return {0x00, 0x70, 0x80};
    case TokenKind::kRegister:
        return {0x80, 0x40, 0x00};
    case TokenKind::kNumber:
        return {0xB0, 0x00, 0x00};
    case TokenKind::kString:
        return {0xA0, 0x20, 0x70};
    case TokenKind::kComment:
        return {0x00, 0x80, 0x00};
    case TokenKind::kLabel:
        return {0x70, 0x50, 0x00};
    case TokenKind::kPlain:
        break;
    }
    return Qt::black;
}

} // namespace

LinePictureType CEditorView::Picture(int line) const
{
    LinePictureType picture;
    const CEditorDoc& doc = document_.Doc();
    if (line < 0 || line >= doc.LineCount()) {
        return picture;
    }
    picture.line = line;
    picture.gutter = marks_.At(host_.Engines(), line);
    const std::string_view text = doc.Line(line);
    std::vector<TokenSpanType> spans;
    if (colouring_) {
        ColourLine(text, spans);
    }
    // One column more than fits whole: the last one shows in part.
    const int columns = (viewport()->width() - cell_.gutterWidth) / cell_.charWidth + 1;
    ComposeRuns(text, line, controller_.FirstVisibleColumn(), columns, controller_.SelectionStart(),
                controller_.SelectionEnd(), colouring_ ? &spans : nullptr, picture.runs);
    return picture;
}

void CEditorView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    painter.setFont(font_);
    const QRect area = viewport()->rect();
    const QRect dirty = event->rect();
    const int lineHeight = cell_.lineHeight;
    painter.fillRect(dirty & QRect(cell_.gutterWidth, 0, area.width(), area.height()), Qt::white);
    painter.fillRect(dirty & QRect(0, 0, cell_.gutterWidth, area.height()), kGutter);

    const int firstRow = std::max(0, dirty.top() / lineHeight);
    const int lastRow = dirty.bottom() / lineHeight;
    const int lineCount = document_.Doc().LineCount();
    for (int row = firstRow; row <= lastRow; ++row) {
        const int line = controller_.FirstVisibleLine() + row;
        if (line >= lineCount) {
            break;
        }
        const LinePictureType picture = Picture(line);
        const int y = row * lineHeight;
        PaintLine(painter, picture, y);
        PaintGutter(painter, picture.gutter, y);
    }
    PaintCaret(painter);
}

void CEditorView::PaintLine(QPainter& painter, const LinePictureType& picture, int y) const
{
    const std::string_view text = document_.Doc().Line(picture.line);
    for (const TextRunType& run : picture.runs) {
        const int x =
            cell_.gutterWidth + (run.column - controller_.FirstVisibleColumn()) * cell_.charWidth;
        if (run.selected) {
            painter.fillRect(QRect(x, y, run.length * cell_.charWidth, cell_.lineHeight),
                             Qt::black);
            painter.setPen(Qt::white);
        } else {
            painter.setPen(TokenColour(run.kind));
        }
        painter.drawText(QPoint(x, y + ascent_),
                         DisplayText(text.substr(static_cast<size_t>(run.column),
                                                 static_cast<size_t>(run.length))));
    }
}

void CEditorView::PaintGutter(QPainter& painter, const GutterMarksType& marks, int y) const
{
    const int gutter = cell_.gutterWidth;
    const int lineHeight = cell_.lineHeight;
    if (marks.notExecuted) {
        painter.fillRect(QRect(0, y, gutter, lineHeight), kNotExecuted);
    }
    const int diameter = gutter - 2;
    const QRect circle((gutter - diameter) / 2, y + (lineHeight - diameter) / 2, diameter,
                       diameter);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    if (marks.breakPoint) {
        painter.setBrush(kBreakPointColour);
        painter.drawEllipse(circle);
    }
    if (marks.softBreak) {
        painter.setBrush(kSoftBreakColour);
        painter.drawEllipse(circle);
    }
    painter.restore();
    if (marks.executionPoint) {
        painter.fillRect(QRect(0, y + lineHeight / 4, gutter - 1, lineHeight / 2), kExecutionPoint);
    }
    if (marks.message != 0) {
        painter.fillRect(QRect(gutter - kMessageMarkWidth, y, kMessageMarkWidth, lineHeight),
                         marks.message == 2 ? kErrorMark : kWarningMark);
    }
}

QRect CEditorView::CaretRect() const
{
    const PixelPointType at = controller_.CaretPixel(cell_);
    const int width = controller_.Overwrite() ? cell_.charWidth : 2;
    return {at.x, at.y, width, cell_.lineHeight};
}

void CEditorView::PaintCaret(QPainter& painter) const
{
    if (!hasFocus() || !caretOn_) {
        return;
    }
    const QRect caret = CaretRect();
    if (caret.left() < cell_.gutterWidth || caret.top() < 0 ||
        caret.top() >= viewport()->height()) {
        return;
    }
    // Inverted, so the caret shows on the selection too.
    painter.setCompositionMode(QPainter::CompositionMode_Difference);
    painter.fillRect(caret, Qt::white);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

bool CEditorView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int line = controller_.FirstVisibleLine() + help->pos().y() / cell_.lineHeight;
        const std::string text = marks_.MessagesAt(line);
        if (text.empty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), QString::fromStdString(text), viewport());
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}
