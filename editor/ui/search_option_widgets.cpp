#include "editor/ui/search_option_widgets.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

CSearchOptionWidgets::CSearchOptionWidgets(const SearchOptionsType& options)
{
    wholeWords_ = new QCheckBox(QStringLiteral("Match whole words only"));
    wholeWords_->setObjectName("wholeWords");
    wholeWords_->setChecked(options.wholeWords);
    matchCase_ = new QCheckBox(QStringLiteral("Match case"));
    matchCase_->setObjectName("matchCase");
    matchCase_->setChecked(options.matchCase);
    auto* direction = new QGroupBox(QStringLiteral("Direction"));
    up_ = new QRadioButton(QStringLiteral("Up"));
    up_->setObjectName("up");
    down_ = new QRadioButton(QStringLiteral("Down"));
    down_->setObjectName("down");
    (options.down ? down_ : up_)->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(up_);
    directionLayout->addWidget(down_);

    auto* checks = new QVBoxLayout;
    checks->addWidget(wholeWords_);
    checks->addWidget(matchCase_);
    layout_ = new QHBoxLayout;
    layout_->addLayout(checks);
    layout_->addWidget(direction);
}

void CSearchOptionWidgets::Read(SearchOptionsType& options) const
{
    options.wholeWords = wholeWords_->isChecked();
    options.matchCase = matchCase_->isChecked();
    options.down = down_->isChecked();
}
