#include "platform/fileversion.h"
#include "platform/launcher.h"
#include "platform/paths.h"
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
    void nativePath_data();
    void nativePath();
    void programFileDropsExe();
    void asciiCaseIgnoresLocale();
    void settingsApplicationNamesIgnoreCase();
    void fileVersion_data();
    void fileVersion();
    void ownExecutableCarriesItsVersion();
    void commandLine_data();
    void commandLine();
    void ansiRoundTrip();
    void splitLinesAcceptsAllEndings();
    void signalFieldRunsOnRealChangeOnly();
};

void tst_platform::nativePath_data()
{
    QTest::addColumn<QString>("windows");
    QTest::addColumn<QString>("native");
    QTest::newRow("drive") << "c:\\tarvek2000word\\temp\\"
                           << "/root/c/tarvek2000word/temp/";
    QTest::newRow("upper drive") << "C:\\x.jpg"
                                 << "/root/c/x.jpg";
    QTest::newRow("drive without slash") << "d:data"
                                         << "/root/d/data";
    QTest::newRow("native stays") << "/srv/ortak\\fotograflar\\12_3_A\\web\\a.jpg"
                                  << "/srv/ortak/fotograflar/12_3_A/web/a.jpg";
    QTest::newRow("doubled separators") << "c:\\a\\\\b"
                                        << "/root/c/a/b";
    QTest::newRow("turkish letters") << "c:\\Şantiye\\ığ.jpg"
                                     << "/root/c/Şantiye/ığ.jpg";
}

void tst_platform::nativePath()
{
    QFETCH(QString, windows);
    QFETCH(QString, native);
    QCOMPARE(PathMapper(QStringLiteral("/root/")).nativePath(windows), native);
}

void tst_platform::programFileDropsExe()
{
    const PathMapper m(QStringLiteral("/r"));
    QCOMPARE(m.programFile(QStringLiteral("c:\\t\\fth32.exe")), QStringLiteral("/r/c/t/fth32"));
    QCOMPARE(m.programFile(QStringLiteral("c:\\t\\FTH32.EXE")), QStringLiteral("/r/c/t/FTH32"));
}

void tst_platform::asciiCaseIgnoresLocale()
{
    // Under tr_TR a locale fold would give "ı" for "I" and "İ" for "i".
    QCOMPARE(asciiLower(QStringLiteral("FOTO.JPG IŞIK")), QStringLiteral("foto.jpg iŞik"));
    QCOMPARE(asciiUpper(QStringLiteral("istif ığdır")), QStringLiteral("ISTIF ığDıR"));
}

void tst_platform::settingsApplicationNamesIgnoreCase()
{
    QTemporaryDir dir;
    NativeSettingsService store(dir.path());
    store.save(QStringLiteral("Tarvek2000"), QStringLiteral("ayarlar"), QStringLiteral("k_adi"),
               QStringLiteral("ayşe"));
    QCOMPARE(store.get(QStringLiteral("tarvek2000"), QStringLiteral("ayarlar"),
                       QStringLiteral("k_adi"), QString()),
             QStringLiteral("ayşe"));
    QCOMPARE(store.get(QStringLiteral("TARVEK2000"), QStringLiteral("ayarlar"),
                       QStringLiteral("yok"), QStringLiteral("varsayılan")),
             QStringLiteral("varsayılan"));
    MemorySettingsService memory;
    memory.save(QStringLiteral("Tarvek2000"), QStringLiteral("2.0"), QStringLiteral("path"),
                QStringLiteral("c:\\t"));
    QCOMPARE(memory.get(QStringLiteral("tarvek2000"), QStringLiteral("2.0"), QStringLiteral("path"),
                        QString()),
             QStringLiteral("c:\\t"));
}

void tst_platform::fileVersion_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    const QByteArray m = QByteArray("$TARVEK-FILE") + "-VERSION$:";
    QTest::newRow("marker") << QByteArray("ELF..." + m + "1.0.12.3;...") << "1.0.12.3";
    QTest::newRow("broken first, good second")
        << QByteArray(m + "1.x;" + m + "2.1.0.0;") << "2.1.0.0";
    QTest::newRow("large part") << QByteArray(m + "1.0.40000.2;") << "1.0.40000.2";
    QTest::newRow("part too large") << QByteArray(m + "1.0.70000.2;") << "";
    QTest::newRow("no marker") << QByteArray("just bytes") << "";
    QTest::newRow("empty") << QByteArray() << "";
}

void tst_platform::fileVersion()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("x.exe")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    const auto v = readFileVersion(f.fileName());
    QString text;
    if (v)
        text = QStringLiteral("%1.%2.%3.%4").arg((*v)[0]).arg((*v)[1]).arg((*v)[2]).arg((*v)[3]);
    QCOMPARE(text, expected);
}

void tst_platform::ownExecutableCarriesItsVersion()
{
    const QString program = QStringLiteral(TARVEK_BUILD_DIR) + QStringLiteral("/src/TarvekFOTO");
    if (!QFileInfo::exists(program))
        QSKIP("program not built");
    const auto v = readFileVersion(program);
    QVERIFY(v.has_value());
    QCOMPARE(*v, ownVersion());
}

void tst_platform::commandLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("parts");
    QTest::newRow("tool") << "c:\\t\\fth32.exe Tarvek_Yds_mtg"
                          << QStringList{"c:\\t\\fth32.exe", "Tarvek_Yds_mtg"};
    QTest::newRow("quoted") << "Explorer.exe \"c:\\a b\\web\\\""
                            << QStringList{"Explorer.exe", "c:\\a b\\web\\"};
    QTest::newRow("blanks") << "  a   b " << QStringList{"a", "b"};
}

void tst_platform::commandLine()
{
    QFETCH(QString, line);
    QFETCH(QStringList, parts);
    QCOMPARE(splitCommandLine(line), parts);
}

void tst_platform::ansiRoundTrip()
{
    const QString text = QStringLiteral("Çağrı Şükür Öğüt İı €");
    const QByteArray bytes = encodeAnsi(text);
    QCOMPARE(bytes.size(), text.size());
    QCOMPARE(bytes.at(0), char(0xC7));
    QCOMPARE(decodeAnsi(bytes), text);
    QCOMPARE(decodeAnsi(QByteArray("\xDD\xFD\xDE\xFE\xD0\xF0")), QStringLiteral("İıŞşĞğ"));
    QCOMPARE(encodeAnsi(QStringLiteral("日")), QByteArray("?"));
}

void tst_platform::splitLinesAcceptsAllEndings()
{
    const QStringList expected{"mssql", "Merkez", " srv "};
    QCOMPARE(splitLines(QStringLiteral("mssql\r\nMerkez\r\n srv \r\n")), expected);
    QCOMPARE(splitLines(QStringLiteral("mssql\nMerkez\n srv ")), expected);
    QCOMPARE(splitLines(QStringLiteral("mssql\rMerkez\r srv ")), expected);
}

void tst_platform::signalFieldRunsOnRealChangeOnly()
{
    SignalField f(QStringLiteral("0"));
    QStringList seen;
    f.onChange([&](const QString &t) {
        seen << t;
        if (t == QStringLiteral("21"))
            f.setText(QStringLiteral("0")); // re-entrant, as the countdown does
    });
    f.setText(QStringLiteral("0"));
    f.setText(QStringLiteral("1"));
    f.setText(QStringLiteral("1"));
    f.setText(QStringLiteral("21"));
    QCOMPARE(seen, (QStringList{"1", "21", "0"}));
    QCOMPARE(f.text(), QStringLiteral("0"));
}

QTEST_GUILESS_MAIN(tst_platform)
#include "tst_platform.moc"
