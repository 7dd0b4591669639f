#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "link/download_session.h"
#include "link/ui/download_dlg.h"
#include "link_ui_test_util.h"
#include "simulator/code_memory.h"

// The Download Progress dialog over a transfer to board51's board, stepped
// by hand on the fake clock, and once by its own timers in an event loop.

namespace {

void StoreProgram(CCodeMemory& code, uint32_t from, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        code.StoreCode(static_cast<int32_t>(from + i), static_cast<uint8_t>(i * 13 + 1),
                       static_cast<int32_t>(i), 0, 2, true);
    }
}

// A dialog whose system has no timer to give.
class CTimerlessDownloadDlg : public CDownloadDlg
{
public:
    using CDownloadDlg::CDownloadDlg;

protected:
    int StartStepTimer() override { return 0; }
};

struct DialogRig : BoardRig
{
    CCodeMemory code;
    CDownloadSession session{port, code, clock, sink};
    CDownloadDlg dialog{session, sink};
    std::vector<std::string> progressTexts;
    std::vector<std::string> statusTexts;

    explicit DialogRig(int loaderType, const BoardScriptType& script = {}, size_t bytes = 600)
        : BoardRig(loaderType, script)
    {
        StoreProgram(code, 0x100, bytes);
        OpenPort();
        session.SetLoaderType(loaderType);
        session.SetSectorSize(64);
    }

    QString Text(const char* name) const
    {
        if (auto* label = dialog.findChild<QLabel*>(name)) {
            return label->text();
        }
        return dialog.findChild<QPlainTextEdit*>(name)->toPlainText();
    }

    // The 5 ms timer, by hand: steps until the dialog closed or done() says so.
    void Step(uint32_t limitMs, const std::function<bool()>& done = {})
    {
        for (uint32_t ms = 0; ms < limitMs && dialog.result() == 0 && !(done && done()); ms += 5) {
            clock.Advance(5);
            dialog.StepOnce();
            const std::string progress = Text("progress").toStdString();
            if (progressTexts.empty() || progressTexts.back() != progress) {
                progressTexts.push_back(progress);
            }
            const std::string status = Text("status").toStdString();
            if (statusTexts.empty() || statusTexts.back() != status) {
                statusTexts.push_back(status);
            }
        }
    }
};

class CDownloadDlgTest : public QObject
{
    Q_OBJECT

private slots:
    void ProgressAndStatusTextsOfATransfer()
    {
        DialogRig rig(kLoaderConstantEa);
        QCOMPARE(rig.dialog.windowTitle(), QString("Download Progress"));
        QVERIFY(rig.dialog.Open());
        rig.Step(60000);
        QCOMPARE(rig.dialog.result(), int(QDialog::Accepted));
        QVERIFY(rig.session.Succeeded());
        // The first record, then every fourth, then the highest address.
        const std::vector<std::string> expected = {
            "", "Sending bytes at address: 256", "Sending bytes at address: 512",
            "Sending bytes at address: 768", "Sending bytes at address: 855"};
        QCOMPARE(rig.progressTexts, expected);
        QCOMPARE(rig.statusTexts.size(), size_t(2));
        // From Begin to the end: 4.5 s to start the loader, the records, the end.
        const std::string time = rig.statusTexts[1];
        QVERIFY2(time.starts_with("Download time ") && time.ends_with(" mS"), time.c_str());
        const int ms = std::stoi(time.substr(14));
        QVERIFY2(ms > 250 + 250 + 4000 + 500 + 500 + 50 && ms < 7000, time.c_str());
        QCOMPARE(rig.board.Image().WrittenCount(), size_t(600));
        QVERIFY(!rig.device.rts);
        QVERIFY(rig.device.dtr); // the board's reset released
    }

    void RetryAndFailCountsAreShown()
    {
        BoardScriptType script;
        script.faults = {{BoardFaultType::Kind::kDropAck, 2, 2},
                         {BoardFaultType::Kind::kFail, 4, 4}};
        DialogRig rig(kLoaderOnce, script);
        QVERIFY(rig.dialog.Open());
        rig.Step(60000);
        QCOMPARE(rig.dialog.result(), int(QDialog::Accepted));
        // Dropped: a resend after a second. Refused: the reply, then the resend.
        rig.statusTexts.pop_back();
        const std::vector<std::string> expected = {"", "Retry Count: 1", "Fail Count: 1, :1\r\n",
                                                   "Retry Count: 1"};
        QCOMPARE(rig.statusTexts, expected);
        QVERIFY(rig.session.Succeeded());
    }

    // The Cancel button, Escape, Return and Enter all cancel: the session
    // stops with the loader deselected and the board out of reset.
    void CancelMidTransferDropsRtsAndReleasesTheReset()
    {
        for (Qt::Key key : {Qt::Key_unknown, Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
            DialogRig rig(kLoaderConstantEa);
            rig.dialog.show();
            QVERIFY(rig.dialog.Open());
            rig.Step(60000, [&] { return rig.board.Image().WrittenCount() >= 128; });
            QVERIFY(rig.device.rts); // Constant EA holds the loader selected
            if (key == Qt::Key_unknown) {
                QTest::mouseClick(rig.dialog.findChild<QPushButton*>("cancel"), Qt::LeftButton);
            } else {
                QTest::keyClick(&rig.dialog, key);
            }
            QCOMPARE(rig.dialog.result(), int(QDialog::Rejected));
            QVERIFY(!rig.session.IsRunning());
            QVERIFY(!rig.device.rts);
            QVERIFY(rig.device.dtr);
            const size_t writes = rig.device.writes.size();
            rig.clock.Advance(5000);
            rig.dialog.StepOnce();
            QCOMPARE(rig.device.writes.size(), writes);
        }
    }

    void WithoutATimerTheDialogSaysSoAndEnds()
    {
        BoardRig rig(kLoaderConstantEa);
        rig.OpenPort();
        CCodeMemory code;
        StoreProgram(code, 0, 10);
        CDownloadSession session(rig.port, code, rig.clock, rig.sink);
        CTimerlessDownloadDlg dialog(session, rig.sink);
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(rig.sink.messages,
                 std::vector<std::string>{"Unable to create timer for data transfer"});
        QCOMPARE(rig.sink.severities[0], IMessageSink::Severity::kError);
        QVERIFY(!session.IsRunning());
        QVERIFY(rig.device.dtr);
    }

    void WithoutAPortTheDialogWaitsForCancel()
    {
        BoardRig rig(kLoaderConstantEa);
        CCodeMemory code;
        CDownloadSession session(rig.port, code, rig.clock, rig.sink);
        CDownloadDlg dialog(session, rig.sink);
        QVERIFY(dialog.Open());
        rig.clock.Advance(10000);
        dialog.StepOnce();
        QCOMPARE(dialog.result(), 0); // still open
        dialog.reject();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void ItsOwnTimersRunTheTransferInAnEventLoop()
    {
        // Real time: the ONCE loader's second of start-up, a record, the end.
        CFakeSerialDevice device;
        CFakePortCatalog catalog;
        catalog.AddPort("/dev/ttyS0");
        CSteadyTickSource clock;
        CRecordingSink sink;
        CMonitor port(device, catalog, clock, sink);
        CVirtualBoard board({.loaderType = kLoaderOnce});
        device.onWrite = [&](const std::vector<uint8_t>& bytes) {
            board.FromHost(bytes.data(), bytes.size(), 0);
            device.Feed(board.Advance(0));
        };
        port.Open(0, "/dev/ttyS0");
        port.SetBaudRate(115200);
        port.SetQueuedWrites(true);
        CCodeMemory code;
        StoreProgram(code, 0, 40);
        CDownloadSession session(port, code, clock, sink);
        session.SetLoaderType(kLoaderOnce);
        CDownloadDlg dialog(session, sink);
        QTimer::singleShot(10000, &dialog, &QDialog::reject); // a limit, not expected
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(board.Image().WrittenCount(), size_t(40));
        QVERIFY(sink.messages.empty());
    }
};

LinkUiTestRegistration<CDownloadDlgTest> registration;

} // namespace

#include "download_dlg_test.moc"
