#include "pages.h"

namespace ydssim::pages {

namespace {

QString esc(const QString &s)
{
    return s.toHtmlEscaped();
}

QString head(const QString &title, const QString &extra = {}, const QString &assets = {})
{
    return QStringLiteral(
               "<!DOCTYPE html>\n<html lang=\"tr\">\n<head>\n<meta charset=\"utf-8\">\n"
               "<title>%1</title>\n"
               "<link rel=\"stylesheet\" type=\"text/css\" href=\"%3/yds/common/css/yds.css\">\n"
               "<script type=\"text/javascript\" src=\"%3/yds/common/js/yds.js\"></script>\n"
               "%2</head>\n")
        .arg(esc(title), extra, assets);
}

QString menuItem(const QString &action, const QString &label)
{
    return QStringLiteral("<li><a href=\"#\" onclick=\"return ydsMenu('%1');\">%2</a></li>\n")
        .arg(action, label);
}

QString textInput(const QString &name, const QString &value, int size = 10)
{
    return QStringLiteral("<input type=\"text\" id=\"%1\" name=\"%1\" value=\"%2\" size=\"%3\">")
        .arg(name, esc(value))
        .arg(size);
}

QString submit(const QString &name, const QString &value, const QString &extra = {})
{
    return QStringLiteral("<input type=\"submit\" id=\"%1\" name=\"%1\" value=\"%2\" "
                          "class=\"buton\"%3>")
        .arg(name, value, extra);
}

QString siteSummary(const Site &site)
{
    return QStringLiteral(
               "<table class=\"detay\">\n"
               "<tr><th>YİBF No</th><td>%1</td><th>Yapı Sahibi</th><td>%2</td></tr>\n"
               "<tr><th>İl / İlçe</th><td>%3 / %4</td><th>Ada / Parsel</th><td>%5 / %6</td></tr>\n"
               "</table>\n")
        .arg(esc(site.yibf), esc(site.owner), esc(site.province), esc(site.district), esc(site.ada),
             esc(site.parsel));
}

} // namespace

QString loggedInPage(const Frame &f)
{
    QString html = head(f.title);
    html += QStringLiteral("<body>\n<div id=\"%1\" class=\"menu\">\n<ul class=\"menuBar\">\n")
                .arg(MenuPrefix);
    html += menuItem(QStringLiteral("A]MAIN_L"), QStringLiteral("Ana Sayfa"));
    html +=
        menuItem(QStringLiteral("A]#{yibfBean.hazirlaYHHYL}"), QStringLiteral("YİBF İşlemleri"));
    html += menuItem(QStringLiteral("A]#{hakedisBean.hazirlaHKDSL}"),
                     QStringLiteral("Hakediş İşlemleri"));
    html += menuItem(QStringLiteral("A]#{denetciBean.hazirlaDNTCL}"),
                     QStringLiteral("Denetçi İşlemleri"));
    html += menuItem(QStringLiteral("A]#{islemMesajBean.hazirlaLSMOI}"),
                     QStringLiteral("İşlem Mesajları"));
    html += QStringLiteral("<li><a href=\"/yds/rol/ziyaretci/cikis.jsf\">Güvenli Çıkış</a></li>\n"
                           "</ul>\n</div>\n");
    html +=
        QStringLiteral(
            "<table class=\"ust\"><tr><td class=\"logo\"><img src=\"/yds/common/images/logo.gif\" "
            "alt=\"Bakanlık\"></td><td class=\"sistem\"><b>YAPI DENETİM SİSTEMİ</b><br>T.C. Çevre, "
            "Şehircilik ve İklim Değişikliği Bakanlığı</td><td class=\"kullanici\">Kuruluş: %1 "
            "(No: %2)<br>Kullanıcı: %3</td></tr></table>\n")
            .arg(esc(f.institutionName), esc(f.institutionNumber), esc(f.user));
    html += QStringLiteral(
                "<form id=\"oyds_form\" name=\"oyds_form\" method=\"post\" action=\"%1\"%2>\n"
                "<input type=\"hidden\" name=\"jscook_action\" value=\"\">\n"
                "<h1 class=\"baslik\">%3</h1>\n")
                .arg(f.view,
                     f.multipart ? QStringLiteral(" enctype=\"multipart/form-data\"") : QString(),
                     esc(f.heading));
    html += f.content;
    html += QStringLiteral("<input type=\"hidden\" name=\"oyds_form_SUBMIT\" value=\"1\">\n"
                           "<input type=\"hidden\" name=\"javax.faces.ViewState\" "
                           "id=\"javax.faces.ViewState\" value=\"j_id%1:j_id%2\">\n</form>\n")
                .arg(f.viewState)
                .arg(f.viewState + 1);
    // The code must be the last visible text and be followed by blanks: the program reads a
    // fixed window of eight characters after the label. "pre" keeps the blanks in the text.
    html += QStringLiteral("<div class=\"altbilgi\">YDS Sürüm 4.2.7 | "
                           "<span class=\"ekranKodu\" style=\"white-space: pre\">Ekran Kodu: %1"
                           "          </span></div>\n</body>\n</html>\n")
                .arg(esc(f.code));
    return html;
}

QString loginPage(const QString &appBase, const QString &frontBase, const QString &message,
                  bool sendToFront)
{
    const QString leave =
        sendToFront ? QStringLiteral("<script type=\"text/javascript\">window.addEventListener("
                                     "'load', function () { window.location.href = '%1/'; });"
                                     "</script>\n")
                          .arg(frontBase)
                    : QString();
    QString html = head(QStringLiteral("Yapı Denetim Sistemi - Kullanıcı Girişi"), leave);
    html += QStringLiteral(
        "<body class=\"giris\">\n"
        "<div id=\"ust\" class=\"ustGiris\"><img src=\"/yds/common/images/logo.gif\" "
        "alt=\"Bakanlık\"> "
        "<b>YAPI DENETİM SİSTEMİ</b> T.C. Çevre, Şehircilik ve İklim Değişikliği Bakanlığı</div>\n"
        "<form id=\"belgeForm\" name=\"belgeForm\" method=\"get\" "
        "action=\"/yds/rol/ziyaretci/belgeSorgula.jsf\">\n"
        "<p class=\"kisa\">Belge sorgulama: <input type=\"text\" name=\"belgeNo\" size=\"12\"> "
        "<input type=\"submit\" value=\"Sorgula\"></p>\n</form>\n");
    html +=
        QStringLiteral(
            "<form id=\"oyds_form\" name=\"oyds_form\" method=\"post\" "
            "action=\"/yds/rol/ziyaretci/LA_G_Z_K.jsf\">\n"
            "<table class=\"girisKutusu\">\n"
            "<tr><th colspan=\"2\">Kullanıcı Girişi</th></tr>\n"
            "<tr><td>Kullanıcı Adı</td><td><input type=\"text\" id=\"%1\" name=\"%1\" "
            "size=\"20\"></td></tr>\n"
            "<tr><td>Şifre</td><td><input type=\"password\" id=\"%2\" name=\"%2\" "
            "size=\"20\"></td></tr>\n"
            "<tr><td></td><td><img id=\"oyds_form:guvenlikResmi\" src=\"%3/yds/jcaptcha\" "
            "alt=\"Güvenlik Kodu\"></td></tr>\n"
            "<tr><td>Güvenlik Kodu</td><td><input type=\"text\" id=\"%4\" name=\"%4\" size=\"8\" "
            "autocomplete=\"off\"></td></tr>\n"
            "<tr><td></td><td><input type=\"submit\" id=\"%5\" name=\"%5\" value=\"Giriş\" "
            "class=\"buton\"></td></tr>\n"
            "</table>\n"
            "<a href=\"#\" onclick=\"return false;\"><img "
            "src=\"/yds/common/images/sifreunuttum.gif\" "
            "alt=\"Şifremi Unuttum\"> Şifremi Unuttum</a>\n")
            .arg(field::User, field::Password, appBase, field::Code, field::LoginButton);
    if (!message.isEmpty())
        html += QStringLiteral("<div class=\"mesajKutusu\"><table class=\"mesaj\"><tr><td>%1</td>"
                               "</tr></table></div>\n")
                    .arg(esc(message));
    html +=
        QStringLiteral("<input type=\"hidden\" name=\"oyds_form_SUBMIT\" value=\"1\">\n</form>\n"
                       "<p class=\"kisa\">Sisteme giriş için kuruluşunuza verilen kullanıcı adı "
                       "ve şifreyi kullanınız.</p>\n</body>\n</html>\n");
    return html;
}

QString loginAcceptedPage()
{
    // The portal opens the working session in a window of its own.
    QString html =
        head(QStringLiteral("Yapı Denetim Sistemi"),
             QStringLiteral("<script type=\"text/javascript\">window.addEventListener("
                            "'load', function () { window.open('/yds/rol/common/top.jsf', "
                            "'ydsAnaPencere', 'width=1024,height=768,resizable=yes,"
                            "scrollbars=yes'); });</script>\n"));
    html += QStringLiteral(
        "<body class=\"giris\">\n<div class=\"ustGiris\"><b>YAPI DENETİM SİSTEMİ</b></div>\n"
        "<p>Giriş başarılı. Yapı Denetim Sistemi yeni bir pencerede açılmaktadır.</p>\n"
        "<p>Pencere açılmadıysa <a href=\"/yds/rol/common/top.jsf\" target=\"_blank\">buraya "
        "tıklayınız</a>.</p>\n</body>\n</html>\n");
    return html;
}

QString frontPage(const QString &appBase, bool outage)
{
    // The front host keeps no files of its own: style and pictures come from the application host.
    QString html = head(QStringLiteral("Yapı Denetim Sistemi"), {}, appBase);
    html +=
        QStringLiteral("<body>\n<div class=\"ustGiris\"><img src=\"%1/yds/common/images/logo.gif\" "
                       "alt=\"Bakanlık\"> <b>YAPI DENETİM SİSTEMİ</b> T.C. Çevre, Şehircilik ve "
                       "İklim Değişikliği Bakanlığı</div>\n")
            .arg(appBase);
    if (outage)
        html +=
            QStringLiteral("<div class=\"duyuru\"><p>Yapı Denetim Sistemi Uygulaması bakım "
                           "çalışması nedeniyle geçici olarak kullanım dışıdır.</p><p>Anlayışınız "
                           "için teşekkür ederiz.</p></div>\n");
    else
        html += QStringLiteral(
                    "<div class=\"duyuru\"><h2>Duyurular</h2><ul>\n"
                    "<li>Denetim bilgisi girişlerinde fotoğrafların JPEG biçiminde olması "
                    "gerekmektedir.</li>\n"
                    "<li>Hakediş ödemeleri ile ilgili yeni düzenleme yürürlüğe girmiştir.</li>\n"
                    "</ul>\n<p><a href=\"%1/yds/rol/ziyaretci/LA_G_Z_K.jsf\">Sisteme "
                    "Giriş</a></p></div>\n")
                    .arg(appBase);
    html += QStringLiteral("</body>\n</html>\n");
    return html;
}

QString mainContent(const QString &user, int siteCount)
{
    return QStringLiteral(
               "<p>Sayın <b>%1</b>, Yapı Denetim Sistemine hoş geldiniz.</p>\n"
               "<p>Kuruluşunuzun denetimindeki yapı sayısı: <b>%2</b></p>\n"
               "<table class=\"liste\"><thead><tr><th>Duyuru</th></tr></thead><tbody>\n"
               "<tr><td>Denetim bilgisi girişlerinde fotoğraf eklenmesi zorunludur.</td></tr>\n"
               "<tr><td>Güvenliğiniz için işiniz bittiğinde Güvenli Çıkış ile "
               "ayrılınız.</td></tr>\n</tbody></table>\n")
        .arg(esc(user))
        .arg(siteCount);
}

QString searchContent(const QString &appBase, const QString &query, const QList<Site> *results)
{
    QString html =
        QStringLiteral("<table class=\"arama\"><tr><td>YİBF No</td><td>%1</td><td>%2</td>"
                       "</tr></table>\n"
                       "<input type=\"hidden\" id=\"%3\" name=\"%3\" value=\"\">\n")
            .arg(textInput(field::SearchNo, query, 12),
                 submit(field::SearchButton, QStringLiteral("Bul")), field::LinkHidden);
    if (!results)
        return html;
    html +=
        QStringLiteral("<table id=\"oyds_form:dataTable\" class=\"liste\">\n<thead><tr><th>YİBF No"
                       "</th><th>Ada / Parsel</th><th>Yapı Sahibi</th><th>İl / İlçe</th><th>Yapı "
                       "Sınıfı</th><th>İşlem</th></tr></thead>\n"
                       "<tbody id=\"oyds_form:dataTable:tbody_element\">\n");
    for (int i = 0; i < results->size(); ++i) {
        const Site &s = results->at(i);
        const QString link = QStringLiteral("oyds_form:dataTable:%1:_idJsp52").arg(i);
        html +=
            QStringLiteral("<tr><td>%1</td><td>%2 / %3</td><td>%4</td><td>%5 / %6</td><td>%7</td>"
                           "<td><a href=\"#\" id=\"%8\" onclick=\"return oamSubmitForm('oyds_form',"
                           "'%8');\"><img src=\"%9/yds/common/images/goster.gif\" alt=\"Göster\" "
                           "title=\"Göster\" border=\"0\"></a></td></tr>\n")
                .arg(esc(s.yibf), esc(s.ada), esc(s.parsel), esc(s.owner), esc(s.province),
                     esc(s.district), esc(s.buildingClass), link, appBase);
    }
    html += QStringLiteral("</tbody>\n</table>\n");
    html += results->isEmpty()
                ? QStringLiteral("<p class=\"bilgiText\">Aradığınız kriterlere uygun kayıt "
                                 "bulunamadı.</p>\n")
                : QStringLiteral("<p class=\"bilgiText\">%1 kayıt listelendi.</p>\n")
                      .arg(results->size());
    return html;
}

QString siteContent(const Site &site)
{
    return QStringLiteral(
               "<table class=\"detay\">\n"
               "<tr><th>YİBF No</th><td><span id=\"oyds_form:id\">%1 / %2 - %3 / Ada: %4 "
               "Parsel: %5</span></td></tr>\n"
               "<tr><th>Yapı Sahibi</th><td>%6</td></tr>\n"
               "<tr><th>Adres</th><td>%7</td></tr>\n"
               "<tr><th>Yapı Sınıfı</th><td>%8</td></tr>\n"
               "<tr><th>Denetim Sayısı</th><td>%9</td></tr>\n"
               "</table>\n<p>%10 %11</p>\n")
        .arg(esc(site.yibf), esc(site.province), esc(site.district), esc(site.ada),
             esc(site.parsel), esc(site.owner), esc(site.address), esc(site.buildingClass))
        .arg(site.inspections.size())
        .arg(submit(field::Inspections, QStringLiteral("Denetim Bilgileri")),
             submit(field::BackToSearch, QStringLiteral("Geri")));
}

QString listContent(const Site &site, const QString &info, bool newestFirst)
{
    QString html = siteSummary(site);
    if (!info.isEmpty())
        html += QStringLiteral("<p class=\"bilgiText\">%1</p>\n").arg(esc(info));
    html += QStringLiteral(
        "<table id=\"oyds_form:dataTable\" class=\"liste\">\n<thead><tr><th>Tarih</th>"
        "<th>Gerçekleşme Oranı</th><th>Subasman</th><th>Taşıyıcı Sistem</th>"
        "<th>Sıva</th><th>Kalan</th><th>Tespiti Yapan</th><th>Fotoğraf</th></tr>"
        "</thead>\n<tbody id=\"oyds_form:dataTable:tbody_element\">\n");
    QString rows;
    for (const Inspection &i : site.inspections) {
        const QString row =
            QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td><td>%5</td><td>%6</td>"
                           "<td>%7</td><td>%8</td></tr>\n")
                .arg(i.date.toString(QStringLiteral("dd.MM.yyyy")), formatPercent(i.percent),
                     formatPercent(i.levels[0]), formatPercent(i.levels[1]),
                     formatPercent(i.levels[2]), formatPercent(i.levels[3]), esc(i.inspector),
                     esc(i.fileName));
        rows = newestFirst ? row + rows : rows + row;
    }
    html += rows;
    html += QStringLiteral("</tbody>\n</table>\n<p>%1 %2</p>\n")
                .arg(submit(field::NewInspection, QStringLiteral("Yeni Denetim Bilgisi")),
                     submit(field::BackToSite, QStringLiteral("Geri")));
    return html;
}

QString newInspectionContent(const Site &site, const FormValues &values, const QString &error,
                             bool refuseFile)
{
    QString html = siteSummary(site);
    if (!error.isEmpty())
        html += QStringLiteral("<p><span class=\"errorText\">%1</span></p>\n").arg(esc(error));
    auto row = [&](const QString &label, const QString &name, int size) {
        return QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n")
            .arg(label, textInput(name, values.value(name), size));
    };
    html += QStringLiteral("<table class=\"form\">\n");
    html += row(QStringLiteral("Subasman Seviyesi (%)"), field::Level1, 6);
    html += row(QStringLiteral("Taşıyıcı Sistem Seviyesi (%)"), field::Level2, 6);
    html += row(QStringLiteral("Sıva Seviyesi (%)"), field::Level3, 6);
    html += row(QStringLiteral("Kalan İşler Seviyesi (%)"), field::Level4, 6);
    html += row(QStringLiteral("Tespiti Yapan"), field::Inspector, 30);
    html += row(QStringLiteral("T.C. Kimlik No"), field::IdNumber, 11);
    html += QStringLiteral("<tr><th>Yapıdaki Gelişmeler</th><td><textarea id=\"%1\" name=\"%1\" "
                           "rows=\"4\" cols=\"50\">%2</textarea></td></tr>\n")
                .arg(field::Developments, esc(values.value(field::Developments)));
    html +=
        QStringLiteral("<tr><th>Fotoğraf (JPEG)</th><td><input type=\"file\" id=\"%1\" name=\"%1\" "
                       "accept=\".jpg,.jpeg,image/jpeg\" onchange=\"ydsDosya(this);\"%2> "
                       "<span id=\"oyds_form:dosyaUyari\" class=\"uyari\"></span></td></tr>\n"
                       "</table>\n")
            .arg(field::File, refuseFile ? QStringLiteral(" data-kabul=\"0\"") : QString());
    html += QStringLiteral("<p>%1 %2</p>\n")
                .arg(submit(field::Continue, QStringLiteral("Devam")),
                     submit(field::BackToList, QStringLiteral("Geri Dön")));
    return html;
}

QString confirmationContent(const Site &site, const FormValues &values, const QString &fileName,
                            qint64 fileSize, const QString &error)
{
    QString html = siteSummary(site);
    if (!error.isEmpty())
        html += QStringLiteral("<p><span class=\"errorText\">%1</span></p>\n").arg(esc(error));
    auto row = [&](const QString &label, const QString &value) {
        return QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n").arg(label, esc(value));
    };
    html += QStringLiteral("<table class=\"detay\">\n");
    html += row(QStringLiteral("Subasman Seviyesi (%)"), values.value(field::Level1));
    html += row(QStringLiteral("Taşıyıcı Sistem Seviyesi (%)"), values.value(field::Level2));
    html += row(QStringLiteral("Sıva Seviyesi (%)"), values.value(field::Level3));
    html += row(QStringLiteral("Kalan İşler Seviyesi (%)"), values.value(field::Level4));
    html += row(QStringLiteral("Tespiti Yapan"), values.value(field::Inspector));
    html += row(QStringLiteral("T.C. Kimlik No"), values.value(field::IdNumber));
    html += row(QStringLiteral("Yapıdaki Gelişmeler"), values.value(field::Developments));
    html += row(QStringLiteral("Fotoğraf"),
                QStringLiteral("%1 (%2 bayt)").arg(fileName, QString::number(fileSize)));
    html += QStringLiteral("</table>\n<p><img src=\"/yds/rol/ydk/denetim/onizleme.jsf\" "
                           "alt=\"Fotoğraf\" class=\"onizleme\"></p>\n");
    html +=
        QStringLiteral(
            "<p class=\"beyan\">Girmiş olduğum denetim bilgilerinin ve fotoğrafın yapının "
            "bugünkü durumunu yansıttığını, kaydedilen bilginin daha sonra değiştirilemeyeceğini "
            "bildiğimi beyan ederim.</p>\n"
            "<p><input type=\"checkbox\" id=\"%1\" name=\"%1\" onclick=\"ydsBeyan(this);\"> "
            "<label for=\"%1\">Okudum, onaylıyorum.</label></p>\n<p>%2 %3</p>\n")
            .arg(field::Declaration,
                 submit(field::Save, QStringLiteral("Denetim Bilgisini Kaydet"),
                        QStringLiteral(" disabled=\"disabled\"")),
                 submit(field::Cancel, QStringLiteral("Vazgeç")));
    return html;
}

QString messagesContent(const QString &message)
{
    QString html;
    if (!message.isEmpty())
        html += QStringLiteral("<p class=\"bilgiText\">%1</p>\n").arg(esc(message));
    html +=
        QStringLiteral("<table class=\"liste\"><thead><tr><th>Tarih</th><th>Mesaj</th></tr></thead>"
                       "<tbody>\n<tr><td>01.12.2026</td><td>Sistem bakımı hafta sonu gece "
                       "saatlerinde yapılacaktır.</td></tr>\n</tbody></table>\n");
    return html;
}

QString errorContent()
{
    return QStringLiteral(
        "<p class=\"hataMesaji\">İşleminiz sırasında beklenmeyen bir hata oluştu. "
        "Lütfen ana sayfaya dönerek işleminizi tekrarlayınız.</p>\n");
}

QByteArray stylesheet()
{
    return QByteArrayLiteral(
        "body { font-family: Verdana, Arial, sans-serif; font-size: 12px; margin: 0; background: "
        "#f4f6f9; }\n"
        ".menu { background: #1f3f73; }\n"
        ".menuBar { list-style: none; margin: 0; padding: 0; }\n"
        ".menuBar li { display: inline-block; }\n"
        ".menuBar a { display: block; padding: 6px 12px; color: #fff; text-decoration: none; }\n"
        ".menuBar a:hover { background: #2f5aa0; }\n"
        ".ust { width: 100%; background: #fff; border-bottom: 2px solid #c8102e; }\n"
        ".ust .kullanici { text-align: right; color: #444; }\n"
        ".ustGiris { background: #fff; padding: 8px; border-bottom: 2px solid #c8102e; }\n"
        "form { margin: 10px; }\n"
        ".baslik { font-size: 16px; color: #1f3f73; }\n"
        "table.liste, table.detay, table.form { border-collapse: collapse; background: #fff; "
        "margin: 6px 0; }\n"
        "table.liste th { background: #dde4ef; }\n"
        "table.liste td, table.liste th, table.detay td, table.detay th, table.form th, table.form "
        "td "
        "{ border: 1px solid #c3cbd8; padding: 3px 6px; text-align: left; }\n"
        ".errorText { color: #c8102e; font-weight: bold; }\n"
        ".bilgiText { color: #1f6f2f; }\n"
        ".hataMesaji { color: #c8102e; }\n"
        ".uyari { color: #c8102e; }\n"
        ".mesaj td { color: #c8102e; font-weight: bold; }\n"
        ".girisKutusu { background: #fff; border: 1px solid #c3cbd8; margin-top: 20px; }\n"
        ".duyuru { margin: 20px; padding: 10px; background: #fff; }\n"
        ".onizleme { max-width: 320px; border: 1px solid #999; }\n"
        ".altbilgi { margin: 10px; color: #777; }\n"
        ".buton { padding: 2px 10px; }\n");
}

QByteArray script()
{
    return QByteArrayLiteral(
        "// JSCookMenu: the menu action goes through the hidden input of the first form,\n"
        "// prefixed with the id of the menu's element.\n"
        "function ydsMenu(action) {\n"
        "  var f = document.forms[0];\n"
        "  f.elements['jscook_action'].value = document.getElementsByTagName('div')[0].id + ':' + "
        "action;\n"
        "  f.submit();\n"
        "  return false;\n"
        "}\n"
        "function oamSubmitForm(formName, linkId) {\n"
        "  var f = document.forms[formName];\n"
        "  f.elements[formName + ':_link_hidden_'].value = linkId;\n"
        "  f.submit();\n"
        "  return false;\n"
        "}\n"
        "function ydsBeyan(box) {\n"
        "  document.getElementById('oyds_form:kaydet').disabled = !box.checked;\n"
        "}\n"
        "function ydsDosya(input) {\n"
        "  var note = document.getElementById('oyds_form:dosyaUyari');\n"
        "  if (input.value === '') { note.innerHTML = ''; return; }\n"
        "  var ok = /\\.jpe?g$/i.test(input.value) && input.getAttribute('data-kabul') !== '0';\n"
        "  if (!ok) {\n"
        "    input.value = '';\n"
        "    note.innerHTML = 'Seçilen dosya kabul edilmedi. Lütfen JPEG biçiminde bir fotoğraf "
        "seçiniz.';\n"
        "  } else {\n"
        "    note.innerHTML = '';\n"
        "  }\n"
        "}\n");
}

} // namespace ydssim::pages
