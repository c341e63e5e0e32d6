#include "core/database.h"

#include "platform/platform.h"

#include <QFileInfo>
#include <QHash>
#include <QSqlDriver>
#include <QSqlQuery>

namespace db {

namespace {

// Reads "key=value" pairs of an ODBC-style connection string; keys compare case-insensitively.
QString valueOf(const QString &cs, const QString &key)
{
    const QStringList parts = cs.split(QLatin1Char(';'));
    for (const QString &part : parts) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (part.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return part.mid(eq + 1);
    }
    return {};
}

QHash<QString, QString> &names()
{
    static QHash<QString, QString> n;
    return n;
}

} // namespace

Target ParseConnectionString(const QString &connectionString)
{
    Target t;
    const QString server = valueOf(connectionString, QStringLiteral("server"));
    if (server.startsWith(QStringLiteral("sqlite:"))) {
        t.sqlite = true;
        const QString folder = platform::nativePath(server.mid(7));
        const QString name = valueOf(connectionString, QStringLiteral("database"));
        t.sqliteFile = folder + QLatin1Char('/') + name + QStringLiteral(".sqlite3");
    } else {
        // The driver manager compares keywords with the C library's case folding, which under
        // a Turkish locale does not match "driver" with "DRIVER" (dotted and dotless i).
        // Keywords go upper-case in ASCII; values stay exactly as given.
        QStringList parts = connectionString.split(QLatin1Char(';'));
        for (QString &part : parts) {
            const qsizetype eq = part.indexOf(QLatin1Char('='));
            if (eq > 0)
                part = platform::asciiUpper(part.left(eq)) + part.mid(eq);
        }
        t.odbcString = parts.join(QLatin1Char(';'));
    }
    return t;
}

QSqlDatabase Open(const QString &connectionString, QSqlError *error)
{
    QString name = names().value(connectionString);
    if (!name.isEmpty()) {
        QSqlDatabase existing = QSqlDatabase::database(name, false);
        if (existing.isOpen())
            return existing;
    } else {
        name = QStringLiteral("tarvek-%1").arg(names().size() + 1);
        names().insert(connectionString, name);
    }
    const Target t = ParseConnectionString(connectionString);
    QSqlDatabase database =
        QSqlDatabase::contains(name)
            ? QSqlDatabase::database(name, false)
            : QSqlDatabase::addDatabase(
                  t.sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QODBC"), name);
    if (t.sqlite) {
        // The embedded store never creates a database: a missing file is a missing server.
        if (!QFileInfo::exists(t.sqliteFile)) {
            if (error)
                *error =
                    QSqlError(QStringLiteral("Specified SQL server not found: ") + t.sqliteFile,
                              QString(), QSqlError::ConnectionError);
            return QSqlDatabase();
        }
        database.setDatabaseName(t.sqliteFile);
        database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    } else {
        database.setDatabaseName(t.odbcString);
        database.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=15"));
    }
    if (!database.open()) {
        if (error)
            *error = database.lastError();
        return QSqlDatabase();
    }
    return database;
}

void CloseAll()
{
    for (const QString &name : std::as_const(names())) {
        {
            QSqlDatabase d = QSqlDatabase::database(name, false);
            d.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
    names().clear();
}

namespace {
bool prepareAndRun(QSqlQuery &q, const QString &sql, const QVariantList &binds, QSqlError *error)
{
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        if (error)
            *error = q.lastError();
        return false;
    }
    for (const QVariant &v : binds)
        q.addBindValue(v);
    if (!q.exec()) {
        if (error)
            *error = q.lastError();
        return false;
    }
    return true;
}
} // namespace

std::optional<Rows> Select(const QString &connectionString, const QString &sql,
                           const QVariantList &binds, QSqlError *error)
{
    QSqlDatabase database = Open(connectionString, error);
    if (!database.isValid())
        return std::nullopt;
    {
        QSqlQuery q(database);
        if (prepareAndRun(q, sql, binds, error)) {
            Rows rows;
            while (q.next())
                rows.append(q.record());
            return rows;
        }
    }
    // A server that went away leaves its handle open in name only: the next statement opens
    // afresh, so the program reaches the server again once it is back.
    database.close();
    return std::nullopt;
}

bool Exec(const QString &connectionString, const QString &sql, const QVariantList &binds,
          QSqlError *error, int *rowsAffected)
{
    QSqlDatabase database = Open(connectionString, error);
    if (!database.isValid())
        return false;
    {
        QSqlQuery q(database);
        if (prepareAndRun(q, sql, binds, error)) {
            if (rowsAffected)
                *rowsAffected = q.numRowsAffected();
            return true;
        }
    }
    database.close(); // as in Select
    return false;
}

QString Text(const QSqlRecord &r, const QString &column)
{
    const QVariant v = r.value(column);
    return v.isNull() ? QString() : v.toString();
}

} // namespace db
