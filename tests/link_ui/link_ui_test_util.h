#pragma once

#include <QTest>
#include <functional>
#include <string>
#include <vector>

#include "common/message_sink.h"
#include "common/settings_store.h"
#include "common/tick_source.h"
#include "link/fake_serial_device.h"
#include "link/monitor.h"
#include "virtual_board.h"

// Each test file registers its class here; main runs them all.
using LinkUiTestRun = std::function<int(int, char**)>;
inline std::vector<LinkUiTestRun>& LinkUiTestRegistry()
{
    static std::vector<LinkUiTestRun> runs;
    return runs;
}
template <typename Test> struct LinkUiTestRegistration
{
    LinkUiTestRegistration()
    {
        LinkUiTestRegistry().push_back([](int argc, char** argv) {
            Test test;
            return QTest::qExec(&test, argc, argv);
        });
    }
};

class CRecordingSink : public IMessageSink
{
public:
    void ShowMessage(const std::string& text, Severity severity) override
    {
        messages.push_back(text);
        severities.push_back(severity);
    }
    std::vector<std::string> messages;
    std::vector<Severity> severities;
};

// The link on a fake device with board51's board at the other end, on a
// clock the test moves.
struct BoardRig
{
    CFakeSerialDevice device;
    CFakePortCatalog catalog;
    CFakeTickSource clock{5000};
    CRecordingSink sink;
    CMonitor port{device, catalog, clock, sink};
    CMemorySettingsStore settings;
    CVirtualBoard board;

    explicit BoardRig(int loaderType, const BoardScriptType& script = {})
        : board({.loaderType = loaderType}, script)
    {
        catalog.AddPort("/dev/ttyS0");
        catalog.AddPort("/dev/ttyS1");
        device.onWrite = [this](const std::vector<uint8_t>& bytes) {
            const uint64_t nowUs = uint64_t{clock.TickMs()} * 1000;
            board.FromHost(bytes.data(), bytes.size(), nowUs);
            device.Feed(board.Advance(nowUs));
        };
    }

    void OpenPort(int32_t rate = 9600)
    {
        port.Open(1, "/dev/ttyS1");
        port.SetBaudRate(rate);
    }
};
