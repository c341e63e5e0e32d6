#include "core/photoprep.h"

#include "core/connection.h"
#include "core/hostutil.h"
#include "core/stampphoto.h"
#include "platform/deployment.h"
#include "platform/platform.h"
#include "platform/textcodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

namespace {
const QString kToolFile = QStringLiteral("fth32.exe");
const QString kInstructionFile = QStringLiteral("\\input.mtg");
const QString kTempFolder = QStringLiteral("C:\\tarvek2000word\\temp\\");

// The additional caption line: the program has nothing more to print than date and parcel.
const QString kExtraCaption;

void WriteInstructionFile(const QString &file, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += platform::encodeAnsi(line) + "\r\n";
    QFile out(file);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(bytes);
}
} // namespace

QString SiteFolderName(const QString &ada)
{
    QString name = ada;
    for (const char16_t c : {u',', u'/', u':', u'*', u'?', u'\\', u'<', u'>', u' ', u'"'})
        name.replace(QChar(c), QLatin1Char('_'));
    name.remove(QLatin1Char('\r'));
    return name;
}

QString AsciiFold(const QString &text)
{
    static const struct
    {
        char16_t from;
        char16_t to;
    } kFolds[] = {{u'İ', u'I'}, {u'ı', u'i'}, {u'Ş', u'S'}, {u'ş', u's'},
                  {u'Ö', u'O'}, {u'ö', u'o'}, {u'Ü', u'U'}, {u'ü', u'u'},
                  {u'ç', u'c'}, {u'Ç', u'C'}, {u'ğ', u'g'}, {u'Ğ', u'G'}};
    QString out = text;
    for (const auto &f : kFolds)
        out.replace(QChar(f.from), QChar(f.to));
    return out;
}

platform::WaitResult RunAndWait(const QString &commandLine, int windowStyle)
{
    // The stamping tool has no window of its own here, so the window style has nothing to say.
    Q_UNUSED(windowStyle);
    const QStringList parts = platform::splitCommandLine(commandLine);
    // The office application's folder may hold spaces ("C:\Program Files\...") and the command
    // line does not quote it. As Windows does, the words are joined one by one until they name
    // an existing program; failing that, the first word is the program.
    QString program = parts.isEmpty() ? QString() : platform::programFile(parts.first());
    QStringList args = parts.mid(1);
    for (qsizetype n = 1; n <= parts.size(); ++n) {
        const QString joined = platform::programFile(parts.mid(0, n).join(QLatin1Char(' ')));
        if (QFileInfo(joined).isFile()) {
            program = joined;
            args = parts.mid(n);
            break;
        }
    }
    // A tool that never ends must not freeze the operator's list for ever: the wait is bounded
    // by the deployment's limit. At the limit the tool is killed; it writes its copy through a
    // temporary file, so nothing half-written is left and the caller simply finds no copy.
    // A limit of 0 in the deployment file waits without end, as the office application did.
    const int limitSeconds = platform::Deployment::current().stampToolTimeoutSeconds;
    const int limitMs = limitSeconds > 0 ? limitSeconds * 1000 : -1;
    const platform::WaitResult r =
        platform::Platform::launcher().startAndWait(program, args, limitMs);
    if (r.outcome == platform::WaitOutcome::FailedToStart)
        platform::msgBox(commandLine + QStringLiteral(" Dosyasında Hata oluştu...") +
                             QStringLiteral("\r\n") + r.error,
                         platform::MsgIcon::Exclamation, QStringLiteral("Error"));
    return r;
}

PhotoPreparation StampPhoto(const QString &source, const QString &target, const QString &caption1,
                            const QString &caption2, const QString &caption3)
{
    if (CheckSiblingTool(kToolFile))
        return {};
    const QString sibling = ReadSiblingFolder(QStringLiteral("Tarvek2000"));

    // The instruction file and the tool's temporary folder have fixed names: one tool at a time.
    static QMutex oneAtATime;
    const QMutexLocker lock(&oneAtATime);
    // From here on every failure of the files is ignored: the tool's answer decides.
    EmptyFolder(platform::nativePath(kTempFolder));
    const QString instructions = platform::nativePath(sibling + kInstructionFile);
    WriteInstructionFile(instructions,
                         {QStringLiteral("1"), kTempFolder, QStringLiteral("C:\\x.jpg"), source,
                          target, AsciiFold(caption1), AsciiFold(caption2), AsciiFold(caption3),
                          AsciiFold(kExtraCaption), QStringLiteral("Tarvek 2000"),
                          QStringLiteral("1")});

    // The tool maps the Windows-style paths of the instruction file itself; it inherits our
    // drive root so both sides agree on where "C:\" lies.
    qputenv("TARVEK_DRIVE_ROOT", platform::Platform::paths().driveRoot().toLocal8Bit());
    const platform::WaitResult r =
        RunAndWait(sibling + QLatin1Char('\\') + kToolFile + QStringLiteral(" Tarvek_Yds_mtg"), 4);
    QFile::remove(instructions);

    switch (r.outcome) {
    case platform::WaitOutcome::FailedToStart:
        return {}; // the operator was told
    case platform::WaitOutcome::TimedOut:
        return {false, QStringLiteral("Fotoğraf hazırlama aracı yanıt vermedi, fotoğraf "
                                      "hazırlanamadı...")};
    case platform::WaitOutcome::Finished:
        break;
    }
    if (r.exitCode == 0)
        return {true, {}};
    // The tool's own reason, its first line; an older tool says nothing but its code.
    const QString reason = r.errorOutput.section(QLatin1Char('\n'), 0, 0).trimmed();
    return {false,
            !reason.isEmpty()
                ? reason.left(200)
                : QStringLiteral("Fotoğraf hazırlanamadı (hata kodu %1)...").arg(r.exitCode)};
}

QString SitePhotoFolder(const QString &ortak, const QString &ada)
{
    return ortak + QStringLiteral("\\fotograflar\\") + SiteFolderName(ada);
}

PhotoJob MakePhotoJob(const PendingPhoto &record, const QString &ortak,
                      const QString &photoDateSetting)
{
    const QString &name = record.alan1;
    QString extension = name.right(3);
    QString base;
    if (extension == QStringLiteral("peg")) {
        extension = QStringLiteral("jpg");
        base = name.left(name.size() - 5);
    } else {
        base = name.left(name.size() - 4);
    }
    const QString folder = SitePhotoFolder(ortak, record.ada);
    PhotoJob job;
    job.source = folder + QLatin1Char('\\') + base + QLatin1Char('.') + extension;
    job.target = folder + QStringLiteral("\\web\\a.jpg");
    // The Turkish short date form; an unknown date prints nothing after the label.
    job.captions = {photoDateSetting == QStringLiteral("1")
                        ? QStringLiteral("Tarih :") +
                              record.tarih.toString(QStringLiteral("dd.MM.yyyy"))
                        : QString(),
                    QStringLiteral("Pafta/Ada/Parsel :") + record.ada, QString(), kExtraCaption};
    job.sourceNative = platform::nativePath(job.source);
    job.webFolderNative = platform::nativePath(folder + QStringLiteral("\\web"));
    const platform::Deployment &d = platform::Deployment::current();
    job.externalTool = d.stampExternalTool;
    job.maxPixels = qint64(qMax(1, d.stampMaxMegapixels)) * 1'000'000;
    return job;
}

PhotoPreparation RunPhotoJob(const PhotoJob &job)
{
    if (job.externalTool)
        return StampPhoto(job.source, job.target, job.captions.value(0), job.captions.value(1),
                          job.captions.value(2));
    QStringList folded;
    for (const QString &caption : job.captions)
        folded << AsciiFold(caption);
    fth32::Limits limits;
    limits.maxPixels = job.maxPixels;
    const fth32::Result r = fth32::StampFile(job.sourceNative, job.webFolderNative, folded, limits);
    return {r.ok(), r.reason};
}

PhotoPreparation PrepareRecordPhoto(const PendingPhoto &record, const QString &ortak,
                                    const QString &photoDateSetting)
{
    return RunPhotoJob(MakePhotoJob(record, ortak, photoDateSetting));
}
