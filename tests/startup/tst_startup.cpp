#include "platform/deployment.h"
#include "platform/testing/testplatform.h"
#include "startup/connection.h"
#include "startup/scrambler.h"
#include "startup/startup.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using platform::MsgIcon;
using platform::ProcessEnded;
using platform::testing::TestPlatform;

class tst_startup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void scrambleRoundTrip_data();
    void scrambleRoundTrip();
    void scrambleVariesButUnscrambles();
    void otherVariantsAreEmpty();
    void deploymentPasswordIsTwentySixCharacters();
    void leadingNumber_data();
    void leadingNumber();
    void chooseConfiguration_data();
    void chooseConfiguration();
    void loadSettings_data();
    void loadSettings();
    void noInstallationEndsSilently();
    void connectionStringCarriesSuffix();
    void siblingTool();
    void startupSetsWorkFolderAndLoadsLogin();

private:
    void writeNetwork(TestPlatform &tp, const QByteArray &content);
};

void tst_startup::init()
{
    platform::Deployment::setCurrent(platform::Deployment::builtIn());
    Connection() = ConnectionSettings();
}

void tst_startup::scrambleRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("variant");
    const QStringList texts{"",
                            "a",
                            "Parola123",
                            "Çağrı Şükür Öğüt İı",
                            "'; drop table x;--",
                            "boşluk ve . - _ işaretleri"};
    for (int v = 1; v <= 2; ++v)
        for (const QString &t : texts)
            QTest::addRow("v%d %s", v, qPrintable(t)) << t << v;
}

void tst_startup::scrambleRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(int, variant);
    for (int selector = 0; selector < 70; selector += 7) {
        const QString s = ScrambleWithSelector(text, variant, selector);
        QCOMPARE(s.size(), text.size() + 1);
        QCOMPARE(Unscramble(s, variant), text);
    }
    QCOMPARE(Unscramble(Scramble(text, variant), variant), text);
}

void tst_startup::scrambleVariesButUnscrambles()
{
    const QString text = QStringLiteral("GizliParola");
    QSet<QString> seen;
    for (int selector = 0; selector < 10; ++selector)
        seen.insert(ScrambleWithSelector(text, 1, selector));
    QCOMPARE(seen.size(), 10);
    // The two variants are different schemes.
    QVERIFY(ScrambleWithSelector(text, 1, 3) != ScrambleWithSelector(text, 2, 3));
    QVERIFY(Unscramble(ScrambleWithSelector(text, 1, 3), 2) != text);
}

void tst_startup::otherVariantsAreEmpty()
{
    for (int v : {0, 3, -1, 99}) {
        QCOMPARE(Scramble(QStringLiteral("abc"), v), QString());
        QCOMPARE(Unscramble(QStringLiteral("abc"), v), QString());
    }
}

void tst_startup::deploymentPasswordIsTwentySixCharacters()
{
    const QString scrambled = platform::Deployment::current().scrambledSqlPassword;
    QCOMPARE(scrambled.size(), 26);
    QCOMPARE(Unscramble(scrambled, 1).size(), 25);
    // A deployment file replaces tables and password together.
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("d.ini"));
    {
        QSettings s(ini, QSettings::IniFormat);
        s.setValue(QStringLiteral("scrambler/alphabet1"), QStringLiteral("abcdefghij"));
        s.setValue(QStringLiteral("scrambler/sql_password"), QStringLiteral("cxyz"));
    }
    platform::Deployment::setCurrent(platform::Deployment::load(ini));
    QCOMPARE(Unscramble(QStringLiteral("cxyz"), 1), QStringLiteral("xyz"));
    QCOMPARE(Unscramble(QStringLiteral("cdef"), 1), QStringLiteral("bbb"));
}

void tst_startup::leadingNumber_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("n");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("two") << "2" << 2;
    QTest::newRow("two then text") << "2abc" << 2;
    QTest::newRow("text") << "abc 2" << 0;
    QTest::newRow("leading blanks") << "  3" << 3;
    QTest::newRow("negative") << "-1" << -1;
}

void tst_startup::leadingNumber()
{
    QFETCH(QString, line);
    QFETCH(int, n);
    QCOMPARE(LeadingNumber(line), n);
}

void tst_startup::chooseConfiguration_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("suffix");
    const int ok = int(NetworkChoice::Result::Ok);
    const int wrong = int(NetworkChoice::Result::WrongKind);
    const int unusable = int(NetworkChoice::Result::Unusable);
    const QStringList two{"mssql", "Merkez::sube", "SRV1", "Şube", "SRV2"};
    QTest::newRow("default ignores kind and suffix")
        << QStringList{"MSSQL", "Merkez::sube", "SRV1"} << 0 << ok << "SRV1"
        << "";
    QTest::newRow("numbered 1 with suffix") << two << 1 << ok << "SRV1"
                                            << "_sube";
    QTest::newRow("numbered 2") << two << 2 << ok << "SRV2"
                                << "";
    QTest::newRow("numbered negative is the first") << two << -3 << ok << "SRV1"
                                                    << "_sube";
    QTest::newRow("kind in capitals refused")
        << QStringList{"MSSQL", "Merkez", "SRV1"} << 1 << wrong << "SRV1"
        << "";
    QTest::newRow("server with blanks kept")
        << QStringList{"x", "l", "  SRV\\SQLEXPRESS  "} << 0 << ok << "  SRV\\SQLEXPRESS  "
        << "";
    QTest::newRow("suffix cut to 100")
        << QStringList{"mssql", "L::" + QString(150, QLatin1Char('x')), "S"} << 1 << ok << "S"
        << "_" + QString(100, QLatin1Char('x'));
    QTest::newRow("suffix from first separator")
        << QStringList{"mssql", "a::b::c", "S"} << 1 << ok << "S"
        << "_b::c";
    QTest::newRow("empty file") << QStringList{} << 0 << unusable << ""
                                << "";
    QTest::newRow("default too short") << QStringList{"mssql", "Merkez"} << 0 << unusable << ""
                                       << "";
    QTest::newRow("numbered beyond the file") << two << 3 << unusable << ""
                                              << "";
}

void tst_startup::chooseConfiguration()
{
    QFETCH(QStringList, lines);
    QFETCH(int, n);
    QFETCH(int, result);
    QFETCH(QString, server);
    QFETCH(QString, suffix);
    const NetworkChoice c = ChooseConfiguration(lines, n);
    QCOMPARE(int(c.result), result);
    if (c.result != NetworkChoice::Result::Unusable) {
        QCOMPARE(c.server, server);
        QCOMPARE(c.suffix, suffix);
    }
}

void tst_startup::writeNetwork(TestPlatform &tp, const QByteArray &content)
{
    tp.settings->save(QStringLiteral("tarvek2000"), QStringLiteral("2.0"), QStringLiteral("path"),
                      QStringLiteral("c:\\tarvek2000"));
    QDir().mkpath(tp.native(QStringLiteral("c:\\tarvek2000")));
    if (content.isNull())
        return;
    QFile f(tp.native(QStringLiteral("c:\\tarvek2000\\network.txt")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

void tst_startup::loadSettings_data()
{
    QTest::addColumn<QByteArray>("network"); // null: no file
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<bool>("ends");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("suffix");
    const QString missing =
        QStringLiteral("Network Dosyası Bulunamadı...\rLütfen Program Satıcınızı Arayınız");
    const QByteArray crlf("mssql\r\nMerkez::sube\r\nSRV1\r\nİkinci\r\nSRV2\r\n");
    QTest::newRow("default CR LF") << crlf << "" << false << ""
                                   << ""
                                   << "SRV1"
                                   << "";
    QTest::newRow("default LF") << QByteArray("x\nMerkez::sube\nSRV1\n") << "" << false << ""
                                << ""
                                << "SRV1"
                                << "";
    QTest::newRow("not a number is default") << crlf << "abc" << false << ""
                                             << ""
                                             << "SRV1"
                                             << "";
    QTest::newRow("numbered 1") << crlf << "1" << false << ""
                                << ""
                                << "SRV1"
                                << "_sube";
    QTest::newRow("numbered 2") << crlf << "2" << false << ""
                                << ""
                                << "SRV2"
                                << "";
    QTest::newRow("windows-1254 label")
        << QByteArray("mssql\r\nMerkez::\xDE\x75\x62\x65\r\nS\r\n") << "1" << false << ""
        << ""
        << "S"
        << "_Şube";
    QTest::newRow("missing default") << QByteArray() << "" << true << missing << ""
                                     << ""
                                     << "";
    QTest::newRow("missing numbered") << QByteArray() << "2" << true << missing << ""
                                      << ""
                                      << "";
    QTest::newRow("empty file") << QByteArray("") << "" << true << missing << ""
                                << ""
                                << "";
    QTest::newRow("too short numbered") << crlf << "3" << true << missing << ""
                                        << ""
                                        << "";
    QTest::newRow("kind in capitals") << QByteArray("MSSQL\r\nMerkez\r\nSRV1\r\n") << "1" << false
                                      << "Lütfen Program Satıcınızla Görüşünüz..."
                                      << "Hata No:752439"
                                      << ""
                                      << "";
}

void tst_startup::loadSettings()
{
    QFETCH(QByteArray, network);
    QFETCH(QString, commandLine);
    QFETCH(bool, ends);
    QFETCH(QString, message);
    QFETCH(QString, title);
    QFETCH(QString, server);
    QFETCH(QString, suffix);
    TestPlatform tp;
    writeNetwork(tp, network);
    bool ended = false;
    try {
        LoadConnectionSettings(commandLine);
    } catch (const ProcessEnded &) {
        ended = true;
    }
    QCOMPARE(ended, ends);
    if (message.isEmpty()) {
        QVERIFY(tp.messages->shown.isEmpty());
    } else {
        QCOMPARE(tp.messages->shown.size(), 1);
        QCOMPARE(tp.messages->shown[0].text, message);
        QCOMPARE(tp.messages->shown[0].icon, MsgIcon::Critical);
        QCOMPARE(tp.messages->shown[0].title, title);
    }
    QCOMPARE(Connection().ServerName, server);
    QCOMPARE(Connection().DatabaseSuffix, suffix);
    if (server.isEmpty()) {
        QVERIFY(Connection().ConnectionPrefix.isEmpty());
    } else {
        QCOMPARE(Connection().ConnectionPrefix,
                 "driver={SQL SERVER};server=" + server +
                     ";uid=kvrtmlsn;pwd=Kv8rTm1Sn-Dbx72Qa.Lp0Wz4H;database=");
    }
}

void tst_startup::noInstallationEndsSilently()
{
    TestPlatform tp;
    QVERIFY_THROWS_EXCEPTION(ProcessEnded, LoadConnectionSettings(QString()));
    QVERIFY(tp.messages->shown.isEmpty());
}

void tst_startup::connectionStringCarriesSuffix()
{
    Connection().ConnectionPrefix = QStringLiteral("P;database=");
    Connection().DatabaseSuffix = QStringLiteral("_sube");
    QCOMPARE(ConnectionString(QStringLiteral("y3436")), QStringLiteral("P;database=y3436_sube"));
}

void tst_startup::siblingTool()
{
    TestPlatform tp;
    writeNetwork(tp, QByteArray());
    QVERIFY(CheckSiblingTool(QStringLiteral("fth32.exe")));
    QCOMPARE(tp.messages->texts(), QStringList{"Lütfen Tarvek YDS Güncellemesi yapınız..."});
    QFile tool(tp.native(QStringLiteral("c:\\tarvek2000\\fth32")));
    QVERIFY(tool.open(QIODevice::WriteOnly));
    tool.close();
    tp.messages->clear();
    QVERIFY(!CheckSiblingTool(QStringLiteral("fth32.exe")));
    QVERIFY(tp.messages->shown.isEmpty());
}

void tst_startup::startupSetsWorkFolderAndLoadsLogin()
{
    TestPlatform tp;
    writeNetwork(tp, QByteArray("mssql\r\nMerkez\r\nSRV1\r\n"));
    bool loaded = false;
    RunStartup(QString(), [&] {
        loaded = true;
        throw std::runtime_error("a failure of the login window is not start-up's");
    });
    QVERIFY(loaded);
    QCOMPARE(Connection().WorkFolder, QStringLiteral("c:\\tarvek2000word\\"));
    QCOMPARE(Connection().ServerName, QStringLiteral("SRV1"));
}

QTEST_GUILESS_MAIN(tst_startup)
#include "tst_startup.moc"
