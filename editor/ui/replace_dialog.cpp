#include "editor/ui/replace_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
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
    : QDialog(parent), session_(session), changed_(std::move(changed)), options_(session.options)
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
    grid->addLayout(options_.Layout(), 2, 0, 1, 2);
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
    options_.Read(session_.options);
}
