#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/ext_file.h"
#include "common/output_text.h"

// File-name filters of Find in Files: "*" matches the rest, "?" one
// character, the rest compares without case; the end of the pattern matches
// even if the name goes on ("a5" matches "a51"); an empty pattern matches all.
bool MatchFilterPart(std::string_view pattern, std::string_view name);
// The filter split at its first "." against the name split the same way.
bool MatchFileFilter(std::string_view filter, std::string_view fileName);
// A whole-name wildcard match without case, as a directory listing selects.
bool MatchWildcard(std::string_view pattern, std::string_view name);

// Searches the files of a folder, and optionally its subfolders breadth
// first, a slice of lines at a time, listing the hits in the output text.
class CFindInFileClass
{
public:
    static constexpr int kLinesPerSlice = 500;
    static constexpr size_t kMaxLine = 1024;
    static constexpr size_t kMaxPattern = 260;

    void Start(const std::string& text, const std::filesystem::path& folder,
               const std::string& filter, COutputText* output, bool matchCase, bool wholeWords,
               bool subdirectories);
    bool IsActive() const { return active_; }
    // One slice: up to 500 lines of the current file.
    void Step();
    int HitCount() const { return hits_; }

private:
    bool ListDirectory(const std::filesystem::path& dir);
    bool NextMatchingFile();
    bool TakeEntry(const std::filesystem::directory_entry& entry);
    bool ReadNextLine(std::string& line);
    bool LineMatches(std::string_view line);
    void Finish();

    bool active_ = false;
    std::string text_;
    std::string filter_;
    bool matchCase_ = false;
    bool wholeWords_ = false;
    bool subdirectories_ = false;
    COutputText* output_ = nullptr;

    // The directory being listed, sorted by name, and the next entry in it.
    std::vector<std::filesystem::directory_entry> entries_;
    size_t nextEntry_ = 0;
    std::vector<std::filesystem::path> directories_;
    size_t nextDirectory_ = 0;

    std::filesystem::path filePath_;
    CExtFile file_;
    int lineNumber_ = 0;
    int hits_ = 0;
    std::string piece_;
    std::string folded_;
};
