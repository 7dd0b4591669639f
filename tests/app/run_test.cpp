// Assembly and simulation driven through the frame with real keys.
#include <QApplication>
#include <QLineEdit>

#include "app/commands.h"
#include "app/source_document.h"
#include "frame_fixture.h"
#include "test_classes.h"
#include "views/serial_view.h"
#include "views/text_grid_view.h"

namespace {

uint32_t Pc(CFrameFixture& f)
{
    return f.engines->Simulator().Processor().Pc() & 0xFFFF;
}

void Key(CFrameFixture& f, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* target =
        QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : f.frame.get();
    QTest::keyClick(target, key, modifiers);
}

} // namespace

class RunTest : public QObject
{
    Q_OBJECT

private slots:
    void assembleWhileSimulatingEndsTheSimulationFirst();
    void keysStepRunToABreakpointAndShowTheSource();
    void breakAndStopAnEndlessRun();
    void aMessageFromARunningSliceIsShownOnce();
    void saveAllAsksForANameUntilOneIsGiven();
    void closingAModifiedSourceAsksFirst();
    void theSerialWindowTalksToARunningEcho();
};

void RunTest::assembleWhileSimulatingEndsTheSimulationFirst()
{
    CFrameFixture f;
    f.Start();
    f.Write("sub.inc", kIncludedSub);
    f.frame->OpenSourceFile(f.Write("main.a51", kMainProgram));
    f.frame->OnCommand(cmd::kAssemble);
    QVERIFY(f.WaitIdle());
    f.frame->OnCommand(cmd::kStartSimulator);
    f.frame->OnCommand(cmd::kStepInto);
    QVERIFY(f.engines->Simulator().IsRunning());
    f.frame->OnCommand(cmd::kAssemble);
    QVERIFY(!f.engines->Simulator().IsRunning());
    QVERIFY(f.engines->Busy().assembling);
    QVERIFY(f.WaitIdle());
    QVERIFY(f.engines->Busy().assemblyGood);
    // The first output line opened an output window.
    QVERIFY(std::any_of(f.frame->Children().begin(), f.frame->Children().end(),
                        [](CChildFrame* c) { return c->Kind() == WindowKind::kOutput; }));
}

void RunTest::keysStepRunToABreakpointAndShowTheSource()
{
    CFrameFixture f;
    f.Start();
    const std::string sub = f.Write("sub.inc", kIncludedSub);
    f.frame->OpenSourceFile(f.Write("main.a51", kMainProgram));
    Key(f, Qt::Key_F7, Qt::ControlModifier); // Assemble
    QVERIFY(f.WaitIdle());
    QVERIFY(f.engines->Busy().assemblyGood);

    Key(f, Qt::Key_F11); // starts the simulation, then steps into LJMP
    QCOMPARE(Pc(f), 0x100u);
    Key(f, Qt::Key_F11);
    QCOMPARE(Pc(f), 0x102u); // at LCALL bump

    // A break point on "MOV P1,A" of the included file.
    f.frame->OpenSourceFile(sub);
    CChildFrame* subFrame = f.frame->ActiveChild();
    subFrame->View()->GoToLine(1);
    subFrame->widget()->setFocus();
    Key(f, Qt::Key_F9);
    QVERIFY(f.engines->Simulator().HasBreakpoints());
    f.frame->OnCommand(cmd::kEditFiles[1]); // back to main.a51
    QCOMPARE(f.frame->ActiveChild()->windowTitle(), QStringLiteral("main.a51"));

    // Step Over the LCALL stops at the break point inside the routine, and
    // the execution point brings the included file to the front.
    Key(f, Qt::Key_F10);
    QVERIFY(f.WaitIdle());
    QVERIFY(f.engines->Simulator().IsHalted());
    QCOMPARE(f.engines->Simulator().PcLine(), 1);
    QCOMPARE(f.frame->ActiveChild(), subFrame);
    QCOMPARE(f.frame->PaneText(0), QStringLiteral("Ln 2, Col 1"));

    // F5 runs round the loop to the same break point again.
    f.frame->OnCommand(cmd::kEditFiles[1]);
    const uint32_t breakAt = Pc(f);
    Key(f, Qt::Key_F5);
    QVERIFY(f.WaitIdle());
    QCOMPARE(Pc(f), breakAt);
    QCOMPARE(f.frame->ActiveChild(), subFrame);
    QCOMPARE(f.engines->Simulator().Processor().State().DirectSpace[0x90], uint8_t{2});

    // Ctrl+Shift+F5 restarts at 0000h; Shift+F5 ends the simulation.
    Key(f, Qt::Key_F5, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(Pc(f), 0u);
    QVERIFY(f.engines->Simulator().IsHalted());
    Key(f, Qt::Key_F5, Qt::ShiftModifier);
    QVERIFY(!f.engines->Simulator().IsRunning());
}

void RunTest::breakAndStopAnEndlessRun()
{
    CFrameFixture f;
    f.Start();
    f.Write("sub.inc", kIncludedSub);
    f.frame->OpenSourceFile(f.Write("main.a51", kMainProgram));
    f.frame->OnCommand(cmd::kAssemble);
    QVERIFY(f.WaitIdle());
    Key(f, Qt::Key_F5);
    QVERIFY(f.engines->Simulator().IsExecuting());
    QCOMPARE(f.frame->PaneText(2), QStringLiteral("Busy"));
    // The window stays live while the program runs: events are handled.
    QTest::qWait(50);
    QVERIFY(f.engines->Simulator().IsExecuting());
    Key(f, Qt::Key_F9, Qt::ControlModifier); // Break
    QVERIFY(f.WaitIdle());
    QVERIFY(f.engines->Simulator().IsHalted());
    QTRY_COMPARE(f.frame->PaneText(2), QStringLiteral("Ready"));

    Key(f, Qt::Key_F5);
    QVERIFY(f.engines->Simulator().IsExecuting());
    Key(f, Qt::Key_F5, Qt::ShiftModifier); // Stop
    QVERIFY(f.WaitIdle());
    QVERIFY(!f.engines->Simulator().IsRunning());
}

void RunTest::aMessageFromARunningSliceIsShownOnce()
{
    CFrameFixture f;
    f.Start();
    f.frame->OpenSourceFile(f.Write("push.a51", "        MOV SP,#0F0H\r\n"
                                                "loop:   PUSH ACC\r\n"
                                                "        SJMP loop\r\n"
                                                "        END\r\n"));
    f.frame->OnCommand(cmd::kAssemble);
    QVERIFY(f.WaitIdle());
    f.sink.messages.clear();
    f.sink.modal = true;
    Key(f, Qt::Key_F5);
    QVERIFY(f.WaitIdle());
    QCOMPARE(f.sink.messages.size(), size_t{1});
    QVERIFY(QString::fromStdString(f.sink.messages[0]).contains("PUSH accessed"));
    QVERIFY(f.engines->Simulator().IsHalted());
}

void RunTest::saveAllAsksForANameUntilOneIsGiven()
{
    CFrameFixture f;
    f.Start();
    CSourceDocument* document = f.frame->NewSourceDocument();
    QVERIFY(document->Doc().InsertBlock({0, 0}, "NOP"));
    QVERIFY(document->Doc().IsModified());
    f.frame->OnCommand(cmd::kSaveAll); // Cancel: nothing saved
    QVERIFY(document->Doc().IsModified());

    const std::string path = f.Path("named.a51");
    f.dialogs.names = {std::string(), path};
    f.dialogs.asked.clear();
    f.frame->OnCommand(cmd::kSaveAll);
    QCOMPARE(f.dialogs.asked.size(), size_t{2});
    QVERIFY(QString::fromStdString(f.dialogs.asked[0])
                .endsWith("|Project Files (*.a51)|*.a51|All Files (*.*)|*.*||"));
    QVERIFY(!document->Doc().IsModified());
    QCOMPARE(ReadFile(path), std::string("NOP"));
    QCOMPARE(f.frame->ActiveChild()->windowTitle(), QStringLiteral("named.a51"));
    QCOMPARE(f.frame->Model().OpenFileList().Titles(), std::vector<std::string>{"named.a51"});
}

void RunTest::closingAModifiedSourceAsksFirst()
{
    CFrameFixture f;
    f.Start();
    const std::string path = f.Write("keep.a51", "NOP\r\n");
    CSourceDocument* document = f.frame->OpenSourceFile(path);
    QVERIFY(document->Doc().InsertBlock({0, 0}, "X"));
    f.dialogs.saveChoice = IShellDialogs::SaveChoice::kCancel;
    f.frame->OnCommand(cmd::kClose);
    QCOMPARE(f.frame->Children().size(), size_t{1});
    f.dialogs.saveChoice = IShellDialogs::SaveChoice::kSave;
    f.frame->OnCommand(cmd::kClose);
    QTRY_VERIFY(f.frame->Children().empty());
    QCOMPARE(ReadFile(path), std::string("XNOP\r\n"));
}

// Greets, then sends back each line it receives in capitals, by the serial
// interrupt.
constexpr const char* kEchoProgram = "        ORG 0\r\n"
                                     "        LJMP start\r\n"
                                     "        ORG 23H\r\n"
                                     "        JBC RI,got\r\n"
                                     "        CLR TI\r\n"
                                     "        RETI\r\n"
                                     "got:    MOV A,SBUF\r\n"
                                     "        CJNE A,#'a',check\r\n"
                                     "check:  JC send\r\n"
                                     "        ANL A,#0DFH\r\n"
                                     "send:   MOV SBUF,A\r\n"
                                     "        RETI\r\n"
                                     "start:  MOV TMOD,#20H\r\n"
                                     "        MOV TH1,#0FDH\r\n"
                                     "        SETB TR1\r\n"
                                     "        MOV SCON,#50H\r\n"
                                     "        MOV DPTR,#hello\r\n"
                                     "next:   CLR A\r\n"
                                     "        MOVC A,@A+DPTR\r\n"
                                     "        JZ ready\r\n"
                                     "        MOV SBUF,A\r\n"
                                     "        JNB TI,$\r\n"
                                     "        CLR TI\r\n"
                                     "        INC DPTR\r\n"
                                     "        SJMP next\r\n"
                                     "ready:  MOV IE,#90H\r\n"
                                     "        SJMP $\r\n"
                                     "hello:  DB 'Echo ready',13,10,0\r\n"
                                     "        END\r\n";

void RunTest::theSerialWindowTalksToARunningEcho()
{
    CFrameFixture f;
    f.Start();
    f.frame->OpenSourceFile(f.Write("echo.a51", kEchoProgram));
    f.frame->OnCommand(cmd::kAssemble);
    QVERIFY(f.WaitIdle());
    QVERIFY(f.engines->Busy().assemblyGood);
    f.frame->OnCommand(cmd::kViewSerial);
    CChildFrame* child = f.frame->ActiveChild();
    QVERIFY(child != nullptr && child->Kind() == WindowKind::kSerial);
    auto* serial = dynamic_cast<CSerialView*>(child->View());
    QVERIFY(serial != nullptr);
    QVERIFY(!serial->Input()->isEnabled()); // nothing runs to receive it

    f.frame->OnCommand(cmd::kContinue);
    QVERIFY(f.engines->Simulator().IsExecuting());
    QVERIFY(serial->Input()->isEnabled());
    QTest::keyClicks(serial->Input(), QStringLiteral("hello, world"));
    QTest::keyClick(serial->Input(), Qt::Key_Return);
    // The window follows the running program without a stop.
    CGridModel& lines = serial->Lines()->Model();
    QTRY_VERIFY_WITH_TIMEOUT(lines.LineCount() >= 2 && lines.LineText(1) == "HELLO, WORLD", 10000);
    QCOMPARE(QString::fromStdString(lines.LineText(0)), QStringLiteral("Echo ready"));
    QVERIFY(f.engines->Simulator().IsExecuting());
    QTest::keyClicks(serial->Input(), QStringLiteral("typed, not sent"));
    QTest::qWait(250); // the window's own pace
    Grab(f.frame.get(), QStringLiteral("serial_echo"));
    child->resize(460, 260);
    Grab(child, QStringLiteral("serial_window"));

    // Restart: a new simulation with a clean console.
    f.frame->OnCommand(cmd::kBreak);
    QVERIFY(f.WaitIdle());
    f.frame->OnCommand(cmd::kRestart);
    QCOMPARE(lines.LineCount(), 0);
    f.frame->OnCommand(cmd::kStopSimulator);
    QVERIFY(!serial->Input()->isEnabled());
}

QObject* NewRunTest()
{
    return new RunTest;
}

#include "run_test.moc"
