#pragma once

#include <QList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The operator login window: the first window of the program. Its load lists the institutions
// and either logs the remembered operator in or shows itself; a successful login hands the
// portal credentials to the main window and closes this one.
class frm_ilk_giris : public QWidget
{
    Q_OBJECT
public:
    explicit frm_ilk_giris(QWidget *parent = nullptr);

    // The load handler: fills the window, then logs in automatically or shows the window.
    void onLoad();
    // The login command (click of Command6).
    void Command6_Click();
    // Click of Check2, also raised when the program changes the box.
    void Check2_Click();

    // True once a successful login closed the window.
    bool loggedIn() const { return m_loggedIn; }

    QGroupBox *Frame1;
    QLabel *Label2; // heading
    QComboBox *Combo2;
    QLineEdit *Text6;
    QLineEdit *Text7;
    QCheckBox *Check2;
    QCheckBox *Check1;
    QPushButton *Command6;
    QLabel *Label1;

    struct GridRow
    {
        QString userName;    // unscrambled ministry user name
        QString institution; // kurum_unvan
    };
    QList<GridRow> grid_bakanlik_kullanicilar;

private:
    void fillInstitutions();
    void rememberedLogin();
    void reportDatabaseFailure(const QString &description);

    bool m_loggedIn = false;
};
