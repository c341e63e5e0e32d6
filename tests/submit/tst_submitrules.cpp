// The submission window's rules over page snapshots, row by row.
#include "portal/addresses.h"
#include "submit/pagerules.h"
#include "submit/statustexts.h"

#include <QtTest>

Q_DECLARE_METATYPE(PageAction)
Q_DECLARE_METATYPE(SearchResult)

class tst_submitrules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readScreenCode_data();
    void readScreenCode();
    void errorText_data();
    void errorText();
    void codeBookKeepsThePreviousOnAReload();
    void dispatch_data();
    void dispatch();
    void buttonSearch_data();
    void buttonSearch();
    void yibfNumber_data();
    void yibfNumber();
    void searchResult_data();
    void searchResult();
    void dateTest_data();
    void dateTest();
    void previousPercentage_data();
    void previousPercentage();
    void formValues_data();
    void formValues();
    void navigation_data();
    void navigation();
    void menuAction();
};

void tst_submitrules::readScreenCode_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("code");
    QTest::newRow("crlf after the code") << "Ekran Kodu : DYDYL\r\n" << true << "DYDYL";
    QTest::newRow("text before the label")
        << "Menü\nAna Sayfa\nEkran Kodu : MAIN_Y\nAlt" << true << "MAIN_Y";
    // The window starts at the blank before the code: at most seven characters of it remain.
    QTest::newRow("window of eight") << "Ekran Kodu : ABCDEFGHIJ" << true << "ABCDEFG";
    QTest::newRow("null code") << "Ekran Kodu : null" << true << "null";
    QTest::newRow("nothing after the label") << "x Ekran Kodu :" << true << "";
    QTest::newRow("break inside the window") << "Ekran Kodu : DY\nDYI" << true << "DYDYI";
    QTest::newRow("first label counts")
        << "Ekran Kodu : YHHYL\r\n\r\nEkran Kodu : YHHYR" << true << "YHHYL";
    QTest::newRow("text right after the code") << "Ekran Kodu : YHHYL Ekran" << true << "YHHYLE";
    QTest::newRow("label absent") << "Ana Sayfa" << false << "";
    QTest::newRow("case-sensitive label") << "EKRAN KODU : DYDYL" << false << "";
    QTest::newRow("no blank before the code") << "Ekran Kodu :DYDYL" << true << "DYDYL";
    QTest::newRow("wider separator") << "Ekran Kodu  :  DYDYL" << true << ":DYDYL";
}

void tst_submitrules::readScreenCode()
{
    QFETCH(QString, body);
    QFETCH(bool, found);
    QFETCH(QString, code);
    const auto got = ReadScreenCode(body);
    QCOMPARE(got.has_value(), found);
    if (found)
        QCOMPARE(*got, code);
}

void tst_submitrules::errorText_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("message");
    QTest::newRow("span message")
        << "<body><span class=\"errorText\">Seviye alanı boş olamaz</span></body>" << true
        << "Seviye alanı boş olamaz";
    QTest::newRow("first one only")
        << "<p id=errorText>A</p><p class=errorText>B</p>" << true << "A";
    QTest::newRow("no closing tag") << "<b errorText>mesaj" << true << "";
    QTest::newRow("empty message") << "<i class='errorText'></i>" << true << "";
    QTest::newRow("no errorText") << "<body>Ekran Kodu : DYDYI</body>" << false << "";
}

void tst_submitrules::errorText()
{
    QFETCH(QString, html);
    QFETCH(bool, found);
    QFETCH(QString, message);
    const auto got = ErrorTextMessage(html);
    QCOMPARE(got.has_value(), found);
    if (found)
        QCOMPARE(*got, message);
    QCOMPARE(SubmitText::PortalError(QStringLiteral("123"), QStringLiteral("x")),
             QStringLiteral("YİBF NO: 123x\r\rBU MESAJ YAPI DENETİM KOMİSYONU WEB SİTESİNİN HATA "
                            "MESAJIDIR..."));
    QVERIFY(!ErrorTextApplies(QStringLiteral("YHHYR")));
    QVERIFY(ErrorTextApplies(QStringLiteral("yhhyr")));
    QVERIFY(ErrorTextApplies(QString()));
}

void tst_submitrules::codeBookKeepsThePreviousOnAReload()
{
    CodeBook book;
    QVERIFY(book.read(QStringLiteral("YHHYR")));
    QVERIFY(book.read(QStringLiteral("DYDYL")));
    QCOMPARE(book.previous, QStringLiteral("YHHYR"));
    QVERIFY(!book.read(QStringLiteral("DYDYL")));
    QCOMPARE(book.previous, QStringLiteral("YHHYR"));
    QVERIFY(book.read(QString()));
    QCOMPARE(book.previous, QStringLiteral("DYDYL"));
    QCOMPARE(book.current, QString());
}

void tst_submitrules::dispatch_data()
{
    QTest::addColumn<QString>("c");
    QTest::addColumn<QString>("p");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("title");
    QTest::addColumn<PageAction>("action");
    QTest::addColumn<bool>("mainPage");
    const QString conf = ConfirmationTitle();
    using A = PageAction;
    QTest::newRow("error page") << "ERROR"
                                << "DYDYI"
                                << "ariyor"
                                << "" << A::ShowErrorPage << false;
    QTest::newRow("message page") << "LSMOI"
                                  << ""
                                  << ""
                                  << "" << A::Nothing << false;
    QTest::newRow("main, nothing started") << "MAIN_Y"
                                           << ""
                                           << ""
                                           << "" << A::StartRow << true;
    QTest::newRow("main, number set") << "MAIN_Y"
                                      << "MAIN_Y"
                                      << "yibf_degisti"
                                      << "" << A::RequestSearchPage << true;
    QTest::newRow("main, searching") << "MAIN_Y"
                                     << "YHHYL"
                                     << "ariyor"
                                     << "" << A::Nothing << true;
    QTest::newRow("main, tikla") << "MAIN_Y"
                                 << ""
                                 << "tikla"
                                 << "" << A::Nothing << true;
    QTest::newRow("search page, tikla") << "YHHYL"
                                        << "MAIN_Y"
                                        << "tikla"
                                        << "" << A::SubmitSearch << false;
    QTest::newRow("search page, tikla2") << "YHHYL"
                                         << "MAIN_Y"
                                         << "tikla2"
                                         << "" << A::SubmitSearch << false;
    QTest::newRow("search result") << "YHHYL"
                                   << "MAIN_Y"
                                   << "ariyor"
                                   << "" << A::EvaluateSearch << false;
    QTest::newRow("search page, no search") << "YHHYL"
                                            << "MAIN_Y"
                                            << ""
                                            << "" << A::Nothing << false;
    QTest::newRow("site page") << "YHHYR"
                               << "YHHYL"
                               << "ariyor"
                               << "" << A::CheckSiteRecord << false;
    QTest::newRow("list after save") << "DYDYL"
                                     << ""
                                     << "ariyor"
                                     << "" << A::DecideOutcome << false;
    QTest::newRow("list from site") << "DYDYL"
                                    << "YHHYR"
                                    << "ariyor"
                                    << "" << A::SevenDayThenNewRecord << false;
    QTest::newRow("list after null confirmation") << "DYDYL"
                                                  << "null"
                                                  << "ariyor"
                                                  << "" << A::SevenDayThenUntick << false;
    QTest::newRow("form from list") << "DYDYI"
                                    << "DYDYL"
                                    << "ariyor"
                                    << "" << A::FillForm << false;
    QTest::newRow("form from elsewhere") << "DYDYI"
                                         << "YHHYR"
                                         << "ariyor"
                                         << "" << A::UntickDeclaration << false;
    QTest::newRow("confirmation") << ""
                                  << "DYDYI"
                                  << "ariyor" << conf << A::ShowConfirmation << false;
    QTest::newRow("null confirmation") << "null"
                                       << "DYDYI"
                                       << "ariyor" << conf << A::ShowConfirmation << false;
    QTest::newRow("confirmation, other title") << ""
                                               << "DYDYI"
                                               << "ariyor"
                                               << "Başka" << A::Nothing << false;
    QTest::newRow("confirmation from elsewhere")
        << ""
        << "DYDYL"
        << "ariyor" << conf << A::UntickDeclaration << false;
    QTest::newRow("null from elsewhere") << "null"
                                         << "MAIN_Y"
                                         << "" << conf << A::UntickDeclaration << false;
    QTest::newRow("unknown code") << "ABCDE"
                                  << "MAIN_Y"
                                  << ""
                                  << "" << A::UnknownCode << false;
    QTest::newRow("case counts") << "main_y"
                                 << ""
                                 << ""
                                 << "" << A::UnknownCode << false;
    QTest::newRow("NULL is not null") << "NULL"
                                      << "DYDYI"
                                      << "" << conf << A::UnknownCode << false;
}

void tst_submitrules::dispatch()
{
    QFETCH(QString, c);
    QFETCH(QString, p);
    QFETCH(QString, state);
    QFETCH(QString, title);
    QFETCH(PageAction, action);
    QFETCH(bool, mainPage);
    const PageDecision d = DispatchPage(c, p, state, title);
    QCOMPARE(d.action, action);
    QCOMPARE(d.mainPage, mainPage);
}

static SnapElement el(const QString &value, const QString &type, bool disabled = false)
{
    SnapElement e;
    e.value = value;
    e.type = type;
    e.tag = QStringLiteral("input");
    e.disabled = disabled;
    return e;
}

void tst_submitrules::buttonSearch_data()
{
    QTest::addColumn<QList<SnapElement>>("elements");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("index");
    const QString kaydet = QStringLiteral("Denetim Bilgisini Kaydet");
    const QString sub = QStringLiteral("submit");
    QTest::newRow("found") << QList<SnapElement>{el("x", "hidden"), el(kaydet, sub)} << kaydet
                           << "buton" << 1;
    QTest::newRow("two matches: first")
        << QList<SnapElement>{el(kaydet, sub), el(kaydet, sub)} << kaydet << "buton" << 0;
    QTest::newRow("disabled first match")
        << QList<SnapElement>{el(kaydet, sub, true), el(kaydet, sub)} << kaydet << "buton" << -1;
    QTest::newRow("type must match")
        << QList<SnapElement>{el(kaydet, "button")} << kaydet << "buton" << -1;
    QTest::newRow("value exact") << QList<SnapElement>{el("Vazgeç ", sub)} << "Vazgeç"
                                 << "buton" << -1;
    QTest::newRow("unknown kind") << QList<SnapElement>{el(kaydet, sub)} << kaydet << "tus" << -1;
}

void tst_submitrules::buttonSearch()
{
    QFETCH(QList<SnapElement>, elements);
    QFETCH(QString, value);
    QFETCH(QString, kind);
    QFETCH(int, index);
    PageSnapshot page;
    SnapForm form;
    form.elements = elements;
    page.forms << form << SnapForm{{}, {}, {}, {el(value, "submit")}};
    QCOMPARE(butonu_bul(page, value, QStringLiteral("submit"), kind), index);

    // Images: alt and source both must match; the first one wins.
    const QString src = QStringLiteral("http://yds.test/yds/common/images/goster.gif");
    page.images = {{QStringLiteral("http://yds.test/x.gif"), QStringLiteral("Göster")},
                   {src, QStringLiteral("Göster")},
                   {src, QStringLiteral("Göster")}};
    QCOMPARE(butonu_bul(page, QStringLiteral("Göster"), src, QStringLiteral("resim")), 1);
    QCOMPARE(butonu_bul(page, QStringLiteral("Sil"), src, QStringLiteral("resim")), -1);
    QCOMPARE(butonu_bul(PageSnapshot{}, QStringLiteral("Göster"), src, QStringLiteral("buton")),
             -1);
}

void tst_submitrules::yibfNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("number");
    QTest::newRow("plain") << "1234567/Ankara"
                           << "1234567";
    QTest::newRow("spaces around and inside") << " 12 345 67 / Ankara / Çankaya"
                                              << "1234567";
    QTest::newRow("no slash") << "1234567 "
                              << "1234567";
    QTest::newRow("empty") << ""
                           << "";
}

void tst_submitrules::yibfNumber()
{
    QFETCH(QString, text);
    QFETCH(QString, number);
    QCOMPARE(YibfFromRecordText(text), number);
}

void tst_submitrules::searchResult_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<SearchResult>("result");
    QTest::newRow("none") << 0 << SearchResult::NotFound;
    QTest::newRow("one") << 1 << SearchResult::One;
    QTest::newRow("several") << 3 << SearchResult::Several;
}

void tst_submitrules::searchResult()
{
    QFETCH(int, rows);
    QFETCH(SearchResult, result);
    QCOMPARE(EvaluateSearch(rows), result);
    QCOMPARE(SubmitText::SearchEmpty(QStringLiteral("42")),
             QStringLiteral("BAKANLIK SİTESİNDE 42 NOLU YİBF BULUNAMADI..."));
}

void tst_submitrules::dateTest_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<QString>("ada");
    QTest::addColumn<int>("result");
    const QStringList header{QStringLiteral("Tarih"), QStringLiteral("Oran")};
    const auto list = [&](const QString &date) {
        return QList<QStringList>{header,
                                  {QStringLiteral("01.01.2020"), QStringLiteral("10")},
                                  {date, QStringLiteral("40")}};
    };
    // Today is 7.3.2026.
    QTest::newRow("sent today") << 1 << list("07.03.2026") << "12" << 10;
    QTest::newRow("single digits") << 1 << list("7.3.2026") << "12" << 10;
    QTest::newRow("with a time") << 1 << list("07.03.2026 14:02") << "12" << 10;
    QTest::newRow("dated yesterday") << 1 << list("06.03.2026") << "12" << -10;
    QTest::newRow("dated tomorrow") << 1 << list("08.03.2026") << "12" << -10;
    QTest::newRow("mode 1 unreadable") << 1 << list("bugün") << "12" << -10;
    QTest::newRow("six days old") << 0 << list("01.03.2026") << "12" << -1;
    QTest::newRow("seven days old") << 0 << list("28.02.2026") << "12" << 1;
    QTest::newRow("today, mode 0") << 0 << list("07.03.2026") << "12" << -1;
    QTest::newRow("mode 0 unreadable") << 0 << list("--") << "12" << 1;
    QTest::newRow("no ada") << 1 << list("07.03.2026") << "" << 1;
    QTest::newRow("header only") << 1 << QList<QStringList>{header} << "12" << 1;
    QTest::newRow("no list") << 0 << QList<QStringList>{} << "12" << 1;
    QTest::newRow("header last") << 0 << QList<QStringList>{{"01.03.2026"}, header} << "12" << -1;
    QTest::newRow("last row, not the newest")
        << 1 << QList<QStringList>{header, {"07.03.2026"}, {"01.01.2026"}} << "12" << -10;
}

void tst_submitrules::dateTest()
{
    QFETCH(int, mode);
    QFETCH(QList<QStringList>, rows);
    QFETCH(QString, ada);
    QFETCH(int, result);
    QCOMPARE(rapor_sirasi(mode, rows, ada, QDate(2026, 3, 7)), result);
}

void tst_submitrules::previousPercentage_data()
{
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<double>("value");
    QTest::newRow("point") << QList<QStringList>{{"a", "10"}, {"b", "45.5"}} << 45.5;
    QTest::newRow("comma") << QList<QStringList>{{"b", "45,5"}} << 45.5;
    QTest::newRow("last row counts") << QList<QStringList>{{"a", "90"}, {"b", "30"}} << 30.0;
    QTest::newRow("empty cell") << QList<QStringList>{{"b", ""}} << 0.0;
    QTest::newRow("one column") << QList<QStringList>{{"b"}} << 0.0;
    QTest::newRow("no rows") << QList<QStringList>{} << 0.0;
    QTest::newRow("not a number") << QList<QStringList>{{"b", "yok"}} << 0.0;
}

void tst_submitrules::previousPercentage()
{
    QFETCH(QList<QStringList>, rows);
    QFETCH(double, value);
    QCOMPARE(PreviousPercentage(rows), double(float(value)));
}

void tst_submitrules::formValues_data()
{
    QTest::addColumn<QStringList>("levels");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<double>("previous");
    QTest::addColumn<bool>("rejected");
    QTest::newRow("commas become points") << QStringList{"10,5", "20", "0", "5"}
                                          << QStringList{"10.5", "20", "0", "5"} << 35.0 << false;
    QTest::newRow("empty level left alone")
        << QStringList{"10", "20", "", "5"} << QStringList{"10", "20", "5"} << 0.0 << false;
    QTest::newRow("equal passes") << QStringList{"30,1", "30", "", ""} << QStringList{"30.1", "30"}
                                  << double(float(60.1)) << false;
    QTest::newRow("lower rejected")
        << QStringList{"10", "20", "", ""} << QStringList{"10", "20"} << 30.5 << true;
    QTest::newRow("all empty") << QStringList{"", "", "", ""} << QStringList{} << 0.0 << false;
}

void tst_submitrules::formValues()
{
    QFETCH(QStringList, levels);
    QFETCH(QStringList, sent);
    QFETCH(double, previous);
    QFETCH(bool, rejected);
    InspectionRecord r;
    r.sev1 = levels[0];
    r.sev2 = levels[1];
    r.sev3 = levels[2];
    r.sev4 = levels[3];
    QStringList values;
    for (const auto &f : LevelFields(r))
        values << f.second;
    QCOMPARE(values, sent);
    const auto rejection = PercentageRejection(previous, LevelTotal(r));
    QCOMPARE(rejection.has_value(), rejected);
    if (rejected)
        QCOMPARE(*rejection,
                 QStringLiteral("Gerçekleşme Oranı bir önceki Denetim bilgisinin Gerçekleşme "
                                "Oranını Geçmedi...\rBir önceki Denetim Bilgisi Gerçekleşme "
                                "Oranı : 30,5"));

    InspectionRecord s;
    s.sev2 = QStringLiteral("1");
    s.gonderen = QStringLiteral("Hasan Demir");
    s.alan2 = QStringLiteral("Çatı tamamlandı");
    const auto fields = SenderFields(s);
    QCOMPARE(fields.size(), 2);
    QCOMPARE(fields[0].first, QStringLiteral("oyds_form:Tespiti_Yapan"));
    QCOMPARE(fields[1].first, QStringLiteral("oyds_form:Yapıdaki_Gelişmeler"));
    QCOMPARE(LevelFields(s).first().first, QStringLiteral("oyds_form:seviye_tasiyici"));
}

void tst_submitrules::navigation_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("refused");
    const QString login = LoginPageUrl();
    const QString front = FrontPageUrl();
    QTest::newRow("login to front") << login << front << true;
    QTest::newRow("login to front without slash") << login << front.chopped(1) << false;
    QTest::newRow("login with session to front") << login + ";jsessionid=1" << front << false;
    QTest::newRow("login to main") << login << PortalAppUrl("/yds/rol/ydk/main.jsf") << false;
    QTest::newRow("other page to front") << PortalAppUrl("/yds/x.jsf") << front << false;
}

void tst_submitrules::navigation()
{
    QFETCH(QString, current);
    QFETCH(QString, target);
    QFETCH(bool, refused);
    QCOMPARE(RefuseNavigation(current, target), refused);
}

void tst_submitrules::menuAction()
{
    QCOMPARE(MenuActionValue(QStringLiteral("menu1"), MenuAction::SearchPage()),
             QStringLiteral("menu1:A]#{yibfBean.hazirlaYHHYL}"));
    QCOMPARE(MenuActionValue(QString(), MenuAction::MainPage()), QStringLiteral(":A]MAIN_L"));
}

QTEST_GUILESS_MAIN(tst_submitrules)
#include "tst_submitrules.moc"
