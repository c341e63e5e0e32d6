#include "stamptool.h"

#include "platform/paths.h"

#include <QGuiApplication>

#include <cstdio>

// fth32 Tarvek_Yds_mtg: stamps one photograph as the instruction file "input.mtg" beside the
// tool describes it. Install by copying the built file into the office application's folder.
int main(int argc, char *argv[])
{
    // The tool never shows a window; it needs the GUI layer only for fonts.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || args.at(1) != QStringLiteral("Tarvek_Yds_mtg")) {
        std::fputs("fth32: kullanım: fth32 Tarvek_Yds_mtg (talimat dosyası input.mtg aracın "
                   "klasöründe)\n",
                   stderr);
        return fth32::BadUsage;
    }
    // Paths map as the program maps them: TARVEK_DRIVE_ROOT (the program passes its own down),
    // else the deployment file.
    const platform::PathMapper paths;
    const fth32::Outcome o =
        fth32::Run(QCoreApplication::applicationDirPath() + QStringLiteral("/input.mtg"), paths);
    if (o.code != fth32::Ok)
        std::fprintf(stderr, "fth32: %s\n", o.message.toUtf8().constData());
    return o.code;
}
