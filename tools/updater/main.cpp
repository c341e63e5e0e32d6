#include "updater.h"

#include "platform/messages.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvek_Guncelleme"));
    platform::installTranslations();
    // It works in the folder it was installed in, beside TarvekFOTO.
    return RunUpdater(QCoreApplication::applicationDirPath());
}
