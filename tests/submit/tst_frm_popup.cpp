// The submission window with a fake main window: load and unload, the row start, the temporary
// copy, the hang countdown, and single page reactions in the real engine.
#include "fakemainwindow.h"

#include "platform/testing/testplatform.h"
#include "portal/addresses.h"
#include "portal/pagesnapshot.h"
#include "portal/portalpage.h"
#include "startup/connection.h"
#include "startup/database.h"
#include "startup/schema.h"
#include "submit/frm_popup.h"
#include "submit/statustexts.h"

#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QWebEngineView>
#include <QtTest>

class tst_frm_popup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void loadSequence();
    void mirrorsWriteBack();
    void cancelWritesTheCancellation();
    void closingAfterAnOutcomeWritesNothing();
    void startRow_data();
    void startRow();
    void copyReplacesAnEarlierFileAndUnloadEmptiesTheFolder();
    void copyFailures();
    void hangCountdown_data();
    void hangCountdown();
    void pageReactions_data();
    void pageReactions();
    void newInspectionForm_data();
    void newInspectionForm();
    void confirmation_data();
    void confirmation();
    void missingCopyEndsTheSend();
    void loadProgress();

private:
    frm_popup *open(int row);
    QString photo(const QString &name);
    void loadPage(const QString &html);
    // The codes a page arrives with: current (dispatched on an empty page) after a harmless one.
    void setCodes(frm_popup *w, const QString &current);
    // The title the page's own buttons write when the program presses them.
    QString pageTitle(frm_popup *w);
    QString tempFolder() const { return m_tp->native("c:\\tarvek2000word\\tarvek_temp"); }

    std::unique_ptr<platform::testing::TestPlatform> m_tp;
    std::unique_ptr<FakeMainWindow> m_main;
    std::unique_ptr<QTemporaryDir> m_store;
};

void tst_frm_popup::init()
{
    m_tp = std::make_unique<platform::testing::TestPlatform>();
    m_main = std::make_unique<FakeMainWindow>();
    SetMainWindowLink(m_main.get());
    Connection().WorkFolder = QStringLiteral("c:\\tarvek2000word\\");
    m_store = std::make_unique<QTemporaryDir>();
    QVERIFY(CreateSqliteStore(m_store->filePath("y3436.sqlite3"), "y3436"));
    Connection().ConnectionPrefix = BuildConnectionPrefix("sqlite:" + m_store->path());
    Connection().DatabaseSuffix.clear();
    QVERIFY(db::Exec(ConnectionString("y3436"),
                     "insert into yedek5 (sayı, ada, bak_durum, LocalImalatId) values (41, "
                     "'112', '1', null)"));
    const QString queued = QStringLiteral("Gönderim Sırasında");
    m_main->rows = {
        {"f41", {{1, "778899"}, {9, queued}, {10, photo("a.jpg")}}},
        {"f42", {{1, "0445566"}, {9, queued}, {10, ""}}},
    };
}

void tst_frm_popup::cleanup()
{
    if (frm_popup::exists())
        frm_popup::instance()->close();
    QTRY_VERIFY(!frm_popup::exists());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SetMainWindowLink(nullptr);
    db::CloseAll();
    m_store.reset();
    m_main.reset();
    m_tp.reset();
}

QString tst_frm_popup::photo(const QString &name)
{
    const QString folder = m_tp->native("c:\\foto");
    QDir().mkpath(folder);
    QFile f(folder + "/" + name);
    if (f.open(QIODevice::WriteOnly))
        f.write("JPEGDATA");
    return QStringLiteral("c:\\foto\\") + name;
}

frm_popup *tst_frm_popup::open(int row)
{
    m_main->selected = row;
    frm_popup *w = frm_popup::instance();
    w->sayi_index.setText(QString::number(row));
    m_main->log.clear();
    return w;
}

void tst_frm_popup::loadPage(const QString &html)
{
    frm_popup *w = frm_popup::instance();
    w->page1()->setHtml(html, QUrl(QStringLiteral("http://portal.test/yds/rol/ydk/main.jsf")));
}

void tst_frm_popup::loadSequence()
{
    m_main->checks = {7, 8};
    frm_popup *w = frm_popup::instance();
    QVERIFY(frm_popup::exists());
    QVERIFY(!w->isVisible());
    QCOMPARE(m_main->log, QStringList({"Timer1 stop", "yukleme=1", "popupx=1", "Command2 0"}));
    QVERIFY(w->Check6->isChecked());
    QVERIFY(w->Check7->isChecked());
    QVERIFY(w->Check8->isChecked());
    QCOMPARE(w->ListView1->columnCount(), 1);
    QCOMPARE(w->ListView1->headerItem()->text(0), QString("İşlem"));
    QCOMPARE(w->ListView1->topLevelItemCount(), 13);
    QCOMPARE(w->stepText("f11"), QString("Denetim Bilgisi Onaylanıyor..."));
    QVERIFY(!w->stepDone("f1"));
    QVERIFY(!w->Timer1->isActive() && !w->Timer3->isActive() && !w->Timer4->isActive());
    QCOMPARE(frm_popup::instance(), w);
}

void tst_frm_popup::mirrorsWriteBack()
{
    frm_popup *w = open(1);
    QVERIFY(!w->Check7->isChecked());
    w->Check7->click();
    QCOMPARE(w->Check6Tag, QString("1"));
    w->Check8->click();
    w->Check8->click();
    w->Check7->click();
    QCOMPARE(w->Check6Tag, QString("0"));
    QCOMPARE(m_main->log, QStringList({"check7 1", "check8 1", "check8 0", "check7 0"}));
}

void tst_frm_popup::cancelWritesTheCancellation()
{
    frm_popup *w = open(2);
    w->Command1->click();
    QVERIFY(!frm_popup::exists());
    QCOMPARE(m_main->log,
             QStringList({"Command2 1", "sub 2 9 Gönderim iptal edildi...", "icon 2 2",
                          "note 2 Gönderim iptal edildi...", "list 1", "popupx=", "yukleme="}));
}

void tst_frm_popup::closingAfterAnOutcomeWritesNothing()
{
    frm_popup *w = open(1);
    w->Label1->setText("xx");
    w->close();
    QVERIFY(!frm_popup::exists());
    QCOMPARE(m_main->log, QStringList({"Command2 1", "list 1", "popupx=", "yukleme="}));
}

void tst_frm_popup::startRow_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("icon");
    QTest::addColumn<bool>("check7");
    QTest::addColumn<bool>("stays"); // window still open: the search started
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("copy"); // file name in the temporary folder, or ""
    const QString queued = QStringLiteral("Gönderim Sırasında");
    QTest::newRow("queued with photo") << 1 << true << queued << 0 << false << true << ""
                                       << "778899.jpg";
    QTest::newRow("automatic confirmation") << 1 << true << queued << 0 << true << true << ""
                                            << "778899.jpg";
    QTest::newRow("no photo path") << 2 << true << queued << 0 << false << true << ""
                                   << "";
    QTest::newRow("already failed") << 1 << true << queued << 2 << false << false << ""
                                    << "";
    QTest::newRow("unticked") << 1 << false << queued << 0 << false << false
                              << SubmitText::SendingDone() << "";
    QTest::newRow("other status") << 1 << true << "Başarıyla Gönderildi..." << 0 << false << false
                                  << SubmitText::SendingDone() << "";
    QTest::newRow("row outside the list")
        << 7 << true << queued << 0 << false << false << SubmitText::SendingDone() << "";
}

void tst_frm_popup::startRow()
{
    QFETCH(int, row);
    QFETCH(bool, ticked);
    QFETCH(QString, status);
    QFETCH(int, icon);
    QFETCH(bool, check7);
    QFETCH(bool, stays);
    QFETCH(QString, message);
    QFETCH(QString, copy);
    if (FakeMainWindow::Row *r = m_main->at(row)) {
        r->ticked = ticked;
        r->sub[9] = status;
        r->icon = icon;
    }
    if (check7)
        m_main->checks.insert(7);
    frm_popup *w = open(row);
    w->StartRow();
    QCOMPARE(frm_popup::exists(), stays);
    QCOMPARE(m_tp->messages->texts(), message.isEmpty() ? QStringList() : QStringList{message});
    // No path ends as a cancellation.
    QVERIFY(!m_main->log.join('\n').contains(SubmitText::Cancelled()));
    QCOMPARE(m_main->log.first(), QString("select %1").arg(row));
    if (!stays)
        return;
    QCOMPARE(w->windowTitle(), QString("%1/2 FOTOĞRAF Aktarılıyor...").arg(row));
    QVERIFY(w->stepDone("f1"));
    QVERIFY(w->stepDone("f2"));
    QCOMPARE(w->stepText("f1"), StartStepText(m_main->subItem(row, 1)));
    QCOMPARE(w->stepText("f2"), PhotoStepText(m_main->subItem(row, 10)));
    QCOMPARE(w->ine.text(), QString::number(row));
    QCOMPARE(w->yibf.text(), m_main->subItem(row, 1));
    QCOMPARE(w->arama_asamasi, QString("yibf_degisti"));
    QCOMPARE(w->Check6Tag, QString(check7 ? "1" : "0"));
    if (copy.isEmpty()) {
        QCOMPARE(w->dosya.text(), QString());
    } else {
        QCOMPARE(w->dosya.tag, copy);
        QCOMPARE(w->dosya.text(), tempFolder() + "/" + copy);
        QFile f(w->dosya.text());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("JPEGDATA"));
    }
}

void tst_frm_popup::copyReplacesAnEarlierFileAndUnloadEmptiesTheFolder()
{
    QDir().mkpath(tempFolder());
    QFile old(tempFolder() + "/eski.jpg");
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.close();
    frm_popup *w = open(2);
    QVERIFY(w->CopyPhotoToTemp(photo("b.JPG"), "0445566"));
    QCOMPARE(QDir(tempFolder()).entryList(QDir::Files), QStringList({"445566.JPG"}));
    w->close();
    QVERIFY(QDir(tempFolder()).entryList(QDir::Files).isEmpty());
}

void tst_frm_popup::copyFailures()
{
    frm_popup *w = open(1);
    // The photograph gone between the check and the copy: nothing arrives.
    QVERIFY(!w->CopyPhotoToTemp("c:\\foto\\yok.jpg", "778899"));
    QCOMPARE(m_tp->messages->texts(), QStringList{SubmitText::TempCopyMissing()});
    QCOMPARE(m_tp->messages->shown.first().icon, platform::MsgIcon::Critical);
    QCOMPARE(w->dosya.text(), QString());
    QVERIFY(frm_popup::exists());

    // A file that cannot be deleted: the folder made immutable (root) or read-only.
    m_tp->messages->clear();
    QFile stuck(tempFolder() + "/eski.jpg");
    QVERIFY(stuck.open(QIODevice::WriteOnly));
    stuck.close();
    const bool root = QProcess::execute("sh", {"-c", "test $(id -u) = 0"}) == 0;
    const auto lock = [&](bool on) {
        if (root)
            return QProcess::execute("chattr", {on ? "+i" : "-i", tempFolder()}) == 0;
        return QFile::setPermissions(tempFolder(),
                                     on ? QFile::ReadOwner | QFile::ExeOwner
                                        : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    if (!lock(true))
        QSKIP("the temporary folder cannot be locked here");
    const bool copied = w->CopyPhotoToTemp(photo("a.jpg"), "778899");
    lock(false);
    QVERIFY(!copied);
    QCOMPARE(m_tp->messages->texts(), QStringList{SubmitText::TempNotEmptied()});
    QVERIFY(QFile::exists(tempFolder() + "/eski.jpg"));
}

void tst_frm_popup::hangCountdown_data()
{
    QTest::addColumn<bool>("check4");
    QTest::newRow("Check4 ticked") << true;
    QTest::newRow("Check4 unticked") << false;
}

void tst_frm_popup::hangCountdown()
{
    QFETCH(bool, check4);
    m_tp->clock->setTickMs(1);
    if (check4)
        m_main->checks.insert(4);
    frm_popup *w = open(1);
    // What the save step does.
    w->Timer3->start(platform::timerInterval(1000));
    QSignalSpy ticks(w->Timer3, &QTimer::timeout);
    if (check4) {
        QTRY_VERIFY_WITH_TIMEOUT(!frm_popup::exists(), 10000);
        QCOMPARE(ticks.count(), 100);
        QCOMPARE(m_main->log,
                 QStringList({"list 1", "sub 1 9 İPTAL (90 sn)", "note 1 İPTAL (90 sn)", "icon 1 2",
                              "Command2 1", "list 1", "popupx=", "yukleme="}));
        return;
    }
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count() > 150, 10000);
    QVERIFY(frm_popup::exists());
    QCOMPARE(w->zaman_say.text(), QString("0"));
    QVERIFY(m_main->log.isEmpty());
}

void tst_frm_popup::pageReactions_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("status"); // row 1's status afterwards ("" unchanged)
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("stays");
    QTest::newRow("portal error text")
        << "<div id='m'></div><span class='errorText'>Seviye hatalı</span>"
           "<p>Ekran Kodu : DYDYI</p>"
        << SubmitText::PortalError("778899", "Seviye hatalı") << "" << false;
    QTest::newRow("error text on the site page")
        << "<span class='errorText'>bilgi</span><p>Ekran Kodu : YHHYR</p>"
        << "YİBF Bulunamadı..."
        << "" << false;
    QTest::newRow("error page") << "<p>Ekran Kodu : ERROR</p>"
                                << "" << SubmitText::ErrorPage() << true;
    QTest::newRow("unknown code") << "<p>Ekran Kodu : QWERT</p>"
                                  << "" << SubmitText::UnknownCode("QWERT") << true;
    QTest::newRow("no code") << "<p>Hoş geldiniz</p>"
                             << ""
                             << "" << true;
}

void tst_frm_popup::pageReactions()
{
    QFETCH(QString, html);
    QFETCH(QString, status);
    QFETCH(QString, message);
    QFETCH(bool, stays);
    frm_popup *w = open(1);
    QSignalSpy done(w->page1(), &PortalPage::documentComplete);
    // yibf as the row start would have set it, without starting the search.
    w->arama_asamasi = "ariyor";
    {
        platform::SignalField &y = w->yibf;
        y.onChange({});
        y.setText("778899");
    }
    loadPage("<html><body>" + html + "</body></html>");
    if (!stays) {
        QTRY_VERIFY_WITH_TIMEOUT(!frm_popup::exists(), 15000);
    } else {
        QVERIFY(done.wait(15000));
        if (!message.isEmpty())
            QTRY_COMPARE_WITH_TIMEOUT(m_tp->messages->texts(), QStringList{message}, 10000);
        QVERIFY(frm_popup::exists());
    }
    QCOMPARE(m_main->subItem(1, 9), status.isEmpty() ? QString("Gönderim Sırasında") : status);
    if (!message.isEmpty())
        QCOMPARE(m_tp->messages->shown.first().icon, platform::MsgIcon::Critical);
}

void tst_frm_popup::setCodes(frm_popup *w, const QString &current)
{
    w->eski_ekrankodu.setText("LSMOI");
    w->ekrankodu.setText(current);
}

QString tst_frm_popup::pageTitle(frm_popup *w)
{
    QString title;
    bool got = false;
    TakeSnapshot(w->page1(), {}, [&](const PageSnapshot &s) {
        title = s.title;
        got = true;
    });
    if (!QTest::qWaitFor([&] { return got; }, 10000))
        return QStringLiteral("<no answer>");
    return title;
}

// A button of the page that writes into the title what the program did instead of submitting.
static QString Button(const QString &id, const QString &value, const QString &script,
                      bool disabled = false)
{
    return QStringLiteral("<input type='submit' id='%1' value='%2' onclick=\"document.title=%3; "
                          "return false;\"%4>")
        .arg(id, value, script, disabled ? QStringLiteral(" disabled") : QString());
}

void tst_frm_popup::newInspectionForm_data()
{
    QTest::addColumn<QString>("ada");
    QTest::addColumn<double>("previous");
    QTest::addColumn<QString>("alan1");
    QTest::addColumn<QString>("status"); // "" when the form is sent on
    QTest::addColumn<QString>("title");
    QTest::newRow("filled and attached") << "112" << 60.5 << "a.jpg"
                                         << ""
                                         << "devam:1";
    QTest::newRow("no photo column: left unsent") << "112" << 0.0 << ""
                                                  << ""
                                                  << "bos";
    QTest::newRow("other site") << "999" << 0.0 << "a.jpg" << SubmitText::YibfNotFound() << "";
    QTest::newRow("below the previous inspection")
        << "112" << 70.0 << "a.jpg" << SubmitText::PercentageTooLow("70") << "";
}

void tst_frm_popup::newInspectionForm()
{
    QFETCH(QString, ada);
    QFETCH(double, previous);
    QFETCH(QString, alan1);
    QFETCH(QString, status);
    QFETCH(QString, title);
    QVERIFY(db::Exec(ConnectionString("y3436"),
                     "update yedek5 set sev1=10.5, sev2=20, sev3=null, sev4=30, gonderen=?, "
                     "gonderentc='12345678901', alan2=?, alan1=? where sayı=41",
                     {"Hasan Demir", "Çatı betonu döküldü", alan1}));
    frm_popup *w = open(1);
    QVERIFY(w->CopyPhotoToTemp(photo("a.jpg"), "778899"));
    w->ada_web.setText(ada);
    setCodes(w, "DYDYL");
    w->onceki_oran = previous;
    QString fields;
    for (const char *id :
         {"oyds_form:seviye_subasman", "oyds_form:seviye_tasiyici", "oyds_form:seviye_siva",
          "oyds_form:seviye_kalan", "oyds_form:Tespiti_Yapan", "oyds_form:tc_kimlik_no"})
        fields += QString("<input type='text' id='%1' name='%1' value=''>").arg(id);
    loadPage("<html><head><title>bos</title></head><body><form id='oyds_form'>" + fields +
             "<textarea id='oyds_form:Yapıdaki_Gelişmeler'></textarea>"
             "<input type='file' id='oyds_form:dokuman' name='oyds_form:dokuman'>" +
             Button("oyds_form:_idJsp38", "Devam",
                    "'devam:'+document.getElementById('oyds_form:dokuman').files.length") +
             "</form><p>Ekran Kodu : DYDYI</p></body></html>");
    if (!status.isEmpty()) {
        QTRY_VERIFY_WITH_TIMEOUT(!frm_popup::exists(), 15000);
        QCOMPARE(m_main->subItem(1, 9), status);
        QCOMPARE(m_main->at(1)->icon, 2);
        return;
    }
    QTRY_VERIFY_WITH_TIMEOUT(w->stepDone("f6"), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(pageTitle(w), title, 15000);
    PageSnapshot page;
    bool got = false;
    TakeSnapshot(w->page1(), {}, [&](const PageSnapshot &s) {
        page = s;
        got = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(got, 10000);
    QCOMPARE(page.element("oyds_form:seviye_subasman")->value, QString("10.5"));
    QCOMPARE(page.element("oyds_form:seviye_siva")->value, QString());
    QCOMPARE(page.element("oyds_form:seviye_kalan")->value, QString("30"));
    QCOMPARE(page.element("oyds_form:Tespiti_Yapan")->value, QString("Hasan Demir"));
    QCOMPARE(page.element("oyds_form:Yapıdaki_Gelişmeler")->value, QString("Çatı betonu döküldü"));
    const bool sent = !alan1.isEmpty();
    QCOMPARE(w->stepDone("f7"), sent);
    QCOMPARE(w->stepDone("f9"), sent);
    QVERIFY(frm_popup::exists());
}

void tst_frm_popup::confirmation_data()
{
    QTest::addColumn<bool>("automatic");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("title"); // the page's title once the program is done
    QTest::newRow("operator confirms") << false << ""
                                       << "kaydedildi";
    QTest::newRow("automatic") << true << ""
                               << "kaydedildi";
    QTest::newRow("null code: nothing pressed") << true << "null"
                                                << "Yeni Denetim Bilgisi Kaydetme Kararı";
}

void tst_frm_popup::confirmation()
{
    QFETCH(bool, automatic);
    QFETCH(QString, code);
    QFETCH(QString, title);
    m_main->checks = {4};
    if (automatic)
        m_main->checks.insert(7);
    frm_popup *w = open(2);
    w->Check6Tag = automatic ? "1" : "0"; // as the row start leaves it
    w->Check6->setChecked(false);
    setCodes(w, "DYDYI");
    loadPage("<html><head><title>Yeni Denetim Bilgisi Kaydetme Kararı</title></head><body>"
             "<form id='oyds_form'><input type='checkbox' id='oyds_form:cbx' "
             "onclick=\"document.getElementById('kaydet').disabled = !this.checked\">" +
             Button("kaydet", "Denetim Bilgisini Kaydet", "'kaydedildi'", true) +
             Button("vazgec", "Vazgeç", "'vazgecildi'") + "</form><p>Ekran Kodu : " + code +
             "</p></body></html>");
    QTRY_VERIFY_WITH_TIMEOUT(w->Frame7->isVisibleTo(w), 15000);
    if (!automatic) {
        QVERIFY(w->stepDone("f10"));
        QVERIFY(!w->Command7->isEnabled());
        w->Check6->click();
        QVERIFY(w->Command7->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(pageTitle(w) == "Yeni Denetim Bilgisi Kaydetme Kararı", 5000);
        w->Command7->click();
    }
    if (code.isEmpty()) {
        QTRY_COMPARE_WITH_TIMEOUT(pageTitle(w), title, 15000);
        QTRY_VERIFY(w->Timer4->isActive());
        QVERIFY(w->Timer3->isActive());
        QCOMPARE(w->Label6->text(), QString("14:05:09"));
        m_tp->clock->setNow(m_tp->clock->now().addSecs(12));
        QTRY_COMPARE(w->gecen_zamanx->text(), QString("12 sn"));
        QVERIFY(!w->Command7->isEnabled());
        QVERIFY(m_main->log.contains("tam_zaman=20"));
        return;
    }
    // The page answers scripts in order: the program's read of the page was asked before the
    // first of these, so any click it would make is asked before the second one answers.
    QVERIFY(!pageTitle(w).isEmpty());
    QVERIFY(!pageTitle(w).isEmpty());
    QCOMPARE(pageTitle(w), title);
    QVERIFY(!w->Timer4->isActive());
}

void tst_frm_popup::missingCopyEndsTheSend()
{
    frm_popup *w = open(1);
    const QString gone = tempFolder() + "/778899.jpg";
    w->dosya.setText(gone);
    QVERIFY(!frm_popup::exists());
    QCOMPARE(m_main->subItem(1, 9), gone + " dosyasına ulaşılamadı...");
    QCOMPARE(m_main->at(1)->icon, 2);
    QVERIFY(!m_main->log.join('\n').contains(SubmitText::Cancelled()));
}

// The portal played by the test: each time the program has acted on a page (its marker in the
// title), the next page of a successful submission is loaded.

void tst_frm_popup::loadProgress()
{
    frm_popup *w = open(1);
    QVERIFY(!w->ProgressBar1->isVisibleTo(w));
    Q_EMIT w->page1()->loadProgress(40);
    QCOMPARE(w->Label2->text(), QString("40 / 100"));
    QVERIFY(w->ProgressBar1->isVisibleTo(w));
    Q_EMIT w->page1()->loadProgress(0);
    QVERIFY(!w->ProgressBar1->isVisibleTo(w));
}

QTEST_MAIN(tst_frm_popup)
#include "tst_frm_popup.moc"
