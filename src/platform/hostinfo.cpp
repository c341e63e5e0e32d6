#include "platform/hostinfo.h"

#include <QDir>
#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>

namespace platform {

std::optional<QString> RealHostService::hostName()
{
    const QString name = QHostInfo::localHostName();
    if (name.isEmpty()) {
        m_lastError = 11001; // host not found
        return std::nullopt;
    }
    return name;
}

std::optional<QByteArray> RealHostService::firstAddress(const QString &name)
{
    auto bytes = [](const QHostAddress &a) {
        const quint32 v = a.toIPv4Address();
        QByteArray b(4, '\0');
        for (int i = 0; i < 4; ++i)
            b[i] = char((v >> (24 - 8 * i)) & 0xFF);
        return b;
    };
    // The local host: the first address another workstation could reach us at, so a name
    // that resolves only to the loopback address still yields the network address.
    if (name.compare(QHostInfo::localHostName(), Qt::CaseInsensitive) == 0) {
        for (const QHostAddress &a : QNetworkInterface::allAddresses())
            if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
                return bytes(a);
    }
    const QHostInfo info = QHostInfo::fromName(name);
    for (const QHostAddress &a : info.addresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            return bytes(a);
    m_lastError = 11001;
    return std::nullopt;
}

QString RealHostService::tempPath() const
{
    return QDir::tempPath() + QLatin1Char('/');
}

} // namespace platform
