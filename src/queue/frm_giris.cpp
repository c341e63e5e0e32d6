#include "queue/frm_giris.h"

#include "hostutil/hostutil.h"
#include "login/session.h"
#include "platform/fileversion.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "portal/addresses.h"
#include "portal/portallogin.h"
#include "portal/portalpage.h"
#include "portal/portalprofile.h"
#include "queue/portallink.h"
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

#include "queue/frm_giris_p.h"

using platform::MsgIcon;
using namespace frm_giris_detail;

namespace {
frm_giris *&slot()
{
    static frm_giris *window = nullptr;
    return window;
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

frm_giris::~frm_giris() = default;

frm_giris::frm_giris(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frm_giris"));
    setWindowTitle(QStringLiteral("Tarvek FOTO"));
    buildControls();
    m_portalLink = std::make_unique<GirisPortalLink>(this);
    portalLogin =
        new PortalLogin(static_cast<PortalPage *>(WebBrowser1->page()), m_portalLink.get(), this);

    Text2.onChange([this](const QString &) { sorsana(); });
    ilk_kurum.onChange([this](const QString &text) {
        StatusPanels[0]->setText(QStringLiteral("Kurum Adı : ") + text);
    });
    ilk_kullanici.onChange([this](const QString &) { updateStatusBarOperator(); });
    gecen_zaman.onChange([this](const QString &text) { onGecenZaman(text); });
    yukleme.onChange([this](const QString &text) { onYukleme(text); });

    navigate = defaultNavigate(this);
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

std::function<void(const QUrl &)> frm_giris::defaultNavigate(frm_giris *window)
{
    return [window](const QUrl &url) {
        // Navigation flags 12 of the old browser: the profile keeps no cache, and the request
        // asks every cache on the way not to answer from one either.
        QWebEngineHttpRequest request(url);
        request.setHeader("Cache-Control", "no-cache");
        request.setHeader("Pragma", "no-cache");
        window->WebBrowser1->load(request);
    };
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
            item->setData(0, kIconRole, 2);
            item->setIcon(0, smallIconImage(2));
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
    const int columns = item->treeWidget() ? item->treeWidget()->columnCount() : 11;
    for (int c = 0; c < columns; ++c)
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
    setSmallIcon(item, 2);
}

void frm_giris::setSmallIcon(QTreeWidgetItem *item, int icon)
{
    item->setData(0, kIconRole, icon);
    item->setIcon(0, smallIconImage(icon));
}

int frm_giris::smallIcon(const QTreeWidgetItem *item)
{
    return item ? item->data(0, kIconRole).toInt() : 0;
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
    if (sibling.isEmpty())
        return; // no office installation: no print buffer to fill, nothing printed
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

void frm_giris::closeEvent(QCloseEvent *event)
{
    // Closing the main window ends the program with every other window.
    event->accept();
    platform::endProcess(0);
}
