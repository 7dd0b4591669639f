#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "app/global_options.h"
#include "common/settings_store.h"

// The Default Settings dialog without its window: what it shows, what it
// refuses and what OK stores.
struct DefaultSettingsValuesType
{
    int fontIndex = 0;      // "8" ... "16"
    std::string tabText;    // the edit field's text
    int radixIndex = 0;     // "Decimal", "Hexadecimal", "ASCII", "Binary"
    int processorIndex = 0; // "8751", "8752", "8031", "8032"
    bool generateListFile = false;
    bool generateSymFile = false;
    bool generateHexFile = false;
    int recoveryInterval = 0;     // seconds, 0 = off
    bool syntaxColouring = true;  // source windows colour the assembler's words
    bool highlightChanges = true; // debug windows show values changed by a run in red
};

inline constexpr const char* kDefaultSettingsCaption = "Default Settings";
inline constexpr std::array<const char*, 9> kFontSizeTexts{"8",  "9",  "10", "11", "12",
                                                           "13", "14", "15", "16"};
inline constexpr std::array<const char*, 4> kRadixTexts{"Decimal", "Hexadecimal", "ASCII",
                                                        "Binary"};
inline constexpr std::array<const char*, 4> kProcessorTexts{"8751", "8752", "8031", "8032"};
inline constexpr int kSmallestListedFont = 8;
inline constexpr int kFontChoices = static_cast<int>(kFontSizeTexts.size());
inline constexpr int kRadixChoices = static_cast<int>(kRadixTexts.size());
static_assert(kProcessorTexts.size() == kProcessorTypeCount);

// The dialog shows the stored font size (default 12), not the one in use.
DefaultSettingsValuesType FillDefaultSettings(ISettingsStore& store, const GlobalOptions& options);

// The message that keeps the dialog open, or nothing when the tab size is
// acceptable.
std::optional<std::string> ValidateTabSize(std::string_view text);

// OK: takes all seven values into the options and writes six of them to the
// store (the default radix reaches disk through RADIX.DAT). False, with
// nothing changed, when the tab size is refused.
bool ApplyDefaultSettings(const DefaultSettingsValuesType& values, GlobalOptions& options,
                          ISettingsStore& store);
