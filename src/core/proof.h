#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

// The proof of a record sent: the portal's inspection list showing the new row, kept as a PDF,
// and the photograph exactly as it was uploaded. Both lie in the site's folder under
// "web\kanit", named <YİBF>_<yyyy-mm-dd>_<record number> (.pdf and .jpg), the date being the
// day the record was sent (bak_tarih).
struct ProofFiles
{
    QString pdf;   // native path
    QString photo; // native path
};

// The folder of a site's proofs (native): beside its prepared copies.
QString ProofFolder(const QString &ortak, const QString &ada);
// The same folder from a prepared copy of the site (the copies lie in the site's "web" folder).
QString ProofFolderOfPhoto(const QString &preparedPhotoNative);

// The files of a record's proof in `folder`. The YİBF number comes from the database: only
// ASCII letters, digits and "-" are kept as they are, so the name never leaves the folder.
ProofFiles ProofPaths(const QString &folder, const QString &yibf, const QDate &sent,
                      qlonglong number);

// Writes the proof's photograph (making the folder) or its PDF, each file whole or not at all.
// False when the folder cannot be made, the file cannot be written, the photograph is empty or
// the PDF is not one.
bool WriteProofPhoto(const ProofFiles &files, const QByteArray &photo);
bool WriteProofPdf(const ProofFiles &files, const QByteArray &pdf);
// Both, the photograph first.
bool WriteProof(const ProofFiles &files, const QByteArray &pdf, const QByteArray &photo);

// Both files of the proof are there.
bool ProofExists(const ProofFiles &files);
