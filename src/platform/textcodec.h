#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The system's ANSI code page of a Turkish Windows workstation (Windows-1254): the encoding of
// network.txt, the stamping tool's instruction file and the incident file. Characters it
// cannot hold become "?".
QByteArray encodeAnsi(const QString &text);
QString decodeAnsi(const QByteArray &bytes);

// Lines of a text file, split at CR LF, LF or CR.
QStringList splitLines(const QString &text);

} // namespace platform
