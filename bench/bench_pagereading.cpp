// The submission window's own work per portal page, against the page's own load in the engine:
// the load of an inspection list page (the baseline), the one-script read of the completed page
// into a snapshot, and the decisions taken from the snapshot (page code, dispatch, date test,
// previous percentage, button search). Each page in turn: load, read, decide.
#include "benchstats.h"
#include "core/pagerules.h"
#include "core/pagesnapshot.h"
#include "platform/process.h"
#include "platform/testing/testplatform.h"
#include "portal/pagescript.h"
#include "portal/portalpage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <functional>

namespace {

QString ListPage(int rows, int serial)
{
    QString body;
    for (int i = 0; i < rows; ++i)
        body += QStringLiteral("<tr><td>%1.02.2026</td><td>%2,5</td><td>Hasan Demir</td>"
                               "<td>Kaba inşaat %3. kat</td></tr>")
                    .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                    .arg(10 + i % 80)
                    .arg(i);
    return QStringLiteral("<html><head><title>Denetim Bilgileri %1</title></head><body>"
                          "<div id='menu'>Ana Sayfa</div><form id='oyds_form'><input "
                          "type='hidden' id='jscook_action'><table "
                          "id='oyds_form:dataTable'><thead><tr><th>Tarih</th><th>Oran</th>"
                          "<th>Tespiti Yapan</th><th>Gelişmeler</th></tr></thead><tbody "
                          "id='oyds_form:dataTable:tbody_element'>")
               .arg(serial) +
           body +
           QStringLiteral("</tbody></table><input type='submit' value='Yeni Denetim Bilgisi'>"
                          "</form><p>Ekran Kodu : DYDYL</p></body></html>");
}

// Runs the event loop until start's callback calls the finish it is given, or ms have passed.
bool Await(const std::function<void(std::function<void()> finish)> &start, int ms)
{
    QEventLoop loop;
    bool done = false;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    start([&] {
        done = true;
        loop.quit();
    });
    if (!done)
        loop.exec();
    return done;
}

} // namespace

int main(int argc, char **argv)
{
    platform::prepareBrowserEngine();    // as the program does
    platform::keepFreedMemoryForReuse(); // as the program does
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    platform::testing::TestPlatform tp;
    const int count = qMax(3, argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20);
    const int rows = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 60;
    PortalPage page;
    bench::Series loads{"page load in the engine (baseline)", {}};
    bench::Series reads{"read into a snapshot", {}};
    bench::Series decisions{"decisions from the snapshot", {}};
    int decided = 0;
    for (int i = -1; i < count; ++i) { // the first round warms the engine and is not counted
        QMetaObject::Connection c;
        QElapsedTimer t;
        t.start();
        const bool loaded = Await(
            [&](std::function<void()> finish) {
                c = QObject::connect(&page, &PortalPage::documentComplete,
                                     [finish](const QUrl &) { finish(); });
                page.setHtml(ListPage(rows, i),
                             QUrl(QStringLiteral("http://portal.test/yds/l.jsf")));
            },
            20000);
        QObject::disconnect(c);
        if (!loaded) {
            std::fprintf(stderr, "page did not load\n");
            return 1;
        }
        const double load = t.nsecsElapsed() / 1e6;

        PageSnapshot snap;
        t.restart();
        const bool got = Await(
            [&](std::function<void()> finish) {
                TakeSnapshot(&page, {QStringLiteral("oyds_form:id")}, FormsHtml::Skip,
                             [&snap, finish](const PageSnapshot &s) {
                                 snap = s;
                                 finish();
                             });
            },
            20000);
        if (!got || !snap.valid) {
            std::fprintf(stderr, "page was not read\n");
            return 1;
        }
        const double read = t.nsecsElapsed() / 1e6;

        t.restart();
        const auto code = ReadScreenCode(snap.bodyText);
        const PageDecision d = DispatchPage(code.value_or(QString()), QStringLiteral("YHHYR"),
                                            QStringLiteral("ariyor"), snap.title);
        const int r = ListDateTest(0, snap.tables.value(QStringLiteral("oyds_form:dataTable")),
                                   QStringLiteral("112"), QDate(2026, 3, 7));
        const double previous = PreviousPercentage(
            snap.tables.value(QStringLiteral("oyds_form:dataTable:tbody_element")));
        const int button = butonu_bul(snap, QStringLiteral("Yeni Denetim Bilgisi"),
                                      QStringLiteral("submit"), QStringLiteral("buton"));
        const double decide = t.nsecsElapsed() / 1e3;
        if (i >= 0 && d.action == PageAction::SevenDayThenNewRecord && r == 1 && previous > 0 &&
            button >= 0)
            ++decided;
        if (i >= 0) {
            loads.values << load;
            reads.values << read;
            decisions.values << decide;
        }
    }
    std::printf("  inspection list of %d rows, %d pages in turn (decided right: %d)\n", rows, count,
                decided);
    loads.print();
    reads.print();
    decisions.print("us");
    std::printf("  read / load, medians: %.2fx; decisions / load: %.4fx\n",
                reads.median() / loads.median(), decisions.median() / 1000.0 / loads.median());
    return decided == count ? 0 : 1;
}
