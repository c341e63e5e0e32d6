// The rules over the portal's pages: page codes, the dispatch, searches, dates, percentages, the
// portal's own messages, typed-character folding, addresses and the page snapshot.
#include "core/addresses.h"
#include "core/pagerules.h"
#include "core/portalmessages.h"
#include "core/textchangecase.h"
#include "platform/deployment.h"

#include <QtTest>

using Strings = QStringList;
using Rows = QList<QStringList>;

Q_DECLARE_METATYPE(PageAction)
Q_DECLARE_METATYPE(SnapElement)

class tst_pagerules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void screenCode_data();
    void screenCode();
    void portalErrorText_data();
    void portalErrorText();
    void reloadKeepsThePreviousCode();
    void dispatch_data();
    void dispatch();
    void buttonSearch_data();
    void buttonSearch();
    void siteNumberAndSearchResult();
    void dateTest_data();
    void dateTest();
    void previousPercentage_data();
    void previousPercentage();
    void levelsAndRejection_data();
    void levelsAndRejection();
    void senderFieldsSkipEmptyColumns();
    void outage_data();
    void outage();
    void loginMessageCapture_data();
    void loginMessageCapture();
    void turkishInsensitiveSearch_data();
    void turkishInsensitiveSearch();
    void typedCharacterCase_data();
    void typedCharacterCase();
    void addressesAndRefusedJump_data();
    void addressesAndRefusedJump();
    void snapshotParsing();
};

void tst_pagerules::initTestCase()
{
    auto d = platform::Deployment::builtIn();
    d.portalAppHost = "http://127.0.0.1:8080/";
    d.portalFrontHost = "http://127.0.0.1:8081";
    platform::Deployment::setCurrent(d);
}

void tst_pagerules::screenCode_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("code"); // "-": no label
    QTest::newRow("after text, CR LF") << "Menü\nEkran Kodu : DYDYL\r\nAlt"
                                       << "DYDYL";
    QTest::newRow("seven characters after the blank") << "Ekran Kodu : ABCDEFGHIJ"
                                                      << "ABCDEFG";
    QTest::newRow("null code") << "Ekran Kodu : null"
                               << "null";
    QTest::newRow("nothing after the label") << "x Ekran Kodu :"
                                             << "";
    QTest::newRow("break inside the window") << "Ekran Kodu : DY\nDYI"
                                             << "DYDYI";
    QTest::newRow("first label counts") << "Ekran Kodu : YHHYL\r\n\r\nEkran Kodu : YHHYR"
                                        << "YHHYL";
    QTest::newRow("no blank before the code") << "Ekran Kodu :DYDYL"
                                              << "DYDYL";
    QTest::newRow("wider separator") << "Ekran Kodu  :  DYDYL"
                                     << ":DYDYL";
    QTest::newRow("label is case-sensitive") << "EKRAN KODU : DYDYL"
                                             << "-";
}

void tst_pagerules::screenCode()
{
    QFETCH(QString, body);
    QFETCH(QString, code);
    QCOMPARE(ReadScreenCode(body).value_or("-"), code);
}

void tst_pagerules::portalErrorText_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("message"); // "-": none
    QTest::newRow("span") << "<span class=\"errorText\">Seviye alanı boş olamaz</span>"
                          << "Seviye alanı boş olamaz";
    QTest::newRow("first one only") << "<p id=errorText>A</p><p class=errorText>B</p>"
                                    << "A";
    QTest::newRow("no closing tag") << "<b errorText>mesaj"
                                    << "";
    QTest::newRow("no errorText") << "<body>Ekran Kodu : DYDYI</body>"
                                  << "-";
}

void tst_pagerules::portalErrorText()
{
    QFETCH(QString, html);
    QFETCH(QString, message);
    QCOMPARE(ErrorTextMessage(html).value_or("-"), message);
}

void tst_pagerules::reloadKeepsThePreviousCode()
{
    CodeBook book;
    QVERIFY(book.read("YHHYR"));
    QVERIFY(book.read("DYDYL"));
    QVERIFY(!book.read("DYDYL"));
    QCOMPARE(book.previous, QStringLiteral("YHHYR"));
    QVERIFY(book.read(QString()));
    QCOMPARE(book.previous, QStringLiteral("DYDYL"));
    // The site page shows such texts as its content; codes compare exactly.
    QVERIFY(!ErrorTextApplies("YHHYR"));
    QVERIFY(ErrorTextApplies("yhhyr"));
}

void tst_pagerules::dispatch_data()
{
    QTest::addColumn<Strings>("codes"); // current, previous, search state, title
    QTest::addColumn<PageAction>("action");
    QTest::addColumn<bool>("mainPage");
    const QString conf = "Yeni Denetim Bilgisi Kaydetme Kararı";
    using A = PageAction;
    const auto row = [](const char *name, const Strings &c, A a, bool main = false) {
        QTest::newRow(name) << c << a << main;
    };
    row("error page", {"ERROR", "DYDYI", "ariyor", ""}, A::ShowErrorPage);
    row("message page", {"LSMOI", "", "", ""}, A::Nothing);
    row("main, nothing started", {"MAIN_Y", "", "", ""}, A::StartRow, true);
    row("main, number set", {"MAIN_Y", "MAIN_Y", "yibf_degisti", ""}, A::RequestSearchPage, true);
    row("main, searching", {"MAIN_Y", "YHHYL", "ariyor", ""}, A::Nothing, true);
    row("search page, tikla", {"YHHYL", "MAIN_Y", "tikla", ""}, A::SubmitSearch);
    row("search page, tikla2", {"YHHYL", "MAIN_Y", "tikla2", ""}, A::SubmitSearch);
    row("search result", {"YHHYL", "MAIN_Y", "ariyor", ""}, A::EvaluateSearch);
    row("search page, no search", {"YHHYL", "MAIN_Y", "", ""}, A::Nothing);
    row("site page", {"YHHYR", "YHHYL", "ariyor", ""}, A::CheckSiteRecord);
    row("list straight after a save", {"DYDYL", "", "ariyor", ""}, A::DecideOutcome);
    row("list from the site", {"DYDYL", "YHHYR", "ariyor", ""}, A::SevenDayThenNewRecord);
    row("list from elsewhere", {"DYDYL", "null", "ariyor", ""}, A::SevenDayThenUntick);
    row("form from the list", {"DYDYI", "DYDYL", "ariyor", ""}, A::FillForm);
    row("form from elsewhere", {"DYDYI", "YHHYR", "ariyor", ""}, A::UntickDeclaration);
    row("confirmation", {"", "DYDYI", "ariyor", conf}, A::ShowConfirmation);
    row("confirmation coded null", {"null", "DYDYI", "ariyor", conf}, A::ShowConfirmation);
    row("no code, another title", {"", "DYDYI", "ariyor", "Başka"}, A::Nothing);
    row("confirmation from elsewhere", {"", "DYDYL", "ariyor", conf}, A::UntickDeclaration);
    row("unknown code", {"ABCDE", "MAIN_Y", "", ""}, A::UnknownCode);
    row("case counts", {"main_y", "", "", ""}, A::UnknownCode);
    row("NULL is not null", {"NULL", "DYDYI", "", conf}, A::UnknownCode);
}

void tst_pagerules::dispatch()
{
    QFETCH(Strings, codes);
    QFETCH(PageAction, action);
    QFETCH(bool, mainPage);
    const PageDecision d = DispatchPage(codes[0], codes[1], codes[2], codes[3]);
    QCOMPARE(d.action, action);
    QCOMPARE(d.mainPage, mainPage);
}

static SnapElement Input(const QString &value, const QString &type, bool disabled = false)
{
    return {{}, {}, "input", type, value, disabled, false};
}

void tst_pagerules::buttonSearch_data()
{
    QTest::addColumn<QList<SnapElement>>("elements"); // of the first form
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("index");
    const QString save = "Denetim Bilgisini Kaydet";
    using L = QList<SnapElement>;
    QTest::newRow("found") << L{Input("x", "hidden"), Input(save, "submit")} << "buton" << 1;
    QTest::newRow("first of two") << L{Input(save, "submit"), Input(save, "submit")} << "buton"
                                  << 0;
    QTest::newRow("first match disabled")
        << L{Input(save, "submit", true), Input(save, "submit")} << "buton" << -1;
    QTest::newRow("type must match") << L{Input(save, "button")} << "buton" << -1;
    QTest::newRow("value exact") << L{Input(save + " ", "submit")} << "buton" << -1;
    QTest::newRow("unknown kind") << L{Input(save, "submit")} << "tus" << -1;
    QTest::newRow("no form") << L{} << "buton" << -1;
}

void tst_pagerules::buttonSearch()
{
    QFETCH(QList<SnapElement>, elements);
    QFETCH(QString, kind);
    QFETCH(int, index);
    const QString save = "Denetim Bilgisini Kaydet";
    PageSnapshot page;
    if (!elements.isEmpty())
        page.forms << SnapForm{{}, {}, {}, elements} << SnapForm{{}, {}, {}, {Input(save, "x")}};
    QCOMPARE(butonu_bul(page, save, "submit", kind), index);

    // Images: alternative text and address both match; the first one wins.
    const QString src = "http://yds.test/yds/common/images/goster.gif";
    page.images = {{"http://yds.test/x.gif", "Göster"}, {src, "Göster"}, {src, "Göster"}};
    QCOMPARE(butonu_bul(page, "Göster", src, "resim"), 1);
    QCOMPARE(butonu_bul(page, "Sil", src, "resim"), -1);
}

void tst_pagerules::siteNumberAndSearchResult()
{
    QCOMPARE(YibfFromRecordText(" 12 345 67 / Ankara / Çankaya"), QStringLiteral("1234567"));
    QCOMPARE(YibfFromRecordText("1234567 "), QStringLiteral("1234567"));
    QCOMPARE(EvaluateSearch(0), SearchResult::NotFound);
    QCOMPARE(EvaluateSearch(1), SearchResult::One);
    QCOMPARE(EvaluateSearch(3), SearchResult::Several);
}

void tst_pagerules::dateTest_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QString>("ada");
    QTest::addColumn<int>("result");
    const Strings header{"Tarih", "Oran"};
    const auto list = [&](const QString &date) { return Rows{header, {"01.01.2020"}, {date}}; };
    // Today is 7.3.2026.
    QTest::newRow("sent today") << 1 << list("07.03.2026") << "12" << 10;
    QTest::newRow("single digits, with a time") << 1 << list("7.3.2026 14:02") << "12" << 10;
    QTest::newRow("dated yesterday") << 1 << list("06.03.2026") << "12" << -10;
    QTest::newRow("dated tomorrow") << 1 << list("08.03.2026") << "12" << -10;
    QTest::newRow("unreadable is not arrived") << 1 << list("bugün") << "12" << -10;
    QTest::newRow("six days old") << 0 << list("01.03.2026") << "12" << -1;
    QTest::newRow("seven days old, across February") << 0 << list("28.02.2026") << "12" << 1;
    QTest::newRow("unreadable does not hold back") << 0 << list("--") << "12" << 1;
    QTest::newRow("no ada") << 1 << list("07.03.2026") << "" << 1;
    QTest::newRow("header only") << 1 << Rows{header} << "12" << 1;
    QTest::newRow("no list") << 0 << Rows{} << "12" << 1;
    QTest::newRow("header last") << 0 << Rows{{"01.03.2026"}, header} << "12" << -1;
    QTest::newRow("last row decides, not the newest")
        << 1 << Rows{header, {"07.03.2026"}, {"01.01.2026"}} << "12" << -10;
}

void tst_pagerules::dateTest()
{
    QFETCH(int, mode);
    QFETCH(Rows, rows);
    QFETCH(QString, ada);
    QFETCH(int, result);
    QCOMPARE(rapor_sirasi(mode, rows, ada, QDate(2026, 3, 7)), result);
}

void tst_pagerules::previousPercentage_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<float>("value");
    QTest::newRow("point") << Rows{{"a", "10"}, {"b", "45.5"}} << 45.5f;
    QTest::newRow("comma") << Rows{{"b", "45,5"}} << 45.5f;
    QTest::newRow("last row counts") << Rows{{"a", "90"}, {"b", "30"}} << 30.0f;
    QTest::newRow("empty cell") << Rows{{"b", ""}} << 0.0f;
    QTest::newRow("one column") << Rows{{"b"}} << 0.0f;
    QTest::newRow("no rows") << Rows{} << 0.0f;
    QTest::newRow("not a number") << Rows{{"b", "yok"}} << 0.0f;
}

void tst_pagerules::previousPercentage()
{
    QFETCH(Rows, rows);
    QFETCH(float, value);
    QCOMPARE(PreviousPercentage(rows), double(value));
}

void tst_pagerules::levelsAndRejection_data()
{
    QTest::addColumn<Strings>("levels");
    QTest::addColumn<Strings>("sent");
    QTest::addColumn<QString>("previous"); // as the inspection list shows it
    QTest::addColumn<QString>("shown");    // the previous percentage in the rejection, "" none
    QTest::newRow("commas become points")
        << Strings{"10,5", "20", "0", "5"} << Strings{"10.5", "20", "0", "5"} << "35"
        << "";
    QTest::newRow("empty level left out") << Strings{"", "20", "", "5"} << Strings{"20", "5"} << ""
                                          << "";
    QTest::newRow("equal total passes")
        << Strings{"30,1", "30", "", ""} << Strings{"30.1", "30"} << "60,1"
        << "";
    QTest::newRow("lower total rejected")
        << Strings{"10", "20", "", ""} << Strings{"10", "20"} << "45,7"
        << "45,7";
    QTest::newRow("non-numeric level counts 0")
        << Strings{"yok", "20", "", ""} << Strings{"yok", "20"} << "20.5"
        << "20,5";
}

void tst_pagerules::levelsAndRejection()
{
    QFETCH(Strings, levels);
    QFETCH(Strings, sent);
    QFETCH(QString, previous);
    QFETCH(QString, shown);
    PendingRecord r;
    std::copy(levels.begin(), levels.end(), r.levels.begin());
    const QList<QPair<QString, QString>> fields = LevelFields(r);
    Strings values;
    for (const auto &f : fields)
        values << f.second;
    QCOMPARE(values, sent);
    QCOMPARE(fields.constFirst().first, levels[0].isEmpty() ? QString("oyds_form:seviye_tasiyici")
                                                            : QString("oyds_form:seviye_subasman"));
    const auto rejection =
        PercentageRejection(PreviousPercentage(Rows{{"", previous}}), LevelTotal(r));
    QCOMPARE(rejection.value_or(""),
             shown.isEmpty()
                 ? QString()
                 : QString("Gerçekleşme Oranı bir önceki Denetim bilgisinin Gerçekleşme "
                           "Oranını Geçmedi...\rBir önceki Denetim Bilgisi Gerçekleşme "
                           "Oranı : ") +
                       shown);
}

void tst_pagerules::senderFieldsSkipEmptyColumns()
{
    PendingRecord r;
    r.sender = "Hasan Demir";
    r.developments = "Çatı tamamlandı";
    const QList<QPair<QString, QString>> expected{
        {"oyds_form:Tespiti_Yapan", "Hasan Demir"},
        {"oyds_form:Yapıdaki_Gelişmeler", "Çatı tamamlandı"}};
    QCOMPARE(SenderFields(r), expected);
    QCOMPARE(FormatPercentage(double(float(33.3))), QStringLiteral("33,3"));
}

void tst_pagerules::outage_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("document");
    QTest::addColumn<bool>("outage");
    QTest::newRow("upper-case ASCII") << "<body>YDS KULLANIM DISIDIR</body>"
                                      << "" << true;
    QTest::newRow("Turkish capitals in the document")
        << "<body>x</body>"
        << "<body>SİSTEM KULLANIM DIŞIDIR</body>" << true;
    QTest::newRow("server not found") << "<body>Sunucu bulunamıyor</body>"
                                      << "" << true;
    QTest::newRow("navigation canceled") << "<body>Navigation Canceled</body>"
                                         << "" << true;
    QTest::newRow("gezinme iptal") << ""
                                   << "<p>gezinme iptal edildi</p>" << true;
    QTest::newRow("cannot display") << ""
                                    << "The page cannot display" << true;
    QTest::newRow("ordinary front page")
        << "<body><h1>Yapı Denetim Sistemi</h1><a href='/yds'>Giriş</a></body>"
        << "<body><h1>Yapı Denetim Sistemi</h1></body>" << false;
}

void tst_pagerules::outage()
{
    QFETCH(QString, body);
    QFETCH(QString, document);
    QFETCH(bool, outage);
    QCOMPARE(FrontPageShowsOutage(body, document), outage);
}

void tst_pagerules::loginMessageCapture_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("message"); // "-": none
    const QString img = "<img src=\"/yds/images/sifreunuttum.gif\">";
    QTest::newRow("upper-case tags")
        << img + "<DIV><TABLE><TR><TD>Güvenlik kodu hatalı.</TD></TR></TABLE></DIV>"
        << "Güvenlik kodu hatalı.";
    QTest::newRow("raw HTML kept") << img + "<div><td> <b>Şifre</b> &amp; kod </td></div>"
                                   << " <b>Şifre</b> &amp; kod ";
    QTest::newRow("no cell in the block") << img + "<div><p>yok</p></div><td>dışarıda</td>"
                                          << "-";
    QTest::newRow("no block") << img + "<p>hiç</p>"
                              << "-";
    QTest::newRow("cell before the image ignored")
        << "<div><td>önceki</td></div>" + img + "<div><td>sonraki</td></div>"
        << "sonraki";
    QTest::newRow("image name is case-sensitive")
        << "<div><td>önceki</td></div><img src=SIFREUNUTTUM.GIF><div><td>x</td></div>"
        << "önceki";
}

void tst_pagerules::loginMessageCapture()
{
    QFETCH(QString, html);
    QFETCH(QString, message);
    QCOMPARE(CaptureLoginMessage(html).value_or("-"), message);
}

void tst_pagerules::turkishInsensitiveSearch_data()
{
    QTest::addColumn<QString>("haystack");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<int>("index");
    QTest::newRow("dotless and dotted i alike") << "xx KULLANIM DIŞIDIR"
                                                << "kullanım dışıdır" << 3;
    QTest::newRow("I and ı alike") << "x ILIK"
                                   << "ılık" << 2;
    QTest::newRow("other letters exact") << "Sunucu bulunamıyor"
                                         << "sunucu bulunamiyor" << 0;
    QTest::newRow("ş is not s") << "DIŞIDIR"
                                << "disidir" << -1;
}

void tst_pagerules::turkishInsensitiveSearch()
{
    QFETCH(QString, haystack);
    QFETCH(QString, needle);
    QFETCH(int, index);
    QCOMPARE(IndexOfTextCompare(haystack, needle), qsizetype(index));
}

void tst_pagerules::typedCharacterCase_data()
{
    QTest::addColumn<QChar>("typed");
    QTest::addColumn<bool>("upper");
    QTest::addColumn<QChar>("result");
    QTest::newRow("a up") << QChar(u'a') << true << QChar(u'A');
    QTest::newRow("z up") << QChar(u'z') << true << QChar(u'Z');
    QTest::newRow("i up is ASCII I") << QChar(u'i') << true << QChar(u'I');
    QTest::newRow("dotless ı up is I") << QChar(u'ı') << true << QChar(u'I');
    QTest::newRow("ş stays") << QChar(u'ş') << true << QChar(u'ş');
    QTest::newRow("digit stays") << QChar(u'9') << true << QChar(u'9');
    QTest::newRow("outside the code page") << QChar(u'€') << true << QChar(u'€');
    QTest::newRow("I down is ASCII i") << QChar(u'I') << false << QChar(u'i');
    QTest::newRow("Z down") << QChar(u'Z') << false << QChar(u'z');
    QTest::newRow("ı down stays") << QChar(u'ı') << false << QChar(u'ı');
    QTest::newRow("İ down stays") << QChar(u'İ') << false << QChar(u'İ');
}

void tst_pagerules::typedCharacterCase()
{
    QFETCH(QChar, typed);
    QFETCH(bool, upper);
    QFETCH(QChar, result);
    QCOMPARE(FoldTypedCharacter(typed, upper), result);
    const auto code = [](QChar c) { return qint16(c.unicode() == u'ı' ? 253 : c.unicode()); };
    if (typed.unicode() < 128 || typed == QChar(u'ı'))
        QCOMPARE(TextChangeCase(code(typed), upper), code(result));
}

void tst_pagerules::addressesAndRefusedJump_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("refused");
    const QString login = "http://127.0.0.1:8080/yds/rol/ziyaretci/LA_G_Z_K.jsf";
    const QString front = "http://127.0.0.1:8081/";
    QTest::newRow("login to front") << login << front << true;
    QTest::newRow("login to front without slash") << login << front.chopped(1) << false;
    QTest::newRow("login with session to front") << login + ";jsessionid=1" << front << false;
    QTest::newRow("login in other case to front") << login.toLower() << front << false;
    QTest::newRow("login to main") << login << PortalAppUrl("/yds/rol/ydk/main.jsf") << false;
    QTest::newRow("other page to front") << PortalAppUrl("/yds/x.jsf") << front << false;
}

void tst_pagerules::addressesAndRefusedJump()
{
    QFETCH(QString, current);
    QFETCH(QString, target);
    QFETCH(bool, refused);
    QCOMPARE(RefuseNavigation(current, target), refused);
    QCOMPARE(CaptchaUrl(), QStringLiteral("http://127.0.0.1:8080/yds/jcaptcha"));
    QVERIFY(IsFrontPage("http://127.0.0.1:8081") && IsFrontPage(FrontPageUrl()));
    QVERIFY(!IsFrontPage("http://127.0.0.1:8081/x"));
}

void tst_pagerules::snapshotParsing()
{
    const PageSnapshot s = ParseSnapshot(QStringLiteral(R"({
        "url": "http://p/x", "title": "Başlık", "bodyText": "Ekran Kodu : DYDYL",
        "firstDivId": "menu1", "images": [{"src": "http://p/g.gif", "alt": "Göster"}],
        "forms": [{"id": "oyds_form", "elements": [{"type": "submit", "value": "Kaydet",
                   "disabled": true}]}],
        "tables": {"oyds_form:dataTable": [["Tarih", "Oran"], ["07.03.2026", "40"]]},
        "html": {"oyds_form:id": "1234567 / Ankara"},
        "elements": [{"id": "a", "name": "n", "value": "1"}, {"id": "a", "value": "2"},
                     {"name": "n", "value": "3"}, 7]})"));
    QVERIFY(s.valid);
    QCOMPARE(s.title, QStringLiteral("Başlık"));
    QCOMPARE(s.firstDivId, QStringLiteral("menu1"));
    QCOMPARE(s.images.at(0).alt, QStringLiteral("Göster"));
    QVERIFY(s.forms.at(0).elements.at(0).disabled);
    QCOMPARE(s.rowCount("oyds_form:dataTable"), 2);
    QCOMPARE(s.rowCount("yok"), 0);
    QCOMPARE(s.tables["oyds_form:dataTable"][1][1], QStringLiteral("40"));
    QCOMPARE(s.innerHtml["oyds_form:id"], QStringLiteral("1234567 / Ankara"));
    // The first element of an id or a name wins, as a lookup in the page would.
    QCOMPARE(s.element("a")->value, QStringLiteral("1"));
    QCOMPARE(s.element("n")->value, QStringLiteral("1"));
    QVERIFY(!s.element("yok"));
    for (const char *garbage : {"", "[1,2]", "{\"url\": ", "null", "<html>"})
        QVERIFY2(!ParseSnapshot(QString::fromUtf8(garbage)).valid, garbage);
    QVERIFY(ParseSnapshot("{\"forms\": 5, \"tables\": []}").valid);
}

QTEST_GUILESS_MAIN(tst_pagerules)
#include "tst_pagerules.moc"
