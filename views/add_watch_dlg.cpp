#include "views/add_watch_dlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/message_sink.h"

namespace {

constexpr int kByteOrderLimit = 32;

QString Text(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Latin1(const QString& text)
{
    return text.toLatin1().toStdString();
}

} // namespace

CAddWatchDlg::CAddWatchDlg(bool modify, CAddWatchModel& model, IMessageSink& messages,
                           QWidget* parent)
    : QDialog(parent), model_(model), messages_(messages), address_(new QComboBox(this)),
      format_(new QComboBox(this)), bitIndex_(new QComboBox(this)), byteOrder_(new QLineEdit(this)),
      radix_(new QComboBox(this)),
      nullTerminated_(new QCheckBox(QStringLiteral("Null terminated string"), this)),
      stringLength_(new QLineEdit(this)), resourceGroup_(new QButtonGroup(this))
{
    setWindowTitle(modify ? QStringLiteral("Modify Watch") : QStringLiteral("Add Watch"));
    address_->setEditable(true);
    address_->setInsertPolicy(QComboBox::NoInsert);
    address_->lineEdit()->setMaxLength(static_cast<int>(CAddWatchModel::kNameLimit));
    format_->addItems({QStringLiteral("Byte"), QStringLiteral("Word"),
                       QStringLiteral("Double Word"), QStringLiteral("String"),
                       QStringLiteral("Bit")});
    for (int i = 0; i < 8; ++i) {
        bitIndex_->addItem(QString::number(i));
    }
    byteOrder_->setMaxLength(kByteOrderLimit);
    radix_->addItems({QStringLiteral("Default"), QStringLiteral("Decimal"),
                      QStringLiteral("Hexadecimal"), QStringLiteral("ASCII"),
                      QStringLiteral("Binary")});
    stringLength_->setMaxLength(8);
    BuildLayout();
    ShowFields();
    Connect();
}

void CAddWatchDlg::BuildLayout()
{
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Address:"), address_);
    fields->addRow(QStringLiteral("Format:"), format_);
    fields->addRow(QStringLiteral("Bit Index:"), bitIndex_);
    fields->addRow(QStringLiteral("Byte Order:"), byteOrder_);
    fields->addRow(QStringLiteral("Display radix:"), radix_);
    fields->addRow(QString(), nullTerminated_);
    fields->addRow(QStringLiteral("String length:"), stringLength_);

    auto* group = new QGroupBox(QStringLiteral("Resource Type"), this);
    auto* radios = new QVBoxLayout(group);
    static const char* const kNames[] = {"Register", "Indirect Memory", "Direct Memory",
                                         "Extenal Memory", "Simulation Result"};
    for (int i = 0; i < 5; ++i) {
        auto* button = new QRadioButton(QString::fromLatin1(kNames[i]), group);
        resources_[static_cast<size_t>(i)] = button;
        resourceGroup_->addButton(button, i);
        radios->addWidget(button);
    }
    auto* top = new QHBoxLayout;
    top->addLayout(fields);
    top->addWidget(group, 0, Qt::AlignTop);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

void CAddWatchDlg::Connect()
{
    connect(address_, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (!showing_) {
            model_.SetName(Latin1(text));
            ShowEnables();
        }
    });
    connect(address_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        model_.PickAddress(Latin1(address_->itemText(index)));
        ShowFields();
    });
    connect(format_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        model_.SetFormat(index);
        ShowFields();
    });
    connect(bitIndex_, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { model_.SetBitIndex(index); });
    connect(byteOrder_, &QLineEdit::textEdited, this,
            [this](const QString& text) { model_.SetByteOrderText(Latin1(text)); });
    connect(radix_, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { model_.SetRadix(index); });
    connect(nullTerminated_, &QCheckBox::toggled, this, [this](bool on) {
        if (!showing_) {
            model_.SetNullTerminated(on);
            ShowEnables();
        }
    });
    connect(resourceGroup_, &QButtonGroup::idClicked, this, [this](int id) {
        model_.SetResourceType(id);
        ShowFields();
    });
}

void CAddWatchDlg::ShowAddressList()
{
    const QString text = address_->currentText();
    address_->clear();
    for (const std::string& name : model_.AddressList()) {
        address_->addItem(Text(name));
    }
    address_->setCurrentIndex(-1);
    address_->setEditText(text);
}

void CAddWatchDlg::ShowFields()
{
    showing_ = true;
    const WatchFieldsType& f = model_.Fields();
    address_->setEditText(Text(f.name));
    ShowAddressList();
    format_->setCurrentIndex(f.format);
    bitIndex_->setCurrentIndex(f.bitIndex);
    byteOrder_->setText(Text(f.byteOrderText));
    radix_->setCurrentIndex(f.radix);
    nullTerminated_->setChecked(f.nullTerminated != 0);
    stringLength_->setText(QString::number(f.stringLength));
    if (f.resourceType >= 0 && f.resourceType < 5) {
        resources_[static_cast<size_t>(f.resourceType)]->setChecked(true);
    } else {
        // Nothing derived: no type is chosen until the user picks one.
        resourceGroup_->setExclusive(false);
        for (QRadioButton* button : resources_) {
            button->setChecked(false);
        }
        resourceGroup_->setExclusive(true);
    }
    showing_ = false;
    ShowEnables();
}

void CAddWatchDlg::ShowEnables()
{
    const AddWatchEnablesType e = model_.Enables();
    format_->setEnabled(e.format);
    bitIndex_->setEnabled(e.bitIndex);
    byteOrder_->setEnabled(e.byteOrder);
    radix_->setEnabled(e.radix);
    nullTerminated_->setEnabled(e.nullTerminated);
    stringLength_->setEnabled(e.stringLength);
    ok_->setEnabled(e.ok);
}

void CAddWatchDlg::accept()
{
    model_.SetName(Latin1(address_->currentText()));
    model_.SetByteOrderText(Latin1(byteOrder_->text()));
    if (model_.Enables().stringLength &&
        !model_.SetStringLengthText(Latin1(stringLength_->text()))) {
        messages_.ShowMessage("Enter an integer between 0 and 65535.",
                              IMessageSink::Severity::kWarning);
        stringLength_->setFocus();
        return;
    }
    if (!model_.Accept()) {
        return;
    }
    QDialog::accept();
}
