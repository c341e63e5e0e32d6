#include "core/outcome.h"

#include "core/connection.h"
#include "core/database.h"
#include "core/recordedit.h"
#include "core/runsql.h"
#include "core/statustexts.h"
#include "platform/platform.h"

#include <QDate>
#include <QVariant>

bool StoreSubmissionEnd(qlonglong number, const std::optional<QString> &status,
                        const std::optional<Outcome> &stored, const QString &operatorName)
{
    std::optional<RecordEdit> edit = LookupYedek5(number);
    if (!edit)
        return false;
    if (status)
        edit->setValue(QStringLiteral("bakanlik_aciklama"), status->left(50));
    const QDate today = platform::Platform::clock().today();
    QString mobileDetail;
    if (stored) {
        switch (*stored) {
        case Outcome::Sent:
            mobileDetail = db::Text(edit->record, QStringLiteral("LocalImalatId"));
            edit->setValue(QStringLiteral("bak_durum"), QStringLiteral("2"));
            edit->setValue(QStringLiteral("bak_tarih"), today);
            break;
        case Outcome::NotSent:
            edit->setValue(QStringLiteral("bak_durum"), QStringLiteral("1"));
            edit->setValue(QStringLiteral("bak_tarih"), QVariant(QMetaType::fromType<QDate>()));
            edit->setValue(QStringLiteral("bakanlik_aciklama"), SubmitText::NotSent());
            break;
        case Outcome::SevenDay:
            edit->setValue(QStringLiteral("bak_durum"), QStringLiteral("2"));
            edit->setValue(QStringLiteral("bak_tarih"), today);
            edit->setValue(QStringLiteral("bakanlik_aciklama"), SubmitText::SevenDay());
            break;
        case Outcome::SameDay:
            edit->setValue(QStringLiteral("bak_durum"), QStringLiteral("2"));
            edit->setValue(QStringLiteral("bak_tarih"), today);
            edit->setValue(QStringLiteral("bakanlik_aciklama"), SubmitText::SameDay());
            break;
        }
    }
    StampRecord(*edit, stored ? kStampOutcome : kStampStatusNote, operatorName);
    // The record's text and state go in one statement: stored whole or not at all.
    if (!SaveRecord(*edit))
        return false;
    // The site's mobile detail is released once the record is sent; the record itself is what
    // keeps it from being sent again, so a failure here is the database routine's to report.
    if (!mobileDetail.isEmpty())
        RunSqlChecked(QStringLiteral("update detay set MobilKullaniciId=Null where ID_=?"),
                      QStringLiteral("y3436"), false, false, {mobileDetail});
    return true;
}

bool StoreStatusNote(qlonglong number, const QString &status, const QString &operatorName)
{
    return StoreSubmissionEnd(number, status, std::nullopt, operatorName);
}

bool RecordExists(qlonglong number)
{
    return LookupYedek5(number).has_value();
}

QString LookupSiteAda(const QString &yibfNumber)
{
    const auto rows =
        db::Select(ConnectionString(QStringLiteral("y3436")),
                   QStringLiteral("select ada from inşaat where yedek1=?"), {yibfNumber});
    if (!rows || rows->isEmpty())
        return {};
    return db::Text(rows->first(), QStringLiteral("ada"));
}
