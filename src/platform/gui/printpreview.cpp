#include "platform/gui/printpreview.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

namespace platform {

void ShowPrintPreview(QWidget *parent, const QString &title,
                      const std::function<void(QPrinter *)> &paint)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(title);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, paint);
    preview.exec();
}

} // namespace platform
