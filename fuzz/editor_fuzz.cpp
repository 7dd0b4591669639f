// The editor document: a file of arbitrary bytes is loaded, then the rest of
// the input is played as an edit script through the editor's controller
// (typing, keys with their editing actions, selections, pasting, cutting,
// indenting, undo and redo, tab width and view changes, a tight buffer).
// After every step the line table must agree with the text and the caret
// and anchor must be places in it. At the end every edit is redone, then
// every edit undone, which must give back the loaded text exactly, then all
// redone, which must give back the edited text.
//
// Input: a flags byte (tab width, overwrite mode, tight buffer), the file's
// length in two bytes, the file, then the script: an operation byte and its
// operands each step.
#include <cstddef>
#include <cstdint>
#include <string>

#include "editor/core/editor_controller.h"
#include "editor/core/line_table_check.h"
#include "fuzz_support.h"

namespace {

// The undo ring keeps kSlots - 1 edits; the script stops before an edit
// could push the oldest one out, so that undoing everything is possible.
constexpr int kKeptEdits = CUndoRing::kSlots - 1;
// Every step checks the whole text: past these the input is ended, so that
// one input stays well under a second.
constexpr int kMaxSteps = 1000;
constexpr size_t kMaxTextLength = 128 * 1024;
constexpr int kKeyCount = static_cast<int>(EditorKey::kTab) + 1;

CFuzzScratch& Scratch()
{
    static CFuzzScratch scratch("ide51-editor-fuzz");
    return scratch;
}

class CScriptPlayer
{
public:
    CScriptPlayer(CFuzzInput& input, CEditorDoc& doc, CEditorController& editor)
        : in_(input), doc_(doc), editor_(editor)
    {}

    void Step();

private:
    TextPosType Place()
    {
        // Lines and columns a little past the end, to reach the clamping.
        const int line = in_.Byte() % (doc_.LineCount() + 2);
        const int col = in_.Byte() % (doc_.LineLength(line) + 3);
        return {col, line};
    }
    KeyModifiersType Modifiers(uint8_t bits) { return {(bits & 1) != 0, (bits & 2) != 0}; }

    CFuzzInput& in_;
    CEditorDoc& doc_;
    CEditorController& editor_;
    std::string clipboard_;
};

void CScriptPlayer::Step()
{
    const uint8_t op = in_.Byte();
    switch (op % 16) {
    case 0: // typing, the most common edit
        editor_.HandleChar(static_cast<char>(in_.Byte()), {});
        break;
    case 1: // a character the view passes on as it is
        editor_.TypeChar(static_cast<char>(in_.Byte()));
        break;
    case 2:
        editor_.HandleChar(static_cast<char>(in_.Byte()), Modifiers(op >> 4));
        break;
    case 3:
    case 4:
        editor_.HandleKey(static_cast<EditorKey>(in_.Byte() % kKeyCount), Modifiers(op >> 4));
        break;
    case 5: {
        const TextPosType anchor = Place();
        editor_.SetSelection(anchor, Place());
        break;
    }
    case 6:
        editor_.Paste(in_.Bytes(in_.Byte()));
        break;
    case 7:
        clipboard_ = (op & 0x10) != 0 ? editor_.Cut() : editor_.CopyText();
        break;
    case 8:
        editor_.Paste(clipboard_);
        break;
    case 9:
        editor_.IndentSelection((op & 0x10) != 0 ? '\t' : ' ', (op & 0x20) != 0);
        break;
    case 10:
        editor_.Undo();
        break;
    case 11:
        editor_.Redo();
        break;
    case 12: // a long run, to fill the buffer and make it grow
        editor_.Paste(
            std::string(static_cast<size_t>(in_.Byte()) * 64 + 1, static_cast<char>(in_.Byte())));
        break;
    case 13:
        doc_.SetTabWidth(static_cast<int8_t>(in_.Byte()));
        break;
    case 14: {
        const TextPosType at = Place();
        switch ((op >> 4) % 4) {
        case 0:
            editor_.MouseDown(at, (op & 0x40) != 0);
            break;
        case 1:
            editor_.MouseDrag(at);
            editor_.MouseUp();
            break;
        case 2:
            editor_.DoubleClick(at);
            break;
        default:
            editor_.Wheel(static_cast<int8_t>(in_.Byte()) * 40);
            break;
        }
        break;
    }
    default:
        if ((op & 0x10) != 0) {
            editor_.SetViewSize(in_.Byte(), in_.Byte());
        } else {
            editor_.ToggleOverwrite();
        }
        break;
    }
}

void CheckConsistent(const CEditorDoc& doc, const CEditorController& editor, const char* when)
{
    const std::string fault = FindLineTableFault(doc);
    if (!fault.empty()) {
        FuzzFail("the line table agrees with the text", std::string(when) + ": " + fault);
    }
    FuzzCheck(doc.Clamp(editor.Caret()) == editor.Caret() &&
                  doc.Clamp(editor.Anchor()) == editor.Anchor(),
              "caret and anchor are places in the text", when);
}

int StoredEdits(const CEditorDoc& doc)
{
    return doc.Undo().UndoCount() + doc.Undo().RedoCount();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzInput in(data, size);
    const uint8_t flags = in.Byte();
    const size_t fileLength = in.Word();
    const std::filesystem::path file = Scratch().File("source.a51");
    WriteFileBytes(file, in.Bytes(fileLength));

    CQuietSink sink;
    CEditorDoc doc(&sink);
    doc.SetTabWidth(flags % 32 + 1);
    bool overwrite = (flags & 0x20) != 0;
    CEditorController editor(doc, overwrite);
    FuzzCheck(doc.Load(file), "a readable file loads");
    if ((flags & 0x40) != 0) {
        // Room for a little more than the load's head room: long pastes are refused.
        doc.SetCapacityLimit(doc.Capacity() + in.Word());
    }
    const std::string loaded(doc.TextView());
    CheckConsistent(doc, editor, "after loading");

    CScriptPlayer player(in, doc, editor);
    for (int step = 0; step < kMaxSteps && !in.Empty() && StoredEdits(doc) < kKeptEdits &&
                       doc.TextLength() < kMaxTextLength;
         ++step) {
        player.Step();
        CheckConsistent(doc, editor, "after an edit step");
    }

    while (editor.CanRedo()) {
        FuzzCheck(editor.Redo(), "a stored edit can be redone");
    }
    const std::string edited(doc.TextView());
    while (editor.CanUndo()) {
        FuzzCheck(editor.Undo(), "a stored edit can be undone");
        CheckConsistent(doc, editor, "after an undo");
    }
    FuzzCheck(doc.TextView() == loaded, "undoing every edit gives back the loaded text");
    while (editor.CanRedo()) {
        FuzzCheck(editor.Redo(), "an undone edit can be redone");
        CheckConsistent(doc, editor, "after a redo");
    }
    FuzzCheck(doc.TextView() == edited, "redoing every edit gives back the edited text");
    return 0;
}
