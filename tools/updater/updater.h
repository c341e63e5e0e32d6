#pragma once

#include <QString>
#include <QStringList>

// The updater (Tarvek_Guncelleme): brings TarvekFOTO and itself up to the versions of the
// maker's version list, then starts TarvekFOTO again.
//
// Package format: "<package>.zip" beside the version list on the update host; a zip archive
// whose entries are the files to place in the program folder, by path relative to it ("/" as
// separator, sub-folders allowed, no absolute paths, no ".."; only plain files and folders).
// The package's own program file ("TarvekFOTO" here, "TarvekFOTO.exe" on Windows) must be in
// it and must carry at least the listed version inside itself (our build embeds it), otherwise
// the package counts as broken: installing it would only make the program ask again.

struct UnpackResult
{
    bool ok = false;
    QString error;     // the archive library's reason
    QStringList files; // relative paths of the unpacked files, in archive order
};

// Unpacks a whole package into targetFolder. Fails on anything the archive library reports
// (truncated data, bad checksum, not an archive) and on entries that would leave the folder.
UnpackResult UnpackPackage(const QString &zipFile, const QString &targetFolder);

// The packages the list shows out of date in the program folder (the program also when its
// file is missing), in the order program, updater.
QStringList OutdatedPackages(const QString &listText, const QString &programFolder);

// Moves the staged files into the program folder, the replaced ones into backupFolder first.
// On any failure every file already moved is put back and false is returned with the reason.
bool ReplaceFiles(const QString &programFolder, const QString &stagedFolder,
                  const QStringList &files, const QString &backupFolder, QString *error);

// The lock file in the program folder that keeps a second updater out while one runs.
QString UpdateLockFileName();

// The whole run for a program folder. Returns the process exit code: 0 when the folder is up
// to date (TarvekFOTO started again), 1 when nothing could be changed (the operator was told).
int RunUpdater(const QString &programFolder);
