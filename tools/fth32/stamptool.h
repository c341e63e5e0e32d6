#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform {
class PathMapper;
}

// The stamping tool: reads the program's instruction file, prints the caption lines onto the
// photograph and writes a web-ready JPEG copy into the target's folder under the source's name.
namespace fth32 {

// Exit codes, so a script (or a test) can tell the failures apart.
enum ExitCode {
    Ok = 0,
    BadUsage = 1,
    BadInstructions = 2,
    BadSource = 3,
    BadTarget = 4,
};

// The portal's limits: 1100 x 700 when wider than tall, 700 x 1100 otherwise, and below 1 MB.
// The size limit keeps a margin under the eligibility check's 1024.0 KB.
inline constexpr qint64 kMaxBytes = 1000 * 1000;

struct Instructions
{
    QString source;       // Windows-style path of the photograph (line 4)
    QString target;       // Windows-style path whose folder receives the copy (line 5)
    QStringList captions; // lines 6 to 9, empty ones included
};

// The instruction file's bytes (Windows-1254, CR LF or LF). All eleven lines must be there: a
// shorter file was cut off, and a stamp without its date line must not go to the portal.
std::optional<Instructions> ParseInstructions(const QByteArray &bytes, QString *error);

// The size a picture of the given (upright) size is written at: fitted within the limits,
// proportions kept, never enlarged.
QSize FitWithinLimits(QSize size);

// True when a JPEG's entropy-coded data reaches its end marker. A cut-off file still decodes
// (the rest is painted grey), and such a picture must not be sent.
bool JpegIsComplete(const QByteArray &bytes);

// Decodes the photograph upright (camera orientation applied) at its fitted size, decoding at
// reduced scale where the fit allows. A null image with the reason in *error on failure.
QImage LoadFitted(const QByteArray &bytes, QString *error);

// Prints the non-empty caption lines in a dark band along the bottom of the picture.
void DrawCaption(QImage &image, const QStringList &lines);

// JPEG bytes at the highest quality of a descending ladder that stays within maxBytes.
QByteArray EncodeWithinLimit(const QImage &image, qint64 maxBytes = kMaxBytes,
                             int *usedQuality = nullptr);

struct Outcome
{
    ExitCode code = Ok;
    QString message;     // for stderr when code is not Ok
    QString writtenFile; // native path of the copy
};

// One whole run on an instruction file (native path), mapping its paths with paths.
Outcome Run(const QString &instructionFile, const platform::PathMapper &paths);

} // namespace fth32
