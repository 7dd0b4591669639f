#include "common/settings_keys.h"

int LoaderTypeDefault(int sectorSize)
{
    return sectorSize == 128 ? 1 : 0;
}

int ReadSetting(ISettingsStore& store, const IntSettingType& setting)
{
    return store.ReadInt(setting.section, setting.key, setting.defaultValue);
}

std::string ReadSetting(ISettingsStore& store, const StringSettingType& setting)
{
    return store.ReadString(setting.section, setting.key, setting.defaultValue);
}

void WriteSetting(ISettingsStore& store, const IntSettingType& setting, int value)
{
    store.WriteInt(setting.section, setting.key, value);
}

void WriteSetting(ISettingsStore& store, const StringSettingType& setting, const std::string& value)
{
    store.WriteString(setting.section, setting.key, value);
}

int ReadLoaderType(ISettingsStore& store, int sectorSize)
{
    return store.ReadInt(settings::kSettings, settings::kLoaderTypeKey,
                         LoaderTypeDefault(sectorSize));
}

void WriteLoaderType(ISettingsStore& store, int loaderType)
{
    store.WriteInt(settings::kSettings, settings::kLoaderTypeKey, loaderType);
}
