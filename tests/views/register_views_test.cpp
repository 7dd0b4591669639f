#include <memory>

#include <QScrollBar>
#include <QTest>

#include "test_registry.h"
#include "view_test_support.h"
#include "views/memory_models.h"
#include "views/register_models.h"
#include "views/text_grid_view.h"
#include "views/tool_views.h"

namespace {

constexpr const char* kIdle = "\tORG 0\nLOOP:\tSJMP LOOP\n\tEND\n";

// A state every view shows something of: bank 1 active, DPTR and timer 0
// set, upper RAM 90h different from P1.
void SetKnownState(CFakeViewHost& host)
{
    CSim8051& cpu = host.Cpu();
    cpu.WriteDirect(0xE0, 0x3F);
    cpu.WriteDirect(0xD0, 0x08);
    cpu.WriteDirect(0x0B, 0x00);
    cpu.WriteDirect(0x83, 0x12);
    cpu.WriteDirect(0x82, 0x34);
    cpu.WriteDirect(0x8C, 0x12);
    cpu.WriteDirect(0x8A, 0x34);
    cpu.WriteDirect(0x90, 0xA5);
    cpu.WriteIndirect(0x90, 0x5A);
}

std::unique_ptr<CGridModel> MakeModel(WindowKind kind, CFakeViewHost& host)
{
    switch (kind) {
    case WindowKind::kRegister:
        return std::make_unique<CRegisterModel>(host);
    case WindowKind::kPort:
        return std::make_unique<CPortModel>(host);
    case WindowKind::kConReg:
        return std::make_unique<CControlRegisterModel>(host);
    case WindowKind::kDram:
        return std::make_unique<CDramModel>(host);
    default:
        return std::make_unique<CIramModel>(host);
    }
}

} // namespace

Q_DECLARE_METATYPE(WindowKind)

class RegisterViewsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        host_ = std::make_unique<CFakeViewHost>();
        QVERIFY(host_->Assemble(kIdle));
        host_->Start();
        SetKnownState(*host_);
    }

    void LineTexts_data()
    {
        QTest::addColumn<WindowKind>("kind");
        QTest::addColumn<int>("defaultRadix");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("text");
        using K = WindowKind;
        QTest::newRow("A hex") << K::kRegister << 2 << 0 << " A  3F";
        QTest::newRow("A decimal") << K::kRegister << 1 << 0 << " A  63";
        QTest::newRow("A binary") << K::kRegister << 4 << 0 << " A  00111111";
        QTest::newRow("A ascii") << K::kRegister << 3 << 0 << " A  ?";
        QTest::newRow("R3 of bank 1") << K::kRegister << 2 << 5 << " R3  00";
        QTest::newRow("PC") << K::kRegister << 2 << 11 << " PC  0000";
        QTest::newRow("DPTR") << K::kRegister << 2 << 12 << " DPTR  1234";
        QTest::newRow("DPTR binary as decimal") << K::kRegister << 4 << 12 << " DPTR  4660";
        QTest::newRow("P1") << K::kPort << 2 << 1 << " P1 A5";
        QTest::newRow("P3") << K::kPort << 2 << 3 << " P3 FF";
        QTest::newRow("PSW") << K::kConReg << 2 << 0 << "PSW   08";
        QTest::newRow("T2CON") << K::kConReg << 2 << 6 << "T2CON 00";
        QTest::newRow("T0 pair") << K::kConReg << 2 << 9 << "T0    1234";
        QTest::newRow("direct 0B") << K::kDram << 2 << 0x0B << " 0B: 00";
        QTest::newRow("direct 90 is P1") << K::kDram << 2 << 0x90 << " 90: A5";
        QTest::newRow("internal 90 is upper RAM") << K::kIram << 2 << 0x90 << " 90: 5A";
        QTest::newRow("internal 08") << K::kIram << 2 << 0x08 << " 08: 00";
    }
    void LineTexts()
    {
        QFETCH(WindowKind, kind);
        QFETCH(int, defaultRadix);
        QFETCH(int, line);
        QFETCH(QString, text);
        host_->engines.Options().radixTable[0] = static_cast<uint8_t>(defaultRadix);
        std::unique_ptr<CGridModel> model = MakeModel(kind, *host_);
        model->Sync();
        QCOMPARE(QString::fromStdString(model->LineText(line)), text);
    }

    void LineCounts()
    {
        CRegisterModel registers(*host_);
        registers.Sync();
        QCOMPARE(registers.LineCount(), 13);
        CIramModel iram(*host_);
        host_->engines.Options().processorType = 0; // 8751
        iram.Sync();
        QCOMPARE(iram.LineCount(), 128);
        host_->engines.Options().processorType = 1; // 8752
        iram.Sync();
        QCOMPARE(iram.LineCount(), 256);
    }

    // Typing 5 on R3: the dialog opens with the caption and the 5, and OK
    // writes R3 of the active bank.
    void TypingEditsTheSelectedRegister()
    {
        host_->engines.Options().radixTable[0] = 2;
        auto* view =
            static_cast<CTextGridView*>(CreateToolView(WindowKind::kRegister, *host_, nullptr));
        std::unique_ptr<QWidget> owner(view);
        host_->views.push_back(view);
        view->resize(300, 300);
        QString caption;
        QString initial;
        view->SetValueDialog([&](const QString& c, const QString& i) -> std::optional<QString> {
            caption = c;
            initial = i;
            return i;
        });
        view->Model().Click(0, 5);
        QTest::keyClick(view, Qt::Key_5);
        QCOMPARE(caption, QStringLiteral("Register - R3  00"));
        QCOMPARE(initial, QStringLiteral("5"));
        QCOMPARE(host_->Cpu().State().DirectSpace[0x0B], uint8_t{5});
        QCOMPARE(host_->Cpu().State().DirectSpace[0x03], uint8_t{0}); // bank 0's R3
        QCOMPARE(QString::fromStdString(view->Model().LineText(5)), QStringLiteral(" R3  05"));
        // Enter starts empty; characters below 32 open nothing.
        view->SetValueDialog([&](const QString&, const QString& i) -> std::optional<QString> {
            initial = QStringLiteral("<") + i + QStringLiteral(">");
            return std::nullopt;
        });
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(initial, QStringLiteral("<>"));
        initial.clear();
        QTest::keyClick(view, Qt::Key_Tab);
        QTest::keyClick(view, Qt::Key_Escape);
        QVERIFY(initial.isEmpty());
    }

    void ValuesReadAsImmediateOperands_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("value");
        QTest::newRow("hash skipped") << "#12h" << 0x12;
        QTest::newRow("comma cuts") << "34h, 99h" << 0x34;
        QTest::newRow("comment cuts") << "7 ; seven" << 7;
        QTest::newRow("expression") << "(2+3)*4" << 20;
        QTest::newRow("negative folds to a byte") << "-1" << 0xFF;
        QTest::newRow("wider keeps the low byte") << "1234h" << 0x34;
        QTest::newRow("character") << "'A'" << 0x41;
    }
    void ValuesReadAsImmediateOperands()
    {
        QFETCH(QString, typed);
        QFETCH(int, value);
        CRegisterModel model(*host_);
        model.Sync();
        model.Click(0, 0);
        QVERIFY(model.CommitEdit(typed.toStdString()));
        QCOMPARE(int{host_->Cpu().State().DirectSpace[0xE0]}, value);
    }

    // Text the evaluator cannot read writes nothing; the user is told why
    // unless there was nothing to read.
    void BadValuesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<bool>("told");
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("blanks") << QByteArray("   ") << false;
        QTest::newRow("only a hash") << QByteArray("#") << false;
        QTest::newRow("unbalanced") << QByteArray("(1+2") << true;
        QTest::newRow("undefined name") << QByteArray("NOSUCH+1") << true;
        QTest::newRow("bad digit") << QByteArray("12Q9") << true;
        QTest::newRow("huge") << QByteArray(100000, '9') << true;
        QTest::newRow("binary") << QByteArray("\x01\xff\x80(", 4) << true;
        QTest::newRow("nested") << QByteArray(3000, '(') << true;
    }
    void BadValuesAreRefused()
    {
        QFETCH(QByteArray, typed);
        QFETCH(bool, told);
        const ProcessorState before = host_->Cpu().State();
        CRegisterModel model(*host_);
        model.Sync();
        model.Click(0, 0);
        QVERIFY(!model.CommitEdit(typed.toStdString()));
        QCOMPARE(host_->Cpu().State().DirectSpace, before.DirectSpace);
        QCOMPARE(host_->Cpu().State().UpperRam, before.UpperRam);
        QCOMPARE(!host_->sink.messages.empty(), told);
    }

    // The same line 90h: upper RAM through the internal view, P1 through
    // the direct one.
    void Line90hWritesUpperRamOrP1()
    {
        CIramModel iram(*host_);
        iram.Sync();
        iram.Click(0, 0x90);
        QVERIFY(iram.CommitEdit("0FFh"));
        QCOMPARE(host_->Cpu().State().UpperRam[0x10], uint8_t{0xFF});
        QCOMPARE(host_->Cpu().State().DirectSpace[0x90], uint8_t{0xA5});
        CDramModel dram(*host_);
        dram.Sync();
        dram.Click(0, 0x90);
        QVERIFY(dram.CommitEdit("11h"));
        QCOMPARE(host_->Cpu().State().DirectSpace[0x90], uint8_t{0x11});
        QCOMPARE(host_->Cpu().State().UpperRam[0x10], uint8_t{0xFF});
    }

    void PcWriteKeepsTheSimulationHalted()
    {
        CRegisterModel model(*host_);
        model.Sync();
        model.Click(0, 11);
        QVERIFY(model.CommitEdit("1234h"));
        QCOMPARE(host_->Cpu().Pc(), 0x1234u);
        QVERIFY(host_->engines.Simulator().IsHalted());
        host_->engines.IdleStep(false);
        QCOMPARE(host_->Cpu().Pc(), 0x1234u);
    }

    void RadixCommandsSetTheLinesCode()
    {
        CRegisterModel model(*host_);
        model.Sync();
        CommandStateType state;
        model.Click(0, 11);
        model.FillCommandState(state);
        QVERIFY(state.radixView && state.lineSelected);
        QVERIFY(model.HandleCommand(cmd::kRadixBinary));
        QCOMPARE(int{host_->engines.Options().radixTable[radix_layout::kRegisterWindow + 11]}, 4);
        QCOMPARE(host_->updates, 1);
        model.Sync();
        // The word formatter shows Binary in decimal.
        host_->Cpu().State().pc = 300;
        model.Sync();
        QCOMPARE(QString::fromStdString(model.LineText(11)), QStringLiteral(" PC  300"));
        const std::vector<MenuItemType> menu = model.ContextMenu();
        QCOMPARE(menu.size(), size_t{5});
        QVERIFY(menu[4].checked && menu[4].enabled);
        // A click below the lines selects nothing: the items are disabled.
        model.Click(0, 40);
        model.FillCommandState(state);
        QVERIFY(!state.lineSelected);
        QVERIFY(!model.ContextMenu()[0].enabled);
        QVERIFY(model.HandleCommand(cmd::kRadixDecimal));
        QCOMPARE(int{host_->engines.Options().radixTable[radix_layout::kRegisterWindow + 11]}, 4);
        QVERIFY(!model.HandleCommand(cmd::kClearDump));
    }

    void KeysKeepTheSelectionInside()
    {
        CRegisterModel model(*host_);
        model.Sync();
        model.SetPage(5, 8);
        model.Click(3, 12);
        model.Key(GridKey::kDown);
        QCOMPARE(model.Selection().line, 12);
        model.Key(GridKey::kPageUp);
        QCOMPARE(model.Selection().line, 7);
        model.Key(GridKey::kEnd);
        QCOMPARE(model.Selection().column, 8);
        model.Key(GridKey::kHome);
        model.Key(GridKey::kLeft);
        QCOMPARE(model.Selection(), (GridPlaceType{0, 7}));
        model.Key(GridKey::kPageUp);
        model.Key(GridKey::kPageUp);
        QCOMPARE(model.Selection().line, 0);
    }

    void FontFollowsTheSetting()
    {
        QCOMPARE(FontPixelHeight(10, 96), 13);
        QCOMPARE(FontPixelHeight(12, 96), 16);
        auto* view =
            static_cast<CTextGridView*>(CreateToolView(WindowKind::kPort, *host_, nullptr));
        std::unique_ptr<QWidget> owner(view);
        const QSize small = view->CellSize();
        host_->engines.Options().fontSize = 16;
        view->Refresh();
        QVERIFY(view->CellSize().height() > small.height());
        QCOMPARE(view->TextFont().family(), QStringLiteral("Courier New"));
    }

    // After a step the values that changed are marked, the others not; a
    // write from the view marks its value until the next stop.
    void ChangedValuesAreMarkedAfterAStop()
    {
        QVERIFY(host_->Assemble("\tORG 0\n\tINC A\n\tMOV B,#5\n\tSJMP $\n\tEND\n"));
        host_->Start();
        host_->engines.Options().radixTable[0] = 2;
        CRegisterModel model(*host_);
        model.Sync();
        host_->engines.Simulator().StepInto();
        model.Sync();
        QCOMPARE(model.ChangedSpans(0), (std::vector<ColumnSpanType>{{4, 2}}));
        QVERIFY(model.ChangedSpans(1).empty());
        host_->engines.Simulator().StepInto();
        model.Sync();
        QVERIFY(model.ChangedSpans(0).empty());
        QVERIFY(!model.ChangedSpans(1).empty());
        model.SetMarkChanges(false);
        QVERIFY(model.ChangedSpans(1).empty());
        model.SetMarkChanges(true);
        host_->engines.Simulator().Restart();
        model.Sync();
        QVERIFY(model.ChangedSpans(1).empty());
    }

private:
    std::unique_ptr<CFakeViewHost> host_;
};

static RegisterTest<RegisterViewsTest> registerViewsTest;

#include "register_views_test.moc"
