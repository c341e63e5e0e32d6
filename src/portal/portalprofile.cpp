#include "portal/portalprofile.h"

#include <QCoreApplication>
#include <QWebEngineProfile>

QWebEngineProfile *PortalProfile()
{
    static QWebEngineProfile *profile = [] {
        // Off the record: no cache or cookies on disk; the cache type must be set before the
        // first load.
        auto *p = new QWebEngineProfile(QCoreApplication::instance());
        p->setHttpCacheType(QWebEngineProfile::NoCache);
        return p;
    }();
    return profile;
}
