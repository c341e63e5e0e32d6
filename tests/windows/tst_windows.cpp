// Every window of one submission on a small laptop: the demo installation from the login to the
// outcome, against the simulator, on a 1366×768 X screen. Each window must fit the screen less a
// taskbar and a title bar, show whole captions and keep the buttons the operator needs.
// With TARVEK_SCREENSHOTS=FOLDER it also leaves a picture of each window there.
#include "core/startup.h"
#include "core/statustexts.h"
#include "demofixture.h"
#include "history/frm_gecmis.h"
#include "hostutil/frm_temp_sil.h"
#include "login/frm_ilk_giris.h"
#include "mainwindow.h"
#include "portal/frm_guvenlik.h"
#include "portal/portallogin.h"
#include "portal/portalpage.h"
#include "queue/frm_giris.h"
#include "simulator.h"
#include "submit/frm_popup.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
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
    void demoSubmissionFitsALaptop();

private:
    // Records what keeps `w` from being usable: off the desk, too large to maximise, a caption
    // cut, a needed button hidden, disabled or outside the window.
    void check(QWidget *w, const QString &when, const QList<QWidget *> &needed = {});
    // Made as large as the desk, `w` lets `part` grow and keeps `needed` usable.
    void maximise(QWidget *w, QWidget *part, const QList<QWidget *> &needed);
    void shot(QWidget *w, const QString &name);

    QStringList m_problems;
};

void tst_windows::check(QWidget *w, const QString &when, const QList<QWidget *> &needed)
{
    const auto fail = [&](const QString &what) {
        m_problems << when + QStringLiteral(": ") + what;
    };
    const QRect frame = w->frameGeometry();
    if (!kDesk.adjusted(0, 0, 0, -kTitle).contains(frame))
        fail(QStringLiteral("leaves the desk, %1 × %2").arg(frame.width()).arg(frame.height()));
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

void tst_windows::maximise(QWidget *w, QWidget *part, const QList<QWidget *> &needed)
{
    const QSize before = part->size();
    w->setGeometry(kDesk.adjusted(0, 0, 0, -kTitle));
    QTRY_VERIFY(part->width() > before.width() && part->height() > before.height());
    check(w, w->objectName() + QStringLiteral(" maximised"), needed);
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
    QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), QSize(1366, 768));
    DemoFixture fx;
    fx.tp.clock->setTickMs(50); // the save's timer line is seen for a while
    QString error;
    QVERIFY2(fx.start(&error), qPrintable(error));
    Simulator &sim = *fx.sim;
    QVERIFY(sim.setFault(QStringLiteral("hang"), QStringLiteral("save:2")));

    frm_temp_sil cache;
    cache.show();
    QVERIFY(QTest::qWaitForWindowExposed(&cache));
    check(&cache, QStringLiteral("cache window"));

    QPointer<frm_ilk_giris> login;
    RunStartup(QString(), [&login] {
        login = new frm_ilk_giris;
        login->onLoad();
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
    for (int i = 0; i < w->queue().recordCount(); ++i)
        w->listvievx_click(i + 1);
    w->Check4->setChecked(true); // the hang time-out: its countdown joins the timer line
    w->listvievx_click(1);
    check(w, QStringLiteral("main window"), {w->ListView1, w->Command1, w->Command2, w->Command3});
    // The row number's column holds its tick, icon and number without touching the YİBF number.
    QVERIFY(w->ListView1->columnWidth(0) >=
            static_cast<QAbstractItemView *>(w->ListView1)->sizeHintForColumn(0));
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
    const WId popupId = popup->winId();
    QStringList pages;
    connect(popup->page1(), &PortalPage::documentComplete, this, [&] {
        pages << popup->page1()->url().fileName();
        check(popup, QStringLiteral("submission window, page ") + pages.last(),
              {popup->Command1, popup->Command8, popup->WebBrowser1});
        if (pages.last() == QStringLiteral("DYDYI.jsf"))
            shot(popup, QStringLiteral("4-gonderim"));
    });
    QTRY_VERIFY_WITH_TIMEOUT(popup && popup->Frame7->isVisible(), 60000);
    QCOMPARE(popup->winId(), popupId); // its browsers did not make it anew either
    check(popup, QStringLiteral("confirmation frame"), {popup->Check6, popup->Command6});
    // The operator ticks the declaration by its wrapped caption.
    QTest::mouseClick(popup->findChild<QLabel *>(QStringLiteral("Check6Caption")), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(popup->Command7->isEnabled(), 15000);
    check(popup, QStringLiteral("confirmation ticked"), {popup->Command7});
    shot(popup, QStringLiteral("5-onay"));
    popup->Command7->click();

    // The save is held: the parts of the timer line lie apart, each whole.
    QTRY_VERIFY_WITH_TIMEOUT(!popup->Label6->text().isEmpty() && popup->Label5->isVisible(), 15000);
    fx.tp.clock->setNow(fx.tp.clock->now().addSecs(16));
    QTRY_COMPARE_WITH_TIMEOUT(popup->gecen_zamanx->text(), QStringLiteral("16 sn"), 15000);
    QList<QLabel *> line;
    for (QLabel *l : popup->findChildren<QLabel *>())
        if (l->isVisible() && l->y() >= popup->Label4->y() && l->y() <= popup->Label6->y())
            line << l;
    QVERIFY(line.size() >= 6); // caption and value of the remaining, elapsed and start times
    for (QLabel *a : std::as_const(line))
        for (QLabel *b : std::as_const(line))
            QVERIFY2(a->width() >= a->sizeHint().width() &&
                         (a == b || !a->geometry().intersects(b->geometry())),
                     qPrintable(a->text()));
    shot(popup, QStringLiteral("6-kaydediliyor"));
    maximise(popup, popup->WebBrowser1, {popup->Command8, popup->Command1});

    // The outcome: the selected row's status line and details follow it.
    QTRY_VERIFY_WITH_TIMEOUT(!popup, 60000);
    const int row = w->selectedRow();
    QCOMPARE(w->queue().recordAt(row).status, queue::StatusSent());
    QCOMPARE(w->Label3->text(), queue::StatusSent());
    // The main window stayed where the operator put it, and was never made anew.
    QCOMPARE(w->winId(), mainId);
    QCOMPARE(w->pos(), mainAt);
    QVERIFY2(pages.contains(QStringLiteral("DYDYO.jsf")), qPrintable(pages.join(' ')));
    check(w, QStringLiteral("main window after the outcome"), {w->Command2});
    shot(w, QStringLiteral("7-sonuc"));

    // The sent history since yesterday: the record just sent with its proof, and the demo's
    // record sent yesterday.
    w->Command4->click();
    auto *history = w->findChild<frm_gecmis *>();
    QVERIFY(history && QTest::qWaitForWindowExposed(history));
    history->DTPicker1->setDate(fx.tp.clock->today().addDays(-1));
    QTRY_VERIFY_WITH_TIMEOUT(
        (history->refresh(), history->shown().size() == 2 && history->shown()[1].hasProof), 10000);
    history->ListView1->setCurrentItem(history->ListView1->topLevelItem(1));
    check(history, QStringLiteral("sent history"),
          {history->ListView1, history->Command1, history->Command3, history->Command5});
    shot(history, QStringLiteral("8-gecmis"));
    history->close();

    // A long status: whole in the tooltips and the wrapped details, the window as wide as it was.
    const QString text = QStringLiteral("Gerçekleşme Oranı bir önceki Denetim bilgisinin "
                                        "Gerçekleşme Oranını Geçmedi...\rBir önceki Denetim "
                                        "Bilgisi Gerçekleşme Oranı : 35,5");
    const QString shown = QString(text).replace('\r', '\n');
    const QSize size = w->size();
    w->queue().apply(w->queue().recordAt(row).number, {text, RowMark::Problem, {}, {}});
    QCOMPARE(w->Label3->toolTip(), text);
    QCOMPARE(w->queue().index(row, PendingQueue::StatusColumn).data(Qt::ToolTipRole), shown);
    const auto details = w->ListView2->findItems(shown, Qt::MatchExactly, 1);
    QVERIFY(details.size() == 1 && details[0]->toolTip(1) == shown);
    QVERIFY(w->ListView2->visualItemRect(details[0]).height() >=
            2 * w->ListView2->fontMetrics().height());
    QCOMPARE(w->size(), size);
    // The countdown panel stays in the middle of the list as the window grows.
    w->gecen_zaman.setText(QStringLiteral("5"));
    maximise(w, w->ListView1, {w->Command2});
    QVERIFY(w->Frame4->isVisible());
    QVERIFY(
        (w->Frame4->geometry().center() - w->ListView1->geometry().center()).manhattanLength() <=
        2);
    releaseMainWindow<frm_giris>();
    QVERIFY2(m_problems.isEmpty(), qPrintable(m_problems.join(QLatin1Char('\n'))));
}

QTEST_MAIN(tst_windows)
#include "tst_windows.moc"
