#pragma once

#include <array>
#include <string>

#include "common/settings_store.h"

// One of the two most-recently-used lists (files, workspaces): four paths,
// slot 0 the most recent, an empty string a free slot. Slot i is stored in
// "Recent File List" under the key formed from the list's key format and i + 1.
class CRecentList
{
public:
    static constexpr int kSlots = 4;

    explicit CRecentList(const char* keyFormat) : keyFormat_(keyFormat) {}

    const std::string& Entry(int slot) const;
    void ReadSlot(ISettingsStore& store, int slot);
    // Puts path first, keeps the other entries in order without duplicates
    // (exact compare), and stores every slot it writes.
    void Add(ISettingsStore& store, const std::string& path);

    const std::array<std::string, kSlots>& Entries() const { return entries_; }

private:
    std::string KeyOf(int slot) const;

    const char* keyFormat_;
    std::array<std::string, kSlots> entries_;
};
