#include "login/frm_ilk_giris.h"

frm_ilk_giris::frm_ilk_giris(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frm_ilk_giris"));
    setWindowTitle(QStringLiteral("Kullanıcı Bilgileri"));
    setAttribute(Qt::WA_DeleteOnClose);
}

void frm_ilk_giris::load()
{
    show();
}
