#pragma once

#include <QMap>
#include <QString>

namespace platform {

// The per-user settings store that the office application writes: values addressed by
// application, section and key. Application names compare case-insensitively
// ("tarvek2000" and "Tarvek2000" are one key).
class SettingsService
{
public:
    virtual ~SettingsService() = default;
    virtual QString get(const QString &app, const QString &section, const QString &key,
                        const QString &defaultValue = {}) const = 0;
    virtual void save(const QString &app, const QString &section, const QString &key,
                      const QString &value) = 0;
};

// Linux: one INI file per application (name lower-cased) under a root folder.
// Windows: the registry store the office application uses.
class NativeSettingsService : public SettingsService
{
public:
    explicit NativeSettingsService(QString root);
    QString get(const QString &app, const QString &section, const QString &key,
                const QString &defaultValue) const override;
    void save(const QString &app, const QString &section, const QString &key,
              const QString &value) override;
    const QString &root() const { return m_root; }

    // TARVEK_SETTINGS_ROOT when set, else the user's configuration folder.
    static QString defaultRoot();

private:
    QString fileFor(const QString &app) const;
    QString m_root;
};

class MemorySettingsService : public SettingsService
{
public:
    QString get(const QString &app, const QString &section, const QString &key,
                const QString &defaultValue) const override;
    void save(const QString &app, const QString &section, const QString &key,
              const QString &value) override;

private:
    static QString path(const QString &app, const QString &section, const QString &key);
    QMap<QString, QString> m_values;
};

} // namespace platform
