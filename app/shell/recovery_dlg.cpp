#include "app/shell/recovery_dlg.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column
{
    kFileColumn,
    kStateColumn,
    kSavedColumn,
    kChoiceColumn,
};

} // namespace

QString RecoveryStateText(const RecoveryEntryType& entry)
{
    switch (entry.state) {
    case RecoveryState::kRestorable:
        return QStringLiteral("Restorable");
    case RecoveryState::kSourceChanged:
        return QStringLiteral("Changed on disk since");
    case RecoveryState::kDamaged:
        break;
    }
    return QStringLiteral("Damaged: ") + QString::fromStdString(entry.problem);
}

CRecoveryDlg::CRecoveryDlg(const std::vector<RecoveryEntryType>& entries, QWidget* parent)
    : QDialog(parent), entries_(entries), choices_(entries.size(), RecoveryChoice::kKeep)
{
    setWindowTitle(QStringLiteral("Recover Unsaved Sources"));
    setObjectName(QStringLiteral("recoveryDialog"));
    auto* text = new QLabel(QStringLiteral(
        "These sources had changes that were not saved when the program last ended.\n"
        "Restore opens a source with those changes (save it to keep them); Discard "
        "drops them.\nSources left undecided are offered again at the next start."));
    list_ = new QTreeWidget;
    list_->setObjectName(QStringLiteral("recoveryList"));
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({QStringLiteral("Source"), QStringLiteral("State"),
                            QStringLiteral("Changes kept"), QStringLiteral("Choice")});
    for (const RecoveryEntryType& entry : entries_) {
        auto* item = new QTreeWidgetItem(list_);
        const QString path = QString::fromStdString(entry.sourcePath);
        item->setText(kFileColumn, path.isEmpty() ? QString::fromStdString(entry.title) +
                                                        QStringLiteral(" (never saved)")
                                                  : path);
        item->setText(kStateColumn, RecoveryStateText(entry));
        item->setText(kSavedColumn,
                      entry.savedAt > 0
                          ? QDateTime::fromSecsSinceEpoch(entry.savedAt).toString(Qt::ISODate)
                          : QString());
        item->setText(kChoiceColumn, QStringLiteral("Undecided"));
    }
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    auto* buttons = new QDialogButtonBox;
    restore_ = buttons->addButton(QStringLiteral("&Restore"), QDialogButtonBox::ActionRole);
    discard_ = buttons->addButton(QStringLiteral("&Discard"), QDialogButtonBox::ActionRole);
    QPushButton* close = buttons->addButton(QStringLiteral("&Close"), QDialogButtonBox::RejectRole);
    restore_->setAutoDefault(false);
    discard_->setAutoDefault(false);
    close->setAutoDefault(false);
    connect(restore_, &QPushButton::clicked, this, [this] { Decide(RecoveryChoice::kRestore); });
    connect(discard_, &QPushButton::clicked, this, [this] { Decide(RecoveryChoice::kDiscard); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QTreeWidget::currentItemChanged, this, [this] { SelectionChanged(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    resize(760, 300);
    if (list_->topLevelItemCount() > 0) {
        list_->setCurrentItem(list_->topLevelItem(0));
    }
    SelectionChanged();
    list_->setFocus();
}

void CRecoveryDlg::SelectionChanged()
{
    const int row = list_->indexOfTopLevelItem(list_->currentItem());
    const bool valid = row >= 0 && row < static_cast<int>(entries_.size());
    restore_->setEnabled(valid &&
                         entries_[static_cast<size_t>(row)].state != RecoveryState::kDamaged);
    discard_->setEnabled(valid);
}

void CRecoveryDlg::Decide(RecoveryChoice choice)
{
    const int row = list_->indexOfTopLevelItem(list_->currentItem());
    if (row < 0 || row >= static_cast<int>(entries_.size()) ||
        (choice == RecoveryChoice::kRestore &&
         entries_[static_cast<size_t>(row)].state == RecoveryState::kDamaged)) {
        return;
    }
    choices_[static_cast<size_t>(row)] = choice;
    list_->topLevelItem(row)->setText(kChoiceColumn, choice == RecoveryChoice::kRestore
                                                         ? QStringLiteral("Restore")
                                                         : QStringLiteral("Discard"));
    // On to the next undecided row; with none left the dialog has its answer.
    for (int i = 1; i <= list_->topLevelItemCount(); ++i) {
        const int next = (row + i) % list_->topLevelItemCount();
        if (choices_[static_cast<size_t>(next)] == RecoveryChoice::kKeep) {
            list_->setCurrentItem(list_->topLevelItem(next));
            return;
        }
    }
    accept();
}
