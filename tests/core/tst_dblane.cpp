// The database layer against a real store: the embedded SQLite by default, and a server through
// QODBC when TARVEK_TEST_ODBC_SERVER names one (the ODBC lane, tests/odbc-lane.sh).
#include "core/connection.h"
#include "core/database.h"
#include "core/outcome.h"
#include "core/queuerules.h"
#include "core/runsql.h"
#include "core/schema.h"
#include "core/scrambler.h"
#include "core/statustexts.h"
#include "platform/deployment.h"
#include "platform/testing/testplatform.h"
#include "rows.h"

#include <QtTest>

static const QString kOperator = "Ayşe Yılmaz Karaoğlanoğulları";
static const QString kStatus = "Durum: 'uzun' bir açıklama, elli karakterden uzun olan bir metin";

using platform::testing::TestPlatform;
Q_DECLARE_METATYPE(std::optional<Outcome>)

class tst_dblane : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        platform::Deployment::setCurrent(platform::Deployment::builtIn());
        m_tp = std::make_unique<TestPlatform>();
        const QString server = qEnvironmentVariable("TARVEK_TEST_ODBC_SERVER");
        m_odbc = !server.isEmpty();
        Connection() = ConnectionSettings();
        Connection().ConnectionPrefix = BuildConnectionPrefix(
            m_odbc ? server : "sqlite:" + m_tp->root.path()); // the folder of the store files
        for (const char *name : {"y3436", "f3436"}) {
            for (const char *table :
                 {"yedek5", "inşaat", "detay", "bakanlik", "kullanicilar", "ayarlar2"})
                if (m_odbc)
                    db::Exec(cs(name), QStringLiteral("drop table if exists ") + table);
            QSqlError e;
            QVERIFY2(m_odbc ? ApplySchema(cs(name), name, &e)
                            : CreateSqliteStore(m_tp->root.filePath(name + QString(".sqlite3")),
                                                name, &e),
                     qPrintable(e.text()));
        }
        exec("insert into yedek5 (sayı, ada, tarih, bak_durum, bakanlik_aciklama, LocalImalatId) "
             "values (5, '12/3 A', ?, '1', 'eski', 'M-1'), (6, '7', ?, '1', null, null)",
             {QDate(2026, 3, 1), QDate(2026, 3, 2)});
        exec("insert into detay (ID_, MobilKullaniciId) values ('M-1', 9), ('M-2', 4)");
    }
    void cleanup()
    {
        db::CloseAll();
        m_tp.reset();
    }

    void connectionTargets()
    {
        auto target = [](const QString &cs) {
            const db::Target t = db::ParseConnectionString(cs);
            return t.sqlite ? "sqlite:" + t.sqliteFile : t.odbcString;
        };
        QCOMPARE(target("driver={SQL SERVER};server=sqlite:c:\\d;uid=kvrtmlsn;database=y_sube"),
                 "sqlite:" + m_tp->driveRoot() + "/c/d/y_sube.sqlite3");
        // Keywords upper-cased in ASCII (not "DRİVER" under a Turkish locale); values untouched.
        QCOMPARE(target("driver={SQL SERVER};server=SRV\\SQL,1433;pwd=iİı;database=y"),
                 QStringLiteral("DRIVER={SQL SERVER};SERVER=SRV\\SQL,1433;PWD=iİı;DATABASE=y"));
    }

    void boundValuesAndForwardCounting()
    {
        exec("insert into inşaat (sayi, ada, yedek1, müteahhit, firma) values (?, ?, ?, ?, ?)",
             {1, "12/3 A", 1234567, "Öztürk İnşaat", "o'firma"});
        QVERIFY(RunSqlChecked("insert into bakanlik (sayi, kurum_unvan, sifre6) values (1, ?, ?)",
                              "f3436", true, false, {"ÇAĞ'DAŞ", Scramble("şifre", 1)}));
        QCOMPARE(
            select("f3436", "select * from bakanlik where kurum_unvan=?", {"x' or '1'='1"}).size(),
            0);
        const db::Rows one = select("f3436", "select * from bakanlik where kurum_unvan=?",
                                    {QStringLiteral("ÇAĞ'DAŞ")});
        QCOMPARE(one.size(), 1);
        QCOMPARE(Unscramble(db::Text(one[0], "sifre6"), 1), QStringLiteral("şifre"));
        exec("insert into inşaat (sayi, ada, firma) values (2, '7', ?)", {"o'firma"});
        const db::Rows pending = select("y3436", queue::PendingListQuery(true), {"o'firma"});
        QCOMPARE(pending.size(), 2); // forward-only: counted by stepping
        QCOMPARE(db::Text(pending[0], "sayı"), QStringLiteral("5"));
        QCOMPARE(db::Text(pending[0], "müteahhit"), QStringLiteral("Öztürk İnşaat"));
        QCOMPARE(db::Text(pending[0], "yibfno"), QStringLiteral("1234567"));
        QCOMPARE(db::Text(pending[1], "sayı"), QStringLiteral("6"));
        QCOMPARE(select("y3436", "select * from yedek5 where bak_tarih is null").size(), 2);
        QVERIFY(!db::Select(ConnectionString("yok3436"), "select 1").has_value());
        QVERIFY(m_tp->messages->shown.isEmpty());
    }

    void storeFailuresReachTheOperator()
    {
        // A table that exists already is skipped silently, on every store's wording.
        QVERIFY(RunSql("create table detay (x integer)", "y3436", false, false).has_value());
        QVERIFY(m_tp->messages->shown.isEmpty());
        QVERIFY(!RunSqlChecked("select * from yok_tablo", "y3436", true, false));
        QCOMPARE(m_tp->messages->shown.size(), 1);
        QVERIFY(m_tp->messages->shown[0].text.startsWith("Öngörülmeyen Hata : 2345322 !!!"));
        if (m_odbc)
            return; // a missing server says so in the server's own words
        m_tp->messages->clear();
        Connection().ConnectionPrefix = BuildConnectionPrefix("sqlite:" + m_tp->root.path() + "/x");
        QVERIFY_THROWS_EXCEPTION(platform::ProcessEnded, RunSql("select 1", "y3436", true, false));
        QCOMPARE(m_tp->messages->texts(),
                 QStringList{" SQL Sunucusuna ulaşılamıyor...\r\nLütfen KORA Bİlişim'i(0 (312) "
                             "418 00 00) arayınız..."});
    }

    void submissionEnd_data()
    {
        QTest::addColumn<std::optional<Outcome>>("stored"); // none: the status note alone
        QTest::addColumn<QStringList>("row"); // bak_durum, bak_tarih, bakanlik_aciklama, prog_ID
        QTest::addColumn<bool>("released");   // the record's mobile detail
        Row("sent", std::optional(Outcome::Sent),
            QStringList{"2", "2026-03-07", kStatus.left(50), "2003"}, true);
        Row("not sent", std::optional(Outcome::NotSent),
            QStringList{"1", "", SubmitText::NotSent(), "2003"}, false);
        Row("seven days", std::optional(Outcome::SevenDay),
            QStringList{"2", "2026-03-07", SubmitText::SevenDay(), "2003"}, false);
        Row("status note", std::optional<Outcome>(), QStringList{"1", "", kStatus.left(50), "2002"},
            false);
    }
    void submissionEnd()
    {
        QFETCH(std::optional<Outcome>, stored);
        QFETCH(QStringList, row);
        QFETCH(bool, released);
        QVERIFY(stored ? StoreSubmissionEnd(5, kStatus, stored, kOperator)
                       : StoreStatusNote(5, kStatus, kOperator));
        QCOMPARE((QStringList{column(5, "bak_durum"), column(5, "bak_tarih").left(10),
                              column(5, "bakanlik_aciklama"), column(5, "prog_ID")}),
                 row);
        QCOMPARE(column(5, "kullanici"), kOperator.left(20)); // "Ayşe Yılmaz Karaoğla"
        QCOMPARE(mobile("M-1"), released ? QString() : QStringLiteral("9"));
        QCOMPARE(mobile("M-2"), QStringLiteral("4"));
        QCOMPARE(column(6, "bak_durum"), QStringLiteral("1"));
        QVERIFY(m_tp->messages->shown.isEmpty());
    }

    void refusedWriteChangesNothing()
    {
        QVERIFY(RecordExists(5) && !RecordExists(99));
        QVERIFY(!StoreSubmissionEnd(99, "x", Outcome::Sent, "op"));
        exec("alter table yedek5 drop column kullanici"); // the store now refuses the stamp
        QVERIFY(!StoreSubmissionEnd(5, "x", Outcome::Sent, "op"));
        QVERIFY(!StoreStatusNote(5, "x", "op"));
        QCOMPARE(column(5, "bak_durum"), QStringLiteral("1"));
        QCOMPARE(column(5, "bakanlik_aciklama"), QStringLiteral("eski"));
        QCOMPARE(mobile("M-1"), QStringLiteral("9"));
    }

private:
    static QString cs(const QString &name) { return ConnectionString(name); }
    void exec(const QString &sql, const QVariantList &binds = {})
    {
        QSqlError e;
        QVERIFY2(db::Exec(cs("y3436"), sql, binds, &e), qPrintable(e.text()));
    }
    db::Rows select(const QString &database, const QString &sql, const QVariantList &binds = {})
    {
        return db::Select(cs(database), sql, binds).value_or(db::Rows());
    }
    QString column(int sayi, const QString &name)
    {
        const db::Rows r = select("y3436", "select * from yedek5 where sayı=?", {sayi});
        return r.size() == 1 ? db::Text(r[0], name) : "<no record>";
    }
    QString mobile(const QString &id)
    {
        const db::Rows r = select("y3436", "select MobilKullaniciId from detay where ID_=?", {id});
        return r.size() == 1 ? db::Text(r[0], "MobilKullaniciId") : "<no detail>";
    }
    std::unique_ptr<TestPlatform> m_tp;
    bool m_odbc = false;
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--print-sql-password") == 0) {
        platform::Deployment::setCurrent(platform::Deployment::builtIn());
        QTextStream(stdout) << Unscramble(platform::Deployment::current().scrambledSqlPassword, 1)
                            << "\n";
        return 0;
    }
    tst_dblane t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_dblane.moc"
