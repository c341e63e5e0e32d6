#pragma once

#include <QChar>

// Folds a typed character code (Windows-1254): with toUpper "a"-"z" and the dotless "ı" (253)
// become upper case ("ı" -> "I"); without it "A"-"Z" become lower case. Other codes stay.
qint16 TextChangeCase(qint16 key, bool toUpper);

// The same for a character typed into a text box (converted through the Turkish code page).
QChar FoldTypedCharacter(QChar c, bool toUpper);
