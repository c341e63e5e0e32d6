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
    cl.addOptions({appPort, frontPort, seed, testEndpoints, latency, updates, faultOpt, hangLimit});
    cl.process(app);

    ydssim::Options opt;
    bool ok1 = false, ok2 = false, ok3 = false, ok4 = false;
    opt.appPort = cl.value(appPort).toInt(&ok1);
    opt.frontPort = cl.value(frontPort).toInt(&ok2);
    opt.latencyMs = cl.value(latency).toInt(&ok3);
    opt.hangLimitSeconds = cl.value(hangLimit).toInt(&ok4);
    if (!ok1 || !ok2 || !ok3 || !ok4 || opt.appPort < 0 || opt.frontPort < 0 || opt.latencyMs < 0 ||
        opt.hangLimitSeconds <= 0) {
        std::fprintf(stderr, "yds-sim: ports, --latency-ms and --hang-limit take whole numbers\n");
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
