#include "editor/ui/find_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/ui/editor_clipboard.h"

CFindDialog::CFindDialog(const FindDialogStateType& state, QWidget* parent)
    : QDialog(parent), state_(state), options_(state.options)
{
    setWindowTitle(QStringLiteral("Find"));
    auto* label = new QLabel(QStringLiteral("Find what:"));
    text_ = new QLineEdit(TextToQString(state.text));
    text_->setObjectName("findWhat");
    label->setBuddy(text_);
    history_ = new QListWidget;
    history_->setObjectName("history");
    for (const std::string& entry : state.history) {
        history_->addItem(TextToQString(entry));
    }
    history_->setMaximumHeight(history_->fontMetrics().height() * 6 + 8);

    auto* findNext = new QPushButton(QStringLiteral("Find Next"));
    findNext->setObjectName("findNext");
    findNext->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName("cancel");
    connect(findNext, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(text_, 0, 1);
    grid->addWidget(history_, 1, 1);
    grid->addLayout(options_.Layout(), 2, 0, 1, 2);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(findNext);
    buttons->addWidget(cancel);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 3, 1);

    if (state.highlighted >= 0 && state.highlighted < history_->count()) {
        history_->setCurrentRow(state.highlighted);
    }
    // Connected after the first highlight, which leaves the text as it is.
    // Selections are the user's choices; the list making an entry current
    // when it gains the focus selects nothing.
    connect(history_, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> chosen = history_->selectedItems();
        if (!chosen.isEmpty()) {
            text_->setText(chosen.front()->text());
        }
    });
    text_->setFocus();
    text_->selectAll();
}

FindDialogStateType CFindDialog::State() const
{
    FindDialogStateType state = state_;
    state.text = QStringToText(text_->text());
    options_.Read(state.options);
    return state;
}
