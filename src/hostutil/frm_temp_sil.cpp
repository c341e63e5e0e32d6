#include "hostutil/frm_temp_sil.h"

#include <QVBoxLayout>

frm_temp_sil::frm_temp_sil(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      Label1(new QLabel(QStringLiteral("GEÇİCİ İNTERNET DOSYALARI SİLİNİYOR..."), this)),
      ProgressBar1(new QProgressBar(this))
{
    setObjectName(QStringLiteral("frm_temp_sil"));
    setWindowTitle(QStringLiteral("TarvekFOTO"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ProgressBar1);
    ProgressBar1->setMinimum(0);
    resize(360, 80);
}
