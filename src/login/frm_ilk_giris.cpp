#include "login/frm_ilk_giris.h"

#include "core/connection.h"
#include "core/database.h"
#include "core/hostutil.h"
#include "core/loginrules.h"
#include "core/runsql.h"
#include "core/scrambler.h"
#include "core/updatecheck.h"
#include "core/workstation.h"
#include "platform/fileversion.h"
#include "platform/platform.h"
#include "queue/frm_giris.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

using platform::MsgIcon;
using platform::Platform;

namespace {
const QString kReadApp = QStringLiteral("tarvek2000");
const QString kWriteApp = QStringLiteral("Tarvek2000");
const QString kSection = QStringLiteral("ayarlar");
const QString kAttention = QStringLiteral("DİKKAT");
const QString kWrongLogin = QStringLiteral("Hatalı Kullanıcı Adı / Parolası");
const QString kNoRight = QStringLiteral("Fotoğraf Gönderme Yetkiniz Bulunmamaktadır...");

QString firmDb()
{
    return ConnectionString(QStringLiteral("f3436"));
}

QString errorText(const QSqlError &e)
{
    return e.text();
}
} // namespace

frm_ilk_giris::frm_ilk_giris(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frm_ilk_giris"));
    setWindowTitle(QStringLiteral("Kullanıcı Bilgileri"));
    setAttribute(Qt::WA_DeleteOnClose);

    Frame1 = new QGroupBox(QStringLiteral("Kullanıcı Bilgileri"), this);
    Label2 = new QLabel(QStringLiteral("Tarvek FOTO Kullanıcı Adı Şifrenizi Giriniz..."), Frame1);
    QFont heading = Label2->font();
    heading.setBold(true);
    Label2->setFont(heading);
    // A plain drop-down list: institutions are only ever chosen, never typed.
    Combo2 = new QComboBox(Frame1);
    Combo2->setEditable(false);
    Text6 = new QLineEdit(Frame1);
    Text7 = new QLineEdit(Frame1);
    Text7->setEchoMode(QLineEdit::Password);
    Check2 = new QCheckBox(QStringLiteral("Kullanıcı Adını Hatırla"), Frame1);
    Check1 = new QCheckBox(QStringLiteral("Kullanıcı Şifresini Hatırla"), Frame1);
    // The old picture button had no caption of its own; ours shows the confirm icon with a word.
    Command6 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                               QStringLiteral("Giriş"), Frame1);
    Command6->setDefault(true);
    Label1 = new QLabel(this);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Kurum Adı"), Combo2);
    form->addRow(QStringLiteral("Kullanıcı Adı"), Text6);
    form->addRow(QStringLiteral("Şifre"), Text7);
    auto *frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addWidget(Label2);
    frameLayout->addLayout(form);
    frameLayout->addWidget(Check2);
    frameLayout->addWidget(Check1);
    frameLayout->addWidget(Command6, 0, Qt::AlignRight);
    auto *outer = new QVBoxLayout(this);
    outer->addWidget(Frame1);
    outer->addWidget(Label1);

    connect(Command6, &QPushButton::clicked, this, &frm_ilk_giris::Command6_Click);
    connect(Text7, &QLineEdit::returnPressed, this, &frm_ilk_giris::Command6_Click);
    connect(Check2, &QCheckBox::toggled, this, &frm_ilk_giris::Check2_Click);
}

void frm_ilk_giris::onLoad()
{
    const platform::FileVersion v = platform::ownVersion();
    Label1->setText(QStringLiteral("Vers. : %1.%2.%3").arg(v[0]).arg(v[1]).arg(v[3]));

    // Two separate questions, as the main window shows both.
    const QString name = QueryHostName();
    const QString address = QueryHostAddress();
    SetHostIdentity(name, address);

    if (!SupportMode())
        guncelleme_kontrol_et();

    Check2->setChecked(RememberFromSetting(
        Platform::settings().get(kReadApp, kSection, QStringLiteral("hatir"), QString())));
    if (Check2->isChecked())
        Text6->setText(
            Platform::settings().get(kReadApp, kSection, QStringLiteral("k_adi"), QString()));

    fillInstitutions();
    rememberedLogin();
}

void frm_ilk_giris::fillInstitutions()
{
    QSqlError error;
    const auto rows = db::Select(firmDb(), kInstitutionListSql, {}, &error);
    if (!rows) {
        if (IsServerMissingError(errorText(error)))
            platform::msgBox(QStringLiteral("Server'a ulaşılamıyor..."), MsgIcon::Critical);
        else
            platform::msgBox(Connection().ServerName +
                                 QStringLiteral(" Server'ına ulaşılamıyor..."),
                             MsgIcon::Critical);
        platform::endProcess();
    }
    if (rows->isEmpty()) {
        // The second line sends the operator to where institutions are entered.
        platform::msgBox(QStringLiteral("Kayıtlı Kurum Bulunamamıştır...\r"
                                        "Lütfen Tarvek 2000 programında kurum bilgilerinizi "
                                        "giriniz..."),
                         MsgIcon::Critical);
        platform::endProcess();
    }

    Combo2->clear();
    grid_bakanlik_kullanicilar.clear();
    for (const QSqlRecord &r : *rows) {
        const QString institution = db::Text(r, QStringLiteral("kurum_unvan"));
        Combo2->addItem(institution);
        grid_bakanlik_kullanicilar.append(
            {Unscramble(db::Text(r, QStringLiteral("kullanici_adi")), 2), institution});
        Check1->setVisible(false);
    }
    if (rows->size() == 1)
        Combo2->setEnabled(false);
    if (Combo2->count() > 0)
        Combo2->setCurrentIndex(0);
}

void frm_ilk_giris::rememberedLogin()
{
    // A failing look-up only means no automatic login.
    const auto rows = db::Select(firmDb(), kRememberedLoginSql,
                                 {HostName(), Combo2->currentText(), Text6->text()});
    if (rows && rows->size() == 1 &&
        db::Text(rows->first(), QStringLiteral("hatirla")) == QStringLiteral("1")) {
        Check1->setChecked(true);
        Text7->setText(Unscramble(db::Text(rows->first(), QStringLiteral("sifre6")), 1));
        Command6_Click();
        if (!m_loggedIn)
            show();
        return;
    }
    show();
    if (Check2->isChecked())
        Text7->setFocus();
}

void frm_ilk_giris::reportDatabaseFailure(const QString &description)
{
    if (IsServerMissingError(description)) {
        platform::msgBox(QStringLiteral("Server'a ulaşılamıyor..."), MsgIcon::Critical);
        platform::endProcess();
    }
    // Any other failure of the login's look-ups: nothing is written, the operator may retry.
    platform::msgBox(QStringLiteral("Kullanıcı bilgileri veritabanından okunamadı...\r"
                                    "Lütfen bağlantınızı kontrol edip tekrar deneyiniz..."),
                     MsgIcon::Critical, kAttention);
}

void frm_ilk_giris::Command6_Click()
{
    if (Text6->text().isEmpty()) {
        platform::msgBox(QStringLiteral("Lütfen Kullanıcı Adınızı Giriniz"), MsgIcon::Critical,
                         kAttention);
        Text6->setFocus();
        return;
    }
    if (Text7->text().isEmpty()) {
        platform::msgBox(QStringLiteral("Lütfen Kullanıcı Parolanızı Giriniz"), MsgIcon::Critical,
                         kAttention);
        Text7->setFocus();
        return;
    }

    const QString institution = Combo2->currentText();
    const QString userName = Text6->text();
    QSqlError error;
    const auto rows = db::Select(firmDb(), kOperatorSql, {institution, userName}, &error);
    if (!rows) {
        reportDatabaseFailure(errorText(error));
        return;
    }
    if (rows->isEmpty()) {
        // The second line sends the operator to where institutions are entered.
        platform::msgBox(kWrongLogin, MsgIcon::Critical, kAttention);
        return;
    }
    const QSqlRecord op = rows->first();
    if (Text7->text() != Unscramble(db::Text(op, QStringLiteral("sifre6")), 1)) {
        platform::msgBox(kWrongLogin, MsgIcon::Critical, kAttention);
        return;
    }

    // The first access creates the main window and runs its load before the values arrive.
    frm_giris *main = frm_giris::instance();
    main->grid_bakanlik_kullanicilar.clear();
    for (const GridRow &row : std::as_const(grid_bakanlik_kullanicilar))
        main->grid_bakanlik_kullanicilar.append({row.userName, row.institution});
    main->Text2.setText(Unscramble(db::Text(op, QStringLiteral("kullanici_adi")), 2));

    const QString siff = db::Text(op, QStringLiteral("siff"));
    if (siff.isEmpty()) {
        platform::msgBox(QStringLiteral("YDS şifresi bulunmuyor...\r"
                                        "Tarvek 2000 programında AYARLAR menüsünden YDS şifresini "
                                        "giriniz..."),
                         MsgIcon::Critical);
        platform::endProcess();
    }
    main->Text3.setText(Unscramble(siff, 1));
    main->admn.setText(db::Text(op, QStringLiteral("admin")));

    if (!HasSendRight(db::Text(op, QStringLiteral("yetki")), main->admn.text())) {
        platform::msgBox(kNoRight, MsgIcon::Critical);
        return;
    }

    auto &settings = Platform::settings();
    settings.save(kWriteApp, kSection, QStringLiteral("hatir"),
                  Check2->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    settings.save(kWriteApp, kSection, QStringLiteral("k_adi"),
                  Check2->isChecked() ? userName : QString());

    if (Check2->isChecked() && Check1->isChecked()) {
        // Only an automatic login gets here (Check1 is never visible). A failure to store the
        // mark costs only the next automatic login, so it does not stop this one.
        const auto marked = db::Select(firmDb(), kOperatorRowSql, {institution, userName});
        if (marked && marked->size() == 1)
            db::Exec(firmDb(), kMarkRememberedSql,
                     {HostName(), marked->first().value(QStringLiteral("sayi"))});
    }

    main->ilk_kurum.setText(institution);
    main->ilk_kullanici.setText(userName);

    const auto named = db::Select(firmDb(), kInstitutionByNameSql, {institution}, &error);
    if (!named) {
        reportDatabaseFailure(errorText(error));
        return;
    }
    if (named->size() != 1) {
        platform::msgBox(QStringLiteral("HATA NO : 2499655"), MsgIcon::Critical);
        platform::endProcess();
    }

    main->show();
    m_loggedIn = true;
    close();
}

void frm_ilk_giris::Check2_Click()
{
    if (Check2->isChecked()) {
        Check1->setEnabled(true);
    } else {
        Check1->setEnabled(false);
        Check1->setChecked(false);
    }
}
