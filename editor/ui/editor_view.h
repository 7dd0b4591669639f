#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QAbstractScrollArea>
#include <QFont>
#include <QPoint>
#include <QTimer>
#include <string_view>

#include "app/view_host.h"
#include "common/revision.h"
#include "editor/core/editor_controller.h"
#include "editor/ui/editor_clipboard.h"
#include "editor/ui/editor_layout.h"
#include "editor/ui/source_marks.h"

class CSourceDocument;
class QPrinter;

// A source window: one CSourceDocument drawn in a fixed-pitch font with a
// gutter for breakpoints, the execution point and the assembler's messages.
// Keys and mouse go through the editor engine's controller; any number of
// views may show one document and follow its revision.
class CEditorView : public QAbstractScrollArea, public IDocumentView
{
    Q_OBJECT

public:
    static constexpr int kPollMs = 50;
    static constexpr int kAutoScrollMs = 100;
    static constexpr const char* kFontFamily = "Courier New";

    CEditorView(CSourceDocument& document, IViewHost& host, QWidget* parent = nullptr);
    ~CEditorView() override;

    // IDocumentView
    WindowKind Kind() const override { return WindowKind::kSource; }
    bool HandleCommand(int commandId) override;
    void FillCommandState(CommandStateType& state) const override;
    void Refresh() override;
    CSourceDocument* Document() override { return &document_; }
    std::optional<std::pair<int, int>> CaretPlace() const override;
    void GoToLine(int line) override;
    std::string CaretWord() const override;

    // The window caption: the document's title, then " *" while modified.
    QString TitleText() const;

    CEditorController& Controller() { return controller_; }
    const CEditorController& Controller() const { return controller_; }
    const CellMetricsType& Cell() const { return cell_; }
    const QFont& TextFont() const { return font_; }
    ScrollRangesType ScrollRanges() const;
    // Drawing as data: what a document line looks like in the window now.
    LinePictureType Picture(int line) const;
    bool ColouringOn() const { return colouring_; }
    // The document holds bytes no source has (NUL): it is shown, never changed.
    bool IsBinary() const { return binary_; }

    // Print and Print Preview draw through this.
    void PrintTo(QPrinter& printer);
    // The printer set up by Print Setup; the view keeps its own without one.
    void SetPrinter(QPrinter* printer) { sharedPrinter_ = printer; }

    // Seams for tests and for platforms without the usual dialogs.
    using SaveAsChooser = std::function<QString(QWidget* parent, const QString& start)>;
    void SetSaveAsChooser(SaveAsChooser chooser) { saveAsChooser_ = std::move(chooser); }
    void SetClipboard(std::unique_ptr<IClipboardPort> clipboard);

    // The Find, Replace and Save commands as functions.
    void RunFind();
    void RunReplace();
    void FindNextFromSettings();
    bool Save();
    bool SaveAs();

signals:
    // The caption changed (modified mark, Save As).
    void TitleChanged(const QString& title);
    // A command the frame carries out: Find in Files from the context menu.
    void CommandRequested(int commandId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    struct ViewStateType
    {
        bool canUndo = false;
        bool canRedo = false;
        bool hasSelection = false;
        bool clipboardHasText = false;
        std::pair<int, int> caretPlace{0, 0};
        bool overwrite = false;
        QString title;
        bool operator==(const ViewStateType&) const = default;
    };

    // Catches up with the document, the options and the engines; true when
    // the window must be redrawn.
    bool Sync();
    void ApplyFont();
    void UpdateScrollBars();
    // After the controller acted: scroll bars, redraw, command state.
    void AfterEdit();
    void NotifyState();
    ViewStateType CurrentState() const;
    bool CommandAllowed(int commandId) const;
    bool RefuseChange();
    void ReadClipboardState();

    // Painting (editor_view_paint.cpp)
    void PaintLine(QPainter& painter, const LinePictureType& picture, int y) const;
    void PaintGutter(QPainter& painter, const GutterMarksType& marks, int y) const;
    void PaintCaret(QPainter& painter) const;
    QRect CaretRect() const;

    // Input (editor_view_input.cpp)
    bool HandleEditorKey(QKeyEvent* event);
    bool HandleCommandKey(QKeyEvent* event);
    TextPosType PosAt(QPoint point) const;
    QPoint ClampToText(QPoint point) const;
    void AutoScrollStep();
    void StopDragging();

    // Commands (editor_view_commands.cpp)
    void Undo();
    void Redo();
    void Copy();
    void Cut();
    void Paste();
    void Print();
    void PrintPreview();
    void ToggleBreak(int32_t kind);
    void RemoveAllBreaks();
    void RunToCursor();

    CSourceDocument& document_;
    IViewHost& host_;
    CEditorController controller_;
    std::unique_ptr<IClipboardPort> clipboard_;
    bool clipboardHasText_ = false;

    QFont font_;
    int fontSize_ = 0;
    CellMetricsType cell_;
    int ascent_ = 0;
    bool colouring_ = true;
    bool binary_ = false;
    bool refusalShown_ = false;
    char pendingPrefix_ = 0; // 'Q' or 'K' while the controller waits for the second key

    CSeenRevision docSeen_;
    CSourceMarks marks_;
    ViewStateType notified_;
    bool syncingScrollBars_ = false;

    QTimer pollTimer_;
    QTimer caretTimer_;
    bool caretOn_ = true;
    QTimer autoScrollTimer_;
    bool dragging_ = false;
    QPoint lastDragPoint_;
    QPoint lastMousePoint_;
    int wheelRemainder_ = 0;

    SaveAsChooser saveAsChooser_;
    QPrinter* sharedPrinter_ = nullptr;
    std::unique_ptr<QPrinter> ownPrinter_;
};

// The title a source window shows for a document: its title, " *" while
// modified.
QString SourceWindowTitle(const CSourceDocument& document);
// A file filter written as "name|pattern|...||" in Qt's form; "*.*" becomes "*"
// so that names without a dot are listed too.
QString QtFileFilter(std::string_view filter);
inline constexpr const char* kSourceFileFilter =
    "Source Files (*.a51)|*.a51|Project Files (*.p51)|*.p51|All Files (*.*)|*.*||";
