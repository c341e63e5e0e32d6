#include "submit/outcome.h"

#include "platform/platform.h"
#include "startup/connection.h"
#include "startup/database.h"
#include "startup/runsql.h"
#include "submit/statustexts.h"

#include <QDate>
#include <QVariant>

namespace {
QString y3436()
{
    return ConnectionString(QStringLiteral("y3436"));
}
} // namespace

QString RecordNumberFromKey(const QString &rowKey)
{
    return rowKey.mid(1, 100);
}

std::optional<QSqlRecord> LookupRecordByNumber(const QString &recordNumber)
{
    const auto rows =
        db::Select(y3436(), QStringLiteral("select * from yedek5 where sayı=?"), {recordNumber});
    if (!rows || rows->size() != 1)
        return std::nullopt;
    return rows->first();
}

std::optional<InspectionRecord> LookupInspectionRecord(const QString &recordNumber)
{
    const auto rec = LookupRecordByNumber(recordNumber);
    if (!rec)
        return std::nullopt;
    const auto t = [&](const char *column) { return db::Text(*rec, QString::fromUtf8(column)); };
    InspectionRecord r;
    r.sev1 = t("sev1");
    r.sev2 = t("sev2");
    r.sev3 = t("sev3");
    r.sev4 = t("sev4");
    r.gonderen = t("gonderen");
    r.gonderentc = t("gonderentc");
    r.alan2 = t("alan2");
    r.alan1 = t("alan1");
    r.ada = t("ada");
    return r;
}

QString StampOperator(const QString &operatorName)
{
    return operatorName.left(20);
}

bool WriteOutcome(const QString &recordNumber, Outcome outcome, const QString &operatorName)
{
    const auto rec = LookupRecordByNumber(recordNumber);
    if (!rec)
        return false;
    const QDate today = platform::Platform::clock().today();
    const QVariant stampUser = StampOperator(operatorName);
    const QVariant stampCode = 2000 + kStampOutcome;
    const QVariant number = rec->value(QStringLiteral("sayı"));
    switch (outcome) {
    case Outcome::Sent: {
        // The status text itself went in with the status note just before.
        const QString mobile = db::Text(*rec, QStringLiteral("LocalImalatId"));
        if (!mobile.isEmpty())
            RunSqlChecked(QStringLiteral("update detay set MobilKullaniciId=Null where ID_=?"),
                          QStringLiteral("y3436"), false, false, {mobile});
        return db::Exec(y3436(),
                        QStringLiteral("update yedek5 set bak_durum=?, bak_tarih=?, kullanici=?, "
                                       "prog_ID=? where sayı=?"),
                        {QStringLiteral("2"), today, stampUser, stampCode, number});
    }
    case Outcome::NotSent:
        return db::Exec(y3436(),
                        QStringLiteral("update yedek5 set bak_durum=?, bak_tarih=?, "
                                       "bakanlik_aciklama=?, kullanici=?, prog_ID=? where sayı=?"),
                        {QStringLiteral("1"), QVariant(QMetaType::fromType<QDate>()),
                         SubmitText::NotSent(), stampUser, stampCode, number});
    case Outcome::SevenDay:
        return db::Exec(
            y3436(),
            QStringLiteral("update yedek5 set bak_durum=?, bak_tarih=?, "
                           "bakanlik_aciklama=?, kullanici=?, prog_ID=? where sayı=?"),
            {QStringLiteral("2"), today, SubmitText::SevenDay(), stampUser, stampCode, number});
    }
    return false;
}

QString LookupSiteAda(const QString &yibfNumber)
{
    const auto rows =
        db::Select(y3436(), QStringLiteral("select ada from inşaat where yedek1=?"), {yibfNumber});
    if (!rows || rows->isEmpty())
        return {};
    return db::Text(rows->first(), QStringLiteral("ada"));
}
