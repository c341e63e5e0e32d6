#include "core/startup.h"
#include "login/frm_ilk_giris.h"
#include "platform/gui/qtmessages.h"
#include "platform/process.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    platform::prepareBrowserEngine();
    platform::keepFreedMemoryForReuse();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TarvekFOTO"));
    platform::installTranslations();
    platform::installMessageBoxes();

    QStringList args = QApplication::arguments();
    args.removeFirst();
    RunStartup(args.join(QLatin1Char(' ')), [] { (new frm_ilk_giris)->onLoad(); });
    return QApplication::exec();
}
