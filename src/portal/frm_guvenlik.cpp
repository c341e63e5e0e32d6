#include "portal/frm_guvenlik.h"

#include "core/textchangecase.h"

#include <QImage>
#include <QPixmap>
#include <QVBoxLayout>

frm_guvenlik::frm_guvenlik(QWidget *parent)
    : QDialog(parent), Image1(new QLabel(this)), Text1(new QLineEdit(this)),
      Command1(new QPushButton(QStringLiteral("Onayla"), this)), Label1(new QLabel(this))
{
    setObjectName(QStringLiteral("frm_guvenlik"));
    setWindowTitle(QStringLiteral("Güvenlik Uyarısı"));
    if (parent)
        setWindowIcon(parent->window()->windowIcon());
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setMinimumSize(200, 70);
    Image1->setAlignment(Qt::AlignCenter);
    Text1->setObjectName(QStringLiteral("Text1"));
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->hide();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Image1);
    layout->addWidget(Text1);
    layout->addWidget(Command1);
    // Every typed letter goes upper case, the dotless "ı" as "I": codes are upper-case.
    connect(Text1, &QLineEdit::textEdited, this, [this](const QString &text) {
        QString folded = text;
        for (QChar &c : folded)
            c = FoldTypedCharacter(c, true);
        if (folded != text) {
            const int cursor = Text1->cursorPosition();
            Text1->setText(folded);
            Text1->setCursorPosition(cursor);
        }
    });
    connect(Command1, &QPushButton::clicked, this, &frm_guvenlik::confirmRequested);
}

void frm_guvenlik::showQueue(int count)
{
    Label1->setText(QStringLiteral("Kuyrukta %1 fotoğraf var").arg(count));
    Label1->show();
}

bool frm_guvenlik::loadImage(const QString &file)
{
    // Read apart from the pixmap cache: every login brings a new picture, never shown again.
    const QImage picture(file);
    if (picture.isNull())
        return false;
    Image1->setPixmap(QPixmap::fromImage(picture));
    return true;
}
