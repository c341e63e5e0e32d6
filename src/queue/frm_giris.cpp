#include "queue/frm_giris.h"

#include "hostutil/hostutil.h"
#include "platform/fileversion.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "portal/addresses.h"
#include "portal/portalprofile.h"
#include "queue/hostidentity.h"
#include "queue/printlist.h"
#include "queue/statusnote.h"
#include "startup/connection.h"
#include "startup/database.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QWebEngineHttpRequest>
#include <QWebEnginePage>
#include <QWebEngineView>

using platform::MsgIcon;

namespace {
frm_giris *&slot()
{
    static frm_giris *window = nullptr;
    return window;
}

constexpr int kKeyRole = Qt::UserRole;        // "f" + yedek5.sayı
constexpr int kColourRole = Qt::UserRole + 1; // the row's colour number
constexpr int kTickRole = Qt::UserRole + 2;   // the tick as the window last knew it
constexpr int kStatusColumn = 9;
constexpr int kPathColumn = 10;

QColor toColor(int colour)
{
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

const QIcon &problemIcon()
{
    static const QIcon icon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    return icon;
}

// A photo's native path from the Windows-style folder and the file name.
QString photoPath(const QString &folder, const QString &sub, const QString &name)
{
    return platform::nativePath(folder + sub + name);
}

bool isFile(const QString &path)
{
    return QFileInfo(path).isFile();
}
} // namespace

frm_giris *frm_giris::instance()
{
    if (!slot()) {
        slot() = new frm_giris;
        slot()->load();
    }
    return slot();
}

bool frm_giris::exists()
{
    return slot() != nullptr;
}

void frm_giris::release()
{
    delete slot();
    slot() = nullptr;
}

frm_giris::frm_giris(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frm_giris"));
    setWindowTitle(QStringLiteral("Tarvek FOTO"));
    buildControls();

    Text2.onChange([this](const QString &) { sorsana(); });
    ilk_kurum.onChange([this](const QString &text) {
        StatusPanels[0]->setText(QStringLiteral("Kurum Adı : ") + text);
    });
    ilk_kullanici.onChange([this](const QString &) { updateStatusBarOperator(); });
    gecen_zaman.onChange([this](const QString &text) { onGecenZaman(text); });
    yukleme.onChange([this](const QString &text) { onYukleme(text); });

    navigate = [this](const QUrl &url) {
        // Navigation flags 12 of the old browser: the profile keeps no cache, and the request
        // asks every proxy on the way not to answer from one either.
        QWebEngineHttpRequest request(url);
        request.setHeader("Cache-Control", "no-cache");
        request.setHeader("Pragma", "no-cache");
        WebBrowser1->load(request);
    };
    showReport = [this](const QString &siblingFolder) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageOrientation(QPageLayout::Landscape);
        QPrintPreviewDialog preview(&printer, this);
        preview.setWindowTitle(QStringLiteral("Tarvek FOTO"));
        connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                [siblingFolder](QPrinter *p) {
                    queue::RenderPrintList(p, queue::ReadPrintBuffer(siblingFolder));
                });
        preview.exec();
    };
}

void frm_giris::buildControls()
{
    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    ListView1->installEventFilter(this);
    connect(ListView1, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item, int) {
        listvievx_click(ListView1->indexOfTopLevelItem(item) + 1);
    });
    connect(ListView1, &QTreeWidget::itemChanged, this, &frm_giris::onItemChanged);
    connect(ListView1, &QWidget::customContextMenuRequested, this, &frm_giris::onContextMenu);

    Frame3 = new QGroupBox(QStringLiteral("Ayrıntılar"), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    ListView2 = new QTreeWidget(Frame3);
    ListView2->setObjectName(QStringLiteral("ListView2"));
    ListView2->setRootIsDecorated(false);

    Frame2 = new QGroupBox(QStringLiteral("Önizleme"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Image1 = new QLabel(Frame2);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->hide();

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));

    auto check = [this](const char *name, const QString &caption) {
        auto *box = new QCheckBox(caption, this);
        box->setObjectName(QLatin1String(name));
        return box;
    };
    Check2 = check("Check2", QStringLiteral("Tümü"));
    Check8 = check("Check8", QStringLiteral("Listedeki Fotoğrafları sıra ile gönder..."));
    Check7 = check("Check7", QStringLiteral("ONAYLAMA İŞLEMİNİN TÜM FOTOĞRAFLAR İÇİN TARVEK YDS "
                                            "TARAFINDAN OTOMATİK YAPILMASINI KABUL EDİYORUM..."));
    Check3 =
        check("Check3", QStringLiteral("7 gün içerisinde gönderilen fotoğrafları tekrar GÖNDERME"));
    Check4 = check("Check4", QStringLiteral("Takılma olursa 100 sn sonra bir sonraki fotoya geç"));
    connect(Check2, &QCheckBox::clicked, this, &frm_giris::Check2_Click);

    auto button = [this](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    Command1 = button("Command1", QStringLiteral("YENİLE"));
    Command2 = button("Command2", QStringLiteral("SEÇİLİ RESİMLERİ GÖNDER"));
    Command3 = button("Command3", QStringLiteral("YAZDIR"));
    connect(Command1, &QPushButton::clicked, this, &frm_giris::sorsana);
    connect(Command2, &QPushButton::clicked, this, &frm_giris::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frm_giris::Command3_Click);

    // The countdown panel floats over the list while it runs.
    Frame4 = new QFrame(this);
    Frame4->setObjectName(QStringLiteral("Frame4"));
    Frame4->setFrameShape(QFrame::Box);
    Frame4->setAutoFillBackground(true);
    Frame4->resize(320, 60);
    Label2 = new QLabel(Frame4);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignCenter);
    QFont big = Label2->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    Label2->setFont(big);
    Label2->setGeometry(0, 0, 320, 60);
    Frame4->hide();

    mn_sag = new QMenu(this);
    mn_sag->setObjectName(QStringLiteral("mn_sag"));
    mn_klasor_ac = mn_sag->addAction(QStringLiteral("Fotoğrafın Bulunduğu Klasörü AÇ"));
    mn_klasor_ac->setObjectName(QStringLiteral("mn_klasor_ac"));
    mn_ara = mn_sag->addSeparator();
    mn_ara->setObjectName(QStringLiteral("mn_ara"));
    mn_iptal = mn_sag->addAction(QStringLiteral("Gönderimi İPTAL ET"));
    mn_iptal->setObjectName(QStringLiteral("mn_iptal"));
    connect(mn_klasor_ac, &QAction::triggered, this, &frm_giris::mn_klasor_ac_Click);
    connect(mn_iptal, &QAction::triggered, this, &frm_giris::mn_iptal_Click);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    for (int i = 0; i < 4; ++i) {
        auto *panel = new QLabel(StatusBar1);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        StatusBar1->addWidget(panel, 1);
        StatusPanels.append(panel);
    }

    // Idle until the queue continuation gives it an interval.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &frm_giris::onTimerTick);

    // The portal login runs in this browser; it is never shown to the operator.
    WebBrowser1 = new QWebEngineView(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setPage(new QWebEnginePage(PortalProfile(), WebBrowser1));
    WebBrowser1->hide();

    resize(1100, 720);
    layoutControls();
}

void frm_giris::load()
{
    // The version as the program showed it: major, minor and revision.
    const platform::FileVersion v = platform::ownVersion();
    Label1->setText(QStringLiteral("Vers. : %1.%2.%3").arg(v[0]).arg(v[1]).arg(v[3]));

    ClearUrlCache();

    // A settings table that cannot be read ends the load without a message.
    const auto settings = db::Select(ConnectionString(QStringLiteral("f3436")),
                                     QStringLiteral("select * from ayarlar2"));
    if (!settings)
        return;
    if (!settings->isEmpty()) {
        const QSqlRecord &r = settings->first();
        const QString dateSetting = db::Text(r, QStringLiteral("foto_tarih_at"));
        if (!dateSetting.isEmpty())
            photoDateSetting = dateSetting;
        const QString shared = db::Text(r, QStringLiteral("ortak"));
        if (shared.isEmpty()) {
            platform::msgBox(QStringLiteral("Ortak Klasörünü Kontrol Ediniz...."),
                             MsgIcon::Critical);
            platform::endProcess();
        }
        ortak.setText(shared);
    }
    tempx.setText(TempFolder());
    sorsana();
}

void frm_giris::setUpColumns()
{
    const auto &columns = queue::PendingListColumns();
    ListView1->setColumnCount(int(columns.size()));
    QStringList headers;
    for (const auto &c : columns)
        headers.append(c.header);
    ListView1->setHeaderLabels(headers);
    for (int i = 0; i < columns.size(); ++i)
        ListView1->setColumnWidth(i, queue::TwipsToPixels(columns[i].widthTwips));
}

void frm_giris::sorsana()
{
    if (Text2.text().isEmpty())
        return;
    {
        const QSignalBlocker quiet(ListView1);
        ListView1->clear();
    }
    setUpColumns();
    Image1->hide();
    ListView2->clear();

    const bool restricted = grid_bakanlik_kullanicilar.size() >= 2;
    QVariantList binds;
    if (restricted)
        binds.append(Text2.text());
    const auto rows = db::Select(ConnectionString(QStringLiteral("y3436")),
                                 queue::PendingListQuery(restricted), binds);
    if (!rows)
        return;

    // Rows are built off the list and inserted at once: a long queue fills in one layout pass.
    QList<QTreeWidgetItem *> items;
    items.reserve(rows->size());
    static const char *const subColumns[] = {"yibfno", "ada",   "arsasahibi", "müteahhit",
                                             "alan1",  "alan2", "aciklama",   "toplam"};
    int i = 0;
    for (const QSqlRecord &r : *rows) {
        ++i;
        auto *item = new QTreeWidgetItem;
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setText(0, QString::number(i));
        item->setData(0, kKeyRole, QStringLiteral("f") + db::Text(r, QStringLiteral("sayı")));
        for (int s = 0; s < 8; ++s) {
            const QString value = db::Text(r, QString::fromUtf8(subColumns[s]));
            if (!value.isEmpty())
                item->setText(s + 1, value);
        }
        item->setText(kStatusColumn, queue::StatusQueued());
        const QString alan1 = db::Text(r, QStringLiteral("alan1"));
        if (queue::HasJpgExtension(alan1)) {
            item->setCheckState(0, Qt::Checked);
            item->setData(0, kTickRole, true);
            const QString ada = db::Text(r, QStringLiteral("ada"));
            const QString folder = SitePhotoFolder(ortak.text(), ada);
            const QString web = photoPath(folder, QStringLiteral("\\web\\"), alan1);
            if (isFile(web)) {
                item->setText(kPathColumn, web);
            } else if (isFile(photoPath(folder, QStringLiteral("\\"), alan1))) {
                prepare(PendingPhoto{alan1, ada, r.value(QStringLiteral("tarih")).toDate()},
                        ortak.text(), photoDateSetting);
                item->setText(kPathColumn, isFile(web) ? web : QString());
            }
        } else {
            item->setCheckState(0, Qt::Unchecked);
            item->setData(0, kTickRole, false);
            setRowColour(item, queue::kRed);
            item->setText(kStatusColumn, queue::StatusNotJpg());
            item->setIcon(0, problemIcon());
        }
        items.append(item);
    }
    {
        const QSignalBlocker quiet(ListView1);
        ListView1->addTopLevelItems(items);
    }

    if (!rows->isEmpty()) {
        Label1->setText(QString::number(rows->size()) +
                        QStringLiteral(" adet Fotoğraf Bulundu..."));
        listvievx_click(1);
    } else {
        Label1->setText(QStringLiteral("Fotoğraf Bulunamadı..."));
    }
}

QTreeWidgetItem *frm_giris::row(int i) const
{
    if (i < 1 || i > ListView1->topLevelItemCount())
        return nullptr;
    return ListView1->topLevelItem(i - 1);
}

bool frm_giris::isQueued(int i) const
{
    const QTreeWidgetItem *item = row(i);
    return item && item->checkState(0) == Qt::Checked &&
           item->text(kStatusColumn) == queue::StatusQueued();
}

QString frm_giris::rowKey(const QTreeWidgetItem *item)
{
    return item ? item->data(0, kKeyRole).toString() : QString();
}

int frm_giris::rowColour(const QTreeWidgetItem *item)
{
    return item->data(0, kColourRole).toInt();
}

void frm_giris::setRowColour(QTreeWidgetItem *item, int colour)
{
    const QBrush brush(toColor(colour));
    for (int c = 0; c < item->columnCount() || c < 11; ++c)
        item->setForeground(c, brush);
    item->setData(0, kColourRole, colour);
}

void frm_giris::setTicked(QTreeWidgetItem *item, bool ticked)
{
    const bool was = m_quiet;
    m_quiet = true;
    item->setData(0, kTickRole, ticked);
    item->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
    m_quiet = was;
}

void frm_giris::setProblemIcon(QTreeWidgetItem *item)
{
    item->setIcon(0, problemIcon());
}

QString frm_giris::selectedRowKey() const
{
    return rowKey(ListView1->currentItem());
}

QString frm_giris::selectedRowStatus() const
{
    const QTreeWidgetItem *item = ListView1->currentItem();
    return item ? item->text(kStatusColumn) : QString();
}

void frm_giris::addDetail(const QString &key, const QString &label, const QString &value)
{
    auto *item = new QTreeWidgetItem(ListView2, QStringList{label, value});
    item->setData(0, kKeyRole, key);
}

QTreeWidgetItem *frm_giris::detail(const QString &key) const
{
    for (int i = 0; i < ListView2->topLevelItemCount(); ++i)
        if (ListView2->topLevelItem(i)->data(0, kKeyRole).toString() == key)
            return ListView2->topLevelItem(i);
    return nullptr;
}

void frm_giris::applyFailure(QTreeWidgetItem *item, const queue::CheckFailure &failure)
{
    setRowColour(item, queue::kRed);
    item->setText(kStatusColumn, failure.text);
    setProblemIcon(item);
    if (failure.stored)
        WriteStatusNote(); // the selected row is the row being checked
    setTicked(item, false);
    if (QTreeWidgetItem *d = detail(failure.detailKey))
        setRowColour(d, queue::kRed);
}

void frm_giris::showPreview(const QString &path, bool fit)
{
    QImageReader reader(path);
    if (fit) {
        // The prepared copy fills the frame's width (less the margins) or its height, keeping its
        // proportions; the reader decodes straight to that size.
        const int margin = 8;
        const QSize room(Frame2->width() - 2 * margin, Frame2->height() - 3 * margin - 8);
        const QSize full = reader.size();
        if (full.isValid() && room.isValid())
            reader.setScaledSize(full.scaled(room, Qt::KeepAspectRatio));
    }
    const QImage image = reader.read();
    if (image.isNull())
        return; // an unreadable picture shows no preview; the checks go on without it
    Image1->setPixmap(QPixmap::fromImage(image));
    Image1->setGeometry(8, 24, image.width(), image.height());
    Image1->show();
}

void frm_giris::listvievx_click(int rowNumber)
{
    QTreeWidgetItem *item = row(rowNumber);
    if (!item)
        return;
    ListView1->setCurrentItem(item);
    const QString status = item->text(kStatusColumn);
    Label3->setText(status);

    if (status == queue::StatusNotJpg()) {
        platform::msgBox(queue::StatusNotJpg() +
                             QStringLiteral("\rBu fotoğrafı gönderemezsiniz..."),
                         MsgIcon::Critical);
        return;
    }
    Image1->hide();

    const std::optional<qlonglong> n = queue::RecordNumber(rowKey(item));
    if (!n)
        return;
    const auto rows =
        db::Select(ConnectionString(QStringLiteral("y3436")), queue::DetailsQuery(), {*n});
    if (!rows || rows->size() != 1)
        return;
    const QSqlRecord &r = rows->first();
    auto text = [&r](const char *column) { return db::Text(r, QString::fromUtf8(column)); };

    ListView2->clear();
    ListView2->setColumnCount(2);
    ListView2->setHeaderLabels({QStringLiteral("Özellik"), QStringLiteral("Değer")});
    ListView2->setColumnWidth(0, queue::TwipsToPixels(3000));
    ListView2->setColumnWidth(1, queue::TwipsToPixels(10000));
    static const char *const values[] = {"yibf",     "ada",      "sev1",       "sev2",
                                         "sev3",     "sev4",     "toplam",     "alan2",
                                         "aciklama", "gonderen", "gonderentc", "alan1"};
    const auto &labels = queue::DetailRows();
    for (int i = 0; i < labels.size(); ++i)
        addDetail(labels[i].key, labels[i].label, text(values[i]));
    if (text("aciklama").isEmpty())
        setRowColour(detail(QStringLiteral("f9")), queue::kRed);
    for (const queue::CheckFailure &f :
         queue::FieldFailures(text("alan2"), text("gonderen"), text("gonderentc")))
        applyFailure(item, f);

    // The photograph: the prepared copy, else the site folder's original (prepared now).
    const QString alan1 = text("alan1");
    const QString ada = text("ada");
    const QString folder = SitePhotoFolder(ortak.text(), ada);
    const QString web = photoPath(folder, QStringLiteral("\\web\\"), alan1);
    const QString original = photoPath(folder, QStringLiteral("\\"), alan1);
    QString loaded;
    bool fit = true;
    if (isFile(web)) {
        loaded = web;
    } else if (isFile(original)) {
        // The date line of the stamp uses the record's own date.
        const auto dated =
            db::Select(ConnectionString(QStringLiteral("y3436")),
                       QStringLiteral("select tarih from yedek5 where sayı=?"), {*n});
        const QDate tarih = dated && dated->size() == 1
                                ? dated->first().value(QStringLiteral("tarih")).toDate()
                                : QDate();
        prepare(PendingPhoto{alan1, ada, tarih}, ortak.text(), photoDateSetting);
        if (isFile(web)) {
            loaded = web;
        } else {
            loaded = original;
            fit = false;
        }
    } else {
        applyFailure(item, queue::PhotoMissingFailure());
    }

    // No photograph found: nothing is measured, so the size rows and the size and dimension
    // checks are skipped rather than judged on the previously shown picture.
    QSize pixels;
    if (!loaded.isEmpty()) {
        addDetail(QStringLiteral("f13"), QStringLiteral("Fotoğraf Yolu"), loaded);
        showPreview(loaded, fit);
        // An unreadable picture has no pixel size; then only its file size is judged.
        const queue::PhotoFacts facts = queue::MeasurePhoto(loaded);
        const qint64 bytes = facts.bytes;
        pixels = facts.pixels;
        if (pixels.isValid())
            addDetail(QStringLiteral("f14"), QStringLiteral("Fotoğraf Ebatları"),
                      queue::DimensionText(pixels));
        if (const auto f = queue::SizeFailure(bytes))
            applyFailure(item, *f);
        addDetail(QStringLiteral("f15"), QStringLiteral("Fotoğraf Boyutu"), queue::SizeText(bytes));
    }

    addDetail(QStringLiteral("f16"), QStringLiteral("Gönderim Durumu"), item->text(kStatusColumn));
    if (!queue::IsSettledStatus(item->text(kStatusColumn))) {
        // Marked only: the row keeps its tick and its status text.
        setRowColour(detail(QStringLiteral("f16")), queue::kRed);
        setRowColour(item, queue::kRed);
        setProblemIcon(item);
    }
    if (pixels.isValid())
        for (const queue::CheckFailure &f : queue::DimensionFailures(pixels))
            applyFailure(item, f);
}

std::optional<int> frm_giris::rapor_sirasi()
{
    std::optional<int> found;
    for (int i = 1; i <= ListView1->topLevelItemCount(); ++i) {
        if (isQueued(i)) {
            found = i;
            break;
        }
        row(i)->setSelected(false);
    }
    if (!found)
        return std::nullopt;
    listvievx_click(*found);
    return found;
}

void frm_giris::baslat_artik()
{
    if (Check8->isChecked())
        Command2_Click();
}

void frm_giris::Command2_Click()
{
    rapor_sirasi();
    if (ListView1->topLevelItemCount() >= 1)
        navigate(QUrl(LoginPageUrl()));
    else
        platform::msgBox(QStringLiteral("Seçili Fotoğraf Bulunmamaktadır..."),
                         MsgIcon::Information);
}

void frm_giris::onTimerTick()
{
    gecen_zaman.setText(QString::number(queue::LeadingInt(gecen_zaman.text()) + 1));
}

void frm_giris::onGecenZaman(const QString &text)
{
    const queue::CountdownStep step =
        queue::Countdown(queue::LeadingInt(text), queue::LeadingInt(tam_zaman.text()));
    switch (step.kind) {
    case queue::CountdownStep::Hide:
        Frame4->hide();
        return;
    case queue::CountdownStep::Expire:
        Frame4->hide();
        gecen_zaman.setText(QStringLiteral("0"));
        Timer1->stop();
        baslat_artik();
        return;
    case queue::CountdownStep::Show:
        Label2->setText(step.text);
        Frame4->move(ListView1->x() + (ListView1->width() - Frame4->width()) / 2,
                     ListView1->y() + (ListView1->height() - Frame4->height()) / 2);
        Frame4->show();
        Frame4->raise();
        return;
    }
}

void frm_giris::onYukleme(const QString &text)
{
    if (!text.isEmpty() || !Check8->isChecked())
        return;
    bool any = false;
    for (int i = 1; i <= ListView1->topLevelItemCount() && !any; ++i)
        any = isQueued(i);
    if (!any)
        return;
    gecen_zaman.setText(QStringLiteral("0"));
    Timer1->start(platform::timerInterval(1000));
}

void frm_giris::onItemChanged(QTreeWidgetItem *item, int column)
{
    if (m_quiet || column != 0)
        return;
    const bool ticked = item->checkState(0) == Qt::Checked;
    if (item->data(0, kTickRole).toBool() == ticked)
        return; // a text or colour change, not a tick
    item->setData(0, kTickRole, ticked);
    const bool was = m_quiet;
    m_quiet = true;
    if (ticked) {
        setRowColour(item, queue::kGreen);
        item->setText(kStatusColumn, queue::StatusQueued());
    } else {
        setRowColour(item, queue::kBlack);
    }
    m_quiet = was;
}

void frm_giris::Check2_Click()
{
    const bool all = Check2->isChecked();
    for (int i = 1; i <= ListView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = row(i);
        setTicked(item, all);
        const bool was = m_quiet;
        m_quiet = true;
        setRowColour(item, all ? queue::kGreen : queue::kBlack);
        m_quiet = was;
    }
}

void frm_giris::onContextMenu(const QPoint &pos)
{
    if (ListView1->topLevelItemCount() == 0)
        return;
    // The menu opens 100 twips right of and below the pointer.
    const int offset = queue::TwipsToPixels(100);
    mn_sag->popup(ListView1->viewport()->mapToGlobal(pos + QPoint(offset, offset)));
}

bool frm_giris::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ListView1 && event->type() == QEvent::KeyRelease) {
        if (QTreeWidgetItem *item = ListView1->currentItem())
            listvievx_click(ListView1->indexOfTopLevelItem(item) + 1);
    }
    return QWidget::eventFilter(watched, event);
}

void frm_giris::mn_iptal_Click()
{
    QTreeWidgetItem *item = ListView1->currentItem();
    if (!item)
        return;
    std::optional<RecordEdit> edit = LookupRecord(rowKey(item));
    if (!edit)
        return;
    if (!platform::askYesNo(QStringLiteral("Fotoğrafın Bakanlığa Gönderiminin İPTAL EDİLMESİNİ "
                                           "ONAYLIYOR MUSUNUZ ?"),
                            MsgIcon::Question))
        return;
    edit->setValue(QStringLiteral("bak_durum"), QVariant(QMetaType::fromType<QString>()));
    StampRecord(*edit, 1);
    if (!SaveRecord(*edit))
        return; // the row stays: the record is still pending
    delete item;
}

void frm_giris::mn_klasor_ac_Click()
{
    const std::optional<RecordEdit> edit = LookupRecord(selectedRowKey());
    if (!edit)
        return;
    // The folder is not tested: the file manager reports a missing one itself.
    const QString folder =
        SitePhotoFolder(ortak.text(), db::Text(edit->record, QStringLiteral("ada"))) +
        QStringLiteral("\\web\\");
    platform::Platform::launcher().openFolder(platform::nativePath(folder));
}

void frm_giris::Command3_Click()
{
    const QString sibling = ReadSiblingFolder();
    if (ListView1->topLevelItemCount() == 0) {
        platform::msgBox(QStringLiteral("Yazdırılacak Veri Bulunamadı..."), MsgIcon::Critical);
        return;
    }
    QList<QStringList> rows;
    for (int i = 1; i <= ListView1->topLevelItemCount(); ++i) {
        QStringList subItems;
        for (int s = 1; s <= 10; ++s)
            subItems.append(row(i)->text(s));
        rows.append(subItems);
    }
    queue::FillPrintBuffer(sibling, rows);
    showReport(sibling);
}

void frm_giris::updateStatusBarOperator()
{
    StatusPanels[1]->setText(QStringLiteral("Kullanıcı Adı : ") + ilk_kullanici.text());
    StatusPanels[2]->setText(QStringLiteral("IP Adresi : ") + queue::HostAddress());
    StatusPanels[3]->setText(QStringLiteral("Bilgisayar Adı : ") + queue::HostName());
}

void frm_giris::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutControls();
}

void frm_giris::layoutControls()
{
    const int m = 8;
    const int w = width();
    const int h = height();
    const int statusH = 24;
    const int buttonH = 32;
    const int lineH = 22;

    StatusBar1->setGeometry(0, h - statusH, w, statusH);
    for (QLabel *panel : std::as_const(StatusPanels))
        panel->setFixedWidth(qMax(0, w / 4 - 8));

    Check2->setGeometry(m, m, 80, lineH);
    Label1->setGeometry(m + 90, m, w / 2, lineH);

    const int listTop = m + lineH + 4;
    const int listW = qMax(200, w * 62 / 100);
    const int bottom = h - statusH - m;
    const int buttonsTop = bottom - buttonH;
    const int optionsTop = buttonsTop - 5 * lineH - m;
    ListView1->setGeometry(m, listTop, listW, qMax(60, optionsTop - listTop - 4));

    int y = optionsTop;
    for (QWidget *box : {static_cast<QWidget *>(Check8), static_cast<QWidget *>(Check7),
                         static_cast<QWidget *>(Check3), static_cast<QWidget *>(Check4),
                         static_cast<QWidget *>(Label3)}) {
        box->setGeometry(m, y, listW, lineH);
        y += lineH;
    }
    const int bw = qMax(80, (listW - 2 * m) / 3);
    Command1->setGeometry(m, buttonsTop, bw, buttonH);
    Command2->setGeometry(m + bw + m, buttonsTop, bw, buttonH);
    Command3->setGeometry(m + 2 * (bw + m), buttonsTop, bw, buttonH);

    const int rightX = m + listW + m;
    const int rightW = qMax(100, w - rightX - m);
    const int rightH = bottom - listTop;
    Frame3->setGeometry(rightX, listTop, rightW, rightH * 45 / 100);
    ListView2->setGeometry(m, 20, Frame3->width() - 2 * m, Frame3->height() - 20 - m);
    Frame2->setGeometry(rightX, listTop + rightH * 45 / 100 + m, rightW,
                        rightH - rightH * 45 / 100 - m);
    if (Frame4->isVisible())
        Frame4->move(ListView1->x() + (ListView1->width() - Frame4->width()) / 2,
                     ListView1->y() + (ListView1->height() - Frame4->height()) / 2);
}

void frm_giris::closeEvent(QCloseEvent *event)
{
    // Closing the main window ends the program with every other window.
    event->accept();
    platform::endProcess(0);
}
