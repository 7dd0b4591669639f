#pragma once

#include <string>

#include "app/recent_list.h"
#include "common/settings_keys.h"

// The simulator's memory and update options as a workspace carries them.
struct SimulationOptionsType
{
    int paged8bitAddressing = 0;
    int pagedMemory = 0;
    int controlAddress = 0;
    int memoryPages = 1; // index: 1, 2, 4, 8 or 16 pages of 64 KB
    int processorVariant = 0;
    int autoUpdate = 0;
    int updateCount = 10000;
    bool operator==(const SimulationOptionsType&) const = default;
};

inline constexpr int kMaxMemoryPagesIndex = 4;
inline constexpr int kManualUpdateCount = 10000;

// What the simulator is handed before a simulation starts and after a
// workspace load: both update counts follow the update count only while
// automatic updating is on.
struct SimulatorSetupType
{
    int paged8bitAddressing = 0;
    int pagedMemory = 0;
    int controlAddress = 0;
    int memoryPages = 1;
    int processorVariant = 0;
    int updateCount = kManualUpdateCount;
    int remainingCount = kManualUpdateCount;
};

SimulatorSetupType SimulatorSetupFor(const SimulationOptionsType& options);

// The application's own state besides GlobalOptions.
struct AppStateType
{
    CRecentList recentFiles{settings::kRecentFileKey};
    CRecentList recentWorkspaces{settings::kRecentWorkspaceKey};
    std::string workspacePath;
    bool defaultWorkspace = false;
    std::string projectPath;
    std::string defaultFindDir;
    bool workspaceLoading = false;
    bool coverageState = false;
    int sectorSize = 64;
    int loaderType = 0;
    SimulationOptionsType simulation;
    // Editor insert/overwrite, one for the whole application.
    bool overwriteMode = false;
};
