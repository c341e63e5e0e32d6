#include "queue/frm_giris.h"

#include "core/queuerules.h"
#include "platform/messages.h"

#include <QApplication>
#include <QBrush>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QThreadPool>
#include <QTreeView>
#include <QTreeWidget>

using platform::MsgIcon;

namespace {
// A value as the details list shows it: wrapped over as many lines as it needs (the portal's
// line breaks kept), the whole of it in the tooltip too.
void setDetailValue(QTreeWidgetItem *item, QString value, bool red)
{
    value.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    value.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    item->setText(1, value);
    item->setToolTip(1, value);
    item->setToolTip(0, item->text(0));
    const QBrush colour = red ? QBrush(QColor(255, 0, 0)) : QBrush();
    for (int c = 0; c < 2; ++c)
        item->setForeground(c, colour);
}
} // namespace

void frm_giris::showDetails(const RecordCheck &check)
{
    ListView2->clear();
    ListView2->setColumnCount(2);
    ListView2->setHeaderLabels({QStringLiteral("Özellik"), QStringLiteral("Değer")});
    ListView2->setColumnWidth(0, queue::TwipsToPixels(3000));
    for (const DetailLine &line : check.details) {
        auto *item = new QTreeWidgetItem(ListView2, QStringList{line.label, QString()});
        item->setData(0, Qt::UserRole, line.key);
        setDetailValue(item, line.value, line.red);
    }
}

void frm_giris::showStatus(const QString &text)
{
    Label3->setText(text);
    Label3->setToolTip(text);
}

void frm_giris::refreshSelectedRow(const QModelIndex &first, const QModelIndex &last)
{
    const int row = selectedRow();
    if (row < first.row() || row > last.row())
        return;
    const QString status = m_queue.recordAt(row).status;
    showStatus(status);
    for (int i = 0; i < ListView2->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = ListView2->topLevelItem(i);
        if (item->data(0, Qt::UserRole).toString() == QLatin1String("f16"))
            setDetailValue(item, status, !queue::IsSettledStatus(status));
    }
}

void frm_giris::showPreview(const QString &path, bool fit)
{
    // A photograph takes milliseconds to decode (an original far more): on the window's thread
    // it would hold up whatever the row was clicked for, the submission window's first page too.
    QSize room;
    if (fit) {
        // The prepared copy fills the frame's width or its height, keeping its proportions; the
        // reader decodes straight to that size.
        room = Frame2->contentsRect().marginsRemoved(Frame2->layout()->contentsMargins()).size();
    }
    const quint64 ticket = ++m_previewTicket;
    QPointer<frm_giris> self(this);
    QThreadPool::globalInstance()->start([self, ticket, path, room] {
        QImageReader reader(path);
        const QSize full = reader.size();
        if (full.isValid() && room.isValid())
            reader.setScaledSize(full.scaled(room, Qt::KeepAspectRatio));
        QImage image = reader.read();
        QMetaObject::invokeMethod(
            qApp,
            [self, ticket, image = std::move(image)] {
                // An unreadable picture shows no preview; the checks go on without it.
                if (!self || ticket != self->m_previewTicket || image.isNull())
                    return;
                self->Image1->setPixmap(QPixmap::fromImage(image));
                self->Image1->show();
            },
            Qt::QueuedConnection);
    });
}

void frm_giris::hidePreview()
{
    ++m_previewTicket;
    Image1->hide();
}

void frm_giris::listvievx_click(int rowNumber)
{
    const int row = rowNumber - 1;
    if (row < 0 || row >= m_queue.recordCount())
        return;
    selectRow(row);
    const QString status = m_queue.recordAt(row).status;
    showStatus(status);

    if (status == queue::StatusNotJpg()) {
        platform::msgBox(queue::StatusNotJpg() +
                             QStringLiteral("\rBu fotoğrafı gönderemezsiniz..."),
                         MsgIcon::Critical);
        return;
    }
    hidePreview();
    const RecordCheck check = m_queue.check(row);
    if (!check.found)
        return;
    showDetails(check);
    if (!check.preview.isEmpty())
        showPreview(check.preview, check.fitPreview);
}

void frm_giris::selectRow(int row)
{
    ListView1->setCurrentIndex(m_queue.index(row, 0));
}

int frm_giris::selectedRow() const
{
    const QModelIndex current = ListView1->currentIndex();
    return current.isValid() ? current.row() : -1;
}
