#include "core/hostutil.h"
#include "core/updatesource.h"
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

// Stored unless deflate is asked for: a test can then reach a file's bytes inside the package.
QByteArray zipOf(const std::vector<std::pair<QString, QByteArray>> &files, bool deflate = false)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.zip"));
    archive *a = archive_write_new();
    archive_write_set_format_zip(a);
    archive_write_set_options(a, deflate ? "zip:compression=deflate" : "zip:compression=store");
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
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every file under a folder with its bytes (the installed program "as it was").
Files snapshot(const QString &folder)
{
    Files files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly))
            files[QDir(folder).relativeFilePath(f.fileName())] = f.readAll();
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

const QByteArray kOldProgram = VersionedScript(QStringLiteral("1.0.0.5"));
const QByteArray kNewProgram = VersionedScript(QStringLiteral("1.0.0.7"), "echo yeni\n");
const QByteArray kNewUpdater = VersionedScript(QStringLiteral("1.0.0.4"));
const QString kProgramZip = UpdateServer::packagePath(QStringLiteral("TarvekFOTO.zip"));
const QString kUpdaterZip = UpdateServer::packagePath(QStringLiteral("Tarvek_Guncelleme.zip"));
} // namespace

class tst_updater : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void update_data();
    void update();
    void secondUpdaterLeavesQuietly();
    void realUpdaterRecoversFromAKilledRun();

private:
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
    writeFile(folder() + QStringLiteral("/TarvekFOTO"), kOldProgram);
    writeFile(folder() + QStringLiteral("/Tarvek_Guncelleme"), VersionedScript("1.0.0.3"));
    writeFile(folder() + QStringLiteral("/ayar/okunacak.txt"), "eski");
    writeFile(folder() + QStringLiteral("/belgeler"), "bir dosya, klasör değil");
    m_server->serveSigned(UpdateServer::listPath(),
                          (ListLine("TarvekFOTO.zip", "1.0.0.7") + "\r\n" +
                           ListLine("Tarvek_Guncelleme.zip", "1.0.0.4"))
                              .toLatin1());
}

void tst_updater::cleanup()
{
    platform::Deployment::setCurrent(platform::Deployment::builtIn());
    m_folder.reset();
    m_server.reset();
    m_tp.reset();
}

void tst_updater::update_data()
{
    QTest::addColumn<QByteArray>("programPackage");
    QTest::addColumn<QString>("how"); // how the program's package is served
    QTest::addColumn<QByteArray>("updaterPackage");
    QTest::addColumn<QString>("message"); // "": the update succeeds

    const QByteArray good = zipOf({{"TarvekFOTO", kNewProgram},
                                   {"ayar/okunacak.txt", "yeni"},
                                   {"dokumanlar/yeni.txt", "ek"}});
    const QByteArray updater = zipOf({{"Tarvek_Guncelleme", kNewUpdater}});
    QTest::newRow("correctly signed packages") << good << "signed" << updater << "";
    const QString badSignature =
        QStringLiteral("Güncelleme paketinin imzası doğrulanamadı: TarvekFOTO.zip");
    QTest::newRow("unsigned package") << good << "unsigned" << updater << badSignature;
    QTest::newRow("tampered after signing") << good << "tampered" << updater << badSignature;
    QTest::newRow("signed by another key") << good << "other key" << updater << badSignature;
    QTest::newRow("no list") << good << "no list" << updater
                             << "Güncelleme listesi alınamadı (HTTP 404)...";
    QTest::newRow("package over its limit")
        << zipOf({{"TarvekFOTO", kNewProgram}, {"ek", QByteArray(70 * 1024, 'x')}}) << "signed"
        << updater << "Güncelleme paketi indirilemedi: TarvekFOTO.zip (boyut sınırı aşıldı";
    QTest::newRow("trickling host")
        << good << "trickle" << updater << "Güncelleme süre sınırını aştı (1 sn).";
    QTest::newRow("cancelled") << good << "cancel" << updater << "Güncelleme iptal edildi.";
    const QString unpack = QStringLiteral("Güncelleme paketi açılamadı: ");
    QTest::newRow("signed, not an archive")
        << QByteArray("<html>Bakımdayız</html>") << "signed" << updater
        << unpack + "TarvekFOTO.zip (paket okunamadı)";
    QTest::newRow("zip bomb")
        << zipOf({{"TarvekFOTO", kNewProgram}, {"bomba", QByteArray(4 << 20, '\0')}}, true)
        << "signed" << updater << unpack + "TarvekFOTO.zip (açılınca 1.0 MB sınırını aşıyor)";
    QTest::newRow("path outside the folder")
        << zipOf({{"TarvekFOTO", kNewProgram}, {"../../disari.txt", "x"}}) << "signed" << updater
        << unpack + "TarvekFOTO.zip (geçersiz dosya yolu: ../../disari.txt)";
    QTest::newRow("package without the program")
        << zipOf({{"ayar/okunacak.txt", "yeni"}}) << "signed" << updater
        << "Güncelleme paketi bozuk: TarvekFOTO.zip (paket programı içermiyor)";
    QTest::newRow("package older than listed")
        << zipOf({{"TarvekFOTO", VersionedScript(QStringLiteral("1.0.0.6"))}}) << "signed"
        << updater
        << "Güncelleme paketi bozuk: TarvekFOTO.zip (paketteki sürüm listedekinden eski)";
    QTest::newRow("second package broken")
        << good << "signed" << QByteArray("PK\x03\x04 kesik") << unpack + "Tarvek_Guncelleme.zip";
    QTest::newRow("second package fails to place")
        << good << "signed"
        << zipOf({{"Tarvek_Guncelleme", kNewUpdater}, {"belgeler/x.txt", "bir dosyanın altına"}})
        << "Güncelleme dosyaları yerine konulamadı...";
}

void tst_updater::update()
{
    QFETCH(QByteArray, programPackage);
    QFETCH(QString, how);
    QFETCH(QByteArray, updaterPackage);
    QFETCH(QString, message);

    m_server->serveSigned(kProgramZip, programPackage,
                          how == QStringLiteral("other key") ? NewKeyPair() : VendorKey());
    m_server->serveSigned(kUpdaterZip, updaterPackage);
    if (how == QStringLiteral("unsigned"))
        m_server->drop(kProgramZip + QStringLiteral(".sig"));
    if (how == QStringLiteral("tampered"))
        m_server->serve(kProgramZip, {QByteArray(programPackage).replace("yeni", "YENI")});
    if (how == QStringLiteral("no list"))
        m_server->drop(UpdateServer::listPath());
    if (how == QStringLiteral("trickle") || how == QStringLiteral("cancel"))
        m_server->serve(kProgramZip, {{}, true});
    platform::Deployment d = m_server->deployment();
    d.updatePackageMaxBytes = 64 * 1024;
    d.updateUnpackedMaxBytes = 1024 * 1024;
    d.updateOverallTimeoutMs = how == QStringLiteral("trickle") ? 1000 : 60000;
    platform::Deployment::setCurrent(d);

    const Files before = snapshot(folder());
    UpdateControl control;
    control.onStatus = [&](const QString &text) {
        if (how == QStringLiteral("cancel") && text.contains(QStringLiteral("indiriliyor")))
            control.cancel();
    };
    const int exitCode = RunUpdater(folder(), control);
    // Either way the operator works on with the program, which will not start us again.
    QCOMPARE(m_tp->launcher->calls.size(), 1);
    QCOMPARE(m_tp->launcher->calls.first().program, folder() + QStringLiteral("/TarvekFOTO"));
    QVERIFY(QFile::remove(AfterUpdateMarker(folder())));
    Files expected = before;
    if (message.isEmpty()) {
        QCOMPARE(exitCode, 0);
        QCOMPARE(m_tp->messages->texts(), QStringList());
        expected["TarvekFOTO"] = kNewProgram;
        expected["Tarvek_Guncelleme"] = kNewUpdater;
        expected["ayar/okunacak.txt"] = "yeni";
        expected["dokumanlar/yeni.txt"] = "ek";
        QVERIFY(QFileInfo(folder() + QStringLiteral("/TarvekFOTO")).isExecutable());
    } else {
        QCOMPARE(exitCode, 1);
        QCOMPARE(m_tp->messages->shown.size(), 1);
        const QString shown = m_tp->messages->shown.first().text;
        QVERIFY2(shown.startsWith(message), qPrintable(shown));
        QVERIFY(shown.contains(QStringLiteral("Kurulu program değiştirilmedi.")));
    }
    // Nothing else: no staging folder, no lock, no stray file.
    QCOMPARE(snapshot(folder()), expected);
}

void tst_updater::secondUpdaterLeavesQuietly()
{
    QLockFile running(folder() + QLatin1Char('/') + UpdateLockFileName());
    QVERIFY(running.tryLock(0));
    UpdateControl control;
    QCOMPARE(RunUpdater(folder(), control), 1);
    QVERIFY(m_tp->messages->shown.isEmpty());
    QVERIFY(m_tp->launcher->calls.isEmpty());
    QCOMPARE(m_server->requests(UpdateServer::listPath()), 0);
}

// The real program, as the update check starts it, configured by the deployment file beside it:
// killed in the middle of a download, then started again over what it left behind.
void tst_updater::realUpdaterRecoversFromAKilledRun()
{
    const QString updater = folder() + QStringLiteral("/Tarvek_Guncelleme");
    QFile::remove(updater);
    QVERIFY(QFile::copy(QStringLiteral(TARVEK_UPDATER_FILE), updater));
    writeFile(folder() + QStringLiteral("/tarvek-deployment.ini"),
              "[update]\nhost=" + m_server->host().toLatin1() +
                  "\npublic_key=" + VendorKey().publicKey.toBase64() + "\ntimeout_ms=5000\n");
    m_server->serveSigned(UpdateServer::listPath(),
                          (ListLine("TarvekFOTO.zip", "1.0.0.7") + "\r\n" +
                           ListLine("Tarvek_Guncelleme.zip", FileVersionText(updater)))
                              .toLatin1());
    m_server->serve(kProgramZip, {{}, true});
    QProcess p;
    p.start(updater, {});
    const auto leftovers = [&] {
        return QDir(folder()).entryList({".guncelleme*"}, QDir::AllEntries | QDir::Hidden);
    };
    QTRY_COMPARE_WITH_TIMEOUT(leftovers().size(), 2, 20000); // the lock and a staging folder
    p.kill();
    QVERIFY(p.waitForFinished(10000));
    // A swap cut short by the kill as well: the file it had replaced goes back.
    writeFile(folder() + QStringLiteral("/.guncelleme-kesik/eski/ayar/okunacak.txt"), "eski");
    writeFile(folder() + QStringLiteral("/ayar/okunacak.txt"), "yarım");

    const QByteArray started = VersionedScript(
        QStringLiteral("1.0.0.7"), "echo basladi > \"$(dirname \"$0\")/basladi.txt\"\n");
    m_server->serveSigned(kProgramZip, zipOf({{"TarvekFOTO", started}}));
    p.start(updater, {});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(folder() + QStringLiteral("/basladi.txt")), 10000);
    QCOMPARE(FileVersionText(folder() + QStringLiteral("/TarvekFOTO")), QStringLiteral("1.0.0.7"));
    QCOMPARE(snapshot(folder()).at("ayar/okunacak.txt"), QByteArray("eski"));
    // What is left is the marker for the program, which it removes at its check.
    QCOMPARE(leftovers(), QStringList{".guncelleme.bitti"});
}

QTEST_MAIN(tst_updater)
#include "tst_updater.moc"
