#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "common/revision.h"
#include "common/text_util.h"

// The place an output line names: a file and a line in it. The line is
// 0-based, as the editor opens files; the message text shows it 1-based.
struct OutputLocationType
{
    std::string path; // empty: the line names no place
    int32_t line = -1;

    bool IsSet() const { return !path.empty() && line >= 0; }
    bool operator==(const OutputLocationType&) const = default;
};

// The output window's line store: assembler and find-in-files messages. A
// line may keep the location it names, so that going to a message never
// has to read the place back out of its text.
class COutputText
{
public:
    void Clear();
    void AddLine(const char* text) { AddLine(std::string_view(text)); }
    void AddLine(const std::string& text) { AddLine(std::string_view(text)); }
    void AddLine(std::string_view text);
    void AddLine(std::string_view text, OutputLocationType location);

    size_t GetLineCount() const { return lines_.size(); }
    // Empty for an index out of range.
    const std::string& GetLine(size_t index) const;
    // Not set for a line without a location or an index out of range.
    const OutputLocationType& GetLocation(size_t index) const;
    size_t GetLongestLength() const { return longest_; }

    // True when a line equal to text, ignoring case, has been added since the
    // last Clear. Backed by an index built on first use, so the assembler's
    // repeat check stays cheap and writers that never ask pay nothing.
    bool ContainsNoCase(std::string_view text) const;

    const CRevision& Revision() const { return revision_; }

private:
    std::vector<std::string> lines_;
    // Locations by line index; shorter than lines_ when the last lines have none.
    std::vector<OutputLocationType> locations_;
    mutable std::unordered_set<std::string_view, NoCaseHash, NoCaseEqual> index_;
    mutable size_t indexed_ = 0; // lines_[0, indexed_) are in index_
    size_t longest_ = 0;
    CRevision revision_;
};
