#include "queue/frm_giris.h"

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

frm_giris::frm_giris(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frm_giris"));
    setWindowTitle(QStringLiteral("Tarvek FOTO"));
}

void frm_giris::load() {}
