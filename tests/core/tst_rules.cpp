// The rules of start-up, the scrambler, the database error classification, the pending list's
// checks and the photo preparation, as plain functions.
#include "core/connection.h"
#include "core/photoprep.h"
#include "core/queuerules.h"
#include "core/runsql.h"
#include "core/scrambler.h"
#include "platform/deployment.h"
#include "platform/testing/testplatform.h"
#include "platform/textcodec.h"
#include "rows.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using platform::MsgIcon;
using platform::testing::TestPlatform;
using Strings = QStringList;
using Failures = QList<queue::CheckFailure>;

// How a failing step of the database routine runs: how often it fails before it would go
// through, how often it is called, and the routine's quiet and support modes.
struct How
{
    int failures = 1;
    int calls = 1;
    bool quiet = false;
    bool support = false;
};
Q_DECLARE_METATYPE(How)
Q_DECLARE_METATYPE(DbStepError)
Q_DECLARE_METATYPE(queue::CheckFailure)

static const QString kIncident = "Öngörülmeyen Hata : 2345322 !!!\rLütfen KORA Bilişim'i "
                                 "arayınız. Tel : 0 (312) 418 00 00\r2026 3 7-14 5 9";

static void Touch(const QString &path, const QByteArray &bytes = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

// The office application installed at folder, as the settings store records it.
static void InstallSibling(TestPlatform &tp, const QString &folder = "c:\\tarvek2000")
{
    tp.settings->save("tarvek2000", "2.0", "path", folder);
    QDir().mkpath(tp.native(folder));
}

class tst_rules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void networkFileAndCommandLine_data()
    {
        QTest::addColumn<QByteArray>("network"); // null: no file; "-": nothing installed
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("connection"); // of y3436; "-": the process ended
        const QString missing = "Network Dosyası Bulunamadı...\rLütfen Program Satıcınızı Arayınız";
        const QByteArray two("mssql\r\nMerkez::sube\r\nSRV1\r\nİkinci\r\nSRV2\r\n");
        const QString pre("driver={SQL SERVER};server=%1;uid=kvrtmlsn;"
                          "pwd=Kv8rTm1Sn-Dbx72Qa.Lp0Wz4H;database=y3436%2");
        const auto row = [](const char *name, const QByteArray &net, const QString &cl,
                            const QString &msg, const QString &cs) { Row(name, net, cl, msg, cs); };
        row("default mode ignores kind and label", "MSSQL\nM::x\nSRV1", "", {},
            pre.arg("SRV1", ""));
        row("numbered 1 takes the label's suffix", two, "1", {}, pre.arg("SRV1", "_sube"));
        row("leading number of the line", two, " 2x 1", {}, pre.arg("SRV2", ""));
        row("negative number is the first", two, "-3", {}, pre.arg("SRV1", "_sube"));
        row("windows-1254 label, CR lines, suffix cut to 100",
            "mssql\rM::\xDE::" + QByteArray(150, 'x') + "\r S \r", "1", {},
            pre.arg(" S ", "_Ş::" + QString(97, 'x')));
        row("numbered mode insists on mssql", "MSSQL\r\nM\r\nS\r\n", "1",
            "Lütfen Program Satıcınızla Görüşünüz...", {});
        row("no installation ends silently", "-", "", {}, "-");
        row("missing file", QByteArray(), "2", missing, "-");
        row("numbered beyond the file", two, "3", missing, "-");
    }
    void networkFileAndCommandLine()
    {
        QFETCH(QByteArray, network);
        QFETCH(QString, commandLine);
        QFETCH(QString, message);
        QFETCH(QString, connection);
        TestPlatform tp;
        Connection() = ConnectionSettings();
        if (network != "-")
            InstallSibling(tp);
        if (!network.isNull() && network != "-")
            Touch(tp.native("c:\\tarvek2000\\network.txt"), network);
        try {
            LoadConnectionSettings(commandLine);
            QCOMPARE(Connection().ConnectionPrefix.isEmpty() ? "" : ConnectionString("y3436"),
                     connection);
        } catch (const platform::ProcessEnded &) {
            QCOMPARE(QStringLiteral("-"), connection);
        }
        QCOMPARE(tp.messages->texts(), message.isEmpty() ? Strings() : Strings{message});
        for (const auto &m : tp.messages->shown) {
            QCOMPARE(m.icon, MsgIcon::Critical);
            QCOMPARE(m.title, connection == "-" ? QString() : QStringLiteral("Hata No:752439"));
        }
    }

    void scramblerRoundTripAndVariants()
    {
        for (int v = 1; v <= 2; ++v)
            for (const QString t : {"", "Parola123", "Çağrı Şükür İı", "'; drop table x;--"}) {
                // Selectors past the alphabet's end and below zero wrap around.
                for (int selector : {0, 13, 64, 65, 130, -1}) {
                    const QString s = ScrambleWithSelector(t, v, selector);
                    QCOMPARE(s.size(), t.size() + 1);
                    QCOMPARE(Unscramble(s, v), t);
                }
                QCOMPARE(Unscramble(Scramble(t, v), v), t);
                QVERIFY(t.isEmpty() || Unscramble(ScrambleWithSelector(t, v, 3), 3 - v) != t);
            }
        QCOMPARE(Scramble("abc", 3), QString());
        QCOMPARE(Unscramble("abc", 0), QString());
    }

    // Every failed step is classified, and the operator sees what the classification decided.
    void failuresReachTheOperator_data()
    {
        QTest::addColumn<DbStepError>("error");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("outcome"); // through | refused | ended
        QTest::addColumn<Strings>("messages");
        QTest::addColumn<How>("how");
        const QString line = "\r\nLütfen KORA Bİlişim'i(0 (312) 418 00 00) arayınız...";
        const QString admin = "SQL Server Yönetici Kullanıcısı bulunamamamıştır..." + line;
        const QString server = " SQL Sunucusuna ulaşılamıyor..." + line;
        const QString user = "SQL Server Kullanıcısı bulunamamamıştır..." + line;
        const QString unique = "Column names in each table must be unique. Column name 'a'";
        const QString once = " is specified more than once.";
        const QString builtin = "IF  EXISTS (SELECT * FROM master.dbo.syslogins WHERE name = "
                                "N'BUILTIN\\Administrators')";
        const auto row = [](const char *n, int number, const QString &d, const QString &outcome,
                            const Strings &m = {}, const QString &sql = "select 1",
                            const How &how = {}) {
            Row(n, DbStepError{number, d}, sql, outcome, m, how);
        };
        const How quiet{1, 1, true};
        row("closed object", 3704, "whatever", "through");
        row("xp_delete_file", 0, "Could not find xp_delete_file", "through");
        row("duplicate column", 0, unique + once, "through");
        row("duplicate column, first half only", 0, unique, "refused", {kIncident});
        row("duplicate column, found on a second try", 0, unique + " is specified;" + once,
            "through");
        row("object exists", 0, "There is already an object named 't'.", "through");
        row("drop of a missing column", 0,
            "ALTER TABLE DROP COLUMN failed because column 'a' does not exist in table 't'.",
            "through");
        row("already exists", 0, "table t already exists", "through");
        row("ALREADY EXISTS is another error", 0, "ALREADY EXISTS", "refused", {kIncident});
        row("login of sa", 18456, "Login failed for user 'sa'.", "ended", {admin});
        row("login of the fixed user, even quiet", 18456, "Login failed for user 'kvrtmlsn'.",
            "ended", {admin}, "select 1", quiet);
        row("login of another user, then the incident", 18456, "Login failed for user 'ali'.",
            "refused", {user, kIncident});
        row("login of another user, quiet", 18456, "Login failed for user 'ali'.", "through",
            {user}, "select 1", quiet);
        row("server missing", 17, "SQL Server yok veya erişim engellendi.", "ended", {server});
        row("embedded store missing", 0, "Specified SQL server not found: /x", "ended", {server});
        row("device activation", 5105, "Device activation error. The physical file name 'x'",
            "ended", {"Veritabanı dosyası bozulması..." + line});
        row("send failure retried until it goes through", 0, "ConnectionWrite (send()).", "through",
            {}, "delete from deneme", How{4, 5});
        row("five retries, then the end", 0, "ConnectionWrite (send()).", "ended",
            {"Veritabanı yazım hatası..."}, "delete from deneme", How{6, 6});
        row("send failure of another statement", 0, "ConnectionWrite (send()).", "refused",
            {kIncident}, "delete from x");
        row("builtin administrators statement", 0, "error", "through", {}, builtin);
        row("builtin administrators needs both blanks", 0, "error", "refused", {kIncident},
            QString(builtin).replace("IF  ", "IF "));
        row("quiet: no trace", 0, "syntax error", "through", {}, "select 1", quiet);
        row("quiet beats support", 0, "syntax error", "through", {}, "select 1",
            How{1, 1, true, true});
        row("support workstation: the raw error", 42, "syntax error", "refused",
            {"42syntax error\r\nselect x\r\nf3436"}, "select x", How{1, 1, false, true});
        row("anything else: the incident", 0, "syntax error", "refused", {kIncident});
    }
    void failuresReachTheOperator()
    {
        QFETCH(DbStepError, error);
        QFETCH(QString, sql);
        QFETCH(QString, outcome);
        QFETCH(Strings, messages);
        QFETCH(How, how);
        TestPlatform tp;
        ResetSupportModeForTests();
        const QString program = QCoreApplication::applicationDirPath();
        const QString data = program + "/data", marker = program + "/destek.dbt";
        QDir().mkpath(data);
        auto d = platform::Deployment::builtIn();
        d.developmentFolder = program;
        platform::Deployment::setCurrent(d);
        if (how.support)
            QVERIFY(QFile(marker).open(QIODevice::WriteOnly));
        Strings file; // the incident file lives while its message is up
        tp.messages->onShow = [&](const auto &) {
            for (const QString &f : QDir(data).entryList(QDir::Files)) {
                QFile in(data + "/" + f);
                QVERIFY(in.open(QIODevice::ReadOnly));
                const Strings l = platform::decodeAnsi(in.readAll()).split("\r\n");
                file << f << Unscramble(l.value(0), 2) << Unscramble(l.value(1), 2) << l.value(2);
            }
        };
        int calls = 0;
        const std::vector<DbStep> steps{[&]() -> std::optional<DbStepError> {
            return ++calls <= how.failures ? std::optional(error) : std::nullopt;
        }};
        QString result;
        try {
            result = RunDbSteps(sql, "f3436", how.quiet, steps) ? "through" : "refused";
        } catch (const platform::ProcessEnded &) {
            result = "ended";
        }
        QFile::remove(marker);
        platform::Deployment::setCurrent(platform::Deployment::builtIn());
        QCOMPARE(result, outcome);
        QCOMPARE(tp.messages->texts(), messages);
        QCOMPARE(calls, how.calls);
        const Strings written{"2026 3 7-14 5 9.txt", sql, error.description, "f3436"};
        QCOMPARE(file, messages.endsWith(kIncident) ? written : Strings());
        QVERIFY(QDir(data).isEmpty()); // the incident file went with its message
        QVERIFY(QDir(data).removeRecursively());
    }

    void photoSizeAndDimensionLimits_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<bool>("tooBig");
        QTest::addColumn<int>("dimensionFailures"); // one for each limit exceeded
        QTest::addColumn<QString>("sizeText");
        Row("1 MB, landscape at the limit", 1048576LL, QSize(1100, 700), false, 0, "1024 Kbayt");
        Row("1024.05 KB rounds down", 1048626LL, QSize(700, 1100), false, 0, "1024 Kbayt");
        Row("1024.1 KB is over", 1048679LL, QSize(10, 10), true, 0, "1024,1 Kbayt");
        Row("landscape one too wide", 1500LL, QSize(1101, 700), false, 1, "1,5 Kbayt");
        Row("landscape one too tall", 0LL, QSize(1100, 701), false, 1, "0 Kbayt");
        Row("portrait one too wide", 0LL, QSize(701, 1100), false, 1, "0 Kbayt");
        Row("square takes the portrait limit", 0LL, QSize(701, 701), false, 1, "0 Kbayt");
        Row("square over both", 0LL, QSize(1101, 1101), false, 2, "0 Kbayt");
    }
    void photoSizeAndDimensionLimits()
    {
        QFETCH(qint64, bytes);
        QFETCH(QSize, pixels);
        QFETCH(bool, tooBig);
        QFETCH(int, dimensionFailures);
        QFETCH(QString, sizeText);
        const queue::CheckFailure big{"Dosya boyutu 1 Mb'dan Büyük...", true, {}};
        const queue::CheckFailure dim{"Resim Ebatlarını Kontrol Ediniz", true, "f16"};
        QCOMPARE(queue::SizeFailure(bytes).has_value(), tooBig);
        QCOMPARE(queue::SizeFailure(bytes).value_or(big), big);
        QCOMPARE(queue::DimensionFailures(pixels), Failures(dimensionFailures, dim));
        QCOMPARE(queue::SizeText(bytes), sizeText);
    }

    // An installation that keeps the office application's stamping tool: it gets its
    // instruction file beside it and one argument; the launcher double reads the file while
    // "the tool runs" (it is deleted afterwards) and answers with an exit code and a reason.
    void stampingToolInstructions_data()
    {
        QTest::addColumn<QString>("sibling"); // "": the tool is not installed
        QTest::addColumn<bool>("startFails");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("reason"); // the tool's error stream, and what the row shows
        QTest::addColumn<Strings>("photo");  // alan1, ada, date setting
        QTest::addColumn<Strings>("lines");  // source, target, date caption, parcel caption
        QTest::addColumn<QString>("message");
        const QString site = "c:\\o\\fotograflar\\12_3_A\\";
        const QString sibling = "c:\\tarvek2000";
        const QString date = "Tarih :12.03.2012";
        const QString parcel = "Pafta/Ada/Parsel :12/3 A";
        const auto row = [](const char *n, const QString &sib, bool fails, const Strings &photo,
                            const Strings &lines, const QString &message = {}, int code = 0,
                            const QString &reason = {}) {
            Row(n, sib, fails, code, reason, photo, lines, message);
        };
        row("date printed with setting 1", sibling, false, {"foto.jpg", "12/3 A", "1"},
            {site + "foto.jpg", site + "web\\a.jpg", date, parcel});
        row("no date otherwise", sibling, false, {"foto.JPG", "12/3 A", "0"},
            {site + "foto.JPG", site + "web\\a.jpg", "", parcel});
        row(".jpeg names the .jpg source", sibling, false, {"x.jpeg", "12/3 A", "1"},
            {site + "x.jpg", site + "web\\a.jpg", date, parcel});
        row("Turkish paths kept, site folder named, captions folded", sibling, false,
            {"Kat 2 çatı.jpg", "Çiğ:dem*? \"5/7\",İ", "1"},
            {"c:\\o\\fotograflar\\Çiğ_dem____5_7__İ\\Kat 2 çatı.jpg",
             "c:\\o\\fotograflar\\Çiğ_dem____5_7__İ\\web\\a.jpg", date,
             "Pafta/Ada/Parsel :Cig:dem*? \"5/7\",I"});
        row("office folder with spaces", "c:\\Program Files\\Tarvek 2000", false,
            {"foto.jpg", "12/3 A", "1"}, {site + "foto.jpg", site + "web\\a.jpg", date, parcel});
        row("tool refuses the photograph: its reason", sibling, false, {"foto.jpg", "12/3 A", "1"},
            {site + "foto.jpg", site + "web\\a.jpg", date, parcel}, {}, 5,
            "Fotoğraf bozuk veya eksik, hazırlanamadı...");
        row("tool failing without a word: its code", sibling, false, {"foto.jpg", "12/3 A", "1"},
            {site + "foto.jpg", site + "web\\a.jpg", date, parcel}, {}, 3, "");
        row("tool missing: nothing run, temporary folder kept", "", false,
            {"foto.jpg", "12/3 A", "1"}, {}, "Lütfen Tarvek YDS Güncellemesi yapınız...");
        row("tool cannot start", sibling, true, {"foto.jpg", "12/3 A", "1"}, {},
            "c:\\tarvek2000\\fth32.exe Tarvek_Yds_mtg Dosyasında Hata oluştu...\r\nSistem "
            "belirtilen dosyayı bulamıyor.");
    }
    void stampingToolInstructions()
    {
        QFETCH(QString, sibling);
        QFETCH(bool, startFails);
        QFETCH(int, exitCode);
        QFETCH(QString, reason);
        QFETCH(Strings, photo);
        QFETCH(Strings, lines);
        QFETCH(QString, message);
        TestPlatform tp;
        platform::Deployment external = platform::Deployment::builtIn();
        external.stampExternalTool = true;
        platform::Deployment::setCurrent(external);
        const QString office = sibling.isEmpty() ? "c:\\tarvek2000" : sibling;
        InstallSibling(tp, office);
        if (!sibling.isEmpty())
            Touch(tp.native(sibling + "\\fth32"));
        const QString oldTemp = tp.native("c:\\tarvek2000word\\temp\\eski.jpg");
        Touch(oldTemp);
        QByteArray captured;
        tp.launcher->failStart = startFails;
        tp.launcher->behaviour = [&](const QString &, const QStringList &) {
            QFile f(tp.native(office + "\\input.mtg"));
            captured = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
            return exitCode;
        };
        tp.launcher->errorOutput = reason.isEmpty() ? QString() : reason + "\n";

        const PhotoPreparation done =
            PrepareRecordPhoto({photo[0], photo[1], QDate(2012, 3, 12)}, "c:\\o", photo[2]);
        platform::Deployment::setCurrent(platform::Deployment::builtIn());
        QCOMPARE(done.ok, !sibling.isEmpty() && !startFails && exitCode == 0);
        QCOMPARE(done.reason, exitCode == 0 ? QString()
                              : !reason.isEmpty()
                                  ? reason
                                  : QStringLiteral("Fotoğraf hazırlanamadı (hata kodu 3)..."));

        QCOMPARE(tp.messages->texts(), message.isEmpty() ? Strings() : Strings{message});
        QCOMPARE(tp.launcher->calls.size(), sibling.isEmpty() ? 0 : 1);
        for (const auto &call : tp.launcher->calls) {
            QCOMPARE(call.program, tp.native(office) + "/fth32");
            QCOMPARE(call.args, Strings{"Tarvek_Yds_mtg"});
        }
        QByteArray expected;
        if (!lines.isEmpty())
            for (const QString &l : Strings{"1", "C:\\tarvek2000word\\temp\\", "C:\\x.jpg"} +
                                        lines + Strings{"", "", "Tarvek 2000", "1"})
                expected += platform::encodeAnsi(l) + "\r\n";
        QCOMPARE(captured, expected);
        QVERIFY(!QFile::exists(tp.native(office + "\\input.mtg")));
        QCOMPARE(QFile::exists(oldTemp), sibling.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_rules)
#include "tst_rules.moc"
