#pragma once

#include <QByteArray>
#include <QDate>
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
    int workerThreads = 48; // a hanging request holds a worker; the others must go on
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

    int appPort() const;
    int frontPort() const;
    QString appBase() const;   // "http://127.0.0.1:P"
    QString frontBase() const; // "http://127.0.0.1:Q"

    // The same operations the test endpoints offer, for callers in the same process.
    bool setFault(const QString &name, const QString &arg, QString *error);
    void clearFaults(const QString &name = {});
    bool reset(const QByteArray &seedJson, QString *error); // empty = the seed of the start
    void setToday(const QDate &date);                       // invalid = the real date
    QString latestCode(const QString &sessionId = {}) const;
    QByteArray recordsJson() const;
    QByteArray sitesJson() const;
    QByteArray faultsJson() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace ydssim
