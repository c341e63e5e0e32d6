#include "core/versionlist.h"

#include "core/hostutil.h"
#include "platform/deployment.h"
#include "platform/paths.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace {
const QString kListFolder = QStringLiteral("/download/Tarvek_Zere/Tarvek2000/");

QString updateHost()
{
    QString host = platform::Deployment::current().updateHost;
    while (host.endsWith(QLatin1Char('/')))
        host.chop(1);
    return host;
}
} // namespace

QString VersionListUrl()
{
    return updateHost() + kListFolder + QStringLiteral("versiyon2015.txt");
}

QString PackageUrl(const QString &packageName)
{
    return updateHost() + kListFolder + packageName + QStringLiteral(".zip");
}

std::optional<ComparedVersion> ParseComparedVersion(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    const QStringList parts = text.split(QLatin1Char('.'));
    ComparedVersion v;
    v.major = parts.at(0);
    if (parts.size() > 1)
        v.minor = parts.at(1);
    auto number = [&parts](int i) -> std::optional<int> {
        bool ok = false;
        const int n = parts.at(i).trimmed().toInt(&ok);
        return ok ? std::optional<int>(n) : std::nullopt;
    };
    if (parts.size() == 3) {
        const auto build = number(2);
        if (!build)
            return std::nullopt;
        v.revision = *build;
    } else if (parts.size() == 4) {
        const auto build = number(2);
        const auto revision = number(3);
        if (!build || !revision)
            return std::nullopt;
        v.revision = *build * 10 + *revision;
    }
    return v;
}

bool IsNewer(const ComparedVersion &listed, const ComparedVersion &installed)
{
    // QString's ordering is by UTF-16 code unit: character-code order, no locale.
    if (listed.major != installed.major)
        return listed.major > installed.major;
    if (listed.minor != installed.minor) {
        if (!listed.minor)
            return false; // the number 0 is below any text
        if (!installed.minor)
            return true;
        return *listed.minor > *installed.minor;
    }
    return listed.revision > installed.revision;
}

bool ListShowsNewer(const QString &listText, const QString &packageName,
                    const std::function<QString()> &installedVersion)
{
    const QString zipName = packageName + QStringLiteral(".zip");
    const QStringList lines = listText.split(QStringLiteral("\r\n"));
    for (const QString &line : lines) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('\'')))
            continue;
        const QStringList fields = line.split(QLatin1Char(','));
        if (fields.size() < 2)
            return false; // a line without a comma spoils the whole list
        if (fields.at(1) != zipName)
            continue;
        if (fields.size() < 10)
            return false;
        if (fields.at(9).isEmpty())
            continue;
        const auto listed = ParseComparedVersion(fields.at(9));
        const auto installed = ParseComparedVersion(installedVersion());
        if (!listed || !installed)
            return false;
        return IsNewer(*listed, *installed);
    }
    return false;
}

QString PackageProgramFile(const QString &folder, const QString &packageName)
{
    return platform::programFile(folder + QLatin1Char('\\') + packageName + QStringLiteral(".exe"));
}

bool UpdateNeeded(const QString &listText, const QString &folderPrefix, const QString &packageName)
{
    return ListShowsNewer(listText, packageName, [&] {
        return FileVersionText(
            platform::programFile(folderPrefix + packageName + QStringLiteral(".exe")));
    });
}

HttpOutcome HttpGet(const QString &url, int timeoutMs, bool idleLimit)
{
    HttpOutcome out;
    QNetworkAccessManager manager;
    const QUrl address(url);
    // The workstation's own proxy settings apply, as they did for the old transfer control.
    const QList<QNetworkProxy> proxies =
        QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(address));
    if (!proxies.isEmpty())
        manager.setProxy(proxies.first());
    QNetworkRequest request{address};
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(0);
    QNetworkReply *reply = manager.get(request);
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    if (idleLimit)
        QObject::connect(reply, &QNetworkReply::downloadProgress, &limit,
                         [&limit, timeoutMs] { limit.start(timeoutMs); });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    limit.start(timeoutMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (timedOut)
        out.error = QStringLiteral("zaman aşımı (%1 ms)").arg(timeoutMs);
    else if (reply->error() != QNetworkReply::NoError)
        out.error = reply->errorString();
    else if (status != 200)
        out.error = QStringLiteral("HTTP %1").arg(status);
    else
        out.body = reply->readAll();
    delete reply;
    return out;
}
