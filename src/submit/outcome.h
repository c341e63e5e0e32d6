#pragma once

#include "submit/pagerules.h"

#include <QSqlRecord>
#include <QString>

#include <optional>

// The firm's database side of a submission's end: the record of the row being sent, its
// transmission state and change stamp. Every value is bound, never pasted into the statement.

// The record number of a list row's key ("f" + sayı): its characters 2 to 101.
QString RecordNumberFromKey(const QString &rowKey);

// The yedek5 record with this number, only when exactly one is found.
std::optional<QSqlRecord> LookupRecordByNumber(const QString &recordNumber);
// The same record as the new inspection form reads it.
std::optional<InspectionRecord> LookupInspectionRecord(const QString &recordNumber);

// The change code of an outcome (prog_ID 2003, StampRecord in startup/recordedit.h).
inline constexpr int kStampOutcome = 3;

enum class Outcome {
    Sent,     // "2", today, the mobile detail released
    NotSent,  // "1", no date, "Denetim Bilgisi Bakanlığa Gönderilemedi..."
    SevenDay, // "2", today, "7 gün içinde foto aktarıldığından gönderilmedi..."
};

// Writes the outcome into the record; false (nothing written) unless exactly one record has the
// number. The day is the platform clock's today.
bool WriteOutcome(const QString &recordNumber, Outcome outcome, const QString &operatorName);

// The site's ada by its YİBF number (inşaat.yedek1); empty when no row or a null ada.
QString LookupSiteAda(const QString &yibfNumber);
