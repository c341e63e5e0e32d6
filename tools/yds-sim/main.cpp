// yds-sim: the local portal for tests, the demo and operator training.
#include "server.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

namespace {
std::atomic<bool> g_stop{false};
void onSignal(int)
{
    g_stop = true;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("yds-sim"));

    QCommandLineParser cl;
    cl.setApplicationDescription(
        QStringLiteral("Local stand-in of the ministry's inspection portal."));
    cl.addHelpOption();
    const QCommandLineOption appPort(QStringLiteral("app-port"),
                                     QStringLiteral("Application host port (0 = free port)."),
                                     QStringLiteral("P"), QStringLiteral("0"));
    const QCommandLineOption frontPort(QStringLiteral("front-port"),
                                       QStringLiteral("Front host port (0 = free port)."),
                                       QStringLiteral("Q"), QStringLiteral("0"));
    const QCommandLineOption seed(
        QStringLiteral("seed"),
        QStringLiteral("Seed file (JSON); default: the built-in demo seed."),
        QStringLiteral("FILE"));
    const QCommandLineOption testEndpoints(QStringLiteral("test-endpoints"),
                                           QStringLiteral("Serve the /__test/ endpoints."));
    const QCommandLineOption latency(QStringLiteral("latency-ms"),
                                     QStringLiteral("Delay added to every page."),
                                     QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption updates(QStringLiteral("updates"),
                                     QStringLiteral("Folder of the version list and packages."),
                                     QStringLiteral("DIR"));
    const QCommandLineOption faultOpt(QStringLiteral("fault"),
                                      QStringLiteral("Switch a fault on (repeatable)."),
                                      QStringLiteral("NAME[=ARG]"));
    const QCommandLineOption hangLimit(QStringLiteral("hang-limit"),
                                       QStringLiteral("Longest hang in seconds."),
                                       QStringLiteral("S"), QStringLiteral("300"));
    const QCommandLineOption sessionIdle(
        QStringLiteral("session-idle"),
        QStringLiteral("A session unused this many seconds has ended."), QStringLiteral("S"),
        QStringLiteral("1800"));
    const QCommandLineOption sessionRequests(
        QStringLiteral("session-requests"),
        QStringLiteral("A session ends after this many page requests (0 = no limit)."),
        QStringLiteral("N"), QStringLiteral("0"));
    cl.addOptions({appPort, frontPort, seed, testEndpoints, latency, updates, faultOpt, hangLimit,
                   sessionIdle, sessionRequests});
    cl.process(app);

    // Whole numbers, at least `least`.
    bool numbersOk = true;
    const auto number = [&](const QCommandLineOption &o, int least) {
        bool ok = false;
        const int n = cl.value(o).toInt(&ok);
        numbersOk = numbersOk && ok && n >= least;
        return n;
    };
    ydssim::Options opt;
    opt.appPort = number(appPort, 0);
    opt.frontPort = number(frontPort, 0);
    opt.latencyMs = number(latency, 0);
    opt.hangLimitSeconds = number(hangLimit, 1);
    opt.sessionIdleSeconds = number(sessionIdle, 1);
    opt.sessionRequests = number(sessionRequests, 0);
    if (!numbersOk) {
        std::fprintf(stderr, "yds-sim: ports, --latency-ms, --hang-limit, --session-idle and "
                             "--session-requests take whole numbers\n");
        return 2;
    }
    opt.seedFile = cl.value(seed);
    opt.testEndpoints = cl.isSet(testEndpoints);
    opt.updatesDir = cl.value(updates);
    opt.faults = cl.values(faultOpt);

    ydssim::Server server(opt);
    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "yds-sim: %s\n", qPrintable(error));
        return 1;
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::printf("yds-sim ready app=%s front=%s\n", qPrintable(server.appBase()),
                qPrintable(server.frontBase()));
    std::fflush(stdout);
    while (!g_stop)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    server.stop();
    return 0;
}
