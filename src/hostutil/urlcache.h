#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The embedded browser's URL cache. The portal's browser profile keeps no HTTP cache, so its
// entries are the addresses it has visited; the browser layer supplies them and the deletion.
struct UrlCacheProvider
{
    std::function<QStringList()> list;
    std::function<void(const QString &)> remove;
};
void SetUrlCacheProvider(UrlCacheProvider provider);

// Lists the cache's normal entries into the work list.
QStringList ListUrlCache();

// Empties the cache, showing the progress window frm_temp_sil meanwhile. Never touches the
// browser's cookies: the portal session survives.
void ClearUrlCache();
