// Photo preparation of one 12-megapixel camera photograph (decode, upright, fit, caption, encode
// under 1 MB, write), interleaved round by round with:
//   the floor: a bare libjpeg-turbo program that only decodes at the covering scale and encodes
//     at quality 85, run as a whole process; run again for three passes, its last pass times
//     its own work in a warm process (read, decode, encode, write), as the subject's is timed;
//   ImageMagick's convert with the same caption, fit and encode (its reduced-scale decode hint);
//   the fth32 tool as a whole process on its instruction file.
// bench_photoprep [ROUNDS]
#include "benchstats.h"
#include "core/stampphoto.h"
#include "demophotos.h"
#include "platform/process.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

const QStringList kCaptions = {QStringLiteral("Tarih :12.03.2012"),
                               QStringLiteral("Pafta/Ada/Parsel :104/7 Cinar"), QString(),
                               QString()};

struct Series
{
    const char *name;
    QList<double> ms;
    double at(double q) const
    {
        QList<double> s = ms;
        std::sort(s.begin(), s.end());
        const double i = q * double(s.size() - 1);
        return (s.at(qsizetype(i)) + s.at(qsizetype(i + 0.5))) / 2;
    }
    double median() const { return at(0.5); }
    void print() const
    {
        std::printf("  %-46s min %7.1f  median %7.1f  max %7.1f ms\n", name, at(0), median(),
                    at(1));
    }
};

// convert with the same steps: upright, fit within the box, a dark band with the two caption
// lines in white, JPEG at quality 85.
QStringList ConvertArgs(const QString &in, const QString &out, QSize fitted)
{
    const int pixel = int(std::min(fitted.width(), fitted.height()) * 0.045);
    const int band = 2 * int(pixel * 1.17) + 2 * (fitted.width() / 60);
    return {QStringLiteral("-define"),
            QStringLiteral("jpeg:size=%1x%2").arg(fitted.width() * 2).arg(fitted.height() * 2),
            in,
            QStringLiteral("-auto-orient"),
            QStringLiteral("-resize"),
            QStringLiteral("1100x700>"),
            QStringLiteral("-fill"),
            QStringLiteral("#000000AA"),
            QStringLiteral("-draw"),
            QStringLiteral("rectangle 0,%1 %2,%3")
                .arg(fitted.height() - band)
                .arg(fitted.width())
                .arg(fitted.height()),
            QStringLiteral("-fill"),
            QStringLiteral("white"),
            QStringLiteral("-font"),
            QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"),
            QStringLiteral("-pointsize"),
            QString::number(pixel),
            QStringLiteral("-gravity"),
            QStringLiteral("SouthWest"),
            QStringLiteral("-annotate"),
            QStringLiteral("+%1+%1").arg(fitted.width() / 60),
            kCaptions.at(0) + QLatin1Char('\n') + kCaptions.at(1),
            QStringLiteral("-quality"),
            QStringLiteral("85"),
            out};
}

// Runs a program to its end; its wall time in ms, or -1 when it failed.
double Run(const QString &program, const QStringList &args, QByteArray *out = nullptr)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(program, args);
    const bool ended = p.waitForFinished(120000);
    const double ms = t.nsecsElapsed() / 1e6;
    if (out)
        *out = p.readAllStandardOutput();
    return ended && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 ? ms : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    platform::keepFreedMemoryForReuse(); // as the program does
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("site/foto.jpg"));
    const QString web = dir.filePath(QStringLiteral("site/web"));
    const QString tool = dir.filePath(QStringLiteral("tool"));
    const QSize camera(4000, 3000);
    if (!WriteDemoPhoto(source, camera.width(), camera.height(), QStringLiteral("Kat 1")) ||
        !InstallStampTool(tool) || !QDir().mkpath(dir.filePath(QStringLiteral("out")))) {
        std::fputs("bench: cannot set up the photograph or the tool\n", stderr);
        return 1;
    }
    QFile mtg(tool + QStringLiteral("/input.mtg"));
    if (!mtg.open(QIODevice::WriteOnly))
        return 1;
    mtg.write(
        (QStringList{QStringLiteral("1"), QStringLiteral("C:\\t\\"), QStringLiteral("C:\\x.jpg"),
                     source, dir.filePath(QStringLiteral("out/a.jpg"))} +
         kCaptions + QStringList{QStringLiteral("Tarvek 2000"), QStringLiteral("1")})
            .join(QStringLiteral("\r\n"))
            .toLocal8Bit() +
        "\r\n");
    mtg.close();
    std::printf("photo preparation: one %dx%d photograph (%.1f MB), %d rounds, interleaved\n",
                camera.width(), camera.height(), QFileInfo(source).size() / 1048576.0, rounds);

    Series subject{"fth32::StampFile (in-process)", {}};
    Series floorWall{"floor: libjpeg-turbo alone (whole process)", {}};
    Series floorOwn{"floor: its own work, warm (in-process)", {}};
    Series im{"convert -define jpeg:size= (whole process)", {}};
    Series tool32{"fth32 Tarvek_Yds_mtg (whole process)", {}};
    const QSize fitted = fth32::FitWithinLimits(camera);
    const QString floorOut = dir.filePath(QStringLiteral("floor.jpg"));
    const QString imOut = dir.filePath(QStringLiteral("convert.jpg"));
    // Round 0 warms the disk cache, the dynamic loader and the font cache; it is not counted.
    // The subject runs once more before it: a process's second pass still pays for fresh memory
    // (the allocator's mmap threshold moves after the first), as the floor's second pass does;
    // both are timed from their third pass on.
    fth32::StampFile(source, web, kCaptions);
    for (int round = 0; round <= rounds; ++round) {
        QElapsedTimer t;
        t.start();
        const fth32::Result r = fth32::StampFile(source, web, kCaptions);
        const double subjectMs = t.nsecsElapsed() / 1e6;
        const double floorMs = Run(QStringLiteral(TARVEK_PHOTOPREP_FLOOR), {source, floorOut});
        QByteArray floorSays;
        const double floorWarmMs = Run(QStringLiteral(TARVEK_PHOTOPREP_FLOOR),
                                       {source, floorOut, QStringLiteral("3")}, &floorSays);
        const double imMs =
            convert.isEmpty() ? 0 : Run(convert, ConvertArgs(source, imOut, fitted));
        const double toolMs =
            Run(tool + QStringLiteral("/fth32"), {QStringLiteral("Tarvek_Yds_mtg")});
        if (!r.ok() || floorMs < 0 || floorWarmMs < 0 || imMs < 0 || toolMs < 0) {
            std::fprintf(stderr, "bench: a run failed (%s)\n", qPrintable(r.reason));
            return 1;
        }
        if (round == 0)
            continue;
        subject.ms << subjectMs;
        floorWall.ms << floorMs;
        floorOwn.ms << floorSays.simplified().split(' ').last().toDouble();
        im.ms << imMs;
        tool32.ms << toolMs;
    }
    const QImageReader copy(web + QStringLiteral("/foto.jpg"));
    std::printf("  copy %dx%d, %.1f KB (limit 1000 KB)\n", copy.size().width(),
                copy.size().height(), QFileInfo(web + QStringLiteral("/foto.jpg")).size() / 1000.0);
    subject.print();
    floorOwn.print();
    floorWall.print();
    tool32.print();
    if (!convert.isEmpty())
        im.print();

    // Ratios of the medians (of the minimums beside them: the least disturbed runs on a busy
    // machine). The goals are judged on the medians.
    const auto ratio = [](const char *what, const Series &a, const Series &b, const char *goal,
                          int pass) {
        std::printf("  %-50s %5.2fx (mins %5.2fx)  %s%s\n", what, a.median() / b.median(),
                    a.at(0) / b.at(0), goal,
                    pass < 0 ? ""
                    : pass   ? "  PASS"
                             : "  FAIL");
    };
    const double vsFloor = subject.median() / floorOwn.median();
    ratio("subject / floor, both in-process:", subject, floorOwn, "goal <= 1.3x", vsFloor <= 1.3);
    bench::goal("one photo at the codec floor <= 1.3x",
                bench::format("%.0f / %.0f ms (medians) = %.2fx", subject.median(),
                              floorOwn.median(), vsFloor),
                vsFloor <= 1.3);
    ratio("fth32 / floor, both whole processes:", tool32, floorWall, "(information)", -1);
    if (convert.isEmpty()) {
        std::printf("  convert not found: no baseline\n");
        return 0;
    }
    const double vsConvert = im.median() / subject.median();
    ratio("convert / subject in-process (times faster):", im, subject, "goal >= 3.5x",
          vsConvert >= 3.5);
    ratio("convert / fth32, both whole processes:", im, tool32, "(information)", -1);
    return 0;
}
