#include "app/qt_settings_store.h"

#include <QSettings>
#include <QString>

namespace {

QString KeyOf(const std::string& section, const std::string& key)
{
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
}

// An INI value edited by hand with unquoted commas comes back as a list;
// it still means the text the user typed.
QString TextOf(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(','));
    }
    return value.toString();
}

} // namespace

CQtSettingsStore::CQtSettingsStore()
    : settings_(std::make_unique<QSettings>(QStringLiteral("Corvane"), QStringLiteral("8051")))
{}

CQtSettingsStore::CQtSettingsStore(const std::string& iniPath)
    : settings_(std::make_unique<QSettings>(QString::fromStdString(iniPath), QSettings::IniFormat))
{}

CQtSettingsStore::~CQtSettingsStore() = default;

int CQtSettingsStore::ReadInt(const std::string& section, const std::string& key, int defaultValue)
{
    QVariant value = settings_->value(KeyOf(section, key));
    if (!value.isValid()) {
        return defaultValue;
    }
    // A hand-edited value that is not a number counts as missing.
    bool ok = false;
    int number = TextOf(value).trimmed().toInt(&ok);
    return ok ? number : defaultValue;
}

std::string CQtSettingsStore::ReadString(const std::string& section, const std::string& key,
                                         const std::string& defaultValue)
{
    QVariant value = settings_->value(KeyOf(section, key));
    if (!value.isValid()) {
        return defaultValue;
    }
    return TextOf(value).toStdString();
}

void CQtSettingsStore::WriteInt(const std::string& section, const std::string& key, int value)
{
    settings_->setValue(KeyOf(section, key), value);
}

void CQtSettingsStore::WriteString(const std::string& section, const std::string& key,
                                   const std::string& value)
{
    settings_->setValue(KeyOf(section, key), QString::fromStdString(value));
}

void CQtSettingsStore::RedirectUserSettings(const std::string& directory)
{
    const QString path = QString::fromStdString(directory);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
}

void CQtSettingsStore::Sync()
{
    settings_->sync();
}
