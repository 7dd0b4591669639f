#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "link/serial_device.h"

// A serial device in memory for tests: records every call and the levels of
// RTS and DTR, hands out scripted input and passes writes to a peer.
class CFakeSerialDevice : public ISerialDevice
{
public:
    bool Open(const std::string& deviceName) override;
    bool Close() override;
    bool IsOpen() const override { return open_; }
    bool ApplyLineSettings(const LineSettingsType& settings) override;
    bool SetBufferSizes(int inputSize, int outputSize) override;
    bool SetRts(bool level) override;
    bool SetDtr(bool level) override;
    int Write(const uint8_t* data, int count, int timeoutMs) override;
    int QueuedInput(uint32_t& errorBits) override;
    int Read(uint8_t* destination, int max) override;
    void PurgeInput() override;
    void PurgeOutput() override;
    int PendingOutput() override { return pendingOutput; }

    // Bytes the board sends.
    void Feed(const std::string& bytes);
    void Feed(const std::vector<uint8_t>& bytes);

    // Every call in order, e.g. "Open /dev/ttyS0", "Rts 1", "Write 13".
    std::vector<std::string> calls;
    // The bytes of every Write call, one entry per call.
    std::vector<std::vector<uint8_t>> writes;
    // Called with the bytes of each Write, after they are recorded.
    std::function<void(const std::vector<uint8_t>&)> onWrite;

    bool rts = false;
    bool dtr = false;
    std::string openName;
    LineSettingsType lineSettings;
    int openCount = 0;

    // Scripted failures.
    std::set<std::string> missingDevices; // names Open refuses
    bool failApplySettings = false;
    bool failBufferSizes = false;
    bool failClose = false;
    bool refuseModemLines = false; // like a pseudo-terminal
    bool refuseOneAndHalfStopBits = true;
    uint32_t pendingErrors = 0;        // reported by the next QueuedInput
    size_t maxQueuedReport = 1u << 30; // QueuedInput reports at most this many
    int pendingOutput = 0;             // what PendingOutput reports; purged to 0

    std::deque<uint8_t> input;

    // All bytes written since the last ClearWrites, concatenated.
    std::string WrittenText() const;
    void ClearWrites() { writes.clear(); }
    int CountCalls(const std::string& prefix) const;

private:
    bool open_ = false;
};

// A port list in memory.
class CFakePortCatalog : public IPortCatalog
{
public:
    std::vector<SerialPortInfoType> AvailablePorts() override { return ports; }
    PortProbeResult Probe(const std::string& deviceName) override;

    std::vector<SerialPortInfoType> ports;
    std::map<std::string, PortProbeResult> probeResults; // default kAvailable for listed ports

    void AddPort(const std::string& name, const std::string& description = "",
                 uint16_t vendorId = 0, uint16_t productId = 0);
};
