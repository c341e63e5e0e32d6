#include "updater.h"

#include "core/versionlist.h"
#include "platform/deployment.h"
#include "platform/platform.h"
#include "platform/textcodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>

#include <archive.h>
#include <archive_entry.h>

#include <memory>

using platform::MsgIcon;

namespace {
const QString kTitle = QStringLiteral("Tarvek Güncelleme");
const QString kUnchanged = QStringLiteral("Kurulu program değiştirilmedi.");

void tell(const QString &text)
{
    platform::msgBox(text, MsgIcon::Critical, kTitle);
}

// A relative path that stays inside the folder it is unpacked into.
bool safeRelativePath(const QString &path)
{
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')) || path.contains(QLatin1Char('\\')) ||
        path.contains(QLatin1Char(':')))
        return false;
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return false;
    for (const QString &p : parts)
        if (p == QStringLiteral("..") || p == QStringLiteral("."))
            return false;
    return true;
}

struct ArchiveCloser
{
    void operator()(archive *a) const { archive_read_free(a); }
};

bool startProgram(const QString &programFolder)
{
    const QString program = PackageProgramFile(programFolder, ProgramPackage());
    if (!QFileInfo::exists(program))
        return false;
    QString error;
    if (platform::Platform::launcher().start(program, {}, &error))
        return true;
    tell(QStringLiteral("TarvekFOTO başlatılamadı...\r\n") + error);
    return false;
}
} // namespace

QString UpdateLockFileName()
{
    return QStringLiteral(".guncelleme.lock");
}

UnpackResult UnpackPackage(const QString &zipFile, const QString &targetFolder)
{
    UnpackResult result;
    std::unique_ptr<archive, ArchiveCloser> a(archive_read_new());
    // Only the reader that starts from the central directory at the end of the file: a package
    // cut short in transfer then fails at once instead of yielding its first entries.
    archive_read_support_format_zip_seekable(a.get());
    if (archive_read_open_filename(a.get(), QFile::encodeName(zipFile).constData(), 64 * 1024) !=
        ARCHIVE_OK) {
        result.error = QString::fromUtf8(archive_error_string(a.get()));
        return result;
    }
    const QDir target(targetFolder);
    archive_entry *entry = nullptr;
    int r = ARCHIVE_OK;
    while ((r = archive_read_next_header(a.get(), &entry)) == ARCHIVE_OK) {
        const char *utf8 = archive_entry_pathname_utf8(entry);
        const QString name = QString::fromUtf8(utf8 ? utf8 : archive_entry_pathname(entry));
        if (!safeRelativePath(name)) {
            result.error = QStringLiteral("geçersiz dosya yolu: ") + name;
            return result;
        }
        const QString path = target.filePath(name);
        const auto type = archive_entry_filetype(entry);
        if (type == AE_IFDIR) {
            if (!QDir().mkpath(path)) {
                result.error = QStringLiteral("klasör oluşturulamadı: ") + name;
                return result;
            }
            continue;
        }
        if (type != AE_IFREG) {
            result.error = QStringLiteral("desteklenmeyen kayıt: ") + name;
            return result;
        }
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            result.error = out.errorString();
            return result;
        }
        char buffer[64 * 1024];
        la_ssize_t n = 0;
        while ((n = archive_read_data(a.get(), buffer, sizeof buffer)) > 0) {
            if (out.write(buffer, n) != n) {
                result.error = out.errorString();
                return result;
            }
        }
        if (n < 0) {
            result.error = QString::fromUtf8(archive_error_string(a.get()));
            return result;
        }
        out.close();
        // Keep the archive's permissions; a program file is always runnable.
        QFile::Permissions perms =
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
        const int mode = int(archive_entry_perm(entry));
        if (mode & 0111)
            perms |= QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
        QFile::setPermissions(path, perms);
        result.files << QDir::cleanPath(name);
    }
    if (r != ARCHIVE_EOF) {
        result.error = QString::fromUtf8(archive_error_string(a.get()));
        return result;
    }
    if (result.files.isEmpty()) {
        result.error = QStringLiteral("paket boş");
        return result;
    }
    result.ok = true;
    return result;
}

QStringList OutdatedPackages(const QString &listText, const QString &programFolder)
{
    const QString prefix = programFolder + QLatin1Char('\\');
    QStringList out;
    if (UpdateNeeded(listText, prefix, ProgramPackage()) ||
        !QFileInfo::exists(PackageProgramFile(programFolder, ProgramPackage())))
        out << ProgramPackage();
    if (UpdateNeeded(listText, prefix, UpdaterPackage()))
        out << UpdaterPackage();
    return out;
}

bool ReplaceFiles(const QString &programFolder, const QString &stagedFolder,
                  const QStringList &files, const QString &backupFolder, QString *error)
{
    struct Done
    {
        QString target;
        QString backup; // empty when there was no file before
    };
    QList<Done> done;
    auto rollback = [&done] {
        for (auto it = done.crbegin(); it != done.crend(); ++it) {
            QFile::remove(it->target);
            if (!it->backup.isEmpty())
                QFile::rename(it->backup, it->target);
        }
    };
    const QDir program(programFolder), staged(stagedFolder), backup(backupFolder);
    for (const QString &file : files) {
        const QString target = program.filePath(file);
        const QString source = staged.filePath(file);
        Done step{target, {}};
        if (!QDir().mkpath(QFileInfo(target).absolutePath())) {
            *error = QStringLiteral("klasör oluşturulamadı: ") + QFileInfo(target).absolutePath();
            rollback();
            return false;
        }
        if (QFileInfo(target).isDir()) {
            *error = QStringLiteral("aynı adda bir klasör var: ") + target;
            rollback();
            return false;
        }
        if (QFileInfo::exists(target)) {
            const QString saved = backup.filePath(file);
            QDir().mkpath(QFileInfo(saved).absolutePath());
            QFile old(target);
            if (!old.rename(saved)) {
                *error = target + QStringLiteral(": ") + old.errorString();
                rollback();
                return false;
            }
            step.backup = saved;
        }
        done << step;
        QFile fresh(source);
        if (!fresh.rename(target)) {
            *error = target + QStringLiteral(": ") + fresh.errorString();
            rollback();
            return false;
        }
    }
    return true;
}

int RunUpdater(const QString &programFolder)
{
    // An operator who starts the program again during a long download starts a second updater;
    // only one may touch the files, the other leaves quietly.
    QLockFile lock(programFolder + QLatin1Char('/') + UpdateLockFileName());
    if (!lock.tryLock(0))
        return 1;

    const int limit = platform::Deployment::current().updateTimeoutMs;
    const HttpOutcome listed = HttpGet(VersionListUrl(), limit);
    const QString list = listed.body ? platform::decodeAnsi(*listed.body) : QString();
    if (list.isEmpty()) {
        tell(QStringLiteral("Güncelleme listesi alınamadı...\r\n") + kUnchanged +
             QStringLiteral("\r\nLütfen internet bağlantınızı kontrol ediniz..."));
        // The program's own check stays silent without a list, so this cannot loop.
        startProgram(programFolder);
        return 1;
    }

    const QStringList packages = OutdatedPackages(list, programFolder);
    if (!packages.isEmpty()) {
        // Staging beside the installed files, so that moving them in is a rename.
        QTemporaryDir staging(programFolder + QStringLiteral("/.guncelleme-XXXXXX"));
        if (!staging.isValid()) {
            tell(QStringLiteral("Program klasörüne yazılamıyor...\r\n") + kUnchanged +
                 QStringLiteral("\r\n") + programFolder);
            return 1;
        }
        const QDir stage(staging.path());
        const QString newFiles = stage.filePath(QStringLiteral("yeni"));
        QStringList files;
        // Every package is fetched and checked before any installed file is touched.
        for (const QString &package : packages) {
            const QString zipName = package + QStringLiteral(".zip");
            // Packages can be large: the limit counts from the last byte received.
            const HttpOutcome got = HttpGet(PackageUrl(package), limit, true);
            const QString zipFile = stage.filePath(zipName);
            QFile zip(zipFile);
            if (!got.body || !zip.open(QIODevice::WriteOnly) ||
                zip.write(*got.body) != got.body->size()) {
                tell(QStringLiteral("Güncelleme paketi indirilemedi: ") + zipName +
                     QStringLiteral("\r\n") + kUnchanged +
                     QStringLiteral("\r\nLütfen daha sonra tekrar deneyiniz..."));
                return 1;
            }
            zip.close();
            // All packages unpack into one staging folder; a later one wins a shared file.
            const UnpackResult unpacked = UnpackPackage(zipFile, newFiles);
            QString broken = unpacked.error;
            if (unpacked.ok && !QFileInfo::exists(PackageProgramFile(newFiles, package)))
                broken = QStringLiteral("paket programı içermiyor");
            else if (unpacked.ok && UpdateNeeded(list, newFiles + QLatin1Char('\\'), package))
                broken = QStringLiteral("paketteki sürüm listedekinden eski");
            if (!broken.isEmpty()) {
                tell(QStringLiteral("Güncelleme paketi bozuk: ") + zipName + QStringLiteral(" (") +
                     broken + QStringLiteral(")\r\n") + kUnchanged +
                     QStringLiteral("\r\nLütfen daha sonra tekrar deneyiniz..."));
                return 1;
            }
            for (const QString &f : unpacked.files)
                if (!files.contains(f))
                    files << f;
        }
        QString error;
        if (!ReplaceFiles(programFolder, newFiles, files, stage.filePath(QStringLiteral("eski")),
                          &error)) {
            tell(QStringLiteral("Güncelleme dosyaları yerine konulamadı...\r\n") + kUnchanged +
                 QStringLiteral("\r\n") + error);
            return 1;
        }
    }
    return startProgram(programFolder) ? 0 : 1;
}
