// The whole job against the simulator: the pending list, the portal login with the typed code,
// the hand-over, the portal driven page by page, the outcome written back, the queue continued.
#include "platform/testing/testplatform.h"
#include "portal/frm_guvenlik.h"
#include "portal/portallogin.h"
#include "queue/frm_giris.h"
#include "simulator.h"
#include "startup/connection.h"
#include "startup/database.h"
#include "startup/schema.h"
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

private:
    void addRecord(const Record &r);
    QString y3436() const { return ConnectionString(QStringLiteral("y3436")); }
    QByteArray seed() const;

    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<Simulator> m_sim;
    QString m_ortak;
    QMap<int, QByteArray> m_photoHash;
};

void tst_e2e_submission::initTestCase()
{
    InstallSubmission();
}

QByteArray tst_e2e_submission::seed() const
{
    const QJsonObject s{
        {"institutions", QJsonArray{QJsonObject{{"name", "Anadolu Yapı Denetim Ltd. Şti."},
                                                {"user", kUser},
                                                {"password", kPassword},
                                                {"number", "1453"}}}},
        {"sites",
         QJsonArray{QJsonObject{
             {"yibf", QString::number(kYibf)},
             {"institution", kUser},
             {"ada", kAda},
             {"owner", "Ayşe Yılmaz"},
             {"inspections",
              QJsonArray{QJsonObject{{"daysAgo", 30}, {"levels", QJsonArray{10, 5, 0, 0}}}}}}}}};
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
    const QString web = m_ortak + "/fotograflar/" + kSiteFolder + "/web";
    QDir().mkpath(web);
    QImage image(880, 660, QImage::Format_RGB32);
    image.fill(QColor(20 * r.number % 255, 120, 200));
    QVERIFY(image.save(web + "/" + name, "JPG", 80));
    QFile f(web + "/" + name);
    QVERIFY(f.open(QIODevice::ReadOnly));
    m_photoHash[r.number] =
        QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex();
    QVERIFY(
        db::Exec(y3436(),
                 "insert into yedek5 (sayı, ada, tarih, alan1, alan2, aciklama, toplam, sev1, "
                 "sev2, sev3, sev4, gonderen, gonderentc, bak_durum) values (?, ?, ?, ?, ?, "
                 "'', ?, ?, ?, ?, ?, 'Mehmet Öztürk', '12345678950', '1')",
                 {r.number, kAda, m_tp->clock->today().addDays(r.number - 10), name, r.developments,
                  r.sev1 + r.sev2 + r.sev3 + r.sev4, r.sev1, r.sev2, r.sev3, r.sev4}));
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

    // The operator types the code of every security-code image.
    int codes = 0;
    connect(w->portalLogin, &PortalLogin::securityDialogShown, this, [&](frm_guvenlik *d) {
        ++codes;
        QTimer::singleShot(0, d, [this, d] {
            d->Text1->setText(m_sim->latestCode());
            d->Command1->click();
        });
    });

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

QTEST_MAIN(tst_e2e_submission)
#include "tst_e2e_submission.moc"
