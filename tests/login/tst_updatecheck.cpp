#include "core/updatecheck.h"
#include "core/versionlist.h"
#include "core/workstation.h"
#include "logindemo.h"
#include "platform/deployment.h"
#include "platform/testing/testplatform.h"
#include "updateserver.h"

#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

using platform::ProcessEnded;
using platform::testing::TestPlatform;

namespace {
const QString kNoFile = QStringLiteral("<no file>");

void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

// A list line in the maker's ten-field layout, with the package in field 1, version in 9.
QString line(const QString &zip, const QString &version)
{
    return QStringLiteral("Tarvek2000,%1,a,b,c,d,e,f,g,%2").arg(zip, version);
}

const QString kProgramUpdate =
    QStringLiteral("TarvekFOTO uygulamasını ilgilendiren kritik bir güncelleme mevcut..\r"
                   "Tarvek YDS uygulaması kapanacak ve Güncelleme programı çalışacaktır...");
const QString kUpdaterUpdate =
    QStringLiteral("Tarvek Guncelleme uygulamasını ilgilendiren kritik bir güncelleme mevcut..");
} // namespace

class tst_updatecheck : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void updateNeeded_data();
    void updateNeeded();
    void checkAgainstHost_data();
    void checkAgainstHost();
    void missingUpdaterIsReportedAndCheckSkipped();
    void demoListKeepsTheBuiltProgramsCurrent();
};

void tst_updatecheck::updateNeeded_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("installed"); // version in the installed file, "" = none
    QTest::addColumn<bool>("expected");

    const QString foto = QStringLiteral("TarvekFOTO.zip");
    auto lines = [](const QStringList &l) { return l.join(QStringLiteral("\r\n")); };

    QTest::newRow("same revision written differently")
        << line(foto, "1.0.0.12") << "1.0.1.2" << false;
    QTest::newRow("revision newer") << line(foto, "1.0.1.3") << "1.0.1.2" << true;
    QTest::newRow("minor compared as text") << line(foto, "1.10.0.0") << "1.9.0.0" << false;
    QTest::newRow("minor newer as text") << line(foto, "1.9.0.0") << "1.10.0.0" << true;
    QTest::newRow("major compared as text") << line(foto, "10.0.0.0") << "9.0.0.0" << false;
    QTest::newRow("two parts beat a lower minor") << line(foto, "2.1") << "2.0.5.5" << true;
    QTest::newRow("two parts equal") << line(foto, "2.1") << "2.1.0.0" << false;
    QTest::newRow("three parts take part two") << line(foto, "1.0.13") << "1.0.1.2" << true;
    QTest::newRow("one part is below any minor") << line(foto, "1") << "1.0.0.0" << false;
    QTest::newRow("comment line with commas skipped")
        << lines({"'x," + line(foto, "9.9.9.9"), line(foto, "1.0.0.1")}) << "1.0.0.1" << false;
    QTest::newRow("empty lines skipped")
        << lines({"", line(foto, "1.0.0.2"), ""}) << "1.0.0.1" << true;
    QTest::newRow("comma-less line first spoils the list")
        << lines({"Tarvek listesi", line(foto, "9.0.0.0")}) << "1.0.0.1" << false;
    QTest::newRow("comma-less line after the deciding one")
        << lines({line(foto, "9.0.0.0"), "son"}) << "1.0.0.1" << true;
    QTest::newRow("fewer than ten fields") << "x,TarvekFOTO.zip,a,b,9.0.0.0"
                                           << "1.0.0.1" << false;
    QTest::newRow("short line of another package is harmless")
        << lines({"x,Baska.zip,a", line(foto, "9.0.0.0")}) << "1.0.0.1" << true;
    QTest::newRow("non-numeric revision") << line(foto, "9.0.x.1") << "1.0.0.1" << false;
    QTest::newRow("installed file without version") << line(foto, "9.0.0.0") << "" << false;
    QTest::newRow("installed file missing") << line(foto, "9.0.0.0") << kNoFile << false;
    QTest::newRow("empty version, second line decides")
        << lines({line(foto, ""), line(foto, "1.0.0.9")}) << "1.0.0.1" << true;
    QTest::newRow("first line with a version decides")
        << lines({line(foto, "1.0.0.1"), line(foto, "9.0.0.0")}) << "1.0.0.1" << false;
    QTest::newRow("package name is case-sensitive")
        << line("tarvekfoto.zip", "9.0.0.0") << "1.0.0.1" << false;
    QTest::newRow("no package line") << ""
                                     << "1.0.0.1" << false;
    QTest::newRow("lines split at CR LF only")
        << line(foto, "1.0.0.1") + "\n" + line(foto, "9.0.0.0") << "1.0.0.1" << false;
}

void tst_updatecheck::updateNeeded()
{
    QFETCH(QString, list);
    QFETCH(QString, installed);
    QFETCH(bool, expected);
    TestPlatform tp;
    QTemporaryDir folder;
    if (installed != kNoFile)
        writeFile(folder.path() + QStringLiteral("/TarvekFOTO"),
                  installed.isEmpty() ? QByteArray("#!/bin/sh\n") : VersionedScript(installed));
    QCOMPARE(UpdateNeeded(list, folder.path() + QLatin1Char('\\'), QStringLiteral("TarvekFOTO")),
             expected);
}

void tst_updatecheck::checkAgainstHost_data()
{
    QTest::addColumn<QString>("mode"); // "list", "unreachable", "slow", "error"
    QTest::addColumn<QString>("list");
    QTest::addColumn<bool>("programPresent");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("updaterStarted");

    const QString upToDate =
        QStringList{line("TarvekFOTO.zip", "1.0.0.5"), line("Tarvek_Guncelleme.zip", "1.0.0.3")}
            .join(QStringLiteral("\r\n"));
    QTest::newRow("empty list") << "list"
                                << "" << true << QStringList() << false;
    QTest::newRow("host unreachable")
        << "unreachable" << upToDate << true << QStringList() << false;
    QTest::newRow("slower than the limit") << "slow" << upToDate << true << QStringList() << false;
    QTest::newRow("server error") << "error" << upToDate << true << QStringList() << false;
    QTest::newRow("up to date") << "list" << upToDate << true << QStringList() << false;
    QTest::newRow("both out of date")
        << "list"
        << QStringList{line("TarvekFOTO.zip", "1.0.0.6"), line("Tarvek_Guncelleme.zip", "1.1")}
               .join(QStringLiteral("\r\n"))
        << true << QStringList{kProgramUpdate, kUpdaterUpdate} << true;
    QTest::newRow("updater only") << "list"
                                  << QStringList{line("TarvekFOTO.zip", "1.0.0.5"),
                                                 line("Tarvek_Guncelleme.zip", "1.0.0.4")}
                                         .join(QStringLiteral("\r\n"))
                                  << true << QStringList{kUpdaterUpdate} << true;
    QTest::newRow("program file missing")
        << "list" << upToDate << false << QStringList{kProgramUpdate} << true;
    QTest::newRow("program file missing, empty list") << "list"
                                                      << "" << false << QStringList() << false;
}

void tst_updatecheck::checkAgainstHost()
{
    QFETCH(QString, mode);
    QFETCH(QString, list);
    QFETCH(bool, programPresent);
    QFETCH(QStringList, messages);
    QFETCH(bool, updaterStarted);

    TestPlatform tp;
    UpdateServer server;
    QTemporaryDir folder;
    writeFile(folder.path() + QStringLiteral("/Tarvek_Guncelleme"),
              VersionedScript(QStringLiteral("1.0.0.3")));
    if (programPresent)
        writeFile(folder.path() + QStringLiteral("/TarvekFOTO"),
                  VersionedScript(QStringLiteral("1.0.0.5")));

    platform::Deployment d = platform::Deployment::builtIn();
    d.updateHost = server.host();
    d.updateTimeoutMs = 300;
    if (mode == QStringLiteral("unreachable")) {
        // A port that was just free: nothing listens there.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        d.updateHost = QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort());
        probe.close();
    }
    platform::Deployment::setCurrent(d);

    UpdateServer::Answer a;
    a.body = list.toLatin1();
    a.hang = mode == QStringLiteral("slow");
    a.status = mode == QStringLiteral("error") ? 500 : 200;
    server.serve(UpdateServer::listPath(), a);

    bool ended = false;
    try {
        CheckForUpdates(folder.path());
    } catch (const ProcessEnded &) {
        ended = true;
    }
    QCOMPARE(tp.messages->texts(), messages);
    QCOMPARE(ended, updaterStarted);
    QCOMPARE(tp.launcher->calls.size(), updaterStarted ? 1 : 0);
    if (updaterStarted) {
        QCOMPARE(tp.launcher->calls.first().kind, QStringLiteral("start"));
        QCOMPARE(tp.launcher->calls.first().program,
                 folder.path() + QStringLiteral("/Tarvek_Guncelleme"));
        QVERIFY(tp.launcher->calls.first().args.isEmpty());
    }
    for (const auto &m : tp.messages->shown)
        QCOMPARE(m.icon, platform::MsgIcon::Critical);
    if (mode == QStringLiteral("list"))
        QCOMPARE(server.requests(UpdateServer::listPath()), 1);
    platform::Deployment::setCurrent(platform::Deployment::builtIn());
}

void tst_updatecheck::missingUpdaterIsReportedAndCheckSkipped()
{
    TestPlatform tp;
    UpdateServer server;
    QTemporaryDir folder;
    platform::Deployment d = platform::Deployment::builtIn();
    d.updateHost = server.host();
    platform::Deployment::setCurrent(d);
    server.serve(UpdateServer::listPath(), {200, line("TarvekFOTO.zip", "9.0").toLatin1(), false});

    SetProgramFolder(folder.path());
    guncelleme_kontrol_et();
    SetProgramFolder({});

    QCOMPARE(tp.messages->texts(),
             QStringList{QStringLiteral("Güncelleme Uygulaması bulunamadı...\r\n"
                                        "Lütfen KORA BİLİŞİM'i arayınız...")});
    QCOMPARE(tp.messages->shown.first().icon, platform::MsgIcon::Critical);
    QCOMPARE(server.requests(UpdateServer::listPath()), 0);
    QVERIFY(tp.launcher->calls.isEmpty());
    platform::Deployment::setCurrent(platform::Deployment::builtIn());
}

void tst_updatecheck::demoListKeepsTheBuiltProgramsCurrent()
{
    TestPlatform tp;
    const QString list = QString::fromLatin1(DemoVersionList());
    const QString prefix = QStringLiteral(TARVEK_PROGRAM_FOLDER) + QLatin1Char('\\');
    for (const QString &package : {ProgramPackage(), UpdaterPackage()}) {
        QVERIFY(
            QFileInfo::exists(PackageProgramFile(QStringLiteral(TARVEK_PROGRAM_FOLDER), package)));
        QVERIFY2(!UpdateNeeded(list, prefix, package), qPrintable(package));
    }
    // And one revision more would update.
    const QString newer =
        QString(list).replace(QStringLiteral(",1.0.0.1"), QStringLiteral(",1.0.0.2"));
    QVERIFY(newer != list);
    QVERIFY(UpdateNeeded(newer, prefix, ProgramPackage()));
}

QTEST_MAIN(tst_updatecheck)
#include "tst_updatecheck.moc"
