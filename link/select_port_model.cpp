#include "link/select_port_model.h"

#include <algorithm>

#include "common/text_util.h"

namespace {

constexpr const char* kReaderPort = "ReaderPort";
constexpr const char* kSettings = "Settings";
// Beside the numbered port, the device a platform without COM numbers opens.
constexpr const char* kDownloadDevice = "DownloadDevice";

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
        presetPort_ = settings_.ReadInt(kReaderPort, "DownloadPort", 0);
        presetDevice_ = settings_.ReadString(kReaderPort, kDownloadDevice, "");
        downloadRate_ = settings_.ReadInt(kReaderPort, "DownloadRate", kDefaultRate);
        monitorRate_ = settings_.ReadInt(kReaderPort, "MonitorRate", kDefaultRate);
        monitorEnable = settings_.ReadInt(kReaderPort, "EnableMonitor", 1);
    }
    ListPorts(bridges);
    selectedDownloadRate = RateIndex(downloadRate_);
    selectedMonitorRate = RateIndex(monitorRate_);
    selectedSectorSize = settings_.ReadInt(kSettings, "SectorSize", 64) == kLargeSector ? 1 : 0;
    loaderType = settings_.ReadInt(kSettings, "LoaderType", 0);
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

    settings_.WriteInt(kReaderPort, "DownloadPort", values.portIndex);
    settings_.WriteString(kReaderPort, kDownloadDevice, values.portName);
    settings_.WriteInt(kReaderPort, "DownloadRate", values.downloadRate);
    settings_.WriteInt(kReaderPort, "MonitorRate", values.monitorRate);
    settings_.WriteInt(kSettings, "SectorSize", values.sectorSize);
    settings_.WriteInt(kSettings, "LoaderType", values.loaderType);
    settings_.WriteInt(kReaderPort, "EnableMonitor", values.monitorEnable);
    return values;
}
