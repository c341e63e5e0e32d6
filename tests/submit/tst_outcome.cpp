// The outcome write-back on an embedded store: transmission state, stamp, the mobile detail.
#include "platform/testing/testplatform.h"
#include "startup/connection.h"
#include "startup/database.h"
#include "startup/schema.h"
#include "submit/outcome.h"
#include "submit/statustexts.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(Outcome)

class tst_outcome : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void writesTheOutcome_data();
    void writesTheOutcome();
    void mobileDetailReleasedOnlyWhenSentWithAnId();
    void noRecordOrSeveralWritesNothing();
    void inspectionRecordAndSiteAda();
    void recordNumberFromKey();

private:
    void exec(const QString &sql, const QVariantList &binds = {});
    QSqlRecord record(int number);
    std::unique_ptr<platform::testing::TestPlatform> m_tp;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_outcome::init()
{
    m_tp = std::make_unique<platform::testing::TestPlatform>();
    m_tp->clock->setNow(QDateTime(QDate(2026, 3, 7), QTime(10, 0)));
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(CreateSqliteStore(m_dir->filePath("y3436.sqlite3"), "y3436"));
    Connection().ConnectionPrefix = BuildConnectionPrefix("sqlite:" + m_dir->path());
    Connection().DatabaseSuffix.clear();
    exec("insert into yedek5 (sayı, ada, sev1, sev2, sev3, sev4, gonderen, gonderentc, alan1, "
         "alan2, bak_durum, bak_tarih, bakanlik_aciklama, LocalImalatId) values (5, '112', 10.5, "
         "20, null, 0, 'Hasan Demir', '12345678901', 'a.jpg', 'Çatı', '1', '2026-01-01', 'eski', "
         "'M-1')");
    exec("insert into yedek5 (sayı, ada, bak_durum) values (6, '7', '1')");
    exec("insert into detay (ID_, MobilKullaniciId) values ('M-1', 9), ('M-2', 4)");
    exec("insert into inşaat (sayi, ada, yedek1) values (1, '112', 778899), (2, null, 445566)");
}

void tst_outcome::cleanup()
{
    db::CloseAll();
    m_dir.reset();
    m_tp.reset();
}

void tst_outcome::exec(const QString &sql, const QVariantList &binds)
{
    QSqlError e;
    QVERIFY2(db::Exec(ConnectionString("y3436"), sql, binds, &e), qPrintable(e.text()));
}

QSqlRecord tst_outcome::record(int number)
{
    const auto rows =
        db::Select(ConnectionString("y3436"), "select * from yedek5 where sayı=?", {number});
    return rows && rows->size() == 1 ? rows->first() : QSqlRecord();
}

void tst_outcome::writesTheOutcome_data()
{
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("note");
    QTest::newRow("sent") << Outcome::Sent << "2"
                          << "2026-03-07"
                          << "eski";
    QTest::newRow("not sent") << Outcome::NotSent << "1"
                              << "" << SubmitText::NotSent();
    QTest::newRow("seven days") << Outcome::SevenDay << "2"
                                << "2026-03-07" << SubmitText::SevenDay();
}

void tst_outcome::writesTheOutcome()
{
    QFETCH(Outcome, outcome);
    QFETCH(QString, state);
    QFETCH(QString, date);
    QFETCH(QString, note);
    QVERIFY(WriteOutcome("5", outcome, "Ayşe Yılmaz Karaoğlanoğulları"));
    const QSqlRecord r = record(5);
    QCOMPARE(db::Text(r, "bak_durum"), state);
    QCOMPARE(db::Text(r, "bak_tarih"), date);
    QCOMPARE(r.value("bak_tarih").isNull(), date.isEmpty());
    QCOMPARE(db::Text(r, "bakanlik_aciklama"), note);
    QCOMPARE(db::Text(r, "kullanici"), QString("Ayşe Yılmaz Karaoğla"));
    QCOMPARE(r.value("prog_ID").toInt(), 2003);
    // The other record is untouched.
    QCOMPARE(db::Text(record(6), "prog_ID"), QString());
}

void tst_outcome::mobileDetailReleasedOnlyWhenSentWithAnId()
{
    const auto mobile = [](const char *id) {
        const auto rows = db::Select(ConnectionString("y3436"),
                                     "select MobilKullaniciId from detay where ID_=?", {id});
        return rows->first().value(0);
    };
    QVERIFY(WriteOutcome("5", Outcome::NotSent, "op"));
    QCOMPARE(mobile("M-1").toInt(), 9);
    QVERIFY(WriteOutcome("5", Outcome::Sent, "op"));
    QVERIFY(mobile("M-1").isNull());
    QCOMPARE(mobile("M-2").toInt(), 4);
    // A record without a mobile id sends nothing to detay.
    QVERIFY(WriteOutcome("6", Outcome::Sent, "op"));
    QCOMPARE(mobile("M-2").toInt(), 4);
    QVERIFY(m_tp->messages->shown.isEmpty());
}

void tst_outcome::noRecordOrSeveralWritesNothing()
{
    QVERIFY(!WriteOutcome("99", Outcome::Sent, "op"));
    QVERIFY(!WriteOutcome("", Outcome::NotSent, "op"));
    QVERIFY(!LookupRecordByNumber("5 or 1=1"));
    QCOMPARE(db::Text(record(5), "bak_durum"), QString("1"));
}

void tst_outcome::inspectionRecordAndSiteAda()
{
    const auto r = LookupInspectionRecord("5");
    QVERIFY(r);
    QCOMPARE(r->sev1, QString("10.5"));
    QCOMPARE(r->sev2, QString("20"));
    QCOMPARE(r->sev3, QString());
    QCOMPARE(r->gonderentc, QString("12345678901"));
    QCOMPARE(r->alan2, QString("Çatı"));
    QCOMPARE(r->ada, QString("112"));
    QVERIFY(!LookupInspectionRecord("77"));

    QCOMPARE(LookupSiteAda("778899"), QString("112"));
    QCOMPARE(LookupSiteAda("445566"), QString());
    QCOMPARE(LookupSiteAda("1"), QString());
    QCOMPARE(LookupSiteAda("778899 or 1=1"), QString());
}

void tst_outcome::recordNumberFromKey()
{
    QCOMPARE(RecordNumberFromKey("f123"), QString("123"));
    QCOMPARE(RecordNumberFromKey("f"), QString());
    QCOMPARE(RecordNumberFromKey("f" + QString(120, '1')).size(), 100);
}

QTEST_GUILESS_MAIN(tst_outcome)
#include "tst_outcome.moc"
