// Every window of one submission on a small laptop: the demo installation from the login to the
// outcome, against the simulator, on a 1366×768 X screen. Each window must fit the screen less a
// taskbar and a title bar, show whole captions and keep the buttons the operator needs.
// With TARVEK_SCREENSHOTS=FOLDER it also leaves a picture of each window there.
#include "core/connection.h"
#include "core/startup.h"
#include "core/statustexts.h"
#include "core/workstation.h"
#include "demoinstall.h"
#include "demophotos.h"
#include "hostutil/frm_temp_sil.h"
#include "login/frm_ilk_giris.h"
#include "platform/paths.h"
#include "portal/frm_guvenlik.h"
#include "portal/portallogin.h"
#include "portal/portalpage.h"
#include "queue/frm_giris.h"
#include "simulator.h"
#include "storefixture.h"
#include "submit/frm_popup.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QTreeWidget>
#include <QWebEngineView>
#include <QtTest>

using ydssim::testing::Simulator;

namespace {
// The laptop's work area: 1366×768 less a 40-pixel taskbar; a window manager adds a title bar.
const QRect kDesk(0, 0, 1366, 728);
const int kTitle = 30;
} // namespace

class tst_windows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void demoSubmissionFitsALaptop();

private:
    // Records what keeps `w` from being usable: off the desk, too large to maximise, a caption
    // cut, a needed button hidden, disabled or outside the window.
    void check(QWidget *w, const QString &when, const QList<QWidget *> &needed = {});
    void shot(QWidget *w, const QString &name);

    QStringList m_problems;
};

void tst_windows::initTestCase()
{
    QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), QSize(1366, 768));
}

void tst_windows::check(QWidget *w, const QString &when, const QList<QWidget *> &needed)
{
    const auto fail = [&](const QString &what) { m_problems << when + QStringLiteral(": ") + what; };
    const QRect frame = w->frameGeometry();
    if (!QRect(kDesk.topLeft(), kDesk.size() - QSize(0, kTitle)).contains(frame))
        fail(QStringLiteral("window %1,%2 %3×%4 leaves the desk")
                 .arg(frame.x())
                 .arg(frame.y())
                 .arg(frame.width())
                 .arg(frame.height()));
    const QSize least = w->minimumSizeHint().expandedTo(w->minimumSize());
    if (least.width() > kDesk.width() || least.height() + kTitle > kDesk.height())
        fail(QStringLiteral("cannot shrink below %1×%2").arg(least.width()).arg(least.height()));
    for (QAbstractButton *b : w->findChildren<QAbstractButton *>())
        if (b->isVisible() && b->width() < b->sizeHint().width())
            fail(b->objectName() + QStringLiteral(" caption cut: ") + b->text());
    for (QLabel *l : w->findChildren<QLabel *>())
        if (l->isVisible() && l->wordWrap() && l->height() < l->heightForWidth(l->width()))
            fail(l->objectName() + QStringLiteral(" text cut: ") + l->text().left(40));
    for (QWidget *b : needed)
        if (!b->isVisible() || !b->isEnabled() ||
            !w->rect().contains(QRect(b->mapTo(w, QPoint()), b->size())))
            fail(b->objectName() + QStringLiteral(" not usable"));
}

void tst_windows::shot(QWidget *w, const QString &name)
{
    const QString folder = qEnvironmentVariable("TARVEK_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    // Pictures only: the engine draws its page a moment after the load.
    QTest::qWait(400);
    const QRect r = w->frameGeometry();
    w->screen()
        ->grabWindow(0, r.x(), r.y(), r.width(), r.height())
        .save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

void tst_windows::demoSubmissionFitsALaptop()
{
    StoreFixture fx;
    fx.tp.clock->setTickMs(50); // the save's timer line is seen for a while
    DemoInstall demo{fx.tp.root.path() + QStringLiteral("/demo")};
    platform::Services real;
    real.paths = std::make_shared<platform::PathMapper>(demo.driveRoot());
    real.settings = std::make_shared<platform::NativeSettingsService>(demo.settingsRoot());
    platform::Platform::install(real);
    fx.tp.launcher->runForReal = true;
    QString error;
    QVERIFY2(BuildDemoInstall(demo, &error), qPrintable(error));
    QVERIFY2(InstallStampTool(platform::nativePath(DemoInstall::siblingFolder()), &error),
             qPrintable(error));
    ydssim::Options options;
    options.seedFile = demo.root + QStringLiteral("/yds-seed.json");
    options.updatesDir = demo.root + QStringLiteral("/updates");
    Simulator sim(options);
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    QVERIFY(sim.setToday(fx.tp.clock->today()));
    QVERIFY(sim.setFault(QStringLiteral("hang"), QStringLiteral("save:2")));
    platform::Deployment::setCurrent(sim.deployment());
    SetProgramFolder(QStringLiteral(TARVEK_BUILD_DIR "/src"));
    db::CloseAll();

    frm_temp_sil cache;
    cache.show();
    QVERIFY(QTest::qWaitForWindowExposed(&cache));
    check(&cache, QStringLiteral("cache window"));
    cache.close();

    QPointer<frm_ilk_giris> login;
    RunStartup(QString(), [&login] {
        login = new frm_ilk_giris;
        login->load();
    });
    QVERIFY(login && QTest::qWaitForWindowExposed(login));
    const DemoLogin who = DemoOperator();
    login->Combo2->setCurrentText(who.institution);
    login->Text6->setText(who.user);
    login->Text7->setText(who.password);
    check(login, QStringLiteral("login"), {login->Combo2, login->Text6, login->Command6});
    shot(login, QStringLiteral("1-giris"));
    login->Command6->click();

    frm_giris *w = frm_giris::instance();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->move(40, 30); // where the operator put it
    for (int i = 0; i < w->queue().size(); ++i)
        w->listvievx_click(i + 1);
    w->Check4->setChecked(true); // the hang time-out: its countdown joins the timer line
    w->listvievx_click(1);
    check(w, QStringLiteral("main window"), {w->ListView1, w->Command1, w->Command2, w->Command3});
    // The row number's column holds its tick, icon and number without touching the YİBF number.
    QAbstractItemView *list = w->ListView1;
    QVERIFY(w->ListView1->columnWidth(PendingQueue::OrdinalColumn) >=
            list->sizeHintForColumn(PendingQueue::OrdinalColumn));
    shot(w, QStringLiteral("2-ana-pencere"));

    const WId mainId = w->winId();
    const QPoint mainAt = w->pos();
    connect(w->portalLogin, &PortalLogin::securityDialogShown, this, [&](frm_guvenlik *d) {
        QTimer::singleShot(0, d, [&, d] {
            if (!QTest::qWaitForWindowExposed(d))
                m_problems << QStringLiteral("code dialog not shown");
            check(d, QStringLiteral("code dialog"), {d->Text1, d->Command1});
            shot(d, QStringLiteral("3-guvenlik-kodu"));
            d->Text1->setText(sim.latestCode());
            d->Command1->click();
        });
    });
    w->Command2->click();
    QTRY_VERIFY_WITH_TIMEOUT(w->openSubmissionWindow() && w->openSubmissionWindow()->isVisible(),
                             30000);
    QPointer<frm_popup> popup = w->openSubmissionWindow();
    QStringList pages;
    connect(popup->page1(), &PortalPage::documentComplete, this, [&] {
        pages << popup->page1()->url().fileName();
        check(popup, QStringLiteral("submission window, page ") + pages.last(),
              {popup->Command1, popup->Command8, popup->WebBrowser1});
        if (pages.last() == QStringLiteral("DYDYI.jsf"))
            shot(popup, QStringLiteral("4-gonderim"));
    });
    QTRY_VERIFY_WITH_TIMEOUT(popup && popup->Frame7->isVisible(), 60000);
    check(popup, QStringLiteral("confirmation frame"), {popup->Check6, popup->Command6});
    popup->Check6->click();
    QTRY_VERIFY_WITH_TIMEOUT(popup->Command7->isEnabled(), 15000);
    check(popup, QStringLiteral("confirmation ticked"), {popup->Command7});
    shot(popup, QStringLiteral("5-onay"));
    popup->Command7->click();

    // The save is held: the timer line shows each of its parts apart.
    QTRY_VERIFY_WITH_TIMEOUT(!popup->Label6->text().isEmpty() &&
                                 !popup->gecen_zamanx->text().isEmpty() &&
                                 popup->Label5->isVisible(),
                             15000);
    QList<QLabel *> line;
    for (QLabel *l : popup->findChildren<QLabel *>())
        if (l->isVisible() && l->y() >= popup->Label4->y() && l->y() <= popup->Label6->y())
            line << l;
    QVERIFY(line.size() >= 6); // captions and values of the remaining, elapsed and start times
    for (QLabel *a : std::as_const(line)) {
        QVERIFY2(a->width() >= a->sizeHint().width(), qPrintable(a->text()));
        for (QLabel *b : std::as_const(line))
            QVERIFY2(a == b || !a->geometry().intersects(b->geometry()), qPrintable(a->text()));
    }
    shot(popup, QStringLiteral("6-kaydediliyor"));

    // The outcome: the selected row's status line and details follow it.
    QTRY_VERIFY_WITH_TIMEOUT(!popup, 60000);
    const int row = w->selectedRow();
    QCOMPARE(w->queue().at(row).status, queue::StatusSent());
    QCOMPARE(w->Label3->text(), queue::StatusSent());
    // The main window stayed where the operator put it, and was never made anew.
    QCOMPARE(w->winId(), mainId);
    QCOMPARE(w->pos(), mainAt);
    QVERIFY2(pages.contains(QStringLiteral("DYDYO.jsf")), qPrintable(pages.join(' ')));
    check(w, QStringLiteral("main window after the outcome"), {w->Command2});
    shot(w, QStringLiteral("7-sonuc"));

    // A long status: whole in the tooltips and the wrapped details, the window as wide as it was.
    const QString text = QStringLiteral("Gerçekleşme Oranı bir önceki Denetim bilgisinin "
                                        "Gerçekleşme Oranını Geçmedi...\rBir önceki Denetim "
                                        "Bilgisi Gerçekleşme Oranı : 35,5");
    QString shown = text;
    shown.replace('\r', '\n');
    const QSize size = w->size();
    const qlonglong number = w->queue().at(row).number;
    w->queue().apply(number, {text, RowMark::Problem, std::nullopt, std::nullopt});
    QCOMPARE(w->Label3->toolTip(), text);
    QCOMPARE(w->queue().index(row, PendingQueue::StatusColumn).data(Qt::ToolTipRole).toString(),
             shown);
    const QList<QTreeWidgetItem *> status =
        w->ListView2->findItems(shown, Qt::MatchExactly, 1);
    QCOMPARE(status.size(), 1);
    QCOMPARE(status[0]->toolTip(1), shown);
    QVERIFY(w->ListView2->visualItemRect(status[0]).height() >=
            2 * w->ListView2->fontMetrics().height());
    QCOMPARE(w->size(), size);

    // Maximised (all the desk): the list grows, the commands stay.
    const QSize listBefore = w->ListView1->size();
    w->setGeometry(QRect(kDesk.topLeft(), kDesk.size() - QSize(0, kTitle)));
    QTRY_VERIFY(w->ListView1->width() > listBefore.width() &&
                w->ListView1->height() > listBefore.height());
    check(w, QStringLiteral("main window, maximised"), {w->Command2});
    frm_giris::release();
    QVERIFY2(m_problems.isEmpty(), qPrintable(m_problems.join(QLatin1Char('\n'))));
}

QTEST_MAIN(tst_windows)
#include "tst_windows.moc"
