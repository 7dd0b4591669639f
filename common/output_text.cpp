#include "common/output_text.h"

#include <utility>

void COutputText::Clear()
{
    lines_.clear();
    locations_.clear();
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

void COutputText::AddLine(std::string_view text, OutputLocationType location)
{
    AddLine(text);
    if (location.IsSet()) {
        locations_.resize(lines_.size());
        locations_.back() = std::move(location);
    }
}

const std::string& COutputText::GetLine(size_t index) const
{
    static const std::string kEmpty;
    return index < lines_.size() ? lines_[index] : kEmpty;
}

const OutputLocationType& COutputText::GetLocation(size_t index) const
{
    static const OutputLocationType kNone;
    return index < locations_.size() ? locations_[index] : kNone;
}

bool COutputText::ContainsNoCase(std::string_view text) const
{
    for (; indexed_ < lines_.size(); ++indexed_) {
        index_.emplace(lines_[indexed_]);
    }
    return index_.find(text) != index_.end();
}
