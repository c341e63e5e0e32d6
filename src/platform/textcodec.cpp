#include "platform/textcodec.h"

#include <QStringList>

namespace platform {

namespace {
// Windows-1254 bytes 0x80..0x9F; 0 marks an unused byte.
constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0,      0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0,      0x0178};

// The six places where Windows-1254 differs from Latin-1 above 0x9F.
struct Turkish
{
    unsigned char byte;
    char16_t code;
};
constexpr Turkish kTurkish[] = {{0xD0, 0x011E}, {0xDD, 0x0130}, {0xDE, 0x015E},
                                {0xF0, 0x011F}, {0xFD, 0x0131}, {0xFE, 0x015F}};

char16_t decodeByte(unsigned char b)
{
    if (b < 0x80)
        return b;
    if (b < 0xA0)
        return kHigh[b - 0x80] ? kHigh[b - 0x80] : char16_t(0xFFFD);
    for (const auto &t : kTurkish)
        if (t.byte == b)
            return t.code;
    return b;
}
} // namespace

QByteArray encodeAnsi(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        int found = -1;
        for (int b = 0; b < 256 && found < 0; ++b)
            if (decodeByte(static_cast<unsigned char>(b)) == u)
                found = b;
        out.append(found >= 0 ? char(found) : '?');
    }
    return out;
}

QString decodeAnsi(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (const char b : bytes)
        out.append(QChar(decodeByte(static_cast<unsigned char>(b))));
    return out;
}

QStringList splitLines(const QString &text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = t.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace platform
