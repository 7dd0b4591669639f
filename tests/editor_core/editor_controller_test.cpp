#include <gtest/gtest.h>

#include "editor/core/editor_controller.h"
#include "editor_test_support.h"

namespace {

constexpr KeyModifiersType kPlain{};
constexpr KeyModifiersType kShift{true, false};
constexpr KeyModifiersType kCtrl{false, true};
constexpr KeyModifiersType kCtrlShift{true, true};

class EditorControllerTest : public ::testing::Test
{
protected:
    void Init(const std::string& text, TextPosType caret = {0, 0})
    {
        SetText(doc_, text);
        view_.SetCaret(caret);
    }
    void Type(const std::string& chars)
    {
        for (const char c : chars) {
            view_.HandleChar(c, kPlain);
        }
    }

    CRecordingSink sink_;
    CEditorDoc doc_{&sink_};
    bool overwrite_ = false;
    CEditorController view_{doc_, overwrite_};
};

TEST_F(EditorControllerTest, ArrowsWrapAtLineEndsAndStopAtTheTextEnds)
{
    Init("ab\rc", {2, 0});
    view_.HandleKey(EditorKey::kRight, kPlain);
    EXPECT_EQ(view_.Caret(), (TextPosType{0, 1}));
    view_.HandleKey(EditorKey::kLeft, kPlain);
    EXPECT_EQ(view_.Caret(), (TextPosType{2, 0}));
    view_.SetCaret({1, 1});
    view_.HandleKey(EditorKey::kRight, kPlain);
    EXPECT_EQ(view_.Caret(), (TextPosType{1, 1}));
    view_.SetCaret({0, 0});
    view_.HandleKey(EditorKey::kLeft, kPlain);
    view_.HandleKey(EditorKey::kUp, kPlain);
    EXPECT_EQ(view_.Caret(), (TextPosType{0, 0}));
    view_.SetCaret({2, 0});
    view_.HandleKey(EditorKey::kDown, kPlain); // column clamped to the shorter line
    EXPECT_EQ(view_.Caret(), (TextPosType{1, 1}));
}

TEST_F(EditorControllerTest, HomeTogglesBetweenIndentAndColumnZero)
{
    Init("    mov a,b\r   ", {8, 0});
    view_.HandleKey(EditorKey::kHome, kPlain);
    EXPECT_EQ(view_.Caret().col, 4);
    view_.HandleKey(EditorKey::kHome, kPlain);
    EXPECT_EQ(view_.Caret().col, 0);
    view_.HandleKey(EditorKey::kHome, kPlain);
    EXPECT_EQ(view_.Caret().col, 4);
    view_.SetCaret({2, 1}); // a blank line goes to column 0
    view_.HandleKey(EditorKey::kHome, kPlain);
    EXPECT_EQ(view_.Caret().col, 0);
    view_.HandleKey(EditorKey::kEnd, kPlain);
    EXPECT_EQ(view_.Caret().col, 3);
    view_.HandleKey(EditorKey::kHome, kCtrl);
    EXPECT_EQ(view_.Caret(), (TextPosType{0, 0}));
    view_.HandleKey(EditorKey::kEnd, kCtrl);
    EXPECT_EQ(view_.Caret(), (TextPosType{3, 1}));
    EXPECT_FALSE(view_.HandleKey(EditorKey::kInsert, kCtrl)); // the window's Copy
    EXPECT_FALSE(view_.Overwrite());
}

TEST_F(EditorControllerTest, CtrlArrowsMoveByWords)
{
    Init("mov a,#10h\rnext", {0, 0});
    view_.HandleKey(EditorKey::kRight, kCtrl);
    EXPECT_EQ(view_.Caret().col, 4);
    view_.HandleKey(EditorKey::kRight, kCtrl);
    EXPECT_EQ(view_.Caret().col, 7);
    view_.HandleKey(EditorKey::kRight, kCtrl);
    view_.HandleKey(EditorKey::kRight, kCtrl);
    EXPECT_EQ(view_.Caret(), (TextPosType{0, 1}));
    view_.HandleKey(EditorKey::kLeft, kCtrl);
    view_.HandleKey(EditorKey::kLeft, kCtrl);
    EXPECT_EQ(view_.Caret(), (TextPosType{7, 0}));
    view_.HandleKey(EditorKey::kLeft, kCtrlShift);
    EXPECT_EQ(view_.SelectedText(), "a,#");
}

TEST_F(EditorControllerTest, PageKeysAndScrollingFollowTheCaret)
{
    std::string text;
    for (int i = 0; i < 100; ++i) {
        text += "line " + std::to_string(i) + "\r";
    }
    Init(text);
    view_.SetViewSize(10, 20);
    view_.HandleKey(EditorKey::kPageDown, kPlain);
    EXPECT_EQ(view_.Caret().line, 11);
    EXPECT_EQ(view_.FirstVisibleLine(), 11);
    view_.HandleKey(EditorKey::kPageDown, kCtrl);
    EXPECT_EQ(view_.Caret().line, 100);
    EXPECT_EQ(view_.FirstVisibleLine(), 91);
    view_.HandleKey(EditorKey::kUp, kCtrl); // window and caret move together
    EXPECT_EQ(view_.FirstVisibleLine(), 90);
    EXPECT_EQ(view_.Caret().line, 99);
    view_.Wheel(240);
    EXPECT_EQ(view_.FirstVisibleLine(), 88);
    EXPECT_EQ(view_.Caret().line, 99);
    view_.Wheel(-100000);
    EXPECT_EQ(view_.FirstVisibleLine(), 91);
    view_.HandleKey(EditorKey::kPageUp, kCtrl);
    EXPECT_EQ(view_.Caret().line, 0);
    EXPECT_EQ(view_.FirstVisibleLine(), 0);
}

TEST_F(EditorControllerTest, HorizontalScrollKeepsTheCaretTenColumnsInside)
{
    Init(std::string(200, 'x'));
    view_.SetViewSize(5, 40);
    view_.MoveTo({45, 0}, false);
    EXPECT_EQ(view_.FirstVisibleColumn(), 15); // caret 30 columns in, 10 from the right
    view_.MoveTo({14, 0}, false);
    EXPECT_EQ(view_.FirstVisibleColumn(), 4);
    view_.MoveTo({3, 0}, false);
    EXPECT_EQ(view_.FirstVisibleColumn(), 0);
}

TEST_F(EditorControllerTest, CtrlQAndCtrlKPairsIgnoreCase)
{
    Init("    abc def\rxyz", {6, 0});
    view_.HandleChar('q', kCtrl);
    EXPECT_TRUE(view_.InPrefix());
    view_.HandleChar('y', kPlain); // lower case second key
    EXPECT_EQ(doc_.Line(0), "    ab");
    view_.HandleChar('Q', kCtrl);
    view_.HandleChar('S', kCtrl);
    EXPECT_EQ(view_.Caret().col, 0);
    view_.HandleChar('q', kCtrl);
    view_.HandleChar('d', kPlain);
    EXPECT_EQ(view_.Caret().col, 6);
    view_.HandleChar('k', kCtrl);
    view_.HandleChar('z', kPlain); // unknown second key: ends the prefix, does nothing
    EXPECT_FALSE(view_.InPrefix());
    EXPECT_EQ(doc_.Line(0), "    ab");
    view_.HandleChar('k', kCtrl);
    view_.HandleChar('T', kPlain);
    EXPECT_EQ(view_.SelectedText(), "ab");
    view_.HandleChar('q', kCtrl);
    view_.HandleChar('b', kPlain);
    EXPECT_EQ(view_.Caret().col, 4);
    EXPECT_EQ(view_.SelectedText(), "ab");
    view_.HandleChar('q', kCtrl);
    view_.HandleChar('k', kPlain);
    EXPECT_EQ(view_.Caret().col, 6);
}

TEST_F(EditorControllerTest, CtrlTDeletesTheWordAtTheCaret)
{
    Init("mov a,#10h", {8, 0});
    view_.HandleChar('t', kCtrl);
    EXPECT_EQ(doc_.Line(0), "mov a,#");
    view_.Undo();
    EXPECT_EQ(doc_.Line(0), "mov a,#10h");
}

TEST_F(EditorControllerTest, TabIndentsOnlySelectionsOverSeveralLines)
{
    doc_.SetTabWidth(4);
    Init("ab cd\ref\rgh", {1, 0});
    view_.HandleKey(EditorKey::kRight, kShift);
    view_.HandleKey(EditorKey::kTab, kPlain);
    EXPECT_EQ(doc_.TextView(), "ab cd\ref\rgh");
    EXPECT_FALSE(view_.CanUndo());

    view_.SetSelection({1, 0}, {0, 2}); // ends at column 0: line 2 stays
    view_.HandleKey(EditorKey::kTab, kPlain);
    EXPECT_EQ(doc_.TextView(), "    ab cd\r    ef\rgh");
    view_.HandleKey(EditorKey::kTab, kShift);
    EXPECT_EQ(doc_.TextView(), "ab cd\ref\rgh");
    view_.SetSelection({0, 0}, {1, 1});
    view_.HandleChar(' ', kCtrl);
    EXPECT_EQ(doc_.TextView(), " ab cd\r ef\rgh");
    view_.HandleChar(' ', kCtrlShift);
    EXPECT_EQ(doc_.TextView(), "ab cd\ref\rgh");
}

TEST_F(EditorControllerTest, TabWithoutSelectionInsertsOrOverwritesToTheNextStop)
{
    doc_.SetTabWidth(4);
    Init("ab\rabcdefg", {1, 0});
    view_.HandleKey(EditorKey::kTab, kPlain);
    EXPECT_EQ(doc_.Line(0), "a   b");
    EXPECT_EQ(view_.Caret().col, 4);
    view_.HandleKey(EditorKey::kTab, kShift);
    EXPECT_EQ(view_.Caret().col, 0);
    overwrite_ = true;
    view_.SetCaret({1, 1});
    view_.HandleKey(EditorKey::kTab, kPlain);
    EXPECT_EQ(doc_.Line(1), "a   efg");
    view_.Undo();
    EXPECT_EQ(doc_.Line(1), "abcdefg");
}

TEST_F(EditorControllerTest, TypingOverASelectionIsOneUndo)
{
    overwrite_ = true; // the selection is replaced even in overwrite mode
    Init("hello world", {0, 0});
    view_.SetSelection({6, 0}, {11, 0});
    Type("W");
    EXPECT_EQ(doc_.Line(0), "hello W");
    EXPECT_EQ(view_.Caret(), (TextPosType{7, 0}));
    ASSERT_TRUE(view_.Undo());
    EXPECT_EQ(doc_.Line(0), "hello world");
    EXPECT_EQ(view_.Anchor(), (TextPosType{6, 0}));
    EXPECT_EQ(view_.Caret(), (TextPosType{11, 0}));
    EXPECT_FALSE(view_.CanUndo());
}

TEST_F(EditorControllerTest, OverwriteModeIsSharedAndInsertTogglesIt)
{
    Init("abc", {0, 0});
    CEditorDoc other;
    CEditorController second(other, overwrite_);
    second.HandleKey(EditorKey::kInsert, kPlain);
    EXPECT_TRUE(view_.Overwrite());
    Type("XY");
    EXPECT_EQ(doc_.Line(0), "XYc");
    view_.Undo();
    EXPECT_EQ(doc_.Line(0), "Xbc");
}

TEST_F(EditorControllerTest, EnterBackspaceAndDeleteJoinAndSplitLines)
{
    Init("abcd", {2, 0});
    overwrite_ = true; // Enter never swallows a character
    view_.HandleKey(EditorKey::kEnter, kPlain);
    EXPECT_EQ(doc_.TextView(), "ab\rcd");
    EXPECT_EQ(view_.Caret(), (TextPosType{0, 1}));
    view_.HandleKey(EditorKey::kBackspace, kPlain);
    EXPECT_EQ(doc_.TextView(), "abcd");
    view_.HandleKey(EditorKey::kDelete, kPlain);
    EXPECT_EQ(doc_.TextView(), "abd");
    view_.SetCaret({0, 0});
    view_.HandleKey(EditorKey::kBackspace, kPlain);
    EXPECT_EQ(doc_.TextView(), "abd");
    view_.SetCaret({3, 0});
    view_.HandleKey(EditorKey::kDelete, kPlain);
    EXPECT_EQ(doc_.TextView(), "abd");
}

TEST_F(EditorControllerTest, CopyAndPasteConvertLineEnds)
{
    Init("first\rsecond\rthird", {0, 0});
    view_.SetSelection({0, 0}, {6, 1});
    const std::string clip = view_.CopyText();
    EXPECT_EQ(clip, "first\r\nsecond");
    view_.SetCaret({0, 2});
    ASSERT_TRUE(view_.Paste(clip + "\r\n"));
    EXPECT_EQ(doc_.TextView(), "first\rsecond\rfirst\rsecond\rthird");
    EXPECT_EQ(view_.Caret(), (TextPosType{0, 4}));
    // Text from other programs here ends lines with LF alone.
    view_.Paste("x\ny");
    EXPECT_EQ(doc_.Line(4), "x");
    EXPECT_EQ(doc_.Line(5), "ythird");
    view_.SetSelection({0, 0}, {5, 0});
    EXPECT_EQ(view_.Cut(), "first");
    EXPECT_EQ(doc_.Line(0), "");
    view_.Undo();
    EXPECT_EQ(doc_.Line(0), "first");
}

TEST_F(EditorControllerTest, MouseClicksDragsAndDoubleClicks)
{
    Init("mov a,r1\rnop", {0, 0});
    view_.MouseDown({50, 0}, false); // clamped to the line end
    EXPECT_EQ(view_.Caret(), (TextPosType{8, 0}));
    view_.MouseUp();
    view_.MouseDown({1, 0}, false);
    view_.MouseDrag({2, 1});
    view_.MouseUp();
    EXPECT_EQ(view_.SelectedText(), "ov a,r1\rno");
    view_.MouseDown({3, 1}, true);
    view_.MouseUp();
    EXPECT_EQ(view_.Anchor(), (TextPosType{1, 0}));
    view_.DoubleClick({6, 0});
    EXPECT_EQ(view_.SelectedText(), "r1");
    view_.SetViewSize(10, 10);
    view_.ScrollTo(0, 2);
    const CellMetricsType cell{8, 16, 16};
    EXPECT_EQ(view_.PosAtPixel(16 + 8 * 1 + 7, 16 + 15, cell), (TextPosType{3, 1}));
    EXPECT_EQ(view_.PosAtPixel(0, 5000, cell), (TextPosType{2, 1})); // clamped
    view_.SetCaret({3, 1});
    EXPECT_EQ(view_.CaretPixel(cell).x, 16 + 8);
    EXPECT_EQ(view_.CaretPixel(cell).y, 16);
    EXPECT_FALSE(IsDragBeyondDeadZone(10, 10, 12, 8));
    EXPECT_TRUE(IsDragBeyondDeadZone(10, 10, 13, 10));
}

// Every kind: undo restores text, caret and selection from before the edit,
// redo those from after it.
TEST_F(EditorControllerTest, UndoAndRedoOfEveryKindRestoreTextCaretAndSelection)
{
    doc_.SetTabWidth(4);
    struct Step
    {
        const char* name;
        TextPosType anchor;
        TextPosType caret;
        std::function<void(CEditorController&)> edit;
    };
    const std::vector<Step> steps = {
        {"deleted char", {2, 0}, {2, 0}, [](auto& v) { v.HandleKey(EditorKey::kDelete, {}); }},
        {"backspace at line start",
         {0, 1},
         {0, 1},
         [](auto& v) { v.HandleKey(EditorKey::kBackspace, {}); }},
        {"deleted block", {1, 0}, {2, 1}, [](auto& v) { v.HandleKey(EditorKey::kDelete, {}); }},
        {"typed char", {0, 1}, {0, 1}, [](auto& v) { v.HandleChar('Z', {}); }},
        {"typed over selection", {3, 0}, {1, 0}, [](auto& v) { v.HandleChar('Z', {}); }},
        {"typed tab", {1, 0}, {1, 0}, [](auto& v) { v.TypeChar('\t'); }},
        {"enter", {2, 2}, {2, 2}, [](auto& v) { v.HandleKey(EditorKey::kEnter, {}); }},
        {"inserted block", {1, 1}, {1, 1}, [](auto& v) { v.Paste("P\r\nQ"); }},
        {"paste over selection", {0, 0}, {2, 1}, [](auto& v) { v.Paste("R"); }},
        {"indent", {1, 0}, {2, 2}, [](auto& v) { v.HandleKey(EditorKey::kTab, {}); }},
        {"unindent uneven",
         {0, 0},
         {1, 2},
         [](auto& v) {
             v.HandleKey(EditorKey::kTab, {true, false});
         }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        Init("  abc\r      de\rfgh\r x");
        view_.SetSelection(step.anchor, step.caret);
        const std::string before(doc_.TextView());
        const TextPosType anchorBefore = view_.Anchor();
        const TextPosType caretBefore = view_.Caret();
        step.edit(view_);
        const std::string after(doc_.TextView());
        const TextPosType anchorAfter = view_.Anchor();
        const TextPosType caretAfter = view_.Caret();
        ASSERT_NE(before, after);
        ASSERT_TRUE(view_.Undo());
        EXPECT_EQ(doc_.TextView(), before);
        EXPECT_EQ(view_.Anchor(), anchorBefore);
        EXPECT_EQ(view_.Caret(), caretBefore);
        ASSERT_TRUE(view_.Redo());
        EXPECT_EQ(doc_.TextView(), after);
        EXPECT_EQ(view_.Anchor(), anchorAfter);
        EXPECT_EQ(view_.Caret(), caretAfter);
        ExpectLinesConsistent(doc_);
    }
}

TEST_F(EditorControllerTest, ControlCharactersTypedAsTheyAreComeBackExactly)
{
    Init(std::string("a\0b", 3), {1, 0});
    overwrite_ = true;
    Type("X");
    EXPECT_EQ(doc_.TextView(), "aXb");
    ASSERT_TRUE(view_.Undo());
    EXPECT_EQ(doc_.TextView(), std::string_view("a\0b", 3));

    overwrite_ = false;
    Init("ab", {1, 0});
    ASSERT_TRUE(view_.TypeChar('\n'));
    EXPECT_EQ(doc_.TextView(), "a\rb"); // a line end, as only a CR is in the buffer
    view_.HandleKey(EditorKey::kBackspace, kPlain);
    ASSERT_TRUE(view_.Undo());
    EXPECT_EQ(doc_.TextView(), "a\rb");
}

// Undoing an insertion needs no room; redoing it needs only what it took.
TEST_F(EditorControllerTest, TheEditThatFilledTheBufferIsUndoneAndRedone)
{
    doc_.SetCapacityLimit(CEditorDoc::kInitialCapacity);
    Init("x");
    const std::string block(CEditorDoc::kInitialCapacity - 200, 'p');
    ASSERT_TRUE(view_.Paste(block));
    ASSERT_TRUE(view_.Undo());
    EXPECT_EQ(doc_.TextView(), "x");
    ASSERT_TRUE(view_.Redo());
    EXPECT_EQ(doc_.TextLength(), block.size() + 1);
    EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(EditorControllerTest, HundredAndOneEditsLeaveNinetyNineUndoable)
{
    Init("");
    Type(std::string(101, 'a'));
    int undone = 0;
    while (view_.Undo()) {
        ++undone;
    }
    EXPECT_EQ(undone, 99);
    EXPECT_EQ(doc_.TextView(), "aa");
}

} // namespace
