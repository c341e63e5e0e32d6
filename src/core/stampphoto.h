#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

// Preparing a photograph for the ministry portal: the JPEG is decoded by libjpeg-turbo at the
// smallest scale that still covers the fit, turned upright (camera orientation), resampled to
// the fit, captioned, and encoded at the highest quality of a ladder that stays under the size
// limit. A damaged or oversized photograph is refused, never sent half grey.
//
// Thread-safe: no globals; every call has its own decoder and encoder and paints on a QImage of
// its own, so worker threads may prepare photographs side by side. Needs a QGuiApplication
// (fonts for the caption), which may live on another thread.
namespace fth32 {

struct Limits
{
    // Pictures with more pixels (read from the header, before anything is decoded) are refused:
    // decoding memory grows with them (up to about 6 bytes a pixel for a progressive JPEG).
    qint64 maxPixels = 100'000'000;
    // The copy's largest size: the portal takes 1 MB; this keeps a margin under the eligibility
    // check's 1024.0 KB.
    qint64 maxBytes = 1000 * 1000;
};

enum class Failure {
    None,
    SourceUnreadable, // missing, a folder, or cannot be read
    NotJpeg,          // something else saved as a photograph
    Corrupt,          // empty, cut off, damaged, or its data does not match its header
    TooLarge,         // over the pixel limit, or an absurdly large file
    TooBusy,          // no quality of the ladder stays under the size limit
    TargetUnwritable, // the web folder or the copy cannot be written
};

struct Result
{
    Failure failure = Failure::None;
    QString reason;      // one short Turkish line for the operator; empty on success
    QString writtenFile; // StampFile: the copy's native path on success
    bool ok() const { return failure == Failure::None; }
};

struct Prepared
{
    Result result;
    QByteArray jpeg; // the web-ready copy on success
    QSize size;
    int quality = 0;
};

// The size a picture of the given upright size is written at: within 1100 x 700 when wider than
// tall, 700 x 1100 otherwise, proportions kept, never enlarged.
QSize FitWithinLimits(QSize size);

// The prepared copy of a JPEG's bytes, with the non-empty caption lines printed in a dark band
// along the bottom.
Prepared PrepareJpeg(const QByteArray &source, const QStringList &captions,
                     const Limits &limits = {});

// Prepares the photograph at the native path source and writes the copy into targetFolder
// (made when missing) under the source's file name. The copy appears whole or not at all.
Result StampFile(const QString &source, const QString &targetFolder, const QStringList &captions,
                 const Limits &limits = {});

// Exit codes of the fth32 executable; on failure its reason is the one line on stderr (UTF-8).
enum ExitCode {
    ExitOk = 0,
    ExitBadUsage = 1,         // not started as "fth32 Tarvek_Yds_mtg"
    ExitBadInstructions = 2,  // input.mtg missing, unreadable or short
    ExitSourceUnreadable = 3, // Failure::SourceUnreadable
    ExitTargetUnwritable = 4, // Failure::TargetUnwritable
    ExitCorrupt = 5,          // Failure::Corrupt
    ExitNotJpeg = 6,          // Failure::NotJpeg
    ExitTooLarge = 7,         // Failure::TooLarge
    ExitTooBusy = 8,          // Failure::TooBusy
};
ExitCode ExitCodeFor(Failure failure);

} // namespace fth32
