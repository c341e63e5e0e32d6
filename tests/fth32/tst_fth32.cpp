// The stamping tool: its rules in-process, and its contract as the program meets it (the built
// tool run as a process on an instruction file beside it).
#include "demophotos.h"
#include "stamptool.h"

#include "platform/textcodec.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray Jpeg(const QImage &image, int quality = 90)
{
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    image.save(&b, "jpeg", quality);
    return out;
}

QByteArray Png(const QImage &image)
{
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    image.save(&b, "png");
    return out;
}

// Random colour in every pixel: the worst case for the encoder's size.
QImage Noise(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(42);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = rng.generate() | 0xFF000000u;
    }
    return img;
}

QByteArray Instructions(const QString &source, const QString &target, const QByteArray &eol,
                        int lines = 11)
{
    const QStringList all = {QStringLiteral("1"),
                             QStringLiteral("C:\\tarvek2000word\\temp\\"),
                             QStringLiteral("C:\\x.jpg"),
                             source,
                             target,
                             QStringLiteral("Tarih :12.03.2012"),
                             QStringLiteral("Pafta/Ada/Parsel :12/3 A"),
                             QString(),
                             QString(),
                             QStringLiteral("Tarvek 2000"),
                             QStringLiteral("1")};
    QByteArray out;
    for (const QString &l : all.mid(0, lines))
        out += platform::encodeAnsi(l) + eol;
    return out;
}

bool IsRed(QRgb c)
{
    return qRed(c) > 150 && qGreen(c) < 90 && qBlue(c) < 90;
}

} // namespace

class tst_fth32 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fitWithinLimits_data();
    void fitWithinLimits();
    void jpegIsComplete_data();
    void jpegIsComplete();
    void captionBand();
    void encodeStaysUnderLimit();

    void init();
    void writesStampedCopy_data();
    void writesStampedCopy();
    void refusesBadInput_data();
    void refusesBadInput();

private:
    // One installation per test: the tool copied into its own folder, a drive root beside it.
    QString toolFolder() const { return m_dir->path() + QStringLiteral("/tool"); }
    QString drive(const QString &rest) const
    {
        return m_dir->path() + QStringLiteral("/drives/c/") + rest;
    }
    void writeFile(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    int runTool(const QStringList &args, QByteArray *stderrOut)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TARVEK_DRIVE_ROOT"), m_dir->path() + QStringLiteral("/drives"));
        p.setProcessEnvironment(env);
        p.start(toolFolder() + QStringLiteral("/fth32"), args);
        if (!p.waitForFinished(60000))
            return -100;
        *stderrOut = p.readAllStandardError();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -101;
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_fth32::fitWithinLimits_data()
{
    QTest::addColumn<QSize>("in");
    QTest::addColumn<QSize>("out");
    QTest::newRow("12 MP landscape") << QSize(4000, 3000) << QSize(933, 700);
    QTest::newRow("12 MP portrait") << QSize(3000, 4000) << QSize(700, 933);
    QTest::newRow("wide panorama") << QSize(8000, 1000) << QSize(1100, 138);
    QTest::newRow("tall strip") << QSize(1000, 8000) << QSize(138, 1100);
    QTest::newRow("square uses portrait box") << QSize(2000, 2000) << QSize(700, 700);
    QTest::newRow("exactly at the landscape limit") << QSize(1100, 700) << QSize(1100, 700);
    QTest::newRow("exactly at the portrait limit") << QSize(700, 1100) << QSize(700, 1100);
    QTest::newRow("1000x800 is too tall") << QSize(1000, 800) << QSize(875, 700);
    QTest::newRow("small is never enlarged") << QSize(640, 480) << QSize(640, 480);
    QTest::newRow("rounding stays inside") << QSize(1101, 701) << QSize(1099, 700);
}

void tst_fth32::fitWithinLimits()
{
    QFETCH(QSize, in);
    QFETCH(QSize, out);
    QCOMPARE(fth32::FitWithinLimits(in), out);
}

void tst_fth32::jpegIsComplete_data()
{
    const QByteArray full = Jpeg(DemoPhoto(320, 240, QStringLiteral("x")));
    const qsizetype eoi = full.lastIndexOf(QByteArray("\xFF\xD9", 2));
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("complete");
    QTest::newRow("whole file") << full << true;
    QTest::newRow("video appended after the end") << full + QByteArray(5000, '\x11') << true;
    QTest::newRow("exif block") << WithExifOrientation(full, 6) << true;
    QTest::newRow("cut in the scan") << full.left(full.size() / 2) << false;
    QTest::newRow("cut before the end marker") << full.left(eoi) << false;
    QTest::newRow("cut in the headers") << full.left(40) << false;
    QTest::newRow("not a jpeg") << QByteArray("\x89PNG\r\n\x1a\n", 8) << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void tst_fth32::jpegIsComplete()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, complete);
    QCOMPARE(fth32::JpegIsComplete(bytes), complete);
}

void tst_fth32::captionBand()
{
    QImage white(933, 700, QImage::Format_RGB32);
    white.fill(Qt::white);

    QImage untouched = white;
    fth32::DrawCaption(untouched, {QString(), QString(), QString(), QString()});
    QCOMPARE(untouched, white);

    QImage stamped = white;
    fth32::DrawCaption(stamped, {QStringLiteral("Tarih :12.03.2012"),
                                 QStringLiteral("Pafta/Ada/Parsel :12/3 A"), QString(), QString()});
    QCOMPARE(stamped.pixel(466, 0), white.pixel(466, 0));
    // A dark band along the bottom, legible white text in it, at least two lines high.
    int darkRows = 0, lightInBand = 0;
    for (int y = stamped.height() - 1; y >= 0 && qGray(stamped.pixel(2, y)) < 128; --y)
        ++darkRows;
    for (int y = stamped.height() - darkRows; y < stamped.height(); ++y)
        for (int x = 0; x < stamped.width(); ++x)
            lightInBand += qGray(stamped.pixel(x, y)) > 200;
    QVERIFY2(darkRows >= 2 * 20, qPrintable(QString::number(darkRows)));
    QVERIFY(lightInBand > 500);

    // A line too long for a narrow picture shrinks to fit rather than running off the edge.
    QImage narrow(120, 400, QImage::Format_RGB32);
    narrow.fill(Qt::white);
    fth32::DrawCaption(narrow, {QStringLiteral("Pafta/Ada/Parsel :1234/5678 BLOK A-B-C")});
    int band = 0;
    for (int y = narrow.height() - 1; y >= 0 && qGray(narrow.pixel(0, y)) < 128; --y)
        ++band;
    QVERIFY(band > 0);
    int lightAtRightEdge = 0;
    for (int y = narrow.height() - band; y < narrow.height(); ++y)
        lightAtRightEdge += qGray(narrow.pixel(narrow.width() - 1, y)) > 200;
    QCOMPARE(lightAtRightEdge, 0);
}

void tst_fth32::encodeStaysUnderLimit()
{
    const QImage noise = Noise(1100, 700);
    int quality = 0;
    QByteArray jpeg = fth32::EncodeWithinLimit(noise, fth32::kMaxBytes, &quality);
    QVERIFY(!jpeg.isEmpty());
    QVERIFY(jpeg.size() <= fth32::kMaxBytes);

    // A tighter limit walks down the ladder and still gives a picture.
    jpeg = fth32::EncodeWithinLimit(noise, 300 * 1000, &quality);
    QVERIFY(!jpeg.isEmpty());
    QVERIFY(jpeg.size() <= 300 * 1000);
    QVERIFY(quality < 85);
    QCOMPARE(QImage::fromData(jpeg, "jpeg").size(), noise.size());

    // A limit no quality reaches gives nothing rather than an oversized file.
    QVERIFY(fth32::EncodeWithinLimit(noise, 1000).isEmpty());
}

void tst_fth32::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir().mkpath(toolFolder()));
    QVERIFY(QFile::copy(BuiltStampTool(), toolFolder() + QStringLiteral("/fth32")));
}

void tst_fth32::writesStampedCopy_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("eol");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("redCorner"); // where the "up" mark must end: tl / tr

    const QByteArray photo = Jpeg(DemoPhoto(1600, 1200, QStringLiteral("A")));
    QTest::newRow("CR LF instruction file")
        << QStringLiteral("foto.jpg") << photo << QByteArray("\r\n") << QSize(933, 700)
        << QStringLiteral("tl");
    QTest::newRow("LF instruction file") << QStringLiteral("foto.jpg") << photo << QByteArray("\n")
                                         << QSize(933, 700) << QStringLiteral("tl");
    QTest::newRow("Turkish letters and spaces in the name (Windows-1254 bytes)")
        << QStringLiteral("Kat 2 çatı ŞÖĞÜİ.jpg") << photo << QByteArray("\r\n") << QSize(933, 700)
        << QStringLiteral("tl");
    QTest::newRow("12 megapixel photo")
        << QStringLiteral("büyük.jpg") << Jpeg(DemoPhoto(4000, 3000, QStringLiteral("12 MP")))
        << QByteArray("\r\n") << QSize(933, 700) << QStringLiteral("tl");
    // Stored 1200 x 800, shown turned a quarter clockwise: an upright 800 x 1200 portrait whose
    // top-left mark moves to the top-right corner.
    QTest::newRow("EXIF orientation 6")
        << QStringLiteral("dondu.jpg")
        << WithExifOrientation(Jpeg(DemoPhoto(1200, 800, QStringLiteral("R"))), 6)
        << QByteArray("\r\n") << QSize(700, 1050) << QStringLiteral("tr");
    QTest::newRow("PNG saved as .jpg")
        << QStringLiteral("aslinda-png.jpg") << Png(DemoPhoto(1400, 1000, QStringLiteral("N")))
        << QByteArray("\r\n") << QSize(980, 700) << QStringLiteral("tl");
    QTest::newRow("small photo kept at its size")
        << QStringLiteral("kucuk.jpg") << Jpeg(DemoPhoto(640, 480, QStringLiteral("S")))
        << QByteArray("\r\n") << QSize(640, 480) << QStringLiteral("tl");
    QTest::newRow("busy picture needs lower quality")
        << QStringLiteral("gurultu.jpg") << Jpeg(Noise(2200, 1400), 100) << QByteArray("\r\n")
        << QSize(1100, 700) << QString();
}

void tst_fth32::writesStampedCopy()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, eol);
    QFETCH(QSize, size);
    QFETCH(QString, redCorner);

    writeFile(drive(QStringLiteral("ortak/fotograflar/12_3_A/")) + fileName, source);
    writeFile(toolFolder() + QStringLiteral("/input.mtg"),
              Instructions(QStringLiteral("C:\\ortak\\fotograflar\\12_3_A\\") + fileName,
                           QStringLiteral("C:\\ortak\\fotograflar\\12_3_A\\web\\a.jpg"), eol));
    QByteArray err;
    QCOMPARE(runTool({QStringLiteral("Tarvek_Yds_mtg")}, &err), 0);

    // The web folder did not exist: the tool made it, and wrote only the copy into it.
    const QDir web(drive(QStringLiteral("ortak/fotograflar/12_3_A/web")));
    QCOMPARE(web.entryList(QDir::Files | QDir::Hidden), QStringList{fileName});
    QFile copy(web.filePath(fileName));
    QVERIFY(copy.open(QIODevice::ReadOnly));
    const QByteArray bytes = copy.readAll();
    QVERIFY2(bytes.size() <= fth32::kMaxBytes, qPrintable(QString::number(bytes.size())));
    QVERIFY(bytes.startsWith("\xFF\xD8"));
    QImageReader reader(web.filePath(fileName));
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    const QImage out = reader.read();
    QCOMPARE(out.size(), size);
    if (redCorner == QStringLiteral("tl"))
        QVERIFY(IsRed(out.pixel(5, 5)));
    if (redCorner == QStringLiteral("tr")) {
        QVERIFY(IsRed(out.pixel(out.width() - 6, 5)));
        QVERIFY(!IsRed(out.pixel(5, 5)));
    }
    // The caption band is there.
    QVERIFY(qGray(out.pixel(2, out.height() - 3)) < 100);
}

void tst_fth32::refusesBadInput_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("wrong argument")
        << QStringLiteral("argument") << int(fth32::BadUsage) << QStringLiteral("Tarvek_Yds_mtg");
    QTest::newRow("instruction file missing")
        << QStringLiteral("no-mtg") << int(fth32::BadInstructions) << QStringLiteral("input.mtg");
    QTest::newRow("instruction file short")
        << QStringLiteral("short-mtg") << int(fth32::BadInstructions)
        << QStringLiteral("input.mtg");
    QTest::newRow("source missing")
        << QStringLiteral("no-source") << int(fth32::BadSource) << QStringLiteral("foto.jpg");
    QTest::newRow("source zero bytes")
        << QStringLiteral("empty-source") << int(fth32::BadSource) << QStringLiteral("foto.jpg");
    QTest::newRow("truncated JPEG")
        << QStringLiteral("truncated") << int(fth32::BadSource) << QStringLiteral("foto.jpg");
    QTest::newRow("text saved as .jpg")
        << QStringLiteral("text") << int(fth32::BadSource) << QStringLiteral("foto.jpg");
    QTest::newRow("target folder cannot be made (a file is in the way)")
        << QStringLiteral("target-blocked") << int(fth32::BadTarget) << QStringLiteral("web");
}

void tst_fth32::refusesBadInput()
{
    QFETCH(QString, fault);
    QFETCH(int, exitCode);
    QFETCH(QString, mentions);

    const QString sitePath = drive(QStringLiteral("ortak/fotograflar/12_3_A/"));
    QByteArray photo = Jpeg(DemoPhoto(1600, 1200, QStringLiteral("A")));
    if (fault == QStringLiteral("empty-source"))
        photo.clear();
    if (fault == QStringLiteral("truncated"))
        photo = photo.left(photo.size() * 2 / 3);
    if (fault == QStringLiteral("text"))
        photo = "Bu bir fotograf degil.\r\n";
    if (fault != QStringLiteral("no-source"))
        writeFile(sitePath + QStringLiteral("foto.jpg"), photo);
    if (fault == QStringLiteral("target-blocked"))
        writeFile(sitePath + QStringLiteral("web"), "a file, not a folder");
    if (fault != QStringLiteral("no-mtg"))
        writeFile(toolFolder() + QStringLiteral("/input.mtg"),
                  Instructions(QStringLiteral("C:\\ortak\\fotograflar\\12_3_A\\foto.jpg"),
                               QStringLiteral("C:\\ortak\\fotograflar\\12_3_A\\web\\a.jpg"), "\r\n",
                               fault == QStringLiteral("short-mtg") ? 5 : 11));

    QByteArray err;
    const QString arg = fault == QStringLiteral("argument") ? QStringLiteral("x")
                                                            : QStringLiteral("Tarvek_Yds_mtg");
    QCOMPARE(runTool({arg}, &err), exitCode);
    QVERIFY2(QString::fromUtf8(err).contains(mentions), err.constData());
    // Nothing written: no web folder, or only the blocking file itself.
    QVERIFY(!QFileInfo(sitePath + QStringLiteral("web")).isDir());
    QStringList left = QDir(sitePath).entryList(QDir::Files | QDir::Hidden);
    left.removeAll(QStringLiteral("foto.jpg"));
    left.removeAll(QStringLiteral("web"));
    QCOMPARE(left, QStringList());
}

QTEST_MAIN(tst_fth32)
#include "tst_fth32.moc"
