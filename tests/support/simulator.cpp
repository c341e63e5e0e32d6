#include "simulator.h"

#include <QBuffer>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <httplib.h>

namespace ydssim::testing {

namespace {
std::string ss(const QString &s)
{
    return s.toStdString();
}
QString qs(const std::string &s)
{
    return QString::fromStdString(s);
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

QString Simulator::loginUrl() const
{
    return appUrl(QStringLiteral("/yds/rol/ziyaretci/LA_G_Z_K.jsf"));
}

platform::Deployment Simulator::deployment() const
{
    platform::Deployment d = platform::Deployment::builtIn();
    d.portalAppHost = appBase();
    d.portalFrontHost = frontBase();
    d.updateHost = appBase();
    return d;
}

std::unique_ptr<httplib::Client> Simulator::client() const
{
    auto c = std::make_unique<httplib::Client>(ss(appBase()));
    c->set_read_timeout(10, 0);
    return c;
}

QString Simulator::latestCode(const QString &sessionId) const
{
    httplib::Params params;
    if (!sessionId.isEmpty())
        params.emplace("session", ss(sessionId));
    const auto res = client()->Get("/__test/code", params, httplib::Headers{});
    if (!res || res->status != 200)
        return {};
    return QJsonDocument::fromJson(QByteArray::fromStdString(res->body))
        .object()
        .value(QLatin1String("code"))
        .toString();
}

QJsonArray Simulator::records() const
{
    const auto res = client()->Get("/__test/records");
    return res ? QJsonDocument::fromJson(QByteArray::fromStdString(res->body)).array()
               : QJsonArray();
}

QByteArray Simulator::recordFile(int id) const
{
    const auto res = client()->Get(ss(QStringLiteral("/__test/records/%1/file").arg(id)));
    return res && res->status == 200 ? QByteArray::fromStdString(res->body) : QByteArray();
}

QJsonArray Simulator::sites() const
{
    const auto res = client()->Get("/__test/sites");
    return res ? QJsonDocument::fromJson(QByteArray::fromStdString(res->body)).array()
               : QJsonArray();
}

bool Simulator::setFault(const QString &name, const QString &arg) const
{
    const httplib::Params params{{"name", ss(name)}, {"arg", ss(arg)}};
    const auto res = client()->Post("/__test/fault", params);
    return res && res->status == 200;
}

bool Simulator::clearFaults(const QString &name) const
{
    const httplib::Params params{{"name", ss(name)}};
    const auto res = client()->Post("/__test/clear-faults", params);
    return res && res->status == 200;
}

bool Simulator::reset(const QByteArray &seedJson) const
{
    const auto res = client()->Post("/__test/reset", seedJson.toStdString(), "application/json");
    return res && res->status == 200;
}

bool Simulator::setToday(const QDate &date) const
{
    const httplib::Params params{{"date", ss(date.toString(Qt::ISODate))}};
    const auto res = client()->Post("/__test/today", params);
    return res && res->status == 200;
}

bool Simulator::expireSessions(const QString &sessionId) const
{
    const httplib::Params params{{"session", ss(sessionId)}};
    const auto res = client()->Post("/__test/expire-sessions", params);
    return res && res->status == 200;
}

QJsonObject Simulator::status() const
{
    const auto res = client()->Get("/__test/status");
    return res ? QJsonDocument::fromJson(QByteArray::fromStdString(res->body)).object()
               : QJsonObject();
}

PortalClient::PortalClient(const QString &base, int readTimeoutSeconds)
    : m_client(std::make_unique<httplib::Client>(ss(base)))
{
    m_client->set_read_timeout(readTimeoutSeconds, 0);
    m_client->set_follow_location(false);
}

PortalClient::~PortalClient() = default;

void PortalClient::keepCookie(const QString &setCookie)
{
    static const QRegularExpression re(QStringLiteral("JSESSIONID=([^;]+)"));
    const auto m = re.match(setCookie);
    if (m.hasMatch())
        m_session = m.captured(1);
}

namespace {
PortalClient::Page toPage(const httplib::Result &res)
{
    PortalClient::Page p;
    if (!res)
        return p;
    p.status = res->status;
    p.body = QByteArray::fromStdString(res->body);
    p.html = QString::fromUtf8(p.body);
    p.location = qs(res->get_header_value("Location"));
    return p;
}
} // namespace

PortalClient::Page PortalClient::get(const QString &path)
{
    httplib::Headers h;
    if (!m_session.isEmpty())
        h.emplace("Cookie", ss(QStringLiteral("JSESSIONID=") + m_session));
    auto res = m_client->Get(ss(path), h);
    if (res)
        keepCookie(qs(res->get_header_value("Set-Cookie")));
    return toPage(res);
}

PortalClient::Page PortalClient::post(const QString &path, const Fields &fields)
{
    httplib::Headers h;
    if (!m_session.isEmpty())
        h.emplace("Cookie", ss(QStringLiteral("JSESSIONID=") + m_session));
    httplib::Params params;
    for (const auto &f : fields)
        params.emplace(ss(f.first), ss(f.second));
    auto res = m_client->Post(ss(path), h, params);
    if (res)
        keepCookie(qs(res->get_header_value("Set-Cookie")));
    return toPage(res);
}

PortalClient::Page PortalClient::postMultipart(const QString &path, const Fields &fields,
                                               const QString &fileField, const QString &fileName,
                                               const QByteArray &bytes, const QString &contentType)
{
    httplib::Headers h;
    if (!m_session.isEmpty())
        h.emplace("Cookie", ss(QStringLiteral("JSESSIONID=") + m_session));
    httplib::MultipartFormDataItems items;
    for (const auto &f : fields)
        items.push_back({ss(f.first), ss(f.second), "", ""});
    if (!fileField.isEmpty())
        items.push_back({ss(fileField), bytes.toStdString(), ss(fileName), ss(contentType)});
    auto res = m_client->Post(ss(path), h, items);
    if (res)
        keepCookie(qs(res->get_header_value("Set-Cookie")));
    return toPage(res);
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

QString pageTitle(const QString &html)
{
    static const QRegularExpression re(QStringLiteral("<title>(.*?)</title>"));
    return re.match(html).captured(1);
}

QString elementHtml(const QString &html, const QString &id)
{
    const qsizetype at = html.indexOf(QStringLiteral("id=\"%1\"").arg(id));
    if (at < 0)
        return {};
    const qsizetype open = html.lastIndexOf(QLatin1Char('<'), at);
    const qsizetype start = html.indexOf(QLatin1Char('>'), at) + 1;
    const QString tag =
        html.mid(open + 1).section(QRegularExpression(QStringLiteral("[\\s>]")), 0, 0);
    const qsizetype end = html.indexOf(QStringLiteral("</%1>").arg(tag), start);
    return end < 0 ? QString() : html.mid(start, end - start);
}

QList<QStringList> tableRows(const QString &html, const QString &tbodyId)
{
    QList<QStringList> rows;
    const QString body = elementHtml(html, tbodyId);
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

std::optional<QString> loginMessage(const QString &html)
{
    // The program's own reading: second form, block after the forgotten-password image.
    qsizetype form = -1;
    for (int i = 0; i < 2; ++i) {
        form = html.indexOf(QLatin1String("<form"), form + 1, Qt::CaseInsensitive);
        if (form < 0)
            return std::nullopt;
    }
    const qsizetype end = html.indexOf(QLatin1String("</form>"), form, Qt::CaseInsensitive);
    const QString t = html.mid(form, end - form);
    const qsizetype p0 = t.indexOf(QLatin1String("sifreunuttum.gif"));
    const qsizetype p1 = t.indexOf(QLatin1String("<div"), p0 < 0 ? 0 : p0, Qt::CaseInsensitive);
    if (p1 < 0)
        return std::nullopt;
    const qsizetype p2 = t.indexOf(QLatin1String("</div>"), p1 + 1, Qt::CaseInsensitive);
    const qsizetype p3 = t.indexOf(QLatin1String("<td>"), p1 + 1, Qt::CaseInsensitive);
    const qsizetype p4 = t.indexOf(QLatin1String("</td>"), p1 + 1, Qt::CaseInsensitive);
    if (p3 < 0 || p4 < 0 || p2 < 0 || !(p3 < p4 && p4 < p2))
        return std::nullopt;
    return t.mid(p3 + 4, p4 - p3 - 4);
}

std::optional<QString> errorText(const QString &html)
{
    const qsizetype a = html.indexOf(QLatin1String("errorText"));
    if (a < 0)
        return std::nullopt;
    const qsizetype b = html.indexOf(QLatin1Char('>'), a);
    const qsizetype c = html.indexOf(QLatin1Char('<'), b);
    return html.mid(b + 1, c - b - 1);
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
