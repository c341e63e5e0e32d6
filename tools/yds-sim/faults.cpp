#include "faults.h"

namespace ydssim {

QStringList steps()
{
    return {
        QStringLiteral("login"),     QStringLiteral("top"),         QStringLiteral("main"),
        QStringLiteral("menu-main"), QStringLiteral("menu-search"), QStringLiteral("menu-messages"),
        QStringLiteral("search"),    QStringLiteral("open"),        QStringLiteral("list"),
        QStringLiteral("new"),       QStringLiteral("continue"),    QStringLiteral("save"),
        QStringLiteral("cancel")};
}

QStringList faultNames()
{
    return {fault::Outage,     fault::LoginToFront,  fault::RefuseLogin,     fault::Validation,
            fault::ErrorPage,  fault::UnknownCode,   fault::NoResult,        fault::SeveralResults,
            fault::OtherSite,  fault::Hang,          fault::SaveYesterday,   fault::ConfirmNull,
            fault::RefuseFile, fault::SessionExpire, fault::ListNewestFirst, fault::SaveLost};
}

bool validateFault(const QString &name, const QString &arg, QString *error)
{
    if (!faultNames().contains(name)) {
        *error = QStringLiteral("unknown fault \"%1\" (known: %2)")
                     .arg(name, faultNames().join(QStringLiteral(", ")));
        return false;
    }
    if (name == fault::LoginToFront && !arg.isEmpty() && arg != QLatin1String("script") &&
        arg != QLatin1String("redirect")) {
        *error = QStringLiteral("fault \"%1\" takes \"script\" or \"redirect\"").arg(name);
        return false;
    }
    if (name == fault::SessionExpire) {
        bool number = false;
        const int n = arg.toInt(&number);
        if (!arg.isEmpty() && !(number && n >= 0) && !steps().contains(arg)) {
            *error = QStringLiteral("fault \"%1\" takes a number of requests or a step").arg(name);
            return false;
        }
    }
    if (name == fault::ErrorPage || name == fault::UnknownCode || name == fault::Hang) {
        const QString step = arg.section(QLatin1Char(':'), 0, 0);
        if (!steps().contains(step)) {
            *error = QStringLiteral("fault \"%1\" needs a step (one of: %2)")
                         .arg(name, steps().join(QStringLiteral(", ")));
            return false;
        }
        if (name == fault::Hang && arg.contains(QLatin1Char(':'))) {
            bool ok = false;
            const int seconds = arg.section(QLatin1Char(':'), 1).toInt(&ok);
            if (!ok || seconds <= 0) {
                *error = QStringLiteral("hang: \"%1\" is not a number of seconds")
                             .arg(arg.section(QLatin1Char(':'), 1));
                return false;
            }
        }
    }
    return true;
}

bool parseFault(const QString &text, QString *name, QString *arg, QString *error)
{
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    *name = (eq < 0 ? text : text.left(eq)).trimmed();
    *arg = eq < 0 ? QString() : text.mid(eq + 1);
    return validateFault(*name, *arg, error);
}

} // namespace ydssim
