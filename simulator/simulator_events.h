#pragma once

#include "simulator/assembler_link.h"
#include "simulator/simulator.h"

#include <functional>
#include <utility>

// Lets the assembler reach the simulation: the application hands this to
// the assembler as its IAssemblerEvents.
class CSimulatorEvents : public IAssemblerEvents
{
public:
    explicit CSimulatorEvents(CSimulator& simulator, std::function<void()> symbolsChanged = {})
        : simulator_(simulator), symbolsChanged_(std::move(symbolsChanged))
    {}

    void ResetProcessor() override { simulator_.Processor().ResetProcessor(); }
    void SetMonitorBreakAddress(bool used, uint16_t address) override
    {
        simulator_.Processor().SetMonitorBreakAddress(used, address);
    }
    void SymbolsChanged() override
    {
        simulator_.Watches().InvalidateWatchLocations();
        simulator_.Buttons().EvaluateAddresses();
        if (symbolsChanged_) {
            symbolsChanged_();
        }
    }

private:
    CSimulator& simulator_;
    std::function<void()> symbolsChanged_;
};
