#pragma once

// What the parts of the main window share: where a row keeps its data, and small helpers.

#include <QApplication>
#include <QColor>
#include <QFileInfo>
#include <QIcon>
#include <QString>
#include <QStyle>
#include <Qt>

#include "platform/paths.h"

namespace frm_giris_detail {
constexpr int kKeyRole = Qt::UserRole;        // "f" + yedek5.sayı
constexpr int kColourRole = Qt::UserRole + 1; // the row's colour number
constexpr int kTickRole = Qt::UserRole + 2;   // the tick as the window last knew it
constexpr int kStatusColumn = 9;
constexpr int kPathColumn = 10;

inline QColor toColor(int colour)
{
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

inline const QIcon &problemIcon()
{
    static const QIcon icon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    return icon;
}

// A photo's native path from the Windows-style folder and the file name.
inline QString photoPath(const QString &folder, const QString &sub, const QString &name)
{
    return platform::nativePath(folder + sub + name);
}

inline bool isFile(const QString &path)
{
    return QFileInfo(path).isFile();
}
} // namespace frm_giris_detail
