#include "app/default_settings_model.h"

#include <algorithm>
#include <charconv>

#include "common/settings_keys.h"

namespace {

constexpr const char* kRangeMessage = "Enter an integer between %1 and %2.";

// A drop-down list cannot show a selection outside its entries.
int ClampIndex(int index, int count)
{
    return index < 0 ? 0 : (index >= count ? count - 1 : index);
}

std::optional<int> ParseTabSize(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string RangeMessage(int low, int high)
{
    std::string message = kRangeMessage;
    message.replace(message.find("%1"), 2, std::to_string(low));
    message.replace(message.find("%2"), 2, std::to_string(high));
    return message;
}

} // namespace

DefaultSettingsValuesType FillDefaultSettings(ISettingsStore& store, const GlobalOptions& options)
{
    DefaultSettingsValuesType values;
    int fontSize = ReadSetting(store, settings::kFontSizeInDialog);
    values.fontIndex = ClampIndex(fontSize - kSmallestListedFont, kFontChoices);
    values.tabText = std::to_string(options.tabWidth);
    values.radixIndex = ClampIndex(options.radixTable[radix_layout::kDefaultRadix] -
                                       RadixCode(DisplayRadix::kDecimal),
                                   kRadixChoices);
    values.processorIndex = ClampIndex(options.processorType, kProcessorTypeCount);
    values.generateListFile = options.generateListFile != 0;
    values.generateSymFile = options.generateSymFile != 0;
    values.generateHexFile = options.generateHexFile != 0;
    values.recoveryInterval = std::clamp(ReadSetting(store, settings::kRecoveryInterval), 0,
                                         settings::kMaxRecoveryInterval);
    values.syntaxColouring = ReadSetting(store, settings::kSyntaxColouring) != 0;
    values.highlightChanges = ReadSetting(store, settings::kHighlightChanges) != 0;
    return values;
}

std::optional<std::string> ValidateTabSize(std::string_view text)
{
    std::optional<int> value = ParseTabSize(text);
    if (!value || *value < kMinTabWidth || *value > kMaxTabWidth) {
        return RangeMessage(kMinTabWidth, kMaxTabWidth);
    }
    return std::nullopt;
}

bool ApplyDefaultSettings(const DefaultSettingsValuesType& values, GlobalOptions& options,
                          ISettingsStore& store)
{
    std::optional<int> tabWidth = ParseTabSize(values.tabText);
    if (ValidateTabSize(values.tabText)) {
        return false;
    }
    options.fontSize = ClampIndex(values.fontIndex, kFontChoices) + kSmallestListedFont;
    options.tabWidth = *tabWidth;
    options.radixTable[radix_layout::kDefaultRadix] = static_cast<uint8_t>(
        ClampIndex(values.radixIndex, kRadixChoices) + RadixCode(DisplayRadix::kDecimal));
    options.processorType = ClampIndex(values.processorIndex, kProcessorTypeCount);
    options.generateListFile = values.generateListFile ? 1 : 0;
    options.generateSymFile = values.generateSymFile ? 1 : 0;
    options.generateHexFile = values.generateHexFile ? 1 : 0;

    WriteSetting(store, settings::kFontSize, options.fontSize);
    WriteSetting(store, settings::kTabWidth, options.tabWidth);
    WriteSetting(store, settings::kProcessorType, options.processorType);
    WriteSetting(store, settings::kGenerateHexFile, options.generateHexFile);
    WriteSetting(store, settings::kGenerateSymFile, options.generateSymFile);
    WriteSetting(store, settings::kGenerateListFile, options.generateListFile);
    WriteSetting(store, settings::kRecoveryInterval,
                 std::clamp(values.recoveryInterval, 0, settings::kMaxRecoveryInterval));
    WriteSetting(store, settings::kSyntaxColouring, values.syntaxColouring ? 1 : 0);
    WriteSetting(store, settings::kHighlightChanges, values.highlightChanges ? 1 : 0);
    return true;
}
