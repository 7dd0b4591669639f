// Reading sources: opening files, lines, includes.
#include <algorithm>
#include <system_error>

#include "assembler/assembler.h"
#include "assembler/scan_text.h"
#include "common/text_util.h"

namespace fs = std::filesystem;

namespace {

std::string FindFileIgnoringCase(const std::string& path)
{
    std::error_code ec;
    if (fs::exists(path, ec)) {
        return path;
    }
    const fs::path wanted(path);
    fs::path dir = wanted.parent_path();
    if (dir.empty()) {
        dir = ".";
    }
    const std::string name = wanted.filename().string();
    std::vector<fs::path> matches;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (EqualsNoCase(it->path().filename().string(), name)) {
            matches.push_back(it->path());
        }
    }
    if (matches.empty()) {
        return path;
    }
    std::sort(matches.begin(), matches.end());
    return (wanted.parent_path() / matches.front().filename()).string();
}

} // namespace

bool CAssembler::OpenSource(srcmod_type& module, const std::string& path)
{
    const std::string found = FindFileIgnoringCase(path);
    module.moduleIndex = modules_.AddModule(found);
    module.file = std::make_unique<CExtFile>();
    if (!module.file->Open(found)) {
        module.file.reset();
        module.lineValid = false;
        module.lineText.clear();
        ReportMessage("Unable to open include file: " + path, kMessageError);
        return false;
    }
    module.path = found;
    readFiles_.insert(found);
    module.lineNumber = -1;
    AdvanceLineOf(module);
    return true;
}

void CAssembler::AdvanceLineOf(srcmod_type& module)
{
    ++module.lineNumber;
    module.scanPos = 0;
    module.lineValid =
        module.file != nullptr && module.file->ReadLine(module.lineText, kLineLimit, true);
    // A NUL ends the text, as it would in a C string.
    const size_t nul = module.lineText.find('\0');
    if (nul != std::string::npos) {
        module.lineText.erase(nul);
    }
}

void CAssembler::AdvanceLine()
{
    AdvanceLineOf(current_);
}

void CAssembler::CloseAllSources()
{
    includeStack_.clear();
    if (current_.file != nullptr) {
        current_.file->Close();
        current_.file.reset();
    }
    current_.lineValid = false;
}

// --- Includes ----------------------------------------------------------------

std::string CAssembler::ResolveInclude(const std::string& name) const
{
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (!scan::HasPathSeparator(path)) {
        return (sourceDirectory_ / path).string();
    }
    const fs::path candidate(path);
    if (candidate.is_relative()) {
        std::error_code ec;
        const fs::path besideSource = sourceDirectory_ / candidate;
        if (fs::exists(besideSource, ec)) {
            return besideSource.string();
        }
    }
    return path;
}

bool CAssembler::Include(const std::string& name, bool listLine)
{
    if (listLine) {
        ListSourceOnly();
    }
    const std::string path = ResolveInclude(name);
    // A file first met in pass 2 may be one this assembly is writing: reading
    // it would read the output back while it grows.
    if (pass_ == 2 && IsOutputFile(FindFileIgnoringCase(path))) {
        ReportMessage(" Include file is an output of this assembly: " + path, kMessageError);
        return false;
    }
    if (includeStack_.size() >= static_cast<size_t>(kMaxIncludeDepth)) {
        ReportMessage("Unable to open include file: " + path, kMessageError);
        return false;
    }
    // A file that includes itself, directly or through others, never ends.
    const int32_t module = modules_.FindModule(FindFileIgnoringCase(path));
    bool cycle = module >= 0 && module == current_.moduleIndex;
    for (const srcmod_type& parent : includeStack_) {
        cycle = cycle || (module >= 0 && parent.moduleIndex == module);
    }
    if (cycle) {
        ReportMessage(" Include file includes itself: " + path, kMessageError);
        return false;
    }
    srcmod_type child;
    child.path = current_.path;
    if (!OpenSource(child, path)) {
        return false;
    }
    includeStack_.push_back(std::move(current_));
    current_ = std::move(child);
    return true;
}
