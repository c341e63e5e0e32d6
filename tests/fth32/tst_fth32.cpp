// Photo preparation in-process (fit, orientation, size limit, worker threads), and the fth32
// tool as the program meets it: instruction file, exit codes, reasons, hostile photographs.
#include "core/stampphoto.h"
#include "demophotos.h"

#include "platform/textcodec.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <sys/resource.h>

namespace {

QByteArray Jpeg(const QImage &image, int quality = 90, bool progressive = false)
{
    QByteArray out;
    QBuffer b(&out);
    QImageWriter w(&b, "jpeg");
    w.setQuality(quality);
    w.setProgressiveScanWrite(progressive);
    return b.open(QIODevice::WriteOnly) && w.write(image) ? out : QByteArray();
}

// The same data under a frame header that claims another size.
QByteArray Claiming(QByteArray jpeg, int w, int h)
{
    const qsizetype sof = std::max(jpeg.indexOf("\xFF\xC0"), jpeg.indexOf("\xFF\xC2"));
    const char size[] = {char(h >> 8), char(h), char(w >> 8), char(w)};
    return jpeg.replace(sof + 5, 4, size, 4);
}

// The demo photographs carry a red mark in their top-left corner; where did it end up?
QString RedCorner(const QImage &img)
{
    QString found;
    for (const int y : {5, img.height() - 6})
        for (const int x : {5, img.width() - 6})
            if (const QRgb c = img.pixel(x, y); qRed(c) > 150 && qGreen(c) < 90 && qBlue(c) < 90)
                found += QLatin1String(y == 5 ? "t" : "b") + QLatin1String(x == 5 ? "l" : "r");
    return found;
}

const QStringList kCaptions = {QStringLiteral("Tarih :12.03.2012"),
                               QStringLiteral("Pafta/Ada/Parsel :12/3 A"), QString(), QString()};

} // namespace

class tst_fth32 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // First, while this process is small: a child's peak memory counts what it was forked from.
    void tool_data();
    void tool();
    void fitUpright_data();
    void fitUpright();
    void sizeLimit();
    void workerThreads();
};

void tst_fth32::fitUpright_data()
{
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<int>("orientation"); // EXIF, 0: no EXIF block
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("corner");
    QTest::newRow("12 MP") << QSize(4000, 3000) << 0 << QSize(933, 700) << "tl";
    QTest::newRow("tall strip") << QSize(500, 4000) << 0 << QSize(138, 1100) << "tl";
    QTest::newRow("square: portrait box") << QSize(1400, 1400) << 8 << QSize(700, 700) << "bl";
    QTest::newRow("rounding stays inside") << QSize(1101, 701) << 0 << QSize(1099, 700) << "tl";
    QTest::newRow("never enlarged") << QSize(640, 480) << 0 << QSize(640, 480) << "tl";
    QTest::newRow("3 upside down") << QSize(1200, 800) << 3 << QSize(1050, 700) << "br";
    QTest::newRow("6 turned clockwise") << QSize(1200, 800) << 6 << QSize(700, 1050) << "tr";
    QTest::newRow("7 transversed") << QSize(1200, 800) << 7 << QSize(700, 1050) << "br";
}

void tst_fth32::fitUpright()
{
    QFETCH(QSize, stored);
    QFETCH(int, orientation);
    QFETCH(QSize, size);
    QFETCH(QString, corner);
    QByteArray jpeg = Jpeg(DemoPhoto(stored.width(), stored.height(), QStringLiteral("R")));
    const fth32::Prepared p =
        fth32::PrepareJpeg(orientation ? WithExifOrientation(jpeg, orientation) : jpeg, {});
    QVERIFY(p.result.ok());
    const QImage out = QImage::fromData(p.jpeg, "jpeg");
    QCOMPARE(out.size(), size);
    QCOMPARE(RedCorner(out), corner);
}

void tst_fth32::sizeLimit()
{
    // A tight limit walks down the quality ladder and still gives the whole picture; a limit no
    // quality reaches gives nothing rather than an oversized file.
    const QByteArray jpeg = Jpeg(DemoPhoto(1600, 1200, QStringLiteral("L")));
    fth32::Prepared p = fth32::PrepareJpeg(jpeg, kCaptions, {100'000'000, 30'000});
    QVERIFY(p.result.ok() && p.jpeg.size() <= 30'000 && p.quality < 85);
    QCOMPARE(QImage::fromData(p.jpeg, "jpeg").size(), QSize(933, 700));
    p = fth32::PrepareJpeg(jpeg, kCaptions, {100'000'000, 1000});
    QVERIFY(p.result.failure == fth32::Failure::TooBusy && p.jpeg.isEmpty());
}

void tst_fth32::workerThreads()
{
    const QByteArray jpeg = Jpeg(DemoPhoto(1600, 1200, QStringLiteral("T")));
    const QByteArray alone = fth32::PrepareJpeg(jpeg, kCaptions).jpeg;
    QByteArray got[4];
    QThreadPool pool;
    pool.setMaxThreadCount(4);
    for (QByteArray &out : got)
        pool.start([&] { out = fth32::PrepareJpeg(jpeg, kCaptions).jpeg; });
    QVERIFY(pool.waitForDone(60000));
    for (const QByteArray &out : got)
        QVERIFY(!out.isEmpty() && out == alone);
}

void tst_fth32::tool_data()
{
    const QByteArray photo = Jpeg(DemoPhoto(1600, 1200, QStringLiteral("A")));
    const QByteArray tiny = Jpeg(DemoPhoto(16, 16, {}));
    const QByteArray tinyP = Jpeg(DemoPhoto(16, 16, {}), 90, true);
    const QString corrupt = QStringLiteral("Fotoğraf bozuk veya eksik, hazırlanamadı...");
    const auto tooLarge = [](int mp) {
        return QStringLiteral("Fotoğraf çok büyük (%1 megapiksel), hazırlanamadı...").arg(mp);
    };
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("reason");
    QTest::newRow("as the program writes it") << "" << photo << 0 << "";
    QTest::newRow("wrong argument") << "usage" << photo << 1 << "Kullanım: fth32 Tarvek_Yds_mtg";
    QTest::newRow("instruction file cut short")
        << "short" << photo << 2 << "Talimat dosyası (input.mtg) okunamadı veya eksik...";
    QTest::newRow("source missing")
        << "missing" << photo << 3 << "Fotoğraf bulunamadı veya okunamadı...";
    QTest::newRow("a file where the web folder goes")
        << "blocked" << photo << 4 << "Hazırlanan fotoğraf web klasörüne yazılamadı...";
    QTest::newRow("cut in the scan") << "" << photo.left(photo.size() / 2) << 5 << corrupt;
    QTest::newRow("cut before the end marker") << "" << photo.chopped(2) << 5 << corrupt;
    QTest::newRow("header lies: 8000x6000") << "" << Claiming(tiny, 8000, 6000) << 5 << corrupt;
    QTest::newRow("progressive, header lies: 9000x9000")
        << "" << Claiming(tinyP, 9000, 9000) << 5 << corrupt;
    QTest::newRow("header lies: 30000x30000")
        << "" << Claiming(tiny, 30000, 30000) << 7 << tooLarge(900);
    QTest::newRow("progressive, 30000x30000")
        << "" << Claiming(tinyP, 30000, 30000) << 7 << tooLarge(900);
    QTest::newRow("over the deployment's 10 MP")
        << "10mp" << Claiming(tiny, 4000, 3000) << 7 << tooLarge(12);
    QTest::newRow("zero width") << "" << Claiming(tiny, 0, 16) << 5 << corrupt;
    QTest::newRow("empty file") << "" << QByteArray("") << 5 << corrupt;
    QTest::newRow("PNG saved as .jpg") << "" << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << 6
                                       << "Fotoğraf JPEG değil, hazırlanamadı...";
}

// The tool run as the program runs it. A refusal has its own exit code, its reason as the one
// line on stderr, writes nothing, and keeps the tool's memory bounded (the old one grew to
// 1.9 GB on a lying header).
void tst_fth32::tool()
{
    QFETCH(QString, setup);
    QFETCH(QByteArray, source);
    QFETCH(int, code);
    QFETCH(QString, reason);
    const QTemporaryDir dir;
    QVERIFY(InstallStampTool(dir.filePath(QStringLiteral("tool"))));
    const auto write = [](const QString &path, const QByteArray &bytes) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    };
    const QString name = QStringLiteral("foto.jpg"); // Turkish names: the program's own tests
    const QString site = dir.filePath(QStringLiteral("drives/c/ortak/fotograflar/12_3_A/"));
    QVERIFY(setup == QStringLiteral("missing") || write(site + name, source));
    QVERIFY(setup != QStringLiteral("blocked") || write(site + QStringLiteral("web"), "a file"));
    QVERIFY(setup != QStringLiteral("10mp") ||
            write(dir.filePath(QStringLiteral("d.ini")), "[stamp]\nmax_megapixels=10\n"));
    const QString at = QStringLiteral("C:\\ortak\\fotograflar\\12_3_A\\");
    const QStringList lines =
        QStringList{QStringLiteral("1"), QStringLiteral("C:\\t\\"), QStringLiteral("C:\\x.jpg"),
                    at + name, at + QStringLiteral("web\\a.jpg")} +
        kCaptions + QStringList{QStringLiteral("Tarvek 2000"), QStringLiteral("1")};
    const QString mtg = lines.mid(0, setup == QStringLiteral("short") ? 5 : 11).join(u"\r\n");
    QVERIFY(
        write(dir.filePath(QStringLiteral("tool/input.mtg")), platform::encodeAnsi(mtg) + "\r\n"));

    qputenv("TARVEK_DRIVE_ROOT", dir.filePath(QStringLiteral("drives")).toLocal8Bit());
    qputenv("TARVEK_DEPLOYMENT", dir.filePath(QStringLiteral("d.ini")).toLocal8Bit());
    QProcess p;
    p.start(dir.filePath(QStringLiteral("tool/fth32")),
            {setup == QStringLiteral("usage") ? QStringLiteral("x")
                                              : QStringLiteral("Tarvek_Yds_mtg")});
    QVERIFY2(p.waitForFinished(60000), "the tool did not end");
    QCOMPARE(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, code);
    QCOMPARE(QString::fromUtf8(p.readAllStandardError()),
             reason.isEmpty() ? reason : reason + u'\n');
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    QVERIFY2(children.ru_maxrss < 200 * 1024, qPrintable(QString::number(children.ru_maxrss)));
    if (code != 0) {
        QVERIFY(!QFileInfo(site + QStringLiteral("web")).isDir());
        return;
    }
    // The copy goes into the target's folder (made now) under the source's name, alone.
    QCOMPARE(QDir(site + QStringLiteral("web")).entryList(QDir::Files | QDir::Hidden),
             QStringList{name});
    const QImage out(site + QStringLiteral("web/") + name, "jpeg");
    QCOMPARE(out.size(), QSize(933, 700));
    QVERIFY(qGray(out.pixel(2, 697)) < 100); // the caption band
}

QTEST_MAIN(tst_fth32)
#include "tst_fth32.moc"
