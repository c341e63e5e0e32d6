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

#include <climits>

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
    // A part is a signed 16-bit number, as FileVersionText writes it; anything beyond is no
    // version (and would overflow the revision below).
    auto number = [&parts](int i) -> std::optional<int> {
        bool ok = false;
        const short n = parts.at(i).trimmed().toShort(&ok);
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

namespace {
QString networkError(QNetworkReply::NetworkError e)
{
    switch (e) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("bağlantı reddedildi");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("sunucu bulunamadı");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("sunucu bağlantıyı kesti");
    default:
        return QStringLiteral("bağlantı hatası (%1)").arg(int(e));
    }
}
} // namespace

HttpOutcome HttpGet(const QString &url, const HttpLimits &limits)
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
    // Read as it arrives, so that no more than maxBytes is ever held or written.
    reply->setReadBufferSize(256 * 1024);
    QByteArray body;
    qint64 received = 0;
    QString stopped;
    const auto stop = [&](const QString &why) {
        if (stopped.isEmpty())
            stopped = why;
        reply->abort();
    };
    const QString tooLarge = QStringLiteral("boyut sınırı aşıldı (%1 bayt)").arg(limits.maxBytes);
    const auto take = [&] {
        if (!stopped.isEmpty())
            return;
        // One byte past the limit is enough to know; never more than is there (read() would
        // reserve the whole size asked for).
        const QByteArray chunk =
            reply->read(qMin(limits.maxBytes - received + 1, reply->bytesAvailable()));
        received += chunk.size();
        if (received > limits.maxBytes)
            stop(tooLarge);
        else if (limits.sink && limits.sink->write(chunk) != chunk.size())
            stop(QStringLiteral("dosyaya yazılamadı"));
        else if (!limits.sink)
            body += chunk;
        if (limits.progress && stopped.isEmpty())
            limits.progress(received);
    };
    QEventLoop loop;
    QTimer whole, idle, poll;
    whole.setSingleShot(true);
    idle.setSingleShot(true);
    QObject::connect(&whole, &QTimer::timeout, &loop, [&] { stop(QStringLiteral("zaman aşımı")); });
    QObject::connect(&idle, &QTimer::timeout, &loop,
                     [&] { stop(QStringLiteral("sunucu yanıt vermiyor")); });
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (limits.stopped())
            stop(QStringLiteral("iptal edildi"));
    });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        // A length announced over the limit is refused before its first byte.
        if (reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > limits.maxBytes)
            stop(tooLarge);
    });
    QObject::connect(reply, &QIODevice::readyRead, &loop, [&] {
        take();
        if (limits.idleMs > 0)
            idle.start(limits.idleMs);
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // Precise and a millisecond late, so that the deadline has passed when the timer says so.
    whole.setTimerType(Qt::PreciseTimer);
    if (!limits.deadline.isForever())
        whole.start(int(qBound(qint64(0), limits.deadline.remainingTime() + 1, qint64(INT_MAX))));
    if (limits.idleMs > 0)
        idle.start(limits.idleMs);
    if (limits.stopped)
        poll.start(100);
    if (!reply->isFinished())
        // The updater's cancel button must be clickable meanwhile; the check has none.
        loop.exec(limits.stopped ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    take();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!stopped.isEmpty())
        out.error = stopped;
    else if (status != 0 && status != 200)
        out.error = QStringLiteral("HTTP %1").arg(status);
    else if (reply->error() != QNetworkReply::NoError)
        out.error = networkError(reply->error());
    else
        out.body = body;
    delete reply;
    return out;
}
