#include "editor/ui/replace_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editor/ui/editor_clipboard.h"

namespace {

QComboBox* HistoryCombo(const std::vector<std::string>& history, const std::string& text)
{
    auto* combo = new QComboBox;
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& entry : history) {
        combo->addItem(TextToQString(entry));
    }
    combo->setEditText(TextToQString(text));
    combo->setMinimumContentsLength(24);
    return combo;
}

} // namespace

CReplaceDialog::CReplaceDialog(CReplaceSession& session, std::function<void()> changed,
                               QWidget* parent)
    : QDialog(parent), session_(session), changed_(std::move(changed))
{
    setWindowTitle(QStringLiteral("Replace"));
    // An empty text takes the history's first entry, and a replacement
    // history offers its first entry.
    std::string text = session.text;
    if (text.empty() && !session.FindHistory().empty()) {
        text = session.FindHistory().front();
    }
    std::string replacement = session.replacement;
    if (!session.ReplaceHistory().empty()) {
        replacement = session.ReplaceHistory().front();
    }
    text_ = HistoryCombo(session.FindHistory(), text);
    text_->setObjectName("findWhat");
    replacement_ = HistoryCombo(session.ReplaceHistory(), replacement);
    replacement_->setObjectName("replaceWith");
    auto* findLabel = new QLabel(QStringLiteral("Find what:"));
    findLabel->setBuddy(text_);
    auto* replaceLabel = new QLabel(QStringLiteral("Replace with:"));
    replaceLabel->setBuddy(replacement_);

    wholeWords_ = new QCheckBox(QStringLiteral("Match whole words only"));
    wholeWords_->setObjectName("wholeWords");
    wholeWords_->setChecked(session.options.wholeWords);
    matchCase_ = new QCheckBox(QStringLiteral("Match case"));
    matchCase_->setObjectName("matchCase");
    matchCase_->setChecked(session.options.matchCase);
    auto* direction = new QGroupBox(QStringLiteral("Direction"));
    up_ = new QRadioButton(QStringLiteral("Up"));
    up_->setObjectName("up");
    down_ = new QRadioButton(QStringLiteral("Down"));
    down_->setObjectName("down");
    (session.options.down ? down_ : up_)->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(up_);
    directionLayout->addWidget(down_);

    auto button = [this](const char* text, const char* name) {
        auto* b = new QPushButton(QString::fromLatin1(text));
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* findNext = button("Find Next", "findNext");
    findNext->setDefault(true);
    QPushButton* replace = button("Replace", "replace");
    QPushButton* replaceAll = button("Replace All", "replaceAll");
    QPushButton* cancel = button("Cancel", "cancel");
    connect(findNext, &QPushButton::clicked, this, [this] {
        Gather();
        session_.FindNextHit();
        changed_();
    });
    connect(replace, &QPushButton::clicked, this, [this] {
        Gather();
        session_.Replace();
        changed_();
    });
    connect(replaceAll, &QPushButton::clicked, this, [this] {
        Gather();
        session_.ReplaceAll();
        changed_();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(text_, 0, 1);
    grid->addWidget(replaceLabel, 1, 0);
    grid->addWidget(replacement_, 1, 1);
    auto* options = new QVBoxLayout;
    options->addWidget(wholeWords_);
    options->addWidget(matchCase_);
    auto* lower = new QHBoxLayout;
    lower->addLayout(options);
    lower->addWidget(direction);
    grid->addLayout(lower, 2, 0, 1, 2);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(findNext);
    buttons->addWidget(replace);
    buttons->addWidget(replaceAll);
    buttons->addWidget(cancel);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 3, 1);
    text_->setFocus();
}

void CReplaceDialog::Gather()
{
    session_.text = QStringToText(text_->currentText());
    session_.replacement = QStringToText(replacement_->currentText());
    session_.options.wholeWords = wholeWords_->isChecked();
    session_.options.matchCase = matchCase_->isChecked();
    session_.options.down = down_->isChecked();
}
