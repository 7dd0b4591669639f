#include "app/engines.h"

CEngines::CEngines(const EnginePlatformType& platform)
    : assembler_(output_, simulator_.Code(), simulator_.Modules()),
      monitor_(platform.serialDevice, platform.portCatalog, platform.clock, platform.messages)
{
    simulator_.SetMessageSink(&platform.messages);
    simulator_.SetSymbolResolver(&resolver_);
    assembler_.SetEvents(&events_);
}

BusyStateType CEngines::Busy() const
{
    return ComputeBusyState(&assembler_, &workspaceSimulator_, &findStatus_, &linkControl_);
}

void CEngines::StartAssembly(const std::string& path)
{
    workspaceSimulator_.EndSimulation();
    assembler_.SetOptions(ToAssemblerOptions(options_));
    assembler_.Assemble(path);
}

void CEngines::StartSimulation(const SimulatorSetupType& setup)
{
    workspaceSimulator_.SetSetup(setup);
    simulator_.SetProcessorType(options_.processorType);
    simulator_.SetLastCodeAddress(assembler_.GetStatementAddress());
    simulator_.Start();
}

IdleResultType CEngines::IdleStep(bool autoUpdate)
{
    IdleResultType result;
    if (finder_.IsActive()) {
        const size_t lines = output_.GetLineCount();
        finder_.Step();
        result.outputChanged = output_.GetLineCount() != lines;
        result.moreWork = finder_.IsActive();
    }
    if (assembler_.IsAssembling()) {
        const size_t lines = output_.GetLineCount();
        assembler_.AssembleStep();
        result.outputChanged = result.outputChanged || output_.GetLineCount() != lines;
        result.assemblyEnded = !assembler_.IsAssembling();
        result.moreWork = result.moreWork || !result.assemblyEnded;
    }
    if (simulator_.IsExecuting()) {
        simulator_.ContinueRun();
        const bool executing = simulator_.IsExecuting();
        result.moreWork = result.moreWork || executing;
        const bool quiet =
            !simulator_.SoftBreakHit() && (!autoUpdate || simulator_.RemainingCount() > 0);
        result.showStop = !(executing && quiet);
    }
    return result;
}
