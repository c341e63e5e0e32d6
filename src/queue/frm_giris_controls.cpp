#include "queue/frm_giris.h"

#include "core/workstation.h"
#include "portal/portalpage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <QWebEngineView>

void frm_giris::buildControls()
{
    // The two small icons of the list: done (sent, or not to be sent), and a problem.
    m_queue.setMarkIcons(style()->standardIcon(QStyle::SP_DialogApplyButton),
                         style()->standardIcon(QStyle::SP_MessageBoxWarning));
    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setModel(&m_queue);
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    ListView1->installEventFilter(this);
    connect(ListView1, &QTreeView::clicked, this,
            [this](const QModelIndex &index) { listvievx_click(index.row() + 1); });
    connect(ListView1, &QWidget::customContextMenuRequested, this, &frm_giris::onContextMenu);

    Frame3 = new QGroupBox(QStringLiteral("Ayrıntılar"), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    ListView2 = new QTreeWidget(Frame3);
    ListView2->setObjectName(QStringLiteral("ListView2"));
    ListView2->setRootIsDecorated(false);

    Frame2 = new QGroupBox(QStringLiteral("Önizleme"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Image1 = new QLabel(Frame2);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->hide();

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));

    auto check = [this](const char *name, const QString &caption) {
        auto *box = new QCheckBox(caption, this);
        box->setObjectName(QLatin1String(name));
        return box;
    };
    Check2 = check("Check2", QStringLiteral("Tümü"));
    Check8 = check("Check8", QStringLiteral("Listedeki Fotoğrafları sıra ile gönder..."));
    Check7 = check("Check7", QStringLiteral("ONAYLAMA İŞLEMİNİN TÜM FOTOĞRAFLAR İÇİN TARVEK YDS "
                                            "TARAFINDAN OTOMATİK YAPILMASINI KABUL EDİYORUM..."));
    Check3 =
        check("Check3", QStringLiteral("7 gün içerisinde gönderilen fotoğrafları tekrar GÖNDERME"));
    Check4 = check("Check4", QStringLiteral("Takılma olursa 100 sn sonra bir sonraki fotoya geç"));
    connect(Check2, &QCheckBox::clicked, this, &frm_giris::Check2_Click);
    // The submission window follows the options while it is open.
    for (QCheckBox *box : {Check3, Check4, Check7, Check8})
        connect(box, &QCheckBox::toggled, this, &frm_giris::onOptionsChanged);

    auto button = [this](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    Command1 = button("Command1", QStringLiteral("YENİLE"));
    Command2 = button("Command2", QStringLiteral("SEÇİLİ RESİMLERİ GÖNDER"));
    Command3 = button("Command3", QStringLiteral("YAZDIR"));
    connect(Command1, &QPushButton::clicked, this, &frm_giris::sorsana);
    connect(Command2, &QPushButton::clicked, this, &frm_giris::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frm_giris::Command3_Click);

    // The countdown panel floats over the list while it runs.
    Frame4 = new QFrame(this);
    Frame4->setObjectName(QStringLiteral("Frame4"));
    Frame4->setFrameShape(QFrame::Box);
    Frame4->setAutoFillBackground(true);
    Frame4->resize(320, 60);
    Label2 = new QLabel(Frame4);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignCenter);
    QFont big = Label2->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    Label2->setFont(big);
    Label2->setGeometry(0, 0, 320, 60);
    Frame4->hide();

    mn_sag = new QMenu(this);
    mn_sag->setObjectName(QStringLiteral("mn_sag"));
    mn_klasor_ac = mn_sag->addAction(QStringLiteral("Fotoğrafın Bulunduğu Klasörü AÇ"));
    mn_klasor_ac->setObjectName(QStringLiteral("mn_klasor_ac"));
    mn_ara = mn_sag->addSeparator();
    mn_ara->setObjectName(QStringLiteral("mn_ara"));
    mn_iptal = mn_sag->addAction(QStringLiteral("Gönderimi İPTAL ET"));
    mn_iptal->setObjectName(QStringLiteral("mn_iptal"));
    connect(mn_klasor_ac, &QAction::triggered, this, &frm_giris::mn_klasor_ac_Click);
    connect(mn_iptal, &QAction::triggered, this, &frm_giris::mn_iptal_Click);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    for (int i = 0; i < 4; ++i) {
        auto *panel = new QLabel(StatusBar1);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        StatusBar1->addWidget(panel, 1);
        StatusPanels.append(panel);
    }

    // Idle until the queue continuation gives it an interval.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &frm_giris::onTimerTick);

    // The portal login runs in this browser; it is never shown to the operator.
    WebBrowser1 = new QWebEngineView(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setPage(new PortalPage(WebBrowser1));
    WebBrowser1->hide();

    resize(1100, 720);
    layoutControls();
}

void frm_giris::updateStatusBarOperator()
{
    StatusPanels[1]->setText(QStringLiteral("Kullanıcı Adı : ") + ilk_kullanici.text());
    StatusPanels[2]->setText(QStringLiteral("IP Adresi : ") + HostAddress());
    StatusPanels[3]->setText(QStringLiteral("Bilgisayar Adı : ") + HostName());
}

void frm_giris::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutControls();
}

void frm_giris::layoutControls()
{
    const int m = 8;
    const int w = width();
    const int h = height();
    const int statusH = 24;
    const int buttonH = 32;
    const int lineH = 22;

    StatusBar1->setGeometry(0, h - statusH, w, statusH);
    for (QLabel *panel : std::as_const(StatusPanels))
        panel->setFixedWidth(qMax(0, w / 4 - 8));

    Check2->setGeometry(m, m, 80, lineH);
    Label1->setGeometry(m + 90, m, w / 2, lineH);

    const int listTop = m + lineH + 4;
    const int listW = qMax(200, w * 62 / 100);
    const int bottom = h - statusH - m;
    const int buttonsTop = bottom - buttonH;
    const int optionsTop = buttonsTop - 5 * lineH - m;
    ListView1->setGeometry(m, listTop, listW, qMax(60, optionsTop - listTop - 4));

    int y = optionsTop;
    for (QWidget *box : {static_cast<QWidget *>(Check8), static_cast<QWidget *>(Check7),
                         static_cast<QWidget *>(Check3), static_cast<QWidget *>(Check4),
                         static_cast<QWidget *>(Label3)}) {
        box->setGeometry(m, y, listW, lineH);
        y += lineH;
    }
    const int bw = qMax(80, (listW - 2 * m) / 3);
    Command1->setGeometry(m, buttonsTop, bw, buttonH);
    Command2->setGeometry(m + bw + m, buttonsTop, bw, buttonH);
    Command3->setGeometry(m + 2 * (bw + m), buttonsTop, bw, buttonH);

    const int rightX = m + listW + m;
    const int rightW = qMax(100, w - rightX - m);
    const int rightH = bottom - listTop;
    Frame3->setGeometry(rightX, listTop, rightW, rightH * 45 / 100);
    ListView2->setGeometry(m, 20, Frame3->width() - 2 * m, Frame3->height() - 20 - m);
    Frame2->setGeometry(rightX, listTop + rightH * 45 / 100 + m, rightW,
                        rightH - rightH * 45 / 100 - m);
    if (Frame4->isVisible())
        Frame4->move(ListView1->x() + (ListView1->width() - Frame4->width()) / 2,
                     ListView1->y() + (ListView1->height() - Frame4->height()) / 2);
}
