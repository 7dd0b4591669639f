#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "app/recovery_store.h"
#include "app/source_document.h"
#include "app_fakes.h"
#include "scratch_dir.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

void WriteBytes(const fs::path& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> Names(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

class RecoveryStoreTest : public ::testing::Test
{
protected:
    fs::path Folder() const { return scratch_.Path() / "cache" / "recovery"; }
    std::string Source(const std::string& name, std::string_view text)
    {
        const std::string path = scratch_.File(name);
        WriteBytes(path, text);
        return path;
    }
    // The files one session leaves when it ends without removing them.
    void LeaveBehind(const std::string& path, std::string_view text)
    {
        CRecoveryStore store(Folder(), sink_);
        ASSERT_TRUE(store.Write(store.NewSlot(), path, FileTitle(path), StampOfFile(path), text));
    }

    CScratchDir scratch_;
    CRecordingSink sink_;
};

TEST_F(RecoveryStoreTest, TextsComeBackExactlyFromAnEndedSession)
{
    const std::string source = Source("main.a51", "MOV A,#1\r\n");
    const std::string oddPath = scratch_.File("100%\nodd\rname.a51");
    const std::string text = "MOV A,#2\r\n\tNOP ; \x01\0 %41\r\n\r\nEND"s;
    {
        CRecoveryStore store(Folder(), sink_);
        const int a = store.NewSlot();
        const int b = store.NewSlot();
        const int c = store.NewSlot();
        ASSERT_TRUE(store.Write(a, source, "main.a51", StampOfFile(source), "stale"));
        ASSERT_TRUE(store.Write(a, source, "main.a51", StampOfFile(source), text));
        ASSERT_TRUE(store.Write(b, "", "Untitled1", SourceStampType{}, ""));
        ASSERT_TRUE(store.Write(c, oddPath, "odd", SourceStampType{}, "X"));
        // While the session lives, another one is not offered its files.
        CRecoveryStore other(Folder(), sink_);
        EXPECT_TRUE(other.ListLeftOver().empty());
    }
    CRecoveryStore next(Folder(), sink_);
    const auto entries = next.ListLeftOver();
    ASSERT_EQ(entries.size(), 3u);
    std::map<std::string, RecoveryEntryType> byTitle;
    for (const auto& entry : entries) {
        EXPECT_EQ(entry.state, RecoveryState::kRestorable) << entry.title << entry.problem;
        EXPECT_EQ(entry.file.parent_path(), Folder());
        byTitle[entry.title] = entry;
    }
    EXPECT_EQ(byTitle["main.a51"].sourcePath, source);
    EXPECT_EQ(byTitle["main.a51"].text, text);
    EXPECT_EQ(byTitle["Untitled1"].sourcePath, "");
    EXPECT_EQ(byTitle["Untitled1"].text, "");
    EXPECT_EQ(byTitle["odd"].sourcePath, oddPath);
    // Nothing was written beside the sources.
    EXPECT_EQ(Names(scratch_.Path()), (std::set<std::string>{"cache", "main.a51"}));
    EXPECT_TRUE(sink_.messages.empty());

    for (const auto& entry : entries) {
        EXPECT_TRUE(next.Discard(entry));
    }
    // The ended session's lock goes with its last file.
    next.ListLeftOver();
    EXPECT_TRUE(Names(Folder()).empty());
}

TEST_F(RecoveryStoreTest, ASourceChangedSinceIsSaidSoAndOneHoldingTheTextIsDropped)
{
    const std::string edited = Source("edited.a51", "old\r\n");
    const std::string removed = Source("removed.a51", "old\r\n");
    const std::string saved = Source("saved.a51", "old\r\n");
    const std::string kept = Source("kept.a51", "old\r\n");
    LeaveBehind(edited, "mine\r\n");
    LeaveBehind(removed, "mine\r\n");
    LeaveBehind(saved, "new\r\n");
    LeaveBehind(kept, "mine\r\n");
    LeaveBehind(scratch_.File("never-saved.a51"), "mine\r\n");
    WriteBytes(edited, "theirs, longer\r\n");
    fs::remove(removed);
    WriteBytes(saved, "new\r\n"); // saved after the last recovery write
    Source("never-saved.a51", "made since\r\n");

    CRecoveryStore store(Folder(), sink_);
    std::map<std::string, RecoveryState> states;
    for (const auto& entry : store.ListLeftOver()) {
        states[entry.title] = entry.state;
        EXPECT_EQ(entry.text, "mine\r\n");
    }
    EXPECT_EQ(states, (std::map<std::string, RecoveryState>{
                          {"edited.a51", RecoveryState::kSourceChanged},
                          {"removed.a51", RecoveryState::kSourceChanged},
                          {"kept.a51", RecoveryState::kRestorable},
                          {"never-saved.a51", RecoveryState::kSourceChanged},
                      }));
}

TEST_F(RecoveryStoreTest, DamagedFilesAreShownAsSuchAndOthersLeftAlone)
{
    LeaveBehind("", "MOV A,#1\r\n");
    const fs::path good = *fs::directory_iterator(Folder());
    const std::string bytes = ReadBytes(good);
    const std::string header = bytes.substr(0, bytes.find("\n\n") + 2);
    struct Case
    {
        const char* name;
        std::string content;
        const char* problem;
    };
    std::string flipped = bytes;
    flipped.back() ^= 1;
    const Case cases[] = {
        {"x-1.rec", bytes.substr(0, bytes.size() - 2), "its text is cut short"},
        {"x-2.rec", bytes + "more", "its text is too long"},
        {"x-3.rec", flipped, "its text does not match its checksum"},
        {"x-4.rec",
         std::string("\x7F"
                     "ELF\x02\x01\x01\0\0\0",
                     10),
         "not a recovery file"},
        {"x-5.rec", "", "not a recovery file"},
        {"x-6.rec", "8051 recovery 1\nSource=\nTitle=t\nLength=1\n\nX", "its header is damaged"},
        {"x-7.rec", "8051 recovery 1\nSource=%4\n" + header.substr(header.find("Title")) + "X",
         "its header is damaged"},
        {"x-8.rec", std::string(20000, '\n'), "not a recovery file"},
    };
    for (const Case& c : cases) {
        WriteBytes(Folder() / c.name, c.content);
    }
    WriteBytes(Folder() / "notes.txt", "not ours");
    fs::create_directory(Folder() / "sub.rec");

    CRecoveryStore store(Folder(), sink_);
    std::map<std::string, std::string> problems;
    for (const auto& entry : store.ListLeftOver()) {
        if (entry.file.filename() != good.filename()) {
            EXPECT_EQ(entry.state, RecoveryState::kDamaged) << entry.file;
            EXPECT_TRUE(entry.text.empty());
            problems[entry.file.filename().string()] = entry.problem;
        }
    }
    ASSERT_EQ(problems.size(), std::size(cases));
    for (const Case& c : cases) {
        EXPECT_EQ(problems[c.name], c.problem) << c.name;
    }
    EXPECT_TRUE(fs::exists(Folder() / "notes.txt"));
    EXPECT_TRUE(fs::is_directory(Folder() / "sub.rec"));
    RecoveryEntryType outside;
    outside.file = scratch_.Path() / "main.rec";
    WriteBytes(outside.file, "x");
    EXPECT_FALSE(store.Discard(outside));
    EXPECT_TRUE(fs::exists(outside.file));
}

TEST_F(RecoveryStoreTest, AnUnusableFolderIsReportedOnceAndASaveRemovesTheFile)
{
    WriteBytes(scratch_.Path() / "cache", "a file where the folder should be");
    {
        CRecoveryStore store(Folder(), sink_);
        const int slot = store.NewSlot();
        EXPECT_FALSE(store.Write(slot, "", "a", {}, "one"));
        EXPECT_FALSE(store.Write(slot, "", "a", {}, "two"));
        EXPECT_TRUE(store.ListLeftOver().empty());
        ASSERT_EQ(sink_.messages.size(), 1u);
        EXPECT_NE(sink_.messages[0].find(Folder().string()), std::string::npos);
        // Once the folder can be made, writing resumes; a later failure is
        // reported again.
        fs::remove(scratch_.Path() / "cache");
        EXPECT_TRUE(store.Write(slot, "", "a", {}, "three"));
        EXPECT_FALSE(
            store.Write(slot, "", "a", {}, std::string(CRecoveryStore::kMaxText + 1, 'x')));
        EXPECT_EQ(sink_.messages.size(), 2u);
        store.Remove(slot);
    }
    CRecoveryStore next(Folder(), sink_);
    EXPECT_TRUE(next.ListLeftOver().empty());
}

TEST(RecoveredDocumentTest, TheSavedTextRestoresToTheSameDocument)
{
    CScratchDir scratch;
    for (const char* lineEnd : {"\r\n", "\n"}) {
        const std::string path = scratch.File("blink.a51");
        WriteBytes(path, std::string("START: MOV A,#1") + lineEnd + "  SJMP START" + lineEnd);
        CSourceDocument original(nullptr);
        ASSERT_TRUE(original.Load(path));
        ASSERT_TRUE(original.Doc().InsertBlock({0, 1}, "NOP\r"));
        const std::string saved = original.Doc().SavedText();
        EXPECT_EQ(saved, std::string("START: MOV A,#1") + lineEnd + "NOP" + lineEnd +
                             "  SJMP START" + lineEnd);

        CSourceDocument restored(nullptr);
        ASSERT_TRUE(restored.Restore(path, saved));
        EXPECT_EQ(restored.Doc().TextView(), original.Doc().TextView());
        EXPECT_EQ(restored.Doc().HasLfLineEnds(), original.Doc().HasLfLineEnds());
        EXPECT_TRUE(restored.Doc().IsModified());
        EXPECT_EQ(restored.Path(), path);
        EXPECT_EQ(restored.Title(), "blink.a51");
        ASSERT_TRUE(restored.Restore("", ""));
        EXPECT_EQ(restored.Doc().TextLength(), 0u);
        EXPECT_EQ(restored.Path(), path);
    }
}

} // namespace
