#pragma once

#include <QString>

// What the program relies on in the ministry portal: its addresses, its page codes, the ids of the
// elements it reads and fills, and the captions it looks for. Every other file names these
// through here, so a change on the portal's side is one change here.
namespace portal {

// Paths on the application host.
inline QString LoginPath()
{
    return QStringLiteral("/yds/rol/ziyaretci/LA_G_Z_K.jsf");
}
inline QString CaptchaPath()
{
    return QStringLiteral("/yds/jcaptcha");
}
inline QString TopPath() // the first page of the logged-in window the portal opens
{
    return QStringLiteral("/yds/rol/common/top.jsf");
}
inline QString MainPath()
{
    return QStringLiteral("/yds/rol/ydk/main.jsf");
}
inline QString ShowImagePath() // the "Göster" link's image on the search result
{
    return QStringLiteral("/yds/common/images/goster.gif");
}

// Page codes printed after "Ekran Kodu".
namespace code {
inline QString Error()
{
    return QStringLiteral("ERROR");
}
inline QString Messages()
{
    return QStringLiteral("LSMOI");
}
inline QString Main()
{
    return QStringLiteral("MAIN_Y");
}
inline QString Search()
{
    return QStringLiteral("YHHYL");
}
inline QString Site()
{
    return QStringLiteral("YHHYR");
}
inline QString InspectionList()
{
    return QStringLiteral("DYDYL");
}
inline QString InspectionForm()
{
    return QStringLiteral("DYDYI");
}
// The confirmation page carries no code, or this text.
inline QString None()
{
    return QStringLiteral("null");
}
} // namespace code

// The title of the confirmation page (it has no code of its own).
inline QString ConfirmationTitle()
{
    return QStringLiteral("Yeni Denetim Bilgisi Kaydetme Kararı");
}

// Element ids and names.
namespace id {
inline QString Form()
{
    return QStringLiteral("oyds_form");
}
inline QString MenuInput() // the hidden input the portal's menu posts
{
    return QStringLiteral("jscook_action");
}
// Login form (the document's second form).
inline QString LoginCode()
{
    return QStringLiteral("oyds_form:Güvenlik");
}
inline QString LoginUser()
{
    return QStringLiteral("oyds_form:Kullanıcı");
}
inline QString LoginPassword()
{
    return QStringLiteral("oyds_form:Şifre");
}
inline QString LoginButton()
{
    return QStringLiteral("oyds_form:loginButton");
}
// Search page.
inline QString SearchNumber()
{
    return QStringLiteral("oyds_form:dosya_no");
}
inline QString SearchButton()
{
    return QStringLiteral("oyds_form:bul");
}
inline QString ResultBody()
{
    return QStringLiteral("oyds_form:dataTable:tbody_element");
}
inline QString ShowLink()
{
    return QStringLiteral("oyds_form:_link_hidden_");
}
// Site page: "YİBF / ..." record text.
inline QString SiteRecord()
{
    return QStringLiteral("oyds_form:id");
}
// Inspection list.
inline QString InspectionTable()
{
    return QStringLiteral("oyds_form:dataTable");
}
// New inspection form.
inline QString LevelFoundation()
{
    return QStringLiteral("oyds_form:seviye_subasman");
}
inline QString LevelStructure()
{
    return QStringLiteral("oyds_form:seviye_tasiyici");
}
inline QString LevelPlaster()
{
    return QStringLiteral("oyds_form:seviye_siva");
}
inline QString LevelRemaining()
{
    return QStringLiteral("oyds_form:seviye_kalan");
}
inline QString Inspector()
{
    return QStringLiteral("oyds_form:Tespiti_Yapan");
}
inline QString IdentityNumber()
{
    return QStringLiteral("oyds_form:tc_kimlik_no");
}
inline QString Developments()
{
    return QStringLiteral("oyds_form:Yapıdaki_Gelişmeler");
}
inline QString PhotoInput()
{
    return QStringLiteral("oyds_form:dokuman");
}
inline QString Continue() // the form's button to the confirmation page
{
    return QStringLiteral("oyds_form:_idJsp38");
}
// Confirmation page: the declaration box whose onclick enables the save.
inline QString Declaration()
{
    return QStringLiteral("oyds_form:cbx");
}
} // namespace id

// Captions (button values, image alternative texts) the program looks for.
namespace caption {
inline QString Show()
{
    return QStringLiteral("Göster");
}
inline QString Inspections()
{
    return QStringLiteral("Denetim Bilgileri");
}
inline QString NewInspection()
{
    return QStringLiteral("Yeni Denetim Bilgisi");
}
inline QString Save()
{
    return QStringLiteral("Denetim Bilgisini Kaydet");
}
inline QString Cancel()
{
    return QStringLiteral("Vazgeç");
}
} // namespace caption

// The login page's forgotten-password image: the portal's message follows it.
inline QString ForgottenPasswordImage()
{
    return QStringLiteral("sifreunuttum.gif");
}

} // namespace portal
