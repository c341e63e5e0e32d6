#include "tools/demo/queuedemo.h"

#include "core/database.h"
#include "core/photoprep.h"
#include "platform/platform.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

namespace {
const QString kSiteA = QStringLiteral("Pafta 5: 12/34 Parsel 7");
const QString kSiteB = QStringLiteral("118 Ada 3 Parsel");

// A picture that looks like a site photograph with its case written on it. Grain makes it
// compress like a real photograph.
QImage picture(int width, int height, const QString &label)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, width, height * 3 / 5, QColor(150, 190, 230));
    p.fillRect(0, height * 3 / 5, width, height, QColor(120, 105, 80));
    p.fillRect(width / 4, height / 4, width / 2, height / 2, QColor(190, 185, 175));
    for (int x = width / 4 + 20; x < width * 3 / 4 - 30; x += 60)
        for (int y = height / 4 + 20; y < height * 3 / 4 - 30; y += 60)
            p.fillRect(x, y, 30, 30, QColor(60, 70, 90));
    QFont f = p.font();
    f.setPixelSize(qMax(12, qMin(width, height) / 14));
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, width, height), Qt::AlignCenter | Qt::TextWordWrap, label);
    p.end();
    QRandomGenerator grain(42);
    for (int y = 0; y < height; y += 2) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int d = int(grain.bounded(24)) - 12;
            const QColor c(line[x]);
            line[x] = qRgb(qBound(0, c.red() + d, 255), qBound(0, c.green() + d, 255),
                           qBound(0, c.blue() + d, 255));
        }
    }
    return image;
}

// Writes the picture in the format of the file's extension; pads a JPEG after its end to
// atLeast bytes (readers stop at the end marker).
void writePhoto(const QString &folder, const QString &name, int width, int height,
                const QString &label, qint64 atLeast = 0)
{
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + name;
    const QByteArray format = name.endsWith(QStringLiteral(".png")) ? "PNG" : "JPG";
    picture(width, height, label).save(path, format.constData(), 85);
    if (atLeast > 0) {
        QFile f(path);
        if (f.open(QIODevice::Append) && f.size() < atLeast)
            f.write(QByteArray(int(atLeast - f.size()), '\0'));
    }
}
} // namespace

void AddQueueDemoData(const QString &y3436Connection, const QString &ortakNativeFolder,
                      const QString &firma)
{
    const QVariant firm = firma.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : firma;
    const QString siteSql = QStringLiteral("insert into inşaat (sayi, ada, yedek1, arsasahibi, "
                                           "müteahhit, kat, blok, firma) values (?,?,?,?,?,?,?,?)");
    db::Exec(y3436Connection, siteSql,
             {501, kSiteA, 2024101, QStringLiteral("Ayşe Yılmaz"),
              QStringLiteral("Öztürk İnşaat Ltd. Şti."), QStringLiteral("4"), QStringLiteral("A"),
              firm});
    db::Exec(y3436Connection, siteSql,
             {502, kSiteB, 2024102, QStringLiteral("Çağrı Şükür"),
              QStringLiteral("Güneş Yapı A.Ş."), QStringLiteral("2"), QStringLiteral("B"), firm});

    const QString siteA =
        ortakNativeFolder + QStringLiteral("/fotograflar/") + SiteFolderName(kSiteA);
    const QString siteB =
        ortakNativeFolder + QStringLiteral("/fotograflar/") + SiteFolderName(kSiteB);
    const QDate today = platform::Platform::clock().today();

    struct Case
    {
        QString ada;
        QString alan1;
        QString alan2;
        QString gonderen;
        int toplam;
    };
    const QString dev = QStringLiteral("Kaba inşaat devam ediyor, döşeme betonu döküldü");
    const QString who = QStringLiteral("Mehmet Öztürk");
    const QList<Case> cases = {
        {kSiteA, QStringLiteral("gonderilebilir.jpg"), dev, who, 35},     // 501 site + web
        {kSiteA, QStringLiteral("cok_genis.jpg"), dev, who, 40},          // 502 1400 x 700
        {kSiteA, QStringLiteral("cok_uzun.jpg"), dev, who, 45},           // 503 700 x 1300
        {kSiteA, QStringLiteral("buyuk_dosya.jpg"), dev, who, 50},        // 504 over 1 MB
        {kSiteA, QStringLiteral("resim.png"), dev, who, 55},              // 505 not a JPG
        {kSiteB, QStringLiteral("resim.jpeg"), dev, who, 20},             // 506 not a JPG
        {kSiteB, QStringLiteral("kayip.jpg"), dev, who, 25},              // 507 nowhere
        {kSiteB, QStringLiteral("sadece_santiye.JPG"), dev, who, 30},     // 508 site folder only
        {kSiteB, QStringLiteral("sadece_web.jpg"), dev, who, 60},         // 509 web only
        {kSiteB, QStringLiteral("gonderen_yok.jpg"), dev, QString(), 65}, // 510 no sender
        {kSiteA, QStringLiteral("gelisme_yok.jpg"), QString(), who, 70},  // 511 no developments
        {kSiteA, QStringLiteral("gonderildi.jpg"), dev, who, 75},         // 512 already sent
    };
    const QString recordSql = QStringLiteral(
        "insert into yedek5 (sayı, ada, tarih, alan1, alan2, aciklama, toplam, sev1, sev2, sev3, "
        "sev4, gonderen, gonderentc, bak_durum, bak_tarih) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    const QVariant null(QMetaType::fromType<QString>());
    // The four levels add up to the record's total, as the portal expects; later records have
    // higher totals, so the queue passes the portal's "not below the last inspection" check.
    for (int i = 0; i < cases.size(); ++i) {
        const Case &c = cases[i];
        const int sayi = 501 + i;
        const bool sent = c.alan1 == QStringLiteral("gonderildi.jpg");
        db::Exec(y3436Connection, recordSql,
                 {sayi, c.ada, today.addDays(i - 20).toString(Qt::ISODate), c.alan1,
                  c.alan2.isEmpty() ? null : QVariant(c.alan2),
                  QStringLiteral("Demo kaydı %1").arg(sayi), c.toplam, 10, (c.toplam - 10) / 2,
                  c.toplam - 10 - (c.toplam - 10) / 2, 0,
                  c.gonderen.isEmpty() ? null : QVariant(c.gonderen), QStringLiteral("12345678950"),
                  sent ? QStringLiteral("2") : QStringLiteral("1"),
                  sent ? QVariant(today.addDays(-1).toString(Qt::ISODate)) : null});
    }

    // The photographs of every case, in the site folder and/or its prepared "web" copy.
    const QString webA = siteA + QStringLiteral("/web");
    const QString webB = siteB + QStringLiteral("/web");
    writePhoto(siteA, QStringLiteral("gonderilebilir.jpg"), 1600, 1100,
               QStringLiteral("Asıl fotoğraf"));
    writePhoto(webA, QStringLiteral("gonderilebilir.jpg"), 1000, 688,
               QStringLiteral("Gönderilebilir"));
    writePhoto(webA, QStringLiteral("cok_genis.jpg"), 1400, 700,
               QStringLiteral("Çok geniş 1400 x 700"));
    writePhoto(webA, QStringLiteral("cok_uzun.jpg"), 700, 1300,
               QStringLiteral("Çok uzun 700 x 1300"));
    writePhoto(webA, QStringLiteral("buyuk_dosya.jpg"), 1000, 650,
               QStringLiteral("1 MB üzeri dosya"), 1250 * 1024);
    writePhoto(siteA, QStringLiteral("resim.png"), 800, 600, QStringLiteral("PNG resim"));
    writePhoto(webA, QStringLiteral("resim.png"), 800, 600, QStringLiteral("PNG resim"));
    writePhoto(siteB, QStringLiteral("resim.jpeg"), 800, 600, QStringLiteral("JPEG uzantılı"));
    writePhoto(siteB, QStringLiteral("sadece_santiye.JPG"), 2000, 1500,
               QStringLiteral("Yalnız şantiye klasöründe"));
    writePhoto(webB, QStringLiteral("sadece_web.jpg"), 1100, 700,
               QStringLiteral("Yalnız web klasöründe"));
    writePhoto(webB, QStringLiteral("gonderen_yok.jpg"), 900, 600, QStringLiteral("Gönderen yok"));
    writePhoto(webA, QStringLiteral("gelisme_yok.jpg"), 900, 600, QStringLiteral("Gelişme yok"));
    writePhoto(webA, QStringLiteral("gonderildi.jpg"), 900, 600, QStringLiteral("Gönderildi"));
}
