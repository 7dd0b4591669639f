// The clipboard, undo, saving with its failures, hostile files and printing.
#include <filesystem>

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QPrinter>
#include <QSignalSpy>

#include <iterator>

#include "editor/ui/editor_print.h"
#include "editor_fixture.h"
#include "test_registry.h"

namespace {

QString DocText(CEditorView& view)
{
    const CEditorDoc& doc = view.Document()->Doc();
    return QString::fromLatin1(doc.TextView().data(), static_cast<qsizetype>(doc.TextLength()));
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A clipboard that fails at one chosen step.
class CFailingClipboard : public IClipboardPort
{
public:
    explicit CFailingClipboard(int failAt) : failAt_(failAt) {}
    bool Open() override { return failAt_ != 1; }
    bool Empty() override { return failAt_ != 2; }
    bool SetText(const QString& text) override
    {
        if (failAt_ == 3) {
            return false;
        }
        text_ = text;
        return true;
    }
    std::optional<QString> Text() override
    {
        return text_.isEmpty() ? std::nullopt : std::optional<QString>(text_);
    }

private:
    int failAt_;
    QString text_;
};

} // namespace

class EditTest : public QObject
{
    Q_OBJECT

private slots:
    void CopyAndPasteTwoLinesRoundTrip()
    {
        CEditorFixture f;
        CEditorView& view = f.Open("first line\r\nsecond\r\nrest");
        view.Controller().SetSelection({0, 0}, {6, 1});
        QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("first line\r\nsecond"));
        QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(&view, Qt::Key_Return);
        QTest::keyClick(&view, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(DocText(view), QString("first line\rsecond\rrest\rfirst line\rsecond"));
        QCOMPARE(view.Controller().Caret(), (TextPosType{6, 4}));

        // Text from other programs here ends its lines with LF alone.
        QGuiApplication::clipboard()->setText("x\ny\n");
        QTest::keyClick(&view, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(DocText(view), QString("first line\rsecond\rrest\rfirst line\rsecondx\ry\r"));
    }

    void CutTakesTheSelectionOnlyOnceTheClipboardHasIt_data()
    {
        QTest::addColumn<int>("failAt");
        QTest::addColumn<QString>("message");
        QTest::newRow("open") << 1 << "Unable to open clipboard.";
        QTest::newRow("empty") << 2 << "Unable to empty clipboard.";
        QTest::newRow("copy") << 3 << "Unable to copy text to clipboard.";
    }
    void CutTakesTheSelectionOnlyOnceTheClipboardHasIt()
    {
        QFETCH(int, failAt);
        QFETCH(QString, message);
        CEditorFixture f;
        CEditorView& view = f.Open("keep this");
        view.SetClipboard(std::make_unique<CFailingClipboard>(failAt));
        view.Controller().SetSelection({0, 0}, {4, 0});
        view.HandleCommand(cmd::kCut);
        QCOMPARE(DocText(view), QString("keep this"));
        QCOMPARE(f.host.sink.messages, (std::vector<std::string>{message.toStdString()}));
        QVERIFY(!view.Controller().CanUndo());
    }

    void UndoOfTypingOverASelectionBringsItBack()
    {
        CEditorFixture f;
        CEditorView& view = f.Open("MOV A,R1\r\nNOP");
        view.Controller().SetSelection({4, 0}, {8, 0});
        CommandStateType state;
        state.activeKind = WindowKind::kSource;
        view.FillCommandState(state);
        QVERIFY(state.hasSelection && !state.canUndo);
        const int notices = f.host.stateChanges;
        QTest::keyClick(&view, 'B');
        QCOMPARE(DocText(view), QString("MOV B\rNOP"));
        QVERIFY(f.host.stateChanges > notices);
        view.FillCommandState(state);
        QVERIFY(state.canUndo && !state.hasSelection);
        QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(DocText(view), QString("MOV A,R1\rNOP"));
        QCOMPARE(view.Controller().SelectionStart(), (TextPosType{4, 0}));
        QCOMPARE(view.Controller().SelectionEnd(), (TextPosType{8, 0}));
        QTest::keyClick(&view, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(DocText(view), QString("MOV B\rNOP"));
    }

    void SaveWritesTheFileAndClearsTheMark()
    {
        CEditorFixture f;
        CEditorView& view = f.Open("line\r\n");
        QSignalSpy titles(&view, &CEditorView::TitleChanged);
        QTest::keyClicks(&view, "new ");
        QCOMPARE(view.TitleText(), QString("test.a51 *"));
        QVERIFY(view.HandleCommand(cmd::kSave));
        QCOMPARE(ReadFile(view.Document()->Path()), std::string("new line\r\n"));
        QCOMPARE(view.TitleText(), QString("test.a51"));
        QCOMPARE(titles.size(), 2);
    }

    void SaveAsTakesTheNewNameWithItsExtension()
    {
        CEditorFixture f;
        CEditorView& view = f.Open("text");
        const QString target = f.dir.filePath("renamed");
        view.SetSaveAsChooser([&](QWidget*, const QString& start) {
            [&] { QVERIFY(start.endsWith("test.a51")); }();
            return target;
        });
        QVERIFY(view.SaveAs());
        QCOMPARE(view.Document()->Path(), (target + ".a51").toStdString());
        QCOMPARE(view.TitleText(), QString("renamed.a51"));
        QCOMPARE(ReadFile(view.Document()->Path()), std::string("text"));
        view.SetSaveAsChooser([](QWidget*, const QString&) { return QString(); });
        QVERIFY(!view.SaveAs()); // cancelled
        QCOMPARE(view.TitleText(), QString("renamed.a51"));
    }

    void SaveFailuresKeepTheBufferAndTheDisk()
    {
        namespace fs = std::filesystem;
        CEditorFixture f;
        CEditorView& view = f.Open("disk text\r\n");
        const std::string path = view.Document()->Path();
        QTest::keyClicks(&view, "edit ");
        // Read-only since it was opened.
        fs::permissions(path, fs::perms::owner_read);
        QVERIFY(!view.Save());
        QCOMPARE(ReadFile(path), std::string("disk text\r\n"));
        QCOMPARE(DocText(view), QString("edit disk text\r"));
        QCOMPARE(view.TitleText(), QString("test.a51 *"));
        QCOMPARE(f.host.sink.messages.size(), size_t(1));
        QVERIFY(f.host.sink.messages[0].find("read-only") != std::string::npos);
        fs::permissions(path, fs::perms::owner_all);

        // Its folder is gone: nothing can be written, and the text stays.
        const std::string gone = f.dir.filePath("sub/gone.a51").toStdString();
        fs::create_directory(f.dir.filePath("sub").toStdString());
        view.SetSaveAsChooser(
            [&](QWidget*, const QString&) { return QString::fromStdString(gone); });
        QVERIFY(view.SaveAs());
        QTest::keyClicks(&view, "more ");
        fs::remove_all(f.dir.filePath("sub").toStdString());
        QVERIFY(!view.Save());
        QCOMPARE(f.host.sink.messages.size(), size_t(2));
        QCOMPARE(DocText(view), QString("edit more disk text\r"));
        QVERIFY(view.TitleText().endsWith(" *"));

        // The file alone vanished: saving writes it again.
        fs::create_directory(f.dir.filePath("sub").toStdString());
        QVERIFY(view.Save());
        QCOMPARE(ReadFile(gone), std::string("edit more disk text\r\n"));
    }

    void ABinaryFileIsShownButNeverChanged()
    {
        CEditorFixture f;
        const std::string bytes("\x02\x00\x10\xff\r\nMZ\x90\x00", 10);
        CEditorView& view = f.Open(bytes);
        QVERIFY(view.IsBinary());
        const QString before = DocText(view);
        QTest::keyClicks(&view, "abc");
        QTest::keyClick(&view, Qt::Key_Delete);
        QTest::keyClick(&view, Qt::Key_Q, Qt::ControlModifier);
        QTest::keyClick(&view, Qt::Key_Y);
        QVERIFY(!view.Save());
        QCOMPARE(DocText(view), before);
        QCOMPARE(ReadFile(view.Document()->Path()), bytes);
        QCOMPARE(f.host.sink.messages.size(), size_t(1)); // said once, not per key
        QVERIFY(f.host.sink.messages[0].find("binary") != std::string::npos);
        // Moving and selecting still work, and so does Copy.
        QTest::keyClick(&view, Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(view.Controller().Caret(), (TextPosType{4, 0}));
        // Every byte has a cell of its own.
        QCOMPARE(view.Picture(0).runs.front().length, 4);
        SaveGrab(CEditorFixture::Grab(view), "binary");
    }

    void VeryLongLinesScrollAndDrawOnlyWhatShows()
    {
        CEditorFixture f;
        std::string line(200000, 'A');
        line[150000] = 'B';
        CEditorView& view = f.Open("short\r\n" + line + "\r\n");
        view.Controller().SetCaret({150000, 1});
        view.Refresh();
        const int first = view.Controller().FirstVisibleColumn();
        QVERIFY(first > 150000 - view.Controller().VisibleColumns() && first <= 150000);
        // The bar reaches where the window is, beyond its 512 columns.
        QCOMPARE(view.ScrollRanges().horizontalMax, first);
        const LinePictureType picture = view.Picture(1);
        QCOMPARE(picture.runs.front().column, first);
        int cells = 0;
        for (const TextRunType& run : picture.runs) {
            cells += run.length;
        }
        QVERIFY(cells <= view.Controller().VisibleColumns() + 1);
        QTest::keyClick(&view, Qt::Key_X);
        QCOMPARE(view.Document()->Doc().CharAt(150000, 1), 'x');
        CEditorFixture::Grab(view);
    }

    void FileFilterInQtForm()
    {
        QCOMPARE(QtFileFilter(kSourceFileFilter),
                 QString("Source Files (*.a51);;Project Files (*.p51);;All Files (*)"));
        QCOMPARE(QtFileFilter("Lists (*.lst;*.sym)|*.lst;*.sym||"), QString("Lists (*.lst *.sym)"));
    }

    void PrintLayout()
    {
        QCOMPARE(ComputePrintLayout(100, 57 * 10, 10).linesPerPage, 50);
        QCOMPARE(ComputePrintLayout(100, 57 * 10, 10).pageCount, 2);
        QCOMPARE(ComputePrintLayout(101, 57 * 10, 10).pageCount, 3);
        QCOMPARE(ComputePrintLayout(0, 57 * 10, 10).pageCount, 1);
        QCOMPARE(ComputePrintLayout(5, 30, 10).linesPerPage, 1); // a tiny page still prints
        const std::string header = PrintHeader("/src/prog.a51", "prog.a51", 3);
        QCOMPARE(header.size(), size_t(81));
        QCOMPARE(QString::fromStdString(header.substr(0, 13)), QString("/src/prog.a51"));
        QCOMPARE(QString::fromStdString(header.substr(75)), QString("Page 3"));
        const std::string deep = "/" + std::string(68, 'd') + "/x.a51";
        QCOMPARE(PrintHeader(deep, "x.a51", 1).substr(0, 6), std::string("x.a51 "));
        QCOMPARE(std::string(kPrintRuler).size(), size_t(kPrintHeaderColumns));
    }

    void PrintPreviewShowsThePages()
    {
        CEditorFixture f;
        CEditorView& view = f.Open("\tNOP\r\n");
        QString shown;
        WhenDialogShows([&](QDialog& dialog) { shown = dialog.metaObject()->className(); });
        view.HandleCommand(cmd::kPrintPreview);
        QCOMPARE(shown, QString("QPrintPreviewDialog"));
        QVERIFY(f.host.sink.messages.empty());
    }

    void PrintsToAPdfFile()
    {
        CEditorFixture f;
        std::string text;
        for (int i = 0; i < 150; ++i) {
            text += "\tMOV A,#" + std::to_string(i) + "\r\n";
        }
        CEditorView& view = f.Open(text);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        const QString pdf = f.dir.filePath("out.pdf");
        printer.setOutputFileName(pdf);
        view.PrintTo(printer);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray data = file.readAll();
        QVERIFY(data.startsWith("%PDF"));
        // At 10 points an A4 page holds about 60 lines: 151 lines take 3 pages.
        const qsizetype pages = data.count("/Type /Page\n") + data.count("/Type /Page ") +
                                data.count("/Type /Page/") + data.count("/Type /Page>");
        QCOMPARE(pages, qsizetype(3));
        QVERIFY(f.host.sink.messages.empty());
    }
};

IDE51_REGISTER_TEST(EditTest);
#include "edit_test.moc"
