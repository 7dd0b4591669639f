#include <memory>

#include <QScrollBar>
#include <QTest>

#include "test_registry.h"
#include "view_test_support.h"
#include "views/memory_models.h"
#include "views/text_grid_view.h"
#include "views/tool_views.h"

namespace {

constexpr const char* kIdle = "\tORG 0\nLOOP:\tSJMP LOOP\n\tEND\n";

CTextGridView* MakeView(WindowKind kind, CFakeViewHost& host)
{
    auto* view = static_cast<CTextGridView*>(CreateToolView(kind, host, nullptr));
    host.views.push_back(view);
    return view;
}

} // namespace

// The external RAM, output and dump views.
class TextViewsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        host_ = std::make_unique<CFakeViewHost>();
        QVERIFY(host_->Assemble(kIdle));
    }

    void ExternalLinesShowThirtyTwoBytes()
    {
        host_->Start();
        host_->Cpu().WriteExternal(0x20, 0xAB, false, false);
        host_->Cpu().WriteExternal(0x3F, 0x01, false, false);
        CXramModel model(*host_);
        model.SetPage(10, 40);
        model.Sync();
        QCOMPARE(model.LineCount(), 0x10000 / 32);
        const std::string line = model.LineText(1);
        QCOMPARE(line.size(), size_t{5 + 32 * 3});
        QCOMPARE(QString::fromStdString(line.substr(0, 12)), QStringLiteral("0020: AB 00 "));
        QCOMPARE(QString::fromStdString(line.substr(line.size() - 3)), QStringLiteral(" 01"));
    }

    // Columns right of the last byte edit byte 31, left of the first byte 0.
    void ColumnsPickTheByteOfTheLine_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("address");
        QTest::newRow("address digits") << 0 << 0x40;
        QTest::newRow("first byte") << 6 << 0x40;
        QTest::newRow("blank before byte 1") << 8 << 0x40;
        QTest::newRow("byte 1") << 9 << 0x41;
        QTest::newRow("byte 31") << 99 << 0x5F;
        QTest::newRow("last column") << 100 << 0x5F;
        QTest::newRow("far right") << 500 << 0x5F;
    }
    void ColumnsPickTheByteOfTheLine()
    {
        QFETCH(int, column);
        QFETCH(int, address);
        host_->Start();
        CXramModel model(*host_);
        model.Sync();
        model.Click(column, 2);
        QCOMPARE(model.AddressOfPlace(model.Selection()), int64_t{address});
        const std::optional<ValueEditType> edit = model.BeginEdit('7');
        QVERIFY(edit.has_value());
        QCOMPARE(QString::fromStdString(edit->caption),
                 QStringLiteral("External RAM - ") +
                     QStringLiteral("%1").arg(address, 4, 16, QLatin1Char('0')).toUpper());
        QVERIFY(model.CommitEdit("77h"));
        QCOMPARE(host_->engines.Simulator().ExternalRam()[address], uint8_t{0x77});
    }

    // Paged memory: six address digits, and every page can be edited.
    void PagedMemoryShowsAndEditsEveryPage()
    {
        host_->Start(kManualUpdateCount, 2); // 4 pages
        CXramModel model(*host_);
        model.Sync();
        QCOMPARE(model.LineCount(), 4 * 0x10000 / 32);
        const int line = 0x21230 / 32;
        QCOMPARE(QString::fromStdString(model.LineText(line).substr(0, 7)),
                 QStringLiteral("021220:"));
        model.Click(8 + 3 * 0x10, line);
        QCOMPARE(model.AddressOfPlace(model.Selection()), int64_t{0x21230});
        QVERIFY(model.CommitEdit("5Ah"));
        QCOMPARE(host_->engines.Simulator().ExternalRam()[0x21230], uint8_t{0x5A});
        QVERIFY(host_->sink.messages.empty());
    }

    // Only the lines in sight are followed; a change there is marked.
    void ExternalViewFollowsTheLinesInSight()
    {
        host_->Start();
        CXramModel model(*host_);
        model.SetPage(4, 40);
        model.SetTopLine(100);
        model.Sync();
        host_->engines.Simulator().StepInto(); // a stop
        host_->Cpu().WriteExternal(100 * 32 + 3, 9, false, false);
        host_->Cpu().WriteExternal(10 * 32, 9, false, false); // out of sight
        model.Sync();
        QCOMPARE(model.ChangedSpans(100), (std::vector<ColumnSpanType>{{6 + 9, 2}}));
        QVERIFY(model.ChangedSpans(10).empty());
        QVERIFY(!model.HighlightsSelection());
    }

    // New lines keep the end in sight until the user selects a line; then
    // the view stays where it is.
    void OutputFollowsTheEndWhileNothingIsSelected()
    {
        std::unique_ptr<CTextGridView> view(MakeView(WindowKind::kOutput, *host_));
        view->resize(400, 10 * view->CellSize().height() + 2 * view->frameWidth());
        COutputText& output = host_->engines.Output();
        output.Clear();
        for (int i = 0; i < 50; ++i) {
            output.AddLine("line " + std::to_string(i));
        }
        view->Refresh();
        QScrollBar* bar = view->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(view->Model().Selection().line, -1);
        view->Model().Click(0, 45);
        for (int i = 0; i < 50; ++i) {
            output.AddLine("more " + std::to_string(i));
        }
        view->Refresh();
        QVERIFY(bar->value() < bar->maximum());
        QCOMPARE(view->Model().Selection().line, 45);
        // A new assembly clears the store: following starts again.
        output.Clear();
        output.AddLine("fresh");
        view->Refresh();
        QCOMPARE(view->Model().Selection().line, -1);
    }

    void OutputKeysMoveByLines()
    {
        for (int i = 0; i < 30; ++i) {
            host_->engines.Output().AddLine("x");
        }
        COutputModel model(*host_);
        model.Sync();
        model.Key(GridKey::kEnd);
        QCOMPARE(model.Selection().line, model.LineCount() - 1);
        model.Key(GridKey::kRight);
        QCOMPARE(model.Selection().column, 0);
        model.Key(GridKey::kHome);
        QCOMPARE(model.Selection().line, 0);
    }

    // An assembler error opens its file at its line; the closing line opens
    // nothing.
    void OutputGoesToTheMessagesLine()
    {
        std::string source;
        for (int i = 1; i < 12; ++i) {
            source += "\tNOP\n";
        }
        source += "\tMOV A,@R7\n\tEND\n";
        QVERIFY(!host_->Assemble(source, "err.a51"));
        std::unique_ptr<CTextGridView> view(MakeView(WindowKind::kOutput, *host_));
        const COutputText& output = host_->engines.Output();
        int errorLine = -1;
        for (size_t i = 0; i < output.GetLineCount(); ++i) {
            if (output.GetLine(i).rfind("Error", 0) == 0) {
                errorLine = static_cast<int>(i);
            }
        }
        QVERIFY(errorLine >= 0);
        view->Model().Click(0, errorLine);
        QTest::keyClick(view.get(), Qt::Key_Return);
        QCOMPARE(host_->opened.size(), size_t{1});
        QCOMPARE(host_->opened[0], std::make_pair(host_->lastPath, 11));
        view->Model().Click(0, static_cast<int>(output.GetLineCount()) - 1);
        QVERIFY(QString::fromStdString(view->Model().LineText(view->Model().Selection().line))
                    .startsWith(QStringLiteral("Done")));
        QVERIFY(!view->Model().GoTo());
        QCOMPARE(host_->opened.size(), size_t{1});
    }

    void MessagePlaces_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("line");
        QTest::newRow("error") << "Error: /src/a.a51 (12):  Invalid"
                               << "/src/a.a51" << 11;
        QTest::newRow("warning, any case") << "  WARNING: b.a51 (3): x"
                                           << "b.a51" << 2;
        QTest::newRow("path first") << "c.a51 (7) found"
                                    << "c.a51" << 6;
        QTest::newRow("no blank") << "d.a51(4)"
                                  << "d.a51" << 3;
        QTest::newRow("other keyword") << "note: e.a51 (2)"
                                       << "note: e.a51" << 1;
        QTest::newRow("closing line") << "Done - 0 error(s), 0 warning(s)"
                                      << "" << -1;
        QTest::newRow("no parenthesis") << "hello board"
                                        << "" << -1;
        QTest::newRow("line zero") << "f.a51 (0)"
                                   << "" << -1;
        QTest::newRow("no name") << "Error: (5)"
                                 << "" << -1;
        QTest::newRow("huge line") << "g.a51 (99999999999999999999)"
                                   << "g.a51" << 2147483646;
    }
    void MessagePlaces()
    {
        QFETCH(QString, text);
        QFETCH(QString, path);
        QFETCH(int, line);
        const std::optional<MessagePlaceType> place = ParseMessagePlace(text.toStdString());
        QCOMPARE(place.has_value(), line >= 0);
        if (place) {
            QCOMPARE(QString::fromStdString(place->path), path);
            QCOMPARE(place->line, line);
        }
    }

    // The board's text: followed at the end, a message line opens its
    // source, and Clear empties the window until the board sends more.
    void DumpShowsAndClearsTheBoardText()
    {
        std::unique_ptr<CTextGridView> view(MakeView(WindowKind::kDump, *host_));
        QCOMPARE(view->Model().LineCount(), 0);
        host_->BoardSends("hello\rError: /b/m.a51 (5): bad\r");
        view->Refresh();
        QCOMPARE(view->Model().LineCount(), 3);
        QCOMPARE(QString::fromStdString(view->Model().LineText(0)), QStringLiteral("hello"));
        QCOMPARE(view->Model().Selection().line, -1);
        view->Model().Click(2, 1);
        QVERIFY(view->Model().GoTo());
        QCOMPARE(host_->opened.back(), std::make_pair(std::string("/b/m.a51"), 4));
        std::vector<MenuItemType> menu;
        view->SetMenuChooser([&](const std::vector<MenuItemType>& items, QPoint) {
            menu = items;
            return items.front().id;
        });
        QTest::keyClick(view.get(), Qt::Key_Menu); // the menu from the keyboard
        QCOMPARE(menu.size(), size_t{1});
        QCOMPARE(QString::fromStdString(menu[0].text), QStringLiteral("Clear"));
        QCOMPARE(view->Model().LineCount(), 0);
        QCOMPARE(view->Model().Selection().line, -1);
        host_->BoardSends("again\r");
        view->Refresh();
        QCOMPARE(QString::fromStdString(view->Model().LineText(0)), QStringLiteral("again"));
    }

private:
    std::unique_ptr<CFakeViewHost> host_;
};

static RegisterTest<TextViewsTest> textViewsTest;

#include "text_views_test.moc"
