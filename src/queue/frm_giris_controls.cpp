#include "queue/frm_giris.h"

#include "core/workstation.h"
#include "portal/portalpage.h"
#include "queue/elidedlabel.h"
#include "submit/wrappingdelegate.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
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

    Frame3 = new QGroupBox(QStringLiteral("Ayrıntılar"), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    ListView2 = new QTreeWidget(Frame3);
    ListView2->setObjectName(QStringLiteral("ListView2"));
    ListView2->setRootIsDecorated(false);
    // Long values (a portal message, a path) wrap inside the value column.
    ListView2->header()->setStretchLastSection(true);
    new WrappingDelegate(ListView2);

    Frame2 = new QGroupBox(QStringLiteral("Önizleme"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Image1 = new QLabel(Frame2);
    Image1->setObjectName(QStringLiteral("Image1"));
    // The preview is fitted to the frame; it never makes the frame grow.
    Image1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->hide();

    Label1 = new ElidedLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label3 = new ElidedLabel(this);
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
    Check9 = check("Check9", QStringLiteral("Bugün gönderilmiş YİBF'ye tekrar gönderme"));
    Check9->setChecked(true);
    Check10 =
        check("Check10", QStringLiteral("Sırayı tek güvenlik kodu ile gönder (oturumu koru)"));
    Check10->setChecked(true);
    // Shown while photographs are being prepared: the rest of them is left unprepared.
    StopPreparation = new QPushButton(QStringLiteral("Hazırlamayı Durdur"), this);
    StopPreparation->setObjectName(QStringLiteral("StopPreparation"));
    StopPreparation->hide();

    auto button = [this](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    Command1 = button("Command1", QStringLiteral("YENİLE"));
    Command2 = button("Command2", QStringLiteral("SEÇİLİ RESİMLERİ GÖNDER"));
    Command3 = button("Command3", QStringLiteral("YAZDIR"));
    Command4 = button("Command4", QStringLiteral("GÖNDERİM GEÇMİŞİ"));

    // The countdown panel floats over the list while it runs (placed by layoutControls).
    Frame4 = new QFrame(this);
    Frame4->setObjectName(QStringLiteral("Frame4"));
    Frame4->setFrameShape(QFrame::Box);
    Frame4->setAutoFillBackground(true);
    Label2 = new QLabel(Frame4);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignCenter);
    QFont big = Label2->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    Label2->setFont(big);
    auto *countdown = new QVBoxLayout(Frame4);
    countdown->addWidget(Label2);
    // Wide enough for "Bekleme Süresi  : 100 sn." and "Fotoğraf Gönderimi Başlıyor".
    Frame4->resize(QFontMetrics(big).horizontalAdvance(QStringLiteral("Fotoğraf Gönderimi "
                                                                      "Başlıyor")) +
                       4 * QFontMetrics(big).averageCharWidth(),
                   qMax(60, 3 * QFontMetrics(big).height()));
    Frame4->hide();

    mn_sag = new QMenu(this);
    mn_sag->setObjectName(QStringLiteral("mn_sag"));
    mn_klasor_ac = mn_sag->addAction(QStringLiteral("Fotoğrafın Bulunduğu Klasörü AÇ"));
    mn_klasor_ac->setObjectName(QStringLiteral("mn_klasor_ac"));
    mn_ara = mn_sag->addSeparator();
    mn_ara->setObjectName(QStringLiteral("mn_ara"));
    mn_iptal = mn_sag->addAction(QStringLiteral("Gönderimi İPTAL ET"));
    mn_iptal->setObjectName(QStringLiteral("mn_iptal"));

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    for (int i = 0; i < 4; ++i) {
        // Four panels of equal width; a long institution name is cut, whole in its tooltip.
        auto *panel = new ElidedLabel(StatusBar1);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        StatusBar1->addWidget(panel, 1);
        StatusPanels.append(panel);
    }

    // Idle until the queue continuation gives it an interval.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));

    // The portal login runs in this browser; it is never shown to the operator. It is a window
    // of its own: the engine's first page turns the window holding a browser into a GPU-drawn
    // one, and Qt does that by creating the window anew, which lost the operator's placement of
    // the main window (it jumped to the middle of the screen at the first send).
    m_loginBrowser.reset(new QWebEngineView);
    WebBrowser1 = m_loginBrowser.get();
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setAttribute(Qt::WA_DontShowOnScreen);
    WebBrowser1->setPage(new PortalPage(WebBrowser1));

    layoutControls();
    resize(1100, 660);
}

void frm_giris::layoutControls()
{
    auto *top = new QHBoxLayout;
    top->addWidget(Check2);
    top->addWidget(Label1, 1);
    top->addWidget(StopPreparation);

    // One option a line: a further option is one more box in this list.
    auto *options = new QVBoxLayout;
    options->setSpacing(2);
    for (QCheckBox *box : {Check8, Check10, Check7, Check3, Check9, Check4})
        options->addWidget(box);

    auto *commands = new QHBoxLayout;
    for (QPushButton *b : {Command1, Command2, Command3, Command4})
        commands->addWidget(b, 1);

    auto *left = new QVBoxLayout;
    left->addWidget(ListView1, 1);
    left->addLayout(options);
    left->addWidget(Label3);
    left->addLayout(commands);

    (new QVBoxLayout(Frame3))->addWidget(ListView2);
    (new QVBoxLayout(Frame2))->addWidget(Image1);
    auto *right = new QVBoxLayout;
    right->addWidget(Frame3, 45);
    right->addWidget(Frame2, 55);

    // The list takes 62 % of the width as it always did, but never less than its option boxes
    // need: where the old pixel rules would cut a caption, the layout wins.
    auto *body = new QHBoxLayout;
    body->addLayout(left, 62);
    body->addLayout(right, 38);

    auto *window = new QVBoxLayout(this);
    window->setContentsMargins(8, 8, 8, 0);
    window->addLayout(top);
    window->addLayout(body, 1);
    window->addWidget(StatusBar1);
}

void frm_giris::placeCountdown()
{
    // The countdown panel stays centred over the list.
    const QRect list = ListView1->geometry();
    Frame4->move(list.x() + (list.width() - Frame4->width()) / 2,
                 list.y() + (list.height() - Frame4->height()) / 2);
}

void frm_giris::updateStatusBarOperator()
{
    StatusPanels[1]->setText(QStringLiteral("Kullanıcı Adı : ") + ilk_kullanici.text());
    StatusPanels[2]->setText(QStringLiteral("IP Adresi : ") + HostAddress());
    StatusPanels[3]->setText(QStringLiteral("Bilgisayar Adı : ") + HostName());
    for (QLabel *panel : std::as_const(StatusPanels))
        panel->setToolTip(panel->text());
}
