#include "login/session.h"
#include "platform/deployment.h"
#include "portal/addresses.h"
#include "portal/portalprofile.h"
#include "queue/frm_giris.h"
#include "queue/printlist.h"
#include "queue/queuerules.h"
#include "queue/statusnote.h"
#include "storefixture.h"
#include "tools/demo/queuedemo.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSqlField>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QtTest>

#include <memory>

using namespace platform::testing;

namespace {
const QString kUser = QStringLiteral("FIRMA");

QTreeWidgetItem *detailRow(frm_giris *w, const QString &key)
{
    for (int i = 0; i < w->ListView2->topLevelItemCount(); ++i)
        if (w->ListView2->topLevelItem(i)->data(0, Qt::UserRole).toString() == key)
            return w->ListView2->topLevelItem(i);
    return nullptr;
}

QString detailValue(frm_giris *w, const QString &key)
{
    const QTreeWidgetItem *d = detailRow(w, key);
    return d ? d->text(1) : QStringLiteral("<absent>");
}

bool isRed(const QTreeWidgetItem *item)
{
    return item && item->foreground(0).color() == QColor(255, 0, 0);
}
} // namespace

class tst_frm_giris : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QueueFixture> fx;
    QList<PendingPhoto> prepared;
    QList<QUrl> navigations;
    QStringList reports;
    bool preparationWrites = true;

    // The main window as the login leaves it: fields filled in the login's order.
    frm_giris *open(int gridRows = 1, const QString &user = kUser)
    {
        frm_giris *w = frm_giris::instance();
        w->prepare = [this](const PendingPhoto &p, const QString &ortak, const QString &) {
            prepared.append(p);
            if (!preparationWrites)
                return;
            const QString site = ortak + QStringLiteral("/fotograflar/") + SiteFolderName(p.ada);
            QDir().mkpath(site + QStringLiteral("/web"));
            QFile::copy(site + QLatin1Char('/') + p.alan1,
                        site + QStringLiteral("/web/") + p.alan1);
        };
        w->navigate = [this](const QUrl &u) { navigations.append(u); };
        w->showReport = [this](const QString &sibling) { reports.append(sibling); };
        for (int i = 0; i < gridRows; ++i)
            w->grid_bakanlik_kullanicilar.append({kUser, QStringLiteral("Kurum %1").arg(i)});
        w->ilk_kullanici.setText(QStringLiteral("Operatör Adı Yirmi Karakterden Uzun"));
        w->Text2.setText(user);
        return w;
    }

    // One sendable record with its prepared photo, plus what the case changes.
    void oneRecord(const QueueFixture::Record &r = {}, int w = 800, int h = 600)
    {
        fx->site(int(r.sayi), r.ada);
        fx->record(r);
        QVERIFY(
            !QueueFixture::writePhoto(fx->webFolder(r.ada), r.alan1.toString(), w, h).isEmpty());
    }

private Q_SLOTS:
    void init()
    {
        fx = std::make_unique<QueueFixture>();
        prepared.clear();
        navigations.clear();
        reports.clear();
        preparationWrites = true;
        SetHostIdentity(QStringLiteral("ISTASYON-1"), QStringLiteral("192.168.1.20"));
    }
    void cleanup()
    {
        frm_giris::release();
        fx.reset();
    }

    void loadReadsFirmSettings()
    {
        fx->settings(fx->ortak, QStringLiteral("1"));
        frm_giris *w = frm_giris::instance();
        QCOMPARE(w->ortak.text(), fx->ortak);
        QCOMPARE(w->photoDateSetting, QStringLiteral("1"));
        QCOMPARE(w->tempx.text(), fx->tp.host->temp);
        QCOMPARE(w->Label1->text(), QStringLiteral("Vers. : 1.0.1"));
        QVERIFY(!w->Timer1->isActive());
        // no user name yet: nothing listed, no columns built
        QCOMPARE(w->ListView1->topLevelItemCount(), 0);
        QVERIFY(w->ListView1->columnCount() != 11);
    }

    void loadWithoutSharedFolderEndsProgram()
    {
        fx->settings(QString());
        QVERIFY_THROWS_EXCEPTION(platform::ProcessEnded, frm_giris::instance());
        QCOMPARE(fx->tp.messages->texts(),
                 QStringList{QStringLiteral("Ortak Klasörünü Kontrol Ediniz....")});
        QCOMPARE(fx->tp.messages->shown.first().icon, platform::MsgIcon::Critical);
    }

    void listFill_data()
    {
        QTest::addColumn<QString>("alan1");
        QTest::addColumn<QString>("where"); // web, site, none
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("pathShown");
        QTest::addColumn<int>("prepares");

        const QString q = queue::StatusQueued();
        const QString bad = queue::StatusNotJpg();
        QTest::newRow("prepared") << "a.jpg"
                                  << "web" << true << q << true << 0;
        QTest::newRow("upper case") << "A.JPG"
                                    << "web" << true << q << true << 0;
        QTest::newRow("mixed case, Turkish locale") << "ışık.JpG"
                                                    << "web" << true << q << true << 0;
        QTest::newRow("only in site folder") << "a.jpg"
                                             << "site" << true << q << true << 1;
        QTest::newRow("nowhere") << "a.jpg"
                                 << "none" << true << q << false << 0;
        QTest::newRow("jpeg") << "a.jpeg"
                              << "web" << false << bad << false << 0;
        QTest::newRow("png") << "a.png"
                             << "site" << false << bad << false << 0;
    }
    void listFill()
    {
        QFETCH(QString, alan1);
        QFETCH(QString, where);
        QFETCH(bool, ticked);
        QFETCH(QString, status);
        QFETCH(bool, pathShown);
        QFETCH(int, prepares);

        fx->settings(fx->ortak);
        QueueFixture::Record r;
        r.alan1 = QStringLiteral("first.jpg");
        r.tarih = QStringLiteral("2026-02-01");
        fx->site(1, r.ada, 4321);
        fx->record(r); // row 1 is the one the fill selects and checks
        QueueFixture::writePhoto(fx->webFolder(r.ada), QStringLiteral("first.jpg"), 640, 480);
        r.sayi = 77;
        r.alan1 = alan1;
        r.tarih = QStringLiteral("2026-03-01");
        fx->record(r);
        if (where != QStringLiteral("none"))
            QueueFixture::writePhoto(where == QStringLiteral("web") ? fx->webFolder(r.ada)
                                                                    : fx->siteFolder(r.ada),
                                     alan1, 640, 480);
        frm_giris *w = open();

        QCOMPARE(w->ListView1->columnCount(), 11);
        QCOMPARE(w->ListView1->headerItem()->text(9), QStringLiteral("Durum"));
        QCOMPARE(w->ListView1->columnWidth(0), 50);
        QCOMPARE(w->ListView1->columnWidth(1), 55);
        QCOMPARE(w->ListView1->columnWidth(10), 103);
        QCOMPARE(w->ListView1->topLevelItemCount(), 2);
        QTreeWidgetItem *item = w->row(2);
        QCOMPARE(frm_giris::rowKey(item), QStringLiteral("f77"));
        QCOMPARE(item->text(0), QStringLiteral("2"));
        QCOMPARE(item->text(1), QStringLiteral("4321"));
        QCOMPARE(item->text(2), r.ada);
        QCOMPARE(item->text(5), alan1);
        QCOMPARE(item->text(8), QStringLiteral("40"));
        QCOMPARE(item->checkState(0) == Qt::Checked, ticked);
        QCOMPARE(item->text(9), status);
        QCOMPARE(!item->text(10).isEmpty(), pathShown);
        if (pathShown)
            QCOMPARE(item->text(10), fx->webFolder(r.ada) + QLatin1Char('/') + alan1);
        QCOMPARE(prepared.size(), prepares);
        QCOMPARE(w->Label1->text(), QStringLiteral("2 adet Fotoğraf Bulundu..."));
        QCOMPARE(frm_giris::rowColour(item), ticked ? queue::kBlack : queue::kRed);
        QCOMPARE(item->icon(0).isNull(), ticked);
        QCOMPARE(w->selectedRowKey(), QStringLiteral("f1"));
        QVERIFY(fx->tp.messages->shown.isEmpty());
    }

    void listFillPreparesWithRecordValues()
    {
        fx->settings(fx->ortak, QStringLiteral("1"));
        QueueFixture::Record r;
        r.tarih = QStringLiteral("2012-03-12");
        fx->site(1, r.ada);
        fx->record(r);
        QueueFixture::writePhoto(fx->siteFolder(r.ada), QStringLiteral("a.jpg"), 640, 480);
        preparationWrites = false;
        frm_giris *w = open();
        QVERIFY(prepared.size() >= 1);
        QCOMPARE(prepared.first().alan1, QStringLiteral("a.jpg"));
        QCOMPARE(prepared.first().ada, r.ada);
        QCOMPARE(prepared.first().tarih, QDate(2012, 3, 12));
        QCOMPARE(w->row(1)->text(10), QString()); // the tool made no copy
    }

    void listFillOrderAndRestriction_data()
    {
        QTest::addColumn<int>("gridRows");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("one institution: every firm") << 1 << kUser << QStringList{"f3", "f1", "f2"};
        QTest::newRow("two institutions: own firm") << 2 << kUser << QStringList{"f3", "f1"};
        QTest::newRow("quote in the user name")
            << 2 << QStringLiteral("O'NEIL") << QStringList{"f2"};
    }
    void listFillOrderAndRestriction()
    {
        QFETCH(int, gridRows);
        QFETCH(QString, user);
        QFETCH(QStringList, keys);
        fx->settings(fx->ortak);
        fx->site(1, QStringLiteral("A"), 1, QStringLiteral("x"), QStringLiteral("y"), kUser);
        fx->site(2, QStringLiteral("B"), 2, QStringLiteral("x"), QStringLiteral("y"),
                 QStringLiteral("O'NEIL"));
        QueueFixture::Record r;
        r.ada = QStringLiteral("A");
        r.tarih = QStringLiteral("2026-03-02");
        fx->record(r);
        r.sayi = 2;
        r.ada = QStringLiteral("B");
        r.tarih = QStringLiteral("2026-03-03");
        fx->record(r);
        r.sayi = 3;
        r.ada = QStringLiteral("A");
        r.tarih = QStringLiteral("2026-03-01");
        fx->record(r);
        r.sayi = 4; // already sent
        r.bak_tarih = QStringLiteral("2026-03-04");
        fx->record(r);
        r.sayi = 5; // withdrawn
        r.bak_tarih = QVariant(QMetaType::fromType<QString>());
        r.bak_durum = QVariant(QMetaType::fromType<QString>());
        fx->record(r);
        frm_giris *w = open(gridRows, user);
        QStringList listed;
        for (int i = 1; i <= w->ListView1->topLevelItemCount(); ++i)
            listed.append(frm_giris::rowKey(w->row(i)));
        QCOMPARE(listed, keys);
    }

    void nullValuesInEveryColumn()
    {
        fx->settings(fx->ortak);
        const QVariant null(QMetaType::fromType<QString>());
        fx->site(1, QStringLiteral("N"), null, null, null, null);
        QueueFixture::Record r;
        r.ada = QStringLiteral("N");
        r.tarih = QString();
        r.alan1 = null;
        r.alan2 = null;
        r.aciklama = null;
        r.toplam = null;
        r.gonderen = null;
        r.gonderentc = null;
        fx->record(r);
        frm_giris *w = open();
        QCOMPARE(w->ListView1->topLevelItemCount(), 1);
        const QTreeWidgetItem *item = w->row(1);
        for (int c : {1, 3, 4, 5, 6, 7, 8, 10})
            QCOMPARE(item->text(c), QString());
        QCOMPARE(item->text(9), queue::StatusNotJpg());
    }

    void emptyUserNameChangesNothing()
    {
        fx->settings(fx->ortak);
        oneRecord();
        frm_giris *w = open();
        w->ListView1->addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("extra")}));
        w->Text2.setText(QString());
        QCOMPARE(w->ListView1->topLevelItemCount(), 2);
        w->sorsana();
        QCOMPARE(w->ListView1->topLevelItemCount(), 2);
    }

    void emptyListTexts()
    {
        fx->settings(fx->ortak);
        frm_giris *w = open();
        QCOMPARE(w->Label1->text(), QStringLiteral("Fotoğraf Bulunamadı..."));
        w->Command2_Click();
        QCOMPARE(fx->tp.messages->texts(),
                 QStringList{QStringLiteral("Seçili Fotoğraf Bulunmamaktadır...")});
        QCOMPARE(fx->tp.messages->shown.first().icon, platform::MsgIcon::Information);
        QVERIFY(navigations.isEmpty());
        w->Command3_Click();
        QCOMPARE(fx->tp.messages->texts().last(),
                 QStringLiteral("Yazdırılacak Veri Bulunamadı..."));
        QCOMPARE(fx->tp.messages->shown.last().icon, platform::MsgIcon::Critical);
        QVERIFY(reports.isEmpty());
    }

    void checks_data()
    {
        QTest::addColumn<QVariant>("alan2");
        QTest::addColumn<QVariant>("gonderen");
        QTest::addColumn<QVariant>("gonderentc");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QVariant>("stored");

        const QVariant none;
        const QString ok = queue::StatusQueued();
        const QString dims = QStringLiteral("Resim Ebatlarını Kontrol Ediniz");
        const QString size = QStringLiteral("Dosya boyutu 1 Mb'dan Büyük...");
        const QVariant dev = QStringLiteral("Temel atıldı");
        const QVariant name = QStringLiteral("Ali Veli");
        const QVariant tc = QStringLiteral("11111111110");
        const QVariant empty = QString();
        auto row = [&](const char *tag, QVariant a2, QVariant g, QVariant t, const char *where,
                       QSize px, qint64 bytes, QString status, QVariant stored) {
            QTest::newRow(tag) << a2 << g << t << QString::fromLatin1(where) << px << bytes
                               << status << stored;
        };
        row("sendable", dev, name, tc, "web", {800, 600}, 0, ok, none);
        row("no developments: not stored", empty, name, tc, "web", {800, 600}, 0,
            QStringLiteral("Yapıdaki Gelişmeler Bilgisi Bulunamadı"), none);
        row("no sender", dev, empty, tc, "web", {800, 600}, 0,
            QStringLiteral("Fotoğrafı Gönderen Bilgisi Bulunamadı..."),
            QStringLiteral("Fotoğrafı Gönderen Bilgisi Bulunamadı..."));
        row("no TC", dev, name, QVariant(QMetaType::fromType<QString>()), "web", {800, 600}, 0,
            QStringLiteral("Fotoğrafı Gönderen TC Numarası Bilgisi Bulunamadı..."),
            QStringLiteral("Fotoğrafı Gönderen TC Numarası Bilgisi Bulunamadı..."));
        row("neither: the last one stays", dev, empty, empty, "web", {800, 600}, 0,
            QStringLiteral("Fotoğrafı Gönderen TC Numarası Bilgisi Bulunamadı..."),
            QStringLiteral("Fotoğrafı Gönderen TC Numarası Bilgisi Bulunamadı..."));
        row("photo nowhere", dev, name, tc, "none", {800, 600}, 0,
            QStringLiteral("Fotoğraf Bulunamadı..."), QStringLiteral("Fotoğraf Bulunamadı..."));
        row("unprepared original loaded", dev, name, tc, "site", {800, 600}, 0, ok, none);
        row("1024.0 KB passes", dev, name, tc, "web", {800, 600}, 1048576, ok, none);
        row("1024.05 KB rounds down", dev, name, tc, "web", {800, 600}, 1048626, ok, none);
        row("1024.1 KB fails", dev, name, tc, "web", {800, 600}, 1048679, size, size);
        row("landscape limit", dev, name, tc, "web", {1100, 700}, 0, ok, none);
        row("landscape too wide", dev, name, tc, "web", {1101, 700}, 0, dims, dims);
        row("landscape too tall", dev, name, tc, "web", {1100, 701}, 0, dims, dims);
        row("landscape 1000x800", dev, name, tc, "web", {1000, 800}, 0, dims, dims);
        row("portrait limit", dev, name, tc, "web", {700, 1100}, 0, ok, none);
        row("portrait too wide", dev, name, tc, "web", {701, 1100}, 0, dims, dims);
        row("portrait 800x1000", dev, name, tc, "web", {800, 1000}, 0, dims, dims);
        row("square limit", dev, name, tc, "web", {700, 700}, 0, ok, none);
        row("square too big", dev, name, tc, "web", {701, 701}, 0, dims, dims);
    }
    void checks()
    {
        QFETCH(QVariant, alan2);
        QFETCH(QVariant, gonderen);
        QFETCH(QVariant, gonderentc);
        QFETCH(QString, where);
        QFETCH(QSize, pixels);
        QFETCH(qint64, bytes);
        QFETCH(QString, status);
        QFETCH(QVariant, stored);

        fx->settings(fx->ortak);
        QueueFixture::Record r;
        r.sayi = 9;
        r.alan2 = alan2;
        r.gonderen = gonderen;
        r.gonderentc = gonderentc;
        fx->site(1, r.ada);
        fx->record(r);
        if (where != QStringLiteral("none"))
            QVERIFY(
                !QueueFixture::writePhoto(
                     where == QStringLiteral("web") ? fx->webFolder(r.ada) : fx->siteFolder(r.ada),
                     QStringLiteral("a.jpg"), pixels.width(), pixels.height(), bytes)
                     .isEmpty());
        preparationWrites = false;
        frm_giris *w = open();

        const QTreeWidgetItem *item = w->row(1);
        QCOMPARE(item->text(9), status);
        const bool sendable = status == queue::StatusQueued();
        QCOMPARE(w->isQueued(1), sendable);
        QCOMPARE(frm_giris::rowColour(item), sendable ? queue::kBlack : queue::kRed);
        QCOMPARE(item->icon(0).isNull(), sendable);
        const QVariant note = fx->column(9, QStringLiteral("bakanlik_aciklama"));
        QCOMPARE(note.isNull(), !stored.isValid());
        QCOMPARE(note.toString(), stored.toString().left(50)); // notes are cut to 50
        if (stored.isValid()) {
            QCOMPARE(fx->column(9, QStringLiteral("prog_ID")).toInt(), 2002);
            QCOMPARE(fx->column(9, QStringLiteral("kullanici")).toString(),
                     QStringLiteral("Operatör Adı Yirmi K"));
        }
        QCOMPARE(fx->column(9, QStringLiteral("bak_durum")).toString(), QStringLiteral("1"));
        QVERIFY(fx->tp.messages->shown.isEmpty());
        if (where == QStringLiteral("none")) {
            // nothing measured: no path, pixel or size rows
            QCOMPARE(detailValue(w, QStringLiteral("f13")), QStringLiteral("<absent>"));
            QCOMPARE(detailValue(w, QStringLiteral("f14")), QStringLiteral("<absent>"));
            QCOMPARE(detailValue(w, QStringLiteral("f15")), QStringLiteral("<absent>"));
        } else {
            QCOMPARE(detailValue(w, QStringLiteral("f14")), queue::DimensionText(pixels));
        }
        QCOMPARE(isRed(detailRow(w, QStringLiteral("f16"))), !sendable);
    }

    void detailsRows()
    {
        fx->settings(fx->ortak);
        QueueFixture::Record r;
        r.aciklama = QString();
        fx->site(1, r.ada, 5555);
        fx->record(r);
        const QString photo = QueueFixture::writePhoto(fx->webFolder(r.ada),
                                                       QStringLiteral("a.jpg"), 640, 480, 1536000);
        frm_giris *w = open();
        QCOMPARE(w->ListView2->columnCount(), 2);
        QCOMPARE(w->ListView2->headerItem()->text(0), QStringLiteral("Özellik"));
        QCOMPARE(w->ListView2->columnWidth(0), 200);
        const QStringList keys{"f1", "f2",  "f3",  "f4",  "f5",  "f6",  "f7",  "f8",
                               "f9", "f10", "f11", "f12", "f13", "f14", "f15", "f16"};
        QCOMPARE(w->ListView2->topLevelItemCount(), keys.size());
        for (int i = 0; i < keys.size(); ++i)
            QCOMPARE(w->ListView2->topLevelItem(i)->data(0, Qt::UserRole).toString(), keys[i]);
        QCOMPARE(detailRow(w, "f1")->text(0), QStringLiteral("YİBF No"));
        QCOMPARE(detailValue(w, "f1"), QStringLiteral("5555"));
        QCOMPARE(detailValue(w, "f3"), QStringLiteral("10"));
        QCOMPARE(detailRow(w, "f11")->text(0), QStringLiteral("Fotoğrafın Gönderen TC Numarası"));
        QCOMPARE(detailValue(w, "f13"), photo);
        QCOMPARE(detailValue(w, "f14"), QStringLiteral("640 x 480"));
        QCOMPARE(detailValue(w, "f15"), QStringLiteral("1500 Kbayt"));
        QCOMPARE(detailValue(w, "f16"), QStringLiteral("Dosya boyutu 1 Mb'dan Büyük..."));
        QVERIFY(isRed(detailRow(w, "f9")));   // empty remarks: marked only
        QVERIFY(!isRed(detailRow(w, "f15"))); // the size failure marks no details row
        QCOMPARE(w->Label3->text(), queue::StatusQueued());
        QVERIFY(w->Image1->isVisible() || !w->isVisible());
        QVERIFY(!w->Image1->pixmap().isNull());
        QVERIFY(w->Image1->pixmap().width() <= w->Frame2->width());
    }

    void statusRowRule_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("red");
        QTest::newRow("sent") << queue::StatusSent() << false;
        QTest::newRow("7 days") << queue::StatusSevenDays() << false;
        QTest::newRow("cancelled") << QStringLiteral("Gönderim iptal edildi...") << true;
    }
    void statusRowRule()
    {
        QFETCH(QString, status);
        QFETCH(bool, red);
        fx->settings(fx->ortak);
        oneRecord();
        frm_giris *w = open();
        QTreeWidgetItem *item = w->row(1);
        item->setText(9, status);
        w->listvievx_click(1);
        QCOMPARE(detailValue(w, "f16"), status);
        QCOMPARE(isRed(detailRow(w, "f16")), red);
        QCOMPARE(frm_giris::rowColour(item), red ? queue::kRed : queue::kBlack);
        QCOMPARE(item->icon(0).isNull(), !red);
        QCOMPARE(item->checkState(0), Qt::Checked); // marked, never unticked
        QCOMPARE(item->text(9), status);
        QVERIFY(fx->column(1, QStringLiteral("bakanlik_aciklama")).isNull());
    }

    void notJpgRowKeepsPreviousDetails()
    {
        fx->settings(fx->ortak);
        oneRecord();
        QueueFixture::Record r;
        r.sayi = 2;
        r.tarih = QStringLiteral("2026-03-05");
        r.alan1 = QStringLiteral("b.png");
        fx->record(r);
        frm_giris *w = open();
        QCOMPARE(detailValue(w, "f12"), QStringLiteral("a.jpg"));
        for (int i = 0; i < 2; ++i) {
            w->listvievx_click(2);
            QCOMPARE(fx->tp.messages->texts().size(), i + 1);
        }
        QCOMPARE(
            fx->tp.messages->texts().last(),
            QStringLiteral("Resim Uzantısı JPG Olmalıdır...\rBu fotoğrafı gönderemezsiniz..."));
        QCOMPARE(detailValue(w, "f12"), QStringLiteral("a.jpg"));
    }

    void fileDisappearsBeforeSelecting()
    {
        fx->settings(fx->ortak);
        oneRecord();
        frm_giris *w = open();
        QVERIFY(QFile::remove(fx->webFolder(QStringLiteral("12/3 A")) + QStringLiteral("/a.jpg")));
        w->listvievx_click(1);
        QCOMPARE(w->row(1)->text(9), QStringLiteral("Fotoğraf Bulunamadı..."));
        QCOMPARE(detailValue(w, "f14"), QStringLiteral("<absent>")); // not the old photo's size
        QCOMPARE(fx->column(1, QStringLiteral("bakanlik_aciklama")).toString(),
                 QStringLiteral("Fotoğraf Bulunamadı..."));
    }

    void unreadablePhoto_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not a picture") << QByteArray(5000, 'x');
        QTest::newRow("empty file") << QByteArray();
    }
    void unreadablePhoto()
    {
        QFETCH(QByteArray, content);
        fx->settings(fx->ortak);
        QueueFixture::Record r;
        fx->site(1, r.ada);
        fx->record(r);
        QDir().mkpath(fx->webFolder(r.ada));
        QFile f(fx->webFolder(r.ada) + QStringLiteral("/a.jpg"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        frm_giris *w = open();
        QCOMPARE(detailValue(w, "f14"), QStringLiteral("<absent>"));
        QCOMPARE(detailValue(w, "f15"), queue::SizeText(content.size()));
        QVERIFY(w->Image1->isHidden());
        QCOMPARE(w->row(1)->text(9), queue::StatusQueued());
    }

    void truncatedJpegStillMeasured()
    {
        fx->settings(fx->ortak);
        oneRecord({}, 1200, 800);
        const QString path = fx->webFolder(QStringLiteral("12/3 A")) + QStringLiteral("/a.jpg");
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        const qsizetype scan = f.readAll().indexOf("\xFF\xDA");
        QVERIFY(scan > 0);
        f.resize(scan + 40); // the header survives, the picture does not
        f.close();
        frm_giris *w = open();
        QCOMPARE(detailValue(w, "f14"), QStringLiteral("1200 x 800"));
        QCOMPARE(w->row(1)->text(9), QStringLiteral("Resim Ebatlarını Kontrol Ediniz"));
    }

    void manualTicking()
    {
        fx->settings(fx->ortak);
        oneRecord();
        frm_giris *w = open();
        QTreeWidgetItem *item = w->row(1);
        item->setText(9, QStringLiteral("Gönderim iptal edildi..."));
        item->setCheckState(0, Qt::Unchecked);
        QCOMPARE(frm_giris::rowColour(item), queue::kBlack);
        QCOMPARE(item->text(9), QStringLiteral("Gönderim iptal edildi..."));
        QVERIFY(!w->isQueued(1));
        item->setCheckState(0, Qt::Checked);
        QCOMPARE(frm_giris::rowColour(item), queue::kGreen);
        QCOMPARE(item->text(9), queue::StatusQueued());
        QVERIFY(w->isQueued(1));
    }

    void tickAll()
    {
        fx->settings(fx->ortak);
        oneRecord();
        QueueFixture::Record r;
        r.sayi = 2;
        r.alan1 = QStringLiteral("b.png");
        fx->record(r);
        frm_giris *w = open();
        w->Check2->click();
        for (int i = 1; i <= 2; ++i) {
            QCOMPARE(w->row(i)->checkState(0), Qt::Checked);
            QCOMPARE(frm_giris::rowColour(w->row(i)), queue::kGreen);
        }
        QCOMPARE(w->row(2)->text(9), queue::StatusNotJpg()); // statuses stay
        w->Check2->click();
        for (int i = 1; i <= 2; ++i) {
            QCOMPARE(w->row(i)->checkState(0), Qt::Unchecked);
            QCOMPARE(frm_giris::rowColour(w->row(i)), queue::kBlack);
        }
    }

    void firstQueuedRow()
    {
        fx->settings(fx->ortak);
        for (int i = 1; i <= 3; ++i) {
            QueueFixture::Record r;
            r.sayi = i;
            r.tarih = QStringLiteral("2026-03-0%1").arg(i);
            if (i == 1)
                r.alan1 = QStringLiteral("x.png");
            fx->record(r);
        }
        fx->site(1, QStringLiteral("12/3 A"));
        QueueFixture::writePhoto(fx->webFolder(QStringLiteral("12/3 A")), QStringLiteral("a.jpg"),
                                 640, 480);
        frm_giris *w = open();
        w->row(2)->setCheckState(0, Qt::Unchecked);
        QCOMPARE(w->rapor_sirasi(), std::optional<int>(3));
        QCOMPARE(w->selectedRowKey(), QStringLiteral("f3"));
        w->row(3)->setCheckState(0, Qt::Unchecked);
        QCOMPARE(w->rapor_sirasi(), std::nullopt);
        // send with rows but none queued still opens the login page
        w->Command2_Click();
        QCOMPARE(navigations.size(), 1);
    }

    void sendOpensLoginPageInPortalBrowser()
    {
        // The portal's application host pointed at a local folder holding the login page.
        const platform::Deployment saved = platform::Deployment::current();
        platform::Deployment d = saved;
        d.portalAppHost = QUrl::fromLocalFile(fx->tp.root.path()).toString();
        platform::Deployment::setCurrent(d);
        const QString page = fx->tp.root.path() + QStringLiteral("/yds/rol/ziyaretci");
        QDir().mkpath(page);
        QFile html(page + QStringLiteral("/LA_G_Z_K.jsf"));
        QVERIFY(html.open(QIODevice::WriteOnly));
        html.write("<html><body>giris</body></html>");
        html.close();

        fx->settings(fx->ortak);
        oneRecord();
        frm_giris *w = open();
        w->navigate = frm_giris::defaultNavigate(w);
        QSignalSpy loaded(w->WebBrowser1, &QWebEngineView::loadFinished);
        w->Command2->click();
        QVERIFY(loaded.wait(20000));
        QCOMPARE(w->WebBrowser1->url().toString(), LoginPageUrl());
        QCOMPARE(w->WebBrowser1->page()->profile(), PortalProfile());
        QCOMPARE(PortalProfile()->httpCacheType(), QWebEngineProfile::NoCache);
        platform::Deployment::setCurrent(saved);
    }

    void keyInListShowsThatRow()
    {
        fx->settings(fx->ortak);
        oneRecord();
        QueueFixture::Record r;
        r.sayi = 2;
        r.tarih = QStringLiteral("2026-03-05");
        r.alan1 = QStringLiteral("b.jpg");
        fx->record(r);
        frm_giris *w = open();
        QCOMPARE(detailValue(w, "f12"), QStringLiteral("a.jpg"));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QTest::keyClick(w->ListView1, Qt::Key_Down);
        QCOMPARE(w->selectedRowKey(), QStringLiteral("f2"));
        QCOMPARE(detailValue(w, "f12"), QStringLiteral("b.jpg"));
        QCOMPARE(w->row(2)->text(9), QStringLiteral("Fotoğraf Bulunamadı..."));
    }

    void countdownSteps()
    {
        fx->settings(fx->ortak);
        oneRecord();
        frm_giris *w = open();
        w->show();
        w->Check8->setChecked(true);
        w->tam_zaman.setText(QStringLiteral("3"));
        const QStringList expected{QStringLiteral("Bekleme Süresi  : 2 sn."),
                                   QStringLiteral("Fotoğraf Gönderimi Başlıyor"),
                                   QStringLiteral("Fotoğraf Gönderimi Başlıyor")};
        for (int tick = 1; tick <= 3; ++tick) {
            w->gecen_zaman.setText(QString::number(tick));
            QCOMPARE(w->Label2->text(), expected[tick - 1]);
            QVERIFY(w->Frame4->isVisible());
            QVERIFY(navigations.isEmpty());
        }
        w->gecen_zaman.setText(QStringLiteral("4"));
        QCOMPARE(navigations.size(), 1);
        QCOMPARE(navigations.first().toString(), LoginPageUrl());
        QCOMPARE(w->gecen_zaman.text(), QStringLiteral("0"));
        QVERIFY(!w->Frame4->isVisible());
        QVERIFY(!w->Timer1->isActive());
    }

    void queueContinuation_data()
    {
        QTest::addColumn<QString>("yukleme");
        QTest::addColumn<bool>("option");
        QTest::addColumn<bool>("queued");
        QTest::addColumn<bool>("starts");
        QTest::newRow("window still open") << "1" << true << true << false;
        QTest::newRow("option off") << "" << false << true << false;
        QTest::newRow("nothing queued") << "" << true << false << false;
        QTest::newRow("next row") << "" << true << true << true;
    }
    void queueContinuation()
    {
        QFETCH(QString, yukleme);
        QFETCH(bool, option);
        QFETCH(bool, queued);
        QFETCH(bool, starts);
        fx->settings(fx->ortak);
        oneRecord();
        frm_giris *w = open();
        w->yukleme.setText(QStringLiteral("1"));
        w->Check8->setChecked(option);
        if (!queued)
            w->row(1)->setCheckState(0, Qt::Unchecked);
        w->tam_zaman.setText(QStringLiteral("3"));
        w->yukleme.setText(yukleme);
        QCOMPARE(w->Timer1->isActive(), starts);
        if (!starts)
            return;
        // ticks of the shortened clock run the countdown down to the send
        QTRY_COMPARE_WITH_TIMEOUT(navigations.size(), 1, 5000);
        QVERIFY(!w->Timer1->isActive());
        QCOMPARE(w->gecen_zaman.text(), QStringLiteral("0"));
    }

    void withdraw_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void withdraw()
    {
        QFETCH(bool, yes);
        fx->settings(fx->ortak);
        oneRecord();
        frm_giris *w = open();
        fx->tp.messages->answers.enqueue(yes);
        w->mn_iptal->trigger();
        QCOMPARE(fx->tp.messages->shown.size(), 1);
        QCOMPARE(fx->tp.messages->shown.first().text,
                 QStringLiteral(
                     "Fotoğrafın Bakanlığa Gönderiminin İPTAL EDİLMESİNİ ONAYLIYOR MUSUNUZ ?"));
        QVERIFY(fx->tp.messages->shown.first().question);
        QCOMPARE(fx->tp.messages->shown.first().icon, platform::MsgIcon::Question);
        QCOMPARE(w->ListView1->topLevelItemCount(), yes ? 0 : 1);
        QCOMPARE(fx->column(1, QStringLiteral("bak_durum")).isNull(), yes);
        QCOMPARE(fx->column(1, QStringLiteral("prog_ID")).isNull(), !yes);
        if (yes) {
            QCOMPARE(fx->column(1, QStringLiteral("prog_ID")).toInt(), 2001);
            QCOMPARE(fx->column(1, QStringLiteral("kullanici")).toString(),
                     QStringLiteral("Operatör Adı Yirmi K"));
            QCOMPARE(w->Label1->text(), QStringLiteral("1 adet Fotoğraf Bulundu..."));
            w->sorsana();
            QCOMPARE(w->ListView1->topLevelItemCount(), 0);
        }
    }

    void openFolder()
    {
        fx->settings(fx->ortak);
        oneRecord();
        frm_giris *w = open();
        w->mn_klasor_ac->trigger();
        QCOMPARE(fx->tp.launcher->calls.size(), 1);
        QCOMPARE(fx->tp.launcher->calls.first().kind, QStringLiteral("folder"));
        QCOMPARE(fx->tp.launcher->calls.first().program,
                 fx->ortak + QStringLiteral("/fotograflar/12_3_A/web/"));
    }

    void longRecordKeyNamesNoRecord()
    {
        fx->settings(fx->ortak);
        oneRecord();
        frm_giris *w = open();
        QTreeWidgetItem *item = w->row(1);
        item->setData(0, Qt::UserRole, QStringLiteral("f") + QString(120, QLatin1Char('1')));
        w->ListView1->setCurrentItem(item);
        item->setText(9, QStringLiteral("not"));
        WriteStatusNote();
        w->mn_iptal->trigger();
        w->mn_klasor_ac->trigger();
        QVERIFY(fx->tp.messages->shown.isEmpty());
        QVERIFY(fx->tp.launcher->calls.isEmpty());
        QCOMPARE(fx->column(1, QStringLiteral("bak_durum")).toString(), QStringLiteral("1"));
        QVERIFY(fx->column(1, QStringLiteral("bakanlik_aciklama")).isNull());
    }

    void statusNote_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("stored");
        const QString longText = QStringLiteral("Portal iletisi: ") + QString(60, QChar(u'ş'));
        QTest::newRow("short") << QStringLiteral("Gönderim iptal edildi...")
                               << QStringLiteral("Gönderim iptal edildi...");
        QTest::newRow("cut to 50") << longText << longText.left(50);
    }
    void statusNote()
    {
        QFETCH(QString, status);
        QFETCH(QString, stored);
        fx->settings(fx->ortak);
        oneRecord();
        frm_giris *w = open();
        w->row(1)->setText(9, QStringLiteral("ilk"));
        WriteStatusNote();
        w->row(1)->setText(9, status);
        WriteStatusNote();
        QCOMPARE(fx->column(1, QStringLiteral("bakanlik_aciklama")).toString(), stored);
        QCOMPARE(fx->column(1, QStringLiteral("prog_ID")).toInt(), 2002);
        QCOMPARE(fx->column(1, QStringLiteral("kullanici")).toString(),
                 QStringLiteral("Operatör Adı Yirmi K"));
        QCOMPARE(fx->column(1, QStringLiteral("bak_durum")).toString(), QStringLiteral("1"));
    }

    void printBuffer()
    {
        fx->settings(fx->ortak);
        const QString sibling = fx->tp.root.path() + QStringLiteral("/tarvek2000");
        fx->tp.settings->save(QStringLiteral("tarvek2000"), QStringLiteral("2.0"),
                              QStringLiteral("path"), sibling);
        oneRecord();
        QueueFixture::Record r;
        r.sayi = 2;
        r.tarih = QStringLiteral("2026-03-09");
        r.toplam = QVariant(QMetaType::fromType<QString>());
        r.alan1 = QStringLiteral("b.png");
        fx->record(r);
        frm_giris *w = open();
        w->Command3_Click();
        w->Command3_Click(); // printing twice leaves the second print only
        QCOMPARE(reports, (QStringList{sibling, sibling}));
        QVERIFY(QFileInfo::exists(sibling + QStringLiteral("/data/p3436.sqlite3")));
        const db::Rows rows = queue::ReadPrintBuffer(sibling);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].value("16").toString(), QStringLiteral("1000"));
        QCOMPARE(rows[0].value("61").toString(), QStringLiteral("12/3 A"));
        QCOMPARE(rows[0].value("44").toString(), QStringLiteral("Ayşe Yılmaz"));
        QCOMPARE(rows[0].value("45").toString(), QStringLiteral("Öz İnşaat"));
        QCOMPARE(rows[0].value("1").toString(), QStringLiteral("a.jpg"));
        QCOMPARE(rows[0].value("62").toString(), QStringLiteral("Kaba inşaat tamamlandı"));
        QCOMPARE(rows[0].value("11").toString(), QStringLiteral("40"));
        QCOMPARE(rows[0].value("63").toString(), queue::StatusQueued());
        QCOMPARE(rows[0].value("18").toString(), QStringLiteral("Tarvek FOTO"));
        QVERIFY(rows[1].value("11").isNull());
        QCOMPARE(rows[1].value("63").toString(), queue::StatusNotJpg());

        const QString pdf = fx->tp.root.path() + QStringLiteral("/liste.pdf");
        QVERIFY(queue::WritePrintListPdf(pdf, rows));
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.read(5) == "%PDF-");
    }

    void printedListPaginates()
    {
        QTemporaryDir dir;
        db::Rows rows;
        QSqlRecord r;
        r.append(QSqlField(QStringLiteral("16"), QMetaType(QMetaType::QString)));
        r.append(QSqlField(QStringLiteral("63"), QMetaType(QMetaType::QString)));
        for (int i = 0; i < 120; ++i) {
            r.setValue(0, QString::number(1000 + i));
            r.setValue(1, queue::StatusQueued());
            rows.append(r);
        }
        auto pages = [&](const db::Rows &list) {
            const QString pdf = dir.filePath(QStringLiteral("p%1.pdf").arg(list.size()));
            if (!queue::WritePrintListPdf(pdf, list))
                return -1;
            QFile f(pdf);
            if (!f.open(QIODevice::ReadOnly))
                return -1;
            const QByteArray all = f.readAll();
            return int(all.count("/Type /Page\n") + all.count("/Type /Page\r") +
                       all.count("/Type /Page/") + all.count("/Type /Page "));
        };
        const int one = pages(rows.mid(0, 5));
        const int many = pages(rows);
        QCOMPARE(one, 1);
        QVERIFY2(many > 1, qPrintable(QString::number(many)));
    }

    void databaseGoesAway()
    {
        fx->settings(fx->ortak);
        oneRecord();
        QueueFixture::Record r;
        r.sayi = 2;
        r.gonderen = QString();
        fx->record(r);
        frm_giris *w = open();
        QCOMPARE(w->row(1)->text(9), queue::StatusQueued());
        db::CloseAll();
        QVERIFY(QFile::remove(fx->dataDir + QStringLiteral("/y3436.sqlite3")));
        const QString shownBefore = detailValue(w, "f12");
        w->listvievx_click(2); // the details query fails: nothing changes, no message
        QCOMPARE(w->row(2)->text(9), queue::StatusQueued());
        QCOMPARE(detailValue(w, "f12"), shownBefore);
        fx->tp.messages->answers.enqueue(true);
        w->mn_iptal->trigger();
        QCOMPARE(w->ListView1->topLevelItemCount(), 2);
        w->mn_klasor_ac->trigger();
        QVERIFY(fx->tp.launcher->calls.isEmpty());
        w->sorsana();
        QVERIFY(fx->tp.messages->shown.isEmpty());
    }

    void demoDataCoversEveryCase()
    {
        fx->settings(fx->ortak);
        AddQueueDemoData(QueueFixture::y(), fx->ortak, kUser);
        frm_giris *w = frm_giris::instance();
        // The stamping tool's part: a copy fitted within the portal's limits.
        w->prepare = [this](const PendingPhoto &p, const QString &ortak, const QString &) {
            prepared.append(p);
            const QString site = ortak + QStringLiteral("/fotograflar/") + SiteFolderName(p.ada);
            QDir().mkpath(site + QStringLiteral("/web"));
            QImage(site + QLatin1Char('/') + p.alan1)
                .scaled(1100, 700, Qt::KeepAspectRatio)
                .save(site + QStringLiteral("/web/") + p.alan1, "JPG", 85);
        };
        w->navigate = [](const QUrl &) {};
        w->grid_bakanlik_kullanicilar = {{kUser, QStringLiteral("A")},
                                         {kUser, QStringLiteral("B")}};
        w->Text2.setText(kUser);
        QCOMPARE(w->Label1->text(), QStringLiteral("11 adet Fotoğraf Bulundu..."));
        QMap<QString, QString> statuses;
        for (int i = 1; i <= w->ListView1->topLevelItemCount(); ++i) {
            w->listvievx_click(i);
            statuses.insert(w->row(i)->text(5), w->row(i)->text(9));
        }
        const QString q = queue::StatusQueued();
        const QString dims = QStringLiteral("Resim Ebatlarını Kontrol Ediniz");
        const QMap<QString, QString> expected{
            {"gonderilebilir.jpg", q},
            {"cok_genis.jpg", dims},
            {"cok_uzun.jpg", dims},
            {"buyuk_dosya.jpg", QStringLiteral("Dosya boyutu 1 Mb'dan Büyük...")},
            {"resim.png", queue::StatusNotJpg()},
            {"resim.jpeg", queue::StatusNotJpg()},
            {"kayip.jpg", QStringLiteral("Fotoğraf Bulunamadı...")},
            {"sadece_santiye.JPG", q},
            {"sadece_web.jpg", q},
            {"gonderen_yok.jpg", QStringLiteral("Fotoğrafı Gönderen Bilgisi Bulunamadı...")},
            {"gelisme_yok.jpg", QStringLiteral("Yapıdaki Gelişmeler Bilgisi Bulunamadı")},
        };
        QCOMPARE(statuses, expected);
        QCOMPARE(prepared.size(), 1);
        QCOMPARE(prepared.first().ada, QStringLiteral("118 Ada 3 Parsel"));
    }

    void statusBarAndLayout()
    {
        fx->settings(fx->ortak);
        frm_giris *w = frm_giris::instance();
        w->ilk_kurum.setText(QStringLiteral("Deneme Yapı Denetim"));
        w->ilk_kullanici.setText(QStringLiteral("ayşe"));
        QCOMPARE(w->StatusPanels[0]->text(), QStringLiteral("Kurum Adı : Deneme Yapı Denetim"));
        QCOMPARE(w->StatusPanels[1]->text(), QStringLiteral("Kullanıcı Adı : ayşe"));
        QCOMPARE(w->StatusPanels[2]->text(), QStringLiteral("IP Adresi : 192.168.1.20"));
        QCOMPARE(w->StatusPanels[3]->text(), QStringLiteral("Bilgisayar Adı : ISTASYON-1"));
        for (const QSize size : {QSize(900, 600), QSize(1600, 1000)}) {
            w->resize(size);
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
            QCOMPARE(w->StatusBar1->width(), size.width());
            QCOMPARE(w->StatusBar1->geometry().bottom(), size.height() - 1);
            QVERIFY(w->Frame2->geometry().right() <= size.width());
            QVERIFY(w->Command2->geometry().bottom() < w->StatusBar1->y());
            QVERIFY(!w->ListView1->geometry().intersects(w->Frame3->geometry()));
            const int quarter = w->StatusPanels[0]->width();
            for (QLabel *panel : std::as_const(w->StatusPanels))
                QCOMPARE(panel->width(), quarter);
            QVERIFY(quarter * 4 <= size.width() && quarter * 4 > size.width() - 40);
        }
    }
};

QTEST_MAIN(tst_frm_giris)
#include "tst_frm_giris.moc"
