#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace ydssim {

// What can go wrong on the portal, switched by start option (--fault NAME[=ARG]) or by the test
// endpoint. Faults "at a step" take the step's name as ARG (see steps()).
namespace fault {
// The front page out of service; the login page redirects there.
inline const QString Outage = QStringLiteral("outage");
// The login page leaves for the front page: ARG "script" (default, once loaded) or "redirect".
inline const QString LoginToFront = QStringLiteral("login-to-front");
inline const QString RefuseLogin = QStringLiteral("refuse-login"); // ARG: the portal's message
inline const QString Validation = QStringLiteral("validation");    // ARG: the message on DYDYI
inline const QString ErrorPage = QStringLiteral("error-page");     // ARG: step
inline const QString UnknownCode = QStringLiteral("unknown-code"); // ARG: step[:CODE]
inline const QString NoResult = QStringLiteral("no-result");
inline const QString SeveralResults = QStringLiteral("several-results");
inline const QString OtherSite = QStringLiteral("other-site"); // ARG: the YİBF shown
inline const QString Hang = QStringLiteral("hang");            // ARG: step[:SECONDS]
inline const QString SaveYesterday = QStringLiteral("save-yesterday");
inline const QString ConfirmNull = QStringLiteral("confirm-null");
inline const QString RefuseFile = QStringLiteral("refuse-file");
// ARG N (default 0): the sessions logged in now end after N further page requests each;
// ARG step: every session ends once that step has answered.
inline const QString SessionExpire = QStringLiteral("session-expire");
inline const QString ListNewestFirst = QStringLiteral("list-newest-first");
// The save answers with the inspection list and stores nothing.
inline const QString SaveLost = QStringLiteral("save-lost");
} // namespace fault

// Steps of a submission, by the request that leads to the next page.
QStringList steps();
QStringList faultNames();
// Parses "NAME" or "NAME=ARG"; on failure returns false with a message.
bool parseFault(const QString &text, QString *name, QString *arg, QString *error);
bool validateFault(const QString &name, const QString &arg, QString *error);

using FaultSet = QMap<QString, QString>; // name -> argument

} // namespace ydssim
