#include "core/updatecheck.h"

#include "core/versionlist.h"
#include "core/workstation.h"
#include "platform/deployment.h"
#include "platform/platform.h"
#include "platform/textcodec.h"

#include <QFileInfo>

using platform::MsgIcon;

void guncelleme_kontrol_et()
{
    CheckForUpdates(ProgramFolder());
}

void CheckForUpdates(const QString &programFolder)
{
    const QString updater = PackageProgramFile(programFolder, UpdaterPackage());
    if (!QFileInfo::exists(updater)) {
        platform::msgBox(QStringLiteral("Güncelleme Uygulaması bulunamadı...\r\n"
                                        "Lütfen KORA BİLİŞİM'i arayınız..."),
                         MsgIcon::Critical);
        return;
    }

    // The whole fetch must finish within the deployment's update time limit (8 s unless the
    // deployment file says otherwise); a slower or absent host counts as "no list".
    const HttpOutcome fetched =
        HttpGet(VersionListUrl(), platform::Deployment::current().updateTimeoutMs);
    const QString list = fetched.body ? platform::decodeAnsi(*fetched.body) : QString();
    if (list.isEmpty())
        return;

    const QString prefix = programFolder + QLatin1Char('\\');
    bool run = false;
    const QString program = ProgramPackage();
    if (UpdateNeeded(list, prefix, program) ||
        !QFileInfo::exists(PackageProgramFile(programFolder, program))) {
        platform::msgBox(QStringLiteral("TarvekFOTO uygulamasını ilgilendiren kritik bir "
                                        "güncelleme mevcut..\r"
                                        "Tarvek YDS uygulaması kapanacak ve Güncelleme programı "
                                        "çalışacaktır..."),
                         MsgIcon::Critical);
        run = true;
    }
    if (UpdateNeeded(list, prefix, UpdaterPackage())) {
        platform::msgBox(QStringLiteral("Tarvek Guncelleme uygulamasını ilgilendiren kritik bir "
                                        "güncelleme mevcut.."),
                         MsgIcon::Critical);
        run = true;
    }
    if (run) {
        // A failed start is skipped like any other step: the process ends either way, and the
        // next start checks again.
        QString error;
        platform::Platform::launcher().start(updater, {}, &error);
        platform::endProcess();
    }
}
