#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The maker's version list and the comparison of its versions with the installed programs.
// Shared by the update check of the program and by the updater.

// The two packages this program keeps up to date.
inline QString ProgramPackage()
{
    return QStringLiteral("TarvekFOTO");
}
inline QString UpdaterPackage()
{
    return QStringLiteral("Tarvek_Guncelleme");
}

// Where the list and the packages live on the update host (a deployment setting).
QString VersionListUrl();
QString PackageUrl(const QString &packageName);

// One version as the comparison reads it: major and minor as texts (a missing minor is the
// number 0, less than any text), the revision as a number.
struct ComparedVersion
{
    QString major;
    std::optional<QString> minor;
    int revision = 0;
};

// nullopt when a revision part is not a number or the text is empty.
std::optional<ComparedVersion> ParseComparedVersion(const QString &text);

// True when `listed` is newer than `installed` (major and minor compared as text, so "10" is
// less than "9"; then the revision as a number).
bool IsNewer(const ComparedVersion &listed, const ComparedVersion &installed);

// The rule of the list itself: the first line for packageName + ".zip" with a version decides.
// installedVersion is asked only when such a line is found. Any malformed piece gives false.
bool ListShowsNewer(const QString &listText, const QString &packageName,
                    const std::function<QString()> &installedVersion);

// folderPrefix is the program folder followed by "\"; the installed version is read from
// folderPrefix + packageName + ".exe" (the file without ".exe" on this platform).
bool UpdateNeeded(const QString &listText, const QString &folderPrefix, const QString &packageName);

// The installed program file of a package in a folder ("x.exe" is "x" on this platform).
QString PackageProgramFile(const QString &folder, const QString &packageName);

// A whole HTTP GET. nullopt (with a reason) on a connection failure, a status other than 200,
// or when no answer is complete within timeoutMs. With idleLimit the limit counts from the
// last byte received instead (downloads of packages that may be large).
struct HttpOutcome
{
    std::optional<QByteArray> body;
    QString error;
};
HttpOutcome HttpGet(const QString &url, int timeoutMs, bool idleLimit = false);
