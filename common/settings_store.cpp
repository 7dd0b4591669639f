#include "common/settings_store.h"

#include <charconv>

int CMemorySettingsStore::ReadInt(const std::string& section, const std::string& key,
                                  int defaultValue)
{
    auto it = values_.find({section, key});
    if (it == values_.end()) {
        return defaultValue;
    }
    int value = 0;
    const std::string& text = it->second;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size()) {
        return defaultValue;
    }
    return value;
}

std::string CMemorySettingsStore::ReadString(const std::string& section, const std::string& key,
                                             const std::string& defaultValue)
{
    auto it = values_.find({section, key});
    return it == values_.end() ? defaultValue : it->second;
}

void CMemorySettingsStore::WriteInt(const std::string& section, const std::string& key, int value)
{
    values_[{section, key}] = std::to_string(value);
}

void CMemorySettingsStore::WriteString(const std::string& section, const std::string& key,
                                       const std::string& value)
{
    values_[{section, key}] = value;
}

bool CMemorySettingsStore::Contains(const std::string& section, const std::string& key) const
{
    return values_.count({section, key}) != 0;
}
