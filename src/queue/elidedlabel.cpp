#include "queue/elidedlabel.h"

#include <QPainter>
#include <QStyle>

ElidedLabel::ElidedLabel(QWidget *parent) : QLabel(parent)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setTextFormat(Qt::PlainText);
}

QSize ElidedLabel::sizeHint() const
{
    return minimumSizeHint();
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QMargins m = contentsMargins();
    return {fontMetrics().averageCharWidth() * 8 + m.left() + m.right(),
            fontMetrics().height() + m.top() + m.bottom()};
}

QString ElidedLabel::shownText(int width) const
{
    QString line = text();
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar &c : line)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    return fontMetrics().elidedText(line, Qt::ElideRight, width);
}

void ElidedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect area = contentsRect();
    style()->drawItemText(&painter, area, int(alignment()) | Qt::TextSingleLine, palette(),
                          isEnabled(), shownText(area.width()), foregroundRole());
}
