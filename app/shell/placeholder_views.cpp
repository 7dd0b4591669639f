#include "app/shell/placeholder_views.h"

#include <QFontDatabase>
#include <QTextBlock>

#include "app/commands.h"
#include "app/engines.h"
#include "app/source_document.h"
#include "common/text_util.h"

namespace {

QFont FixedFont(IViewHost& host)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const int size = host.Engines().Options().fontSize;
    font.setPointSize(size >= 6 && size <= 72 ? size : 10);
    return font;
}

QString DocumentText(const CEditorDoc& doc)
{
    // The document separates lines with a single CR.
    QString text = QString::fromLatin1(doc.Text(), static_cast<qsizetype>(doc.TextLength()));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

bool SamePath(const std::string& a, const std::string& b)
{
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

} // namespace

CSourcePreview::CSourcePreview(CSourceDocument& document, IViewHost& host, QWidget* parent)
    : QPlainTextEdit(parent), document_(document), host_(host)
{
    setReadOnly(true);
    // Keyboard navigation keeps a caret, so the commands that act at the
    // caret line work on this view.
    setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFont(FixedFont(host));
    connect(this, &QPlainTextEdit::cursorPositionChanged, this,
            [this] { host_.CommandStateChanged(); });
    connect(this, &QPlainTextEdit::selectionChanged, this, [this] { host_.CommandStateChanged(); });
    Refresh();
}

bool CSourcePreview::HandleCommand(int commandId)
{
    if (commandId == cmd::kCopy) {
        copy();
        return true;
    }
    return false;
}

void CSourcePreview::FillCommandState(CommandStateType& state) const
{
    state.hasSelection = textCursor().hasSelection();
}

void CSourcePreview::Refresh()
{
    if (seenText_.Update(document_.Doc().Revision())) {
        const int position = textCursor().position();
        setPlainText(DocumentText(document_.Doc()));
        QTextCursor cursor = textCursor();
        cursor.setPosition(std::min(position, document()->characterCount() - 1));
        setTextCursor(cursor);
    }
    MarkLines();
}

void CSourcePreview::MarkLines()
{
    const CSimulator& simulator = host_.Engines().Simulator();
    QList<QTextEdit::ExtraSelection> marks;
    const auto mark = [&](int line, const QColor& color) {
        const QTextBlock block = document()->findBlockByNumber(line);
        if (!block.isValid()) {
            return;
        }
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(block);
        selection.format.setBackground(color);
        selection.format.setProperty(QTextFormat::FullWidthSelection, true);
        marks.append(selection);
    };
    if (simulator.IsRunning()) {
        const int32_t module = simulator.Modules().FindModule(document_.Path());
        for (const BreakRecordType& record : simulator.Breakpoints()) {
            if (module >= 0 && record.module == module) {
                mark(record.line, record.kind == kBreakPoint ? QColor(0xF4, 0xC7, 0xC3)
                                                             : QColor(0xC8, 0xE6, 0xC9));
            }
        }
        const std::string pcPath = simulator.Modules().ModulePath(simulator.PcModule());
        if (!pcPath.empty() && SamePath(pcPath, document_.Path())) {
            // Stopped on a break point: both marks show in one colour.
            const bool onBreak =
                simulator.FindBreakpoint(module, simulator.PcLine(), kBreakPoint) >= 0;
            mark(simulator.PcLine(), onBreak ? QColor(0xD1, 0xC4, 0xE9) : QColor(0xBB, 0xDE, 0xFB));
        }
    }
    setExtraSelections(marks);
}

std::optional<std::pair<int, int>> CSourcePreview::CaretPlace() const
{
    const QTextCursor cursor = textCursor();
    return std::make_pair(cursor.blockNumber() + 1, cursor.positionInBlock() + 1);
}

void CSourcePreview::GoToLine(int line)
{
    const QTextBlock block = document()->findBlockByNumber(line);
    if (!block.isValid()) {
        return;
    }
    setTextCursor(QTextCursor(block));
    centerCursor();
}

std::string CSourcePreview::CaretWord() const
{
    const QTextCursor cursor = textCursor();
    const std::string line = cursor.block().text().toStdString();
    size_t start = std::min(static_cast<size_t>(cursor.positionInBlock()), line.size());
    size_t end = start;
    const auto stopsStart = [](char c) {
        return c == ' ' || c == '\t' || std::strchr(",#(+-*/", c);
    };
    const auto stopsEnd = [](char c) {
        return c == ' ' || c == '\t' || std::strchr(",:()+-*/", c);
    };
    while (start > 0 && !stopsStart(line[start - 1])) {
        --start;
    }
    while (end < line.size() && !stopsEnd(line[end])) {
        ++end;
    }
    return line.substr(start, end - start);
}

CToolPreview::CToolPreview(WindowKind kind, IViewHost& host, QWidget* parent)
    : QPlainTextEdit(parent), kind_(kind), host_(host)
{
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFont(FixedFont(host));
    Refresh();
}

bool CToolPreview::HandleCommand(int commandId)
{
    if (commandId == cmd::kClearDump && kind_ == WindowKind::kDump) {
        host_.Engines().Monitor().ClearLines();
        Refresh();
        return true;
    }
    return false;
}

std::string CToolPreview::Text() const
{
    CEngines& engines = host_.Engines();
    const ProcessorState& state = engines.Simulator().Processor().State();
    const auto& d = state.DirectSpace;
    std::string text;
    switch (kind_) {
    case WindowKind::kOutput:
        for (size_t i = 0; i < engines.Output().GetLineCount(); ++i) {
            text += engines.Output().GetLine(i) + "\n";
        }
        break;
    case WindowKind::kDump:
        for (const std::string& line : engines.Monitor().Lines()) {
            text += line + "\n";
        }
        break;
    case WindowKind::kRegister:
        text = StrFormat("A    %02X\nB    %02X\n", d[0xE0], d[0xF0]);
        for (int r = 0; r < 8; ++r) {
            text += StrFormat("R%d   %02X\n", r, d[static_cast<size_t>(state.bankBase + r)]);
        }
        text += StrFormat("SP   %02X\nPC   %04X\nDPTR %04X\nPSW  %02X\n", d[0x81],
                          engines.Simulator().Processor().Pc() & 0xFFFF, d[0x83] << 8 | d[0x82],
                          d[0xD0]);
        break;
    case WindowKind::kPort:
        text =
            StrFormat("P0 %02X\nP1 %02X\nP2 %02X\nP3 %02X\n", d[0x80], d[0x90], d[0xA0], d[0xB0]);
        break;
    case WindowKind::kWatch: {
        CWatchList& watches = engines.Simulator().Watches();
        for (int i = 0; i < watches.WatchCount(); ++i) {
            text += watches.FormatWatch(i) + "\n";
        }
        break;
    }
    default:
        text = std::string(KindInfo(kind_).documentName) + " window";
        break;
    }
    return text;
}

void CToolPreview::Refresh()
{
    const QString text = QString::fromStdString(Text());
    if (text != toPlainText()) {
        setPlainText(text);
        if (kind_ == WindowKind::kOutput) {
            moveCursor(QTextCursor::End);
        }
    }
}
