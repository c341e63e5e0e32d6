#include "portal/pagescript.h"

#include <QJsonDocument>
#include <QJsonValue>
#include <QPointer>
#include <QRandomGenerator>
#include <QTimer>
#include <QWebEnginePage>

#include <memory>

void RunPageScript(QWebEnginePage *page, const QString &script, ScriptDone done, int timeoutMs)
{
    struct Pending
    {
        ScriptDone done;
        bool finished = false;
        void answer(bool answered, const QVariant &v)
        {
            if (finished)
                return;
            finished = true;
            if (done)
                done(answered, v);
        }
    };
    auto pending = std::make_shared<Pending>();
    pending->done = std::move(done);
    if (!page) {
        pending->answer(false, QVariant());
        return;
    }
    QPointer<QWebEnginePage> guard(page);
    auto *timer = new QTimer(page);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, timer, [pending, timer] {
        timer->deleteLater();
        pending->answer(false, QVariant());
    });
    // A page destroyed before it answered answers nothing.
    QObject::connect(page, &QObject::destroyed, timer,
                     [pending] { pending->answer(false, QVariant()); });
    timer->start(timeoutMs);
    page->runJavaScript(script, [pending, timer = QPointer<QTimer>(timer)](const QVariant &v) {
        if (timer) {
            timer->stop();
            timer->deleteLater();
        }
        // A page torn down answers its pending scripts with no value.
        pending->answer(v.isValid(), v);
    });
}

QString ScriptMarker(const char *what)
{
    return QStringLiteral("tarvek-%1-%2:")
        .arg(QLatin1String(what))
        .arg(QRandomGenerator::global()->generate64(), 0, 16);
}

void TakeSnapshot(QWebEnginePage *page, const QStringList &innerHtmlIds, FormsHtml formsHtml,
                  std::function<void(const PageSnapshot &)> done, int timeoutMs)
{
    RunPageScript(
        page, SnapshotScript(innerHtmlIds, formsHtml),
        [done = std::move(done)](bool answered, const QVariant &v) {
            done(answered ? ParseSnapshot(v.toString()) : PageSnapshot());
        },
        timeoutMs);
}
