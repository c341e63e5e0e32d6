#include "portal/portalpage.h"

#include "portal/pagescript.h"
#include "portal/portalprofile.h"

#include <QTimer>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

#include <QWebEngineLoadingInfo>
#include <QWidget>

namespace {
// A widget waiting for a load that reports no start is shown after this long regardless.
constexpr int kShowAnyway = 200; // ms
} // namespace

PortalPage::PortalPage(QObject *parent) : QWebEnginePage(PortalProfile(), parent)
{
    // Qt WebEngine 6.4 reports loadFinished(false) for some pages that loaded and (true) for
    // error pages that rendered: every finished load is a completed document, and the handlers
    // read the page itself to see what it is.
    connect(this, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &i) {
        switch (i.status()) {
        case QWebEngineLoadingInfo::LoadStartedStatus:
            m_loadPending = true;
            ++m_load;
            m_complete = m_read = false;
            m_written.reset();
            break;
        case QWebEngineLoadingInfo::LoadSucceededStatus:
        case QWebEngineLoadingInfo::LoadFailedStatus:
            m_loadPending = false;
            completed();
            break;
        case QWebEngineLoadingInfo::LoadStoppedStatus:
            // A navigation the page started from its own load event and that we refused stops
            // that load unreported: the document that is there has completed all the same.
            if (m_loadPending && m_refused.contains(i.url())) {
                m_loadPending = false;
                completed();
            }
            break;
        }
        m_refused.remove(i.url());
    });
}

void PortalPage::readEachDocument(const QStringList &innerHtmlIds)
{
    m_snapshotIds = innerHtmlIds;
    m_snapshotMarker = ScriptMarker("snapshot");
    // In a world of its own, so the portal's scripts neither see the marker nor change what the
    // snapshot reads with; registered once the document is parsed, so it runs after the load
    // handlers the page set while it was parsed. Once per document: with one renderer process
    // for all pages the engine injects some documents' scripts twice.
    QWebEngineScript script;
    script.setName(QStringLiteral("tarvek-snapshot"));
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(
        QStringLiteral("if (!window[%1]) { window[%1] = true; "
                       "window.addEventListener('load', function () { "
                       "console.log(%1 + %2); }); }")
            .arg(JsString(m_snapshotMarker), SnapshotScript(innerHtmlIds, FormsHtml::Skip)));
    scripts().insert(script);
}

void PortalPage::showOnLoadStart(QWidget *widget)
{
    // The wait goes with the widget; whichever comes first shows it and ends the other, so a
    // later load never shows a widget hidden since.
    auto *wait = new QTimer(widget);
    wait->setSingleShot(true);
    const auto show = [this, widget, wait] {
        disconnect(this, nullptr, wait, nullptr);
        wait->stop();
        wait->deleteLater();
        widget->show();
    };
    connect(this, &QWebEnginePage::loadStarted, wait, show);
    connect(wait, &QTimer::timeout, wait, show);
    wait->start(kShowAnyway);
}

void PortalPage::completed()
{
    Q_EMIT documentComplete(url());
    if (m_snapshotMarker.isEmpty() || m_complete)
        return;
    m_complete = true;
    if (m_written) {
        hand(*m_written);
        return;
    }
    // No snapshot written (yet): the page is read now, and whichever comes first is handed over.
    const quint64 load = m_load;
    QPointer<PortalPage> self(this);
    TakeSnapshot(this, m_snapshotIds, FormsHtml::Skip, [self, load](const PageSnapshot &page) {
        if (self && self->m_load == load)
            self->hand(page);
    });
}

void PortalPage::hand(const PageSnapshot &page)
{
    if (m_read)
        return;
    m_read = true;
    Q_EMIT documentRead(page);
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
    if (!m_snapshotMarker.isEmpty() && message.startsWith(m_snapshotMarker)) {
        const PageSnapshot page = ParseSnapshot(message.mid(m_snapshotMarker.size()));
        if (!page.valid)
            return; // the read after completion answers instead
        if (m_complete)
            hand(page);
        else
            m_written = page;
        return;
    }
    Q_EMIT consoleMessage(message);
}
