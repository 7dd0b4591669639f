#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/settings_store.h"
#include "link/bridge_discovery.h"
#include "link/connection_settings.h"
#include "link/serial_device.h"

// One line of the "Communication Port" list.
struct PortEntryType
{
    std::string text;
    int portIndex = 0;
    std::string deviceName;
};

// Everything of the Connection dialog but its widgets: the lists, the
// selections, the settings it reads and writes and the six values it returns.
class CSelectPortModel
{
public:
    static constexpr std::array<int32_t, 9> kRates = {300,   1200,  2400,   9600,  19200,
                                                      38400, 57600, 115200, 230400};
    static constexpr std::array<const char*, 2> kSectorSizes = {"64 bytes", "128 bytes"};
    static constexpr std::array<const char*, 4> kLoaderTypes = {"Constant EA", "Pulsed EA",
                                                                "ADuC8xx", "ONCE Loader"};
    static constexpr int kMaxPorts = 256;

    CSelectPortModel(IPortCatalog& catalog, ISettingsStore& settings);

    // Values the caller sets before opening; the stored settings are then not read.
    void Preset(const ConnectionSettingsType& values);
    // Fills the lists and selections as the dialog opens.
    void Load();

    const std::vector<PortEntryType>& Ports() const { return ports_; }
    static std::vector<std::string> RateTexts();

    int selectedPort = 0;
    int selectedDownloadRate = -1;
    int selectedMonitorRate = -1;
    int selectedSectorSize = 0;
    int loaderType = 0;
    int monitorEnable = 1;

    // A device name the user typed: selected, and listed when it is not yet.
    void SelectDevice(const std::string& deviceName);

    // OK: the values returned, written to the settings.
    ConnectionSettingsType Accept();

private:
    static int RateIndex(int32_t rate);
    void ListPorts(const std::vector<CP2101Type>& bridges);

    IPortCatalog& catalog_;
    ISettingsStore& settings_;
    std::vector<PortEntryType> ports_;
    int presetPort_ = -1;
    std::string presetDevice_;
    int32_t downloadRate_ = 9600;
    int32_t monitorRate_ = 9600;
};
