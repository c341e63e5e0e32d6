#pragma once

#include <QString>

#include <functional>

class QPrinter;
class QWidget;

namespace platform {

// The program's print preview: landscape, high resolution, painted by `paint` for every page
// request; the operator prints from it or closes it.
void ShowPrintPreview(QWidget *parent, const QString &title,
                      const std::function<void(QPrinter *)> &paint);

} // namespace platform
