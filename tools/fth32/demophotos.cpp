#include "demophotos.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>

QImage DemoPhoto(int width, int height, const QString &label)
{
    QImage img(width, height, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient sky(0, 0, 0, height * 0.6);
    sky.setColorAt(0, QColor(90, 140, 210));
    sky.setColorAt(1, QColor(200, 220, 240));
    p.fillRect(0, 0, width, int(height * 0.6), sky);
    p.fillRect(0, int(height * 0.6), width, height - int(height * 0.6), QColor(120, 105, 80));
    // A building under construction: a grey block with a grid of dark openings.
    const QRect block(width / 5, height / 4, width * 3 / 5, int(height * 0.45));
    p.fillRect(block, QColor(165, 160, 150));
    const int cols = 6, rows = 4;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            p.fillRect(block.x() + block.width() * (4 * c + 1) / (4 * cols),
                       block.y() + block.height() * (4 * r + 1) / (4 * rows),
                       block.width() / (2 * cols), block.height() / (2 * rows), QColor(50, 50, 60));
    // A red mark in the top-left corner shows which way is up.
    p.fillRect(0, 0, std::max(1, width / 10), std::max(1, height / 10), QColor(220, 30, 30));
    if (!label.isEmpty()) {
        QFont f;
        f.setPixelSize(std::max(8, std::min(width, height) / 10));
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::black);
        p.drawText(QRect(0, 0, width, height), Qt::AlignCenter, label);
    }
    p.end();

    // Grain: real photographs are never flat, and their file sizes come from that.
    QRandomGenerator rng(quint32(width) * 7919u + quint32(height));
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const quint32 r = rng.generate();
            const int d = int(r & 31) - 16;
            const QRgb c = line[x];
            line[x] = qRgb(std::clamp(qRed(c) + d, 0, 255),
                           std::clamp(qGreen(c) + d + int((r >> 8) & 7) - 4, 0, 255),
                           std::clamp(qBlue(c) + d + int((r >> 12) & 7) - 4, 0, 255));
        }
    }
    return img;
}

bool WriteDemoPhoto(const QString &path, int width, int height, const QString &label)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QImageWriter w(path, "jpeg");
    w.setQuality(90);
    return w.write(DemoPhoto(width, height, label));
}

QByteArray WithExifOrientation(const QByteArray &jpeg, int orientation)
{
    if (jpeg.size() < 2)
        return jpeg;
    // "Exif\0\0", then a big-endian TIFF header and one IFD holding only the orientation tag
    // (0x0112, SHORT, count 1).
    QByteArray tiff("MM\x00\x2A\x00\x00\x00\x08", 8);
    tiff += QByteArray("\x00\x01", 2);
    tiff += QByteArray("\x01\x12\x00\x03\x00\x00\x00\x01", 8);
    tiff += char(0);
    tiff += char(orientation);
    tiff += QByteArray(2, '\0');
    tiff += QByteArray(4, '\0'); // no next IFD
    const QByteArray body = QByteArray("Exif\0\0", 6) + tiff;
    const int length = int(body.size()) + 2;
    QByteArray app1("\xFF\xE1", 2);
    app1 += char((length >> 8) & 0xFF);
    app1 += char(length & 0xFF);
    app1 += body;
    return jpeg.left(2) + app1 + jpeg.mid(2);
}

QString BuiltStampTool()
{
    return QStringLiteral(TARVEK_FTH32_FILE);
}

bool InstallStampTool(const QString &siblingFolder, QString *error)
{
    // Under the built file's own name: "fth32" here, "fth32.exe" on Windows.
    const QString target =
        siblingFolder + QLatin1Char('/') + QFileInfo(BuiltStampTool()).fileName();
    QDir().mkpath(siblingFolder);
    QFile::remove(target);
    QFile tool(BuiltStampTool());
    if (!tool.copy(target)) {
        if (error)
            *error = tool.errorString();
        return false;
    }
    QFile::setPermissions(target, QFile::permissions(target) | QFile::ExeOwner | QFile::ExeGroup |
                                      QFile::ExeOther);
    return true;
}
