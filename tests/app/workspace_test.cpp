// Windows and workspaces through the frame: records, placement, arrangement,
// the lists and their menus, start-up and shutdown, and hostile files.
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>

#include "app/commands.h"
#include "frame_fixture.h"
#include "test_classes.h"

namespace {

QRect RectOf(int top, int left, int bottom, int right)
{
    return QRect(left, top, right - left, bottom - top);
}

CChildFrame* ChildOfKind(CMainFrame& frame, WindowKind kind)
{
    for (CChildFrame* child : frame.Children()) {
        if (child->Kind() == kind) {
            return child;
        }
    }
    return nullptr;
}

std::string WorkspaceText(const std::string& project, const std::string& findDir,
                          const std::string& windows)
{
    return "Project=" + project + "\r\nProcessorType=3\r\nDefaultFindDir=" + findDir +
           "\r\nSectorSize=64\r\nEnablePagedMemory=1\r\nEnablePaged8bitAddressing=0\r\n"
           "PagedMemoryControlAddress=144\r\nNumberOfMemoryPages=2\r\nProcessorVariant=1\r\n"
           "LoaderType=0\r\nEnableAutoUpdate=1\r\nUpdateCount=500\r\n" +
           windows;
}

void Drop(CMainFrame* target, const QString& path)
{
    target->OpenDroppedFiles({QUrl::fromLocalFile(path)});
}

} // namespace

class WorkspaceTest : public QObject
{
    Q_OBJECT

private slots:
    void windowsOpenAtTheirRectsAndSaveBackByteForByte();
    void arrangeWindows();
    void recentListsAndTheWindowMenu();
    void startUpWithAMissingCommandLineFile();
    void shutdownWritesWorkspaceRadixAndWatches();
    void hostileFilesOpenWithAMessageOrNotAtAll_data();
    void hostileFilesOpenWithAMessageOrNotAtAll();
};

void WorkspaceTest::windowsOpenAtTheirRectsAndSaveBackByteForByte()
{
    CFrameFixture f;
    const std::string a = f.Write("a.a51", "\tNOP\r\n");
    const std::string b = f.Write("b.a51", "\tRET\r\n");
    const std::string dir = f.dir.path().toStdString();
    // Template order: sources first, two windows on a; then the tool kinds.
    const std::string text = WorkspaceText(
        a, dir,
        "Window=8051,a.a51," + a + ",0,0,300,400\r\nWindow=8051,a.a51," + a +
            ",20,30,320,430\r\nWindow=8051,b.a51," + b +
            ",40,50,240,350\r\nWindow=Output,Output,,300,0,420,600\r\n"
            "Window=Dump,Dump,,10,600,110,800\r\nWindow=Register,Register,,0,400,200,600\r\n"
            "Window=Watch,Watch,,200,400,300,600\r\nWindow=ConReg,ConReg,,5,5,105,205\r\n");
    const std::string workspace = f.Write("work.wsp", text);
    f.store->WriteString("Settings", "LastWorkspace", workspace);
    f.Start();

    QCOMPARE(f.frame->Children().size(), size_t{8});
    QCOMPARE(ChildOfKind(*f.frame, WindowKind::kOutput)->RestoredRect(), RectOf(300, 0, 420, 600));
    QCOMPARE(ChildOfKind(*f.frame, WindowKind::kConReg)->RestoredRect(), RectOf(5, 5, 105, 205));
    QCOMPARE(f.frame->Children()[1]->RestoredRect(), RectOf(20, 30, 320, 430));
    QCOMPARE(f.frame->Children()[1]->windowTitle(), QStringLiteral("a.a51:2"));
    // The first source comes to the front; the options reached the model.
    QCOMPARE(f.frame->ActiveChild()->windowTitle(), QStringLiteral("a.a51:1"));
    QCOMPARE(f.frame->windowTitle(), QStringLiteral("work - a.a51:1"));
    QCOMPARE(f.frame->Model().State().simulation.updateCount, 500);
    QCOMPARE(f.engines->Options().processorType, 3);
    QCOMPARE(f.frame->Model().OpenFileList().Titles(),
             (std::vector<std::string>{"b.a51", "a.a51"}));

    f.frame->OnCommand(cmd::kSaveWorkspace);
    QCOMPARE(ReadFile(workspace), text);
    // Each kind's placement was remembered with the save.
    QCOMPARE(f.store->ReadString("WindowPlacement", "WatchWindow", ""),
             std::string("200,400,300,600"));
}

void WorkspaceTest::arrangeWindows()
{
    CFrameFixture f;
    f.Start();
    f.frame->resize(1000, 760);
    CSourceDocument* source = f.frame->OpenSourceFile(f.Write("a.a51", "\tNOP\r\n"));
    QVERIFY(source != nullptr);
    CChildFrame* sourceFrame = f.frame->ActiveChild();
    CChildFrame* output = f.frame->ShowToolWindow(WindowKind::kOutput);
    CChildFrame* registers = f.frame->ShowToolWindow(WindowKind::kRegister);
    CChildFrame* dump = f.frame->ShowToolWindow(WindowKind::kDump);
    CChildFrame* watch = f.frame->ShowToolWindow(WindowKind::kWatch);
    CChildFrame* port = f.frame->ShowToolWindow(WindowKind::kPort);
    port->SetRestoredRect(QRect(33, 44, 200, 150));
    sourceFrame->showMaximized();
    QApplication::processEvents();

    f.frame->OnCommand(cmd::kArrangeWindows);
    const QSize area = f.frame->MdiArea()->viewport()->size();
    const QRect s = sourceFrame->RestoredRect();
    const QRect o = output->RestoredRect();
    const QRect r = registers->RestoredRect();
    const QRect d = dump->RestoredRect();
    const QRect w = watch->RestoredRect();
    // Sources fill the left four fifths above the output; the right fifth
    // holds registers, dump and watch from top to bottom.
    QCOMPARE(s.topLeft(), QPoint(0, 0));
    QCOMPARE(o.left(), 0);
    QCOMPARE(o.top(), s.top() + s.height());
    QCOMPARE(o.width(), s.width());
    QCOMPARE(r.left(), s.left() + s.width());
    QCOMPARE(r.top(), 0);
    QCOMPARE(d.top(), r.top() + r.height());
    QCOMPARE(w.top(), d.top() + d.height());
    QCOMPARE(w.left(), r.left());
    QVERIFY(std::abs(r.left() - area.width() * 4 / 5) < 40);
    QVERIFY(std::abs(o.top() - area.height() * 4 / 5) < 60);
    QVERIFY(w.bottom() < area.height() && w.bottom() > area.height() - 80);
    QCOMPARE(port->RestoredRect(), QRect(33, 44, 200, 150));
    // A maximised window stays maximised and takes its place when restored.
    QVERIFY(sourceFrame->isMaximized());
    sourceFrame->showNormal();
    QTRY_COMPARE(sourceFrame->geometry(), s);
}

void WorkspaceTest::recentListsAndTheWindowMenu()
{
    CFrameFixture f;
    f.Start();
    for (int i = 1; i <= 21; ++i) {
        f.dialogs.names = {f.Write("f" + std::to_string(i) + ".a51", "\tNOP\r\n")};
        f.frame->OnCommand(cmd::kOpen);
    }
    QCOMPARE(f.frame->Children().size(), size_t{21});
    QCOMPARE(f.frame->Model().OpenFileList().Size(), size_t{21});
    // With a workspace path the Open dialog starts in its folder.
    QVERIFY(QString::fromStdString(f.dialogs.asked.front()).startsWith("Default folder: "));
    QVERIFY(QString::fromStdString(f.dialogs.asked.front())
                .endsWith("|Assemler Files (*.a51)|*.a51|Project Files (*.p51)|*.p51|All Files "
                          "(*.*)|*.*||"));
    int editItems = 0;
    for (int id : cmd::kEditFiles) {
        editItems += f.frame->Action(id)->isVisible() ? 1 : 0;
    }
    QCOMPARE(editItems, 20);
    QCOMPARE(f.frame->Action(cmd::kEditFiles[0])->text(), QStringLiteral("&1 f21.a51"));
    QCOMPARE(f.frame->Action(cmd::kEditFiles[19])->text(), QStringLiteral("&20 f2.a51"));
    QCOMPARE(f.frame->Action(cmd::kRecentFiles[0])->text(),
             QStringLiteral("&1 ") + QString::fromStdString(f.Path("f21.a51")));
    QCOMPARE(f.frame->Action(cmd::kRecentFiles[3])->text(),
             QStringLiteral("&4 ") + QString::fromStdString(f.Path("f18.a51")));
    QVERIFY(!f.frame->Action(cmd::kRecentWorkspaces[0])->isVisible());

    // Edit file 3 brings f19 to the front of the window list.
    f.frame->OnCommand(cmd::kEditFiles[2]);
    QCOMPARE(f.frame->ActiveChild()->windowTitle(), QStringLiteral("f19.a51"));
    QCOMPARE(f.frame->Action(cmd::kEditFiles[0])->text(), QStringLiteral("&1 f19.a51"));
    // Closing a window drops its entry.
    f.frame->OnCommand(cmd::kClose);
    QTRY_COMPARE(f.frame->Model().OpenFileList().Size(), size_t{20});
    QCOMPARE(f.frame->Action(cmd::kEditFiles[0])->text(), QStringLiteral("&1 f21.a51"));
    // A recent file that is open again comes to the front, once.
    f.frame->OnCommand(cmd::kRecentFiles[3]);
    QCOMPARE(f.frame->Action(cmd::kRecentFiles[0])->text(),
             QStringLiteral("&1 ") + QString::fromStdString(f.Path("f18.a51")));
    QCOMPARE(f.frame->Action(cmd::kRecentFiles[1])->text(),
             QStringLiteral("&2 ") + QString::fromStdString(f.Path("f21.a51")));
}

void WorkspaceTest::startUpWithAMissingCommandLineFile()
{
    CFrameFixture f;
    const std::string missing = f.Path("gone.a51");
    f.Start({missing});
    QCOMPARE(f.sink.messages,
             std::vector<std::string>{"Unable to locate specified file: " + missing});
    // No empty document either: the short menu stays.
    QVERIFY(f.frame->Children().empty());
    QCOMPARE(f.frame->menuBar()->actions().size(), 3);

    CFrameFixture g;
    g.Start({g.Write("here.a51", "\tNOP\r\n")});
    QVERIFY(g.sink.messages.empty());
    QCOMPARE(g.frame->Children().size(), size_t{1});

    // A workspace on the command line opens in place of the last one,
    // without leaving files of a workspace that was never in use.
    CFrameFixture h;
    QDir().mkpath(h.dir.filePath("ws"));
    const std::string workspace =
        h.Write("ws/named.wsp", "Window=8051,here.a51,../here.a51,0,0,100,200\r\n");
    h.Write("here.a51", "\tNOP\r\n");
    h.Start({workspace});
    QCOMPARE(h.frame->Children().size(), size_t{1});
    QCOMPARE(h.store->ReadString("Settings", "LastWorkspace", ""), workspace);
    QCOMPARE(h.frame->Model().State().recentWorkspaces.Entry(0), workspace);
    QVERIFY(!QFileInfo::exists(h.dir.filePath("RADIX.DAT")));
    QVERIFY(!QFileInfo::exists(h.dir.filePath("WATCH.DAT")));
}

void WorkspaceTest::shutdownWritesWorkspaceRadixAndWatches()
{
    CFrameFixture f;
    const std::string source = f.Write("a.a51", "\tNOP\r\n");
    const std::string workspace =
        f.Write("w.wsp", WorkspaceText("", f.dir.path().toStdString(),
                                       "Window=8051,a.a51," + source + ",0,0,200,300\r\n"));
    f.store->WriteString("Settings", "LastWorkspace", workspace);
    f.Start();
    f.engines->Options().radixTable[0] = 4;
    f.engines->Simulator().Watches().AddWatch("ticks", 2, 0, 0, "", 0, 0, DisplayRadix::kDefault,
                                              -1);
    f.frame->ShowToolWindow(WindowKind::kWatch)->SetRestoredRect(QRect(300, 0, 200, 100));
    f.frame->close();

    QCOMPARE(ReadFile(f.Path("RADIX.DAT")).size(), size_t{680});
    QCOMPARE(ReadFile(f.Path("RADIX.DAT"))[0], '\x04');
    QVERIFY(QString::fromStdString(ReadFile(f.Path("WATCH.DAT"))).contains("ticks"));
    QVERIFY(QString::fromStdString(ReadFile(workspace))
                .contains("Window=Watch,Watch,,0,300,100,500\r\n"));
    QCOMPARE(f.store->ReadInt("WindowPlacement", "MainFrameZoomed", -1), 0);
    QVERIFY(!f.store->ReadString("WindowPlacement", "MainFrame", "").empty());
}

void WorkspaceTest::hostileFilesOpenWithAMessageOrNotAtAll_data()
{
    QTest::addColumn<QByteArray>("workspace");
    QTest::addColumn<QByteArray>("settings");
    QByteArray noise;
    for (int i = 0; i < 5000; ++i) {
        noise.append(static_cast<char>((i * 7919 + 13) & 0xFF));
    }
    QByteArray manyWindows;
    for (int i = 0; i < 300; ++i) {
        manyWindows.append(
            "Window=Register,R,,-99999999,2147483647,99999999999999,-2147483648\r\n");
    }
    QTest::newRow("noise") << noise << QByteArray();
    QTest::newRow("windows") << manyWindows << QByteArray();
    QTest::newRow("odd records")
        << QByteArray(
               "NumberOfMemoryPages=99\r\nUpdateCount=-5\r\nWindow=8051,x,/dev/zero,1,1,2,2\r\n"
               "Window=8051,,,0,0,0,0\r\nWindow=Nope,a,b,1,2,3,4\r\nWindow=\r\nWindow=8051\r\n"
               "ProcessorType=77\r\nVirtButton=1,2,3\r\n")
        << QByteArray();
    QTest::newRow("settings") << QByteArray()
                              << QByteArray("[Settings]\nTabWidth=banana\nFontSize=-4000\n"
                                            "ProcessorType=9\nLastWorkspace=\nUpdateCount=x\n"
                                            "[WindowPlacement]\nMainFrame=1,2,-99999,,,,,a,b,"
                                            "99999999,-5\nSourceWindow=,,,\n"
                                            "[Recent%20File%20List]\nFile1=\\0\\0\n");
}

void WorkspaceTest::hostileFilesOpenWithAMessageOrNotAtAll()
{
    QFETCH(QByteArray, workspace);
    QFETCH(QByteArray, settings);
    CFrameFixture f;
    const std::string path = f.Write(
        "bad.wsp", std::string(workspace.constData(), static_cast<size_t>(workspace.size())));
    if (!settings.isEmpty()) {
        f.frame.reset();
        f.store.reset();
        f.Write("settings/8051.ini", settings.toStdString());
        f.store = std::make_unique<CQtSettingsStore>(f.Path("settings/8051.ini"));
        f.Build();
    }
    f.store->WriteString("Settings", "LastWorkspace", path);
    f.Start();
    QVERIFY(f.frame->Children().size() <= 1000);
    // Whatever came in, the frame still works and saves a sound workspace.
    f.frame->OnCommand(cmd::kNew);
    f.frame->OnCommand(cmd::kArrangeWindows);
    f.dialogs.names = {f.Path("saved.wsp")};
    f.frame->OnCommand(cmd::kSaveWorkspace);
    const QString saved = QString::fromStdString(ReadFile(path));
    QVERIFY(saved.startsWith("Project="));

    // Dropped files: a folder and a binary file neither crash nor open a
    // window without saying why.
    const size_t before = f.frame->Children().size();
    f.sink.messages.clear();
    Drop(f.frame.get(), f.dir.path());
    QCOMPARE(f.frame->Children().size(), before);
    QCOMPARE(f.sink.messages.size(), size_t{1});
    Drop(f.frame.get(),
         QString::fromStdString(f.Write("binary.a51", std::string("\0\1\2\xFF\r\n", 6))));
    QVERIFY(f.frame->Children().size() <= before + 1);
}

QObject* NewWorkspaceTest()
{
    return new WorkspaceTest;
}

#include "workspace_test.moc"
