#pragma once

#include <QString>

namespace platform {

// The program composes Windows-style paths ("c:\tarvek2000word\temp\", ortak + "\fotograflar\").
// On this platform a drive letter maps to a folder under a drive root and "\" to "/"; a path
// that is already native (starts with "/") keeps its place.
class PathMapper
{
public:
    explicit PathMapper(QString driveRoot = {});
    QString nativePath(const QString &windowsPath) const;
    // A program named "x.exe" is the file "x" here.
    QString programFile(const QString &windowsPath) const;
    const QString &driveRoot() const { return m_driveRoot; }

    // TARVEK_DRIVE_ROOT when set, else the deployment's drive root, else a folder of the user's.
    static QString defaultDriveRoot();

private:
    QString m_driveRoot;
};

QString nativePath(const QString &windowsPath);
QString programFile(const QString &windowsPath);

// ASCII-only case rules: never fold through a locale (Turkish "I" lower-cases to "ı").
QString asciiLower(QString text);
QString asciiUpper(QString text);

} // namespace platform
