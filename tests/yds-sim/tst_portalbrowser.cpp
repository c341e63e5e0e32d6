// What only a browser shows of the simulated portal and no other test covers: the login page's
// own script sending the browser to the front page. The program's test shows that the program
// cancels that move; this one shows there is a move to cancel.
#include "simulator.h"

#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

using namespace ydssim::testing;

class PortalBrowserTest : public QObject
{
    Q_OBJECT

private:
    Simulator m_sim;

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_sim.start(), qPrintable(m_sim.error())); }

    void loginPageScriptLeavesForTheFrontPage()
    {
        QVERIFY(m_sim.setFault(QStringLiteral("login-to-front")));
        QWebEngineProfile profile; // off the record
        QWebEnginePage page(&profile);
        page.load(QUrl(m_sim.loginUrl()));
        QTRY_COMPARE_WITH_TIMEOUT(page.url().toString(), m_sim.frontUrl(), 15000);
    }
};

QTEST_MAIN(PortalBrowserTest)
#include "tst_portalbrowser.moc"
