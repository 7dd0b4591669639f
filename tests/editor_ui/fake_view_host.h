#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/engines.h"
#include "app/view_host.h"
#include "common/settings_store.h"
#include "common/tick_source.h"
#include "link/null_serial_line.h"

class CRecordingSink : public IMessageSink
{
public:
    void ShowMessage(const std::string& text, Severity) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

// The application as a view sees it, with real engines: the tests' host and
// the benchmark's.
class CFakeViewHost : public IViewHost
{
public:
    CFakeViewHost()
    {
        engines.Options().fontSize = 10;
        engines.Options().tabWidth = 8;
    }
    CEngines& Engines() override { return engines; }
    ISettingsStore& Settings() override { return settings; }
    IMessageSink& Messages() override { return sink; }
    bool& OverwriteMode() override { return overwrite; }
    void UpdateAllWindows() override { ++updates; }
    void OpenSourceAtLine(const std::string& path, int line) override
    {
        opened.emplace_back(path, line);
    }
    void ShowExecutionPoint() override { ++executionPointShown; }
    void CommandStateChanged() override { ++stateChanges; }
    bool CoverageDisplay() const override { return coverage; }

    CRecordingSink sink;
    CNullSerialDevice device;
    CNullPortCatalog catalog;
    CFakeTickSource clock;
    CEngines engines{{sink, device, catalog, clock}};
    CMemorySettingsStore settings;
    bool overwrite = false;
    bool coverage = false;
    int updates = 0;
    int executionPointShown = 0;
    int stateChanges = 0;
    std::vector<std::pair<std::string, int>> opened;
};
