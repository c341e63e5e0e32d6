#pragma once

#include <QWidget>

// The operator login window: the first window of the program.
class frm_ilk_giris : public QWidget
{
    Q_OBJECT
public:
    explicit frm_ilk_giris(QWidget *parent = nullptr);
    // The load handler: fills the window and shows it.
    void load();
};
