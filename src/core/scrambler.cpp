#include "core/scrambler.h"

#include "platform/deployment.h"
#include "platform/platform.h"

#include <QRandomGenerator>

namespace {

QString alphabet(int variant)
{
    const auto &d = platform::Deployment::current();
    if (variant == 1)
        return d.scramblerAlphabet1;
    if (variant == 2)
        return d.scramblerAlphabet2;
    return {};
}

// Variant 2 walks the alphabet twice as fast and starts one step further.
qsizetype shiftAt(int variant, qsizetype position)
{
    return variant == 1 ? position : 2 * position + 1;
}

} // namespace

QString ScrambleWithSelector(const QString &text, int variant, int selector)
{
    const QString alpha = alphabet(variant);
    if (alpha.isEmpty())
        return {};
    const qsizetype n = alpha.size();
    const qsizetype sel = ((selector % n) + n) % n;
    QString out;
    out.reserve(text.size() + 1);
    out.append(alpha.at(sel));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype j = alpha.indexOf(text.at(i));
        out.append(j < 0 ? text.at(i) : alpha.at((j + sel + shiftAt(variant, i)) % n));
    }
    return out;
}

QString Scramble(const QString &text, int variant)
{
    const QTime t = platform::Platform::clock().now().time();
    const int selector =
        t.minute() * 60 + t.second() + int(QRandomGenerator::global()->bounded(997));
    return ScrambleWithSelector(text, variant, selector);
}

QString Unscramble(const QString &text, int variant)
{
    const QString alpha = alphabet(variant);
    if (alpha.isEmpty() || text.isEmpty())
        return {};
    const qsizetype n = alpha.size();
    const qsizetype sel = alpha.indexOf(text.at(0));
    if (sel < 0)
        return {};
    QString out;
    out.reserve(text.size() - 1);
    for (qsizetype i = 1; i < text.size(); ++i) {
        const qsizetype j = alpha.indexOf(text.at(i));
        if (j < 0) {
            out.append(text.at(i));
            continue;
        }
        const qsizetype shift = (sel + shiftAt(variant, i - 1)) % n;
        out.append(alpha.at(((j - shift) % n + n) % n));
    }
    return out;
}
