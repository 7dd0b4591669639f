// Find, Replace and Find In Files as a user drives them, against the Search
// settings they share.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "common/settings_keys.h"
#include "common/text_util.h"
#include "editor/ui/find_in_files_dialog.h"
#include "editor_fixture.h"
#include "test_registry.h"

namespace {

template <typename T> T* Child(QDialog& dialog, const char* name)
{
    T* child = dialog.findChild<T*>(name);
    if (child == nullptr) {
        qFatal("no %s in the dialog", name);
    }
    return child;
}

std::string Read(ISettingsStore& store, const char* prefix, int n)
{
    return store.ReadString(settings::kSearch, StrFormat("%s%d", prefix, n), "");
}

void FillHistory(ISettingsStore& store, const char* prefix, int count)
{
    for (int n = 1; n <= count; ++n) {
        store.WriteString(settings::kSearch, StrFormat("%s%d", prefix, n), StrFormat("w%d", n));
    }
}

QString DocText(CEditorView& view)
{
    const CEditorDoc& doc = view.Document()->Doc();
    return QString::fromLatin1(doc.TextView().data(), static_cast<qsizetype>(doc.TextLength()));
}

} // namespace

class SearchTest : public QObject
{
    Q_OBJECT

private slots:
    void FindDialogShowsTheHistoryAndPassesItsChoicesOn()
    {
        CEditorFixture f;
        FillHistory(f.host.settings, "Find", 16);
        CEditorView& view = f.Open("\tMOV A,#10h\r\nw5 here\r\nnew there\r\n");
        view.Controller().SetCaret({13, 0}); // on the "#" (the tab is 7 blanks)
        int shown = 0;
        WhenDialogShows([&](QDialog& dialog) {
            SaveGrab(dialog.grab().toImage(), "find_dialog");
            QCOMPARE(dialog.windowTitle(), QString("Find"));
            QCOMPARE(Child<QLineEdit>(dialog, "findWhat")->text(), QString("10h"));
            shown = Child<QListWidget>(dialog, "history")->count();
            Child<QLineEdit>(dialog, "findWhat")->setText("new");
            Child<QCheckBox>(dialog, "matchCase")->setChecked(true);
            Child<QRadioButton>(dialog, "down")->setChecked(true);
            Child<QPushButton>(dialog, "findNext")->click();
        });
        view.HandleCommand(cmd::kFind);
        QCOMPARE(shown, 16);
        QCOMPARE(view.Controller().SelectionStart(), (TextPosType{0, 2}));
        QCOMPARE(view.Controller().SelectionEnd(), (TextPosType{3, 2}));
        // The dialog's choices reach the search; the history's order is the
        // engine's (editor_core).
        ISettingsStore& s = f.host.settings;
        QCOMPARE(Read(s, "Find", 1), std::string("new"));
        QCOMPARE(ReadSetting(s, settings::kMatchCase), 1);
        QCOMPARE(ReadSetting(s, settings::kDirection), 1);
        QCOMPARE(ReadSetting(s, settings::kWholeWords), 0);

        // An entry chosen from the list becomes the text.
        view.Controller().SetCaret({0, 2});
        WhenDialogShows([&](QDialog& dialog) {
            QCOMPARE(Child<QLineEdit>(dialog, "findWhat")->text(), QString("new"));
            QListWidget* list = Child<QListWidget>(dialog, "history");
            list->setCurrentRow(5); // "w5"
            QCOMPARE(Child<QLineEdit>(dialog, "findWhat")->text(), QString("w5"));
            QVERIFY(Child<QCheckBox>(dialog, "matchCase")->isChecked());
            Child<QPushButton>(dialog, "findNext")->click();
        });
        view.HandleCommand(cmd::kFind);
        QCOMPARE(Read(s, "Find", 1), std::string("w5"));
        QCOMPARE(view.Controller().SelectionStart(), (TextPosType{0, 1}));

        // F3 repeats the search; a missing text says so.
        s.WriteString(settings::kSearch, "Find1", "absent");
        QTest::keyClick(&view, Qt::Key_F3);
        QCOMPARE(f.host.sink.messages, (std::vector<std::string>{"Unable to find: absent"}));
    }

    void CancelStoresNothing()
    {
        CEditorFixture f;
        CEditorView& view = f.Open("text");
        WhenDialogShows([](QDialog& dialog) {
            Child<QLineEdit>(dialog, "findWhat")->setText("zzz");
            Child<QPushButton>(dialog, "cancel")->click();
        });
        view.HandleCommand(cmd::kFind);
        QVERIFY(!f.host.settings.Contains(settings::kSearch, "Find1"));
        QVERIFY(!f.host.settings.Contains(settings::kSearch, "Direction"));
    }

    void ReplaceAllOfAByAaEnds()
    {
        CEditorFixture f;
        f.host.settings.WriteString(settings::kSearch, "Replace1", "old");
        CEditorView& view = f.Open("a a\r\nbab a\r\n");
        view.Controller().SetCaret({0, 0});
        WhenDialogShows([&](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QString("Replace"));
            QCOMPARE(Child<QComboBox>(dialog, "findWhat")->currentText(), QString("a"));
            QCOMPARE(Child<QComboBox>(dialog, "replaceWith")->currentText(), QString("old"));
            Child<QComboBox>(dialog, "replaceWith")->setEditText("aa");
            Child<QRadioButton>(dialog, "down")->setChecked(true);
            Child<QPushButton>(dialog, "replaceAll")->click();
            SaveGrab(dialog.grab().toImage(), "replace_dialog");
            Child<QPushButton>(dialog, "cancel")->click();
        });
        view.HandleCommand(cmd::kReplace);
        QCOMPARE(DocText(view), QString("aa aa\rbaab aa\r"));
        QCOMPARE(f.host.sink.messages.back(), std::string("Finished searching for: a"));
        QCOMPARE(Read(f.host.settings, "Replace", 1), std::string("aa"));
        QCOMPARE(ReadSetting(f.host.settings, settings::kDirection), 1);
        // One undo per replacement: the text comes back step by step.
        QVERIFY(view.Controller().CanUndo());
    }

    void ReplaceStepsThroughTheHits()
    {
        CEditorFixture f;
        CEditorView& view = f.Open("R1 R10 R1\r\n");
        WhenDialogShows([&](QDialog& dialog) {
            Child<QComboBox>(dialog, "findWhat")->setEditText("R1");
            Child<QComboBox>(dialog, "replaceWith")->setEditText("R2");
            Child<QCheckBox>(dialog, "wholeWords")->setChecked(true);
            Child<QRadioButton>(dialog, "down")->setChecked(true);
            auto* replace = Child<QPushButton>(dialog, "replace");
            replace->click(); // no selection yet: finds the first
            replace->click(); // replaces it and finds the next whole word
            replace->click(); // replaces that; no more
            Child<QPushButton>(dialog, "cancel")->click();
        });
        view.HandleCommand(cmd::kReplace);
        QCOMPARE(DocText(view), QString("R2 R10 R2\r"));
        QCOMPARE(f.host.sink.messages.back(), std::string("Finished searching for: R1"));
        QCOMPARE(ReadSetting(f.host.settings, settings::kWholeWords), 1);
    }

    void FindInFilesListsTheHitsWithTheirPlaces()
    {
        CEditorFixture f;
        const std::string first = f.Write("a.a51", "\tMOV A,R1\r\n\tNOP\r\n\tMOV R1,A ; R1\r\n");
        std::filesystem::create_directory(f.dir.filePath("sub").toStdString());
        const std::string second = f.Write("sub/b.a51", "x\r\nR1\r\n");
        f.Write("c.txt", "R1\r\n");
        FillHistory(f.host.settings, "FileFolder", 3);
        CEditorView& view = f.Open("\tINC R1\r\n");
        view.Controller().SetCaret({12, 0});
        const std::string folder = f.dir.path().toStdString();
        WhenDialogShows([&](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QString("Find In Files"));
            QCOMPARE(Child<QComboBox>(dialog, "findWhat")->currentText(), QString("R1"));
            auto* folders = Child<QComboBox>(dialog, "folder");
            // The workspace's find folder heads the history.
            QCOMPARE(folders->itemText(0), QString("/default/find"));
            QCOMPARE(folders->count(), 3);
            Child<QComboBox>(dialog, "fileType")->setEditText("*.a51");
            static_cast<CFindInFilesDialog&>(dialog).SetFolderChooser(
                [&](QWidget*, const QString& start) {
                    [&] { QCOMPARE(start, QString("/default/find")); }();
                    return QString::fromStdString(folder);
                });
            Child<QPushButton>(dialog, "browse")->click();
            QCOMPARE(folders->currentText(), QString::fromStdString(folder));
            Child<QCheckBox>(dialog, "subdirectories")->setChecked(true);
            SaveGrab(dialog.grab().toImage(), "find_in_files_dialog");
            Child<QPushButton>(dialog, "find")->click();
        });
        const auto request = RunFindInFilesDialog(&view, f.host.settings, &view, "/default/find");
        QVERIFY(request.has_value());
        QCOMPARE(request->folder, folder);
        QVERIFY(request->subdirectories);
        QCOMPARE(Read(f.host.settings, "FileFolder", 1), folder);
        QCOMPARE(Read(f.host.settings, "FileFilter", 1), std::string("*.a51"));

        StartFindInFiles(f.host.engines, *request);
        while (f.host.engines.IdleStep(false).moreWork) {
        }
        const COutputText& output = f.host.engines.Output();
        std::vector<OutputLocationType> places;
        for (size_t i = 0; i < output.GetLineCount(); ++i) {
            if (output.GetLocation(i).IsSet()) {
                places.push_back(output.GetLocation(i));
            }
        }
        const std::string testFile = view.Document()->Path(); // test.a51 is searched too
        QCOMPARE(places, (std::vector<OutputLocationType>{
                             {first, 0}, {first, 2}, {testFile, 0}, {second, 1}}));
        QCOMPARE(output.GetLine(output.GetLineCount() - 1),
                 std::string("4 occurrences have been found."));
    }

    void FindInFilesCancelStartsNothing()
    {
        CEditorFixture f;
        WhenDialogShows([](QDialog& dialog) { Child<QPushButton>(dialog, "cancel")->click(); });
        QVERIFY(!RunFindInFilesDialog(nullptr, f.host.settings, nullptr, "/x").has_value());
        QVERIFY(!f.host.settings.Contains(settings::kSearch, "FileFolder1"));
    }
};

IDE51_REGISTER_TEST(SearchTest);
#include "search_test.moc"
