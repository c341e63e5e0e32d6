#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

// The security-code dialog: the operator reads the code from the portal's image and types it.
class frm_guvenlik : public QDialog
{
    Q_OBJECT
public:
    explicit frm_guvenlik(QWidget *parent = nullptr);

    QLabel *Image1;
    QLineEdit *Text1;
    QPushButton *Command1;
    QLabel *Label1; // how many records wait: the one code may serve them all

    bool loadImage(const QString &file);
    void showQueue(int count);

Q_SIGNALS:
    // "Onayla" pressed; the portal login decides whether the dialog closes.
    void confirmRequested();
};
