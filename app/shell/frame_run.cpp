// Assembly and simulation commands, and the idle handler that advances the
// find engine, the assembler and a running simulation one slice at a time.
#include <chrono>

#include "app/engines.h"
#include "app/shell/child_frame.h"
#include "app/shell/main_frame.h"
#include "app/shell/shell_services.h"
#include "app/shell/view_factory.h"
#include "app/source_document.h"

namespace {

constexpr const char* kReportFilter = "Report Files (*.rep)|*.rep|All Files (*.*)|*.*||";

// Slices run back to back within this budget before events are looked at
// again: long enough that the event loop costs little of a run, short
// enough that Break and the window stay immediate.
constexpr auto kIdleBudget = std::chrono::milliseconds(8);

} // namespace

void CMainFrame::Assemble(const std::string& path)
{
    if (path.empty()) {
        return;
    }
    engines_.StartAssembly(path);
    UpdateAllWindows();
    LogEvent("assembling " + path);
}

void CMainFrame::StartSimulation()
{
    engines_.StartSimulation(SimulatorSetupFor(model_.State().simulation));
    ShowExecutionPoint();
    UpdateAllWindows();
}

void CMainFrame::RunCommand(int id)
{
    CSimulator& simulator = engines_.Simulator();
    // Continue and the steps start a simulation first when none is loaded.
    const auto startIfIdle = [&] {
        if (!simulator.IsRunning()) {
            StartSimulation();
        }
    };
    // After a command that may leave the simulation halted.
    const auto showIfHalted = [&] {
        if (!simulator.IsExecuting()) {
            ShowExecutionPoint();
            UpdateAllWindows();
        }
    };
    switch (id) {
    case cmd::kAssemble:
    case cmd::kBuild: {
        // The simulator must never run an image older than the sources.
        CChildFrame* active = ActiveChild();
        CSourceDocument* document = active != nullptr ? active->Document() : nullptr;
        if (id == cmd::kAssemble && document == nullptr) {
            break;
        }
        engines_.WorkspaceSimulator().EndSimulation();
        if (SaveModifiedSources()) {
            Assemble(id == cmd::kAssemble ? document->Path() : model_.State().projectPath);
        }
        break;
    }
    case cmd::kStopAssembly:
        engines_.Assembler().FinishAssembly();
        UpdateAllWindows();
        break;
    case cmd::kStartSimulator:
        StartSimulation();
        break;
    case cmd::kRestart:
        simulator.Stop();
        StartSimulation();
        break;
    case cmd::kStopSimulator:
        simulator.Stop();
        UpdateAllWindows();
        LogEvent("simulation ended");
        break;
    case cmd::kContinue:
        startIfIdle();
        simulator.Continue();
        showIfHalted();
        break;
    case cmd::kBreak:
        simulator.Break();
        break;
    case cmd::kStepInto:
        startIfIdle();
        simulator.StepInto();
        showIfHalted();
        break;
    case cmd::kStepOver:
        startIfIdle();
        simulator.StepOver();
        showIfHalted();
        break;
    case cmd::kStepOut:
        simulator.StepOut();
        showIfHalted();
        break;
    case cmd::kRunToCursor:
    case cmd::kToggleBreakPoint:
    case cmd::kSoftBreak:
    case cmd::kRemoveAllBreakPoints:
    case cmd::kAddWatch:
        SourceLineCommand(id);
        break;
    case cmd::kResetCoverage:
        simulator.ResetCoverage();
        UpdateAllWindows();
        break;
    case cmd::kShowCoverage:
        model_.ToggleCoverageDisplay();
        UpdateAllWindows();
        break;
    case cmd::kCoverageReport:
        CoverageReport();
        break;
    default:
        break;
    }
}

void CMainFrame::SourceLineCommand(int id)
{
    CChildFrame* active = ActiveChild();
    if (active == nullptr || active->Document() == nullptr || active->View() == nullptr) {
        return;
    }
    IDocumentView& view = *active->View();
    CSimulator& simulator = engines_.Simulator();
    const std::string path = active->Document()->Path();
    const int line = view.CaretPlace() ? view.CaretPlace()->first - 1 : 0;
    switch (id) {
    case cmd::kRunToCursor:
        simulator.RunToCursor(path, line);
        if (!simulator.IsExecuting()) {
            ShowExecutionPoint();
            UpdateAllWindows();
        }
        break;
    case cmd::kToggleBreakPoint:
    case cmd::kSoftBreak:
        simulator.ToggleBreakpoint(path, line, id == cmd::kSoftBreak ? kSoftBreak : kBreakPoint);
        LogEvent("breakpoints " + std::to_string(simulator.Breakpoints().size()));
        UpdateAllWindows();
        break;
    case cmd::kRemoveAllBreakPoints:
        simulator.RemoveAllBreakpoints();
        UpdateAllWindows();
        break;
    case cmd::kAddWatch:
        AddWatchFromSource(*this, view.CaretWord(), this);
        break;
    default:
        break;
    }
}

void CMainFrame::CoverageReport()
{
    auto name = dialogs_.SaveFileName("Create Coverage Report",
                                      model_.WorkspaceDirectory().string(), kReportFilter, "rep");
    if (name && !name->empty()) {
        engines_.Simulator().CreateCoverageReport(*name);
    }
}

bool CMainFrame::IdleWorkPending() const
{
    const BusyStateType busy = engines_.Busy();
    return busy.assembling || busy.searching || engines_.Simulator().IsExecuting();
}

void CMainFrame::KickIdle()
{
    if (!closing_ && !inIdle_ && IdleWorkPending() && !idleTimer_.isActive()) {
        idleTimer_.start();
    }
}

void CMainFrame::OnIdle()
{
    if (inIdle_) {
        return;
    }
    inIdle_ = true;
    idleTimer_.stop();
    const bool autoUpdate = model_.State().simulation.autoUpdate != 0;
    const auto start = std::chrono::steady_clock::now();
    IdleResultType result;
    // One slice per call of IdleStep; calls follow each other within the
    // budget while nothing needs to be shown.
    do {
        result = engines_.IdleStep(autoUpdate);
    } while (result.moreWork && !result.outputChanged && !result.showStop &&
             !result.assemblyEnded && std::chrono::steady_clock::now() - start < kIdleBudget);
    if (result.outputChanged) {
        RefreshOutputWindow();
    }
    if (result.assemblyEnded) {
        const COutputText& output = engines_.Output();
        LogEvent("assembled " +
                 (output.GetLineCount() > 0 ? output.GetLine(output.GetLineCount() - 1) : ""));
        UpdateAllWindows();
    }
    if (result.showStop) {
        ShowExecutionPoint();
        UpdateAllWindows();
    }
    inIdle_ = false;
    // Commands given while a message box was open may have left work too.
    if ((result.moreWork || IdleWorkPending()) && !closing_) {
        idleTimer_.start();
    }
    if (!(engines_.Busy() == lastBusy_)) {
        UpdateActions();
        UpdateStatusPanes();
    }
}

void CMainFrame::OnMonitorTimer()
{
    if (engines_.Busy().linkOpen) {
        PollBoardLink(*this);
    }
}
