#include "app/simulator_workspace.h"

void CSimulatorWorkspace::SetSetup(const SimulatorSetupType& setup)
{
    const auto variant =
        setup.processorVariant == 1 ? ProcessorVariant::kAduc84x : ProcessorVariant::kStandard;
    simulator_.SetOptions(setup.paged8bitAddressing != 0, setup.pagedMemory != 0,
                          setup.controlAddress, setup.memoryPages, variant, setup.updateCount);
    // The setup already holds the chunk the settings chose (10000 without
    // automatic updating), so the simulation takes it as it is.
    simulator_.SetAutoUpdate(true, setup.updateCount);
}

void CSimulatorWorkspace::EndSimulation()
{
    if (simulator_.IsRunning()) {
        simulator_.Stop();
    }
}
