// The platform layer, and the file version text the core reads through it.
#include "../core/rows.h"
#include "core/hostutil.h"
#include "platform/fileversion.h"
#include "platform/launcher.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/settingsstore.h"
#include "platform/signalfield.h"
#include "platform/testing/testplatform.h"
#include "platform/textcodec.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace platform;

class tst_platform : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void nativePaths_data()
    {
        QTest::addColumn<QString>("windows");
        QTest::addColumn<QString>("native");
        Row("drive", "c:\\tarvek2000word\\temp\\", "/r/c/tarvek2000word/temp/");
        Row("capital drive, program", "C:\\t\\FTH32.EXE", "/r/c/t/FTH32");
        Row("drive without a slash", "d:data.exe", "/r/d/data");
        Row("native stays", "/srv/ortak\\web\\a.exe.jpg", "/srv/ortak/web/a.exe.jpg");
        Row("doubled separators", "c:\\Şantiye\\\\ığ", "/r/c/Şantiye/ığ");
    }
    void nativePaths()
    {
        QFETCH(QString, windows);
        QFETCH(QString, native);
        QCOMPARE(PathMapper("/r/").programFile(windows), native);
    }

    void asciiCaseAndAnsiCodePage()
    {
        // Under tr_TR a locale fold would give "ı" for "I" and "İ" for "i".
        QCOMPARE(asciiLower("FOTO.JPG IŞIK"), QStringLiteral("foto.jpg iŞik"));
        QCOMPARE(asciiUpper("driver ığdır"), QStringLiteral("DRIVER ığDıR"));
        const QString text = "Çağrı Şükür Öğüt İı €";
        QCOMPARE(encodeAnsi(text).left(1), QByteArray("\xC7"));
        QCOMPARE(decodeAnsi(encodeAnsi(text)), text);
        QCOMPARE(decodeAnsi("\xDD\xFD\xDE\xFE\xD0\xF0"), QStringLiteral("İıŞşĞğ"));
        QCOMPARE(encodeAnsi("日"), QByteArray("?"));
    }

    void settingsApplicationNamesIgnoreCase()
    {
        QTemporaryDir dir;
        NativeSettingsService native(dir.path());
        MemorySettingsService memory;
        for (SettingsService *store :
             {static_cast<SettingsService *>(&native), static_cast<SettingsService *>(&memory)}) {
            store->save("Tarvek2000", "2.0", "path", "c:\\ayşe");
            QCOMPARE(store->get("tarvek2000", "2.0", "path", {}), QStringLiteral("c:\\ayşe"));
            QCOMPARE(store->get("TARVEK2000", "2.0", "yok", "var"), QStringLiteral("var"));
        }
    }

    void fileVersion_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("text"); // as FileVersionText writes it: signed 16-bit parts
        const QByteArray m = QByteArray("$TARVEK-FILE") + "-VERSION$:";
        Row("marker", "ELF..." + m + "1.0.12.3;...", "1.0.12.3");
        Row("broken first, good second", m + "1.x;" + m + "2.1.0.0;", "2.1.0.0");
        Row("large parts", m + "1.40000.0.65535;", "1.-25536.0.-1");
        Row("part too large", m + "1.0.70000.2;", "");
        Row("no marker", QByteArray("MZ plain file"), "");
    }
    void fileVersion()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, text);
        QTemporaryDir dir;
        QFile f(dir.filePath("x.exe"));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        f.close();
        QCOMPARE(FileVersionText(f.fileName()), text);
        QCOMPARE(FileVersionText(dir.filePath("yok.exe")), QString());
    }

    void ownExecutableCarriesItsVersion()
    {
        const QString program = QStringLiteral(TARVEK_BUILD_DIR) + "/src/TarvekFOTO";
        if (!QFileInfo::exists(program))
            QSKIP("the program is not built");
        QCOMPARE(readFileVersion(program), std::optional(ownVersion()));
    }

    void commandLineSplit()
    {
        QCOMPARE(splitCommandLine("c:\\t\\fth32.exe Tarvek_Yds_mtg"),
                 (QStringList{"c:\\t\\fth32.exe", "Tarvek_Yds_mtg"}));
        QCOMPARE(splitCommandLine("Explorer.exe \"c:\\a b\\web\\\""),
                 (QStringList{"Explorer.exe", "c:\\a b\\web\\"}));
        QCOMPARE(splitCommandLine("  a   \"\" b "), (QStringList{"a", "", "b"}));
    }

    void signalFieldRunsOnRealChangeOnly()
    {
        SignalField f("0");
        QStringList seen;
        f.onChange([&](const QString &t) {
            seen << t;
            if (t == "21")
                f.setText("0"); // re-entrant, as the countdown does
        });
        for (const char *t : {"0", "1", "1", "21"})
            f.setText(t);
        QCOMPARE(seen, (QStringList{"1", "21", "0"}));
        QCOMPARE(f.text(), QStringLiteral("0"));
    }

    void engineFlagsKeepWhatIsGiven_data()
    {
        QTest::addColumn<QByteArray>("given");
        QTest::addColumn<QByteArray>("flags");
        Row("none given", QByteArray(),
            QByteArray("--renderer-process-limit=1 --disable-features=PaintHolding"));
        Row("own switches kept", QByteArray(" --disable-gpu "),
            QByteArray("--disable-gpu --renderer-process-limit=1 --disable-features=PaintHolding"));
        Row("a process limit given wins", QByteArray("--renderer-process-limit=4"),
            QByteArray("--renderer-process-limit=4 --disable-features=PaintHolding"));
        Row("the last feature list is extended",
            QByteArray("--disable-features=A --disable-features=B,C"),
            QByteArray("--disable-features=A --disable-features=PaintHolding,B,C "
                       "--renderer-process-limit=1"));
        Row("paint holding named already", QByteArray("--enable-features=PaintHolding"),
            QByteArray("--enable-features=PaintHolding --renderer-process-limit=1"));
    }
    void engineFlagsKeepWhatIsGiven()
    {
        QFETCH(QByteArray, given);
        QFETCH(QByteArray, flags);
        QCOMPARE(platform::engineFlags(given), flags);
    }
};

QTEST_GUILESS_MAIN(tst_platform)
#include "tst_platform.moc"
