#include "platform/settingsstore.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace platform {

NativeSettingsService::NativeSettingsService(QString root) : m_root(std::move(root)) {}

QString NativeSettingsService::defaultRoot()
{
    const QString env = qEnvironmentVariable("TARVEK_SETTINGS_ROOT");
    if (!env.isEmpty())
        return env;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/tarvek-settings");
}

QString NativeSettingsService::fileFor(const QString &app) const
{
    return m_root + QLatin1Char('/') + app.toLower() + QStringLiteral(".ini");
}

#ifdef Q_OS_WIN
// The office application keeps its values in the Visual Basic program-settings branch.
static QString registryPath(const QString &app)
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + app;
}

QString NativeSettingsService::get(const QString &app, const QString &section, const QString &key,
                                   const QString &defaultValue) const
{
    QSettings s(registryPath(app), QSettings::NativeFormat);
    return s.value(section + QLatin1Char('/') + key, defaultValue).toString();
}

void NativeSettingsService::save(const QString &app, const QString &section, const QString &key,
                                 const QString &value)
{
    QSettings s(registryPath(app), QSettings::NativeFormat);
    s.setValue(section + QLatin1Char('/') + key, value);
}
#else
QString NativeSettingsService::get(const QString &app, const QString &section, const QString &key,
                                   const QString &defaultValue) const
{
    QSettings s(fileFor(app), QSettings::IniFormat);
    return s.value(section + QLatin1Char('/') + key, defaultValue).toString();
}

void NativeSettingsService::save(const QString &app, const QString &section, const QString &key,
                                 const QString &value)
{
    QDir().mkpath(m_root);
    QSettings s(fileFor(app), QSettings::IniFormat);
    s.setValue(section + QLatin1Char('/') + key, value);
    s.sync();
}
#endif

QString MemorySettingsService::path(const QString &app, const QString &section, const QString &key)
{
    return app.toLower() + QLatin1Char('/') + section + QLatin1Char('/') + key;
}

QString MemorySettingsService::get(const QString &app, const QString &section, const QString &key,
                                   const QString &defaultValue) const
{
    return m_values.value(path(app, section, key), defaultValue);
}

void MemorySettingsService::save(const QString &app, const QString &section, const QString &key,
                                 const QString &value)
{
    m_values.insert(path(app, section, key), value);
}

} // namespace platform
