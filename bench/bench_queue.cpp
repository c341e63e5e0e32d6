// The pending list and the eligibility checks against their floors: the list fill of 10,000
// pending records with prepared photos against the bare query plus the file-existence checks,
// and one photograph's checks against reading its JPEG header (and against a full decode); each
// subject and its baseline in turn, round by round. bench_queue [ROUNDS]
#include "benchstats.h"
#include "benchstore.h"
#include "core/connection.h"
#include "core/database.h"
#include "core/queuerules.h"
#include "core/schema.h"
#include "platform/paths.h"
#include "platform/process.h"
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
#include <cstdlib>
#include <functional>

namespace {
constexpr int kRecords = 10000;
constexpr int kSites = 200;

// One run, in milliseconds.
double timed(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

QString siteName(int s)
{
    return QStringLiteral("%1/%2 A").arg(100 + s).arg(s % 7);
}
} // namespace

int main(int argc, char **argv)
{
    const int rounds = argc > 1 ? qMax(3, std::atoi(argv[1])) : 5;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::keepFreedMemoryForReuse(); // as the program does
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C"); // figures with a decimal point
    platform::testing::TestPlatform tp;
    const auto [y, ortak] = bench::MakeFirmStore(tp.root.path());

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

    frm_giris *w = frm_giris::instance();
    w->queue().setPreparer({});
    w->navigate = [](const QUrl &) {};
    w->grid_bakanlik_kullanicilar.append({QStringLiteral("FIRMA"), QStringLiteral("Kurum")});
    w->Text2.setText(QStringLiteral("FIRMA"));

    // The list fill against its floor, the same query and one existence test per prepared
    // photo, in turn round by round.
    int found = 0;
    const auto bareQuery = [&] {
        found = 0;
        const auto rows = db::Select(y, queue::PendingListQuery(false));
        for (const QSqlRecord &r : *rows) {
            const QString web = platform::nativePath(
                SitePhotoFolder(ortak, db::Text(r, QStringLiteral("ada"))) +
                QStringLiteral("\\web\\") + db::Text(r, QStringLiteral("alan1")));
            found += QFileInfo(web).isFile() ? 1 : 0;
        }
    };
    bench::Series fill{"list fill", {}}, query{"bare query + existence checks", {}};
    for (int round = 0; round < rounds; ++round) {
        fill.values << timed([&] { w->sorsana(); });
        query.values << timed(bareQuery);
    }
    const int listed = w->queue().recordCount();
    std::printf("queue list fill: %d records (%d photos found), %d rounds, interleaved\n", listed,
                found, rounds);
    fill.print();
    query.print();
    const double fillRatio = fill.median() / query.median();
    std::printf("  fill / bare query, medians: %.2fx (mins %.2fx)\n", fillRatio,
                fill.min() / query.min());
    bench::goal(
        "list fill <= 3x the bare query",
        bench::format("%.0f / %.0f ms (medians) = %.2fx", fill.median(), query.median(), fillRatio),
        listed == kRecords && fillRatio <= 3.0);

    // One photograph's checks against reading its header (and against a full decode).
    const QString photo = ortak + QStringLiteral("/fotograflar/") + SiteFolderName(siteName(1)) +
                          QStringLiteral("/web/foto1.jpg");
    constexpr int reps = 2000;
    QSize sink;
    int failures = 0;
    bench::Series checks{"checks, per photo", {}}, header{"header read, per photo", {}},
        decode{"full decode, per photo", {}};
    for (int round = 0; round < rounds; ++round) {
        checks.values << timed([&] {
                             for (int i = 0; i < reps; ++i) {
                                 const queue::PhotoFacts facts = queue::MeasurePhoto(photo);
                                 failures += int(queue::FieldFailures(QStringLiteral("x"),
                                                                      QStringLiteral("y"),
                                                                      QStringLiteral("1"))
                                                     .size());
                                 failures += queue::SizeFailure(facts.bytes) ? 1 : 0;
                                 failures += int(queue::DimensionFailures(facts.pixels).size());
                             }
                         }) * 1000.0 /
                             reps;
        header.values << timed([&] {
                             for (int i = 0; i < reps; ++i)
                                 sink = QImageReader(photo).size();
                         }) * 1000.0 /
                             reps;
        decode.values << timed([&] {
                             for (int i = 0; i < 200; ++i)
                                 sink = QImageReader(photo).read().size();
                         }) * 1000.0 /
                             200;
    }
    std::printf("queue photo checks: %d rounds, interleaved\n", rounds);
    checks.print("us");
    header.print("us");
    decode.print("us");
    std::printf("  checks / header read, medians: %.2fx; checks are %.1f%% of a full decode\n",
                checks.median() / header.median(), 100.0 * checks.median() / decode.median());

    bench::Series click{"row selection (details query, checks, preview)", {}};
    for (int round = 0; round < rounds; ++round)
        click.values << timed([&] { w->listvievx_click(1); });
    click.print();
    delete frm_giris::instance();
    db::CloseAll();
    return failures == 0 ? 0 : 1;
}
