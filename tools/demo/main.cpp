// tarvek-demo FOLDER: writes a complete demo installation into FOLDER and prints how to log in.
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
    if (args.size() != 2) {
        err << "kullanım: tarvek-demo KLASÖR\n";
        return 2;
    }
    DemoInstall install{QDir(args.at(1)).absolutePath()};
    QString error;
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
