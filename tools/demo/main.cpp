// tarvek-demo FOLDER: writes a complete demo installation into FOLDER and prints how to log in.
// tarvek-demo --guncellemeler FOLDER: packs and signs the programs of the demo's program folder
// for its update host again (after a build).
#include "demoinstall.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    // Photographs are drawn with fonts: a GUI application, never a window.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = QGuiApplication::arguments();
    const bool updatesOnly = args.size() == 3 && args.at(1) == QStringLiteral("--guncellemeler");
    if (args.size() != 2 && !updatesOnly) {
        err << "kullanım: tarvek-demo KLASÖR\n"
               "          tarvek-demo --guncellemeler KLASÖR   (güncelleme dosyalarını yeniden "
               "imzalar)\n";
        return 2;
    }
    DemoInstall install{QDir(args.last()).absolutePath()};
    QString error;
    if (updatesOnly) {
        if (WriteDemoUpdates(install, &error))
            return 0;
        err << "Demo güncelleme dosyaları yazılamadı: " << error << "\n";
        return 1;
    }
    if (!BuildDemoInstall(install, &error)) {
        err << "Demo kurulumu yazılamadı: " << error << "\n";
        return 1;
    }
    const DemoLogin login = DemoOperator();
    out << "Demo kurulumu hazır: " << install.root << "\n"
        << "  Kurum Adı     : " << login.institution << "\n"
        << "  Kullanıcı Adı : " << login.user << "\n"
        << "  Şifre         : " << login.password << "\n";
    return 0;
}
