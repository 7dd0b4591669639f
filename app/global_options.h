#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "assembler/assembler.h"
#include "common/settings_store.h"
#include "simulator/value_format.h"

struct AppStateType;

// The display radix table (DisplayRadix codes), stored byte for byte in RADIX.DAT.
inline constexpr size_t kRadixTableSize = 680;
using RadixTable = std::array<uint8_t, kRadixTableSize>;

namespace radix_layout {
inline constexpr size_t kDefaultRadix = 0;
inline constexpr size_t kRegisterWindow = 1; // one per line
inline constexpr size_t kRegisterLines = 30;
inline constexpr size_t kInternalMemory = 31; // one per address 00h-FFh
inline constexpr size_t kControlRegisterWindow = 287;
inline constexpr size_t kControlRegisterLines = 128;
inline constexpr size_t kDirectMemory = 415;
inline constexpr size_t kPortWindow = 671;
inline constexpr size_t kPortLines = 8;
inline constexpr size_t kUnused = 679;
static_assert(kInternalMemory == kRegisterWindow + kRegisterLines);
static_assert(kControlRegisterWindow == kInternalMemory + 256);
static_assert(kDirectMemory == kControlRegisterWindow + kControlRegisterLines);
static_assert(kPortWindow == kDirectMemory + 256);
static_assert(kUnused == kPortWindow + kPortLines && kUnused + 1 == kRadixTableSize);
} // namespace radix_layout

inline constexpr int kProcessorTypeCount = 4; // "8751", "8752", "8031", "8032"
inline constexpr int kMinTabWidth = 1;
inline constexpr int kMaxTabWidth = 32;

// The process-wide options read by the assembler, the editor and the views.
struct GlobalOptions
{
    int tabWidth = 0;
    uint8_t generateListFile = 0;
    uint8_t generateSymFile = 0;
    uint8_t generateHexFile = 0;
    int processorType = 0;
    int fontSize = 0;
    RadixTable radixTable{};
};

void ResetRadixTable(RadixTable& table);
bool IsValidProcessorType(int processorType);

// Fills the options and the application's fields from the store, in the
// order the settings are read at start-up.
void LoadSettings(ISettingsStore& store, GlobalOptions& options, AppStateType& state);

AssemblerOptions ToAssemblerOptions(const GlobalOptions& options);

// Reads up to 680 bytes into the table; a missing file leaves it as it is.
// Codes no view knows are mapped to safe ones. False when nothing was read.
bool ReadRadixFile(const std::filesystem::path& file, RadixTable& table);
// Failures are not reported to the user; the result is for the caller's log.
bool WriteRadixFile(const std::filesystem::path& file, const RadixTable& table);
