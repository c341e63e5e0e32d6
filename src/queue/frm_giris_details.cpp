#include "queue/frm_giris.h"

#include "core/queuerules.h"
#include "platform/messages.h"

#include <QBrush>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QTreeView>
#include <QTreeWidget>

using platform::MsgIcon;

void frm_giris::showDetails(const RecordCheck &check)
{
    ListView2->clear();
    ListView2->setColumnCount(2);
    ListView2->setHeaderLabels({QStringLiteral("Özellik"), QStringLiteral("Değer")});
    ListView2->setColumnWidth(0, queue::TwipsToPixels(3000));
    ListView2->setColumnWidth(1, queue::TwipsToPixels(10000));
    const QBrush red(QColor(255, 0, 0));
    for (const DetailLine &line : check.details) {
        auto *item = new QTreeWidgetItem(ListView2, QStringList{line.label, line.value});
        item->setData(0, Qt::UserRole, line.key);
        if (line.red)
            for (int c = 0; c < 2; ++c)
                item->setForeground(c, red);
    }
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
    const int row = rowNumber - 1;
    if (row < 0 || row >= m_queue.size())
        return;
    selectRow(row);
    const QString status = m_queue.at(row).status;
    Label3->setText(status);

    if (status == queue::StatusNotJpg()) {
        platform::msgBox(queue::StatusNotJpg() +
                             QStringLiteral("\rBu fotoğrafı gönderemezsiniz..."),
                         MsgIcon::Critical);
        return;
    }
    Image1->hide();
    const RecordCheck check = m_queue.check(row);
    if (!check.found)
        return;
    showDetails(check);
    if (!check.preview.isEmpty())
        showPreview(check.preview, check.fitPreview);
}
