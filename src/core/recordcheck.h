#pragma once

#include "core/pendingrecord.h"
#include "core/photoprep.h"
#include "core/queuerules.h"

#include <QList>
#include <QString>

#include <functional>

// The eligibility checks of one listed record: its details read afresh, its photograph found
// (prepared when only the original exists) and measured, and every check that fails.

// Where the firm keeps its photographs and how it wants them stamped.
struct FirmPhotoSettings
{
    QString ortak;            // the shared folder (Windows-style)
    QString photoDateSetting; // "1": print the record's date onto the prepared copy
};

// Prepares one photograph (RunPhotoJob by default; tests replace it). May run on any thread.
using PhotoPreparer = std::function<PhotoPreparation(const PhotoJob &)>;

// One line of the details list: key "f1".."f16", label, value, shown red when it is at fault.
struct DetailLine
{
    QString key;
    QString label;
    QString value;
    bool red = false;
};

struct RecordCheck
{
    bool found = false;  // false: the record's details could not be read; nothing else is set
    PendingRecord fresh; // the record with its details as the database holds them now
    QList<DetailLine> details;
    // The failed checks in the order they apply to the row (each sets its status text).
    QList<queue::CheckFailure> failures;
    // The status left after the failures is none the checks expect: the row is marked red with
    // the problem icon, its tick and text kept.
    bool unsettled = false;
    QString preview;        // the picture to show ("" none)
    bool fitPreview = true; // the prepared copy is fitted to the frame; an original is not
};

RecordCheck CheckRecord(const PendingRecord &record, const FirmPhotoSettings &firm,
                        const PhotoPreparer &prepare);

// The record's photograph folders: the prepared copy and the original (native paths).
QString PreparedPhotoPath(const FirmPhotoSettings &firm, const QString &ada,
                          const QString &photoName);
QString OriginalPhotoPath(const FirmPhotoSettings &firm, const QString &ada,
                          const QString &photoName);
