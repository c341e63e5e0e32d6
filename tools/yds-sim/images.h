#pragma once

#include <QByteArray>
#include <QString>

namespace ydssim {

// A new security code: upper-case letters and digits, without the look-alikes I/1 and O/0.
QString newSecurityCode(int length = 5);

// The code drawn as a distorted PNG. The glyphs are our own block font, so drawing needs no
// font database and no GUI application object: the server draws from its worker threads.
QByteArray securityCodePng(const QString &code);

// The portal's small icons ("Göster" magnifier, forgotten-password button) as PNG bytes.
QByteArray showIconPng();
QByteArray forgotPasswordPng();
QByteArray logoPng();

} // namespace ydssim
