#include "portal/portallogin.h"

#include "core/addresses.h"
#include "core/hostutil.h"
#include "core/pagesnapshot.h"
#include "core/portalcontract.h"
#include "core/portalmessages.h"
#include "hostutil/urlcache.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "portal/frm_guvenlik.h"
#include "portal/pageactions.h"
#include "portal/pagescript.h"
#include "portal/portalpage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

using platform::MsgIcon;

PortalLogin::PortalLogin(PortalPage *page, PortalLoginContext context, QObject *parent)
    : QObject(parent), m_page(page), m_context(std::move(context))
{
    m_page->beforeNavigate = [this](const QUrl &u) { return allowNavigation(u); };
    m_page->newWindow = [this] { return openPortalWindow(); };
    connect(m_page, &PortalPage::documentComplete, this, &PortalLogin::handlePage);
}

void PortalLogin::openLoginPage()
{
    // The portal profile keeps no cache and asks for fresh pages: navigation flags 12.
    m_page->load(QUrl(LoginPageUrl()));
}

QString PortalLogin::codeImageFile() const
{
    return platform::nativePath(m_context.codeFolder() + QStringLiteral("\\java.jpg"));
}

bool PortalLogin::allowNavigation(const QUrl &target)
{
    // The login page is never left for the front page.
    return !RefuseNavigation(m_page->url().toString(), target.toString());
}

void PortalLogin::fail(const QString &title, int number, const QString &description)
{
    platform::msgBox(QString::number(number) + description, MsgIcon::Critical, title);
}

void PortalLogin::handlePage(const QUrl &url)
{
    const QString address = url.toString();
    if (address.isEmpty() || address == QStringLiteral("http:///") ||
        address == QStringLiteral("about:blank")) {
        Q_EMIT pageHandled(address);
        return;
    }
    if (IsFrontPage(address)) {
        TakeSnapshot(m_page, {}, FormsHtml::Skip, [self = QPointer(this)](const PageSnapshot &s) {
            if (self)
                self->frontPage(s);
        });
        return;
    }
    if (IsLoginPage(address)) {
        // Asking creates the submission window, hidden, at the first completed login page.
        if (m_context.submissionShown()) {
            Q_EMIT pageHandled(address);
            return;
        }
        TakeSnapshot(m_page, {}, FormsHtml::Read, [self = QPointer(this)](const PageSnapshot &s) {
            if (self)
                self->loginPage(s);
        });
        return;
    }
    captureMessage(address);
}

void PortalLogin::frontPage(const PageSnapshot &s)
{
    if (!s.valid) {
        fail(QStringLiteral("16"), 91, QStringLiteral("Sayfa okunamadı"));
        Q_EMIT pageHandled(s.url);
        return;
    }
    if (FrontPageShowsOutage(s.bodyOuterHtml, s.headOuterHtml)) {
        platform::msgBox(OutageMessage(), MsgIcon::None);
    } else {
        Q_EMIT statusText(QStringLiteral("Bakanlık Sitesi Açılıyor..."));
        if (!m_context.submissionShown())
            openLoginPage();
    }
    Q_EMIT pageHandled(s.url);
}

void PortalLogin::loginPage(const PageSnapshot &s)
{
    if (!s.valid) {
        fail(QStringLiteral("16"), 91, QStringLiteral("Sayfa okunamadı"));
        Q_EMIT pageHandled(s.url);
        return;
    }
    // The portal's word on the last attempt ("Güvenlik kodu hatalı girildi.") comes first, then
    // the dialog for the next code: the operator reads why before typing again.
    showPortalMessage(s);
    QList<int> codeImages;
    for (int i = 0; i < s.images.size(); ++i)
        if (s.images.at(i).src == CaptchaUrl())
            codeImages << i;
    nextCodeImage(codeImages, s.url);
}

void PortalLogin::nextCodeImage(QList<int> images, const QString &url)
{
    if (images.isEmpty()) {
        Q_EMIT pageHandled(url);
        return;
    }
    images.removeFirst();
    // Fetched inside the page, so the request carries the session's cookies; each fetch makes
    // a new code, and the last one fetched is the one the portal expects. The page writes the
    // outcome to its console under a marker of this fetch; the time limit covers a fetch that
    // never ends and a page that went.
    const QString marker = ScriptMarker("code");
    const QString start =
        QStringLiteral("(function(){ var m = %2; fetch(%1, {cache: 'no-store', credentials: "
                       "'include'}).then(function(r){ if (!r.ok) throw r.status; return "
                       "r.arrayBuffer(); }).then(function(b){ var s = '', a = new Uint8Array(b); "
                       "for (var i = 0; i < a.length; i++) s += String.fromCharCode(a[i]); "
                       "console.log(m + 'OK:' + btoa(s)); }).catch(function(e){ console.log(m + "
                       "'ERR:' + e); }); return true; })()")
            .arg(JsString(CaptchaUrl()), JsString(marker));
    auto *wait = new QObject(this); // the wait's connections and limit go with it
    auto *limit = new QTimer(wait);
    limit->setSingleShot(true);
    const auto finish = [this, wait, images, url](const QString &answer) {
        if (wait->property("done").toBool())
            return;
        wait->setProperty("done", true);
        wait->deleteLater();
        // A failed download leaves the previous file in place.
        if (answer.startsWith(QStringLiteral("OK:"))) {
            const QString file = codeImageFile();
            QDir().mkpath(QFileInfo(file).absolutePath());
            QFile f(file);
            if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                f.write(QByteArray::fromBase64(answer.mid(3).toLatin1()));
        }
        showCodeDialog(url, images);
    };
    connect(m_page, &PortalPage::consoleMessage, wait, [finish, marker](const QString &message) {
        if (message.startsWith(marker))
            finish(message.mid(marker.size()));
    });
    connect(limit, &QTimer::timeout, wait, [finish] { finish(QString()); });
    limit->start(kCodeDownloadMs);
    RunPageScript(m_page, start, {});
}

void PortalLogin::showCodeDialog(const QString &url, QList<int> remaining)
{
    const QString file = codeImageFile();
    if (!QFileInfo::exists(file)) {
        fail(QStringLiteral("16"), 53, QStringLiteral("Dosya bulunamadı"));
        Q_EMIT pageHandled(url);
        return;
    }
    auto *dialog = new frm_guvenlik(m_context.dialogParent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->loadImage(file);
    if (m_context.queuedCount)
        dialog->showQueue(m_context.queuedCount());
    m_dialog = dialog;
    connect(dialog, &frm_guvenlik::confirmRequested, this, &PortalLogin::confirm);
    // Modal for the operator; the handler goes on when the dialog has closed.
    connect(dialog, &QDialog::finished, this,
            [this, url, remaining] { nextCodeImage(remaining, url); });
    dialog->open();
    Q_EMIT securityDialogShown(dialog);
}

void PortalLogin::confirm()
{
    if (!m_dialog || !IsLoginPage(m_page->url().toString()))
        return; // elsewhere: the dialog stays open
    const QString code = m_dialog->Text1->text();
    // Second form of the document: code, user name, password; then the login input.
    PageActions::SetValue(m_page, portal::id::LoginCode(), code, {}, 1);
    PageActions::SetValue(m_page, portal::id::LoginUser(), m_context.user(), {}, 1);
    PageActions::SetValue(m_page, portal::id::LoginPassword(), m_context.password(), {}, 1);
    PageActions::Click(m_page, portal::id::LoginButton());
    m_dialog->close();
}

void PortalLogin::captureMessage(const QString &url)
{
    TakeSnapshot(m_page, {}, FormsHtml::Read, [self = QPointer(this), url](const PageSnapshot &s) {
        if (!self)
            return;
        self->showPortalMessage(s);
        Q_EMIT self->pageHandled(url);
    });
}

void PortalLogin::showPortalMessage(const PageSnapshot &s)
{
    if (s.valid && s.forms.size() >= 2)
        if (const auto message = CaptureLoginMessage(s.forms.at(1).innerHtml))
            platform::msgBox(PortalMessageText(*message), MsgIcon::Critical);
}

QWebEnginePage *PortalLogin::openPortalWindow()
{
    QWebEnginePage *target = m_context.submissionPage();
    if (!target) {
        fail(QStringLiteral("20"), 91, QStringLiteral("Nesne değişkeni ayarlanmamış"));
        return nullptr;
    }
    // The rest of the hand-over runs once the new window has its page.
    QTimer::singleShot(0, this, [this] {
        ClearUrlCache();
        Q_EMIT portalWindowOpened();
    });
    return target;
}
