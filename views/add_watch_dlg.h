#pragma once

#include <array>

#include <QDialog>

#include "views/add_watch_model.h"

class IMessageSink;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

// "Add Watch" and "Modify Watch": the widgets over CAddWatchModel.
class CAddWatchDlg : public QDialog
{
    Q_OBJECT

public:
    CAddWatchDlg(bool modify, CAddWatchModel& model, IMessageSink& messages,
                 QWidget* parent = nullptr);

    QComboBox* AddressBox() const { return address_; }
    QComboBox* FormatBox() const { return format_; }
    QComboBox* BitIndexBox() const { return bitIndex_; }
    QLineEdit* ByteOrderEdit() const { return byteOrder_; }
    QComboBox* RadixBox() const { return radix_; }
    QCheckBox* NullTerminatedBox() const { return nullTerminated_; }
    QLineEdit* StringLengthEdit() const { return stringLength_; }
    QRadioButton* ResourceButton(int type) const { return resources_[static_cast<size_t>(type)]; }
    QPushButton* OkButton() const { return ok_; }

    void accept() override;

private:
    void BuildLayout();
    void Connect();
    void ShowFields();
    void ShowAddressList();
    void ShowEnables();

    CAddWatchModel& model_;
    IMessageSink& messages_;
    QComboBox* address_;
    QComboBox* format_;
    QComboBox* bitIndex_;
    QLineEdit* byteOrder_;
    QComboBox* radix_;
    QCheckBox* nullTerminated_;
    QLineEdit* stringLength_;
    QButtonGroup* resourceGroup_;
    std::array<QRadioButton*, 5> resources_{};
    QPushButton* ok_ = nullptr;
    bool showing_ = false;
};
