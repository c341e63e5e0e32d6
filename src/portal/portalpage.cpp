#include "portal/portalpage.h"

#include "portal/portalprofile.h"

#include <QWebEngineLoadingInfo>

PortalPage::PortalPage(QObject *parent) : QWebEnginePage(PortalProfile(), parent)
{
    // Qt WebEngine 6.4 reports loadFinished(false) for some pages that loaded and (true) for
    // error pages that rendered: every finished load is a completed document, and the handlers
    // read the page itself to see what it is.
    connect(this, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &i) {
        switch (i.status()) {
        case QWebEngineLoadingInfo::LoadStartedStatus:
            m_loadPending = true;
            break;
        case QWebEngineLoadingInfo::LoadSucceededStatus:
        case QWebEngineLoadingInfo::LoadFailedStatus:
            m_loadPending = false;
            Q_EMIT documentComplete(url());
            break;
        case QWebEngineLoadingInfo::LoadStoppedStatus:
            // A navigation the page started from its own load event and that we refused stops
            // that load unreported: the document that is there has completed all the same.
            if (m_loadPending && m_refused.contains(i.url())) {
                m_loadPending = false;
                Q_EMIT documentComplete(url());
            }
            break;
        }
        m_refused.remove(i.url());
    });
}

bool PortalPage::acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame)
{
    if (isMainFrame && beforeNavigate && !beforeNavigate(url)) {
        m_refused.insert(url);
        Q_EMIT navigationRefused(url);
        return false;
    }
    return true;
}

QWebEnginePage *PortalPage::createWindow(WebWindowType)
{
    return newWindow ? newWindow() : nullptr;
}

QStringList PortalPage::chooseFiles(FileSelectionMode, const QStringList &, const QStringList &)
{
    const QStringList files = m_files;
    m_files.clear();
    Q_EMIT fileChooserAnswered(files);
    return files;
}

// Silent mode: no dialog of the page's own ever stops the program.
void PortalPage::javaScriptAlert(const QUrl &, const QString &) {}

bool PortalPage::javaScriptConfirm(const QUrl &, const QString &)
{
    return true;
}

bool PortalPage::javaScriptPrompt(const QUrl &, const QString &, const QString &defaultValue,
                                  QString *result)
{
    if (result)
        *result = defaultValue;
    return true;
}

void PortalPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &message,
                                          int, const QString &)
{
    Q_EMIT consoleMessage(message);
}
