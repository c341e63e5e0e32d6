// The pending list and the eligibility checks against their floors: the list fill of 10,000
// pending records with prepared photos against the bare query plus the file-existence checks,
// and one photograph's checks against reading its JPEG header (and against a full decode).
#include "core/connection.h"
#include "core/database.h"
#include "core/queuerules.h"
#include "core/schema.h"
#include "platform/paths.h"
#include "platform/testing/testplatform.h"
#include "queue/frm_giris.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QSqlQuery>
#include <QTreeWidget>

#include <clocale>
#include <cstdio>
#include <functional>

namespace {
constexpr int kRecords = 10000;
constexpr int kSites = 200;

// Best of n runs, in milliseconds.
double best(int n, const std::function<void()> &f)
{
    double b = 1e300;
    for (int i = 0; i < n; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        b = qMin(b, t.nsecsElapsed() / 1e6);
    }
    return b;
}

QString siteName(int s)
{
    return QStringLiteral("%1/%2 A").arg(100 + s).arg(s % 7);
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C"); // figures with a decimal point
    platform::testing::TestPlatform tp;
    const QString dataDir = tp.root.path() + QStringLiteral("/db");
    const QString ortak = tp.root.path() + QStringLiteral("/ortak");
    QDir().mkpath(dataDir);
    Connection().ConnectionPrefix = BuildConnectionPrefix(QStringLiteral("sqlite:") + dataDir);
    CreateSqliteStore(dataDir + QStringLiteral("/y3436.sqlite3"), QStringLiteral("y3436"));
    CreateSqliteStore(dataDir + QStringLiteral("/f3436.sqlite3"), QStringLiteral("f3436"));
    const QString y = ConnectionString(QStringLiteral("y3436"));
    db::Exec(ConnectionString(QStringLiteral("f3436")),
             QStringLiteral("insert into ayarlar2 (foto_tarih_at, ortak) values ('1', ?)"),
             {ortak});

    // One small JPEG written under every record's prepared name.
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(QColor(120, 130, 140));
    const QString sample = tp.root.path() + QStringLiteral("/sample.jpg");
    image.save(sample, "JPG", 80);
    QFile sampleFile(sample);
    sampleFile.open(QIODevice::ReadOnly);
    const QByteArray jpeg = sampleFile.readAll();

    {
        QSqlDatabase database = db::Open(y);
        database.transaction();
        QSqlQuery q(database);
        for (int s = 0; s < kSites; ++s) {
            q.prepare(
                QStringLiteral("insert into inşaat (sayi, ada, yedek1, arsasahibi, müteahhit, "
                               "firma) values (?,?,?,?,?,?)"));
            for (const QVariant &v :
                 QVariantList{s + 1, siteName(s), 50000 + s, QStringLiteral("Yapı Sahibi"),
                              QStringLiteral("Müteahhit"), QStringLiteral("FIRMA")})
                q.addBindValue(v);
            q.exec();
            QDir().mkpath(ortak + QStringLiteral("/fotograflar/") + SiteFolderName(siteName(s)) +
                          QStringLiteral("/web"));
        }
        for (int i = 1; i <= kRecords; ++i) {
            const int s = i % kSites;
            const QString name = QStringLiteral("foto%1.jpg").arg(i);
            q.prepare(
                QStringLiteral("insert into yedek5 (sayı, ada, tarih, alan1, alan2, aciklama, "
                               "toplam, sev1, sev2, sev3, sev4, gonderen, gonderentc, bak_durum) "
                               "values (?,?,?,?,?,?,?,10,20,30,40,?,?,'1')"));
            for (const QVariant &v : QVariantList{
                     i, siteName(s), QDate(2026, 1, 1).addDays(i % 300).toString(Qt::ISODate), name,
                     QStringLiteral("Kaba inşaat"), QStringLiteral("Açıklama"), 100,
                     QStringLiteral("Ali Veli"), QStringLiteral("11111111110")})
                q.addBindValue(v);
            q.exec();
            QFile f(ortak + QStringLiteral("/fotograflar/") + SiteFolderName(siteName(s)) +
                    QStringLiteral("/web/") + name);
            f.open(QIODevice::WriteOnly);
            f.write(jpeg);
        }
        database.commit();
    }

    // Floor: the same query and one existence test per prepared photo.
    int found = 0;
    const double floorMs = best(3, [&] {
        found = 0;
        const auto rows = db::Select(y, queue::PendingListQuery(false));
        for (const QSqlRecord &r : *rows) {
            const QString web = platform::nativePath(
                SitePhotoFolder(ortak, db::Text(r, QStringLiteral("ada"))) +
                QStringLiteral("\\web\\") + db::Text(r, QStringLiteral("alan1")));
            found += QFileInfo(web).isFile() ? 1 : 0;
        }
    });

    frm_giris *w = frm_giris::instance();
    w->queue().setPreparer({});
    w->navigate = [](const QUrl &) {};
    w->grid_bakanlik_kullanicilar.append({QStringLiteral("FIRMA"), QStringLiteral("Kurum")});
    w->Text2.setText(QStringLiteral("FIRMA"));
    const double fillMs = best(3, [&] { w->sorsana(); });
    const int listed = w->queue().recordCount();

    std::printf("queue list fill: %d records (%d photos found), fill %.1f ms, query + existence "
                "checks %.1f ms, ratio %.2fx (goal <= 3x)\n",
                listed, found, fillMs, floorMs, fillMs / floorMs);

    // One photograph's checks against its header.
    const QString photo = ortak + QStringLiteral("/fotograflar/") + SiteFolderName(siteName(1)) +
                          QStringLiteral("/web/foto1.jpg");
    constexpr int reps = 2000;
    QSize sink;
    const double headerMs = best(3, [&] {
        for (int i = 0; i < reps; ++i)
            sink = QImageReader(photo).size();
    });
    int failures = 0;
    const double checksMs = best(3, [&] {
        for (int i = 0; i < reps; ++i) {
            const queue::PhotoFacts facts = queue::MeasurePhoto(photo);
            failures += int(
                queue::FieldFailures(QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("1"))
                    .size());
            failures += queue::SizeFailure(facts.bytes) ? 1 : 0;
            failures += int(queue::DimensionFailures(facts.pixels).size());
        }
    });
    const double decodeMs = best(3,
                                 [&] {
                                     for (int i = 0; i < 200; ++i)
                                         sink = QImageReader(photo).read().size();
                                 }) *
                            reps / 200.0;
    std::printf("queue photo checks: %.2f us per photo, header read %.2f us, ratio %.2fx; "
                "full decode %.2f us (checks are %.1f%% of it)\n",
                checksMs * 1000.0 / reps, headerMs * 1000.0 / reps, checksMs / headerMs,
                decodeMs * 1000.0 / reps, 100.0 * checksMs / decodeMs);

    const double clickMs = best(5, [&] { w->listvievx_click(1); });
    std::printf("queue row selection (details query, checks, preview): %.2f ms\n", clickMs);
    delete frm_giris::instance();
    db::CloseAll();
    return failures == 0 ? 0 : 1;
}
