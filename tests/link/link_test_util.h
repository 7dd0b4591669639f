#pragma once

#include <string>
#include <vector>

#include "common/message_sink.h"
#include "common/tick_source.h"
#include "link/fake_serial_device.h"
#include "link/monitor.h"

// Keeps every message a test's engine code showed.
class CRecordingMessageSink : public IMessageSink
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

inline constexpr uint16_t kSiliconLabsVendor = 0x10C4;
inline constexpr uint16_t kCp210xProduct = 0xEA60;

// A monitor port on a fake device, with two plain ports and no bridge.
struct LinkRig
{
    CFakeSerialDevice device;
    CFakePortCatalog catalog;
    CFakeTickSource clock{1000};
    CRecordingMessageSink sink;
    CMonitor port{device, catalog, clock, sink};

    LinkRig()
    {
        catalog.AddPort("/dev/ttyS0");
        catalog.AddPort("/dev/ttyS1");
    }

    void OpenPlain(int32_t rate = 9600)
    {
        port.Open(0, "/dev/ttyS0");
        port.SetBaudRate(rate);
        device.calls.clear();
        device.ClearWrites();
    }
};

inline std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}
