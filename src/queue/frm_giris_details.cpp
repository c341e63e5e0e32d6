#include "queue/frm_giris.h"

#include "platform/messages.h"
#include "queue/statusnote.h"
#include "startup/connection.h"
#include "startup/database.h"

#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QTreeWidget>

#include "queue/frm_giris_p.h"

using platform::MsgIcon;
using namespace frm_giris_detail;

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
