#include "queue/statusnote.h"

#include "queue/frm_giris.h"
#include "queue/queuerules.h"

std::optional<RecordEdit> LookupRecord(const QString &rowKey)
{
    // A key that is not a number names no record (the old statement would have failed).
    const std::optional<qlonglong> n = queue::RecordNumber(rowKey);
    return n ? LookupYedek5(*n) : std::nullopt;
}

QString OperatorName()
{
    return frm_giris::exists() ? frm_giris::instance()->ilk_kullanici.text() : QString();
}

void StampRecord(RecordEdit &edit, int code)
{
    StampRecord(edit, code, OperatorName());
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
