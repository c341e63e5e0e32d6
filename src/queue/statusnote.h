#pragma once

#include "startup/recordedit.h"

#include <QString>

#include <optional>

// The status text of a list row stored with its database record, stamped with the operator and
// the kind of change (prog_ID = 2000 + code: 1 withdrawn, 2 status note, 3 submission outcome).

// The record of a list row key ("f" + number, at most 100 characters after the "f") through
// ConnectionString("y3436"); nullopt unless exactly one record is found.
std::optional<RecordEdit> LookupRecord(const QString &rowKey);

// The change stamp with the logged-in operator's name.
void StampRecord(RecordEdit &edit, int code);

// The logged-in operator's name (the main window's ilk_kullanici; "" without a main window).
QString OperatorName();

// Stores the status text (first 50 characters) of the record of rowKey with code 2; writes
// nothing unless exactly one record matches. True when written.
bool WriteStatusNoteFor(const QString &rowKey, const QString &status);

// The same for the main window's selected list row and its status column.
void WriteStatusNote();
