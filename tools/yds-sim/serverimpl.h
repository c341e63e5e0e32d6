#pragma once

// The simulator's inner state and behaviour, shared by the portal's steps (portal.cpp) and
// the HTTP wiring (server.cpp). Not part of the library's interface.

#include "server.h"

#include "faults.h"
#include "images.h"
#include "pages.h"
#include "seed.h"

#include <QJsonObject>

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace ydssim::detail {

using Lock = std::unique_lock<std::mutex>;
using Clock = std::chrono::steady_clock;
namespace f = pages::field;
inline const QString kLoginPath = QStringLiteral("/yds/rol/ziyaretci/LA_G_Z_K.jsf");
inline const QString kLoginOkPath = QStringLiteral("/yds/rol/ziyaretci/girisBasarili.jsf");
inline const QString kTopPath = QStringLiteral("/yds/rol/common/top.jsf");
inline const QString kMainPath = QStringLiteral("/yds/rol/ydk/main.jsf");
inline const QString kSearchPath = QStringLiteral("/yds/rol/ydk/yibf/YHHYL.jsf");
inline const QString kSitePath = QStringLiteral("/yds/rol/ydk/yibf/YHHYR.jsf");
inline const QString kListPath = QStringLiteral("/yds/rol/ydk/denetim/DYDYL.jsf");
inline const QString kNewPath = QStringLiteral("/yds/rol/ydk/denetim/DYDYI.jsf");
inline const QString kConfirmPath = QStringLiteral("/yds/rol/ydk/denetim/DYDYO.jsf");
inline const QString kMessagesPath = QStringLiteral("/yds/rol/ydk/mesaj/LSMOI.jsf");
inline const QString kErrorPath = QStringLiteral("/yds/rol/common/error.jsf");
inline constexpr qint64 kMaxPhotoBytes = 5 * 1024 * 1024;

QString qs(const std::string &s);
std::string ss(const QString &s);
// A form value, from a URL-encoded body or a multipart part.
QString formValue(const httplib::Request &req, const QString &name);
bool hasField(const httplib::Request &req, const QString &name);
QString cookie(const httplib::Request &req, const QString &name);
void noCache(httplib::Response &res);
void sendHtml(httplib::Response &res, const QString &html);
void sendJson(httplib::Response &res, const QByteArray &json, int status = 200);
QByteArray jsonError(const QString &message);
// Levels are percentages with a decimal point; empty counts as 0.
bool parseLevel(const QString &text, double *value);

struct Draft
{
    pages::FormValues values;
    double levels[4] = {0, 0, 0, 0};
    double percent = 0;
    QString fileName;
    QString contentType;
    QByteArray bytes;
};

struct Session
{
    QString id;
    QString code; // latest security code issued to this session
    QString user; // logged-in institution user; empty before the login
    QString query;
    QStringList results; // YİBF numbers of the last search, in row order
    bool searched = false;
    int searches = 0;
    QString current;        // YİBF of the site page being worked on
    QList<Site> extraSites; // sites made up for this session by a fault
    std::optional<Draft> draft;
    int viewState = 1;
    QString base; // the application host as this visitor addresses it
    Clock::time_point lastUse;
    int requests = 0;   // page requests served
    int endsAfter = -1; // page requests left before the session-expire fault ends it; -1 = none
};

struct Received
{
    QJsonObject json;
    QByteArray bytes;
};

} // namespace ydssim::detail

namespace ydssim {

using namespace detail;

struct Server::Impl
{
    Options opt;
    httplib::Server app;
    httplib::Server front;
    std::thread appThread;
    std::thread frontThread;
    int appPort = 0;
    int frontPort = 0;

    mutable std::mutex m;
    std::condition_variable cv;
    bool stopping = false;
    quint64 generation = 0;
    int held = 0;   // answers held by the hang fault now
    int logins = 0; // accepted logins since the start or the last reset
    Clock::time_point lastSweep;

    QByteArray seedJson; // the seed of the start, for resets
    QList<Institution> institutions;
    QList<Site> sites;
    std::map<QString, Session> sessions;
    QString latestCode;
    FaultSet faults;
    QList<Received> records;
    QDate todayOverride;

    QDate today() const { return todayOverride.isValid() ? todayOverride : QDate::currentDate(); }
    QString appBase() const { return QStringLiteral("http://%1:%2").arg(opt.host).arg(appPort); }
    QString frontBase() const;

    // Absolute addresses on the pages (security-code image, "Göster") use the host the browser
    // asked for, so that they equal what the program builds from its own host setting.
    QString baseOf(const httplib::Request &req) const;

    // ---- state helpers (called with m held)

    // The login page leaves for the front page by its own script once loaded.
    bool sendsToFront() const;

    bool loadSeed(const QByteArray &json, QString *error);

    bool applyStartFaults(QString *error);

    bool ended(const Session &s, Clock::time_point now) const;
    // Drops the sessions that have ended; at the limit also the least recently used one.
    void sweep(bool force);
    // The live session of the request's cookie, or null (an ended one is dropped). Only pages
    // count as the session's requests; pictures do not.
    Session *findSession(const httplib::Request &req, bool page = true);
    // The live session, or a new one whose cookie goes with the answer.
    Session &session(const httplib::Request &req, httplib::Response &res, bool page = true);
    // The logged-in session of the request, or null after answering with the login page.
    Session *loggedIn(const httplib::Request &req, httplib::Response &res);

    const Institution *institution(const QString &user) const;

    QList<Site *> visibleSites(const Session &s);

    Site *findSite(Session &s, const QString &yibf);

    // A site page for a YİBF the seed does not hold (several results, another site's page).
    Site &madeUpSite(Session &s, const QString &yibf);

    QString hasFaultAt(const QString &name, const QString &step) const;

    // Holds the answer of a hanging step until the fault is lifted, the state is reset, the
    // server stops, or the limit passes. Only this worker waits; the others keep serving.
    // Returns false when the server is stopping.
    bool hangIfAsked(Lock &lk, const QString &step);

    void delay();

    // ---- pages

    pages::Frame frame(Session &s, const QString &code, const QString &view, const QString &title,
                       const QString &heading, const QString &content);

    pages::Frame mainPage(Session &s, const QString &view);

    pages::Frame errorPage(Session &s);

    pages::Frame messagesPage(Session &s, const QString &message = {});

    pages::Frame searchPage(Session &s);

    pages::Frame sitePage(Session &s, Site &site);

    pages::Frame listPage(Session &s, Site &site, const QString &info = {});

    pages::Frame newPage(Session &s, Site &site, const pages::FormValues &values,
                         const QString &error);

    pages::Frame confirmationPage(Session &s, Site &site, const QString &error = {});

    // ---- steps

    // Checks a login attempt; returns the portal's message, empty when accepted.
    QString login(Session &s, const httplib::Request &req);

    pages::Frame menu(Session &s, const QString &value, QString *step);

    pages::Frame search(Session &s, const QString &query);

    pages::Frame open(Session &s, const QString &link);

    QString validate(const httplib::Request &req, Site &site, Draft *dr);

    pages::Frame save(Session &s, Site &site, const httplib::Request &req);

    // A form posted from a logged-in page: the menu first, then the button that was pressed.
    pages::Frame postBack(Session &s, const httplib::Request &req, const QString &path,
                          QString *step);

    // A logged-in view asked for by its address.
    pages::Frame viewOf(Session &s, const QString &path);

    // Runs one step of a logged-in page with its faults: hang, error page, unknown code. The
    // step's work is done before its answer is held or replaced, as on a portal whose answer
    // is lost on the way: a hanging save has stored its record.
    void answerPage(const httplib::Request &req, httplib::Response &res,
                    const std::function<pages::Frame(Session &, QString *step)> &build);

    // ---- routes

    void routes();

    // ---- test endpoints

    QByteArray sitesJson() const;
    QByteArray faultsJson() const;
    QByteArray statusJson();
    void testRoutes();
};

} // namespace ydssim
