#include <memory>

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "test_registry.h"
#include "view_test_support.h"
#include "views/memory_models.h"
#include "views/register_models.h"
#include "views/virtual_button_window.h"

namespace {

// INT0 (level triggered) counts in R7; the main loop waits.
constexpr const char* kInt0Program = "\tORG 0\n"
                                     "\tLJMP MAIN\n"
                                     "\tORG 3\n"
                                     "\tINC R7\n"
                                     "\tRETI\n"
                                     "\tORG 30H\n"
                                     "MAIN:\tSETB EX0\n"
                                     "\tSETB EA\n"
                                     "LOOP:\tSJMP LOOP\n"
                                     "\tEND\n";

ButtonFieldsType Fields(const char* address, const char* mask, int resource, int latching,
                        int operation)
{
    ButtonFieldsType fields;
    fields.addressText = address;
    fields.maskText = mask;
    fields.buttonText = "Key";
    fields.resourceType = resource;
    fields.latching = latching;
    fields.operation = operation;
    return fields;
}

} // namespace

class ButtonViewsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        host_ = std::make_unique<CFakeViewHost>();
        QVERIFY(host_->Assemble(kInt0Program));
        host_->Start();
        parent_ = std::make_unique<QWidget>();
        parent_->resize(400, 300);
    }
    void cleanup()
    {
        parent_.reset();
        host_.reset();
    }

    // Configured through its dialog, a P3 button with AND FBh holds INT0
    // low while the mouse holds it: the routine runs, and stops running
    // once it is let go.
    void PortButtonEntersInt0WhilePressed()
    {
        CVirtualButtonWnd* window = NewVirtualButton(*host_, parent_.get());
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<CVirtButtonConfigDlg*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            QCOMPARE(dialog->AddressBox()->count(), 4);
            dialog->AddressBox()->setEditText(QStringLiteral("P3"));
            dialog->MaskEdit()->setText(QStringLiteral("0FBh"));
            dialog->TextEdit()->setText(QStringLiteral("INT0"));
            dialog->accept();
        });
        window->Configure();
        const VirtualButtonType* button = host_->engines.Simulator().Buttons().GetButton(0);
        QCOMPARE(button->address, 0xB0);
        QCOMPARE(button->mask, 0xFB);
        QCOMPARE(window->windowTitle(), QStringLiteral("INT0"));

        CSimulator& simulator = host_->engines.Simulator();
        for (int i = 0; i < 4; ++i) {
            simulator.StepInto();
        }
        QCOMPARE(host_->Cpu().State().DirectSpace[7], uint8_t{0});
        QTest::mousePress(window->Face(), Qt::LeftButton);
        QVERIFY(button->pressed);
        QVERIFY(host_->updates > 0);
        CPortModel ports(*host_);
        ports.Sync();
        host_->engines.Options().radixTable[0] = 2;
        ports.Sync();
        QCOMPARE(QString::fromStdString(ports.LineText(3)), QStringLiteral(" P3 FB"));
        bool entered = false;
        for (int i = 0; i < 6 && !entered; ++i) {
            simulator.StepInto();
            entered = host_->Cpu().Pc() == 3;
        }
        QVERIFY(entered);
        QTest::mouseRelease(window->Face(), Qt::LeftButton);
        QVERIFY(!button->pressed);
        QCOMPARE(host_->Cpu().State().DirectSpace[0xB0], uint8_t{0xFF}); // never stored
        simulator.StepInto();                                            // INC R7
        simulator.StepInto();                                            // RETI
        QCOMPARE(host_->Cpu().State().DirectSpace[7], uint8_t{1});
        const uint8_t count = host_->Cpu().State().DirectSpace[7];
        for (int i = 0; i < 20; ++i) {
            simulator.StepInto();
        }
        QCOMPARE(host_->Cpu().State().DirectSpace[7], count);
    }

    // Of two pressed buttons on one port the first created acts; closing
    // it hands the port to the second.
    void FirstOfTwoButtonsActs()
    {
        CVirtualButtonList& buttons = host_->engines.Simulator().Buttons();
        CVirtualButtonWnd* first = NewVirtualButton(*host_, parent_.get());
        CVirtualButtonWnd* second = NewVirtualButton(*host_, parent_.get());
        buttons.ConfigureButton(0, *AcceptButtonFields(Fields("P1", "0F0h", 0, 1, kButtonAnd),
                                                       host_->engines.Assembler(), host_->sink));
        buttons.ConfigureButton(1, *AcceptButtonFields(Fields("P1", "0Fh", 0, 1, kButtonSet),
                                                       host_->engines.Assembler(), host_->sink));
        QTest::mouseClick(first->Face(), Qt::LeftButton);
        QTest::mouseClick(second->Face(), Qt::LeftButton);
        QVERIFY(buttons.GetButton(0)->pressed && buttons.GetButton(1)->pressed);
        QCOMPARE(host_->Cpu().ReadDirect(0x90), uint8_t{0xF0});
        first->close();
        QVERIFY(!buttons.GetButton(0)->windowExists);
        QCOMPARE(host_->Cpu().ReadDirect(0x90), uint8_t{0x0F});
        QCOMPARE(buttons.WorkspaceValues().size(), size_t{1});
        // A latching button lets go on the next click.
        QTest::mouseClick(second->Face(), Qt::LeftButton);
        QCOMPARE(host_->Cpu().ReadDirect(0x90), uint8_t{0xFF});
    }

    // A Set button with mask 00h on an external address: the memory view
    // shows 00h while it is pressed, the stored byte after.
    void ExternalButtonShowsInTheMemoryView()
    {
        host_->Cpu().WriteExternal(0x1234, 0x5A, false, false);
        CVirtualButtonWnd* window = NewVirtualButton(*host_, parent_.get());
        host_->engines.Simulator().Buttons().ConfigureButton(
            0, *AcceptButtonFields(Fields("1234h", "0", 1, 0, kButtonSet),
                                   host_->engines.Assembler(), host_->sink));
        CXramModel view(*host_);
        host_->models.push_back(&view);
        view.SetPage(4, 40);
        view.SetTopLine(0x1234 / 32);
        view.Sync();
        const int line = 0x1234 / 32;
        const size_t column = 6 + 3 * (0x1234 % 32);
        QCOMPARE(QString::fromStdString(view.LineText(line).substr(column, 2)),
                 QStringLiteral("5A"));
        QTest::mousePress(window->Face(), Qt::LeftButton);
        QCOMPARE(QString::fromStdString(view.LineText(line).substr(column, 2)),
                 QStringLiteral("00"));
        QTest::mouseRelease(window->Face(), Qt::LeftButton);
        QCOMPARE(QString::fromStdString(view.LineText(line).substr(column, 2)),
                 QStringLiteral("5A"));
    }

    void ConfigurationRefusesWhatCannotWork_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<int>("resource");
        QTest::newRow("no address") << ""
                                    << "1" << 0;
        QTest::newRow("not a port") << "40h"
                                    << "1" << 0;
        QTest::newRow("unpaired") << "(P1"
                                  << "1" << 0;
        QTest::newRow("undefined") << "NOSUCH"
                                   << "1" << 1;
        QTest::newRow("mask too big") << "P1"
                                      << "300" << 0;
        QTest::newRow("no mask") << "P1"
                                 << " " << 0;
        QTest::newRow("binary mask") << "P1"
                                     << "\x01\x7f" << 0;
    }
    void ConfigurationRefusesWhatCannotWork()
    {
        QFETCH(QString, address);
        QFETCH(QString, mask);
        QFETCH(int, resource);
        ButtonFieldsType fields = Fields("", "", resource, 0, kButtonAnd);
        fields.addressText = address.toStdString();
        fields.maskText = mask.toStdString();
        QVERIFY(!AcceptButtonFields(fields, host_->engines.Assembler(), host_->sink));
        QCOMPARE(host_->sink.messages.size(), size_t{1});
    }

    // Windows come back at the places the workspace kept; a replaced list
    // closes the old windows without touching the new buttons.
    void WindowsFollowTheWorkspace()
    {
        CVirtualButtonList& buttons = host_->engines.Simulator().Buttons();
        buttons.LoadButton("100,200,180,320,1,Go,251,1,0,P3");
        buttons.LoadButton("10,20,60,120,0,Gone,0,0,0,P1");
        buttons.CloseButton(1);
        RestoreVirtualButtons(*host_, parent_.get());
        QList<CVirtualButtonWnd*> windows = parent_->findChildren<CVirtualButtonWnd*>();
        QCOMPARE(windows.size(), 1);
        CVirtualButtonWnd* window = windows.front();
        QCOMPARE(window->frameGeometry().topLeft(), QPoint(200, 100));
        QCOMPARE(window->windowTitle(), QStringLiteral("Go"));
        window->move(250, 150);
        StoreVirtualButtonPositions(parent_.get());
        QCOMPARE(buttons.GetButton(0)->window.left, 250);
        QCOMPARE(buttons.GetButton(0)->window.top, 150);

        buttons.ClearButtons();
        buttons.LoadButton("5000,5000,5040,5100,0,Far,0,0,1,10h");
        RestoreVirtualButtons(*host_, parent_.get());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        windows = parent_->findChildren<CVirtualButtonWnd*>();
        QCOMPARE(windows.size(), 1);
        QVERIFY(buttons.GetButton(0)->windowExists);
        // Off every screen: placed where it can be seen.
        QVERIFY(QGuiApplication::screenAt(windows.front()->frameGeometry().topLeft()) != nullptr);
    }

private:
    std::unique_ptr<CFakeViewHost> host_;
    std::unique_ptr<QWidget> parent_;
};

static RegisterTest<ButtonViewsTest> buttonViewsTest;

#include "button_views_test.moc"
