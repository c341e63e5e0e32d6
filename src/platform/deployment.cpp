#include "platform/deployment.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

#include <limits>
#include <optional>
#include <type_traits>

namespace platform {

namespace {
std::optional<Deployment> &slot()
{
    static std::optional<Deployment> d;
    return d;
}
} // namespace

Deployment Deployment::builtIn()
{
    Deployment d;
    d.scramblerAlphabet1 =
        QStringLiteral("w0h3CHjvQxsYcFzAWqrULbVTk9BPapIZil8n_4yEN562Xmeudg7GSOJD1tMR.Kof-");
    d.scramblerAlphabet2 =
        QStringLiteral("famwOWquLeskIGy1E5zZ2hYlbCcPQ8rX7tR6HTKU_n4gv3i-jVx9N0BSApM.FJDdo");
    // Unscrambles (variant 1) to the demo and test password of the fixed SQL login.
    d.scrambledSqlPassword = QStringLiteral("qF9OyXhzY.9qgyAxNKpDwyJOce");
    return d;
}

Deployment Deployment::load(const QString &iniFile)
{
    Deployment d = builtIn();
    if (iniFile.isEmpty() || !QFileInfo::exists(iniFile))
        return d;
    QSettings s(iniFile, QSettings::IniFormat);
    auto text = [&s](const char *key, QString &field) {
        const QString k = QString::fromLatin1(key);
        if (s.contains(k))
            field = s.value(k).toString();
    };
    auto number = [&s](const char *key, int &field) {
        const QString k = QString::fromLatin1(key);
        bool ok = false;
        const int v = s.value(k).toInt(&ok);
        if (s.contains(k) && ok)
            field = v;
    };
    // Sizes and times in the units an administrator writes; nonsense (zero, negative, not a
    // number) keeps the default.
    auto scaled = [&s](const char *key, auto &field, qint64 unit) {
        const QString k = QString::fromLatin1(key);
        bool ok = false;
        const qint64 v = s.value(k).toLongLong(&ok);
        using Field = std::remove_reference_t<decltype(field)>;
        if (s.contains(k) && ok && v > 0 && v <= std::numeric_limits<Field>::max() / unit)
            field = Field(v * unit);
    };
    text("portal/app_host", d.portalAppHost);
    text("portal/front_host", d.portalFrontHost);
    text("update/host", d.updateHost);
    text("update/public_key", d.updatePublicKey);
    number("update/timeout_ms", d.updateTimeoutMs);
    scaled("update/list_limit_kb", d.updateListMaxBytes, 1024);
    scaled("update/package_limit_mb", d.updatePackageMaxBytes, 1024 * 1024);
    scaled("update/unpacked_limit_mb", d.updateUnpackedMaxBytes, 1024 * 1024);
    scaled("update/overall_limit_s", d.updateOverallTimeoutMs, 1000);
    text("support/phone", d.supportPhone);
    text("support/development_folder", d.developmentFolder);
    text("scrambler/alphabet1", d.scramblerAlphabet1);
    text("scrambler/alphabet2", d.scramblerAlphabet2);
    text("scrambler/sql_password", d.scrambledSqlPassword);
    text("paths/drive_root", d.driveRoot);
    number("stamp/timeout_seconds", d.stampToolTimeoutSeconds);
    d.stampExternalTool =
        s.value(QStringLiteral("stamp/external_tool"), d.stampExternalTool).toBool();
    number("stamp/max_megapixels", d.stampMaxMegapixels);
    return d;
}

QString Deployment::defaultFile()
{
    const QString env = qEnvironmentVariable("TARVEK_DEPLOYMENT");
    if (!env.isEmpty())
        return env;
    if (!QCoreApplication::instance())
        return {};
    return QCoreApplication::applicationDirPath() + QStringLiteral("/tarvek-deployment.ini");
}

const Deployment &Deployment::current()
{
    if (!slot())
        slot() = load(defaultFile());
    return *slot();
}

void Deployment::setCurrent(const Deployment &d)
{
    slot() = d;
}

} // namespace platform
