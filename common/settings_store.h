#pragma once

#include <map>
#include <string>
#include <utility>

// The per-user settings: four operations, each naming a section and a key.
class ISettingsStore
{
public:
    virtual ~ISettingsStore() = default;
    virtual int ReadInt(const std::string& section, const std::string& key, int defaultValue) = 0;
    virtual std::string ReadString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) = 0;
    virtual void WriteInt(const std::string& section, const std::string& key, int value) = 0;
    virtual void WriteString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
};

// Settings kept in memory: for tests and the command-line tools, which must
// never touch the user's real settings.
class CMemorySettingsStore : public ISettingsStore
{
public:
    int ReadInt(const std::string& section, const std::string& key, int defaultValue) override;
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) override;
    void WriteInt(const std::string& section, const std::string& key, int value) override;
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;

    bool Contains(const std::string& section, const std::string& key) const;

private:
    // Integers and strings share one namespace, as in the registry.
    std::map<std::pair<std::string, std::string>, std::string> values_;
};
