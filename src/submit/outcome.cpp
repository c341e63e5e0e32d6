#include "submit/outcome.h"

#include "platform/platform.h"
#include "startup/connection.h"
#include "startup/database.h"
#include "startup/recordedit.h"
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

namespace {
std::optional<RecordEdit> lookup(const QString &recordNumber)
{
    bool ok = false;
    const qlonglong n = recordNumber.toLongLong(&ok);
    return ok ? LookupYedek5(n) : std::nullopt;
}
} // namespace

std::optional<QSqlRecord> LookupRecordByNumber(const QString &recordNumber)
{
    const auto edit = lookup(recordNumber);
    return edit ? std::optional<QSqlRecord>(edit->record) : std::nullopt;
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

bool WriteOutcome(const QString &recordNumber, Outcome outcome, const QString &operatorName)
{
    std::optional<RecordEdit> edit = lookup(recordNumber);
    if (!edit)
        return false;
    const QDate today = platform::Platform::clock().today();
    switch (outcome) {
    case Outcome::Sent: {
        // The status text itself went in with the status note just before.
        const QString mobile = db::Text(edit->record, QStringLiteral("LocalImalatId"));
        if (!mobile.isEmpty())
            RunSqlChecked(QStringLiteral("update detay set MobilKullaniciId=Null where ID_=?"),
                          QStringLiteral("y3436"), false, false, {mobile});
        edit->setValue(QStringLiteral("bak_durum"), QStringLiteral("2"));
        edit->setValue(QStringLiteral("bak_tarih"), today);
        break;
    }
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
    }
    StampRecord(*edit, kStampOutcome, operatorName);
    return SaveRecord(*edit);
}

QString LookupSiteAda(const QString &yibfNumber)
{
    const auto rows =
        db::Select(y3436(), QStringLiteral("select ada from inşaat where yedek1=?"), {yibfNumber});
    if (!rows || rows->isEmpty())
        return {};
    return db::Text(rows->first(), QStringLiteral("ada"));
}
