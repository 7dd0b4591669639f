#include "link/bridge_discovery.h"

#include <cctype>

#include "common/text_util.h"

CP2101Type ReadBridgeRecord(const SerialPortInfoType& port)
{
    CP2101Type record;
    record.DeviceText = port.description;
    record.SerialNumber = port.serialNumber;
    record.Description = port.description;
    if (port.hasIds) {
        record.VendorId = StrFormat("%x", port.vendorId);
        record.ProductId = StrFormat("%x", port.productId);
    }
    record.PortName = port.deviceName;
    record.PortNumber = ComNumberOfName(port.deviceName);
    return record;
}

void EnumerateBridges(IPortCatalog& catalog, std::vector<CP2101Type>& list)
{
    for (const SerialPortInfoType& port : catalog.AvailablePorts()) {
        CP2101Type record = ReadBridgeRecord(port);
        if (EqualsNoCase(record.VendorId, kBridgeVendorId) &&
            EqualsNoCase(record.ProductId, kBridgeProductId) &&
            EqualsNoCase(record.Description, kBridgeDescription)) {
            list.push_back(std::move(record));
        }
    }
}

int ComNumberOfName(const std::string& name)
{
    if (name.size() < 4 || name.size() > 6 || !StartsWithNoCase(name, "COM")) {
        return 0;
    }
    int number = 0;
    for (size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) {
            return 0;
        }
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

static std::string WithoutDevPrefix(const std::string& name)
{
    constexpr std::string_view kDev = "/dev/";
    return name.starts_with(kDev) ? name.substr(kDev.size()) : name;
}

bool SameDevice(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty()) {
        return false;
    }
    if (ComNumberOfName(a) > 0) {
        return EqualsNoCase(a, b);
    }
    return WithoutDevPrefix(a) == WithoutDevPrefix(b);
}
