#pragma once

// A firm's empty stores on the embedded database under a benchmark's temporary root, with the
// photographs' shared folder set: what every benchmark of the queue starts from.
#include "core/connection.h"
#include "core/database.h"
#include "core/schema.h"

#include <QDir>
#include <QString>

namespace bench {

struct FirmStore
{
    QString y3436; // the connection to the records
    QString ortak; // the photographs' shared folder
};

inline FirmStore MakeFirmStore(const QString &root)
{
    const QString store = root + QStringLiteral("/store");
    QDir().mkpath(store);
    CreateSqliteStore(store + QStringLiteral("/y3436.sqlite3"), QStringLiteral("y3436"));
    CreateSqliteStore(store + QStringLiteral("/f3436.sqlite3"), QStringLiteral("f3436"));
    Connection().WorkFolder = QStringLiteral("c:\\tarvek2000word\\");
    Connection().ConnectionPrefix = BuildConnectionPrefix(QStringLiteral("sqlite:") + store);
    const FirmStore firm{ConnectionString(QStringLiteral("y3436")),
                         root + QStringLiteral("/ortak")};
    db::Exec(ConnectionString(QStringLiteral("f3436")),
             QStringLiteral("insert into ayarlar2 (foto_tarih_at, ortak) values ('1', ?)"),
             {firm.ortak});
    return firm;
}

} // namespace bench
