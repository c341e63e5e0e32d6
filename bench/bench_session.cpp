// One security code per queue: a queue sent in the portal session of its one login (A) against
// the same queue with a login per record (B), interleaved A B A B ... in one run against the
// portal simulator. Per queue: the codes the operator typed and the time per record, from the
// countdown's end (or the send command) to the submission window's closing, so the countdown
// between records is left out (its tick is shortened to 1 ms through the platform clock, and
// at most one tick of it is counted). The code is typed the moment its dialog shows: an
// operator's reading and typing comes on top of B's figure, once per record.
#include "benchstore.h"
#include "core/connection.h"
#include "core/database.h"
#include "core/schema.h"
#include "platform/process.h"
#include "platform/testing/testplatform.h"
#include "portal/frm_guvenlik.h"
#include "portal/portallogin.h"
#include "queue/frm_giris.h"
#include "simulator.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using ydssim::testing::Simulator;

namespace {
struct Run
{
    double msPerRecord = 0;
    int codes = 0;
    int sent = 0;
};

QString Spread(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return QStringLiteral("%1 / %2 / %3 ms")
        .arg(v.first(), 0, 'f', 1)
        .arg(v.at(v.size() / 2), 0, 'f', 1)
        .arg(v.last(), 0, 'f', 1);
}
} // namespace

int main(int argc, char *argv[])
{
    platform::prepareBrowserEngine();    // as the program does
    platform::keepFreedMemoryForReuse(); // as the program does
    QApplication app(argc, argv);
    const int count = qMax(1, argc > 1 ? QByteArray(argv[1]).toInt() : 20);
    const int rounds = qMax(3, argc > 2 ? QByteArray(argv[2]).toInt() : 3);
    platform::testing::TestPlatform tp;
    tp.clock->setNow(QDateTime(QDate::currentDate(), QTime(10, 0)));
    tp.clock->setTickMs(1);
    Simulator sim;
    if (!sim.start()) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(sim.error()));
        return 1;
    }
    const QString user = QStringLiteral("12345678901"), password = QStringLiteral("yds1234");
    const QString ada = QStringLiteral("12/3 A");
    const int yibf = 2024101;
    const QJsonObject seed{
        {"institutions",
         QJsonArray{QJsonObject{
             {"name", "Anadolu"}, {"user", user}, {"password", password}, {"number", "1"}}}},
        {"sites", QJsonArray{QJsonObject{{"yibf", QString::number(yibf)},
                                         {"institution", user},
                                         {"ada", ada},
                                         {"inspections", QJsonArray{}}}}}};
    platform::Deployment::setCurrent(sim.deployment());

    const auto [y3436, ortak] = bench::MakeFirmStore(tp.root.path());
    db::Exec(y3436, "insert into inşaat (sayi, ada, yedek1, firma) values (1, ?, ?, ?)",
             {ada, yibf, user});
    const QString web = ortak + "/fotograflar/12_3_A/web";
    QDir().mkpath(web);
    QImage image(880, 660, QImage::Format_RGB32);
    image.fill(QColor(90, 120, 200));
    image.save(web + "/foto.jpg", "JPG", 80);

    frm_giris *w = frm_giris::instance();
    w->grid_bakanlik_kullanicilar = {{user, "Anadolu"}};
    w->Text3.setText(password);
    w->ilk_kullanici.setText("operator");
    w->Check7->setChecked(true);
    w->Check8->setChecked(true);
    w->Check9->setChecked(false); // every record goes to the one site, the same day
    int codes = 0;
    QObject::connect(w->portalLogin, &PortalLogin::securityDialogShown, [&](frm_guvenlik *d) {
        ++codes;
        QTimer::singleShot(0, d, [&sim, d] {
            d->Text1->setText(sim.latestCode());
            d->Command1->click();
        });
    });
    // A record's time runs from the send (or the tick before the countdown's last) to the
    // window's closing.
    QElapsedTimer clock;
    clock.start();
    qint64 start = 0, previousTick = 0, inRecords = 0;
    QObject::connect(w->Timer1, &QTimer::timeout, [&] {
        if (!w->Timer1->isActive())
            start = previousTick; // the countdown ended on this tick: the next record went
        previousTick = clock.nsecsElapsed();
    });
    w->popupx.onChange([&](const QString &t) {
        if (t.isEmpty())
            inRecords += clock.nsecsElapsed() - start;
    });

    const auto sendQueue = [&](bool keep) {
        sim.reset(QJsonDocument(seed).toJson());
        sim.setToday(tp.clock->today());
        db::Exec(y3436, "delete from yedek5");
        for (int i = 0; i < count; ++i)
            db::Exec(y3436,
                     "insert into yedek5 (sayı, ada, tarih, alan1, alan2, sev1, sev2, sev3, sev4, "
                     "gonderen, gonderentc, bak_durum) values (?, ?, ?, 'foto.jpg', 'Kaba inşaat', "
                     "20, ?, 0, 0, 'Mehmet Öztürk', '12345678950', '1')",
                     {i + 1, ada, tp.clock->today().addDays(i - count), 2 * i});
        w->Check10->setChecked(keep);
        w->Text2.setText(user);
        w->sorsana();
        codes = 0;
        inRecords = 0;
        start = clock.nsecsElapsed();
        w->Command2->click();
        QElapsedTimer limit;
        limit.start();
        while (limit.elapsed() < 600000 && (int(sim.records().size()) < count ||
                                            w->openSubmissionWindow() || w->Timer1->isActive()))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return Run{inRecords / 1e6 / count, codes, int(sim.records().size())};
    };

    QList<double> kept, perLogin;
    int keptCodes = 0, loginCodes = 0; // the most typed for one queue
    bool allSent = true;
    for (int r = 0; r < rounds; ++r)
        for (const bool keep : {true, false}) {
            const Run run = sendQueue(keep);
            allSent = allSent && run.sent == count;
            (keep ? kept : perLogin) << run.msPerRecord;
            int &most = keep ? keptCodes : loginCodes;
            most = qMax(most, run.codes);
            std::printf("  round %d, %-14s %5.1f ms per record, %2d codes typed, %d of %d sent\n",
                        r + 1, keep ? "session kept:" : "login each:", run.msPerRecord, run.codes,
                        run.sent, count);
            std::fflush(stdout);
        }
    std::printf("queue of %d, %d rounds; min / median / max per record\n", count, rounds);
    std::printf("one code, session kept:  %s; codes typed per queue: %d\n",
                qPrintable(Spread(kept)), keptCodes);
    std::printf("a login per record:      %s; codes typed per queue: %d\n",
                qPrintable(Spread(perLogin)), loginCodes);
    std::sort(kept.begin(), kept.end());
    std::sort(perLogin.begin(), perLogin.end());
    const double a = kept.at(kept.size() / 2), b = perLogin.at(perLogin.size() / 2);
    std::printf("ratio kept / login each (medians): %.2fx; %.1f ms less per record\n", a / b,
                b - a);
    std::fflush(stdout);
    // The browser engine's teardown order is not this benchmark's concern.
    std::_Exit(allSent ? 0 : 1);
}
