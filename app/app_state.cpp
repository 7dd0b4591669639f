#include "app/app_state.h"

SimulatorSetupType SimulatorSetupFor(const SimulationOptionsType& options)
{
    SimulatorSetupType setup;
    setup.paged8bitAddressing = options.paged8bitAddressing;
    setup.pagedMemory = options.pagedMemory;
    setup.controlAddress = options.controlAddress;
    setup.memoryPages = options.memoryPages;
    setup.processorVariant = options.processorVariant;
    if (options.autoUpdate != 0) {
        // A count below 1 would leave a run chunk that never executes an
        // instruction and redraws every window on every idle call.
        int count = options.updateCount < 1 ? 1 : options.updateCount;
        setup.updateCount = count;
        setup.remainingCount = count;
    }
    return setup;
}
