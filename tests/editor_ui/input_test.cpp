// Keys and mouse as a user sends them: real key and mouse events through the
// window to the editor engine.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>

#include "common/settings_keys.h"
#include "editor_fixture.h"
#include "test_registry.h"

namespace {

constexpr const char* kText = "    abc def\r\nghi\r\njklmnop";

QString DocText(const CEditorView& view)
{
    const CEditorDoc& doc = const_cast<CEditorView&>(view).Document()->Doc();
    return QString::fromLatin1(doc.TextView().data(), static_cast<qsizetype>(doc.TextLength()));
}

QPoint Caret(const CEditorView& view)
{
    return {view.Controller().Caret().col, view.Controller().Caret().line};
}

QPoint Anchor(const CEditorView& view)
{
    return {view.Controller().Anchor().col, view.Controller().Anchor().line};
}

QTestEventList Keys(std::initializer_list<std::pair<int, Qt::KeyboardModifiers>> keys)
{
    QTestEventList events;
    for (const auto& [key, modifiers] : keys) {
        events.addKeyClick(static_cast<Qt::Key>(key), modifiers);
    }
    return events;
}

QTestEventList Typed(const char* text)
{
    QTestEventList events;
    events.addKeyClicks(QString::fromLatin1(text));
    return events;
}

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
const Qt::KeyboardModifiers kCtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

void SendMouse(CEditorView& view, QEvent::Type type, QPoint at, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const Qt::MouseButton button = (type == QEvent::MouseMove) ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, view.viewport()->mapToGlobal(at), button, buttons, modifiers);
    QCoreApplication::sendEvent(view.viewport(), &event);
}

// The pixel inside cell (col, line) of the window, dx from its left edge.
QPoint CellPoint(const CEditorView& view, int col, int line, int dx = 1)
{
    const CellMetricsType cell = view.Cell();
    return {cell.gutterWidth + col * cell.charWidth + dx, line * cell.lineHeight + 2};
}

} // namespace

class InputTest : public QObject
{
    Q_OBJECT

private slots:
    void EveryKeyOfTheTable_data()
    {
        QTest::addColumn<QPoint>("anchor");
        QTest::addColumn<QPoint>("caret");
        QTest::addColumn<QTestEventList>("keys");
        QTest::addColumn<QPoint>("expectedAnchor");
        QTest::addColumn<QPoint>("expectedCaret");
        QTest::addColumn<QString>("expectedText"); // empty: unchanged
        const QString same;
        auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };
        using P = QPoint;
        row("left") << P(5, 0) << P(5, 0) << Keys({{Qt::Key_Left, kNone}}) << P(4, 0) << P(4, 0)
                    << same;
        row("right wraps") << P(11, 0) << P(11, 0) << Keys({{Qt::Key_Right, kNone}}) << P(0, 1)
                           << P(0, 1) << same;
        row("ctrl right") << P(4, 0) << P(4, 0) << Keys({{Qt::Key_Right, kCtrl}}) << P(8, 0)
                          << P(8, 0) << same;
        row("ctrl left") << P(8, 0) << P(8, 0) << Keys({{Qt::Key_Left, kCtrl}}) << P(4, 0)
                         << P(4, 0) << same;
        row("up") << P(2, 1) << P(2, 1) << Keys({{Qt::Key_Up, kNone}}) << P(2, 0) << P(2, 0)
                  << same;
        row("down clamps") << P(9, 0) << P(9, 0) << Keys({{Qt::Key_Down, kNone}}) << P(3, 1)
                           << P(3, 1) << same;
        row("home twice") << P(9, 0) << P(9, 0)
                          << Keys({{Qt::Key_Home, kNone}, {Qt::Key_Home, kNone}}) << P(0, 0)
                          << P(0, 0) << same;
        row("home to indent") << P(9, 0) << P(9, 0) << Keys({{Qt::Key_Home, kNone}}) << P(4, 0)
                              << P(4, 0) << same;
        row("end") << P(0, 1) << P(0, 1) << Keys({{Qt::Key_End, kNone}}) << P(3, 1) << P(3, 1)
                   << same;
        row("ctrl home") << P(2, 2) << P(2, 2) << Keys({{Qt::Key_Home, kCtrl}}) << P(0, 0)
                         << P(0, 0) << same;
        row("ctrl end") << P(0, 0) << P(0, 0) << Keys({{Qt::Key_End, kCtrl}}) << P(7, 2) << P(7, 2)
                        << same;
        row("shift extends") << P(4, 0) << P(4, 0)
                             << Keys({{Qt::Key_Right, kShift}, {Qt::Key_Down, kShift}}) << P(4, 0)
                             << P(3, 1) << same;
        row("ctrl shift end") << P(1, 0) << P(1, 0) << Keys({{Qt::Key_End, kCtrlShift}}) << P(1, 0)
                              << P(7, 2) << same;
        row("delete") << P(4, 0) << P(4, 0) << Keys({{Qt::Key_Delete, kNone}}) << P(4, 0) << P(4, 0)
                      << "    bc def\rghi\rjklmnop";
        row("delete selection") << P(4, 0) << P(1, 1) << Keys({{Qt::Key_Delete, kNone}}) << P(4, 0)
                                << P(4, 0) << "    hi\rjklmnop";
        row("backspace joins") << P(0, 1) << P(0, 1) << Keys({{Qt::Key_Backspace, kNone}})
                               << P(11, 0) << P(11, 0) << "    abc defghi\rjklmnop";
        row("enter") << P(1, 1) << P(1, 1) << Keys({{Qt::Key_Return, kNone}}) << P(0, 2) << P(0, 2)
                     << "    abc def\rg\rhi\rjklmnop";
        row("tab inserts blanks") << P(1, 1) << P(1, 1) << Keys({{Qt::Key_Tab, kNone}}) << P(8, 1)
                                  << P(8, 1) << "    abc def\rg       hi\rjklmnop";
        row("shift tab moves back") << P(9, 0) << P(9, 0) << Keys({{Qt::Key_Backtab, kShift}})
                                    << P(8, 0) << P(8, 0) << same;
        row("tab indents lines") << P(0, 1) << P(2, 2) << Keys({{Qt::Key_Tab, kNone}}) << P(8, 1)
                                 << P(10, 2) << "    abc def\r        ghi\r        jklmnop";
        row("tab in one line") << P(1, 1) << P(2, 1) << Keys({{Qt::Key_Tab, kNone}}) << P(1, 1)
                               << P(2, 1) << same;
        row("shift tab unindents") << P(0, 0) << P(0, 1) << Keys({{Qt::Key_Backtab, kShift}})
                                   << P(0, 0) << P(0, 1) << "abc def\rghi\rjklmnop";
        row("typing") << P(1, 1) << P(1, 1) << Typed("xY") << P(3, 1) << P(3, 1)
                      << "    abc def\rgxYhi\rjklmnop";
        row("typing over a selection") << P(4, 0) << P(7, 0) << Keys({{Qt::Key_Z, kNone}})
                                       << P(5, 0) << P(5, 0) << "    z def\rghi\rjklmnop";
        row("ctrl space indents") << P(0, 0) << P(1, 1) << Keys({{Qt::Key_Space, kCtrl}}) << P(1, 0)
                                  << P(2, 1) << "     abc def\r ghi\rjklmnop";
        row("ctrl shift space unindents")
            << P(0, 0) << P(0, 1) << Keys({{Qt::Key_Space, kCtrlShift}}) << P(0, 0) << P(0, 1)
            << "   abc def\rghi\rjklmnop";
        row("ctrl t") << P(5, 0) << P(5, 0) << Keys({{Qt::Key_T, kCtrl}}) << P(4, 0) << P(4, 0)
                      << "     def\rghi\rjklmnop";
        row("ctrl q b") << P(1, 0) << P(3, 0) << Keys({{Qt::Key_Q, kCtrl}, {Qt::Key_B, kNone}})
                        << P(3, 0) << P(1, 0) << same;
        row("ctrl q k") << P(3, 0) << P(1, 0) << Keys({{Qt::Key_Q, kCtrl}, {Qt::Key_K, kNone}})
                        << P(1, 0) << P(3, 0) << same;
        row("ctrl q s") << P(5, 0) << P(5, 0) << Keys({{Qt::Key_Q, kCtrl}, {Qt::Key_S, kNone}})
                        << P(0, 0) << P(0, 0) << same;
        row("ctrl q d") << P(5, 0) << P(5, 0) << Keys({{Qt::Key_Q, kCtrl}, {Qt::Key_D, kNone}})
                        << P(11, 0) << P(11, 0) << same;
        row("ctrl q e") << P(2, 2) << P(2, 2) << Keys({{Qt::Key_Q, kCtrl}, {Qt::Key_E, kNone}})
                        << P(2, 0) << P(2, 0) << same;
        row("ctrl q x") << P(2, 0) << P(2, 0) << Keys({{Qt::Key_Q, kCtrl}, {Qt::Key_X, kNone}})
                        << P(2, 2) << P(2, 2) << same;
        row("ctrl q y lower case")
            << P(4, 0) << P(4, 0) << Keys({{Qt::Key_Q, kCtrl}, {Qt::Key_Y, kNone}}) << P(4, 0)
            << P(4, 0) << "    \rghi\rjklmnop";
        row("ctrl q shift y") << P(4, 0) << P(4, 0)
                              << Keys({{Qt::Key_Q, kCtrl},
                                       {Qt::Key_Shift, kShift},
                                       {Qt::Key_Y, kShift}})
                              << P(4, 0) << P(4, 0) << "    \rghi\rjklmnop";
        row("ctrl q ctrl y is no redo")
            << P(4, 0) << P(4, 0) << Keys({{Qt::Key_Q, kCtrl}, {Qt::Key_Y, kCtrl}}) << P(4, 0)
            << P(4, 0) << "    \rghi\rjklmnop";
        row("ctrl q then another key")
            << P(5, 0) << P(5, 0)
            << Keys({{Qt::Key_Q, kCtrl}, {Qt::Key_Left, kNone}, {Qt::Key_Left, kNone}}) << P(4, 0)
            << P(4, 0) << same;
        row("ctrl k i") << P(0, 0) << P(1, 1) << Keys({{Qt::Key_K, kCtrl}, {Qt::Key_I, kNone}})
                        << P(1, 0) << P(2, 1) << "     abc def\r ghi\rjklmnop";
        row("ctrl k u") << P(0, 0) << P(1, 1) << Keys({{Qt::Key_K, kCtrl}, {Qt::Key_U, kNone}})
                        << P(0, 0) << P(1, 1) << "   abc def\rghi\rjklmnop";
        row("ctrl k t") << P(5, 0) << P(5, 0) << Keys({{Qt::Key_K, kCtrl}, {Qt::Key_T, kNone}})
                        << P(4, 0) << P(7, 0) << same;
        row("f3") << P(0, 0) << P(0, 0) << Keys({{Qt::Key_F3, kNone}}) << P(1, 2) << P(4, 2)
                  << same;
        row("alt backspace undoes")
            << P(0, 1) << P(0, 1)
            << Keys({{Qt::Key_X, kNone}, {Qt::Key_Backspace, Qt::AltModifier}}) << P(0, 1)
            << P(0, 1) << same;
        row("shift delete cuts") << P(0, 1) << P(2, 1) << Keys({{Qt::Key_Delete, kShift}})
                                 << P(0, 1) << P(0, 1) << "    abc def\ri\rjklmnop";
    }
    void EveryKeyOfTheTable()
    {
        QFETCH(QPoint, anchor);
        QFETCH(QPoint, caret);
        QFETCH(QTestEventList, keys);
        QFETCH(QPoint, expectedAnchor);
        QFETCH(QPoint, expectedCaret);
        QFETCH(QString, expectedText);
        CEditorFixture f;
        f.host.settings.WriteString(settings::kSearch, "Find1", "klm");
        CEditorView& view = f.Open(kText);
        const QString before = DocText(view);
        view.Controller().SetSelection({anchor.x(), anchor.y()}, {caret.x(), caret.y()});
        keys.simulate(&view);
        QCOMPARE(Anchor(view), expectedAnchor);
        QCOMPARE(Caret(view), expectedCaret);
        QCOMPARE(DocText(view), expectedText.isEmpty() ? before : expectedText);
    }

    void InsertTogglesTheApplicationsOverwriteMode()
    {
        CEditorFixture f;
        CEditorView& view = f.Open("abc");
        const int before = f.host.stateChanges;
        QTest::keyClick(&view, Qt::Key_Insert);
        QVERIFY(f.host.overwrite);
        QVERIFY(f.host.stateChanges > before); // the status pane shows OVR
        QTest::keyClicks(&view, "XY");
        QCOMPARE(DocText(view), QString("XYc"));
        // Shift+Insert is Paste, not the mode.
        QTest::keyClick(&view, Qt::Key_Insert, kShift);
        QVERIFY(f.host.overwrite);
        QTest::keyClick(&view, Qt::Key_Insert);
        QVERIFY(!f.host.overwrite);
    }

    void PagesAndCtrlArrowsScrollTheWindow()
    {
        CEditorFixture f;
        std::string text;
        for (int i = 0; i < 100; ++i) {
            text += "line\r\n";
        }
        CEditorView& view = f.Open(text);
        const int page = view.Controller().VisibleLines();
        QTest::keyClick(&view, Qt::Key_PageDown);
        QCOMPARE(Caret(view), QPoint(0, page + 1));
        QCOMPARE(view.Controller().FirstVisibleLine(), page + 1);
        QCOMPARE(view.verticalScrollBar()->value(), page + 1);
        QTest::keyClick(&view, Qt::Key_Down, kCtrl);
        QCOMPARE(Caret(view), QPoint(0, page + 2));
        QCOMPARE(view.Controller().FirstVisibleLine(), page + 2);
        QTest::keyClick(&view, Qt::Key_PageUp); // page + 1 lines up, the window with it
        QCOMPARE(Caret(view), QPoint(0, 1));
        QCOMPARE(view.Controller().FirstVisibleLine(), 1);
        QTest::keyClick(&view, Qt::Key_PageDown, kCtrl);
        QCOMPARE(Caret(view).y(), 100);
        QCOMPARE(view.Controller().FirstVisibleLine(), 101 - page);
        QTest::keyClick(&view, Qt::Key_PageUp, kCtrl);
        QCOMPARE(Caret(view).y(), 0);
        // The scroll bar moves the window, not the caret.
        view.verticalScrollBar()->setValue(40);
        QCOMPARE(view.Controller().FirstVisibleLine(), 40);
        QCOMPARE(Caret(view).y(), 0);
    }

    void ClickShiftClickAndTheDragDeadZone()
    {
        CEditorFixture f;
        CEditorView& view = f.Open("abcdefgh\r\nijklmnop\r\n");
        SendMouse(view, QEvent::MouseButtonPress, CellPoint(view, 3, 1), Qt::LeftButton);
        SendMouse(view, QEvent::MouseButtonRelease, CellPoint(view, 3, 1), Qt::NoButton);
        QCOMPARE(Caret(view), QPoint(3, 1));
        QVERIFY(!view.Controller().HasSelection());
        SendMouse(view, QEvent::MouseButtonPress, CellPoint(view, 5, 0), Qt::LeftButton, kShift);
        SendMouse(view, QEvent::MouseButtonRelease, CellPoint(view, 5, 0), Qt::NoButton, kShift);
        QCOMPARE(Anchor(view), QPoint(3, 1));
        QCOMPARE(Caret(view), QPoint(5, 0));
        // Past the line end the caret stays at its end.
        SendMouse(view, QEvent::MouseButtonPress, CellPoint(view, 30, 1), Qt::LeftButton);
        SendMouse(view, QEvent::MouseButtonRelease, CellPoint(view, 30, 1), Qt::NoButton);
        QCOMPARE(Caret(view), QPoint(8, 1));

        // Pressed on the last pixel of cell 1: 2 pixels on is cell 2, yet
        // the selection does not move; 3 pixels on it does.
        const int w = view.Cell().charWidth;
        const QPoint press = CellPoint(view, 1, 0, w - 1);
        SendMouse(view, QEvent::MouseButtonPress, press, Qt::LeftButton);
        SendMouse(view, QEvent::MouseMove, press + QPoint(2, 0), Qt::LeftButton);
        QVERIFY(!view.Controller().HasSelection());
        SendMouse(view, QEvent::MouseMove, press + QPoint(2, 2), Qt::LeftButton);
        QVERIFY(!view.Controller().HasSelection());
        SendMouse(view, QEvent::MouseMove, press + QPoint(3, 0), Qt::LeftButton);
        QCOMPARE(Anchor(view), QPoint(1, 0));
        QCOMPARE(Caret(view), QPoint(2, 0));
        SendMouse(view, QEvent::MouseMove, CellPoint(view, 4, 1), Qt::LeftButton);
        QCOMPARE(Caret(view), QPoint(4, 1));
        SendMouse(view, QEvent::MouseButtonRelease, CellPoint(view, 4, 1), Qt::NoButton);
        // Moves without the button select nothing more.
        SendMouse(view, QEvent::MouseMove, CellPoint(view, 7, 1), Qt::NoButton);
        QCOMPARE(Caret(view), QPoint(4, 1));
    }

    void DoubleClickSelectsTheWord()
    {
        CEditorFixture f;
        CEditorView& view = f.Open("\tMOV A,#LABEL+1\r\n");
        const QPoint at = CellPoint(view, 16, 0); // inside LABEL (the tab is 7 blanks)
        SendMouse(view, QEvent::MouseButtonPress, at, Qt::LeftButton);
        SendMouse(view, QEvent::MouseButtonRelease, at, Qt::NoButton);
        SendMouse(view, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
        SendMouse(view, QEvent::MouseButtonRelease, at, Qt::NoButton);
        QCOMPARE(QString::fromStdString(view.Controller().SelectedText()), QString("LABEL"));
        QCOMPARE(Caret(view), QPoint(19, 0));
    }

    void WheelScrollsALinePer120AndLeavesTheCaret()
    {
        CEditorFixture f;
        std::string text;
        for (int i = 0; i < 100; ++i) {
            text += "x\r\n";
        }
        CEditorView& view = f.Open(text);
        auto wheel = [&](int delta) {
            const QPoint at(50, 50);
            QWheelEvent event(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(view.viewport(), &event);
        };
        wheel(-360);
        QCOMPARE(view.Controller().FirstVisibleLine(), 3);
        wheel(-60);
        QCOMPARE(view.Controller().FirstVisibleLine(), 3);
        wheel(-60); // the two halves make one step
        QCOMPARE(view.Controller().FirstVisibleLine(), 4);
        wheel(1200);
        QCOMPARE(view.Controller().FirstVisibleLine(), 0);
        QCOMPARE(Caret(view), QPoint(0, 0));
        QCOMPARE(view.verticalScrollBar()->value(), 0);
    }

    void DraggingOutsideScrollsOneStepPer100Ms()
    {
        CEditorFixture f;
        std::string text;
        for (int i = 0; i < 100; ++i) {
            text += "some text\r\n";
        }
        CEditorView& view = f.Open(text);
        SendMouse(view, QEvent::MouseButtonPress, CellPoint(view, 2, 1), Qt::LeftButton);
        const QPoint below(60, view.viewport()->height() + 30);
        SendMouse(view, QEvent::MouseMove, below, Qt::LeftButton);
        // The move itself does not scroll: the caret stays on the last whole line.
        QCOMPARE(view.Controller().FirstVisibleLine(), 0);
        QElapsedTimer clock;
        clock.start();
        QTest::qWait(450);
        const int steps = view.Controller().FirstVisibleLine();
        QVERIFY2(steps >= 2 && steps <= clock.elapsed() / 100, qPrintable(QString::number(steps)));
        QCOMPARE(Anchor(view), QPoint(2, 1));
        QCOMPARE(Caret(view).y(), steps + view.Controller().VisibleLines() - 1);
        SendMouse(view, QEvent::MouseButtonRelease, below, Qt::NoButton);
        QTest::qWait(250);
        QCOMPARE(view.Controller().FirstVisibleLine(), steps);
    }

    void TwoWindowsOnOneDocumentStayInStep()
    {
        CEditorFixture f;
        CSourceDocument& doc = f.OpenDocument("one\r\ntwo\r\nthree\r\nfour\r\n");
        CEditorView& first = f.NewView(doc);
        CEditorView& second = f.NewView(doc);
        second.Controller().SetCaret({3, 3});
        second.Controller().ScrollTo(1, 0);
        first.setFocus();
        QTest::keyClick(&first, Qt::Key_End, kCtrlShift);
        QTest::keyClick(&first, Qt::Key_Delete);
        QTest::keyClicks(&first, "new");
        QCOMPARE(DocText(second), QString("new"));
        // The other window catches up by itself within a poll.
        QTRY_COMPARE(Caret(second), QPoint(3, 0));
        QCOMPARE(second.Controller().FirstVisibleLine(), 0);
        QCOMPARE(second.Picture(0).runs.front().length, 3);
        QCOMPARE(second.TitleText(), QString("test.a51 *"));
    }

    void TheContextMenuOffersTheEditCommands()
    {
        CEditorFixture f;
        CEditorView& view = f.Open("abc");
        view.Controller().SetSelection({0, 0}, {2, 0});
        QStringList items;
        QTimer::singleShot(0, [&] {
            QWidget* popup = QApplication::activePopupWidget();
            QVERIFY(popup != nullptr);
            for (QAction* action : popup->actions()) {
                items << (action->isSeparator() ? QString("-")
                                                : action->text().section('\t', 0, 0) +
                                                      (action->isEnabled() ? "" : " (off)"));
            }
            popup->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(40, 5),
                                view.viewport()->mapToGlobal(QPoint(40, 5)));
        QCoreApplication::sendEvent(view.viewport(), &event);
        QCOMPARE(items,
                 (QStringList{"&Undo (off)", "&Redo (off)", "-", "Cu&t", "&Copy",
                              QString("&Paste") +
                                  (QGuiApplication::clipboard()->text().isEmpty() ? " (off)" : ""),
                              "-", "&Find", "F&ind in Files", "R&eplace"}));
    }
};

IDE51_REGISTER_TEST(InputTest);
#include "input_test.moc"
