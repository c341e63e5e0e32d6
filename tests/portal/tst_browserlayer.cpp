// The browser layer in the real engine (offscreen), where the end-to-end walk cannot show it:
// what a snapshot reads, each document read once, actions on missing elements, a file given (and
// the form pressed on once), silent dialogs, scripts on a page that is gone. Ticks, image clicks
// and pop-ups run in every end-to-end submission.
#include "core/pagesnapshot.h"
#include "portal/pageactions.h"
#include "portal/pagescript.h"
#include "portal/portalpage.h"
#include "portal/portalprofile.h"

#include <QTemporaryDir>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QtTest>

using BatchStep = std::function<void(PageActions::Batch &, PageActions::Done)>;
Q_DECLARE_METATYPE(BatchStep)

class tst_browserlayer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void profileKeepsNoCache();
    void snapshotReadsThePage();
    void eachDocumentReadOnce_data();
    void eachDocumentReadOnce();
    void setValueAndMissingElements();
    void batchActsAroundAMissingElement_data();
    void batchActsAroundAMissingElement();
    void attachFile_data();
    void attachFile();
    void scriptDialogsNeverBlock();
    void scriptOnAGonePageAnswersNothing();
    void showOnLoadStart_data();
    void showOnLoadStart();

private:
    void load(PortalPage &page, const QString &html,
              const QUrl &base = QUrl(QStringLiteral("http://portal.test/yds/a.jsf")));
    PageSnapshot snapshot(PortalPage &page, const QStringList &ids = {},
                          FormsHtml formsHtml = FormsHtml::Read);
    bool act(const std::function<void(PageActions::Done)> &action);
};

static const char *kPage =
    R"HTML(<html><head><title>Yeni Denetim Bilgisi Kaydetme Kararı</title></head>
<body><div id="menu1">menü</div>
<form id="f0" name="f0"><input type="hidden" id="jscook_action" name="jscook_action" value=""></form>
<form id="oyds_form" name="oyds_form">
 <input type="text" id="oyds_form:dosya_no" name="oyds_form:dosya_no" value="">
 <input type="submit" value="Denetim Bilgisini Kaydet" id="kaydet" disabled>
 <input type="checkbox" id="oyds_form:cbx" onclick="document.getElementById('kaydet').disabled = !this.checked">
 <input type="hidden" id="oyds_form:_link_hidden_" name="oyds_form:_link_hidden_" value="x">
 <input type="file" id="oyds_form:dokuman" name="oyds_form:dokuman">
 <span id="oyds_form:id">1234567 / Ankara</span>
 <a href="#" onclick="document.getElementById('oyds_form:_link_hidden_').value='acildi'; return false;"><img alt="Göster" src="/yds/common/images/goster.gif"></a>
 <table id="oyds_form:dataTable"><thead><tr><th>Tarih</th><th>Oran</th></tr></thead>
 <tbody id="oyds_form:dataTable:tbody_element"><tr><td>01.12.2026</td><td>40</td></tr></tbody></table>
</form>Ekran Kodu : DYDYL
</body></html>)HTML";

void tst_browserlayer::load(PortalPage &page, const QString &html, const QUrl &base)
{
    QSignalSpy done(&page, &PortalPage::documentComplete);
    page.setHtml(html, base);
    QVERIFY(done.wait(15000));
}

PageSnapshot tst_browserlayer::snapshot(PortalPage &page, const QStringList &ids,
                                        FormsHtml formsHtml)
{
    PageSnapshot result;
    bool got = false;
    TakeSnapshot(&page, ids, formsHtml, [&](const PageSnapshot &s) {
        result = s;
        got = true;
    });
    if (!QTest::qWaitFor([&] { return got; }, 10000))
        qWarning("no snapshot");
    return result;
}

bool tst_browserlayer::act(const std::function<void(PageActions::Done)> &action)
{
    int found = -1;
    action([&](bool f) { found = f ? 1 : 0; });
    if (!QTest::qWaitFor([&] { return found >= 0; }, 10000))
        return false;
    return found == 1;
}

void tst_browserlayer::profileKeepsNoCache()
{
    QCOMPARE(PortalProfile()->httpCacheType(), QWebEngineProfile::NoCache);
    PortalPage a, b;
    QCOMPARE(a.profile(), b.profile());
}

void tst_browserlayer::snapshotReadsThePage()
{
    PortalPage page;
    load(page, QString::fromUtf8(kPage));
    const PageSnapshot s = snapshot(page, {"oyds_form:id"});
    QVERIFY(s.valid);
    QCOMPARE(s.title, QStringLiteral("Yeni Denetim Bilgisi Kaydetme Kararı"));
    QCOMPARE(s.url, QStringLiteral("http://portal.test/yds/a.jsf"));
    QVERIFY(s.bodyText.contains(QStringLiteral("Ekran Kodu : DYDYL")));
    QVERIFY(s.bodyOuterHtml.startsWith(QStringLiteral("<body>")));
    QVERIFY(s.headOuterHtml.startsWith(QStringLiteral("<head><title>Yeni Denetim")));
    QCOMPARE(s.forms.size(), 2);
    QCOMPARE(s.forms[1].id, QStringLiteral("oyds_form"));
    QVERIFY(s.forms[1].innerHtml.contains(QStringLiteral("goster.gif")));
    const PageSnapshot withoutFormsHtml = snapshot(page, {}, FormsHtml::Skip);
    QVERIFY(withoutFormsHtml.forms[1].innerHtml.isEmpty());
    QCOMPARE(withoutFormsHtml.forms[1].elements.size(), s.forms[1].elements.size());
    QCOMPARE(s.forms[0].elements.size(), 1);
    QCOMPARE(s.firstDivId, QStringLiteral("menu1"));
    QCOMPARE(s.images.size(), 1);
    QCOMPARE(s.images[0].src, QStringLiteral("http://portal.test/yds/common/images/goster.gif"));
    QCOMPARE(s.images[0].alt, QStringLiteral("Göster"));
    QCOMPARE(s.rowCount("oyds_form:dataTable"), 2);
    QCOMPARE(s.rowCount("oyds_form:dataTable:tbody_element"), 1);
    QCOMPARE(s.tables.value("oyds_form:dataTable").at(0).at(0), QStringLiteral("Tarih"));
    QCOMPARE(s.tables.value("oyds_form:dataTable").at(1).at(1), QStringLiteral("40"));
    QCOMPARE(s.innerHtml.value("oyds_form:id"), QStringLiteral("1234567 / Ankara"));
    QVERIFY(s.element("kaydet")->disabled);
    QCOMPARE(s.element("kaydet")->type, QStringLiteral("submit"));
    QCOMPARE(s.element("jscook_action")->type, QStringLiteral("hidden"));
}

void tst_browserlayer::eachDocumentReadOnce_data()
{
    QTest::addColumn<QStringList>("documents"); // HTML, or an address to load
    QTest::addColumn<QStringList>("read");      // what each document's read holds in its body
    QTest::newRow("one page") << QStringList{"<p>bir</p>"} << QStringList{"bir"};
    // The page's own load handler has run when it is read.
    QTest::newRow("changed by its own load handler")
        << QStringList{"<body onload=\"document.body.textContent='sonra'\">önce</body>"}
        << QStringList{"sonra"};
    // Each load reads its own document, never the one before.
    QTest::newRow("two pages in turn")
        << QStringList{"<p>bir</p>", "<p>iki</p>"} << QStringList{"bir", "iki"};
    // The engine's own error page runs none of our scripts: it is read after it completed.
    QTest::newRow("unreachable address")
        << QStringList{"http://127.0.0.1:9/yds/a.jsf"} << QStringList{QString()};
}

void tst_browserlayer::eachDocumentReadOnce()
{
    QFETCH(QStringList, documents);
    QFETCH(QStringList, read);
    PortalPage page;
    page.readEachDocument({});
    QList<PageSnapshot> reads;
    connect(&page, &PortalPage::documentRead, this, [&](const PageSnapshot &s) { reads << s; });
    for (const QString &d : documents) {
        const qsizetype before = reads.size();
        if (d.startsWith(QStringLiteral("http:")))
            page.load(QUrl(d));
        else
            page.setHtml(d, QUrl(QStringLiteral("http://portal.test/yds/a.jsf")));
        QTRY_COMPARE_WITH_TIMEOUT(reads.size(), before + 1, 15000);
    }
    QTest::qWait(300); // nothing read twice
    QCOMPARE(reads.size(), read.size());
    for (qsizetype i = 0; i < read.size(); ++i)
        QVERIFY2(reads[i].bodyText.contains(read[i]), qPrintable(reads[i].bodyText));
}

void tst_browserlayer::setValueAndMissingElements()
{
    PortalPage page;
    load(page, QString::fromUtf8(kPage));
    QVERIFY(act(
        [&](auto d) { PageActions::SetValue(&page, "oyds_form:dosya_no", "1234567 'x\"", d, 1); }));
    QVERIFY(
        act([&](auto d) { PageActions::SetValue(&page, "jscook_action", "m:A]MAIN_L", d, 0); }));
    QVERIFY(!act([&](auto d) { PageActions::SetValue(&page, "yok", "1", d); }));
    QVERIFY(!act([&](auto d) { PageActions::SetValue(&page, "oyds_form:dosya_no", "1", d, 0); }));
    QVERIFY(!act([&](auto d) { PageActions::ClickFormElement(&page, 7, 0, d); }));
    const PageSnapshot s = snapshot(page);
    QCOMPARE(s.element("oyds_form:dosya_no")->value, QStringLiteral("1234567 'x\""));
    QCOMPARE(s.forms[0].elements[0].value, QStringLiteral("m:A]MAIN_L"));
}

void tst_browserlayer::batchActsAroundAMissingElement_data()
{
    QTest::addColumn<BatchStep>("missing");
    QTest::newRow("id") << BatchStep([](auto &b, auto d) { b.SetValue("yok", "1", d); });
    QTest::newRow("other form") << BatchStep([](auto &b, auto d) { b.Click("kaydet", d, 0); });
    QTest::newRow("form element") << BatchStep(
        [](auto &b, auto d) { b.ClickFormElement(0, 4, d); });
    QTest::newRow("form") << BatchStep([](auto &b, auto d) { b.SubmitForm(5, d); });
    // The save stays disabled until the box is ticked later in the batch: it is not pressed.
    QTest::newRow("disabled button")
        << BatchStep([](auto &b, auto d) { b.ClickFormElement(1, 1, d); });
    QTest::newRow("box") << BatchStep(
        [](auto &b, auto d) { b.SetCheckedAndFireOnclick("yok", true, d); });
}

void tst_browserlayer::batchActsAroundAMissingElement()
{
    QFETCH(BatchStep, missing);
    PortalPage page;
    load(page, QString::fromUtf8(kPage));
    QList<int> each;
    QList<bool> found;
    PageActions::Batch b;
    b.SetValue(
        "oyds_form:dosya_no", "42", [&](bool f) { each << f; }, 1);
    missing(b, [&](bool f) { each << f; });
    b.SetCheckedAndFireOnclick("oyds_form:cbx", true, [&](bool f) { each << f; });
    b.Run(&page, [&](const QList<bool> &f) { found = f; });
    QTRY_COMPARE_WITH_TIMEOUT(found, QList<bool>({true, false, true}), 10000);
    QCOMPARE(each, QList<int>({1, 0, 1}));
    const PageSnapshot s = snapshot(page);
    QCOMPARE(s.element("oyds_form:dosya_no")->value, QStringLiteral("42"));
    QVERIFY(!s.element("kaydet")->disabled);
}

void tst_browserlayer::attachFile_data()
{
    QTest::addColumn<bool>("inView");
    QTest::addColumn<bool>("pageEmptiesIt");
    QTest::addColumn<bool>("held");
    QTest::newRow("bytes, no view") << false << false << true;
    QTest::newRow("bytes, emptied by the page") << false << true << false;
    QTest::newRow("the page's chooser, in a view") << true << false << true;
}

// The input gets the file, and the button named to follow is pressed by the page exactly once
// however many looks see the file (the change event's and the one after the chooser) — and never
// when the page's own handler emptied the input.
void tst_browserlayer::attachFile()
{
    QFETCH(bool, inView);
    QFETCH(bool, pageEmptiesIt);
    QFETCH(bool, held);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("1234567.jpg"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(5000, '\xFF'));
    f.close();
    PortalPage page;
    QWebEngineView view;
    if (inView) {
        view.setPage(&page);
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
    }
    load(page, QStringLiteral("<form><input type=file id=dokuman%1>"
                              "<input type=button id=devam data-n=0 "
                              "onclick='this.dataset.n = +this.dataset.n + 1'></form>")
                   .arg(pageEmptiesIt ? QStringLiteral(" onchange=\"this.value=''\"") : QString()));
    QCOMPARE(act([&](auto d) {
                 PageActions::AttachFile(&page, inView ? &view : nullptr, "dokuman", path, "devam",
                                         d);
             }),
             held);
    const auto read = [&](const QString &script) {
        QVariant v;
        RunPageScript(&page, script, [&](bool, const QVariant &answer) { v = answer; });
        if (!QTest::qWaitFor([&] { return v.isValid(); }, 5000))
            qWarning("no answer: %s", qPrintable(script));
        return v;
    };
    // The change event's own look runs a task after the event: the page is given a moment more.
    QTest::qWait(200);
    QCOMPARE(read(QStringLiteral("document.getElementById('devam').dataset.n")).toString(),
             QString::number(held ? 1 : 0));
    if (held)
        QCOMPARE(read(QStringLiteral("document.getElementById('dokuman').files[0].size")).toInt(),
                 5000);
    QVERIFY(!act([&](auto d) {
        PageActions::AttachFile(&page, nullptr, "dokuman", dir.filePath("yok.jpg"), {}, d);
    }));
}

void tst_browserlayer::scriptDialogsNeverBlock()
{
    PortalPage page;
    load(page, QStringLiteral("<script>alert('a'); var c = confirm('b'); var p = prompt('c', "
                              "'d'); document.title = c + ':' + p;</script>"));
    QTRY_COMPARE_WITH_TIMEOUT(page.title(), QStringLiteral("true:d"), 5000);
}

void tst_browserlayer::scriptOnAGonePageAnswersNothing()
{
    auto *page = new PortalPage;
    int answered = -1;
    RunPageScript(page, QStringLiteral("1+1"), [&](bool ok, const QVariant &) { answered = ok; });
    delete page;
    QTRY_COMPARE_WITH_TIMEOUT(answered, 0, 5000);
}

void tst_browserlayer::showOnLoadStart_data()
{
    QTest::addColumn<bool>("loadAtOnce");   // a load is asked for with the wait
    QTest::addColumn<bool>("hideThenLoad"); // once shown, the widget is hidden and a load starts
    QTest::newRow("shown as the load starts") << true << false;
    QTest::newRow("shown after a moment without a load") << false << false;
    // The wait is over once it has shown the widget, whichever way: nothing shows it again.
    QTest::newRow("after a load, a later load leaves it hidden") << true << true;
    QTest::newRow("after the moment, a later load leaves it hidden") << false << true;
}

void tst_browserlayer::showOnLoadStart()
{
    QFETCH(bool, loadAtOnce);
    QFETCH(bool, hideThenLoad);
    PortalPage page;
    QWidget widget;
    page.showOnLoadStart(&widget);
    bool visibleAtStart = false;
    connect(
        &page, &QWebEnginePage::loadStarted, this, [&] { visibleAtStart = widget.isVisible(); },
        Qt::SingleShotConnection);
    if (loadAtOnce) {
        load(page, QStringLiteral("<p>bir</p>"));
        QVERIFY(visibleAtStart);
    } else {
        QVERIFY(!widget.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(widget.isVisible(), 2000);
    }
    if (hideThenLoad) {
        widget.hide();
        load(page, QStringLiteral("<p>iki</p>"));
        QTest::qWait(300);
        QVERIFY(!widget.isVisible());
    }
}

QTEST_MAIN(tst_browserlayer)
#include "tst_browserlayer.moc"
