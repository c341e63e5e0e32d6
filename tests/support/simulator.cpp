#include "simulator.h"

#include <QBuffer>
#include <QImage>
#include <QJsonDocument>
#include <QRegularExpression>

#include <httplib.h>

namespace ydssim::testing {

namespace {
std::string ss(const QString &s)
{
    return s.toStdString();
}

// A test endpoint's answer; nothing unless it is 200.
std::optional<QByteArray> call(const QString &base, bool post, const std::string &path,
                               const httplib::Params &params = {}, const QByteArray &body = {})
{
    httplib::Client c(ss(base));
    c.set_read_timeout(10, 0);
    const auto res = !post           ? c.Get(path, params, httplib::Headers{})
                     : body.isNull() ? c.Post(path, params)
                                     : c.Post(path, body.toStdString(), "application/json");
    if (!res || res->status != 200)
        return std::nullopt;
    return QByteArray::fromStdString(res->body);
}

QJsonDocument json(const std::optional<QByteArray> &body)
{
    return QJsonDocument::fromJson(body.value_or(QByteArray()));
}
} // namespace

Simulator::Simulator(Options options)
{
    options.testEndpoints = true;
    m_server = std::make_unique<ydssim::Server>(std::move(options));
}

Simulator::~Simulator() = default;

bool Simulator::start()
{
    return m_server->start(&m_error);
}

QString Simulator::appBase() const
{
    return m_server->appBase();
}

QString Simulator::frontBase() const
{
    return m_server->frontBase();
}

platform::Deployment Simulator::deployment() const
{
    platform::Deployment d = platform::Deployment::builtIn();
    d.portalAppHost = appBase();
    d.portalFrontHost = frontBase();
    d.updateHost = appBase();
    return d;
}

QString Simulator::latestCode(const QString &sessionId) const
{
    httplib::Params params;
    if (!sessionId.isEmpty())
        params.emplace("session", ss(sessionId));
    return json(call(appBase(), false, "/__test/code", params))
        .object()
        .value(QLatin1String("code"))
        .toString();
}

QJsonArray Simulator::records() const
{
    return json(call(appBase(), false, "/__test/records")).array();
}

bool Simulator::setFault(const QString &name, const QString &arg) const
{
    return call(appBase(), true, "/__test/fault", {{"name", ss(name)}, {"arg", ss(arg)}})
        .has_value();
}

bool Simulator::clearFaults(const QString &name) const
{
    return call(appBase(), true, "/__test/clear-faults", {{"name", ss(name)}}).has_value();
}

bool Simulator::reset(const QByteArray &seedJson) const
{
    return call(appBase(), true, "/__test/reset", {}, seedJson.isNull() ? QByteArray("") : seedJson)
        .has_value();
}

bool Simulator::setToday(const QDate &date) const
{
    return call(appBase(), true, "/__test/today", {{"date", ss(date.toString(Qt::ISODate))}})
        .has_value();
}

bool Simulator::expireSessions(const QString &sessionId) const
{
    return call(appBase(), true, "/__test/expire-sessions", {{"session", ss(sessionId)}})
        .has_value();
}

QJsonObject Simulator::status() const
{
    return json(call(appBase(), false, "/__test/status")).object();
}

namespace {
// One request with the session's cookie; a new session's cookie is kept.
template <typename Send> PortalClient::Page exchange(QString &session, Send send)
{
    httplib::Headers h;
    if (!session.isEmpty())
        h.emplace("Cookie", ss(QStringLiteral("JSESSIONID=") + session));
    const httplib::Result res = send(h);
    PortalClient::Page p;
    if (!res)
        return p;
    static const QRegularExpression cookie(QStringLiteral("JSESSIONID=([^;]+)"));
    const auto m = cookie.match(QString::fromStdString(res->get_header_value("Set-Cookie")));
    if (m.hasMatch())
        session = m.captured(1);
    p.status = res->status;
    p.body = QByteArray::fromStdString(res->body);
    p.html = QString::fromUtf8(p.body);
    p.location = QString::fromStdString(res->get_header_value("Location"));
    return p;
}
} // namespace

PortalClient::PortalClient(const QString &base, int readTimeoutSeconds)
    : m_client(std::make_unique<httplib::Client>(ss(base)))
{
    m_client->set_read_timeout(readTimeoutSeconds, 0);
    m_client->set_follow_location(false);
}

PortalClient::~PortalClient() = default;

PortalClient::Page PortalClient::get(const QString &path)
{
    return exchange(m_session,
                    [&](const httplib::Headers &h) { return m_client->Get(ss(path), h); });
}

PortalClient::Page PortalClient::post(const QString &path, const Fields &fields)
{
    httplib::Params params;
    for (const auto &f : fields)
        params.emplace(ss(f.first), ss(f.second));
    return exchange(m_session,
                    [&](const httplib::Headers &h) { return m_client->Post(ss(path), h, params); });
}

PortalClient::Page PortalClient::postMultipart(const QString &path, const Fields &fields,
                                               const QString &fileField, const QString &fileName,
                                               const QByteArray &bytes)
{
    httplib::MultipartFormDataItems items;
    for (const auto &f : fields)
        items.push_back({ss(f.first), ss(f.second), "", ""});
    if (!fileField.isEmpty())
        items.push_back({ss(fileField), bytes.toStdString(), ss(fileName), "image/jpeg"});
    return exchange(m_session,
                    [&](const httplib::Headers &h) { return m_client->Post(ss(path), h, items); });
}

std::optional<QString> screenCode(const QString &text)
{
    const qsizetype p = text.indexOf(QLatin1String("Ekran Kodu"));
    if (p < 0)
        return std::nullopt;
    QString window = text.mid(p + 12, 8);
    const qsizetype tag = window.indexOf(QLatin1Char('<')); // page source: the text ends there
    if (tag >= 0)
        window.truncate(tag);
    window.remove(QLatin1Char(' ')).remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    return window;
}

QList<QStringList> tableRows(const QString &html, const QString &tbodyId)
{
    QList<QStringList> rows;
    const qsizetype at = html.indexOf(QStringLiteral("<tbody id=\"%1\">").arg(tbodyId));
    if (at < 0)
        return rows;
    const QString body = html.mid(at, html.indexOf(QLatin1String("</tbody>"), at) - at);
    static const QRegularExpression row(QStringLiteral("<tr>(.*?)</tr>"),
                                        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression cell(QStringLiteral("<td>(.*?)</td>"),
                                         QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    for (auto r = row.globalMatch(body); r.hasNext();) {
        QStringList cells;
        const QString rowHtml = r.next().captured(1);
        for (auto c = cell.globalMatch(rowHtml); c.hasNext();)
            cells << c.next().captured(1).remove(tags).trimmed();
        rows << cells;
    }
    return rows;
}

QByteArray sampleJpeg(int width, int height)
{
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(QColor(120, 150, 180));
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG", 80);
    return bytes;
}

} // namespace ydssim::testing
