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
    return SearchFromCaret(view, settings.ReadFirst(settings::kFindHistory), settings.ReadOptions(),
                           showMessage);
}

// --- settings and histories ------------------------------------------------------

SearchOptionsType CSearchSettings::ReadOptions() const
{
    SearchOptionsType options;
    options.matchCase = ReadSetting(store_, settings::kMatchCase) != 0;
    options.wholeWords = ReadSetting(store_, settings::kWholeWords) != 0;
    options.down = ReadSetting(store_, settings::kDirection) != 0;
    options.subdirectories = ReadSetting(store_, settings::kSubdirectories) != 0;
    return options;
}

std::string CSearchSettings::ReadFirst(const char* prefix) const
{
    return store_.ReadString(settings::kSearch, StrFormat("%s1", prefix), "");
}

void CSearchSettings::WriteFirst(const char* prefix, const std::string& value)
{
    store_.WriteString(settings::kSearch, StrFormat("%s1", prefix), value);
}

void CSearchSettings::WriteLastSearch(const std::string& text)
{
    WriteSetting(store_, settings::kLastSearch, text);
}

std::vector<std::string> CSearchSettings::ReadHistory(const char* prefix) const
{
    std::vector<std::string> entries;
    for (int n = 1; n <= kSearchHistorySize; ++n) {
        std::string value = store_.ReadString(settings::kSearch, StrFormat("%s%d", prefix, n), "");
        if (!value.empty()) {
            entries.push_back(std::move(value));
        }
    }
    return entries;
}

void CSearchSettings::WriteHistory(const char* prefix, const std::string& value,
                                   const std::vector<std::string>& shown)
{
    WriteFirst(prefix, value);
    int key = 2;
    for (const auto& entry : shown) {
        if (key > kSearchHistorySize) {
            break;
        }
        if (entry != value) {
            store_.WriteString(settings::kSearch, StrFormat("%s%d", prefix, key++), entry);
        }
    }
}

void CSearchSettings::WriteOptions(const SearchOptionsType& options, bool withDirection,
                                   bool withSubdirectories)
{
    if (withDirection) {
        WriteSetting(store_, settings::kDirection, options.down ? 1 : 0);
    }
    WriteSetting(store_, settings::kMatchCase, options.matchCase ? 1 : 0);
    WriteSetting(store_, settings::kWholeWords, options.wholeWords ? 1 : 0);
    if (withSubdirectories) {
        WriteSetting(store_, settings::kSubdirectories, options.subdirectories ? 1 : 0);
    }
}

// --- Find dialog ------------------------------------------------------------------

FindDialogStateType PrepareFindDialog(const CEditorController& view, ISettingsStore& store)
{
    const CSearchSettings settings(store);
    FindDialogStateType state;
    state.options = settings.ReadOptions();
    state.text = WordAtCaret(view);
    state.history = settings.ReadHistory(settings::kFindHistory);
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
    settings.WriteLastSearch(state.text);
    settings.WriteHistory(settings::kFindHistory, state.text, state.history);
    return SearchFromCaret(view, state.text, state.options, true);
}

// --- Replace dialog -----------------------------------------------------------------

CReplaceSession::CReplaceSession(CEditorController& view, ISettingsStore& store,
                                 IMessageSink* messages)
    : view_(view), store_(store), messages_(messages)
{
    const CSearchSettings settings(store);
    text = settings.ReadFirst(settings::kFindHistory);
    replacement = settings.ReadFirst(settings::kReplaceHistory);
    options = settings.ReadOptions();
    std::string word = WordAtCaret(view);
    if (!word.empty()) {
        text = std::move(word);
    }
    findHistory_ = settings.ReadHistory(settings::kFindHistory);
    replaceHistory_ = settings.ReadHistory(settings::kReplaceHistory);
    view.SetCaret(view.SelectionEnd());
}

void CReplaceSession::Store()
{
    CSearchSettings settings(store_);
    settings.WriteOptions(options, true, false);
    settings.WriteLastSearch(text);
    settings.WriteFirst(settings::kReplaceHistory, replacement);
    if (historiesWritten_) {
        settings.WriteFirst(settings::kFindHistory, text);
        return;
    }
    historiesWritten_ = true;
    settings.WriteHistory(settings::kFindHistory, text, findHistory_);
    settings.WriteHistory(settings::kReplaceHistory, replacement, replaceHistory_);
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
    state.text = settings.ReadFirst(settings::kFindHistory);
    state.options = settings.ReadOptions();
    state.folder = currentDir;
    if (view != nullptr) {
        std::string word = WordAtCaret(*view);
        if (!word.empty()) {
            state.text = std::move(word);
        }
        settings.WriteFirst(settings::kFileFolderHistory, defaultFindDir);
    }
    state.findHistory = settings.ReadHistory(settings::kFindHistory);
    state.filterHistory = settings.ReadHistory(settings::kFileFilterHistory);
    state.folderHistory = settings.ReadHistory(settings::kFileFolderHistory);
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
    settings.WriteLastSearch(state.text);
    settings.WriteOptions(state.options, false, true);
    settings.WriteHistory(settings::kFindHistory, state.text, state.findHistory);
    settings.WriteHistory(settings::kFileFilterHistory, state.filter, state.filterHistory);
    settings.WriteHistory(settings::kFileFolderHistory, state.folder, state.folderHistory);
}
