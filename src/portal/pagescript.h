#pragma once

#include "core/pagesnapshot.h"

#include <QString>
#include <QVariant>

#include <functional>

class QWebEnginePage;

// Runs a script in the page and hands back its result exactly once: answered with the value, or
// not answered when the page went away or did not answer within the time limit. Never blocks.
using ScriptDone = std::function<void(bool answered, const QVariant &value)>;
void RunPageScript(QWebEnginePage *page, const QString &script, ScriptDone done,
                   int timeoutMs = 10000);

// A console line no page writes by itself: a script of ours writes it to answer once its own
// asynchronous work is over (runJavaScript cannot wait for a promise).
QString ScriptMarker(const char *what);

// Reads the page; done always runs (with an invalid snapshot when the page did not answer).
void TakeSnapshot(QWebEnginePage *page, const QStringList &innerHtmlIds, FormsHtml formsHtml,
                  std::function<void(const PageSnapshot &)> done, int timeoutMs = 10000);
