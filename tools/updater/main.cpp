#include "updater.h"

#include "platform/gui/qtmessages.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvek_Guncelleme"));
    platform::installTranslations();
    platform::installMessageBoxes();
    // Something to look at while packages download (the fetches keep painting it).
    QLabel status(QStringLiteral("Tarvek FOTO güncelleniyor, lütfen bekleyiniz..."));
    status.setWindowTitle(QStringLiteral("Tarvek Güncelleme"));
    status.setMargin(24);
    status.show();
    // It works in the folder it was installed in, beside TarvekFOTO.
    return RunUpdater(QCoreApplication::applicationDirPath());
}
