#include "stamptool.h"

#include "platform/paths.h"
#include "platform/textcodec.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace fth32 {

namespace {
constexpr int kInstructionLines = 11;
// Quality ladder of the JPEG encoder: a photograph at the fitted size is far below the limit
// at the first step; busy pictures (foliage, gravel) may need a few more.
constexpr int kQualities[] = {85, 78, 70, 62, 54, 46, 38, 30, 22, 15};

QString Tr(const char *utf8)
{
    return QString::fromUtf8(utf8);
}
} // namespace

std::optional<Instructions> ParseInstructions(const QByteArray &bytes, QString *error)
{
    const QStringList lines = platform::splitLines(platform::decodeAnsi(bytes));
    if (lines.size() < kInstructionLines) {
        if (error)
            *error = Tr("talimat dosyası eksik: %1 satır var, %2 gerekli")
                         .arg(lines.size())
                         .arg(kInstructionLines);
        return std::nullopt;
    }
    // Lines 1 to 3, 10 and 11 (mode, scratch folder, scratch file, signature, flag) were the
    // old tool's own settings; this tool needs none of them.
    Instructions in;
    in.source = lines.at(3).trimmed();
    in.target = lines.at(4).trimmed();
    in.captions = lines.mid(5, 4);
    if (in.source.isEmpty() || in.target.isEmpty()) {
        if (error)
            *error = Tr("talimat dosyasında kaynak ya da hedef yolu boş");
        return std::nullopt;
    }
    return in;
}

QSize FitWithinLimits(QSize size)
{
    if (size.isEmpty())
        return size;
    const bool landscape = size.width() > size.height();
    const QSize box = landscape ? QSize(1100, 700) : QSize(700, 1100);
    if (size.width() <= box.width() && size.height() <= box.height())
        return size;
    const double scale =
        std::min(double(box.width()) / size.width(), double(box.height()) / size.height());
    // Rounded, then clamped: rounding must never push a side over its limit.
    const int w = std::clamp(int(std::lround(size.width() * scale)), 1, box.width());
    const int h = std::clamp(int(std::lround(size.height() * scale)), 1, box.height());
    return QSize(w, h);
}

bool JpegIsComplete(const QByteArray &bytes)
{
    const auto at = [&bytes](qsizetype i) { return static_cast<unsigned char>(bytes.at(i)); };
    const qsizetype n = bytes.size();
    if (n < 4 || at(0) != 0xFF || at(1) != 0xD8)
        return false;
    qsizetype i = 2;
    while (i + 1 < n) {
        if (at(i) != 0xFF)
            return false;
        const unsigned char marker = at(i + 1);
        if (marker == 0xFF) { // fill byte
            ++i;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            i += 2;
            continue;
        }
        if (marker == 0xD9)
            return true;
        if (i + 3 >= n)
            return false;
        const qsizetype length = (qsizetype(at(i + 2)) << 8) | at(i + 3);
        if (marker == 0xDA) {
            // Inside the scans a 0xFF data byte is always stuffed (FF 00), so the first FF D9
            // after the first scan header is the end marker. Whatever follows it (phones append
            // videos or thumbnails) does not matter.
            return bytes.indexOf(QByteArray("\xFF\xD9", 2), i + 2 + length) >= 0;
        }
        i += 2 + length;
    }
    return false;
}

QImage LoadFitted(const QByteArray &bytes, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return QImage();
    };
    if (bytes.isEmpty())
        return fail(Tr("kaynak dosya boş"));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    // The format comes from the content: a PNG saved as ".jpg" still gives a proper JPEG copy.
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return fail(Tr("kaynak dosya bir resim değil ya da okunamıyor"));
    if (reader.format() == "jpeg" && !JpegIsComplete(bytes))
        return fail(Tr("kaynak JPEG dosyası eksik (yarıda kesilmiş)"));
    const QSize raw = reader.size();
    if (raw.isEmpty())
        return fail(Tr("kaynak resmin boyutları okunamıyor"));
    // The decoder scales before it turns the picture upright: fit the upright size, then ask
    // for the scaled size in the stored orientation.
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    const QSize upright = turned ? raw.transposed() : raw;
    const QSize fitted = FitWithinLimits(upright);
    if (fitted != upright)
        reader.setScaledSize(turned ? fitted.transposed() : fitted);
    QImage image = reader.read();
    if (image.isNull())
        return fail(Tr("kaynak resim çözülemedi: ") + reader.errorString());
    if (image.size() != fitted)
        image = image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    return image;
}

void DrawCaption(QImage &image, const QStringList &lines)
{
    QStringList shown;
    for (const QString &l : lines)
        if (!l.trimmed().isEmpty())
            shown << l;
    if (shown.isEmpty() || image.isNull())
        return;

    // About 4.5 % of the shorter side reads well on screen and in the portal's thumbnails;
    // a long line shrinks the font until it fits the width.
    const int margin = std::max(4, image.width() / 60);
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    int pixelSize = std::clamp(int(std::min(image.width(), image.height()) * 0.045), 10, 48);
    font.setPixelSize(pixelSize);
    for (;;) {
        const QFontMetrics fm(font);
        int widest = 0;
        for (const QString &l : shown)
            widest = std::max(widest, fm.horizontalAdvance(l));
        if (widest <= image.width() - 2 * margin || pixelSize <= 6)
            break;
        pixelSize = std::max(6, pixelSize * (image.width() - 2 * margin) / widest);
        font.setPixelSize(pixelSize);
        if (pixelSize == 6)
            break;
    }

    const QFontMetrics fm(font);
    const int lineHeight = fm.height();
    const int bandHeight = std::min<int>(image.height(), lineHeight * shown.size() + 2 * margin);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(0, image.height() - bandHeight, image.width(), bandHeight, QColor(0, 0, 0, 170));
    p.setFont(font);
    p.setPen(Qt::white);
    int y = image.height() - bandHeight + margin + fm.ascent();
    for (const QString &l : shown) {
        p.drawText(margin, y, l);
        y += lineHeight;
    }
}

QByteArray EncodeWithinLimit(const QImage &image, qint64 maxBytes, int *usedQuality)
{
    QByteArray out;
    for (const int q : kQualities) {
        out.clear();
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(q);
        writer.setOptimizedWrite(true);
        if (!writer.write(image))
            return {};
        if (usedQuality)
            *usedQuality = q;
        if (out.size() <= maxBytes)
            return out;
    }
    return {};
}

Outcome Run(const QString &instructionFile, const platform::PathMapper &paths)
{
    Outcome o;
    const auto fail = [&o](ExitCode code, const QString &message) {
        o.code = code;
        o.message = message;
        return o;
    };

    QFile file(instructionFile);
    if (!file.exists())
        return fail(BadInstructions, Tr("talimat dosyası bulunamadı: ") + instructionFile);
    if (!file.open(QIODevice::ReadOnly))
        return fail(BadInstructions, Tr("talimat dosyası okunamıyor: ") + instructionFile +
                                         QStringLiteral(" (") + file.errorString() +
                                         QLatin1Char(')'));
    QString why;
    const auto in = ParseInstructions(file.readAll(), &why);
    file.close();
    if (!in)
        return fail(BadInstructions, why + QStringLiteral(": ") + instructionFile);

    const QString source = paths.nativePath(in->source);
    QFile src(source);
    if (!src.exists())
        return fail(BadSource, Tr("kaynak fotoğraf bulunamadı: ") + source);
    if (!src.open(QIODevice::ReadOnly))
        return fail(BadSource, Tr("kaynak fotoğraf okunamıyor: ") + source + QStringLiteral(" (") +
                                   src.errorString() + QLatin1Char(')'));
    const QByteArray bytes = src.readAll();
    src.close();
    QImage image = LoadFitted(bytes, &why);
    if (image.isNull())
        return fail(BadSource, why + QStringLiteral(": ") + source);

    DrawCaption(image, in->captions);
    const QByteArray jpeg = EncodeWithinLimit(image);
    if (jpeg.isEmpty())
        return fail(BadSource, Tr("fotoğraf 1 MB sınırının altına sıkıştırılamadı: ") + source);

    // The copy goes into the target's folder under the source's own file name.
    const QString folder = QFileInfo(paths.nativePath(in->target)).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(BadTarget, Tr("hedef klasör oluşturulamıyor: ") + folder);
    const QString written = folder + QLatin1Char('/') + QFileInfo(source).fileName();
    // Through a temporary file renamed at the end: a killed or crashed run leaves no half copy.
    QSaveFile out(written);
    if (!out.open(QIODevice::WriteOnly) || out.write(jpeg) != jpeg.size() || !out.commit())
        return fail(BadTarget, Tr("kopya yazılamıyor: ") + written + QStringLiteral(" (") +
                                   out.errorString() + QLatin1Char(')'));
    o.writtenFile = written;
    return o;
}

} // namespace fth32
