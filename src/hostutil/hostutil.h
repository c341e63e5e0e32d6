#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Questions about the workstation, with the socket layer's failures reported in its own
// English messages (plain boxes); a failure gives "".
bool SocketsStart();
void SocketsStop();
QString QueryHostName();
QString QueryHostAddress();

// "major.minor.build.revision" of a file, each part a signed 16-bit number, or "".
QString FileVersionText(const QString &path);

// The user's temporary folder with its trailing separator, or "" when it does not fit the
// 100-character buffer the program reads it into.
QString TempFolder();

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
