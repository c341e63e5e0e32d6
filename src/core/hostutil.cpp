#include "core/hostutil.h"

#include "platform/fileversion.h"
#include "platform/platform.h"

#include <QDir>

using platform::MsgIcon;
using platform::Platform;

bool SocketsStart()
{
    const platform::SocketStartup s = Platform::host().startup();
    if (!s.ok) {
        platform::msgBox(QStringLiteral("The 32-bit Windows Socket is not responding."));
        return false;
    }
    if (s.maxSockets < 1) {
        platform::msgBox(QStringLiteral("This application requires a minimum of ") +
                         QStringLiteral("1") + QStringLiteral(" supported sockets."));
        return false;
    }
    if (s.versionMajor < 1 || (s.versionMajor == 1 && s.versionMinor < 1)) {
        platform::msgBox(QStringLiteral("Sockets version %1.%2 is not supported by 32-bit "
                                        "Windows Sockets.")
                             .arg(s.versionMajor)
                             .arg(s.versionMinor));
        return false;
    }
    return true;
}

void SocketsStop()
{
    if (!Platform::host().cleanup())
        platform::msgBox(QStringLiteral("Socket error occurred in Cleanup."));
}

namespace {
void hostNameFailed()
{
    // Str() of a non-negative number leads with a blank: two blanks stand before the digits.
    const int e = Platform::host().lastError();
    const QString number = e >= 0 ? QStringLiteral(" ") + QString::number(e) : QString::number(e);
    platform::msgBox(QStringLiteral("Windows Sockets error ") + number +
                     QStringLiteral(" has occurred. Unable to successfully get Host Name."));
}
} // namespace

QString QueryHostName()
{
    if (!SocketsStart())
        return {};
    QString result;
    if (const auto name = Platform::host().hostName())
        result = name->left(255);
    else
        hostNameFailed();
    SocketsStop();
    return result;
}

QString QueryHostAddress()
{
    if (!SocketsStart())
        return {};
    const auto name = Platform::host().hostName();
    if (!name) {
        hostNameFailed();
        SocketsStop();
        return {};
    }
    const auto address = Platform::host().firstAddress(name->trimmed());
    if (!address) {
        platform::msgBox(QStringLiteral("Windows Sockets are not responding. ") +
                         QStringLiteral("Unable to successfully get Host Name."));
        SocketsStop();
        return {};
    }
    QStringList parts;
    for (const char b : *address)
        parts << QString::number(static_cast<unsigned char>(b));
    SocketsStop();
    return parts.join(QLatin1Char('.'));
}

QString FileVersionText(const QString &path)
{
    const auto v = platform::readFileVersion(path);
    if (!v)
        return {};
    QStringList parts;
    for (const quint16 part : *v)
        parts << QString::number(qint16(part));
    return parts.join(QLatin1Char('.'));
}

QString TempFolder()
{
    const QString path = Platform::host().tempPath();
    // The answer must fit the 100-character buffer, terminating zero included.
    if (path.size() >= 100)
        return {};
    return path;
}

bool EmptyFolder(const QString &folder)
{
    QDir dir(folder);
    const auto files = [&dir] { return dir.entryList(QDir::Files | QDir::Hidden | QDir::System); };
    for (const QString &f : files())
        dir.remove(f);
    return files().isEmpty();
}
