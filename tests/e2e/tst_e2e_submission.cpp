// The whole job against the simulator: the pending list, the portal login with the typed code,
// the hand-over, the portal driven page by page, the outcome written back, the queue continued.
#include "core/connection.h"
#include "core/database.h"
#include "core/photoprep.h"
#include "core/schema.h"
#include "platform/testing/testplatform.h"
#include "portal/frm_guvenlik.h"
#include "portal/portallogin.h"
#include "queue/frm_giris.h"
#include "simulator.h"
#include "submit/frm_popup.h"
#include "submit/submission.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTreeWidget>
#include <QWebEngineView>
#include <QtTest>

using platform::testing::TestPlatform;
using ydssim::testing::Simulator;

namespace {
const QString kUser = QStringLiteral("12345678901");
const QString kPassword = QStringLiteral("yds1234");
const QString kAda = QStringLiteral("Pafta 5: 12/34 Parsel 7");
const QString kSiteFolder = QStringLiteral("Pafta_5__12_34_Parsel_7");
const int kYibf = 2024101;

struct Record
{
    int number;
    double sev1, sev2, sev3, sev4;
    QString developments;
    QString ada = kAda;
};
} // namespace

class tst_e2e_submission : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void queueSentUnattended();
    void faults_data();
    void faults();

private:
    void addRecord(const Record &r);
    QString y3436() const { return ConnectionString(QStringLiteral("y3436")); }
    QByteArray seed(int previousPercent = 15, int daysAgo = 30) const;
    void typeEveryCode(frm_giris *w, int *codes);

    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<Simulator> m_sim;
    QString m_ortak;
    QMap<int, QByteArray> m_photoHash;
};

void tst_e2e_submission::initTestCase()
{
    InstallSubmission();
}

QByteArray tst_e2e_submission::seed(int previousPercent, int daysAgo) const
{
    const QJsonObject s{
        {"institutions", QJsonArray{QJsonObject{{"name", "Anadolu Yapı Denetim Ltd. Şti."},
                                                {"user", kUser},
                                                {"password", kPassword},
                                                {"number", "1453"}}}},
        {"sites", QJsonArray{QJsonObject{
                      {"yibf", QString::number(kYibf)},
                      {"institution", kUser},
                      {"ada", kAda},
                      {"owner", "Ayşe Yılmaz"},
                      {"inspections", QJsonArray{QJsonObject{
                                          {"daysAgo", daysAgo},
                                          {"levels", QJsonArray{previousPercent, 0, 0, 0}}}}}}}}};
    return QJsonDocument(s).toJson();
}

void tst_e2e_submission::init()
{
    m_tp = std::make_unique<TestPlatform>();
    m_tp->clock->setNow(QDateTime(QDate::currentDate(), QTime(10, 0)));
    m_sim = std::make_unique<Simulator>();
    QVERIFY2(m_sim->start(), qPrintable(m_sim->error()));
    QVERIFY(m_sim->reset(seed()));
    QVERIFY(m_sim->setToday(m_tp->clock->today()));
    platform::Deployment::setCurrent(m_sim->deployment());

    const QString store = m_tp->root.path() + "/store";
    QDir().mkpath(store);
    QVERIFY(CreateSqliteStore(store + "/y3436.sqlite3", "y3436"));
    QVERIFY(CreateSqliteStore(store + "/f3436.sqlite3", "f3436"));
    Connection() = ConnectionSettings();
    Connection().WorkFolder = "c:\\tarvek2000word\\";
    Connection().ConnectionPrefix = BuildConnectionPrefix("sqlite:" + store);
    m_ortak = m_tp->root.path() + "/ortak";
    QVERIFY(db::Exec(ConnectionString("f3436"),
                     "insert into ayarlar2 (foto_tarih_at, ortak) values ('1', ?)", {m_ortak}));
    QVERIFY(db::Exec(y3436(),
                     "insert into inşaat (sayi, ada, yedek1, arsasahibi, müteahhit, firma) values "
                     "(1, ?, ?, 'Ayşe Yılmaz', 'Öztürk İnşaat', ?)",
                     {kAda, kYibf, kUser}));
}

void tst_e2e_submission::cleanup()
{
    if (frm_popup::exists())
        frm_popup::instance()->close();
    frm_giris::release();
    db::CloseAll();
    m_sim.reset();
    m_tp.reset();
}

void tst_e2e_submission::addRecord(const Record &r)
{
    const QString name = QStringLiteral("foto%1.jpg").arg(r.number);
    const QString web = m_ortak + "/fotograflar/" + SiteFolderName(r.ada) + "/web";
    QDir().mkpath(web);
    QImage image(880, 660, QImage::Format_RGB32);
    image.fill(QColor(20 * r.number % 255, 120, 200));
    QVERIFY(image.save(web + "/" + name, "JPG", 80));
    QFile f(web + "/" + name);
    QVERIFY(f.open(QIODevice::ReadOnly));
    m_photoHash[r.number] =
        QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex();
    QVERIFY(db::Exec(y3436(),
                     "insert into yedek5 (sayı, ada, tarih, alan1, alan2, aciklama, toplam, sev1, "
                     "sev2, sev3, sev4, gonderen, gonderentc, bak_durum) values (?, ?, ?, ?, ?, "
                     "'', ?, ?, ?, ?, ?, 'Mehmet Öztürk', '12345678950', '1')",
                     {r.number, r.ada, m_tp->clock->today().addDays(r.number - 10), name,
                      r.developments, r.sev1 + r.sev2 + r.sev3 + r.sev4, r.sev1, r.sev2, r.sev3,
                      r.sev4}));
}

void tst_e2e_submission::queueSentUnattended()
{
    const QList<Record> records{
        {1, 20, 10, 0, 0, "Temel betonu döküldü"},  {2, 20, 12.5, 0, 0, "Birinci kat perdeleri"},
        {3, 20, 15, 2.5, 0, "İkinci kat döşemesi"}, {4, 20, 20, 5, 0, "Çatı iskelesi kuruldu"},
        {5, 20, 25, 10, 5, "Sıva başladı"},
    };
    for (const Record &r : records)
        addRecord(r);

    frm_giris *w = frm_giris::instance();
    w->grid_bakanlik_kullanicilar = {{kUser, "Anadolu Yapı Denetim Ltd. Şti."}};
    w->Text2.setText(kUser);
    w->Text3.setText(kPassword);
    w->ilk_kullanici.setText("operator");
    w->show();
    QCOMPARE(w->ListView1->topLevelItemCount(), records.size());
    w->Check7->setChecked(true); // the program confirms each record itself
    w->Check8->setChecked(true); // and goes on with the next one

    int codes = 0;
    typeEveryCode(w, &codes);

    w->Command2->click();
    const auto sentCount = [&] {
        const auto rows = db::Select(y3436(), "select sayı from yedek5 where bak_durum='2'");
        return rows ? int(rows->size()) : -1;
    };
    QElapsedTimer clock;
    clock.start();
    while (sentCount() != records.size() && clock.elapsed() < 180000) {
        QTest::qWait(50);
        if (qEnvironmentVariableIsSet("E2E_TRACE") && clock.elapsed() % 1000 < 50) {
            QString state;
            if (frm_popup::exists()) {
                frm_popup *p = frm_popup::instance();
                state = QStringLiteral("popup visible=%1 code=%2 prev=%3 url=%4")
                            .arg(p->isVisible())
                            .arg(p->ekrankodu.text(), p->eski_ekrankodu.text(),
                                 p->WebBrowser1->url().toString());
            }
            QStringList statuses;
            for (int i = 0; i < w->ListView1->topLevelItemCount(); ++i)
                statuses << w->ListView1->topLevelItem(i)->text(9);
            qInfo() << statuses;
            qInfo() << "sent" << sentCount() << "codes" << codes << "msgs"
                    << m_tp->messages->texts() << state << "main url" << w->WebBrowser1->url();
        }
    }
    QCOMPARE(sentCount(), int(records.size()));
    QTRY_VERIFY_WITH_TIMEOUT(!frm_popup::exists() || !frm_popup::instance()->isVisible(), 30000);

    QCOMPARE(codes, records.size());
    const QJsonArray received = m_sim->records();
    QCOMPARE(received.size(), records.size());
    for (int i = 0; i < records.size(); ++i) {
        const Record &r = records[i];
        const QJsonObject got = received[i].toObject();
        const QJsonObject fields = got["fields"].toObject();
        QCOMPARE(got["yibf"].toVariant().toString(), QString::number(kYibf));
        QCOMPARE(fields["oyds_form:seviye_tasiyici"].toString(), QString::number(r.sev2));
        QCOMPARE(fields["oyds_form:Tespiti_Yapan"].toString(), QStringLiteral("Mehmet Öztürk"));
        QCOMPARE(fields["oyds_form:tc_kimlik_no"].toString(), QStringLiteral("12345678950"));
        QCOMPARE(fields["oyds_form:Yapıdaki_Gelişmeler"].toString(), r.developments);
        QCOMPARE(got["file"].toObject()["sha256"].toString().toLatin1(), m_photoHash[r.number]);

        const auto row = db::Select(y3436(), "select * from yedek5 where sayı=?", {r.number});
        QVERIFY(row && row->size() == 1);
        QCOMPARE(db::Text(row->first(), "bak_durum"), QStringLiteral("2"));
        QCOMPARE(row->first().value("bak_tarih").toDate(), m_tp->clock->today());
        QCOMPARE(db::Text(row->first(), "bakanlik_aciklama"),
                 QStringLiteral("Başarıyla Gönderildi..."));
        QCOMPARE(row->first().value("prog_ID").toInt(), 2003);
        QCOMPARE(w->ListView1->topLevelItem(i)->text(9), QStringLiteral("Başarıyla Gönderildi..."));
    }
}

void tst_e2e_submission::typeEveryCode(frm_giris *w, int *codes)
{
    // The operator types the code of every security-code image.
    connect(w->portalLogin, &PortalLogin::securityDialogShown, this,
            [this, codes](frm_guvenlik *d) {
                ++*codes;
                QTimer::singleShot(0, d, [this, d] {
                    d->Text1->setText(m_sim->latestCode());
                    d->Command1->click();
                });
            });
}

void tst_e2e_submission::faults_data()
{
    QTest::addColumn<QString>("fault");   // NAME or NAME=ARG; "" none
    QTest::addColumn<int>("previous");    // the site's last inspection: percentage
    QTest::addColumn<int>("daysAgo");     // and age
    QTest::addColumn<QString>("options"); // main window boxes ticked: "3", "4", "7"
    // What the operator does: "", "cancel-on-message", "cancel-on-DYDYL", "cancel-on-frame",
    // "vazgec".
    QTest::addColumn<QString>("operatorDoes");
    QTest::addColumn<QString>("status"); // the row's status text (its beginning)
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("state");   // bak_durum afterwards
    QTest::addColumn<int>("received");    // records the portal stored
    QTest::addColumn<QString>("message"); // a message box shown (a part of it), or ""
    const QString sent = "Başarıyla Gönderildi...";
    const QString cancelled = "Gönderim iptal edildi...";
    auto row = [](const char *name) -> QTestData & { return QTest::newRow(name); };
    row("sent") << "" << 15 << 30 << "7"
                << "" << sent << 1 << "2" << 1 << "";
    row("no search result") << "no-result" << 15 << 30 << "7"
                            << ""
                            << "BAKANLIK SİTESİNDE 2024101 NOLU YİBF BULUNAMADI..." << 0 << "1" << 0
                            << "";
    row("several results, then one") << "several-results" << 15 << 30 << "7"
                                     << "" << sent << 1 << "2" << 1 << "";
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
                                                << "" << sent << 1 << "2" << 1 << "";
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
    row("save dated yesterday") << "save-yesterday" << 15 << 30 << "7"
                                << ""
                                << "Denetim Bilgisi Bakanlığa Gönderilemedi..." << 2 << "1" << 1
                                << "";
    // A confirmation page without its code cannot be confirmed by the program: the operator
    // cancels.
    row("confirmation coded null, operator cancels")
        << "confirm-null" << 15 << 30 << "47"
        << "cancel-on-frame" << cancelled << 2 << "1" << 0 << "";
    row("operator cancels") << "" << 15 << 30 << "7"
                            << "cancel-on-DYDYL" << cancelled << 2 << "1" << 0 << "";
    row("operator declines the confirmation") << "" << 15 << 30 << ""
                                              << "vazgec"
                                              << "Onaylama iptal edildi..." << 0 << "1" << 0 << "";
}

void tst_e2e_submission::faults()
{
    QFETCH(QString, fault);
    QFETCH(int, previous);
    QFETCH(int, daysAgo);
    QFETCH(QString, options);
    QFETCH(QString, operatorDoes);
    QFETCH(QString, status);
    QFETCH(int, icon);
    QFETCH(QString, state);
    QFETCH(int, received);
    QFETCH(QString, message);

    QVERIFY(m_sim->reset(seed(previous, daysAgo)));
    Record record{1, 20, 40, 10, 0, "Kaba inşaat tamamlandı"};
    if (fault == "twin-site") {
        record.ada = kAda + " B";
        QVERIFY(db::Exec(y3436(),
                         "insert into inşaat (sayi, ada, yedek1, firma) values (2, ?, ?, ?)",
                         {record.ada, kYibf, kUser}));
    } else if (!fault.isEmpty()) {
        const QStringList f = fault.split('=');
        QVERIFY(m_sim->setFault(f[0], f.value(1)));
    }
    addRecord(record);
    frm_giris *w = frm_giris::instance();
    w->grid_bakanlik_kullanicilar = {{kUser, "Anadolu Yapı Denetim Ltd. Şti."}};
    w->Text2.setText(kUser);
    w->Text3.setText(kPassword);
    w->ilk_kullanici.setText("operator");
    w->Check3->setChecked(options.contains('3'));
    w->Check4->setChecked(options.contains('4'));
    w->Check7->setChecked(options.contains('7'));
    int codes = 0;
    typeEveryCode(w, &codes);
    if (operatorDoes == "cancel-on-message")
        m_tp->messages->onShow = [](const auto &) {
            QTimer::singleShot(0, [] {
                if (frm_popup::exists())
                    frm_popup::instance()->Command1->click();
            });
        };

    w->Command2->click();
    QTRY_VERIFY_WITH_TIMEOUT(frm_popup::exists() && frm_popup::instance()->isVisible(), 30000);
    QElapsedTimer clock;
    clock.start();
    while (frm_popup::exists() && clock.elapsed() < 60000) {
        frm_popup *p = frm_popup::instance();
        if (operatorDoes == "cancel-on-DYDYL" && p->ekrankodu.text() == "DYDYL")
            p->Command1->click();
        else if (operatorDoes == "cancel-on-frame" && p->Frame7->isVisible())
            p->Command1->click();
        else if (operatorDoes == "vazgec" && p->Frame7->isVisible())
            p->Command6->click();
        QTest::qWait(20);
    }
    QVERIFY2(!frm_popup::exists(), "the submission window stayed open");

    QTreeWidgetItem *item = w->ListView1->topLevelItem(0);
    QVERIFY2(item->text(9).startsWith(status), qPrintable(item->text(9)));
    QCOMPARE(frm_giris::smallIcon(item), icon);
    const auto rows = db::Select(y3436(), "select * from yedek5 where sayı=1");
    QVERIFY(rows && rows->size() == 1);
    QCOMPARE(db::Text(rows->first(), "bak_durum"), state);
    QVERIFY(db::Text(rows->first(), "bakanlik_aciklama").startsWith(status.left(50)));
    QCOMPARE(int(m_sim->records().size()), received);
    // Nothing is ever marked sent that the portal did not store.
    if (item->text(9) == QStringLiteral("Başarıyla Gönderildi..."))
        QVERIFY(received > 0);
    if (message.isEmpty())
        QCOMPARE(m_tp->messages->texts(), QStringList());
    else
        QVERIFY2(!m_tp->messages->shown.isEmpty() &&
                     m_tp->messages->shown[0].text.contains(message),
                 qPrintable(m_tp->messages->texts().join(" | ")));
}

QTEST_MAIN(tst_e2e_submission)
#include "tst_e2e_submission.moc"
