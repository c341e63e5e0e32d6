#include "platform/deployment.h"
#include "portal/addresses.h"
#include "portal/portalmessages.h"
#include "portal/textchangecase.h"

#include <QtTest>

class tst_portalrules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void outage_data();
    void outage();
    void capture_data();
    void capture();
    void messageText();
    void textChangeCase_data();
    void textChangeCase();
    void typedCharacters();
    void addresses();
};

void tst_portalrules::outage_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("document");
    QTest::addColumn<bool>("outage");
    QTest::newRow("upper case ascii") << "<body>YDS KULLANIM DISIDIR</body>"
                                      << "" << true;
    QTest::newRow("turkish in document, upper case")
        << "<body>x</body>"
        << "<head></head><body>SİSTEM KULLANIM DIŞIDIR</body>" << true;
    QTest::newRow("server not found") << "<body>Sunucu bulunamıyor</body>"
                                      << "" << true;
    QTest::newRow("canceled") << "<body>Navigation Canceled</body>"
                              << "" << true;
    QTest::newRow("navigation cancelled tr") << ""
                                             << "<p>gezinme iptal edildi</p>" << true;
    QTest::newRow("cannot display") << ""
                                    << "The page cannot display" << true;
    QTest::newRow("görüntüleyemiyor") << "<body>Sayfayı GÖRÜNTÜLEYEMİYOR</body>"
                                      << "" << true;
    QTest::newRow("ordinary front page")
        << "<body><h1>Yapı Denetim Sistemi</h1><a href='/yds'>Giriş</a></body>"
        << "<head></head><body><h1>Yapı Denetim Sistemi</h1></body>" << false;
}

void tst_portalrules::outage()
{
    QFETCH(QString, body);
    QFETCH(QString, document);
    QFETCH(bool, outage);
    QCOMPARE(FrontPageShowsOutage(body, document), outage);
}

void tst_portalrules::capture_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("message");
    const QString img = "<img src=\"/yds/images/sifreunuttum.gif\">";
    QTest::newRow("upper-case tags") << img + "<DIV class=m><TABLE><TR><TD>Güvenlik kodu "
                                              "hatalı.</TD></TR></TABLE></DIV>"
                                     << true << "Güvenlik kodu hatalı.";
    QTest::newRow("raw html kept") << img + "<div><table><tr><td> <b>Şifre</b> &amp; kod "
                                            "</td></tr></table></div>"
                                   << true << " <b>Şifre</b> &amp; kod ";
    QTest::newRow("empty cell") << img + "<div><td></td></div>" << true << "";
    QTest::newRow("no cell") << img + "<div><p>yok</p></div><table><tr><td>dışarıda</td></tr>"
                             << false << "";
    QTest::newRow("cell after the block") << img + "<div></div><td>x</td>" << false << "";
    QTest::newRow("no block") << img + "<p>hiç</p>" << false << "";
    // The anchor is case-sensitive: without it the search starts at the form's beginning.
    QTest::newRow("anchor in capitals")
        << "<div><td>önceki</td></div><img src=SIFREUNUTTUM.GIF><div><td>sonraki</td></div>" << true
        << "önceki";
    QTest::newRow("cell before the anchor ignored")
        << "<div><td>önceki</td></div>" + img + "<div><td>sonraki</td></div>" << true << "sonraki";
}

void tst_portalrules::capture()
{
    QFETCH(QString, html);
    QFETCH(bool, found);
    QFETCH(QString, message);
    const auto m = CaptureLoginMessage(html);
    QCOMPARE(m.has_value(), found);
    if (found)
        QCOMPARE(*m, message);
}

void tst_portalrules::messageText()
{
    QCOMPARE(PortalMessageText("x"),
             QStringLiteral("Bakanlık Sayfasından aşağıdaki mesaj alınmıştır : \r\nx\r\n\r\nBu "
                            "mesajın içeriği bakanlık web sayfasından alınmıştır. İçerik için "
                            "ilgili kurumu arayınız..."));
}

void tst_portalrules::textChangeCase_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("upper");
    QTest::addColumn<int>("result");
    QTest::newRow("a up") << 97 << true << 65;
    QTest::newRow("z up") << 122 << true << 90;
    QTest::newRow("dotless i up") << 253 << true << 73;
    QTest::newRow("digit up") << 57 << true << 57;
    QTest::newRow("A up stays") << 65 << true << 65;
    QTest::newRow("A down") << 65 << false << 97;
    QTest::newRow("Z down") << 90 << false << 122;
    QTest::newRow("dotless i down stays") << 253 << false << 253;
    QTest::newRow("I down") << 73 << false << 105;
}

void tst_portalrules::textChangeCase()
{
    QFETCH(int, key);
    QFETCH(bool, upper);
    QFETCH(int, result);
    QCOMPARE(int(TextChangeCase(qint16(key), upper)), result);
}

void tst_portalrules::typedCharacters()
{
    QCOMPARE(FoldTypedCharacter(QChar(u'ı'), true), QChar(u'I'));
    QCOMPARE(FoldTypedCharacter(QChar(u'a'), true), QChar(u'A'));
    QCOMPARE(FoldTypedCharacter(QChar(u'9'), true), QChar(u'9'));
    QCOMPARE(FoldTypedCharacter(QChar(u'i'), true), QChar(u'I'));
    QCOMPARE(FoldTypedCharacter(QChar(u'ş'), true), QChar(u'ş'));
    QCOMPARE(FoldTypedCharacter(QChar(u'€'), true), QChar(u'€'));
}

void tst_portalrules::addresses()
{
    auto d = platform::Deployment::builtIn();
    d.portalAppHost = "http://127.0.0.1:8080/";
    d.portalFrontHost = "http://127.0.0.1:8081";
    platform::Deployment::setCurrent(d);
    QCOMPARE(LoginPageUrl(),
             QStringLiteral("http://127.0.0.1:8080/yds/rol/ziyaretci/LA_G_Z_K.jsf"));
    QCOMPARE(CaptchaUrl(), QStringLiteral("http://127.0.0.1:8080/yds/jcaptcha"));
    QCOMPARE(FrontPageUrl(), QStringLiteral("http://127.0.0.1:8081/"));
    QVERIFY(IsLoginPage(LoginPageUrl()));
    QVERIFY(!IsLoginPage(LoginPageUrl() + ";jsessionid=AB12"));
    QVERIFY(!IsLoginPage(LoginPageUrl() + "?x=1"));
    QVERIFY(!IsLoginPage("http://127.0.0.1:8080/yds/rol/ziyaretci/la_g_z_k.jsf"));
    QVERIFY(IsFrontPage("http://127.0.0.1:8081/"));
    QVERIFY(IsFrontPage("http://127.0.0.1:8081"));
    QVERIFY(!IsFrontPage("http://127.0.0.1:8081/x"));
}

QTEST_MAIN(tst_portalrules)
#include "tst_portalrules.moc"
