#pragma once

#include <QDeadlineTimer>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

// The updater (Tarvek_Guncelleme): brings TarvekFOTO and itself up to the versions of the
// maker's version list, then starts TarvekFOTO again.
//
// Package format: "<package>.zip" beside the version list on the update host, signed by the
// vendor ("<package>.zip.sig", see login/updatesource.h); a zip archive whose entries are the
// files to place in the program folder, by path relative to it ("/" as separator, sub-folders
// allowed, no absolute paths, no ".."; only plain files and folders). The package's own program
// file ("TarvekFOTO" here, "TarvekFOTO.exe" on Windows) must be in it and must carry at least the
// listed version inside itself (our build embeds it), otherwise the package counts as broken:
// installing it would only make the program ask again. Nothing of a package is unpacked before
// its signature is verified.

// Stops a running update: the cancel button of the updater's window, or the overall time limit
// (update/overall_limit_s of the deployment, counted from the control's creation).
class UpdateControl
{
public:
    UpdateControl();
    explicit UpdateControl(int overallMs) : m_deadline(overallMs) {}
    void cancel() { m_cancelled = true; }
    bool cancelled() const { return m_cancelled; }
    // Safe to ask from any thread.
    bool mustStop() const { return m_cancelled || m_deadline.hasExpired(); }
    QDeadlineTimer deadline() const { return m_deadline; }
    // What the window shows while the run goes on.
    std::function<void(const QString &)> onStatus;

private:
    std::atomic_bool m_cancelled{false};
    QDeadlineTimer m_deadline;
};

struct UnpackLimits
{
    qint64 maxBytes = 0;           // everything unpacked together
    qint64 freeBytes = -1;         // room on the disk; -1: asked from the disk
    std::function<bool()> stopped; // asked between pieces, from the unpacking thread
};

struct UnpackResult
{
    bool ok = false;
    QString error;     // in Turkish
    QStringList files; // relative paths of the unpacked files, in archive order
    qint64 bytes = 0;  // unpacked in all
};

// Unpacks a whole package into targetFolder. The archive's own directory is read first: every
// path must stay inside the folder and the sizes it announces must fit the limit and the disk.
// The data is counted again as it is written, since the directory may understate it. Fails on
// anything the archive library reports (truncated data, bad checksum, not an archive).
UnpackResult UnpackPackage(const QString &zipFile, const QString &targetFolder,
                           const UnpackLimits &limits);

// The packages the list shows out of date in the program folder (the program also when its
// file is missing), in the order program, updater.
QStringList OutdatedPackages(const QString &listText, const QString &programFolder);

// Moves the staged files into the program folder, the replaced ones into backupFolder first.
// On any failure every file already moved is put back and false is returned with the reason.
bool ReplaceFiles(const QString &programFolder, const QString &stagedFolder,
                  const QStringList &files, const QString &backupFolder, QString *error);

// The lock file in the program folder that keeps a second updater out while one runs.
QString UpdateLockFileName();

// The whole run for a program folder: leftovers of a killed run are cleaned first, the run
// stops at the control's word. TarvekFOTO is started again whatever happens (the operator was
// told of a failure; the check it runs will not start the updater once more). Returns the
// process exit code: 0 when the folder is up to date, 1 when nothing was changed.
int RunUpdater(const QString &programFolder, UpdateControl &control);
