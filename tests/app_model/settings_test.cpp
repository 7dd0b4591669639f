#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "app/app_state.h"
#include "app/default_settings_model.h"
#include "app/global_options.h"
#include "app/qt_settings_store.h"
#include "common/settings_keys.h"
#include "common/settings_store.h"
#include "scratch_dir.h"

namespace {

TEST(LoadSettingsTest, AFreshUserGetsTheDocumentedDefaults)
{
    CMemorySettingsStore store;
    GlobalOptions options;
    AppStateType state;
    LoadSettings(store, options, state);

    EXPECT_EQ(options.tabWidth, 8);
    EXPECT_EQ(options.fontSize, 10);
    EXPECT_EQ(options.processorType, 1); // "8752"
    EXPECT_EQ(options.generateListFile, 1);
    EXPECT_EQ(options.generateHexFile, 1);
    EXPECT_EQ(options.generateSymFile, 0);
    EXPECT_EQ(options.radixTable[0], RadixCode(DisplayRadix::kDecimal));
    for (int slot = 0; slot < CRecentList::kSlots; ++slot) {
        EXPECT_EQ(state.recentFiles.Entry(slot), "");
        EXPECT_EQ(state.recentWorkspaces.Entry(slot), "");
    }
    EXPECT_EQ(state.sectorSize, 64);
    EXPECT_EQ(state.loaderType, 0);
    EXPECT_FALSE(state.coverageState);
    EXPECT_EQ(state.simulation.autoUpdate, 0);
    EXPECT_EQ(state.simulation.updateCount, 10000);
}

TEST(LoadSettingsTest, LoaderTypeDefaultFollowsTheStoredSectorSize)
{
    CMemorySettingsStore store;
    store.WriteInt("Settings", "SectorSize", 128);
    GlobalOptions options;
    AppStateType state;
    LoadSettings(store, options, state);
    EXPECT_EQ(state.loaderType, 1);

    store.WriteInt("Settings", "LoaderType", 3); // a stored value wins
    LoadSettings(store, options, state);
    EXPECT_EQ(state.loaderType, 3);
}

TEST(LoadSettingsTest, StoredValuesReachOptionsAndTheRadixTableIsReset)
{
    CMemorySettingsStore store;
    store.WriteInt("Settings", "TabWidth", 4);
    store.WriteInt("Settings", "FontSize", 14);
    store.WriteInt("Settings", "ProcessorType", 3);
    store.WriteInt("Settings", "GenerateSymFile", 1);
    store.WriteInt("Settings", "CoverageState", 1);
    store.WriteString("Recent File List", "File2", "/src/b.a51");
    store.WriteString("Recent File List", "Workspace1", "/src/w.wsp");
    GlobalOptions options;
    options.radixTable.fill(RadixCode(DisplayRadix::kBinary));
    AppStateType state;
    LoadSettings(store, options, state);

    EXPECT_EQ(options.tabWidth, 4);
    EXPECT_EQ(options.fontSize, 14);
    EXPECT_EQ(options.processorType, 3);
    EXPECT_EQ(options.generateSymFile, 1);
    EXPECT_TRUE(state.coverageState);
    EXPECT_EQ(state.recentFiles.Entry(1), "/src/b.a51");
    EXPECT_EQ(state.recentWorkspaces.Entry(0), "/src/w.wsp");
    EXPECT_EQ(options.radixTable[0], RadixCode(DisplayRadix::kDecimal));
    EXPECT_EQ(options.radixTable[100], RadixCode(DisplayRadix::kDefault));
}

struct CorruptSettingCase
{
    const char* key;
    int stored;
    int GlobalOptions::*field;
    int expected;
};

void PrintTo(const CorruptSettingCase& c, std::ostream* os)
{
    *os << c.key << "=" << c.stored;
}

class CorruptSettingTest : public testing::TestWithParam<CorruptSettingCase>
{
};

TEST_P(CorruptSettingTest, UnusableValuesFallBackToTheirDefaults)
{
    const CorruptSettingCase& c = GetParam();
    CMemorySettingsStore store;
    store.WriteInt("Settings", c.key, c.stored);
    GlobalOptions options;
    AppStateType state;
    LoadSettings(store, options, state);
    EXPECT_EQ(options.*(c.field), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, CorruptSettingTest,
    testing::Values(CorruptSettingCase{"TabWidth", 0, &GlobalOptions::tabWidth, 8},
                    CorruptSettingCase{"TabWidth", 33, &GlobalOptions::tabWidth, 8},
                    CorruptSettingCase{"TabWidth", 32, &GlobalOptions::tabWidth, 32},
                    CorruptSettingCase{"FontSize", -5, &GlobalOptions::fontSize, 10},
                    CorruptSettingCase{"ProcessorType", 4, &GlobalOptions::processorType, 1},
                    CorruptSettingCase{"ProcessorType", -1, &GlobalOptions::processorType, 1},
                    CorruptSettingCase{"ProcessorType", 2, &GlobalOptions::processorType, 2}),
    [](const testing::TestParamInfo<CorruptSettingCase>& info) {
        int value = info.param.stored;
        return std::string(info.param.key) + (value < 0 ? "_minus" : "_") +
               std::to_string(value < 0 ? -value : value);
    });

TEST(LoadSettingsTest, AGenerateFlagOfAnyNonZeroValueIsOn)
{
    CMemorySettingsStore store;
    store.WriteInt("Settings", "GenerateHexFile", 256); // a byte cast would make it 0
    GlobalOptions options;
    AppStateType state;
    LoadSettings(store, options, state);
    EXPECT_EQ(options.generateHexFile, 1);
}

// The dialog.

GlobalOptions StartedOptions(CMemorySettingsStore& store)
{
    GlobalOptions options;
    AppStateType state;
    LoadSettings(store, options, state);
    return options;
}

TEST(DefaultSettingsTest, WithNoStoredFontSizeTheDialogShows12AndOkStoresIt)
{
    CMemorySettingsStore store;
    GlobalOptions options = StartedOptions(store);
    ASSERT_EQ(options.fontSize, 10);

    DefaultSettingsValuesType values = FillDefaultSettings(store, options);
    EXPECT_EQ(values.fontIndex + kSmallestListedFont, 12);
    EXPECT_EQ(values.tabText, "8");
    EXPECT_EQ(values.radixIndex, 0);
    EXPECT_EQ(values.processorIndex, 1);
    EXPECT_TRUE(values.generateListFile);
    EXPECT_FALSE(values.generateSymFile);

    ASSERT_TRUE(ApplyDefaultSettings(values, options, store));
    EXPECT_EQ(options.fontSize, 12);
    EXPECT_EQ(store.ReadInt("Settings", "FontSize", 0), 12);
}

TEST(DefaultSettingsTest, OkStoresSixValuesAndKeepsTheRadixOutOfTheStore)
{
    CMemorySettingsStore store;
    GlobalOptions options = StartedOptions(store);
    DefaultSettingsValuesType values = FillDefaultSettings(store, options);
    values.fontIndex = 0;
    values.tabText = " 4 ";
    values.radixIndex = 3; // Binary
    values.processorIndex = 2;
    values.generateListFile = false;
    values.generateSymFile = true;
    values.generateHexFile = false;
    EXPECT_TRUE(values.syntaxColouring && values.highlightChanges); // both on by default
    values.syntaxColouring = false;
    ASSERT_TRUE(ApplyDefaultSettings(values, options, store));

    EXPECT_EQ(options.fontSize, 8);
    EXPECT_EQ(options.tabWidth, 4);
    EXPECT_EQ(options.radixTable[0], RadixCode(DisplayRadix::kBinary));
    EXPECT_EQ(options.processorType, 2);
    EXPECT_EQ(store.ReadInt("Settings", "TabWidth", 0), 4);
    EXPECT_EQ(store.ReadInt("Settings", "ProcessorType", 0), 2);
    EXPECT_EQ(store.ReadInt("Settings", "GenerateListFile", 9), 0);
    EXPECT_EQ(store.ReadInt("Settings", "GenerateSymFile", 9), 1);
    EXPECT_EQ(store.ReadInt("Settings", "GenerateHexFile", 9), 0);
    EXPECT_EQ(store.Contains("Settings", "DefaultRadix"), false);
    EXPECT_EQ(store.ReadInt("Settings", "SyntaxColouring", 9), 0);
    EXPECT_EQ(store.ReadInt("Settings", "HighlightChangedValues", 9), 1);
    EXPECT_FALSE(FillDefaultSettings(store, options).syntaxColouring);
}

TEST(DefaultSettingsTest, TabSizeValidation)
{
    const std::string message = "Enter an integer between 1 and 32.";
    for (const char* bad : {"0", "33", "", "abc", "4x", "-1", "99999999999"}) {
        EXPECT_EQ(ValidateTabSize(bad), message) << bad;
    }
    for (const char* good : {"1", "32", "+8", " 16"}) {
        EXPECT_EQ(ValidateTabSize(good), std::nullopt) << good;
    }
}

TEST(DefaultSettingsTest, ARefusedTabSizeChangesNothing)
{
    CMemorySettingsStore store;
    GlobalOptions options = StartedOptions(store);
    DefaultSettingsValuesType values = FillDefaultSettings(store, options);
    values.tabText = "40";
    values.fontIndex = 8;
    EXPECT_FALSE(ApplyDefaultSettings(values, options, store));
    EXPECT_EQ(options.fontSize, 10);
    EXPECT_FALSE(store.Contains("Settings", "FontSize"));
}

TEST(DefaultSettingsTest, AStoredFontSizeOutsideTheListSelectsTheNearestEntry)
{
    CMemorySettingsStore store;
    store.WriteInt("Settings", "FontSize", 40);
    GlobalOptions options = StartedOptions(store);
    EXPECT_EQ(FillDefaultSettings(store, options).fontIndex, kFontChoices - 1);
    store.WriteInt("Settings", "FontSize", 3);
    EXPECT_EQ(FillDefaultSettings(store, options).fontIndex, 0);
}

// The QSettings store, on a scratch INI file only.

TEST(QtSettingsStoreTest, ValuesSurviveANewStoreOnTheSameFile)
{
    CScratchDir dir;
    const std::string ini = dir.File("8051.ini");
    {
        CQtSettingsStore store(ini);
        EXPECT_EQ(store.ReadInt("Settings", "TabWidth", 8), 8);
        EXPECT_EQ(store.ReadString("Settings", "AppDirectory", "none"), "none");
        store.WriteInt("Settings", "TabWidth", 3);
        store.WriteString("Recent File List", "File1", "/home/u/a,b.a51");
        store.WriteString("Settings", "WordByteOrder", "1,0");
        store.Sync();
    }
    CQtSettingsStore store(ini);
    EXPECT_EQ(store.ReadInt("Settings", "TabWidth", 8), 3);
    EXPECT_EQ(store.ReadString("Recent File List", "File1", ""), "/home/u/a,b.a51");
    EXPECT_EQ(store.ReadString("Settings", "WordByteOrder", ""), "1,0");
    // Sections are kept apart.
    EXPECT_EQ(store.ReadInt("ReaderPort", "TabWidth", -1), -1);
}

TEST(QtSettingsStoreTest, TheUserStoreLivesUnderCorvane8051)
{
    CScratchDir dir;
    CQtSettingsStore::RedirectUserSettings(dir.Path().string());
    {
        CQtSettingsStore store;
        store.WriteString("Settings", "LastWorkspace", "/w/x.wsp");
        store.Sync();
    }
    const auto file = dir.Path() / "Corvane" / "8051.conf";
    ASSERT_TRUE(std::filesystem::exists(file));
    std::ifstream in(file);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("[Settings]"), std::string::npos);
    EXPECT_NE(text.find("LastWorkspace=/w/x.wsp"), std::string::npos);
    EXPECT_EQ(CQtSettingsStore().ReadString("Settings", "LastWorkspace", ""), "/w/x.wsp");
}

TEST(QtSettingsStoreTest, HandEditedValuesAreReadSafely)
{
    CScratchDir dir;
    const std::string ini = dir.File("8051.ini");
    {
        std::ofstream out(ini);
        out << "[Settings]\nTabWidth=abc\nFontSize= 12 \nWordByteOrder=1,0\n";
    }
    CQtSettingsStore store(ini);
    EXPECT_EQ(store.ReadInt("Settings", "TabWidth", 8), 8);
    EXPECT_EQ(store.ReadInt("Settings", "FontSize", 10), 12);
    EXPECT_EQ(store.ReadString("Settings", "WordByteOrder", ""), "1,0");
}

} // namespace
