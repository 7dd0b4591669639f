#pragma once

#include <vector>

#include <QDialog>

#include "app/recovery_store.h"

class QLabel;
class QPushButton;
class QTreeWidget;

// At start: the recovery files of sessions that ended with unsaved changes,
// one row each with its state. Restore and Discard act on the selected row;
// a damaged file can only be discarded. The choices are carried out when
// the dialog closes; rows left undecided are offered again next time.
class CRecoveryDlg : public QDialog
{
    Q_OBJECT

public:
    CRecoveryDlg(const std::vector<RecoveryEntryType>& entries, QWidget* parent);
    const std::vector<RecoveryChoice>& Choices() const { return choices_; }

    QTreeWidget* List() const { return list_; }
    QPushButton* RestoreButton() const { return restore_; }
    QPushButton* DiscardButton() const { return discard_; }

private:
    void Decide(RecoveryChoice choice);
    void SelectionChanged();

    std::vector<RecoveryEntryType> entries_;
    std::vector<RecoveryChoice> choices_;
    QTreeWidget* list_;
    QPushButton* restore_;
    QPushButton* discard_;
};

// The state column's text: "Restorable", "Changed on disk since" or
// "Damaged: <why>".
QString RecoveryStateText(const RecoveryEntryType& entry);
