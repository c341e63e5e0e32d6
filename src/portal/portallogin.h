#pragma once

#include "portal/frm_guvenlik.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class PortalPage;
class QWebEnginePage;
class QWidget;
struct PageSnapshot;

// What the portal login needs of the main window and of the submission window.
class PortalLoginLink
{
public:
    virtual ~PortalLoginLink() = default;
    virtual void setStatusText(const QString &text) = 0; // the main window's Label1
    virtual QString portalUser() const = 0;              // Text2
    virtual QString portalPassword() const = 0;          // Text3
    virtual QString tempFolder() const = 0;              // tempx
    // Whether the submission window is visible; asking creates it, hidden, and runs its load.
    virtual bool submissionWindowVisible() = 0;
    // The submission window's second browser page, registered as the new window's target
    // (the window is created and loaded when it does not exist yet).
    virtual QWebEnginePage *submissionWindowTarget() = 0;
    // The portal window has its page: the first queued record goes to the submission window,
    // which is shown.
    virtual void handOver() = 0;
    virtual QWidget *dialogParent() = 0;
};

// The main window browser's handlers on the way to a logged-in portal window: before-navigate,
// document-complete (front page, login page with the security-code dialog, the portal's message)
// and the new window that the portal opens after an accepted login.
class PortalLogin : public QObject
{
    Q_OBJECT
public:
    PortalLogin(PortalPage *page, PortalLoginLink *link, QObject *parent = nullptr);

    // The send command: the login page, never from a cache.
    void openLoginPage();
    // The file the security-code image is saved to.
    QString codeImageFile() const;

    // Time limit of one security-code download.
    static constexpr int kCodeDownloadMs = 15000;

Q_SIGNALS:
    void securityDialogShown(frm_guvenlik *dialog);
    // The handler of one completed page has run to its end (tests wait on it).
    void pageHandled(const QString &url);

private:
    bool beforeNavigate(const QUrl &target);
    void documentComplete(const QUrl &url);
    void frontPage(const PageSnapshot &s);
    void loginPage(const PageSnapshot &s);
    void nextCodeImage(QList<int> images, const QString &url);
    void showCodeDialog(const QString &url, QList<int> remaining);
    void confirm();
    void captureMessage(const QString &url);
    static void showPortalMessage(const PageSnapshot &s);
    QWebEnginePage *newWindow();
    void fail(const QString &title, int number, const QString &description);

    PortalPage *m_page;
    PortalLoginLink *m_link;
    QPointer<frm_guvenlik> m_dialog;
};
