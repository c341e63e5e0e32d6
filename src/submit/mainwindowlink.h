#pragma once

#include <QString>

// What the submission window needs of the main window, and nothing more. The main window
// implements it and installs itself with SetMainWindowLink; tests install a fake.
// Rows are 1-based positions in the main window's pending list ListView1, as sayi_index holds
// them; a position outside the list is ignored by setters and reads as empty / unticked / 0.
class MainWindowLink
{
public:
    virtual ~MainWindowLink() = default;

    // The pending list.
    virtual int rowCount() const = 0;
    // Sub-items used: 1 YİBF number, 9 status text, 10 photo path.
    virtual QString subItem(int row, int k) const = 0;
    virtual void setSubItem(int row, int k, const QString &text) = 0;
    virtual bool ticked(int row) const = 0;
    virtual int smallIcon(int row) const = 0;
    virtual void setSmallIcon(int row, int icon) = 0;
    virtual QString rowKey(int row) const = 0; // "f" + yedek5.sayı
    virtual void selectRow(int row) = 0;
    virtual void setListEnabled(bool enabled) = 0;

    // Options the submission reads: 3 (7-day rule), 4 (hang time-out), 7 (automatic
    // confirmation), 8 (send the queue); the window writes back 7 and 8 when its own mirrors are
    // clicked.
    virtual bool check(int which) const = 0;
    virtual void setCheck(int which, bool ticked) = 0;

    virtual void setCommand2Enabled(bool enabled) = 0; // "SEÇİLİ RESİMLERİ GÖNDER"
    virtual void stopTimer1() = 0;                     // the queue countdown

    // The main window's signal fields the submission assigns (their handlers run at once).
    enum class Signal { yukleme, popupx, tam_zaman };
    virtual void setSignal(Signal which, const QString &text) = 0;

    // Stores the selected row's status text with its record (and stamps it).
    virtual void writeStatusNote() = 0;
    // The logged-in operator's name (for the change stamp).
    virtual QString operatorName() const = 0;
};

// The installed link (never null: a link that does nothing stands in until one is installed).
MainWindowLink &mainWindowLink();
void SetMainWindowLink(MainWindowLink *link);
