#include "walk.h"

#include "pages.h"

#include <QMap>

namespace ydssim::testing {

namespace f = ydssim::pages::field;

QStringList walkSteps()
{
    return QStringLiteral("front login-page login top main menu-main menu-search search open list "
                          "new continue save")
        .split(QLatin1Char(' '));
}

PortalClient::Page walkTo(Simulator &sim, PortalClient &c, const QString &until,
                          const WalkInput &in, const QString &from)
{
    const QString login = QStringLiteral("/yds/rol/ziyaretci/LA_G_Z_K.jsf");
    const QString main = QStringLiteral("/yds/rol/ydk/main.jsf");
    const QString search = QStringLiteral("/yds/rol/ydk/yibf/YHHYL.jsf");
    const QString menu = QStringLiteral("_idJsp0:A]");
    // The postbacks: address and fields (after the empty menu input, where it is sent).
    const QMap<QString, QPair<QString, PortalClient::Fields>> posts{
        {"menu-main", {main, {{f::Menu, menu + "MAIN_L"}}}},
        {"menu-search", {main, {{f::Menu, menu + "#{yibfBean.hazirlaYHHYL}"}}}},
        {"search",
         {search,
          {{f::Menu, {}}, {f::SearchNo, in.yibf}, {f::SearchButton, "Bul"}, {f::LinkHidden, {}}}}},
        {"open",
         {search,
          {{f::Menu, {}},
           {f::SearchNo, in.yibf},
           {f::LinkHidden, QStringLiteral("oyds_form:dataTable:0:_idJsp52")}}}},
        {"list",
         {"/yds/rol/ydk/yibf/YHHYR.jsf", {{f::Menu, {}}, {f::Inspections, "Denetim Bilgileri"}}}},
        {"new",
         {"/yds/rol/ydk/denetim/DYDYL.jsf",
          {{f::Menu, {}}, {f::NewInspection, "Yeni Denetim Bilgisi"}}}},
        {"save",
         {"/yds/rol/ydk/denetim/DYDYO.jsf",
          {{f::Menu, {}}, {f::Declaration, "on"}, {f::Save, "Denetim Bilgisini Kaydet"}}}}};
    PortalClient::Page page;
    const QStringList steps = walkSteps().mid(from.isEmpty() ? 0 : walkSteps().indexOf(from));
    for (const QString &step : steps) {
        if (step == QLatin1String("front")) {
            page = PortalClient(sim.frontBase()).get(QStringLiteral("/"));
        } else if (step == QLatin1String("login-page")) {
            page = c.get(login);
            c.get(QStringLiteral("/yds/jcaptcha"));
        } else if (step == QLatin1String("login")) {
            page = c.post(login, {{f::User, in.user},
                                  {f::Password, in.password},
                                  {f::Code, sim.latestCode(c.sessionId())},
                                  {f::LoginButton, QStringLiteral("Giriş")}});
        } else if (step == QLatin1String("top")) {
            page = c.get(QStringLiteral("/yds/rol/common/top.jsf"));
        } else if (step == QLatin1String("main")) {
            page = c.get(main);
        } else if (step == QLatin1String("continue")) {
            page = c.postMultipart(QStringLiteral("/yds/rol/ydk/denetim/DYDYI.jsf"),
                                   {{f::Menu, QString()},
                                    {f::Level1, in.levels[0]},
                                    {f::Level2, in.levels[1]},
                                    {f::Level3, in.levels[2]},
                                    {f::Level4, in.levels[3]},
                                    {f::Inspector, in.inspector},
                                    {f::IdNumber, in.idNumber},
                                    {f::Developments, in.developments},
                                    {f::Continue, QStringLiteral("Devam")}},
                                   in.fileName.isEmpty() ? QString() : f::File, in.fileName,
                                   in.photo.isNull() ? sampleJpeg() : in.photo);
        } else {
            page = c.post(posts[step].first, posts[step].second);
        }
        if (step == until)
            break;
    }
    return page;
}

} // namespace ydssim::testing
