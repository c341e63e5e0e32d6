#pragma once

#include <QMap>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

#include <optional>

// The status text of a list row stored with its database record, stamped with the operator and
// the kind of change (prog_ID = 2000 + code: 1 withdrawn, 2 status note, 3 submission outcome).

// One yedek5 record read for an update, as the old record sets held it: read the columns from
// record, set the changes with setValue, then save.
struct RecordEdit
{
    qlonglong number = 0; // yedek5.sayı
    QSqlRecord record;
    QMap<QString, QVariant> changes;

    void setValue(const QString &column, const QVariant &value) { changes[column] = value; }
};

// The record of a list row key ("f" + number, at most 100 characters after the "f") through
// ConnectionString("y3436"); nullopt unless exactly one record is found.
std::optional<RecordEdit> LookupRecord(const QString &rowKey);

// Writes the changed columns of the record (bound values). False when the database refused.
bool SaveRecord(const RecordEdit &edit);

// kullanici = the first 20 characters of the logged-in operator's name; prog_ID = 2000 + code.
void StampRecord(RecordEdit &edit, int code);

// The logged-in operator's name (the main window's ilk_kullanici; "" without a main window).
QString OperatorName();

// Stores the status text (first 50 characters) of the record of rowKey with code 2; writes
// nothing unless exactly one record matches. True when written.
bool WriteStatusNoteFor(const QString &rowKey, const QString &status);

// The same for the main window's selected list row and its status column.
void WriteStatusNote();
