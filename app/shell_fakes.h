#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "app/busy_state.h"
#include "app/window_host.h"

// The shell's side of the model kept in memory: tests and the fuzz targets
// drive the model through these and read back what it asked for.

// Records the windows the model opens instead of showing them. A window whose
// document file does not exist is refused, as the real shell refuses it.
class CFakeWindowHost : public IWindowHost
{
public:
    bool OpenWindow(WindowKind kind, const WindowRecord& record) override
    {
        std::error_code error;
        if (!record.path.empty() && !std::filesystem::exists(record.path, error)) {
            ++failedOpens;
            return false;
        }
        windows.push_back({record, false});
        kinds.push_back(kind);
        if (kind == WindowKind::kSource) {
            sources.push_back(record.title);
        }
        return true;
    }
    std::vector<OpenWindowType> ListWindows() const override { return windows; }
    std::vector<std::string> SourceTitles() const override { return sources; }
    void ActivateFirstSource() override { ++activations; }
    bool SaveModifiedAndCloseAll() override
    {
        ++closeAllCalls;
        if (!allowClose) {
            return false;
        }
        windows.clear();
        kinds.clear();
        sources.clear();
        return true;
    }

    std::vector<OpenWindowType> windows;
    std::vector<WindowKind> kinds;
    std::vector<std::string> sources;
    int failedOpens = 0;
    int activations = 0;
    int closeAllCalls = 0;
    bool allowClose = true;
};

class CFakeLink : public ILinkControl
{
public:
    bool IsOpen() const override { return open; }
    void Close() override { open = false; }
    bool open = false;
};
