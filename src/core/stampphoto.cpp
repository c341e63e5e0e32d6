#include "core/stampphoto.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>
#include <QSysInfo>
#include <QTransform>

#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace fth32 {

namespace {

// A photograph at the fitted size is far below the limit at the first step; busy pictures
// (foliage, gravel) may need a few more.
constexpr int kQualities[] = {85, 78, 70, 62, 54, 46, 38, 30, 22, 15};
// Far above any camera's JPEG with a clip appended; a larger file is not read into memory.
constexpr qint64 kMaxSourceBytes = 256 * 1024 * 1024;
// QImage::Format_RGB32 as bytes: B G R X on little-endian machines, X R G B on big-endian ones.
constexpr int kPixelFormat =
    QSysInfo::ByteOrder == QSysInfo::LittleEndian ? int(TJPF_BGRX) : int(TJPF_XRGB);

struct TjDestroy
{
    void operator()(void *handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjDestroy>;
struct TjFree
{
    void operator()(unsigned char *buffer) const { tjFree(buffer); }
};

Result Fail(Failure failure, const char *utf8Reason)
{
    return {failure, QString::fromUtf8(utf8Reason), {}};
}

Result Corrupt()
{
    return Fail(Failure::Corrupt, "Fotoğraf bozuk veya eksik, hazırlanamadı...");
}

// The smallest of libjpeg-turbo's reduced scales whose picture still covers need.
tjscalingfactor CoveringScale(QSize stored, QSize need)
{
    int count = 0;
    const tjscalingfactor *factors = tjGetScalingFactors(&count);
    tjscalingfactor best{1, 1};
    for (int i = 0; i < count; ++i) {
        const tjscalingfactor f = factors[i];
        const int w = TJSCALED(stored.width(), f);
        if (f.num <= f.denom && w >= need.width() &&
            TJSCALED(stored.height(), f) >= need.height() && w < TJSCALED(stored.width(), best))
            best = f;
    }
    return best;
}

// The camera orientation from the EXIF block, read by Qt's JPEG handler (headers only).
QImageIOHandler::Transformations Orientation(const QByteArray &jpeg)
{
    QBuffer buffer;
    buffer.setData(jpeg);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer, "jpeg").transformation();
}

QImage Upright(const QImage &image, QImageIOHandler::Transformations turn)
{
    using T = QImageIOHandler;
    if (turn == T::TransformationNone)
        return image;
    if (turn == T::TransformationRotate270)
        return image.transformed(QTransform().rotate(270));
    const QImage mirrored = image.mirrored(turn.testFlag(T::TransformationMirror),
                                           turn.testFlag(T::TransformationFlip));
    return turn.testFlag(T::TransformationRotate90) ? mirrored.transformed(QTransform().rotate(90))
                                                    : mirrored;
}

void DrawCaption(QImage &image, const QStringList &lines)
{
    QStringList shown;
    for (const QString &l : lines)
        if (!l.trimmed().isEmpty())
            shown << l;
    if (shown.isEmpty())
        return;
    // About 4.5 % of the shorter side reads well on screen and in the portal's thumbnails; a
    // long line shrinks the font until it fits the width.
    const int margin = std::max(4, image.width() / 60);
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    int pixelSize = std::clamp(int(std::min(image.width(), image.height()) * 0.045), 6, 48);
    font.setPixelSize(pixelSize);
    for (;;) {
        const QFontMetrics fm(font);
        int widest = 0;
        for (const QString &l : shown)
            widest = std::max(widest, fm.horizontalAdvance(l));
        if (widest <= image.width() - 2 * margin || pixelSize == 6)
            break;
        pixelSize = std::max(6, std::min(pixelSize - 1, pixelSize * (image.width() - 2 * margin) /
                                                            std::max(1, widest)));
        font.setPixelSize(pixelSize);
    }
    const QFontMetrics fm(font);
    const int bandHeight =
        std::min<int>(image.height(), fm.height() * int(shown.size()) + 2 * margin);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(0, image.height() - bandHeight, image.width(), bandHeight, QColor(0, 0, 0, 170));
    p.setFont(font);
    p.setPen(Qt::white);
    int y = image.height() - bandHeight + margin + fm.ascent();
    for (const QString &l : shown) {
        p.drawText(margin, y, l);
        y += fm.height();
    }
}

} // namespace

QSize FitWithinLimits(QSize size)
{
    if (size.isEmpty())
        return size;
    const QSize box = size.width() > size.height() ? QSize(1100, 700) : QSize(700, 1100);
    if (size.width() <= box.width() && size.height() <= box.height())
        return size;
    const double scale =
        std::min(double(box.width()) / size.width(), double(box.height()) / size.height());
    // Rounded, then clamped: rounding must never push a side over its limit.
    return QSize(std::clamp(int(std::lround(size.width() * scale)), 1, box.width()),
                 std::clamp(int(std::lround(size.height() * scale)), 1, box.height()));
}

Prepared PrepareJpeg(const QByteArray &source, const QStringList &captions, const Limits &limits)
{
    Prepared out;
    const auto fail = [&out](Result why) {
        out.result = std::move(why);
        return out;
    };
    if (source.isEmpty())
        return fail(Corrupt());
    if (!source.startsWith("\xFF\xD8"))
        return fail(Fail(Failure::NotJpeg, "Fotoğraf JPEG değil, hazırlanamadı..."));

    const auto *bytes = reinterpret_cast<const unsigned char *>(source.constData());
    const auto length = static_cast<unsigned long>(source.size());
    const TjHandle decoder(tjInitDecompress());
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (!decoder ||
        tjDecompressHeader3(decoder.get(), bytes, length, &width, &height, &subsampling,
                            &colorspace) != 0 ||
        width <= 0 || height <= 0)
        return fail(Corrupt());
    // From the header alone, before a byte of picture is decoded.
    const qint64 pixels = qint64(width) * height;
    if (pixels > limits.maxPixels)
        return fail({Failure::TooLarge,
                     QString::fromUtf8("Fotoğraf çok büyük (%1 megapiksel), hazırlanamadı...")
                         .arg(std::max<qint64>(1, std::llround(pixels / 1e6))),
                     {}});

    // Fit the upright picture, then decode in the stored orientation at the smallest scale that
    // still covers the fit.
    const QImageIOHandler::Transformations turn = Orientation(source);
    const bool quarter = turn.testFlag(QImageIOHandler::TransformationRotate90);
    const QSize stored(width, height);
    const QSize fitted = FitWithinLimits(quarter ? stored.transposed() : stored);
    const QSize need = quarter ? fitted.transposed() : fitted;
    const tjscalingfactor scale = CoveringScale(stored, need);
    QImage image(TJSCALED(width, scale), TJSCALED(height, scale), QImage::Format_RGB32);
    if (image.isNull())
        return fail(Corrupt());
    // A warning (premature end of data, corrupt data) stops the decode and fails it: the rest
    // of the picture would be grey. The scan limit bounds the time of hostile progressive files.
    if (tjDecompress2(decoder.get(), bytes, length, image.bits(), image.width(),
                      int(image.bytesPerLine()), image.height(), kPixelFormat,
                      TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS) != 0)
        return fail(Corrupt());

    if (image.size() != need)
        image = image.scaled(need, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    image = Upright(image, turn);
    DrawCaption(image, captions);

    const TjHandle encoder(tjInitCompress());
    for (const int quality : kQualities) {
        unsigned char *raw = nullptr;
        unsigned long size = 0;
        const int rc = encoder ? tjCompress2(encoder.get(), image.constBits(), image.width(),
                                             int(image.bytesPerLine()), image.height(),
                                             kPixelFormat, &raw, &size, TJSAMP_420, quality, 0)
                               : -1;
        const std::unique_ptr<unsigned char, TjFree> jpeg(raw);
        if (rc != 0)
            break;
        if (qint64(size) <= limits.maxBytes) {
            out.jpeg = QByteArray(reinterpret_cast<const char *>(raw), qsizetype(size));
            out.size = image.size();
            out.quality = quality;
            return out;
        }
    }
    return fail({Failure::TooBusy,
                 QString::fromUtf8("Fotoğraf %1 KB altına sıkıştırılamadı, hazırlanamadı...")
                     .arg(limits.maxBytes / 1000),
                 {}});
}

Result StampFile(const QString &source, const QString &targetFolder, const QStringList &captions,
                 const Limits &limits)
{
    // Only a plain file: a pipe or a device would never end.
    QFile in(source);
    if (!QFileInfo(source).isFile() || !in.open(QIODevice::ReadOnly))
        return Fail(Failure::SourceUnreadable, "Fotoğraf bulunamadı veya okunamadı...");
    if (in.size() > kMaxSourceBytes)
        return {Failure::TooLarge,
                QString::fromUtf8("Fotoğraf dosyası çok büyük (%1 MB), hazırlanamadı...")
                    .arg(in.size() / (1024 * 1024)),
                {}};
    const QByteArray bytes = in.read(in.size());
    in.close();

    const Prepared prepared = PrepareJpeg(bytes, captions, limits);
    if (!prepared.result.ok())
        return prepared.result;

    // Through a temporary file renamed at the end: a stopped run leaves no half copy.
    const QString written = QDir(targetFolder).filePath(QFileInfo(source).fileName());
    QSaveFile out(written);
    if (!QDir().mkpath(targetFolder) || !out.open(QIODevice::WriteOnly) ||
        out.write(prepared.jpeg) != prepared.jpeg.size() || !out.commit())
        return Fail(Failure::TargetUnwritable, "Hazırlanan fotoğraf web klasörüne yazılamadı...");
    return {Failure::None, {}, written};
}

ExitCode ExitCodeFor(Failure failure)
{
    switch (failure) {
    case Failure::None:
        return ExitOk;
    case Failure::SourceUnreadable:
        return ExitSourceUnreadable;
    case Failure::NotJpeg:
        return ExitNotJpeg;
    case Failure::Corrupt:
        return ExitCorrupt;
    case Failure::TooLarge:
        return ExitTooLarge;
    case Failure::TooBusy:
        return ExitTooBusy;
    case Failure::TargetUnwritable:
        return ExitTargetUnwritable;
    }
    return ExitCorrupt;
}

} // namespace fth32
