#include "hostutil/frm_temp_sil.h"
#include "hostutil/hostutil.h"
#include "platform/testing/testplatform.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using platform::testing::TestPlatform;

class tst_hostutil : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void hostName_data();
    void hostName();
    void hostAddress_data();
    void hostAddress();
    void realHostAnswers();
    void fileVersionText_data();
    void fileVersionText();
    void tempFolderLimit_data();
    void tempFolderLimit();
    void clearUrlCache();
};

struct Socket
{
    bool startOk = true;
    int maxSockets = 100;
    int major = 1, minor = 1;
    bool cleanupOk = true;
};
Q_DECLARE_METATYPE(Socket)

static void apply(TestPlatform &tp, const Socket &s)
{
    tp.host->startupAnswer = {s.startOk, s.maxSockets, s.major, s.minor};
    tp.host->cleanupOk = s.cleanupOk;
}

void tst_hostutil::hostName_data()
{
    QTest::addColumn<Socket>("socket");
    QTest::addColumn<bool>("nameOk");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QStringList>("messages");
    const QString nameFailed = "Windows Sockets error  10093 has occurred. Unable to "
                               "successfully get Host Name.";
    QTest::newRow("ok") << Socket{} << true << "ISTASYON-1" << QStringList{};
    QTest::newRow("no start, no cleanup")
        << Socket{false} << true << ""
        << QStringList{"The 32-bit Windows Socket is not responding."};
    QTest::newRow("no sockets") << Socket{true, 0} << true << ""
                                << QStringList{"This application requires a minimum of 1 "
                                               "supported sockets."};
    QTest::newRow("old version") << Socket{true, 10, 1, 0} << true << ""
                                 << QStringList{"Sockets version 1.0 is not supported by 32-bit "
                                                "Windows Sockets."};
    QTest::newRow("name fails") << Socket{} << false << "" << QStringList{nameFailed};
    QTest::newRow("cleanup fails") << Socket{true, 10, 2, 2, false} << true << "ISTASYON-1"
                                   << QStringList{"Socket error occurred in Cleanup."};
}

void tst_hostutil::hostName()
{
    QFETCH(Socket, socket);
    QFETCH(bool, nameOk);
    QFETCH(QString, result);
    QFETCH(QStringList, messages);
    TestPlatform tp;
    apply(tp, socket);
    if (!nameOk)
        tp.host->name.reset();
    QCOMPARE(QueryHostName(), result);
    QCOMPARE(tp.messages->texts(), messages);
    for (const auto &m : tp.messages->shown)
        QCOMPARE(m.icon, platform::MsgIcon::None);
}

void tst_hostutil::hostAddress_data()
{
    QTest::addColumn<QByteArray>("address"); // null: cannot resolve
    QTest::addColumn<QString>("result");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("dotted") << QByteArray("\xC0\xA8\x01\x14", 4) << "192.168.1.20" << QStringList{};
    QTest::newRow("zeros") << QByteArray("\x0A\x00\x00\xFF", 4) << "10.0.0.255" << QStringList{};
    QTest::newRow("unresolved") << QByteArray() << ""
                                << QStringList{"Windows Sockets are not responding. Unable to "
                                               "successfully get Host Name."};
}

void tst_hostutil::hostAddress()
{
    QFETCH(QByteArray, address);
    QFETCH(QString, result);
    QFETCH(QStringList, messages);
    TestPlatform tp;
    if (address.isNull())
        tp.host->address.reset();
    else
        tp.host->address = address;
    QCOMPARE(QueryHostAddress(), result);
    QCOMPARE(tp.messages->texts(), messages);
}

void tst_hostutil::realHostAnswers()
{
    // The real service answers on this machine: a name, and an IPv4 address in dotted form.
    QVERIFY(!QueryHostName().isEmpty());
    const QString address = QueryHostAddress();
    QCOMPARE(address.split('.').size(), 4);
}

void tst_hostutil::fileVersionText_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("text");
    const QByteArray m = QByteArray("$TARVEK-FILE") + "-VERSION$:";
    QTest::newRow("plain") << QByteArray(m + "1.0.0.12;") << "1.0.0.12";
    QTest::newRow("signed 16-bit") << QByteArray(m + "1.40000.0.65535;") << "1.-25536.0.-1";
    QTest::newRow("no version") << QByteArray("MZ plain file") << "";
}

void tst_hostutil::fileVersionText()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, text);
    QTemporaryDir dir;
    QFile f(dir.filePath("p.exe"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    QCOMPARE(FileVersionText(f.fileName()), text);
    QCOMPARE(FileVersionText(dir.filePath("missing.exe")), QString());
}

void tst_hostutil::tempFolderLimit_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("result");
    QTest::newRow("short") << "/tmp/"
                           << "/tmp/";
    QTest::newRow("99 fits") << "/" + QString(97, 'a') + "/"
                             << "/" + QString(97, 'a') + "/";
    QTest::newRow("100 does not") << "/" + QString(98, 'a') + "/"
                                  << "";
}

void tst_hostutil::tempFolderLimit()
{
    QFETCH(QString, path);
    QFETCH(QString, result);
    TestPlatform tp;
    tp.host->temp = path;
    QCOMPARE(TempFolder(), result);
}

void tst_hostutil::clearUrlCache()
{
    QStringList cache{"http://a/1", "http://a/2", "http://a/3"};
    QStringList removed;
    int maximum = -1;
    SetUrlCacheProvider({[&] { return cache; },
                         [&](const QString &u) {
                             removed << u;
                             // The progress window is up while entries go.
                             for (QWidget *w : QApplication::topLevelWidgets())
                                 if (auto *p = qobject_cast<frm_temp_sil *>(w); p && p->isVisible())
                                     maximum = p->ProgressBar1->maximum();
                         }});
    ClearUrlCache();
    QCOMPARE(removed, cache);
    QCOMPARE(maximum, 2);
    // An empty cache: the window opens and closes, nothing is deleted.
    cache.clear();
    removed.clear();
    ClearUrlCache();
    QVERIFY(removed.isEmpty());
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<frm_temp_sil *>(w) || !w->isVisible());
    SetUrlCacheProvider({});
}

QTEST_MAIN(tst_hostutil)
#include "tst_hostutil.moc"
