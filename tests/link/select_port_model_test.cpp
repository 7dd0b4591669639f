#include <gtest/gtest.h>

#include "link/select_port_model.h"
#include "link_test_util.h"

namespace {

struct ModelRig
{
    CFakePortCatalog catalog;
    CMemorySettingsStore settings;
    CSelectPortModel model{catalog, settings};
};

std::vector<std::string> Texts(const CSelectPortModel& model)
{
    std::vector<std::string> texts;
    for (const PortEntryType& entry : model.Ports()) {
        texts.push_back(entry.text);
    }
    return texts;
}

TEST(SelectPortModelTest, BridgeFirstThenEveryPortThatExistsOrIsInUse)
{
    ModelRig rig;
    rig.catalog.AddPort("/dev/ttyS0");
    rig.catalog.AddPort("/dev/ttyUSB0", "ADuC84x Loader", kSiliconLabsVendor, kCp210xProduct);
    rig.catalog.AddPort("/dev/ttyUSB1", "adUC84X LOADER", kSiliconLabsVendor, kCp210xProduct);
    rig.catalog.AddPort("/dev/ttyUSB2", "CP2102 USB to UART", kSiliconLabsVendor, kCp210xProduct);
    rig.catalog.AddPort("/dev/ttyS1");
    rig.catalog.AddPort("/dev/ttyS2");
    rig.catalog.probeResults["/dev/ttyS1"] = PortProbeResult::kInUse;
    rig.catalog.probeResults["/dev/ttyS2"] = PortProbeResult::kAbsent;
    rig.model.Load();
    // Only the first bridge is offered; no bridge appears under its device name.
    EXPECT_EQ(Texts(rig.model), (std::vector<std::string>{"ADuC84x Loader", "/dev/ttyS0",
                                                          "/dev/ttyUSB2", "/dev/ttyS1"}));
    EXPECT_EQ(rig.model.Ports()[0].deviceName, "/dev/ttyUSB0");
}

TEST(SelectPortModelTest, DefaultsOfAFreshUser)
{
    ModelRig rig;
    rig.catalog.AddPort("/dev/ttyS0");
    rig.catalog.AddPort("/dev/ttyS1");
    rig.model.Load();
    EXPECT_EQ(rig.model.selectedPort, 0);
    EXPECT_EQ(CSelectPortModel::RateTexts()[static_cast<size_t>(rig.model.selectedDownloadRate)],
              "9600");
    EXPECT_EQ(rig.model.selectedMonitorRate, rig.model.selectedDownloadRate);
    EXPECT_EQ(rig.model.selectedSectorSize, 0);
    EXPECT_EQ(rig.model.loaderType, 0);
    EXPECT_EQ(rig.model.monitorEnable, 1);
    EXPECT_EQ(CSelectPortModel::RateTexts().size(), 9u);
}

// The application takes loader type 1 for a stored sector size of 128 without
// a loader type; the dialog must show the same loader, not Constant EA.
TEST(SelectPortModelTest, LoaderTypeDefaultFollowsTheSectorSizeAsInTheApplication)
{
    ModelRig rig;
    rig.catalog.AddPort("/dev/ttyS0");
    rig.settings.WriteInt("Settings", "SectorSize", 128);
    rig.model.Load();
    EXPECT_EQ(rig.model.selectedSectorSize, 1);
    EXPECT_EQ(rig.model.loaderType, 1);
}

TEST(SelectPortModelTest, SavedValuesAreSelectedAndOkWritesTheSixValues)
{
    ModelRig rig;
    rig.catalog.AddPort("/dev/ttyS0");
    rig.catalog.AddPort("/dev/ttyS1");
    rig.settings.WriteString("ReaderPort", "DownloadDevice", "/dev/ttyS1");
    rig.settings.WriteInt("ReaderPort", "DownloadRate", 115200);
    rig.settings.WriteInt("ReaderPort", "MonitorRate", 4800); // not offered: 9600
    rig.settings.WriteInt("ReaderPort", "EnableMonitor", 0);
    rig.settings.WriteInt("Settings", "SectorSize", 128);
    rig.settings.WriteInt("Settings", "LoaderType", 2);
    rig.model.Load();
    EXPECT_EQ(rig.model.selectedPort, 1);
    EXPECT_EQ(rig.model.selectedSectorSize, 1);
    EXPECT_EQ(rig.model.loaderType, 2);

    ConnectionSettingsType values = rig.model.Accept();
    EXPECT_EQ(values.portName, "/dev/ttyS1");
    EXPECT_EQ(values.portIndex, 1);
    EXPECT_EQ(values.downloadRate, 115200);
    EXPECT_EQ(values.monitorRate, 9600);
    EXPECT_EQ(values.sectorSize, 128);
    EXPECT_EQ(values.loaderType, 2);
    EXPECT_EQ(values.monitorEnable, 0);
    EXPECT_EQ(rig.settings.ReadInt("ReaderPort", "DownloadPort", -5), 1);
    EXPECT_EQ(rig.settings.ReadInt("ReaderPort", "MonitorRate", -5), 9600);
    EXPECT_EQ(rig.settings.ReadInt("Settings", "SectorSize", -5), 128);
    EXPECT_EQ(rig.settings.ReadInt("Settings", "LoaderType", -5), 2);
    EXPECT_EQ(rig.settings.ReadInt("ReaderPort", "EnableMonitor", -5), 0);
}

TEST(SelectPortModelTest, ComNamesKeepTheirNumberAsIndex)
{
    ModelRig rig;
    rig.catalog.AddPort("COM1");
    rig.catalog.AddPort("COM7");
    rig.settings.WriteInt("ReaderPort", "DownloadPort", 6);
    rig.model.Load();
    EXPECT_EQ(rig.model.selectedPort, 1);
    EXPECT_EQ(rig.model.Accept().portIndex, 6);
}

TEST(SelectPortModelTest, InvalidSelectionsFallBackToDefaults)
{
    ModelRig rig;
    rig.model.Load(); // no ports at all
    rig.model.selectedDownloadRate = 42;
    rig.model.selectedMonitorRate = -1;
    rig.model.selectedSectorSize = 7;
    ConnectionSettingsType values = rig.model.Accept();
    EXPECT_EQ(values.portIndex, 0);
    EXPECT_EQ(values.downloadRate, 9600);
    EXPECT_EQ(values.monitorRate, 9600);
    EXPECT_EQ(values.sectorSize, 64);
}

TEST(SelectPortModelTest, ATypedDeviceIsListedSelectedAndRemembered)
{
    ModelRig rig;
    rig.catalog.AddPort("/dev/ttyS0");
    rig.model.Load();
    rig.model.SelectDevice("/dev/pts/7");
    EXPECT_EQ(rig.model.Ports().back().text, "/dev/pts/7");
    EXPECT_EQ(rig.model.Accept().portName, "/dev/pts/7");

    CSelectPortModel again(rig.catalog, rig.settings);
    again.Load();
    ASSERT_EQ(again.Ports().size(), 2u);
    EXPECT_EQ(again.selectedPort, 1);
}

TEST(SelectPortModelTest, PresetValuesAreNotReadFromTheSettings)
{
    ModelRig rig;
    rig.catalog.AddPort("/dev/ttyS0");
    rig.catalog.AddPort("/dev/ttyS1");
    rig.settings.WriteInt("ReaderPort", "DownloadRate", 300);
    ConnectionSettingsType preset;
    preset.portIndex = 1;
    preset.portName = "/dev/ttyS1";
    preset.downloadRate = 38400;
    rig.model.Preset(preset);
    rig.model.Load();
    EXPECT_EQ(rig.model.selectedPort, 1);
    EXPECT_EQ(rig.model.Accept().downloadRate, 38400);
}

} // namespace
