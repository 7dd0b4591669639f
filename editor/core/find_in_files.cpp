#include "editor/core/find_in_files.h"

#include <algorithm>
#include <system_error>

#include "common/text_util.h"

namespace fs = std::filesystem;

namespace {

// A line longer than this is searched only this far (its line number stays
// right), so one huge line cannot take all memory.
constexpr size_t kMaxSearchedLine = 1 << 20;

bool IsLetterOrDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool SameNoCase(char a, char b)
{
    return FoldUpper(static_cast<unsigned char>(a)) == FoldUpper(static_cast<unsigned char>(b));
}

std::pair<std::string_view, std::string_view> SplitAtDot(std::string_view name)
{
    const size_t dot = name.find('.');
    if (dot == std::string_view::npos) {
        return {name, {}};
    }
    return {name.substr(0, dot), name.substr(dot + 1)};
}

bool NameLess(const fs::directory_entry& a, const fs::directory_entry& b)
{
    const std::string x = a.path().filename().string();
    const std::string y = b.path().filename().string();
    const int order = CompareNoCase(x, y);
    return order != 0 ? order < 0 : x < y;
}

} // namespace

bool MatchFilterPart(std::string_view pattern, std::string_view name)
{
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '*') {
            return true;
        }
        if (i >= name.size()) {
            return false;
        }
        if (pattern[i] != '?' && !SameNoCase(pattern[i], name[i])) {
            return false;
        }
    }
    return true;
}

bool MatchFileFilter(std::string_view filter, std::string_view fileName)
{
    const auto [basePattern, extPattern] = SplitAtDot(filter);
    const auto [base, ext] = SplitAtDot(fileName);
    return MatchFilterPart(basePattern.substr(0, CFindInFileClass::kMaxPattern), base) &&
           MatchFilterPart(extPattern.substr(0, CFindInFileClass::kMaxPattern), ext);
}

bool MatchWildcard(std::string_view pattern, std::string_view name)
{
    if (pattern.empty() || pattern == "*.*") {
        return true;
    }
    // Iterative glob: remember the last "*" and retry from one further on.
    size_t p = 0;
    size_t n = 0;
    size_t starP = std::string_view::npos;
    size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || SameNoCase(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

void CFindInFileClass::Start(const std::string& text, const fs::path& folder,
                             const std::string& filter, COutputText* output, bool matchCase,
                             bool wholeWords, bool subdirectories)
{
    directories_.clear();
    nextDirectory_ = 0;
    hits_ = 0;
    active_ = false;
    file_.Close();
    matchCase_ = matchCase;
    wholeWords_ = wholeWords;
    subdirectories_ = subdirectories;
    output_ = output;
    // Without match case both sides are compared in upper case.
    text_ = matchCase ? text : ToUpper(text);
    filter_ = filter;
    if (text_.empty() || !ListDirectory(folder) || !NextMatchingFile()) {
        return;
    }
    if (output_ != nullptr) {
        output_->Clear();
    }
    lineNumber_ = 0;
    file_.Open(filePath_);
    active_ = true;
}

bool CFindInFileClass::ListDirectory(const fs::path& dir)
{
    entries_.clear();
    nextEntry_ = 0;
    std::error_code ec;
    fs::directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        entries_.push_back(*it);
    }
    std::sort(entries_.begin(), entries_.end(), NameLess);
    return !entries_.empty();
}

bool CFindInFileClass::TakeEntry(const fs::directory_entry& entry)
{
    std::error_code ec;
    const std::string name = entry.path().filename().string();
    if (subdirectories_ && entry.is_directory(ec) && !entry.is_symlink(ec)) {
        // Links to directories are not followed: they could lead in circles.
        directories_.push_back(entry.path());
        return false;
    }
    if (!entry.is_regular_file(ec)) {
        return false;
    }
    const bool match =
        subdirectories_ ? MatchFileFilter(filter_, name) : MatchWildcard(filter_, name);
    if (match) {
        filePath_ = entry.path();
    }
    return match;
}

bool CFindInFileClass::NextMatchingFile()
{
    while (true) {
        while (nextEntry_ < entries_.size()) {
            if (TakeEntry(entries_[nextEntry_++])) {
                return true;
            }
        }
        if (!subdirectories_ || nextDirectory_ >= directories_.size()) {
            return false;
        }
        ListDirectory(directories_[nextDirectory_++]);
    }
}

bool CFindInFileClass::ReadNextLine(std::string& line)
{
    line.clear();
    bool any = false;
    while (file_.ReadLine(piece_, kMaxLine, true)) {
        any = true;
        const bool lineEnd = !piece_.empty() && piece_.back() == '\r';
        if (lineEnd) {
            piece_.pop_back();
        }
        if (line.size() < kMaxSearchedLine) {
            line.append(piece_, 0, kMaxSearchedLine - line.size());
        }
        if (lineEnd) {
            break;
        }
    }
    return any;
}

bool CFindInFileClass::LineMatches(std::string_view line)
{
    std::string_view hay = line;
    if (!matchCase_) {
        folded_.assign(line);
        for (char& c : folded_) {
            c = static_cast<char>(FoldUpper(static_cast<unsigned char>(c)));
        }
        hay = folded_;
    }
    const size_t n = text_.size();
    // Every occurrence is tried, so "R10,R1" still counts for the word R1.
    for (size_t pos = hay.find(text_); pos != std::string_view::npos;
         pos = hay.find(text_, pos + 1)) {
        if (!wholeWords_ || ((pos == 0 || !IsLetterOrDigit(hay[pos - 1])) &&
                             (pos + n == hay.size() || !IsLetterOrDigit(hay[pos + n])))) {
            return true;
        }
    }
    return false;
}

void CFindInFileClass::Finish()
{
    active_ = false;
    file_.Close();
    if (output_ != nullptr) {
        output_->AddLine(hits_ == 1 ? std::string("1 occurrence has been found.")
                                    : StrFormat("%d occurrences have been found.", hits_));
    }
}

void CFindInFileClass::Step()
{
    if (!active_) {
        return;
    }
    if (!file_.IsOpen()) {
        if (!NextMatchingFile()) {
            Finish();
            return;
        }
        lineNumber_ = 0;
        if (!file_.Open(filePath_)) {
            return; // unreadable: the next slice takes the next file
        }
    }
    std::string line;
    std::string hitLine;
    const std::string path = filePath_.string();
    for (int i = 0; i < kLinesPerSlice; ++i) {
        if (!ReadNextLine(line)) {
            file_.Close();
            return;
        }
        ++lineNumber_;
        if (LineMatches(line)) {
            ++hits_;
            if (output_ != nullptr) {
                // "%s (%d): %s", built directly: hits can run to many thousands.
                hitLine.assign(path).append(" (").append(std::to_string(lineNumber_));
                hitLine.append("): ").append(line, 0, kMaxLine);
                output_->AddLine(hitLine, OutputLocationType{path, lineNumber_ - 1});
            }
        }
    }
    if (file_.AtEnd()) {
        file_.Close();
    }
}
