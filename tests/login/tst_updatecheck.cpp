// The update check at a start against a local update host: which lists announce an update (the
// version rules included), and that only a list the vendor's key signed is believed.
#include "core/updatecheck.h"
#include "core/updatesource.h"
#include "updateserver.h"

#include <QtTest>

class tst_updatecheck : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void check_data()
    {
        QTest::addColumn<QString>("mode"); // how the list is served, or what the folder lacks
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("installed"); // the program's version; "-": no program file
        QTest::addColumn<QStringList>("messages");
        const QString program = QStringLiteral(
            "TarvekFOTO uygulamasını ilgilendiren kritik bir güncelleme mevcut..\r"
            "Tarvek YDS uygulaması kapanacak ve Güncelleme programı çalışacaktır...");
        const auto row = [](const char *name, const char *mode, const QString &list,
                            const char *installed, const QStringList &messages = {}) {
            QTest::newRow(name) << QString::fromUtf8(mode) << list << QString::fromUtf8(installed)
                                << messages;
        };
        const auto line = [](const char *version) { return ListLine("TarvekFOTO.zip", version); };
        const QString crlf = QStringLiteral("\r\n"), newer = line("1.0.0.6");
        // Major and minor compare as text, the revision as a number; parts are signed 16 bits.
        row("up to date", "", line("1.0.0.5") + crlf + ListLine("Tarvek_Guncelleme.zip", "1.0.0.3"),
            "1.0.0.5");
        row("same revision written differently", "", line("1.0.0.12"), "1.0.1.2");
        row("minor compared as text", "", line("1.10.0.0"), "1.9.0.0");
        row("three parts take part two", "", line("1.0.13"), "1.0.1.2", {program});
        row("one part is below any minor", "", line("1"), "1.0.0.0");
        row("largest parts", "", line("1.0.32767.32767"), "1.0.32767.32766", {program});
        row("part over 16 bits", "", line("9.0.0.32768"), "1.0.0.1");
        row("first line with a version decides", "", line("1.0.0.1") + crlf + line("9.0.0.0"),
            "1.0.0.1");
        row("both out of date", "", newer + crlf + ListLine("Tarvek_Guncelleme.zip", "1.1"),
            "1.0.0.5",
            {program,
             "Tarvek Guncelleme uygulamasını ilgilendiren kritik bir güncelleme mevcut.."});
        row("program file missing", "", line("1.0.0.5"), "-", {program});
        row("updater missing", "no updater", newer, "1.0.0.5",
            {"Güncelleme Uygulaması bulunamadı...\r\nLütfen KORA BİLİŞİM'i arayınız..."});
        // The updater has just started the program: whatever the list says, it is not run again.
        row("right after an update", "after update", newer, "1.0.0.5");
        // Only a list the vendor's key signed, and that comes in time, counts.
        row("unsigned list", "unsigned", newer, "1.0.0.5");
        row("tampered list", "tampered", newer, "1.0.0.5");
        row("trickling host", "trickle", newer, "1.0.0.5");
        row("no public key", "no key", newer, "1.0.0.5", {UpdateNotConfiguredText()});
    }
    void check()
    {
        QFETCH(QString, mode);
        QFETCH(QString, list);
        QFETCH(QString, installed);
        QFETCH(QStringList, messages);
        Installation at;
        QVERIFY(installed == "-" ? QFile::remove(at.file("TarvekFOTO"))
                                 : WriteFile(at.file("TarvekFOTO"), VersionedScript(installed)));
        QVERIFY(mode != "no updater" || QFile::remove(at.file("Tarvek_Guncelleme")));
        QVERIFY(mode != "after update" || WriteFile(AfterUpdateMarker(at.dir.path()), {}));
        platform::Deployment d = platform::Deployment::current();
        d.updatePublicKey = mode == "no key" ? QString() : d.updatePublicKey;
        platform::Deployment::setCurrent(d);
        const QString file = QStringLiteral("versiyon2015.txt");
        at.serveSigned(file, list.toLatin1());
        if (mode == "unsigned")
            at.drop(file + ".sig");
        if (mode == "tampered")
            at.serve(file, list.toLatin1().replace("6", "7"));
        if (mode == "trickle")
            at.trickle(file);

        bool ended = false;
        try {
            CheckForUpdates(at.dir.path());
        } catch (const platform::ProcessEnded &) {
            ended = true;
        }
        QCOMPARE(at.tp.messages->texts(), messages);
        // The updater is started, once and without arguments, exactly when an update was told.
        const bool updating = !messages.isEmpty() && messages.first().contains("kritik");
        QCOMPARE(ended, updating);
        QCOMPARE(at.tp.launcher->calls.size(), updating ? 1 : 0);
        QVERIFY(!updating || (at.tp.launcher->calls[0].program == at.file("Tarvek_Guncelleme") &&
                              at.tp.launcher->calls[0].args.isEmpty()));
        QVERIFY(!QFileInfo::exists(AfterUpdateMarker(at.dir.path())));
    }
};

QTEST_MAIN(tst_updatecheck)
#include "tst_updatecheck.moc"
