// The frame's actions against the command table: enable rules, menus,
// toolbar, keys and status panes.
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "app/commands.h"
#include "frame_fixture.h"
#include "test_classes.h"

namespace {

QStringList MenuTexts(QMenu* menu)
{
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() || !action->isVisible()) {
            continue;
        }
        texts << action->text().section(QLatin1Char('\t'), 0, 0);
    }
    return texts;
}

QMenu* MenuOf(QMainWindow& frame, const QString& title)
{
    for (QAction* action : frame.menuBar()->actions()) {
        if (action->text() == title) {
            return action->menu();
        }
    }
    return nullptr;
}

// The states the enable rules are checked in, each reached the way a user
// gets there.
enum Scenario
{
    kFresh,
    kSource,
    kAssembled,
    kHalted,
    kExecuting,
    kAssembling,
    kProject
};

} // namespace

class CommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void everyActionFollowsItsRule_data();
    void everyActionFollowsItsRule();
    void shortAndFullMenus();
    void toolbarInItsOrderWithIcons();
    void keysBelongToTheKeyTable_data();
    void keysBelongToTheKeyTable();
    void statusPanes();
    void fileFiltersInQtForm_data();
    void fileFiltersInQtForm();
};

void CommandsTest::everyActionFollowsItsRule_data()
{
    QTest::addColumn<int>("scenario");
    // Continue, Break, Start Simulator, Assemble, Restart, Step Out, Stop, Build.
    QTest::addColumn<QString>("expected");
    QTest::newRow("fresh") << int(kFresh) << "--------";
    QTest::newRow("source") << int(kSource) << "---A----";
    QTest::newRow("assembled") << int(kAssembled) << "C-SA----";
    QTest::newRow("halted") << int(kHalted) << "C--ARUT-";
    QTest::newRow("executing") << int(kExecuting) << "-B----T-";
    QTest::newRow("assembling") << int(kAssembling) << "--------";
    QTest::newRow("project") << int(kProject) << "---A---B";
}

void CommandsTest::everyActionFollowsItsRule()
{
    QFETCH(int, scenario);
    QFETCH(QString, expected);
    CFrameFixture f;
    f.Start();
    if (scenario != kFresh) {
        f.Write("sub.inc", kIncludedSub);
        QVERIFY(f.frame->OpenSourceFile(f.Write("main.a51", kMainProgram)) != nullptr);
    }
    if (scenario == kAssembled || scenario == kHalted || scenario == kExecuting ||
        scenario == kAssembling) {
        f.frame->OnCommand(cmd::kAssemble);
        if (scenario != kAssembling) {
            QVERIFY(f.WaitIdle());
        }
    }
    if (scenario == kHalted || scenario == kExecuting) {
        f.frame->OnCommand(cmd::kStartSimulator);
    }
    if (scenario == kExecuting) {
        f.frame->OnCommand(cmd::kContinue);
    }
    if (scenario == kProject) {
        f.frame->OnCommand(cmd::kProject); // Cancel: nothing changes
        QVERIFY(f.frame->CurrentCommandState().projectPath.empty());
        f.dialogs.names = {f.Path("main.a51")};
        f.frame->OnCommand(cmd::kProject);
    }

    const CommandStateType state = f.frame->CurrentCommandState();
    // The state is the engines' and the model's, not a copy that drifts.
    QVERIFY(state.busy == f.engines->Busy());
    QCOMPARE(state.halted, f.engines->Simulator().IsHalted());
    QCOMPARE(state.returnAtPc, f.engines->Simulator().OpcodeAtPcIsReturn());
    QCOMPARE(state.activeKind.has_value(), scenario != kFresh);
    for (const CommandType& command : Commands()) {
        QAction* action = f.frame->Action(command.id);
        QVERIFY2(action != nullptr, command.name);
        QVERIFY2(action->isEnabled() == CommandEnabled(command, state), command.name);
        QCOMPARE(action->data().toInt(), command.id);
    }
    const int ids[] = {cmd::kContinue, cmd::kBreak,   cmd::kStartSimulator, cmd::kAssemble,
                       cmd::kRestart,  cmd::kStepOut, cmd::kStopSimulator,  cmd::kBuild};
    QString actual;
    for (size_t i = 0; i < std::size(ids); ++i) {
        actual += f.frame->Action(ids[i])->isEnabled() ? expected[static_cast<qsizetype>(i)]
                                                       : QLatin1Char('-');
    }
    QCOMPARE(actual, expected);
    if (scenario == kProject) {
        QCOMPARE(f.frame->Action(cmd::kProject)->text(),
                 QStringLiteral("&Project: ") + QString::fromStdString(f.Path("main.a51")));
    }
}

void CommandsTest::shortAndFullMenus()
{
    CFrameFixture f;
    f.Start();
    QStringList titles;
    for (QAction* action : f.frame->menuBar()->actions()) {
        titles << action->text();
    }
    QCOMPARE(titles, QStringList({"&File", "&View", "&Help"}));
    QCOMPARE(
        MenuTexts(MenuOf(*f.frame, "&File")),
        QStringList({"&New", "&Open...", "Open &Workspace", "Sa&ve Workspace", "Close Wor&kspace",
                     "P&rint Setup...", "Recent &Files", "Recent Wor&kspaces", "E&xit"}));
    QCOMPARE(MenuTexts(MenuOf(*f.frame, "&View")), QStringList({"&Toolbar", "Status &Bar"}));
    QCOMPARE(MenuTexts(MenuOf(*f.frame, "&Help")), QStringList({"&Help Topics", "&About 8051..."}));

    f.frame->OnCommand(cmd::kNew);
    titles.clear();
    for (QAction* action : f.frame->menuBar()->actions()) {
        titles << action->text();
    }
    QCOMPARE(titles, QStringList({"&File", "&Edit", "&View", "&Assemble", "&Simulate", "&Monitor",
                                  "&Options", "&Window", "&Help"}));
    QMenu* simulate = MenuOf(*f.frame, "&Simulate");
    QCOMPARE(MenuTexts(simulate),
             QStringList({"&Start Simulator", "R&estart", "S&top", "&Continue", "&Break",
                          "Soft Break", "Step &Into", "Step &Over", "Step O&ut", "&Run to Cursor",
                          "Toggle Break &Point", "Remove &All Break Points", "Co&verage"}));
    // The menu shows the keys the table gives, typo included.
    QAction* restart = f.frame->Action(cmd::kRestart);
    QCOMPARE(restart->text(), QStringLiteral("R&estart\tCrtl+Shift+F5"));
    QMenu* coverage = simulate->actions().last()->menu();
    QVERIFY(coverage != nullptr);
    QCOMPARE(MenuTexts(coverage),
             QStringList({"&Show Coverage", "&Reset Coverage", "&Create Coverage Report..."}));
    QCOMPARE(MenuTexts(MenuOf(*f.frame, "&Window")),
             QStringList({"&New Window", "&Cascade", "&Tile", "&Arrange Icons", "Arrange Windows",
                          "&1 Untitled1"}));
    // The status prompt, tooltip and What's This text come from the table.
    QAction* assemble = f.frame->Action(cmd::kAssemble);
    QCOMPARE(assemble->statusTip(), QStringLiteral("Assemble active file or project"));
    QCOMPARE(assemble->toolTip(), QStringLiteral("Assemble (Ctrl+F7)"));
    QCOMPARE(assemble->whatsThis(), assemble->statusTip());
}

void CommandsTest::toolbarInItsOrderWithIcons()
{
    CFrameFixture f;
    f.Start();
    const QList<QAction*> actions = f.frame->ToolBar()->actions();
    const std::vector<int> layout = ToolbarLayout();
    QCOMPARE(static_cast<size_t>(actions.size()), layout.size());
    for (size_t i = 0; i < layout.size(); ++i) {
        QAction* action = actions[static_cast<qsizetype>(i)];
        if (layout[i] == 0) {
            QVERIFY(action->isSeparator());
            continue;
        }
        QCOMPARE(action->data().toInt(), layout[i]);
        QVERIFY2(!action->icon().pixmap(24, 24).isNull(), qPrintable(action->objectName()));
    }
}

void CommandsTest::keysBelongToTheKeyTable_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("command");
    QTest::newRow("F5") << "F5" << cmd::kContinue;
    QTest::newRow("F9") << "F9" << cmd::kToggleBreakPoint;
    QTest::newRow("F10") << "F10" << cmd::kStepOver;
    QTest::newRow("F11") << "F11" << cmd::kStepInto;
    QTest::newRow("Shift+F5") << "Shift+F5" << cmd::kStopSimulator;
    QTest::newRow("Ctrl+F9") << "Ctrl+F9" << cmd::kBreak;
    QTest::newRow("Ctrl+Pause") << "Ctrl+Pause" << cmd::kBreak;
    QTest::newRow("Ctrl+F7") << "Ctrl+F7" << cmd::kAssemble;
    QTest::newRow("Ctrl+Shift+F5") << "Ctrl+Shift+F5" << cmd::kRestart;
    QTest::newRow("Ctrl+F5") << "Ctrl+F5" << cmd::kStartSimulator;
    QTest::newRow("F7") << "F7" << cmd::kBuild;
    QTest::newRow("Shift+F1") << "Shift+F1" << cmd::kContextHelp;
}

void CommandsTest::keysBelongToTheKeyTable()
{
    QFETCH(QString, key);
    QFETCH(int, command);
    CFrameFixture f;
    const QKeySequence sequence(key, QKeySequence::PortableText);
    int owners = 0;
    for (QAction* action : f.frame->actions()) {
        if (action->shortcuts().contains(sequence)) {
            ++owners;
            QCOMPARE(action->data().toInt(), command);
        }
    }
    QCOMPARE(owners, 1);
}

void CommandsTest::statusPanes()
{
    CFrameFixture f;
    f.Start();
    QCOMPARE(f.frame->PaneText(0), QString());
    QCOMPARE(f.frame->PaneText(1), QStringLiteral("INS"));
    QCOMPARE(f.frame->PaneText(2), QStringLiteral("Ready"));

    f.Write("sub.inc", kIncludedSub);
    f.frame->OpenSourceFile(f.Write("main.a51", kMainProgram));
    QCOMPARE(f.frame->PaneText(0), QStringLiteral("Ln 1, Col 1"));
    QWidget* view = f.frame->ActiveChild()->widget();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Right);
    QTRY_COMPARE(f.frame->PaneText(0), QStringLiteral("Ln 3, Col 2"));
    f.frame->OverwriteMode() = true;
    QTest::keyClick(view, Qt::Key_Left);
    QTRY_COMPARE(f.frame->PaneText(1), QStringLiteral("OVR"));

    f.frame->OnCommand(cmd::kAssemble);
    QCOMPARE(f.frame->PaneText(2), QStringLiteral("Busy"));
    QVERIFY(f.WaitIdle());
    QTRY_COMPARE(f.frame->PaneText(2), QStringLiteral("Ready"));
    // A tool window has no caret.
    f.frame->ShowToolWindow(WindowKind::kRegister);
    QTRY_COMPARE(f.frame->PaneText(0), QString());
}

void CommandsTest::fileFiltersInQtForm_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("qt");
    QTest::newRow("open") << "Assemler Files (*.a51)|*.a51|Project Files (*.p51)|*.p51|All Files "
                             "(*.*)|*.*||"
                          << "Assemler Files (*.a51);;Project Files (*.p51);;All Files (*)";
    QTest::newRow("two patterns") << "Sources (*.a51;*.inc)|*.a51;*.inc||"
                                  << "Sources (*.a51 *.inc)";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("name only") << "Broken|"
                               << "Broken ()";
}

void CommandsTest::fileFiltersInQtForm()
{
    QFETCH(QString, stored);
    QFETCH(QString, qt);
    QCOMPARE(QString::fromStdString(QtFileFilter(stored.toStdString())), qt);
}

QObject* NewCommandsTest()
{
    return new CommandsTest;
}

#include "commands_test.moc"
