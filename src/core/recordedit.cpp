#include "core/recordedit.h"

#include "core/connection.h"
#include "core/database.h"

#include <QStringList>

std::optional<RecordEdit> LookupYedek5(qlonglong number)
{
    const auto rows = db::Select(ConnectionString(QStringLiteral("y3436")),
                                 QStringLiteral("select * from yedek5 where sayı=?"), {number});
    if (!rows || rows->size() != 1)
        return std::nullopt;
    RecordEdit edit;
    edit.number = number;
    edit.record = rows->first();
    return edit;
}

bool SaveRecord(const RecordEdit &edit)
{
    if (edit.changes.isEmpty())
        return true;
    QStringList sets;
    QVariantList binds;
    for (auto it = edit.changes.cbegin(); it != edit.changes.cend(); ++it) {
        sets.append(it.key() + QStringLiteral("=?"));
        binds.append(it.value());
    }
    binds.append(edit.number);
    // One statement: the record is written whole or not at all.
    return db::Exec(ConnectionString(QStringLiteral("y3436")),
                    QStringLiteral("update yedek5 set ") + sets.join(QLatin1Char(',')) +
                        QStringLiteral(" where sayı=?"),
                    binds);
}

void StampRecord(RecordEdit &edit, int code, const QString &operatorName)
{
    edit.setValue(QStringLiteral("kullanici"), operatorName.left(20));
    edit.setValue(QStringLiteral("prog_ID"), 2000 + code);
}
