#include "core/updatecheck.h"

#include "core/updatesource.h"
#include "core/versionlist.h"
#include "core/workstation.h"
#include "platform/deployment.h"
#include "platform/platform.h"

#include <QFile>
#include <QFileInfo>

using platform::MsgIcon;

void guncelleme_kontrol_et()
{
    CheckForUpdates(ProgramFolder());
}

void CheckForUpdates(const QString &programFolder)
{
    if (!UpdateConfigured()) {
        platform::msgBox(UpdateNotConfiguredText(), MsgIcon::Information);
        return;
    }
    const QString updater = PackageProgramFile(programFolder, UpdaterPackage());
    if (!QFileInfo::exists(updater)) {
        platform::msgBox(QStringLiteral("Güncelleme Uygulaması bulunamadı...\r\n"
                                        "Lütfen KORA BİLİŞİM'i arayınız..."),
                         MsgIcon::Critical);
        return;
    }
    // Started by the updater just now: it has done what it could.
    if (QFile::remove(AfterUpdateMarker(programFolder)))
        return;

    // The list and its signature must be in within the update time limit; a slower or absent
    // host, a list over its size limit or one whose signature fails counts as "no list".
    const auto &deployment = platform::Deployment::current();
    HttpLimits limits;
    limits.deadline = QDeadlineTimer(deployment.updateTimeoutMs);
    limits.maxBytes = deployment.updateListMaxBytes;
    const QString list = FetchSignedList(limits).text.value_or(QString());
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
