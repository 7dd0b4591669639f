#pragma once

#include <string>

#include "common/settings_store.h"

// Every per-user setting, declared once with its section, key and default,
// for all layers: the link and the editor read theirs from here too.
struct IntSettingType
{
    const char* section;
    const char* key;
    int defaultValue;
};

struct StringSettingType
{
    const char* section;
    const char* key;
    const char* defaultValue;
};

namespace settings {

inline constexpr const char* kSettings = "Settings";
inline constexpr const char* kRecentFileList = "Recent File List";
inline constexpr const char* kReaderPort = "ReaderPort";
inline constexpr const char* kWindowPlacement = "WindowPlacement";
inline constexpr const char* kSearch = "Search";

inline constexpr IntSettingType kGenerateHexFile{kSettings, "GenerateHexFile", 1};
inline constexpr IntSettingType kGenerateSymFile{kSettings, "GenerateSymFile", 0};
inline constexpr IntSettingType kGenerateListFile{kSettings, "GenerateListFile", 1};
inline constexpr IntSettingType kTabWidth{kSettings, "TabWidth", 8};
inline constexpr IntSettingType kFontSize{kSettings, "FontSize", 10};
// The Default Settings dialog reads the same value with another default.
inline constexpr IntSettingType kFontSizeInDialog{kSettings, "FontSize", 12};
inline constexpr IntSettingType kProcessorType{kSettings, "ProcessorType", 1};
inline constexpr IntSettingType kCoverageState{kSettings, "CoverageState", 0};
inline constexpr IntSettingType kSectorSize{kSettings, "SectorSize", 64};
// Default depends on the sector size: see LoaderTypeDefault(). The
// Connection dialog reads it with the same default, so a stored sector size
// of 128 without a loader type shows the loader the application uses.
inline constexpr const char* kLoaderTypeKey = "LoaderType";
inline constexpr IntSettingType kEnableAutoUpdate{kSettings, "EnableAutoUpdate", 0};
inline constexpr IntSettingType kUpdateCount{kSettings, "UpdateCount", 10000};
// Source windows colour mnemonics, names, numbers, strings and comments; 0
// draws all text in plain black (Options > Defaults).
inline constexpr IntSettingType kSyntaxColouring{kSettings, "SyntaxColouring", 1};
inline constexpr StringSettingType kAppDirectory{kSettings, "AppDirectory", ""};
inline constexpr StringSettingType kLastWorkspace{kSettings, "LastWorkspace", ""};
inline constexpr StringSettingType kProjectFile{kSettings, "ProjectFile", ""};
inline constexpr StringSettingType kWordByteOrder{kSettings, "WordByteOrder", "0,1"};
inline constexpr StringSettingType kDWordByteOrder{kSettings, "DWordByteOrder", "0,1,2,3"};
// Debug windows draw the values that changed since the previous stop in red.
inline constexpr IntSettingType kHighlightChanges{kSettings, "HighlightChangedValues", 1};
// The serial window shows the transmitted bytes in hexadecimal.
inline constexpr IntSettingType kSerialHex{kSettings, "SerialWindowHex", 0};
// Seconds between writes of modified sources to their recovery files; 0 off.
inline constexpr IntSettingType kRecoveryInterval{kSettings, "RecoveryInterval", 30};
inline constexpr int kMaxRecoveryInterval = 3600;

inline constexpr IntSettingType kDownloadPort{kReaderPort, "DownloadPort", 0};
inline constexpr IntSettingType kDownloadRate{kReaderPort, "DownloadRate", 9600};
inline constexpr IntSettingType kMonitorRate{kReaderPort, "MonitorRate", 9600};
inline constexpr IntSettingType kEnableMonitor{kReaderPort, "EnableMonitor", 1};
// Beside the numbered port, the device a platform without COM numbers opens.
inline constexpr StringSettingType kDownloadDevice{kReaderPort, "DownloadDevice", ""};

// Find, Replace and Find in Files: one history and one set of options. The
// histories are prefix1..prefix16.
inline constexpr IntSettingType kMatchCase{kSearch, "MatchCase", 0};
inline constexpr IntSettingType kWholeWords{kSearch, "WholeWords", 0};
inline constexpr IntSettingType kDirection{kSearch, "Direction", 0}; // 0 up, 1 down
inline constexpr IntSettingType kSubdirectories{kSearch, "Subdirectories", 0};
inline constexpr StringSettingType kLastSearch{kSearch, "LastSearch", ""};
inline constexpr const char* kFindHistory = "Find";
inline constexpr const char* kReplaceHistory = "Replace";
inline constexpr const char* kFileFilterHistory = "FileFilter";
inline constexpr const char* kFileFolderHistory = "FileFolder";

inline constexpr StringSettingType kMainFrame{kWindowPlacement, "MainFrame", ""};
inline constexpr IntSettingType kMainFrameZoomed{kWindowPlacement, "MainFrameZoomed", 0};
inline constexpr IntSettingType kOpenClientMaximized{kWindowPlacement, "OpenClientMaximized", 0};

// Recent-list keys are "File%d" and "Workspace%d" with the slot number 1-4.
inline constexpr const char* kRecentFileKey = "File%d";
inline constexpr const char* kRecentWorkspaceKey = "Workspace%d";

} // namespace settings

int LoaderTypeDefault(int sectorSize);

int ReadSetting(ISettingsStore& store, const IntSettingType& setting);
std::string ReadSetting(ISettingsStore& store, const StringSettingType& setting);
void WriteSetting(ISettingsStore& store, const IntSettingType& setting, int value);
void WriteSetting(ISettingsStore& store, const StringSettingType& setting,
                  const std::string& value);

// LoaderType with its default taken from the sector size.
int ReadLoaderType(ISettingsStore& store, int sectorSize);
void WriteLoaderType(ISettingsStore& store, int loaderType);
