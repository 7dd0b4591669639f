// The commands a source window carries out: editing, the clipboard, search,
// saving, printing and the simulator's commands at the caret line.
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "app/engines.h"
#include "app/source_document.h"
#include "common/text_util.h"
#include "editor/core/editor_search.h"
#include "editor/ui/editor_view.h"
#include "editor/ui/find_dialog.h"
#include "editor/ui/replace_dialog.h"

namespace {

constexpr const char* kBinaryRefused =
    "%s contains binary data: it is shown, but it is not changed or saved.";
constexpr const char* kDefaultSuffix = "a51";

QString ChooseSaveFile(QWidget* parent, const QString& start)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save As"), start,
                                        QtFileFilter(kSourceFileFilter));
}

} // namespace

QString QtFileFilter(std::string_view filter)
{
    QStringList parts = QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size()))
                            .split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2) {
        QString name = parts[i];
        const qsizetype paren = name.indexOf(QStringLiteral(" ("));
        if (paren >= 0) {
            name.truncate(paren);
        }
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            if (pattern == QStringLiteral("*.*")) {
                pattern = QStringLiteral("*");
            }
        }
        entries << name + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

bool CEditorView::HandleCommand(int commandId)
{
    switch (commandId) {
    case cmd::kUndo:
        Undo();
        break;
    case cmd::kRedo:
        Redo();
        break;
    case cmd::kCut:
        Cut();
        break;
    case cmd::kCopy:
        Copy();
        break;
    case cmd::kPaste:
        Paste();
        break;
    case cmd::kFind:
        RunFind();
        break;
    case cmd::kReplace:
        RunReplace();
        break;
    case cmd::kSave:
        Save();
        break;
    case cmd::kSaveAs:
        SaveAs();
        break;
    case cmd::kPrint:
        Print();
        break;
    case cmd::kPrintPreview:
        PrintPreview();
        break;
    case cmd::kToggleBreakPoint:
        ToggleBreak(kBreakPoint);
        break;
    case cmd::kSoftBreak:
        ToggleBreak(kSoftBreak);
        break;
    case cmd::kRemoveAllBreakPoints:
        RemoveAllBreaks();
        break;
    case cmd::kRunToCursor:
        RunToCursor();
        break;
    default:
        return false;
    }
    AfterEdit();
    return true;
}

// A binary file is shown as it is; the first attempt to change it says why
// nothing happens, later ones stay quiet.
bool CEditorView::RefuseChange()
{
    if (!binary_) {
        return false;
    }
    if (!refusalShown_) {
        refusalShown_ = true;
        host_.Messages().ShowMessage(StrFormat(kBinaryRefused, document_.Title().c_str()),
                                     IMessageSink::Severity::kWarning);
    }
    return true;
}

void CEditorView::Undo()
{
    if (!RefuseChange()) {
        controller_.Undo();
    }
}

void CEditorView::Redo()
{
    if (!RefuseChange()) {
        controller_.Redo();
    }
}

void CEditorView::Copy()
{
    if (controller_.HasSelection()) {
        CopyToClipboard(*clipboard_, controller_.CopyText(), host_.Messages());
        ReadClipboardState();
    }
}

// The selection goes only once the clipboard holds it.
void CEditorView::Cut()
{
    if (!controller_.HasSelection() || RefuseChange()) {
        return;
    }
    if (CopyToClipboard(*clipboard_, controller_.CopyText(), host_.Messages())) {
        controller_.DeleteSelection();
    }
    ReadClipboardState();
}

void CEditorView::Paste()
{
    if (RefuseChange()) {
        return;
    }
    std::optional<std::string> text = ReadClipboard(*clipboard_, host_.Messages());
    if (!text) {
        return;
    }
    std::erase(*text, '\0'); // a NUL would end the text for every reader of the file
    controller_.Paste(*text);
}

void CEditorView::RunFind()
{
    const FindDialogStateType state = PrepareFindDialog(controller_, host_.Settings());
    CFindDialog dialog(state, this);
    if (dialog.exec() == QDialog::Accepted) {
        RunFindDialog(controller_, host_.Settings(), dialog.State());
    }
}

void CEditorView::RunReplace()
{
    if (RefuseChange()) {
        return;
    }
    CReplaceSession session(controller_, host_.Settings(), &host_.Messages());
    AfterEdit(); // the session collapsed the selection
    CReplaceDialog dialog(
        session, [this] { AfterEdit(); }, this);
    dialog.exec();
}

void CEditorView::FindNextFromSettings()
{
    FindNext(controller_, host_.Settings(), true);
}

bool CEditorView::Save()
{
    if (document_.Path().empty()) {
        return SaveAs();
    }
    if (RefuseChange()) {
        return false;
    }
    const bool saved = document_.Save();
    AfterEdit();
    return saved;
}

bool CEditorView::SaveAs()
{
    if (RefuseChange()) {
        return false;
    }
    const QString start =
        QString::fromStdString(document_.Path().empty() ? document_.Title() : document_.Path());
    QString name = saveAsChooser_ ? saveAsChooser_(this, start) : ChooseSaveFile(this, start);
    if (name.isEmpty()) {
        return false;
    }
    if (QFileInfo(name).suffix().isEmpty()) {
        name += QLatin1Char('.') + QLatin1String(kDefaultSuffix);
    }
    const bool saved = document_.SaveAs(QFile::encodeName(name).toStdString());
    AfterEdit();
    return saved;
}

void CEditorView::Print()
{
    if (!sharedPrinter_ && !ownPrinter_) {
        ownPrinter_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    QPrinter& printer = sharedPrinter_ ? *sharedPrinter_ : *ownPrinter_;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) {
        PrintTo(printer);
    }
}

void CEditorView::PrintPreview()
{
    if (!sharedPrinter_ && !ownPrinter_) {
        ownPrinter_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    QPrinter& printer = sharedPrinter_ ? *sharedPrinter_ : *ownPrinter_;
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { PrintTo(*target); });
    preview.exec();
}

void CEditorView::ToggleBreak(int32_t kind)
{
    const int command = kind == kBreakPoint ? cmd::kToggleBreakPoint : cmd::kSoftBreak;
    if (!CommandAllowed(command)) {
        return;
    }
    host_.Engines().Simulator().ToggleBreakpoint(document_.Path(), controller_.Caret().line, kind);
    host_.CommandStateChanged(); // Remove All Break Points may have changed
}

void CEditorView::RemoveAllBreaks()
{
    if (!CommandAllowed(cmd::kRemoveAllBreakPoints)) {
        return;
    }
    host_.Engines().Simulator().RemoveAllBreakpoints();
    host_.CommandStateChanged();
}

void CEditorView::RunToCursor()
{
    if (!CommandAllowed(cmd::kRunToCursor)) {
        return;
    }
    CSimulator& simulator = host_.Engines().Simulator();
    simulator.RunToCursor(document_.Path(), controller_.Caret().line);
    host_.CommandStateChanged();
    if (!simulator.IsExecuting()) {
        host_.ShowExecutionPoint();
        host_.UpdateAllWindows();
    }
}
