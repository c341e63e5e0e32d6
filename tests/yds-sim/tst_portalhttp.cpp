// The simulated portal walked with plain HTTP: every page the program reads, the faults and the
// test endpoints.
#include "pages.h"
#include "seed.h"
#include "simulator.h"
#include "walk.h"

#include <QCryptographicHash>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

using namespace ydssim::testing;
namespace f = ydssim::pages::field;

class PortalHttpTest : public QObject
{
    Q_OBJECT

private:
    Simulator m_sim;

    QString today() const { return QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")); }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_sim.start(), qPrintable(m_sim.error())); }
    void init()
    {
        QVERIFY(m_sim.reset());
        QVERIFY(m_sim.setToday({}));
    }

    void wholeSubmission()
    {
        PortalClient c(m_sim.appBase());
        PortalClient front(m_sim.frontBase());

        auto page = front.get(QStringLiteral("/"));
        QCOMPARE(page.status, 200);
        QVERIFY(page.html.contains(m_sim.loginUrl()));

        page = c.get(QStringLiteral("/yds/rol/ziyaretci/LA_G_Z_K.jsf"));
        QCOMPARE(page.status, 200);
        QVERIFY(!c.sessionId().isEmpty());
        QVERIFY(page.html.contains(QStringLiteral("src=\"%1/yds/jcaptcha\"").arg(m_sim.appBase())));
        QVERIFY(!loginMessage(page.html)); // no message before an attempt
        const auto captcha = c.get(QStringLiteral("/yds/jcaptcha"));
        QCOMPARE(captcha.status, 200);
        QVERIFY(captcha.body.startsWith("\x89PNG"));
        const QString code = m_sim.latestCode(c.sessionId());
        QCOMPARE(code.size(), 5);
        QVERIFY(QRegularExpression(QStringLiteral("^[A-Z0-9]+$")).match(code).hasMatch());

        page = c.post(QStringLiteral("/yds/rol/ziyaretci/LA_G_Z_K.jsf"),
                      {{f::User, Simulator::demoUser()},
                       {f::Password, Simulator::demoPassword()},
                       {f::Code, code},
                       {f::LoginButton, QStringLiteral("Giriş")}});
        QCOMPARE(page.status, 302);
        QVERIFY(page.location.endsWith(QLatin1String("/yds/rol/ziyaretci/girisBasarili.jsf")));
        page = c.get(QStringLiteral("/yds/rol/ziyaretci/girisBasarili.jsf"));
        QVERIFY(page.html.contains(QLatin1String("window.open('/yds/rol/common/top.jsf'")));

        page = c.get(QStringLiteral("/yds/rol/common/top.jsf"));
        QCOMPARE(screenCode(page.html), QStringLiteral("MAIN_Y"));
        page = c.get(QStringLiteral("/yds/rol/ydk/main.jsf"));
        QCOMPARE(screenCode(page.html), QStringLiteral("MAIN_Y"));
        // The menu is the first div, its id the prefix; the first form holds jscook_action.
        const qsizetype div = page.html.indexOf(QLatin1String("<div"));
        QVERIFY(page.html.mid(div).startsWith(QLatin1String("<div id=\"_idJsp0\"")));
        const qsizetype form = page.html.indexOf(QLatin1String("<form"));
        QVERIFY(page.html.mid(form).startsWith(QLatin1String("<form id=\"oyds_form\"")));
        QVERIFY(page.html.indexOf(QLatin1String("name=\"jscook_action\"")) > form);

        const QString main = QStringLiteral("/yds/rol/ydk/main.jsf");
        page = c.post(main, {{f::Menu, QStringLiteral("_idJsp0:A]MAIN_L")}});
        QCOMPARE(screenCode(page.html), QStringLiteral("MAIN_Y"));
        page = c.post(main, {{f::Menu, QStringLiteral("_idJsp0:A]#{yibfBean.hazirlaYHHYL}")}});
        QCOMPARE(screenCode(page.html), QStringLiteral("YHHYL"));
        QVERIFY(page.html.contains(QLatin1String("id=\"oyds_form:dosya_no\"")));
        QVERIFY(page.html.contains(QLatin1String("type=\"submit\" id=\"oyds_form:bul\"")));

        page = c.post(
            QStringLiteral("/yds/rol/ydk/yibf/YHHYL.jsf"),
            {{f::SearchNo, Simulator::demoYibf()}, {f::SearchButton, QStringLiteral("Bul")}});
        QCOMPARE(screenCode(page.html), QStringLiteral("YHHYL"));
        const auto found =
            tableRows(page.html, QStringLiteral("oyds_form:dataTable:tbody_element"));
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().first(), Simulator::demoYibf());
        QVERIFY(page.html.contains(
            QStringLiteral("<img src=\"%1/yds/common/images/goster.gif\" alt=\"Göster\"")
                .arg(m_sim.appBase())));

        page = c.post(QStringLiteral("/yds/rol/ydk/yibf/YHHYL.jsf"),
                      {{f::LinkHidden, QStringLiteral("oyds_form:dataTable:0:_idJsp52")}});
        QCOMPARE(screenCode(page.html), QStringLiteral("YHHYR"));
        QVERIFY(elementHtml(page.html, QStringLiteral("oyds_form:id"))
                    .startsWith(Simulator::demoYibf() + QStringLiteral(" / ")));
        QVERIFY(page.html.contains(
            QLatin1String("type=\"submit\" id=\"oyds_form:denetimBilgileri\" "
                          "name=\"oyds_form:denetimBilgileri\" value=\"Denetim Bilgileri\"")));

        page = c.post(QStringLiteral("/yds/rol/ydk/yibf/YHHYR.jsf"),
                      {{f::Inspections, QStringLiteral("Denetim Bilgileri")}});
        QCOMPARE(screenCode(page.html), QStringLiteral("DYDYL"));
        QVERIFY(page.html.contains(QLatin1String(
            "<table id=\"oyds_form:dataTable\" class=\"liste\">\n<thead><tr><th>Tarih</th>")));
        auto rows = tableRows(page.html, QStringLiteral("oyds_form:dataTable:tbody_element"));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.last().at(1), QStringLiteral("25"));
        QCOMPARE(rows.last().at(0),
                 QDate::currentDate().addDays(-30).toString(QStringLiteral("dd.MM.yyyy")));

        page = c.post(QStringLiteral("/yds/rol/ydk/denetim/DYDYL.jsf"),
                      {{f::NewInspection, QStringLiteral("Yeni Denetim Bilgisi")}});
        QCOMPARE(screenCode(page.html), QStringLiteral("DYDYI"));
        QVERIFY(page.html.contains(QLatin1String("enctype=\"multipart/form-data\"")));
        for (const QString &id : {f::Level1, f::Level2, f::Level3, f::Level4, f::Inspector,
                                  f::IdNumber, f::Developments, f::File, f::Continue})
            QVERIFY2(page.html.contains(QStringLiteral("id=\"%1\"").arg(id)), qPrintable(id));
        QVERIFY(!errorText(page.html));

        const QByteArray photo = sampleJpeg();
        QVERIFY(photo.startsWith("\xFF\xD8"));
        page = c.postMultipart(QStringLiteral("/yds/rol/ydk/denetim/DYDYI.jsf"),
                               {{f::Menu, QString()},
                                {f::Level1, QStringLiteral("10")},
                                {f::Level2, QStringLiteral("17.5")},
                                {f::Level3, QString()},
                                {f::Level4, QStringLiteral("2.5")},
                                {f::Inspector, QStringLiteral("Mehmet Demir")},
                                {f::IdNumber, QStringLiteral("12345678901")},
                                {f::Developments, QStringLiteral("Kaba inşaat tamamlandı.")},
                                {f::Continue, QStringLiteral("Devam")}},
                               f::File, QStringLiteral("1234567.jpg"), photo);
        QCOMPARE(pageTitle(page.html), QStringLiteral("Yeni Denetim Bilgisi Kaydetme Kararı"));
        QCOMPARE(screenCode(page.html), QString());
        QVERIFY(page.html.contains(QLatin1String(
            "<input type=\"checkbox\" id=\"oyds_form:cbx\" name=\"oyds_form:cbx\" onclick=")));
        QVERIFY(page.html.contains(QLatin1String(
            "value=\"Denetim Bilgisini Kaydet\" class=\"buton\" disabled=\"disabled\">")));
        QVERIFY(page.html.contains(QStringLiteral(
            "type=\"submit\" id=\"oyds_form:vazgec\" name=\"oyds_form:vazgec\" value=\"Vazgeç\"")));
        QVERIFY(m_sim.records().isEmpty()); // nothing is stored before the save

        page = c.post(QStringLiteral("/yds/rol/ydk/denetim/DYDYO.jsf"),
                      {{f::Declaration, QStringLiteral("on")},
                       {f::Save, QStringLiteral("Denetim Bilgisini Kaydet")}});
        QCOMPARE(screenCode(page.html), QStringLiteral("DYDYL"));
        QVERIFY(!errorText(page.html));
        rows = tableRows(page.html, QStringLiteral("oyds_form:dataTable:tbody_element"));
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows.last().at(0), today());
        QCOMPARE(rows.last().at(1), QStringLiteral("30"));

        const QJsonArray records = m_sim.records();
        QCOMPARE(records.size(), 1);
        const QJsonObject r = records.first().toObject();
        QCOMPARE(r.value(QLatin1String("yibf")).toString(), Simulator::demoYibf());
        QCOMPARE(r.value(QLatin1String("institution")).toString(), Simulator::demoUser());
        QCOMPARE(r.value(QLatin1String("date")).toString(),
                 QDate::currentDate().toString(Qt::ISODate));
        QCOMPARE(r.value(QLatin1String("percent")).toDouble(), 30.0);
        const QJsonObject fields = r.value(QLatin1String("fields")).toObject();
        QCOMPARE(fields.value(f::Level2).toString(), QStringLiteral("17.5"));
        QCOMPARE(fields.value(f::Level3).toString(), QString());
        QCOMPARE(fields.value(f::Developments).toString(),
                 QStringLiteral("Kaba inşaat tamamlandı."));
        QCOMPARE(fields.value(f::IdNumber).toString(), QStringLiteral("12345678901"));
        const QJsonObject file = r.value(QLatin1String("file")).toObject();
        QCOMPARE(file.value(QLatin1String("name")).toString(), QStringLiteral("1234567.jpg"));
        QCOMPARE(file.value(QLatin1String("size")).toInt(), int(photo.size()));
        QCOMPARE(file.value(QLatin1String("sha256")).toString(),
                 QString::fromLatin1(
                     QCryptographicHash::hash(photo, QCryptographicHash::Sha256).toHex()));
        QCOMPARE(m_sim.recordFile(1), photo);

        page = c.post(QStringLiteral("/yds/rol/ydk/denetim/DYDYL.jsf"),
                      {{f::Menu, QStringLiteral("_idJsp0:A]#{islemMesajBean.hazirlaLSMOI}")}});
        QCOMPARE(screenCode(page.html), QStringLiteral("LSMOI"));
    }

    void refusedLogin_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("rightCode");
        QTest::addColumn<QString>("message");
        const QString user = Simulator::demoUser(), pass = Simulator::demoPassword();
        QTest::newRow("wrong code")
            << user << pass << false << QStringLiteral("Güvenlik kodunu hatalı girdiniz.");
        QTest::newRow("wrong password") << user << QStringLiteral("ornek.2026") << true
                                        << QStringLiteral("Kullanıcı adı veya şifre hatalı.");
        QTest::newRow("unknown user") << QStringLiteral("yok") << pass << true
                                      << QStringLiteral("Kullanıcı adı veya şifre hatalı.");
        QTest::newRow("user of another firm, own password")
            << QStringLiteral("kuzeyyd") << pass << true
            << QStringLiteral("Kullanıcı adı veya şifre hatalı.");
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
        c.get(QStringLiteral("/yds/rol/ziyaretci/LA_G_Z_K.jsf"));
        c.get(QStringLiteral("/yds/jcaptcha"));
        const QString code = m_sim.latestCode(c.sessionId());
        const auto page = c.post(QStringLiteral("/yds/rol/ziyaretci/LA_G_Z_K.jsf"),
                                 {{f::User, user},
                                  {f::Password, password},
                                  {f::Code, rightCode ? code : code + QLatin1Char('X')}});
        QCOMPARE(page.status, 200); // the login page again, at the login address itself
        QCOMPARE(loginMessage(page.html), message);
        QCOMPARE(c.get(QStringLiteral("/yds/rol/ydk/main.jsf")).status, 302); // not logged in
    }

    void securityCodeIsBoundToSessionAndUsedOnce()
    {
        PortalClient a(m_sim.appBase()), b(m_sim.appBase());
        a.get(QStringLiteral("/yds/jcaptcha"));
        const QString codeA = m_sim.latestCode(a.sessionId());
        b.get(QStringLiteral("/yds/jcaptcha"));
        const QString codeB = m_sim.latestCode(b.sessionId());
        QCOMPARE(m_sim.latestCode(), codeB);              // the globally latest
        QCOMPARE(m_sim.latestCode(a.sessionId()), codeA); // b's download leaves a's code alone
        const QString login = QStringLiteral("/yds/rol/ziyaretci/LA_G_Z_K.jsf");
        const PortalClient::Fields user{{f::User, Simulator::demoUser()},
                                        {f::Password, Simulator::demoPassword()}};
        if (codeA != codeB) // b's code does not open a's session
            QCOMPARE(a.post(login, user + PortalClient::Fields{{f::Code, codeB}}).status, 200);
        // A code counts once, and only the latest download counts.
        QCOMPARE(b.post(login, user + PortalClient::Fields{{f::Code, codeB}}).status, 302);
        a.get(QStringLiteral("/yds/jcaptcha"));
        const QString older = m_sim.latestCode(a.sessionId());
        a.get(QStringLiteral("/yds/jcaptcha"));
        const QString latest = m_sim.latestCode(a.sessionId());
        if (older != latest)
            QCOMPARE(a.post(login, user + PortalClient::Fields{{f::Code, older}}).status, 200);
        a.get(QStringLiteral("/yds/jcaptcha"));
        const QString fresh = m_sim.latestCode(a.sessionId());
        QCOMPARE(a.post(login, user + PortalClient::Fields{{f::Code, fresh}}).status, 302);
    }

    void formValidation_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("photo");
        QTest::addColumn<QString>("message");
        const QByteArray jpeg = sampleJpeg();
        QTest::newRow("decimal comma")
            << 1 << QStringLiteral("17,5") << QStringLiteral("a.jpg") << jpeg
            << QStringLiteral("Seviye değerleri sayı olarak girilmelidir (ondalık ayırıcı olarak "
                              "nokta kullanınız).");
        QTest::newRow("total over 100")
            << 1 << QStringLiteral("95") << QStringLiteral("a.jpg") << jpeg
            << QStringLiteral("Seviye değerlerinin toplamı 100'ü geçemez.");
        QTest::newRow("below the previous rate")
            << 2 << QStringLiteral("0") << QStringLiteral("a.jpg") << jpeg
            << QStringLiteral("Gerçekleşme oranı bir önceki denetim bilgisinin gerçekleşme "
                              "oranından küçük olamaz.");
        QTest::newRow("no photograph")
            << 0 << QString() << QString() << jpeg << QStringLiteral("Fotoğraf seçilmelidir.");
        QTest::newRow("not a JPEG by name") << 0 << QString() << QStringLiteral("a.png") << jpeg
                                            << QStringLiteral("Fotoğraf JPEG biçiminde olmalıdır.");
        QTest::newRow("not a JPEG by content")
            << 0 << QString() << QStringLiteral("a.JPG") << QByteArray("GIF89a....")
            << QStringLiteral("Fotoğraf JPEG biçiminde olmalıdır.");
        QTest::newRow("too large")
            << 0 << QString() << QStringLiteral("a.jpg")
            << QByteArray("\xFF\xD8\xFF").append(QByteArray(5 * 1024 * 1024, 'x'))
            << QStringLiteral("Fotoğraf boyutu 5 MB'ı geçemez.");
    }
    void formValidation()
    {
        QFETCH(int, level);
        QFETCH(QString, value);
        QFETCH(QString, fileName);
        QFETCH(QByteArray, photo);
        QFETCH(QString, message);
        WalkInput in;
        if (level > 0)
            in.levels[level - 1] = value;
        in.fileName = fileName;
        in.photo = photo;
        PortalClient c(m_sim.appBase());
        const auto page = walkTo(m_sim, c, QStringLiteral("continue"), in);
        QCOMPARE(screenCode(page.html), QStringLiteral("DYDYI"));
        QCOMPARE(errorText(page.html), message);
        QVERIFY(m_sim.records().isEmpty());
    }

    void equalRateAndEmptyLevelPass()
    {
        WalkInput in;
        in.levels[0] = QStringLiteral("25"); // the previous record's rate, exactly
        in.levels[1] = in.levels[2] = in.levels[3] = QString();
        PortalClient c(m_sim.appBase());
        const auto page = walkTo(m_sim, c, QStringLiteral("save"), in);
        QCOMPARE(screenCode(page.html), QStringLiteral("DYDYL"));
        QCOMPARE(m_sim.records().size(), 1);
    }

    void saveNeedsTheDeclaration()
    {
        PortalClient c(m_sim.appBase());
        walkTo(m_sim, c, QStringLiteral("continue"));
        const auto page = c.post(QStringLiteral("/yds/rol/ydk/denetim/DYDYO.jsf"),
                                 {{f::Save, QStringLiteral("Denetim Bilgisini Kaydet")}});
        QCOMPARE(pageTitle(page.html), QStringLiteral("Yeni Denetim Bilgisi Kaydetme Kararı"));
        QCOMPARE(errorText(page.html), QStringLiteral("Beyan onaylanmadan kayıt yapılamaz."));
        QVERIFY(m_sim.records().isEmpty());
        // "Vazgeç" goes back to the list without a record.
        const auto back = c.post(QStringLiteral("/yds/rol/ydk/denetim/DYDYO.jsf"),
                                 {{f::Cancel, QStringLiteral("Vazgeç")}});
        QCOMPARE(screenCode(back.html), QStringLiteral("DYDYL"));
        QCOMPARE(tableRows(back.html, QStringLiteral("oyds_form:dataTable:tbody_element")).size(),
                 2);
        QVERIFY(m_sim.records().isEmpty());
    }

    void menuNeedsThePrefix_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("code");
        QTest::newRow("no prefix") << QStringLiteral("A]MAIN_L") << QStringLiteral("ERROR");
        QTest::newRow("other prefix") << QStringLiteral("menu:A]MAIN_L") << QStringLiteral("ERROR");
        QTest::newRow("unknown action")
            << QStringLiteral("_idJsp0:A]#{x.y}") << QStringLiteral("ERROR");
        QTest::newRow("closed menu")
            << QStringLiteral("_idJsp0:A]#{hakedisBean.hazirlaHKDSL}") << QStringLiteral("LSMOI");
    }
    void menuNeedsThePrefix()
    {
        QFETCH(QString, value);
        QFETCH(QString, code);
        PortalClient c(m_sim.appBase());
        walkTo(m_sim, c, QStringLiteral("main"));
        const auto page = c.post(QStringLiteral("/yds/rol/ydk/main.jsf"), {{f::Menu, value}});
        QCOMPARE(screenCode(page.html), code);
    }

    void faultShowsItsEffect_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("arg");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("code");     // expected page code; "-" = none
        QTest::addColumn<QString>("contains"); // expected in the answer
        QTest::addColumn<int>("rows");         // rows of the result/list table, -1 = not checked

        const QString yesterday =
            QDate::currentDate().addDays(-1).toString(QStringLiteral("dd.MM.yyyy"));
        QTest::newRow("outage") << "outage"
                                << ""
                                << "front"
                                << "-"
                                << "kullanım dışıdır" << -1;
        QTest::newRow("login page leaves for the front page")
            << "login-to-front"
            << ""
            << "login-page"
            << "-"
            << "window.location.href = '%FRONT%/'" << -1;
        QTest::newRow("refused login")
            << "refuse-login"
            << "Hesabınız askıya alınmıştır."
            << "login"
            << "-"
            << "<div class=\"mesajKutusu\"><table class=\"mesaj\"><tr><td>Hesabınız askıya "
               "alınmıştır.</td>"
            << -1;
        QTest::newRow("validation text")
            << "validation"
            << "Tespit tarihi hatalı."
            << "continue"
            << "DYDYI"
            << "<span class=\"errorText\">Tespit tarihi hatalı.</span>" << -1;
        QTest::newRow("error page at the search") << "error-page"
                                                  << "search"
                                                  << "search"
                                                  << "ERROR"
                                                  << "" << -1;
        QTest::newRow("error page at the save") << "error-page"
                                                << "save"
                                                << "save"
                                                << "ERROR"
                                                << "" << -1;
        QTest::newRow("unknown code at the list") << "unknown-code"
                                                  << "list"
                                                  << "list"
                                                  << "DUYRU"
                                                  << "" << -1;
        QTest::newRow("unknown code, own text") << "unknown-code"
                                                << "main:YENI_Z"
                                                << "main"
                                                << "YENI_Z"
                                                << "" << -1;
        QTest::newRow("no search result") << "no-result"
                                          << ""
                                          << "search"
                                          << "YHHYL"
                                          << "" << 0;
        QTest::newRow("several results") << "several-results"
                                         << ""
                                         << "search"
                                         << "YHHYL"
                                         << "" << 3;
        QTest::newRow("another site's page") << "other-site"
                                             << "7654321"
                                             << "open"
                                             << "YHHYR"
                                             << "<span id=\"oyds_form:id\">7654321 / " << -1;
        QTest::newRow("save dated yesterday")
            << "save-yesterday"
            << ""
            << "save"
            << "DYDYL" << QStringLiteral("<tr><td>%1</td><td>40</td>").arg(yesterday) << 3;
        QTest::newRow("confirmation coded null")
            << "confirm-null"
            << ""
            << "continue"
            << "null"
            << "<title>Yeni Denetim Bilgisi Kaydetme Kararı</title>" << -1;
        QTest::newRow("file refused: the form clears it") << "refuse-file"
                                                          << ""
                                                          << "new"
                                                          << "DYDYI"
                                                          << "data-kabul=\"0\"" << -1;
        QTest::newRow("file refused: the upload is turned back")
            << "refuse-file"
            << ""
            << "continue"
            << "DYDYI"
            << "Fotoğraf dosyası kabul edilmedi." << -1;
    }
    void faultShowsItsEffect()
    {
        QFETCH(QString, fault);
        QFETCH(QString, arg);
        QFETCH(QString, step);
        QFETCH(QString, code);
        QFETCH(QString, contains);
        QFETCH(int, rows);
        QVERIFY(m_sim.setFault(fault, arg));
        PortalClient c(m_sim.appBase());
        const auto page = walkTo(m_sim, c, step);
        if (code == QLatin1String("-"))
            QVERIFY(!screenCode(page.html));
        else
            QCOMPARE(screenCode(page.html), code == QLatin1String("null") ? code : code);
        QVERIFY2(page.html.contains(
                     QString(contains).replace(QLatin1String("%FRONT%"), m_sim.frontBase())),
                 qPrintable(page.html));
        if (rows >= 0)
            QCOMPARE(
                tableRows(page.html, QStringLiteral("oyds_form:dataTable:tbody_element")).size(),
                rows);

        // Cleared, the same walk goes through.
        QVERIFY(m_sim.clearFaults());
        PortalClient again(m_sim.appBase());
        const auto clean = walkTo(m_sim, again, step);
        QVERIFY(!clean.html.contains(QLatin1String("ERROR")));
        QCOMPARE(clean.html.contains(QStringLiteral("kullanım dışıdır")), false);
    }

    void loginPageRedirectsToTheFrontPage_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("arg");
        QTest::addColumn<bool>("outageText");
        QTest::newRow("outage") << "outage"
                                << "" << true;
        QTest::newRow("login-to-front by redirect") << "login-to-front"
                                                    << "redirect" << false;
    }
    void loginPageRedirectsToTheFrontPage()
    {
        QFETCH(QString, fault);
        QFETCH(QString, arg);
        QFETCH(bool, outageText);
        QVERIFY(m_sim.setFault(fault, arg));
        PortalClient c(m_sim.appBase());
        const auto page = c.get(QStringLiteral("/yds/rol/ziyaretci/LA_G_Z_K.jsf"));
        QCOMPARE(page.status, 302);
        QCOMPARE(page.location, m_sim.frontUrl());
        PortalClient front(m_sim.frontBase());
        QCOMPARE(front.get(QStringLiteral("/")).html.contains(QStringLiteral("kullanım dışıdır")),
                 outageText);
    }

    void severalResultsOnlyOnTheFirstSearch()
    {
        QVERIFY(m_sim.setFault(QStringLiteral("several-results")));
        PortalClient c(m_sim.appBase());
        walkTo(m_sim, c, QStringLiteral("search"));
        const auto page = c.post(
            QStringLiteral("/yds/rol/ydk/yibf/YHHYL.jsf"),
            {{f::SearchNo, Simulator::demoYibf()}, {f::SearchButton, QStringLiteral("Bul")}});
        QCOMPARE(tableRows(page.html, QStringLiteral("oyds_form:dataTable:tbody_element")).size(),
                 1);
    }

    void hangHoldsOnlyItsOwnAnswer()
    {
        QVERIFY(m_sim.setFault(QStringLiteral("hang"), QStringLiteral("search")));
        PortalClient c(m_sim.appBase());
        walkTo(m_sim, c, QStringLiteral("menu-search"));
        std::atomic<bool> answered{false};
        QString code;
        std::thread hanging([&] {
            const auto page = c.post(
                QStringLiteral("/yds/rol/ydk/yibf/YHHYL.jsf"),
                {{f::SearchNo, Simulator::demoYibf()}, {f::SearchButton, QStringLiteral("Bul")}});
            code = screenCode(page.html).value_or(QString());
            answered = true;
        });
        // Other visitors are served meanwhile.
        for (int i = 0; i < 5; ++i) {
            PortalClient other(m_sim.appBase());
            QCOMPARE(walkTo(m_sim, other, QStringLiteral("main")).status, 200);
        }
        QVERIFY(!answered);
        QVERIFY(m_sim.clearFaults(QStringLiteral("hang")));
        QTRY_VERIFY_WITH_TIMEOUT(answered, 10000);
        hanging.join();
        QCOMPARE(code, QStringLiteral("YHHYL"));
    }

    void hangingSaveHasStoredItsRecord()
    {
        QVERIFY(m_sim.setFault(QStringLiteral("hang"), QStringLiteral("save")));
        PortalClient c(m_sim.appBase());
        walkTo(m_sim, c, QStringLiteral("continue"));
        std::atomic<bool> answered{false};
        std::thread hanging([&] {
            c.post(QStringLiteral("/yds/rol/ydk/denetim/DYDYO.jsf"),
                   {{f::Declaration, QStringLiteral("on")},
                    {f::Save, QStringLiteral("Denetim Bilgisini Kaydet")}});
            answered = true;
        });
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.records().size(), 1, 10000);
        QVERIFY(!answered);
        QVERIFY(m_sim.reset()); // a reset lets the held answer go too
        QTRY_VERIFY_WITH_TIMEOUT(answered, 10000);
        hanging.join();
    }

    void hangEndsAtItsLimit()
    {
        QVERIFY(m_sim.setFault(QStringLiteral("hang"), QStringLiteral("main:1")));
        PortalClient c(m_sim.appBase());
        const auto page = walkTo(m_sim, c, QStringLiteral("main"));
        QCOMPARE(screenCode(page.html), QStringLiteral("MAIN_Y"));
    }

    void faultSwitchRefusesNonsense_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("arg");
        QTest::newRow("unknown name") << "slow-portal"
                                      << "";
        QTest::newRow("hang without a step") << "hang"
                                             << "";
        QTest::newRow("error page at an unknown step") << "error-page"
                                                       << "payment";
        QTest::newRow("hang with a bad limit") << "hang"
                                               << "save:soon";
        QTest::newRow("login-to-front, unknown kind") << "login-to-front"
                                                      << "sometimes";
    }
    void faultSwitchRefusesNonsense()
    {
        QFETCH(QString, name);
        QFETCH(QString, arg);
        QVERIFY(!m_sim.setFault(name, arg));
        QString error;
        QVERIFY(!m_sim.server().setFault(name, arg, &error));
        QVERIFY(!error.isEmpty());
    }

    void versionListAndPackages()
    {
        QTemporaryDir dir;
        QFile list(dir.filePath(QStringLiteral("versiyon2015.txt")));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("'Tarvek sürüm listesi\r\n1,TarvekFOTO.zip,,,,,,,,1.0.0.2\r\n");
        list.close();
        QFile zip(dir.filePath(QStringLiteral("TarvekFOTO.zip")));
        QVERIFY(zip.open(QIODevice::WriteOnly));
        zip.write("PK\x03\x04 package");
        zip.close();

        ydssim::Options opt;
        opt.updatesDir = dir.path();
        Simulator sim(opt);
        QVERIFY2(sim.start(), qPrintable(sim.error()));
        PortalClient c(sim.appBase());
        auto page = c.get(QStringLiteral("/download/Tarvek_Zere/Tarvek2000/versiyon2015.txt"));
        QCOMPARE(page.status, 200);
        QCOMPARE(page.body,
                 QByteArray("'Tarvek sürüm listesi\r\n1,TarvekFOTO.zip,,,,,,,,1.0.0.2\r\n"));
        QCOMPARE(c.get(QStringLiteral("/download/Tarvek_Zere/Tarvek2000/TarvekFOTO.zip")).body,
                 QByteArray("PK\x03\x04 package"));
        QCOMPARE(c.get(QStringLiteral("/download/Tarvek_Zere/Tarvek2000/yok.zip")).status, 404);
        QCOMPARE(c.get(QStringLiteral("/download/Tarvek_Zere/Tarvek2000/..%2Fsecret")).status, 404);
        // Without an updates folder there is no list.
        PortalClient plain(m_sim.appBase());
        QCOMPARE(
            plain.get(QStringLiteral("/download/Tarvek_Zere/Tarvek2000/versiyon2015.txt")).status,
            404);
    }

    void resetWithAnotherSeed()
    {
        const QByteArray seed = R"({
          "institutions": [{"name": "Deneme Yapı Denetim", "user": "deneme", "password": "Şifre1", "number": "9"}],
          "sites": [{"yibf": "555001", "institution": "deneme", "ada": "12",
                     "inspections": [{"date": "2026-01-15", "percent": 42.5}]}]
        })";
        QVERIFY(m_sim.reset(seed));
        WalkInput in;
        in.user = QStringLiteral("deneme");
        in.password = QStringLiteral("Şifre1");
        in.yibf = QStringLiteral("555001");
        in.levels[0] = QStringLiteral("42.5");
        in.levels[1] = in.levels[2] = in.levels[3] = QStringLiteral("0");
        PortalClient c(m_sim.appBase());
        const auto list = walkTo(m_sim, c, QStringLiteral("list"), in);
        const auto rows = tableRows(list.html, QStringLiteral("oyds_form:dataTable:tbody_element"));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first().mid(0, 2),
                 QStringList({QStringLiteral("15.01.2026"), QStringLiteral("42.5")}));
        // The demo firm is gone with the old seed.
        PortalClient old(m_sim.appBase());
        QCOMPARE(walkTo(m_sim, old, QStringLiteral("login")).status, 200);

        QVERIFY(!m_sim.reset("{ not json"));
        QVERIFY(!m_sim.reset(R"({"sites": [{"yibf": "1", "inspections": [{"percent": 3}]}]})"));
    }

    void seedFile_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error"); // part of the message, empty = accepted
        QTest::addColumn<QString>("yibf");
        QTest::addColumn<QString>("date");
        QTest::addColumn<double>("percent");
        QTest::newRow("number as YİBF, rate from the levels")
            << QByteArray(
                   R"({"sites": [{"yibf": 9001, "inspections": [{"date": "2026-02-03", "levels": [10, 2.5, 0, 1]}]}]})")
            << ""
            << "9001"
            << "2026-02-03" << 13.5;
        QTest::newRow("days ago, rate given")
            << QByteArray(
                   R"({"sites": [{"yibf": "77", "inspections": [{"daysAgo": 6, "percent": 50, "levels": [10, 10, 0, 0]}]}]})")
            << ""
            << "77"
            << "2026-06-09" << 50.0;
        QTest::newRow("site without YİBF")
            << QByteArray(R"({"sites": [{"ada": "1"}]})") << "site without \"yibf\""
            << ""
            << "" << 0.0;
        QTest::newRow("institution without user")
            << QByteArray(R"({"institutions": [{"password": "x"}]})")
            << "institution without \"user\""
            << ""
            << "" << 0.0;
        QTest::newRow("bad date")
            << QByteArray(R"({"sites": [{"yibf": "5", "inspections": [{"date": "03.02.2026"}]}]})")
            << "inspection of 5"
            << ""
            << "" << 0.0;
        QTest::newRow("not an object") << QByteArray("[1, 2]") << "not a JSON object"
                                       << ""
                                       << "" << 0.0;
    }
    void seedFile()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, error);
        QFETCH(QString, yibf);
        QFETCH(QString, date);
        QFETCH(double, percent);
        ydssim::Seed seed;
        QString message;
        const bool ok = ydssim::Seed::fromJson(json, QDate(2026, 6, 15), &seed, &message);
        QCOMPARE(ok, error.isEmpty());
        if (!ok) {
            QVERIFY2(message.contains(error), qPrintable(message));
            return;
        }
        QCOMPARE(seed.sites.first().yibf, yibf);
        QCOMPARE(seed.sites.first().inspections.first().date, QDate::fromString(date, Qt::ISODate));
        QCOMPARE(seed.sites.first().inspections.first().percent, percent);
    }

    void builtInSeedIsValid()
    {
        ydssim::Seed seed;
        QString message;
        QVERIFY2(ydssim::Seed::fromJson(ydssim::Seed::builtInJson(), QDate::currentDate(), &seed,
                                        &message),
                 qPrintable(message));
        QCOMPARE(seed.institutions.size(), 2);
        QVERIFY(seed.sites.size() >= 4);
    }

    void todayCanBeSet()
    {
        QVERIFY(m_sim.setToday(QDate(2027, 3, 1)));
        PortalClient c(m_sim.appBase());
        const auto page = walkTo(m_sim, c, QStringLiteral("save"));
        QCOMPARE(tableRows(page.html, QStringLiteral("oyds_form:dataTable:tbody_element"))
                     .last()
                     .first(),
                 QStringLiteral("01.03.2027"));
    }
    void commandLine()
    {
        QTemporaryDir dir;
        QFile seed(dir.filePath(QStringLiteral("seed.json")));
        QVERIFY(seed.open(QIODevice::WriteOnly));
        seed.write(R"({"institutions": [{"user": "u", "password": "p"}], "sites": []})");
        seed.close();
        QProcess sim;
        sim.start(QStringLiteral(TARVEK_BUILD_DIR "/tools/yds-sim/yds-sim"),
                  {QStringLiteral("--app-port"), QStringLiteral("0"),
                   QStringLiteral("--front-port"), QStringLiteral("0"), QStringLiteral("--seed"),
                   seed.fileName(), QStringLiteral("--fault"), QStringLiteral("outage"),
                   QStringLiteral("--latency-ms"), QStringLiteral("5")});
        QVERIFY(sim.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), 10000);
        const QString ready = QString::fromUtf8(sim.readLine()).trimmed();
        static const QRegularExpression re(
            QStringLiteral("^yds-sim ready app=(http://127\\.0\\.0\\.1:\\d+) "
                           "front=(http://127\\.0\\.0\\.1:\\d+)$"));
        const auto m = re.match(ready);
        QVERIFY2(m.hasMatch(), qPrintable(ready));
        PortalClient front(m.captured(2));
        QVERIFY(front.get(QStringLiteral("/")).html.contains(QStringLiteral("kullanım dışıdır")));
        PortalClient app(m.captured(1));
        QCOMPARE(app.get(QStringLiteral("/yds/rol/ziyaretci/LA_G_Z_K.jsf")).status,
                 302); // out of service
        QCOMPARE(app.get(QStringLiteral("/yds/jcaptcha")).status, 200);
        QCOMPARE(app.get(QStringLiteral("/__test/records")).status, 404); // endpoints not asked for
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
            << QStringList{QStringLiteral("--fault"), QStringLiteral("slow")}
            << QStringLiteral("unknown fault \"slow\"");
        QTest::newRow("missing seed")
            << QStringList{QStringLiteral("--seed"), QStringLiteral("/nonexistent/seed.json")}
            << QStringLiteral("cannot read the seed file");
        QTest::newRow("port not a number")
            << QStringList{QStringLiteral("--app-port"), QStringLiteral("x")}
            << QStringLiteral("whole numbers");
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
