#include "core/recordcheck.h"

#include "core/connection.h"
#include "core/database.h"
#include "platform/paths.h"

#include <QFileInfo>

namespace {
bool isFile(const QString &path)
{
    return QFileInfo(path).isFile();
}
} // namespace

QString PreparedPhotoPath(const FirmPhotoSettings &firm, const QString &ada,
                          const QString &photoName)
{
    return platform::nativePath(SitePhotoFolder(firm.ortak, ada) + QStringLiteral("\\web\\") +
                                photoName);
}

QString OriginalPhotoPath(const FirmPhotoSettings &firm, const QString &ada,
                          const QString &photoName)
{
    return platform::nativePath(SitePhotoFolder(firm.ortak, ada) + QStringLiteral("\\") +
                                photoName);
}

RecordCheck CheckRecord(const PendingRecord &record, const FirmPhotoSettings &firm,
                        const PhotoPreparer &prepare)
{
    RecordCheck c;
    const auto rows = db::Select(ConnectionString(QStringLiteral("y3436")), queue::DetailsQuery(),
                                 {record.number});
    if (!rows || rows->size() != 1)
        return c;
    c.found = true;
    const QSqlRecord &r = rows->first();
    auto text = [&r](const char *column) { return db::Text(r, QString::fromUtf8(column)); };

    PendingRecord &f = c.fresh;
    f = record;
    f.photoName = text("alan1");
    f.developments = text("alan2");
    f.note = text("aciklama");
    f.sender = text("gonderen");
    f.senderTc = text("gonderentc");
    f.levels = {text("sev1"), text("sev2"), text("sev3"), text("sev4")};
    f.total = text("toplam");

    const QStringList values = {text("yibf"), text("ada"), f.levels[0], f.levels[1],
                                f.levels[2],  f.levels[3], f.total,     f.developments,
                                f.note,       f.sender,    f.senderTc,  f.photoName};
    const auto &labels = queue::DetailRows();
    for (int i = 0; i < labels.size(); ++i)
        c.details.append({labels[i].key, labels[i].label, values.value(i)});
    auto line = [&c](const QString &key) -> DetailLine * {
        for (DetailLine &d : c.details)
            if (d.key == key)
                return &d;
        return nullptr;
    };
    QString status = record.status;
    auto addFailure = [&](const queue::CheckFailure &failure) {
        c.failures.append(failure);
        status = failure.text;
        if (DetailLine *d = line(failure.detailKey))
            d->red = true;
    };

    if (f.note.isEmpty())
        line(QStringLiteral("f9"))->red = true;
    for (const queue::CheckFailure &failure :
         queue::FieldFailures(f.developments, f.sender, f.senderTc))
        addFailure(failure);

    // The photograph: the prepared copy, else the site folder's original (prepared now).
    const QString web = PreparedPhotoPath(firm, text("ada"), f.photoName);
    const QString original = OriginalPhotoPath(firm, text("ada"), f.photoName);
    bool measure = true;
    if (isFile(web)) {
        c.preview = web;
    } else if (isFile(original)) {
        // The date line of the stamp uses the record's own date.
        const PhotoPreparation done =
            prepare ? prepare(MakePhotoJob(PendingPhoto{f.photoName, text("ada"), record.date},
                                           firm.ortak, firm.photoDateSetting))
                    : PhotoPreparation{};
        c.preview = isFile(web) ? web : original;
        c.fitPreview = isFile(web);
        // A photograph the preparation refused (broken, too large) is not judged as the
        // original: the row says why it was refused.
        if (!done.ok && !done.reason.isEmpty()) {
            addFailure({done.reason, true, {}});
            measure = false;
        }
    } else {
        addFailure(queue::PhotoMissingFailure());
    }
    if (isFile(web))
        f.photoPath = web;

    // No photograph found: nothing is measured, so the size rows and the size and dimension
    // checks are skipped rather than judged on another picture.
    QSize pixels;
    if (!c.preview.isEmpty() && measure) {
        c.details.append({QStringLiteral("f13"), QStringLiteral("Fotoğraf Yolu"), c.preview});
        // An unreadable picture has no pixel size; then only its file size is judged.
        const queue::PhotoFacts facts = queue::MeasurePhoto(c.preview);
        pixels = facts.pixels;
        if (pixels.isValid())
            c.details.append({QStringLiteral("f14"), QStringLiteral("Fotoğraf Ebatları"),
                              queue::DimensionText(pixels)});
        if (const auto failure = queue::SizeFailure(facts.bytes))
            addFailure(*failure);
        c.details.append({QStringLiteral("f15"), QStringLiteral("Fotoğraf Boyutu"),
                          queue::SizeText(facts.bytes)});
    }

    c.details.append({QStringLiteral("f16"), QStringLiteral("Gönderim Durumu"), status});
    if (!queue::IsSettledStatus(status)) {
        c.unsettled = true;
        line(QStringLiteral("f16"))->red = true;
    }
    if (pixels.isValid())
        for (const queue::CheckFailure &failure : queue::DimensionFailures(pixels))
            addFailure(failure);
    return c;
}
