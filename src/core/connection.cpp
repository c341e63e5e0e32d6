#include "core/connection.h"

#include "core/scrambler.h"
#include "platform/deployment.h"
#include "platform/platform.h"
#include "platform/textcodec.h"

#include <QFile>
#include <QFileInfo>

using platform::MsgIcon;

ConnectionSettings &Connection()
{
    static ConnectionSettings settings;
    return settings;
}

QString ReadSiblingFolder(const QString &appName)
{
    return platform::Platform::settings().get(appName, QStringLiteral("2.0"),
                                              QStringLiteral("path"), QString());
}

int LeadingNumber(const QString &commandLine)
{
    qsizetype i = 0;
    while (i < commandLine.size() && commandLine.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < commandLine.size() &&
        (commandLine.at(i) == QLatin1Char('-') || commandLine.at(i) == QLatin1Char('+'))) {
        negative = commandLine.at(i) == QLatin1Char('-');
        ++i;
    }
    qint64 n = 0;
    while (i < commandLine.size() && commandLine.at(i).unicode() >= '0' &&
           commandLine.at(i).unicode() <= '9' && n < 1000000) {
        n = n * 10 + (commandLine.at(i).unicode() - '0');
        ++i;
    }
    return int(negative ? -n : n);
}

NetworkChoice ChooseConfiguration(const QStringList &lines, int n)
{
    NetworkChoice c;
    if (n == 0) {
        // Line 1 (kind) and line 2 (label) are read and ignored; "::" has no effect here.
        if (lines.size() < 3)
            return c;
        c.server = lines.at(2);
        c.result = NetworkChoice::Result::Ok;
        return c;
    }
    const qsizetype skip = qMax<qsizetype>(0, 2 * (qsizetype(n) - 1));
    const qsizetype label = 1 + skip;
    if (lines.size() < label + 2)
        return c;
    const QString &kind = lines.at(0);
    const QString &labelLine = lines.at(label);
    const qsizetype sep = labelLine.indexOf(QStringLiteral("::"));
    if (sep >= 0)
        c.suffix = QLatin1Char('_') + labelLine.mid(sep + 2, 100);
    c.server = lines.at(label + 1);
    c.result = kind == QStringLiteral("mssql") ? NetworkChoice::Result::Ok
                                               : NetworkChoice::Result::WrongKind;
    return c;
}

QString BuildConnectionPrefix(const QString &server)
{
    const QString password = Unscramble(platform::Deployment::current().scrambledSqlPassword, 1);
    return QStringLiteral("driver={SQL SERVER};server=") + server + QStringLiteral(";uid=") +
           QString::fromUtf16(kSqlLogin) + QStringLiteral(";pwd=") + password +
           QStringLiteral(";database=");
}

namespace {
[[noreturn]] void networkFileMissing()
{
    platform::msgBox(QStringLiteral("Network Dosyası Bulunamadı...\rLütfen Program Satıcınızı "
                                    "Arayınız"),
                     MsgIcon::Critical);
    platform::endProcess();
}
} // namespace

void LoadConnectionSettings(const QString &commandLine)
{
    ConnectionSettings &s = Connection();
    const int n = commandLine.isEmpty() ? 0 : LeadingNumber(commandLine);
    s.SiblingFolder = ReadSiblingFolder();
    if (n == 0 && s.SiblingFolder.isEmpty())
        platform::endProcess();

    // The file's presence is checked in both modes: a numbered start without a usable
    // network.txt gets the default mode's message and exit rather than a crash at the first
    // read. A file too short for the chosen configuration counts as unusable the same way.
    QFile file(platform::nativePath(s.SiblingFolder + QStringLiteral("\\network.txt")));
    if (!file.open(QIODevice::ReadOnly))
        networkFileMissing();
    const QStringList lines = platform::splitLines(platform::decodeAnsi(file.readAll()));
    file.close();

    const NetworkChoice choice = ChooseConfiguration(lines, n);
    switch (choice.result) {
    case NetworkChoice::Result::Unusable:
        networkFileMissing();
    case NetworkChoice::Result::WrongKind:
        platform::msgBox(QStringLiteral("Lütfen Program Satıcınızla Görüşünüz..."),
                         MsgIcon::Critical, QStringLiteral("Hata No:752439"));
        return;
    case NetworkChoice::Result::Ok:
        break;
    }
    s.ConnectionPrefix = BuildConnectionPrefix(choice.server);
    s.DatabaseSuffix = choice.suffix;
    s.ServerName = choice.server;
}

QString ConnectionString(const QString &name)
{
    const ConnectionSettings &s = Connection();
    return s.ConnectionPrefix + name + s.DatabaseSuffix;
}

bool CheckSiblingTool(const QString &fileName)
{
    const QString folder = ReadSiblingFolder(QStringLiteral("Tarvek2000"));
    if (QFileInfo::exists(platform::programFile(folder + QLatin1Char('\\') + fileName)))
        return false;
    platform::msgBox(QStringLiteral("Lütfen Tarvek YDS Güncellemesi yapınız..."),
                     MsgIcon::Critical);
    return true;
}

QString SubmissionTempFolder()
{
    return platform::nativePath(Connection().WorkFolder + QStringLiteral("tarvek_temp"));
}
