#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "link/board_link_controller.h"
#include "link/ui/board_link_ui.h"
#include "link/ui/download_dlg.h"
#include "link/ui/select_port_dlg.h"
#include "link_ui_test_util.h"
#include "simulator/simulator.h"

// The Download command through the real dialogs, answered the way a user
// would, on the fake line and clock.

namespace {

struct SilentHost : IMonitorHost
{
    void ResetOrStartSimulation() override { ++resets; }
    void ShowExecutionPoint() override {}
    void UpdateAllWindows() override {}
    void RefreshDumpWindow() override {}
    int resets = 0;
};

struct UiRig : BoardRig
{
    CSimulator simulator;
    SilentHost host;
    CBoardLinkUi ui{catalog, settings, sink, {}};
    CBoardLinkController controller{port, simulator, host, ui, clock, sink};
    // What the user saw: "Connection" or "Download Progress", in order.
    QStringList dialogs;

    UiRig() : BoardRig(kLoaderOnce)
    {
        ui.Attach(controller);
        settings.WriteString("ReaderPort", "DownloadDevice", "/dev/ttyS1");
        settings.WriteInt("Settings", "LoaderType", kLoaderOnce);
        for (int32_t a = 0; a < 100; ++a) {
            simulator.Code().StoreCode(a, static_cast<uint8_t>(a), a, 0, 2, true);
        }
    }

    // Answers the modal dialogs that come up while the command runs: accepts
    // or rejects the Connection dialog, cancels the Download Progress dialog.
    void Answer(bool acceptConnection)
    {
        ++generation_;
        Watch(acceptConnection, generation_, 200);
    }

private:
    void Watch(bool acceptConnection, int generation, int budget)
    {
        // Bound to the rig: a watch left over when the test ends goes with it.
        QTimer::singleShot(1, &context_, [this, acceptConnection, generation, budget] {
            if (generation != generation_ || budget == 0) {
                return; // a later command took over, or nothing more came up
            }
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* connection = qobject_cast<CSelectPortDlg*>(modal)) {
                dialogs << "Connection";
                if (acceptConnection) {
                    connection->accept();
                } else {
                    connection->reject();
                }
            } else if (auto* download = qobject_cast<CDownloadDlg*>(modal)) {
                dialogs << "Download Progress";
                download->reject();
            }
            Watch(acceptConnection, generation, budget - 1);
        });
    }

    int generation_ = 0;
    QObject context_;
};

class CBoardLinkUiTest : public QObject
{
    Q_OBJECT

private slots:
    void ClosedLinkAndCancelDoNothing()
    {
        UiRig rig;
        rig.Answer(false);
        rig.controller.Download();
        QCOMPARE(rig.dialogs, QStringList({"Connection"}));
        QVERIFY(!rig.port.IsOpen());
        QCOMPARE(rig.device.openCount, 0);
        QVERIFY(rig.sink.messages.empty());
    }

    void APortThatDoesNotOpenIsReported()
    {
        UiRig rig;
        rig.device.missingDevices.insert("/dev/ttyS1");
        rig.Answer(true);
        rig.controller.Download();
        QCOMPARE(rig.dialogs, QStringList({"Connection"}));
        QCOMPARE(rig.sink.messages,
                 std::vector<std::string>{"Unable to open specified communications port."});
        QCOMPARE(rig.sink.severities[0], IMessageSink::Severity::kError);
        QVERIFY(!rig.port.IsOpen());
    }

    void AnOpenLinkSkipsTheConnectionDialog()
    {
        UiRig rig;
        rig.Answer(true);
        rig.controller.Start();
        QCOMPARE(rig.dialogs, QStringList({"Connection"}));
        QVERIFY(rig.port.IsOpen());
        QVERIFY(rig.ui.Stepping()); // the reset pulse runs on the step timer
        rig.clock.Advance(CBoardMonitor::kResetPulseMs);
        QTRY_VERIFY(!rig.ui.Stepping());
        QCOMPARE(rig.host.resets, 1);

        rig.dialogs.clear();
        rig.Answer(true);
        rig.controller.Download();
        QCOMPARE(rig.dialogs, QStringList({"Download Progress"}));
        // Cancelled: the loader-select line is down and the board released,
        // then held for the reset pulse at the monitor rate.
        QVERIFY(!rig.device.rts);
        QVERIFY(!rig.device.dtr);
        rig.clock.Advance(CBoardMonitor::kResetPulseMs);
        QTRY_VERIFY(!rig.ui.Stepping());
        QVERIFY(rig.device.dtr);
        QVERIFY(rig.port.IsOpen());
    }
};

LinkUiTestRegistration<CBoardLinkUiTest> registration;

} // namespace

#include "board_link_ui_test.moc"
