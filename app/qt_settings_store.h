#pragma once

#include <memory>
#include <string>

#include "common/settings_store.h"

class QSettings;

// The user's settings through QSettings: organisation "Corvane", application
// "8051" (the registry key on Windows, an INI file under the user's config
// directory on Linux). Qt stays out of this header so that the rest of the
// model builds without it.
class CQtSettingsStore : public ISettingsStore
{
public:
    CQtSettingsStore();
    // An explicit INI file: for tests and for a portable installation.
    explicit CQtSettingsStore(const std::string& iniPath);
    ~CQtSettingsStore() override;

    int ReadInt(const std::string& section, const std::string& key, int defaultValue) override;
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) override;
    void WriteInt(const std::string& section, const std::string& key, int value) override;
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;

    // Where stores made with the default constructor keep their file from
    // now on: for tests, which must never touch the user's settings.
    static void RedirectUserSettings(const std::string& directory);

    // Pushes pending writes to disk (QSettings also does it on its own).
    void Sync();

private:
    std::unique_ptr<QSettings> settings_;
};
