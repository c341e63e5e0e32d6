#pragma once

#include <QDate>
#include <QString>

// Preparing a listed photograph for the portal: the stamping tool of the office application
// prints the date and the parcel onto a copy in the site folder's "web" subfolder.

// The folder name of a site made from its parcel text ("12/3 A" -> "12_3_A").
QString SiteFolderName(const QString &ada);

// Turkish letters folded to ASCII ("Çağrı" -> "Cagri").
QString AsciiFold(const QString &text);

// Starts a command line and waits for it to end; tells the operator when it cannot start.
void RunAndWait(const QString &commandLine, int windowStyle);

// Writes the instruction file and runs the stamping tool on one photograph.
void StampPhoto(const QString &source, const QString &target, const QString &caption1,
                const QString &caption2, const QString &caption3);

// What a pending record gives the preparation.
struct PendingPhoto
{
    QString alan1; // photo file name
    QString ada;   // the site's parcel text
    QDate tarih;   // the record's date
};

// Prepares the record's photograph; ortak is the firm's shared folder, photoDateSetting the
// firm's "print the date" setting ("1" prints it).
void PrepareRecordPhoto(const PendingPhoto &record, const QString &ortak,
                        const QString &photoDateSetting);

// ortak + "\fotograflar\" + SiteFolderName(ada): the site's photo folder (Windows-style).
QString SitePhotoFolder(const QString &ortak, const QString &ada);
