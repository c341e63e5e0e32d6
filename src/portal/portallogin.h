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

// What the portal login needs of the window it works for, given by that window: the
// institution's portal credentials, where the code image is kept, and the submission window.
struct PortalLoginContext
{
    std::function<QString()> user;       // Text2
    std::function<QString()> password;   // Text3
    std::function<QString()> codeFolder; // tempx
    // Whether the submission window is visible; asking creates it, hidden, and runs its load.
    std::function<bool()> submissionShown;
    // Its second browser page, registered as the new window's target (created when missing).
    std::function<QWebEnginePage *()> submissionPage;
    // How many records wait in the queue (told in the code dialog); optional.
    std::function<int()> queuedCount;
    QWidget *dialogParent = nullptr;
};

// The main window browser's handlers on the way to a logged-in portal window: before-navigate,
// document-complete (front page, login page with the security-code dialog, the portal's message)
// and the new window that the portal opens after an accepted login.
class PortalLogin : public QObject
{
    Q_OBJECT
public:
    PortalLogin(PortalPage *page, PortalLoginContext context, QObject *parent = nullptr);

    // The send command: the login page, never from a cache.
    void openLoginPage();
    // The file the security-code image is saved to.
    QString codeImageFile() const;

    // Time limit of one security-code download.
    static constexpr int kCodeDownloadMs = 15000;

Q_SIGNALS:
    // The main window's status line (Label1).
    void statusText(const QString &text);
    // The portal window has its page: the first queued record goes to the submission window,
    // which is shown.
    void portalWindowOpened();
    void securityDialogShown(frm_guvenlik *dialog);
    // The handler of one completed page has run to its end (tests wait on it).
    void pageHandled(const QString &url);

private:
    bool allowNavigation(const QUrl &target);
    void handlePage(const QUrl &url);
    void frontPage(const PageSnapshot &s);
    void loginPage(const PageSnapshot &s);
    void nextCodeImage(QList<int> images, const QString &url);
    void showCodeDialog(const QString &url, QList<int> remaining);
    void confirm();
    void captureMessage(const QString &url);
    static void showPortalMessage(const PageSnapshot &s);
    QWebEnginePage *openPortalWindow();
    void fail(const QString &title, int number, const QString &description);

    PortalPage *m_page;
    PortalLoginContext m_context;
    QPointer<frm_guvenlik> m_dialog;
};
