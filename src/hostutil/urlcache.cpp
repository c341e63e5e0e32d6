#include "hostutil/urlcache.h"

#include "hostutil/frm_temp_sil.h"

namespace {
UrlCacheProvider &provider()
{
    static UrlCacheProvider p;
    return p;
}
} // namespace

void SetUrlCacheProvider(UrlCacheProvider p)
{
    provider() = std::move(p);
}

QStringList ListUrlCache()
{
    return provider().list ? provider().list() : QStringList();
}

void ClearUrlCache()
{
    const QStringList entries = ListUrlCache();
    frm_temp_sil window;
    window.ProgressBar1->setMaximum(qMax(0, int(entries.size()) - 1));
    window.show();
    for (int i = 0; i < entries.size(); ++i) {
        window.ProgressBar1->setValue(i);
        if (provider().remove)
            provider().remove(entries.at(i));
    }
    window.close();
}
