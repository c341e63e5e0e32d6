#include "portal/portalpage.h"

#include "portal/portalprofile.h"

#include <QWebEngineLoadingInfo>

PortalPage::PortalPage(QObject *parent) : QWebEnginePage(PortalProfile(), parent)
{
    // Qt WebEngine 6.4 reports loadFinished(false) for some pages that loaded and (true) for
    // error pages that rendered: every finished load is a completed document, and the handlers
    // read the page itself to see what it is.
    connect(this, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &i) {
        if (i.status() == QWebEngineLoadingInfo::LoadSucceededStatus ||
            i.status() == QWebEngineLoadingInfo::LoadFailedStatus)
            Q_EMIT documentComplete(url());
    });
}

bool PortalPage::acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame)
{
    if (isMainFrame && beforeNavigate)
        return beforeNavigate(url);
    return true;
}

QWebEnginePage *PortalPage::createWindow(WebWindowType)
{
    return newWindow ? newWindow() : nullptr;
}

QStringList PortalPage::chooseFiles(FileSelectionMode, const QStringList &, const QStringList &)
{
    ++m_choosers;
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

void PortalPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int,
                                          const QString &)
{
}
