#pragma once

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "app/engines.h"
#include "app/view_host.h"
#include "common/settings_store.h"
#include "common/tick_source.h"
#include "link/null_serial_line.h"

// The frame as the views see it, for the benchmark and the gallery: real
// engines, settings in memory, every open view refreshed by
// UpdateAllWindows as the frame does it.
class CBenchViewHost : public IViewHost
{
public:
    class CSink : public IMessageSink
    {
    public:
        void ShowMessage(const std::string& text, Severity) override { messages.push_back(text); }
        std::vector<std::string> messages;
    };

    // A board line that sends what is put in input.
    class CBoardLine : public CNullSerialDevice
    {
    public:
        bool Open(const std::string&) override { return open = true; }
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

    CBenchViewHost()
    {
        GlobalOptions& options = engines.Options();
        options.tabWidth = 8;
        options.fontSize = 10;
        options.processorType = 1;
        ResetRadixTable(options.radixTable);
        options.radixTable[radix_layout::kDefaultRadix] = 2;
    }

    CEngines& Engines() override { return engines; }
    ISettingsStore& Settings() override { return settings; }
    IMessageSink& Messages() override { return sink; }
    bool& OverwriteMode() override { return overwrite; }
    void UpdateAllWindows() override
    {
        for (IDocumentView* view : views) {
            view->Refresh();
        }
    }
    void OpenSourceAtLine(const std::string&, int) override {}
    void ShowExecutionPoint() override {}
    void CommandStateChanged() override {}

    bool Assemble(const std::string& path, const std::string& source)
    {
        std::ofstream(path, std::ios::binary) << source;
        engines.StartAssembly(path);
        while (engines.Assembler().IsAssembling()) {
            engines.IdleStep(false);
        }
        return engines.Assembler().GetErrorCount() == 0;
    }
    void BoardSends(const std::string& text)
    {
        CMonitor& monitor = engines.Monitor();
        if (!monitor.IsOpen()) {
            monitor.Open(0, "board");
            monitor.SetCapture(1);
        }
        line.input += text;
        monitor.Receive();
    }

    CSink sink;
    CBoardLine line;
    CNullPortCatalog catalog;
    CFakeTickSource clock;
    CEngines engines{{sink, line, catalog, clock}};
    CMemorySettingsStore settings;
    bool overwrite = false;
    std::vector<IDocumentView*> views;
};
