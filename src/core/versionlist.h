#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QIODevice>
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

// nullopt when the text is empty or a revision part is not a number of a file version's range
// (signed 16 bits, as FileVersionText writes it).
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

// The bounds of one HTTP GET.
struct HttpLimits
{
    QDeadlineTimer deadline;              // the whole answer must be in by then
    int idleMs = 0;                       // > 0: also given up after so long without a byte
    qint64 maxBytes = 64 * 1024;          // a longer answer is refused and never read further
    QIODevice *sink = nullptr;            // the body goes here as it arrives instead of into memory
    std::function<bool()> stopped;        // asked a few times a second: true ends the fetch
    std::function<void(qint64)> progress; // bytes received so far, as they arrive
};

// A whole HTTP GET. nullopt with a reason in Turkish on a connection failure, a status other
// than 200, or when a limit ends it. The body is empty when it went to the sink.
struct HttpOutcome
{
    std::optional<QByteArray> body;
    QString error;
};
HttpOutcome HttpGet(const QString &url, const HttpLimits &limits);
