#include "core/stampphoto.h"

#include "platform/deployment.h"
#include "platform/paths.h"
#include "platform/textcodec.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSettings>

#include <cstdio>

namespace {

int Fail(fth32::ExitCode code, const QString &reason)
{
    std::fputs((reason + QLatin1Char('\n')).toUtf8().constData(), stderr);
    return code;
}

// The deployment file's pixel limit (stamp/max_megapixels), the same one the program uses.
qint64 MaxPixels()
{
    const QSettings deployment(platform::Deployment::defaultFile(), QSettings::IniFormat);
    bool ok = false;
    const qint64 megapixels =
        deployment.value(QStringLiteral("stamp/max_megapixels")).toLongLong(&ok);
    return ok && megapixels > 0 ? megapixels * 1'000'000 : fth32::Limits().maxPixels;
}

} // namespace

// fth32 Tarvek_Yds_mtg: stamps one photograph as the instruction file "input.mtg" in the tool's
// own folder describes it (Windows-1254, eleven lines: 4 source, 5 target, 6-9 caption lines)
// and writes the copy into the target's folder under the source's file name. Install by copying
// the built file into the office application's folder. Exit codes: fth32::ExitCode.
int main(int argc, char *argv[])
{
    // The tool never shows a window; it needs the GUI layer only for fonts. Its stderr carries
    // only the reason line the program shows, so Qt's own notices are dropped.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || args.at(1) != QStringLiteral("Tarvek_Yds_mtg"))
        return Fail(fth32::ExitBadUsage, QStringLiteral("Kullanım: fth32 Tarvek_Yds_mtg"));

    // All eleven lines must be there: a shorter file was cut off, and a stamp without its date
    // line must not go to the portal. Lines 1-3, 10 and 11 were the old tool's own settings.
    QFile file(QCoreApplication::applicationDirPath() + QStringLiteral("/input.mtg"));
    const QStringList lines = file.open(QIODevice::ReadOnly)
                                  ? platform::splitLines(platform::decodeAnsi(file.readAll()))
                                  : QStringList();
    const QString source = lines.value(3).trimmed();
    const QString target = lines.value(4).trimmed();
    if (lines.size() < 11 || source.isEmpty() || target.isEmpty())
        return Fail(fth32::ExitBadInstructions,
                    QString::fromUtf8("Talimat dosyası (input.mtg) okunamadı veya eksik..."));

    // Paths map as the program maps them: TARVEK_DRIVE_ROOT (the program passes its own down),
    // else the deployment file.
    const platform::PathMapper paths;
    fth32::Limits limits;
    limits.maxPixels = MaxPixels();
    const fth32::Result r = fth32::StampFile(paths.nativePath(source),
                                             QFileInfo(paths.nativePath(target)).absolutePath(),
                                             lines.mid(5, 4), limits);
    return r.ok() ? fth32::ExitOk : Fail(fth32::ExitCodeFor(r.failure), r.reason);
}
