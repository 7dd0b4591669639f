#pragma once

#include <memory>

#include "link/serial_device.h"

class QSerialPort;

// The serial device on QSerialPort: real ports and any device path the user
// names, a pseudo-terminal included. Works with or without a running event
// loop: input is collected when asked for, never waited for.
class CQtSerialDevice : public ISerialDevice
{
public:
    CQtSerialDevice();
    ~CQtSerialDevice() override;

    bool Open(const std::string& deviceName) override;
    bool Close() override;
    bool IsOpen() const override;
    bool ApplyLineSettings(const LineSettingsType& settings) override;
    bool SetBufferSizes(int inputSize, int outputSize) override;
    bool SetRts(bool level) override;
    bool SetDtr(bool level) override;
    int Write(const uint8_t* data, int count, int timeoutMs) override;
    int QueuedInput(uint32_t& errorBits) override;
    int Read(uint8_t* destination, int max) override;
    void PurgeInput() override;
    void PurgeOutput() override;
    int PendingOutput() override;

private:
    bool OtherEndGone();

    std::unique_ptr<QSerialPort> port_;
};

// The ports QSerialPortInfo reports.
class CQtPortCatalog : public IPortCatalog
{
public:
    std::vector<SerialPortInfoType> AvailablePorts() override;
    PortProbeResult Probe(const std::string& deviceName) override;
};
