// The main browser's way to a logged-in portal window, in the real engine against the simulator.
#include "core/addresses.h"
#include "platform/testing/testplatform.h"
#include "portal/frm_guvenlik.h"
#include "portal/portallogin.h"
#include "portal/portalpage.h"
#include "simulator.h"
#include "submit/frm_popup.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QtTest>

#include <httplib.h>
#include <thread>

using platform::testing::TestPlatform;
using ydssim::testing::Simulator;

namespace {
// The window the login works for, as far as the login sees it.
struct FakeWindow
{
    QString status;
    QString temp;
    bool visible = false;
    int visibleAsked = 0;
    int handOvers = 0;
    PortalPage target;
};
} // namespace

class tst_portallogin : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void acceptedLoginHandsOver();
    void refusedLoginShowsThePortalMessageAndAsksAgain();
    void frontPage_data();
    void frontPage();
    void loginPageNeverLeavesForTheFrontPage_data();
    void loginPageNeverLeavesForTheFrontPage();
    void pagesThatStartNoLogin_data();
    void pagesThatStartNoLogin();
    void everyCodeImageGetsItsDialog();
    void windowsGoWithScriptsInFlight();

private:
    std::unique_ptr<Simulator> m_sim;
    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<FakeWindow> m_link;
    std::unique_ptr<PortalPage> m_page;
    std::unique_ptr<PortalLogin> m_login;
    QList<QPointer<frm_guvenlik>> m_dialogs;
};

void tst_portallogin::init()
{
    m_tp = std::make_unique<TestPlatform>();
    m_sim = std::make_unique<Simulator>();
    QVERIFY2(m_sim->start(), qPrintable(m_sim->error()));
    platform::Deployment::setCurrent(m_sim->deployment());
    m_link = std::make_unique<FakeWindow>();
    m_link->temp = m_tp->host->temp;
    m_page = std::make_unique<PortalPage>();
    PortalLoginContext context;
    FakeWindow *w = m_link.get();
    context.user = [] { return Simulator::demoUser(); };
    context.password = [] { return Simulator::demoPassword(); };
    context.codeFolder = [w] { return w->temp; };
    context.submissionShown = [w] {
        ++w->visibleAsked;
        return w->visible;
    };
    context.submissionPage = [w] { return &w->target; };
    m_login = std::make_unique<PortalLogin>(m_page.get(), std::move(context));
    connect(m_login.get(), &PortalLogin::statusText, this,
            [w](const QString &t) { w->status = t; });
    connect(m_login.get(), &PortalLogin::portalWindowOpened, this, [w] { ++w->handOvers; });
    m_dialogs.clear();
    connect(m_login.get(), &PortalLogin::securityDialogShown, this,
            [this](frm_guvenlik *d) { m_dialogs << d; });
}

void tst_portallogin::cleanup()
{
    for (const QPointer<frm_guvenlik> &d : std::as_const(m_dialogs))
        if (d)
            d->close();
    m_login.reset();
    m_page.reset();
    m_link.reset();
    m_sim.reset();
    m_tp.reset();
}

void tst_portallogin::acceptedLoginHandsOver()
{
    m_login->openLoginPage();
    QTRY_COMPARE_WITH_TIMEOUT(m_dialogs.size(), 1, 15000);
    // The operator reads the code from the image the program downloaded in the page's session.
    QVERIFY(QFileInfo::exists(m_login->codeImageFile()));
    QVERIFY(!m_dialogs[0]->Image1->pixmap().isNull());
    QCOMPARE(m_dialogs[0]->windowTitle(), QStringLiteral("Güvenlik Uyarısı"));
    QTest::keyClicks(m_dialogs[0]->Text1, m_sim->latestCode().toLower());
    QCOMPARE(m_dialogs[0]->Text1->text(), m_sim->latestCode());
    m_dialogs[0]->Command1->click();
    QTRY_COMPARE_WITH_TIMEOUT(m_link->handOvers, 1, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(m_link->target.url().path().endsWith("/yds/rol/common/top.jsf"),
                             15000);
    QVERIFY(m_link->visibleAsked >= 1); // the first login page created the submission window
    QCOMPARE(m_tp->messages->texts(), QStringList());
}

void tst_portallogin::refusedLoginShowsThePortalMessageAndAsksAgain()
{
    int messagesBeforeSecondDialog = -1;
    connect(m_login.get(), &PortalLogin::securityDialogShown, this,
            [this, &messagesBeforeSecondDialog] {
                if (m_dialogs.size() == 2)
                    messagesBeforeSecondDialog = int(m_tp->messages->shown.size());
            });
    m_login->openLoginPage();
    QTRY_COMPARE_WITH_TIMEOUT(m_dialogs.size(), 1, 15000);
    m_dialogs[0]->Text1->setText(QStringLiteral("YANLIS"));
    m_dialogs[0]->Command1->click();
    // The login page comes back: the portal's message on it first, then a new code's dialog.
    QTRY_COMPARE_WITH_TIMEOUT(m_dialogs.size(), 2, 15000);
    QCOMPARE(messagesBeforeSecondDialog, 1);
    const QString text = m_tp->messages->shown.last().text;
    QVERIFY2(text.startsWith(QStringLiteral("Bakanlık Sayfasından aşağıdaki mesaj alınmıştır : "
                                            "\r\n")),
             qPrintable(text));
    QCOMPARE(m_tp->messages->shown.last().icon, platform::MsgIcon::Critical);
    // Closing that dialog ends the page's handling without repeating the message.
    QSignalSpy handled(m_login.get(), &PortalLogin::pageHandled);
    m_dialogs[1]->close();
    QTRY_VERIFY_WITH_TIMEOUT(!handled.isEmpty(), 15000);
    QCOMPARE(m_tp->messages->shown.size(), 1);
    QCOMPARE(m_link->handOvers, 0);
}

void tst_portallogin::frontPage_data()
{
    QTest::addColumn<bool>("outage");
    QTest::newRow("out of service: the portal's words, no login") << true;
    QTest::newRow("in service: on to the login page") << false;
}

void tst_portallogin::frontPage()
{
    QFETCH(bool, outage);
    if (outage)
        QVERIFY(m_sim->setFault(QStringLiteral("outage")));
    QSignalSpy handled(m_login.get(), &PortalLogin::pageHandled);
    // The login page redirects to the front page when the portal is out of service.
    if (outage)
        m_login->openLoginPage();
    else
        m_page->load(QUrl(m_sim->frontUrl()));
    QTRY_VERIFY_WITH_TIMEOUT(!handled.isEmpty(), 15000);
    if (outage) {
        QCOMPARE(m_tp->messages->texts(),
                 QStringList{QStringLiteral("Yapı Denetim Sistemi Uygulaması Kullanım Dışıdır.")});
        QCOMPARE(m_tp->messages->shown[0].icon, platform::MsgIcon::None);
        QVERIFY(m_link->status.isEmpty());
        QVERIFY(m_dialogs.isEmpty());
        return;
    }
    QCOMPARE(m_link->status, QStringLiteral("Bakanlık Sitesi Açılıyor..."));
    QTRY_COMPARE_WITH_TIMEOUT(m_dialogs.size(), 1, 15000);
    QCOMPARE(m_page->url().toString(), LoginPageUrl());
}

void tst_portallogin::loginPageNeverLeavesForTheFrontPage_data()
{
    QTest::addColumn<int>("browser");
    QTest::newRow("main window's browser") << 0;
    QTest::newRow("submission window's first browser") << 1;
    QTest::newRow("submission window's second browser") << 2;
}

void tst_portallogin::loginPageNeverLeavesForTheFrontPage()
{
    QFETCH(int, browser);
    QVERIFY(m_sim->setFault(QStringLiteral("login-to-front")));
    std::unique_ptr<frm_popup> popup;
    PortalPage *page = m_page.get();
    if (browser > 0) {
        popup = std::make_unique<frm_popup>(SubmissionOptions{});
        page = browser == 1 ? popup->page1() : popup->page2();
    }
    QSignalSpy refused(page, &PortalPage::navigationRefused);
    page->load(QUrl(LoginPageUrl()));
    // The page's own script moves to the front page once loaded; the move is refused.
    QVERIFY(refused.wait(15000));
    QCOMPARE(refused.first().first().toUrl().toString(), FrontPageUrl());
    QCOMPARE(page->url().toString(), LoginPageUrl());
    if (browser == 0)
        QTRY_COMPARE_WITH_TIMEOUT(m_dialogs.size(), 1, 15000);
    QVERIFY(m_tp->messages->shown.isEmpty());
}

void tst_portallogin::pagesThatStartNoLogin_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<bool>("visible");
    QTest::newRow("login address with a session parameter") << ";jsessionid=ABC123" << false;
    QTest::newRow("login page while the submission window is shown") << "" << true;
}

void tst_portallogin::pagesThatStartNoLogin()
{
    QFETCH(QString, suffix);
    QFETCH(bool, visible);
    m_link->visible = visible;
    QSignalSpy handled(m_login.get(), &PortalLogin::pageHandled);
    m_page->load(QUrl(LoginPageUrl() + suffix));
    QVERIFY(handled.wait(15000));
    QVERIFY(m_dialogs.isEmpty());
    QVERIFY(m_tp->messages->shown.isEmpty());
    QCOMPARE(m_link->visibleAsked, visible ? 1 : 0);
}

void tst_portallogin::everyCodeImageGetsItsDialog()
{
    // A login page of our own with two security-code images: one dialog for each, in turn.
    httplib::Server server;
    std::atomic<int> images = 0;
    QByteArray png;
    {
        QImage picture(120, 40, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
    }
    const int port = server.bind_to_any_port("127.0.0.1");
    const std::string base = "http://127.0.0.1:" + std::to_string(port);
    server.Get("/yds/rol/ziyaretci/LA_G_Z_K.jsf",
               [&](const httplib::Request &, httplib::Response &res) {
                   res.set_content("<html><body><form></form><form><img src='" + base +
                                       "/yds/jcaptcha'><img src='" + base +
                                       "/yds/jcaptcha'></form></body></html>",
                                   "text/html");
               });
    server.Get("/yds/jcaptcha", [&](const httplib::Request &, httplib::Response &res) {
        ++images;
        res.set_content(png.toStdString(), "image/png");
    });
    std::thread serving([&] { server.listen_after_bind(); });
    auto d = m_sim->deployment();
    d.portalAppHost = QString::fromStdString(base);
    platform::Deployment::setCurrent(d);
    QSignalSpy handled(m_login.get(), &PortalLogin::pageHandled);
    m_login->openLoginPage();
    QTRY_COMPARE_WITH_TIMEOUT(m_dialogs.size(), 1, 15000);
    m_dialogs[0]->close();
    QTRY_COMPARE_WITH_TIMEOUT(m_dialogs.size(), 2, 15000);
    m_dialogs[1]->close();
    // The page's handler ends after the last image's dialog: no third one.
    QTRY_VERIFY_WITH_TIMEOUT(!handled.isEmpty(), 15000);
    QCOMPARE(m_dialogs.size(), 2);
    QVERIFY(images >= 3); // the page's own images, then a code fetched for each dialog
    server.stop();
    serving.join();
}

void tst_portallogin::windowsGoWithScriptsInFlight()
{
    // A page answers its pending scripts as it is destroyed: the windows reading those answers
    // must not be half gone by then (the sanitizer build runs this too).
    auto *popup = new frm_popup(SubmissionOptions{});
    QSignalSpy loaded(popup->page1(), &PortalPage::documentComplete);
    popup->page1()->load(QUrl(LoginPageUrl()));
    QVERIFY(loaded.wait(15000));
    popup->onCommand7(); // reads the page afresh: a script in flight
    popup->onCommand7(); // a second one
    delete popup;
    m_login->openLoginPage();
    QTRY_COMPARE_WITH_TIMEOUT(m_dialogs.size(), 1, 15000);
    m_dialogs[0]->close();
    m_login.reset(); // the code image's and the message's scripts are in flight or done
    m_page.reset();
    QVERIFY(m_tp->messages->shown.size() <= 1);
}

QTEST_MAIN(tst_portallogin)
#include "tst_portallogin.moc"
