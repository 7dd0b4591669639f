#pragma once

#include "editor/core/editor_search.h"

class QCheckBox;
class QHBoxLayout;
class QRadioButton;

// The choices the Find and Replace dialogs share: "Match whole words only"
// and "Match case" beside the Direction group. The widgets are made without a
// parent; adding Layout() to a dialog's layout takes them in, in tab order.
class CSearchOptionWidgets
{
public:
    explicit CSearchOptionWidgets(const SearchOptionsType& options);

    QHBoxLayout* Layout() const { return layout_; }
    // The choices as they stand into options; its other fields stay.
    void Read(SearchOptionsType& options) const;

private:
    QCheckBox* wholeWords_;
    QCheckBox* matchCase_;
    QRadioButton* up_;
    QRadioButton* down_;
    QHBoxLayout* layout_;
};
