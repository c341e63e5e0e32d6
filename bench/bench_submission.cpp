// One whole submission against the portal simulator, averaged over a queue: the program's time
// per record (from the submission window's opening to its closing, so the countdown between
// records is left out) against the same pages walked as plain HTTP requests in the same run.
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
    db::Exec(y3436, "insert into inşaat (sayi, ada, yedek1, firma) values (1, ?, ?, ?)",
             {ada, yibf, user});
    const QString web = ortak + "/fotograflar/12_3_A/web";
    QDir().mkpath(web);
    QImage image(880, 660, QImage::Format_RGB32);
    image.fill(QColor(90, 120, 200));
    image.save(web + "/foto.jpg", "JPG", 80);
    for (int i = 0; i < count; ++i)
        db::Exec(y3436,
                 "insert into yedek5 (sayı, ada, tarih, alan1, alan2, sev1, sev2, sev3, sev4, "
                 "gonderen, gonderentc, bak_durum) values (?, ?, ?, 'foto.jpg', 'Kaba inşaat', "
                 "20, ?, 0, 0, 'Mehmet Öztürk', '12345678950', '1')",
                 {i + 1, ada, tp.clock->today().addDays(i - count), 10 + 2 * i});

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
    // Each record's time: from the submission window showing to its closing.
    qint64 inWindow = 0;
    QElapsedTimer windowClock;
    w->popupx.onChange([&](const QString &t) {
        if (t == QStringLiteral("1"))
            windowClock.start();
        else if (windowClock.isValid())
            inWindow += windowClock.nsecsElapsed();
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
    in.yibf = QString::number(yibf);
    in.levels[0] = "20";
    QFile photo(web + "/foto.jpg");
    photo.open(QIODevice::ReadOnly);
    in.photo = photo.readAll();
    sim.reset(QJsonDocument(seed).toJson());
    QElapsedTimer http;
    http.start();
    for (int i = 0; i < count; ++i) {
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
    std::fflush(stdout);
    // The browser engine's teardown order is not this benchmark's concern.
    std::_Exit(sent == count ? 0 : 1);
}
