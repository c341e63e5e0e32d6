#include "server.h"

#include "faults.h"
#include "images.h"
#include "pages.h"
#include "seed.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace ydssim {

namespace {

using Lock = std::unique_lock<std::mutex>;
namespace f = pages::field;

const QString kLoginPath = QStringLiteral("/yds/rol/ziyaretci/LA_G_Z_K.jsf");
const QString kLoginOkPath = QStringLiteral("/yds/rol/ziyaretci/girisBasarili.jsf");
const QString kTopPath = QStringLiteral("/yds/rol/common/top.jsf");
const QString kMainPath = QStringLiteral("/yds/rol/ydk/main.jsf");
const QString kSearchPath = QStringLiteral("/yds/rol/ydk/yibf/YHHYL.jsf");
const QString kSitePath = QStringLiteral("/yds/rol/ydk/yibf/YHHYR.jsf");
const QString kListPath = QStringLiteral("/yds/rol/ydk/denetim/DYDYL.jsf");
const QString kNewPath = QStringLiteral("/yds/rol/ydk/denetim/DYDYI.jsf");
const QString kConfirmPath = QStringLiteral("/yds/rol/ydk/denetim/DYDYO.jsf");
const QString kMessagesPath = QStringLiteral("/yds/rol/ydk/mesaj/LSMOI.jsf");
const QString kErrorPath = QStringLiteral("/yds/rol/common/error.jsf");
const qint64 kMaxPhotoBytes = 5 * 1024 * 1024;

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

void sendJson(httplib::Response &res, const QByteArray &json, int status = 200)
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
};

struct Received
{
    QJsonObject json;
    QByteArray bytes;
};

// What a step answers: a logged-in page, or a redirect.
struct Answer
{
    pages::Frame frame;
    QString redirect;
};

} // namespace

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
    QString frontBase() const
    {
        return QStringLiteral("http://%1:%2").arg(opt.host).arg(frontPort);
    }

    // Absolute addresses on the pages (security-code image, "Göster") use the host the browser
    // asked for, so that they equal what the program builds from its own host setting.
    QString baseOf(const httplib::Request &req) const
    {
        const QString host = qs(req.get_header_value("Host"));
        return host.isEmpty() ? appBase() : QStringLiteral("http://") + host;
    }

    // ---- state helpers (called with m held)

    // The login page leaves for the front page by its own script once loaded.
    bool sendsToFront() const
    {
        return faults.contains(fault::LoginToFront) &&
               faults.value(fault::LoginToFront) != QLatin1String("redirect");
    }

    bool loadSeed(const QByteArray &json, QString *error)
    {
        Seed seed;
        if (json.isEmpty())
            seed = Seed::builtIn(today());
        else if (!Seed::fromJson(json, today(), &seed, error))
            return false;
        institutions = seed.institutions;
        sites = seed.sites;
        return true;
    }

    bool applyStartFaults(QString *error)
    {
        faults.clear();
        for (const QString &text : opt.faults) {
            QString name, arg;
            if (!parseFault(text, &name, &arg, error))
                return false;
            faults.insert(name, arg);
        }
        return true;
    }

    Session &session(const httplib::Request &req, httplib::Response &res)
    {
        QString id = cookie(req, QStringLiteral("JSESSIONID"));
        if (id.isEmpty() || sessions.find(id) == sessions.end()) {
            id = QString::number(QRandomGenerator::global()->generate64(), 16).toUpper() +
                 QString::number(QRandomGenerator::global()->generate64(), 16).toUpper();
            sessions[id].id = id;
            res.set_header("Set-Cookie",
                           ss(QStringLiteral("JSESSIONID=%1; Path=/yds; HttpOnly").arg(id)));
        }
        Session &s = sessions[id];
        s.base = baseOf(req);
        return s;
    }

    const Institution *institution(const QString &user) const
    {
        for (const Institution &i : institutions)
            if (i.user == user)
                return &i;
        return nullptr;
    }

    QList<Site *> visibleSites(const Session &s)
    {
        QList<Site *> out;
        for (Site &site : sites)
            if (site.institution.isEmpty() || site.institution == s.user)
                out.append(&site);
        return out;
    }

    Site *findSite(Session &s, const QString &yibf)
    {
        for (Site &site : s.extraSites)
            if (site.yibf == yibf)
                return &site;
        for (Site *site : visibleSites(s))
            if (site->yibf == yibf)
                return site;
        return nullptr;
    }

    // A site page for a YİBF the seed does not hold (several results, another site's page).
    Site &madeUpSite(Session &s, const QString &yibf)
    {
        if (Site *found = findSite(s, yibf))
            return *found;
        Site site;
        site.yibf = yibf;
        site.ada = QStringLiteral("907");
        site.parsel = QStringLiteral("3");
        site.owner = QStringLiteral("Hüseyin Güneş");
        site.province = QStringLiteral("Ankara");
        site.district = QStringLiteral("Keçiören");
        site.address = QStringLiteral("Bağlarbaşı Mah. 6. Sok. No: 9");
        site.buildingClass = QStringLiteral("III-A");
        s.extraSites.append(site);
        return s.extraSites.last();
    }

    QString hasFaultAt(const QString &name, const QString &step) const
    {
        const auto it = faults.constFind(name);
        if (it == faults.constEnd() || it->section(QLatin1Char(':'), 0, 0) != step)
            return {};
        const QString extra = it->section(QLatin1Char(':'), 1);
        return extra.isEmpty() ? QStringLiteral("-") : extra;
    }

    // Holds the answer of a hanging step until the fault is lifted, the state is reset, the
    // server stops, or the limit passes. Only this worker waits; the others keep serving.
    // Returns false when the server is stopping.
    bool hangIfAsked(Lock &lk, const QString &step)
    {
        const QString extra = hasFaultAt(fault::Hang, step);
        if (extra.isEmpty())
            return true;
        const QString arg = faults.value(fault::Hang);
        const int seconds = extra == QLatin1String("-") ? opt.hangLimitSeconds : extra.toInt();
        const quint64 gen = generation;
        cv.wait_for(lk, std::chrono::seconds(seconds), [&] {
            return stopping || generation != gen || faults.value(fault::Hang) != arg;
        });
        return !stopping;
    }

    void delay()
    {
        if (opt.latencyMs <= 0)
            return;
        Lock lk(m);
        cv.wait_for(lk, std::chrono::milliseconds(opt.latencyMs), [&] { return stopping; });
    }

    // ---- pages

    pages::Frame frame(Session &s, const QString &code, const QString &view, const QString &title,
                       const QString &heading, const QString &content)
    {
        pages::Frame fr;
        fr.code = code;
        fr.view = view;
        fr.title = title;
        fr.heading = heading;
        fr.content = content;
        fr.user = s.user;
        if (const Institution *inst = institution(s.user)) {
            fr.institutionName = inst->name;
            fr.institutionNumber = inst->number;
        }
        fr.viewState = s.viewState++;
        return fr;
    }

    pages::Frame mainPage(Session &s, const QString &view)
    {
        return frame(s, QStringLiteral("MAIN_Y"), view, QStringLiteral("YDS - Ana Sayfa"),
                     QStringLiteral("Ana Sayfa"),
                     pages::mainContent(s.user, int(visibleSites(s).size())));
    }

    pages::Frame errorPage(Session &s)
    {
        return frame(s, QStringLiteral("ERROR"), kErrorPath, QStringLiteral("YDS - Hata"),
                     QStringLiteral("Hata"), pages::errorContent());
    }

    pages::Frame messagesPage(Session &s, const QString &message = {})
    {
        return frame(s, QStringLiteral("LSMOI"), kMessagesPath,
                     QStringLiteral("YDS - İşlem Mesajları"), QStringLiteral("İşlem Mesajları"),
                     pages::messagesContent(message));
    }

    pages::Frame searchPage(Session &s)
    {
        QList<Site> found;
        for (const QString &y : s.results)
            if (Site *site = findSite(s, y))
                found.append(*site);
        return frame(s, QStringLiteral("YHHYL"), kSearchPath, QStringLiteral("YDS - YİBF Listesi"),
                     QStringLiteral("YİBF Listesi"),
                     pages::searchContent(s.base, s.query, s.searched ? &found : nullptr));
    }

    pages::Frame sitePage(Session &s, Site &site)
    {
        return frame(s, QStringLiteral("YHHYR"), kSitePath, QStringLiteral("YDS - YİBF Bilgileri"),
                     QStringLiteral("YİBF Bilgileri"), pages::siteContent(site, site.yibf));
    }

    pages::Frame listPage(Session &s, Site &site, const QString &info = {})
    {
        return frame(s, QStringLiteral("DYDYL"), kListPath,
                     QStringLiteral("YDS - Denetim Bilgileri"), QStringLiteral("Denetim Bilgileri"),
                     pages::listContent(site, info));
    }

    pages::Frame newPage(Session &s, Site &site, const pages::FormValues &values,
                         const QString &error)
    {
        pages::Frame fr = frame(
            s, QStringLiteral("DYDYI"), kNewPath, QStringLiteral("YDS - Yeni Denetim Bilgisi"),
            QStringLiteral("Yeni Denetim Bilgisi"),
            pages::newInspectionContent(site, values, error, faults.contains(fault::RefuseFile)));
        fr.multipart = true;
        return fr;
    }

    pages::Frame confirmationPage(Session &s, Site &site, const QString &error = {})
    {
        const Draft &dr = *s.draft;
        // The confirmation page carries the label but no code of its own.
        return frame(
            s, faults.contains(fault::ConfirmNull) ? QStringLiteral("null") : QString(),
            kConfirmPath, pages::ConfirmationTitle, pages::ConfirmationTitle,
            pages::confirmationContent(site, dr.values, dr.fileName, dr.bytes.size(), error));
    }

    // ---- steps

    Answer login(Session &s, const httplib::Request &req)
    {
        const QString user = formValue(req, f::User).trimmed();
        const QString password = formValue(req, f::Password);
        const QString code = formValue(req, f::Code).trimmed();
        const QString issued = s.code;
        s.code.clear(); // a code is good for one attempt
        QString message;
        const Institution *inst = institution(user);
        if (faults.contains(fault::RefuseLogin))
            message = faults.value(fault::RefuseLogin).isEmpty()
                          ? QStringLiteral("Kullanıcı hesabınız geçici olarak kilitlenmiştir. "
                                           "Lütfen daha sonra tekrar deneyiniz.")
                          : faults.value(fault::RefuseLogin);
        else if (user.isEmpty() || password.isEmpty() || code.isEmpty())
            message = QStringLiteral("Kullanıcı adı, şifre ve güvenlik kodu girilmelidir.");
        else if (issued.isEmpty() || code != issued)
            message = QStringLiteral("Güvenlik kodunu hatalı girdiniz.");
        else if (!inst || inst->password != password)
            message = QStringLiteral("Kullanıcı adı veya şifre hatalı.");
        Answer a;
        if (message.isEmpty()) {
            s.user = inst->user;
            s.query.clear();
            s.results.clear();
            s.searched = false;
            s.searches = 0;
            s.current.clear();
            s.draft.reset();
            a.redirect = kLoginOkPath;
        } else {
            a.frame.title = message; // carried to the login page by the caller
        }
        return a;
    }

    pages::Frame menu(Session &s, const QString &value, QString *step)
    {
        const QString prefix = pages::MenuPrefix + QLatin1Char(':');
        if (!value.startsWith(prefix))
            return errorPage(s);
        const QString action = value.mid(prefix.size());
        if (action == QLatin1String("A]MAIN_L")) {
            *step = QStringLiteral("menu-main");
            return mainPage(s, kMainPath);
        }
        if (action == QLatin1String("A]#{yibfBean.hazirlaYHHYL}")) {
            *step = QStringLiteral("menu-search");
            s.query.clear();
            s.results.clear();
            s.searched = false;
            return searchPage(s);
        }
        if (action == QLatin1String("A]#{islemMesajBean.hazirlaLSMOI}")) {
            *step = QStringLiteral("menu-messages");
            return messagesPage(s);
        }
        if (action == QLatin1String("A]#{hakedisBean.hazirlaHKDSL}") ||
            action == QLatin1String("A]#{denetciBean.hazirlaDNTCL}")) {
            *step = QStringLiteral("menu-messages");
            return messagesPage(s, QStringLiteral("Bu işlem için yetkiniz bulunmamaktadır."));
        }
        return errorPage(s);
    }

    pages::Frame search(Session &s, const QString &query)
    {
        s.query = query.trimmed();
        s.results.clear();
        s.searched = true;
        const bool first = s.searches++ == 0;
        if (faults.contains(fault::NoResult))
            return searchPage(s);
        for (Site *site : visibleSites(s))
            if (s.query.isEmpty() || site->yibf == s.query)
                s.results.append(site->yibf);
        if (faults.contains(fault::SeveralResults) && first && s.results.size() == 1) {
            for (Site *site : visibleSites(s))
                if (!s.results.contains(site->yibf) && s.results.size() < 3)
                    s.results.append(site->yibf);
            if (s.results.size() == 1)
                s.results.append(madeUpSite(s, s.query + QLatin1Char('1')).yibf);
        }
        return searchPage(s);
    }

    pages::Frame open(Session &s, const QString &link)
    {
        static const QRegularExpression rowLink(
            QStringLiteral("^oyds_form:dataTable:(\\d+):_idJsp52$"));
        const auto m = rowLink.match(link);
        const int row = m.hasMatch() ? m.captured(1).toInt() : -1;
        if (row < 0 || row >= s.results.size())
            return errorPage(s);
        QString yibf = s.results.at(row);
        if (faults.contains(fault::OtherSite)) {
            QString other = faults.value(fault::OtherSite);
            for (Site *site : visibleSites(s))
                if (other.isEmpty() && site->yibf != yibf)
                    other = site->yibf;
            if (other.isEmpty() || other == yibf)
                other =
                    yibf.left(yibf.size() - 1) + (yibf.endsWith(QLatin1Char('9')) ? u'8' : u'9');
            yibf = madeUpSite(s, other).yibf;
        }
        Site *site = findSite(s, yibf);
        if (!site)
            return errorPage(s);
        s.current = site->yibf;
        return sitePage(s, *site);
    }

    QString validate(const httplib::Request &req, Site &site, Draft *dr)
    {
        const QString names[] = {f::Level1,    f::Level2,   f::Level3,      f::Level4,
                                 f::Inspector, f::IdNumber, f::Developments};
        for (const QString &n : names)
            dr->values.insert(n, formValue(req, n));
        if (faults.contains(fault::Validation)) {
            const QString text = faults.value(fault::Validation);
            return text.isEmpty() ? QStringLiteral("Yapıdaki gelişmeler alanına girilen bilgi "
                                                   "yetersizdir.")
                                  : text;
        }
        double total = 0;
        for (int i = 0; i < 4; ++i) {
            if (!parseLevel(dr->values.value(names[i]), &dr->levels[i]))
                return QStringLiteral("Seviye değerleri sayı olarak girilmelidir (ondalık ayırıcı "
                                      "olarak nokta kullanınız).");
            total += dr->levels[i];
        }
        if (total > 100)
            return QStringLiteral("Seviye değerlerinin toplamı 100'ü geçemez.");
        if (!site.inspections.isEmpty() && site.inspections.last().percent > total)
            return QStringLiteral("Gerçekleşme oranı bir önceki denetim bilgisinin gerçekleşme "
                                  "oranından küçük olamaz.");
        dr->percent = total;
        static const QRegularExpression tc(QStringLiteral("^\\d{11}$"));
        const QString id = dr->values.value(f::IdNumber).trimmed();
        if (!id.isEmpty() && !tc.match(id).hasMatch())
            return QStringLiteral("T.C. Kimlik No 11 haneli olmalıdır.");
        const std::string key = ss(f::File);
        if (!req.has_file(key) || req.get_file_value(key).filename.empty())
            return QStringLiteral("Fotoğraf seçilmelidir.");
        const auto part = req.get_file_value(key);
        dr->fileName = qs(part.filename);
        dr->contentType = qs(part.content_type);
        dr->bytes = QByteArray::fromStdString(part.content);
        if (faults.contains(fault::RefuseFile))
            return QStringLiteral("Fotoğraf dosyası kabul edilmedi.");
        static const QRegularExpression jpg(QStringLiteral("\\.jpe?g$"),
                                            QRegularExpression::CaseInsensitiveOption);
        if (!jpg.match(dr->fileName).hasMatch() || !dr->bytes.startsWith("\xFF\xD8\xFF"))
            return QStringLiteral("Fotoğraf JPEG biçiminde olmalıdır.");
        if (dr->bytes.size() > kMaxPhotoBytes)
            return QStringLiteral("Fotoğraf boyutu 5 MB'ı geçemez.");
        return {};
    }

    pages::Frame save(Session &s, Site &site, const httplib::Request &req)
    {
        if (formValue(req, f::Declaration).isEmpty())
            return confirmationPage(s, site, QStringLiteral("Beyan onaylanmadan kayıt yapılamaz."));
        const Draft dr = *s.draft;
        s.draft.reset();
        Inspection ins;
        ins.date = faults.contains(fault::SaveYesterday) ? today().addDays(-1) : today();
        ins.percent = dr.percent;
        for (int i = 0; i < 4; ++i)
            ins.levels[i] = dr.levels[i];
        ins.inspector = dr.values.value(f::Inspector);
        ins.fileName = dr.fileName;
        site.inspections.append(ins);

        QJsonObject fieldsJson;
        for (auto it = dr.values.cbegin(); it != dr.values.cend(); ++it)
            fieldsJson.insert(it.key(), it.value());
        QJsonArray levels;
        for (double l : dr.levels)
            levels.append(l);
        QJsonObject rec{
            {QStringLiteral("id"), int(records.size()) + 1},
            {QStringLiteral("yibf"), site.yibf},
            {QStringLiteral("institution"), s.user},
            {QStringLiteral("session"), s.id},
            {QStringLiteral("date"), ins.date.toString(Qt::ISODate)},
            {QStringLiteral("percent"), dr.percent},
            {QStringLiteral("levels"), levels},
            {QStringLiteral("fields"), fieldsJson},
            {QStringLiteral("file"),
             QJsonObject{
                 {QStringLiteral("name"), dr.fileName},
                 {QStringLiteral("contentType"), dr.contentType},
                 {QStringLiteral("size"), int(dr.bytes.size())},
                 {QStringLiteral("sha256"),
                  QString::fromLatin1(
                      QCryptographicHash::hash(dr.bytes, QCryptographicHash::Sha256).toHex())}}},
        };
        records.append(Received{rec, dr.bytes});
        return listPage(s, site, QStringLiteral("Denetim bilgisi başarıyla kaydedildi."));
    }

    // A form posted from a logged-in page: the menu first, then the button that was pressed.
    pages::Frame postBack(Session &s, const httplib::Request &req, const QString &path,
                          QString *step)
    {
        const QString menuValue = formValue(req, f::Menu);
        if (!menuValue.isEmpty())
            return menu(s, menuValue, step);
        if (hasField(req, f::SearchButton)) {
            *step = QStringLiteral("search");
            return search(s, formValue(req, f::SearchNo));
        }
        if (!formValue(req, f::LinkHidden).isEmpty()) {
            *step = QStringLiteral("open");
            return open(s, formValue(req, f::LinkHidden));
        }
        Site *site = findSite(s, s.current);
        if (hasField(req, f::BackToSearch))
            return searchPage(s);
        if (!site)
            return hasField(req, f::SearchNo) ? search(s, formValue(req, f::SearchNo))
                                              : viewOf(s, path);
        if (hasField(req, f::Inspections)) {
            *step = QStringLiteral("list");
            return listPage(s, *site);
        }
        if (hasField(req, f::NewInspection)) {
            *step = QStringLiteral("new");
            s.draft.reset();
            return newPage(s, *site, {}, {});
        }
        if (hasField(req, f::BackToSite))
            return sitePage(s, *site);
        if (hasField(req, f::BackToList)) {
            s.draft.reset();
            return listPage(s, *site);
        }
        if (hasField(req, f::Continue)) {
            *step = QStringLiteral("continue");
            Draft dr;
            const QString error = validate(req, *site, &dr);
            if (!error.isEmpty())
                return newPage(s, *site, dr.values, error);
            s.draft = dr;
            return confirmationPage(s, *site);
        }
        if (hasField(req, f::Save)) {
            *step = QStringLiteral("save");
            if (!s.draft)
                return errorPage(s);
            return save(s, *site, req);
        }
        if (hasField(req, f::Cancel)) {
            *step = QStringLiteral("cancel");
            s.draft.reset();
            return listPage(s, *site);
        }
        // Enter pressed in a text box without a button: the page of the view again.
        return hasField(req, f::SearchNo) ? search(s, formValue(req, f::SearchNo))
                                          : viewOf(s, path);
    }

    // A logged-in view asked for by its address.
    pages::Frame viewOf(Session &s, const QString &path)
    {
        Site *site = findSite(s, s.current);
        if (path == kSearchPath)
            return searchPage(s);
        if (path == kMessagesPath)
            return messagesPage(s);
        if (path == kErrorPath)
            return errorPage(s);
        if (site && path == kSitePath)
            return sitePage(s, *site);
        if (site && path == kListPath)
            return listPage(s, *site);
        if (site && path == kNewPath)
            return newPage(s, *site, {}, {});
        if (site && path == kConfirmPath && s.draft)
            return confirmationPage(s, *site);
        return mainPage(s, path == kTopPath ? kTopPath : kMainPath);
    }

    // Runs one step of a logged-in page with its faults: hang, error page, unknown code. The
    // step's work is done before its answer is held or replaced, as on a portal whose answer
    // is lost on the way: a hanging save has stored its record.
    void answerPage(const httplib::Request &req, httplib::Response &res,
                    const std::function<pages::Frame(Session &, QString *step)> &build)
    {
        delay();
        Lock lk(m);
        Session &s = session(req, res);
        if (s.user.isEmpty()) {
            res.set_redirect(ss(kLoginPath));
            return;
        }
        QString step;
        const QString sid = s.id;
        pages::Frame fr = build(s, &step);
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
        }
        sendHtml(res, pages::loggedInPage(fr));
    }

    // ---- routes

    void routes()
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
            Answer a = login(s, req);
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
            if (!a.redirect.isEmpty()) {
                res.set_redirect(ss(a.redirect), 302);
                return;
            }
            // A refused login comes back at exactly the login address, with the message.
            sendHtml(res,
                     pages::loginPage(baseOf(req), frontBase(), a.frame.title, sendsToFront()));
        });
        app.Get(ss(kLoginOkPath), [this](const httplib::Request &req, httplib::Response &res) {
            Lock lk(m);
            if (session(req, res).user.isEmpty())
                res.set_redirect(ss(kLoginPath));
            else
                sendHtml(res, pages::loginAcceptedPage());
        });
        app.Get("/yds/rol/ziyaretci/cikis.jsf",
                [this](const httplib::Request &req, httplib::Response &res) {
                    Lock lk(m);
                    Session &s = session(req, res);
                    s.user.clear();
                    s.draft.reset();
                    res.set_redirect(ss(kLoginPath));
                });
        // The login page's document query is not part of this portal: back to the login.
        app.Get("/yds/rol/ziyaretci/belgeSorgula.jsf",
                [](const httplib::Request &, httplib::Response &res) {
                    res.set_redirect(ss(kLoginPath));
                });
        app.Get("/yds/jcaptcha", [this](const httplib::Request &req, httplib::Response &res) {
            QString code = newSecurityCode();
            {
                Lock lk(m);
                Session &s = session(req, res);
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
                    Session &s = session(req, res);
                    if (s.user.isEmpty() || !s.draft) {
                        res.status = 404;
                        return;
                    }
                    noCache(res);
                    res.set_content(s.draft->bytes.toStdString(), "image/jpeg");
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

    // ---- operations of the test endpoints (take the lock themselves)

    QString outerLatestCode(const QString &sid) const
    {
        Lock lk(m);
        if (sid.isEmpty())
            return latestCode;
        const auto it = sessions.find(sid);
        return it == sessions.end() ? QString() : it->second.code;
    }

    QByteArray outerRecords() const
    {
        Lock lk(m);
        QJsonArray arr;
        for (const Received &r : records)
            arr.append(r.json);
        return QJsonDocument(arr).toJson(QJsonDocument::Indented);
    }

    QByteArray outerSites() const
    {
        Lock lk(m);
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

    QByteArray outerFaults() const
    {
        Lock lk(m);
        QJsonObject o;
        for (auto it = faults.cbegin(); it != faults.cend(); ++it)
            o.insert(it.key(), it.value());
        return QJsonDocument(o).toJson(QJsonDocument::Compact);
    }

    bool outerSetFault(const QString &name, const QString &arg, QString *error)
    {
        if (!validateFault(name, arg, error))
            return false;
        Lock lk(m);
        faults.insert(name, arg);
        cv.notify_all();
        return true;
    }

    void outerClearFaults(const QString &name)
    {
        Lock lk(m);
        if (name.isEmpty())
            faults.clear();
        else
            faults.remove(name);
        cv.notify_all(); // hanging answers go on
    }

    bool outerReset(const QByteArray &json, QString *error)
    {
        Lock lk(m);
        if (!loadSeed(json.trimmed().isEmpty() ? seedJson : json, error))
            return false;
        sessions.clear();
        records.clear();
        latestCode.clear();
        applyStartFaults(error);
        ++generation;
        cv.notify_all();
        return true;
    }

    void testRoutes();
};

void Server::Impl::testRoutes()
{
    app.Get("/__test/code", [this](const httplib::Request &req, httplib::Response &res) {
        QString sid = qs(req.get_param_value("session"));
        if (sid.isEmpty())
            sid = cookie(req, QStringLiteral("JSESSIONID"));
        const QString code = outerLatestCode(sid);
        sendJson(res, QJsonDocument(QJsonObject{{QStringLiteral("code"), code}})
                          .toJson(QJsonDocument::Compact));
    });
    app.Get("/__test/records", [this](const httplib::Request &, httplib::Response &res) {
        sendJson(res, outerRecords());
    });
    app.Get(R"(/__test/records/(\d+)/file)",
            [this](const httplib::Request &req, httplib::Response &res) {
                Lock lk(m);
                const int n = std::stoi(req.matches[1].str());
                if (n < 1 || n > records.size()) {
                    sendJson(res, jsonError(QStringLiteral("no record %1").arg(n)), 404);
                    return;
                }
                res.set_content(records.at(n - 1).bytes.toStdString(), "application/octet-stream");
            });
    app.Get("/__test/sites", [this](const httplib::Request &, httplib::Response &res) {
        sendJson(res, outerSites());
    });
    app.Get("/__test/faults", [this](const httplib::Request &, httplib::Response &res) {
        sendJson(res, outerFaults());
    });
    app.Post("/__test/fault", [this](const httplib::Request &req, httplib::Response &res) {
        QString error;
        if (!outerSetFault(qs(req.get_param_value("name")), qs(req.get_param_value("arg")),
                           &error)) {
            sendJson(res, jsonError(error), 400);
            return;
        }
        sendJson(res, outerFaults());
    });
    app.Post("/__test/clear-faults", [this](const httplib::Request &req, httplib::Response &res) {
        outerClearFaults(qs(req.get_param_value("name")));
        sendJson(res, outerFaults());
    });
    app.Post("/__test/reset", [this](const httplib::Request &req, httplib::Response &res) {
        QString error;
        if (!outerReset(QByteArray::fromStdString(req.body), &error)) {
            sendJson(res, jsonError(error), 400);
            return;
        }
        sendJson(res, outerSites());
    });
    app.Post("/__test/today", [this](const httplib::Request &req, httplib::Response &res) {
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
    const int threads = d->opt.workerThreads;
    for (httplib::Server *srv : {&d->app, &d->front}) {
        srv->new_task_queue = [threads] { return new httplib::ThreadPool(size_t(threads)); };
        srv->set_payload_max_length(64 * 1024 * 1024);
        // Idle kept-alive connections hold a worker too; a short wait lets a stop end quickly.
        srv->set_keep_alive_timeout(2);
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

int Server::appPort() const
{
    return d->appPort;
}

int Server::frontPort() const
{
    return d->frontPort;
}

QString Server::appBase() const
{
    return d->appBase();
}

QString Server::frontBase() const
{
    return d->frontBase();
}

bool Server::setFault(const QString &name, const QString &arg, QString *error)
{
    return d->outerSetFault(name, arg, error);
}

void Server::clearFaults(const QString &name)
{
    d->outerClearFaults(name);
}

bool Server::reset(const QByteArray &seedJson, QString *error)
{
    return d->outerReset(seedJson, error);
}

void Server::setToday(const QDate &date)
{
    Lock lk(d->m);
    d->todayOverride = date;
}

QString Server::latestCode(const QString &sessionId) const
{
    return d->outerLatestCode(sessionId);
}

QByteArray Server::recordsJson() const
{
    return d->outerRecords();
}

QByteArray Server::sitesJson() const
{
    return d->outerSites();
}

QByteArray Server::faultsJson() const
{
    return d->outerFaults();
}

} // namespace ydssim
