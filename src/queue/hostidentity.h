#pragma once

#include <QString>

// The workstation's name and address as the login window found them; the main window's status
// bar shows them. The login window sets them before it fills the main window's fields.
namespace queue {
const QString &HostName();
const QString &HostAddress();
void SetHostName(const QString &name);
void SetHostAddress(const QString &address);
} // namespace queue
