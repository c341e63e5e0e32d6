// The scripted parts of the simulated portal in the real browser engine: the window opened after
// the login, the menu through the hidden input, the "Göster" link, the file input's check and the
// declaration box that enables the save button.
#include "simulator.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

using namespace ydssim::testing;

namespace {

// A page that takes the portal's pop-up windows (into pages of its own profile) and counts
// finished loads; a load is judged by its arrival, the page is then read.
class PortalPage : public QWebEnginePage
{
public:
    explicit PortalPage(QWebEngineProfile *profile, QObject *parent = nullptr)
        : QWebEnginePage(profile, parent)
    {
        connect(this, &QWebEnginePage::loadFinished, this, [this] { ++loads; });
    }
    int loads = 0;
    QList<PortalPage *> popups;

protected:
    QWebEnginePage *createWindow(WebWindowType) override
    {
        auto *p = new PortalPage(profile(), this);
        popups.append(p);
        return p;
    }
    void javaScriptAlert(const QUrl &, const QString &) override {}
};

QVariant js(QWebEnginePage *page, const QString &script)
{
    QVariant result;
    bool done = false;
    QEventLoop loop;
    page->runJavaScript(script, [&](const QVariant &v) {
        result = v;
        done = true;
        loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    if (!done)
        loop.exec();
    return result;
}

// Runs a script that makes the page load, and waits for the load.
bool act(PortalPage *page, const QString &script)
{
    QSignalSpy loaded(page, &QWebEnginePage::loadFinished);
    js(page, script);
    return !loaded.isEmpty() || loaded.wait(15000);
}

// The page code as the program reads it from the visible text.
QString code(QWebEnginePage *page)
{
    return js(page, QStringLiteral("(function () { var t = document.body.innerText;"
                                   " var p = t.indexOf('Ekran Kodu'); if (p < 0) return '<none>';"
                                   " return t.substr(p + 12, 8).replace(/[ \\r\\n]/g, ''); })()"))
        .toString();
}

QString jsString(const QString &s)
{
    QString out = s;
    out.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

// Clicks the first element of the first form with this value and type, as the program finds
// its buttons.
QString clickButton(const QString &value)
{
    return QStringLiteral(
               "(function () { var e = document.forms[0].elements;"
               " for (var i = 0; i < e.length; ++i)"
               "   if (e[i].value === %1 && e[i].type === 'submit') { e[i].click(); return i; }"
               " return -1; })()")
        .arg(jsString(value));
}

QString attachFile(const QString &name, const QByteArray &bytes)
{
    return QStringLiteral("(function () { var b = atob('%1'); var a = new Uint8Array(b.length);"
                          " for (var i = 0; i < b.length; ++i) a[i] = b.charCodeAt(i);"
                          " var dt = new DataTransfer();"
                          " dt.items.add(new File([a], %2, {type: 'image/jpeg'}));"
                          " var input = document.getElementById('oyds_form:dokuman');"
                          " input.files = dt.files; input.dispatchEvent(new Event('change'));"
                          " return input.value; })()")
        .arg(QString::fromLatin1(bytes.toBase64()), jsString(name));
}

} // namespace

class PortalBrowserTest : public QObject
{
    Q_OBJECT

private:
    Simulator m_sim;
    QWebEngineProfile *m_profile = nullptr;
    PortalPage *m_page = nullptr;

    // Logs in through the login page; returns the portal's own window.
    PortalPage *login()
    {
        QSignalSpy loaded(m_page, &QWebEnginePage::loadFinished);
        m_page->load(QUrl(m_sim.loginUrl()));
        if (!loaded.wait(15000))
            return nullptr;
        // The page fetched the security-code image while loading; its code is the latest.
        const QString securityCode = m_sim.latestCode();
        js(m_page, QStringLiteral("var f = document.forms[1];"
                                  " f.elements['oyds_form:Güvenlik'].value = %1;"
                                  " f.elements['oyds_form:Kullanıcı'].value = %2;"
                                  " f.elements['oyds_form:Şifre'].value = %3;"
                                  " document.getElementById('oyds_form:loginButton').click();")
                       .arg(jsString(securityCode), jsString(Simulator::demoUser()),
                            jsString(Simulator::demoPassword())));
        // The window is created by the page, then loads; wait for both, within a limit.
        QDeadlineTimer limit(15000);
        while (!(!m_page->popups.isEmpty() && m_page->popups.first()->loads > 0) &&
               !limit.hasExpired())
            QTest::qWait(10);
        return m_page->popups.isEmpty() || m_page->popups.first()->loads == 0
                   ? nullptr
                   : m_page->popups.first();
    }

    bool toSearchResult(PortalPage *p)
    {
        return act(p, QStringLiteral("document.forms[0].elements['jscook_action'].value ="
                                     " document.getElementsByTagName('div')[0].id + "
                                     "':A]#{yibfBean.hazirlaYHHYL}';"
                                     " document.forms[0].submit();")) &&
               code(p) == QLatin1String("YHHYL") &&
               act(p, QStringLiteral("document.getElementById('oyds_form:dosya_no').value = %1;"
                                     " document.getElementById('oyds_form:bul').click();")
                          .arg(jsString(Simulator::demoYibf())));
    }

    QString showImageIndex() const
    {
        return QStringLiteral(
                   "(function () { for (var i = 0; i < document.images.length; ++i)"
                   " if (document.images[i].alt === 'Göster' && document.images[i].src === %1)"
                   " return i; return -1; })()")
            .arg(jsString(m_sim.appUrl(QStringLiteral("/yds/common/images/goster.gif"))));
    }

    bool toNewRecordForm(PortalPage *p)
    {
        if (!toSearchResult(p))
            return false;
        const int i = js(p, showImageIndex()).toInt();
        return i >= 0 &&
               act(p,
                   QStringLiteral(
                       "document.forms['oyds_form'].elements['oyds_form:_link_hidden_'].value = '';"
                       " document.images[%1].click();")
                       .arg(i)) &&
               act(p, clickButton(QStringLiteral("Denetim Bilgileri"))) &&
               act(p, clickButton(QStringLiteral("Yeni Denetim Bilgisi"))) &&
               code(p) == QLatin1String("DYDYI");
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_sim.start(), qPrintable(m_sim.error())); }

    void init()
    {
        QVERIFY(m_sim.reset());
        m_profile = new QWebEngineProfile(this); // off the record
        m_profile->setHttpCacheType(QWebEngineProfile::NoCache);
        m_page = new PortalPage(m_profile);
    }

    void cleanup()
    {
        delete m_page; // pages go before their profile
        m_page = nullptr;
        delete m_profile;
        m_profile = nullptr;
    }

    void loginOpensThePortalWindow()
    {
        PortalPage *portal = login();
        QVERIFY(portal);
        QCOMPARE(m_page->url().path(), QStringLiteral("/yds/rol/ziyaretci/girisBasarili.jsf"));
        QCOMPARE(portal->url().toString(), m_sim.appUrl(QStringLiteral("/yds/rol/common/top.jsf")));
        QCOMPARE(code(portal), QStringLiteral("MAIN_Y"));
        QSignalSpy loaded(portal, &QWebEnginePage::loadFinished);
        portal->load(QUrl(m_sim.appUrl(QStringLiteral("/yds/rol/ydk/main.jsf"))));
        QVERIFY(loaded.wait(15000));
        QCOMPARE(code(portal), QStringLiteral("MAIN_Y"));
    }

    void refusedLoginStaysOnTheLoginPage()
    {
        QSignalSpy loaded(m_page, &QWebEnginePage::loadFinished);
        m_page->load(QUrl(m_sim.loginUrl()));
        QVERIFY(loaded.wait(15000));
        QVERIFY(act(m_page,
                    QStringLiteral("var f = document.forms[1];"
                                   " f.elements['oyds_form:Güvenlik'].value = 'YANLIS';"
                                   " f.elements['oyds_form:Kullanıcı'].value = 'ornekyd';"
                                   " f.elements['oyds_form:Şifre'].value = 'x';"
                                   " document.getElementById('oyds_form:loginButton').click();")));
        QCOMPARE(m_page->url().toString(), m_sim.loginUrl());
        QVERIFY(m_page->popups.isEmpty());
        // The browser's own serialisation of the second form still carries the message block.
        const QString form = js(m_page, QStringLiteral("document.forms[1].innerHTML")).toString();
        QCOMPARE(
            loginMessage(QStringLiteral("<form></form><form>") + form + QStringLiteral("</form>")),
            QStringLiteral("Güvenlik kodunu hatalı girdiniz."));
    }

    void menuRunsThroughTheHiddenInput()
    {
        PortalPage *p = login();
        QVERIFY(p);
        QCOMPARE(js(p, QStringLiteral("document.getElementsByTagName('div')[0].id")).toString(),
                 QStringLiteral("_idJsp0"));
        QVERIFY(act(
            p, QStringLiteral(
                   "document.forms[0].elements['jscook_action'].value ="
                   " document.getElementsByTagName('div')[0].id + ':A]#{yibfBean.hazirlaYHHYL}';"
                   " document.forms[0].submit();")));
        QCOMPARE(code(p), QStringLiteral("YHHYL"));
        // The menu's own links do the same.
        QVERIFY(act(p, QStringLiteral("Array.from(document.querySelectorAll('.menuBar a'))"
                                      ".find(a => a.textContent === 'İşlem Mesajları').click();")));
        QCOMPARE(code(p), QStringLiteral("LSMOI"));
        QVERIFY(act(p, QStringLiteral("document.querySelector('.menuBar a').click();")));
        QCOMPARE(code(p), QStringLiteral("MAIN_Y"));
    }

    void showImageOpensTheRecord()
    {
        PortalPage *p = login();
        QVERIFY(p);
        QVERIFY(toSearchResult(p));
        QCOMPARE(code(p), QStringLiteral("YHHYL"));
        QCOMPARE(
            js(p, QStringLiteral(
                      "document.getElementById('oyds_form:dataTable:tbody_element').rows.length"))
                .toInt(),
            1);
        const int i = js(p, showImageIndex()).toInt();
        QVERIFY(i >= 0);
        QVERIFY(
            act(p, QStringLiteral(
                       "document.forms['oyds_form'].elements['oyds_form:_link_hidden_'].value = '';"
                       " document.images[%1].click();")
                       .arg(i)));
        QCOMPARE(code(p), QStringLiteral("YHHYR"));
        const QString id =
            js(p, QStringLiteral("document.getElementById('oyds_form:id').innerHTML")).toString();
        QCOMPARE(id.section(QLatin1Char('/'), 0, 0).remove(QLatin1Char(' ')),
                 Simulator::demoYibf());
    }

    void declarationEnablesTheSave()
    {
        PortalPage *p = login();
        QVERIFY(p);
        QVERIFY(toNewRecordForm(p));
        js(p, QStringLiteral(
                  "document.getElementById('oyds_form:seviye_subasman').value = '10';"
                  " document.getElementById('oyds_form:seviye_tasiyici').value = '20';"
                  " document.getElementById('oyds_form:Tespiti_Yapan').value = 'Mehmet Demir';"
                  " document.getElementById('oyds_form:tc_kimlik_no').value = '12345678901';"
                  " document.getElementById('oyds_form:Yapıdaki_Gelişmeler').value = 'Perde "
                  "betonları döküldü.';"));
        const QByteArray photo = sampleJpeg(80, 60);
        QVERIFY(!js(p, attachFile(QStringLiteral("1234567.jpg"), photo)).toString().isEmpty());
        QVERIFY(act(p, QStringLiteral("document.getElementById('oyds_form:_idJsp38').click();")));

        QCOMPARE(p->title(), QStringLiteral("Yeni Denetim Bilgisi Kaydetme Kararı"));
        QCOMPARE(code(p), QString());
        const QString saveDisabled =
            QStringLiteral("document.getElementById('oyds_form:kaydet').disabled");
        QCOMPARE(js(p, saveDisabled).toBool(), true);
        // The program sets the box and fires its handler; an operator clicks it.
        js(p,
           QStringLiteral(
               "var c = document.getElementById('oyds_form:cbx'); c.checked = true; c.onclick();"));
        QCOMPARE(js(p, saveDisabled).toBool(), false);
        js(p, QStringLiteral("var c = document.getElementById('oyds_form:cbx'); c.checked = false; "
                             "c.onclick();"));
        QCOMPARE(js(p, saveDisabled).toBool(), true);
        js(p, QStringLiteral("document.getElementById('oyds_form:cbx').click();"));
        QCOMPARE(js(p, saveDisabled).toBool(), false);

        QVERIFY(act(p, clickButton(QStringLiteral("Denetim Bilgisini Kaydet"))));
        QCOMPARE(code(p), QStringLiteral("DYDYL"));
        QCOMPARE(
            js(p, QStringLiteral(
                      "document.getElementById('oyds_form:dataTable').rows[0].cells[0].innerText"))
                .toString(),
            QStringLiteral("Tarih"));
        QCOMPARE(js(p, QStringLiteral("var r = document.getElementById('oyds_form:dataTable').rows;"
                                      " r[r.length - 1].cells[0].innerText"))
                     .toString(),
                 QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
        const QJsonArray records = m_sim.records();
        QCOMPARE(records.size(), 1);
        const QJsonObject file = records.first().toObject().value(QLatin1String("file")).toObject();
        QCOMPARE(file.value(QLatin1String("name")).toString(), QStringLiteral("1234567.jpg"));
        QCOMPARE(file.value(QLatin1String("sha256")).toString(),
                 QString::fromLatin1(
                     QCryptographicHash::hash(photo, QCryptographicHash::Sha256).toHex()));
        QCOMPARE(records.first()
                     .toObject()
                     .value(QLatin1String("fields"))
                     .toObject()
                     .value(QStringLiteral("oyds_form:Yapıdaki_Gelişmeler"))
                     .toString(),
                 QStringLiteral("Perde betonları döküldü."));
    }

    void fileInputChecksTheFile_data()
    {
        QTest::addColumn<bool>("refuseFault");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("kept");
        QTest::newRow("photograph accepted") << false << QStringLiteral("1234567.jpg") << true;
        QTest::newRow("not a JPEG name") << false << QStringLiteral("1234567.png") << false;
        QTest::newRow("refused by the form") << true << QStringLiteral("1234567.jpg") << false;
    }
    void fileInputChecksTheFile()
    {
        QFETCH(bool, refuseFault);
        QFETCH(QString, name);
        QFETCH(bool, kept);
        if (refuseFault)
            QVERIFY(m_sim.setFault(QStringLiteral("refuse-file")));
        PortalPage *p = login();
        QVERIFY(p);
        QVERIFY(toNewRecordForm(p));
        const QString value = js(p, attachFile(name, sampleJpeg())).toString();
        QCOMPARE(!value.isEmpty(), kept);
        QCOMPARE(
            js(p, QStringLiteral("document.getElementById('oyds_form:dosyaUyari').textContent"))
                .toString()
                .isEmpty(),
            kept);
    }

    void loginPageLeavesForTheFrontPage_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("arg");
        QTest::addColumn<bool>("outageText");
        QTest::newRow("by its script") << "login-to-front"
                                       << "" << false;
        QTest::newRow("by redirect") << "login-to-front"
                                     << "redirect" << false;
        QTest::newRow("out of service") << "outage"
                                        << "" << true;
    }
    void loginPageLeavesForTheFrontPage()
    {
        QFETCH(QString, fault);
        QFETCH(QString, arg);
        QFETCH(bool, outageText);
        QVERIFY(m_sim.setFault(fault, arg));
        m_page->load(QUrl(m_sim.loginUrl()));
        // Read the front page only once it has been parsed whole.
        const QString arrived =
            QStringLiteral("location.href === %1 && document.readyState === 'complete'")
                .arg(jsString(m_sim.frontUrl()));
        QTRY_VERIFY_WITH_TIMEOUT(js(m_page, arrived).toBool(), 15000);
        const QString html =
            js(m_page, QStringLiteral("document.documentElement.innerHTML")).toString();
        QCOMPARE(html.contains(QStringLiteral("kullanım dışıdır")), outageText);
    }
};

QTEST_MAIN(PortalBrowserTest)
#include "tst_portalbrowser.moc"
