#include "platform/deployment.h"
#include "platform/testing/testplatform.h"
#include "startup/connection.h"
#include "startup/runsql.h"
#include "startup/schema.h"
#include "startup/scrambler.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QtTest>

using platform::MsgIcon;
using platform::ProcessEnded;
using platform::testing::TestPlatform;
using Action = DbErrorDecision::Action;

Q_DECLARE_METATYPE(DbErrorDecision::Action)

class tst_runsql : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void likeMatch_data();
    void likeMatch();
    void classify_data();
    void classify();
    void incidentStamp();
    void retriesDeleteFromDenemeFiveTimesThenStops();
    void retrySucceeds();
    void otherUserLoginShowsThenIncident();
    void incidentWithoutDataFolderSaysDashes();
    void quietLeavesNoTrace();
    void supportWorkstationShowsRawErrorAndIsRemembered();
    void sqliteAlreadyExistsIsSkippedAndReturnsRecordSet();
    void sqliteMissingStoreEndsProgram();
    void namesAndSuffix();
    void boundValuesStayValues();
    void connectionTargets_data();
    void connectionTargets();

private:
    QString dataFolder() const { return QCoreApplication::applicationDirPath() + "/data"; }
    std::vector<DbStep> failing(int times, DbStepError e, int *calls);
    std::unique_ptr<QTemporaryDir> m_dir;
    struct Store
    {
        QString filePath(const QString &n) const { return dir->filePath(n); }
        QString path() const { return dir->path(); }
        QTemporaryDir *dir;
    } m_store{nullptr};
};

void tst_runsql::init()
{
    platform::Deployment::setCurrent(platform::Deployment::builtIn());
    ResetSupportModeForTests();
    Connection() = ConnectionSettings();
    QDir(dataFolder()).removeRecursively();
    m_dir = std::make_unique<QTemporaryDir>();
    m_store.dir = m_dir.get();
}

void tst_runsql::cleanup()
{
    db::CloseAll();
    QDir(dataFolder()).removeRecursively();
}

void tst_runsql::likeMatch_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("match");
    QTest::newRow("inner") << "There is already an object named 'x'"
                           << "*already exists*" << false;
    QTest::newRow("contains") << "Table 'x' already exists."
                              << "*already exists.*" << true;
    QTest::newRow("case-sensitive") << "ALREADY EXISTS"
                                    << "*already exists*" << false;
    QTest::newRow("prefix") << "delete from deneme"
                            << "delete*" << true;
    QTest::newRow("exact") << "abc"
                           << "abc" << true;
    QTest::newRow("not whole") << "abcd"
                               << "abc" << false;
    QTest::newRow("backtrack") << "a server=x;server="
                               << "*server=*" << true;
    QTest::newRow("empty both") << ""
                                << "*" << true;
}

void tst_runsql::likeMatch()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, match);
    QCOMPARE(LikeMatch(text, pattern), match);
}

void tst_runsql::classify_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<int>("retries");
    QTest::addColumn<bool>("quiet");
    QTest::addColumn<bool>("support");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("earlier");
    const QString line = "\r\nLütfen KORA Bİlişim'i(0 (312) 418 00 00) arayınız...";
    const QString sql = "select 1";
    auto row = [&](const char *name, int number, const QString &d, const QString &s, int retries,
                   bool quiet, bool support, Action a, const QString &m = {},
                   const QString &earlier = {}) {
        QTest::newRow(name) << number << d << s << retries << quiet << support << a << m << earlier;
    };
    row("1 retries exhausted beat everything", 3704, "x", sql, 5, true, false, Action::Stop,
        "Veritabanı yazım hatası...");
    row("2 closed object", 3704, "whatever", sql, 0, false, false, Action::Skip);
    row("3 xp_delete_file", 0, "Could not find xp_delete_file", sql, 0, false, false, Action::Skip);
    row("4 duplicate column", 0,
        "Column names in each table must be unique. Column name 'a' in table 't' is specified "
        "more than once.",
        sql, 0, false, false, Action::Skip);
    row("4 only half", 0, "Column names in each table must be unique. Column name 'a'", sql, 0,
        false, false, Action::Incident);
    row("5 object exists", 0, "There is already an object named 't' in the database.", sql, 0,
        false, false, Action::Skip);
    row("6 drop missing column", 0,
        "ALTER TABLE DROP COLUMN failed because column 'a' does not exist in table 't'.", sql, 0,
        false, false, Action::Skip);
    row("7 already exists.", 0, "Index x already exists.", sql, 0, false, false, Action::Skip);
    row("8 already exists", 0, "table t already exists", sql, 0, false, false, Action::Skip);
    row("9 sa", 18456, "[FreeTDS][SQL Server]Login failed for user 'sa'.", sql, 0, false, false,
        Action::Stop, "SQL Server Yönetici Kullanıcısı bulunamamamıştır..." + line);
    row("9 fixed login", 18456, "Login failed for user 'kvrtmlsn'.", sql, 0, true, false,
        Action::Stop, "SQL Server Yönetici Kullanıcısı bulunamamamıştır..." + line);
    row("10 other user falls through", 18456, "Login failed for user 'ali'.", sql, 0, false, false,
        Action::Incident, {}, "SQL Server Kullanıcısı bulunamamamıştır..." + line);
    row("10 then 15 quiet", 18456, "Login failed for user 'ali'.", sql, 0, true, false,
        Action::Skip, {}, "SQL Server Kullanıcısı bulunamamamıştır..." + line);
    row("11 not found", 17, "[DBNETLIB]SQL Server yok veya erişim engellendi.", sql, 0, false,
        false, Action::Stop, " SQL Sunucusuna ulaşılamıyor..." + line);
    row("11 english", 17, "Specified SQL server not found.", sql, 0, false, false, Action::Stop,
        " SQL Sunucusuna ulaşılamıyor..." + line);
    row("12 device", 5105, "Device activation error. The physical file name 'x' may be wrong", sql,
        0, false, false, Action::Stop, "Veritabanı dosyası bozulması..." + line);
    row("12 may be incorrect", 5105, "The path may be incorrect.", sql, 0, false, false,
        Action::Stop, "Veritabanı dosyası bozulması..." + line);
    row("13 retry", 0, "[DBNETLIB]ConnectionWrite (send()).", "delete from deneme", 4, false, false,
        Action::Retry);
    row("13 other statement", 0, "[DBNETLIB]ConnectionWrite (send()).", "delete from x", 0, false,
        false, Action::Incident);
    row("14 builtin administrators", 0, "some error",
        "IF  EXISTS (SELECT * FROM master.dbo.syslogins WHERE name = N'BUILTIN\\Administrators')",
        0, false, false, Action::Skip);
    row("14 one blank is not it", 0, "some error",
        "IF EXISTS (SELECT * FROM master.dbo.syslogins WHERE name = N'BUILTIN\\Administrators')", 0,
        false, false, Action::Incident);
    row("15 quiet", 0, "syntax error", sql, 0, true, true, Action::Skip);
    row("16 support", 0, "syntax error", sql, 0, false, true, Action::SupportReport);
    row("17 incident", 0, "syntax error", sql, 0, false, false, Action::Incident);
}

void tst_runsql::classify()
{
    QFETCH(int, number);
    QFETCH(QString, description);
    QFETCH(QString, statement);
    QFETCH(int, retries);
    QFETCH(bool, quiet);
    QFETCH(bool, support);
    QFETCH(Action, action);
    QFETCH(QString, message);
    QFETCH(QString, earlier);
    const DbErrorDecision d =
        ClassifyDbError({number, description, statement, retries, quiet, support});
    QCOMPARE(d.action, action);
    QCOMPARE(d.message, message);
    QCOMPARE(d.earlierMessage, earlier);
}

void tst_runsql::incidentStamp()
{
    QCOMPARE(IncidentStamp(QDateTime(QDate(2015, 3, 7), QTime(14, 5, 9))),
             QStringLiteral("2015 3 7-14 5 9"));
    QCOMPARE(IncidentStamp(QDateTime(QDate(2026, 12, 31), QTime(0, 0, 0))),
             QStringLiteral("2026 12 31-0 0 0"));
}

std::vector<DbStep> tst_runsql::failing(int times, DbStepError e, int *calls)
{
    return {[=]() -> std::optional<DbStepError> {
        ++*calls;
        if (*calls <= times)
            return e;
        return std::nullopt;
    }};
}

void tst_runsql::retriesDeleteFromDenemeFiveTimesThenStops()
{
    TestPlatform tp;
    int calls = 0;
    const auto steps = failing(6, {0, "ConnectionWrite (send())."}, &calls);
    QVERIFY_THROWS_EXCEPTION(ProcessEnded, RunDbSteps("delete from deneme", "y3436", false, steps));
    QCOMPARE(calls, 6);
    QCOMPARE(tp.messages->texts(), QStringList{"Veritabanı yazım hatası..."});
}

void tst_runsql::retrySucceeds()
{
    TestPlatform tp;
    int calls = 0;
    QVERIFY(RunDbSteps("delete from deneme", "y3436", false,
                       failing(3, {0, "ConnectionWrite (send())."}, &calls)));
    QCOMPARE(calls, 4);
    QVERIFY(tp.messages->shown.isEmpty());
}

void tst_runsql::otherUserLoginShowsThenIncident()
{
    TestPlatform tp;
    QDir().mkpath(dataFolder());
    QString fileDuringMessage;
    tp.messages->onShow = [&](const auto &) {
        const QStringList files = QDir(dataFolder()).entryList(QDir::Files);
        fileDuringMessage = files.value(0);
        if (!files.isEmpty()) {
            QFile f(dataFolder() + "/" + files[0]);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QStringList lines = QString::fromLatin1(f.readAll()).split("\r\n");
            QCOMPARE(Unscramble(lines.value(0), 2), QStringLiteral("select 1"));
            QCOMPARE(Unscramble(lines.value(1), 2), QStringLiteral("Login failed for user 'ali'."));
            QCOMPARE(lines.value(2), QStringLiteral("f3436"));
        }
    };
    int calls = 0;
    QVERIFY(!RunDbSteps("select 1", "f3436", false,
                        failing(1, {18456, "Login failed for user 'ali'."}, &calls)));
    QCOMPARE(tp.messages->shown.size(), 2);
    QVERIFY(tp.messages->shown[0].text.startsWith("SQL Server Kullanıcısı bulunamamamıştır..."));
    QCOMPARE(tp.messages->shown[1].text,
             QStringLiteral("Öngörülmeyen Hata : 2345322 !!!\rLütfen KORA Bilişim'i arayınız. "
                            "Tel : 0 (312) 418 00 00\r2026 3 7-14 5 9"));
    QCOMPARE(tp.messages->shown[1].icon, MsgIcon::Critical);
    QCOMPARE(fileDuringMessage, QStringLiteral("2026 3 7-14 5 9.txt"));
    QVERIFY(QDir(dataFolder()).entryList(QDir::Files).isEmpty()); // deleted after the message
}

void tst_runsql::incidentWithoutDataFolderSaysDashes()
{
    TestPlatform tp;
    int calls = 0;
    QVERIFY(!RunDbSteps("select 1", "y3436", false, failing(1, {0, "syntax error"}, &calls)));
    QCOMPARE(tp.messages->shown.size(), 1);
    QVERIFY(tp.messages->shown[0].text.endsWith("\r---"));
}

void tst_runsql::quietLeavesNoTrace()
{
    TestPlatform tp;
    QDir().mkpath(dataFolder());
    int calls = 0;
    QVERIFY(RunDbSteps("select 1", "y3436", true, failing(1, {0, "syntax error"}, &calls)));
    QVERIFY(tp.messages->shown.isEmpty());
    QVERIFY(QDir(dataFolder()).entryList(QDir::Files).isEmpty());
}

void tst_runsql::supportWorkstationShowsRawErrorAndIsRemembered()
{
    TestPlatform tp;
    auto d = platform::Deployment::builtIn();
    d.developmentFolder = QCoreApplication::applicationDirPath(); // a native path stays as it is
    platform::Deployment::setCurrent(d);
    QVERIFY(!SupportMode());
    const QString marker = QCoreApplication::applicationDirPath() + "/destek.dbt";
    QFile f(marker);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QVERIFY(SupportMode());
    QFile::remove(marker);
    QVERIFY(SupportMode()); // cached for the process
    QDir().mkpath(dataFolder());
    int calls = 0;
    QVERIFY(!RunDbSteps("select x", "y3436", false, failing(1, {42, "no such column"}, &calls)));
    QCOMPARE(tp.messages->shown.size(), 1);
    QCOMPARE(tp.messages->shown[0].text, QStringLiteral("42no such column\r\nselect x\r\ny3436"));
    QCOMPARE(tp.messages->shown[0].icon, MsgIcon::None);
    QVERIFY(QDir(dataFolder()).entryList(QDir::Files).isEmpty());
}

void tst_runsql::sqliteAlreadyExistsIsSkippedAndReturnsRecordSet()
{
    TestPlatform tp;
    QVERIFY(CreateSqliteStore(m_store.filePath("y3436.sqlite3"), "y3436"));
    Connection().ConnectionPrefix = BuildConnectionPrefix("sqlite:" + m_store.path());
    const auto outcome = RunSql("create table detay (x integer)", "y3436", false, false);
    QVERIFY(outcome.has_value());
    QVERIFY(tp.messages->shown.isEmpty());
    // An ordinary select returns its rows.
    QVERIFY(RunSqlChecked("insert into detay (ID_, MobilKullaniciId) values ('a', 3)", "y3436",
                          true, false));
    const auto rows = RunSql("select * from detay", "y3436", false, false);
    QVERIFY(rows.has_value());
    QCOMPARE(rows->rows.size(), 1);
}

void tst_runsql::sqliteMissingStoreEndsProgram()
{
    TestPlatform tp;
    Connection().ConnectionPrefix = BuildConnectionPrefix("sqlite:" + m_store.path() + "/yok");
    QVERIFY_THROWS_EXCEPTION(ProcessEnded, RunSql("select 1", "y3436", true, false));
    QCOMPARE(tp.messages->shown.size(), 1);
    QVERIFY(tp.messages->shown[0].text.startsWith(" SQL Sunucusuna ulaşılamıyor...\r\n"));
}

void tst_runsql::namesAndSuffix()
{
    TestPlatform tp;
    QVERIFY(CreateSqliteStore(m_store.filePath("y3436_sube.sqlite3"), "y3436"));
    Connection().ConnectionPrefix = BuildConnectionPrefix("sqlite:" + m_store.path());
    Connection().DatabaseSuffix = "_sube";
    // "xxx" stands for y3436; the suffix is added.
    QVERIFY(RunSqlChecked("select count(*) from yedek5", "xxx", true, false));
    QVERIFY(tp.messages->shown.isEmpty());
    // A name that carries its own "server=" gets no suffix: here it names a missing store.
    QVERIFY(CreateSqliteStore(m_store.filePath("f3436.sqlite3"), "f3436"));
    QVERIFY(RunSqlChecked("select count(*) from bakanlik", "f3436;server=sqlite:" + m_store.path(),
                          true, false));
    QVERIFY(tp.messages->shown.isEmpty());
}

void tst_runsql::boundValuesStayValues()
{
    TestPlatform tp;
    QVERIFY(CreateSqliteStore(m_store.filePath("y3436.sqlite3"), "y3436"));
    Connection().ConnectionPrefix = BuildConnectionPrefix("sqlite:" + m_store.path());
    QVERIFY(db::Exec(ConnectionString("y3436"),
                     "insert into detay (ID_, MobilKullaniciId) values (?, 7)", {"x'; --"}));
    QVERIFY(RunSqlChecked("update detay set MobilKullaniciId=Null where ID_=?", "y3436", false,
                          false, {"x'; --"}));
    const auto rows = db::Select(ConnectionString("y3436"), "select * from detay");
    QVERIFY(rows && rows->size() == 1);
    QVERIFY(rows->at(0).value("MobilKullaniciId").isNull());
}

void tst_runsql::connectionTargets_data()
{
    QTest::addColumn<QString>("connection");
    QTest::addColumn<bool>("sqlite");
    QTest::addColumn<QString>("target");
    QTest::newRow("embedded store, suffix kept")
        << "driver={SQL SERVER};server=sqlite:/srv/data;uid=kvrtmlsn;pwd=p;database=y3436_sube"
        << true << "/srv/data/y3436_sube.sqlite3";
    QTest::newRow("windows-style store folder")
        << "driver={SQL SERVER};server=sqlite:c:\\tarvek2000\\data;database=f3436" << true
        << "/d/c/tarvek2000/data/f3436.sqlite3";
    // Keywords upper-cased for the driver manager (Turkish i); values untouched.
    QTest::newRow("odbc")
        << "driver={SQL SERVER};server=SRV\\SQL,1433;uid=kvrtmlsn;pwd=iİı;database=y3436" << false
        << "DRIVER={SQL SERVER};SERVER=SRV\\SQL,1433;UID=kvrtmlsn;PWD=iİı;DATABASE=y3436";
}

void tst_runsql::connectionTargets()
{
    QFETCH(QString, connection);
    QFETCH(bool, sqlite);
    QFETCH(QString, target);
    TestPlatform tp;
    platform::Services s;
    s.paths = std::make_shared<platform::PathMapper>("/d");
    platform::Platform::install(s);
    const db::Target t = db::ParseConnectionString(connection);
    QCOMPARE(t.sqlite, sqlite);
    QCOMPARE(sqlite ? t.sqliteFile : t.odbcString, target);
}

QTEST_GUILESS_MAIN(tst_runsql)
#include "tst_runsql.moc"
