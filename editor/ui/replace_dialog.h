#pragma once

#include <functional>

#include <QDialog>

#include "editor/core/editor_search.h"

class QCheckBox;
class QComboBox;
class QRadioButton;

// The Replace dialog over one replace session; it stays open until Cancel,
// and the view redraws after each of its buttons.
class CReplaceDialog : public QDialog
{
    Q_OBJECT

public:
    CReplaceDialog(CReplaceSession& session, std::function<void()> changed,
                   QWidget* parent = nullptr);

private:
    // The dialog's values into the session, before any search.
    void Gather();

    CReplaceSession& session_;
    std::function<void()> changed_;
    QComboBox* text_;
    QComboBox* replacement_;
    QCheckBox* wholeWords_;
    QCheckBox* matchCase_;
    QRadioButton* up_;
    QRadioButton* down_;
};
