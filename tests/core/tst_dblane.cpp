// The database layer against a real store: the embedded SQLite by default, and a server through
// QODBC when TARVEK_TEST_ODBC_SERVER names one (the ODBC lane of ./run test).
#include "core/connection.h"
#include "core/database.h"
#include "core/runsql.h"
#include "core/schema.h"
#include "core/scrambler.h"
#include "platform/deployment.h"
#include "platform/testing/testplatform.h"

#include <QtTest>

using platform::testing::TestPlatform;

class tst_dblane : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void pendingListQueryReadsTurkishColumns();
    void quotesAndTurkishTextAreBoundLiterally();
    void datesAndNulls();
    void alreadyExistsIsSkipped();
    void missingDatabaseIsReported();

private:
    QString cs(const char *name) const { return ConnectionString(QLatin1String(name)); }
    void fill();
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestPlatform> m_tp;
    bool m_odbc = false;
};

void tst_dblane::init()
{
    platform::Deployment::setCurrent(platform::Deployment::builtIn());
    m_tp = std::make_unique<TestPlatform>();
    const QString server = qEnvironmentVariable("TARVEK_TEST_ODBC_SERVER");
    m_odbc = !server.isEmpty();
    Connection() = ConnectionSettings();
    if (m_odbc) {
        Connection().ConnectionPrefix = BuildConnectionPrefix(server);
        for (const char *name : {"y3436", "f3436"}) {
            for (const char *table :
                 {"yedek5", "inşaat", "detay", "bakanlik", "kullanicilar", "ayarlar2"})
                db::Exec(cs(name),
                         QStringLiteral("drop table if exists ") + QString::fromUtf8(table));
            QSqlError e;
            QVERIFY2(ApplySchema(cs(name), QLatin1String(name), &e), qPrintable(e.text()));
        }
    } else {
        m_dir = std::make_unique<QTemporaryDir>();
        for (const char *name : {"y3436", "f3436"})
            QVERIFY(CreateSqliteStore(m_dir->filePath(QLatin1String(name) + ".sqlite3"),
                                      QLatin1String(name)));
        Connection().ConnectionPrefix = BuildConnectionPrefix("sqlite:" + m_dir->path());
    }
}

void tst_dblane::cleanup()
{
    db::CloseAll();
    m_tp.reset();
}

void tst_dblane::fill()
{
    QVERIFY(db::Exec(cs("y3436"),
                     "insert into inşaat (sayi, ada, yedek1, arsasahibi, müteahhit, kat, blok, "
                     "firma) values (?, ?, ?, ?, ?, ?, ?, ?)",
                     {1, "12/3 A", 1234567, "Ayşe Işık", "Öztürk İnşaat", "5", "A", "o'firma"}));
    const QList<QVariantList> records{
        {10, "12/3 A", QDate(2026, 11, 2), "b.JPG", "1"},
        {11, "12/3 A", QDate(2026, 11, 1), "a.jpg", "1"},
        {12, "12/3 A", QDate(2026, 11, 3), "c.jpg", "2"},
    };
    for (const QVariantList &r : records)
        QVERIFY(db::Exec(cs("y3436"),
                         "insert into yedek5 (sayı, ada, tarih, alan1, bak_durum, sev1) values "
                         "(?, ?, ?, ?, ?, 12.5)",
                         r));
}

void tst_dblane::pendingListQueryReadsTurkishColumns()
{
    fill();
    const QString sql =
        "select inşaat.sayi,yedek5.sayı,yedek5.tarih,yedek5.alan1,yedek5.ada,(inşaat.yedek1) as "
        "yibfno,arsasahibi,müteahhit,yedek5.alan2,yedek5.aciklama,yedek5.toplam,yedek5.sayı,"
        "bak_tarih,kat,blok from inşaat inner join yedek5 on inşaat.ada=yedek5.ada where "
        "bak_durum='1' and bak_tarih is null  and firma =? order by tarih";
    QSqlError e;
    const auto rows = db::Select(cs("y3436"), sql, {"o'firma"}, &e);
    QVERIFY2(rows.has_value(), qPrintable(e.text()));
    QCOMPARE(rows->size(), 2);
    QCOMPARE(db::Text(rows->at(0), "sayı"), QStringLiteral("11"));
    QCOMPARE(db::Text(rows->at(1), "sayı"), QStringLiteral("10"));
    QCOMPARE(db::Text(rows->at(0), "müteahhit"), QStringLiteral("Öztürk İnşaat"));
    QCOMPARE(db::Text(rows->at(0), "arsasahibi"), QStringLiteral("Ayşe Işık"));
    QCOMPARE(db::Text(rows->at(0), "yibfno"), QStringLiteral("1234567"));
    QCOMPARE(db::Text(rows->at(0), "alan2"), QString());
}

void tst_dblane::quotesAndTurkishTextAreBoundLiterally()
{
    const QString tricky = "x' or '1'='1";
    QVERIFY(db::Exec(cs("f3436"),
                     "insert into bakanlik (sayi, kurum_unvan, kullanici_adi, sifre6) values "
                     "(1, ?, ?, ?)",
                     {"ÇAĞ'DAŞ DENETİM", Scramble("kullanıcı", 2), Scramble("şifre", 1)}));
    const auto none =
        db::Select(cs("f3436"), "select * from bakanlik where kurum_unvan=?", {tricky});
    QVERIFY(none && none->isEmpty());
    const auto one =
        db::Select(cs("f3436"), "select * from bakanlik where kurum_unvan=?", {"ÇAĞ'DAŞ DENETİM"});
    QVERIFY(one && one->size() == 1);
    QCOMPARE(Unscramble(db::Text(one->at(0), "kullanici_adi"), 2), QStringLiteral("kullanıcı"));
    QCOMPARE(Unscramble(db::Text(one->at(0), "sifre6"), 1), QStringLiteral("şifre"));
}

void tst_dblane::datesAndNulls()
{
    fill();
    int affected = 0;
    QVERIFY(db::Exec(cs("y3436"),
                     "update yedek5 set bak_durum=?, bak_tarih=?, prog_ID=? where sayı=?",
                     {"2", QDate(2026, 12, 5), 2003, 11}, nullptr, &affected));
    QCOMPARE(affected, 1);
    const auto rows = db::Select(cs("y3436"), "select * from yedek5 where sayı=?", {11});
    QVERIFY(rows && rows->size() == 1);
    QCOMPARE(rows->at(0).value("bak_tarih").toDate(), QDate(2026, 12, 5));
    QCOMPARE(rows->at(0).value("prog_ID").toInt(), 2003);
    QCOMPARE(db::Text(rows->at(0), "LocalImalatId"), QString());
    QCOMPARE(rows->at(0).value("sev1").toDouble(), 12.5);
    QVERIFY(db::Exec(cs("y3436"), "update yedek5 set bak_durum=?, bak_tarih=? where sayı=?",
                     {"1", QVariant(QMetaType::fromType<QDate>()), 11}));
    const auto pending = db::Select(
        cs("y3436"), "select sayı from yedek5 where bak_durum='1' and bak_tarih is null");
    QVERIFY(pending);
    QCOMPARE(pending->size(), 2);
}

void tst_dblane::alreadyExistsIsSkipped()
{
    const auto outcome = RunSql("create table detay (x integer)", "y3436", false, false);
    QVERIFY(outcome.has_value());
    QVERIFY(m_tp->messages->shown.isEmpty());
}

void tst_dblane::missingDatabaseIsReported()
{
    QSqlError e;
    QVERIFY(!db::Select(ConnectionString("yok3436"), "select 1", {}, &e).has_value());
    QVERIFY(!e.text().isEmpty());
    QVERIFY(m_tp->messages->shown.isEmpty());
}

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--print-sql-password") == 0) {
        QCoreApplication app(argc, argv);
        platform::Deployment::setCurrent(platform::Deployment::builtIn());
        QTextStream(stdout) << Unscramble(platform::Deployment::current().scrambledSqlPassword, 1)
                            << "\n";
        return 0;
    }
    QCoreApplication app(argc, argv);
    tst_dblane t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_dblane.moc"
