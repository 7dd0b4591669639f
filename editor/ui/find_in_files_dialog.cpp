#include "editor/ui/find_in_files_dialog.h"

#include <filesystem>

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/engines.h"
#include "editor/ui/editor_clipboard.h"
#include "editor/ui/editor_view.h"

namespace {

// Search texts are bytes like the documents; file types and folders are
// names of the file system.
QComboBox* HistoryCombo(const std::vector<std::string>& history, const std::string& value,
                        bool fileNames)
{
    auto* combo = new QComboBox;
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMinimumContentsLength(30);
    for (const std::string& entry : history) {
        combo->addItem(fileNames ? QString::fromStdString(entry) : TextToQString(entry));
    }
    combo->setEditText(fileNames ? QString::fromStdString(value) : TextToQString(value));
    return combo;
}

std::vector<std::string> Entries(const QComboBox* combo, bool fileNames)
{
    std::vector<std::string> entries;
    for (int i = 0; i < combo->count(); ++i) {
        entries.push_back(fileNames ? combo->itemText(i).toStdString()
                                    : QStringToText(combo->itemText(i)));
    }
    return entries;
}

QCheckBox* Check(const char* text, const char* name, bool checked)
{
    auto* box = new QCheckBox(QString::fromLatin1(text));
    box->setObjectName(name);
    box->setChecked(checked);
    return box;
}

} // namespace

CFindInFilesDialog::CFindInFilesDialog(const FindInFilesDialogStateType& state, QWidget* parent)
    : QDialog(parent), state_(state)
{
    setWindowTitle(QStringLiteral("Find In Files"));
    text_ = HistoryCombo(state.findHistory, state.text, false);
    text_->setObjectName("findWhat");
    filter_ = HistoryCombo(state.filterHistory, state.filter, true);
    filter_->setObjectName("fileType");
    folder_ = HistoryCombo(state.folderHistory, state.folder, true);
    folder_->setObjectName("folder");
    wholeWords_ = Check("Match whole words only", "wholeWords", state.options.wholeWords);
    subdirectories_ =
        Check("Search subdirectories", "subdirectories", state.options.subdirectories);
    matchCase_ = Check("Match case", "matchCase", state.options.matchCase);

    auto* find = new QPushButton(QStringLiteral("Find"));
    find->setObjectName("find");
    find->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName("cancel");
    cancel->setAutoDefault(false);
    auto* browse = new QPushButton(QStringLiteral("&..."));
    browse->setObjectName("browse");
    browse->setAutoDefault(false);
    browse->setMaximumWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("....")) * 3);
    connect(find, &QPushButton::clicked, this, [this] {
        Gather();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, &CFindInFilesDialog::Browse);

    auto label = [](const char* text, QWidget* buddy) {
        auto* l = new QLabel(QString::fromLatin1(text));
        l->setBuddy(buddy);
        return l;
    };
    auto* grid = new QGridLayout(this);
    grid->addWidget(label("Find what:", text_), 0, 0);
    grid->addWidget(text_, 0, 1, 1, 2);
    grid->addWidget(label("In file type:", filter_), 1, 0);
    grid->addWidget(filter_, 1, 1, 1, 2);
    grid->addWidget(label("In folder:", folder_), 2, 0);
    grid->addWidget(folder_, 2, 1);
    grid->addWidget(browse, 2, 2);
    auto* options = new QVBoxLayout;
    options->addWidget(wholeWords_);
    options->addWidget(subdirectories_);
    options->addWidget(matchCase_);
    grid->addLayout(options, 3, 1, 1, 2);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(find);
    buttons->addWidget(cancel);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 3, 4, 1);
    text_->setFocus();

    chooser_ = [](QWidget* owner, const QString& start) {
        return QFileDialog::getExistingDirectory(owner, QStringLiteral("Choose Directory"), start);
    };
}

void CFindInFilesDialog::Gather()
{
    state_.text = QStringToText(text_->currentText());
    state_.filter = filter_->currentText().toStdString();
    state_.folder = folder_->currentText().toStdString();
    state_.options.wholeWords = wholeWords_->isChecked();
    state_.options.subdirectories = subdirectories_->isChecked();
    state_.options.matchCase = matchCase_->isChecked();
    state_.findHistory = Entries(text_, false);
    state_.filterHistory = Entries(filter_, true);
    state_.folderHistory = Entries(folder_, true);
}

void CFindInFilesDialog::Browse()
{
    Gather();
    const QString chosen = chooser_(this, QString::fromStdString(state_.folder));
    if (chosen.isEmpty()) {
        return;
    }
    SetChosenFolder(state_, chosen.toStdString());
    folder_->insertItem(0, chosen);
    folder_->setCurrentIndex(0);
}

FindInFilesDialogStateType CFindInFilesDialog::State() const
{
    return state_;
}

std::optional<FindInFilesRequestType>
RunFindInFilesDialog(QWidget* parent, ISettingsStore& store, const CEditorView* source,
                     const std::string& defaultFindDir, CFindInFilesDialog::FolderChooser chooser)
{
    std::error_code ec;
    const std::string currentDir = std::filesystem::current_path(ec).string();
    const FindInFilesDialogStateType prepared = PrepareFindInFilesDialog(
        store, currentDir, source != nullptr ? &source->Controller() : nullptr, defaultFindDir);
    CFindInFilesDialog dialog(prepared, parent);
    if (chooser) {
        dialog.SetFolderChooser(std::move(chooser));
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const FindInFilesDialogStateType state = dialog.State();
    StoreFindInFilesDialog(store, state);
    FindInFilesRequestType request;
    request.text = state.text;
    request.filter = state.filter;
    request.folder = state.folder;
    request.matchCase = state.options.matchCase;
    request.wholeWords = state.options.wholeWords;
    request.subdirectories = state.options.subdirectories;
    return request;
}

void StartFindInFiles(CEngines& engines, const FindInFilesRequestType& request)
{
    engines.Finder().Start(request.text, request.folder, request.filter, &engines.Output(),
                           request.matchCase, request.wholeWords, request.subdirectories);
}
