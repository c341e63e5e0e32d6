#pragma once

#include <QLabel>

// A one-line label for texts of any length: it shows what fits, ending in "…", with line breaks
// drawn as spaces; text() keeps the whole text. It never asks its layout for more width than a
// few characters, so a long text cannot widen the window.
class ElidedLabel : public QLabel
{
public:
    explicit ElidedLabel(QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The text as one line, cut to `width` pixels.
    QString shownText(int width) const;

protected:
    void paintEvent(QPaintEvent *event) override;
};
