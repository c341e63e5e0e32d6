// The simulated portal's contract, walked with plain HTTP: the pages and ids the program relies
// on, the faults, sessions, held answers, the seed, the test endpoints and the program itself.
#include "pages.h"
#include "simulator.h"
#include "walk.h"

#include <QCryptographicHash>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <future>
#include <memory>
#include <vector>

using namespace ydssim::testing;
namespace f = ydssim::pages::field;

namespace {
const QString kLogin = QStringLiteral("/yds/rol/ziyaretci/LA_G_Z_K.jsf");
const QString kBody = QStringLiteral("oyds_form:dataTable:tbody_element");

QString day(int daysAgo)
{
    return QDate::currentDate().addDays(-daysAgo).toString(QStringLiteral("dd.MM.yyyy"));
}

// The simulator's workers per host; a test holds more answers than that.
constexpr int kWorkers = 2;

// A request on a thread of its own: an answer that is held must not hold the test.
std::future<PortalClient::Page> later(std::function<PortalClient::Page()> fn)
{
    return std::async(std::launch::async, std::move(fn));
}
bool done(const std::future<PortalClient::Page> &f)
{
    return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}
} // namespace

class PortalHttpTest : public QObject
{
    Q_OBJECT

private:
    Simulator m_sim{[] {
        ydssim::Options o;
        o.workerThreads = kWorkers;
        return o;
    }()};

    QString expand(QString s) const
    {
        return s.replace(QLatin1String("%APP%"), m_sim.appBase())
            .replace(QLatin1String("%FRONT%"), m_sim.frontBase());
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_sim.start(), qPrintable(m_sim.error())); }
    void init()
    {
        QVERIFY(m_sim.reset());
        QVERIFY(m_sim.setToday({}));
    }

    void pages_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("code"); // "-" = no "Ekran Kodu" on the page
        QTest::addColumn<QStringList>("needles");
        QTest::addColumn<int>("rows"); // rows of the result or inspection table; -1 = none
        auto row = [](const char *step, int status, const char *code, const QStringList &needles,
                      int rows = -1) {
            QTest::newRow(step) << QString::fromUtf8(step) << status << QString::fromUtf8(code)
                                << needles << rows;
        };
        auto id = [](const QString &name) { return QStringLiteral("id=\"%1\"").arg(name); };
        row("front", 200, "-", {"href=\"%APP%/yds/rol/ziyaretci/LA_G_Z_K.jsf\""});
        row("login-page", 200, "-",
            {id(f::User), id(f::Password), id(f::Code), "type=\"submit\" " + id(f::LoginButton),
             "src=\"%APP%/yds/jcaptcha\"", "src=\"/yds/common/images/sifreunuttum.gif\""});
        // Followed, the answer to an accepted login opens the portal's own window.
        row("login", 302, "-",
            {"/yds/rol/ziyaretci/girisBasarili.jsf", "window.open('/yds/rol/common/top.jsf'"});
        row("top", 200, "MAIN_Y", {"action=\"/yds/rol/common/top.jsf\""});
        row("main", 200, "MAIN_Y", {"action=\"/yds/rol/ydk/main.jsf\""});
        row("menu-main", 200, "MAIN_Y", {});
        row("menu-search", 200, "YHHYL",
            {id(f::SearchNo), "type=\"submit\" " + id(f::SearchButton), id(f::LinkHidden)});
        row("search", 200, "YHHYL",
            {"id=\"oyds_form:dataTable:0:_idJsp52\"",
             "<img src=\"%APP%/yds/common/images/goster.gif\" alt=\"Göster\""},
            1);
        const QString inspections = QStringLiteral("type=\"submit\" id=\"%1\" name=\"%1\" "
                                                   "value=\"Denetim Bilgileri\"")
                                        .arg(f::Inspections);
        row("open", 200, "YHHYR", {"<span id=\"oyds_form:id\">1234567 / ", inspections});
        row("list", 200, "DYDYL",
            {"<table id=\"oyds_form:dataTable\" class=\"liste\">\n<thead><tr><th>Tarih</th>",
             "<tr><td>" + day(30) + "</td><td>25</td>", id(f::NewInspection)},
            2);
        row("new", 200, "DYDYI",
            {"enctype=\"multipart/form-data\"", id(f::Level1), id(f::Level2), id(f::Level3),
             id(f::Level4), id(f::Inspector), id(f::IdNumber), id(f::Developments),
             "type=\"file\" " + id(f::File), "type=\"submit\" " + id(f::Continue)});
        row("continue", 200, "",
            {"<title>Yeni Denetim Bilgisi Kaydetme Kararı</title>",
             "<input type=\"checkbox\" id=\"oyds_form:cbx\" name=\"oyds_form:cbx\" onclick=",
             "value=\"Denetim Bilgisini Kaydet\" class=\"buton\" disabled=\"disabled\">",
             "type=\"submit\" " + id(f::Cancel) + " name=\"" + f::Cancel + "\" value=\"Vazgeç\""});
        // The new row is last, dated today, with the levels' sum.
        row("save", 200, "DYDYL",
            {"<tr><td>" + day(0) + "</td><td>40</td>", "<td>1234567.jpg</td></tr>\n</tbody>",
             "Denetim bilgisi başarıyla kaydedildi."},
            3);
    }
    void pages()
    {
        QFETCH(QString, step);
        QFETCH(int, status);
        QFETCH(QString, code);
        QFETCH(QStringList, needles);
        QFETCH(int, rows);
        PortalClient c(m_sim.appBase());
        auto page = walkTo(m_sim, c, step);
        QCOMPARE(page.status, status);
        if (status == 302)
            page.html = page.location + c.get(page.location).html;
        if (code == QLatin1String("-")) {
            QVERIFY(!screenCode(page.html));
        } else {
            QCOMPARE(screenCode(page.html), code);
            // The menu is the first div, its id the prefix; the first form holds jscook_action.
            const qsizetype form = page.html.indexOf(QLatin1String("<form"));
            QCOMPARE(page.html.indexOf(QLatin1String("<div")),
                     page.html.indexOf(QLatin1String("<div id=\"_idJsp0\"")));
            QCOMPARE(form, page.html.indexOf(QLatin1String("<form id=\"oyds_form\"")));
            QVERIFY(page.html.indexOf(QLatin1String("name=\"jscook_action\"")) > form);
        }
        for (const QString &needle : needles)
            QVERIFY2(page.html.contains(expand(needle)), qPrintable(expand(needle)));
        QVERIFY(!errorText(page.html));
        QVERIFY(!loginMessage(page.html));
        if (rows >= 0)
            QCOMPARE(tableRows(page.html, kBody).size(), rows);
    }

    void menu_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("code");
        auto row = [](const char *name, const char *value, const char *code) {
            QTest::newRow(name) << QString::fromUtf8(value) << QString::fromUtf8(code);
        };
        row("no prefix", "A]MAIN_L", "ERROR");
        row("other prefix", "menu:A]MAIN_L", "ERROR");
        row("unknown action", "_idJsp0:A]#{x.y}", "ERROR");
        row("closed menu", "_idJsp0:A]#{hakedisBean.hazirlaHKDSL}", "LSMOI");
        row("messages", "_idJsp0:A]#{islemMesajBean.hazirlaLSMOI}", "LSMOI");
    }
    void menu()
    {
        QFETCH(QString, value);
        QFETCH(QString, code);
        PortalClient c(m_sim.appBase());
        walkTo(m_sim, c, QStringLiteral("main"));
        QCOMPARE(
            screenCode(c.post(QStringLiteral("/yds/rol/ydk/main.jsf"), {{f::Menu, value}}).html),
            code);
    }

    void refusedLogin_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("rightCode");
        QTest::addColumn<QString>("message");
        const QString user = Simulator::demoUser(), pass = Simulator::demoPassword();
        const QString wrong = QStringLiteral("Kullanıcı adı veya şifre hatalı.");
        QTest::newRow("wrong code")
            << user << pass << false << QStringLiteral("Güvenlik kodunu hatalı girdiniz.");
        QTest::newRow("wrong password") << user << QStringLiteral("ornek.2026") << true << wrong;
        QTest::newRow("another firm's user") << QStringLiteral("kuzeyyd") << pass << true << wrong;
        QTest::newRow("empty password")
            << user << QString() << true
            << QStringLiteral("Kullanıcı adı, şifre ve güvenlik kodu girilmelidir.");
    }
    void refusedLogin()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, rightCode);
        QFETCH(QString, message);
        PortalClient c(m_sim.appBase());
        walkTo(m_sim, c, QStringLiteral("login-page"));
        const QString code = m_sim.latestCode(c.sessionId()) + (rightCode ? "" : "X");
        const auto page =
            c.post(kLogin, {{f::User, user}, {f::Password, password}, {f::Code, code}});
        QCOMPARE(page.status, 200); // the login page again, at the login address itself
        QCOMPARE(loginMessage(page.html), message);
        QCOMPARE(c.get(QStringLiteral("/yds/rol/ydk/main.jsf")).location, kLogin);
    }

    void securityCodeIsTheSessionsLatestAndCountsOnce()
    {
        PortalClient a(m_sim.appBase()), b(m_sim.appBase());
        QVERIFY(a.get(QStringLiteral("/yds/jcaptcha")).body.startsWith("\x89PNG"));
        const QString codeA = m_sim.latestCode(a.sessionId());
        QVERIFY(QRegularExpression(QStringLiteral("^[A-HJ-NP-Z2-9]{5}$")).match(codeA).hasMatch());
        b.get(QStringLiteral("/yds/jcaptcha"));
        const QString codeB = m_sim.latestCode(b.sessionId());
        QCOMPARE(m_sim.latestCode(), codeB);              // the latest issued to anyone
        QCOMPARE(m_sim.latestCode(a.sessionId()), codeA); // b's picture leaves a's code alone
        const PortalClient::Fields user{{f::User, Simulator::demoUser()},
                                        {f::Password, Simulator::demoPassword()}};
        const auto login = [&](PortalClient &c, const QString &code) {
            return c.post(kLogin, user + PortalClient::Fields{{f::Code, code}}).status;
        };
        if (codeA != codeB)
            QCOMPARE(login(a, codeB), 200); // another session's code opens nothing
        QCOMPARE(login(b, codeB), 302);
        a.get(QStringLiteral("/yds/jcaptcha"));
        const QString older = m_sim.latestCode(a.sessionId());
        a.get(QStringLiteral("/yds/jcaptcha"));
        if (older != m_sim.latestCode(a.sessionId()))
            QCOMPARE(login(a, older), 200); // only the latest picture counts
        a.get(QStringLiteral("/yds/jcaptcha"));
        const QString fresh = m_sim.latestCode(a.sessionId());
        QCOMPARE(login(a, fresh), 302);
        QCOMPARE(login(a, fresh), 200); // once
    }

    void newRecordForm_data()
    {
        QTest::addColumn<QStringList>("levels");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("photo");
        QTest::addColumn<QString>("message"); // empty = accepted and saved
        const QByteArray jpeg = sampleJpeg();
        const QString a = QStringLiteral("a.jpg"), notJpeg = "Fotoğraf JPEG biçiminde olmalıdır.";
        auto row = [](const char *name, const QStringList &levels, const QString &file,
                      const QByteArray &photo, const QString &message) {
            QTest::newRow(name) << levels << file << photo << message;
        };
        row("decimal comma", {"17,5", "", "", ""}, a, jpeg,
            "Seviye değerleri sayı olarak girilmelidir (ondalık ayırıcı olarak nokta "
            "kullanınız).");
        row("total over 100", {"95", "5", "0.5", ""}, a, jpeg,
            "Seviye değerlerinin toplamı 100'ü geçemez.");
        row("below the previous rate", {"10", "14.5", "", ""}, a, jpeg,
            "Gerçekleşme oranı bir önceki denetim bilgisinin gerçekleşme oranından küçük olamaz.");
        row("previous rate exactly, empty levels", {"10", "15", "", ""}, a, jpeg, "");
        row("no photograph", {"30", "", "", ""}, "", jpeg, "Fotoğraf seçilmelidir.");
        row("not a JPEG by name", {"30", "", "", ""}, "a.png", jpeg, notJpeg);
        row("not a JPEG by content", {"30", "", "", ""}, "a.JPG", "GIF89a....", notJpeg);
        row("too large", {"30", "", "", ""}, a,
            QByteArray("\xFF\xD8\xFF").append(QByteArray(5 * 1024 * 1024, 'x')),
            "Fotoğraf boyutu 5 MB'ı geçemez.");
    }
    void newRecordForm()
    {
        QFETCH(QStringList, levels);
        QFETCH(QString, fileName);
        QFETCH(QByteArray, photo);
        QFETCH(QString, message);
        WalkInput in;
        std::copy(levels.cbegin(), levels.cend(), in.levels);
        in.fileName = fileName;
        in.photo = photo;
        PortalClient c(m_sim.appBase());
        const auto page = walkTo(m_sim, c, QStringLiteral("continue"), in);
        QCOMPARE(errorText(page.html), message.isEmpty() ? std::nullopt : std::optional(message));
        if (message.isEmpty())
            QCOMPARE(screenCode(walkTo(m_sim, c, "save", in, "save").html),
                     QStringLiteral("DYDYL"));
        else
            QCOMPARE(screenCode(page.html), QStringLiteral("DYDYI"));
        QCOMPARE(m_sim.records().size(), message.isEmpty() ? 1 : 0);
    }

    void saveNeedsTheDeclarationAndCancelStoresNothing()
    {
        PortalClient c(m_sim.appBase());
        walkTo(m_sim, c, QStringLiteral("continue"));
        const QString confirm = QStringLiteral("/yds/rol/ydk/denetim/DYDYO.jsf");
        const auto page = c.post(confirm, {{f::Save, QStringLiteral("Denetim Bilgisini Kaydet")}});
        QCOMPARE(pageTitle(page.html), ydssim::pages::ConfirmationTitle);
        QCOMPARE(errorText(page.html), QStringLiteral("Beyan onaylanmadan kayıt yapılamaz."));
        const auto back = c.post(confirm, {{f::Cancel, QStringLiteral("Vazgeç")}});
        QCOMPARE(screenCode(back.html), QStringLiteral("DYDYL"));
        QCOMPARE(tableRows(back.html, kBody).size(), 2);
        QVERIFY(m_sim.records().isEmpty());
    }

    void savedRecordAsReceived()
    {
        QVERIFY(m_sim.setToday(QDate(2027, 3, 1)));
        WalkInput in;
        in.levels[1] = QStringLiteral("17.5");
        in.levels[2] = QString();
        in.photo = sampleJpeg(80, 60);
        PortalClient c(m_sim.appBase());
        const auto page = walkTo(m_sim, c, QStringLiteral("save"), in);
        QCOMPARE(tableRows(page.html, kBody).last().mid(0, 2),
                 QStringList({QStringLiteral("01.03.2027"), QStringLiteral("32.5")}));
        const QJsonArray records = m_sim.records();
        QCOMPARE(records.size(), 1);
        const QJsonObject r = records.first().toObject();
        QCOMPARE(r.value("yibf").toString(), Simulator::demoYibf());
        QCOMPARE(r.value("session").toString(), c.sessionId());
        QCOMPARE(r.value("date").toString(), QStringLiteral("2027-03-01"));
        QCOMPARE(r.value("percent").toDouble(), 32.5);
        const QJsonObject fields = r.value("fields").toObject();
        QCOMPARE(fields.value(f::Level2).toString(), QStringLiteral("17.5"));
        QCOMPARE(fields.value(f::Level3).toString(), QString());
        QCOMPARE(fields.value(f::Developments).toString(), in.developments);
        QCOMPARE(fields.value(f::IdNumber).toString(), in.idNumber);
        const QJsonObject file = r.value("file").toObject();
        QCOMPARE(file.value("name").toString(), in.fileName);
        QCOMPARE(file.value("size").toInt(), int(in.photo.size()));
        QCOMPARE(file.value("sha256").toString().toLatin1(),
                 QCryptographicHash::hash(in.photo, QCryptographicHash::Sha256).toHex());
        QCOMPARE(m_sim.recordFile(1), in.photo);
        QCOMPARE(m_sim.status().value("logins").toInt(), 1);
    }

    void faults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("arg");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("code");   // "-" = none
        QTest::addColumn<QString>("needle"); // in the answer (or its redirect address)
        QTest::addColumn<int>("rows");       // of the result or inspection table; -1 = unchecked
        QTest::addColumn<int>("stored");     // records received after the step
        auto row = [](const char *name, const char *fault, const QString &arg, const char *step,
                      const char *code, const QString &needle, int rows = -1, int stored = 0) {
            QTest::newRow(name) << QString::fromUtf8(fault) << arg << QString::fromUtf8(step)
                                << QString::fromUtf8(code) << needle << rows << stored;
        };
        const QString table = QStringLiteral("<tbody id=\"%1\">\n<tr><td>").arg(kBody);
        row("outage: front page", "outage", "", "front", "-", "kullanım dışıdır");
        row("outage: login page", "outage", "", "login-page", "-", "%FRONT%/");
        row("login page leaves by script", "login-to-front", "", "login-page", "-",
            "window.location.href = '%FRONT%/'");
        row("login page leaves by redirect", "login-to-front", "redirect", "login-page", "-",
            "%FRONT%/");
        row("refused login", "refuse-login", "Hesabınız askıya alınmıştır.", "login", "-",
            "<div class=\"mesajKutusu\"><table class=\"mesaj\"><tr><td>Hesabınız askıya "
            "alınmıştır.</td>");
        row("validation text", "validation", "Tespit tarihi hatalı.", "continue", "DYDYI",
            "<span class=\"errorText\">Tespit tarihi hatalı.</span>");
        row("error page at the search", "error-page", "search", "search", "ERROR", "");
        row("error page at the save, after storing", "error-page", "save", "save", "ERROR", "", -1,
            1);
        row("unknown code", "unknown-code", "list", "list", "DUYRU", "");
        row("unknown code, own text", "unknown-code", "main:YENI_Z", "main", "YENI_Z", "");
        row("no search result", "no-result", "", "search", "YHHYL",
            "Aradığınız kriterlere uygun kayıt bulunamadı.", 0);
        row("several results", "several-results", "", "search", "YHHYL", "", 3);
        row("another site's page", "other-site", "7654321", "open", "YHHYR",
            "<span id=\"oyds_form:id\">7654321 / ");
        row("save dated yesterday", "save-yesterday", "", "save", "DYDYL",
            "<tr><td>" + day(1) + "</td><td>40</td>", 3, 1);
        row("confirmation coded null", "confirm-null", "", "continue", "null",
            "<title>Yeni Denetim Bilgisi Kaydetme Kararı</title>");
        row("file refused: the form clears it", "refuse-file", "", "new", "DYDYI",
            "data-kabul=\"0\"");
        row("file refused: the upload turned back", "refuse-file", "", "continue", "DYDYI",
            "<span class=\"errorText\">Fotoğraf dosyası kabul edilmedi.</span>");
        row("newest first: the list", "list-newest-first", "", "list", "DYDYL",
            table + day(30) + "</td><td>25</td>", 2);
        row("newest first: the saved row first", "list-newest-first", "", "save", "DYDYL",
            table + day(0) + "</td><td>40</td>", 3, 1);
    }
    void faults()
    {
        QFETCH(QString, fault);
        QFETCH(QString, arg);
        QFETCH(QString, step);
        QFETCH(QString, code);
        QFETCH(QString, needle);
        QFETCH(int, rows);
        QFETCH(int, stored);
        QVERIFY(m_sim.setFault(fault, arg));
        PortalClient c(m_sim.appBase());
        const auto page = walkTo(m_sim, c, step);
        QCOMPARE(screenCode(page.html), code == "-" ? std::nullopt : std::optional(code));
        QVERIFY2((page.location + page.html).contains(expand(needle)), qPrintable(page.html));
        if (rows >= 0)
            QCOMPARE(tableRows(page.html, kBody).size(), rows);
        QCOMPARE(m_sim.records().size(), stored);

        // Cleared, the same walk goes through.
        QVERIFY(m_sim.clearFaults());
        PortalClient again(m_sim.appBase());
        const auto clean = walkTo(m_sim, again, step);
        QVERIFY(!clean.html.contains(QLatin1String("ERROR")));
        QVERIFY(!clean.html.contains(QStringLiteral("kullanım dışıdır")));
        QVERIFY(clean.location.isEmpty() || clean.location.endsWith("girisBasarili.jsf"));
    }

    void faultSwitchRefusesNonsense_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("arg");
        QTest::newRow("hang without a step") << QStringLiteral("hang") << QString();
        QTest::newRow("error page at no step") << QStringLiteral("error-page") << "payment";
        QTest::newRow("hang, bad limit") << QStringLiteral("hang") << QStringLiteral("save:soon");
        QTest::newRow("login-to-front, unknown") << QStringLiteral("login-to-front") << "sometimes";
        QTest::newRow("session-expire, negative") << QStringLiteral("session-expire") << "-1";
        QTest::newRow("session-expire, no step") << QStringLiteral("session-expire") << "payment";
    }
    void faultSwitchRefusesNonsense()
    {
        QFETCH(QString, name);
        QFETCH(QString, arg);
        QVERIFY(!m_sim.setFault(name, arg));
    }

    // A session ends; its next request of a working page gets the login page, and a new login
    // from the same browser makes a new session.
    void sessionEnds_data()
    {
        QTest::addColumn<int>("idle");          // --session-idle; 0 = default
        QTest::addColumn<int>("requests");      // --session-requests
        QTest::addColumn<QString>("end");       // "expire" (endpoint) or session-expire's ARG
        QTest::addColumn<QString>("endAfter");  // the step walked before; "" = at the start
        QTest::addColumn<QString>("lastGood");  // the last step still answered; "" = none
        QTest::addColumn<QString>("loggedOut"); // the step answered with the login page
        auto row = [](const char *name, int idle, int requests, const char *end,
                      const char *endAfter, const char *lastGood, const char *loggedOut) {
            QTest::newRow(name) << idle << requests << QString::fromUtf8(end)
                                << QString::fromUtf8(endAfter) << QString::fromUtf8(lastGood)
                                << QString::fromUtf8(loggedOut);
        };
        row("test endpoint", 0, 0, "expire", "list", "", "new");
        row("fault, at once", 0, 0, "0", "list", "", "new");
        row("fault, after two further requests", 0, 0, "2", "open", "new", "continue");
        row("fault at a step: after the save", 0, 0, "save", "", "save", "list");
        row("fault by number leaves later logins alone", 0, 0, "0", "", "save", "");
        row("request limit", 0, 4, "", "", "main", "menu-main");
        row("idle limit", 1, 0, "", "", "main", "menu-main");
    }
    void sessionEnds()
    {
        QFETCH(int, idle);
        QFETCH(int, requests);
        QFETCH(QString, end);
        QFETCH(QString, endAfter);
        QFETCH(QString, lastGood);
        QFETCH(QString, loggedOut);
        ydssim::Options opt;
        opt.sessionIdleSeconds = idle > 0 ? idle : opt.sessionIdleSeconds;
        opt.sessionRequests = requests;
        Simulator sim(opt);
        QVERIFY2(sim.start(), qPrintable(sim.error()));
        PortalClient c(sim.appBase());
        if (!endAfter.isEmpty())
            walkTo(sim, c, endAfter);
        const QString session = c.sessionId();
        if (end == QLatin1String("expire"))
            QVERIFY(sim.expireSessions());
        else if (!end.isEmpty() || !endAfter.isEmpty())
            QVERIFY(sim.setFault(QStringLiteral("session-expire"), end));
        if (!lastGood.isEmpty()) {
            const auto page =
                walkTo(sim, c, lastGood, {}, walkSteps().value(walkSteps().indexOf(endAfter) + 1));
            QVERIFY2(page.location != kLogin && page.status != 0, qPrintable(page.html));
        }
        if (loggedOut.isEmpty()) {
            QCOMPARE(sim.status().value("loggedIn").toInt(), 1);
            return;
        }
        if (idle > 0) // only a sweep sees it; requests would keep the session alive
            QTRY_COMPARE_WITH_TIMEOUT(sim.status().value("sessions").toInt(), 0, 10000);
        const auto page = walkTo(sim, c, loggedOut, {}, loggedOut);
        QCOMPARE(page.status, 302);
        QCOMPARE(page.location, kLogin);
        QCOMPARE(sim.status().value("loggedIn").toInt(), 0);
        // A new login from the same browser: a new session.
        QCOMPARE(screenCode(walkTo(sim, c, QStringLiteral("top"), {}, "login-page").html),
                 QStringLiteral("MAIN_Y"));
        QVERIFY(c.sessionId() != session);
    }

    void expiringOneSessionLeavesTheOthers()
    {
        PortalClient a(m_sim.appBase()), b(m_sim.appBase());
        walkTo(m_sim, a, QStringLiteral("top"));
        walkTo(m_sim, b, QStringLiteral("top"));
        QVERIFY(m_sim.expireSessions(a.sessionId()));
        QCOMPARE(walkTo(m_sim, a, "main", {}, "main").location, kLogin);
        QCOMPARE(screenCode(walkTo(m_sim, b, "main", {}, "main").html), QStringLiteral("MAIN_Y"));
        QCOMPARE(m_sim.status().value("sessions").toInt(), 1);
    }

    // Visitors without a cookie leave nothing behind on working pages; login pages make sessions,
    // but never more than the limit.
    void cookieLessVisitorsKeepMemoryBounded_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("sessions"); // at most
        QTest::newRow("working page") << QStringLiteral("/yds/rol/ydk/main.jsf") << 302 << 0;
        QTest::newRow("posted page") << QStringLiteral("/yds/rol/ydk/yibf/YHHYL.jsf") << 302 << 0;
        QTest::newRow("login page") << kLogin << 200 << 5;
        QTest::newRow("security code") << QStringLiteral("/yds/jcaptcha") << 200 << 5;
    }
    void cookieLessVisitorsKeepMemoryBounded()
    {
        QFETCH(QString, path);
        QFETCH(int, status);
        QFETCH(int, sessions);
        ydssim::Options opt;
        opt.maxSessions = 5;
        Simulator sim(opt);
        QVERIFY2(sim.start(), qPrintable(sim.error()));
        for (int i = 0; i < 40; ++i) {
            PortalClient c(sim.appBase());
            const bool post = path.endsWith(QLatin1String("YHHYL.jsf"));
            QCOMPARE(post ? c.post(path, {{f::SearchNo, "1"}}).status : c.get(path).status, status);
        }
        const int live = sim.status().value("sessions").toInt();
        QVERIFY2(live <= sessions && (sessions == 0 || live > 0),
                 qPrintable(QString::number(live)));
    }

    // A held answer holds only itself: with more held than the simulator has workers, other
    // visitors are still served; released, every held answer comes.
    void hang_data()
    {
        QTest::addColumn<QString>("arg");
        QTest::addColumn<int>("count");       // requests held at once
        QTest::addColumn<QString>("release"); // "clear", "reset" or "" (its own limit)
        QTest::addColumn<int>("stored");      // records while held
        QTest::addColumn<QString>("code");    // of the answer once released; "-" = none
        auto row = [](const char *name, const char *arg, int count, const char *release, int stored,
                      const char *code) {
            QTest::newRow(name) << QString::fromUtf8(arg) << count << QString::fromUtf8(release)
                                << stored << QString::fromUtf8(code);
        };
        // Limits bound a failing run.
        row("search, until cleared", "search:30", 1, "clear", 0, "YHHYL");
        row("more held than workers", "list:15", kWorkers + 3, "clear", 0, "DYDYL");
        row("save stored first, reset", "save:30", 1, "reset", 1, "-");
        row("main, one second", "main:1", 1, "", 0, "MAIN_Y");
    }
    void hang()
    {
        QFETCH(QString, arg);
        QFETCH(int, count);
        QFETCH(QString, release);
        QFETCH(int, stored);
        QFETCH(QString, code);
        const QString step = arg.section(QLatin1Char(':'), 0, 0);
        std::vector<std::unique_ptr<PortalClient>> clients;
        for (int i = 0; i < count; ++i) {
            clients.push_back(std::make_unique<PortalClient>(m_sim.appBase()));
            walkTo(m_sim, *clients.back(), walkSteps().value(walkSteps().indexOf(step) - 1));
        }
        QVERIFY(m_sim.setFault(QStringLiteral("hang"), arg));
        std::vector<std::future<PortalClient::Page>> held;
        for (auto &c : clients)
            held.push_back(later([&, c = c.get()] { return walkTo(m_sim, *c, step, {}, step); }));
        if (!release.isEmpty()) {
            QTRY_COMPARE_WITH_TIMEOUT(m_sim.status().value("held").toInt(), count, 10000);
            QCOMPARE(m_sim.records().size(), stored);
            PortalClient other(m_sim.appBase());
            QCOMPARE(screenCode(walkTo(m_sim, other, "top").html), QStringLiteral("MAIN_Y"));
            QVERIFY(std::none_of(held.begin(), held.end(), done));
            QVERIFY(release == "clear" ? m_sim.clearFaults() : m_sim.reset());
        }
        for (auto &h : held) {
            QTRY_VERIFY_WITH_TIMEOUT(done(h), 10000);
            QCOMPARE(screenCode(h.get().html), code == "-" ? std::nullopt : std::optional(code));
        }
        QCOMPARE(m_sim.status().value("held").toInt(), 0);
    }

    void seed_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("yibf");
        QTest::addColumn<QString>("date");
        QTest::addColumn<double>("percent");
        auto row = [](const char *name, const char *json, bool accepted, const char *yibf = "",
                      const char *date = "", double percent = 0) {
            QTest::newRow(name) << QByteArray(json) << accepted << QString::fromUtf8(yibf)
                                << QString::fromUtf8(date) << percent;
        };
        row("number as YİBF, rate from the levels",
            R"({"sites": [{"yibf": 9001, "inspections": [{"date": "2026-02-03", "levels": [10, 2.5, 0, 1]}]}]})",
            true, "9001", "2026-02-03", 13.5);
        row("days ago, rate given",
            R"({"sites": [{"yibf": "77", "inspections": [{"daysAgo": 6, "percent": 50, "levels": [10, 10, 0, 0]}]}]})",
            true, "77", "2026-06-09", 50);
        row("site without YİBF", R"({"sites": [{"ada": "1"}]})", false);
        row("institution without user", R"({"institutions": [{"password": "x"}]})", false);
        row("bad date", R"({"sites": [{"yibf": "5", "inspections": [{"date": "03.02.2026"}]}]})",
            false);
        row("no date", R"({"sites": [{"yibf": "1", "inspections": [{"percent": 3}]}]})", false);
        row("not an object", "[1, 2]", false);
        row("not JSON", "{ not json", false);
    }
    void seed()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, accepted);
        QFETCH(QString, yibf);
        QFETCH(QString, date);
        QFETCH(double, percent);
        QVERIFY(m_sim.setToday(QDate(2026, 6, 15)));
        QCOMPARE(m_sim.reset(json), accepted);
        if (!accepted)
            return;
        const QJsonObject site = m_sim.sites().at(0).toObject();
        const QJsonObject first = site.value("inspections").toArray().at(0).toObject();
        QCOMPARE(site.value("yibf").toString(), yibf);
        QCOMPARE(first.value("date").toString(), date);
        QCOMPARE(first.value("percent").toDouble(), percent);
    }

    void resetWithAnotherSeed()
    {
        const QByteArray seed = R"({
          "institutions": [{"name": "Deneme", "user": "deneme", "password": "Şifre1", "number": "9"}],
          "sites": [{"yibf": "555001", "institution": "deneme",
                     "inspections": [{"date": "2026-01-15", "percent": 42.5}]}]})";
        QVERIFY(m_sim.reset(seed));
        WalkInput in;
        in.user = QStringLiteral("deneme");
        in.password = QStringLiteral("Şifre1");
        in.yibf = QStringLiteral("555001");
        PortalClient c(m_sim.appBase());
        const auto rows = tableRows(walkTo(m_sim, c, QStringLiteral("list"), in).html, kBody);
        QCOMPARE(rows, QList<QStringList>({{"15.01.2026", "42.5", "0", "0", "0", "0", "", ""}}));
        PortalClient old(m_sim.appBase()); // the demo firm went with the old seed
        QCOMPARE(walkTo(m_sim, old, QStringLiteral("login")).status, 200);
        QVERIFY(m_sim.reset());
        QCOMPARE(m_sim.sites().size(), 4); // the built-in demo seed again
    }

    void versionListAndPackages()
    {
        QTemporaryDir dir;
        const QByteArray list = "'Tarvek sürüm listesi\r\n1,TarvekFOTO.zip,,,,,,,,1.0.0.2\r\n";
        for (const auto &[name, bytes] :
             {std::pair{"versiyon2015.txt", list}, std::pair{"TarvekFOTO.zip", QByteArray("PK")}}) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        ydssim::Options opt;
        opt.updatesDir = dir.path();
        Simulator sim(opt);
        QVERIFY2(sim.start(), qPrintable(sim.error()));
        PortalClient c(sim.appBase());
        const QString folder = QStringLiteral("/download/Tarvek_Zere/Tarvek2000/");
        QCOMPARE(c.get(folder + "versiyon2015.txt").body, list);
        QCOMPARE(c.get(folder + "TarvekFOTO.zip").body, QByteArray("PK"));
        QCOMPARE(c.get(folder + "yok.zip").status, 404);
        QCOMPARE(c.get(folder + "..%2Fsecret").status, 404);
        QCOMPARE(PortalClient(m_sim.appBase()).get(folder + "versiyon2015.txt").status, 404);
    }

    void commandLine()
    {
        QProcess sim;
        sim.start(QStringLiteral(TARVEK_BUILD_DIR "/tools/yds-sim/yds-sim"),
                  {"--app-port", "0", "--front-port", "0", "--fault", "outage", "--latency-ms", "5",
                   "--session-requests", "2", "--session-idle", "60"});
        QVERIFY(sim.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), 10000);
        const QString ready = QString::fromUtf8(sim.readLine()).trimmed();
        static const QRegularExpression re(
            QStringLiteral("^yds-sim ready app=(http://127\\.0\\.0\\.1:\\d+) "
                           "front=(http://127\\.0\\.0\\.1:\\d+)$"));
        const auto m = re.match(ready);
        QVERIFY2(m.hasMatch(), qPrintable(ready));
        QVERIFY(PortalClient(m.captured(2)).get("/").html.contains("kullanım dışıdır"));
        PortalClient app(m.captured(1));
        QCOMPARE(app.get(kLogin).status, 302);                           // out of service
        QCOMPARE(app.get(QStringLiteral("/__test/status")).status, 404); // not asked for
        // Two page requests per session (pictures do not count), then a new session.
        const QString main = QStringLiteral("/yds/rol/ydk/main.jsf");
        const QString picture = QStringLiteral("/yds/jcaptcha");
        app.get(picture);
        const QString first = app.sessionId();
        app.get(main);
        app.get(picture);
        QCOMPARE(app.sessionId(), first);
        app.get(main);
        app.get(picture);
        QVERIFY(app.sessionId() != first);
        sim.terminate();
        QVERIFY(sim.waitForFinished(10000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
    }

    void commandLineErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown fault")
            << QStringList{"--fault", "slow"} << "unknown fault \"slow\"";
        QTest::newRow("missing seed")
            << QStringList{"--seed", "/nonexistent/seed.json"} << "cannot read the seed file";
        QTest::newRow("port not a number") << QStringList{"--app-port", "x"} << "whole numbers";
        QTest::newRow("no idle time") << QStringList{"--session-idle", "0"} << "whole numbers";
    }
    void commandLineErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QProcess sim;
        sim.start(QStringLiteral(TARVEK_BUILD_DIR "/tools/yds-sim/yds-sim"), args);
        QVERIFY(sim.waitForFinished(10000));
        QVERIFY(sim.exitCode() != 0);
        QVERIFY2(QString::fromUtf8(sim.readAllStandardError()).contains(message),
                 qPrintable(message));
        QVERIFY(sim.readAllStandardOutput().isEmpty()); // no ready line
    }
};

QTEST_GUILESS_MAIN(PortalHttpTest)
#include "tst_portalhttp.moc"
