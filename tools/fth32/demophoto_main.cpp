#include "demophotos.h"

#include <QGuiApplication>

#include <cstdio>

// fth32-demophoto FILE WIDTH HEIGHT [LABEL]: one demo photograph as a JPEG (for scripts).
int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList a = QCoreApplication::arguments();
    const int w = a.size() > 3 ? a.at(2).toInt() : 0;
    const int h = a.size() > 3 ? a.at(3).toInt() : 0;
    if (w <= 0 || h <= 0) {
        std::fputs("usage: fth32-demophoto FILE WIDTH HEIGHT [LABEL]\n", stderr);
        return 1;
    }
    if (!WriteDemoPhoto(a.at(1), w, h, a.value(4))) {
        std::fprintf(stderr, "fth32-demophoto: cannot write %s\n", qPrintable(a.at(1)));
        return 1;
    }
    return 0;
}
