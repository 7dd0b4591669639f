#include "app/recent_list.h"

#include "common/settings_keys.h"
#include "common/text_util.h"

const std::string& CRecentList::Entry(int slot) const
{
    static const std::string kNone;
    return (slot >= 0 && slot < kSlots) ? entries_[static_cast<size_t>(slot)] : kNone;
}

std::string CRecentList::KeyOf(int slot) const
{
    // The format comes from the settings table, never from data.
    return StrFormat(keyFormat_, slot + 1);
}

void CRecentList::ReadSlot(ISettingsStore& store, int slot)
{
    if (slot >= 0 && slot < kSlots) {
        entries_[static_cast<size_t>(slot)] =
            store.ReadString(settings::kRecentFileList, KeyOf(slot), "");
    }
}

void CRecentList::Add(ISettingsStore& store, const std::string& path)
{
    std::array<std::string, kSlots> old = entries_;
    entries_[0] = path;
    store.WriteString(settings::kRecentFileList, KeyOf(0), path);
    int next = 1;
    for (const std::string& entry : old) {
        if (next >= kSlots) {
            break;
        }
        if (entry != path) {
            entries_[static_cast<size_t>(next)] = entry;
            store.WriteString(settings::kRecentFileList, KeyOf(next), entry);
            ++next;
        }
    }
}


