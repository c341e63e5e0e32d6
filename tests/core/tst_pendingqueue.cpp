// The pending queue against a firm's store: what is listed, how ticks and checks change a row,
// what goes into the record, and what the list shows of it.
#include "core/pendingqueue.h"
#include "core/statustexts.h"
#include "storefixture.h"

#include <QFile>
#include <QMutex>
#include <QSemaphore>
#include <QtTest>

namespace {
const QString kUser = QStringLiteral("FIRMA");
const QString kQueued = queue::StatusQueued();
} // namespace

class tst_pendingqueue : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup() { m_fx.reset(); }
    void fill_data();
    void fill();
    void listedRecordsAndTheirOrder_data();
    void listedRecordsAndTheirOrder();
    void operatorTicks();
    void checks_data();
    void checks();
    void stoppedPreparationLeavesTheRestAsListed();
    void withdraw();
    void outcomeFindsItsRecordByNumber();

private:
    PendingQueue &queue();
    // Pending records 1..count on one site, listed.
    void listed(int count);
    std::unique_ptr<StoreFixture> m_fx;
    std::unique_ptr<PendingQueue> m_queue;
    QMutex m_mutex;
    QList<PhotoJob> m_prepared; // the photographs the queue had prepared, from any thread
};

void tst_pendingqueue::init()
{
    m_fx = std::make_unique<StoreFixture>();
    m_queue = std::make_unique<PendingQueue>();
    m_prepared.clear();
    m_queue->setFirm({m_fx->ortak, QStringLiteral("1")});
    m_queue->setOperatorName(QStringLiteral("operatör"));
    // The program's own preparation, counted.
    m_queue->setPreparer([this](const PhotoJob &job) {
        {
            const QMutexLocker lock(&m_mutex);
            m_prepared << job;
        }
        return RunPhotoJob(job);
    });
}

PendingQueue &tst_pendingqueue::queue()
{
    return *m_queue;
}

void tst_pendingqueue::listed(int count)
{
    m_fx->site(1, QStringLiteral("A"));
    for (int n = 1; n <= count; ++n) {
        StoreFixture::Record r;
        r.sayi = n;
        r.ada = QStringLiteral("A");
        m_fx->record(r);
    }
    QCOMPARE(queue().fill(kUser, false), count);
}

void tst_pendingqueue::fill_data()
{
    QTest::addColumn<QString>("alan1");
    QTest::addColumn<QString>("where"); // web, site, broken (in the site folder), none
    QTest::addColumn<bool>("queued");
    QTest::addColumn<bool>("pathShown");
    QTest::addColumn<int>("prepares");
    QTest::newRow("prepared copy") << "a.jpg"
                                   << "web" << true << true << 0;
    QTest::newRow("extension in capitals, Turkish letters") << "ışık.JpG"
                                                            << "web" << true << true << 0;
    QTest::newRow("only in the site folder: prepared") << "a.jpg"
                                                       << "site" << true << true << 1;
    QTest::newRow("nowhere: queued, no path") << "a.jpg"
                                              << "none" << true << false << 0;
    QTest::newRow(".jpeg is not sent") << "a.jpeg"
                                       << "web" << false << false << 0;
    QTest::newRow(".png is not sent") << "a.png"
                                      << "site" << false << false << 0;
}

void tst_pendingqueue::fill()
{
    QFETCH(QString, alan1);
    QFETCH(QString, where);
    QFETCH(bool, queued);
    QFETCH(bool, pathShown);
    QFETCH(int, prepares);
    StoreFixture::Record r;
    r.sayi = 77;
    r.alan1 = alan1;
    m_fx->site(1, r.ada, 4321);
    m_fx->record(r);
    if (where == QLatin1String("broken")) {
        // Cut off after its header: it would still decode, half grey.
        QFile whole(StoreFixture::writePhoto(m_fx->siteFolder(r.ada), alan1, 640, 480));
        QVERIFY(whole.open(QIODevice::ReadWrite));
        QVERIFY(whole.resize(600));
    } else if (where != QLatin1String("none")) {
        StoreFixture::writePhoto(where == QLatin1String("web") ? m_fx->webFolder(r.ada)
                                                               : m_fx->siteFolder(r.ada),
                                 alan1, 640, 480);
    }
    QCOMPARE(queue().fill(kUser, false), 1);
    QTRY_VERIFY(!queue().preparing()); // off the thread, the row fills in when it is ready
    const PendingRecord &got = queue().recordAt(0);
    QCOMPARE(got.number, qlonglong(77));
    QCOMPARE(got.key(), QStringLiteral("f77"));
    QCOMPARE(got.yibf, QStringLiteral("4321"));
    QCOMPARE(got.queued(), queued);
    const QString refused = QStringLiteral("Fotoğraf bozuk veya eksik, hazırlanamadı...");
    QCOMPARE(got.status, queued ? kQueued : where == "broken" ? refused : queue::StatusNotJpg());
    QCOMPARE(got.mark, queued ? RowMark::None : RowMark::Problem);
    QCOMPARE(got.colour, queued ? queue::kBlack : queue::kRed);
    QCOMPARE(got.photoPath,
             pathShown ? m_fx->webFolder(r.ada) + QLatin1Char('/') + alan1 : QString());
    QCOMPARE(m_prepared.size(), prepares);
    if (prepares) // the stamp carries the record's own date and parcel
        QCOMPARE(m_prepared.first().captions.mid(0, 2),
                 (QStringList{"Tarih :01.03.2026", "Pafta/Ada/Parsel :" + r.ada}));
    if (where == "broken") // the reason is kept with the record
        QCOMPARE(m_fx->column(77, QStringLiteral("bakanlik_aciklama")).toString(), refused);
    // What the list shows: sub-items 1-10 and the tick on the row's number.
    const QModelIndex first = queue().index(0, PendingQueue::OrdinalColumn);
    QCOMPARE(first.data().toString(), QStringLiteral("1"));
    QCOMPARE(first.data(Qt::CheckStateRole).toInt(), int(queued ? Qt::Checked : Qt::Unchecked));
    QCOMPARE(queue().headerData(PendingQueue::StatusColumn, Qt::Horizontal).toString(),
             QStringLiteral("Durum"));
    QCOMPARE(queue().printRows().first(),
             (QStringList{"4321", r.ada, "Ayşe Yılmaz", "Öz İnşaat", alan1,
                          "Kaba inşaat tamamlandı", "Açıklama", "40", got.status, got.photoPath}));
}

void tst_pendingqueue::listedRecordsAndTheirOrder_data()
{
    QTest::addColumn<bool>("restricted");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QList<qlonglong>>("numbers");
    QTest::newRow("one institution: every firm, by date")
        << false << kUser << QList<qlonglong>{3, 1, 2};
    QTest::newRow("two institutions: the firm's own") << true << kUser << QList<qlonglong>{3, 1};
    QTest::newRow("quote in the user name is a value")
        << true << QStringLiteral("O'NEIL") << QList<qlonglong>{2};
}

void tst_pendingqueue::listedRecordsAndTheirOrder()
{
    QFETCH(bool, restricted);
    QFETCH(QString, user);
    QFETCH(QList<qlonglong>, numbers);
    m_fx->site(1, QStringLiteral("A"), 1, QStringLiteral("x"), QStringLiteral("y"), kUser);
    m_fx->site(2, QStringLiteral("B"), 2, QStringLiteral("x"), QStringLiteral("y"),
               QStringLiteral("O'NEIL"));
    StoreFixture::Record r;
    const QVariant null(QMetaType::fromType<QString>());
    const struct
    {
        int sayi;
        const char *ada;
        const char *tarih;
        QVariant durum;
        QVariant sentOn;
    } rows[] = {{1, "A", "2026-03-02", "1", null},
                {2, "B", "2026-03-03", "1", null},
                {3, "A", "2026-03-01", "1", null},
                {4, "A", "2026-03-01", "1", "2026-03-04"},
                {5, "A", "2026-03-01", null, null}}; // 4 sent, 5 withdrawn
    for (const auto &row : rows) {
        r.sayi = row.sayi;
        r.ada = QString::fromLatin1(row.ada);
        r.tarih = QString::fromLatin1(row.tarih);
        r.bak_durum = row.durum;
        r.bak_tarih = row.sentOn;
        m_fx->record(r);
    }
    QVERIFY(queue().fill(user, restricted));
    QList<qlonglong> listed;
    for (int i = 0; i < queue().recordCount(); ++i)
        listed << queue().recordAt(i).number;
    QCOMPARE(listed, numbers);
}

void tst_pendingqueue::operatorTicks()
{
    listed(2);
    QCOMPARE(queue().firstQueued(), std::optional<int>(0));
    const QModelIndex row0 = queue().index(0, 0);
    // Unticked by hand: black, the text stays; the next row is the first queued.
    QVERIFY(queue().setData(row0, Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(queue().recordAt(0).colour, queue::kBlack);
    QCOMPARE(queue().recordAt(0).status, kQueued);
    QCOMPARE(queue().firstQueued(), std::optional<int>(1));
    // A row with another text ticked again: green and queued.
    queue().apply(1, {SubmitText::Cancelled(), RowMark::Problem, std::nullopt, std::nullopt});
    QVERIFY(queue().setData(row0, Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(queue().recordAt(0).colour, queue::kGreen);
    QCOMPARE(queue().recordAt(0).status, kQueued);
    QCOMPARE(queue().firstQueued(), std::optional<int>(0));
    // "Tümü": every row, colours only.
    queue().tickAll(false);
    QVERIFY(!queue().firstQueued());
    queue().tickAll(true);
    QCOMPARE(queue().recordAt(1).colour, queue::kGreen);
    QCOMPARE(queue().firstQueued(), std::optional<int>(0));
}

void tst_pendingqueue::checks_data()
{
    QTest::addColumn<QVariant>("gonderen");
    QTest::addColumn<QVariant>("alan2");
    QTest::addColumn<QSize>("pixels"); // invalid: no photograph at all
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("startStatus");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QString>("stored");       // the status note written with the record, "" none
    QTest::addColumn<QStringList>("redLines"); // f16, the status line, is red whenever it is not
    // one the checks expect
    const QVariant who = QStringLiteral("Ali Veli");
    const QVariant dev = QStringLiteral("Temel atıldı");
    const QVariant none = QString();
    const QString dims = QStringLiteral("Resim Ebatlarını Kontrol Ediniz");
    QTest::newRow("sendable") << who << dev << QSize(800, 600) << qint64(0) << kQueued << kQueued
                              << true << "" << QStringList();
    QTest::newRow("no developments: not stored")
        << who << none << QSize(800, 600) << qint64(0) << kQueued
        << "Yapıdaki Gelişmeler Bilgisi Bulunamadı" << false << "" << QStringList{"f8", "f16"};
    QTest::newRow("no sender: stored")
        << none << dev << QSize(800, 600) << qint64(0) << kQueued
        << "Fotoğrafı Gönderen Bilgisi Bulunamadı..." << false
        << "Fotoğrafı Gönderen Bilgisi Bulunamadı..." << QStringList{"f10", "f16"};
    QTest::newRow("photograph nowhere")
        << who << dev << QSize() << qint64(0) << kQueued << "Fotoğraf Bulunamadı..." << false
        << "Fotoğraf Bulunamadı..." << QStringList{"f16"};
    QTest::newRow("file over 1 MB") << who << dev << QSize(800, 600) << qint64(1048679) << kQueued
                                    << "Dosya boyutu 1 Mb'dan Büyük..." << false
                                    << "Dosya boyutu 1 Mb'dan Büyük..." << QStringList{"f16"};
    QTest::newRow("too wide") << who << dev << QSize(1101, 700) << qint64(0) << kQueued << dims
                              << false << dims << QStringList{"f16"};
    QTest::newRow("status no check expects: marked, tick and text kept")
        << who << dev << QSize(800, 600) << qint64(0) << SubmitText::Cancelled()
        << SubmitText::Cancelled() << true << "" << QStringList{"f16"};
}

void tst_pendingqueue::checks()
{
    QFETCH(QVariant, gonderen);
    QFETCH(QVariant, alan2);
    QFETCH(QSize, pixels);
    QFETCH(qint64, bytes);
    QFETCH(QString, startStatus);
    QFETCH(QString, status);
    QFETCH(bool, ticked);
    QFETCH(QString, stored);
    QFETCH(QStringList, redLines);
    StoreFixture::Record r;
    r.gonderen = gonderen;
    r.alan2 = alan2;
    m_fx->site(1, r.ada);
    m_fx->record(r);
    if (pixels.isValid())
        StoreFixture::writePhoto(m_fx->webFolder(r.ada), QStringLiteral("a.jpg"), pixels.width(),
                                 pixels.height(), bytes);
    QCOMPARE(queue().fill(kUser, false), 1);
    if (startStatus != kQueued)
        queue().apply(1, {startStatus, std::nullopt, std::nullopt, std::nullopt});

    const RecordCheck c = queue().check(0);
    QVERIFY(c.found);
    const PendingRecord &got = queue().recordAt(0);
    QCOMPARE(got.status, status);
    QCOMPARE(got.ticked, ticked);
    const bool fault = status != kQueued;
    QCOMPARE(got.mark, fault ? RowMark::Problem : RowMark::None);
    QCOMPARE(got.colour == queue::kRed, fault);
    // The details hold the record's values afresh, with the faulty line red.
    QCOMPARE(got.sender, gonderen.toString());
    QCOMPARE(got.levels, (std::array<QString, 4>{"10", "20", "30", "40"}));
    QStringList red;
    for (const DetailLine &line : c.details)
        if (line.red)
            red << line.key;
    QCOMPARE(red, redLines);
    if (!stored.isEmpty()) {
        QCOMPARE(m_fx->column(1, QStringLiteral("bakanlik_aciklama")).toString(), stored);
        QCOMPARE(m_fx->column(1, QStringLiteral("prog_ID")).toInt(), 2002);
        QCOMPARE(m_fx->column(1, QStringLiteral("kullanici")).toString(),
                 QStringLiteral("operatör"));
    } else if (startStatus == kQueued) {
        QVERIFY(m_fx->column(1, QStringLiteral("prog_ID")).isNull());
    }
}

void tst_pendingqueue::stoppedPreparationLeavesTheRestAsListed()
{
    m_fx->site(1, QStringLiteral("A"));
    for (int n = 1; n <= 6; ++n) {
        StoreFixture::Record r;
        r.sayi = n;
        r.ada = QStringLiteral("A");
        r.alan1 = QStringLiteral("foto%1.jpg").arg(n);
        m_fx->record(r);
        StoreFixture::writePhoto(m_fx->siteFolder(r.ada), r.alan1.toString(), 64, 48);
    }
    std::atomic<int> started = 0;
    QSemaphore go;
    queue().setPreparer([&](const PhotoJob &) {
        ++started;
        go.acquire();
        return PhotoPreparation{false, QStringLiteral("durduruldu")};
    });
    QCOMPARE(queue().fill(kUser, false), 6);
    QVERIFY(queue().preparing());
    QTRY_VERIFY(started >= 1);
    queue().stopPreparation();
    go.release(6);
    QTRY_VERIFY(!queue().preparing());
    QVERIFY(started < 6); // those not started were dropped
    int untouched = 0;
    for (int i = 0; i < queue().recordCount(); ++i)
        untouched += queue().recordAt(i).status == kQueued ? 1 : 0;
    QCOMPARE(untouched, 6 - started);
}

void tst_pendingqueue::withdraw()
{
    listed(2);
    QVERIFY(queue().withdraw(0));
    QCOMPARE(queue().recordCount(), 1);
    QCOMPARE(queue().recordAt(0).number, qlonglong(2));
    QVERIFY(m_fx->column(1, QStringLiteral("bak_durum")).isNull());
    QCOMPARE(m_fx->column(1, QStringLiteral("prog_ID")).toInt(), 2001);
    // A record gone from the database: nothing to withdraw, the row stays.
    QVERIFY(db::Exec(StoreFixture::y(), QStringLiteral("delete from yedek5 where sayı=2")));
    QVERIFY(!queue().withdraw(0));
    QCOMPARE(queue().recordCount(), 1);
}

void tst_pendingqueue::outcomeFindsItsRecordByNumber()
{
    // The record sent is found by its number, not by where it stood when it was handed over.
    listed(3);
    QVERIFY(queue().withdraw(0));
    QCOMPARE(queue().apply(3, {SubmitText::Sent(), RowMark::Done, Outcome::Sent, std::nullopt}),
             PendingQueue::Applied::Stored);
    QCOMPARE(queue().recordAt(1).status, SubmitText::Sent());
    QCOMPARE(queue().recordAt(1).mark, RowMark::Done);
    QCOMPARE(queue().recordAt(0).status, kQueued);
    QCOMPARE(m_fx->column(3, QStringLiteral("bak_durum")).toString(), QStringLiteral("2"));
    QCOMPARE(m_fx->column(2, QStringLiteral("bak_durum")).toString(), QStringLiteral("1"));
}

QTEST_MAIN(tst_pendingqueue)
#include "tst_pendingqueue.moc"
