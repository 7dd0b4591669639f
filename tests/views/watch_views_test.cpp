#include <memory>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "test_registry.h"
#include "view_test_support.h"
#include "views/add_watch_dlg.h"
#include "views/text_grid_view.h"
#include "views/tool_views.h"
#include "views/watch_model.h"

namespace {

constexpr const char* kProgram = "\tDATAORG 30H\n"
                                 "\tMEMTYPE iram\n"
                                 "IBUF\tDS 2\n"
                                 "\tMEMTYPE xram\n"
                                 "XCNT\tDS 4\n"
                                 "\tMEMTYPE none\n"
                                 "FLAG\tBIT 20H.3\n"
                                 "D1\tDATA 40H\n"
                                 "\tORG 0\n"
                                 "LOOP:\tSJMP LOOP\n"
                                 "\tEND\n";

void AddByteWatch(CFakeViewHost& host, const std::string& name)
{
    host.engines.Simulator().Watches().AddWatch(name, kWatchDirectMemory, kWatchByte, 0, "", 0, 0,
                                                DisplayRadix::kHexadecimal, -1);
}

std::vector<bool> ItemEnables(const std::vector<MenuItemType>& items)
{
    std::vector<bool> enables;
    for (const MenuItemType& item : items) {
        enables.push_back(item.enabled);
    }
    return enables;
}

} // namespace

class WatchViewsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        host_ = std::make_unique<CFakeViewHost>();
        QVERIFY(host_->Assemble(kProgram));
        host_->Start();
    }

    // Move Up, Move Down, Add, Delete, Modify, then the five radixes.
    void MenuEnables_data()
    {
        QTest::addColumn<int>("watches");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("enabled");
        QTest::newRow("none") << 0 << 0 << "0010000000";
        QTest::newRow("one") << 1 << 0 << "0011111111";
        QTest::newRow("first of three") << 3 << 0 << "0111111111";
        QTest::newRow("middle of three") << 3 << 1 << "1111111111";
        QTest::newRow("last of three") << 3 << 2 << "1011111111";
    }
    void MenuEnables()
    {
        QFETCH(int, watches);
        QFETCH(int, selected);
        QFETCH(QString, enabled);
        for (int i = 0; i < watches; ++i) {
            AddByteWatch(*host_, "D1");
        }
        CWatchModel model(*host_);
        model.Sync();
        model.Click(0, selected);
        QString shown;
        for (bool on : ItemEnables(model.ContextMenu())) {
            shown += on ? QLatin1Char('1') : QLatin1Char('0');
        }
        QCOMPARE(shown, enabled);
    }

    void DeletingTheLastLeavesNothingSelected()
    {
        AddByteWatch(*host_, "D1");
        AddByteWatch(*host_, "30H");
        CWatchModel model(*host_);
        host_->models.push_back(&model);
        model.Sync();
        model.Click(0, 1);
        QVERIFY(model.HandleCommand(watch_menu::kDelete));
        QCOMPARE(host_->engines.Simulator().Watches().WatchCount(), 1);
        QCOMPARE(model.Selection().line, 1);
        const std::vector<bool> enables = ItemEnables(model.ContextMenu());
        QVERIFY(!enables[3] && !enables[4]); // Delete, Modify
        QVERIFY(!enables[0]);                // nothing to move up either
        CommandStateType state;
        model.FillCommandState(state);
        QVERIFY(state.radixView && !state.lineSelected);
    }

    void MovesFollowTheSelection()
    {
        AddByteWatch(*host_, "A1");
        AddByteWatch(*host_, "B1");
        AddByteWatch(*host_, "C1");
        CWatchModel model(*host_);
        host_->models.push_back(&model);
        model.Sync();
        model.Click(0, 0);
        QVERIFY(model.HandleCommand(watch_menu::kMoveDown));
        QCOMPARE(model.Selection().line, 1);
        QCOMPARE(host_->engines.Simulator().Watches().GetWatch(1)->name, std::string("A1"));
        QVERIFY(model.HandleCommand(cmd::kRadixBinary));
        QCOMPARE(host_->engines.Simulator().Watches().GetWatch(1)->radix, 4);
        QVERIFY(model.HandleCommand(watch_menu::kMoveUp));
        QCOMPARE(model.Selection().line, 0);
        QCOMPARE(host_->engines.Simulator().Watches().GetWatch(0)->name, std::string("A1"));
    }

    // Typing 5 on a Byte watch: "New Value" opens with the 5; OK writes it.
    void TypingEditsTheWatch()
    {
        AddByteWatch(*host_, "D1");
        std::unique_ptr<CTextGridView> view(
            static_cast<CTextGridView*>(CreateToolView(WindowKind::kWatch, *host_, nullptr)));
        host_->views.push_back(view.get());
        QString caption;
        QString initial;
        view->SetValueDialog([&](const QString& c, const QString& i) -> std::optional<QString> {
            caption = c;
            initial = i;
            return i + QStringLiteral("Ah");
        });
        QTest::keyClick(view.get(), Qt::Key_5);
        QCOMPARE(initial, QStringLiteral("5"));
        QCOMPARE(caption, QStringLiteral("Watch - D1    00"));
        QCOMPARE(host_->Cpu().State().DirectSpace[0x40], uint8_t{0x5A});
        QCOMPARE(QString::fromStdString(view->Model().LineText(0)), QStringLiteral("D1    5A"));
        // Text the evaluator refuses writes nothing.
        view->SetValueDialog([](const QString&, const QString&) -> std::optional<QString> {
            return QStringLiteral("(3");
        });
        QTest::keyClick(view.get(), Qt::Key_Return);
        QCOMPARE(host_->Cpu().State().DirectSpace[0x40], uint8_t{0x5A});
        QCOMPARE(host_->sink.messages.size(), size_t{1});
        QTest::keyClick(view.get(), Qt::Key_Delete);
        QCOMPARE(host_->engines.Simulator().Watches().WatchCount(), 0);
    }

    // Modify fills the dialog from the watch: a Double Word shows its four
    // byte positions, however the last Double Word was entered.
    void ModifyShowsTheDoubleWordsByteOrder()
    {
        host_->settings.WriteString("Settings", "DWordByteOrder", "0,1,2,3");
        CWatchList& watches = host_->engines.Simulator().Watches();
        watches.AddWatch("IBUF", kWatchIndirectMemory, kWatchDoubleWord, 0, "3,2,1,0", 0, 0,
                         DisplayRadix::kDefault, -1);
        CWatchModel model(*host_);
        host_->models.push_back(&model);
        model.Sync();
        QString shown;
        model.SetDialogRunner([&](WatchFieldsType& fields, bool modify) {
            CAddWatchModel rules(host_->engines.Resolver(), host_->settings);
            rules.Open(fields);
            CAddWatchDlg dialog(modify, rules, host_->sink);
            shown = dialog.ByteOrderEdit()->text() + QLatin1Char('|') + dialog.windowTitle();
            dialog.ByteOrderEdit()->setText(QStringLiteral("1,0,3,2"));
            dialog.accept();
            fields = rules.Fields();
            return dialog.result() == QDialog::Accepted;
        });
        model.Click(0, 0);
        QVERIFY(model.HandleCommand(watch_menu::kModify));
        QCOMPARE(shown, QStringLiteral("3,2,1,0|Modify Watch"));
        QCOMPARE(watches.GetWatch(0)->byteOrder, (std::array<int32_t, 4>{1, 0, 3, 2}));
        QCOMPARE(host_->settings.ReadString("Settings", "DWordByteOrder", ""),
                 std::string("1,0,3,2"));
        QCOMPARE(watches.WatchCount(), 1);
    }

    // The editor's quick add: the resource type, format and bit index come
    // from what the word names.
    void QuickAddDerivesTheResourceType_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("resource");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("bit");
        QTest::newRow("register") << "r3" << 0 << 0 << 0;
        QTest::newRow("bit name") << "TR0" << 2 << 4 << 4;
        QTest::newRow("SFR") << "P1" << 2 << 0 << 0;
        QTest::newRow("iram word") << "IBUF" << 1 << 1 << 0;
        QTest::newRow("xram double word") << "XCNT" << 3 << 2 << 0;
        QTest::newRow("user bit") << "FLAG" << 2 << 4 << 3;
        QTest::newRow("data without class") << "D1" << -1 << 0 << 0;
        QTest::newRow("unknown") << "NOWHERE" << -1 << 0 << 0;
        QTest::newRow("empty") << "" << -1 << 0 << 0;
    }
    void QuickAddDerivesTheResourceType()
    {
        QFETCH(QString, word);
        QFETCH(int, resource);
        QFETCH(int, format);
        QFETCH(int, bit);
        CAddWatchModel model(host_->engines.Resolver(), host_->settings);
        WatchFieldsType fields;
        fields.name = word.toStdString();
        fields.resourceType = -1;
        fields.format = -1;
        fields.bitIndex = -5;
        model.Open(fields);
        QCOMPARE(model.Fields().resourceType, resource);
        QCOMPARE(model.Fields().format, format);
        QCOMPARE(model.Fields().bitIndex, bit);
        QCOMPARE(model.Enables().ok, resource >= 0);
    }

    void AddressListsFollowTypeAndFormat()
    {
        CAddWatchModel model(host_->engines.Resolver(), host_->settings);
        WatchFieldsType fields;
        fields.resourceType = kWatchRegister;
        model.Open(fields);
        QCOMPARE(model.AddressList().size(), size_t{13});
        QCOMPARE(model.AddressList().back(), std::string("DPTR"));
        model.SetResourceType(kWatchDirectMemory);
        const std::vector<std::string> sfrs = model.AddressList();
        QVERIFY(std::find(sfrs.begin(), sfrs.end(), "TCON") != sfrs.end());
        model.SetFormat(kWatchBit);
        const std::vector<std::string> bits = model.AddressList();
        QVERIFY(std::find(bits.begin(), bits.end(), "TR1") != bits.end());
        model.PickAddress("TR1");
        QCOMPARE(model.Fields().name, std::string("TR1"));
        QCOMPARE(model.Fields().bitIndex, 6);
        model.SetResourceType(kWatchSimulationResult);
        QCOMPARE(model.AddressList(),
                 (std::vector<std::string>{"Cycles", "Max SP", "Total Cycles"}));
        model.SetResourceType(kWatchExternalMemory);
        QVERIFY(model.AddressList().empty());
    }

    // Which fields take input, by format and resource type.
    void FieldEnables_data()
    {
        QTest::addColumn<int>("resource");
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("nullTerminated");
        QTest::addColumn<QString>("expected"); // format bit order radix null length
        QTest::newRow("byte") << 2 << 0 << false << "100100";
        QTest::newRow("word") << 2 << 1 << false << "101100";
        QTest::newRow("double word") << 3 << 2 << false << "101100";
        QTest::newRow("string") << 1 << 3 << false << "100011";
        QTest::newRow("null terminated") << 1 << 3 << true << "100010";
        QTest::newRow("bit") << 2 << 4 << false << "110000";
        QTest::newRow("simulation result") << 4 << 1 << false << "000000";
    }
    void FieldEnables()
    {
        QFETCH(int, resource);
        QFETCH(int, format);
        QFETCH(bool, nullTerminated);
        QFETCH(QString, expected);
        CAddWatchModel model(host_->engines.Resolver(), host_->settings);
        WatchFieldsType fields;
        fields.name = "X";
        fields.resourceType = resource;
        fields.format = format;
        fields.nullTerminated = nullTerminated ? 1 : 0;
        model.Open(fields);
        const AddWatchEnablesType e = model.Enables();
        QString shown;
        for (bool on :
             {e.format, e.bitIndex, e.byteOrder, e.radix, e.nullTerminated, e.stringLength}) {
            shown += on ? QLatin1Char('1') : QLatin1Char('0');
        }
        QCOMPARE(shown, expected);
    }

    // Word and Double Word keep their last byte order apart.
    void ByteOrderSettingsPerFormat()
    {
        host_->settings.WriteString("Settings", "WordByteOrder", "1,0");
        CAddWatchModel model(host_->engines.Resolver(), host_->settings);
        WatchFieldsType fields;
        fields.name = "30H";
        fields.resourceType = kWatchDirectMemory;
        model.Open(fields);
        QVERIFY(model.Fields().byteOrderText.empty());
        model.SetFormat(kWatchWord);
        QCOMPARE(model.Fields().byteOrderText, std::string("1,0"));
        model.SetFormat(kWatchDoubleWord);
        QCOMPARE(model.Fields().byteOrderText, std::string("0,1,2,3"));
        model.SetByteOrderText("3,2,1,0");
        QVERIFY(model.Accept());
        QCOMPARE(host_->settings.ReadString("Settings", "DWordByteOrder", ""),
                 std::string("3,2,1,0"));
        QCOMPARE(host_->settings.ReadString("Settings", "WordByteOrder", ""), std::string("1,0"));
        QVERIFY(!model.SetStringLengthText("12x"));
        QVERIFY(!model.SetStringLengthText("99999999"));
        QVERIFY(model.SetStringLengthText("12"));
        QCOMPARE(model.Fields().stringLength, 12);
    }

    // The dialog's widgets follow the rules: a derived bit shows its index
    // with the bit combo on; an unknown word leaves OK off until a type is
    // chosen.
    void DialogShowsTheRules()
    {
        CAddWatchModel model(host_->engines.Resolver(), host_->settings);
        WatchFieldsType fields;
        fields.name = "NOWHERE";
        model.Open(fields);
        CAddWatchDlg dialog(false, model, host_->sink);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Add Watch"));
        QVERIFY(!dialog.OkButton()->isEnabled());
        QVERIFY(!dialog.BitIndexBox()->isEnabled());
        dialog.ResourceButton(kWatchDirectMemory)->click();
        QVERIFY(dialog.OkButton()->isEnabled());
        QVERIFY(dialog.AddressBox()->count() > 20);
        QCOMPARE(dialog.AddressBox()->currentText(), QStringLiteral("NOWHERE"));
        dialog.FormatBox()->setCurrentIndex(kWatchString);
        emit dialog.FormatBox()->activated(kWatchString);
        QVERIFY(dialog.StringLengthEdit()->isEnabled());
        QVERIFY(!dialog.RadixBox()->isEnabled());
        dialog.NullTerminatedBox()->setChecked(true);
        QVERIFY(!dialog.StringLengthEdit()->isEnabled());
        dialog.ResourceButton(kWatchSimulationResult)->click();
        QVERIFY(!dialog.FormatBox()->isEnabled());
        QVERIFY(!dialog.NullTerminatedBox()->isEnabled());
        QCOMPARE(dialog.AddressBox()->count(), 3);
    }

    // Whatever is typed: an empty address keeps OK off, a long one is cut,
    // a bad byte order is refused with the simulator's message, a bad
    // length keeps the dialog open.
    void DialogRefusesBadInput()
    {
        CAddWatchModel model(host_->engines.Resolver(), host_->settings);
        WatchFieldsType fields;
        fields.resourceType = kWatchDirectMemory;
        fields.format = kWatchWord;
        model.Open(fields);
        CAddWatchDlg dialog(false, model, host_->sink);
        QVERIFY(!dialog.OkButton()->isEnabled());
        dialog.AddressBox()->setEditText(QString(5000, QLatin1Char('X')) + QChar(1));
        QCOMPARE(dialog.AddressBox()->currentText().size(), 32);
        QVERIFY(dialog.OkButton()->isEnabled());
        dialog.ByteOrderEdit()->setText(QStringLiteral("9,(9"));
        dialog.accept();
        QCOMPARE(dialog.result(), int{QDialog::Accepted});
        ApplyWatchFields(host_->engines.Simulator().Watches(), model.Fields(), -1);
        QCOMPARE(host_->sink.messages,
                 std::vector<std::string>{"Invalid values specified for watch byte order."});
        QCOMPARE(host_->engines.Simulator().Watches().GetWatch(0)->byteOrder[0], 0);

        CAddWatchModel text(host_->engines.Resolver(), host_->settings);
        fields.format = kWatchString;
        fields.name = "30H";
        text.Open(fields);
        CAddWatchDlg stringDialog(false, text, host_->sink);
        stringDialog.StringLengthEdit()->setText(QStringLiteral("-4"));
        stringDialog.accept();
        QCOMPARE(stringDialog.result(), int{QDialog::Rejected});
        QCOMPARE(host_->sink.messages.back(), std::string("Enter an integer between 0 and 65535."));
    }

    void AddWatchFromTheEditorWord()
    {
        QWidget parent;
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<CAddWatchDlg*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            QVERIFY(dialog->ResourceButton(kWatchDirectMemory)->isChecked());
            QCOMPARE(dialog->FormatBox()->currentIndex(), int{kWatchBit});
            QCOMPARE(dialog->BitIndexBox()->currentIndex(), 4);
            dialog->accept();
        });
        QVERIFY(RunAddWatchDialog(&parent, *host_, "TR0"));
        const std::optional<WatchRecordType> watch =
            host_->engines.Simulator().Watches().GetWatch(0);
        QVERIFY(watch.has_value());
        QCOMPARE(watch->name, std::string("TR0"));
        QCOMPARE(watch->format, int{kWatchBit});
        QCOMPARE(host_->updates, 1);
    }

private:
    std::unique_ptr<CFakeViewHost> host_;
};

static RegisterTest<WatchViewsTest> watchViewsTest;

#include "watch_views_test.moc"
