#include "core/proof.h"

#include "core/photoprep.h"
#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

QString ProofFolder(const QString &ortak, const QString &ada)
{
    return platform::nativePath(SitePhotoFolder(ortak, ada) + QStringLiteral("\\web\\kanit"));
}

QString ProofFolderOfPhoto(const QString &preparedPhotoNative)
{
    return QFileInfo(preparedPhotoNative).absoluteDir().filePath(QStringLiteral("kanit"));
}

ProofFiles ProofPaths(const QString &folder, const QString &yibf, const QDate &sent,
                      qlonglong number)
{
    QString safe = yibf.trimmed();
    for (QChar &c : safe)
        if (c.unicode() > 127 || !(c.isLetterOrNumber() || c == QLatin1Char('-')))
            c = QLatin1Char('_');
    const QString base = QDir(folder).filePath(safe + QLatin1Char('_') +
                                               sent.toString(QStringLiteral("yyyy-MM-dd")) +
                                               QLatin1Char('_') + QString::number(number));
    return {base + QStringLiteral(".pdf"), base + QStringLiteral(".jpg")};
}

static bool WriteWhole(const QString &file, const QByteArray &bytes)
{
    QSaveFile out(file);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
}

bool WriteProofPhoto(const ProofFiles &files, const QByteArray &photo)
{
    return !photo.isEmpty() && QDir().mkpath(QFileInfo(files.photo).absolutePath()) &&
           WriteWhole(files.photo, photo);
}

bool WriteProofPdf(const ProofFiles &files, const QByteArray &pdf)
{
    return pdf.startsWith("%PDF-") && WriteWhole(files.pdf, pdf);
}

bool WriteProof(const ProofFiles &files, const QByteArray &pdf, const QByteArray &photo)
{
    return WriteProofPhoto(files, photo) && WriteProofPdf(files, pdf);
}

bool ProofExists(const ProofFiles &files)
{
    return QFileInfo(files.pdf).isFile() && QFileInfo(files.photo).isFile();
}
