#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QWidget>

// The small progress window shown while the browser's URL cache is emptied.
class frm_temp_sil : public QWidget
{
    Q_OBJECT
public:
    explicit frm_temp_sil(QWidget *parent = nullptr);
    QLabel *Label1;
    QProgressBar *ProgressBar1;
};
