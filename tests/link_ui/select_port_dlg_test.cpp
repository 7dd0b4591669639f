#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "common/settings_keys.h"
#include "link/ui/select_port_dlg.h"
#include "link_ui_test_util.h"

// The Connection dialog: what it shows from the settings, what OK writes.

namespace {

struct PortsRig
{
    CFakePortCatalog catalog;
    CMemorySettingsStore settings;
    std::unique_ptr<CSelectPortModel> model;
    int helps = 0;

    PortsRig()
    {
        catalog.AddPort("/dev/ttyS0");
        catalog.AddPort("/dev/ttyUSB0", "ADuC84x Loader", 0x10C4, 0xEA60);
        catalog.AddPort("/dev/ttyS1");
        catalog.AddPort("/dev/ttyS2");
        catalog.probeResults["/dev/ttyS1"] = PortProbeResult::kInUse;
        catalog.probeResults["/dev/ttyS2"] = PortProbeResult::kAbsent;
    }

    // A model for each dialog, as the application makes them.
    std::unique_ptr<CSelectPortDlg> Dialog()
    {
        model = std::make_unique<CSelectPortModel>(catalog, settings);
        return std::make_unique<CSelectPortDlg>(*model, [this] { ++helps; });
    }
};

QComboBox* Combo(QWidget& dialog, const char* name)
{
    return dialog.findChild<QComboBox*>(name);
}

QStringList Items(QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items << combo->itemText(i);
    }
    return items;
}

QPushButton* Button(QWidget& dialog, QDialogButtonBox::StandardButton which)
{
    return dialog.findChild<QDialogButtonBox*>()->button(which);
}

class CSelectPortDlgTest : public QObject
{
    Q_OBJECT

private slots:
    void AFreshUserSeesTheDefaults()
    {
        PortsRig rig;
        auto dialog = rig.Dialog();
        QCOMPARE(dialog->windowTitle(), QString("Connection"));
        // The bridge first under its description; a port in use is listed,
        // one that is gone is not.
        QCOMPARE(Items(Combo(*dialog, "port")),
                 QStringList({"ADuC84x Loader", "/dev/ttyS0", "/dev/ttyS1"}));
        QCOMPARE(Combo(*dialog, "downloadRate")->count(), 9);
        QCOMPARE(Combo(*dialog, "downloadRate")->currentText(), QString("9600"));
        QCOMPARE(Combo(*dialog, "monitorRate")->currentText(), QString("9600"));
        QCOMPARE(Items(Combo(*dialog, "sectorSize")), QStringList({"64 bytes", "128 bytes"}));
        QCOMPARE(Combo(*dialog, "sectorSize")->currentText(), QString("64 bytes"));
        QVERIFY(dialog->findChild<QRadioButton*>("loader0")->isChecked());
        QCOMPARE(dialog->findChild<QRadioButton*>("loader3")->text(), QString("ONCE Loader"));
        QVERIFY(dialog->findChild<QCheckBox*>("enableMonitor")->isChecked());
    }

    void SavedSettingsAreSelected()
    {
        PortsRig rig;
        rig.settings.WriteString("ReaderPort", "DownloadDevice", "/dev/ttyS1");
        rig.settings.WriteInt("ReaderPort", "DownloadRate", 57600);
        rig.settings.WriteInt("ReaderPort", "MonitorRate", 19200);
        rig.settings.WriteInt("ReaderPort", "EnableMonitor", 0);
        rig.settings.WriteInt("Settings", "SectorSize", 128);
        rig.settings.WriteInt("Settings", "LoaderType", 2);
        auto dialog = rig.Dialog();
        QCOMPARE(Combo(*dialog, "port")->currentText(), QString("/dev/ttyS1"));
        QCOMPARE(Combo(*dialog, "downloadRate")->currentText(), QString("57600"));
        QCOMPARE(Combo(*dialog, "monitorRate")->currentText(), QString("19200"));
        QCOMPARE(Combo(*dialog, "sectorSize")->currentText(), QString("128 bytes"));
        QVERIFY(dialog->findChild<QRadioButton*>("loader2")->isChecked());
        QVERIFY(!dialog->findChild<QCheckBox*>("enableMonitor")->isChecked());
    }

    void OkWritesTheSixValues()
    {
        PortsRig rig;
        auto dialog = rig.Dialog();
        Combo(*dialog, "port")->setCurrentIndex(0);
        Combo(*dialog, "downloadRate")->setCurrentText("115200");
        Combo(*dialog, "monitorRate")->setCurrentText("38400");
        Combo(*dialog, "sectorSize")->setCurrentIndex(1);
        dialog->findChild<QRadioButton*>("loader3")->setChecked(true);
        dialog->findChild<QCheckBox*>("enableMonitor")->setChecked(false);
        QTest::mouseClick(Button(*dialog, QDialogButtonBox::Ok), Qt::LeftButton);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        const ConnectionSettingsType& v = dialog->Values();
        QCOMPARE(v.portName, std::string("/dev/ttyUSB0"));
        QCOMPARE(v.downloadRate, 115200);
        QCOMPARE(v.monitorRate, 38400);
        QCOMPARE(v.sectorSize, 128);
        QCOMPARE(v.loaderType, 3);
        QCOMPARE(v.monitorEnable, 0);
        // What OK stores is the model's (link tests); that it stores at all is the dialog's.
        QCOMPARE(ReadSetting(rig.settings, settings::kDownloadRate), 115200);
    }

    void ATypedDeviceIsTakenAndRemembered()
    {
        PortsRig rig;
        auto dialog = rig.Dialog();
        QComboBox* port = Combo(*dialog, "port");
        port->lineEdit()->clear();
        QTest::keyClicks(port->lineEdit(), "/dev/pts/7");
        dialog->accept();
        QCOMPARE(dialog->Values().portName, std::string("/dev/pts/7"));
        dialog.reset();
        // Next time it is offered and selected, though the system does not list it.
        auto again = rig.Dialog();
        QCOMPARE(Combo(*again, "port")->currentText(), QString("/dev/pts/7"));
    }

    void HelpAndCancel()
    {
        PortsRig rig;
        auto dialog = rig.Dialog();
        QTest::mouseClick(Button(*dialog, QDialogButtonBox::Help), Qt::LeftButton);
        QCOMPARE(rig.helps, 1);
        QTest::mouseClick(Button(*dialog, QDialogButtonBox::Cancel), Qt::LeftButton);
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QVERIFY(!rig.settings.Contains("ReaderPort", "DownloadRate"));
    }
};

LinkUiTestRegistration<CSelectPortDlgTest> registration;

} // namespace

#include "select_port_dlg_test.moc"
