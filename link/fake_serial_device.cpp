#include "link/fake_serial_device.h"

#include <algorithm>

#include "common/text_util.h"

bool CFakeSerialDevice::Open(const std::string& deviceName)
{
    calls.push_back("Open " + deviceName);
    if (open_ || missingDevices.count(deviceName) != 0) {
        return false;
    }
    open_ = true;
    openName = deviceName;
    ++openCount;
    return true;
}

bool CFakeSerialDevice::Close()
{
    calls.push_back("Close");
    if (failClose) {
        return false;
    }
    open_ = false;
    return true;
}

bool CFakeSerialDevice::ApplyLineSettings(const LineSettingsType& settings)
{
    calls.push_back(StrFormat("Settings %d %d", settings.baudRate, settings.stopBitsCode));
    if (!open_ || failApplySettings) {
        return false;
    }
    // As on real ports: one and a half stop bits only go with 5 data bits.
    if (refuseOneAndHalfStopBits && settings.stopBitsCode == 1 && settings.dataBits != 5) {
        return false;
    }
    lineSettings = settings;
    return true;
}

bool CFakeSerialDevice::SetBufferSizes(int inputSize, int outputSize)
{
    calls.push_back(StrFormat("Buffers %d %d", inputSize, outputSize));
    return open_ && !failBufferSizes;
}

bool CFakeSerialDevice::SetRts(bool level)
{
    calls.push_back(StrFormat("Rts %d", level ? 1 : 0));
    if (!open_ || refuseModemLines) {
        return false;
    }
    rts = level;
    return true;
}

bool CFakeSerialDevice::SetDtr(bool level)
{
    calls.push_back(StrFormat("Dtr %d", level ? 1 : 0));
    if (!open_ || refuseModemLines) {
        return false;
    }
    dtr = level;
    return true;
}

int CFakeSerialDevice::Write(const uint8_t* data, int count, int timeoutMs)
{
    calls.push_back(StrFormat("Write %d", count));
    (void)timeoutMs;
    if (!open_) {
        return 0;
    }
    writes.emplace_back(data, data + count);
    if (onWrite) {
        // The peer may answer at once: copy first, it may clear the record.
        std::vector<uint8_t> bytes = writes.back();
        onWrite(bytes);
    }
    return count;
}

int CFakeSerialDevice::QueuedInput(uint32_t& errorBits)
{
    errorBits = pendingErrors;
    pendingErrors = 0;
    if (!open_) {
        return 0;
    }
    return static_cast<int>(std::min(input.size(), maxQueuedReport));
}

int CFakeSerialDevice::Read(uint8_t* destination, int max)
{
    int n = std::min(static_cast<int>(input.size()), std::max(max, 0));
    for (int i = 0; i < n; ++i) {
        destination[i] = input.front();
        input.pop_front();
    }
    return n;
}

void CFakeSerialDevice::PurgeInput()
{
    calls.push_back("PurgeInput");
    input.clear();
}

void CFakeSerialDevice::PurgeOutput()
{
    calls.push_back("PurgeOutput");
    pendingOutput = 0;
}

void CFakeSerialDevice::Feed(const std::string& bytes)
{
    input.insert(input.end(), bytes.begin(), bytes.end());
}

void CFakeSerialDevice::Feed(const std::vector<uint8_t>& bytes)
{
    input.insert(input.end(), bytes.begin(), bytes.end());
}

std::string CFakeSerialDevice::WrittenText() const
{
    std::string text;
    for (const auto& write : writes) {
        text.append(write.begin(), write.end());
    }
    return text;
}

int CFakeSerialDevice::CountCalls(const std::string& prefix) const
{
    return static_cast<int>(std::count_if(
        calls.begin(), calls.end(), [&](const std::string& c) { return c.starts_with(prefix); }));
}

PortProbeResult CFakePortCatalog::Probe(const std::string& deviceName)
{
    auto it = probeResults.find(deviceName);
    if (it != probeResults.end()) {
        return it->second;
    }
    bool listed = std::any_of(ports.begin(), ports.end(), [&](const SerialPortInfoType& port) {
        return port.deviceName == deviceName;
    });
    return listed ? PortProbeResult::kAvailable : PortProbeResult::kAbsent;
}

void CFakePortCatalog::AddPort(const std::string& name, const std::string& description,
                               uint16_t vendorId, uint16_t productId)
{
    SerialPortInfoType port;
    port.deviceName = name;
    port.description = description;
    port.hasIds = vendorId != 0 || productId != 0;
    port.vendorId = vendorId;
    port.productId = productId;
    ports.push_back(port);
}
