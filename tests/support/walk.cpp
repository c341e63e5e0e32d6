#include "walk.h"

#include "pages.h"

namespace ydssim::testing {

namespace f = ydssim::pages::field;

QStringList walkSteps()
{
    return {
        QStringLiteral("front"),       QStringLiteral("login-page"), QStringLiteral("login"),
        QStringLiteral("top"),         QStringLiteral("main"),       QStringLiteral("menu-main"),
        QStringLiteral("menu-search"), QStringLiteral("search"),     QStringLiteral("open"),
        QStringLiteral("list"),        QStringLiteral("new"),        QStringLiteral("continue"),
        QStringLiteral("save")};
}

PortalClient::Page walkTo(Simulator &sim, PortalClient &c, const QString &until,
                          const WalkInput &in, const QString &from)
{
    const QString main = QStringLiteral("/yds/rol/ydk/main.jsf");
    const QString menu = QStringLiteral("_idJsp0:");
    PortalClient front(sim.frontBase());
    PortalClient::Page page;
    const QStringList steps = walkSteps().mid(from.isEmpty() ? 0 : walkSteps().indexOf(from));
    for (const QString &step : steps) {
        if (step == QLatin1String("front")) {
            page = front.get(QStringLiteral("/"));
        } else if (step == QLatin1String("login-page")) {
            page = c.get(QStringLiteral("/yds/rol/ziyaretci/LA_G_Z_K.jsf"));
            c.get(QStringLiteral("/yds/jcaptcha"));
        } else if (step == QLatin1String("login")) {
            page = c.post(QStringLiteral("/yds/rol/ziyaretci/LA_G_Z_K.jsf"),
                          {{f::User, in.user},
                           {f::Password, in.password},
                           {f::Code, sim.latestCode(c.sessionId())},
                           {f::LoginButton, QStringLiteral("Giriş")}});
        } else if (step == QLatin1String("top")) {
            page = c.get(QStringLiteral("/yds/rol/common/top.jsf"));
        } else if (step == QLatin1String("main")) {
            page = c.get(main);
        } else if (step == QLatin1String("menu-main")) {
            page = c.post(main, {{f::Menu, menu + QStringLiteral("A]MAIN_L")}});
        } else if (step == QLatin1String("menu-search")) {
            page = c.post(main, {{f::Menu, menu + QStringLiteral("A]#{yibfBean.hazirlaYHHYL}")}});
        } else if (step == QLatin1String("search")) {
            page = c.post(QStringLiteral("/yds/rol/ydk/yibf/YHHYL.jsf"),
                          {{f::Menu, QString()},
                           {f::SearchNo, in.yibf},
                           {f::SearchButton, QStringLiteral("Bul")},
                           {f::LinkHidden, QString()}});
        } else if (step == QLatin1String("open")) {
            page = c.post(QStringLiteral("/yds/rol/ydk/yibf/YHHYL.jsf"),
                          {{f::Menu, QString()},
                           {f::SearchNo, in.yibf},
                           {f::LinkHidden, QStringLiteral("oyds_form:dataTable:0:_idJsp52")}});
        } else if (step == QLatin1String("list")) {
            page = c.post(
                QStringLiteral("/yds/rol/ydk/yibf/YHHYR.jsf"),
                {{f::Menu, QString()}, {f::Inspections, QStringLiteral("Denetim Bilgileri")}});
        } else if (step == QLatin1String("new")) {
            page = c.post(
                QStringLiteral("/yds/rol/ydk/denetim/DYDYL.jsf"),
                {{f::Menu, QString()}, {f::NewInspection, QStringLiteral("Yeni Denetim Bilgisi")}});
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
        } else if (step == QLatin1String("save")) {
            page = c.post(QStringLiteral("/yds/rol/ydk/denetim/DYDYO.jsf"),
                          {{f::Menu, QString()},
                           {f::Declaration, QStringLiteral("on")},
                           {f::Save, QStringLiteral("Denetim Bilgisini Kaydet")}});
        }
        if (step == until)
            break;
    }
    return page;
}

} // namespace ydssim::testing
