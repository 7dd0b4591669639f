#include "editor/ui/editor_print.h"

#include <algorithm>

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

#include "app/source_document.h"
#include "common/text_util.h"
#include "editor/ui/editor_clipboard.h"
#include "editor/ui/editor_view.h"

PrintLayoutType ComputePrintLayout(int lineCount, int printableHeight, int lineHeight)
{
    PrintLayoutType layout;
    lineHeight = std::max(1, lineHeight);
    layout.linesPerPage =
        std::max(1, (printableHeight - kPrintReservedLines * lineHeight) / lineHeight);
    layout.pageCount = std::max(1, (lineCount + layout.linesPerPage - 1) / layout.linesPerPage);
    return layout;
}

std::string PrintHeader(const std::string& path, const std::string& title, int page)
{
    const bool usePath = !path.empty() && path.size() <= static_cast<size_t>(kPrintPathLimit);
    std::string header = usePath ? path : title;
    const std::string pageText = StrFormat("Page %d", page);
    const size_t used = header.size() + pageText.size();
    header.append(used < static_cast<size_t>(kPrintHeaderColumns)
                      ? static_cast<size_t>(kPrintHeaderColumns) - used
                      : 1,
                  ' ');
    return header + pageText;
}

void CEditorView::PrintTo(QPrinter& printer)
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        host_.Messages().ShowMessage("Unable to print: the printer could not be started.",
                                     IMessageSink::Severity::kError);
        return;
    }
    QFont font(kFontFamily);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(fontSize_);
    painter.setFont(font);
    const QFontMetrics metrics(painter.font(), &printer);
    const int lineHeight = std::max(1, metrics.size(Qt::TextSingleLine, "Hg").height());
    const int ascent = metrics.ascent();
    const int ruleWidth = metrics.horizontalAdvance(QString::fromLatin1(kPrintRuler));
    const int printable = painter.viewport().height();

    const CEditorDoc& doc = document_.Doc();
    const PrintLayoutType layout = ComputePrintLayout(doc.LineCount(), printable, lineHeight);
    int firstPage = 1;
    int lastPage = layout.pageCount;
    if (printer.fromPage() > 0) {
        firstPage = std::clamp(printer.fromPage(), 1, layout.pageCount);
        lastPage = std::clamp(printer.toPage() > 0 ? printer.toPage() : lastPage, firstPage,
                              layout.pageCount);
    }
    for (int page = firstPage; page <= lastPage; ++page) {
        if (page != firstPage) {
            printer.newPage();
        }
        painter.setPen(Qt::black);
        painter.drawText(QPoint(0, ascent),
                         TextToQString(PrintHeader(document_.Path(), document_.Title(), page)));
        const int ruleY = lineHeight * 3 / 2;
        painter.drawLine(0, ruleY, ruleWidth, ruleY);
        int y = lineHeight * 3;
        const int first = (page - 1) * layout.linesPerPage;
        const int end = std::min(doc.LineCount(), first + layout.linesPerPage);
        for (int line = first; line < end; ++line, y += lineHeight) {
            painter.drawText(QPoint(0, y + ascent), DisplayText(doc.Line(line)));
        }
    }
    painter.end();
}
