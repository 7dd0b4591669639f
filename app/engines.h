#pragma once

#include <string>

#include "app/busy_state.h"
#include "app/engine_status.h"
#include "app/global_options.h"
#include "app/simulator_workspace.h"
#include "assembler/asm_symbol_resolver.h"
#include "assembler/assembler.h"
#include "common/message_sink.h"
#include "common/output_text.h"
#include "common/tick_source.h"
#include "editor/core/find_in_files.h"
#include "link/monitor.h"
#include "simulator/simulator.h"
#include "simulator/simulator_events.h"

// What the engines need from the platform they run on.
struct EnginePlatformType
{
    IMessageSink& messages;
    ISerialDevice& serialDevice;
    IPortCatalog& portCatalog;
    ITickSource& clock;
};

// What one idle step did, for the shell to redraw.
struct IdleResultType
{
    bool moreWork = false;      // call again before waiting for events
    bool outputChanged = false; // the number of output lines changed
    // The simulation stopped, hit a soft break or used up its update count:
    // show the execution point and redraw every window.
    bool showStop = false;
    bool assemblyEnded = false; // the last slice of an assembly ran
};

// The composition root of the application and the tools: one instance of
// each long-lived engine, wired to the others once. The assembler refers to
// the output text and to the simulator's code memory, so those two are built
// before it and destroyed after it; the rest follows the order assembler,
// find engine, monitor, options.
class CEngines
{
public:
    explicit CEngines(const EnginePlatformType& platform);
    CEngines(const CEngines&) = delete;
    CEngines& operator=(const CEngines&) = delete;

    COutputText& Output() { return output_; }
    CSimulator& Simulator() { return simulator_; }
    const CSimulator& Simulator() const { return simulator_; }
    CAssembler& Assembler() { return assembler_; }
    const CAssembler& Assembler() const { return assembler_; }
    CAsmSymbolResolver& Resolver() { return resolver_; }
    CFindInFileClass& Finder() { return finder_; }
    CMonitor& Monitor() { return monitor_; }
    GlobalOptions& Options() { return options_; }
    const GlobalOptions& Options() const { return options_; }

    // The adapters the application model works through.
    IWorkspaceSimulator& WorkspaceSimulator() { return workspaceSimulator_; }
    ILinkControl& LinkControl() { return linkControl_; }

    BusyStateType Busy() const;

    // Assemble and Build: a loaded simulation ends first, so the simulator
    // never runs an image older than the sources; then the assembler starts
    // with the Generate flags, tab width and processor type of the options.
    void StartAssembly(const std::string& path);
    // Start Simulator: the setup of the options, the processor type, the end
    // of the last assembly's code, then a reset processor halted at 0000h.
    void StartSimulation(const SimulatorSetupType& setup);

    // One call of the idle handler: one slice of the find engine, then of the
    // assembler, then of the running simulation. autoUpdate is the
    // application's setting: with it off, a run redraws only when it stops.
    IdleResultType IdleStep(bool autoUpdate);

private:
    COutputText output_;
    CSimulator simulator_;
    CAssembler assembler_;
    CFindInFileClass finder_;
    CMonitor monitor_;
    GlobalOptions options_;

    CAsmSymbolResolver resolver_{assembler_};
    CSimulatorEvents events_{simulator_};
    CSimulatorWorkspace workspaceSimulator_{simulator_};
    CLinkControl linkControl_{monitor_};
    CFindStatus findStatus_{finder_};
};
