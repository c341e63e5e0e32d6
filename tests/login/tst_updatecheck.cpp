#include "login/session.h"
#include "login/updatecheck.h"
#include "login/updatesource.h"
#include "login/versionlist.h"
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

QString line(const QString &zip, const QString &version)
{
    return ListLine(zip, version);
}

const QString kProgramUpdate =
    QStringLiteral("TarvekFOTO uygulamasını ilgilendiren kritik bir güncelleme mevcut..\r"
                   "Tarvek YDS uygulaması kapanacak ve Güncelleme programı çalışacaktır...");
const QString kUpdaterUpdate =
    QStringLiteral("Tarvek Guncelleme uygulamasını ilgilendiren kritik bir güncelleme mevcut..");
const QString kNoUpdater = QStringLiteral("Güncelleme Uygulaması bulunamadı...\r\n"
                                          "Lütfen KORA BİLİŞİM'i arayınız...");
} // namespace

class tst_updatecheck : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void updateNeeded_data();
    void updateNeeded();
    void checkAgainstHost_data();
    void checkAgainstHost();
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
    QTest::newRow("largest parts count")
        << line(foto, "1.0.32767.32767") << "1.0.32767.32766" << true;
    QTest::newRow("part over 16 bits") << line(foto, "9.0.0.32768") << "1.0.0.1" << false;
    QTest::newRow("part at the int limit") << line(foto, "9.0.2147483647.9") << "1.0.0.1" << false;
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
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("updaterStarted");

    const QString upToDate =
        line("TarvekFOTO.zip", "1.0.0.5") + "\r\n" + line("Tarvek_Guncelleme.zip", "1.0.0.3");
    const QString newer = line("TarvekFOTO.zip", "1.0.0.6");
    const QStringList none;
    QTest::newRow("empty list") << "signed" << QString() << none << false;
    QTest::newRow("host unreachable") << "unreachable" << newer << none << false;
    QTest::newRow("slower than the limit") << "trickle" << newer << none << false;
    QTest::newRow("server error") << "error" << newer << none << false;
    QTest::newRow("up to date") << "signed" << upToDate << none << false;
    QTest::newRow("both out of date")
        << "signed" << newer + "\r\n" + line("Tarvek_Guncelleme.zip", "1.1")
        << QStringList{kProgramUpdate, kUpdaterUpdate} << true;
    QTest::newRow("updater only") << "signed"
                                  << line("TarvekFOTO.zip", "1.0.0.5") + "\r\n" +
                                         line("Tarvek_Guncelleme.zip", "1.0.0.4")
                                  << QStringList{kUpdaterUpdate} << true;
    QTest::newRow("program file missing")
        << "no program" << upToDate << QStringList{kProgramUpdate} << true;
    QTest::newRow("program file missing, empty list") << "no program"
                                                      << "" << none << false;
    QTest::newRow("updater missing") << "no updater" << newer << QStringList{kNoUpdater} << false;
    // The updater just started the program: whatever the list says, it is not started again.
    QTest::newRow("right after an update") << "after update" << newer << none << false;
    // Only a list the vendor's key signed counts.
    QTest::newRow("unsigned list") << "unsigned" << newer << none << false;
    QTest::newRow("tampered list") << "tampered" << newer << none << false;
    QTest::newRow("signed by another key") << "other key" << newer << none << false;
    QTest::newRow("list over the size limit")
        << "signed" << newer + "\r\n'" + QString(64 * 1024, QLatin1Char('x')) << none << false;
    const QStringList notConfigured{UpdateNotConfiguredText()};
    QTest::newRow("no public key") << "no key" << newer << notConfigured << false;
    QTest::newRow("no update host") << "no host" << newer << notConfigured << false;
}

void tst_updatecheck::checkAgainstHost()
{
    QFETCH(QString, mode);
    QFETCH(QString, list);
    QFETCH(QStringList, messages);
    QFETCH(bool, updaterStarted);

    TestPlatform tp;
    UpdateServer server;
    QTemporaryDir folder;
    if (mode != QStringLiteral("no updater"))
        writeFile(folder.filePath(QStringLiteral("Tarvek_Guncelleme")),
                  VersionedScript(QStringLiteral("1.0.0.3")));
    if (mode != QStringLiteral("no program"))
        writeFile(folder.filePath(QStringLiteral("TarvekFOTO")),
                  VersionedScript(QStringLiteral("1.0.0.5")));
    const QString marker = AfterUpdateMarker(folder.path());
    if (mode == QStringLiteral("after update"))
        writeFile(marker, {});

    platform::Deployment d = server.deployment();
    d.updateTimeoutMs = 500;
    if (mode == QStringLiteral("unreachable")) {
        // A port that was just free: nothing listens there.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        d.updateHost = QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort());
        probe.close();
    }
    if (mode == QStringLiteral("no key"))
        d.updatePublicKey.clear();
    if (mode == QStringLiteral("no host"))
        d.updateHost.clear();
    platform::Deployment::setCurrent(d);

    const QByteArray bytes = list.toLatin1();
    server.serveSigned(UpdateServer::listPath(), bytes,
                       mode == QStringLiteral("other key") ? NewKeyPair() : VendorKey());
    if (mode == QStringLiteral("unsigned"))
        server.serve(UpdateServer::listPath() + QStringLiteral(".sig"), {404, {}});
    if (mode == QStringLiteral("tampered"))
        server.serve(UpdateServer::listPath(),
                     {200, QByteArray(bytes).replace("1.0.0.6", "1.0.0.7")});
    if (mode == QStringLiteral("error") || mode == QStringLiteral("trickle"))
        server.serve(UpdateServer::listPath(),
                     {mode == QStringLiteral("error") ? 500 : 200, bytes, mode == "trickle"});

    bool ended = false;
    try {
        CheckForUpdates(folder.path());
    } catch (const ProcessEnded &) {
        ended = true;
    }
    platform::Deployment::setCurrent(platform::Deployment::builtIn());
    QCOMPARE(tp.messages->texts(), messages);
    QCOMPARE(ended, updaterStarted);
    QCOMPARE(tp.launcher->calls.size(), updaterStarted ? 1 : 0);
    if (updaterStarted) {
        QCOMPARE(tp.launcher->calls.first().program, folder.filePath("Tarvek_Guncelleme"));
        QVERIFY(tp.launcher->calls.first().args.isEmpty());
    }
    for (const auto &m : tp.messages->shown)
        QCOMPARE(m.icon, m.text == UpdateNotConfiguredText() ? platform::MsgIcon::Information
                                                             : platform::MsgIcon::Critical);
    QVERIFY(!QFileInfo::exists(marker));
    const QStringList noFetch{"unreachable", "no key", "no host", "no updater", "after update"};
    QCOMPARE(server.requests(UpdateServer::listPath()) > 0, !noFetch.contains(mode));
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
