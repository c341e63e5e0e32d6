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
constexpr int kIconRole = Qt::UserRole + 3;   // the small icon's number (1 done, 2 problem)
constexpr int kStatusColumn = 9;
constexpr int kPathColumn = 10;

inline QColor toColor(int colour)
{
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

// The two small icons of the list: 1 marks a row sent (or not to be sent), 2 a row with a problem.
inline QIcon smallIconImage(int icon)
{
    static const QIcon done = QApplication::style()->standardIcon(QStyle::SP_DialogApplyButton);
    static const QIcon problem = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    return icon == 1 ? done : icon == 2 ? problem : QIcon();
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
