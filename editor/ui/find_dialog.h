#pragma once

#include <QDialog>

#include "editor/core/editor_search.h"
#include "editor/ui/search_option_widgets.h"

class QLineEdit;
class QListWidget;

// The Find dialog: the text, the search history, whole words, case and
// direction. "Find Next" closes it; the view then searches.
class CFindDialog : public QDialog
{
    Q_OBJECT

public:
    CFindDialog(const FindDialogStateType& state, QWidget* parent = nullptr);

    // The choices as they stand, with the history as it was shown.
    FindDialogStateType State() const;

private:
    FindDialogStateType state_;
    QLineEdit* text_;
    QListWidget* history_;
    CSearchOptionWidgets options_;
};
