#include "editor/ui/source_marks.h"

#include <filesystem>
#include <string_view>

#include "app/engines.h"
#include "common/text_util.h"

namespace {

// The assembler's message lines begin with their kind; find-in-files hits,
// which also name a place, begin with the path.
constexpr std::string_view kErrorPrefix = "Error: ";
constexpr std::string_view kWarningPrefix = "Warning: ";

int MessageKind(std::string_view text)
{
    if (text.starts_with(kErrorPrefix)) {
        return 2;
    }
    return text.starts_with(kWarningPrefix) ? 1 : 0;
}

} // namespace

bool SameSourcePath(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty()) {
        return false;
    }
    if (EqualsNoCase(a, b)) {
        return true;
    }
    return EqualsNoCase(std::filesystem::path(a).lexically_normal().string(),
                        std::filesystem::path(b).lexically_normal().string());
}

bool CSourceMarks::Update(CEngines& engines, const std::string& path, bool coverageDisplay)
{
    const bool pathChanged = path != path_;
    const bool simulatorChanged = simulatorSeen_.Update(engines.Simulator().Revision());
    const bool outputChanged = outputSeen_.Update(engines.Output().Revision());
    const bool coverageChanged = coverageDisplay != coverage_;
    if (pathChanged) {
        path_ = path;
        messages_.clear();
    }
    coverage_ = coverageDisplay;
    if (!(pathChanged || simulatorChanged || outputChanged || coverageChanged)) {
        return false;
    }
    module_ = path_.empty() ? -1 : engines.Simulator().Modules().FindModule(path_);
    if (pathChanged || outputChanged) {
        ReadMessages(engines);
    }
    if (coverage_) {
        ReadCoverage(engines);
    } else {
        executed_.clear();
    }
    return true;
}

// Marks go when an assembly starts, and come with its messages. A find in
// files that replaced the output since leaves them as they were.
void CSourceMarks::ReadMessages(CEngines& engines)
{
    const CAssembler& assembler = engines.Assembler();
    if (assembler.IsAssembling() || path_.empty()) {
        messages_.clear();
        return;
    }
    const COutputText& output = engines.Output();
    std::map<int, MessageType> found;
    bool anyMessage = false;
    for (size_t i = 0; i < output.GetLineCount(); ++i) {
        const OutputLocationType& place = output.GetLocation(i);
        if (!place.IsSet()) {
            continue;
        }
        const std::string& text = output.GetLine(i);
        const int kind = MessageKind(text);
        if (kind == 0) {
            continue;
        }
        anyMessage = true;
        if (!SameSourcePath(place.path, path_)) {
            continue;
        }
        MessageType& mark = found[place.line];
        mark.kind = std::max(mark.kind, kind);
        if (!mark.text.empty()) {
            mark.text += '\n';
        }
        mark.text += text;
    }
    if (anyMessage || assembler.GetErrorCount() + assembler.GetWarningCount() == 0) {
        messages_ = std::move(found);
    }
}

void CSourceMarks::ReadCoverage(const CEngines& engines)
{
    executed_.clear();
    if (module_ < 0) {
        return;
    }
    const CCodeMemory& code = engines.Simulator().Code();
    for (int32_t address = 0; address < CCodeMemory::kSize; ++address) {
        const auto at = static_cast<uint32_t>(address);
        if (code.ModuleOfAddress(at) != module_) {
            continue;
        }
        const int32_t line = code.LineOfAddress(at);
        if (line < 0) {
            continue;
        }
        if (static_cast<size_t>(line) >= executed_.size()) {
            executed_.resize(static_cast<size_t>(line) + 1, 0);
        }
        uint8_t& state = executed_[static_cast<size_t>(line)];
        state = std::max<uint8_t>(state, code.ExecutionCount(at) > 0 ? 2 : 1);
    }
}

GutterMarksType CSourceMarks::At(const CEngines& engines, int line) const
{
    GutterMarksType marks;
    const CSimulator& simulator = engines.Simulator();
    if (module_ >= 0 && simulator.IsRunning()) {
        marks.breakPoint = simulator.FindBreakpoint(module_, line, kBreakPoint) >= 0;
        marks.softBreak = simulator.FindBreakpoint(module_, line, kSoftBreak) >= 0;
        marks.executionPoint = simulator.PcModule() == module_ && simulator.PcLine() == line;
    }
    const auto message = messages_.find(line);
    if (message != messages_.end()) {
        marks.message = message->second.kind;
    }
    marks.notExecuted = line >= 0 && static_cast<size_t>(line) < executed_.size() &&
                        executed_[static_cast<size_t>(line)] == 1;
    return marks;
}

std::string CSourceMarks::MessagesAt(int line) const
{
    const auto message = messages_.find(line);
    return message == messages_.end() ? std::string() : message->second.text;
}
