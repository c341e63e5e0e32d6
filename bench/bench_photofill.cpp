// The list fill with unprepared photographs (a mix of camera sizes): from the fill's start to the
// last photograph prepared, against the floor of the same photographs prepared one by one on one
// thread, divided by the cores; and the longest the event loop went unanswered meanwhile (the gap
// between ticks of a 10 ms timer). Subject and baseline in turn, round by round.
// bench_photofill [PHOTOS] [ROUNDS]
#include "benchstats.h"
#include "benchstore.h"
#include "core/connection.h"
#include "core/database.h"
#include "core/photoprep.h"
#include "core/schema.h"
#include "demophotos.h"
#include "platform/process.h"
#include "platform/testing/testplatform.h"
#include "queue/frm_giris.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMutex>
#include <QThread>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::keepFreedMemoryForReuse(); // as the program does
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const int photos = argc > 1 ? qMax(1, std::atoi(argv[1])) : 40;
    const int rounds = argc > 2 ? qMax(3, std::atoi(argv[2])) : 3;
    const int cores = qMax(1, QThread::idealThreadCount());
    platform::testing::TestPlatform tp;
    const auto [y, ortak] = bench::MakeFirmStore(tp.root.path());

    // Camera photographs of several sizes, one of each made and copied under every name.
    const QList<QSize> sizes = {{4000, 3000}, {3264, 2448}, {2592, 1944}, {1600, 1200}};
    QStringList samples;
    for (const QSize &s : sizes) {
        samples << tp.root.path() + QStringLiteral("/sample%1.jpg").arg(s.width());
        WriteDemoPhoto(samples.last(), s.width(), s.height(), QStringLiteral("Bina"));
    }
    const QString ada = QStringLiteral("104/7 A");
    const QString site = ortak + QStringLiteral("/fotograflar/") + SiteFolderName(ada);
    QDir().mkpath(site + QStringLiteral("/web"));
    db::Exec(y,
             QStringLiteral("insert into inşaat (sayi, ada, yedek1, firma) values (1, ?, 50001, "
                            "'FIRMA')"),
             {ada});
    for (int i = 1; i <= photos; ++i) {
        const QString name = QStringLiteral("foto%1.jpg").arg(i);
        QFile::copy(samples.at(i % samples.size()), site + QLatin1Char('/') + name);
        db::Exec(y,
                 QStringLiteral("insert into yedek5 (sayı, ada, tarih, alan1, alan2, toplam, sev1, "
                                "sev2, sev3, sev4, gonderen, gonderentc, bak_durum) values (?, ?, "
                                "'2026-03-12', ?, 'Kaba inşaat', 100, 10, 20, 30, 40, 'Ali Veli', "
                                "'11111111110', '1')"),
                 {i, ada, name});
    }
    const auto removePrepared = [&] {
        QDir web(site + QStringLiteral("/web"));
        for (const QString &f : web.entryList(QDir::Files))
            web.remove(f);
    };

    frm_giris *w = frm_giris::instance();
    w->navigate = [](const QUrl &) {};
    w->grid_bakanlik_kullanicilar.append({QStringLiteral("FIRMA"), QStringLiteral("Kurum")});
    w->Text2.setText(QStringLiteral("FIRMA"));
    // The jobs the fill hands out, kept for the baseline.
    QMutex lock;
    QList<PhotoJob> jobs;
    w->queue().setPreparer([&](const PhotoJob &job) {
        {
            QMutexLocker locked(&lock);
            jobs << job;
        }
        return RunPhotoJob(job);
    });

    bench::Series fill{"fill until every photo is prepared", {}};
    bench::Series floor{"one by one on one thread / cores", {}};
    bench::Series gap{"longest event-loop gap during the fill", {}};
    bool complete = true;
    for (int round = 0; round < rounds; ++round) {
        removePrepared();
        jobs.clear();
        QEventLoop loop;
        QElapsedTimer clock, sinceTick;
        qint64 longest = 0;
        QTimer tick;
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout,
                         [&] { longest = qMax(longest, sinceTick.restart()); });
        const auto connection = QObject::connect(&w->queue(), &PendingQueue::preparationProgress,
                                                 &loop, [&](int done, int total) {
                                                     if (total > 0 && done == total)
                                                         loop.quit();
                                                 });
        QTimer::singleShot(600000, &loop, [&] {
            complete = false;
            loop.quit();
        });
        tick.start();
        sinceTick.start();
        clock.start();
        w->sorsana();
        longest = qMax(longest, sinceTick.restart());
        if (w->queue().preparing())
            loop.exec();
        fill.values << clock.nsecsElapsed() / 1e6;
        gap.values << double(longest);
        QObject::disconnect(connection);
        tick.stop();
        // The first row's checks may prepare its photograph themselves, before the pool does.
        complete = complete && jobs.size() >= photos - 1;

        removePrepared();
        clock.start();
        for (const PhotoJob &job : std::as_const(jobs))
            complete = RunPhotoJob(job).ok && complete;
        floor.values << clock.nsecsElapsed() / 1e6 / cores;
    }
    std::printf("photo fill: %d unprepared photographs (%d sizes), %d cores, %d rounds, "
                "interleaved\n",
                photos, int(sizes.size()), cores, rounds);
    fill.print();
    floor.print();
    gap.print();
    const double ratio = fill.median() / floor.median();
    std::printf("  fill / floor, medians: %.2fx (mins %.2fx)\n", ratio, fill.min() / floor.min());
    bench::goal("photos in parallel <= 1.1x, no gap > 100 ms",
                bench::format("%.0f / %.0f ms = %.2fx, longest gap %.0f ms", fill.median(),
                              floor.median(), ratio, gap.max()),
                complete && ratio <= 1.1 && gap.max() <= 100);
    delete frm_giris::instance();
    db::CloseAll();
    return complete ? 0 : 1;
}
