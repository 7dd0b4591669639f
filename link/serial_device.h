#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Line settings as the port last applied them. Stop-bits codes: 0 one,
// 1 one and a half, 2 two stop bits.
struct LineSettingsType
{
    int32_t baudRate = 9600;
    int dataBits = 8;
    int stopBitsCode = 0;
    bool parity = false;
    bool flowControl = false;
};

// Error bits a device reports; OR-ed into the port's accumulated errors.
enum LineErrorBits : uint32_t
{
    kLineErrorNone = 0,
    kLineErrorFraming = 1u << 0,
    kLineErrorParity = 1u << 1,
    kLineErrorOverrun = 1u << 2,
    kLineErrorIo = 1u << 3,
    kLineErrorVanished = 1u << 4, // the other end of the line is gone
};

// One open serial line. The protocols talk to the board only through this,
// so tests can put a fake or a pseudo-terminal on the other end.
class ISerialDevice
{
public:
    virtual ~ISerialDevice() = default;

    // Opens the named device exclusively for reading and writing.
    virtual bool Open(const std::string& deviceName) = 0;
    virtual bool Close() = 0;
    virtual bool IsOpen() const = 0;

    virtual bool ApplyLineSettings(const LineSettingsType& settings) = 0;
    virtual bool SetBufferSizes(int inputSize, int outputSize) = 0;
    // Modem lines; false when the device refuses (a pseudo-terminal has none).
    virtual bool SetRts(bool level) = 0;
    virtual bool SetDtr(bool level) = 0;

    // Writes all bytes, waiting at most timeoutMs; returns the number written.
    virtual int Write(const uint8_t* data, int count, int timeoutMs) = 0;
    // Bytes queued for input, without waiting; errors since the last call are
    // returned in errorBits.
    virtual int QueuedInput(uint32_t& errorBits) = 0;
    // Reads up to max queued bytes, without waiting.
    virtual int Read(uint8_t* destination, int max) = 0;
    virtual void PurgeInput() = 0;
    virtual void PurgeOutput() = 0;
    // Bytes a write with a timeout of 0 left for the device to send; a device
    // that always finishes its writes has none.
    virtual int PendingOutput() { return 0; }
};

// What the platform reports about one serial port.
struct SerialPortInfoType
{
    std::string deviceName; // what Open takes, e.g. /dev/ttyUSB0 or COM3
    std::string description;
    std::string serialNumber;
    std::string manufacturer;
    bool hasIds = false;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
};

enum class PortProbeResult
{
    kAvailable,
    kInUse,
    kAbsent
};

// The ports of this machine.
class IPortCatalog
{
public:
    virtual ~IPortCatalog() = default;
    virtual std::vector<SerialPortInfoType> AvailablePorts() = 0;
    // Whether a port can be opened now, exists but is held elsewhere, or is absent.
    virtual PortProbeResult Probe(const std::string& deviceName) = 0;
};
