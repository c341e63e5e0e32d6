#include "core/addresses.h"

#include "core/portalcontract.h"
#include "platform/deployment.h"

namespace {
QString host(QString h)
{
    while (h.endsWith(QLatin1Char('/')))
        h.chop(1);
    return h;
}
} // namespace

QString PortalAppUrl(const QString &path)
{
    return host(platform::Deployment::current().portalAppHost) + path;
}

QString LoginPageUrl()
{
    return PortalAppUrl(portal::LoginPath());
}

QString CaptchaUrl()
{
    return PortalAppUrl(portal::CaptchaPath());
}

QString FrontPageUrl()
{
    return host(platform::Deployment::current().portalFrontHost) + QLatin1Char('/');
}

bool IsLoginPage(const QString &address)
{
    return address == LoginPageUrl();
}

bool IsFrontPage(const QString &address)
{
    const QString front = FrontPageUrl();
    return address == front || address == front.left(front.size() - 1);
}

bool RefuseNavigation(const QString &currentAddress, const QString &target)
{
    return IsLoginPage(currentAddress) && target == FrontPageUrl();
}

bool PortalConfigured()
{
    const auto &d = platform::Deployment::current();
    return !host(d.portalAppHost).isEmpty() && !host(d.portalFrontHost).isEmpty();
}

QString PortalNotConfiguredText()
{
    return QStringLiteral("Bakanlık sitesinin adresi ayarlanmamış...\r"
                          "Lütfen tarvek-deployment.ini dosyasını kontrol ediniz...");
}
