#pragma once

#include "platform/launcher.h"

#include <QDate>
#include <QString>
#include <QStringList>

// Preparing a listed photograph for the portal: the date and the parcel are printed onto a
// web-ready copy in the site folder's "web" subfolder, by the program itself (core/stampphoto.h)
// or, where the installation says so, by the office application's own stamping tool.

// The folder name of a site made from its parcel text ("12/3 A" -> "12_3_A").
QString SiteFolderName(const QString &ada);

// Turkish letters folded to ASCII ("Çağrı" -> "Cagri").
QString AsciiFold(const QString &text);

// How one photograph's preparation ended.
struct PhotoPreparation
{
    bool ok = false;
    QString reason; // why it failed, in the operator's words ("" when nothing was said)
};

// Starts a command line and waits for it to end; tells the operator when it cannot start.
platform::WaitResult RunAndWait(const QString &commandLine, int windowStyle);

// Writes the instruction file and runs the office application's stamping tool on one
// photograph; the tool's exit status and its reason line decide the result. One tool runs at a
// time, whichever thread asks.
PhotoPreparation StampPhoto(const QString &source, const QString &target, const QString &caption1,
                            const QString &caption2, const QString &caption3);

// What a pending record gives the preparation.
struct PendingPhoto
{
    QString alan1; // photo file name
    QString ada;   // the site's parcel text
    QDate tarih;   // the record's date
};

// One photograph's preparation, worked out on the user-interface thread (paths, captions and
// limits read from the installation's settings) so that RunPhotoJob needs nothing else.
struct PhotoJob
{
    QString source;       // Windows-style path of the original
    QString target;       // Windows-style "web\a.jpg" of the site folder, as the tool takes it
    QStringList captions; // date line, parcel line, third line, additional line (not folded)
    QString sourceNative;
    QString webFolderNative;
    bool externalTool = false;
    qint64 maxPixels = 0;
};
PhotoJob MakePhotoJob(const PendingPhoto &record, const QString &ortak,
                      const QString &photoDateSetting);
// Prepares the photograph: in-process on any thread, or through the office application's tool.
PhotoPreparation RunPhotoJob(const PhotoJob &job);

// Prepares the record's photograph; ortak is the firm's shared folder, photoDateSetting the
// firm's "print the date" setting ("1" prints it).
PhotoPreparation PrepareRecordPhoto(const PendingPhoto &record, const QString &ortak,
                                    const QString &photoDateSetting);

// ortak + "\fotograflar\" + SiteFolderName(ada): the site's photo folder (Windows-style).
QString SitePhotoFolder(const QString &ortak, const QString &ada);
