#pragma once

#include <QSqlError>
#include <QString>
#include <QStringList>

// The statements that create the tables of one of the firm's databases ("y3436", "f3436") or of
// the print buffer ("p3436") in a fresh store.
QStringList SchemaStatements(const QString &database);

// Creates the tables of database in the store reached by connectionString.
bool ApplySchema(const QString &connectionString, const QString &database,
                 QSqlError *error = nullptr);

// Creates an empty embedded store file FOLDER/NAME.sqlite3 with the tables of database.
bool CreateSqliteStore(const QString &file, const QString &database, QSqlError *error = nullptr);
