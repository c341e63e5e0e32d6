// The updater against a local update host: what it installs, what it refuses (and then leaves
// the installed program exactly as it was), and the real program recovering from a killed run.
#include "core/hostutil.h"
#include "core/updatesource.h"
#include "updater.h"
#include "updateserver.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <archive.h>
#include <archive_entry.h>

#include <map>

namespace {
using Files = std::map<QString, QByteArray>;

// Stored unless deflate is asked for: a test can then reach a file's bytes inside the package.
QByteArray zipOf(const Files &files, bool deflate = false)
{
    QByteArray zip(8 << 20, '\0');
    size_t used = 0;
    archive *a = archive_write_new();
    archive_write_set_format_zip(a);
    archive_write_set_options(a, deflate ? "zip:compression=deflate" : "zip:compression=store");
    archive_write_open_memory(a, zip.data(), size_t(zip.size()), &used);
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
    return zip.left(qsizetype(used));
}

// Every file under a folder with its bytes (the installed program "as it was").
Files snapshot(const QString &folder)
{
    Files files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        files[QDir(folder).relativeFilePath(f.fileName())] =
            f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    return files;
}

const QByteArray kNewProgram = VersionedScript(QStringLiteral("1.0.0.7"), "echo yeni\n");
const QByteArray kNewUpdater = VersionedScript(QStringLiteral("1.0.0.4"));
const QString kProgramZip = QStringLiteral("TarvekFOTO.zip");
} // namespace

class tst_updater : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void update_data()
    {
        QTest::addColumn<QByteArray>("programPackage");
        QTest::addColumn<QString>("how");     // how the packages are served
        QTest::addColumn<QString>("message"); // the beginning of what the operator is told
        const auto row = [](const char *name, const QByteArray &program, const char *how,
                            const QString &message) {
            QTest::newRow(name) << program << QString::fromUtf8(how) << message;
        };
        const QByteArray good = zipOf({{"TarvekFOTO", kNewProgram}});
        const QString badSignature =
            QStringLiteral("Güncelleme paketinin imzası doğrulanamadı: TarvekFOTO.zip");
        const QString unpack = QStringLiteral("Güncelleme paketi açılamadı: TarvekFOTO.zip (");
        row("unsigned package", good, "unsigned", badSignature);
        row("tampered after signing", good, "tampered", badSignature);
        row("signed by another key", good, "other key", badSignature);
        row("package over its limit",
            zipOf({{"TarvekFOTO", kNewProgram}, {"ek", QByteArray(70000, 'x')}}), "signed",
            "Güncelleme paketi indirilemedi: TarvekFOTO.zip (boyut sınırı aşıldı");
        row("trickling host", good, "trickle", "Güncelleme süre sınırını aştı (1 sn).");
        row("zip bomb",
            zipOf({{"TarvekFOTO", kNewProgram}, {"bomba", QByteArray(4 << 20, '\0')}}, true),
            "signed", unpack + "açılınca 1.0 MB sınırını aşıyor)");
        row("path outside the folder",
            zipOf({{"TarvekFOTO", kNewProgram}, {"../../disari.txt", "x"}}), "signed",
            unpack + "geçersiz dosya yolu: ../../disari.txt)");
        // Every package is checked before a file is touched; a failed swap puts back what it moved.
        row("second package fails to place", good, "misplaced",
            "Güncelleme dosyaları yerine konulamadı...");
    }

    void update()
    {
        QFETCH(QByteArray, programPackage);
        QFETCH(QString, how);
        QFETCH(QString, message);
        Installation at;
        Files updater{{"Tarvek_Guncelleme", kNewUpdater}};
        if (how == "misplaced") // a file under the name of an installed file
            updater["belgeler/x.txt"] = "bir dosyanın altına";
        at.serveSigned(QStringLiteral("Tarvek_Guncelleme.zip"), zipOf(updater));
        at.serveSigned(kProgramZip, programPackage, how == "other key" ? NewKeyPair() : kVendorKey);
        if (how == "unsigned")
            at.drop(kProgramZip + ".sig");
        if (how == "tampered")
            at.serve(kProgramZip, programPackage.replace("yeni", "YENI"));
        if (how == "trickle")
            at.trickle(kProgramZip);
        platform::Deployment d = platform::Deployment::current();
        d.updatePackageMaxBytes = 64 * 1024;
        d.updateUnpackedMaxBytes = 1024 * 1024;
        d.updateOverallTimeoutMs = how == "trickle" ? 1000 : 60000;
        platform::Deployment::setCurrent(d);
        Files expected = snapshot(at.dir.path());

        UpdateControl control;
        QCOMPARE(RunUpdater(at.dir.path(), control), 1);
        // The operator is told once and works on with the program, which will not start us again.
        const QStringList shown = at.tp.messages->texts();
        QVERIFY2(shown.size() == 1 && shown[0].startsWith(message), qPrintable(shown.join('|')));
        QCOMPARE(at.tp.launcher->calls.size(), 1);
        QCOMPARE(at.tp.launcher->calls[0].program, at.file("TarvekFOTO"));
        QVERIFY(QFile::remove(AfterUpdateMarker(at.dir.path())));
        // Nothing else: no staging folder, no lock, no stray file.
        QCOMPARE(snapshot(at.dir.path()), expected);
    }

    // The real program, as the update check starts it, configured by the deployment file beside
    // it: a second one leaves a running one alone; killed in the middle of a download, it is
    // started again over what it left behind and brings both programs up to date.
    void realUpdaterRecoversFromAKilledRun()
    {
        Installation at;
        const QString updater = at.file("Tarvek_Guncelleme");
        QVERIFY(QFile::remove(updater) &&
                QFile::copy(QStringLiteral(TARVEK_UPDATER_FILE), updater));
        QVERIFY(!FileVersionText(updater).isEmpty()); // or no list could ever update it
        at.list(QStringLiteral("9.0.0.0"));
        QVERIFY(WriteFile(at.file("tarvek-deployment.ini"),
                          "[update]\nhost=" + at.host.toLatin1() + "\npublic_key=" +
                              kVendorKey.publicKey.toBase64() + "\ntimeout_ms=5000\n"));
        at.trickle(kProgramZip);
        Files expected = snapshot(at.dir.path());
        QProcess p;
        p.start(updater, {});
        const auto leftovers = [&] {
            return QDir(at.dir.path()).entryList({".guncelleme*"}, QDir::AllEntries | QDir::Hidden);
        };
        QTRY_COMPARE_WITH_TIMEOUT(leftovers().size(), 2, 20000); // the lock and a staging folder
        QProcess second;
        second.start(updater, {});
        QVERIFY(second.waitForFinished(10000) && second.exitCode() == 1 && leftovers().size() == 2);
        p.kill();
        QVERIFY(p.waitForFinished(10000));
        // A swap cut short by the kill as well: the file it had replaced goes back.
        WriteFile(at.file(".guncelleme-kesik/eski/ayar/okunacak.txt"), "eski");
        WriteFile(at.file("ayar/okunacak.txt"), "yarım");

        const Files program{
            {"TarvekFOTO", VersionedScript(QStringLiteral("1.0.0.7"),
                                           "echo basladi > \"$(dirname \"$0\")/basladi.txt\"\n")},
            {"dokumanlar/yeni.txt", "ek"}};
        const Files newUpdater{{"Tarvek_Guncelleme", VersionedScript(QStringLiteral("9.0.0.0"))}};
        at.drop(kProgramZip + ".trickle");
        at.serveSigned(kProgramZip, zipOf(program));
        at.serveSigned(QStringLiteral("Tarvek_Guncelleme.zip"), zipOf(newUpdater));
        p.start(updater, {});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        // Both replaced, the program started and told that the update has run.
        for (const Files &installed : {program, newUpdater, Files{{"basladi.txt", "basladi\n"}}})
            for (const auto &[name, bytes] : installed)
                expected[name] = bytes;
        expected[".guncelleme.bitti"] = {};
        QTRY_COMPARE_WITH_TIMEOUT(snapshot(at.dir.path()), expected, 10000);
    }
};

QTEST_MAIN(tst_updater)
#include "tst_updater.moc"
