#include "common/output_text.h"

void COutputText::Clear()
{
    lines_.clear();
    index_.clear();
    longest_ = 0;
}

void COutputText::AddLine(std::string_view text)
{
    lines_.emplace_back(text);
    index_.emplace(text);
    if (text.size() > longest_) {
        longest_ = text.size();
    }
}

const std::string& COutputText::GetLine(size_t index) const
{
    static const std::string kEmpty;
    return index < lines_.size() ? lines_[index] : kEmpty;
}

bool COutputText::ContainsNoCase(std::string_view text) const
{
    return index_.find(text) != index_.end();
}
