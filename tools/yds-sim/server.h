#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace ydssim {

struct Options
{
    QString host = QStringLiteral("127.0.0.1");
    int appPort = 0;   // 0 = pick a free port
    int frontPort = 0; // 0 = pick a free port
    QString seedFile;  // empty = the built-in demo seed
    bool testEndpoints = false;
    int latencyMs = 0;
    QString updatesDir; // folder served under /download/Tarvek_Zere/Tarvek2000/
    QStringList faults; // "NAME" or "NAME=ARG", switched on at start and after a reset
    int hangLimitSeconds = 300;
    int sessionIdleSeconds = 30 * 60; // a session unused this long has ended
    int sessionRequests = 0;          // a session ends after this many page requests; 0 = never
    int maxSessions = 10000;          // beyond it the least recently used session is dropped
    int workerThreads = 8;            // per host; more start while all are busy (held answers)
    int workerLimit = 1024;
};

// The local stand-in of the ministry portal: the application host and the front host on two
// ports, sessions by cookie, the pages and behaviour the program relies on, and the faults.
class Server
{
public:
    explicit Server(Options options);
    ~Server();
    Server(const Server &) = delete;
    Server &operator=(const Server &) = delete;

    bool start(QString *error);
    void stop();

    QString appBase() const;   // "http://127.0.0.1:P"
    QString frontBase() const; // "http://127.0.0.1:Q"

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace ydssim
