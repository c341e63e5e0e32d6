#include "submit/frm_popup.h"

#include "core/addresses.h"
#include "core/connection.h"
#include "core/hostutil.h"
#include "core/outcome.h"
#include "core/portalcontract.h"
#include "core/statustexts.h"
#include "hostutil/urlcache.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "portal/pageactions.h"
#include "portal/portalpage.h"
#include "submit/wrappingdelegate.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace {
template <typename W> W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A check box whose long caption wraps: the box, and beside it a label that ticks it when
// clicked (a box's own caption cannot wrap, and would set the window's least width).
class BoxCaption : public QLabel
{
public:
    BoxCaption(const QString &text, QCheckBox *box) : QLabel(text), m_box(box)
    {
        setWordWrap(true);
        setTextFormat(Qt::PlainText);
        box->setAccessibleName(text);
    }

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
            m_box->isEnabled())
            m_box->click();
    }

private:
    QCheckBox *m_box;
};

// Both browsers refuse the portal's jump from the login page back to its front page.
void refuseFrontPageJump(PortalPage *p)
{
    p->beforeNavigate = [p](const QUrl &target) {
        return !RefuseNavigation(p->url().toString(), target.toString());
    };
}

QLayout *captioned(QCheckBox *box, const QString &caption)
{
    auto *row = new QHBoxLayout;
    row->addWidget(box, 0, Qt::AlignTop);
    auto *label = new BoxCaption(caption, box);
    label->setObjectName(box->objectName() + QStringLiteral("Caption"));
    row->addWidget(label, 1);
    return row;
}

// The photograph drawn whole within the room the column gives it: it never widens or
// lengthens the window.
class FittedPicture : public QLabel
{
public:
    FittedPicture() { setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const QPixmap picture = pixmap();
        if (picture.isNull())
            return;
        const QSize shown = picture.size().scaled(contentsRect().size(), Qt::KeepAspectRatio);
        const QRect target(contentsRect().x() + (contentsRect().width() - shown.width()) / 2,
                           contentsRect().y(), shown.width(), shown.height());
        QPainter(this).drawPixmap(target, picture);
    }
};
} // namespace

frm_popup::frm_popup(const SubmissionOptions &initialOptions, QWidget *parent, PortalPage *page)
    : QWidget(parent), m_options(initialOptions)
{
    setObjectName(QStringLiteral("frm_popup"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(QStringLiteral("Tarvek FOTO"));

    TabStrip1 = named(new QTabWidget(this), "TabStrip1");
    auto *steps = new QWidget;
    auto *stepsLayout = new QVBoxLayout(steps);
    ListView1 = named(new QTreeWidget, "ListView1");
    ListView1->setRootIsDecorated(false);
    // A step's text (the YİBF number, the photograph's path) wraps rather than being cut. The
    // scroll bar's room is kept from the start: appearing when those texts grow, it narrowed the
    // list, and every row was wrapped, measured and drawn again in the middle of a page's step.
    new WrappingDelegate(ListView1);
    ListView1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    stepsLayout->addWidget(ListView1);
    TabStrip1->addTab(steps, QStringLiteral("Gönderim"));
    auto *options = new QWidget;
    auto *optionsLayout = new QVBoxLayout(options);
    Check7 = named(new QCheckBox, "Check7");
    Check8 = named(new QCheckBox, "Check8");
    optionsLayout->addLayout(
        captioned(Check7, QStringLiteral("ONAYLAMA İŞLEMİNİN TÜM FOTOĞRAFLAR İÇİN TARVEK YDS "
                                         "TARAFINDAN OTOMATİK YAPILMASINI KABUL EDİYORUM...")));
    optionsLayout->addLayout(
        captioned(Check8, QStringLiteral("Listedeki Fotoğrafları sıra ile gönder...")));
    optionsLayout->addStretch();
    TabStrip1->addTab(options, QStringLiteral("Seçenekler"));

    Command1 = named(new QPushButton(QStringLiteral("İPTAL")), "Command1");
    Command8 = named(new QPushButton(QStringLiteral("GÖNDERİMİ DURDUR")), "Command8");
    Label4 = named(new QLabel(QStringLiteral("Kalan Süre :")), "Label4");
    Label5 = named(new QLabel, "Label5");
    // Label6 holds the save's start time, on a line of its own; the elapsed time has its
    // caption beside its seconds.
    Label6 = named(new QLabel, "Label6");
    gecen_zamanx = named(new QLabel, "gecen_zamanx");
    ProgressBar1 = named(new QProgressBar, "ProgressBar1");
    ProgressBar1->setTextVisible(false);
    // Shown and hidden with every page load: its room stays, so the window is not laid out anew
    // (nor jumps) each time.
    QSizePolicy keepRoom = ProgressBar1->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    ProgressBar1->setSizePolicy(keepRoom);
    ProgressBar1->hide();
    Label2 = named(new QLabel, "Label2");
    // The load's "N / 100" and the spinner's frames change many times a page: sized once for
    // their widest text, so a change repaints them without laying the window out anew.
    const auto fixedFor = [](QLabel *label, const QString &widest) {
        label->setText(widest);
        label->setFixedSize(label->sizeHint());
        label->clear();
    };
    fixedFor(Label2, QStringLiteral("100 / 100"));
    Label1 = named(new QLabel(this), "Label1"); // never shown: a child, so it goes with the window
    Label1->hide();
    // The office application's "dunya.avi" is a Windows video Qt cannot play: a text spinner
    // of ours turns while the portal saves.
    Animation1 = named(new QLabel, "Animation1");
    fixedFor(Animation1, QStringLiteral("◐◓"));
    m_spin = new QTimer(this);
    connect(m_spin, &QTimer::timeout, this, [this] {
        static const QString frames = QStringLiteral("◐◓◑◒");
        const int i = Animation1->property("frame").toInt();
        Animation1->setText(frames.at(i % frames.size()));
        Animation1->setProperty("frame", i + 1);
    });
    Label4->hide();
    Label5->hide();
    Image1 = named(new FittedPicture, "Image1");
    Image1->setMinimumHeight(120);

    auto *left = new QVBoxLayout;
    left->addWidget(TabStrip1, 3);
    left->addWidget(Image1, 2);
    auto *counters = new QGridLayout;
    counters->addWidget(Label4, 0, 0);
    counters->addWidget(Label5, 0, 1);
    counters->addWidget(new QLabel(QStringLiteral("Geçen Süre :")), 1, 0);
    counters->addWidget(gecen_zamanx, 1, 1);
    counters->addWidget(Animation1, 1, 2);
    counters->addWidget(new QLabel(QStringLiteral("Başlangıç :")), 2, 0);
    counters->addWidget(Label6, 2, 1);
    counters->setColumnStretch(3, 1);
    left->addLayout(counters);
    auto *progress = new QHBoxLayout;
    progress->addWidget(ProgressBar1, 1);
    progress->addWidget(Label2);
    left->addLayout(progress);
    left->addWidget(Command8);
    left->addWidget(Command1);

    Frame7 = named(new QFrame, "Frame7");
    Frame7->setFrameShape(QFrame::StyledPanel);
    auto *frameLayout = new QVBoxLayout(Frame7);
    // The caption goes on after the declaration with a note of our own on the save; it wraps to
    // the frame's width, so the save button stays on the screen.
    Check6 = named(new QCheckBox, "Check6");
    frameLayout->addLayout(
        captioned(Check6, QStringLiteral(" -  TARVEK YDS programının göndereceği bilgilerin her "
                                         "türlü sorumluluğunu Firmamızca üstleneceğimizi kabul "
                                         "ve taahhüt ediyoruz.\n -  \"Denetim Bilgisini Kaydet\" "
                                         "düğmesine basıldıktan sonra kayıt bitene kadar lütfen "
                                         "bekleyiniz.")));
    Command6 = named(new QPushButton(QStringLiteral("Vazgeç")), "Command6");
    Command7 = named(new QPushButton(QStringLiteral("Denetim Bilgisini Kaydet")), "Command7");
    Command7->setEnabled(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command6);
    buttons->addWidget(Command7);
    frameLayout->addLayout(buttons);
    Frame7->hide();

    m_page1 = page ? page : new PortalPage(this);
    m_page1->setParent(this);
    WebBrowser1 = named(new QWebEngineView, "WebBrowser1");
    WebBrowser1->setPage(m_page1);
    WebBrowser2 = named(new QWebEngineView, "WebBrowser2");
    auto *right = new QVBoxLayout;
    right->addWidget(Frame7);
    right->addWidget(WebBrowser1, 1);
    right->addWidget(WebBrowser2, 1);

    // The portal's pages get the most room; the steps, the photograph and the commands a
    // column beside them.
    auto *main = new QHBoxLayout(this);
    main->addLayout(left, 2);
    main->addLayout(right, 5);
    resize(1100, 660);

    // No timer ticks until a step gives it an interval and starts it.
    Timer1 = new QTimer(this);
    Timer3 = new QTimer(this);
    Timer4 = new QTimer(this);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &frm_popup::attachPhoto);
    connect(Timer3, &QTimer::timeout, this, [this] {
        if (m_options.hangTimeout)
            zaman_say.setText(QString::number(zaman_say.text().toInt() + 1));
    });
    connect(Timer4, &QTimer::timeout, this, [this] {
        const qint64 s = m_saveStart.secsTo(platform::Platform::clock().now());
        gecen_zamanx->setText(QString::number(s) + QStringLiteral(" sn"));
    });

    connect(Command1, &QPushButton::clicked, this, &frm_popup::onCommand1);
    connect(Command6, &QPushButton::clicked, this, &frm_popup::onCommand6);
    connect(Command7, &QPushButton::clicked, this, &frm_popup::onCommand7);
    connect(Command8, &QPushButton::clicked, this, &frm_popup::onCommand8);
    connect(Check6, &QCheckBox::clicked, this, [this] { onCheck6(); });
    // The operator's consent follows the box at once, for this row too.
    connect(Check7, &QCheckBox::clicked, this, [this](bool on) {
        m_options.autoConfirm = on;
        Check6Tag = on ? QStringLiteral("1") : QStringLiteral("0");
        Q_EMIT optionsChanged(m_options);
    });
    connect(Check8, &QCheckBox::clicked, this, [this](bool on) {
        m_options.sendQueue = on;
        Q_EMIT optionsChanged(m_options);
    });
    connect(m_page1, &QWebEnginePage::loadProgress, this, [this](int p) {
        // The engine reports percent: m is always 100.
        ProgressBar1->setMaximum(100);
        ProgressBar1->setValue(p);
        Label2->setText(QString::number(p) + QStringLiteral(" / 100"));
        ProgressBar1->setVisible(p >= 1);
    });
    m_page1->readEachDocument({portal::id::SiteRecord()});
    connect(m_page1, &PortalPage::documentRead, this, &frm_popup::onDocumentRead);
    refuseFrontPageJump(m_page1);

    yibf.onChange([this](const QString &t) { onYibfChanged(t); });
    yibf_web.onChange([this](const QString &t) { onYibfWebChanged(t); });
    dosya.onChange([this](const QString &t) { onDosyaChanged(t); });
    ekrankodu.onChange([this](const QString &) { actOnPage(); });
    zaman_say.onChange([this](const QString &t) { onZamanSay(t); });
    onLoad();
}

frm_popup::~frm_popup()
{
    // A page answers its pending scripts as it goes: the pages go first, while every member the
    // answers may read is still here, and m_closing turns the answers away.
    m_closing = true;
    for (QTimer *t : {Timer1, Timer3, Timer4, m_spin})
        t->stop();
    delete WebBrowser1;
    delete WebBrowser2;
    if (!m_pageLent)
        delete m_page1;
    delete m_page2;
}

PortalPage *frm_popup::page2()
{
    if (!m_page2) {
        m_page2 = new PortalPage(this);
        WebBrowser2->setPage(m_page2);
        connect(m_page2, &PortalPage::documentComplete, this, &frm_popup::onBrowser2Complete);
        refuseFrontPageJump(m_page2);
    }
    return m_page2;
}

void frm_popup::setRequest(const SubmissionRequest &request)
{
    m_request = request;
}

void frm_popup::setOptions(const SubmissionOptions &options)
{
    m_options = options;
    Check7->setChecked(options.autoConfirm);
    Check8->setChecked(options.sendQueue);
}

void frm_popup::onLoad()
{
    TabStrip1->setCurrentIndex(0);
    ClearUrlCache();
    if (m_options.autoConfirm) {
        Check7->setChecked(true);
        Check6->setChecked(true);
    }
    if (m_options.sendQueue)
        Check8->setChecked(true);

    ListView1->clear();
    ListView1->setColumnCount(1);
    ListView1->setHeaderLabels({QStringLiteral("İşlem")});
    ListView1->header()->setStretchLastSection(true);
    // A step not yet done shows an empty icon of the done mark's size: marking it then changes
    // neither its text's place nor its height, so only that row is drawn again (a height that
    // changed had the whole list measured and drawn while the portal waited for the next step).
    const int side = style()->pixelMetric(QStyle::PM_SmallIconSize);
    QPixmap notDone(side, side);
    notDone.fill(Qt::transparent);
    for (const SubmissionStep &s : SubmissionSteps()) {
        auto *item = new QTreeWidgetItem(ListView1, {s.text});
        item->setData(0, Qt::UserRole, s.key);
        item->setData(0, Qt::UserRole + 1, 0);
        item->setIcon(0, QIcon(notDone));
    }
}

void frm_popup::onCommand1()
{
    Label1->setText(QString());
    close();
}

void frm_popup::closeEvent(QCloseEvent *event)
{
    if (!m_closing)
        unload();
    event->accept();
}

void frm_popup::unload()
{
    m_closing = true;
    Timer1->stop();
    Timer3->stop();
    Timer4->stop();
    m_spin->stop();
    // The copy always lies in the temporary folder itself, so that folder is what is emptied
    // (never a folder derived from an empty dosya).
    EmptyFolder(SubmissionTempFolder());
    // Closed before an outcome (İPTAL, the window's own close): the row is cancelled.
    if (Label1->text().isEmpty() && sentRecord())
        m_outcome = {SubmitText::Cancelled(), RowMark::Problem, std::nullopt, std::nullopt};
    if (m_countdown)
        m_outcome.countdown = m_countdown;
    // The main window hears the outcome first (and writes it); the cache is emptied after.
    if (m_sessionEnd)
        Q_EMIT sessionEnded(sentRecord()->number, *m_sessionEnd);
    else
        Q_EMIT finished(sentRecord() ? sentRecord()->number : 0, m_outcome);
    ClearUrlCache();
    if (!m_pageLent)
        m_page1->triggerAction(QWebEnginePage::Stop);
    // The next opening starts fresh.
    deleteLater();
}
