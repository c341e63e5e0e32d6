#include "serverimpl.h"
#include "taskqueue.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace ydssim::detail {

QString qs(const std::string &s)
{
    return QString::fromStdString(s);
}

std::string ss(const QString &s)
{
    return s.toStdString();
}

// A form value, from a URL-encoded body or a multipart part.
QString formValue(const httplib::Request &req, const QString &name)
{
    const std::string key = ss(name);
    if (req.has_param(key))
        return qs(req.get_param_value(key));
    if (req.has_file(key)) {
        const auto part = req.get_file_value(key);
        if (part.filename.empty())
            return qs(part.content);
    }
    return {};
}

bool hasField(const httplib::Request &req, const QString &name)
{
    const std::string key = ss(name);
    return req.has_param(key) || req.has_file(key);
}

QString cookie(const httplib::Request &req, const QString &name)
{
    const QString header = qs(req.get_header_value("Cookie"));
    for (const QString &part : header.split(QLatin1Char(';'))) {
        const QString p = part.trimmed();
        if (p.startsWith(name + QLatin1Char('=')))
            return p.mid(name.size() + 1);
    }
    return {};
}

void noCache(httplib::Response &res)
{
    res.set_header("Cache-Control", "no-cache, no-store, must-revalidate");
    res.set_header("Pragma", "no-cache");
    res.set_header("Expires", "0");
}

void sendHtml(httplib::Response &res, const QString &html)
{
    noCache(res);
    res.set_content(html.toStdString(), "text/html; charset=UTF-8");
}

void sendJson(httplib::Response &res, const QByteArray &json, int status)
{
    res.status = status;
    res.set_content(json.toStdString(), "application/json; charset=UTF-8");
}

QByteArray jsonError(const QString &message)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("error"), message}})
        .toJson(QJsonDocument::Compact);
}

// Levels are percentages with a decimal point; empty counts as 0.
bool parseLevel(const QString &text, double *value)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        *value = 0;
        return true;
    }
    static const QRegularExpression number(QStringLiteral("^\\d{1,3}(\\.\\d{1,2})?$"));
    if (!number.match(t).hasMatch())
        return false;
    *value = t.toDouble();
    return true;
}

} // namespace ydssim::detail

namespace ydssim {

void Server::Impl::answerPage(const httplib::Request &req, httplib::Response &res,
                              const std::function<pages::Frame(Session &, QString *step)> &build)
{
    delay();
    Lock lk(m);
    Session *s = loggedIn(req, res);
    if (!s)
        return;
    QString step;
    const QString sid = s->id;
    pages::Frame fr = build(*s, &step);
    if (!step.isEmpty()) {
        if (!hangIfAsked(lk, step)) {
            res.status = 503;
            return;
        }
        auto it = sessions.find(sid);
        if (it == sessions.end()) { // reset while hanging: the session is gone
            res.set_redirect(ss(kLoginPath));
            return;
        }
        Session &again = it->second;
        if (!hasFaultAt(fault::ErrorPage, step).isEmpty())
            fr = errorPage(again);
        const QString code = hasFaultAt(fault::UnknownCode, step);
        if (!code.isEmpty())
            fr.code = code == QLatin1String("-") ? QStringLiteral("DUYRU") : code;
        if (!hasFaultAt(fault::SessionExpire, step).isEmpty())
            again.endsAfter = 0;
    }
    sendHtml(res, pages::loggedInPage(fr));
}

void Server::Impl::routes()
{
    app.Get(ss(kLoginPath), [this](const httplib::Request &req, httplib::Response &res) {
        delay();
        Lock lk(m);
        // Out of service, the portal's pages send their visitors to the notice on the front
        // page; so does the redirecting kind of the login-to-front fault.
        if (faults.contains(fault::Outage) ||
            faults.value(fault::LoginToFront) == QLatin1String("redirect")) {
            res.set_redirect(ss(frontBase() + QLatin1Char('/')));
            return;
        }
        session(req, res);
        sendHtml(res, pages::loginPage(baseOf(req), frontBase(), {}, sendsToFront()));
    });
    app.Post(ss(kLoginPath), [this](const httplib::Request &req, httplib::Response &res) {
        delay();
        Lock lk(m);
        Session &s = session(req, res);
        const QString sid = s.id;
        const QString message = login(s, req);
        if (!hangIfAsked(lk, QStringLiteral("login"))) {
            res.status = 503;
            return;
        }
        if (sessions.find(sid) == sessions.end()) {
            res.set_redirect(ss(kLoginPath));
            return;
        }
        if (!hasFaultAt(fault::ErrorPage, QStringLiteral("login")).isEmpty()) {
            sendHtml(res, pages::loggedInPage(errorPage(sessions[sid])));
            return;
        }
        if (message.isEmpty()) {
            if (!hasFaultAt(fault::SessionExpire, QStringLiteral("login")).isEmpty())
                sessions[sid].endsAfter = 0;
            res.set_redirect(ss(kLoginOkPath), 302);
            return;
        }
        // A refused login comes back at exactly the login address, with the message.
        sendHtml(res, pages::loginPage(baseOf(req), frontBase(), message, sendsToFront()));
    });
    app.Get(ss(kLoginOkPath), [this](const httplib::Request &req, httplib::Response &res) {
        Lock lk(m);
        if (loggedIn(req, res))
            sendHtml(res, pages::loginAcceptedPage());
    });
    app.Get("/yds/rol/ziyaretci/cikis.jsf",
            [this](const httplib::Request &req, httplib::Response &res) {
                Lock lk(m);
                sessions.erase(cookie(req, QStringLiteral("JSESSIONID")));
                res.set_redirect(ss(kLoginPath));
            });
    // The login page's document query is not part of this portal: back to the login.
    app.Get(
        "/yds/rol/ziyaretci/belgeSorgula.jsf",
        [](const httplib::Request &, httplib::Response &res) { res.set_redirect(ss(kLoginPath)); });
    app.Get("/yds/jcaptcha", [this](const httplib::Request &req, httplib::Response &res) {
        QString code = newSecurityCode();
        {
            Lock lk(m);
            Session &s = session(req, res, false);
            s.code = code;
            latestCode = code;
        }
        noCache(res);
        res.set_content(securityCodePng(code).toStdString(), "image/png");
    });
    const auto image = [](QByteArray bytes) {
        return [bytes](const httplib::Request &, httplib::Response &res) {
            res.set_content(bytes.toStdString(), "image/png");
        };
    };
    // Icons keep the portal's ".gif" names but are drawn as PNG (Qt writes no GIF).
    app.Get("/yds/common/images/goster.gif", image(showIconPng()));
    app.Get("/yds/common/images/sifreunuttum.gif", image(forgotPasswordPng()));
    app.Get("/yds/common/images/logo.gif", image(logoPng()));
    app.Get("/yds/common/css/yds.css", [](const httplib::Request &, httplib::Response &res) {
        res.set_content(pages::stylesheet().toStdString(), "text/css; charset=UTF-8");
    });
    app.Get("/yds/common/js/yds.js", [](const httplib::Request &, httplib::Response &res) {
        res.set_content(pages::script().toStdString(), "text/javascript; charset=UTF-8");
    });
    app.Get("/yds/rol/ydk/denetim/onizleme.jsf",
            [this](const httplib::Request &req, httplib::Response &res) {
                Lock lk(m);
                Session *s = findSession(req, false);
                if (!s || s->user.isEmpty() || !s->draft) {
                    res.status = 404;
                    return;
                }
                noCache(res);
                res.set_content(s->draft->bytes.toStdString(), "image/jpeg");
            });
    app.Get(R"(/yds/rol/(common|ydk)/.*\.jsf)",
            [this](const httplib::Request &req, httplib::Response &res) {
                const QString path = qs(req.path);
                answerPage(req, res, [&](Session &s, QString *step) {
                    if (path == kTopPath)
                        *step = QStringLiteral("top");
                    else if (path == kMainPath)
                        *step = QStringLiteral("main");
                    return viewOf(s, path);
                });
            });
    app.Post(R"(/yds/rol/(common|ydk)/.*\.jsf)",
             [this](const httplib::Request &req, httplib::Response &res) {
                 const QString path = qs(req.path);
                 answerPage(req, res, [&](Session &s, QString *step) {
                     return postBack(s, req, path, step);
                 });
             });
    app.Get(R"(/download/Tarvek_Zere/Tarvek2000/([^/]+))", [this](const httplib::Request &req,
                                                                  httplib::Response &res) {
        const QString name = qs(req.matches[1].str());
        const QString file = QDir(opt.updatesDir).filePath(name);
        QFile in(file);
        if (opt.updatesDir.isEmpty() || name.startsWith(QLatin1Char('.')) ||
            !in.open(QIODevice::ReadOnly)) {
            res.status = 404;
            return;
        }
        const QByteArray bytes = in.readAll();
        const char *type = name.endsWith(QLatin1String(".txt"))   ? "text/plain"
                           : name.endsWith(QLatin1String(".zip")) ? "application/zip"
                                                                  : "application/octet-stream";
        noCache(res);
        res.set_content(bytes.toStdString(), type);
    });
    const auto frontPage = [this](const httplib::Request &, httplib::Response &res) {
        delay();
        Lock lk(m);
        sendHtml(res, pages::frontPage(appBase(), faults.contains(fault::Outage)));
    };
    front.Get("/", frontPage);
    front.Get("/index.html", frontPage);
    if (opt.testEndpoints)
        testRoutes();
}

QByteArray Server::Impl::sitesJson() const
{
    QJsonArray arr;
    for (const Site &site : sites) {
        QJsonArray ins;
        for (const Inspection &i : site.inspections)
            ins.append(QJsonObject{{QStringLiteral("date"), i.date.toString(Qt::ISODate)},
                                   {QStringLiteral("percent"), i.percent},
                                   {QStringLiteral("inspector"), i.inspector},
                                   {QStringLiteral("file"), i.fileName}});
        arr.append(QJsonObject{{QStringLiteral("yibf"), site.yibf},
                               {QStringLiteral("institution"), site.institution},
                               {QStringLiteral("ada"), site.ada},
                               {QStringLiteral("inspections"), ins}});
    }
    return QJsonDocument(arr).toJson(QJsonDocument::Indented);
}

QByteArray Server::Impl::faultsJson() const
{
    QJsonObject o;
    for (auto it = faults.cbegin(); it != faults.cend(); ++it)
        o.insert(it.key(), it.value());
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QByteArray Server::Impl::statusJson()
{
    sweep(true);
    int loggedIn = 0;
    for (const auto &[id, s] : sessions)
        loggedIn += s.user.isEmpty() ? 0 : 1;
    return QJsonDocument(QJsonObject{{QStringLiteral("sessions"), int(sessions.size())},
                                     {QStringLiteral("loggedIn"), loggedIn},
                                     {QStringLiteral("logins"), logins},
                                     {QStringLiteral("held"), held}})
        .toJson(QJsonDocument::Compact);
}

void Server::Impl::testRoutes()
{
    using Req = httplib::Request;
    using Res = httplib::Response;
    app.Get("/__test/code", [this](const Req &req, Res &res) {
        QString sid = qs(req.get_param_value("session"));
        if (sid.isEmpty())
            sid = cookie(req, QStringLiteral("JSESSIONID"));
        Lock lk(m);
        const auto it = sessions.find(sid);
        const QString code = sid.isEmpty()          ? latestCode
                             : it == sessions.end() ? QString()
                                                    : it->second.code;
        sendJson(res, QJsonDocument(QJsonObject{{QStringLiteral("code"), code}})
                          .toJson(QJsonDocument::Compact));
    });
    app.Get("/__test/records", [this](const Req &, Res &res) {
        Lock lk(m);
        QJsonArray arr;
        for (const Received &r : records)
            arr.append(r.json);
        sendJson(res, QJsonDocument(arr).toJson(QJsonDocument::Indented));
    });
    app.Get(R"(/__test/records/(\d+)/file)", [this](const Req &req, Res &res) {
        Lock lk(m);
        const int n = std::stoi(req.matches[1].str());
        if (n < 1 || n > records.size()) {
            sendJson(res, jsonError(QStringLiteral("no record %1").arg(n)), 404);
            return;
        }
        res.set_content(records.at(n - 1).bytes.toStdString(), "application/octet-stream");
    });
    app.Get("/__test/sites", [this](const Req &, Res &res) {
        Lock lk(m);
        sendJson(res, sitesJson());
    });
    app.Get("/__test/faults", [this](const Req &, Res &res) {
        Lock lk(m);
        sendJson(res, faultsJson());
    });
    app.Get("/__test/status", [this](const Req &, Res &res) {
        Lock lk(m);
        sendJson(res, statusJson());
    });
    app.Post("/__test/fault", [this](const Req &req, Res &res) {
        const QString name = qs(req.get_param_value("name"));
        const QString arg = qs(req.get_param_value("arg"));
        QString error;
        if (!validateFault(name, arg, &error)) {
            sendJson(res, jsonError(error), 400);
            return;
        }
        Lock lk(m);
        faults.insert(name, arg);
        bool count = false;
        const int n = arg.toInt(&count);
        if (name == fault::SessionExpire && (arg.isEmpty() || count))
            for (auto &[id, s] : sessions)
                if (!s.user.isEmpty())
                    s.endsAfter = n;
        cv.notify_all();
        sendJson(res, faultsJson());
    });
    app.Post("/__test/clear-faults", [this](const Req &req, Res &res) {
        const QString name = qs(req.get_param_value("name"));
        Lock lk(m);
        if (name.isEmpty())
            faults.clear();
        else
            faults.remove(name);
        cv.notify_all(); // held answers go on
        sendJson(res, faultsJson());
    });
    app.Post("/__test/expire-sessions", [this](const Req &req, Res &res) {
        const QString sid = qs(req.get_param_value("session"));
        Lock lk(m);
        if (sid.isEmpty())
            sessions.clear();
        else
            sessions.erase(sid);
        sendJson(res, statusJson());
    });
    app.Post("/__test/reset", [this](const Req &req, Res &res) {
        const QByteArray json = QByteArray::fromStdString(req.body).trimmed();
        QString error;
        Lock lk(m);
        if (!loadSeed(json.isEmpty() ? seedJson : json, &error)) {
            sendJson(res, jsonError(error), 400);
            return;
        }
        sessions.clear();
        records.clear();
        latestCode.clear();
        logins = 0;
        applyStartFaults(&error);
        ++generation;
        cv.notify_all();
        sendJson(res, sitesJson());
    });
    app.Post("/__test/today", [this](const Req &req, Res &res) {
        const QString text = qs(req.get_param_value("date"));
        const QDate date = QDate::fromString(text, Qt::ISODate);
        if (!text.isEmpty() && !date.isValid()) {
            sendJson(res, jsonError(QStringLiteral("not a date (yyyy-MM-dd): %1").arg(text)), 400);
            return;
        }
        Lock lk(m);
        todayOverride = date;
        sendJson(res, QJsonDocument(
                          QJsonObject{{QStringLiteral("today"), today().toString(Qt::ISODate)}})
                          .toJson(QJsonDocument::Compact));
    });
}

} // namespace ydssim

namespace ydssim {

Server::Server(Options options) : d(std::make_unique<Impl>())
{
    d->opt = std::move(options);
}

Server::~Server()
{
    stop();
}

bool Server::start(QString *error)
{
    if (!d->opt.seedFile.isEmpty()) {
        QFile in(d->opt.seedFile);
        if (!in.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read the seed file %1").arg(d->opt.seedFile);
            return false;
        }
        d->seedJson = in.readAll();
    }
    {
        Lock lk(d->m);
        if (!d->loadSeed(d->seedJson, error) || !d->applyStartFaults(error))
            return false;
    }
    const int threads = d->opt.workerThreads, limit = d->opt.workerLimit;
    for (httplib::Server *srv : {&d->app, &d->front}) {
        srv->new_task_queue = [threads, limit] { return new GrowingTaskQueue(threads, limit); };
        srv->set_payload_max_length(64 * 1024 * 1024);
        // Idle kept-alive connections hold a worker too; a short wait lets a stop end quickly.
        srv->set_keep_alive_timeout(2);
        // Headers and body go out in separate writes; without this each page waits for the
        // peer's delayed acknowledgement (about 40 ms).
        srv->set_tcp_nodelay(true);
    }
    d->routes();
    const std::string host = ss(d->opt.host);
    auto bind = [&](httplib::Server &srv, int port) {
        if (port == 0)
            return srv.bind_to_any_port(host);
        return srv.bind_to_port(host, port) ? port : -1;
    };
    d->appPort = bind(d->app, d->opt.appPort);
    if (d->appPort <= 0) {
        *error = QStringLiteral("cannot listen on %1:%2").arg(d->opt.host).arg(d->opt.appPort);
        return false;
    }
    d->frontPort = bind(d->front, d->opt.frontPort);
    if (d->frontPort <= 0) {
        *error = QStringLiteral("cannot listen on %1:%2").arg(d->opt.host).arg(d->opt.frontPort);
        d->app.stop();
        return false;
    }
    d->appThread = std::thread([this] { d->app.listen_after_bind(); });
    d->frontThread = std::thread([this] { d->front.listen_after_bind(); });
    // Listening sockets exist already; wait for the loops so that stop() can end them.
    for (int i = 0; i < 500 && !(d->app.is_running() && d->front.is_running()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return true;
}

void Server::stop()
{
    {
        Lock lk(d->m);
        d->stopping = true;
        d->cv.notify_all();
    }
    d->app.stop();
    d->front.stop();
    if (d->appThread.joinable())
        d->appThread.join();
    if (d->frontThread.joinable())
        d->frontThread.join();
}

QString Server::appBase() const
{
    return d->appBase();
}

QString Server::frontBase() const
{
    return d->frontBase();
}

} // namespace ydssim
