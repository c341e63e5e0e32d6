#pragma once

#include <QString>

#include <optional>

// The firm's database side of a submission's end. Every value is bound, never pasted into the
// statement.

enum class Outcome {
    Sent,     // "2", today, the mobile detail released
    NotSent,  // "1", no date, "Denetim Bilgisi Bakanlığa Gönderilemedi..."
    SevenDay, // "2", today, "7 gün içinde foto aktarıldığından gönderilmedi..."
    SameDay,  // "2", today, "Bugün bu YİBF için Denetim Bilgisi zaten kayıtlı, ..."
};

// Whether the portal holds a record of the site for this end, so the record must never be sent
// again (what the operator is told when the database refuses it).
inline bool PortalHoldsRecord(const std::optional<Outcome> &stored)
{
    return stored == Outcome::Sent || stored == Outcome::SameDay;
}

// Change codes of the stamp (prog_ID = 2000 + code).
inline constexpr int kStampWithdrawn = 1;
inline constexpr int kStampStatusNote = 2;
inline constexpr int kStampOutcome = 3;

// Stores a submission's end with record `number` in one statement: the status text (its first
// 50 characters, as the status note keeps it) and, with `stored`, the transmission state. Stamped
// with the operator: code 3 with a state, code 2 for the text alone. False (nothing written)
// unless exactly one record has the number and the database took the statement.
bool StoreSubmissionEnd(qlonglong number, const std::optional<QString> &status,
                        const std::optional<Outcome> &stored, const QString &operatorName);

// The status text of a list row stored with its record (code 2). Same conditions.
bool StoreStatusNote(qlonglong number, const QString &status, const QString &operatorName);

// True when the firm's database holds exactly one record with the number.
bool RecordExists(qlonglong number);

// The site's ada by its YİBF number (inşaat.yedek1); empty when no row or a null ada.
QString LookupSiteAda(const QString &yibfNumber);
