#include "app/busy_state.h"

#include "app/workspace_simulator.h"
#include "assembler/assembler.h"
#include "common/text_util.h"

BusyStateType ComputeBusyState(const CAssembler* assembler, const ISimulationStatus* simulation,
                               const IFindStatus* find, const ILinkControl* link)
{
    BusyStateType busy;
    if (assembler != nullptr) {
        busy.assembling = assembler->IsAssembling();
        busy.assemblyGood = assembler->GetStatementAddress() >= 0 && assembler->GetErrorCount() < 1;
    }
    if (simulation != nullptr) {
        busy.simulating = simulation->IsSimulating();
        busy.running = busy.simulating && simulation->IsExecuting();
    }
    busy.searching = find != nullptr && find->IsSearching();
    busy.linkOpen = link != nullptr && link->IsOpen();
    return busy;
}

std::string GetStatusText(const BusyStateType& busy)
{
    return (busy.running || busy.assembling) ? "\tBusy" : "\tReady";
}

std::string CaretPaneText(int line, int column)
{
    return StrFormat("\tLn %d, Col %d", line, column);
}

std::string OverwritePaneText(bool overwrite)
{
    return overwrite ? "\tOVR" : "\tINS";
}
