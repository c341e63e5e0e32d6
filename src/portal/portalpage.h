#pragma once

#include "core/pagesnapshot.h"

#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QUrl>
#include <QWebEnginePage>

#include <functional>
#include <optional>

class QWidget;

// A page of the portal profile that behaves like the old browser control in silent mode: it
// opens new windows where it is told to, answers file choosers with the file it is told to, shows
// no script dialogs, and asks before every navigation whether to go on.
class PortalPage : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit PortalPage(QObject *parent = nullptr);

    // Asked for every navigation of the main frame; return false to cancel it.
    std::function<bool(const QUrl &target)> beforeNavigate;
    // Asked when the page opens a new window (window.open, target=_blank); the page returned
    // receives it (it must belong to the portal profile). Null or a null answer refuses it.
    std::function<QWebEnginePage *()> newWindow;
    // The files the next file chooser is answered with (used once).
    void setFilesToChoose(const QStringList &files) { m_files = files; }
    // From now on every completed document is read once and handed over by documentRead. The
    // page writes its own snapshot from its load event, so it is there when the load finishes;
    // a page that wrote none (an error page, scripts refused) is read after it completed. The
    // forms' inner HTML is not read.
    void readEachDocument(const QStringList &innerHtmlIds);
    // Shows the widget once this page's next load has started, or after a moment if none starts.
    // The engine starts a load on the windows' thread: a widget laid out and shown in the same
    // turn holds that start back by as long (for a whole window, ~3 ms).
    void showOnLoadStart(QWidget *widget);

Q_SIGNALS:
    // A finished load of the main frame, successful or not: the old control's document-complete.
    void documentComplete(const QUrl &url);
    void fileChooserAnswered(const QStringList &files);
    // beforeNavigate refused a navigation of the main frame.
    void navigationRefused(const QUrl &url);
    // A line the page wrote to its console (our own scripts answer late through it).
    void consoleMessage(const QString &message);
    // A completed document's snapshot (readEachDocument): once per load, valid or not.
    void documentRead(const PageSnapshot &page);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                            const QStringList &acceptedMimeTypes) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg,
                          const QString &defaultValue, QString *result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int lineNumber, const QString &sourceID) override;

private:
    void completed();
    void hand(const PageSnapshot &page);

    QStringList m_files;
    // readEachDocument: the marker of the snapshots our script writes, the ids it reads, and
    // the current load's state (its number, a snapshot written before it completed).
    QString m_snapshotMarker;
    QStringList m_snapshotIds;
    quint64 m_load = 0;
    bool m_complete = false, m_read = false;
    std::optional<PageSnapshot> m_written;
    QSet<QUrl> m_refused;
    bool m_loadPending = false;
};
