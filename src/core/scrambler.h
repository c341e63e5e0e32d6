#pragma once

#include <QString>

// The program's own text scrambler. Stored passwords and portal credentials are kept scrambled.
// Each variant substitutes characters through its own alphabet (deployment data), shifted by a
// selector that Scramble picks at run time and writes as the first character, so the same text
// scrambles differently from one call to the next while Unscramble always recovers it.
// Characters outside the alphabet pass unchanged. Any variant other than 1 and 2 gives "".
QString Scramble(const QString &text, int variant);
QString Unscramble(const QString &text, int variant);

// The same with the selector chosen by the caller (for fixed outputs in deployment data).
QString ScrambleWithSelector(const QString &text, int variant, int selector);
