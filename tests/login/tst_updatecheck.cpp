#include "core/updatecheck.h"
#include "core/updatesource.h"
#include "core/versionlist.h"
#include "core/workstation.h"
#include "logindemo.h"
#include "platform/testing/testplatform.h"
#include "updateserver.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using platform::testing::TestPlatform;

namespace {
const QString kNoFile = QStringLiteral("<no file>");
const auto line = &ListLine;

void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}
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
    const QString crlf = QStringLiteral("\r\n");
    QTest::newRow("same revision written differently")
        << line(foto, "1.0.0.12") << "1.0.1.2" << false;
    QTest::newRow("minor compared as text") << line(foto, "1.10.0.0") << "1.9.0.0" << false;
    QTest::newRow("two parts beat a lower minor") << line(foto, "2.1") << "2.0.5.5" << true;
    QTest::newRow("two parts equal") << line(foto, "2.1") << "2.1.0.0" << false;
    QTest::newRow("three parts take part two") << line(foto, "1.0.13") << "1.0.1.2" << true;
    QTest::newRow("one part is below any minor") << line(foto, "1") << "1.0.0.0" << false;
    QTest::newRow("comment line with commas skipped")
        << "'x," + line(foto, "9.9.9.9") + crlf + line(foto, "1.0.0.1") << "1.0.0.1" << false;
    QTest::newRow("comma-less line first spoils the list")
        << "Tarvek listesi" + crlf + line(foto, "9.0.0.0") << "1.0.0.1" << false;
    QTest::newRow("fewer than ten fields") << "x,TarvekFOTO.zip,a,b,9.0.0.0"
                                           << "1.0.0.1" << false;
    QTest::newRow("non-numeric revision") << line(foto, "9.0.x.1") << "1.0.0.1" << false;
    QTest::newRow("largest parts count")
        << line(foto, "1.0.32767.32767") << "1.0.32767.32766" << true;
    QTest::newRow("part over 16 bits") << line(foto, "9.0.0.32768") << "1.0.0.1" << false;
    QTest::newRow("part at the int limit") << line(foto, "9.0.2147483647.9") << "1.0.0.1" << false;
    QTest::newRow("installed file without version") << line(foto, "9.0.0.0") << "" << false;
    QTest::newRow("installed file missing") << line(foto, "9.0.0.0") << kNoFile << false;
    QTest::newRow("empty version, second line decides")
        << line(foto, "") + crlf + line(foto, "1.0.0.9") << "1.0.0.1" << true;
    QTest::newRow("first line with a version decides")
        << line(foto, "1.0.0.1") + crlf + line(foto, "9.0.0.0") << "1.0.0.1" << false;
    QTest::newRow("package name is case-sensitive")
        << line("tarvekfoto.zip", "9.0.0.0") << "1.0.0.1" << false;
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
        writeFile(folder.filePath(QStringLiteral("TarvekFOTO")),
                  installed.isEmpty() ? QByteArray("#!/bin/sh\n") : VersionedScript(installed));
    QCOMPARE(UpdateNeeded(list, folder.path() + QLatin1Char('\\'), QStringLiteral("TarvekFOTO")),
             expected);
}

void tst_updatecheck::checkAgainstHost_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QStringList>("messages");

    const QString programUpdate =
        QStringLiteral("TarvekFOTO uygulamasını ilgilendiren kritik bir güncelleme mevcut..\r"
                       "Tarvek YDS uygulaması kapanacak ve Güncelleme programı çalışacaktır...");
    const QString updaterUpdate = QStringLiteral(
        "Tarvek Guncelleme uygulamasını ilgilendiren kritik bir güncelleme mevcut..");
    const QString upToDate =
        line("TarvekFOTO.zip", "1.0.0.5") + "\r\n" + line("Tarvek_Guncelleme.zip", "1.0.0.3");
    const QString newer = line("TarvekFOTO.zip", "1.0.0.6");
    const QStringList none;
    QTest::newRow("empty list") << "signed" << QString() << none;
    QTest::newRow("slower than the limit") << "trickle" << newer << none;
    QTest::newRow("up to date") << "signed" << upToDate << none;
    QTest::newRow("both out of date")
        << "signed" << newer + "\r\n" + line("Tarvek_Guncelleme.zip", "1.1")
        << QStringList{programUpdate, updaterUpdate};
    QTest::newRow("updater only") << "signed"
                                  << line("TarvekFOTO.zip", "1.0.0.5") + "\r\n" +
                                         line("Tarvek_Guncelleme.zip", "1.0.0.4")
                                  << QStringList{updaterUpdate};
    QTest::newRow("program file missing") << "no program" << upToDate << QStringList{programUpdate};
    QTest::newRow("updater missing")
        << "no updater" << newer
        << QStringList{QStringLiteral("Güncelleme Uygulaması bulunamadı...\r\n"
                                      "Lütfen KORA BİLİŞİM'i arayınız...")};
    // The updater has just started the program: whatever the list says, it is not run again.
    QTest::newRow("right after an update") << "after update" << newer << none;
    // Only a list the vendor's key signed counts.
    QTest::newRow("unsigned list") << "unsigned" << newer << none;
    QTest::newRow("tampered list") << "tampered" << newer << none;
    QTest::newRow("signed by another key") << "other key" << newer << none;
    QTest::newRow("list over the size limit")
        << "signed" << newer + "\r\n'" + QString(64 * 1024, QLatin1Char('x')) << none;
    QTest::newRow("no public key") << "no key" << newer << QStringList{UpdateNotConfiguredText()};
    QTest::newRow("no update host") << "no host" << newer << QStringList{UpdateNotConfiguredText()};
}

void tst_updatecheck::checkAgainstHost()
{
    QFETCH(QString, mode);
    QFETCH(QString, list);
    QFETCH(QStringList, messages);

    TestPlatform tp;
    UpdateServer server;
    QTemporaryDir folder;
    if (mode != "no updater")
        writeFile(folder.filePath("Tarvek_Guncelleme"), VersionedScript("1.0.0.3"));
    if (mode != "no program")
        writeFile(folder.filePath("TarvekFOTO"), VersionedScript("1.0.0.5"));
    if (mode == "after update")
        writeFile(AfterUpdateMarker(folder.path()), {});

    platform::Deployment d = server.deployment();
    d.updateTimeoutMs = 500;
    if (mode == "no key")
        d.updatePublicKey.clear();
    if (mode == "no host")
        d.updateHost.clear();
    platform::Deployment::setCurrent(d);
    const QByteArray bytes = list.toLatin1();
    server.serveSigned(UpdateServer::listPath(), bytes,
                       mode == "other key" ? NewKeyPair() : VendorKey());
    if (mode == "unsigned")
        server.drop(UpdateServer::listPath() + ".sig");
    if (mode == "tampered")
        server.serve(UpdateServer::listPath(), {QByteArray(bytes).replace("6", "7")});
    if (mode == "trickle")
        server.serve(UpdateServer::listPath(), {bytes, true});

    bool ended = false;
    try {
        CheckForUpdates(folder.path());
    } catch (const platform::ProcessEnded &) {
        ended = true;
    }
    platform::Deployment::setCurrent(platform::Deployment::builtIn());
    QCOMPARE(tp.messages->texts(), messages);
    for (const auto &m : tp.messages->shown)
        QCOMPARE(m.icon, m.text == UpdateNotConfiguredText() ? platform::MsgIcon::Information
                                                             : platform::MsgIcon::Critical);
    // The updater is started, once and without arguments, exactly when an update was announced.
    const bool updating = !messages.isEmpty() && messages.first().contains("kritik");
    QCOMPARE(ended, updating);
    QCOMPARE(tp.launcher->calls.size(), updating ? 1 : 0);
    if (updating)
        QCOMPARE(tp.launcher->calls.first().program, folder.filePath("Tarvek_Guncelleme"));
    QVERIFY(!QFileInfo::exists(AfterUpdateMarker(folder.path())));
    const QStringList noFetch{"no key", "no host", "no updater", "after update"};
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
