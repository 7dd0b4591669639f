// Recovery of unsaved sources through the frame: the keeper's writes while
// a document is modified, their removal on save, and the offer at start.
#include <QDir>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeWidget>

#include "app/commands.h"
#include "app/shell/recovery_dlg.h"
#include "app/shell/recovery_keeper.h"
#include "app/source_document.h"
#include "common/settings_keys.h"
#include "frame_fixture.h"
#include "test_classes.h"

namespace {

std::filesystem::path RecoveryFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation).toStdString() +
           "/recovery";
}

std::vector<std::filesystem::path> RecoveryFiles()
{
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(RecoveryFolder(), ec), end; !ec && it != end;
         it.increment(ec)) {
        if (it->path().extension() == ".rec") {
            files.push_back(it->path());
        }
    }
    return files;
}

RecoveryEntryType Entry(const char* title, RecoveryState state, const char* problem = "")
{
    RecoveryEntryType entry;
    entry.title = title;
    entry.sourcePath = std::string("/src/") + title;
    entry.state = state;
    entry.problem = problem;
    return entry;
}

} // namespace

class RecoveryTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { std::filesystem::remove_all(RecoveryFolder()); }
    void offerDecidesPerFileAndNeverRestoresADamagedFile();
    void modifiedSourceIsKeptUntilSaved();
    void startOffersWhatAnEndedSessionLeft();
};

void RecoveryTest::offerDecidesPerFileAndNeverRestoresADamagedFile()
{
    const std::vector<RecoveryEntryType> entries{
        Entry("a.a51", RecoveryState::kRestorable),
        Entry("b.a51", RecoveryState::kSourceChanged),
        Entry("c.a51", RecoveryState::kDamaged, "its text is cut short"),
        Entry("d.a51", RecoveryState::kRestorable),
    };
    CRecoveryDlg dialog(entries, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTreeWidget* list = dialog.List();
    QCOMPARE(list->topLevelItem(1)->text(1), QStringLiteral("Changed on disk since"));
    QCOMPARE(list->topLevelItem(2)->text(1), QStringLiteral("Damaged: its text is cut short"));

    // Restore on the first row, Discard on the second; the selection moves
    // on to the damaged row, which cannot be restored. (Alt+R and Alt+D are
    // pressed on a real display by the end-to-end run.)
    dialog.RestoreButton()->click();
    QCOMPARE(list->currentItem(), list->topLevelItem(1));
    dialog.DiscardButton()->click();
    QCOMPARE(list->currentItem(), list->topLevelItem(2));
    QVERIFY(!dialog.RestoreButton()->isEnabled());
    list->setCurrentItem(list->topLevelItem(3));
    QVERIFY(dialog.RestoreButton()->isEnabled());
    list->setCurrentItem(list->topLevelItem(2));
    QVERIFY(dialog.isVisible());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.Choices(),
             (std::vector<RecoveryChoice>{RecoveryChoice::kRestore, RecoveryChoice::kDiscard,
                                          RecoveryChoice::kKeep, RecoveryChoice::kKeep}));

    // With every row decided the dialog closes by itself.
    CRecoveryDlg all(std::vector<RecoveryEntryType>(entries.begin(), entries.begin() + 2), nullptr);
    all.show();
    QVERIFY(QTest::qWaitForWindowExposed(&all));
    all.List()->setCurrentItem(all.List()->topLevelItem(1));
    all.DiscardButton()->click();
    QVERIFY(all.isVisible());
    all.RestoreButton()->click();
    QCOMPARE(all.result(), int(QDialog::Accepted));
    QCOMPARE(all.Choices(),
             (std::vector<RecoveryChoice>{RecoveryChoice::kRestore, RecoveryChoice::kDiscard}));
}

void RecoveryTest::modifiedSourceIsKeptUntilSaved()
{
    CFrameFixture f;
    WriteSetting(*f.store, settings::kRecoveryInterval, 1);
    f.frame->Recovery().ApplySettings();
    f.Start();
    const std::string path = f.Write("blink.a51", "START: SJMP START\n");
    CSourceDocument* document = f.frame->OpenSourceFile(path);
    QVERIFY(document != nullptr);
    QTest::qWait(1500); // unmodified: nothing is written
    QVERIFY(RecoveryFiles().empty());

    QVERIFY(document->Doc().InsertBlock({0, 0}, "; typed\r"));
    QVERIFY(QTest::qWaitFor([] { return RecoveryFiles().size() == 1; }, 5000));
    const RecoveryEntryType kept = ParseRecoveryFile(ReadFile(RecoveryFiles()[0].string()));
    QCOMPARE(kept.state, RecoveryState::kRestorable);
    QCOMPARE(kept.text, std::string("; typed\nSTART: SJMP START\n"));
    QCOMPARE(kept.sourcePath, path);
    // Only the source beside the source.
    QCOMPARE(QDir(f.dir.path()).entryList({QStringLiteral("blink*")}, QDir::Files),
             QStringList{QStringLiteral("blink.a51")});

    f.frame->OnCommand(cmd::kSave);
    QCOMPARE(ReadFile(path), std::string("; typed\nSTART: SJMP START\n"));
    QVERIFY(QTest::qWaitFor([] { return RecoveryFiles().empty(); }, 3000));

    // Closed with its changes discarded: its file goes too.
    QVERIFY(document->Doc().InsertBlock({0, 0}, "X"));
    f.frame->Recovery().WriteNow();
    QCOMPARE(RecoveryFiles().size(), size_t{1});
    f.dialogs.saveChoice = IShellDialogs::SaveChoice::kDiscard;
    f.frame->OnCommand(cmd::kClose);
    QVERIFY(QTest::qWaitFor([] { return RecoveryFiles().empty(); }, 3000));
    QCOMPARE(ReadFile(path), std::string("; typed\nSTART: SJMP START\n"));
}

void RecoveryTest::startOffersWhatAnEndedSessionLeft()
{
    CFrameFixture f;
    const std::string kept = f.Write("kept.a51", "NOP\r\n");
    const std::string gone = f.Path("gone.a51");
    {
        CRecordingSink sink;
        CRecoveryStore ended(RecoveryFolder(), sink);
        QVERIFY(ended.Write(ended.NewSlot(), kept, "kept.a51", StampOfFile(kept),
                            "MOV A,#1\r\nNOP\r\n"));
        QVERIFY(ended.Write(ended.NewSlot(), gone, "gone.a51", {}, "gone\r\n"));
        QVERIFY(ended.Write(ended.NewSlot(), "", "Untitled1", {}, "never saved\r\n"));
        QVERIFY(ended.Write(ended.NewSlot(), "", "dropped", {}, "x"));
    }
    WriteFile((RecoveryFolder() / "s1-1.rec").string(), "damaged");
    f.dialogs.recoveryChoices = {{"kept.a51", RecoveryChoice::kRestore},
                                 {"gone.a51", RecoveryChoice::kRestore},
                                 {"Untitled1", RecoveryChoice::kRestore},
                                 {"dropped", RecoveryChoice::kDiscard},
                                 {"s1-1.rec", RecoveryChoice::kRestore}};
    f.Start();
    QCOMPARE(f.dialogs.offered.size(), size_t{5});

    std::map<std::string, CSourceDocument*> byTitle;
    for (CChildFrame* child : f.frame->Children()) {
        if (child->Document() != nullptr) {
            byTitle[child->Document()->Title()] = child->Document();
        }
    }
    QVERIFY(byTitle.count("kept.a51") && byTitle.count("gone.a51"));
    CSourceDocument* restored = byTitle["kept.a51"];
    QCOMPARE(restored->Path(), kept);
    QVERIFY(restored->Doc().IsModified());
    QCOMPARE(QString::fromStdString(restored->Doc().SavedText()),
             QStringLiteral("MOV A,#1\r\nNOP\r\n"));
    QCOMPARE(ReadFile(kept), std::string("NOP\r\n")); // the user decides whether to save
    QCOMPARE(byTitle["gone.a51"]->Path(), gone);
    QVERIFY(!std::filesystem::exists(gone));
    const auto untitled = std::find_if(byTitle.begin(), byTitle.end(), [](const auto& item) {
        return item.second->Path().empty();
    });
    QVERIFY(untitled != byTitle.end());
    QCOMPARE(untitled->second->Doc().SavedText(), std::string("never saved\r\n"));

    // The restored texts are kept by this session now; the damaged file
    // stays, and the discarded one is gone.
    std::vector<std::string> names;
    for (const auto& file : RecoveryFiles()) {
        names.push_back(file.filename().string());
    }
    QCOMPARE(names.size(), size_t{4});
    QVERIFY(std::count(names.begin(), names.end(), "s1-1.rec") == 1);
    f.frame.reset();
    QCOMPARE(RecoveryFiles().size(), size_t{1});
}

QObject* NewRecoveryTest()
{
    return new RecoveryTest;
}

#include "recovery_test.moc"
