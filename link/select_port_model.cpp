#include "link/select_port_model.h"

#include <algorithm>

#include "common/settings_keys.h"
#include "common/text_util.h"

namespace {

constexpr int32_t kDefaultRate = 9600;
constexpr int kLargeSector = 128;

} // namespace

CSelectPortModel::CSelectPortModel(IPortCatalog& catalog, ISettingsStore& settings)
    : catalog_(catalog), settings_(settings)
{}

void CSelectPortModel::Preset(const ConnectionSettingsType& values)
{
    presetPort_ = values.portIndex;
    presetDevice_ = values.portName;
    downloadRate_ = values.downloadRate;
    monitorRate_ = values.monitorRate;
    monitorEnable = values.monitorEnable;
}

void CSelectPortModel::Load()
{
    std::vector<CP2101Type> bridges;
    EnumerateBridges(catalog_, bridges);
    if (presetPort_ == -1) {
        presetPort_ = ReadSetting(settings_, settings::kDownloadPort);
        presetDevice_ = ReadSetting(settings_, settings::kDownloadDevice);
        downloadRate_ = ReadSetting(settings_, settings::kDownloadRate);
        monitorRate_ = ReadSetting(settings_, settings::kMonitorRate);
        monitorEnable = ReadSetting(settings_, settings::kEnableMonitor);
    }
    ListPorts(bridges);
    selectedDownloadRate = RateIndex(downloadRate_);
    selectedMonitorRate = RateIndex(monitorRate_);
    const int sectorSize = ReadSetting(settings_, settings::kSectorSize);
    selectedSectorSize = sectorSize == kLargeSector ? 1 : 0;
    loaderType = ReadLoaderType(settings_, sectorSize);
}

void CSelectPortModel::ListPorts(const std::vector<CP2101Type>& bridges)
{
    ports_.clear();
    selectedPort = 0;
    if (!bridges.empty()) {
        // Only the first bridge is offered, under the name it was given.
        const CP2101Type& bridge = bridges.front();
        ports_.push_back({bridge.Description, bridge.PortNumber - 1, bridge.PortName});
    }
    std::vector<SerialPortInfoType> available = catalog_.AvailablePorts();
    int position = 0;
    for (const SerialPortInfoType& port : available) {
        if (position >= kMaxPorts) {
            break;
        }
        // Where the platform numbers its ports the number is the index; elsewhere
        // the position in the port list stands for it.
        int com = ComNumberOfName(port.deviceName);
        int index = com > 0 ? com - 1 : position;
        ++position;
        bool chosen = presetDevice_.empty() ? index == presetPort_
                                            : SameDevice(port.deviceName, presetDevice_);
        bool isBridge = std::any_of(bridges.begin(), bridges.end(), [&](const CP2101Type& b) {
            return SameDevice(b.PortName, port.deviceName);
        });
        // A port held by another program is still a port the user may want.
        if (!isBridge && catalog_.Probe(port.deviceName) != PortProbeResult::kAbsent) {
            ports_.push_back({port.deviceName, index, port.deviceName});
        }
        // The bridge's own port selects the entry added last: the bridge when
        // it is the only one so far.
        if (chosen && !ports_.empty()) {
            selectedPort = static_cast<int>(ports_.size()) - 1;
        }
    }
    if (!presetDevice_.empty() && !std::any_of(ports_.begin(), ports_.end(), [&](auto& entry) {
            return SameDevice(entry.deviceName, presetDevice_);
        })) {
        // A device typed earlier (a pseudo-terminal, a link) stays selectable.
        if (ComNumberOfName(presetDevice_) == 0) {
            SelectDevice(presetDevice_);
        }
    }
}

void CSelectPortModel::SelectDevice(const std::string& deviceName)
{
    for (size_t i = 0; i < ports_.size(); ++i) {
        if (SameDevice(ports_[i].deviceName, deviceName)) {
            selectedPort = static_cast<int>(i);
            return;
        }
    }
    int com = ComNumberOfName(deviceName);
    ports_.push_back({deviceName, com > 0 ? com - 1 : 0, deviceName});
    selectedPort = static_cast<int>(ports_.size()) - 1;
}

std::vector<std::string> CSelectPortModel::RateTexts()
{
    std::vector<std::string> texts;
    for (int32_t rate : kRates) {
        texts.push_back(std::to_string(rate));
    }
    return texts;
}

int CSelectPortModel::RateIndex(int32_t rate)
{
    auto it = std::find(kRates.begin(), kRates.end(), rate);
    if (it == kRates.end()) {
        it = std::find(kRates.begin(), kRates.end(), kDefaultRate);
    }
    return static_cast<int>(it - kRates.begin());
}

ConnectionSettingsType CSelectPortModel::Accept()
{
    auto rateAt = [](int selection) {
        return selection >= 0 && selection < static_cast<int>(kRates.size())
                   ? kRates[static_cast<size_t>(selection)]
                   : kDefaultRate;
    };
    ConnectionSettingsType values;
    if (selectedPort >= 0 && selectedPort < static_cast<int>(ports_.size())) {
        const PortEntryType& entry = ports_[static_cast<size_t>(selectedPort)];
        values.portIndex = entry.portIndex;
        values.portName = entry.deviceName;
    }
    if (values.portIndex < 0 || values.portIndex >= kMaxPorts) {
        values.portIndex = 0;
    }
    values.downloadRate = rateAt(selectedDownloadRate);
    values.monitorRate = rateAt(selectedMonitorRate);
    values.sectorSize = selectedSectorSize == 1 ? kLargeSector : 64;
    values.loaderType = loaderType;
    values.monitorEnable = monitorEnable;

    WriteSetting(settings_, settings::kDownloadPort, values.portIndex);
    WriteSetting(settings_, settings::kDownloadDevice, values.portName);
    WriteSetting(settings_, settings::kDownloadRate, values.downloadRate);
    WriteSetting(settings_, settings::kMonitorRate, values.monitorRate);
    WriteSetting(settings_, settings::kSectorSize, values.sectorSize);
    WriteLoaderType(settings_, values.loaderType);
    WriteSetting(settings_, settings::kEnableMonitor, values.monitorEnable);
    return values;
}
