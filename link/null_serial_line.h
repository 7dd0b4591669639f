#pragma once

#include <string>
#include <vector>

#include "link/serial_device.h"

// The serial line of a program that never talks to a board (sim51): no port
// exists and none opens.
class CNullSerialDevice : public ISerialDevice
{
public:
    bool Open(const std::string&) override { return false; }
    bool Close() override { return true; }
    bool IsOpen() const override { return false; }
    bool ApplyLineSettings(const LineSettingsType&) override { return false; }
    bool SetBufferSizes(int, int) override { return false; }
    bool SetRts(bool) override { return false; }
    bool SetDtr(bool) override { return false; }
    int Write(const uint8_t*, int, int) override { return 0; }
    int QueuedInput(uint32_t& errorBits) override
    {
        errorBits = kLineErrorNone;
        return 0;
    }
    int Read(uint8_t*, int) override { return 0; }
    void PurgeInput() override {}
    void PurgeOutput() override {}
};

class CNullPortCatalog : public IPortCatalog
{
public:
    std::vector<SerialPortInfoType> AvailablePorts() override { return {}; }
    PortProbeResult Probe(const std::string&) override { return PortProbeResult::kAbsent; }
};
