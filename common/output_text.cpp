#include "common/output_text.h"

void COutputText::Clear()
{
    lines_.clear();
    index_.clear();
    indexed_ = 0;
    longest_ = 0;
    revision_.Raise();
}

void COutputText::AddLine(std::string_view text)
{
    if (lines_.size() == lines_.capacity()) {
        // The index holds views into the lines: rebuild it after they move.
        index_.clear();
        indexed_ = 0;
    }
    lines_.emplace_back(text);
    if (text.size() > longest_) {
        longest_ = text.size();
    }
    revision_.Raise();
}

const std::string& COutputText::GetLine(size_t index) const
{
    static const std::string kEmpty;
    return index < lines_.size() ? lines_[index] : kEmpty;
}

bool COutputText::ContainsNoCase(std::string_view text) const
{
    for (; indexed_ < lines_.size(); ++indexed_) {
        index_.emplace(lines_[indexed_]);
    }
    return index_.find(text) != index_.end();
}
