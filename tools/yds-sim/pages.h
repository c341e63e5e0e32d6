#pragma once

#include "seed.h"

#include <QList>
#include <QMap>
#include <QString>

// The portal's pages as HTML. Everything the program reads is fixed here: element ids and names,
// button values and types, titles and the "Ekran Kodu" footer.
namespace ydssim::pages {

// The part of a logged-in page around its content: menu (first div; its id is the menu prefix),
// header, the first form "oyds_form" with the hidden "jscook_action", and the code footer.
struct Frame
{
    QString title;
    QString code; // printed after "Ekran Kodu: "; may be empty (confirmation page)
    QString view; // address the form posts back to
    bool multipart = false;
    QString heading;
    QString content;
    QString institutionName;
    QString institutionNumber;
    QString user;
    int viewState = 1;
};

inline const QString MenuPrefix = QStringLiteral("_idJsp0");

QString loggedInPage(const Frame &f);

QString loginPage(const QString &appBase, const QString &frontBase, const QString &message,
                  bool sendToFront);
QString loginAcceptedPage();
QString frontPage(const QString &appBase, bool outage);

QString mainContent(const QString &user, int siteCount);
QString searchContent(const QString &appBase, const QString &query, const QList<Site> *results);
QString siteContent(const Site &site);
// The site's inspections, oldest first unless `newestFirst`.
QString listContent(const Site &site, const QString &info, bool newestFirst);

// Values of the new-record form as posted (re-shown after a validation failure).
using FormValues = QMap<QString, QString>;
QString newInspectionContent(const Site &site, const FormValues &values, const QString &error,
                             bool refuseFile);
QString confirmationContent(const Site &site, const FormValues &values, const QString &fileName,
                            qint64 fileSize, const QString &error);
QString messagesContent(const QString &message);
QString errorContent();

QByteArray stylesheet();
QByteArray script();

// Element names of the forms.
namespace field {
inline const QString User = QStringLiteral("oyds_form:Kullanıcı");
inline const QString Password = QStringLiteral("oyds_form:Şifre");
inline const QString Code = QStringLiteral("oyds_form:Güvenlik");
inline const QString LoginButton = QStringLiteral("oyds_form:loginButton");
inline const QString Menu = QStringLiteral("jscook_action");
inline const QString SearchNo = QStringLiteral("oyds_form:dosya_no");
inline const QString SearchButton = QStringLiteral("oyds_form:bul");
inline const QString LinkHidden = QStringLiteral("oyds_form:_link_hidden_");
inline const QString Inspections = QStringLiteral("oyds_form:denetimBilgileri");
inline const QString BackToSearch = QStringLiteral("oyds_form:geriListe");
inline const QString NewInspection = QStringLiteral("oyds_form:yeniDenetim");
inline const QString BackToSite = QStringLiteral("oyds_form:geriYibf");
inline const QString Level1 = QStringLiteral("oyds_form:seviye_subasman");
inline const QString Level2 = QStringLiteral("oyds_form:seviye_tasiyici");
inline const QString Level3 = QStringLiteral("oyds_form:seviye_siva");
inline const QString Level4 = QStringLiteral("oyds_form:seviye_kalan");
inline const QString Inspector = QStringLiteral("oyds_form:Tespiti_Yapan");
inline const QString IdNumber = QStringLiteral("oyds_form:tc_kimlik_no");
inline const QString Developments = QStringLiteral("oyds_form:Yapıdaki_Gelişmeler");
inline const QString File = QStringLiteral("oyds_form:dokuman");
inline const QString Continue = QStringLiteral("oyds_form:_idJsp38");
inline const QString BackToList = QStringLiteral("oyds_form:geriDenetim");
inline const QString Declaration = QStringLiteral("oyds_form:cbx");
inline const QString Save = QStringLiteral("oyds_form:kaydet");
inline const QString Cancel = QStringLiteral("oyds_form:vazgec");
} // namespace field

inline const QString ConfirmationTitle = QStringLiteral("Yeni Denetim Bilgisi Kaydetme Kararı");

} // namespace ydssim::pages
