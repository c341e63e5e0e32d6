#pragma once

#include "platform/signalfield.h"

#include <QList>
#include <QWidget>

// The main window: the operator's desk with the list of photographs waiting to be sent.
// Each window exists once; instance() creates it on first use and runs its load.
class frm_giris : public QWidget
{
    Q_OBJECT
public:
    static frm_giris *instance();
    static bool exists();
    // Closes and releases the single instance (tests; the program ends with it otherwise).
    static void release();

    // Hidden fields filled by the login window; several are signals (see their handlers).
    platform::SignalField Text2;         // institution's portal user name -> sorsana
    platform::SignalField Text3;         // institution's portal password
    platform::SignalField admn;          // operator's admin mark
    platform::SignalField ilk_kurum;     // institution name -> status bar
    platform::SignalField ilk_kullanici; // operator name -> status bar
    struct GridRow
    {
        QString userName;    // unscrambled portal user name
        QString institution; // kurum_unvan
    };
    QList<GridRow> grid_bakanlik_kullanicilar;

    platform::SignalField ortak;
    platform::SignalField tempx;
    platform::SignalField tam_zaman{QStringLiteral("20")};
    platform::SignalField gecen_zaman{QStringLiteral("0")};
    platform::SignalField yukleme;
    platform::SignalField popupx;

    // The load handler (runs once, from instance()).
    void load();

private:
    explicit frm_giris(QWidget *parent = nullptr);
};
