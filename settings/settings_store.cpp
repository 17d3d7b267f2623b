#include "settings/settings_store.h"

#include "platform/error.h"

#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

namespace settings {
namespace {

QString groupKey(const Key& key)
{
    QString section = QString::fromLatin1(key.section);
    section.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return section + QLatin1Char('/') + QString::fromLatin1(key.name);
}

}  // namespace

SettingsStore::SettingsStore()
    : folder_(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
              + QStringLiteral("/Torvik"))
{
}

SettingsStore::SettingsStore(QString folder) : folder_(std::move(folder)) {}

QString SettingsStore::fileOf(const char* application) const
{
    return folder_ + QLatin1Char('/') + QString::fromLatin1(application) + QStringLiteral(".ini");
}

QString SettingsStore::get(const Key& key, const QString& fallback) const
{
    QSettings ini(fileOf(key.application), QSettings::IniFormat);
    const QVariant value = ini.value(groupKey(key));
    if (!value.isValid())
        return fallback;
    // A hand-written value with a comma reads back as a list; it is one text to the programs.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void SettingsStore::save(const Key& key, const QString& value)
{
    QSettings ini(fileOf(key.application), QSettings::IniFormat);
    ini.setValue(groupKey(key), value);
    ini.sync();
    if (ini.status() != QSettings::NoError)
        throw platform::Error(platform::Error::PathFileAccess, fileOf(key.application));
}

}  // namespace settings
