#pragma once

#include <functional>

#include <QDialog>

#include "editor/core/editor_search.h"
#include "editor/ui/search_option_widgets.h"

class QComboBox;

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
    CSearchOptionWidgets options_;
};
