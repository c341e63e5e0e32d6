// Stands in for the photo preparation until it is built with the queue library; the tests
// replace the preparation itself through frm_giris::prepare.
#include "queue/photoprep.h"

QString SiteFolderName(const QString &ada)
{
    QString name = ada;
    for (const char16_t c : {u',', u'/', u':', u'*', u'?', u'\\', u'<', u'>', u' ', u'"'})
        name.replace(QChar(c), QLatin1Char('_'));
    name.remove(QLatin1Char('\r'));
    return name;
}

QString AsciiFold(const QString &text)
{
    return text;
}

void RunAndWait(const QString &, int) {}

void StampPhoto(const QString &, const QString &, const QString &, const QString &, const QString &)
{
}

void PrepareRecordPhoto(const PendingPhoto &, const QString &, const QString &) {}

QString SitePhotoFolder(const QString &ortak, const QString &ada)
{
    return ortak + QStringLiteral("\\fotograflar\\") + SiteFolderName(ada);
}
