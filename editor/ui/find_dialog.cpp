#include "editor/ui/find_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editor/ui/editor_clipboard.h"

CFindDialog::CFindDialog(const FindDialogStateType& state, QWidget* parent)
    : QDialog(parent), state_(state)
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

    wholeWords_ = new QCheckBox(QStringLiteral("Match whole words only"));
    wholeWords_->setObjectName("wholeWords");
    wholeWords_->setChecked(state.options.wholeWords);
    matchCase_ = new QCheckBox(QStringLiteral("Match case"));
    matchCase_->setObjectName("matchCase");
    matchCase_->setChecked(state.options.matchCase);
    auto* direction = new QGroupBox(QStringLiteral("Direction"));
    up_ = new QRadioButton(QStringLiteral("Up"));
    up_->setObjectName("up");
    down_ = new QRadioButton(QStringLiteral("Down"));
    down_->setObjectName("down");
    (state.options.down ? down_ : up_)->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(up_);
    directionLayout->addWidget(down_);

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
    auto* options = new QVBoxLayout;
    options->addWidget(wholeWords_);
    options->addWidget(matchCase_);
    auto* lower = new QHBoxLayout;
    lower->addLayout(options);
    lower->addWidget(direction);
    grid->addLayout(lower, 2, 0, 1, 2);
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
    state.options.wholeWords = wholeWords_->isChecked();
    state.options.matchCase = matchCase_->isChecked();
    state.options.down = down_->isChecked();
    return state;
}
