#include "platform/fileversion.h"

#include <QByteArrayView>
#include <QFile>

namespace platform {

namespace {
// Built at run time so this code itself never contains the whole marker.
QByteArray markerPrefix()
{
    QByteArray m("$TARVEK-FILE");
    m += QByteArrayView("-VERSION$:");
    return m;
}

std::optional<FileVersion> parseAt(const uchar *p, const uchar *end)
{
    FileVersion v{};
    for (int part = 0; part < 4; ++part) {
        quint32 n = 0;
        int digits = 0;
        while (p < end && *p >= '0' && *p <= '9' && digits < 6) {
            n = n * 10 + (*p - '0');
            ++p;
            ++digits;
        }
        if (digits == 0 || n > 0xFFFF || p >= end)
            return std::nullopt;
        v[size_t(part)] = quint16(n);
        const uchar sep = part < 3 ? '.' : ';';
        if (*p != sep)
            return std::nullopt;
        ++p;
    }
    return v;
}
} // namespace

std::optional<FileVersion> readFileVersion(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() == 0)
        return std::nullopt;
    const uchar *data = f.map(0, f.size());
    if (!data)
        return std::nullopt;
    const QByteArray prefix = markerPrefix();
    const QByteArrayView all(reinterpret_cast<const char *>(data), f.size());
    qsizetype from = 0;
    while (true) {
        const qsizetype at = all.indexOf(prefix, from);
        if (at < 0)
            return std::nullopt;
        const uchar *p = data + at + prefix.size();
        if (auto v = parseAt(p, data + f.size()))
            return v;
        from = at + 1;
    }
}

FileVersion ownVersion()
{
    return {TARVEK_VERSION_MAJOR, TARVEK_VERSION_MINOR, TARVEK_VERSION_BUILD,
            TARVEK_VERSION_REVISION};
}

} // namespace platform
