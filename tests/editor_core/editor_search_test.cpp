#include <gtest/gtest.h>

#include "common/settings_store.h"
#include "editor/core/editor_search.h"
#include "editor_test_support.h"

namespace {

class EditorSearchTest : public ::testing::Test
{
protected:
    void Init(const std::string& text, TextPosType caret = {0, 0})
    {
        SetText(doc_, text);
        view_.SetCaret(caret);
    }
    void StoreFind(const std::string& text, bool down, bool matchCase = false,
                   bool wholeWords = false)
    {
        store_.WriteString("Search", "Find1", text);
        store_.WriteInt("Search", "Direction", down ? 1 : 0);
        store_.WriteInt("Search", "MatchCase", matchCase ? 1 : 0);
        store_.WriteInt("Search", "WholeWords", wholeWords ? 1 : 0);
    }
    std::vector<std::string> History(const char* prefix)
    {
        return CSearchSettings(store_).ReadHistory(prefix);
    }

    CRecordingSink sink_;
    CEditorDoc doc_{&sink_};
    bool overwrite_ = false;
    CEditorController view_{doc_, overwrite_};
    CMemorySettingsStore store_;
};

TEST_F(EditorSearchTest, WordAtCaretStopsAtOperandSeparators)
{
    Init("start: MOV A,#10h\rlabel: djnz r7,label\r\r" + std::string(100, 'w'));
    struct Case
    {
        TextPosType caret;
        std::string word;
    };
    const Case cases[] = {
        {{13, 0}, "10h"},  // on the #
        {{14, 0}, "10h"},  // just after it
        {{16, 0}, "10h"},  // inside
        {{12, 0}, "A"},    // on the comma: the word to its left
        {{3, 0}, "start"}, // the colon ends the copy
        {{6, 0}, ""},      // on the blank after the label
        {{17, 1}, "label"}, {{0, 2}, ""}, {{50, 3}, std::string(78, 'w')},
    };
    for (const auto& c : cases) {
        view_.SetCaret(c.caret);
        EXPECT_EQ(WordAtCaret(view_), c.word) << c.caret.col << "," << c.caret.line;
    }
}

TEST_F(EditorSearchTest, FindNextSelectsTheHitWithTheCaretAtItsEnd)
{
    Init("mov a,r1\rmov r1,a\rinc r1", {0, 0});
    EXPECT_EQ(FindNext(view_, store_, true), kNotFound); // no Find1 yet
    EXPECT_TRUE(sink_.messages.empty());
    StoreFind("R1", true);
    EXPECT_EQ(FindNext(view_, store_, true), (TextPosType{6, 0}));
    EXPECT_EQ(view_.Anchor(), (TextPosType{6, 0}));
    EXPECT_EQ(view_.Caret(), (TextPosType{8, 0}));
    EXPECT_EQ(FindNext(view_, store_, true), (TextPosType{4, 1}));
    // F3 reaches the same search through the controller's hook.
    view_.onFindNext = [&] { FindNext(view_, store_, true); };
    view_.HandleKey(EditorKey::kF3, {});
    EXPECT_EQ(view_.SelectionStart(), (TextPosType{4, 2}));
}

TEST_F(EditorSearchTest, FindUpWrapsFromTheFirstLineToTheLast)
{
    Init("alpha\rbeta\rgamma needle", {2, 0});
    StoreFind("needle", false);
    EXPECT_EQ(FindNext(view_, store_, true), (TextPosType{6, 2}));
    StoreFind("missing", false);
    EXPECT_EQ(FindNext(view_, store_, true), kNotFound);
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0], "Unable to find: missing");
}

TEST_F(EditorSearchTest, WholeWordsInFindNeedBlanksAroundTheWord)
{
    Init("MOV A,R1\rMOV R10,A\rMOV R1 ,A", {0, 0});
    StoreFind("R1", true, false, true);
    EXPECT_EQ(FindNext(view_, store_, false), (TextPosType{4, 2}));
}

TEST_F(EditorSearchTest, FindDialogHistoryKeepsSixteenWithoutDuplicates)
{
    Init("x", {0, 0});
    CSearchSettings settings(store_);
    for (int i = 16; i >= 1; --i) {
        store_.WriteString("Search", "Find" + std::to_string(i), "t" + std::to_string(i));
    }
    FindDialogStateType state = PrepareFindDialog(view_, store_);
    ASSERT_EQ(state.history.size(), 16u);
    EXPECT_EQ(state.text, "x");
    state.text = "new";
    RunFindDialog(view_, store_, state);
    auto history = History("Find");
    ASSERT_EQ(history.size(), 16u);
    EXPECT_EQ(history.front(), "new");
    EXPECT_EQ(history[1], "t1");
    EXPECT_EQ(history.back(), "t15"); // the oldest, t16, dropped

    state = PrepareFindDialog(view_, store_);
    state.text = "t7";
    RunFindDialog(view_, store_, state);
    history = History("Find");
    ASSERT_EQ(history.size(), 16u);
    EXPECT_EQ(history[0], "t7");
    EXPECT_EQ(history[1], "new");
    EXPECT_EQ(std::count(history.begin(), history.end(), "t7"), 1);
    EXPECT_EQ(history.back(), "t15");
    EXPECT_EQ(store_.ReadString("Search", "LastSearch", ""), "t7");
}

TEST_F(EditorSearchTest, FindDialogStoresOptionsAndHighlightsHistoryWhenNoWord)
{
    Init("   ", {1, 0});
    store_.WriteString("Search", "Find1", "old");
    FindDialogStateType state = PrepareFindDialog(view_, store_);
    EXPECT_EQ(state.text, "");
    EXPECT_EQ(state.highlighted, 0);
    state.text = "zz";
    state.options.down = true;
    state.options.matchCase = true;
    RunFindDialog(view_, store_, state);
    EXPECT_EQ(store_.ReadInt("Search", "Direction", -1), 1);
    EXPECT_EQ(store_.ReadInt("Search", "MatchCase", -1), 1);
    EXPECT_EQ(store_.ReadInt("Search", "WholeWords", -1), 0);
    EXPECT_EQ(History("Find"), (std::vector<std::string>{"zz", "old"}));
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0], "Unable to find: zz");
}

TEST_F(EditorSearchTest, ReplaceReplacesTheSelectionThenMovesOn)
{
    Init("a1 b a1\ra1", {0, 0});
    store_.WriteString("Search", "Find1", "a1");
    store_.WriteInt("Search", "Direction", 1);
    CReplaceSession session(view_, store_, &sink_);
    EXPECT_EQ(session.text, "a1"); // the word at the caret
    session.replacement = "XY";
    session.Replace(); // no selection yet: finds
    EXPECT_EQ(view_.SelectionStart(), (TextPosType{0, 0}));
    session.Replace();
    EXPECT_EQ(doc_.Line(0), "XY b a1");
    EXPECT_EQ(view_.SelectionStart(), (TextPosType{5, 0}));
    session.Replace();
    session.Replace();
    EXPECT_EQ(doc_.TextView(), "XY b XY\rXY");
    EXPECT_FALSE(view_.HasSelection());
    ASSERT_FALSE(sink_.messages.empty());
    EXPECT_EQ(sink_.messages.back(), "Finished searching for: a1");
    EXPECT_EQ(History("Replace"), std::vector<std::string>{"XY"});
    view_.Undo();
    EXPECT_EQ(doc_.TextView(), "XY b XY\ra1");
}

TEST_F(EditorSearchTest, ReplaceAllWrapsAroundAndReplacesEachOnce)
{
    struct Case
    {
        const char* text;
        const char* find;
        const char* repl;
        TextPosType caret;
        const char* result;
    };
    const Case cases[] = {
        {"a x a\ra\rx a", "a", "b", {2, 0}, "b x b\rb\rx b"},
        // The replacement holds the text: each original is replaced once.
        {"a x a\ra", "a", "aa", {0, 1}, "aa x aa\raa"},
        {"abab cd", "ab", "", {0, 0}, " cd"},
        {"MOV A,R1\rMOV R1,A", "R1", "R2", {0, 0}, "MOV A,R2\rMOV R2,A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Init(c.text, c.caret);
        store_.WriteInt("Search", "Direction", 1);
        CReplaceSession session(view_, store_, &sink_);
        view_.SetCaret(c.caret);
        session.text = c.find;
        session.replacement = c.repl;
        session.ReplaceAll();
        EXPECT_EQ(doc_.TextView(), c.result);
        EXPECT_EQ(sink_.messages.back(), std::string("Finished searching for: ") + c.find);
    }
}

TEST_F(EditorSearchTest, ReplaceAllUpwardsTerminatesWithSelfContainingReplacement)
{
    Init("r1 r1\rr1\rx r1", {0, 1});
    store_.WriteInt("Search", "Direction", 0);
    CReplaceSession session(view_, store_, &sink_);
    session.text = "r1";
    session.replacement = "[r1]";
    EXPECT_EQ(session.ReplaceAll(), 4);
    EXPECT_EQ(doc_.TextView(), "[r1] [r1]\r[r1]\rx [r1]");
}

TEST_F(EditorSearchTest, ReplaceSessionWritesHistoriesOnlyOnce)
{
    Init("", {0, 0});
    store_.WriteString("Search", "Find1", "f0");
    store_.WriteString("Search", "Replace1", "r0");
    CReplaceSession session(view_, store_, &sink_);
    session.text = "f1";
    session.replacement = "r1";
    session.FindNextHit();
    session.text = "f2";
    session.FindNextHit();
    EXPECT_EQ(History("Find"), (std::vector<std::string>{"f2", "f0"}));
    EXPECT_EQ(History("Replace"), (std::vector<std::string>{"r1", "r0"}));
}

TEST_F(EditorSearchTest, FindInFilesDialogPrefillsAndStoresThreeHistories)
{
    Init("ljmp start", {7, 0});
    store_.WriteString("Search", "FileFilter1", "*.a51");
    store_.WriteString("Search", "FileFolder1", "/old");
    store_.WriteString("Search", "FileFolder2", "/older");
    auto state = PrepareFindInFilesDialog(store_, "/cwd", &view_, "/ws");
    EXPECT_EQ(state.text, "start");
    EXPECT_EQ(state.filter, "*.a51");
    EXPECT_EQ(state.folder, "/ws");
    EXPECT_EQ(state.folderHistory, (std::vector<std::string>{"/ws", "/older"}));
    SetChosenFolder(state, "/picked");
    state.options.subdirectories = true;
    StoreFindInFilesDialog(store_, state);
    EXPECT_EQ(History("FileFolder"), (std::vector<std::string>{"/picked", "/ws", "/older"}));
    EXPECT_EQ(History("Find"), std::vector<std::string>{"start"});
    EXPECT_EQ(store_.ReadInt("Search", "Subdirectories", 0), 1);

    CMemorySettingsStore fresh;
    const auto plain = PrepareFindInFilesDialog(fresh, "/cwd", nullptr, "/ws");
    EXPECT_EQ(plain.folder, "/cwd");
    EXPECT_FALSE(fresh.Contains("Search", "FileFolder1"));
}

} // namespace
