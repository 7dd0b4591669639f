#pragma once

#include <string>
#include <vector>

#include "link/serial_device.h"

// One CP210x USB-to-UART bridge as discovery reports it. Hex texts are lower
// case without leading zeros, as a radix-16 conversion yields them.
struct CP2101Type
{
    std::string DeviceText;
    std::string ProductId;
    std::string DeviceCode;
    std::string SerialNumber;
    std::string VendorId;
    std::string Description;
    std::string ReleaseHigh;
    std::string ReleaseLow;
    std::string PortName; // the device the bridge appears as
    int PortNumber = 0;   // 1-based COM number where the platform has one, else 0
};

inline constexpr const char* kBridgeVendorId = "10C4";
inline constexpr const char* kBridgeProductId = "EA60";
inline constexpr const char* kBridgeDescription = "ADuC84x Loader";

// The record of one port as the platform describes it.
CP2101Type ReadBridgeRecord(const SerialPortInfoType& port);
// Appends every attached board bridge: vendor, product and description match,
// each without regard to letter case.
void EnumerateBridges(IPortCatalog& catalog, std::vector<CP2101Type>& list);

// The COM number of a name "COMn" (n >= 1), else 0.
int ComNumberOfName(const std::string& name);
// Whether two names denote the same device: /dev/ttyUSB0 and ttyUSB0 do.
bool SameDevice(const std::string& a, const std::string& b);
