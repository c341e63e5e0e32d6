#pragma once

#include "core/pendingqueue.h"
#include "core/portalsession.h"
#include "core/submission.h"
#include "platform/signalfield.h"
#include "submit/frm_popup.h"

#include <QList>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QTimer;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class QWebEngineView;
class PortalLogin;
class PortalPage;
class frm_gecmis;

// The main window: the operator's desk with the list of photographs waiting to be sent. The list
// is a view of the pending queue; the submission window is given one record at a time and hands
// back how it ended. Each window exists once; instance() creates it on first use and runs its
// load.
class frm_giris : public QWidget
{
    Q_OBJECT
public:
    static frm_giris *instance();
    // The single instance is forgotten with it, so the next instance() starts afresh.
    ~frm_giris() override;

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
    platform::SignalField gecen_zaman{QStringLiteral("0")}; // -> countdown step
    platform::SignalField yukleme;                          // -> queue continuation
    platform::SignalField popupx;

    // The firm's "print the date onto the photograph" setting (foto_tarih_at).
    QString photoDateSetting;

    // Controls.
    QTreeView *ListView1 = nullptr;         // the pending list: a view of queue()
    QTreeWidget *ListView2 = nullptr;       // details of the selected row
    QGroupBox *Frame2 = nullptr;            // "Önizleme"
    QLabel *Image1 = nullptr;               // the preview
    QGroupBox *Frame3 = nullptr;            // "Ayrıntılar"
    QFrame *Frame4 = nullptr;               // the countdown panel
    QLabel *Label1 = nullptr;               // version, then the count of listed photos
    QLabel *Label2 = nullptr;               // the countdown text
    QLabel *Label3 = nullptr;               // status text of the selected row
    QCheckBox *Check2 = nullptr;            // "Tümü"
    QCheckBox *Check8 = nullptr;            // send the queue one after another
    QCheckBox *Check7 = nullptr;            // confirm automatically
    QCheckBox *Check3 = nullptr;            // 7-day rule
    QCheckBox *Check4 = nullptr;            // skip a hanging page
    QCheckBox *Check9 = nullptr;            // same-day guard (ticked unless unticked by hand)
    QCheckBox *Check10 = nullptr;           // the queue keeps its portal session (ticked too)
    QPushButton *Command1 = nullptr;        // "YENİLE"
    QPushButton *Command2 = nullptr;        // "SEÇİLİ RESİMLERİ GÖNDER"
    QPushButton *Command3 = nullptr;        // "YAZDIR"
    QPushButton *Command4 = nullptr;        // "GÖNDERİM GEÇMİŞİ": the sent history window
    QPushButton *StopPreparation = nullptr; // stops the photographs' preparation
    QMenu *mn_sag = nullptr;
    QAction *mn_klasor_ac = nullptr;
    QAction *mn_ara = nullptr;
    QAction *mn_iptal = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QList<QLabel *> StatusPanels; // the four panels of StatusBar1
    QTimer *Timer1 = nullptr;
    QWebEngineView *WebBrowser1 = nullptr;
    // The browser's handlers on the way to a logged-in portal window.
    PortalLogin *portalLogin = nullptr;

    PendingQueue &queue() { return m_queue; }
    const PendingQueue &queue() const { return m_queue; }
    SubmissionOptions options() const;

    // The load handler (runs once, from instance()).
    void onLoad();

    // Fills (or refills) the pending list.
    void sorsana();
    // Selects row (1-based), shows its details and runs the eligibility checks on it.
    void listvievx_click(int row);
    // Selects the first queued row and checks it; its 1-based position, or nullopt.
    std::optional<int> rapor_sirasi();
    // The countdown expired: send the next queued row when the queue option is ticked (in the
    // kept portal session when there is one).
    void baslat_artik();

    // Command and menu handlers.
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Check2_Click();
    void mn_iptal_Click();
    void mn_klasor_ac_Click();

    // The selected row (0-based), or -1.
    int selectedRow() const;

    // The submission window: submissionWindow() creates it (hidden, its load run) on first use;
    // openSubmissionWindow() only answers the one that is open, if any.
    frm_popup *submissionWindow();
    frm_popup *openSubmissionWindow() const { return m_popup; }
    // The portal window opened: the first queued row goes to the submission window, shown.
    void handOver();

    // Where the window hands its work on; tests replace them.
    // Opens an address in WebBrowser1 (the portal login starts from there).
    std::function<void(const QUrl &)> navigate;
    static std::function<void(const QUrl &)> defaultNavigate(frm_giris *window);
    // Shows the printed list of the print buffer (preview, print or PDF).
    std::function<void(const QString &siblingFolder)> showReport;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit frm_giris(QWidget *parent = nullptr);
    void buildControls();
    void connectControls();
    void layoutControls();
    void onGecenZaman(const QString &text);
    void onYukleme(const QString &text);
    void onContextMenu(const QPoint &pos);
    void onOptionsChanged();
    // The option boxes as the operator left them last time (per operator in the settings store).
    void loadOptions();
    void onSubmissionFinished(qlonglong number, const SubmissionOutcome &outcome);
    void onSessionEnded(qlonglong number, const SessionEnd &end);
    // The first queued row to the submission window, shown; keptSession: no login came first.
    void giveRecord(frm_popup *popup, bool keptSession);
    void updateStatusBarOperator();
    void showCount();
    void showDetails(const RecordCheck &check);
    // The status line: cut to its width, the whole text in its tooltip.
    void showStatus(const QString &text);
    // The selected row changed in the queue (an outcome, a tick): its status line and details.
    void refreshSelectedRow(const QModelIndex &first, const QModelIndex &last);
    void placeCountdown();
    // The preview is decoded off the window's thread and shown when ready, unless another row's
    // preview (or none) was asked for since.
    void showPreview(const QString &path, bool fit);
    void hidePreview();
    void onTimerTick();
    void selectRow(int row);

    // A portal page loaded blank ahead of the next submission window: a page whose renderer
    // is running loads the portal's first page in about a quarter of a cold page's time.
    void warmPage();

    PendingQueue m_queue;
    QPointer<frm_popup> m_popup;
    QPointer<PortalPage> m_warmPage;
    QPointer<frm_gecmis> m_history;
    PortalSession m_session;
    std::unique_ptr<QWebEngineView> m_loginBrowser; // WebBrowser1, a hidden window of its own
    // A refused outcome write halts the queue until the operator sends again.
    bool m_halted = false;
    bool m_loadingOptions = false;
    quint64 m_previewTicket = 0;
};

// A key typed into Text2 is folded with TextChangeCase (core/textchangecase.h), toUpper true.
