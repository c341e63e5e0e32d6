// The simulated portal's contract where the program's own tests cannot show it: what each fault
// and each input the portal turns back do to the page and to what is stored, how sessions end,
// that a held answer holds only itself, the seed and the test endpoints, and the program started
// as a process. The pages themselves, the login and the program's reaction to every fault are
// shown by the program's tests, which drive the simulator in the real browser.
#include "simulator.h"
#include "walk.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <httplib.h>

#include <algorithm>
#include <future>
#include <memory>
#include <vector>

using namespace ydssim::testing;

namespace {
const QString kLogin = QStringLiteral("/yds/rol/ziyaretci/LA_G_Z_K.jsf");
const QString kBody = QStringLiteral("oyds_form:dataTable:tbody_element");
const QString kProgram = QStringLiteral(TARVEK_BUILD_DIR "/tools/yds-sim/yds-sim");
// The simulator's workers per host; a test holds more answers than that.
constexpr int kWorkers = 2;

QString day(int daysAgo)
{
    return QDate::currentDate().addDays(-daysAgo).toString(QStringLiteral("dd.MM.yyyy"));
}

// "password=x", "levels=a;b;c;d" or "photo=bytes" ("photo=big": a JPEG over 5 MB).
WalkInput inputWith(const QString &change)
{
    WalkInput in;
    const QString key = change.section(QLatin1Char('='), 0, 0);
    const QString value = change.section(QLatin1Char('='), 1);
    if (key == QLatin1String("password"))
        in.password = value;
    if (key == QLatin1String("levels"))
        for (int i = 0; i < 4; ++i)
            in.levels[i] = value.section(QLatin1Char(';'), i, i);
    if (key == QLatin1String("photo"))
        in.photo = value == QLatin1String("big")
                       ? QByteArray("\xFF\xD8\xFF").append(QByteArray(5 * 1024 * 1024, 'x'))
                       : value.toLatin1();
    return in;
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

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_sim.start(), qPrintable(m_sim.error())); }
    void init()
    {
        QVERIFY(m_sim.reset());
        QVERIFY(m_sim.setToday({}));
    }

    void answers_data()
    {
        QTest::addColumn<QString>("fault"); // NAME or NAME=ARG
        QTest::addColumn<QString>("input"); // a change to the walk's input, see inputWith()
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("code");   // "-" = none
        QTest::addColumn<QString>("needle"); // in the answer or its redirect address
        QTest::addColumn<int>("rows");       // of the result or inspection table; -1 = unchecked
        QTest::addColumn<int>("stored"); // days before today of the one record stored; -1 = none
        auto row = [](const char *name, const char *fault, const char *input, const char *step,
                      const char *code, const QString &needle, int rows = -1, int stored = -1) {
            QTest::newRow(name) << QString::fromUtf8(fault) << QString::fromUtf8(input)
                                << QString::fromUtf8(step) << QString::fromUtf8(code) << needle
                                << rows << stored;
        };
        const QString front = QStringLiteral("%FRONT%/");
        const QString table = QStringLiteral("<tbody id=\"%1\">\n<tr><td>").arg(kBody);
        const QString error = QStringLiteral("<span class=\"errorText\">");
        row("no fault: saved last, dated today", "", "", "save", "DYDYL",
            "<td>1234567.jpg</td></tr>\n</tbody>", 3, 0);
        row("outage: front page", "outage", "", "front", "-", "kullanım dışıdır");
        row("outage: login page", "outage", "", "login-page", "-", front);
        row("login page leaves by script", "login-to-front", "", "login-page", "-",
            "window.location.href = '" + front + "'");
        row("login page leaves by redirect", "login-to-front=redirect", "", "login-page", "-",
            front);
        row("refused login", "refuse-login=Hesabınız askıya alınmıştır.", "", "login", "-",
            "<div class=\"mesajKutusu\"><table class=\"mesaj\"><tr><td>Hesabınız askıya "
            "alınmıştır.</td>");
        row("wrong password", "", "password=ornek.2026", "login", "-",
            "<tr><td>Kullanıcı adı veya şifre hatalı.</td>");
        row("validation text", "validation=Tespit tarihi hatalı.", "", "continue", "DYDYI",
            error + "Tespit tarihi hatalı.</span>");
        row("decimal comma", "", "levels=17,5;;;", "continue", "DYDYI",
            error + "Seviye değerleri sayı olarak girilmelidir (ondalık ayırıcı olarak nokta "
                    "kullanınız).");
        row("below the previous rate", "", "levels=10;14.5;;", "continue", "DYDYI",
            error + "Gerçekleşme oranı bir önceki denetim bilgisinin gerçekleşme oranından küçük "
                    "olamaz.");
        row("not a JPEG", "", "photo=GIF89a....", "continue", "DYDYI",
            error + "Fotoğraf JPEG biçiminde olmalıdır.");
        row("photograph over 5 MB", "", "photo=big", "continue", "DYDYI",
            error + "Fotoğraf boyutu 5 MB'ı geçemez.");
        row("error page at the search", "error-page=search", "", "search", "ERROR", "");
        row("error page at the save, after storing", "error-page=save", "", "save", "ERROR", "", -1,
            0);
        row("unknown code", "unknown-code=list", "", "list", "DUYRU", "");
        row("unknown code, own text", "unknown-code=main:YENI_Z", "", "main", "YENI_Z", "");
        row("no search result", "no-result", "", "search", "YHHYL",
            "Aradığınız kriterlere uygun kayıt bulunamadı.", 0);
        row("several results, the number emptied", "several-results", "", "search", "YHHYL",
            "id=\"oyds_form:dosya_no\" name=\"oyds_form:dosya_no\" value=\"\"", 3);
        row("another site's page", "other-site=7654321", "", "open", "YHHYR",
            "<span id=\"oyds_form:id\">7654321 / ");
        row("save dated yesterday", "save-yesterday", "", "save", "DYDYL",
            "<tr><td>" + day(1) + "</td><td>40</td>", 3, 1);
        row("confirmation coded null", "confirm-null", "", "continue", "null",
            "<title>Yeni Denetim Bilgisi Kaydetme Kararı</title>");
        row("file refused: the form clears it", "refuse-file", "", "new", "DYDYI",
            "data-kabul=\"0\"");
        row("file refused: the upload turned back", "refuse-file", "", "continue", "DYDYI",
            error + "Fotoğraf dosyası kabul edilmedi.</span>");
        row("save lost", "save-lost", "", "save", "DYDYL", "", 2);
        row("newest first: the list", "list-newest-first", "", "list", "DYDYL",
            table + day(30) + "</td><td>25</td>", 2);
        row("newest first: the saved row first", "list-newest-first", "", "save", "DYDYL",
            table + day(0) + "</td><td>40</td>", 3, 0);
    }
    void answers()
    {
        QFETCH(QString, fault);
        QFETCH(QString, input);
        QFETCH(QString, step);
        QFETCH(QString, code);
        QFETCH(QString, needle);
        QFETCH(int, rows);
        QFETCH(int, stored);
        if (!fault.isEmpty())
            QVERIFY(m_sim.setFault(fault.section('=', 0, 0), fault.section('=', 1)));
        PortalClient c(m_sim.appBase());
        const auto page = walkTo(m_sim, c, step, inputWith(input));
        QCOMPARE(screenCode(page.html), code == "-" ? std::nullopt : std::optional(code));
        needle.replace("%FRONT%", m_sim.frontBase());
        QVERIFY2((page.location + page.html).contains(needle), qPrintable(page.html));
        if (rows >= 0)
            QCOMPARE(tableRows(page.html, kBody).size(), rows);
        const QJsonArray records = m_sim.records();
        QCOMPARE(records.size(), stored < 0 ? 0 : 1);
        if (stored >= 0)
            QCOMPARE(records[0]["date"].toString(),
                     QDate::currentDate().addDays(-stored).toString(Qt::ISODate));
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
        QCOMPARE(screenCode(walkTo(sim, c, QStringLiteral("top"), {}, "login-page").html),
                 QStringLiteral("MAIN_Y"));
        QVERIFY(c.sessionId() != session);
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
        // Limits bound a failing run.
        QTest::newRow("more held than workers, until cleared")
            << "list:15" << kWorkers + 3 << "clear" << 0 << "DYDYL";
        QTest::newRow("save stored first, reset") << "save:30" << 1 << "reset" << 1 << "-";
        QTest::newRow("main, its own limit") << "main:1" << 1 << "" << 0 << "MAIN_Y";
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
        // Each held request on a thread of its own, so that it does not hold the test.
        std::vector<std::future<PortalClient::Page>> held;
        for (auto &c : clients)
            held.push_back(std::async(std::launch::async, [&, c = c.get()] {
                return walkTo(m_sim, *c, step, {}, step);
            }));
        const auto done = [](const std::future<PortalClient::Page> &f) {
            return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
        };
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

    // Visitor A has saved a record; visitor B waits at the login page with a security code.
    void endpoints_data()
    {
        QTest::addColumn<QString>("request"); // "METHOD path"; %A%, %B%: the visitors' sessions
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("answer"); // a pattern found in the answer
        auto row = [](const char *name, const char *request, int status, const char *answer,
                      const QByteArray &body = {}) {
            QTest::newRow(name) << QString::fromUtf8(request) << body << status
                                << QString::fromUtf8(answer);
        };
        row("the record, its session and file", "GET /__test/records", 200,
            R"("sha256": "%SHA%",.*"id": 1,.*"session": "%A%")");
        row("the record's bytes", "GET /__test/records/1/file", 200, R"(^\x{FF}\x{D8}\x{FF})");
        row("no second record", "GET /__test/records/2/file", 404, "error");
        row("status", "GET /__test/status", 200,
            R"(^\{"held":0,"loggedIn":1,"logins":1,"sessions":2\}$)");
        row("a code counts once", "GET /__test/code?session=%A%", 200, R"(^\{"code":""\}$)");
        row("a waiting login's code", "GET /__test/code?session=%B%", 200,
            R"(^\{"code":"[A-HJ-NP-Z2-9]{5}"\}$)");
        row("one session ended, the other left", "POST /__test/expire-sessions?session=%A%", 200,
            R"(^\{"held":0,"loggedIn":0,"logins":1,"sessions":1\}$)");
        row("a fault's bad argument", "POST /__test/fault?name=hang&arg=save:soon", 400, "error");
        row("not a date", "POST /__test/today?date=03.02.2026", 400, "error");
        // Seeds; the portal's today is 2026-06-15.
        row("seed: number as YİBF, rate from the levels", "POST /__test/reset", 200,
            R"("date": "2026-02-03",.*"percent": 13.5\s.*"yibf": "9001")",
            R"({"sites": [{"yibf": 9001, "inspections": [
                {"date": "2026-02-03", "levels": [10, 2.5, 0, 1]}]}]})");
        row("seed: days ago, rate given", "POST /__test/reset", 200,
            R"("date": "2026-06-09",.*"percent": 50\s.*"yibf": "77")",
            R"({"sites": [{"yibf": "77", "inspections": [
                {"daysAgo": 6, "percent": 50, "levels": [10, 10, 0, 0]}]}]})");
        row("seed: site without YİBF", "POST /__test/reset", 400, "error",
            R"({"sites": [{"ada": "1"}]})");
        row("seed: bad date", "POST /__test/reset", 400, "error",
            R"({"sites": [{"yibf": "5", "inspections": [{"date": "03.02.2026"}]}]})");
        row("seed: not JSON", "POST /__test/reset", 400, "error", "{ not json");
    }
    void endpoints()
    {
        QFETCH(QString, request);
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QString, answer);
        QVERIFY(m_sim.setToday(QDate(2026, 6, 15)));
        PortalClient a(m_sim.appBase()), b(m_sim.appBase());
        walkTo(m_sim, a, QStringLiteral("save"));
        walkTo(m_sim, b, QStringLiteral("login-page"));
        const QString sha = QString::fromLatin1(
            QCryptographicHash::hash(sampleJpeg(), QCryptographicHash::Sha256).toHex());
        request.replace("%A%", a.sessionId()).replace("%B%", b.sessionId());
        answer.replace("%A%", a.sessionId()).replace("%SHA%", sha);
        httplib::Client http(m_sim.appBase().toStdString());
        const std::string path = request.section(' ', 1).toStdString();
        const auto res =
            request.startsWith("GET")
                ? http.Get(path)
                : http.Post(path, body.constData(), size_t(body.size()), "application/json");
        QVERIFY(res);
        QCOMPARE(res->status, status);
        const QRegularExpression re(answer, QRegularExpression::DotMatchesEverythingOption);
        QVERIFY2(re.match(QString::fromLatin1(res->body)).hasMatch(), res->body.c_str());
    }

    void program()
    {
        QTemporaryDir updates;
        QFile list(updates.filePath(QStringLiteral("versiyon2015.txt")));
        QVERIFY(list.open(QIODevice::WriteOnly) && list.write("1,TarvekFOTO.zip\r\n") > 0);
        list.close();
        QProcess sim;
        sim.start(kProgram, {"--app-port", "0", "--front-port", "0", "--fault", "outage",
                             "--updates", updates.path()});
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
        const QString folder = QStringLiteral("/download/Tarvek_Zere/Tarvek2000/");
        QCOMPARE(app.get(folder + "versiyon2015.txt").body, QByteArray("1,TarvekFOTO.zip\r\n"));
        QCOMPARE(app.get(folder + "..%2F..%2Fetc%2Fpasswd").status, 404);
        sim.terminate();
        QVERIFY(sim.waitForFinished(10000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
    }

    void programRefusesBadOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown fault")
            << QStringList{"--fault", "slow"} << "unknown fault \"slow\"";
        QTest::newRow("missing seed")
            << QStringList{"--seed", "/nonexistent/seed.json"} << "cannot read the seed file";
        QTest::newRow("no idle time") << QStringList{"--session-idle", "0"} << "whole numbers";
    }
    void programRefusesBadOptions()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QProcess sim;
        sim.start(kProgram, args);
        QVERIFY(sim.waitForFinished(10000));
        QVERIFY(sim.exitCode() != 0);
        QVERIFY2(QString::fromUtf8(sim.readAllStandardError()).contains(message),
                 qPrintable(message));
        QVERIFY(sim.readAllStandardOutput().isEmpty()); // no ready line
    }
};

QTEST_GUILESS_MAIN(PortalHttpTest)
#include "tst_portalhttp.moc"
