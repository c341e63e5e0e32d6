#include "core/schema.h"

#include "core/database.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>

QStringList SchemaStatements(const QString &database)
{
    QFile f(QStringLiteral(":/tarvek/schema.sql"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(f.readAll());
    QStringList statements;
    QString current;
    bool inDatabase = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.startsWith(QStringLiteral("-- @database "))) {
            inDatabase = line.mid(13).trimmed() == database;
            continue;
        }
        if (!inDatabase || line.startsWith(QStringLiteral("--")))
            continue;
        current += line + QLatin1Char('\n');
        if (line.trimmed().endsWith(QLatin1Char(';'))) {
            current = current.trimmed();
            current.chop(1);
            statements << current;
            current.clear();
        }
    }
    return statements;
}

namespace {
bool applyTo(QSqlDatabase &database, const QString &name, QSqlError *error)
{
    const QStringList statements = SchemaStatements(name);
    if (statements.isEmpty()) {
        if (error)
            *error =
                QSqlError(QStringLiteral("no schema for ") + name, {}, QSqlError::UnknownError);
        return false;
    }
    for (const QString &s : statements) {
        QSqlQuery q(database);
        if (!q.exec(s)) {
            if (error)
                *error = q.lastError();
            return false;
        }
    }
    return true;
}
} // namespace

bool ApplySchema(const QString &connectionString, const QString &database, QSqlError *error)
{
    QSqlDatabase d = db::Open(connectionString, error);
    if (!d.isValid())
        return false;
    return applyTo(d, database, error);
}

bool CreateSqliteStore(const QString &file, const QString &database, QSqlError *error)
{
    const QString name = QStringLiteral("schema-") + QUuid::createUuid().toString();
    bool ok = false;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        d.setDatabaseName(file);
        if (d.open()) {
            ok = applyTo(d, database, error);
            d.close();
        } else if (error) {
            *error = d.lastError();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}
