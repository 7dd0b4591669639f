// The dialogs: their values, the keys users expect, and the refusals; each
// is also grabbed into the build folder to be looked at.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTimer>

#include "app/commands.h"
#include "app/shell/dialogs.h"
#include "app/shell/help_window.h"
#include "common/settings_keys.h"
#include "frame_fixture.h"
#include "test_classes.h"

namespace {

// Runs body on the modal dialog the next command opens.
template <typename Body> void OnModal(Body body)
{
    QTimer::singleShot(0, [body] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal != nullptr);
        body(modal);
    });
}

} // namespace

class DialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void defaultSettingsEnterStoresEscapeCancels();
    void defaultSettingsRefusesATabSizeOutOfRange();
    void simulatorOptionsClampsAndRefuses();
    void aboutAndHelp();
    void mainWindowPicture();
};

void DialogsTest::defaultSettingsEnterStoresEscapeCancels()
{
    CFrameFixture f;
    f.Start();
    const int fontBefore = f.engines->Options().fontSize;
    OnModal([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    f.frame->OnCommand(cmd::kDefaults);
    QCOMPARE(f.engines->Options().fontSize, fontBefore);
    QCOMPARE(f.store->ReadInt("Settings", "FontSize", -1), -1);

    OnModal([](QWidget* dialog) {
        Grab(dialog, QStringLiteral("default_settings"));
        // No stored font size: the dialog proposes 12, not the 10 in use.
        QCOMPARE(dialog->findChild<QComboBox*>("fontSize")->currentText(), QStringLiteral("12"));
        dialog->findChild<QComboBox*>("defaultRadix")->setCurrentIndex(3);
        dialog->findChild<QLineEdit*>("tabSize")->setText("4");
        dialog->findChild<QCheckBox*>("generateSymFile")->setChecked(true);
        QTest::keyClick(dialog->findChild<QLineEdit*>("tabSize"), Qt::Key_Return);
    });
    f.frame->OnCommand(cmd::kDefaults);
    QCOMPARE(f.engines->Options().fontSize, 12);
    QCOMPARE(f.engines->Options().tabWidth, 4);
    QCOMPARE(int(f.engines->Options().radixTable[0]), 4);
    QCOMPARE(f.store->ReadInt("Settings", "GenerateSymFile", -1), 1);
    QCOMPARE(f.store->ReadInt("Settings", "TabWidth", -1), 4);
}

void DialogsTest::defaultSettingsRefusesATabSizeOutOfRange()
{
    CRecordingSink sink;
    DefaultSettingsValuesType values;
    values.tabText = "8";
    CDefaultSettingsDlg dialog(values, sink, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* tab = dialog.findChild<QLineEdit*>("tabSize");
    for (const char* bad : {"0", "33", "x", ""}) {
        tab->setText(bad);
        QTest::keyClick(tab, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
    }
    QCOMPARE(sink.messages.size(), size_t{4});
    QCOMPARE(sink.messages[0], std::string("Enter an integer between 1 and 32."));
    QCOMPARE(tab->selectedText(), tab->text());
    tab->setText("32");
    QTest::keyClick(tab, Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void DialogsTest::simulatorOptionsClampsAndRefuses()
{
    CFrameFixture f;
    f.Start();
    OnModal([](QWidget* dialog) {
        Grab(dialog, QStringLiteral("simulator_options"));
        auto* address = dialog->findChild<QLineEdit*>("controlAddress");
        address->setText("twelve");
        QTest::keyClick(address, Qt::Key_Return); // refused, stays open
        QVERIFY(dialog->isVisible());
        address->setText("300");
        dialog->findChild<QCheckBox*>("enablePagedMemory")->setChecked(true);
        dialog->findChild<QCheckBox*>("enableAutoUpdate")->setChecked(true);
        dialog->findChild<QLineEdit*>("updateCount")->setText("250");
        dialog->findChild<QComboBox*>("processorVariant")->setCurrentIndex(1);
        QTest::keyClick(address, Qt::Key_Return);
    });
    f.frame->OnCommand(cmd::kSimulatorOptions);
    QCOMPARE(f.sink.messages,
             (std::vector<std::string>{
                 "Please enter an integer.",
                 "Paged memory control address must be between 0 and 255 inclusive."}));
    const SimulationOptionsType& options = f.frame->Model().State().simulation;
    QCOMPARE(options.pagedMemory, 0);
    QCOMPARE(options.processorVariant, 1);
    QCOMPARE(options.updateCount, 250);
    QCOMPARE(f.store->ReadInt("Settings", "EnableAutoUpdate", -1), 1);
    QCOMPARE(f.store->ReadInt("Settings", "UpdateCount", -1), 250);
}

void DialogsTest::aboutAndHelp()
{
    CFrameFixture f;
    f.Start();
    OnModal([](QWidget* dialog) {
        Grab(dialog, QStringLiteral("about"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("About 8051"));
        QVERIFY(dialog->findChild<QLabel*>("aboutText")->text().contains("Version 1.30"));
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    f.frame->OnCommand(cmd::kAbout);

    f.frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.frame.get()));
    QTest::keyClick(f.frame.get(), Qt::Key_F1);
    auto* help = f.frame->findChild<CHelpWindow*>();
    QVERIFY(help != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(help));
    const QString manual = help->Browser()->toPlainText();
    for (const char* topic : {"Assembler", "Simulator", "Break points", "Coverage", "asm51",
                              "sim51", "Shift+F5", "Ctrl+F9", "Virtual buttons", "Download"}) {
        QVERIFY2(manual.contains(QLatin1String(topic)), topic);
    }
    Grab(help, QStringLiteral("help"));
    // The contents link to their chapters.
    QCOMPARE(help->Browser()->verticalScrollBar()->value(), 0);
    QVERIFY(help->Browser()->toHtml().contains(QStringLiteral("name=\"the-simulator\"")));
    emit help->Browser()->anchorClicked(QUrl(QStringLiteral("#the-simulator")));
    QTRY_VERIFY(help->Browser()->verticalScrollBar()->value() > 0);
    QTest::keyClick(help->Browser(), Qt::Key_Escape);
    QTRY_VERIFY(!help->isVisible());
}

void DialogsTest::mainWindowPicture()
{
    CFrameFixture f;
    const std::string example = std::string(IDE51_SOURCE_DIR) + "/examples/blink/";
    const std::string source = f.Write("blink.a51", ReadFile(example + "blink.a51"));
    f.Write("board.inc", ReadFile(example + "board.inc"));
    f.Write("WATCH.DAT", ReadFile(example + "WATCH.DAT"));
    f.store->WriteString("Settings", "LastWorkspace",
                         f.Write("blink.wsp", ReadFile(example + "blink.wsp")));
    f.frame->resize(1200, 820);
    f.Start();
    QCOMPARE(f.frame->Children().size(), size_t{4});
    f.frame->OnCommand(cmd::kAssemble);
    QVERIFY(f.WaitIdle());
    f.frame->OnCommand(cmd::kStartSimulator);
    f.frame->OnCommand(cmd::kStepInto);
    f.frame->OnCommand(cmd::kStepInto);
    QApplication::processEvents();
    Grab(f.frame.get(), QStringLiteral("main_window"));
}

QObject* NewDialogsTest()
{
    return new DialogsTest;
}

#include "dialogs_test.moc"
