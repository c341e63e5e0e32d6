#include "serverimpl.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

// The portal's behaviour: sessions, faults and the answer of each step, without the HTTP wiring.
namespace ydssim {

QString Server::Impl::frontBase() const
{
    return QStringLiteral("http://%1:%2").arg(opt.host).arg(frontPort);
}

QString Server::Impl::baseOf(const httplib::Request &req) const
{
    const QString host = qs(req.get_header_value("Host"));
    return host.isEmpty() ? appBase() : QStringLiteral("http://") + host;
}

bool Server::Impl::sendsToFront() const
{
    return faults.contains(fault::LoginToFront) &&
           faults.value(fault::LoginToFront) != QLatin1String("redirect");
}

bool Server::Impl::loadSeed(const QByteArray &json, QString *error)
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

bool Server::Impl::applyStartFaults(QString *error)
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

bool Server::Impl::ended(const Session &s, Clock::time_point now) const
{
    return now - s.lastUse > std::chrono::seconds(opt.sessionIdleSeconds) || s.endsAfter == 0 ||
           (opt.sessionRequests > 0 && s.requests >= opt.sessionRequests);
}

void Server::Impl::sweep(bool force)
{
    const Clock::time_point now = Clock::now();
    if (!force && now - lastSweep < std::chrono::seconds(1) &&
        int(sessions.size()) < opt.maxSessions)
        return;
    lastSweep = now;
    std::erase_if(sessions, [&](const auto &entry) { return ended(entry.second, now); });
    if (int(sessions.size()) >= opt.maxSessions) {
        // The least recently used tenth goes at once, so that a flood pays for this rarely.
        std::vector<Clock::time_point> uses;
        uses.reserve(sessions.size());
        for (const auto &[id, s] : sessions)
            uses.push_back(s.lastUse);
        const auto cut = uses.begin() + qsizetype(uses.size() / 10);
        std::nth_element(uses.begin(), cut, uses.end());
        std::erase_if(sessions, [&](const auto &entry) { return entry.second.lastUse <= *cut; });
    }
}

Session *Server::Impl::findSession(const httplib::Request &req, bool page)
{
    const auto it = sessions.find(cookie(req, QStringLiteral("JSESSIONID")));
    if (it == sessions.end())
        return nullptr;
    Session &s = it->second;
    const Clock::time_point now = Clock::now();
    if (ended(s, now)) {
        sessions.erase(it);
        return nullptr;
    }
    s.lastUse = now;
    if (page) {
        ++s.requests;
        if (s.endsAfter > 0)
            --s.endsAfter;
    }
    s.base = baseOf(req);
    return &s;
}

Session &Server::Impl::session(const httplib::Request &req, httplib::Response &res, bool page)
{
    if (Session *s = findSession(req, page))
        return *s;
    sweep(false);
    const QString id = QString::number(QRandomGenerator::global()->generate64(), 16).toUpper() +
                       QString::number(QRandomGenerator::global()->generate64(), 16).toUpper();
    res.set_header("Set-Cookie", ss(QStringLiteral("JSESSIONID=%1; Path=/yds; HttpOnly").arg(id)));
    Session &s = sessions[id];
    s.id = id;
    s.lastUse = Clock::now();
    s.requests = page ? 1 : 0;
    s.base = baseOf(req);
    return s;
}

Session *Server::Impl::loggedIn(const httplib::Request &req, httplib::Response &res)
{
    // A portal whose session is gone answers every working page with its login page.
    Session *s = findSession(req);
    if (!s || s->user.isEmpty()) {
        res.set_redirect(ss(kLoginPath));
        return nullptr;
    }
    return s;
}

const Institution *Server::Impl::institution(const QString &user) const
{
    for (const Institution &i : institutions)
        if (i.user == user)
            return &i;
    return nullptr;
}

QList<Site *> Server::Impl::visibleSites(const Session &s)
{
    QList<Site *> out;
    for (Site &site : sites)
        if (site.institution.isEmpty() || site.institution == s.user)
            out.append(&site);
    return out;
}

Site *Server::Impl::findSite(Session &s, const QString &yibf)
{
    for (Site &site : s.extraSites)
        if (site.yibf == yibf)
            return &site;
    for (Site *site : visibleSites(s))
        if (site->yibf == yibf)
            return site;
    return nullptr;
}

Site &Server::Impl::madeUpSite(Session &s, const QString &yibf)
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

QString Server::Impl::hasFaultAt(const QString &name, const QString &step) const
{
    const auto it = faults.constFind(name);
    if (it == faults.constEnd() || it->section(QLatin1Char(':'), 0, 0) != step)
        return {};
    const QString extra = it->section(QLatin1Char(':'), 1);
    return extra.isEmpty() ? QStringLiteral("-") : extra;
}

bool Server::Impl::hangIfAsked(Lock &lk, const QString &step)
{
    const QString extra = hasFaultAt(fault::Hang, step);
    if (extra.isEmpty())
        return true;
    const QString arg = faults.value(fault::Hang);
    const int seconds = extra == QLatin1String("-") ? opt.hangLimitSeconds : extra.toInt();
    const quint64 gen = generation;
    ++held;
    cv.wait_for(lk, std::chrono::seconds(seconds),
                [&] { return stopping || generation != gen || faults.value(fault::Hang) != arg; });
    --held;
    return !stopping;
}

void Server::Impl::delay()
{
    if (opt.latencyMs <= 0)
        return;
    Lock lk(m);
    cv.wait_for(lk, std::chrono::milliseconds(opt.latencyMs), [&] { return stopping; });
}

pages::Frame Server::Impl::frame(Session &s, const QString &code, const QString &view,
                                 const QString &title, const QString &heading,
                                 const QString &content)
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

pages::Frame Server::Impl::mainPage(Session &s, const QString &view)
{
    return frame(s, QStringLiteral("MAIN_Y"), view, QStringLiteral("YDS - Ana Sayfa"),
                 QStringLiteral("Ana Sayfa"),
                 pages::mainContent(s.user, int(visibleSites(s).size())));
}

pages::Frame Server::Impl::errorPage(Session &s)
{
    return frame(s, QStringLiteral("ERROR"), kErrorPath, QStringLiteral("YDS - Hata"),
                 QStringLiteral("Hata"), pages::errorContent());
}

pages::Frame Server::Impl::messagesPage(Session &s, const QString &message)
{
    return frame(s, QStringLiteral("LSMOI"), kMessagesPath, QStringLiteral("YDS - İşlem Mesajları"),
                 QStringLiteral("İşlem Mesajları"), pages::messagesContent(message));
}

pages::Frame Server::Impl::searchPage(Session &s)
{
    QList<Site> found;
    for (const QString &y : s.results)
        if (Site *site = findSite(s, y))
            found.append(*site);
    const bool emptied = faults.contains(fault::SeveralResults) && found.size() > 1;
    return frame(
        s, QStringLiteral("YHHYL"), kSearchPath, QStringLiteral("YDS - YİBF Listesi"),
        QStringLiteral("YİBF Listesi"),
        pages::searchContent(s.base, emptied ? QString() : s.query, s.searched ? &found : nullptr));
}

pages::Frame Server::Impl::sitePage(Session &s, Site &site)
{
    return frame(s, QStringLiteral("YHHYR"), kSitePath, QStringLiteral("YDS - YİBF Bilgileri"),
                 QStringLiteral("YİBF Bilgileri"), pages::siteContent(site));
}

pages::Frame Server::Impl::listPage(Session &s, Site &site, const QString &info)
{
    return frame(s, QStringLiteral("DYDYL"), kListPath, QStringLiteral("YDS - Denetim Bilgileri"),
                 QStringLiteral("Denetim Bilgileri"),
                 pages::listContent(site, info, faults.contains(fault::ListNewestFirst)));
}

pages::Frame Server::Impl::newPage(Session &s, Site &site, const pages::FormValues &values,
                                   const QString &error)
{
    pages::Frame fr =
        frame(s, QStringLiteral("DYDYI"), kNewPath, QStringLiteral("YDS - Yeni Denetim Bilgisi"),
              QStringLiteral("Yeni Denetim Bilgisi"),
              pages::newInspectionContent(site, values, error, faults.contains(fault::RefuseFile)));
    fr.multipart = true;
    return fr;
}

pages::Frame Server::Impl::confirmationPage(Session &s, Site &site, const QString &error)
{
    const Draft &dr = *s.draft;
    // The confirmation page carries the label but no code of its own.
    return frame(s, faults.contains(fault::ConfirmNull) ? QStringLiteral("null") : QString(),
                 kConfirmPath, pages::ConfirmationTitle, pages::ConfirmationTitle,
                 pages::confirmationContent(site, dr.values, dr.fileName, dr.bytes.size(), error));
}

QString Server::Impl::login(Session &s, const httplib::Request &req)
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
    if (message.isEmpty()) {
        ++logins;
        s.user = inst->user;
        s.query.clear();
        s.results.clear();
        s.searched = false;
        s.searches = 0;
        s.current.clear();
        s.draft.reset();
    }
    return message;
}

pages::Frame Server::Impl::menu(Session &s, const QString &value, QString *step)
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

pages::Frame Server::Impl::search(Session &s, const QString &query)
{
    s.query = query.trimmed();
    s.results.clear();
    s.searched = true;
    const bool first = s.searches++ == 0;
    // Under several-results the result page empties the number, as some portal versions do; a
    // search for no number then finds nothing.
    if (faults.contains(fault::NoResult) ||
        (faults.contains(fault::SeveralResults) && s.query.isEmpty()))
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

pages::Frame Server::Impl::open(Session &s, const QString &link)
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
            other = yibf.left(yibf.size() - 1) + (yibf.endsWith(QLatin1Char('9')) ? u'8' : u'9');
        yibf = madeUpSite(s, other).yibf;
    }
    Site *site = findSite(s, yibf);
    if (!site)
        return errorPage(s);
    s.current = site->yibf;
    return sitePage(s, *site);
}

QString Server::Impl::validate(const httplib::Request &req, Site &site, Draft *dr)
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

pages::Frame Server::Impl::save(Session &s, Site &site, const httplib::Request &req)
{
    if (formValue(req, f::Declaration).isEmpty())
        return confirmationPage(s, site, QStringLiteral("Beyan onaylanmadan kayıt yapılamaz."));
    const Draft dr = *s.draft;
    s.draft.reset();
    if (faults.contains(fault::SaveLost))
        return listPage(s, site);
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

pages::Frame Server::Impl::postBack(Session &s, const httplib::Request &req, const QString &path,
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
    return hasField(req, f::SearchNo) ? search(s, formValue(req, f::SearchNo)) : viewOf(s, path);
}

pages::Frame Server::Impl::viewOf(Session &s, const QString &path)
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

} // namespace ydssim
