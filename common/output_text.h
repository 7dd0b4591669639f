#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "common/revision.h"
#include "common/text_util.h"

// The output window's line store: assembler and find-in-files messages.
class COutputText
{
public:
    void Clear();
    void AddLine(const char* text) { AddLine(std::string_view(text)); }
    void AddLine(const std::string& text) { AddLine(std::string_view(text)); }
    void AddLine(std::string_view text);

    size_t GetLineCount() const { return lines_.size(); }
    // Empty for an index out of range.
    const std::string& GetLine(size_t index) const;
    size_t GetLongestLength() const { return longest_; }

    // True when a line equal to text, ignoring case, has been added since the
    // last Clear. Backed by an index built on first use, so the assembler's
    // repeat check stays cheap and writers that never ask pay nothing.
    bool ContainsNoCase(std::string_view text) const;

    const CRevision& Revision() const { return revision_; }

private:
    std::vector<std::string> lines_;
    mutable std::unordered_set<std::string_view, NoCaseHash, NoCaseEqual> index_;
    mutable size_t indexed_ = 0; // lines_[0, indexed_) are in index_
    size_t longest_ = 0;
    CRevision revision_;
};
