#include "core/workstation.h"

#include <QCoreApplication>

namespace {
struct Session
{
    QString hostName;
    QString hostAddress;
    QString programFolder;
};

Session &session()
{
    static Session s;
    return s;
}
} // namespace

const QString &HostName()
{
    return session().hostName;
}

const QString &HostAddress()
{
    return session().hostAddress;
}

void SetHostIdentity(const QString &name, const QString &address)
{
    session().hostName = name;
    session().hostAddress = address;
}

QString ProgramFolder()
{
    if (!session().programFolder.isEmpty())
        return session().programFolder;
    return QCoreApplication::applicationDirPath();
}

void SetProgramFolder(const QString &folder)
{
    session().programFolder = folder;
}
