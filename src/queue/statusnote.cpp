#include "queue/statusnote.h"

#include "queue/frm_giris.h"
#include "queue/queuerules.h"
#include "startup/connection.h"
#include "startup/database.h"

#include <QStringList>

std::optional<RecordEdit> LookupRecord(const QString &rowKey)
{
    // A key that is not a number names no record (the old statement would have failed).
    const std::optional<qlonglong> n = queue::RecordNumber(rowKey);
    if (!n)
        return std::nullopt;
    const auto rows = db::Select(ConnectionString(QStringLiteral("y3436")),
                                 QStringLiteral("select * from yedek5 where sayı=?"), {*n});
    if (!rows || rows->size() != 1)
        return std::nullopt;
    RecordEdit edit;
    edit.number = *n;
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

QString OperatorName()
{
    return frm_giris::exists() ? frm_giris::instance()->ilk_kullanici.text() : QString();
}

void StampRecord(RecordEdit &edit, int code)
{
    edit.setValue(QStringLiteral("kullanici"), OperatorName().left(20));
    edit.setValue(QStringLiteral("prog_ID"), 2000 + code);
}

bool WriteStatusNoteFor(const QString &rowKey, const QString &status)
{
    std::optional<RecordEdit> edit = LookupRecord(rowKey);
    if (!edit)
        return false;
    edit->setValue(QStringLiteral("bakanlik_aciklama"), status.left(50));
    StampRecord(*edit, 2);
    return SaveRecord(*edit);
}

void WriteStatusNote()
{
    if (!frm_giris::exists())
        return;
    frm_giris *w = frm_giris::instance();
    const QString key = w->selectedRowKey();
    if (key.isEmpty())
        return;
    WriteStatusNoteFor(key, w->selectedRowStatus());
}
