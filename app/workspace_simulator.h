#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/app_state.h"

// The simulation's run state, for the busy conditions.
class ISimulationStatus
{
public:
    virtual ~ISimulationStatus() = default;
    // A simulation is loaded (between Start and Stop).
    virtual bool IsSimulating() const = 0;
    // A simulation is loaded and executing (its stop target is not the PC).
    virtual bool IsExecuting() const = 0;
};

// What workspaces hand to the simulator and take from it. The application
// wires the simulator to it through an adapter.
class IWorkspaceSimulator : public ISimulationStatus
{
public:
    // The application keeps the options (AppStateType::simulation) and
    // hands them over whole; the simulator never changes them on its own.
    virtual void SetSetup(const SimulatorSetupType& setup) = 0;
    // Ends a loaded simulation; nothing when none is loaded.
    virtual void EndSimulation() = 0;

    // Virtual buttons: the values of the "VirtButton=" lines.
    virtual void ClearButtons() = 0;
    virtual void LoadButton(const std::string& value) = 0;
    // One value per button whose window exists, in creation order.
    virtual std::vector<std::string> ButtonValues() const = 0;

    virtual void ReadWatchFile(const std::filesystem::path& file) = 0;
    virtual void WriteWatchFile(const std::filesystem::path& file) = 0;
};
