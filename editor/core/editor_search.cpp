#include "editor/core/editor_search.h"

#include <cstring>

#include "common/text_util.h"

namespace {

constexpr const char* kFinished = "Finished searching for: ";

bool IsIn(char c, const char* set)
{
    return c != '\0' && std::strchr(set, c) != nullptr;
}

// The character at a column of a line; CR at and past the line's end.
char At(std::string_view line, size_t col)
{
    return col < line.size() ? line[col] : '\r';
}

std::string CopyWord(std::string_view line, size_t from)
{
    std::string word;
    while (word.size() < kMaxWordAtCaret && from < line.size() && line[from] != ' ' &&
           !IsIn(line[from], ",:()+-*/")) {
        word.push_back(line[from++]);
    }
    return word;
}

void SelectHit(CEditorController& view, TextPosType hit, size_t length)
{
    view.SetSelection(hit, {hit.col + static_cast<int>(length), hit.line});
}

TextPosType SearchFromCaret(CEditorController& view, const std::string& text,
                            const SearchOptionsType& options, bool showMessage)
{
    if (text.empty()) {
        return kNotFound;
    }
    const TextPosType hit = view.Doc().Find(text, view.Caret(), options.matchCase,
                                            options.wholeWords, options.down, showMessage);
    if (!(hit == kNotFound)) {
        SelectHit(view, hit, text.size());
    }
    return hit;
}

} // namespace

std::string WordAtCaret(const CEditorController& view)
{
    const char* stepLeft = ",#(+-*/";
    const std::string_view line = view.Doc().Line(view.Caret().line);
    const size_t caret = static_cast<size_t>(view.Caret().col);
    size_t pos = caret;
    if (IsIn(At(line, pos), stepLeft) && pos > 0) {
        --pos;
    }
    if (At(line, pos) != ' ' && !IsIn(At(line, pos), stepLeft)) {
        while (At(line, pos) != ' ' && !IsIn(At(line, pos), stepLeft) && pos > 0) {
            --pos;
        }
        if (At(line, pos) == ' ' || IsIn(At(line, pos), stepLeft)) {
            ++pos;
        }
    }
    std::string word = CopyWord(line, pos);
    // On an operator with nothing to its left (the # of "A,#10h") the operand
    // after it is what the user points at.
    if (word.empty() && IsIn(At(line, caret), stepLeft)) {
        word = CopyWord(line, caret + 1);
    }
    return word;
}

TextPosType FindNext(CEditorController& view, ISettingsStore& store, bool showMessage)
{
    const CSearchSettings settings(store);
    return SearchFromCaret(view, settings.ReadString("Find1"), settings.ReadOptions(), showMessage);
}

// --- settings and histories ------------------------------------------------------

SearchOptionsType CSearchSettings::ReadOptions() const
{
    SearchOptionsType options;
    options.matchCase = store_.ReadInt(kSearchSection, "MatchCase", 0) != 0;
    options.wholeWords = store_.ReadInt(kSearchSection, "WholeWords", 0) != 0;
    options.down = store_.ReadInt(kSearchSection, "Direction", 0) != 0;
    options.subdirectories = store_.ReadInt(kSearchSection, "Subdirectories", 0) != 0;
    return options;
}

std::string CSearchSettings::ReadString(const char* key) const
{
    return store_.ReadString(kSearchSection, key, "");
}

void CSearchSettings::WriteString(const char* key, const std::string& value)
{
    store_.WriteString(kSearchSection, key, value);
}

std::vector<std::string> CSearchSettings::ReadHistory(const char* prefix) const
{
    std::vector<std::string> entries;
    for (int n = 1; n <= kSearchHistorySize; ++n) {
        std::string value = store_.ReadString(kSearchSection, StrFormat("%s%d", prefix, n), "");
        if (!value.empty()) {
            entries.push_back(std::move(value));
        }
    }
    return entries;
}

void CSearchSettings::WriteHistory(const char* prefix, const std::string& value,
                                   const std::vector<std::string>& shown)
{
    store_.WriteString(kSearchSection, StrFormat("%s1", prefix), value);
    int key = 2;
    for (const auto& entry : shown) {
        if (key > kSearchHistorySize) {
            break;
        }
        if (entry != value) {
            store_.WriteString(kSearchSection, StrFormat("%s%d", prefix, key++), entry);
        }
    }
}

void CSearchSettings::WriteOptions(const SearchOptionsType& options, bool withDirection,
                                   bool withSubdirectories)
{
    if (withDirection) {
        store_.WriteInt(kSearchSection, "Direction", options.down ? 1 : 0);
    }
    store_.WriteInt(kSearchSection, "MatchCase", options.matchCase ? 1 : 0);
    store_.WriteInt(kSearchSection, "WholeWords", options.wholeWords ? 1 : 0);
    if (withSubdirectories) {
        store_.WriteInt(kSearchSection, "Subdirectories", options.subdirectories ? 1 : 0);
    }
}

// --- Find dialog ------------------------------------------------------------------

FindDialogStateType PrepareFindDialog(const CEditorController& view, ISettingsStore& store)
{
    const CSearchSettings settings(store);
    FindDialogStateType state;
    state.options = settings.ReadOptions();
    state.text = WordAtCaret(view);
    state.history = settings.ReadHistory("Find");
    if (state.text.empty() && !state.history.empty()) {
        state.highlighted = 0;
    }
    return state;
}

TextPosType RunFindDialog(CEditorController& view, ISettingsStore& store,
                          const FindDialogStateType& state)
{
    CSearchSettings settings(store);
    settings.WriteOptions(state.options, true, false);
    settings.WriteString("LastSearch", state.text);
    settings.WriteHistory("Find", state.text, state.history);
    return SearchFromCaret(view, state.text, state.options, true);
}

// --- Replace dialog -----------------------------------------------------------------

CReplaceSession::CReplaceSession(CEditorController& view, ISettingsStore& store,
                                 IMessageSink* messages)
    : view_(view), store_(store), messages_(messages)
{
    const CSearchSettings settings(store);
    text = settings.ReadString("Find1");
    replacement = settings.ReadString("Replace1");
    options = settings.ReadOptions();
    std::string word = WordAtCaret(view);
    if (!word.empty()) {
        text = std::move(word);
    }
    findHistory_ = settings.ReadHistory("Find");
    replaceHistory_ = settings.ReadHistory("Replace");
    view.SetCaret(view.SelectionEnd());
}

void CReplaceSession::Store()
{
    CSearchSettings settings(store_);
    settings.WriteOptions(options, true, false);
    settings.WriteString("LastSearch", text);
    settings.WriteString("Replace1", replacement);
    if (historiesWritten_) {
        settings.WriteString("Find1", text);
        return;
    }
    historiesWritten_ = true;
    settings.WriteHistory("Find", text, findHistory_);
    settings.WriteHistory("Replace", replacement, replaceHistory_);
}

void CReplaceSession::Finished()
{
    if (messages_ != nullptr) {
        messages_->ShowMessage(kFinished + text, IMessageSink::Severity::kInformation);
    }
}

TextPosType CReplaceSession::FindNextHit()
{
    Store();
    return FindNext(view_, store_, true);
}

void CReplaceSession::Replace()
{
    Store();
    if (!view_.HasSelection()) {
        FindNext(view_, store_, true);
        return;
    }
    view_.ReplaceSelection(replacement);
    FindNext(view_, store_, false);
    if (!view_.HasSelection()) {
        Finished();
    }
}

int CReplaceSession::CountOccurrences() const
{
    const CEditorDoc& doc = view_.Doc();
    int count = 0;
    for (int line = 0; line < doc.LineCount(); ++line) {
        int col = 0;
        while ((col = doc.FindInLine(line, col, text, options.matchCase, options.wholeWords)) >=
               0) {
            ++count;
            col += static_cast<int>(text.size());
        }
    }
    return count;
}

// A replacement that contains the searched text would be found again and
// again, so no more replacements are made than the document held matches
// when it began (plus the selection, which need not be one).
int CReplaceSession::ReplaceAll()
{
    Store();
    TextPosType first = view_.SelectionStart();
    if (!view_.HasSelection()) {
        first = FindNext(view_, store_, true);
    }
    if (!view_.HasSelection() || text.empty()) {
        return 0;
    }
    const CEditorDoc& doc = view_.Doc();
    const TextPosType start = view_.SelectionStart();
    const bool selectionIsHit =
        start.line == view_.SelectionEnd().line &&
        view_.SelectionEnd().col - start.col == static_cast<int>(text.size()) &&
        doc.FindInLine(start.line, start.col, text, options.matchCase, options.wholeWords) ==
            start.col;
    const int bound = CountOccurrences() + (selectionIsHit ? 0 : 1);

    first.col += static_cast<int>(replacement.size()) - static_cast<int>(text.size());
    TextPosType last = kNotFound;
    int replaced = 0;
    while (view_.HasSelection() && !(last == first) && replaced < bound) {
        if (!view_.ReplaceSelection(replacement)) {
            break;
        }
        ++replaced;
        last = FindNext(view_, store_, false);
    }
    Finished();
    return replaced;
}

// --- Find In Files dialog ---------------------------------------------------------------

FindInFilesDialogStateType PrepareFindInFilesDialog(ISettingsStore& store,
                                                    const std::string& currentDir,
                                                    const CEditorController* view,
                                                    const std::string& defaultFindDir)
{
    CSearchSettings settings(store);
    FindInFilesDialogStateType state;
    state.text = settings.ReadString("Find1");
    state.options = settings.ReadOptions();
    state.folder = currentDir;
    if (view != nullptr) {
        std::string word = WordAtCaret(*view);
        if (!word.empty()) {
            state.text = std::move(word);
        }
        settings.WriteString("FileFolder1", defaultFindDir);
    }
    state.findHistory = settings.ReadHistory("Find");
    state.filterHistory = settings.ReadHistory("FileFilter");
    state.folderHistory = settings.ReadHistory("FileFolder");
    if (state.text.empty() && !state.findHistory.empty()) {
        state.text = state.findHistory.front();
    }
    if (!state.filterHistory.empty()) {
        state.filter = state.filterHistory.front();
    }
    if (!state.folderHistory.empty()) {
        state.folder = state.folderHistory.front();
    }
    return state;
}

void SetChosenFolder(FindInFilesDialogStateType& state, const std::string& folder)
{
    state.folder = folder;
    state.folderHistory.insert(state.folderHistory.begin(), folder);
}

void StoreFindInFilesDialog(ISettingsStore& store, const FindInFilesDialogStateType& state)
{
    CSearchSettings settings(store);
    settings.WriteString("LastSearch", state.text);
    settings.WriteOptions(state.options, false, true);
    settings.WriteHistory("Find", state.text, state.findHistory);
    settings.WriteHistory("FileFilter", state.filter, state.filterHistory);
    settings.WriteHistory("FileFolder", state.folder, state.folderHistory);
}
