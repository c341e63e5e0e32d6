#include "images.h"

#include <QBuffer>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

namespace ydssim {

namespace {

const char kAlphabet[] = "ABCDEFGHJKLMNPRSTUVYZ23456789";

// 5x7 glyphs, one string of 7 rows per character ('#' = ink).
const QHash<QChar, const char *> &glyphs()
{
    static const QHash<QChar, const char *> g = {
        {u'A', ".###.#...##...#######...##...##...#"},
        {u'B', "####.#...##...#####.#...##...#####."},
        {u'C', ".#####....#....#....#....#.....####"},
        {u'D', "####.#...##...##...##...##...#####."},
        {u'E', "######....#....####.#....#....#####"},
        {u'F', "######....#....####.#....#....#...."},
        {u'G', ".#####....#....#..###...##...#.####"},
        {u'H', "#...##...##...#######...##...##...#"},
        {u'J', "..###...#....#....#....#.#..#..##.."},
        {u'K', "#...##..#.#.#..##...#.#..#..#.#...#"},
        {u'L', "#....#....#....#....#....#....#####"},
        {u'M', "#...###.###.#.##...##...##...##...#"},
        {u'N', "#...###..##.#.##..###...##...##...#"},
        {u'P', "####.#...##...#####.#....#....#...."},
        {u'R', "####.#...##...#####.#.#..#..#.#...#"},
        {u'S', ".#####....#.....###.....#....#####."},
        {u'T', "#####..#....#....#....#....#....#.."},
        {u'U', "#...##...##...##...##...##...#.###."},
        {u'V', "#...##...##...##...#.#.#..#.#...#.."},
        {u'Y', "#...##...#.#.#...#....#....#....#.."},
        {u'Z', "#####....#...#...#...#...#....#####"},
        {u'2', ".###.#...#....#...#...#...#...#####"},
        {u'3', "####.....#....#.###.....#....#####."},
        {u'4', "...#...##..#.#.#..#.#####...#....#."},
        {u'5', "######....####.....#....#....#####."},
        {u'6', ".###.#....#....####.#...##...#.###."},
        {u'7', "#####....#...#...#...#....#....#..."},
        {u'8', ".###.#...##...#.###.#...##...#.###."},
        {u'9', ".###.#...##...#.####....#....#.###."},
    };
    return g;
}

QByteArray toPng(const QImage &img)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes;
}

} // namespace

QString newSecurityCode(int length)
{
    QString code;
    const int n = int(sizeof(kAlphabet)) - 1;
    for (int i = 0; i < length; ++i)
        code += QLatin1Char(kAlphabet[QRandomGenerator::global()->bounded(n)]);
    return code;
}

QByteArray securityCodePng(const QString &code)
{
    QRandomGenerator *rnd = QRandomGenerator::global();
    const int cell = 5;
    QImage img(30 + code.size() * 7 * cell, 56, QImage::Format_RGB32);
    img.fill(QColor(236, 240, 232));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    // Background noise first, so that the glyphs stay readable on top of it.
    for (int i = 0; i < 120; ++i) {
        p.setPen(QColor(rnd->bounded(120, 220), rnd->bounded(120, 220), rnd->bounded(120, 220)));
        p.drawPoint(rnd->bounded(img.width()), rnd->bounded(img.height()));
    }
    int x = 15;
    for (QChar c : code) {
        const char *g = glyphs().value(c, nullptr);
        const int top = 6 + rnd->bounded(14);
        const int shear = rnd->bounded(-1, 2); // slight slant, no gaps
        const QColor ink(rnd->bounded(20, 90), rnd->bounded(20, 90), rnd->bounded(60, 140));
        if (g) {
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (g[row * 5 + col] == '#')
                        p.fillRect(x + col * cell + (shear * (3 - row)) / 2, top + row * cell, cell,
                                   cell, ink);
        }
        x += 7 * cell;
    }
    for (int i = 0; i < 4; ++i) {
        p.setPen(
            QPen(QColor(rnd->bounded(60, 160), rnd->bounded(60, 160), rnd->bounded(60, 160)), 1.2));
        p.drawLine(rnd->bounded(img.width()), rnd->bounded(img.height()), rnd->bounded(img.width()),
                   rnd->bounded(img.height()));
    }
    p.end();
    return toPng(img);
}

QByteArray showIconPng()
{
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(30, 70, 140), 2));
    p.setBrush(QColor(210, 230, 250));
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    p.drawLine(QPointF(9.5, 9.5), QPointF(14.5, 14.5));
    p.end();
    return toPng(img);
}

QByteArray forgotPasswordPng()
{
    QImage img(90, 18, QImage::Format_ARGB32);
    img.fill(QColor(240, 244, 250));
    QPainter p(&img);
    p.setPen(QColor(30, 70, 140));
    p.drawRect(0, 0, 89, 17);
    // A key: ring and bit, drawn without text so no font is needed.
    p.drawEllipse(4, 4, 9, 9);
    p.drawLine(13, 9, 30, 9);
    p.drawLine(26, 9, 26, 13);
    p.drawLine(30, 9, 30, 13);
    p.end();
    return toPng(img);
}

QByteArray logoPng()
{
    QImage img(48, 48, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 16, 46));
    p.drawEllipse(2, 2, 44, 44);
    p.setBrush(Qt::white);
    p.drawRect(14, 20, 20, 16);
    p.drawPolygon(QPolygon({QPoint(10, 21), QPoint(24, 10), QPoint(38, 21)}));
    p.end();
    return toPng(img);
}

} // namespace ydssim
