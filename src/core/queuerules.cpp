#include "core/queuerules.h"

#include "platform/paths.h"

#include <QFileInfo>
#include <QImageReader>

#include <cmath>

namespace queue {

int TwipsToPixels(int twips)
{
    return twips / 15;
}

const QList<ListColumn> &PendingListColumns()
{
    static const QList<ListColumn> columns = {
        {QStringLiteral("Sıra"), 750},
        {QStringLiteral("YİBF No"), 825},
        {QStringLiteral("Pafta/Ada/Parsel"), 1550},
        {QStringLiteral("Yapı Sahibi"), 1550},
        {QStringLiteral("Müteahhit"), 1550},
        {QStringLiteral("Fotoğraf"), 1550},
        {QStringLiteral("Yapıdaki Gelişmeler"), 1550},
        {QStringLiteral("Açıklama"), 1550},
        {QStringLiteral("Toplam %"), 1550},
        {QStringLiteral("Durum"), 1550},
        {QStringLiteral("Fotoğraf Yolu"), 1550},
    };
    return columns;
}

QString PendingListQuery(bool restricted)
{
    // The user name is bound, so a quote in it cannot change the statement.
    return QStringLiteral("select inşaat.sayi,yedek5.sayı,yedek5.tarih,yedek5.alan1,yedek5.ada,"
                          "(inşaat.yedek1) as yibfno,arsasahibi,müteahhit,yedek5.alan2,"
                          "yedek5.aciklama,yedek5.toplam,yedek5.sayı,bak_tarih,kat,blok from "
                          "inşaat inner join yedek5 on inşaat.ada=yedek5.ada where "
                          "bak_durum='1' and bak_tarih is null ") +
           (restricted ? QStringLiteral(" and firma =?") : QString()) +
           QStringLiteral(" order by tarih");
}

QString DetailsQuery()
{
    return QStringLiteral(
        "select yedek5.alan1,yedek5.alan2,yedek5.aciklama,gonderen,gonderentc,yedek5.sev1,"
        "yedek5.sev2,yedek5.sev3,yedek5.sev4,yedek5.toplam,inşaat.yedek1 as yibf,inşaat.ada "
        "from yedek5 inner join inşaat on inşaat.ada=yedek5.ada where yedek5.sayı=?");
}

bool HasJpgExtension(const QString &fileName)
{
    return platform::asciiLower(fileName.right(4)) == QStringLiteral(".jpg");
}

int LeadingInt(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        ++i;
    while (i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9'))
        ++i;
    return t.left(i).toInt();
}

bool IsSettledStatus(const QString &status)
{
    return status == StatusQueued() || status == StatusSent() || status == StatusSevenDays();
}

CountdownStep Countdown(int elapsed, int total)
{
    if (elapsed == 0)
        return {CountdownStep::Hide, {}};
    if (elapsed >= total + 1)
        return {CountdownStep::Expire, {}};
    const int r = total - elapsed;
    if (r >= 2)
        return {CountdownStep::Show,
                QStringLiteral("Bekleme Süresi  : ") + QString::number(r) + QStringLiteral(" sn.")};
    return {CountdownStep::Show, QStringLiteral("Fotoğraf Gönderimi Başlıyor")};
}

QList<CheckFailure> FieldFailures(const QString &alan2, const QString &gonderen,
                                  const QString &gonderentc)
{
    QList<CheckFailure> failures;
    if (alan2.isEmpty())
        failures.append({QStringLiteral("Yapıdaki Gelişmeler Bilgisi Bulunamadı"), false,
                         QStringLiteral("f8")});
    if (gonderen.isEmpty())
        failures.append({QStringLiteral("Fotoğrafı Gönderen Bilgisi Bulunamadı..."), true,
                         QStringLiteral("f10")});
    if (gonderentc.isEmpty())
        failures.append({QStringLiteral("Fotoğrafı Gönderen TC Numarası Bilgisi Bulunamadı..."),
                         true, QStringLiteral("f11")});
    return failures;
}

CheckFailure PhotoMissingFailure()
{
    return {QStringLiteral("Fotoğraf Bulunamadı..."), true, {}};
}

double RoundedKb(qint64 bytes)
{
    // bytes / 1024 never ends in exactly 5 hundredths, so halves need no special rounding.
    return std::round(double(bytes) / 1024.0 * 10.0) / 10.0;
}

QString SizeText(qint64 bytes)
{
    // Written as the Turkish desktop writes a number: decimal comma, no ".0" on whole values.
    QString n = QString::number(RoundedKb(bytes), 'f', 1);
    if (n.endsWith(QStringLiteral(".0")))
        n.chop(2);
    n.replace(QLatin1Char('.'), QLatin1Char(','));
    return n + QStringLiteral(" Kbayt");
}

std::optional<CheckFailure> SizeFailure(qint64 bytes)
{
    if (RoundedKb(bytes) > 1024.0)
        return CheckFailure{QStringLiteral("Dosya boyutu 1 Mb'dan Büyük..."), true, {}};
    return std::nullopt;
}

QList<CheckFailure> DimensionFailures(const QSize &pixels)
{
    const CheckFailure f{QStringLiteral("Resim Ebatlarını Kontrol Ediniz"), true,
                         QStringLiteral("f16")};
    const int w = pixels.width();
    const int h = pixels.height();
    const bool landscape = w > h;
    const int maxW = landscape ? 1100 : 700;
    const int maxH = landscape ? 700 : 1100;
    QList<CheckFailure> failures;
    if (w > maxW)
        failures.append(f);
    if (h > maxH)
        failures.append(f);
    return failures;
}

QString DimensionText(const QSize &pixels)
{
    return QString::number(pixels.width()) + QStringLiteral(" x ") +
           QString::number(pixels.height());
}

PhotoFacts MeasurePhoto(const QString &path)
{
    PhotoFacts facts;
    facts.bytes = QFileInfo(path).size();
    facts.pixels = QImageReader(path).size();
    return facts;
}

const QList<DetailRow> &DetailRows()
{
    static const QList<DetailRow> rows = {
        {QStringLiteral("f1"), QStringLiteral("YİBF No")},
        {QStringLiteral("f2"), QStringLiteral("Pafta/Ada/Parsel")},
        {QStringLiteral("f3"), QStringLiteral("Subasman %")},
        {QStringLiteral("f4"), QStringLiteral("Taşıyıcı Sistem %")},
        {QStringLiteral("f5"), QStringLiteral("Sıvaya Hazır Durum %")},
        {QStringLiteral("f6"), QStringLiteral("Kalan %")},
        {QStringLiteral("f7"), QStringLiteral("Toplam %")},
        {QStringLiteral("f8"), QStringLiteral("Yapıdaki Gelişmeler")},
        {QStringLiteral("f9"), QStringLiteral("Açıklama")},
        {QStringLiteral("f10"), QStringLiteral("Fotoğrafın Gönderen")},
        {QStringLiteral("f11"), QStringLiteral("Fotoğrafın Gönderen TC Numarası")},
        {QStringLiteral("f12"), QStringLiteral("Fotoğraf Adı")},
    };
    return rows;
}

} // namespace queue
