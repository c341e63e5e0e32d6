// The rules over the portal's pages: page codes, the dispatch, searches, dates, percentages, the
// portal's own messages, typed-character folding, addresses, the page snapshot and the outcome of
// a save judged from the change of the site's inspection list.
#include "core/addresses.h"
#include "core/pagerules.h"
#include "core/portalmessages.h"
#include "core/statustexts.h"
#include "core/textchangecase.h"
#include "platform/deployment.h"
#include "rows.h"

#include <QtTest>

using Strings = QStringList;
using Rows = QList<QStringList>;
Q_DECLARE_METATYPE(PageAction)

static SnapElement Input(const QString &value, const QString &type, bool disabled = false)
{
    return {{}, {}, "input", type, value, disabled, false};
}

// "0:35,-1:40": inspection rows (date, rate), the date in days from 7 March 2026, as listed.
static Rows ListRows(const QString &listed)
{
    Rows rows;
    for (const QString &row : listed.split(',', Qt::SkipEmptyParts)) {
        const QDate date = QDate(2026, 3, 7).addDays(row.section(':', 0, 0).toInt());
        rows.append({date.toString("dd.MM.yyyy"), row.section(':', 1), "Mehmet Öztürk"});
    }
    return rows;
}

class tst_pagerules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        auto d = platform::Deployment::builtIn();
        d.portalAppHost = "http://127.0.0.1:8080/";
        d.portalFrontHost = "http://127.0.0.1:8081";
        platform::Deployment::setCurrent(d);
    }

    void pageCodeAndPortalErrorText_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("code");    // after "Ekran Kodu"; "-": no label
        QTest::addColumn<QString>("message"); // after "errorText"; "-": none
        Row("code after text, CR LF", "Menü\nEkran Kodu : DYDYL\r\nAlt", "DYDYL", "-");
        Row("seven characters after the blank", "Ekran Kodu : ABCDEFGHIJ", "ABCDEFG", "-");
        Row("break inside the code", "Ekran Kodu : DY\nDYI", "DYDYI", "-");
        Row("first label counts", "Ekran Kodu : null\r\n\r\nEkran Kodu : YHHYR", "null", "-");
        Row("no blank before the code", "Ekran Kodu :DYDYL", "DYDYL", "-");
        Row("label is case-sensitive", "EKRAN KODU : DYDYL", "-", "-");
        Row("first errorText only", "<p id=errorText>A</p><p class=errorText>B", "-", "A");
        Row("errorText without a closing tag", "<b errorText>mesaj", "-", "");
    }
    void pageCodeAndPortalErrorText()
    {
        QFETCH(QString, page);
        QFETCH(QString, code);
        QFETCH(QString, message);
        QCOMPARE(ReadScreenCode(page).value_or("-"), code);
        QCOMPARE(ErrorTextMessage(page).value_or("-"), message);
    }

    void pageDispatch_data()
    {
        QTest::addColumn<QString>("codes"); // current|previous|search state|title
        QTest::addColumn<PageAction>("action");
        using A = PageAction;
        Row("error page", "ERROR|DYDYI|ariyor|", A::ShowErrorPage);
        Row("message page", "LSMOI|||", A::Nothing);
        Row("main, nothing started", "MAIN_Y|||", A::StartRow);
        Row("main, number set", "MAIN_Y||yibf_degisti|", A::RequestSearchPage);
        Row("main, searching", "MAIN_Y|YHHYL|ariyor|", A::Nothing);
        Row("search page, tikla2", "YHHYL|MAIN_Y|tikla2|", A::SubmitSearch);
        Row("search result", "YHHYL|MAIN_Y|ariyor|", A::EvaluateSearch);
        Row("search page, no search", "YHHYL|MAIN_Y||", A::Nothing);
        Row("site page", "YHHYR|YHHYL|ariyor|", A::CheckSiteRecord);
        Row("list straight after a save", "DYDYL|||", A::DecideOutcome);
        Row("list from the site", "DYDYL|YHHYR||", A::SevenDayThenNewRecord);
        Row("list from elsewhere", "DYDYL|null||", A::SevenDayThenUntick);
        Row("form from the list", "DYDYI|DYDYL||", A::FillForm);
        Row("form from elsewhere", "DYDYI|YHHYR||", A::UntickDeclaration);
        Row("confirmation", "|DYDYI||Yeni Denetim Bilgisi Kaydetme Kararı", A::ShowConfirmation);
        Row("confirmation coded null", "null|DYDYI||Yeni Denetim Bilgisi Kaydetme Kararı",
            A::ShowConfirmation);
        Row("no code, another title", "|DYDYI||Başka", A::Nothing);
        Row("confirmation from elsewhere", "null|MAIN_Y||Yeni Denetim Bilgisi Kaydetme Kararı",
            A::UntickDeclaration);
        Row("codes are case-sensitive", "main_y|||", A::UnknownCode);
        Row("NULL is not null", "NULL|DYDYI||Yeni Denetim Bilgisi Kaydetme Kararı", A::UnknownCode);
    }
    void pageDispatch()
    {
        QFETCH(QString, codes);
        QFETCH(PageAction, action);
        const QStringList c = codes.split('|');
        const PageDecision d = DispatchPage(c[0], c[1], c[2], c[3]);
        QCOMPARE(d.action, action);
        QCOMPARE(d.mainPage, c[0] == "MAIN_Y"); // ada_web cleared and step "f3" first
    }

    void reloadSiteNumberAndSearchCount()
    {
        CodeBook book; // a reload keeps the page before it
        QVERIFY(book.read("YHHYR") && book.read("DYDYL") && !book.read("DYDYL"));
        QCOMPARE(book.previous, QStringLiteral("YHHYR"));
        QVERIFY(!ErrorTextApplies("YHHYR") && ErrorTextApplies("yhhyr"));
        QCOMPARE(YibfFromRecordText(" 12 345 67 / Ankara / Çankaya"), QStringLiteral("1234567"));
        QCOMPARE(YibfFromRecordText("1234567 "), QStringLiteral("1234567"));
        QCOMPARE(EvaluateSearch(0), SearchResult::NotFound);
        QCOMPARE(EvaluateSearch(1), SearchResult::One);
        QCOMPARE(EvaluateSearch(3), SearchResult::Several);
    }

    void buttonAndImageLookup()
    {
        const QString save = "Denetim Bilgisini Kaydet";
        const auto find = [&](const QList<SnapElement> &elements, const QString &kind = "buton") {
            PageSnapshot page; // only the first form counts
            page.forms << SnapForm{{}, {}, {}, elements}
                       << SnapForm{{}, {}, {}, {Input(save, "submit")}};
            return butonu_bul(page, save, "submit", kind);
        };
        QCOMPARE(find({Input("x", "hidden"), Input(save, "submit"), Input(save, "submit")}), 1);
        QCOMPARE(find({Input(save, "submit", true), Input(save, "submit")}), -1); // first disabled
        QCOMPARE(find({Input(save, "button")}), -1);
        QCOMPARE(find({Input(save + " ", "submit")}), -1);
        QCOMPARE(find({Input(save, "submit")}, "tus"), -1);
        // Images: alternative text and address both match; the first one wins.
        const QString src = "http://yds.test/yds/common/images/goster.gif";
        PageSnapshot page;
        page.images = {{"http://yds.test/x.gif", "Göster"}, {src, "Göster"}, {src, "Göster"}};
        QCOMPARE(butonu_bul(page, "Göster", src, "resim"), 1);
        QCOMPARE(butonu_bul(page, "Sil", src, "resim"), -1);
    }

    void lastInspectionDate_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QString>("ada");
        QTest::addColumn<int>("result");
        const Strings header{"Tarih", "Oran"};
        const auto list = [&](const QString &date) { return Rows{header, {"01.01.2020"}, {date}}; };
        // Today is 7.3.2026.
        Row("sent today, with a time", 1, list("7.3.2026 14:02"), "12", 10);
        Row("dated yesterday", 1, list("06.03.2026"), "12", -10);
        Row("dated tomorrow", 1, list("08.03.2026"), "12", -10);
        Row("unreadable date: not arrived", 1, list("bugün"), "12", -10);
        Row("six days old", 0, list("01.03.2026"), "12", -1);
        Row("seven days old, across February", 0, list("28.02.2026"), "12", 1);
        Row("unreadable date: not held back", 0, list("--"), "12", 1);
        Row("no ada", 1, list("07.03.2026"), "", 1);
        Row("header only", 1, Rows{header}, "12", 1);
        Row("header last", 0, Rows{{"01.03.2026"}, header}, "12", -1);
        Row("last row decides, not the newest", 1, Rows{header, {"07.03.2026"}, {"1.1.2026"}}, "12",
            -10);
    }
    void lastInspectionDate()
    {
        QFETCH(int, mode);
        QFETCH(Rows, rows);
        QFETCH(QString, ada);
        QFETCH(int, result);
        QCOMPARE(ListDateTest(mode, rows, ada, QDate(2026, 3, 7)), result);
    }

    void levelsAndPreviousPercentage_data()
    {
        QTest::addColumn<Strings>("levels");
        QTest::addColumn<Strings>("sent");
        QTest::addColumn<Rows>("list");     // the inspection list's body
        QTest::addColumn<QString>("shown"); // the previous percentage in the rejection, "" none
        Row("commas become points", Strings{"10,5", "20", "0", "5"},
            Strings{"10.5", "20", "0", "5"}, Rows{{"a", "90"}, {"b", "35"}}, "");
        Row("empty level left out", Strings{"", "20", "", "5"}, Strings{"20", "5"}, Rows{}, "");
        Row("equal total passes, in single precision", Strings{"0,1", "0,2", "", ""},
            Strings{"0.1", "0.2"}, Rows{{"b", "0,3"}}, "");
        Row("lower total rejected", Strings{"10", "20", "", ""}, Strings{"10", "20"},
            Rows{{"b", "45.7"}}, "45,7");
        Row("non-numeric level counts 0", Strings{"yok", "20", "", ""}, Strings{"yok", "20"},
            Rows{{"b", "20,5"}}, "20,5");
        Row("unreadable previous counts 0", Strings{"", "", "", ""}, Strings{},
            Rows{{"b", "yok"}, {"c"}}, "");
        // A reader's numbers that are no percentage: NaN would pass every comparison after it.
        Row("nan, inf and exponents are not numbers", Strings{"nan", "inf", "1e40", "20"},
            Strings{"nan", "inf", "1e40", "20"}, Rows{{"b", "25"}}, "25");
        Row("a previous nan is not a number", Strings{"10", "", "", ""}, Strings{"10"},
            Rows{{"b", "nan"}}, "");
    }
    void levelsAndPreviousPercentage()
    {
        QFETCH(Strings, levels);
        QFETCH(Strings, sent);
        QFETCH(Rows, list);
        QFETCH(QString, shown);
        PendingRecord r;
        std::copy(levels.begin(), levels.end(), r.levels.begin());
        Strings values;
        for (const auto &f : LevelFields(r))
            values << f.second;
        QCOMPARE(values, sent);
        const auto rejection = PercentageRejection(PreviousPercentage(list), LevelTotal(r));
        const QString text = "Gerçekleşme Oranı bir önceki Denetim bilgisinin Gerçekleşme Oranını "
                             "Geçmedi...\rBir önceki Denetim Bilgisi Gerçekleşme Oranı : ";
        QCOMPARE(rejection.value_or(""), shown.isEmpty() ? QString() : text + shown);
    }

    void frontPageOutage_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("head");
        QTest::addColumn<bool>("outage");
        Row("upper-case ASCII", "<body>YDS KULLANIM DISIDIR</body>", "", true);
        Row("Turkish capitals in the body", "<body><b>KULLANIM DIŞIDIR</b></body>", "<head></head>",
            true);
        Row("server not found", "<body>Sunucu bulunamıyor</body>", "", true);
        Row("navigation cancelled, in the title", "<body>x</body>",
            "<head><title>gezinme iptal edildi</title></head>", true);
        Row("only the i letters fold alike", "", "<head><title>KULLANIM DISIDIR</title></head>",
            false);
        Row("ordinary front page", "<body>Yapı Denetim Sistemi</body>",
            "<head><title>Giriş</title></head>", false);
    }
    void frontPageOutage()
    {
        QFETCH(QString, body);
        QFETCH(QString, head);
        QFETCH(bool, outage);
        QCOMPARE(FrontPageShowsOutage(body, head), outage);
    }

    void loginMessageCapture_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("message"); // "-": none
        const QString img = "<img src=\"/yds/images/sifreunuttum.gif\">";
        Row("upper-case tags, raw HTML kept",
            img + "<DIV><TABLE><TR><TD> <b>Kod</b> &amp; şifre "
                  "</TD></TR></TABLE></DIV>",
            " <b>Kod</b> &amp; şifre ");
        Row("no cell in the block", img + "<div><p>yok</p></div><td>dışarıda</td>", "-");
        Row("no block", img + "<p>hiç</p>", "-");
        Row("cell before the image ignored",
            "<div><td>önceki</td></div>" + img + "<div><td>sonraki</td></div>", "sonraki");
        Row("image name is case-sensitive",
            "<div><td>önceki</td></div><img src=SIFREUNUTTUM.GIF><div><td>x</td></div>", "önceki");
    }
    void loginMessageCapture()
    {
        QFETCH(QString, html);
        QFETCH(QString, message);
        QCOMPARE(CaptureLoginMessage(html).value_or("-"), message);
    }

    void typedCharacterCase()
    {
        const auto fold = [](QString text, bool upper) {
            for (QChar &c : text)
                c = FoldTypedCharacter(c, upper);
            return text;
        };
        // Up: "a"-"z" and the dotless "ı" (to ASCII "I"); down: "A"-"Z" only. The rest stays.
        QCOMPARE(fold("azi ıİ şğ 9€", true), QStringLiteral("AZI Iİ şğ 9€"));
        QCOMPARE(fold("AZI ıİ ŞĞ 9€", false), QStringLiteral("azi ıİ ŞĞ 9€"));
    }

    void addressesAndRefusedJump()
    {
        const QString login = "http://127.0.0.1:8080/yds/rol/ziyaretci/LA_G_Z_K.jsf";
        const QString front = "http://127.0.0.1:8081/";
        QCOMPARE(LoginPageUrl() + FrontPageUrl(), login + front); // one "/" between host and path
        QVERIFY(RefuseNavigation(login, front));
        QVERIFY(!RefuseNavigation(login, front.chopped(1)));
        QVERIFY(!RefuseNavigation(login + ";jsessionid=1", front)); // exactly the login page
        QVERIFY(!RefuseNavigation(login.toLower(), front));
        QVERIFY(!RefuseNavigation(PortalAppUrl("/yds/x.jsf"), front));
        QVERIFY(IsFrontPage(front.chopped(1)) && !IsFrontPage(front + "x"));
    }

    // Garbage and a real page are read in the browser layer's tests; here what a lookup finds.
    void snapshotLookups()
    {
        const PageSnapshot s = ParseSnapshot(
            QString("{'elements': [{'id': 'a', 'name': 'n', 'value': '1'}, {'id': 'a', 'value': "
                    "'2'}, {'name': 'n', 'value': '3'}, 7], 'images': 5, 'tables': {'t': [[]]}}")
                .replace('\'', '"'));
        QVERIFY(s.valid && s.images.isEmpty() && s.rowCount("t") == 1 && !s.element("yok"));
        // The first element of an id or a name wins, as a lookup in the page would.
        QCOMPARE(s.element("a")->value + s.element("n")->value, QStringLiteral("11"));
    }
    void saveFromListChange_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("guard"); // the list before trips the same-day guard
        const QString sent = SubmitText::Sent(), notSent = SubmitText::NotSent();
        Row("new row last, dated today", "-30:15", "-30:15,0:35", sent, false);
        Row("new row first (newest first)", "-30:15,-60:10", "0:35,-30:15,-60:10", sent, false);
        Row("first record of the site", "", "0:35", sent, false);
        Row("same date and rate as a row of today", "0:35", "0:35,0:35", sent, true);
        Row("oldest row paged out, new row in", "-60:10,-30:15", "-30:15,0:35", sent, false);
        Row("one new row of today among others", "-30:15", "-2:20,0:35,-1:30", sent, false);
        // A row of today that was there before is no proof: the last-row test took it for one.
        Row("save lost, a row of today already there", "-30:15,0:15", "-30:15,0:15", notSent, true);
        Row("save lost", "-30:15", "-30:15", notSent, false);
        Row("no list after the save", "-30:15", "", notSent, false);
        Row("dated yesterday by the portal's clock", "-30:15", "-30:15,-1:35",
            SubmitText::SavedOtherDay("06.03.2026"), false);
    }
    void saveFromListChange()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, status);
        QFETCH(bool, guard);
        const QDate today(2026, 3, 7);
        const SubmissionOutcome o =
            SaveOutcome(SaveFromListChange(ListRows(before), ListRows(after), today));
        QCOMPARE(o.status.value_or(QString()), status);
        // Whatever the portal holds leaves the queue ("2"); only the sent one is marked done.
        QCOMPARE(o.stored, status == SubmitText::NotSent() ? Outcome::NotSent : Outcome::Sent);
        QCOMPARE(o.mark, status == SubmitText::Sent() ? RowMark::Done : RowMark::Problem);
        QCOMPARE(HasRowDatedToday(ListRows(before), today), guard);
    }
};

QTEST_GUILESS_MAIN(tst_pagerules)
#include "tst_pagerules.moc"
