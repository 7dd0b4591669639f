#include "editor/ui/editor_view.h"

#include <algorithm>
#include <cstring>

#include <QClipboard>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPrinter>
#include <QScrollBar>
#include <QStyleHints>

#include "app/engines.h"
#include "app/source_document.h"
#include "common/settings_keys.h"
#include "editor/core/editor_search.h"

namespace {

constexpr int kMinFontSize = 4;
constexpr int kMaxFontSize = 96;

// A damaged FontSize must neither vanish the text nor fill the screen with it.
int UsableFontSize(int size)
{
    if (size <= 0) {
        return settings::kFontSize.defaultValue;
    }
    return std::clamp(size, kMinFontSize, kMaxFontSize);
}

int UsableTabWidth(int width)
{
    return width > 0 ? width : settings::kTabWidth.defaultValue;
}

} // namespace

QString SourceWindowTitle(const CSourceDocument& document)
{
    QString title = QString::fromStdString(document.Title());
    if (document.Doc().IsModified()) {
        title += " *";
    }
    return title;
}

CEditorView::CEditorView(CSourceDocument& document, IViewHost& host, QWidget* parent)
    : QAbstractScrollArea(parent), document_(document), host_(host),
      controller_(document.Doc(), host.OverwriteMode()),
      clipboard_(std::make_unique<CQtClipboardPort>())
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setMouseTracking(true); // tooltips of the message lines
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    const std::string_view text = document.Doc().TextView();
    binary_ = std::memchr(text.data(), '\0', text.size()) != nullptr;
    colouring_ = ReadSetting(host.Settings(), settings::kSyntaxColouring) != 0;
    controller_.onFindNext = [this] { FindNextFromSettings(); };

    fontSize_ = UsableFontSize(host.Engines().Options().fontSize);
    ApplyFont();
    Sync();

    pollTimer_.setInterval(kPollMs);
    connect(&pollTimer_, &QTimer::timeout, this, [this] {
        if (Sync()) {
            viewport()->update();
            NotifyState();
        }
    });
    caretTimer_.setInterval(std::max(100, QGuiApplication::styleHints()->cursorFlashTime() / 2));
    connect(&caretTimer_, &QTimer::timeout, this, [this] {
        caretOn_ = !caretOn_;
        viewport()->update(CaretRect());
    });
    autoScrollTimer_.setInterval(kAutoScrollMs);
    connect(&autoScrollTimer_, &QTimer::timeout, this, &CEditorView::AutoScrollStep);
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        connect(clipboard, &QClipboard::dataChanged, this, [this] {
            ReadClipboardState();
            NotifyState();
        });
    }
    ReadClipboardState();
    notified_ = CurrentState();
}

CEditorView::~CEditorView() = default;

void CEditorView::SetClipboard(std::unique_ptr<IClipboardPort> clipboard)
{
    clipboard_ = std::move(clipboard);
    ReadClipboardState();
    NotifyState();
}

// Read once per change of the clipboard: asking another program for its
// text on every keystroke would make typing wait for it.
void CEditorView::ReadClipboardState()
{
    clipboardHasText_ = clipboard_->Text().has_value();
}

void CEditorView::ApplyFont()
{
    QFont font(kFontFamily);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setKerning(false);
    font.setPointSize(fontSize_);
    // Columns sit on a whole-pixel grid: where the font's advance is
    // fractional, letter spacing makes every glyph advance one cell.
    const QFontMetricsF exact(font, viewport());
    const qreal advance = exact.horizontalAdvance(QLatin1Char('H'));
    cell_.charWidth = std::max(1, qRound(advance));
    font.setLetterSpacing(QFont::AbsoluteSpacing, cell_.charWidth - advance);
    font_ = font;
    const QFontMetrics metrics(font_, viewport());
    cell_.lineHeight = std::max(1, metrics.size(Qt::TextSingleLine, QStringLiteral("Hg")).height());
    cell_.gutterWidth = 2 * cell_.charWidth;
    ascent_ = metrics.ascent();
    resizeEvent(nullptr);
}

void CEditorView::resizeEvent(QResizeEvent* event)
{
    if (event != nullptr) {
        QAbstractScrollArea::resizeEvent(event);
    }
    const QSize size = viewport()->size();
    controller_.SetViewSize(size.height() / cell_.lineHeight,
                            (size.width() - cell_.gutterWidth) / cell_.charWidth);
    controller_.ScrollTo(controller_.FirstVisibleLine(), controller_.FirstVisibleColumn());
    UpdateScrollBars();
}

ScrollRangesType CEditorView::ScrollRanges() const
{
    return ComputeScrollRanges(document_.Doc().LineCount(), controller_.VisibleLines(),
                               controller_.VisibleColumns(), controller_.FirstVisibleColumn());
}

void CEditorView::UpdateScrollBars()
{
    const ScrollRangesType ranges = ScrollRanges();
    syncingScrollBars_ = true;
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, ranges.verticalMax);
    vertical->setPageStep(ranges.verticalPage);
    vertical->setSingleStep(1);
    vertical->setValue(controller_.FirstVisibleLine());
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, ranges.horizontalMax);
    horizontal->setPageStep(ranges.horizontalPage);
    horizontal->setSingleStep(1);
    horizontal->setValue(controller_.FirstVisibleColumn());
    syncingScrollBars_ = false;
}

void CEditorView::scrollContentsBy(int, int)
{
    if (syncingScrollBars_) {
        return;
    }
    controller_.ScrollTo(verticalScrollBar()->value(), horizontalScrollBar()->value());
    viewport()->update();
}

bool CEditorView::Sync()
{
    bool redraw = false;
    const GlobalOptions& options = host_.Engines().Options();
    CEditorDoc& doc = document_.Doc();
    doc.SetTabWidth(UsableTabWidth(options.tabWidth));
    const int size = UsableFontSize(options.fontSize);
    if (size != fontSize_) {
        fontSize_ = size;
        ApplyFont();
        redraw = true;
    }
    if (docSeen_.Update(doc.Revision())) {
        // Another window may have changed the text under this one's caret.
        const TextPosType caret = doc.Clamp(controller_.Caret());
        const TextPosType anchor = doc.Clamp(controller_.Anchor());
        const int firstLine = controller_.FirstVisibleLine();
        const int firstColumn = controller_.FirstVisibleColumn();
        if (!(caret == controller_.Caret()) || !(anchor == controller_.Anchor())) {
            controller_.SetSelection(anchor, caret);
        }
        controller_.ScrollTo(firstLine, firstColumn);
        UpdateScrollBars();
        redraw = true;
    }
    if (marks_.Update(host_.Engines(), document_.Path(), host_.CoverageDisplay())) {
        redraw = true;
    }
    return redraw;
}

void CEditorView::Refresh()
{
    colouring_ = ReadSetting(host_.Settings(), settings::kSyntaxColouring) != 0;
    Sync();
    UpdateScrollBars();
    viewport()->update();
    NotifyState();
}

void CEditorView::AfterEdit()
{
    Sync();
    UpdateScrollBars();
    caretOn_ = true;
    if (caretTimer_.isActive()) {
        caretTimer_.start();
    }
    viewport()->update();
    NotifyState();
}

CEditorView::ViewStateType CEditorView::CurrentState() const
{
    ViewStateType state;
    state.canUndo = controller_.CanUndo();
    state.canRedo = controller_.CanRedo();
    state.hasSelection = controller_.HasSelection();
    state.clipboardHasText = clipboardHasText_;
    state.caretPlace = {controller_.Caret().line + 1, controller_.Caret().col + 1};
    state.overwrite = controller_.Overwrite();
    state.title = TitleText();
    return state;
}

// The frame hears of every change that an enable rule, the status bar or the
// caption reads.
void CEditorView::NotifyState()
{
    const ViewStateType state = CurrentState();
    if (state == notified_) {
        return;
    }
    const bool titleChanged = state.title != notified_.title;
    notified_ = state;
    if (titleChanged) {
        emit TitleChanged(state.title);
    }
    host_.CommandStateChanged();
}

void CEditorView::FillCommandState(CommandStateType& state) const
{
    state.canUndo = controller_.CanUndo() && !binary_;
    state.canRedo = controller_.CanRedo() && !binary_;
    state.hasSelection = controller_.HasSelection();
    state.clipboardHasText = clipboardHasText_ && !binary_;
}

bool CEditorView::CommandAllowed(int commandId) const
{
    const CommandType* command = FindCommand(commandId);
    if (command == nullptr) {
        return false;
    }
    CommandStateType state;
    const CSimulator& simulator = host_.Engines().Simulator();
    state.busy = host_.Engines().Busy();
    state.halted = simulator.IsHalted();
    state.returnAtPc = simulator.OpcodeAtPcIsReturn();
    state.breakpointsExist = simulator.HasBreakpoints();
    state.activeKind = WindowKind::kSource;
    state.anyDocument = true;
    state.coverageDisplay = host_.CoverageDisplay();
    FillCommandState(state);
    return CommandEnabled(*command, state);
}

QString CEditorView::TitleText() const
{
    return SourceWindowTitle(document_);
}

std::optional<std::pair<int, int>> CEditorView::CaretPlace() const
{
    return std::make_pair(controller_.Caret().line + 1, controller_.Caret().col + 1);
}

void CEditorView::GoToLine(int line)
{
    const int last = document_.Doc().LineCount() - 1;
    line = std::clamp(line, 0, std::max(0, last));
    controller_.SetCaret({0, line});
    // The line comes to the middle of the window, where the eye looks first.
    controller_.ScrollTo(line - controller_.VisibleLines() / 2, 0);
    AfterEdit();
}

std::string CEditorView::CaretWord() const
{
    return WordAtCaret(controller_);
}

void CEditorView::showEvent(QShowEvent* event)
{
    QAbstractScrollArea::showEvent(event);
    pollTimer_.start();
    if (Sync()) {
        viewport()->update();
    }
}

void CEditorView::hideEvent(QHideEvent* event)
{
    QAbstractScrollArea::hideEvent(event);
    pollTimer_.stop();
    caretTimer_.stop();
    StopDragging();
}

void CEditorView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    caretOn_ = true;
    caretTimer_.start();
    viewport()->update(CaretRect());
}

void CEditorView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    caretTimer_.stop();
    viewport()->update(CaretRect());
}
