#include "core/portalmessages.h"

#include "core/portalcontract.h"

#include <QStringList>

namespace {
QString fold(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u == u'I' || u == u'İ' || u == u'ı')
            c = QLatin1Char('i');
    }
    return out.toCaseFolded();
}
} // namespace

qsizetype IndexOfTextCompare(const QString &haystack, const QString &needle, qsizetype from)
{
    // Folding keeps every character one code unit here, so positions carry over.
    return fold(haystack).indexOf(fold(needle), from);
}

bool FrontPageShowsOutage(const QString &bodyOuterHtml, const QString &headOuterHtml)
{
    static const QStringList inBody{
        QStringLiteral("Kullanim Disidir"), QStringLiteral("Sunucu bulunamıyor"),
        QStringLiteral("canceled"),         QStringLiteral("Gezinme İptal Edildi"),
        QStringLiteral("cannot display"),   QStringLiteral("görüntüleyemiyor")};
    static const QStringList inDocument{
        QStringLiteral("kullanım dışıdır"), QStringLiteral("Sunucu bulunamıyor"),
        QStringLiteral("cannot display"),   QStringLiteral("canceled"),
        QStringLiteral("görüntüleyemiyor"), QStringLiteral("Gezinme İptal Edildi")};
    for (const QString &t : inBody)
        if (IndexOfTextCompare(bodyOuterHtml, t) >= 0)
            return true;
    // The document is its head and its body: read apart, the page's markup is not serialised
    // twice.
    for (const QString &t : inDocument)
        if (IndexOfTextCompare(headOuterHtml, t) >= 0 || IndexOfTextCompare(bodyOuterHtml, t) >= 0)
            return true;
    return false;
}

std::optional<QString> CaptureLoginMessage(const QString &t)
{
    // The old reader counted positions from 1 and treated 0 as "absent"; here -1 is absent and
    // every search starts one character after the previous find, as it did.
    const qsizetype p0 = t.indexOf(portal::ForgottenPasswordImage()); // exact
    const qsizetype p1 =
        t.indexOf(QStringLiteral("<div"), p0 < 0 ? 0 : p0 + 1, Qt::CaseInsensitive);
    if (p1 < 0)
        return std::nullopt;
    const qsizetype p2 = t.indexOf(QStringLiteral("</div>"), p1 + 1, Qt::CaseInsensitive);
    const qsizetype p3 = t.indexOf(QStringLiteral("<td>"), p1 + 1, Qt::CaseInsensitive);
    const qsizetype p4 = t.indexOf(QStringLiteral("</td>"), p1 + 1, Qt::CaseInsensitive);
    if (p3 < 0 || p4 < 0 || p2 < 0 || !(p3 < p4 && p4 < p2))
        return std::nullopt;
    return t.mid(p3 + 4, p4 - (p3 + 4));
}

QString OutageMessage()
{
    return QStringLiteral("Yapı Denetim Sistemi Uygulaması Kullanım Dışıdır.");
}

QString PortalMessageText(const QString &message)
{
    return QStringLiteral("Bakanlık Sayfasından aşağıdaki mesaj alınmıştır : ") +
           QStringLiteral("\r\n") + message + QStringLiteral("\r\n\r\n") +
           QStringLiteral("Bu mesajın içeriği bakanlık web sayfasından alınmıştır. İçerik için "
                          "ilgili kurumu arayınız...");
}
