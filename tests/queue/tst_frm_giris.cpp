// The main window's wiring over the pending queue: its load, a click that checks a row, the
// countdown that sends the next record, the row menu, the printed list and the sent history.
#include "core/addresses.h"
#include "core/printlist.h"
#include "core/statustexts.h"
#include "history/frm_gecmis.h"
#include "mainwindow.h"
#include "platform/deployment.h"
#include "queue/frm_giris.h"
#include "storefixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QThreadPool>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

using platform::MsgIcon;

class tst_frm_giris : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void windowLoad_data();
    void windowLoad();
    void clickChecksTheRowAndShowsItsDetails();
    void countdownSendsTheNextRecord();
    void rowMenu();
    void printedList();
    void sentHistory();
    void sendWithoutSomethingToSend_data();
    void sendWithoutSomethingToSend();

private:
    frm_giris *open(int records);
    std::unique_ptr<StoreFixture> m_fx;
    QList<QUrl> m_navigations;
};

void tst_frm_giris::init()
{
    m_fx = std::make_unique<StoreFixture>();
    m_navigations.clear();
    platform::Deployment d = platform::Deployment::builtIn();
    d.portalAppHost = QStringLiteral("http://portal.test");
    d.portalFrontHost = QStringLiteral("http://front.test");
    platform::Deployment::setCurrent(d);
}

void tst_frm_giris::cleanup()
{
    releaseMainWindow<frm_giris>();
    platform::Deployment::setCurrent(platform::Deployment::builtIn());
    m_fx.reset();
}

frm_giris *tst_frm_giris::open(int records)
{
    m_fx->settings(m_fx->ortak);
    m_fx->site(1, QStringLiteral("12/3 A"));
    for (int n = 1; n <= records; ++n) {
        StoreFixture::Record r;
        r.sayi = n;
        // Row 2 is no JPEG; row 3's photograph was never written.
        r.alan1 = n == 2   ? QStringLiteral("b.png")
                  : n == 3 ? QStringLiteral("c.jpg")
                           : QStringLiteral("a.jpg");
        m_fx->record(r);
    }
    StoreFixture::writePhoto(m_fx->webFolder(QStringLiteral("12/3 A")), QStringLiteral("a.jpg"),
                             800, 600);
    frm_giris *w = frm_giris::instance();
    w->navigate = [this](const QUrl &u) { m_navigations << u; };
    w->grid_bakanlik_kullanicilar = {{QStringLiteral("FIRMA"), QStringLiteral("Kurum")}};
    w->ilk_kullanici.setText(QStringLiteral("operatör"));
    w->Text2.setText(QStringLiteral("FIRMA"));
    return w;
}

void tst_frm_giris::windowLoad_data()
{
    QTest::addColumn<QString>("shared");
    QTest::newRow("firm settings read") << "c:\\ortak";
    QTest::newRow("no shared folder ends the program") << "";
}

void tst_frm_giris::windowLoad()
{
    QFETCH(QString, shared);
    m_fx->settings(shared, QStringLiteral("1"));
    if (shared.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(platform::ProcessEnded, frm_giris::instance());
        QCOMPARE(m_fx->tp.messages->texts(),
                 QStringList{QStringLiteral("Ortak Klasörünü Kontrol Ediniz....")});
        return;
    }
    frm_giris *w = frm_giris::instance();
    QCOMPARE(w->ortak.text(), shared);
    QCOMPARE(w->photoDateSetting, QStringLiteral("1"));
    QCOMPARE(w->tempx.text(), m_fx->tp.host->temp);
    QVERIFY(!w->Timer1->isActive());
    QCOMPARE(w->queue().recordCount(), 0); // nothing listed before the portal user name arrives
}

void tst_frm_giris::clickChecksTheRowAndShowsItsDetails()
{
    frm_giris *w = open(3);
    QCOMPARE(w->Label1->text(), QStringLiteral("3 adet Fotoğraf Bulundu..."));
    // The fill selected and checked row 1: its details and preview are shown.
    QCOMPARE(w->selectedRow(), 0);
    QCOMPARE(w->ListView2->topLevelItemCount(), 16);
    QCOMPARE(w->ListView2->topLevelItem(0)->text(1), QStringLiteral("1000"));
    QTRY_VERIFY_WITH_TIMEOUT(w->Image1->isVisibleTo(w), 5000);
    QCOMPARE(w->Label3->text(), queue::StatusQueued());
    // A preview still decoding when another row is chosen never shows over that row.
    w->listvievx_click(1);
    w->listvievx_click(3);
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    QVERIFY(!w->Image1->isVisibleTo(w));
    // A click on a ".png" row tells the operator it cannot be sent.
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QTest::mouseClick(w->ListView1->viewport(), Qt::LeftButton, {},
                      w->ListView1->visualRect(w->queue().index(1, 2)).center());
    QCOMPARE(w->selectedRow(), 1);
    QCOMPARE(
        m_fx->tp.messages->texts(),
        QStringList{queue::StatusNotJpg() + QStringLiteral("\rBu fotoğrafı gönderemezsiniz...")});
}

void tst_frm_giris::countdownSendsTheNextRecord()
{
    frm_giris *w = open(1);
    w->Check8->setChecked(true);
    w->tam_zaman.setText(QStringLiteral("3"));
    QStringList shown;
    connect(w->Timer1, &QTimer::timeout, this, [&] {
        if (w->Frame4->isVisibleTo(w))
            shown << w->Label2->text();
    });
    // A submission window closed: the countdown runs, then the next record is sent.
    w->yukleme.setText(QStringLiteral("1"));
    w->yukleme.setText(QString());
    QVERIFY(w->Timer1->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(m_navigations.size(), 1, 5000);
    QCOMPARE(m_navigations.first().toString(), LoginPageUrl());
    QVERIFY(!w->Timer1->isActive());
    QVERIFY(!w->Frame4->isVisibleTo(w));
    QCOMPARE(shown.first(), QStringLiteral("Bekleme Süresi  : 2 sn."));
    QCOMPARE(shown.last(), QStringLiteral("Fotoğraf Gönderimi Başlıyor"));
    // Without the queue option nothing starts.
    w->Check8->setChecked(false);
    w->yukleme.setText(QStringLiteral("1"));
    w->yukleme.setText(QString());
    QVERIFY(!w->Timer1->isActive());
}

void tst_frm_giris::rowMenu()
{
    frm_giris *w = open(1);
    w->mn_klasor_ac->trigger();
    QCOMPARE(m_fx->tp.launcher->calls.size(), 1);
    QCOMPARE(m_fx->tp.launcher->calls[0].kind, QStringLiteral("folder"));
    QCOMPARE(m_fx->tp.launcher->calls[0].program,
             m_fx->webFolder(QStringLiteral("12/3 A")) + QLatin1Char('/'));
    // Withdrawn only when the operator says yes.
    m_fx->tp.messages->answers << false << true;
    w->mn_iptal->trigger();
    QCOMPARE(w->queue().recordCount(), 1);
    w->mn_iptal->trigger();
    QCOMPARE(w->queue().recordCount(), 0);
    QVERIFY(m_fx->column(1, QStringLiteral("bak_durum")).isNull());
}

void tst_frm_giris::printedList()
{
    frm_giris *w = open(2);
    QStringList reports;
    w->showReport = [&reports](const QString &sibling) { reports << sibling; };
    m_fx->tp.settings->save(QStringLiteral("tarvek2000"), QStringLiteral("2.0"),
                            QStringLiteral("path"), QStringLiteral("c:\\tarvek2000"));
    w->Command3->click();
    QCOMPARE(reports, QStringList{QStringLiteral("c:\\tarvek2000")});
    const db::Rows rows = queue::ReadPrintBuffer(QStringLiteral("c:\\tarvek2000"));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(db::Text(rows[1], QStringLiteral("63")), queue::StatusNotJpg());
}

void tst_frm_giris::sentHistory()
{
    frm_giris *w = open(0);
    const QDate today = m_fx->tp.clock->today();
    // Sent: 10 today with its proof, 11 today by another operator, 12 yesterday.
    for (const QVariantList &r : QList<QVariantList>{
             {10, today, "operatör"}, {11, today, "Can"}, {12, today.addDays(-1), "operatör"}})
        QVERIFY(db::Exec(StoreFixture::y(),
                         "insert into yedek5 (sayı, ada, alan1, bak_durum, bak_tarih, kullanici) "
                         "values (?, '12/3 A', 'a.jpg', '2', ?, ?)",
                         r));
    const ProofFiles proof = ProofPaths(ProofFolder(w->ortak.text(), "12/3 A"), "1000", today, 10);
    QVERIFY(WriteProof(proof, "%PDF-1.4", "jpeg"));
    w->Command4->click();
    auto *h = w->findChild<frm_gecmis *>();
    QVERIFY(h && h->isVisible());
    QCOMPARE(h->ListView1->topLevelItemCount(), 2);
    h->Combo2->setCurrentIndex(h->Combo2->findData("Can"));
    QCOMPARE(h->shown().size(), 1);
    h->ListView1->setCurrentItem(h->ListView1->topLevelItem(0));
    QVERIFY(!h->Command1->isEnabled()); // no proof to open
    // A wider period keeps the operator chosen, until every operator is chosen again.
    h->DTPicker1->setDate(today.addDays(-1));
    QCOMPARE(h->shown().size(), 1);
    h->Combo2->setCurrentIndex(0);
    QCOMPARE(h->ListView1->topLevelItemCount(), 3);
    h->ListView1->setCurrentItem(h->ListView1->topLevelItem(1));
    h->Command1->click();
    h->Command2->click();
    QCOMPARE(m_fx->tp.launcher->calls.size(), 2);
    QCOMPARE(m_fx->tp.launcher->calls[0].program, proof.pdf);
    QCOMPARE(m_fx->tp.launcher->calls[1].kind, QStringLiteral("folder"));
    // Printed and saved through the program's report, as the operator names the files.
    QList<queue::Report> reports;
    h->showReport = [&reports](const queue::Report &r) { reports << r; };
    h->askFileName = [this](const QString &, const QString &) {
        return m_fx->tp.root.filePath("liste");
    };
    h->Command3->click();
    h->Command4->click();
    h->Command5->click();
    QVERIFY(reports.size() == 1 && reports[0].rows.size() == 3);
    QFile pdf(m_fx->tp.root.filePath("liste.pdf")), csv(m_fx->tp.root.filePath("liste.csv"));
    QVERIFY(pdf.open(QIODevice::ReadOnly) && pdf.read(5) == "%PDF-");
    QVERIFY(csv.open(QIODevice::ReadOnly) && csv.readAll().count('\n') == 4);
    QVERIFY(m_fx->tp.messages->texts().isEmpty());
    // One history window.
    w->Command4->click();
    QCOMPARE(w->findChildren<frm_gecmis *>().size(), 1);
}

void tst_frm_giris::sendWithoutSomethingToSend_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<bool>("portal");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty list") << 0 << true << "Seçili Fotoğraf Bulunmamaktadır...";
    QTest::newRow("no portal host configured") << 1 << false << PortalNotConfiguredText();
}

void tst_frm_giris::sendWithoutSomethingToSend()
{
    QFETCH(int, records);
    QFETCH(bool, portal);
    QFETCH(QString, message);
    if (!portal)
        platform::Deployment::setCurrent(platform::Deployment::builtIn());
    frm_giris *w = open(records);
    m_fx->tp.messages->clear();
    w->Command2->click();
    QCOMPARE(m_fx->tp.messages->texts(), QStringList{message});
    QVERIFY(m_navigations.isEmpty());
}

QTEST_MAIN(tst_frm_giris)
#include "tst_frm_giris.moc"
