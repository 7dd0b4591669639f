#pragma once

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <QTemporaryDir>

#include "app/engines.h"
#include "app/view_host.h"
#include "common/settings_store.h"
#include "common/tick_source.h"
#include "link/null_serial_line.h"
#include "views/grid_model.h"

class CRecordingSink : public IMessageSink
{
public:
    void ShowMessage(const std::string& text, Severity) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

// A board line that only talks: what a test puts in input is what the board
// sent.
class CTalkingDevice : public CNullSerialDevice
{
public:
    bool Open(const std::string&) override { return open = true; }
    bool Close() override
    {
        open = false;
        return true;
    }
    bool IsOpen() const override { return open; }
    bool ApplyLineSettings(const LineSettingsType&) override { return true; }
    bool SetBufferSizes(int, int) override { return true; }
    int QueuedInput(uint32_t& errorBits) override
    {
        errorBits = kLineErrorNone;
        return static_cast<int>(input.size());
    }
    int Read(uint8_t* destination, int max) override
    {
        const int n = std::min<int>(max, static_cast<int>(input.size()));
        std::copy_n(input.begin(), n, destination);
        input.erase(0, static_cast<size_t>(n));
        return n;
    }

    bool open = false;
    std::string input;
};

// The frame as a view sees it, with real engines: windows refresh when
// UpdateAllWindows runs, and what the frame would open is recorded. The
// views' benchmark and gallery use it too.
class CFakeViewHost : public IViewHost
{
public:
    CFakeViewHost()
    {
        GlobalOptions& options = engines.Options();
        options.tabWidth = 8;
        options.fontSize = 10;
        options.processorType = 1;
        ResetRadixTable(options.radixTable);
    }

    CEngines& Engines() override { return engines; }
    ISettingsStore& Settings() override { return settings; }
    IMessageSink& Messages() override { return sink; }
    bool& OverwriteMode() override { return overwrite; }
    void UpdateAllWindows() override
    {
        ++updates;
        for (IDocumentView* view : views) {
            view->Refresh();
        }
        for (CGridModel* model : models) {
            model->Sync();
        }
    }
    void OpenSourceAtLine(const std::string& path, int line) override
    {
        opened.emplace_back(path, line);
    }
    void ShowExecutionPoint() override {}
    void CommandStateChanged() override { ++stateChanges; }
    bool CoverageDisplay() const override { return false; }

    // A source assembled into the code memory; false on errors.
    bool Assemble(const std::string& source, const std::string& name = "test.a51")
    {
        const std::string path = (dir.path() + "/" + name.c_str()).toStdString();
        std::ofstream(path, std::ios::binary) << source;
        return AssembleFile(path);
    }
    bool AssembleFile(const std::string& path)
    {
        engines.StartAssembly(path);
        for (int i = 0; i < 1000 && engines.Assembler().IsAssembling(); ++i) {
            engines.IdleStep(false);
        }
        lastPath = path;
        return !engines.Assembler().IsAssembling() && engines.Assembler().GetErrorCount() == 0;
    }
    void Start(int updateCount = kManualUpdateCount, int pagesIndex = -1)
    {
        SimulatorSetupType setup;
        setup.updateCount = setup.remainingCount = updateCount;
        if (pagesIndex >= 0) {
            setup.pagedMemory = 1;
            setup.memoryPages = pagesIndex;
        }
        engines.StartSimulation(setup);
    }
    CSim8051& Cpu() { return engines.Simulator().Processor(); }
    // Text the board sends to the dump window.
    void BoardSends(const std::string& text)
    {
        CMonitor& monitor = engines.Monitor();
        if (!monitor.IsOpen()) {
            monitor.Open(0, "board");
            monitor.SetCapture(1);
        }
        device.input += text;
        monitor.Receive();
    }

    QTemporaryDir dir;
    CRecordingSink sink;
    CTalkingDevice device;
    CNullPortCatalog catalog;
    CFakeTickSource clock;
    CEngines engines{{sink, device, catalog, clock}};
    CMemorySettingsStore settings;
    bool overwrite = false;
    std::vector<IDocumentView*> views;
    std::vector<CGridModel*> models;
    std::vector<std::pair<std::string, int>> opened;
    std::string lastPath;
    int updates = 0;
    int stateChanges = 0;
};
