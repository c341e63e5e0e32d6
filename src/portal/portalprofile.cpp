#include "portal/portalprofile.h"

#include "core/hostutil.h"
#include "hostutil/urlcache.h"

#include <QCoreApplication>
#include <QSet>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>

namespace {

// "Do not read from and do not write to the browser cache" for every portal request.
class NoCacheInterceptor : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        info.setHttpHeader("Cache-Control", "no-cache, no-store");
        info.setHttpHeader("Pragma", "no-cache");
        if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame)
            visited().insert(info.requestUrl().toString());
    }
    static QSet<QString> &visited()
    {
        static QSet<QString> v;
        return v;
    }
};

} // namespace

QWebEngineProfile *PortalProfile()
{
    static QWebEngineProfile *profile = [] {
        // Off the record: cookies and storage in memory only, gone with the program.
        auto *p = new QWebEngineProfile(qApp);
        p->setHttpCacheType(QWebEngineProfile::NoCache);
        p->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        p->setUrlRequestInterceptor(new NoCacheInterceptor(p));
        // The URL cache of this profile is the set of addresses it has visited.
        SetUrlCacheProvider({[] { return QStringList(NoCacheInterceptor::visited().values()); },
                             [p](const QString &url) {
                                 NoCacheInterceptor::visited().remove(url);
                                 p->clearVisitedLinks({QUrl(url)});
                             }});
        return p;
    }();
    return profile;
}
