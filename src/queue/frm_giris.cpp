#include "queue/frm_giris.h"

#include "core/addresses.h"
#include "core/connection.h"
#include "core/database.h"
#include "core/hostutil.h"
#include "core/outcome.h"
#include "core/printlist.h"
#include "core/statustexts.h"
#include "history/frm_gecmis.h"
#include "hostutil/urlcache.h"
#include "platform/fileversion.h"
#include "platform/gui/printpreview.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "portal/portallogin.h"
#include "portal/portalpage.h"
#include "submit/frm_popup.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFrame>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QWebEngineHttpRequest>
#include <QWebEngineView>

using platform::MsgIcon;

namespace {
// The option boxes are kept per operator: one section of the program's settings each.
const QString kOptionsApp = QStringLiteral("Tarvek2000");

QString OptionsSection(const QString &operatorName)
{
    // A separator in the name would open a sub-section (or a registry sub-key).
    QString name = operatorName;
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    return QStringLiteral("secenekler_") + name;
}

frm_giris *&slot()
{
    static frm_giris *window = nullptr;
    return window;
}

// The row number's column holds the tick, the small icon and the number side by side, with a
// gap before the YİBF number.
int OrdinalWidth(const QTreeView *view, int rows)
{
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.features = QStyleOptionViewItem::HasCheckIndicator |
                      QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::HasDisplay;
    const int icon = view->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, view);
    option.decorationSize = view->iconSize().isValid() ? view->iconSize() : QSize(icon, icon);
    option.text = QString::number(qMax(rows, 1));
    return view->style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, {}, view).width() +
           2 * view->fontMetrics().averageCharWidth();
}
} // namespace

frm_giris *frm_giris::instance()
{
    if (!slot()) {
        slot() = new frm_giris;
        slot()->onLoad();
    }
    return slot();
}

frm_giris::~frm_giris()
{
    if (slot() == this)
        slot() = nullptr;
    // An open submission window goes with the main window, without reporting back to it.
    if (m_popup) {
        m_popup->disconnect(this);
        delete m_popup;
    }
    // The browser answers its pending page scripts as it goes: the login that reads them goes
    // first, then the browser, while the window's members are still here.
    delete portalLogin;
    WebBrowser1 = nullptr;
    m_loginBrowser.reset();
}

frm_giris::frm_giris(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frm_giris"));
    setWindowTitle(QStringLiteral("Tarvek FOTO"));
    buildControls();
    connectControls();
    PortalLoginContext login;
    login.user = [this] { return Text2.text(); };
    login.password = [this] { return Text3.text(); };
    login.codeFolder = [this] { return tempx.text(); };
    login.submissionShown = [this] { return submissionWindow()->isVisible(); };
    login.submissionPage = [this] { return submissionWindow()->page2(); };
    login.queuedCount = [this] {
        int queued = 0;
        for (int i = 0; i < m_queue.recordCount(); ++i)
            queued += m_queue.recordAt(i).queued() ? 1 : 0;
        return queued;
    };
    login.dialogParent = this;
    portalLogin =
        new PortalLogin(static_cast<PortalPage *>(WebBrowser1->page()), std::move(login), this);
    connect(portalLogin, &PortalLogin::statusText, Label1, &QLabel::setText);
    connect(portalLogin, &PortalLogin::portalWindowOpened, this, &frm_giris::handOver);

    Text2.onChange([this](const QString &) { sorsana(); });
    ilk_kurum.onChange([this](const QString &text) {
        StatusPanels[0]->setText(QStringLiteral("Kurum Adı : ") + text);
        StatusPanels[0]->setToolTip(StatusPanels[0]->text());
    });
    ilk_kullanici.onChange([this](const QString &text) {
        m_queue.setOperatorName(text);
        updateStatusBarOperator();
        loadOptions();
    });
    gecen_zaman.onChange([this](const QString &text) { onGecenZaman(text); });
    yukleme.onChange([this](const QString &text) { onYukleme(text); });
    // Photographs are prepared off the window's thread: the list stays usable meanwhile.
    // The count is written at most ten times a second: each text lays the window out again,
    // work the window's thread would otherwise take from the preparing cores per photograph.
    connect(&m_queue, &PendingQueue::preparationProgress, this,
            [this, shown = std::make_shared<QElapsedTimer>()](int done, int total) {
                StopPreparation->setVisible(done < total);
                if (done >= total) {
                    shown->invalidate();
                    showCount();
                } else if (!shown->isValid() || shown->elapsed() >= 100) {
                    shown->start();
                    Label1->setText(
                        QStringLiteral("Fotoğraflar hazırlanıyor... %1 / %2").arg(done).arg(total));
                }
            });
    // A row shown before its copy was ready is checked again with it.
    connect(&m_queue, &PendingQueue::photoPrepared, this, [this](int row) {
        if (row == selectedRow())
            listvievx_click(row + 1);
    });

    navigate = defaultNavigate(this);
    showReport = [this](const QString &siblingFolder) {
        platform::ShowPrintPreview(
            this, QStringLiteral("Tarvek FOTO"), [siblingFolder](QPrinter *p) {
                queue::RenderPrintList(p, queue::ReadPrintBuffer(siblingFolder));
            });
    };
}

std::function<void(const QUrl &)> frm_giris::defaultNavigate(frm_giris *window)
{
    return [window](const QUrl &url) {
        // Navigation flags 12 of the old browser: the profile keeps no cache, and the request
        // asks every cache on the way not to answer from one either.
        QWebEngineHttpRequest request(url);
        request.setHeader("Cache-Control", "no-cache");
        request.setHeader("Pragma", "no-cache");
        window->WebBrowser1->load(request);
    };
}

SubmissionOptions frm_giris::options() const
{
    return {Check3->isChecked(), Check4->isChecked(), Check7->isChecked(),
            Check8->isChecked(), Check9->isChecked(), Check10->isChecked()};
}

void frm_giris::onOptionsChanged()
{
    if (m_popup)
        m_popup->setOptions(options());
    if (m_loadingOptions || ilk_kullanici.text().isEmpty())
        return;
    const QString section = OptionsSection(ilk_kullanici.text());
    for (QCheckBox *box : {Check3, Check4, Check7, Check8, Check9, Check10})
        platform::Platform::settings().save(kOptionsApp, section, box->objectName(),
                                            box->isChecked() ? QStringLiteral("1")
                                                             : QStringLiteral("0"));
}

void frm_giris::loadOptions()
{
    if (ilk_kullanici.text().isEmpty())
        return;
    const QString section = OptionsSection(ilk_kullanici.text());
    m_loadingOptions = true;
    // Until the operator changes them the boxes start unticked, all but the same-day guard and
    // the kept session.
    for (QCheckBox *box : {Check3, Check4, Check7, Check8, Check9, Check10}) {
        const QString kept = platform::Platform::settings().get(
            kOptionsApp, section, box->objectName(),
            box == Check9 || box == Check10 ? QStringLiteral("1") : QStringLiteral("0"));
        box->setChecked(kept == QStringLiteral("1"));
    }
    m_loadingOptions = false;
}

void frm_giris::onLoad()
{
    // The version as the program showed it: major, minor and revision.
    const platform::FileVersion v = platform::ownVersion();
    Label1->setText(QStringLiteral("Vers. : %1.%2.%3").arg(v[0]).arg(v[1]).arg(v[3]));

    ClearUrlCache();

    // A settings table that cannot be read ends the load without a message.
    const auto settings = db::Select(ConnectionString(QStringLiteral("f3436")),
                                     QStringLiteral("select * from ayarlar2"));
    if (!settings)
        return;
    if (!settings->isEmpty()) {
        const QSqlRecord &r = settings->first();
        const QString dateSetting = db::Text(r, QStringLiteral("foto_tarih_at"));
        if (!dateSetting.isEmpty())
            photoDateSetting = dateSetting;
        const QString shared = db::Text(r, QStringLiteral("ortak"));
        if (shared.isEmpty()) {
            platform::msgBox(QStringLiteral("Ortak Klasörünü Kontrol Ediniz...."),
                             MsgIcon::Critical);
            platform::endProcess();
        }
        ortak.setText(shared);
    }
    tempx.setText(TempFolder());
    sorsana();
}

void frm_giris::sorsana()
{
    if (Text2.text().isEmpty())
        return;
    m_queue.setFirm({ortak.text(), photoDateSetting});
    hidePreview();
    ListView2->clear();
    const std::optional<int> count =
        m_queue.fill(Text2.text(), grid_bakanlik_kullanicilar.size() >= 2);
    const auto &columns = queue::PendingListColumns();
    for (int i = 0; i < columns.size(); ++i)
        ListView1->setColumnWidth(i, queue::TwipsToPixels(columns[i].widthTwips));
    ListView1->setColumnWidth(PendingQueue::OrdinalColumn,
                              qMax(ListView1->columnWidth(PendingQueue::OrdinalColumn),
                                   OrdinalWidth(ListView1, count.value_or(0))));
    if (!count)
        return;
    showCount();
    if (*count == 0)
        return;
    // A first row whose photograph the pool is preparing is checked when it is ready
    // (photoPrepared): preparing it here would hold the window while the pool starts.
    if (m_queue.photoWaiting(0)) {
        selectRow(0);
        showStatus(m_queue.recordAt(0).status);
    } else {
        listvievx_click(1);
    }
}

void frm_giris::showCount()
{
    if (m_queue.preparing())
        return; // the preparation's progress stands there until it is over
    Label1->setText(m_queue.recordCount() > 0 ? QString::number(m_queue.recordCount()) +
                                                    QStringLiteral(" adet Fotoğraf Bulundu...")
                                              : QStringLiteral("Fotoğraf Bulunamadı..."));
}

std::optional<int> frm_giris::rapor_sirasi()
{
    const std::optional<int> found = m_queue.firstQueued();
    const int end = found ? *found : m_queue.recordCount();
    for (int i = 0; i < end; ++i)
        ListView1->selectionModel()->select(m_queue.index(i, 0), QItemSelectionModel::Deselect |
                                                                     QItemSelectionModel::Rows);
    if (!found)
        return std::nullopt;
    listvievx_click(*found + 1);
    return *found + 1;
}

void frm_giris::baslat_artik()
{
    if (!Check8->isChecked())
        return;
    const std::optional<int> next = m_queue.firstQueued();
    if (options().keepsSession() && next && PortalConfigured() &&
        m_session.mayContinueWith(m_queue.recordAt(*next).number)) {
        // The session is the portal's cookie in the shared profile, alive while the program
        // runs: a new submission window opens the main page in it, with no login.
        giveRecord(submissionWindow(), true);
        return;
    }
    Command2_Click();
}

void frm_giris::Command2_Click()
{
    // No portal host is built in: an installation without one is told so, never sent anywhere.
    if (!PortalConfigured()) {
        platform::msgBox(PortalNotConfiguredText(), MsgIcon::Critical);
        return;
    }
    m_halted = false;
    rapor_sirasi();
    if (m_queue.recordCount() >= 1) {
        warmPage();
        navigate(QUrl(LoginPageUrl()));
    } else
        platform::msgBox(QStringLiteral("Seçili Fotoğraf Bulunmamaktadır..."),
                         MsgIcon::Information);
}

frm_popup *frm_giris::submissionWindow()
{
    if (m_popup)
        return m_popup;
    // A page still loading its blank is not taken (a load asked for then can be lost).
    PortalPage *page = m_warmPage && !m_warmPage->isLoading() ? m_warmPage.get() : nullptr;
    if (!page)
        delete m_warmPage;
    m_warmPage.clear();
    m_popup = new frm_popup(options(), nullptr, page);
    connect(m_popup, &frm_popup::optionsChanged, this, [this](const SubmissionOptions &o) {
        Check7->setChecked(o.autoConfirm);
        Check8->setChecked(o.sendQueue);
    });
    connect(m_popup, &frm_popup::finished, this, &frm_giris::onSubmissionFinished);
    connect(m_popup, &frm_popup::sessionEnded, this, &frm_giris::onSessionEnded);
    // While a submission window exists the countdown rests and the send command waits.
    Timer1->stop();
    Timer1->setInterval(0);
    yukleme.setText(QStringLiteral("1"));
    popupx.setText(QStringLiteral("1"));
    Command2->setEnabled(false);
    return m_popup;
}

void frm_giris::handOver()
{
    m_session.loggedIn();
    giveRecord(submissionWindow(), false);
}

void frm_giris::giveRecord(frm_popup *popup, bool keptSession)
{
    // In the session kept, the portal's page is asked for first: it needs nothing of the record.
    if (keptSession)
        popup->openMainPage();
    SubmissionRequest request;
    if (const std::optional<int> row = rapor_sirasi()) {
        request.record = m_queue.recordAt(*row - 1);
        request.position = *row;
        m_session.started(request.record->number);
        request.afterSessionEnd = m_session.takeAgain(request.record->number);
    }
    request.count = m_queue.recordCount();
    request.keptSession = keptSession;
    popup->setRequest(request);
    // The window is shown once that page is on its way: shown first, its layout and its web view
    // made visible held the page's request back.
    if (keptSession)
        popup->page1()->showOnLoadStart(popup);
    else
        popup->show();
    // In a queue the next record's page gets ready while this one is sent, made once this
    // record's first page is on its way: made before, it holds that page's request back.
    if (Check8->isChecked())
        connect(
            popup->page1(), &QWebEnginePage::loadStarted, popup,
            [this] {
                if (Check8->isChecked())
                    warmPage();
            },
            Qt::SingleShotConnection);
}

void frm_giris::onSessionEnded(qlonglong number, const SessionEnd &end)
{
    // Nothing is decided for the record: it stays queued and goes again at once, after a login
    // (yukleme stays "1": the record is still on its way, so no countdown starts).
    m_session.ended();
    m_session.sendAgain(number, end);
    Command2->setEnabled(true);
    popupx.setText(QString());
    Command2_Click();
}

void frm_giris::onSubmissionFinished(qlonglong number, const SubmissionOutcome &outcome)
{
    Command2->setEnabled(true);
    m_session.finished(number, outcome.stored);
    if (number != 0 && m_queue.apply(number, outcome) == PendingQueue::Applied::Refused) {
        // The database is not taking what happened: nothing more is sent until the operator
        // has looked and sends again.
        m_halted = true;
        platform::msgBox(SubmitText::OutcomeNotStored(PortalHoldsRecord(outcome.stored)),
                         MsgIcon::Critical);
    }
    if (outcome.countdown)
        tam_zaman.setText(QString::number(*outcome.countdown));
    popupx.setText(QString());
    yukleme.setText(QString());
    // Nothing follows: the page made ahead goes.
    if (!Check8->isChecked() || m_halted || !m_queue.firstQueued())
        delete m_warmPage;
}

void frm_giris::warmPage()
{
    if (m_warmPage)
        return;
    m_warmPage = new PortalPage(this);
    m_warmPage->load(QUrl(QStringLiteral("about:blank")));
}

void frm_giris::onTimerTick()
{
    gecen_zaman.setText(QString::number(queue::LeadingInt(gecen_zaman.text()) + 1));
}

void frm_giris::onGecenZaman(const QString &text)
{
    const queue::CountdownStep step =
        queue::Countdown(queue::LeadingInt(text), queue::LeadingInt(tam_zaman.text()));
    switch (step.kind) {
    case queue::CountdownStep::Hide:
        Frame4->hide();
        return;
    case queue::CountdownStep::Expire:
        Frame4->hide();
        gecen_zaman.setText(QStringLiteral("0"));
        Timer1->stop();
        baslat_artik();
        return;
    case queue::CountdownStep::Show:
        Label2->setText(step.text);
        placeCountdown();
        Frame4->show();
        Frame4->raise();
        return;
    }
}

void frm_giris::onYukleme(const QString &text)
{
    if (!text.isEmpty() || !Check8->isChecked() || m_halted || !m_queue.firstQueued())
        return;
    gecen_zaman.setText(QStringLiteral("0"));
    Timer1->start(platform::timerInterval(1000));
}

void frm_giris::Check2_Click()
{
    m_queue.tickAll(Check2->isChecked());
}

void frm_giris::onContextMenu(const QPoint &pos)
{
    if (m_queue.recordCount() == 0)
        return;
    // The menu opens 100 twips right of and below the pointer.
    const int offset = queue::TwipsToPixels(100);
    mn_sag->popup(ListView1->viewport()->mapToGlobal(pos + QPoint(offset, offset)));
}

bool frm_giris::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ListView1 && event->type() == QEvent::KeyRelease && selectedRow() >= 0)
        listvievx_click(selectedRow() + 1);
    if (watched == ListView1 && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        placeCountdown();
    return QWidget::eventFilter(watched, event);
}

void frm_giris::mn_iptal_Click()
{
    const int row = selectedRow();
    if (row < 0 || !RecordExists(m_queue.recordAt(row).number))
        return;
    if (!platform::askYesNo(QStringLiteral("Fotoğrafın Bakanlığa Gönderiminin İPTAL EDİLMESİNİ "
                                           "ONAYLIYOR MUSUNUZ ?"),
                            MsgIcon::Question))
        return;
    m_queue.withdraw(row);
}

void frm_giris::mn_klasor_ac_Click()
{
    const int row = selectedRow();
    if (row < 0 || !RecordExists(m_queue.recordAt(row).number))
        return;
    // The folder is not tested: the file manager reports a missing one itself.
    const QString folder =
        SitePhotoFolder(ortak.text(), m_queue.recordAt(row).ada) + QStringLiteral("\\web\\");
    platform::Platform::launcher().openFolder(platform::nativePath(folder));
}

void frm_giris::Command3_Click()
{
    const QString sibling = ReadSiblingFolder();
    if (m_queue.recordCount() == 0) {
        platform::msgBox(QStringLiteral("Yazdırılacak Veri Bulunamadı..."), MsgIcon::Critical);
        return;
    }
    if (sibling.isEmpty())
        return; // no office installation: no print buffer to fill, nothing printed
    queue::FillPrintBuffer(sibling, m_queue.printRows());
    showReport(sibling);
}

void frm_giris::Command4_Click()
{
    // One history window, a window of its own that goes with this one; the records of the
    // institution the list shows.
    if (!m_history) {
        m_history = new frm_gecmis(
            {Text2.text(), grid_bakanlik_kullanicilar.size() >= 2, ortak.text()}, this);
        m_history->setWindowFlag(Qt::Window);
        m_history->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_history->show();
    m_history->raise();
    m_history->activateWindow();
}

void frm_giris::closeEvent(QCloseEvent *event)
{
    // Closing the main window ends the program with every other window.
    event->accept();
    platform::endProcess(0);
}

// The controls' events to their handlers (the controls themselves are built apart).
void frm_giris::connectControls()
{
    connect(ListView1, &QTreeView::clicked, this,
            [this](const QModelIndex &index) { listvievx_click(index.row() + 1); });
    connect(ListView1, &QWidget::customContextMenuRequested, this, &frm_giris::onContextMenu);
    // An outcome, a tick or a check changes a row: the status line and the details follow it.
    connect(&m_queue, &QAbstractItemModel::dataChanged, this, &frm_giris::refreshSelectedRow);
    connect(Check2, &QCheckBox::clicked, this, &frm_giris::Check2_Click);
    connect(StopPreparation, &QPushButton::clicked, this, [this] { m_queue.stopPreparation(); });
    // The submission window follows the options while it is open.
    for (QCheckBox *box : {Check3, Check4, Check7, Check8, Check9, Check10})
        connect(box, &QCheckBox::toggled, this, &frm_giris::onOptionsChanged);
    connect(Command1, &QPushButton::clicked, this, &frm_giris::sorsana);
    connect(Command2, &QPushButton::clicked, this, &frm_giris::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frm_giris::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &frm_giris::Command4_Click);
    connect(mn_klasor_ac, &QAction::triggered, this, &frm_giris::mn_klasor_ac_Click);
    connect(mn_iptal, &QAction::triggered, this, &frm_giris::mn_iptal_Click);
    connect(Timer1, &QTimer::timeout, this, &frm_giris::onTimerTick);
}
