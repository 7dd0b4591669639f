#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/busy_state.h"
#include "app/shell_fakes.h"
#include "app/workspace_simulator.h"
#include "common/message_sink.h"
#include "scratch_dir.h"

class CFakeSimulator : public IWorkspaceSimulator
{
public:
    bool IsSimulating() const override { return simulating; }
    bool IsExecuting() const override { return executing; }
    void SetSetup(const SimulatorSetupType& value) override
    {
        setup = value;
        ++setupCalls;
    }
    void EndSimulation() override
    {
        simulating = false;
        executing = false;
        ++endCalls;
    }
    void ClearButtons() override { buttons.clear(); }
    void LoadButton(const std::string& value) override { buttons.push_back(value); }
    std::vector<std::string> ButtonValues() const override { return buttons; }
    void ReadWatchFile(const std::filesystem::path& file) override { watchReads.push_back(file); }
    void WriteWatchFile(const std::filesystem::path& file) override { watchWrites.push_back(file); }

    bool simulating = false;
    bool executing = false;
    SimulatorSetupType setup;
    int setupCalls = 0;
    int endCalls = 0;
    std::vector<std::string> buttons;
    std::vector<std::filesystem::path> watchReads;
    std::vector<std::filesystem::path> watchWrites;
};

class CFakeFind : public IFindStatus
{
public:
    bool IsSearching() const override { return searching; }
    bool searching = false;
};

class CRecordingSink : public IMessageSink
{
public:
    void ShowMessage(const std::string& text, Severity) override { messages.push_back(text); }
    std::vector<std::string> messages;
};
