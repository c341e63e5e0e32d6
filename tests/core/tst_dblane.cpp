// The database layer against a real store: the embedded SQLite by default, and a server through
// QODBC when TARVEK_TEST_ODBC_SERVER names one (the ODBC lane, tests/odbc-lane.sh).
#include "core/connection.h"
#include "core/database.h"
#include "core/outcome.h"
#include "core/queuerules.h"
#include "core/recordedit.h"
#include "core/runsql.h"
#include "core/schema.h"
#include "core/scrambler.h"
#include "core/statustexts.h"
#include "platform/deployment.h"
#include "platform/testing/testplatform.h"
#include "rows.h"

#include <QtTest>

using platform::testing::TestPlatform;
Q_DECLARE_METATYPE(std::optional<Outcome>)
Q_DECLARE_METATYPE(DbStepError)

class tst_dblane : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        platform::Deployment::setCurrent(platform::Deployment::builtIn());
        ResetSupportModeForTests();
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
        QDir(dataFolder()).removeRecursively();
    }
    void cleanup()
    {
        db::CloseAll();
        QDir(dataFolder()).removeRecursively();
        m_tp.reset();
    }

    void connectionTargets_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QString>("target"); // "sqlite:" + file, or the ODBC string
        Row("embedded store, suffix kept",
            "driver={SQL SERVER};server=sqlite:/srv/d;uid=kvrtmlsn;pwd=p;database=y3436_sube",
            "sqlite:/srv/d/y3436_sube.sqlite3");
        Row("windows-style store folder", "server=sqlite:c:\\tarvek\\data;database=f3436",
            "sqlite:<drives>/c/tarvek/data/f3436.sqlite3");
        // Keywords upper-cased in ASCII (not "DRİVER" under a Turkish locale); values untouched.
        Row("server through ODBC", "driver={SQL SERVER};server=SRV\\SQL,1433;pwd=iİı;database=y",
            "DRIVER={SQL SERVER};SERVER=SRV\\SQL,1433;PWD=iİı;DATABASE=y");
    }
    void connectionTargets()
    {
        QFETCH(QString, connection);
        QFETCH(QString, target);
        const db::Target t = db::ParseConnectionString(connection);
        QCOMPARE(t.sqlite ? "sqlite:" + t.sqliteFile : t.odbcString,
                 QString(target).replace("<drives>", m_tp->driveRoot()));
    }

    void boundValuesAndForwardCounting()
    {
        const QString tricky = "x' or '1'='1";
        exec("insert into inşaat (sayi, ada, yedek1, müteahhit, firma) values (?, ?, ?, ?, ?)",
             {1, "12/3 A", 1234567, "Öztürk İnşaat", "o'firma"});
        QVERIFY(RunSqlChecked("insert into bakanlik (sayi, kurum_unvan, sifre6) values (1, ?, ?)",
                              "f3436", true, false, {"ÇAĞ'DAŞ", Scramble("şifre", 1)}));
        QCOMPARE(select("f3436", "select * from bakanlik where kurum_unvan=?", {tricky}).size(), 0);
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

    void classificationReachesTheOperator_data()
    {
        QTest::addColumn<DbStepError>("error");
        QTest::addColumn<int>("failures"); // how often the step fails before it goes through
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("quiet");
        QTest::addColumn<bool>("support");
        QTest::addColumn<QStringList>("messages"); // "!" first: the process ended
        QTest::addColumn<int>("calls");
        QTest::addColumn<bool>("incident"); // the incident file lives while its message is up
        const DbStepError send{0, "[DBNETLIB]ConnectionWrite (send())."};
        const DbStepError ali{18456, "Login failed for user 'ali'."};
        const DbStepError syntax{42, "syntax error"};
        const QString incident = "Öngörülmeyen Hata : 2345322 !!!\rLütfen KORA Bilişim'i "
                                 "arayınız. Tel : 0 (312) 418 00 00\r2026 3 7-14 5 9";
        using S = QStringList;
        Row("send failure retried until it goes through", send, 4, "delete from deneme", false,
            false, S{}, 5, false);
        Row("five retries, then the end", send, 6, "delete from deneme", false, false,
            S{"!", "Veritabanı yazım hatası..."}, 6, false);
        Row("another user's login, then the incident", ali, 1, "select 1", false, false,
            S{"SQL Server Kullanıcısı bulunamamamıştır...\r\nLütfen KORA Bİlişim'i(0 (312) 418 "
              "00 00) arayınız...",
              incident},
            1, true);
        Row("quiet: no trace", syntax, 1, "select 1", true, false, S{}, 1, false);
        Row("support workstation: the raw error", syntax, 1, "select x", false, true,
            S{"42syntax error\r\nselect x\r\nf3436"}, 1, false);
    }
    void classificationReachesTheOperator()
    {
        QFETCH(DbStepError, error);
        QFETCH(int, failures);
        QFETCH(QString, sql);
        QFETCH(bool, quiet);
        QFETCH(bool, support);
        QFETCH(QStringList, messages);
        QFETCH(int, calls);
        QFETCH(bool, incident);
        QDir().mkpath(dataFolder());
        const QString marker = QCoreApplication::applicationDirPath() + "/destek.dbt";
        if (support) {
            auto d = platform::Deployment::builtIn();
            d.developmentFolder = QCoreApplication::applicationDirPath();
            platform::Deployment::setCurrent(d);
            QVERIFY(QFile(marker).open(QIODevice::WriteOnly));
        }
        QStringList file;
        m_tp->messages->onShow = [&](const auto &) {
            for (const QString &f : QDir(dataFolder()).entryList(QDir::Files)) {
                QFile in(dataFolder() + "/" + f);
                QVERIFY(in.open(QIODevice::ReadOnly));
                const QStringList l = QString::fromLatin1(in.readAll()).split("\r\n");
                file << f << Unscramble(l.value(0), 2) << Unscramble(l.value(1), 2) << l.value(2);
            }
        };
        int called = 0;
        const std::vector<DbStep> steps{[&]() -> std::optional<DbStepError> {
            return ++called <= failures ? std::optional(error) : std::nullopt;
        }};
        bool ended = false, through = false;
        try {
            through = RunDbSteps(sql, "f3436", quiet, steps);
        } catch (const platform::ProcessEnded &) {
            ended = true;
        }
        QFile::remove(marker);
        QCOMPARE((ended ? QStringList{"!"} : QStringList()) + m_tp->messages->texts(), messages);
        QCOMPARE(through, messages.isEmpty());
        QCOMPARE(called, calls);
        const QStringList written{"2026 3 7-14 5 9.txt", sql, error.description, "f3436"};
        QCOMPARE(file, incident ? written : QStringList());
        QVERIFY(QDir(dataFolder()).entryList(QDir::Files).isEmpty());
    }

    void recordEdit()
    {
        QVERIFY(!LookupYedek5(99) && !RecordExists(99));
        std::optional<RecordEdit> edit = LookupYedek5(5);
        QVERIFY(edit && RecordExists(5));
        QCOMPARE(db::Text(edit->record, "LocalImalatId"), QStringLiteral("M-1"));
        edit->setValue("alan2", "Çatı 'bitti'");
        StampRecord(*edit, kStampWithdrawn, "Ayşe Yılmaz Karaoğlanoğulları");
        QVERIFY(SaveRecord(*edit));
        QCOMPARE(column(5, "alan2"), QStringLiteral("Çatı 'bitti'"));
        QCOMPARE(column(5, "kullanici"), QStringLiteral("Ayşe Yılmaz Karaoğla"));
        QCOMPARE(column(5, "prog_ID"), QStringLiteral("2001"));
        QCOMPARE(column(6, "prog_ID"), QString());
    }

    void submissionEnd_data()
    {
        QTest::addColumn<std::optional<Outcome>>("stored"); // none: the status note alone
        QTest::addColumn<QStringList>("row"); // bak_durum, bak_tarih, bakanlik_aciklama, prog_ID
        QTest::addColumn<bool>("released");   // the record's mobile detail
        const QString status = "Durum: 'uzun' bir açıklama, elli karakterden uzun olan bir metin";
        Row("sent", std::optional(Outcome::Sent),
            QStringList{"2", "2026-03-07", status.left(50), "2003"}, true);
        Row("not sent", std::optional(Outcome::NotSent),
            QStringList{"1", "", SubmitText::NotSent(), "2003"}, false);
        Row("seven days", std::optional(Outcome::SevenDay),
            QStringList{"2", "2026-03-07", SubmitText::SevenDay(), "2003"}, false);
        Row("status note", std::optional<Outcome>(), QStringList{"1", "", status.left(50), "2002"},
            false);
    }
    void submissionEnd()
    {
        QFETCH(std::optional<Outcome>, stored);
        QFETCH(QStringList, row);
        QFETCH(bool, released);
        const QString status = "Durum: 'uzun' bir açıklama, elli karakterden uzun olan bir metin";
        QVERIFY(stored ? StoreSubmissionEnd(5, status, stored, "op")
                       : StoreStatusNote(5, status, "op"));
        QCOMPARE((QStringList{column(5, "bak_durum"), column(5, "bak_tarih").left(10),
                              column(5, "bakanlik_aciklama"), column(5, "prog_ID")}),
                 row);
        QCOMPARE(column(5, "kullanici"), QStringLiteral("op"));
        QCOMPARE(mobile("M-1"), released ? QString() : QStringLiteral("9"));
        QCOMPARE(mobile("M-2"), QStringLiteral("4"));
        QCOMPARE(column(6, "bak_durum"), QStringLiteral("1"));
        QVERIFY(m_tp->messages->shown.isEmpty());
    }

    void refusedWriteChangesNothing()
    {
        QVERIFY(!StoreSubmissionEnd(99, "x", Outcome::Sent, "op"));
        exec("alter table yedek5 drop column kullanici"); // the store now refuses the stamp
        QVERIFY(!StoreSubmissionEnd(5, "x", Outcome::Sent, "op"));
        QVERIFY(!StoreStatusNote(5, "x", "op"));
        QCOMPARE(column(5, "bak_durum"), QStringLiteral("1"));
        QCOMPARE(column(5, "bakanlik_aciklama"), QStringLiteral("eski"));
        QCOMPARE(mobile("M-1"), QStringLiteral("9"));
    }

private:
    static QString dataFolder() { return QCoreApplication::applicationDirPath() + "/data"; }
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
