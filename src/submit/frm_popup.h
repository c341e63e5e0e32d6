#pragma once

#include "platform/signalfield.h"
#include "portal/pagesnapshot.h"
#include "submit/pagerules.h"

#include <QDateTime>
#include <QWidget>

#include <functional>

class PortalPage;
class QCheckBox;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class QWebEngineView;

// The submission window: sends one row of the main window's pending list to the portal, driven
// page by page by the portal's page codes, and closes itself on every outcome. It reaches the
// main window only through MainWindowLink. Each opening handles one row; closing releases it.
class frm_popup : public QWidget
{
    Q_OBJECT
public:
    // Creates the window hidden and runs its load on first use.
    static frm_popup *instance();
    static bool exists();

    // Controls, named as the window names them.
    QTabWidget *TabStrip1;
    QTreeWidget *ListView1; // the thirteen steps, one column "İşlem"
    QCheckBox *Check6;      // the declaration
    QString Check6Tag;      // "1": confirm by itself (see StartRow)
    QCheckBox *Check7;
    QCheckBox *Check8;
    QPushButton *Command1; // "İPTAL"
    QPushButton *Command8; // "GÖNDERİMİ DURDUR"
    QFrame *Frame7;        // the confirmation frame
    QPushButton *Command6; // "Vazgeç"
    QPushButton *Command7; // "Denetim Bilgisini Kaydet"
    QLabel *Label1;        // finish marker: "xx" once an outcome is decided
    QLabel *Label2;        // "p / m"
    QLabel *Label4;        // "Kalan Süre :"
    QLabel *Label5;        // remaining hang ticks
    QLabel *Label6;        // "Geçen Süre :" caption; the save's start time is kept beside it
    QLabel *gecen_zamanx;  // elapsed seconds + " sn"
    QProgressBar *ProgressBar1;
    QLabel *Animation1;
    QLabel *Image1; // the photograph once the form took it
    QWebEngineView *WebBrowser1;
    QWebEngineView *WebBrowser2;
    QTimer *Timer1; // paces the photograph's attach attempts (3000 ms)
    QTimer *Timer3; // hang countdown (1000 ms)
    QTimer *Timer4; // elapsed time (1000 ms)

    // Hidden fields; several are signals (see their handlers).
    platform::SignalField sayi_index;
    platform::SignalField ine;
    platform::SignalField yibf;     // -> the site search
    platform::SignalField yibf_web; // -> the site's ada
    platform::SignalField ada_web;
    platform::SignalField dosya;     // full native path of the temporary copy; tag: its file name
    platform::SignalField ekrankodu; // -> DispatchPage
    platform::SignalField eski_ekrankodu;
    platform::SignalField zaman_say{QStringLiteral("0")}; // -> the hang countdown
    QString arama_asamasi;
    double onceki_oran = 0.0;

    PortalPage *page1() const { return m_page1; }
    PortalPage *page2() const { return m_page2; }

    // The load sequence (runs once, from instance()).
    void load();
    // Starts the row at sayi_index.
    void StartRow();
    // Copies the photograph into the temporary folder; false after the numbered message.
    bool CopyPhotoToTemp(const QString &path, const QString &yibfNumber);

    // Step list: marks the step with this key done (icon 1).
    void markStep(const QString &key);
    bool stepDone(const QString &key) const;
    QString stepText(const QString &key) const;

    // The page flow: one completed page's snapshot is read for its code and acted on.
    void ReadScreenCode(const PageSnapshot &page);
    const PageSnapshot &currentPage() const { return m_snapshot; }

    // Handlers (also run by the window itself).
    void onCommand1();
    void onCommand6();
    void onCommand7();
    void onCommand8();
    void onCheck6(std::function<void()> then = {});

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    explicit frm_popup(QWidget *parent = nullptr);
    ~frm_popup() override;
    QTreeWidgetItem *step(const QString &key) const;
    int row() const; // the row being sent (sayi_index)
    void finishAndClose();
    void endWithStatus(const QString &status, int icon = -1);
    void unload();

    // Page flow (frm_popup_pages.cpp).
    void onDocumentComplete(const QUrl &url);
    void onBrowser2Complete(const QUrl &url);
    void DispatchPage();
    void menu_calistir(const QString &action);
    void onYibfChanged(const QString &text);
    void onYibfWebChanged(const QString &text);
    void onDosyaChanged(const QString &text);
    void onZamanSay(const QString &text);
    void yibf_ariyor();
    void yibf_oku();
    void DecideOutcome();
    void SevenDayRule(bool thenNewRecord);
    void OpenNewInspection();
    void FillInspectionForm();
    void attachPhoto();
    void showPhoto();
    void ShowConfirmation();
    int formIndex(const QString &name) const;

    PortalPage *m_page1 = nullptr;
    PortalPage *m_page2 = nullptr;
    PageSnapshot m_snapshot;
    QDateTime m_saveStart;
    QTimer *m_spin = nullptr;
    int m_attempts = 0;
    bool m_closing = false;
};
