#pragma once

#include <cstdint>

// The simulated processor as the board monitor writes it: what the board
// reports replaces the simulator's state.
class IMonitorTarget
{
public:
    virtual ~IMonitorTarget() = default;
    // Moves the program counter; the simulation stays halted there.
    virtual void SetPc(uint16_t address) = 0;
    // Internal RAM: 80h-FFh are the upper RAM, not the special function registers.
    virtual void WriteIndirect(uint8_t address, uint8_t value) = 0;
    // The direct space with the side effects of a special function register.
    virtual void WriteDirect(uint8_t address, uint8_t value) = 0;
};

// What the application does for the monitor: the simulation and the windows.
class IMonitorHost
{
public:
    virtual ~IMonitorHost() = default;
    // Resets the processor when a simulation exists, else starts one.
    virtual void ResetOrStartSimulation() = 0;
    virtual void ShowExecutionPoint() = 0;
    virtual void UpdateAllWindows() = 0;
    virtual void RefreshDumpWindow() = 0;
};
