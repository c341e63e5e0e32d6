#pragma once

#include <QString>

// The workstation's identity, recorded once by the login window's load and read by the main
// window (status bar) and the remembered login.
const QString &HostName();
const QString &HostAddress();
void SetHostIdentity(const QString &name, const QString &address);

// The folder the running program was started from; the update check and the updater look for
// the installed programs there. Tests point it at a folder of their own.
QString ProgramFolder();
void SetProgramFolder(const QString &folder);
