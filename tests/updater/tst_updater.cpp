#include "core/hostutil.h"
#include "core/versionlist.h"
#include "platform/deployment.h"
#include "platform/testing/testplatform.h"
#include "updater.h"
#include "updateserver.h"

#include <QDirIterator>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <archive.h>
#include <archive_entry.h>

#include <map>

using platform::testing::TestPlatform;

namespace {
using Files = std::map<QString, QByteArray>;

QByteArray zipOf(const std::vector<std::pair<QString, QByteArray>> &files)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.zip"));
    archive *a = archive_write_new();
    archive_write_set_format_zip(a);
    // Stored, not deflated: a test can reach a file's bytes inside the package.
    archive_write_set_options(a, "zip:compression=store");
    archive_write_open_filename(a, QFile::encodeName(path).constData());
    for (const auto &[name, data] : files) {
        archive_entry *e = archive_entry_new();
        archive_entry_set_pathname(e, name.toUtf8().constData());
        archive_entry_set_size(e, data.size());
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_perm(e, 0755);
        archive_write_header(a, e);
        archive_write_data(a, data.constData(), size_t(data.size()));
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// Every file under a folder with its bytes (the installed program "as it was").
Files snapshot(const QString &folder)
{
    Files files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            files[QDir(folder).relativeFilePath(path)] = f.readAll();
    }
    return files;
}

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
    f.setPermissions(f.permissions() | QFile::ExeOwner);
}

QString line(const QString &zip, const QString &version)
{
    return QStringLiteral("Tarvek2000,%1,a,b,c,d,e,f,g,%2").arg(zip, version);
}

const QByteArray kOldProgram = VersionedScript(QStringLiteral("1.0.0.5"));
const QByteArray kNewProgram = VersionedScript(QStringLiteral("1.0.0.7"), "echo yeni\n");
const QByteArray kUpdaterFile = VersionedScript(QStringLiteral("1.0.0.3"));
} // namespace

class tst_updater : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void newerPackageReplacesTheProgram();
    void brokenUpdateChangesNothing_data();
    void brokenUpdateChangesNothing();
    void upToDateOnlyStartsTheProgram();
    void unreachableListStartsTheOldProgram();
    void secondUpdaterLeavesQuietly();
    void unpackRefusesPathsOutsideTheFolder();
    void realUpdaterReplacesAndRestarts();

private:
    void serveList(const QString &list);
    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<UpdateServer> m_server;
    std::unique_ptr<QTemporaryDir> m_folder;
    QString folder() const { return m_folder->path(); }
};

void tst_updater::init()
{
    m_tp = std::make_unique<TestPlatform>();
    m_server = std::make_unique<UpdateServer>();
    m_folder = std::make_unique<QTemporaryDir>();
    platform::Deployment d = platform::Deployment::builtIn();
    d.updateHost = m_server->host();
    d.updateTimeoutMs = 2000;
    platform::Deployment::setCurrent(d);
    writeFile(folder() + QStringLiteral("/TarvekFOTO"), kOldProgram);
    writeFile(folder() + QStringLiteral("/Tarvek_Guncelleme"), kUpdaterFile);
    writeFile(folder() + QStringLiteral("/ayar/okunacak.txt"), "eski");
    writeFile(folder() + QStringLiteral("/belgeler"), "bir dosya, klasör değil");
}

void tst_updater::cleanup()
{
    platform::Deployment::setCurrent(platform::Deployment::builtIn());
    m_folder.reset();
    m_server.reset();
    m_tp.reset();
}

void tst_updater::serveList(const QString &list)
{
    m_server->serve(UpdateServer::listPath(), {200, list.toLatin1(), false});
}

void tst_updater::newerPackageReplacesTheProgram()
{
    serveList(line("TarvekFOTO.zip", "1.0.0.7") + "\r\n" +
              line("Tarvek_Guncelleme.zip", "1.0.0.3"));
    m_server->serve(UpdateServer::packagePath("TarvekFOTO"),
                    {200,
                     zipOf({{"TarvekFOTO", kNewProgram},
                            {"ayar/okunacak.txt", "yeni"},
                            {"dokumanlar/yeni.txt", "ek"}}),
                     false});

    QCOMPARE(RunUpdater(folder()), 0);
    QVERIFY(m_tp->messages->shown.isEmpty());
    const Files after = snapshot(folder());
    QCOMPARE(after.at("TarvekFOTO"), kNewProgram);
    QCOMPARE(after.at("ayar/okunacak.txt"), QByteArray("yeni"));
    QCOMPARE(after.at("dokumanlar/yeni.txt"), QByteArray("ek"));
    QCOMPARE(after.at("Tarvek_Guncelleme"), kUpdaterFile);
    QCOMPARE(after.size(), size_t(5)); // no staging left behind
    QVERIFY(QFileInfo(folder() + QStringLiteral("/TarvekFOTO")).isExecutable());
    QCOMPARE(m_server->requests(UpdateServer::packagePath("Tarvek_Guncelleme")), 0);
    QCOMPARE(m_tp->launcher->calls.size(), 1);
    QCOMPARE(m_tp->launcher->calls.first().program, folder() + QStringLiteral("/TarvekFOTO"));
    // The program that starts now finds itself up to date.
    QVERIFY(OutdatedPackages(line("TarvekFOTO.zip", "1.0.0.7"), folder()).isEmpty());
}

void tst_updater::brokenUpdateChangesNothing_data()
{
    QTest::addColumn<QByteArray>("programPackage"); // "" = not served
    QTest::addColumn<QByteArray>("updaterPackage");
    QTest::addColumn<QString>("message");

    const QByteArray good = zipOf({{"TarvekFOTO", kNewProgram}, {"ayar/okunacak.txt", "yeni"}});
    const QByteArray goodUpdater =
        zipOf({{"Tarvek_Guncelleme", VersionedScript(QStringLiteral("1.0.0.4"))}});
    QTest::newRow("truncated package")
        << good.left(good.size() - 40) << goodUpdater << "Güncelleme paketi bozuk: TarvekFOTO.zip";
    QTest::newRow("not an archive") << QByteArray("<html>Bakımdayız</html>") << goodUpdater
                                    << "Güncelleme paketi bozuk: TarvekFOTO.zip";
    QByteArray corrupt = good;
    QVERIFY(corrupt.contains("echo yeni"));
    corrupt[corrupt.indexOf("echo yeni")] = 'E'; // stored data no longer matches its checksum
    QTest::newRow("bad checksum") << corrupt << goodUpdater
                                  << "Güncelleme paketi bozuk: TarvekFOTO.zip";
    QTest::newRow("package not on the host")
        << QByteArray() << goodUpdater << "Güncelleme paketi indirilemedi: TarvekFOTO.zip";
    QTest::newRow("package without the program")
        << zipOf({{"ayar/okunacak.txt", "yeni"}}) << goodUpdater
        << "Güncelleme paketi bozuk: TarvekFOTO.zip (paket programı içermiyor)";
    QTest::newRow("package older than listed")
        << zipOf({{"TarvekFOTO", VersionedScript(QStringLiteral("1.0.0.6"))}}) << goodUpdater
        << "Güncelleme paketi bozuk: TarvekFOTO.zip (paketteki sürüm listedekinden eski)";
    QTest::newRow("second package broken") << good << QByteArray("PK\x03\x04 kesik")
                                           << "Güncelleme paketi bozuk: Tarvek_Guncelleme.zip";
    QTest::newRow("second package fails to place")
        << good
        << zipOf({{"Tarvek_Guncelleme", VersionedScript(QStringLiteral("1.0.0.4"))},
                  {"belgeler/x.txt", "bir dosyanın altına"}})
        << "Güncelleme dosyaları yerine konulamadı...";
}

void tst_updater::brokenUpdateChangesNothing()
{
    QFETCH(QByteArray, programPackage);
    QFETCH(QByteArray, updaterPackage);
    QFETCH(QString, message);

    serveList(line("TarvekFOTO.zip", "1.0.0.7") + "\r\n" +
              line("Tarvek_Guncelleme.zip", "1.0.0.4"));
    if (!programPackage.isEmpty())
        m_server->serve(UpdateServer::packagePath("TarvekFOTO"), {200, programPackage, false});
    m_server->serve(UpdateServer::packagePath("Tarvek_Guncelleme"), {200, updaterPackage, false});

    const Files before = snapshot(folder());
    QCOMPARE(RunUpdater(folder()), 1);
    QCOMPARE(snapshot(folder()), before);
    QCOMPARE(m_tp->messages->shown.size(), 1);
    const auto shown = m_tp->messages->shown.first();
    QVERIFY2(shown.text.startsWith(message), qPrintable(shown.text));
    QVERIFY(shown.text.contains(QStringLiteral("Kurulu program değiştirilmedi.")));
    QCOMPARE(shown.icon, platform::MsgIcon::Critical);
    // Starting the old program would only bring the operator back here.
    QVERIFY(m_tp->launcher->calls.isEmpty());
}

void tst_updater::upToDateOnlyStartsTheProgram()
{
    serveList(line("TarvekFOTO.zip", "1.0.0.5") + "\r\n" +
              line("Tarvek_Guncelleme.zip", "1.0.0.3"));
    const Files before = snapshot(folder());
    QCOMPARE(RunUpdater(folder()), 0);
    QCOMPARE(snapshot(folder()), before);
    QVERIFY(m_tp->messages->shown.isEmpty());
    QCOMPARE(m_tp->launcher->calls.size(), 1);
    QCOMPARE(m_server->requests(UpdateServer::packagePath("TarvekFOTO")), 0);
}

void tst_updater::unreachableListStartsTheOldProgram()
{
    const Files before = snapshot(folder());
    QCOMPARE(RunUpdater(folder()), 1);
    QCOMPARE(snapshot(folder()), before);
    QCOMPARE(m_tp->messages->shown.size(), 1);
    QVERIFY(m_tp->messages->shown.first().text.startsWith(
        QStringLiteral("Güncelleme listesi alınamadı...")));
    QCOMPARE(m_tp->launcher->calls.size(), 1);
}

void tst_updater::secondUpdaterLeavesQuietly()
{
    serveList(line("TarvekFOTO.zip", "1.0.0.7"));
    m_server->serve(UpdateServer::packagePath("TarvekFOTO"),
                    {200, zipOf({{"TarvekFOTO", kNewProgram}}), false});
    QLockFile running(folder() + QLatin1Char('/') + UpdateLockFileName());
    QVERIFY(running.tryLock(0));
    const Files before = snapshot(folder());
    QCOMPARE(RunUpdater(folder()), 1);
    QCOMPARE(snapshot(folder()), before);
    QVERIFY(m_tp->messages->shown.isEmpty());
    QVERIFY(m_tp->launcher->calls.isEmpty());
    QCOMPARE(m_server->requests(UpdateServer::listPath()), 0);
}

void tst_updater::unpackRefusesPathsOutsideTheFolder()
{
    QTemporaryDir work;
    writeFile(work.filePath(QStringLiteral("p.zip")),
              zipOf({{"TarvekFOTO", kNewProgram}, {"../disari.txt", "x"}}));
    const UnpackResult r = UnpackPackage(work.filePath(QStringLiteral("p.zip")),
                                         work.filePath(QStringLiteral("hedef")));
    QVERIFY(!r.ok);
    QVERIFY(!QFileInfo::exists(work.filePath(QStringLiteral("disari.txt"))));
}

// The real program, as the update check starts it: a copy beside a stand-in TarvekFOTO, its
// update host given by the deployment file beside it.
void tst_updater::realUpdaterReplacesAndRestarts()
{
    const QString updater = folder() + QStringLiteral("/Tarvek_Guncelleme");
    QFile::remove(updater);
    QVERIFY(QFile::copy(QStringLiteral(TARVEK_UPDATER_FILE), updater));
    const QString ownVersion = FileVersionText(updater);
    QVERIFY(!ownVersion.isEmpty());
    writeFile(folder() + QStringLiteral("/tarvek-deployment.ini"),
              "[update]\nhost=" + m_server->host().toLatin1() + "\ntimeout_ms=5000\n");
    serveList(line("TarvekFOTO.zip", "1.0.0.7") + "\r\n" +
              line("Tarvek_Guncelleme.zip", ownVersion));
    const QByteArray started = VersionedScript(
        QStringLiteral("1.0.0.7"), "echo basladi > \"$(dirname \"$0\")/basladi.txt\"\n");
    m_server->serve(UpdateServer::packagePath("TarvekFOTO"),
                    {200, zipOf({{"TarvekFOTO", started}}), false});

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("TARVEK_DEPLOYMENT"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(updater, {});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(folder() + QStringLiteral("/basladi.txt")), 10000);
    QCOMPARE(FileVersionText(folder() + QStringLiteral("/TarvekFOTO")), QStringLiteral("1.0.0.7"));
}

QTEST_MAIN(tst_updater)
#include "tst_updater.moc"
