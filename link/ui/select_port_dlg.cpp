#include "link/ui/select_port_dlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWhatsThis>

CSelectPortDlg::CSelectPortDlg(CSelectPortModel& model, std::function<void()> help, QWidget* parent)
    : QDialog(parent), model_(model), help_(std::move(help))
{
    setWindowTitle("Connection");
    setObjectName("Connection");

    port_ = new QComboBox(this);
    port_->setObjectName("port");
    port_->setEditable(true);
    port_->setInsertPolicy(QComboBox::NoInsert);
    port_->setWhatsThis("The serial port of the board: a listed port, or the path of a device "
                        "typed in (for example the device board51 printed).");
    downloadRate_ = new QComboBox(this);
    downloadRate_->setObjectName("downloadRate");
    downloadRate_->setWhatsThis("The rate of the line while a program is downloaded.");
    monitorRate_ = new QComboBox(this);
    monitorRate_->setObjectName("monitorRate");
    monitorRate_->setWhatsThis("The rate of the line afterwards: the program's serial port.");
    sectorSize_ = new QComboBox(this);
    sectorSize_->setObjectName("sectorSize");
    sectorSize_->setWhatsThis("Bytes of code in each record sent to a HEX loader.");

    auto* form = new QFormLayout;
    form->addRow("Communication Port", port_);
    form->addRow("Download BPS Rate", downloadRate_);
    form->addRow("Monitor BSP Rate", monitorRate_);
    form->addRow("Flash Sector Size", sectorSize_);

    auto* loaderBox = new QGroupBox("Loader type", this);
    loaderBox->setWhatsThis("How the board is put into its loader and spoken to.");
    auto* loaderLayout = new QVBoxLayout(loaderBox);
    loaderType_ = new QButtonGroup(this);
    for (size_t i = 0; i < CSelectPortModel::kLoaderTypes.size(); ++i) {
        auto* button = new QRadioButton(CSelectPortModel::kLoaderTypes[i], loaderBox);
        button->setObjectName(QString("loader%1").arg(i));
        loaderType_->addButton(button, static_cast<int>(i));
        loaderLayout->addWidget(button);
    }
    enableMonitor_ = new QCheckBox("Enable monitor", this);
    enableMonitor_->setObjectName("enableMonitor");
    enableMonitor_->setWhatsThis("Show what the board sends in the dump window and answer the "
                                 "records of its monitor.");

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSelectPortDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSelectPortDlg::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
        if (help_) {
            help_();
        }
    });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(loaderBox);
    layout->addWidget(enableMonitor_);
    layout->addWidget(buttons);
    Fill();
}

void CSelectPortDlg::Fill()
{
    model_.Load();
    for (const PortEntryType& entry : model_.Ports()) {
        port_->addItem(QString::fromStdString(entry.text));
    }
    port_->setCurrentIndex(model_.Ports().empty() ? -1 : model_.selectedPort);
    for (const std::string& rate : CSelectPortModel::RateTexts()) {
        downloadRate_->addItem(QString::fromStdString(rate));
        monitorRate_->addItem(QString::fromStdString(rate));
    }
    downloadRate_->setCurrentIndex(model_.selectedDownloadRate);
    monitorRate_->setCurrentIndex(model_.selectedMonitorRate);
    for (const char* size : CSelectPortModel::kSectorSizes) {
        sectorSize_->addItem(size);
    }
    sectorSize_->setCurrentIndex(model_.selectedSectorSize);
    if (QAbstractButton* button = loaderType_->button(model_.loaderType)) {
        button->setChecked(true);
    }
    enableMonitor_->setChecked(model_.monitorEnable != 0);
}

void CSelectPortDlg::accept()
{
    const QString typed = port_->currentText().trimmed();
    const int index = port_->findText(typed);
    if (index >= 0) {
        model_.selectedPort = index;
    } else if (!typed.isEmpty()) {
        model_.SelectDevice(typed.toStdString());
    } else {
        model_.selectedPort = -1;
    }
    model_.selectedDownloadRate = downloadRate_->currentIndex();
    model_.selectedMonitorRate = monitorRate_->currentIndex();
    model_.selectedSectorSize = sectorSize_->currentIndex();
    model_.loaderType = std::max(loaderType_->checkedId(), 0);
    model_.monitorEnable = enableMonitor_->isChecked() ? 1 : 0;
    values_ = model_.Accept();
    QDialog::accept();
}

void CSelectPortDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // The pop-up help of the control under the pointer.
    for (QWidget* widget = childAt(event->pos()); widget != nullptr && widget != this;
         widget = widget->parentWidget()) {
        if (!widget->whatsThis().isEmpty()) {
            QWhatsThis::showText(event->globalPos(), widget->whatsThis(), widget);
            return;
        }
    }
    QDialog::contextMenuEvent(event);
}
