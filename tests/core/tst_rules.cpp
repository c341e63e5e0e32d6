// The rules of start-up, the database error classification, the login, the version list, the
// pending list's checks and the photo preparation, as plain functions.
#include "core/connection.h"
#include "core/loginrules.h"
#include "core/photoprep.h"
#include "core/queuerules.h"
#include "core/runsql.h"
#include "core/scrambler.h"
#include "core/versionlist.h"
#include "platform/testing/testplatform.h"
#include "platform/textcodec.h"
#include "rows.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using platform::MsgIcon;
using platform::testing::TestPlatform;
using Action = DbErrorDecision::Action;
using Strings = QStringList;
using Failures = QList<queue::CheckFailure>;

Q_DECLARE_METATYPE(DbErrorDecision::Action)
Q_DECLARE_METATYPE(DbErrorContext)
Q_DECLARE_METATYPE(queue::CheckFailure)

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
        row("no leading number: default mode", two, "abc 2", {}, pre.arg("SRV1", ""));
        row("numbered 1 takes the label's suffix", two, "1", {}, pre.arg("SRV1", "_sube"));
        row("leading number of the line", two, " 2x", {}, pre.arg("SRV2", ""));
        row("negative number is the first", two, "-3", {}, pre.arg("SRV1", "_sube"));
        row("windows-1254 label, CR lines, suffix cut to 100",
            "mssql\rM::\xDE::" + QByteArray(150, 'x') + "\r S \r", "1", {},
            pre.arg(" S ", "_Ş::" + QString(97, 'x')));
        row("numbered mode insists on mssql", "MSSQL\r\nM\r\nS\r\n", "1",
            "Lütfen Program Satıcınızla Görüşünüz...", {});
        row("no installation ends silently", "-", "", {}, "-");
        row("missing file", QByteArray(), "2", missing, "-");
        row("default mode needs three lines", "mssql\r\nMerkez\r\n", "", missing, "-");
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

    void errorClassification_data()
    {
        QTest::addColumn<DbErrorContext>("context");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("earlier");
        const QString line = "\r\nLütfen KORA Bİlişim'i(0 (312) 418 00 00) arayınız...";
        const QString admin = "SQL Server Yönetici Kullanıcısı bulunamamamıştır..." + line;
        const QString server = " SQL Sunucusuna ulaşılamıyor..." + line;
        const QString broken = "Veritabanı dosyası bozulması..." + line;
        const QString user = "SQL Server Kullanıcısı bulunamamamıştır..." + line;
        const QString builtin = "IF  EXISTS (SELECT * FROM master.dbo.syslogins WHERE name = "
                                "N'BUILTIN\\Administrators')";
        const auto row = [](const char *n, int number, const QString &d, Action a,
                            const QString &m = {}, const QString &e = {},
                            const QString &s = "select 1", int retries = 0, bool quiet = false,
                            bool support = false) {
            Row(n, DbErrorContext{number, d, s, retries, quiet, support}, a, m, e);
        };
        row("five retries stop before anything", 3704, "x", Action::Stop,
            "Veritabanı yazım hatası...", {}, "select 1", 5, true);
        row("closed object", 3704, "whatever", Action::Skip);
        row("xp_delete_file", 0, "Could not find xp_delete_file", Action::Skip);
        row("duplicate column", 0,
            "Column names in each table must be unique. Column name 'a' in table 't' is "
            "specified more than once.",
            Action::Skip);
        row("duplicate column, first half only", 0,
            "Column names in each table must be unique. Column name 'a'", Action::Incident);
        row("object exists", 0, "There is already an object named 't'.", Action::Skip);
        row("drop of a missing column", 0,
            "ALTER TABLE DROP COLUMN failed because column 'a' does not exist in table 't'.",
            Action::Skip);
        row("already exists, case-sensitive", 0, "table t already exists", Action::Skip);
        row("ALREADY EXISTS is another error", 0, "ALREADY EXISTS", Action::Incident);
        row("login of sa", 18456, "[FreeTDS]Login failed for user 'sa'.", Action::Stop, admin);
        row("login of the fixed user, even quiet", 18456, "Login failed for user 'kvrtmlsn'.",
            Action::Stop, admin, {}, "select 1", 0, true);
        row("login of another user, then incident", 18456, "Login failed for user 'ali'.",
            Action::Incident, {}, user);
        row("login of another user, then quiet", 18456, "Login failed for user 'ali'.",
            Action::Skip, {}, user, "select 1", 0, true);
        row("server missing", 17, "[DBNETLIB]SQL Server yok veya erişim engellendi.", Action::Stop,
            server);
        row("embedded store missing", 0, "Specified SQL server not found: /x", Action::Stop,
            server);
        row("device activation", 5105, "Device activation error. The physical file name 'x'",
            Action::Stop, broken);
        row("path may be incorrect", 5105, "The path may be incorrect.", Action::Stop, broken);
        row("send failure of delete from deneme", 0, "[DBNETLIB]ConnectionWrite (send()).",
            Action::Retry, {}, {}, "delete from deneme", 4);
        row("send failure of another statement", 0, "ConnectionWrite (send()).", Action::Incident,
            {}, {}, "delete from x");
        row("builtin administrators statement", 0, "error", Action::Skip, {}, {}, builtin);
        row("builtin administrators needs both blanks", 0, "error", Action::Incident, {}, {},
            QString(builtin).replace("IF  ", "IF "));
        row("duplicate column, found on a second try", 0,
            "Column names in each table must be unique. Column name 'a' is specified twice; is "
            "specified more than once.",
            Action::Skip);
        row("quiet beats support", 0, "syntax error", Action::Skip, {}, {}, "select 1", 0, true,
            true);
        row("support workstation", 0, "syntax error", Action::SupportReport, {}, {}, "select 1", 0,
            false, true);
        row("anything else", 0, "syntax error", Action::Incident);
    }
    void errorClassification()
    {
        QFETCH(DbErrorContext, context);
        QFETCH(Action, action);
        QFETCH(QString, message);
        QFETCH(QString, earlier);
        const DbErrorDecision d = ClassifyDbError(context);
        QCOMPARE(d.action, action);
        QCOMPARE(d.message, message);
        QCOMPARE(d.earlierMessage, earlier);
    }

    void loginRules()
    {
        QVERIFY(HasSendRight("A2,H1,K3", "0"));
        QVERIFY(!HasSendRight("h1", "1"));
        QVERIFY(!HasSendRight("A2", "1")); // rights without H1 beat the admin mark
        QVERIFY(HasSendRight("", "1"));
        QVERIFY(!HasSendRight("", "0"));
        QVERIFY(RememberFromSetting(" 1 "));
        for (const char *t : {"", "2", "0", "evet", "1x"})
            QVERIFY2(!RememberFromSetting(t), t);
        QVERIFY(IsServerMissingError("[DBNETLIB]SQL Server does not exist or access denied."));
        QVERIFY(!IsServerMissingError("Login failed for user 'ali'."));
    }

    void versionComparison_data()
    {
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("installed");
        QTest::addColumn<bool>("newer");
        Row("revision newer", "1.0.1.3", "1.0.1.2", true);
        Row("same", "1.0.1.2", "1.0.1.2", false);
        Row("build counts ten revisions", "1.0.2.0", "1.0.1.9", true);
        Row("minor compared as text", "1.10.0.0", "1.9.0.0", false);
        Row("major compared as text", "10.0.0.0", "9.0.0.0", false);
        Row("two parts beat a lower minor", "2.1", "2.0.5.5", true);
        Row("a missing minor is below any", "1", "1.0.0.0", false);
        Row("non-numeric revision", "9.0.x.1", "1.0.0.1", false);
        Row("installed without a version", "9.0.0.0", "", false);
    }
    void versionComparison()
    {
        QFETCH(QString, listed);
        QFETCH(QString, installed);
        QFETCH(bool, newer);
        const QString list = "' paket,dosya\r\n\r\n1,TarvekFOTO.zip,a,b,c,d,e,f,g," + listed;
        QCOMPARE(ListShowsNewer(list, ProgramPackage(), [&] { return installed; }), newer);
    }

    void countdownSteps_data()
    {
        QTest::addColumn<int>("elapsed");
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        const QString go = "Fotoğraf Gönderimi Başlıyor";
        using S = queue::CountdownStep;
        Row("at rest", 0, 3, int(S::Hide), "");
        Row("two left", 1, 3, int(S::Show), "Bekleme Süresi  : 2 sn.");
        Row("one left", 2, 3, int(S::Show), go);
        Row("last tick", 3, 3, int(S::Show), go);
        Row("expires", 4, 3, int(S::Expire), "");
        Row("long wait", 1, 20, int(S::Show), "Bekleme Süresi  : 19 sn.");
        Row("past the end", 30, 20, int(S::Expire), "");
    }
    void countdownSteps()
    {
        QFETCH(int, elapsed);
        QFETCH(int, total);
        QFETCH(int, kind);
        QFETCH(QString, text);
        const queue::CountdownStep step = queue::Countdown(elapsed, total);
        QCOMPARE(int(step.kind), kind);
        QCOMPARE(step.text, text);
    }

    void fieldFailures()
    {
        const queue::CheckFailure dev{"Yapıdaki Gelişmeler Bilgisi Bulunamadı", false, "f8"};
        const queue::CheckFailure who{"Fotoğrafı Gönderen Bilgisi Bulunamadı...", true, "f10"};
        const queue::CheckFailure tc{"Fotoğrafı Gönderen TC Numarası Bilgisi Bulunamadı...", true,
                                     "f11"};
        QCOMPARE(queue::FieldFailures("x", "y", "1"), Failures());
        QCOMPARE(queue::FieldFailures("", "y", "1"), Failures{dev});
        QCOMPARE(queue::FieldFailures("x", "", ""), (Failures{who, tc}));
        QCOMPARE(queue::FieldFailures("", "", ""), (Failures{dev, who, tc}));
        for (const char *name : {"a.jpg", "FOTO.JPG", "x.JpG"})
            QVERIFY2(queue::HasJpgExtension(name), name);
        for (const char *name : {"a.jpeg", "ajpg", "a.png", ""})
            QVERIFY2(!queue::HasJpgExtension(name), name);
    }

    void sizeLimitAndText_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<QString>("text");
        Row("1 MB exactly", 1048576LL, false, "1024 Kbayt");
        Row("1024.05 rounds down", 1048626LL, false, "1024 Kbayt");
        Row("1024.1 is over", 1048679LL, true, "1024,1 Kbayt");
        Row("decimal comma", 1500LL, false, "1,5 Kbayt");
        Row("empty file", 0LL, false, "0 Kbayt");
    }
    void sizeLimitAndText()
    {
        QFETCH(qint64, bytes);
        QFETCH(bool, fails);
        QFETCH(QString, text);
        const queue::CheckFailure tooBig{"Dosya boyutu 1 Mb'dan Büyük...", true, {}};
        QCOMPARE(queue::SizeFailure(bytes), fails ? std::optional(tooBig) : std::nullopt);
        QCOMPARE(queue::SizeText(bytes), text);
    }

    void dimensionLimits_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<int>("failures");
        Row("landscape at the limit", QSize(1100, 700), 0);
        Row("landscape one too wide", QSize(1101, 700), 1);
        Row("landscape one too tall", QSize(1100, 701), 1);
        Row("landscape both over", QSize(1200, 800), 2);
        Row("portrait at the limit", QSize(700, 1100), 0);
        Row("portrait one too wide", QSize(701, 1100), 1);
        Row("square takes the portrait limit", QSize(701, 701), 1);
        Row("square far over", QSize(1101, 1101), 2);
    }
    void dimensionLimits()
    {
        QFETCH(QSize, pixels);
        QFETCH(int, failures);
        const queue::CheckFailure f{"Resim Ebatlarını Kontrol Ediniz", true, "f16"};
        QCOMPARE(queue::DimensionFailures(pixels), Failures(failures, f));
    }

    void siteFolderAndAsciiFold_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("folded");
        Row("slash and space", "12/3 A", "12_3_A", "12/3 A");
        Row("every replaced character", "a*b<c>d\\e,f\"g:h?i", "a_b_c_d_e_f_g_h_i",
            "a*b<c>d\\e,f\"g:h?i");
        Row("carriage return removed", "12\r/3", "12_3", "12\r/3");
        Row("Turkish letters", "Çağrı Şükür Öğüt İı", "Çağrı_Şükür_Öğüt_İı", "Cagri Sukur Ogut Ii");
        Row("capitals, other accents", "ÇĞİÖŞÜâé|", "ÇĞİÖŞÜâé|", "CGIOSUâé|");
    }
    void siteFolderAndAsciiFold()
    {
        QFETCH(QString, text);
        QFETCH(QString, folder);
        QFETCH(QString, folded);
        QCOMPARE(SiteFolderName(text), folder);
        QCOMPARE(AsciiFold(text), folded);
    }

    // The stamping tool gets its instruction file beside it and one argument; the launcher
    // double reads the file while "the tool runs" (it is deleted afterwards).
    void stampingToolInstructions_data()
    {
        QTest::addColumn<QString>("sibling"); // "": the tool is not installed
        QTest::addColumn<bool>("startFails");
        QTest::addColumn<Strings>("photo"); // alan1, ada, date setting
        QTest::addColumn<Strings>("lines"); // source, target, date caption, parcel caption
        QTest::addColumn<QString>("message");
        const QString site = "c:\\ortak\\fotograflar\\12_3_A\\";
        const QString sibling = "c:\\tarvek2000";
        const QString date = "Tarih :12.03.2012";
        const QString parcel = "Pafta/Ada/Parsel :12/3 A";
        const auto row = [](const char *n, const QString &sib, bool fails, const Strings &photo,
                            const Strings &lines, const QString &message = {}) {
            Row(n, sib, fails, photo, lines, message);
        };
        row("date printed with setting 1", sibling, false, {"foto.jpg", "12/3 A", "1"},
            {site + "foto.jpg", site + "web\\a.jpg", date, parcel});
        row("no date otherwise", sibling, false, {"foto.JPG", "12/3 A", "0"},
            {site + "foto.JPG", site + "web\\a.jpg", "", parcel});
        row(".jpeg names the .jpg source", sibling, false, {"x.jpeg", "12/3 A", "1"},
            {site + "x.jpg", site + "web\\a.jpg", date, parcel});
        row("Turkish paths kept, captions folded", sibling, false,
            {"Kat 2 çatı.jpg", "Çiğdem 5/7", "1"},
            {"c:\\ortak\\fotograflar\\Çiğdem_5_7\\Kat 2 çatı.jpg",
             "c:\\ortak\\fotograflar\\Çiğdem_5_7\\web\\a.jpg", date,
             "Pafta/Ada/Parsel :Cigdem 5/7"});
        row("office folder with spaces", "c:\\Program Files\\Tarvek 2000", false,
            {"foto.jpg", "12/3 A", "1"}, {site + "foto.jpg", site + "web\\a.jpg", date, parcel});
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
        QFETCH(Strings, photo);
        QFETCH(Strings, lines);
        QFETCH(QString, message);
        TestPlatform tp;
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
            return 0;
        };

        PrepareRecordPhoto({photo[0], photo[1], QDate(2012, 3, 12)}, "c:\\ortak", photo[2]);

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
