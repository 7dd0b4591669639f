// What the source window draws, read as data (selected cells, gutter marks,
// scroll ranges) and checked in the pixels of grabs.
#include <QFontDatabase>
#include <QFontInfo>
#include <QHelpEvent>
#include <QScrollBar>
#include <QToolTip>

#include "common/settings_keys.h"
#include "editor_fixture.h"
#include "test_registry.h"

namespace {

// Columns [from, to) drawn selected on a line; (-1, -1) when none are.
std::pair<int, int> SelectedCells(const LinePictureType& picture)
{
    int from = -1;
    int to = -1;
    for (const TextRunType& run : picture.runs) {
        if (run.selected) {
            from = from < 0 ? run.column : from;
            to = run.column + run.length;
        }
    }
    return {from, to};
}

QColor PixelAt(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

// A program of four instruction lines behind an ORG.
constexpr const char* kProgram = "\tORG 0\r\n"
                                 "START:\tMOV A,#1\r\n"
                                 "\tINC A\r\n"
                                 "\tSJMP START\r\n"
                                 "\tEND\r\n";

} // namespace

class DrawingTest : public QObject
{
    Q_OBJECT

private slots:
    void SelectedCellsFollowTheSelection_data()
    {
        QTest::addColumn<QPoint>("anchor");
        QTest::addColumn<QPoint>("caret");
        QTest::addColumn<int>("firstColumn");
        QTest::addColumn<QList<QPoint>>("expected"); // per line: from, to (-1 none)
        const QPoint none(-1, -1);
        QTest::newRow("inside one line")
            << QPoint(1, 0) << QPoint(3, 0) << 0 << QList<QPoint>{{1, 3}, none, none};
        QTest::newRow("over three lines")
            << QPoint(2, 0) << QPoint(1, 2) << 0 << QList<QPoint>{{2, 6}, {0, 4}, {0, 1}};
        QTest::newRow("made backwards")
            << QPoint(1, 2) << QPoint(2, 0) << 0 << QList<QPoint>{{2, 6}, {0, 4}, {0, 1}};
        QTest::newRow("ending at column 0")
            << QPoint(4, 0) << QPoint(0, 1) << 0 << QList<QPoint>{{4, 6}, none, none};
        QTest::newRow("nothing selected")
            << QPoint(2, 1) << QPoint(2, 1) << 0 << QList<QPoint>{none, none, none};
        QTest::newRow("scrolled right")
            << QPoint(0, 0) << QPoint(5, 0) << 3 << QList<QPoint>{{3, 5}, none, none};
    }
    void SelectedCellsFollowTheSelection()
    {
        QFETCH(QPoint, anchor);
        QFETCH(QPoint, caret);
        QFETCH(int, firstColumn);
        QFETCH(QList<QPoint>, expected);
        CEditorFixture f;
        CEditorView& view = f.Open("abcdef\r\nghij\r\nkl\r\n");
        view.Controller().SetSelection({anchor.x(), anchor.y()}, {caret.x(), caret.y()});
        view.Controller().ScrollTo(0, firstColumn);
        for (int line = 0; line < expected.size(); ++line) {
            const auto [from, to] = SelectedCells(view.Picture(line));
            QCOMPARE(QPoint(from, to), expected[line]);
        }
        // The runs never reach left of the window's first column.
        QCOMPARE(view.Picture(0).runs.front().column, firstColumn);
    }

    void SelectionIsWhiteOnBlackInThePixels()
    {
        CEditorFixture f;
        CEditorView& view = f.Open("HHHHHHHH\r\nnext\r\n");
        view.Controller().SetSelection({2, 0}, {5, 0});
        const QImage image = CEditorFixture::Grab(view);
        SaveGrab(image, "selection");
        const CellMetricsType cell = view.Cell();
        const int y = cell.lineHeight / 2;
        auto cellX = [&](int col, int dx) { return cell.gutterWidth + col * cell.charWidth + dx; };
        // The selected cells' corners are black, unselected ones white.
        QCOMPARE(PixelAt(image, cellX(3, 0), 1), QColor(Qt::black));
        QCOMPARE(PixelAt(image, cellX(1, 0), 1), QColor(Qt::white));
        QCOMPARE(PixelAt(image, cellX(6, 0), 1), QColor(Qt::white));
        // The selected "H" has white strokes on black: both colours in its cell.
        bool light = false;
        for (int dx = 0; dx < cell.charWidth; ++dx) {
            light = light || PixelAt(image, cellX(3, dx), y).lightness() > 160;
        }
        QVERIFY(light);
        QCOMPARE(PixelAt(image, 1, y), QColor(0xC0, 0xC0, 0xC0)); // the gutter
    }

    void BreakpointsAndTheExecutionPointMarkTheGutter()
    {
        CEditorFixture f;
        CSourceDocument& doc = f.OpenDocument(kProgram);
        CEditorView& view = f.NewView(doc);
        view.Controller().SetCaret({0, 2});
        // Not simulating: the command's enable rule refuses it.
        QVERIFY(view.HandleCommand(cmd::kToggleBreakPoint));
        QVERIFY(!view.Picture(2).gutter.breakPoint);

        f.Assemble(doc.Path());
        QCOMPARE(f.host.engines.Assembler().GetErrorCount(), 0);
        f.host.engines.StartSimulation({});
        view.HandleCommand(cmd::kToggleBreakPoint);
        view.Controller().SetCaret({0, 3});
        view.HandleCommand(cmd::kSoftBreak);
        view.Refresh();
        QCOMPARE(view.Picture(1).gutter, (GutterMarksType{false, false, true, 0, false}));
        QCOMPARE(view.Picture(2).gutter, (GutterMarksType{true, false, false, 0, false}));
        QCOMPARE(view.Picture(3).gutter, (GutterMarksType{false, true, false, 0, false}));
        QCOMPARE(view.Picture(0).gutter, GutterMarksType{});

        const QImage image = CEditorFixture::Grab(view);
        SaveGrab(image, "breakpoints");
        const CellMetricsType cell = view.Cell();
        const int middle = cell.gutterWidth / 2;
        auto lineMiddle = [&](int line) { return line * cell.lineHeight + cell.lineHeight / 2; };
        QCOMPARE(PixelAt(image, middle, lineMiddle(2)), QColor(0xFF, 0, 0));
        QCOMPARE(PixelAt(image, middle, lineMiddle(3)), QColor(0, 0xFF, 0));
        QCOMPARE(PixelAt(image, 0, lineMiddle(1)), QColor(0, 0, 0xFF));
        // The bar is half a line high from a quarter below the line's top.
        QCOMPARE(PixelAt(image, 0, cell.lineHeight + 1), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(PixelAt(image, cell.gutterWidth - 1, lineMiddle(1)), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(PixelAt(image, middle, lineMiddle(0)), QColor(0xC0, 0xC0, 0xC0));

        view.HandleCommand(cmd::kRemoveAllBreakPoints);
        view.Refresh();
        QVERIFY(!view.Picture(2).gutter.breakPoint && !view.Picture(3).gutter.softBreak);

        // Run to Cursor stops at the caret line and shows it.
        QVERIFY(f.host.engines.Simulator().IsHalted());
        view.HandleCommand(cmd::kRunToCursor);
        QVERIFY(f.host.engines.Simulator().IsHalted());
        QCOMPARE(f.host.executionPointShown, 1);
        view.Refresh();
        QVERIFY(view.Picture(3).gutter.executionPoint);
        // A simulation that ends takes its marks with it.
        f.host.engines.Simulator().Stop();
        view.Refresh();
        QVERIFY(!view.Picture(3).gutter.executionPoint);
    }

    void AssemblerMessagesMarkTheirLinesUntilTheNextAssembly()
    {
        CEditorFixture f;
        CSourceDocument& doc = f.OpenDocument("\tORG 0\r\n"
                                              "\tMOV A,#NOWHERE\r\n"
                                              "\tPAGE 5\r\n"
                                              "\tNOP\r\n"
                                              "\tEND\r\n");
        CEditorView& view = f.NewView(doc);
        f.host.engines.Options().generateListFile = 1; // PAGE warns only with a listing
        f.Assemble(doc.Path());
        // Another file's messages and find-in-files hits are not this window's.
        f.host.engines.Output().AddLine("Error: other.a51 (4): Undefined symbol",
                                        OutputLocationType{"other.a51", 3});
        f.host.engines.Output().AddLine(doc.Path() + " (4): \tNOP",
                                        OutputLocationType{doc.Path(), 3});
        view.Refresh();
        QCOMPARE(view.Picture(1).gutter.message, 2);
        QCOMPARE(view.Picture(2).gutter.message, 1);
        QCOMPARE(view.Picture(3).gutter.message, 0);

        // The message is the line's tooltip, in the text and in the gutter.
        const int y = view.Cell().lineHeight + 2;
        for (const int x : {2, view.Cell().gutterWidth + 30}) {
            QHelpEvent help(QEvent::ToolTip, QPoint(x, y),
                            view.viewport()->mapToGlobal(QPoint(x, y)));
            QCoreApplication::sendEvent(view.viewport(), &help);
            QVERIFY2(QToolTip::text().startsWith("Error: "), qPrintable(QToolTip::text()));
            QVERIFY(QToolTip::text().contains(QString::fromStdString(doc.Path())));
        }
        const QImage image = CEditorFixture::Grab(view);
        SaveGrab(image, "error_marks");
        const int right = view.Cell().gutterWidth - 1;
        const int lh = view.Cell().lineHeight;
        QCOMPARE(PixelAt(image, right, lh + lh / 2), QColor(0xE0, 0, 0));
        QCOMPARE(PixelAt(image, right, 2 * lh + lh / 2), QColor(0xFF, 0x98, 0));

        // Marks go when the next assembly starts, and a clean one brings none.
        f.Write("test.a51", "\tORG 0\r\n\tNOP\r\n\tEND\r\n");
        f.host.engines.StartAssembly(doc.Path());
        view.Refresh();
        QCOMPARE(view.Picture(1).gutter.message, 0);
        QCOMPARE(view.Picture(2).gutter.message, 0);
        f.Assemble(doc.Path());
        view.Refresh();
        QCOMPARE(view.Picture(1).gutter.message, 0);
    }

    void MessagesSurviveAFindInFilesThatReplacesTheOutput()
    {
        CEditorFixture f;
        CSourceDocument& doc = f.OpenDocument("\tORG 0\r\n\tMOV A,#NOWHERE\r\n\tEND\r\n");
        CEditorView& view = f.NewView(doc);
        f.Assemble(doc.Path());
        view.Refresh();
        QCOMPARE(view.Picture(1).gutter.message, 2);
        f.host.engines.Finder().Start("MOV", f.dir.path().toStdString(), "*.a51",
                                      &f.host.engines.Output(), false, false, false);
        while (f.host.engines.IdleStep(false).moreWork) {
        }
        view.Refresh();
        QCOMPARE(view.Picture(1).gutter.message, 2);
    }

    void CoverageShadesTheLinesNeverExecuted()
    {
        CEditorFixture f;
        CSourceDocument& doc = f.OpenDocument(kProgram);
        CEditorView& view = f.NewView(doc);
        f.Assemble(doc.Path());
        f.host.engines.StartSimulation({});
        f.host.engines.Simulator().StepInto(); // MOV A,#1 runs
        view.Refresh();
        QVERIFY(!view.Picture(1).gutter.notExecuted); // until the flag is on
        f.host.coverage = true;
        view.Refresh();
        QVERIFY(!view.Picture(0).gutter.notExecuted); // ORG makes no code
        QVERIFY(!view.Picture(1).gutter.notExecuted);
        QVERIFY(view.Picture(2).gutter.notExecuted);
        QVERIFY(view.Picture(3).gutter.notExecuted);
        const QImage image = CEditorFixture::Grab(view);
        SaveGrab(image, "coverage");
        const int lh = view.Cell().lineHeight;
        QCOMPARE(PixelAt(image, 1, 2 * lh + 1), QColor(0x90, 0x90, 0x90));
        QCOMPARE(PixelAt(image, 1, 0 * lh + 1), QColor(0xC0, 0xC0, 0xC0));
    }

    void FontAndScrollRangesFollowTheFontSize()
    {
        CEditorFixture f;
        std::string text;
        for (int i = 0; i < 200; ++i) {
            text += "\tNOP\r\n";
        }
        CEditorView& view = f.Open(text, {600, 400});
        const QFontInfo info(view.TextFont());
        QVERIFY(info.fixedPitch());
        // fonts-liberation2 is what Courier New resolves to here.
        if (QFontDatabase::families().contains("Liberation Mono")) {
            QCOMPARE(info.family(), QString("Liberation Mono"));
        }
        const CellMetricsType small = view.Cell();
        QCOMPARE(small.gutterWidth, 2 * small.charWidth);
        QCOMPARE(small.lineHeight, QFontMetrics(view.TextFont()).height());

        auto check = [&] {
            const CellMetricsType cell = view.Cell();
            const QSize size = view.viewport()->size();
            const int lines = size.height() / cell.lineHeight;
            const int columns = (size.width() - cell.gutterWidth) / cell.charWidth;
            QCOMPARE(view.ScrollRanges(),
                     (ScrollRangesType{201 - lines, lines, 512 - columns, columns}));
            QCOMPARE(view.verticalScrollBar()->maximum(), 201 - lines);
            QCOMPARE(view.verticalScrollBar()->pageStep(), lines);
            QCOMPARE(view.horizontalScrollBar()->maximum(), 512 - columns);
        };
        check();
        f.host.engines.Options().fontSize = 20;
        view.Refresh();
        const CellMetricsType large = view.Cell();
        QVERIFY(large.lineHeight > small.lineHeight * 3 / 2);
        QVERIFY(large.charWidth > small.charWidth * 3 / 2);
        check();
        // Every column starts on the cell grid: a run of 40 "H" is 40 cells wide.
        QCOMPARE(QFontMetrics(view.TextFont()).horizontalAdvance(QString(40, 'H')),
                 40 * large.charWidth);
    }

    void ColouringComesFromTheAssemblersTablesAndSwitchesOff()
    {
        CEditorFixture f;
        CEditorView& view = f.Open("LOOP:\tMOV\tA,#10h\t; count\r\n"
                                   "\tSETB\tTR0\r\n");
        auto kinds = [&](int line) {
            QList<int> out;
            for (const TextRunType& run : view.Picture(line).runs) {
                if (run.kind != TokenKind::kPlain) {
                    out << static_cast<int>(run.kind);
                }
            }
            return out;
        };
        using K = TokenKind;
        QCOMPARE(kinds(0), (QList<int>{int(K::kLabel), int(K::kMnemonic), int(K::kRegister),
                                       int(K::kNumber), int(K::kComment)}));
        QCOMPARE(kinds(1), (QList<int>{int(K::kMnemonic), int(K::kSfr)}));
        const QImage coloured = CEditorFixture::Grab(view);
        SaveGrab(coloured, "colouring");

        WriteSetting(f.host.settings, settings::kSyntaxColouring, 0);
        view.Refresh();
        QVERIFY(kinds(0).isEmpty() && kinds(1).isEmpty());
        const QImage plain = CEditorFixture::Grab(view);
        SaveGrab(plain, "colouring_off");
        // Plain text is black on white only: every pixel of the text is gray.
        auto colouredPixels = [&](const QImage& image) {
            int count = 0;
            for (int y = 0; y < 2 * view.Cell().lineHeight; ++y) {
                for (int x = view.Cell().gutterWidth + 3; x < image.width(); ++x) {
                    const QColor c = PixelAt(image, x, y);
                    count += (c.red() != c.green() || c.green() != c.blue()) ? 1 : 0;
                }
            }
            return count;
        };
        QCOMPARE(colouredPixels(plain), 0);
        QVERIFY(colouredPixels(coloured) > 50);
    }
};

IDE51_REGISTER_TEST(DrawingTest);
#include "drawing_test.moc"
