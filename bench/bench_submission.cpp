// One whole submission against the portal simulator, averaged over a queue: the program's time
// per record (from the submission window's opening to its closing, so the countdown between
// records is left out) against the same pages walked as plain HTTP requests in the same run; and
// a record with its proof (the list printed to PDF, the photograph kept) against one without.
#include "core/connection.h"
#include "core/database.h"
#include "core/schema.h"
#include "platform/testing/testplatform.h"
#include "portal/frm_guvenlik.h"
#include "portal/portallogin.h"
#include "queue/frm_giris.h"
#include "simulator.h"
#include "submit/frm_popup.h"
#include "walk.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

using namespace ydssim::testing;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 20;
    platform::testing::TestPlatform tp;
    tp.clock->setNow(QDateTime(QDate::currentDate(), QTime(10, 0)));
    tp.clock->setTickMs(1);
    Simulator sim;
    if (!sim.start()) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(sim.error()));
        return 1;
    }
    const QString user = QStringLiteral("12345678901"), password = QStringLiteral("yds1234");
    // One site per record: a site's second record on the same day is not sent again.
    const auto ada = [](int i) { return QStringLiteral("%1/3 A").arg(10 + i); };
    const int yibf = 2024101;
    QJsonArray sites;
    for (int i = 0; i < count; ++i)
        sites.append(QJsonObject{{"yibf", QString::number(yibf + i)},
                                 {"institution", user},
                                 {"ada", ada(i)},
                                 {"inspections", QJsonArray{}}});
    const QJsonObject seed{
        {"institutions",
         QJsonArray{QJsonObject{
             {"name", "Anadolu"}, {"user", user}, {"password", password}, {"number", "1"}}}},
        {"sites", sites}};
    sim.reset(QJsonDocument(seed).toJson());
    sim.setToday(tp.clock->today());
    platform::Deployment::setCurrent(sim.deployment());

    const QString store = tp.root.path() + "/store";
    QDir().mkpath(store);
    CreateSqliteStore(store + "/y3436.sqlite3", "y3436");
    CreateSqliteStore(store + "/f3436.sqlite3", "f3436");
    Connection().WorkFolder = "c:\\tarvek2000word\\";
    Connection().ConnectionPrefix = BuildConnectionPrefix("sqlite:" + store);
    const QString y3436 = ConnectionString("y3436");
    const QString ortak = tp.root.path() + "/ortak";
    db::Exec(ConnectionString("f3436"),
             "insert into ayarlar2 (foto_tarih_at, ortak) values ('1', ?)", {ortak});
    QImage image(880, 660, QImage::Format_RGB32);
    image.fill(QColor(90, 120, 200));
    const QString firstWeb = ortak + "/fotograflar/10_3_A/web";
    for (int i = 0; i < count; ++i) {
        db::Exec(y3436, "insert into inşaat (sayi, ada, yedek1, firma) values (?, ?, ?, ?)",
                 {i + 1, ada(i), yibf + i, user});
        const QString web = ortak + QStringLiteral("/fotograflar/%1_3_A/web").arg(10 + i);
        QDir().mkpath(web);
        image.save(web + "/foto.jpg", "JPG", 80);
        db::Exec(y3436,
                 "insert into yedek5 (sayı, ada, tarih, alan1, alan2, sev1, sev2, sev3, sev4, "
                 "gonderen, gonderentc, bak_durum) values (?, ?, ?, 'foto.jpg', 'Kaba inşaat', "
                 "20, ?, 0, 0, 'Mehmet Öztürk', '12345678950', '1')",
                 {i + 1, ada(i), tp.clock->today().addDays(i - count), 10 + 2 * i});
    }

    frm_giris *w = frm_giris::instance();
    w->grid_bakanlik_kullanicilar = {{user, "Anadolu"}};
    w->Text2.setText(user);
    w->Text3.setText(password);
    w->ilk_kullanici.setText("operator");
    w->Check7->setChecked(true);
    w->Check8->setChecked(true);
    QObject::connect(w->portalLogin, &PortalLogin::securityDialogShown, [&sim](frm_guvenlik *d) {
        QTimer::singleShot(0, d, [&sim, d] {
            d->Text1->setText(sim.latestCode());
            d->Command1->click();
        });
    });
    // Each record's time: from the submission window showing to its closing. The first half of
    // the queue keeps its proofs, the second half does not; the list of a record is printed
    // while the next one starts, so the first record without one (which still waits on that
    // print, if anything does) and the first two (warming the engine up) are left out.
    qint64 inWindow = 0;
    QElapsedTimer windowClock;
    int opened = 0;
    QList<double> withProof, withoutProof;
    w->popupx.onChange([&](const QString &t) {
        if (t == QStringLiteral("1")) {
            w->openSubmissionWindow()->keepProof = opened < count / 2;
            ++opened;
            windowClock.start();
        } else if (windowClock.isValid()) {
            inWindow += windowClock.nsecsElapsed();
            const int k = opened - 1;
            if (k >= 2 && k != count / 2)
                (k < count / 2 ? withProof : withoutProof) << windowClock.nsecsElapsed() / 1e6;
        }
    });
    QElapsedTimer total;
    total.start();
    w->Command2->click();
    while (int(sim.records().size()) < count && total.elapsed() < 600000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (!w->openSubmissionWindow() && sim.records().size() >= count)
            break;
    }
    while (w->openSubmissionWindow() && total.elapsed() < 600000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    const double programMs = inWindow / 1e6 / count;
    const int sent = int(sim.records().size());

    // The same pages as plain HTTP, one client (one login) per record.
    WalkInput in;
    in.user = user;
    in.password = password;
    in.levels[0] = "20";
    QFile photo(firstWeb + "/foto.jpg");
    photo.open(QIODevice::ReadOnly);
    in.photo = photo.readAll();
    sim.reset(QJsonDocument(seed).toJson());
    QElapsedTimer http;
    http.start();
    for (int i = 0; i < count; ++i) {
        in.yibf = QString::number(yibf + i);
        in.levels[1] = QString::number(10 + 2 * i);
        PortalClient client(sim.appBase());
        walkTo(sim, client, "save", in);
    }
    const double httpMs = http.nsecsElapsed() / 1e6 / count;
    std::printf("records sent: %d of %d\n", sent, count);
    std::printf("program, per record (window open to close): %.1f ms\n", programMs);
    std::printf("the same pages as plain HTTP, per record:    %.1f ms\n", httpMs);
    std::printf("ratio program / round-trips: %.2fx; program's own overhead: %.1f ms per record\n",
                programMs / httpMs, programMs - httpMs);
    const auto spread = [](QList<double> v) {
        std::sort(v.begin(), v.end());
        return v.isEmpty() ? std::array<double, 3>{0, 0, 0}
                           : std::array<double, 3>{v.first(), v[v.size() / 2], v.last()};
    };
    const auto a = spread(withProof), b = spread(withoutProof);
    std::printf("with its proof, per record (min / median / max):    %.1f / %.1f / %.1f ms (%d)\n",
                a[0], a[1], a[2], int(withProof.size()));
    std::printf("without its proof, per record (min / median / max): %.1f / %.1f / %.1f ms (%d)\n",
                b[0], b[1], b[2], int(withoutProof.size()));
    std::printf("ratio with / without: %.3fx; the proof's cost: %.1f ms per record (%.1f %%)\n",
                a[1] / b[1], a[1] - b[1], 100.0 * (a[1] - b[1]) / b[1]);
    std::fflush(stdout);
    // The browser engine's teardown order is not this benchmark's concern.
    std::_Exit(sent == count ? 0 : 1);
}
