#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Questions about the workstation, with the socket layer's failures reported in its own
// English messages (plain boxes); a failure gives "".
bool SocketsStart();
void SocketsStop();
QString QueryHostName();
QString QueryHostAddress();

// "major.minor.build.revision" of a file, each part a signed 16-bit number, or "".
QString FileVersionText(const QString &path);

// The user's temporary folder with its trailing separator, or "" when it does not fit the
// 100-character buffer the program reads it into.
QString TempFolder();

// Deletes the files (not the subfolders) of a native folder; true when it holds no file
// afterwards. A missing folder is empty.
bool EmptyFolder(const QString &folder);
