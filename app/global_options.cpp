#include "app/global_options.h"

#include <fstream>
#include <system_error>

#include "app/app_state.h"
#include "common/settings_keys.h"

namespace {

inline constexpr int kMinFontSize = 1;
inline constexpr int kMaxFontSize = 72;

// A value outside what the program can use (hand-edited or corrupt) falls
// back to its default instead of reaching the views or the listing.
int InRangeOr(int value, int low, int high, int fallback)
{
    return (value >= low && value <= high) ? value : fallback;
}

uint8_t Flag(int value)
{
    return value != 0 ? 1 : 0;
}

} // namespace

void ResetRadixTable(RadixTable& table)
{
    table.fill(RadixCode(DisplayRadix::kDefault));
    table[radix_layout::kDefaultRadix] = RadixCode(DisplayRadix::kDecimal);
}

bool IsValidProcessorType(int processorType)
{
    return processorType >= 0 && processorType < kProcessorTypeCount;
}

void LoadSettings(ISettingsStore& store, GlobalOptions& options, AppStateType& state)
{
    options.generateHexFile = Flag(ReadSetting(store, settings::kGenerateHexFile));
    options.generateSymFile = Flag(ReadSetting(store, settings::kGenerateSymFile));
    options.generateListFile = Flag(ReadSetting(store, settings::kGenerateListFile));
    ResetRadixTable(options.radixTable);
    options.tabWidth = InRangeOr(ReadSetting(store, settings::kTabWidth), kMinTabWidth,
                                 kMaxTabWidth, settings::kTabWidth.defaultValue);
    options.fontSize = InRangeOr(ReadSetting(store, settings::kFontSize), kMinFontSize,
                                 kMaxFontSize, settings::kFontSize.defaultValue);
    int processorType = ReadSetting(store, settings::kProcessorType);
    options.processorType =
        IsValidProcessorType(processorType) ? processorType : settings::kProcessorType.defaultValue;
    for (int slot = 0; slot < CRecentList::kSlots; ++slot) {
        state.recentFiles.ReadSlot(store, slot);
        state.recentWorkspaces.ReadSlot(store, slot);
    }
    state.coverageState = ReadSetting(store, settings::kCoverageState) != 0;
    state.sectorSize = ReadSetting(store, settings::kSectorSize);
    state.loaderType = ReadLoaderType(store, state.sectorSize);
    state.simulation.autoUpdate = ReadSetting(store, settings::kEnableAutoUpdate);
    state.simulation.updateCount = ReadSetting(store, settings::kUpdateCount);
}

AssemblerOptions ToAssemblerOptions(const GlobalOptions& options)
{
    AssemblerOptions result;
    result.generateListFile = options.generateListFile != 0;
    result.generateSymFile = options.generateSymFile != 0;
    result.generateHexFile = options.generateHexFile != 0;
    result.tabWidth = options.tabWidth;
    return result;
}

bool ReadRadixFile(const std::filesystem::path& file, RadixTable& table)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return false;
    }
    RadixTable bytes = table;
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    std::streamsize count = in.gcount();
    if (count <= 0) {
        return false;
    }
    // The views index their formatters by these codes: a corrupt byte must
    // not reach them.
    for (std::streamsize i = 0; i < count; ++i) {
        uint8_t& code = bytes[static_cast<size_t>(i)];
        if (!IsRadixCode(code)) {
            code = RadixCode(DisplayRadix::kDefault);
        }
    }
    uint8_t& defaultRadix = bytes[radix_layout::kDefaultRadix];
    if (defaultRadix == RadixCode(DisplayRadix::kDefault)) {
        defaultRadix = RadixCode(DisplayRadix::kDecimal);
    }
    table = bytes;
    return true;
}

bool WriteRadixFile(const std::filesystem::path& file, const RadixTable& table)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) {
        return false;
    }
    out.write(reinterpret_cast<const char*>(table.data()),
              static_cast<std::streamsize>(table.size()));
    out.close();
    return !out.fail();
}
