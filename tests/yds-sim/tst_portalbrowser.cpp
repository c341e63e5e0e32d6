// placeholder
#include <QTest>
class PortalBrowserTest : public QObject
{
    Q_OBJECT
};
QTEST_MAIN(PortalBrowserTest)
#include "tst_portalbrowser.moc"
