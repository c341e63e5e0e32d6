#pragma once

#include "core/pagerules.h"
#include "core/pagesnapshot.h"
#include "core/submission.h"
#include "platform/signalfield.h"

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

// The submission window: sends one pending record to the portal, driven page by page by the
// portal's page codes, and closes itself on every outcome. It is given the record and the
// operator's options, and reports how the submission ended as a value (finished); it reads and
// writes no other window. Each opening handles one record; closing releases it.
class frm_popup : public QWidget
{
    Q_OBJECT
public:
    // Created hidden; its load runs at once. page: the portal page to work in, made ahead (its
    // renderer already running), taken over by the window; null: a page of its own.
    explicit frm_popup(const SubmissionOptions &options, QWidget *parent = nullptr,
                       PortalPage *page = nullptr);
    ~frm_popup() override;

    // The record to send, given when the portal window opens (the row starts at the main page).
    void setRequest(const SubmissionRequest &request);
    // A kept session: no portal window comes, so the window opens the portal's main page itself.
    void openMainPage();
    const SubmissionRequest &request() const { return m_request; }
    // The operator's options as they change on the main window.
    void setOptions(const SubmissionOptions &options);
    const SubmissionOptions &options() const { return m_options; }

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
    QLabel *Label6;        // the save's start time, on its own line below "Geçen Süre :"
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
    platform::SignalField yibf;     // -> the site search
    platform::SignalField yibf_web; // -> the site's ada
    platform::SignalField ada_web;
    platform::SignalField dosya;     // full native path of the temporary copy; tag: its file name
    platform::SignalField ekrankodu; // -> actOnPage
    platform::SignalField eski_ekrankodu;
    platform::SignalField zaman_say{QStringLiteral("0")}; // -> the hang countdown
    QString arama_asamasi;
    double onceki_oran = 0.0;

    // A record sent leaves its proof (the portal's list as a PDF and the photograph uploaded);
    // benchmarks switch it off to compare.
    bool keepProof = true;

    PortalPage *page1() const { return m_page1; }
    // The second browser's page is made when a login hands the portal's window over: a queue
    // in a kept session never needs it, and each page costs the engine work at the window's
    // opening, beside the first portal page's load.
    PortalPage *page2();

    // The load sequence (runs once, from the constructor).
    void onLoad();
    // Starts the requested record.
    void StartRow();
    // Copies the photograph into the temporary folder; false after the numbered message.
    bool CopyPhotoToTemp(const QString &path, const QString &yibfNumber);

    // Step list: marks the step with this key done (icon 1).
    void markStep(const QString &key);
    bool stepDone(const QString &key) const;
    QString stepText(const QString &key) const;

    // The page flow: one completed page's snapshot is read for its code and acted on.
    void readPage(const PageSnapshot &page);
    const PageSnapshot &currentPage() const { return m_snapshot; }

    // Handlers (also run by the window itself).
    void onCommand1();
    void onCommand6();
    void onCommand7();
    void onCommand8();
    void onCheck6();

Q_SIGNALS:
    // The operator changed the confirmation or queue option here (their mirrors).
    void optionsChanged(const SubmissionOptions &options);
    // The window closed: how the submission of record `number` ended (number 0: no record).
    void finished(qlonglong number, const SubmissionOutcome &outcome);
    // The window closed with nothing decided: the portal's session ended under record `number`,
    // which goes again after a login.
    void sessionEnded(qlonglong number, const SessionEnd &end);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QTreeWidgetItem *stepItem(const QString &key) const;
    const PendingRecord *sentRecord() const;
    // Decides the outcome and closes; the queue stores it when the window has closed.
    void finishAndClose(const SubmissionOutcome &outcome = {});
    void endWithStatus(const QString &status, std::optional<RowMark> mark = std::nullopt);
    // Closes with the session's end instead of an outcome.
    void endWithSession();
    void unload();

    // Page flow (frm_popup_pages.cpp).
    void onDocumentRead(const PageSnapshot &page);
    void onBrowser2Complete(const QUrl &url);
    void actOnPage();
    void menu_calistir(const QString &action);
    void onYibfChanged(const QString &text);
    void onYibfWebChanged(const QString &text);
    void onDosyaChanged(const QString &text);
    void onZamanSay(const QString &text);
    void yibf_ariyor();
    void yibf_oku();
    void DecideOutcome();
    void keepProofAndClose(SubmissionOutcome outcome);
    void SevenDayRule(bool thenNewRecord);
    void OpenNewInspection();
    void FillInspectionForm();
    void attachPhoto();
    void showPhoto();
    void ShowConfirmation();
    bool declarationOnPage() const;
    void autoSave();
    // The save pressed: its timers, the countdown after it.
    void saving();
    int formIndex(const QString &name) const;

    SubmissionRequest m_request;
    SubmissionOptions m_options;
    SubmissionOutcome m_outcome;
    bool m_decided = false;
    bool m_pageLent = false; // the list's page prints the proof on its own, then goes
    std::optional<SessionEnd> m_sessionEnd;
    std::optional<int> m_countdown; // ticks before the next record, once a step set them
    PortalPage *m_page1 = nullptr;
    PortalPage *m_page2 = nullptr;
    PageSnapshot m_snapshot;
    // The inspection list's rows as last read on the way to the form: what the list held before
    // the save. m_confirmationShown: the confirmation page came since, so a save may have
    // happened and the next list decides the outcome.
    std::optional<QList<QStringList>> m_listBefore;
    bool m_confirmationShown = false;
    QDateTime m_saveStart;
    QTimer *m_spin = nullptr;
    int m_attempts = 0;
    bool m_closing = false;
};
