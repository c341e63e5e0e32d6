#include "updater.h"

#include "platform/gui/qtmessages.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvek_Guncelleme"));
    platform::installTranslations();
    platform::installMessageBoxes();
    UpdateControl control;

    // Something to look at while packages download (the fetches keep it alive), and a way out.
    QWidget window;
    window.setWindowTitle(QStringLiteral("Tarvek Güncelleme"));
    // Closing is the cancel button's work: a closed window would leave the run unseen.
    window.setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    auto *layout = new QVBoxLayout(&window);
    auto *status = new QLabel(QStringLiteral("Tarvek FOTO güncelleniyor, lütfen bekleyiniz..."));
    status->setMinimumWidth(360);
    auto *cancel = new QPushButton(QStringLiteral("İptal"));
    layout->addWidget(status);
    layout->addWidget(cancel, 0, Qt::AlignRight);
    QObject::connect(cancel, &QPushButton::clicked, cancel, [&control, cancel, status] {
        control.cancel();
        cancel->setEnabled(false);
        status->setText(QStringLiteral("Güncelleme iptal ediliyor..."));
    });
    control.onStatus = [status](const QString &text) { status->setText(text); };
    QApplication::setQuitOnLastWindowClosed(false);
    window.show();
    // It works in the folder it was installed in, beside TarvekFOTO.
    return RunUpdater(QCoreApplication::applicationDirPath(), control);
}
