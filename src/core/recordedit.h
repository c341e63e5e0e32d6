#pragma once

#include <QMap>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

#include <optional>

// One yedek5 record read for an update, as the old record sets held it: read the columns from
// record, set the changes with setValue, then save. Every value is bound.
struct RecordEdit
{
    qlonglong number = 0; // yedek5.sayı
    QSqlRecord record;
    QMap<QString, QVariant> changes;

    void setValue(const QString &column, const QVariant &value) { changes[column] = value; }
};

// The record with this number through ConnectionString("y3436"); only when exactly one is found.
std::optional<RecordEdit> LookupYedek5(qlonglong number);

// Writes the changed columns in one statement. False when the database refused.
bool SaveRecord(const RecordEdit &edit);

// The change stamp: kullanici = the operator's first 20 characters; prog_ID = 2000 + code
// (1 withdrawn, 2 status note, 3 submission outcome).
void StampRecord(RecordEdit &edit, int code, const QString &operatorName);
