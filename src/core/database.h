#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

#include <optional>

// The firm's databases through Qt SQL. The program's own connection string decides the
// backend: a server of the form "sqlite:FOLDER" is the embedded store (database NAME is the file
// FOLDER/NAME.sqlite3), anything else goes to ODBC unchanged.
namespace db {

struct Target
{
    bool sqlite = false;
    QString sqliteFile; // native path, for the embedded store
    QString odbcString; // the connection string as given, for ODBC
};

Target ParseConnectionString(const QString &connectionString);

// An open connection for the string (kept and reused; reopened when it was lost), or an
// invalid one with the reason in *error.
QSqlDatabase Open(const QString &connectionString, QSqlError *error = nullptr);

// Forgets every kept connection (tests, and after a lost server).
void CloseAll();

using Rows = QList<QSqlRecord>;

// Runs a statement with bound values. Rows are read forward-only and counted by stepping
// (size() is -1 on these drivers). std::nullopt on any failure, with the reason in *error.
std::optional<Rows> Select(const QString &connectionString, const QString &sql,
                           const QVariantList &binds = {}, QSqlError *error = nullptr);
bool Exec(const QString &connectionString, const QString &sql, const QVariantList &binds = {},
          QSqlError *error = nullptr, int *rowsAffected = nullptr);

// A value as the old record sets compared it: null counts as the empty text.
QString Text(const QSqlRecord &r, const QString &column);

} // namespace db
