#include "core/textchangecase.h"

#include "platform/textcodec.h"

qint16 TextChangeCase(qint16 key, bool toUpper)
{
    if (!toUpper)
        return key >= 65 && key <= 90 ? qint16(key + 32) : key;
    if (key == 253)
        return 73;
    return key >= 97 && key <= 122 ? qint16(key - 32) : key;
}

QChar FoldTypedCharacter(QChar c, bool toUpper)
{
    const QByteArray code = platform::encodeAnsi(QString(c));
    if (code.size() != 1 || code == "?")
        return c;
    const qint16 folded = TextChangeCase(qint16(static_cast<unsigned char>(code.at(0))), toUpper);
    return platform::decodeAnsi(QByteArray(1, char(folded))).at(0);
}
