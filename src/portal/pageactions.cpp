#include "portal/pageactions.h"

#include "portal/pagescript.h"
#include "portal/portalpage.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeDatabase>
#include <QPointer>
#include <QTimer>
#include <QWebEngineView>

namespace PageActions {

QString FinderScript()
{
    return QStringLiteral(R"JS(function __find(key, form) {
  var d = document;
  if (form >= 0) {
    var f = d.forms[form];
    if (!f) return null;
    var e = f.elements.namedItem(key);
    if (e && !e.tagName && e.length) e = e[0];
    return e || null;
  }
  return d.getElementById(key) || d.getElementsByName(key)[0] || null;
}
)JS");
}

namespace {
// A function expression that finds the element as "e", runs body and answers whether it was there.
QString elementStep(const QString &key, int form, const QString &body)
{
    return QStringLiteral("function(){ var e = __find(%1, %2); if (!e) return false; %3 return "
                          "true; }")
        .arg(JsString(key), QString::number(form), body);
}

// The click runs within the script: a navigation it starts is only scheduled then (a link's and
// a form's alike), so the answer and the batch's later actions still come, and the page goes on
// a task sooner than after a timer.
QString click()
{
    return QStringLiteral("e.click();");
}

// Runs body (which sees the found element as "e") and answers whether the element was there.
void withElement(QWebEnginePage *page, const QString &key, int form, const QString &body, Done done)
{
    const QString script = QStringLiteral("(function(){%1 return (%2)(); })()")
                               .arg(FinderScript(), elementStep(key, form, body));
    RunPageScript(page, script, [done = std::move(done)](bool answered, const QVariant &v) {
        if (done)
            done(answered && v.toBool());
    });
}

void runFound(QWebEnginePage *page, const QString &script, Done done)
{
    RunPageScript(page, script, [done = std::move(done)](bool answered, const QVariant &v) {
        if (done)
            done(answered && v.toBool());
    });
}
} // namespace

Batch &Batch::add(const QString &step, Done done)
{
    m_steps << step;
    m_done << std::move(done);
    return *this;
}

Batch &Batch::SetValue(const QString &key, const QString &value, Done done, int form)
{
    return add(elementStep(key, form, QStringLiteral("e.value = %1;").arg(JsString(value))),
               std::move(done));
}

Batch &Batch::Click(const QString &key, Done done, int form)
{
    return add(elementStep(key, form, click()), std::move(done));
}

Batch &Batch::ClickFormElement(int form, int index, Done done)
{
    return add(QStringLiteral("function(){ var f = document.forms[%1]; if (!f) return false; var "
                              "e = f.elements[%2]; if (!e || e.disabled) return false; %3 return "
                              "true; }")
                   .arg(QString::number(form), QString::number(index), click()),
               std::move(done));
}

Batch &Batch::ClickImage(int index, Done done)
{
    return add(QStringLiteral("function(){ var e = document.images[%1]; if (!e) return false; %2 "
                              "return true; }")
                   .arg(QString::number(index), click()),
               std::move(done));
}

Batch &Batch::SubmitForm(int form, Done done)
{
    return add(QStringLiteral("function(){ var f = document.forms[%1]; if (!f) return false; "
                              "f.submit(); return true; }")
                   .arg(form),
               std::move(done));
}

Batch &Batch::SetCheckedAndFireOnclick(const QString &key, bool checked, Done done)
{
    return add(elementStep(key, -1,
                           QStringLiteral("e.checked = %1; if (typeof e.onclick === 'function') "
                                          "e.onclick.call(e, new MouseEvent('click'));")
                               .arg(checked ? QStringLiteral("true") : QStringLiteral("false"))),
               std::move(done));
}

void Batch::Run(QWebEnginePage *page, std::function<void(const QList<bool> &found)> done)
{
    if (m_steps.isEmpty()) {
        if (done)
            done({});
        return;
    }
    // An action that throws counts as not found and leaves the next ones to act.
    const QString script =
        QStringLiteral("(function(){%1 var r = []; [%2].forEach(function(a){ try { r.push(a() "
                       "=== true); } catch (x) { r.push(false); } }); return r; })()")
            .arg(FinderScript(), m_steps.join(QLatin1Char(',')));
    RunPageScript(
        page, script,
        [each = std::move(m_done), done = std::move(done)](bool answered, const QVariant &v) {
            const QVariantList answers = answered ? v.toList() : QVariantList();
            QList<bool> found;
            for (qsizetype i = 0; i < each.size(); ++i) {
                found << (i < answers.size() && answers[i].toBool());
                if (each[i])
                    each[i](found.back());
            }
            if (done)
                done(found);
        });
    m_steps.clear();
    m_done.clear();
}

void SetValue(QWebEnginePage *page, const QString &key, const QString &value, Done done, int form)
{
    Batch().SetValue(key, value, std::move(done), form).Run(page);
}

void Click(QWebEnginePage *page, const QString &key, Done done, int form)
{
    Batch().Click(key, std::move(done), form).Run(page);
}

void ClickFormElement(QWebEnginePage *page, int form, int index, Done done)
{
    Batch().ClickFormElement(form, index, std::move(done)).Run(page);
}

void ClickImage(QWebEnginePage *page, int index, Done done)
{
    Batch().ClickImage(index, std::move(done)).Run(page);
}

void SubmitForm(QWebEnginePage *page, int form, Done done)
{
    Batch().SubmitForm(form, std::move(done)).Run(page);
}

void SetCheckedAndFireOnclick(QWebEnginePage *page, const QString &key, bool checked, Done done)
{
    Batch().SetCheckedAndFireOnclick(key, checked, std::move(done)).Run(page);
}

void Stop(QWebEnginePage *page)
{
    if (page)
        page->triggerAction(QWebEnginePage::Stop);
}

namespace {
// A function of the found input "e" that answers whether it holds a file and, the first time it
// does, clicks thenClick. Every look at the input goes through it, so however many of them see
// the file (the change event, a look after the chooser, the bytes), the form goes on once.
QString settleScript(const QString &thenClick)
{
    const QString once = JsString(ScriptMarker("continued"));
    return QStringLiteral("function(e){ if (!e.value) return false; if (%1 && !window[%2]) { "
                          "window[%2] = true; var c = __find(%1, -1); if (c && !c.disabled) "
                          "c.click(); } return true; }")
        .arg(JsString(thenClick), once);
}

void attachByBytes(PortalPage *page, const QString &key, const QString &path, const QString &settle,
                   Done done)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (done)
            done(false);
        return;
    }
    const QString mime = QMimeDatabase().mimeTypeForFile(path).name();
    const QString script =
        QStringLiteral("(function(){%1 var e = __find(%2, -1); if (!e) return false; var b = "
                       "atob(%3); var a = new Uint8Array(b.length); for (var i = 0; i < "
                       "b.length; i++) a[i] = b.charCodeAt(i); var t = new DataTransfer(); "
                       "t.items.add(new File([a], %4, {type: %5})); e.files = t.files; "
                       "e.dispatchEvent(new Event('input', {bubbles: true})); "
                       "e.dispatchEvent(new Event('change', {bubbles: true})); return "
                       "(%6)(e); })()")
            .arg(FinderScript(), JsString(key),
                 JsString(QString::fromLatin1(f.readAll().toBase64())),
                 JsString(QFileInfo(path).fileName()), JsString(mime), settle);
    runFound(page, script, std::move(done));
}
} // namespace

void AttachFile(PortalPage *page, QWebEngineView *view, const QString &key, const QString &path,
                const QString &thenClick, Done done)
{
    if (!page || !QFileInfo::exists(path)) {
        if (done)
            done(false);
        return;
    }
    const QString settle = settleScript(thenClick);
    QWidget *target = view && view->isVisible() ? view->focusProxy() : nullptr;
    if (!target) {
        attachByBytes(page, key, path, settle, std::move(done));
        return;
    }
    // The input is focused by script, then a key press of our own opens its chooser (a script
    // click is refused without user activation); the page answers the chooser with the path.
    // Once the input's change event is over (the page's own handlers may have emptied it), a
    // console line under a marker says whether it holds the file; the limits cover a chooser
    // that never came and a file that is never taken.
    page->setFilesToChoose({path});
    struct Wait
    {
        QPointer<PortalPage> page;
        QPointer<QObject> holder; // the wait's connections and limit go with it
        Done done;
        bool answered = false;
        bool ended = false;
        void end(bool held)
        {
            if (ended)
                return;
            ended = true;
            if (holder)
                holder->deleteLater();
            if (done)
                done(held);
        }
    };
    auto w = std::make_shared<Wait>();
    w->page = page;
    w->holder = new QObject(page);
    w->done = std::move(done);
    auto *limit = new QTimer(w->holder);
    limit->setSingleShot(true);
    // Settles the wait once the input holds a file; at the limit (or with the page gone), with
    // what it holds then.
    const auto look = [w, key, settle](bool last) {
        withElement(w->page, key, -1, QStringLiteral("if (!(%1)(e)) return false;").arg(settle),
                    [w, last](bool held) {
                        if (held || last || !w->page)
                            w->end(held);
                    });
    };
    const QString marker = ScriptMarker("file");
    QObject::connect(page, &PortalPage::fileChooserAnswered, w->holder, [w, limit, look] {
        w->answered = true;
        // The input takes the chosen file a moment after the chooser closed.
        limit->start(2000);
        look(false);
    });
    QObject::connect(page, &PortalPage::consoleMessage, w->holder,
                     [w, marker](const QString &message) {
                         if (message == marker + QLatin1Char('1') && w->answered)
                             w->end(true);
                     });
    QObject::connect(limit, &QTimer::timeout, w->holder, [w, key, path, settle, look] {
        if (w->answered) {
            look(true);
            return;
        }
        // No chooser came: the bytes go to the input directly.
        w->ended = true;
        w->holder->deleteLater();
        w->page->setFilesToChoose({});
        attachByBytes(w->page, key, path, settle, std::move(w->done));
    });
    // A chooser comes within milliseconds of the key press; one that has not come in a second
    // will not (about one record in a hundred in a long queue), and the bytes go instead.
    limit->start(1000);
    withElement(page, key, -1,
                QStringLiteral("e.addEventListener('change', function(){ setTimeout(function(){ "
                               "console.log(%1 + ((%2)(e) ? '1' : '0')); }, 0); }, {once: true}); "
                               "e.focus();")
                    .arg(JsString(marker), settle),
                [w, target = QPointer<QWidget>(target)](bool found) {
                    if (!found || !target || w->answered || w->ended)
                        return;
                    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier,
                                    QStringLiteral(" "));
                    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier,
                                      QStringLiteral(" "));
                    QCoreApplication::sendEvent(target, &press);
                    QCoreApplication::sendEvent(target, &release);
                });
}

} // namespace PageActions
