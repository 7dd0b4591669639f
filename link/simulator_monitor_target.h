#pragma once

#include "link/monitor_target.h"
#include "simulator/simulator.h"

// The board monitor's writes, applied to the simulation: what the board
// reports becomes the simulated processor's state.
class CSimulatorMonitorTarget : public IMonitorTarget
{
public:
    explicit CSimulatorMonitorTarget(CSimulator& simulator) : simulator_(simulator) {}

    // Through the run control, so the simulation halts at the new PC.
    void SetPc(uint16_t address) override { simulator_.SetPc(address); }
    // Written from outside the simulation: the views learn of it through the revision.
    void WriteIndirect(uint8_t address, uint8_t value) override
    {
        simulator_.Processor().WriteIndirect(address, value);
        simulator_.MarkChanged();
    }
    void WriteDirect(uint8_t address, uint8_t value) override
    {
        simulator_.Processor().WriteDirect(address, value);
        simulator_.MarkChanged();
    }

private:
    CSimulator& simulator_;
};
