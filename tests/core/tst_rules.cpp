// The rules of start-up, the database error classification, the login, the version list, the
// pending list's checks and the photo preparation, as plain functions.
#include "core/connection.h"
#include "core/loginrules.h"
#include "core/photoprep.h"
#include "core/queuerules.h"
#include "core/runsql.h"
#include "core/scrambler.h"
#include "core/versionlist.h"
#include "platform/deployment.h"
#include "platform/testing/testplatform.h"
#include "platform/textcodec.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using platform::MsgIcon;
using platform::ProcessEnded;
using platform::testing::TestPlatform;
using Action = DbErrorDecision::Action;
using Strings = QStringList;

Q_DECLARE_METATYPE(DbErrorDecision::Action)
Q_DECLARE_METATYPE(DbErrorContext)
Q_DECLARE_METATYPE(NetworkChoice::Result)
Q_DECLARE_METATYPE(queue::CheckFailure)
Q_DECLARE_METATYPE(platform::MsgIcon)

namespace {
void Touch(const QString &path, const QByteArray &bytes = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

// The office application installed at folder, as the settings store records it.
void InstallSibling(TestPlatform &tp, const QString &folder = QStringLiteral("c:\\tarvek2000"))
{
    tp.settings->save(QStringLiteral("tarvek2000"), QStringLiteral("2.0"), QStringLiteral("path"),
                      folder);
    QDir().mkpath(tp.native(folder));
}
} // namespace

class tst_rules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void configurationChoice_data();
    void configurationChoice();
    void networkFileAndCommandLine_data();
    void networkFileAndCommandLine();
    void scramblerRoundTrip_data();
    void scramblerRoundTrip();
    void scramblerVariants();
    void likeMatch_data();
    void likeMatch();
    void errorClassification_data();
    void errorClassification();
    void sendRight_data();
    void sendRight();
    void rememberSettingAndMissingServer();
    void versionComparison_data();
    void versionComparison();
    void jpgExtensionInAnyCase_data();
    void jpgExtensionInAnyCase();
    void countdownSteps_data();
    void countdownSteps();
    void fieldFailures_data();
    void fieldFailures();
    void sizeLimitAndText_data();
    void sizeLimitAndText();
    void dimensionLimits_data();
    void dimensionLimits();
    void siteFolderAndAsciiFold_data();
    void siteFolderAndAsciiFold();
    void instructionFileAndCommandLine_data();
    void instructionFileAndCommandLine();
    void stampingToolFailures_data();
    void stampingToolFailures();
};

void tst_rules::init()
{
    platform::Deployment::setCurrent(platform::Deployment::builtIn());
    Connection() = ConnectionSettings();
}

void tst_rules::configurationChoice_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("n");
    QTest::addColumn<NetworkChoice::Result>("result");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("suffix");
    using R = NetworkChoice::Result;
    const Strings two{"mssql", "Merkez::sube", "SRV1", "Şube", "SRV2"};
    const auto row = [](const char *name, const Strings &l, int n, R r, const QString &server = {},
                        const QString &suffix = {}) {
        QTest::newRow(name) << l << n << r << server << suffix;
    };
    row("default ignores kind and label", {"MSSQL", "Merkez::sube", "SRV1"}, 0, R::Ok, "SRV1");
    row("numbered 1 takes the label's suffix", two, 1, R::Ok, "SRV1", "_sube");
    row("numbered 2", two, 2, R::Ok, "SRV2");
    row("negative number is the first", two, -3, R::Ok, "SRV1", "_sube");
    row("numbered insists on lower-case mssql", {"MSSQL", "Merkez", "SRV1"}, 1, R::WrongKind,
        "SRV1");
    row("server blanks kept", {"x", "l", " SRV\\SQLEXPRESS "}, 0, R::Ok, " SRV\\SQLEXPRESS ");
    row("suffix from the first separator, cut to 100",
        {"mssql", "L::b::" + QString(150, 'x'), "S"}, 1, R::Ok, "S",
        "_b::" + QString(97, 'x'));
    row("default needs three lines", {"mssql", "Merkez"}, 0, R::Unusable);
    row("numbered beyond the file", two, 3, R::Unusable);
}

void tst_rules::configurationChoice()
{
    QFETCH(QStringList, lines);
    QFETCH(int, n);
    QFETCH(NetworkChoice::Result, result);
    QFETCH(QString, server);
    QFETCH(QString, suffix);
    const NetworkChoice c = ChooseConfiguration(lines, n);
    QCOMPARE(c.result, result);
    if (result != NetworkChoice::Result::Unusable) {
        QCOMPARE(c.server, server);
        QCOMPARE(c.suffix, suffix);
    }
}

void tst_rules::networkFileAndCommandLine_data()
{
    QTest::addColumn<QByteArray>("network"); // null: no file; "-": nothing installed
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<bool>("ends");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("connection"); // of y3436
    const QString missing =
        QStringLiteral("Network Dosyası Bulunamadı...\rLütfen Program Satıcınızı Arayınız");
    const QByteArray two("mssql\r\nMerkez::sube\r\nSRV1\r\nİkinci\r\nSRV2\r\n");
    const QString pre("driver={SQL SERVER};server=%1;uid=kvrtmlsn;pwd=Kv8rTm1Sn-Dbx72Qa.Lp0Wz4H;"
                      "database=y3436%2");
    const auto row = [](const char *name, const QByteArray &net, const QString &cl, bool ends,
                        const QString &msg, const QString &cs) {
        QTest::newRow(name) << net << cl << ends << msg << cs;
    };
    row("no number: default mode", two, "abc", false, {}, pre.arg("SRV1", ""));
    row("leading number of the line", two, " 2x", false, {}, pre.arg("SRV2", ""));
    row("windows-1254 label, LF lines", "mssql\nM::\xDEube\nS\n", "1", false, {},
        pre.arg("S", "_Şube"));
    row("no installation ends silently", "-", "", true, {}, {});
    row("missing file", QByteArray(), "2", true, missing, {});
    row("too short for the number", two, "3", true, missing, {});
    row("wrong kind: told, nothing set", "MSSQL\r\nM\r\nS\r\n", "1", false,
        "Lütfen Program Satıcınızla Görüşünüz...", {});
}

void tst_rules::networkFileAndCommandLine()
{
    QFETCH(QByteArray, network);
    QFETCH(QString, commandLine);
    QFETCH(bool, ends);
    QFETCH(QString, message);
    QFETCH(QString, connection);
    TestPlatform tp;
    if (network != "-")
        InstallSibling(tp);
    if (!network.isNull() && network != "-")
        Touch(tp.native(QStringLiteral("c:\\tarvek2000\\network.txt")), network);
    bool ended = false;
    try {
        LoadConnectionSettings(commandLine);
    } catch (const ProcessEnded &) {
        ended = true;
    }
    QCOMPARE(ended, ends);
    QCOMPARE(tp.messages->texts(), message.isEmpty() ? Strings() : Strings{message});
    for (const auto &m : tp.messages->shown) {
        QCOMPARE(m.icon, MsgIcon::Critical);
        QCOMPARE(m.title, ends ? QString() : QStringLiteral("Hata No:752439"));
    }
    QCOMPARE(Connection().ConnectionPrefix.isEmpty() ? QString() : ConnectionString("y3436"),
             connection);
}

void tst_rules::scramblerRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("variant");
    for (int v = 1; v <= 2; ++v)
        for (const char *t : {"", "Parola123", "Çağrı Şükür İı", "'; drop table x;--"})
            QTest::addRow("variant %d: %s", v, t) << QString::fromUtf8(t) << v;
}

void tst_rules::scramblerRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(int, variant);
    for (int selector = 0; selector < 130; selector += 13) {
        const QString s = ScrambleWithSelector(text, variant, selector);
        QCOMPARE(s.size(), text.size() + 1);
        QCOMPARE(Unscramble(s, variant), text);
    }
    QCOMPARE(Unscramble(Scramble(text, variant), variant), text);
}

void tst_rules::scramblerVariants()
{
    const QString text = QStringLiteral("GizliParola");
    QSet<QString> seen;
    for (int selector = 0; selector < 10; ++selector)
        seen.insert(ScrambleWithSelector(text, 1, selector));
    QCOMPARE(seen.size(), 10);
    QVERIFY(Unscramble(ScrambleWithSelector(text, 1, 3), 2) != text);
    for (int v : {0, 3, -1}) {
        QCOMPARE(Scramble(text, v), QString());
        QCOMPARE(Unscramble(text, v), QString());
    }
}

void tst_rules::likeMatch_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("match");
    const auto row = [](const char *n, const QString &t, const QString &p, bool m) {
        QTest::newRow(n) << t << p << m;
    };
    row("contains", "Table 'x' already exists.", "*already exists.*", true);
    row("case-sensitive", "ALREADY EXISTS", "*already exists*", false);
    row("prefix", "delete from deneme", "delete*", true);
    row("whole text without a star", "abcd", "abc", false);
    row("backtracks to the last star", "a server=x;server=", "*server=*", true);
    row("star matches nothing", "", "*", true);
}

void tst_rules::likeMatch()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, match);
    QCOMPARE(LikeMatch(text, pattern), match);
}

void tst_rules::errorClassification_data()
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
    const QString builtin =
        "IF  EXISTS (SELECT * FROM master.dbo.syslogins WHERE name = N'BUILTIN\\Administrators')";
    const auto row = [](const char *n, int number, const QString &d, Action a,
                        const QString &m = {}, const QString &e = {}, const QString &s = "select 1",
                        int retries = 0, bool quiet = false, bool support = false) {
        QTest::newRow(n) << DbErrorContext{number, d, s, retries, quiet, support} << a << m << e;
    };
    row("five retries stop before anything", 3704, "x", Action::Stop, "Veritabanı yazım hatası...",
        {}, "select 1", 5, true);
    row("closed object", 3704, "whatever", Action::Skip);
    row("xp_delete_file", 0, "Could not find xp_delete_file", Action::Skip);
    row("duplicate column",
        0, "Column names in each table must be unique. Column name 'a' in table 't' is specified "
           "more than once.",
        Action::Skip);
    row("duplicate column, first half only", 0,
        "Column names in each table must be unique. Column name 'a'", Action::Incident);
    row("object exists", 0, "There is already an object named 't' in the database.", Action::Skip);
    row("drop of a missing column", 0,
        "ALTER TABLE DROP COLUMN failed because column 'a' does not exist in table 't'.",
        Action::Skip);
    row("already exists", 0, "table t already exists", Action::Skip);
    row("login of sa", 18456, "[FreeTDS]Login failed for user 'sa'.", Action::Stop, admin);
    row("login of the fixed user, quiet", 18456, "Login failed for user 'kvrtmlsn'.", Action::Stop,
        admin, {}, "select 1", 0, true);
    row("login of another user, then incident", 18456, "Login failed for user 'ali'.",
        Action::Incident, {}, user);
    row("login of another user, then quiet", 18456, "Login failed for user 'ali'.", Action::Skip,
        {}, user, "select 1", 0, true);
    row("server missing, Turkish", 17, "[DBNETLIB]SQL Server yok veya erişim engellendi.",
        Action::Stop, server);
    row("server missing, English", 17, "Specified SQL server not found: /x", Action::Stop, server);
    row("device activation", 5105, "Device activation error. The physical file name 'x' bad",
        Action::Stop, broken);
    row("path may be incorrect", 5105, "The path may be incorrect.", Action::Stop, broken);
    row("send failure of delete from deneme retries", 0, "[DBNETLIB]ConnectionWrite (send()).",
        Action::Retry, {}, {}, "delete from deneme", 4);
    row("send failure of another statement", 0, "ConnectionWrite (send()).", Action::Incident, {},
        {}, "delete from x");
    row("builtin administrators statement", 0, "some error", Action::Skip, {}, {}, builtin);
    row("builtin administrators needs both blanks", 0, "some error", Action::Incident, {}, {},
        QString(builtin).replace("IF  ", "IF "));
    row("quiet beats support", 0, "syntax error", Action::Skip, {}, {}, "select 1", 0, true, true);
    row("support workstation", 0, "syntax error", Action::SupportReport, {}, {}, "select 1", 0,
        false, true);
    row("anything else", 0, "syntax error", Action::Incident);
}

void tst_rules::errorClassification()
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

void tst_rules::sendRight_data()
{
    QTest::addColumn<QString>("yetki");
    QTest::addColumn<QString>("admn");
    QTest::addColumn<bool>("right");
    QTest::newRow("H1 among others") << "A2,H1,K3" << "0" << true;
    QTest::newRow("lower-case h1") << "h1" << "1" << false;
    QTest::newRow("rights without H1 beat admin") << "A2" << "1" << false;
    QTest::newRow("no rights, administrator") << "" << "1" << true;
    QTest::newRow("no rights, not administrator") << "" << "0" << false;
}

void tst_rules::sendRight()
{
    QFETCH(QString, yetki);
    QFETCH(QString, admn);
    QFETCH(bool, right);
    QCOMPARE(HasSendRight(yetki, admn), right);
}

void tst_rules::rememberSettingAndMissingServer()
{
    QVERIFY(RememberFromSetting(QStringLiteral(" 1 ")));
    for (const char *t : {"", "2", "0", "evet", "1x"})
        QVERIFY2(!RememberFromSetting(QString::fromUtf8(t)), t);
    QVERIFY(IsServerMissingError(
        QStringLiteral("[DBNETLIB]SQL Server does not exist or access denied.")));
    QVERIFY(!IsServerMissingError(QStringLiteral("Login failed for user 'ali'.")));
}

void tst_rules::versionComparison_data()
{
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QString>("installed");
    QTest::addColumn<bool>("newer");
    QTest::newRow("revision newer") << "1.0.1.3" << "1.0.1.2" << true;
    QTest::newRow("same") << "1.0.1.2" << "1.0.1.2" << false;
    QTest::newRow("build counts ten revisions") << "1.0.2.0" << "1.0.1.9" << true;
    QTest::newRow("minor compared as text") << "1.10.0.0" << "1.9.0.0" << false;
    QTest::newRow("major compared as text") << "10.0.0.0" << "9.0.0.0" << false;
    QTest::newRow("two parts beat a lower minor") << "2.1" << "2.0.5.5" << true;
    QTest::newRow("a missing minor is below any") << "1" << "1.0.0.0" << false;
    QTest::newRow("non-numeric revision") << "9.0.x.1" << "1.0.0.1" << false;
    QTest::newRow("installed without a version") << "9.0.0.0" << "" << false;
}

void tst_rules::versionComparison()
{
    QFETCH(QString, listed);
    QFETCH(QString, installed);
    QFETCH(bool, newer);
    const QString list = "' paket,dosya,...\r\n\r\n1,TarvekFOTO.zip,a,b,c,d,e,f,g," + listed;
    QCOMPARE(ListShowsNewer(list, ProgramPackage(), [&] { return installed; }), newer);
}

void tst_rules::jpgExtensionInAnyCase_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("jpg");
    QTest::newRow("lower") << "a.jpg" << true;
    QTest::newRow("capital I") << "FOTO.JPG" << true;
    QTest::newRow("mixed") << "x.JpG" << true;
    QTest::newRow("jpeg") << "a.jpeg" << false;
    QTest::newRow("no dot") << "ajpg" << false;
}

void tst_rules::jpgExtensionInAnyCase()
{
    QFETCH(QString, name);
    QFETCH(bool, jpg);
    QCOMPARE(queue::HasJpgExtension(name), jpg);
}

void tst_rules::countdownSteps_data()
{
    QTest::addColumn<int>("elapsed");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    const QString go = QStringLiteral("Fotoğraf Gönderimi Başlıyor");
    using S = queue::CountdownStep;
    QTest::newRow("at rest") << 0 << 3 << int(S::Hide) << "";
    QTest::newRow("two left") << 1 << 3 << int(S::Show) << "Bekleme Süresi  : 2 sn.";
    QTest::newRow("one left") << 2 << 3 << int(S::Show) << go;
    QTest::newRow("last tick") << 3 << 3 << int(S::Show) << go;
    QTest::newRow("expires") << 4 << 3 << int(S::Expire) << "";
    QTest::newRow("long wait") << 1 << 20 << int(S::Show) << "Bekleme Süresi  : 19 sn.";
    QTest::newRow("past the end") << 30 << 20 << int(S::Expire) << "";
}

void tst_rules::countdownSteps()
{
    QFETCH(int, elapsed);
    QFETCH(int, total);
    QFETCH(int, kind);
    QFETCH(QString, text);
    const queue::CountdownStep step = queue::Countdown(elapsed, total);
    QCOMPARE(int(step.kind), kind);
    QCOMPARE(step.text, text);
}

void tst_rules::fieldFailures_data()
{
    QTest::addColumn<QStringList>("fields"); // alan2, gonderen, gonderentc
    QTest::addColumn<QList<queue::CheckFailure>>("failures");
    const queue::CheckFailure dev{"Yapıdaki Gelişmeler Bilgisi Bulunamadı", false, "f8"};
    const queue::CheckFailure who{"Fotoğrafı Gönderen Bilgisi Bulunamadı...", true, "f10"};
    const queue::CheckFailure tc{"Fotoğrafı Gönderen TC Numarası Bilgisi Bulunamadı...", true,
                                 "f11"};
    using L = QList<queue::CheckFailure>;
    QTest::newRow("all present") << Strings{"x", "y", "1"} << L{};
    QTest::newRow("developments, not stored") << Strings{"", "y", "1"} << L{dev};
    QTest::newRow("sender and number, in turn") << Strings{"x", "", ""} << L{who, tc};
    QTest::newRow("all missing") << Strings{"", "", ""} << L{dev, who, tc};
}

void tst_rules::fieldFailures()
{
    QFETCH(QStringList, fields);
    QFETCH(QList<queue::CheckFailure>, failures);
    QCOMPARE(queue::FieldFailures(fields[0], fields[1], fields[2]), failures);
}

void tst_rules::sizeLimitAndText_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<QString>("text");
    QTest::newRow("1 MB exactly") << 1048576LL << false << "1024 Kbayt";
    QTest::newRow("1024.05 rounds down") << 1048626LL << false << "1024 Kbayt";
    QTest::newRow("1024.1 is over") << 1048679LL << true << "1024,1 Kbayt";
    QTest::newRow("decimal comma") << 1500LL << false << "1,5 Kbayt";
    QTest::newRow("empty file") << 0LL << false << "0 Kbayt";
}

void tst_rules::sizeLimitAndText()
{
    QFETCH(qint64, bytes);
    QFETCH(bool, fails);
    QFETCH(QString, text);
    const auto failure = queue::SizeFailure(bytes);
    QCOMPARE(failure.has_value(), fails);
    if (failure)
        QCOMPARE(failure->text, QStringLiteral("Dosya boyutu 1 Mb'dan Büyük..."));
    QCOMPARE(queue::SizeText(bytes), text);
}

void tst_rules::dimensionLimits_data()
{
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<int>("failures");
    QTest::newRow("landscape at the limit") << QSize(1100, 700) << 0;
    QTest::newRow("landscape one too wide") << QSize(1101, 700) << 1;
    QTest::newRow("landscape one too tall") << QSize(1100, 701) << 1;
    QTest::newRow("landscape both over") << QSize(1200, 800) << 2;
    QTest::newRow("portrait at the limit") << QSize(700, 1100) << 0;
    QTest::newRow("portrait one too wide") << QSize(701, 1100) << 1;
    QTest::newRow("square takes the portrait limit") << QSize(701, 701) << 1;
    QTest::newRow("square far over") << QSize(1101, 1101) << 2;
}

void tst_rules::dimensionLimits()
{
    QFETCH(QSize, pixels);
    QFETCH(int, failures);
    const queue::CheckFailure f{"Resim Ebatlarını Kontrol Ediniz", true, "f16"};
    QCOMPARE(queue::DimensionFailures(pixels), QList<queue::CheckFailure>(failures, f));
}

void tst_rules::siteFolderAndAsciiFold_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("folded");
    QTest::newRow("slash and space") << "12/3 A" << "12_3_A" << "12/3 A";
    QTest::newRow("every replaced character")
        << "a*b<c>d\\e,f\"g:h?i" << "a_b_c_d_e_f_g_h_i" << "a*b<c>d\\e,f\"g:h?i";
    QTest::newRow("carriage return removed") << "12\r/3" << "12_3" << "12\r/3";
    QTest::newRow("Turkish letters") << "Çağrı Şükür Öğüt İı" << "Çağrı_Şükür_Öğüt_İı"
                                     << "Cagri Sukur Ogut Ii";
    QTest::newRow("capitals, other accents stay") << "ÇĞİÖŞÜâé|" << "ÇĞİÖŞÜâé|" << "CGIOSUâé|";
}

void tst_rules::siteFolderAndAsciiFold()
{
    QFETCH(QString, text);
    QFETCH(QString, folder);
    QFETCH(QString, folded);
    QCOMPARE(SiteFolderName(text), folder);
    QCOMPARE(AsciiFold(text), folded);
}

void tst_rules::instructionFileAndCommandLine_data()
{
    QTest::addColumn<QString>("sibling");
    QTest::addColumn<QString>("alan1");
    QTest::addColumn<QString>("ada");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QStringList>("lines"); // source, target, date caption, parcel caption
    const QString site = QStringLiteral("c:\\ortak\\fotograflar\\12_3_A\\");
    const QString sibling = QStringLiteral("c:\\tarvek2000");
    const QString date = QStringLiteral("Tarih :12.03.2012");
    const QString parcel = QStringLiteral("Pafta/Ada/Parsel :12/3 A");
    const auto row = [](const char *n, const QString &sib, const QString &a1, const QString &ada,
                        const QString &s, const Strings &l) {
        QTest::newRow(n) << sib << a1 << ada << s << l;
    };
    row("date printed with setting 1", sibling, "foto.jpg", "12/3 A", "1",
        {site + "foto.jpg", site + "web\\a.jpg", date, parcel});
    row("no date otherwise", sibling, "foto.JPG", "12/3 A", "0",
        {site + "foto.JPG", site + "web\\a.jpg", "", parcel});
    row(".jpeg names the .jpg source", sibling, "x.jpeg", "12/3 A", "1",
        {site + "x.jpg", site + "web\\a.jpg", date, parcel});
    row("Turkish paths kept, captions folded", sibling, "Kat 2 çatı.jpg", "Çiğdem 5/7", "1",
        {"c:\\ortak\\fotograflar\\Çiğdem_5_7\\Kat 2 çatı.jpg",
         "c:\\ortak\\fotograflar\\Çiğdem_5_7\\web\\a.jpg", date, "Pafta/Ada/Parsel :Cigdem 5/7"});
    row("office folder with spaces", "c:\\Program Files\\Tarvek 2000", "foto.jpg", "12/3 A", "1",
        {site + "foto.jpg", site + "web\\a.jpg", date, parcel});
}

void tst_rules::instructionFileAndCommandLine()
{
    QFETCH(QString, sibling);
    QFETCH(QString, alan1);
    QFETCH(QString, ada);
    QFETCH(QString, setting);
    QFETCH(QStringList, lines);
    TestPlatform tp;
    InstallSibling(tp, sibling);
    Touch(tp.native(sibling + "\\fth32"));
    const QString instructions = tp.native(sibling + "\\input.mtg");
    const QString oldTemp = tp.native("c:\\tarvek2000word\\temp\\eski.jpg");
    Touch(oldTemp);
    QByteArray captured;
    tp.launcher->behaviour = [&](const QString &, const QStringList &) {
        QFile f(instructions);
        captured = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
        return 0;
    };

    PrepareRecordPhoto({alan1, ada, QDate(2012, 3, 12)}, "c:\\ortak", setting);

    QCOMPARE(tp.messages->texts(), Strings());
    QCOMPARE(tp.launcher->calls.size(), 1);
    QCOMPARE(tp.launcher->calls[0].kind, QStringLiteral("wait"));
    QCOMPARE(tp.launcher->calls[0].program, tp.native(sibling) + "/fth32");
    QCOMPARE(tp.launcher->calls[0].args, Strings{"Tarvek_Yds_mtg"});
    QByteArray expected;
    for (const QString &l : Strings{"1", "C:\\tarvek2000word\\temp\\", "C:\\x.jpg"} + lines +
                                Strings{"", "", "Tarvek 2000", "1"})
        expected += platform::encodeAnsi(l) + "\r\n";
    QCOMPARE(captured, expected);
    QVERIFY(!QFile::exists(instructions));
    QVERIFY(!QFile::exists(oldTemp));
}

void tst_rules::stampingToolFailures_data()
{
    QTest::addColumn<bool>("toolThere");
    QTest::addColumn<QString>("message");
    QTest::addColumn<MsgIcon>("icon");
    QTest::newRow("tool missing: nothing run, temp kept")
        << false << "Lütfen Tarvek YDS Güncellemesi yapınız..." << MsgIcon::Critical;
    QTest::newRow("tool cannot start")
        << true
        << "c:\\tarvek2000\\fth32.exe Tarvek_Yds_mtg Dosyasında Hata oluştu...\r\nSistem "
           "belirtilen dosyayı bulamıyor."
        << MsgIcon::Exclamation;
}

void tst_rules::stampingToolFailures()
{
    QFETCH(bool, toolThere);
    QFETCH(QString, message);
    QFETCH(MsgIcon, icon);
    TestPlatform tp;
    InstallSibling(tp);
    if (toolThere)
        Touch(tp.native("c:\\tarvek2000\\fth32"));
    tp.launcher->failStart = true;
    const QString oldTemp = tp.native("c:\\tarvek2000word\\temp\\eski.jpg");
    Touch(oldTemp);

    PrepareRecordPhoto({"a.jpg", "1", QDate(2012, 3, 12)}, "c:\\ortak", "1");

    QCOMPARE(tp.messages->texts(), Strings{message});
    QCOMPARE(tp.messages->shown[0].icon, icon);
    QCOMPARE(tp.launcher->calls.size(), toolThere ? 1 : 0);
    QCOMPARE(QFile::exists(oldTemp), !toolThere);
    QVERIFY(!QFile::exists(tp.native("c:\\tarvek2000\\input.mtg")));
}

QTEST_GUILESS_MAIN(tst_rules)
#include "tst_rules.moc"
