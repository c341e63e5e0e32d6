#pragma once

// The portal simulator for tests: started in-process on free ports, with its test endpoints.
// Link `tarvek_testsupport`. Typical use:
//
//     ydssim::testing::Simulator sim;
//     QVERIFY2(sim.start(), qPrintable(sim.error()));
//     platform::Deployment::setCurrent(sim.deployment());   // portal and update hosts -> sim
//     sim.setFault("hang", "save");
//     ... drive the program ...
//     QCOMPARE(sim.records().size(), 1);

#include "server.h"

#include "platform/deployment.h"

#include <QByteArray>
#include <QDate>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>

#include <memory>
#include <optional>

namespace httplib {
class Client;
}

namespace ydssim::testing {

class Simulator
{
public:
    explicit Simulator(Options options = {});
    ~Simulator();

    bool start();
    QString error() const { return m_error; }

    QString appBase() const;
    QString frontBase() const;
    QString frontUrl() const { return frontBase() + QLatin1Char('/'); }
    // The built-in deployment with the portal's hosts and the update host pointed here.
    platform::Deployment deployment() const;

    // The test endpoints, over HTTP as any other process would call them.
    QString latestCode(const QString &sessionId = {}) const;
    QJsonArray records() const;
    bool setFault(const QString &name, const QString &arg = {}) const;
    bool clearFaults(const QString &name = {}) const;
    bool reset(const QByteArray &seedJson = {}) const;
    bool setToday(const QDate &date) const;
    // Ends one session (by id) or all of them at once.
    bool expireSessions(const QString &sessionId = {}) const;
    // {"sessions": live, "loggedIn": N, "logins": accepted since the reset, "held": answers}
    QJsonObject status() const;

    // Logins of the built-in seed; the site has two earlier inspections, the last at 25.
    static QString demoUser() { return QStringLiteral("ornekyd"); }
    static QString demoPassword() { return QStringLiteral("Ornek.2026"); }
    static QString demoYibf() { return QStringLiteral("1234567"); }

private:
    std::unique_ptr<ydssim::Server> m_server;
    QString m_error;
};

// A plain HTTP visitor of the portal that keeps its session cookie (no redirects followed).
class PortalClient
{
public:
    struct Page
    {
        int status = 0; // 0 = no answer (connection failed or timed out)
        QString html;
        QString location;
        QByteArray body;
    };
    using Fields = QList<QPair<QString, QString>>;

    explicit PortalClient(const QString &base, int readTimeoutSeconds = 30);
    ~PortalClient();

    Page get(const QString &path);
    Page post(const QString &path, const Fields &fields);
    Page postMultipart(const QString &path, const Fields &fields, const QString &fileField,
                       const QString &fileName, const QByteArray &bytes);
    QString sessionId() const { return m_session; }

private:
    std::unique_ptr<httplib::Client> m_client;
    QString m_session;
};

// Reading pages as the program does, but written apart from the program's readers so that a
// fault in one cannot hide in the other.
// The code in the 8-character window 12 characters after "Ekran Kodu", blanks removed; no value
// when the label is missing.
std::optional<QString> screenCode(const QString &text);
// Rows of a table body (by id) as cell texts, tags stripped.
QList<QStringList> tableRows(const QString &html, const QString &tbodyId);
// A small real JPEG photograph.
QByteArray sampleJpeg(int width = 64, int height = 48);

} // namespace ydssim::testing
