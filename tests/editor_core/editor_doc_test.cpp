#include <gtest/gtest.h>

#include <random>

#include "editor/core/editor_doc.h"
#include "editor_test_support.h"

namespace {

class EditorDocTest : public ::testing::Test
{
protected:
    CTempDir dir_;
    CRecordingSink sink_;
    CEditorDoc doc_{&sink_};
};

TEST_F(EditorDocTest, LoadExpandsTabsToStopsOneColumnBeforeTypingStops)
{
    doc_.SetTabWidth(8);
    ASSERT_TRUE(doc_.Load(dir_.Write("t.a51", "A\tB\r\n\tX\r\n1234567\tY")));
    EXPECT_EQ(doc_.Line(0), "A      B"); // B in 1-based column 8
    EXPECT_EQ(doc_.Line(1), std::string(7, ' ') + "X");
    EXPECT_EQ(doc_.Line(2), "1234567        Y"); // column 8 is a stop: a full width
    EXPECT_EQ(doc_.TextView().find('\t'), std::string_view::npos);
}

TEST_F(EditorDocTest, LoadsEveryLineEndStyleAndSavesItBack)
{
    struct Case
    {
        const char* bytes;
        const char* savedAs;
        int lines;
    };
    const Case cases[] = {
        {"a\r\nb\r\nc", "a\r\nb\r\nc", 3},
        {"a\rb\rc\r", "a\r\nb\r\nc\r\n", 4},
        {"a\nb\nc\n", "a\nb\nc\n", 4},           // LF-only stays LF-only
        {"a\r\nb\nc\rd", "a\r\nb\r\nc\r\nd", 4}, // mixed: written as CR LF
        {"", "", 1},
    };
    for (const auto& c : cases) {
        const auto file = dir_.Write("f.a51", c.bytes);
        ASSERT_TRUE(doc_.Load(file));
        EXPECT_EQ(doc_.LineCount(), c.lines) << c.bytes;
        EXPECT_EQ(doc_.Line(0), std::string(c.bytes).empty() ? "" : "a");
        ExpectLinesConsistent(doc_);
        ASSERT_TRUE(doc_.Save(file));
        EXPECT_EQ(ReadBytes(file), c.savedAs);
    }
}

TEST_F(EditorDocTest, AnyBytesLoadSaveAndReloadToTheSameText)
{
    std::mt19937 rng(99);
    const char pool[] = {'\r', '\n', '\t', '\0', 'a', ' ', '\x80', '\xff'};
    for (int round = 0; round < 200; ++round) {
        std::string bytes;
        const size_t size = rng() % 300;
        for (size_t i = 0; i < size; ++i) {
            bytes.push_back(pool[rng() % sizeof pool]);
        }
        const auto file = dir_.Write("r.bin", bytes);
        ASSERT_TRUE(doc_.Load(file));
        ExpectLinesConsistent(doc_);
        const std::string loaded(doc_.TextView());
        doc_.Find("a\ra", {5, 5}, false, true, rng() % 2 == 0, false);
        ASSERT_TRUE(doc_.Save(file));
        ASSERT_TRUE(doc_.Load(file));
        EXPECT_EQ(doc_.TextView(), loaded) << "round " << round;
    }
}

TEST_F(EditorDocTest, FailedLoadLeavesAnEmptyUsableDocument)
{
    EXPECT_FALSE(doc_.Load(dir_.Path() / "missing.a51"));
    EXPECT_FALSE(doc_.Load(dir_.Path()));
    EXPECT_FALSE(doc_.Load("/dev/zero"));
    EXPECT_FALSE(doc_.IsLoaded());
    EXPECT_EQ(doc_.LineCount(), 1);
    EXPECT_TRUE(doc_.TypeChar({0, 0}, 'x', false).done);
    EXPECT_EQ(doc_.TextView(), "x");
}

TEST_F(EditorDocTest, LoadBeyondTheMemoryLimitFailsWithItsMessage)
{
    doc_.SetCapacityLimit(CEditorDoc::kLoadHeadroom + 10);
    EXPECT_FALSE(doc_.Load(dir_.Write("big.a51", std::string(11, 'x'))));
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0], "Unable to allocate editor buffer.");
    EXPECT_EQ(doc_.Capacity(), 0u);
    EXPECT_TRUE(doc_.TypeChar({0, 0}, 'x', false).done); // still usable
}

TEST_F(EditorDocTest, TabsBeyondTheHeadRoomGrowTheBufferInsteadOfLosingText)
{
    doc_.SetTabWidth(8);
    std::string bytes;
    for (int i = 0; i < 20000; ++i) {
        bytes += "\tMOV\tA,#1\r\n"; // 11 bytes in, 21 characters after expansion
    }
    ASSERT_TRUE(doc_.Load(dir_.Write("tabs.a51", bytes)));
    EXPECT_TRUE(sink_.messages.empty());
    EXPECT_EQ(doc_.LineCount(), 20001);
    EXPECT_EQ(doc_.Line(19999), "       MOV     A,#1");
}

TEST_F(EditorDocTest, TextBeyondTheMemoryLimitIsCutWithTheMessage)
{
    doc_.SetTabWidth(64);
    doc_.SetCapacityLimit(CEditorDoc::kLoadHeadroom + 30000);
    // Each tab expands to 64 blanks, far past the limit.
    ASSERT_TRUE(doc_.Load(dir_.Write("tabs.a51", std::string(2000, '\t'))));
    EXPECT_EQ(doc_.TextLength(), doc_.Capacity());
    EXPECT_LE(doc_.Capacity(), CEditorDoc::kLoadHeadroom + 30000);
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0], " File to large for text buffer, press any key.");
    doc_.SetCapacityLimit(UINT32_MAX);
    EXPECT_TRUE(doc_.TypeChar({0, 0}, 'x', false).done); // grows instead of refusing
    EXPECT_GE(doc_.Free(), CEditorDoc::kMinFreeToType);
}

TEST_F(EditorDocTest, SaveFailureKeepsTheOriginalAndTheModifiedFlag)
{
    const auto file = dir_.Write("keep.a51", "old\r\n");
    ASSERT_TRUE(doc_.Load(file));
    doc_.TypeChar({0, 0}, 'N', false);
    ASSERT_TRUE(doc_.IsModified());
    // Something that is not ours stands where the new file would be written.
    std::filesystem::create_directory(dir_.Path() / "keep.a51.~sav");
    EXPECT_FALSE(doc_.Save(file));
    EXPECT_TRUE(doc_.IsModified());
    EXPECT_EQ(ReadBytes(file), "old\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(dir_.Path() / "keep.a51.~sav"));
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_NE(sink_.messages[0].find("keep.a51"), std::string::npos);

    // A leftover file of an interrupted save does not stand in the way.
    std::filesystem::remove(dir_.Path() / "keep.a51.~sav");
    dir_.Write("keep.a51.~sav", "partial");
    ASSERT_TRUE(doc_.Save(file));
    EXPECT_EQ(ReadBytes(file), "Nold\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "keep.a51.~sav"));
}

TEST_F(EditorDocTest, SaveLeavesAWriteProtectedFileAsItIs)
{
    namespace fs = std::filesystem;
    const auto file = dir_.Write("locked.a51", "old\r\n");
    ASSERT_TRUE(doc_.Load(file));
    doc_.TypeChar({0, 0}, 'N', false);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    // Renaming over it would succeed in a writable folder, even for root.
    EXPECT_FALSE(doc_.Save(file));
    EXPECT_EQ(ReadBytes(file), "old\r\n");
    EXPECT_TRUE(doc_.IsModified());
    EXPECT_EQ(doc_.Line(0), "Nold");
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_NE(sink_.messages[0].find("read-only"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_.Path() / "locked.a51.~sav"));

    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_TRUE(doc_.Save(file));
    EXPECT_EQ(ReadBytes(file), "Nold\r\n");
}

TEST_F(EditorDocTest, SaveThroughALinkReplacesItsTarget)
{
    const auto real = dir_.Write("real.a51", "a");
    const auto link = dir_.Path() / "link.a51";
    std::filesystem::create_symlink(real, link);
    ASSERT_TRUE(doc_.Load(link));
    doc_.TypeChar({1, 0}, 'b', false);
    ASSERT_TRUE(doc_.Save(link));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), "ab");
}

TEST_F(EditorDocTest, SaveOverADirectoryFailsAndLeavesNoTemporaryFile)
{
    const auto target = dir_.Path() / "adir";
    std::filesystem::create_directories(target / "inner");
    SetText(doc_, "x");
    doc_.SetModified(true);
    EXPECT_FALSE(doc_.Save(target));
    EXPECT_TRUE(doc_.IsModified());
    EXPECT_TRUE(std::filesystem::is_directory(target / "inner"));
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_.Path())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(EditorDocTest, SaveKeepsTheFileModeAndClearsModified)
{
    const auto file = dir_.Write("m.a51", "a");
    std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
    ASSERT_TRUE(doc_.Load(file));
    doc_.TypeChar({1, 0}, 'b', false);
    ASSERT_TRUE(doc_.Save(file));
    EXPECT_FALSE(doc_.IsModified());
    EXPECT_EQ(ReadBytes(file), "ab");
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
}

// Every view of the document follows its revision: each edit and each change
// of the modified flag must move it, and nothing else may.
TEST_F(EditorDocTest, RevisionMovesWithEveryEditAndTheModifiedFlag)
{
    CSeenRevision seen;
    seen.Update(doc_.Revision());
    doc_.TypeChar({0, 0}, 'a', false);
    EXPECT_TRUE(doc_.IsModified());
    EXPECT_TRUE(seen.Update(doc_.Revision()));
    EXPECT_FALSE(seen.Update(doc_.Revision()));
    doc_.SetModified(true); // no change
    EXPECT_FALSE(seen.Update(doc_.Revision()));
    doc_.SetModified(false); // a save clears the mark in the title
    EXPECT_TRUE(seen.Update(doc_.Revision()));
    (void)doc_.Find("zz", {0, 0}, false, false, true, false);
    EXPECT_FALSE(seen.Update(doc_.Revision()));
    doc_.DeleteChar({0, 0});
    EXPECT_TRUE(seen.Update(doc_.Revision()));
}

TEST_F(EditorDocTest, OverwriteReplacesButInsertsAtLineAndTextEnd)
{
    SetText(doc_, "ab\rcd");
    auto r = doc_.TypeChar({0, 0}, 'X', true);
    EXPECT_EQ(r.replaced, 'a');
    r = doc_.TypeChar({2, 0}, 'Y', true); // on the CR
    EXPECT_EQ(r.replaced, 0);
    r = doc_.TypeChar({2, 1}, 'Z', true); // at the text end
    EXPECT_EQ(r.replaced, 0);
    EXPECT_EQ(doc_.TextView(), "XbY\rcdZ");
    ExpectLinesConsistent(doc_);
}

TEST_F(EditorDocTest, TypedTabInsertsBlanksToTheNextStop)
{
    doc_.SetTabWidth(4);
    SetText(doc_, "ab");
    const auto r = doc_.TypeChar({2, 0}, '\t', false);
    EXPECT_EQ(doc_.Line(0), "ab  ");
    EXPECT_EQ(r.after.col, 4);
}

TEST_F(EditorDocTest, TabStopsAndDamagedTabWidths)
{
    doc_.SetTabWidth(8);
    EXPECT_EQ(doc_.NextTabStop(8), 9);
    EXPECT_EQ(doc_.PrevTabStop(9), 1); // a stop steps back a whole width
    EXPECT_EQ(doc_.PrevTabStop(3), 1);
    doc_.SetTabWidth(0); // no division by zero
    EXPECT_EQ(doc_.NextTabStop(5), 6);
    doc_.SetTabWidth(1000000);
    EXPECT_EQ(doc_.TabWidth(), CEditorDoc::kMaxTabWidth);
}

TEST_F(EditorDocTest, FullBufferRefusesTypingAndStaysUsable)
{
    doc_.SetCapacityLimit(CEditorDoc::kInitialCapacity);
    SetText(doc_, std::string(CEditorDoc::kInitialCapacity - 50, 'a'));
    sink_.messages.clear();
    EXPECT_FALSE(doc_.TypeChar({0, 0}, 'x', false).done);
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0], "Text buffer full, unable to add character(s)");
    EXPECT_FALSE(doc_.InsertBlock({0, 0}, std::string(60, 'b')));
    EXPECT_EQ(sink_.messages.back(), "Insufficient room in text buffer.");
    EXPECT_EQ(doc_.TextLength(), CEditorDoc::kInitialCapacity - 50);
    EXPECT_EQ(doc_.DeleteChar({0, 0}), 'a');
    EXPECT_TRUE(doc_.InsertBlock({0, 0}, "xy"));
    ExpectLinesConsistent(doc_);
}

TEST_F(EditorDocTest, GrowsWhenHeadRoomRunsLow)
{
    SetText(doc_, std::string(CEditorDoc::kInitialCapacity - 500, 'a'));
    const uint32_t before = doc_.Capacity();
    EXPECT_TRUE(doc_.TypeChar({0, 0}, 'x', false).done);
    EXPECT_EQ(doc_.Capacity(), before + CEditorDoc::kGrowStep);
    EXPECT_TRUE(doc_.InsertBlock({0, 0}, std::string(100000, 'b')));
    EXPECT_GE(doc_.Capacity(), doc_.TextLength());
}

TEST_F(EditorDocTest, BlockInsertAndRangeDeleteKeepLineStarts)
{
    SetText(doc_, "one\rtwo\rthree");
    TextPosType after;
    ASSERT_TRUE(doc_.InsertBlock({1, 1}, "X\rY\tZ\nW", &after));
    EXPECT_EQ(doc_.TextView(), "one\rtX\rY Z Wwo\rthree");
    EXPECT_EQ(after, (TextPosType{5, 2}));
    ExpectLinesConsistent(doc_);
    ASSERT_TRUE(doc_.DeleteRange({2, 0}, {3, 2}));
    EXPECT_EQ(doc_.TextView(), "on Wwo\rthree");
    EXPECT_EQ(doc_.CurrentLine(), 0);
    ExpectLinesConsistent(doc_);
    EXPECT_EQ(doc_.DeleteChar({6, 0}), '\r');
    EXPECT_EQ(doc_.LineCount(), 1);
    ExpectLinesConsistent(doc_);
}

TEST_F(EditorDocTest, LineTableGrowsBeforeItFills)
{
    EXPECT_EQ(doc_.LineTableSize(), CEditorDoc::kLineTableInitial);
    std::string many(2300, '\r');
    ASSERT_TRUE(doc_.InsertBlock({0, 0}, many));
    EXPECT_EQ(doc_.LineCount(), 2301);
    EXPECT_GE(doc_.LineTableSize(), 2301u + CEditorDoc::kLineTableMargin);
    EXPECT_EQ((doc_.LineTableSize() - CEditorDoc::kLineTableInitial) % CEditorDoc::kLineTableGrow,
              0u);
    ASSERT_TRUE(doc_.Load(dir_.Write("l.a51", std::string(10, '\n'))));
    EXPECT_EQ(doc_.LineTableSize(), 11u + CEditorDoc::kLineTableInitial);
}

TEST_F(EditorDocTest, WholeWordsStandBetweenBlanksOrLineEnds)
{
    SetText(doc_, "MOV R10,A\rMOV A,R1\rADD A,R1 \rINC R1");
    // R10 is no match, nor R1 after a comma; the text end counts as a line end.
    EXPECT_EQ(doc_.Find("R1", {0, 0}, false, true, true, false), (TextPosType{4, 3}));
    EXPECT_EQ(doc_.Find("r1", {0, 0}, false, false, true, false), (TextPosType{4, 0}));
    EXPECT_EQ(doc_.Find("r1", {0, 0}, true, false, true, false), (TextPosType{-1, -1}));
    EXPECT_EQ(doc_.Find("MOV R10,A", {0, 0}, true, true, true, false), (TextPosType{0, 0}));
}

TEST_F(EditorDocTest, FindWrapsBothWaysAndReportsMisses)
{
    SetText(doc_, "x target\ry\rtarget z target");
    // Down from the middle of line 0: wraps round to the start line's head.
    EXPECT_EQ(doc_.Find("x", {1, 0}, false, false, true, true), (TextPosType{0, 0}));
    // Up: lines are visited upwards, each from its left.
    EXPECT_EQ(doc_.Find("target", {0, 1}, false, false, false, true), (TextPosType{2, 0}));
    EXPECT_EQ(doc_.Find("target", {0, 0}, false, false, false, true), (TextPosType{2, 0}));
    EXPECT_EQ(doc_.Find("target", {3, 0}, false, false, false, true), (TextPosType{0, 2}));
    EXPECT_EQ(doc_.Find("target", {1, 2}, false, false, false, true), (TextPosType{9, 2}));
    EXPECT_TRUE(sink_.messages.empty());
    EXPECT_EQ(doc_.Find("none", {0, 0}, false, false, true, true), (TextPosType{-1, -1}));
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0], "Unable to find: none");
    EXPECT_EQ(doc_.Find("none", {0, 0}, false, false, true, false), (TextPosType{-1, -1}));
    EXPECT_EQ(sink_.messages.size(), 1u);
}

TEST(UndoRingTest, KeepsTheLast99EditsAndDropsRedoOnANewEdit)
{
    CUndoRing ring;
    EXPECT_FALSE(ring.CanUndo());
    for (int i = 0; i < 101; ++i) {
        UndoRecordType r;
        r.kind = UndoKind::kTypedChar;
        r.pos.col = i;
        ring.Push(r);
    }
    EXPECT_EQ(ring.UndoCount(), 99);
    int undone = 0;
    int lastCol = -1;
    while (const auto* r = ring.NextUndo()) {
        lastCol = r->pos.col;
        ring.StepBack();
        ++undone;
    }
    EXPECT_EQ(undone, 99);
    EXPECT_EQ(lastCol, 2); // edits 0 and 1 fell out
    EXPECT_EQ(ring.RedoCount(), 99);
    ring.StepForward();
    ring.Push(UndoRecordType{});
    EXPECT_FALSE(ring.CanRedo());
    EXPECT_EQ(ring.UndoCount(), 2);
}

} // namespace
