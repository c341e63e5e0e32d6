#include "core/connection.h"
#include "core/database.h"
#include "core/scrambler.h"
#include "core/workstation.h"
#include "login/frm_ilk_giris.h"
#include "mainwindow.h"
#include "platform/deployment.h"
#include "queue/frm_giris.h"
#include "storefixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QTcpServer>
#include <QtTest>

#include <memory>

using platform::MsgIcon;
using platform::ProcessEnded;

namespace {
const QString kWrong = QStringLiteral("Hatalı Kullanıcı Adı / Parolası");
const QString kNoRight = QStringLiteral("Fotoğraf Gönderme Yetkiniz Bulunmamaktadır...");
const QString kNoName = QStringLiteral("Lütfen Kullanıcı Adınızı Giriniz");
const QString kNoPassword = QStringLiteral("Lütfen Kullanıcı Parolanızı Giriniz");
const QString kNoMinistryPassword =
    QStringLiteral("YDS şifresi bulunmuyor...\rTarvek 2000 programında AYARLAR menüsünden YDS "
                   "şifresini giriniz...");
const QString kDuplicate = QStringLiteral("HATA NO : 2499655");
const QString kAlfa = QStringLiteral("Alfa Yapı Denetim");

// Shows of a window, counted from outside (the automatic login must never show it).
class ShowCounter : public QObject
{
public:
    int shows = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Show)
            ++shows;
        return false;
    }
};

enum class LoginResult { Stays, LoggedIn, Ended };
} // namespace
Q_DECLARE_METATYPE(LoginResult)

class tst_frm_ilk_giris : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void loadThatCannotGoOn_data();
    void loadThatCannotGoOn();
    void singleInstitutionIsLocked();
    void loginCommand_data();
    void loginCommand();
    void handOverOrder();
    void automaticLogin_data();
    void automaticLogin();
    void databaseFailureKeepsTheWindow();

private:
    void addInstitution(int sayi, const QString &name, const QString &user, const QString &pw);
    void addOperator(int sayi, int kurum, const QString &user, const QString &pw,
                     const QString &admin, const QString &yetki, const QString &hatirla = {},
                     const QString &hatirlaBilg = {});
    void standardFirm();
    frm_ilk_giris *window();
    LoginResult run(const std::function<void()> &f);
    QString column(const QString &sql, const QVariantList &binds = {});

    std::unique_ptr<StoreFixture> m_fx;
    QPointer<frm_ilk_giris> m_window;
};

void tst_frm_ilk_giris::init()
{
    m_fx = std::make_unique<StoreFixture>();
    Connection().ServerName = QStringLiteral("SUNUCU1");
    const QString programDir = m_fx->tp.root.path() + QStringLiteral("/program");
    QDir().mkpath(programDir);

    // The update check finds both programs and a host that refuses at once: no update.
    for (const char *name : {"TarvekFOTO", "Tarvek_Guncelleme"}) {
        QFile f(programDir + QLatin1Char('/') + QLatin1String(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    SetProgramFolder(programDir);
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    platform::Deployment d = platform::Deployment::builtIn();
    d.updateHost = QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort());
    d.updatePublicKey = QString(43, QLatin1Char('A')) + QLatin1Char('='); // any 32 bytes
    probe.close();
    platform::Deployment::setCurrent(d);
}

void tst_frm_ilk_giris::cleanup()
{
    delete m_window.data();
    releaseMainWindow<frm_giris>();
    SetProgramFolder({});
    platform::Deployment::setCurrent(platform::Deployment::builtIn());
    m_fx.reset();
}

void tst_frm_ilk_giris::addInstitution(int sayi, const QString &name, const QString &user,
                                       const QString &pw)
{
    QVERIFY(
        db::Exec(ConnectionString(QStringLiteral("f3436")),
                 QStringLiteral("insert into bakanlik (sayi, kurum_unvan, kullanici_adi, sifre6) "
                                "values (?, ?, ?, ?)"),
                 {sayi, name, Scramble(user, 2), pw.isEmpty() ? QString() : Scramble(pw, 1)}));
}

void tst_frm_ilk_giris::addOperator(int sayi, int kurum, const QString &user, const QString &pw,
                                    const QString &admin, const QString &yetki,
                                    const QString &hatirla, const QString &hatirlaBilg)
{
    QVERIFY(
        db::Exec(ConnectionString(QStringLiteral("f3436")),
                 QStringLiteral("insert into kullanicilar (sayi, kurum_id, kullanici, sifre6, "
                                "admin, yetki, hatirla, hatirla_bilg) values (?,?,?,?,?,?,?,?)"),
                 {sayi, kurum, user, pw.isEmpty() ? QString() : Scramble(pw, 1), admin, yetki,
                  hatirla, hatirlaBilg}));
}

// Institutions and operators covering every path of the login.
void tst_frm_ilk_giris::standardFirm()
{
    // One transaction: the store syncs once instead of once per row.
    QSqlDatabase store = db::Open(ConnectionString(QStringLiteral("f3436")));
    QVERIFY(store.transaction());
    addInstitution(1, kAlfa, QStringLiteral("alfa_yds"), QStringLiteral("AlfaPw1"));
    addInstitution(2, QStringLiteral("Beta Denetim"), QStringLiteral("beta_yds"), QString());
    addInstitution(3, QStringLiteral("Kora'nın Denetimi"), QStringLiteral("kora_yds"),
                   QStringLiteral("k'pw"));
    addInstitution(4, QStringLiteral("Çift Kurum"), QStringLiteral("cift1"), QStringLiteral("c1"));
    addInstitution(5, QStringLiteral("Çift Kurum"), QStringLiteral("cift2"), QStringLiteral("c2"));
    addOperator(1, 1, QStringLiteral("ahmet"), QStringLiteral("Gizli1"), QStringLiteral("0"),
                QStringLiteral("A2,H1,B3"));
    addOperator(2, 1, QStringLiteral("kucuk"), QStringLiteral("p"), QStringLiteral("0"),
                QStringLiteral("h1"));
    addOperator(3, 1, QStringLiteral("yonetici"), QStringLiteral("y"), QStringLiteral("1"),
                QString());
    addOperator(4, 1, QStringLiteral("sade"), QStringLiteral("s"), QStringLiteral("0"), QString());
    addOperator(5, 1, QStringLiteral("o'brien"), QStringLiteral("q'q"), QString(),
                QStringLiteral("H1"));
    addOperator(6, 1, QStringLiteral("bosadmin"), QStringLiteral("b"), QString(), QString());
    addOperator(7, 2, QStringLiteral("beta"), QStringLiteral("b"), QStringLiteral("1"),
                QStringLiteral("H1"));
    addOperator(8, 3, QStringLiteral("kora"), QStringLiteral("k"), QString(), QStringLiteral("H1"));
    addOperator(9, 4, QStringLiteral("cift"), QStringLiteral("c"), QString(), QStringLiteral("H1"));
    QVERIFY(store.commit());
}

frm_ilk_giris *tst_frm_ilk_giris::window()
{
    if (!m_window)
        m_window = new frm_ilk_giris;
    return m_window;
}

LoginResult tst_frm_ilk_giris::run(const std::function<void()> &f)
{
    try {
        f();
    } catch (const ProcessEnded &) {
        return LoginResult::Ended;
    }
    return m_window && m_window->loggedIn() ? LoginResult::LoggedIn : LoginResult::Stays;
}

QString tst_frm_ilk_giris::column(const QString &sql, const QVariantList &binds)
{
    const auto rows = db::Select(ConnectionString(QStringLiteral("f3436")), sql, binds);
    return rows && !rows->isEmpty() ? db::Text(rows->first(), rows->first().fieldName(0))
                                    : QStringLiteral("<none>");
}

void tst_frm_ilk_giris::loadThatCannotGoOn_data()
{
    QTest::addColumn<bool>("serverThere");
    QTest::addColumn<QString>("message");
    QTest::newRow("no institution registered")
        << true
        << QStringLiteral("Kayıtlı Kurum Bulunamamıştır...\rLütfen Tarvek 2000 programında kurum "
                          "bilgilerinizi giriniz...");
    QTest::newRow("server unreachable")
        << false << QStringLiteral("SUNUCU1 Server'ına ulaşılamıyor...");
}

void tst_frm_ilk_giris::loadThatCannotGoOn()
{
    QFETCH(bool, serverThere);
    QFETCH(QString, message);
    if (!serverThere)
        Connection().ConnectionPrefix = BuildConnectionPrefix(
            QStringLiteral("sqlite:") + m_fx->dataDir + QStringLiteral("/yok"));
    ShowCounter shows;
    window()->installEventFilter(&shows);
    QCOMPARE(run([this] { window()->onLoad(); }), LoginResult::Ended);
    QCOMPARE(m_fx->tp.messages->texts(), QStringList{message});
    QCOMPARE(m_fx->tp.messages->shown.first().icon, MsgIcon::Critical);
    QCOMPARE(shows.shows, 0);
}

void tst_frm_ilk_giris::singleInstitutionIsLocked()
{
    addInstitution(1, kAlfa, QStringLiteral("alfa_yds"), QStringLiteral("AlfaPw1"));
    QCOMPARE(run([this] { window()->onLoad(); }), LoginResult::Stays);
    QVERIFY(m_fx->tp.messages->shown.isEmpty());
    QVERIFY(window()->isVisible());
    QCOMPARE(window()->Combo2->count(), 1);
    QCOMPARE(window()->Combo2->currentText(), kAlfa);
    QVERIFY(!window()->Combo2->isEnabled());
}

void tst_frm_ilk_giris::loginCommand_data()
{
    QTest::addColumn<QString>("institution");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<LoginResult>("outcome");

    const auto row = [](const char *name, const QString &institution, const char *user,
                        const char *password, const QStringList &messages, LoginResult outcome) {
        QTest::newRow(name) << institution << QString(user) << QString(password) << messages
                            << outcome;
    };
    const QString alfa = kAlfa, beta = "Beta Denetim";
    row("operator with H1 among others", alfa, "ahmet", "Gizli1", {}, LoginResult::LoggedIn);
    row("empty user name", alfa, "", "Gizli1", {kNoName}, LoginResult::Stays);
    row("empty password", alfa, "ahmet", "", {kNoPassword}, LoginResult::Stays);
    row("user name in another case", alfa, "AHMET", "Gizli1", {kWrong}, LoginResult::Stays);
    row("password in another case", alfa, "ahmet", "gizli1", {kWrong}, LoginResult::Stays);
    row("operator of another institution", alfa, "beta", "b", {kWrong}, LoginResult::Stays);
    row("quote tricks are looked up literally", alfa, "x' or '1'='1", "Gizli1", {kWrong},
        LoginResult::Stays);
    row("quote in user name", alfa, "o'brien", "q'q", {}, LoginResult::LoggedIn);
    row("quote in institution name", "Kora'nın Denetimi", "kora", "k", {}, LoginResult::LoggedIn);
    row("lower-case h1 only", alfa, "kucuk", "p", {kNoRight}, LoginResult::Stays);
    row("empty rights, administrator", alfa, "yonetici", "y", {}, LoginResult::LoggedIn);
    row("empty rights, admin 0", alfa, "sade", "s", {kNoRight}, LoginResult::Stays);
    row("empty rights, empty admin", alfa, "bosadmin", "b", {kNoRight}, LoginResult::Stays);
    row("institution without ministry password", beta, "beta", "b", {kNoMinistryPassword},
        LoginResult::Ended);
    row("two institutions with one name", "Çift Kurum", "cift", "c", {kDuplicate},
        LoginResult::Ended);
}

void tst_frm_ilk_giris::loginCommand()
{
    QFETCH(QString, institution);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QStringList, messages);
    QFETCH(LoginResult, outcome);

    standardFirm();
    window()->onLoad();
    QVERIFY(m_fx->tp.messages->shown.isEmpty());
    window()->Combo2->setCurrentText(institution);
    QCOMPARE(window()->Combo2->currentText(), institution);
    window()->Text6->setText(user);
    window()->Text7->setText(password);
    window()->Check2->setChecked(true);

    QCOMPARE(run([this] { window()->Command6_Click(); }), outcome);
    QCOMPARE(m_fx->tp.messages->texts(), messages);
    for (const auto &m : m_fx->tp.messages->shown) {
        QCOMPARE(m.icon, MsgIcon::Critical);
        const bool attention = m.text == kWrong || m.text == kNoName || m.text == kNoPassword;
        QCOMPARE(m.title, attention ? QStringLiteral("DİKKAT") : QString());
    }

    const QString savedName =
        m_fx->tp.settings->get(QStringLiteral("tarvek2000"), QStringLiteral("ayarlar"),
                               QStringLiteral("k_adi"), QStringLiteral("<yok>"));
    if (outcome == LoginResult::LoggedIn) {
        QTRY_VERIFY_WITH_TIMEOUT(!m_window, 5000); // closed and released
        QVERIFY(openMainWindow<frm_giris>());
        frm_giris *main = frm_giris::instance();
        QVERIFY(main->isVisible());
        QCOMPARE(main->ilk_kurum.text(), institution);
        QCOMPARE(main->ilk_kullanici.text(), user);
        QCOMPARE(main->grid_bakanlik_kullanicilar.size(), 5);
        QCOMPARE(main->grid_bakanlik_kullanicilar.at(1).institution,
                 QStringLiteral("Beta Denetim"));
        QCOMPARE(main->grid_bakanlik_kullanicilar.at(1).userName, QStringLiteral("beta_yds"));
        QCOMPARE(savedName, user); // "Kullanıcı Adını Hatırla" was ticked
    } else if (outcome == LoginResult::Stays) {
        QVERIFY(m_window);
        QCOMPARE(savedName, QStringLiteral("<yok>")); // nothing written
    }
    if (QTest::currentDataTag() == QByteArrayLiteral("operator with H1 among others")) {
        frm_giris *main = frm_giris::instance();
        QCOMPARE(main->Text2.text(), QStringLiteral("alfa_yds"));
        QCOMPARE(main->Text3.text(), QStringLiteral("AlfaPw1"));
        QCOMPARE(main->admn.text(), QStringLiteral("0"));
        // A login by hand never marks the password as remembered.
        QCOMPARE(column(QStringLiteral("select hatirla from kullanicilar where sayi=1")),
                 QString());
    }
}

void tst_frm_ilk_giris::handOverOrder()
{
    standardFirm();
    window()->onLoad();
    // The main window exists first here only so that its fields can be watched.
    frm_giris *main = frm_giris::instance();
    QStringList seen;
    auto watch = [&](platform::SignalField &field, const QString &name) {
        field.onChange([&seen, name, main](const QString &text) {
            seen << name + QLatin1Char('=') + text + QLatin1Char('/') +
                        QString::number(main->grid_bakanlik_kullanicilar.size());
        });
    };
    watch(main->Text2, QStringLiteral("Text2"));
    watch(main->Text3, QStringLiteral("Text3"));
    watch(main->admn, QStringLiteral("admn"));
    watch(main->ilk_kurum, QStringLiteral("ilk_kurum"));
    watch(main->ilk_kullanici, QStringLiteral("ilk_kullanici"));
    window()->Text6->setText(QStringLiteral("yonetici"));
    window()->Text7->setText(QStringLiteral("y"));
    QCOMPARE(run([this] { window()->Command6_Click(); }), LoginResult::LoggedIn);
    QCOMPARE(seen, (QStringList{"Text2=alfa_yds/5", "Text3=AlfaPw1/5", "admn=1/5",
                                "ilk_kurum=Alfa Yapı Denetim/5", "ilk_kullanici=yonetici/5"}));
}

void tst_frm_ilk_giris::automaticLogin_data()
{
    QTest::addColumn<QString>("rememberedOn"); // hatirla_bilg of the operator's row
    QTest::addColumn<QString>("hostName");
    QTest::addColumn<QString>("yetki");
    QTest::addColumn<QString>("password"); // stored operator password
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<LoginResult>("outcome");
    QTest::addColumn<bool>("staleTwin"); // an older "ahmet" row with another password

    const auto row = [](const char *name, const char *rememberedOn, const char *hostName,
                        const char *yetki, const char *password, const QStringList &messages,
                        LoginResult outcome, bool staleTwin = false) {
        QTest::newRow(name) << QString(rememberedOn) << QString(hostName) << QString(yetki)
                            << QString(password) << messages << outcome << staleTwin;
    };
    const char *here = "ISTASYON-1";
    row("this computer", here, here, "H1", "Gizli1", {}, LoginResult::LoggedIn);
    // The login checks the first row of that name; the remembered one no longer matches it.
    row("remembered password no longer matches", here, here, "H1", "Gizli1", {kWrong},
        LoginResult::Stays, true);
    row("quote in host name", "PC'1", "PC'1", "H1", "Gizli1", {}, LoginResult::LoggedIn);
    row("another computer", "BASKA-PC", here, "H1", "Gizli1", {}, LoginResult::Stays);
    row("rights withdrawn since", here, here, "h1", "Gizli1", {kNoRight}, LoginResult::Stays);
    row("stored password gone", here, here, "H1", "", {kNoPassword}, LoginResult::Stays);
}

void tst_frm_ilk_giris::automaticLogin()
{
    QFETCH(QString, rememberedOn);
    QFETCH(QString, hostName);
    QFETCH(QString, yetki);
    QFETCH(QString, password);
    QFETCH(QStringList, messages);
    QFETCH(LoginResult, outcome);
    QFETCH(bool, staleTwin);

    addInstitution(1, kAlfa, QStringLiteral("alfa_yds"), QStringLiteral("AlfaPw1"));
    addInstitution(2, QStringLiteral("Beta Denetim"), QStringLiteral("beta_yds"),
                   QStringLiteral("b"));
    if (staleTwin)
        addOperator(0, 1, QStringLiteral("ahmet"), QStringLiteral("Eski9"), QStringLiteral("0"),
                    QStringLiteral("H1"));
    addOperator(1, 1, QStringLiteral("ahmet"), password, QStringLiteral("0"), yetki,
                QStringLiteral("1"), rememberedOn);
    m_fx->tp.host->name = hostName;
    m_fx->tp.settings->save(QStringLiteral("Tarvek2000"), QStringLiteral("ayarlar"),
                            QStringLiteral("hatir"), QStringLiteral("1"));
    m_fx->tp.settings->save(QStringLiteral("Tarvek2000"), QStringLiteral("ayarlar"),
                            QStringLiteral("k_adi"), QStringLiteral("ahmet"));

    ShowCounter shows;
    window()->installEventFilter(&shows);
    QCOMPARE(run([this] { window()->onLoad(); }), outcome);
    QCOMPARE(m_fx->tp.messages->texts(), messages);
    if (outcome == LoginResult::LoggedIn) {
        QCOMPARE(shows.shows, 0);
        QVERIFY(frm_giris::instance()->isVisible());
        QCOMPARE(frm_giris::instance()->ilk_kullanici.text(), QStringLiteral("ahmet"));
        QCOMPARE(column(QStringLiteral("select hatirla_bilg from kullanicilar where sayi=1")),
                 hostName);
    } else {
        // Refused or not remembered here: the operator logs in by hand.
        QCOMPARE(shows.shows, 1);
        QVERIFY(window()->isVisible());
        QCOMPARE(window()->Text6->text(), QStringLiteral("ahmet"));
    }
}

void tst_frm_ilk_giris::databaseFailureKeepsTheWindow()
{
    standardFirm();
    window()->onLoad();
    // The server goes away between the load and the login.
    db::CloseAll();
    const QString store = m_fx->dataDir + QStringLiteral("/f3436.sqlite3");
    QVERIFY(QFile::rename(store, store + QStringLiteral(".gitti")));
    window()->Text6->setText(QStringLiteral("ahmet"));
    window()->Text7->setText(QStringLiteral("Gizli1"));
    QCOMPARE(run([this] { window()->Command6_Click(); }), LoginResult::Stays);
    QCOMPARE(m_fx->tp.messages->texts(),
             QStringList{QStringLiteral("Kullanıcı bilgileri veritabanından okunamadı...\r"
                                        "Lütfen bağlantınızı kontrol edip tekrar deneyiniz...")});
    QVERIFY(!openMainWindow<frm_giris>());
    QVERIFY(window()->isVisible());

    // Back again: the same window logs in.
    db::CloseAll();
    QVERIFY(QFile::rename(store + QStringLiteral(".gitti"), store));
    QCOMPARE(run([this] { window()->Command6_Click(); }), LoginResult::LoggedIn);
}

QTEST_MAIN(tst_frm_ilk_giris)
#include "tst_frm_ilk_giris.moc"
