#pragma once

#include "core/queuerules.h"

#include <QString>

// Every text the submission writes into a row's status or shows the operator. CR is "\r", as the
// status column and the message boxes received it.
namespace SubmitText {

// Row status texts (sub-item 9, stored with the record).
// The texts the main window's list knows too come from its rules.
inline QString Queued()
{
    return queue::StatusQueued();
}
inline QString Sent()
{
    return queue::StatusSent();
}
inline QString NotSent()
{
    return QStringLiteral("Denetim Bilgisi Bakanlığa Gönderilemedi...");
}
inline QString SevenDay()
{
    return queue::StatusSevenDays();
}
// The portal stored the record under another day than today (its own clock, a save across
// midnight): sent all the same, and the operator is asked to look.
inline QString SavedOtherDay(const QString &portalDate)
{
    return QStringLiteral("Bakanlık, kaydı ") + portalDate +
           QStringLiteral(" tarihiyle oluşturdu; kontrol ediniz...");
}
// The site's inspection list already held a record dated today: not sent again.
inline QString SameDay()
{
    return QStringLiteral("Bugün bu YİBF için Denetim Bilgisi zaten kayıtlı, tekrar "
                          "gönderilmedi...");
}
// A record sent whose proof could not be kept: still sent, and the operator is told.
inline QString WithoutProof(const QString &status)
{
    return status + QStringLiteral(" (kanıt kaydedilemedi)");
}
inline QString Cancelled()
{
    return QStringLiteral("Gönderim iptal edildi...");
}
inline QString Hang()
{
    return QStringLiteral("İPTAL (90 sn)");
}
inline QString ConfirmationCancelled()
{
    return QStringLiteral("Onaylama iptal edildi...");
}
inline QString YibfNotFound()
{
    return QStringLiteral("YİBF Bulunamadı...");
}
inline QString SearchEmpty(const QString &yibf)
{
    return QStringLiteral("BAKANLIK SİTESİNDE ") + yibf +
           QStringLiteral(" NOLU YİBF BULUNAMADI...");
}
inline QString PortalError(const QString &yibf, const QString &message)
{
    return QStringLiteral("YİBF NO: ") + yibf + message +
           QStringLiteral("\r\rBU MESAJ YAPI DENETİM KOMİSYONU WEB SİTESİNİN HATA MESAJIDIR...");
}
// previous: the previous inspection's percentage as the operator reads it (see FormatPercentage).
inline QString PercentageTooLow(const QString &previous)
{
    return QStringLiteral("Gerçekleşme Oranı bir önceki Denetim bilgisinin Gerçekleşme Oranını "
                          "Geçmedi...\rBir önceki Denetim Bilgisi Gerçekleşme Oranı : ") +
           previous;
}
inline QString FileMissing(const QString &file)
{
    return file + QStringLiteral(" dosyasına ulaşılamadı...");
}

// Message boxes.
inline QString ErrorPage()
{
    return QStringLiteral(
        "Bakanlık web sayfası hata sayfasına düşmüştür.\r\nTarvek FOTO uygulamasını yeniden "
        "başlatınız...");
}
inline QString UnknownCode(const QString &code)
{
    return QStringLiteral("Lütfen Bu mesajı Kora Bilişime Bildiriniz...\rHata Kodu : ") + code;
}
inline QString SendingDone()
{
    return QStringLiteral("Gönderim Tamamlanmıştır...");
}
inline QString TempNotEmptied()
{
    return QStringLiteral("HATA NO : 753890\rTEMP Klasörü Boşaltılamadığından Gönderim İşlemi "
                          "DURDURULMUŞTUR...\rLütfen durumu KORA BİLİŞİM'e BİLDİRİNİZ...");
}
inline QString TempCopyMissing()
{
    return QStringLiteral("HATA NO : 753891\rDosya TEMP Klasörüne Taşınamadığından Gönderim "
                          "İşlemi DURDURULMUŞTUR...\rLütfen durumu KORA BİLİŞİM'e BİLDİRİNİZ...");
}
inline QString AttachFailed(const QString &file)
{
    return file + QStringLiteral(" dosyası eklenemiyor...\rLütfen Dosyayı Elle Ekleyiniz...");
}
// The firm's database refused to store how a submission ended: the queue stops there.
inline QString OutcomeNotStored(bool portalHolds)
{
    return QStringLiteral("Gönderim sonucu veritabanına yazılamadı...\r") +
           (portalHolds ? QStringLiteral("Denetim Bilgisi Bakanlığa gönderildi: bu fotoğrafı "
                                         "tekrar GÖNDERMEYİNİZ...\r")
                        : QString()) +
           QStringLiteral("Sıra ile gönderim durduruldu. Lütfen veritabanı bağlantınızı kontrol "
                          "ediniz...");
}

// The window's caption while a row is sent: k of n.
inline QString Caption(int k, int n)
{
    return QString::number(k) + QLatin1Char('/') + QString::number(n) +
           QStringLiteral(" FOTOĞRAF Aktarılıyor...");
}

} // namespace SubmitText
