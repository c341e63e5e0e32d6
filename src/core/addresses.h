#pragma once

#include <QString>
#include <QUrl>

// Addresses of the ministry portal, from the deployment's application and front hosts.
QString LoginPageUrl();
QString CaptchaUrl();
QString FrontPageUrl();                    // with the trailing "/"
QString PortalAppUrl(const QString &path); // application host + path

// The browser is on the login page only at exactly the login address (case-sensitive; a query
// string or a session parameter appended makes it another page).
bool IsLoginPage(const QString &address);
// The front page, with or without its trailing "/".
bool IsFrontPage(const QString &address);

// Both browsers refuse the portal's jump from exactly the login page (nothing appended) to the
// root of its front host.
bool RefuseNavigation(const QString &currentAddress, const QString &target);

// True when the deployment names both of the portal's hosts; no host is built in.
bool PortalConfigured();
// What the operator is told instead of a send when PortalConfigured() is false.
QString PortalNotConfiguredText();
