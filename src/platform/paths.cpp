#include "platform/paths.h"

#include "platform/deployment.h"
#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

PathMapper::PathMapper(QString driveRoot) : m_driveRoot(std::move(driveRoot))
{
    if (m_driveRoot.isEmpty())
        m_driveRoot = defaultDriveRoot();
    while (m_driveRoot.size() > 1 && m_driveRoot.endsWith(QLatin1Char('/')))
        m_driveRoot.chop(1);
}

QString PathMapper::defaultDriveRoot()
{
    QString root = qEnvironmentVariable("TARVEK_DRIVE_ROOT");
    if (root.isEmpty())
        root = Deployment::current().driveRoot;
    if (root.isEmpty())
        root = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
               QStringLiteral("/tarvek-drives");
    return root;
}

QString PathMapper::nativePath(const QString &windowsPath) const
{
#ifdef Q_OS_WIN
    return windowsPath;
#else
    QString p = windowsPath;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (p.size() >= 2 && p.at(1) == QLatin1Char(':') && p.at(0).isLetter() &&
        p.at(0).unicode() < 128) {
        const QChar drive = QChar(p.at(0).toLower());
        QString rest = p.mid(2);
        if (!rest.startsWith(QLatin1Char('/')))
            rest.prepend(QLatin1Char('/'));
        p = m_driveRoot + QLatin1Char('/') + drive + rest;
    }
    // Doubled separators from joined parts ("folder\" + "\x") mean one.
    while (p.contains(QStringLiteral("//")))
        p.replace(QStringLiteral("//"), QStringLiteral("/"));
    return p;
#endif
}

QString PathMapper::programFile(const QString &windowsPath) const
{
    QString p = nativePath(windowsPath);
#ifndef Q_OS_WIN
    if (p.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive))
        p.chop(4);
#endif
    return p;
}

QString nativePath(const QString &windowsPath)
{
    return Platform::paths().nativePath(windowsPath);
}

QString programFile(const QString &windowsPath)
{
    return Platform::paths().programFile(windowsPath);
}

QString asciiLower(QString text)
{
    for (QChar &c : text)
        if (c.unicode() >= 'A' && c.unicode() <= 'Z')
            c = QChar(c.unicode() + 32);
    return text;
}

QString asciiUpper(QString text)
{
    for (QChar &c : text)
        if (c.unicode() >= 'a' && c.unicode() <= 'z')
            c = QChar(c.unicode() - 32);
    return text;
}

} // namespace platform
