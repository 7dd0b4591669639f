#pragma once

#include "app/workspace_simulator.h"
#include "simulator/simulator.h"

// The simulation as the workspace sees it: options pushed in, buttons and
// watches loaded and saved.
class CSimulatorWorkspace : public IWorkspaceSimulator
{
public:
    explicit CSimulatorWorkspace(CSimulator& simulator) : simulator_(simulator) {}

    bool IsSimulating() const override { return simulator_.IsRunning(); }
    bool IsExecuting() const override { return simulator_.IsExecuting(); }

    void SetSetup(const SimulatorSetupType& setup) override;
    void EndSimulation() override;

    void ClearButtons() override { simulator_.Buttons().ClearButtons(); }
    void LoadButton(const std::string& value) override { simulator_.Buttons().LoadButton(value); }
    std::vector<std::string> ButtonValues() const override
    {
        return simulator_.Buttons().WorkspaceValues();
    }

    void ReadWatchFile(const std::filesystem::path& file) override
    {
        simulator_.Watches().LoadWatches(file);
    }
    void WriteWatchFile(const std::filesystem::path& file) override
    {
        simulator_.Watches().SaveWatches(file);
    }

private:
    CSimulator& simulator_;
};
