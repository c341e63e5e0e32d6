// Photo preparation: naming and folding rules, the instruction file handed to the stamping
// tool, and the program together with the real tool.
#include "demophotos.h"
#include "queue/photoprep.h"

#include "platform/deployment.h"
#include "platform/testing/testplatform.h"
#include "platform/textcodec.h"
#include "startup/connection.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTest>

#include <cmath>

using platform::MsgIcon;
using platform::testing::TestPlatform;

namespace {
const QString kSibling = QStringLiteral("c:\\tarvek2000");
const QString kOrtak = QStringLiteral("c:\\ortak");

void Touch(const QString &path, const QByteArray &bytes = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QByteArray Crlf(const QStringList &lines)
{
    QByteArray out;
    for (const QString &l : lines)
        out += platform::encodeAnsi(l) + "\r\n";
    return out;
}
} // namespace

class tst_photoprep : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void siteFolderName_data();
    void siteFolderName();
    void asciiFold_data();
    void asciiFold();

    void init();
    void cleanup();
    void instructionFile_data();
    void instructionFile();
    void siblingFolderWithSpaces();
    void missingToolWritesNothing();
    void toolThatCannotStart();
    void toolThatNeverEnds();
    void withTheRealTool_data();
    void withTheRealTool();

private:
    // Installs the office application's folder with a stand-in tool file; the launcher double
    // captures the instruction file while "the tool runs" (it is deleted afterwards).
    void installSibling(bool withTool = true, const QString &sibling = kSibling)
    {
        m_tp->settings->save(QStringLiteral("tarvek2000"), QStringLiteral("2.0"),
                             QStringLiteral("path"), sibling);
        QDir().mkpath(m_tp->native(sibling));
        if (withTool)
            Touch(platform::programFile(sibling + QStringLiteral("\\fth32.exe")));
        m_tp->launcher->behaviour = [this, sibling](const QString &, const QStringList &) {
            QFile f(m_tp->native(sibling + QStringLiteral("\\input.mtg")));
            m_captured = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
            return 0;
        };
    }
    std::unique_ptr<TestPlatform> m_tp;
    QByteArray m_captured;
};

void tst_photoprep::siteFolderName_data()
{
    QTest::addColumn<QString>("ada");
    QTest::addColumn<QString>("name");
    QTest::newRow("slash and space") << QStringLiteral("12/3 A") << QStringLiteral("12_3_A");
    QTest::newRow("colon and question mark") << QStringLiteral("P:5?6") << QStringLiteral("P_5_6");
    QTest::newRow("every other replaced character")
        << QStringLiteral("a*b<c>d\\e,f\"g") << QStringLiteral("a_b_c_d_e_f_g");
    QTest::newRow("carriage return removed") << QStringLiteral("12\r/3") << QStringLiteral("12_3");
    QTest::newRow("line feed, bar and Turkish letters stay")
        << QStringLiteral("Çiğ|ne\nİş") << QStringLiteral("Çiğ|ne\nİş");
    QTest::newRow("empty") << QString() << QString();
}

void tst_photoprep::siteFolderName()
{
    QFETCH(QString, ada);
    QFETCH(QString, name);
    QCOMPARE(SiteFolderName(ada), name);
}

void tst_photoprep::asciiFold_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("folded");
    QTest::newRow("all twelve letters")
        << QStringLiteral("Çağrı Şükür Öğüt İı") << QStringLiteral("Cagri Sukur Ogut Ii");
    QTest::newRow("capitals") << QStringLiteral("ÇĞİÖŞÜ") << QStringLiteral("CGIOSU");
    QTest::newRow("other accents stay") << QStringLiteral("âÂéî") << QStringLiteral("âÂéî");
    QTest::newRow("ASCII untouched")
        << QStringLiteral("Tarih :12.03.2012") << QStringLiteral("Tarih :12.03.2012");
}

void tst_photoprep::asciiFold()
{
    QFETCH(QString, text);
    QFETCH(QString, folded);
    QCOMPARE(AsciiFold(text), folded);
}

void tst_photoprep::init()
{
    m_tp = std::make_unique<TestPlatform>();
    m_captured.clear();
}

void tst_photoprep::cleanup()
{
    m_tp.reset();
    platform::Deployment::setCurrent(platform::Deployment::builtIn());
}

void tst_photoprep::instructionFile_data()
{
    QTest::addColumn<QString>("alan1");
    QTest::addColumn<QString>("ada");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QStringList>("lines"); // lines 4 to 7

    const QString site = QStringLiteral("c:\\ortak\\fotograflar\\12_3_A");
    QTest::newRow("date printed with setting 1")
        << QStringLiteral("foto.jpg") << QStringLiteral("12/3 A") << QStringLiteral("1")
        << QStringList{site + QStringLiteral("\\foto.jpg"), site + QStringLiteral("\\web\\a.jpg"),
                       QStringLiteral("Tarih :12.03.2012"),
                       QStringLiteral("Pafta/Ada/Parsel :12/3 A")};
    QTest::newRow("no date with setting 0")
        << QStringLiteral("foto.jpg") << QStringLiteral("12/3 A") << QStringLiteral("0")
        << QStringList{site + QStringLiteral("\\foto.jpg"), site + QStringLiteral("\\web\\a.jpg"),
                       QString(), QStringLiteral("Pafta/Ada/Parsel :12/3 A")};
    QTest::newRow("no date with an empty setting")
        << QStringLiteral("foto.jpg") << QStringLiteral("12/3 A") << QString()
        << QStringList{site + QStringLiteral("\\foto.jpg"), site + QStringLiteral("\\web\\a.jpg"),
                       QString(), QStringLiteral("Pafta/Ada/Parsel :12/3 A")};
    QTest::newRow(".jpeg names the .jpg source")
        << QStringLiteral("x.jpeg") << QStringLiteral("12/3 A") << QStringLiteral("1")
        << QStringList{site + QStringLiteral("\\x.jpg"), site + QStringLiteral("\\web\\a.jpg"),
                       QStringLiteral("Tarih :12.03.2012"),
                       QStringLiteral("Pafta/Ada/Parsel :12/3 A")};
    QTest::newRow("other extensions kept")
        << QStringLiteral("x.JPG") << QStringLiteral("5") << QStringLiteral("1")
        << QStringList{QStringLiteral("c:\\ortak\\fotograflar\\5\\x.JPG"),
                       QStringLiteral("c:\\ortak\\fotograflar\\5\\web\\a.jpg"),
                       QStringLiteral("Tarih :12.03.2012"), QStringLiteral("Pafta/Ada/Parsel :5")};
    // Paths keep their Turkish letters (Windows-1254 bytes); captions are folded.
    QTest::newRow("Turkish parcel and file name")
        << QStringLiteral("Kat 2 çatı.jpg") << QStringLiteral("Çiğdem 5/7") << QStringLiteral("1")
        << QStringList{QStringLiteral("c:\\ortak\\fotograflar\\Çiğdem_5_7\\Kat 2 çatı.jpg"),
                       QStringLiteral("c:\\ortak\\fotograflar\\Çiğdem_5_7\\web\\a.jpg"),
                       QStringLiteral("Tarih :12.03.2012"),
                       QStringLiteral("Pafta/Ada/Parsel :Cigdem 5/7")};
}

void tst_photoprep::instructionFile()
{
    QFETCH(QString, alan1);
    QFETCH(QString, ada);
    QFETCH(QString, setting);
    QFETCH(QStringList, lines);
    installSibling();
    const QString oldTemp = m_tp->native(QStringLiteral("c:\\tarvek2000word\\temp\\eski.jpg"));
    Touch(oldTemp);

    PrepareRecordPhoto({alan1, ada, QDate(2012, 3, 12)}, kOrtak, setting);

    QCOMPARE(m_tp->messages->texts(), QStringList());
    QCOMPARE(m_tp->launcher->calls.size(), 1);
    const auto &call = m_tp->launcher->calls.first();
    QCOMPARE(call.kind, QStringLiteral("wait"));
    QCOMPARE(call.program, m_tp->native(kSibling) + QStringLiteral("/fth32"));
    QCOMPARE(call.args, QStringList{QStringLiteral("Tarvek_Yds_mtg")});

    const QStringList expected =
        QStringList{QStringLiteral("1"), QStringLiteral("C:\\tarvek2000word\\temp\\"),
                    QStringLiteral("C:\\x.jpg")} +
        lines +
        QStringList{QString(), QString(), QStringLiteral("Tarvek 2000"), QStringLiteral("1")};
    QCOMPARE(expected.size(), 11);
    QCOMPARE(m_captured, Crlf(expected));
    // Afterwards: the instruction file gone, the temporary folder emptied.
    QVERIFY(!QFile::exists(m_tp->native(kSibling + QStringLiteral("\\input.mtg"))));
    QVERIFY(!QFile::exists(oldTemp));
    QVERIFY(QDir(m_tp->native(QStringLiteral("c:\\tarvek2000word\\temp"))).exists());
}

void tst_photoprep::siblingFolderWithSpaces()
{
    const QString sibling = QStringLiteral("c:\\Program Files\\Tarvek 2000");
    installSibling(true, sibling);
    PrepareRecordPhoto({QStringLiteral("a.jpg"), QStringLiteral("1"), QDate(2012, 3, 12)}, kOrtak,
                       QStringLiteral("1"));
    QCOMPARE(m_tp->messages->texts(), QStringList());
    QCOMPARE(m_tp->launcher->calls.size(), 1);
    QCOMPARE(m_tp->launcher->calls.first().program,
             m_tp->native(sibling) + QStringLiteral("/fth32"));
    QCOMPARE(m_tp->launcher->calls.first().args, QStringList{QStringLiteral("Tarvek_Yds_mtg")});
    QVERIFY(m_captured.startsWith("1\r\n"));
}

void tst_photoprep::missingToolWritesNothing()
{
    installSibling(false);
    const QString oldTemp = m_tp->native(QStringLiteral("c:\\tarvek2000word\\temp\\eski.jpg"));
    Touch(oldTemp);

    PrepareRecordPhoto({QStringLiteral("foto.jpg"), QStringLiteral("1"), QDate(2012, 3, 12)},
                       kOrtak, QStringLiteral("1"));

    QCOMPARE(m_tp->messages->shown.size(), 1);
    QCOMPARE(m_tp->messages->shown.first().text,
             QStringLiteral("Lütfen Tarvek YDS Güncellemesi yapınız..."));
    QCOMPARE(m_tp->messages->shown.first().icon, MsgIcon::Critical);
    QVERIFY(m_tp->launcher->calls.isEmpty());
    QCOMPARE(QDir(m_tp->native(kSibling)).entryList(QDir::Files), QStringList());
    QVERIFY(QFile::exists(oldTemp));
}

void tst_photoprep::toolThatCannotStart()
{
    installSibling();
    m_tp->launcher->failStart = true;

    StampPhoto(QStringLiteral("c:\\a\\b.jpg"), QStringLiteral("c:\\a\\web\\a.jpg"),
               QStringLiteral("Tarih :12.03.2012"), QStringLiteral("Pafta/Ada/Parsel :1"),
               QString());

    QCOMPARE(m_tp->messages->shown.size(), 1);
    const auto &m = m_tp->messages->shown.first();
    QCOMPARE(m.text, QStringLiteral("c:\\tarvek2000\\fth32.exe Tarvek_Yds_mtg Dosyasında Hata "
                                    "oluştu...\r\nSistem belirtilen dosyayı bulamıyor."));
    QCOMPARE(m.icon, MsgIcon::Exclamation);
    QCOMPARE(m.title, QStringLiteral("Error"));
    QVERIFY(!QFile::exists(m_tp->native(kSibling + QStringLiteral("\\input.mtg"))));
}

void tst_photoprep::toolThatNeverEnds()
{
    // A tool that hangs is ended at the deployment's limit; the operator's list goes on
    // without a copy and without a message.
    installSibling(false);
    const QString tool = m_tp->native(kSibling + QStringLiteral("\\fth32"));
    Touch(tool, "#!/bin/sh\nexec sleep 600\n");
    QFile::setPermissions(tool, QFile::permissions(tool) | QFile::ExeOwner);
    m_tp->launcher->runForReal = true;
    auto d = platform::Deployment::builtIn();
    d.stampToolTimeoutSeconds = 1;
    platform::Deployment::setCurrent(d);

    QElapsedTimer t;
    t.start();
    StampPhoto(QStringLiteral("c:\\a\\b.jpg"), QStringLiteral("c:\\a\\web\\a.jpg"), QString(),
               QString(), QString());
    // Not a speed check: without the limit the call would last as long as the tool (600 s).
    QVERIFY2(t.elapsed() < 60000, "the wait must end at the limit");
    QCOMPARE(m_tp->messages->texts(), QStringList());
    QVERIFY(!QFile::exists(m_tp->native(kSibling + QStringLiteral("\\input.mtg"))));
}

void tst_photoprep::withTheRealTool_data()
{
    QTest::addColumn<QString>("alan1");
    QTest::addColumn<QSize>("photo");
    QTest::newRow("12 MP landscape") << QStringLiteral("foto1.jpg") << QSize(4000, 3000);
    QTest::newRow("portrait") << QStringLiteral("dik.jpg") << QSize(2448, 3264);
    QTest::newRow("wide, Turkish name with spaces")
        << QStringLiteral("Kat 2 çatı ŞÖĞÜ.jpg") << QSize(3000, 1200);
}

// A record whose photo lies only in the site folder gets a stamped web copy that passes the
// eligibility checks: at most 1100 x 700 when wider than tall (700 x 1100 otherwise) and at
// most 1024.0 KB.
void tst_photoprep::withTheRealTool()
{
    QFETCH(QString, alan1);
    QFETCH(QSize, photo);
    installSibling(false);
    QString error;
    QVERIFY2(InstallStampTool(m_tp->native(kSibling), &error), qPrintable(error));
    m_tp->launcher->behaviour = nullptr;
    m_tp->launcher->runForReal = true;

    const QString ada = QStringLiteral("104/7 Çınar");
    const QString site = m_tp->native(SitePhotoFolder(kOrtak, ada));
    QVERIFY(WriteDemoPhoto(site + QLatin1Char('/') + alan1, photo.width(), photo.height(),
                           QStringLiteral("Kat 2")));

    PrepareRecordPhoto({alan1, ada, QDate(2012, 3, 12)}, kOrtak, QStringLiteral("1"));

    QCOMPARE(m_tp->messages->texts(), QStringList());
    const QString web = site + QStringLiteral("/web/") + alan1;
    QVERIFY2(QFile::exists(web), qPrintable(web));
    const QImage copy = QImageReader(web).read();
    QVERIFY(!copy.isNull());
    if (copy.width() > copy.height()) {
        QVERIFY(copy.width() <= 1100);
        QVERIFY(copy.height() <= 700);
    } else {
        QVERIFY(copy.width() <= 700);
        QVERIFY(copy.height() <= 1100);
    }
    QCOMPARE(copy.width() > copy.height(), photo.width() > photo.height());
    QVERIFY(std::round(QFileInfo(web).size() / 1024.0 * 10) / 10 <= 1024.0);
    QVERIFY(!QFile::exists(m_tp->native(kSibling + QStringLiteral("\\input.mtg"))));
}

QTEST_MAIN(tst_photoprep)
#include "tst_photoprep.moc"
