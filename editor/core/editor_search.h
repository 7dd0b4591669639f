#pragma once

#include <string>
#include <vector>

#include "common/message_sink.h"
#include "common/settings_keys.h"
#include "editor/core/editor_controller.h"

// Find, Replace and Find in Files share one history and one set of options
// in the Search section of the settings (common/settings_keys.h).
inline constexpr int kSearchHistorySize = 16;
inline constexpr size_t kMaxWordAtCaret = 78;
inline constexpr TextPosType kNotFound{-1, -1};

struct SearchOptionsType
{
    bool matchCase = false;
    bool wholeWords = false;
    bool down = false; // "Direction": 0 up, 1 down
    bool subdirectories = false;
};

// The word the search dialogs propose: at most 78 characters, maybe empty.
std::string WordAtCaret(const CEditorController& view);

// Searches the view's document from the caret with the stored Find1 and
// options; a hit becomes the selection with the caret at its end.
TextPosType FindNext(CEditorController& view, ISettingsStore& store, bool showMessage);

class CSearchSettings
{
public:
    explicit CSearchSettings(ISettingsStore& store) : store_(store) {}

    SearchOptionsType ReadOptions() const;
    // Entry 1 of a history: the text last used.
    std::string ReadFirst(const char* prefix) const;
    // The values of prefix1..prefix16, empty ones skipped.
    std::vector<std::string> ReadHistory(const char* prefix) const;
    // prefix1 becomes value; the shown entries that differ from it follow from
    // key 2 on, at most 15; keys after the last one written keep their values.
    void WriteHistory(const char* prefix, const std::string& value,
                      const std::vector<std::string>& shown);
    void WriteOptions(const SearchOptionsType& options, bool withDirection,
                      bool withSubdirectories);
    void WriteFirst(const char* prefix, const std::string& value);
    void WriteLastSearch(const std::string& text);

private:
    ISettingsStore& store_;
};

// The Find dialog without its widgets.
struct FindDialogStateType
{
    std::string text;
    SearchOptionsType options;
    std::vector<std::string> history;
    int highlighted = -1; // history entry highlighted on showing
};
FindDialogStateType PrepareFindDialog(const CEditorController& view, ISettingsStore& store);
// "Find Next": stores the choices and history, then searches from the caret.
TextPosType RunFindDialog(CEditorController& view, ISettingsStore& store,
                          const FindDialogStateType& state);

// One run of the Replace dialog.
class CReplaceSession
{
public:
    CReplaceSession(CEditorController& view, ISettingsStore& store, IMessageSink* messages);

    std::string text;
    std::string replacement;
    SearchOptionsType options;
    const std::vector<std::string>& FindHistory() const { return findHistory_; }
    const std::vector<std::string>& ReplaceHistory() const { return replaceHistory_; }

    TextPosType FindNextHit();
    void Replace();
    // Returns the number of replacements made.
    int ReplaceAll();

private:
    void Store();
    int CountOccurrences() const;
    void Finished();

    CEditorController& view_;
    ISettingsStore& store_;
    IMessageSink* messages_;
    std::vector<std::string> findHistory_;
    std::vector<std::string> replaceHistory_;
    bool historiesWritten_ = false;
};

// The Find In Files dialog without its widgets.
struct FindInFilesDialogStateType
{
    std::string text;
    std::string filter;
    std::string folder;
    SearchOptionsType options;
    std::vector<std::string> findHistory;
    std::vector<std::string> filterHistory;
    std::vector<std::string> folderHistory;
};
// view is null when the command does not come from a source window;
// defaultFindDir is the workspace's default find directory.
FindInFilesDialogStateType PrepareFindInFilesDialog(ISettingsStore& store,
                                                    const std::string& currentDir,
                                                    const CEditorController* view,
                                                    const std::string& defaultFindDir);
// The folder picked with "&...": it becomes the folder and the top of the
// folder history.
void SetChosenFolder(FindInFilesDialogStateType& state, const std::string& folder);
void StoreFindInFilesDialog(ISettingsStore& store, const FindInFilesDialogStateType& state);
