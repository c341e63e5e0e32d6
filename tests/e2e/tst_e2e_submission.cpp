// The whole job against the simulator, in the real browser engine: the pending list, the portal
// login with the typed code, the hand-over, the portal driven page by page, the outcome written
// back, the queue continued. Each case compares the firm's database with what the portal stored.
#include "core/connection.h"
#include "core/database.h"
#include "core/photoprep.h"
#include "core/senthistory.h"
#include "core/startup.h"
#include "core/workstation.h"
#include "demofixture.h"
#include "login/frm_ilk_giris.h"
#include "mainwindow.h"
#include "platform/testing/testplatform.h"
#include "portal/frm_guvenlik.h"
#include "portal/portallogin.h"
#include "portal/portalpage.h"
#include "queue/frm_giris.h"
#include "simulator.h"
#include "storefixture.h"
#include "submit/frm_popup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QtTest>

using platform::testing::TestPlatform;
using ydssim::testing::Simulator;

namespace {
const QString kUser = QStringLiteral("12345678901");
const QString kPassword = QStringLiteral("yds1234");
const QString kAda = QStringLiteral("Pafta 5: 12/34 Parsel 7");
const int kYibf = 2024101;
const QString kSent = QStringLiteral("Başarıyla Gönderildi...");
const QString kNotSent = QStringLiteral("Denetim Bilgisi Bakanlığa Gönderilemedi...");
const QString kSameDay =
    QStringLiteral("Bugün bu YİBF için Denetim Bilgisi zaten kayıtlı, tekrar gönderilmedi...");

QByteArray sha256(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QByteArray fileHash(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? sha256(f.readAll()) : QByteArray();
}

// A PDF's text as poppler's pdftotext reads it.
QString pdfText(const QString &path)
{
    QProcess p;
    p.start("pdftotext", {"-enc", "UTF-8", path, "-"});
    return p.waitForFinished(30000) ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}
} // namespace

class tst_e2e_submission : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void demoInstallationSendsItsQueueFromTheLogin();
    void faults_data();
    void faults();
    void resend_data();
    void resend();
    void queueOfFive();
    void oneCodePerQueue_data();
    void oneCodePerQueue();
    void refusedOutcomeStopsTheQueue_data();
    void refusedOutcomeStopsTheQueue();

private:
    // One site under the firm's institution, its last inspection `daysAgo` days old at
    // `previous` percent; records are added by addRecord.
    void firmWithOneSite(int previous = 15, int daysAgo = 30);
    void addRecord(int number, const QList<double> &levels, const QString &ada = kAda);
    frm_giris *mainWindow(const QString &options);
    // Sends record 1 of a firm with one site once, the fault switched on and the operator acting
    // as operatorDoes says (see faults_data); returns once the submission window has closed.
    void sendOnce(const QString &fault, int previous, int daysAgo, const QString &options,
                  const QString &operatorDoes);
    void typeEveryCode(frm_giris *w);
    QString y3436() const { return ConnectionString(QStringLiteral("y3436")); }

    std::unique_ptr<StoreFixture> m_fx;
    std::unique_ptr<Simulator> m_sim;
    int m_codes = 0;
    QStringList m_dialogs;                 // what each code dialog said of the queue
    QList<QPair<int, qlonglong>> m_starts; // (logins so far, record) of every row start

protected:
    // Every submission window shown reports, when it closes, whether its row was started.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *p = qobject_cast<frm_popup *>(watched);
        if (p && event->type() == QEvent::Show) {
            const auto closed = [this, p](qlonglong number) {
                if (number != 0 && p->stepDone("f1"))
                    m_starts << qMakePair(m_sim->status()["logins"].toInt(), number);
            };
            connect(p, &frm_popup::finished, this, [closed](qlonglong n) { closed(n); });
            connect(p, &frm_popup::sessionEnded, this, [closed](qlonglong n) { closed(n); });
        }
        return false;
    }
};

void tst_e2e_submission::init()
{
    // The ODBC lane runs the cases that write through the program's database layer.
    const QByteArray test = QTest::currentTestFunction();
    if (StoreFixture::odbc() && test != "queueOfFive" && test != "refusedOutcomeStopsTheQueue")
        QSKIP("the embedded store only");
}

void tst_e2e_submission::cleanup()
{
    qApp->removeEventFilter(this);
    releaseMainWindow<frm_giris>();
    m_sim.reset();
    m_fx.reset();
    m_codes = 0;
    m_dialogs.clear();
    m_starts.clear();
}

void tst_e2e_submission::typeEveryCode(frm_giris *w)
{
    // The operator types the code of every security-code image.
    connect(w->portalLogin, &PortalLogin::securityDialogShown, this, [this](frm_guvenlik *d) {
        ++m_codes;
        m_dialogs << d->Label1->text();
        QTimer::singleShot(0, d, [this, d] {
            d->Text1->setText(m_sim->latestCode());
            d->Command1->click();
        });
    });
}

void tst_e2e_submission::demoInstallationSendsItsQueueFromTheLogin()
{
    // The demo builder's installation, opened as the program opens it: start-up, the operator
    // login, the main window's list, then the queue sent unattended.
    auto fx = std::make_unique<DemoFixture>();
    QString error;
    QVERIFY2(fx->start(&error), qPrintable(error));
    m_sim = std::move(fx->sim);
    m_fx = std::move(fx);

    QPointer<frm_ilk_giris> login;
    RunStartup(QString(), [&login] {
        login = new frm_ilk_giris;
        login->onLoad();
    });
    QVERIFY(login && login->isVisible());
    const DemoLogin who = DemoOperator();
    login->Combo2->setCurrentText(who.institution);
    login->Text6->setText(who.user);
    login->Text7->setText(who.password);
    login->Command6->click();
    QVERIFY(openMainWindow<frm_giris>());
    frm_giris *w = frm_giris::instance();
    QVERIFY(w->isVisible());

    // Eleven pending records; the checks leave three to send (a prepared copy, a photograph
    // stamped while the list filled, and one found only in "web").
    PendingQueue &queue = w->queue();
    QCOMPARE(queue.recordCount(), 11);
    QTRY_VERIFY(!queue.preparing()); // the photograph found only in the site folder
    QCOMPARE(w->Label1->text(), QStringLiteral("11 adet Fotoğraf Bulundu..."));
    for (int i = 0; i < queue.recordCount(); ++i)
        w->listvievx_click(i + 1); // the operator looks at every row: its checks run
    QList<qlonglong> sendable;
    for (int i = 0; i < queue.recordCount(); ++i)
        if (queue.recordAt(i).queued())
            sendable << queue.recordAt(i).number;
    QCOMPARE(sendable, (QList<qlonglong>{501, 508, 509}));

    typeEveryCode(w);
    w->Check7->setChecked(true);  // the program confirms each record itself
    w->Check8->setChecked(true);  // and goes on with the next one
    w->Check9->setChecked(false); // two photographs of one site go the same day
    w->Command2->click();
    const auto sentCount = [&] {
        const auto rows = db::Select(y3436(), "select sayı from yedek5 where bak_durum='2' and "
                                              "prog_ID=2003");
        return rows ? int(rows->size()) : -1;
    };
    QTRY_COMPARE_WITH_TIMEOUT(sentCount(), 3, 120000);
    QTRY_VERIFY_WITH_TIMEOUT(!w->openSubmissionWindow(), 30000);
    QCOMPARE(m_codes, 1); // the queue keeps the session of its one login

    const QJsonArray received = m_sim->records();
    QCOMPARE(received.size(), 3);
    for (int i = 0; i < received.size(); ++i) {
        const qlonglong number = sendable[i];
        const PendingRecord &r = queue.recordAt(queue.rowOf(number));
        QCOMPARE(r.status, kSent);
        QCOMPARE(r.mark, RowMark::Done);
        const QJsonObject got = received[i].toObject();
        const QJsonObject fields = got["fields"].toObject();
        QCOMPARE(got["yibf"].toVariant().toString(), r.yibf);
        QCOMPARE(fields["oyds_form:seviye_tasiyici"].toString(), r.levels[1]);
        QCOMPARE(fields["oyds_form:Tespiti_Yapan"].toString(), r.sender);
        QCOMPARE(fields["oyds_form:tc_kimlik_no"].toString(), r.senderTc);
        QCOMPARE(fields["oyds_form:Yapıdaki_Gelişmeler"].toString(), r.developments);
        QCOMPARE(got["file"].toObject()["sha256"].toString().toLatin1(), fileHash(r.photoPath));
        const auto row = db::Select(y3436(), "select * from yedek5 where sayı=?", {number});
        QVERIFY(row && row->size() == 1);
        QCOMPARE(row->first().value("bak_tarih").toDate(), m_fx->tp.clock->today());
        QCOMPARE(db::Text(row->first(), "bakanlik_aciklama"), kSent);
        QCOMPARE(db::Text(row->first(), "kullanici"), who.user);
    }

    // The options come back for the same operator in the next session, and only for them.
    releaseMainWindow<frm_giris>();
    w = frm_giris::instance();
    w->ilk_kullanici.setText(who.user);
    QVERIFY(w->Check7->isChecked() && w->Check8->isChecked() && !w->Check9->isChecked());
    w->ilk_kullanici.setText(who.user + QStringLiteral(" 2"));
    QVERIFY(!w->Check7->isChecked() && !w->Check8->isChecked() && w->Check9->isChecked() &&
            w->Check10->isChecked());
}

void tst_e2e_submission::firmWithOneSite(int previous, int daysAgo)
{
    m_fx = std::make_unique<StoreFixture>();
    m_fx->tp.clock->setNow(QDateTime(QDate::currentDate(), QTime(10, 0)));
    m_sim = std::make_unique<Simulator>();
    QVERIFY2(m_sim->start(), qPrintable(m_sim->error()));
    const QJsonObject seed{
        {"institutions", QJsonArray{QJsonObject{{"name", "Anadolu Yapı Denetim Ltd. Şti."},
                                                {"user", kUser},
                                                {"password", kPassword}}}},
        {"sites", QJsonArray{QJsonObject{
                      {"yibf", QString::number(kYibf)},
                      {"institution", kUser},
                      {"ada", kAda},
                      {"inspections",
                       QJsonArray{QJsonObject{{"daysAgo", daysAgo},
                                              {"levels", QJsonArray{previous, 0, 0, 0}}}}}}}}};
    QVERIFY(m_sim->reset(QJsonDocument(seed).toJson()));
    QVERIFY(m_sim->setToday(m_fx->tp.clock->today()));
    platform::Deployment::setCurrent(m_sim->deployment());
    m_fx->settings(m_fx->ortak);
    m_fx->site(1, kAda, kYibf, QStringLiteral("Ayşe Yılmaz"), QStringLiteral("Öztürk İnşaat"),
               kUser);
}

void tst_e2e_submission::addRecord(int number, const QList<double> &levels, const QString &ada)
{
    QVERIFY(StoreFixture::writePhoto(m_fx->webFolder(ada), QStringLiteral("foto%1.jpg").arg(number),
                                     880, 660)
                .size() > 0);
    QVERIFY(db::Exec(y3436(),
                     "insert into yedek5 (sayı, ada, tarih, alan1, alan2, aciklama, toplam, sev1, "
                     "sev2, sev3, sev4, gonderen, gonderentc, bak_durum) values (?, ?, ?, ?, "
                     "'Kaba inşaat tamamlandı', '', ?, ?, ?, ?, ?, 'Mehmet Öztürk', "
                     "'12345678950', '1')",
                     {number, ada, m_fx->tp.clock->today().addDays(number - 10),
                      QStringLiteral("foto%1.jpg").arg(number),
                      levels[0] + levels[1] + levels[2] + levels[3], levels[0], levels[1],
                      levels[2], levels[3]}));
}

frm_giris *tst_e2e_submission::mainWindow(const QString &options)
{
    // What a successful operator login leaves in the main window.
    frm_giris *w = frm_giris::instance();
    w->grid_bakanlik_kullanicilar = {{kUser, QStringLiteral("Anadolu Yapı Denetim Ltd. Şti.")}};
    w->ilk_kullanici.setText(QStringLiteral("operator"));
    w->Text3.setText(kPassword);
    w->Text2.setText(kUser);
    w->Check3->setChecked(options.contains('3'));
    w->Check4->setChecked(options.contains('4'));
    w->Check7->setChecked(options.contains('7'));
    w->Check8->setChecked(options.contains('8'));
    w->Check9->setChecked(!options.contains('0')); // "0": the same-day guard unticked
    typeEveryCode(w);
    return w;
}

void tst_e2e_submission::faults_data()
{
    QTest::addColumn<QString>("fault"); // NAME or NAME=ARG; "" none
    QTest::addColumn<int>("previous");  // the site's last inspection: percentage
    QTest::addColumn<int>("daysAgo");   // and age
    // Main window boxes ticked: "3", "4", "7"; "0" unticks the same-day guard.
    QTest::addColumn<QString>("options");
    // What the operator does: "", "cancel-on-message", "cancel-on-list", "cancel-on-frame",
    // "decline", "save-on-page" (the confirmation page's own box and button).
    QTest::addColumn<QString>("operatorDoes");
    QTest::addColumn<QString>("status"); // the row's status text (its beginning)
    QTest::addColumn<int>("mark");
    QTest::addColumn<QString>("state");   // bak_durum afterwards
    QTest::addColumn<int>("received");    // records the portal stored
    QTest::addColumn<QString>("message"); // a message box shown (a part of it), or ""
    const QString cancelled = "Gönderim iptal edildi...";
    auto row = [](const char *name) -> QTestData & { return QTest::newRow(name); };
    row("sent") << "" << 15 << 30 << "7"
                << "" << kSent << 1 << "2" << 1 << "";
    row("no search result") << "no-result" << 15 << 30 << "7"
                            << ""
                            << "BAKANLIK SİTESİNDE 2024101 NOLU YİBF BULUNAMADI..." << 0 << "1" << 0
                            << "";
    row("several results, then one") << "several-results" << 15 << 30 << "7"
                                     << "" << kSent << 1 << "2" << 1 << "";
    row("another site's record") << "other-site" << 15 << 30 << "7"
                                 << ""
                                 << "YİBF Bulunamadı..." << 0 << "1" << 0 << "";
    // The firm's database holds the site twice under one YİBF number; the record belongs to the
    // other parcel than the one the portal's site leads back to.
    row("record of another parcel") << "twin-site" << 15 << 30 << "7"
                                    << ""
                                    << "YİBF Bulunamadı..." << 2 << "1" << 0 << "";
    row("lower than the previous inspection")
        << "" << 90 << 30 << "7"
        << ""
        << "Gerçekleşme Oranı bir önceki Denetim bilgisinin Gerçekleşme Oranını Geçmedi...\rBir "
           "önceki Denetim Bilgisi Gerçekleşme Oranı : 90"
        << 2 << "1" << 0 << "";
    row("inspected 6 days ago, 7-day rule on")
        << "" << 15 << 6 << "37"
        << ""
        << "7 gün içinde foto aktarıldığından gönderilmedi..." << 1 << "2" << 0 << "";
    row("inspected 6 days ago, 7-day rule off") << "" << 15 << 6 << "7"
                                                << "" << kSent << 1 << "2" << 1 << "";
    row("validation text on the form") << "validation" << 15 << 30 << "7"
                                       << ""
                                       << "YİBF NO: 2024101" << 0 << "1" << 0 << "";
    // The input keeps refusing the photograph: after the last attempt the operator is told and
    // the form waits; the operator cancels.
    row("file refused by the form")
        << "refuse-file" << 15 << 30 << "7"
        << "cancel-on-message" << cancelled << 2 << "1" << 0 << "dosyası eklenemiyor...";
    row("error page, operator cancels") << "error-page=list" << 15 << 30 << "7"
                                        << "cancel-on-message" << cancelled << 2 << "1" << 0
                                        << "Bakanlık web sayfası hata sayfasına düşmüştür.";
    row("unknown code, operator cancels")
        << "unknown-code=list" << 15 << 30 << "7"
        << "cancel-on-message" << cancelled << 2 << "1" << 0
        << "Lütfen Bu mesajı Kora Bilişime Bildiriniz...\rHata Kodu : DUYRU";
    row("save hangs, time-out on") << "hang=save:30" << 15 << 30 << "47"
                                   << ""
                                   << "İPTAL (90 sn)" << 2 << "1" << 1 << "";
    // The portal dates the record by its own clock: stored all the same, so not left pending.
    row("save dated yesterday") << "save-yesterday" << 15 << 30 << "7"
                                << ""
                                << "Bakanlık, kaydı " +
                                       QDate::currentDate().addDays(-1).toString("dd.MM.yyyy") +
                                       " tarihiyle oluşturdu; kontrol ediniz..."
                                << 2 << "2" << 1 << "";
    row("list newest first") << "list-newest-first" << 15 << 30 << "7"
                             << "" << kSent << 1 << "2" << 1 << "";
    // The site's proof folder is a file: sent all the same, the proof said to be missing.
    row("proof cannot be written") << "proof-folder-file" << 15 << 30 << "7"
                                   << "" << kSent + " (kanıt kaydedilemedi)" << 1 << "2" << 1 << "";
    row("confirmation coded null, operator saves on the page")
        << "confirm-null" << 15 << 30 << ""
        << "save-on-page" << kSent << 1 << "2" << 1 << "";
    row("inspected today, same-day guard on") << "" << 15 << 0 << "7"
                                              << "" << kSameDay << 1 << "2" << 0 << "";
    // The last row is dated today, yet the save stored nothing.
    row("inspected today, guard off, save lost") << "save-lost" << 15 << 0 << "70"
                                                 << "" << kNotSent << 2 << "1" << 0 << "";
    // A confirmation page without its code cannot be confirmed by the program: the operator
    // cancels.
    row("confirmation coded null, operator cancels")
        << "confirm-null" << 15 << 30 << "47"
        << "cancel-on-frame" << cancelled << 2 << "1" << 0 << "";
    row("operator cancels") << "" << 15 << 30 << "7"
                            << "cancel-on-list" << cancelled << 2 << "1" << 0 << "";
    row("operator declines the confirmation") << "" << 15 << 30 << ""
                                              << "decline"
                                              << "Onaylama iptal edildi..." << 0 << "1" << 0 << "";
}

void tst_e2e_submission::sendOnce(const QString &fault, int previous, int daysAgo,
                                  const QString &options, const QString &operatorDoes)
{
    firmWithOneSite(previous, daysAgo);
    QString ada = kAda;
    if (fault == "twin-site") {
        ada = kAda + " B";
        m_fx->site(2, ada, kYibf, QStringLiteral("x"), QStringLiteral("y"), kUser);
    } else if (fault == "proof-folder-file") {
        QFile blocker(m_fx->webFolder(ada) + "/kanit");
        QVERIFY(QDir().mkpath(m_fx->webFolder(ada)) && blocker.open(QIODevice::WriteOnly));
    } else if (!fault.isEmpty()) {
        const QStringList f = fault.split('=');
        QVERIFY(m_sim->setFault(f[0], f.value(1)));
    }
    addRecord(1, {20, 40, 10, 0}, ada);
    frm_giris *w = mainWindow(options);
    QCOMPARE(w->queue().recordCount(), 1);
    if (operatorDoes == "cancel-on-message")
        m_fx->tp.messages->onShow = [w](const auto &) {
            QTimer::singleShot(0, w, [w] {
                if (w->openSubmissionWindow())
                    w->openSubmissionWindow()->Command1->click();
            });
        };

    w->Command2->click();
    QTRY_VERIFY_WITH_TIMEOUT(w->openSubmissionWindow() && w->openSubmissionWindow()->isVisible(),
                             30000);
    // The operator watches the window and acts when the moment comes.
    bool savedOnPage = false;
    const auto operatorActs = [&] {
        frm_popup *p = w->openSubmissionWindow();
        if (!p)
            return true;
        if (operatorDoes == "cancel-on-list" && p->ekrankodu.text() == "DYDYL")
            p->Command1->click();
        else if (operatorDoes == "cancel-on-frame" && p->Frame7->isVisible())
            p->Command1->click();
        else if (operatorDoes == "decline" && p->Frame7->isVisible())
            p->Command6->click();
        else if (operatorDoes == "save-on-page" && p->Frame7->isVisible() && !savedOnPage) {
            // The page's own declaration box and save button, in the embedded browser.
            savedOnPage = true;
            p->page1()->runJavaScript("document.getElementById('oyds_form:cbx').click();"
                                      "[...document.querySelectorAll('input[type=submit]')]"
                                      ".find(e => e.value == 'Denetim Bilgisini Kaydet').click();");
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(operatorActs(), 60000);
}

void tst_e2e_submission::faults()
{
    QFETCH(QString, fault);
    QFETCH(int, previous);
    QFETCH(int, daysAgo);
    QFETCH(QString, options);
    QFETCH(QString, operatorDoes);
    QFETCH(QString, status);
    QFETCH(int, mark);
    QFETCH(QString, state);
    QFETCH(int, received);
    QFETCH(QString, message);

    sendOnce(fault, previous, daysAgo, options, operatorDoes);
    if (QTest::currentTestFailed())
        return;
    frm_giris *w = frm_giris::instance();
    qInfo("portal %d, bak_durum %s", int(m_sim->records().size()),
          qPrintable(m_fx->column(1, "bak_durum").toString()));
    const PendingRecord &r = w->queue().recordAt(0);
    QVERIFY2(r.status.startsWith(status), qPrintable(r.status));
    QCOMPARE(int(r.mark), mark);
    QCOMPARE(m_fx->column(1, "bak_durum").toString(), state);
    QVERIFY(m_fx->column(1, "bakanlik_aciklama").toString().startsWith(status.left(50)));
    QCOMPARE(int(m_sim->records().size()), received);
    // Nothing is ever marked sent that the portal did not store.
    if (r.status == kSent)
        QVERIFY(received > 0);
    if (message.isEmpty())
        QCOMPARE(m_fx->tp.messages->texts(), QStringList());
    else
        QVERIFY2(!m_fx->tp.messages->shown.isEmpty() &&
                     m_fx->tp.messages->shown[0].text.contains(message),
                 qPrintable(m_fx->tp.messages->texts().join(" | ")));
}

void tst_e2e_submission::resend_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("operatorDoes"); // as in faults
    QTest::addColumn<int>("portalDay");        // the portal's date of its record: days from today
    const auto row = [](const char *name, const char *fault, const char *options,
                        const char *operatorDoes, int portalDay) {
        QTest::newRow(name) << QString(fault) << QString(options) << QString(operatorDoes)
                            << portalDay;
    };
    row("list newest first", "list-newest-first", "7", "", 0);
    row("save hangs, time-out on", "hang=save:30", "47", "", 0);
    row("save dated yesterday", "save-yesterday", "7", "", -1);
    row("confirmation coded null, saved on the page", "confirm-null", "", "save-on-page", 0);
    row("error page after the save", "error-page=save", "7", "cancel-on-message", 0);
}

void tst_e2e_submission::resend()
{
    // Each fault can leave the portal holding the record. Once it is over, the operator refills
    // the list and sends what is still there: the portal must not get the record twice.
    QFETCH(QString, fault);
    QFETCH(QString, options);
    QFETCH(QString, operatorDoes);
    QFETCH(int, portalDay);
    sendOnce(fault, 15, 30, options, operatorDoes);
    if (QTest::currentTestFailed())
        return;
    const auto state = [this] { return m_fx->column(1, "bak_durum").toString(); };
    qInfo("portal %d, bak_durum %s", int(m_sim->records().size()), qPrintable(state()));
    QVERIFY(m_sim->clearFaults());
    m_fx->tp.messages->onShow = {};
    m_fx->tp.messages->clear();
    frm_giris *w = frm_giris::instance();
    w->Command1->click();
    if (w->queue().recordCount() > 0) {
        w->Command2->click();
        QTRY_VERIFY_WITH_TIMEOUT(w->openSubmissionWindow(), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!w->openSubmissionWindow(), 60000);
    }
    qInfo("after resending: portal %d, bak_durum %s", int(m_sim->records().size()),
          qPrintable(state()));
    const QJsonArray records = m_sim->records();
    QCOMPARE(records.size(), 1);
    QCOMPARE(records[0].toObject()["date"].toString(),
             m_fx->tp.clock->today().addDays(portalDay).toString(Qt::ISODate));
    QCOMPARE(state(), QStringLiteral("2"));
    QCOMPARE(m_fx->tp.messages->texts(), QStringList());
}

void tst_e2e_submission::queueOfFive()
{
    // Five photographs of one site in one unattended run, each a step further (the same-day
    // guard unticked).
    firmWithOneSite();
    for (int i = 1; i <= 5; ++i)
        addRecord(i, {20, 10.0 * i, 0, 0});
    frm_giris *w = mainWindow(QStringLiteral("780"));
    // What the queue opens per record goes with it: no window or widget is left behind.
    const qsizetype windows = QApplication::topLevelWidgets().size();
    w->Command2->click();
    const auto sent = [this] {
        const auto rows = db::Select(y3436(), "select sayı from yedek5 where bak_durum='2' and "
                                              "bak_tarih is not null and prog_ID=2003");
        return rows ? int(rows->size()) : -1;
    };
    QTRY_COMPARE_WITH_TIMEOUT(sent(), 5, 180000);
    QTRY_VERIFY_WITH_TIMEOUT(!w->openSubmissionWindow(), 30000);
    qInfo("queue of five%s: portal %d, sent %d", StoreFixture::odbc() ? " (ODBC)" : "",
          int(m_sim->records().size()), sent());
    QCOMPARE(m_sim->records().size(), 5);
    QCOMPARE(m_fx->tp.messages->texts(), QStringList());
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::topLevelWidgets().size(), windows, 5000);
    // Each record left its proof: the portal's list naming the site and today, and the
    // photograph as the portal received it. Today's history is exactly these five. The last
    // list prints after its outcome was handed back.
    const QDate today = m_fx->tp.clock->today();
    std::optional<QList<history::SentRecord>> sentToday;
    QTRY_VERIFY_WITH_TIMEOUT(
        (sentToday = history::ReadSentHistory({kUser, true, m_fx->ortak}, today, today)) &&
            sentToday->size() == 5 && sentToday->last().hasProof,
        30000);
    const QJsonArray portal = m_sim->records();
    for (int i = 0; i < 5; ++i) {
        const history::SentRecord &r = sentToday->at(i);
        QCOMPARE(r.number, qlonglong(i + 1));
        QCOMPARE(r.status, kSent);
        QVERIFY(r.hasProof);
        QCOMPARE(fileHash(r.proof.photo),
                 portal[i].toObject()["file"].toObject()["sha256"].toString().toLatin1());
        const QString text = pdfText(r.proof.pdf);
        QVERIFY2(text.contains(QString::number(kYibf)) &&
                     text.contains(today.toString("dd.MM.yyyy")),
                 qPrintable(r.proof.pdf + ": " + text.left(300)));
    }
}

void tst_e2e_submission::oneCodePerQueue_data()
{
    QTest::addColumn<bool>("keep");     // "Sırayı tek güvenlik kodu ile gönder (oturumu koru)"
    QTest::addColumn<QString>("fault"); // on the outcome of record `at`: "expire" (the portal
    QTest::addColumn<int>("at");        // ends its sessions), or a fault (NAME=ARG) switched on
    QTest::addColumn<QList<int>>("dialogs"); // each code dialog's count of queued records
    QTest::addColumn<int>("restarts");       // rows started again after a login
    QTest::addColumn<QString>("message");
    QTest::newRow("one code") << true << "" << 0 << QList<int>{10} << 0 << "";
    QTest::newRow("session ends after record four")
        << true << "expire" << 4 << QList<int>{10, 6} << 0 << "";
    // Record 3's save reaches the portal but answers with the ERROR page: after the login the
    // list shows it arrived, so it is not made again (the same-day guard is off).
    QTest::newRow("error page after a save")
        << true << "error-page=save" << 2 << QList<int>{10, 8} << 1 << "";
    // The session ends and the portal is out of service: the operator is told, and sends again
    // once it is back.
    QTest::newRow("outage mid-queue") << true << "outage" << 3 << QList<int>{10, 7} << 0
                                      << "Yapı Denetim Sistemi Uygulaması Kullanım Dışıdır.";
    QTest::newRow("unticked: a code per record")
        << false << "" << 0 << QList<int>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1} << 0 << "";
}

void tst_e2e_submission::oneCodePerQueue()
{
    QFETCH(bool, keep);
    QFETCH(QString, fault);
    QFETCH(int, at);
    QFETCH(QList<int>, dialogs);
    QFETCH(int, restarts);
    QFETCH(QString, message);
    firmWithOneSite();
    for (int i = 1; i <= 10; ++i)
        addRecord(i, {20, 5.0 * i, 0, 0});
    frm_giris *w = mainWindow(QStringLiteral("780"));
    w->Check10->setChecked(keep);
    qApp->installEventFilter(this);
    QObject scope; // the handlers below end with this row, whichever way it ends
    const auto cleanFaults = [this] { QVERIFY(m_sim->clearFaults()); };
    // The outcome of record `at` brings the row's event, before the next record starts.
    connect(&w->queue(), &QAbstractItemModel::dataChanged, &scope, [&, w] {
        if (at == 0 || w->queue().recordAt(at - 1).status != kSent)
            return;
        const QStringList f = fault.split('=');
        if (f[0] != "expire")
            QVERIFY(m_sim->setFault(f[0], f.value(1)));
        if (f[0] != "error-page")
            QVERIFY(m_sim->expireSessions());
        at = 0;
    });
    connect(w->portalLogin, &PortalLogin::securityDialogShown, &scope, cleanFaults);
    m_fx->tp.messages->onShow = [w, cleanFaults](const auto &) {
        QTimer::singleShot(0, w, [w, cleanFaults] {
            cleanFaults();
            w->Command2->click(); // the operator sends again
        });
    };
    w->Command2->click();
    QTRY_VERIFY_WITH_TIMEOUT(m_sim->records().size() == 10 && !w->openSubmissionWindow() &&
                                 !w->Timer1->isActive(),
                             300000);

    QList<int> queued;
    for (const QString &text : std::as_const(m_dialogs))
        queued << text.section(' ', 1, 1).toInt();
    QCOMPARE(queued, dialogs);
    QCOMPARE(m_dialogs[0], QStringLiteral("Kuyrukta 10 fotoğraf var"));
    QCOMPARE(m_fx->tp.messages->texts(), message.isEmpty() ? QStringList() : QStringList{message});
    // Each record stored once and marked sent; none started twice after one login.
    QSet<QString> stored;
    for (const QJsonValue &r : m_sim->records())
        stored << r["fields"]["oyds_form:seviye_tasiyici"].toString();
    QCOMPARE(stored.size(), 10);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(w->queue().recordAt(i).status, kSent);
    QCOMPARE(QSet(m_starts.cbegin(), m_starts.cend()).size(), m_starts.size());
    QCOMPARE(m_starts.size(), 10 + restarts);
}

void tst_e2e_submission::refusedOutcomeStopsTheQueue_data()
{
    // How the firm's database stops taking writes while the first record is on the portal's form.
    QTest::addColumn<QString>("how");
    QTest::newRow("refuses the outcome") << "trigger";
    QTest::newRow("store file deleted") << "deleted";
    QTest::newRow("store file locked") << "locked";
    QTest::newRow("server gone (ODBC)") << "server";
}

void tst_e2e_submission::refusedOutcomeStopsTheQueue()
{
    QFETCH(QString, how);
    if ((how == "server") != StoreFixture::odbc())
        QSKIP("not on this lane");
    firmWithOneSite();
    addRecord(1, {20, 10, 0, 0});
    addRecord(2, {20, 20, 0, 0});
    const QString file = m_fx->dataDir + "/y3436.sqlite3";
    // The firm's database takes the checks' notes but refuses the outcome of a submission.
    if (how == "trigger")
        QVERIFY(db::Exec(y3436(), "create trigger refuse before update on yedek5 when new.prog_ID "
                                  "= 2003 begin select raise(abort, 'disk is full'); end"));
    frm_giris *w = mainWindow(QStringLiteral("78"));
    w->Command2->click();
    bool gone = how == "trigger";
    const auto databaseGoes = [&] {
        frm_popup *p = w->openSubmissionWindow();
        if (gone || !p || p->ekrankodu.text() != "DYDYI")
            return gone;
        if (how == "deleted") {
            gone = QFile::remove(file);
        } else if (how == "locked") {
            QSqlDatabase locker = QSqlDatabase::addDatabase("QSQLITE", "locker");
            locker.setDatabaseName(file);
            gone = locker.open() && QSqlQuery(locker).exec("begin exclusive");
        } else {
            // Nothing more reaches the firm's database, and what was connected is cut off.
            const QString f = ConnectionString("f3436");
            gone = db::Exec(f, "alter database y3436 allow_connections false") &&
                   db::Select(f, "select pg_terminate_backend(pid) from pg_stat_activity where "
                                 "datname='y3436'");
        }
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(databaseGoes(), 60000);
    QVERIFY(gone);
    QTRY_VERIFY_WITH_TIMEOUT(!m_fx->tp.messages->shown.isEmpty(), 60000);

    // The portal holds the first record; the operator is told not to send it again.
    const QString shown = m_fx->tp.messages->shown[0].text;
    QVERIFY2(shown.startsWith(QStringLiteral("Gönderim sonucu veritabanına yazılamadı...")) &&
                 shown.contains(QStringLiteral("tekrar GÖNDERMEYİNİZ")),
             qPrintable(shown));
    QCOMPARE(m_fx->tp.messages->shown.size(), 1);
    QCOMPARE(m_sim->records().size(), 1);
    const PendingRecord &first = w->queue().recordAt(0);
    QCOMPARE(first.status, QStringLiteral("Bakanlığa Gönderildi, Veritabanına Yazılamadı!"));
    QCOMPARE(first.mark, RowMark::Problem);
    QVERIFY(!first.queued());
    // The queue does not go on.
    QVERIFY(!w->Timer1->isActive());
    QVERIFY(w->queue().recordAt(1).queued());
    QCOMPARE(m_sim->records().size(), 1);
    // Nothing half-written: once the database is back the record is as it was. A deleted store
    // is never made afresh.
    if (how == "deleted") {
        QVERIFY(!QFile::exists(file));
        return;
    }
    if (how == "locked") {
        QSqlDatabase::database("locker").close();
        QSqlDatabase::removeDatabase("locker");
    }
    if (how == "server")
        QVERIFY(db::Exec(ConnectionString("f3436"), "alter database y3436 allow_connections true"));
    QCOMPARE(m_fx->column(1, "bak_durum").toString(), QStringLiteral("1"));
    QCOMPARE(m_fx->column(1, "prog_ID").toInt(), 0);
}

QTEST_MAIN(tst_e2e_submission)
#include "tst_e2e_submission.moc"
