// Photo preparation throughput: the program preparing camera-sized photographs through the
// stamping tool (instruction file, tool start, decode, caption, fit, encode, write), against
// ImageMagick's convert doing the same caption, fit and JPEG encode on the same photographs.
#include "core/photoprep.h"
#include "demophotos.h"
#include "stamptool.h"

#include "platform/testing/testplatform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace {

struct Series
{
    QList<double> ms;
    QList<qint64> bytes;
    QSize size;
    double total() const { return std::accumulate(ms.begin(), ms.end(), 0.0); }
    double worst() const { return *std::max_element(ms.begin(), ms.end()); }
    double mean() const { return total() / ms.size(); }
};

void Print(const char *name, const Series &s)
{
    std::printf("  %-34s mean %7.1f ms  worst %7.1f ms  output %4dx%-4d %6.1f-%6.1f KB\n", name,
                s.mean(), s.worst(), s.size.width(), s.size.height(),
                *std::min_element(s.bytes.begin(), s.bytes.end()) / 1024.0,
                *std::max_element(s.bytes.begin(), s.bytes.end()) / 1024.0);
}

// convert with the same steps: upright, fit within the box, a dark band with the two caption
// lines in white, JPEG at the tool's first quality step.
QStringList ConvertArgs(const QString &in, const QString &out, QSize fitted, bool sizeHint)
{
    const int pixel = int(std::min(fitted.width(), fitted.height()) * 0.045);
    const int band = 2 * int(pixel * 1.17) + 2 * (fitted.width() / 60);
    QStringList a;
    if (sizeHint) // ImageMagick's own reduced-scale JPEG decode
        a << QStringLiteral("-define")
          << QStringLiteral("jpeg:size=%1x%2").arg(fitted.width() * 2).arg(fitted.height() * 2);
    a << in << QStringLiteral("-auto-orient") << QStringLiteral("-resize")
      << QStringLiteral("1100x700>") << QStringLiteral("-fill") << QStringLiteral("#000000AA")
      << QStringLiteral("-draw")
      << QStringLiteral("rectangle 0,%1 %2,%3")
             .arg(fitted.height() - band)
             .arg(fitted.width())
             .arg(fitted.height())
      << QStringLiteral("-fill") << QStringLiteral("white") << QStringLiteral("-font")
      << QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf")
      << QStringLiteral("-pointsize") << QString::number(pixel) << QStringLiteral("-gravity")
      << QStringLiteral("SouthWest") << QStringLiteral("-annotate")
      << QStringLiteral("+%1+%1").arg(fitted.width() / 60)
      << QStringLiteral("Tarih :12.03.2012\nPafta/Ada/Parsel :104/7 Cinar")
      << QStringLiteral("-quality") << QStringLiteral("85") << out;
    return a;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 8;
    const QSize camera(4000, 3000);
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));

    platform::testing::TestPlatform tp;
    tp.launcher->runForReal = true;
    const QString sibling = QStringLiteral("c:\\tarvek2000");
    tp.settings->save(QStringLiteral("tarvek2000"), QStringLiteral("2.0"), QStringLiteral("path"),
                      sibling);
    QString error;
    if (!InstallStampTool(tp.native(sibling), &error)) {
        std::fprintf(stderr, "bench: cannot install the stamping tool: %s\n", qPrintable(error));
        return 1;
    }
    const QString ortak = QStringLiteral("c:\\ortak");
    const QString ada = QStringLiteral("104/7 Çınar");
    const QString site = tp.native(SitePhotoFolder(ortak, ada));
    QStringList names;
    for (int i = 0; i < count; ++i) {
        names << QStringLiteral("foto%1.jpg").arg(i + 1);
        WriteDemoPhoto(site + QLatin1Char('/') + names.last(), camera.width(), camera.height(),
                       QStringLiteral("Kat %1").arg(i + 1));
    }
    qint64 sourceBytes = 0;
    for (const QString &n : names)
        sourceBytes += QFileInfo(site + QLatin1Char('/') + n).size();
    std::printf("photo preparation: %d photographs of %dx%d (%.1f MB each on average)\n", count,
                camera.width(), camera.height(), sourceBytes / 1048576.0 / count);

    // One untimed round of each warms the disk cache and the dynamic loader.
    PrepareRecordPhoto({names.first(), ada, QDate(2012, 3, 12)}, ortak, QStringLiteral("1"));

    Series ours;
    for (const QString &n : names) {
        QFile::remove(site + QStringLiteral("/web/") + n);
        QElapsedTimer t;
        t.start();
        PrepareRecordPhoto({n, ada, QDate(2012, 3, 12)}, ortak, QStringLiteral("1"));
        ours.ms << t.nsecsElapsed() / 1e6;
        const QString out = site + QStringLiteral("/web/") + n;
        ours.bytes << QFileInfo(out).size();
        ours.size = QImageReader(out).size();
        if (!QFile::exists(out)) {
            std::fprintf(stderr, "bench: no prepared copy of %s\n", qPrintable(n));
            return 1;
        }
    }
    Print("fth32 (through the program)", ours);

    if (convert.isEmpty()) {
        std::printf("  convert not found: no baseline\n");
        return 0;
    }
    const QSize fitted = fth32::FitWithinLimits(camera);
    const auto runConvert = [&](bool hint) {
        Series s;
        QDir().mkpath(site + QStringLiteral("/im"));
        for (int round = 0; round <= count; ++round) {
            const QString n = names.at(std::max(0, round - 1));
            const QString out = site + QStringLiteral("/im/") + n;
            QElapsedTimer t;
            t.start();
            QProcess p;
            p.start(convert, ConvertArgs(site + QLatin1Char('/') + n, out, fitted, hint));
            p.waitForFinished(120000);
            if (round == 0) // warm-up
                continue;
            s.ms << t.nsecsElapsed() / 1e6;
            s.bytes << QFileInfo(out).size();
            s.size = QImageReader(out).size();
        }
        return s;
    };
    const Series im = runConvert(false);
    Print("convert (ImageMagick)", im);
    const Series imHint = runConvert(true);
    Print("convert -define jpeg:size=", imHint);
    std::printf("  ratio (convert / fth32, mean time): %.2fx   goal >= 3x\n",
                im.mean() / ours.mean());
    std::printf("  ratio against convert with its decode hint: %.2fx\n",
                imHint.mean() / ours.mean());
    std::printf("  worst case through the program: %.1f ms; largest copy %.1f KB (limit 1024.0)\n",
                ours.worst(), *std::max_element(ours.bytes.begin(), ours.bytes.end()) / 1024.0);
    return 0;
}
