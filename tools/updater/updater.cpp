#include "updater.h"

#include "core/updatesource.h"
#include "core/versionlist.h"
#include "platform/deployment.h"
#include "platform/platform.h"

#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QThread>

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <memory>

using platform::MsgIcon;

namespace {
const QString kTitle = QStringLiteral("Tarvek Güncelleme");
const QString kUnchanged = QStringLiteral("Kurulu program değiştirilmedi.");
const QString kStagingPrefix = QStringLiteral(".guncelleme-");
// Inside a staging folder: the files a swap replaced, kept until the swap is complete.
const QString kReplaced = QStringLiteral("eski");

void tell(const QString &text)
{
    platform::msgBox(text, MsgIcon::Critical, kTitle);
}

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024 * 1024), 'f', 1) + QStringLiteral(" MB");
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
using Archive = std::unique_ptr<archive, ArchiveCloser>;

// Only the reader that starts from the central directory at the end of the file: a package
// cut short then fails at once instead of yielding its first entries.
Archive openZip(const QString &zipFile)
{
    Archive a(archive_read_new());
    archive_read_support_format_zip_seekable(a.get());
    if (archive_read_open_filename(a.get(), QFile::encodeName(zipFile).constData(), 64 * 1024) !=
        ARCHIVE_OK)
        return nullptr;
    return a;
}

QString entryName(archive_entry *entry)
{
    const char *utf8 = archive_entry_pathname_utf8(entry);
    return QString::fromUtf8(utf8 ? utf8 : archive_entry_pathname(entry));
}

// The entry's problem, or "" when it may be unpacked.
QString entryProblem(archive_entry *entry)
{
    const QString name = entryName(entry);
    if (!safeRelativePath(name))
        return QStringLiteral("geçersiz dosya yolu: ") + name;
    const auto type = archive_entry_filetype(entry);
    if (type != AE_IFDIR && type != AE_IFREG)
        return QStringLiteral("desteklenmeyen kayıt: ") + name;
    return {};
}

// Runs work on a thread of its own while this one keeps its window alive.
template <typename Work> auto offThread(Work work)
{
    decltype(work()) result;
    QEventLoop loop;
    std::unique_ptr<QThread> thread(QThread::create([&] { result = work(); }));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    loop.exec();
    thread->wait();
    return result;
}

// What a killed run left behind: its staging folders, and the files a swap it did not finish
// had replaced, which go back (a half-swapped folder would mix two versions).
void cleanLeftovers(const QString &programFolder)
{
    const QDir folder(programFolder);
    const QStringList stagings = folder.entryList({kStagingPrefix + QLatin1Char('*')},
                                                  QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : stagings) {
        const QDir replaced(folder.filePath(name + QLatin1Char('/') + kReplaced));
        QDirIterator it(replaced.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString saved = it.next();
            const QString target = folder.filePath(replaced.relativeFilePath(saved));
            QFile::remove(target);
            QFile::rename(saved, target);
        }
        QDir(folder.filePath(name)).removeRecursively();
    }
}

bool startProgram(const QString &programFolder)
{
    const QString program = PackageProgramFile(programFolder, ProgramPackage());
    if (!QFileInfo::exists(program))
        return false;
    QFile marker(AfterUpdateMarker(programFolder));
    if (marker.open(QIODevice::WriteOnly))
        marker.close();
    QString error;
    if (platform::Platform::launcher().start(program, {}, &error))
        return true;
    marker.remove();
    tell(QStringLiteral("TarvekFOTO başlatılamadı...\r\n") + program);
    return false;
}
} // namespace

UpdateControl::UpdateControl() : m_deadline(platform::Deployment::current().updateOverallTimeoutMs)
{
}

QString UpdateLockFileName()
{
    return QStringLiteral(".guncelleme.lock");
}

UnpackResult UnpackPackage(const QString &zipFile, const QString &targetFolder,
                           const UnpackLimits &limits)
{
    UnpackResult result;
    const QString unreadable = QStringLiteral("paket okunamadı");
    const QString tooLarge =
        QStringLiteral("açılınca %1 sınırını aşıyor").arg(megabytes(limits.maxBytes));
    archive_entry *entry = nullptr;
    int r = ARCHIVE_OK;

    // The directory alone first: every path, and the room the whole announces.
    qint64 announced = 0;
    {
        const Archive a = openZip(zipFile);
        while (a && (r = archive_read_next_header(a.get(), &entry)) == ARCHIVE_OK) {
            result.error = entryProblem(entry);
            if (!result.error.isEmpty())
                return result;
            announced += std::max<qint64>(0, archive_entry_size(entry));
        }
        if (!a || r != ARCHIVE_EOF) {
            result.error = unreadable;
            return result;
        }
    }
    if (announced > limits.maxBytes) {
        result.error = tooLarge;
        return result;
    }
    const QDir target(targetFolder);
    QDir().mkpath(targetFolder);
    if (QStorageInfo(targetFolder).bytesAvailable() < announced) {
        result.error =
            QStringLiteral("diskte yeterli yer yok (%1 gerekli)").arg(megabytes(announced));
        return result;
    }

    const Archive a = openZip(zipFile);
    while (a && (r = archive_read_next_header(a.get(), &entry)) == ARCHIVE_OK) {
        result.error = entryProblem(entry);
        if (!result.error.isEmpty())
            return result;
        const QString name = entryName(entry);
        const QString path = target.filePath(name);
        if (archive_entry_filetype(entry) == AE_IFDIR) {
            if (!QDir().mkpath(path)) {
                result.error = QStringLiteral("klasör oluşturulamadı: ") + name;
                return result;
            }
            continue;
        }
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            result.error = QStringLiteral("dosya yazılamadı: ") + name;
            return result;
        }
        char buffer[64 * 1024];
        la_ssize_t n = 0;
        while ((n = archive_read_data(a.get(), buffer, sizeof buffer)) > 0) {
            result.bytes += n;
            if (result.bytes > limits.maxBytes)
                result.error = tooLarge;
            else if (limits.stopped && limits.stopped())
                result.error = QStringLiteral("iptal edildi");
            else if (out.write(buffer, n) != n)
                result.error = QStringLiteral("dosya yazılamadı: ") + name;
            if (!result.error.isEmpty())
                return result;
        }
        if (n < 0) {
            result.error = unreadable;
            return result;
        }
        out.close();
        // Keep the archive's permissions; a program file is always runnable.
        QFile::Permissions perms =
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
        if (archive_entry_perm(entry) & 0111)
            perms |= QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
        QFile::setPermissions(path, perms);
        result.files << QDir::cleanPath(name);
    }
    if (!a || r != ARCHIVE_EOF) {
        result.error = unreadable;
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
            if (!QFile::rename(target, saved)) {
                *error = QStringLiteral("dosya taşınamadı: ") + target;
                rollback();
                return false;
            }
            step.backup = saved;
        }
        done << step;
        if (!QFile::rename(source, target)) {
            *error = QStringLiteral("dosya yerine konulamadı: ") + target;
            rollback();
            return false;
        }
    }
    return true;
}

int RunUpdater(const QString &programFolder, UpdateControl &control)
{
    // An operator who starts the program again during a long download starts a second updater;
    // only one may touch the files, the other leaves quietly. The lock counts as long as its
    // holder lives, however long the run takes; a killed holder's lock is taken over.
    QLockFile lock(programFolder + QLatin1Char('/') + UpdateLockFileName());
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0))
        return 1;
    cleanLeftovers(programFolder);

    const auto status = [&control](const QString &text) {
        if (control.onStatus)
            control.onStatus(text);
    };
    // Whatever failed, the operator is told once and works on with the program as it is.
    const auto fail = [&](const QString &what, const QString &advice) {
        if (control.cancelled())
            tell(QStringLiteral("Güncelleme iptal edildi.\r\n") + kUnchanged);
        else if (control.deadline().hasExpired())
            tell(QStringLiteral("Güncelleme süre sınırını aştı (%1 sn).\r\n")
                     .arg(platform::Deployment::current().updateOverallTimeoutMs / 1000) +
                 kUnchanged);
        else
            tell(what + QStringLiteral("\r\n") + kUnchanged + advice);
        startProgram(programFolder);
        return 1;
    };
    const QString later = QStringLiteral("\r\nLütfen daha sonra tekrar deneyiniz...");
    const QString callUs = QStringLiteral("\r\nLütfen KORA BİLİŞİM'i arayınız...");
    const auto key = UpdatePublicKey();
    if (!UpdateConfigured() || !key)
        return fail(UpdateNotConfiguredText(), {});

    const auto &deployment = platform::Deployment::current();
    HttpLimits small; // the list and the signatures
    small.deadline = std::min(QDeadlineTimer(deployment.updateTimeoutMs), control.deadline());
    small.maxBytes = deployment.updateListMaxBytes;
    small.stopped = [&control] { return control.mustStop(); };
    status(QStringLiteral("Güncelleme listesi alınıyor..."));
    const SignedList listed = FetchSignedList(small);
    if (!listed.text || listed.text->isEmpty())
        return fail(QStringLiteral("Güncelleme listesi alınamadı (%1)...")
                        .arg(listed.text ? QStringLiteral("liste boş") : listed.error),
                    QStringLiteral("\r\nLütfen internet bağlantınızı kontrol ediniz..."));
    const QString list = *listed.text;

    const QStringList packages = OutdatedPackages(list, programFolder);
    if (packages.isEmpty())
        return startProgram(programFolder) ? 0 : 1;

    // Staging beside the installed files, so that moving them in is a rename.
    QTemporaryDir staging(programFolder + QLatin1Char('/') + kStagingPrefix +
                          QStringLiteral("XXXXXX"));
    if (!staging.isValid())
        return fail(QStringLiteral("Program klasörüne yazılamıyor...\r\n") + programFolder, {});
    QDir stage(staging.path());
    const QString newFiles = stage.filePath(QStringLiteral("yeni"));
    QStringList files;
    qint64 unpacked = 0;
    // Every package is fetched, verified and checked before any installed file is touched.
    for (const QString &package : packages) {
        const QString zipName = package + QStringLiteral(".zip");
        const QString zipFile = stage.filePath(zipName);
        HttpLimits big;
        big.deadline = control.deadline();
        big.idleMs = deployment.updateTimeoutMs;
        big.maxBytes = deployment.updatePackageMaxBytes;
        big.stopped = small.stopped;
        big.progress = [&](qint64 n) {
            status(QStringLiteral("%1 indiriliyor: %2").arg(zipName, megabytes(n)));
        };
        QFile zip(zipFile);
        HttpOutcome got;
        got.error = QStringLiteral("dosyaya yazılamadı");
        if (zip.open(QIODevice::WriteOnly)) {
            big.sink = &zip;
            got = HttpGet(PackageUrl(package), big);
            if (!zip.flush())
                got.body.reset();
            zip.close();
        }
        if (!got.body)
            return fail(
                QStringLiteral("Güncelleme paketi indirilemedi: %1 (%2)").arg(zipName, got.error),
                later);

        // Not a byte of the package is read as an archive before the vendor's signature holds.
        HttpLimits sigLimits = small;
        sigLimits.deadline =
            std::min(QDeadlineTimer(deployment.updateTimeoutMs), control.deadline());
        sigLimits.maxBytes = kSignatureFileMaxBytes;
        const HttpOutcome signature = HttpGet(SignatureFileName(PackageUrl(package)), sigLimits);
        status(zipName + QStringLiteral(" doğrulanıyor..."));
        if (!signature.body ||
            !offThread([&] { return FileSignatureMatches(zipFile, *signature.body, *key); }))
            return fail(QStringLiteral("Güncelleme paketinin imzası doğrulanamadı: ") + zipName,
                        callUs);

        status(zipName + QStringLiteral(" açılıyor..."));
        UnpackLimits unpackLimits;
        unpackLimits.maxBytes = deployment.updateUnpackedMaxBytes - unpacked;
        unpackLimits.stopped = small.stopped;
        // All packages unpack into one staging folder; a later one wins a shared file.
        const UnpackResult result =
            offThread([&] { return UnpackPackage(zipFile, newFiles, unpackLimits); });
        QFile::remove(zipFile);
        if (!result.ok)
            return fail(
                QStringLiteral("Güncelleme paketi açılamadı: %1 (%2)").arg(zipName, result.error),
                later);
        unpacked += result.bytes;
        QString broken;
        if (!QFileInfo::exists(PackageProgramFile(newFiles, package)))
            broken = QStringLiteral("paket programı içermiyor");
        else if (UpdateNeeded(list, newFiles + QLatin1Char('\\'), package))
            broken = QStringLiteral("paketteki sürüm listedekinden eski");
        if (!broken.isEmpty())
            return fail(QStringLiteral("Güncelleme paketi bozuk: %1 (%2)").arg(zipName, broken),
                        later);
        for (const QString &f : result.files)
            if (!files.contains(f))
                files << f;
    }
    if (control.mustStop())
        return fail({}, {});
    QString error;
    if (!ReplaceFiles(programFolder, newFiles, files, stage.filePath(kReplaced), &error))
        return fail(QStringLiteral("Güncelleme dosyaları yerine konulamadı...\r\n") + error, {});
    // The swap is complete: its saved files must no longer be put back by a next run.
    stage.rename(kReplaced, QStringLiteral("silinecek"));
    return startProgram(programFolder) ? 0 : 1;
}
